#include "platform/picture.h"

#include <QImageReader>
#include <fstream>
#include <iterator>

#include "platform/jpeg_decode.h"

namespace kyomat {
namespace {

std::string lower_extension(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

}  // namespace

std::optional<QImage> decode_jpeg(const std::string& bytes, QString& error) {
    RgbImage rgb;
    std::string why;
    if (!decode_jpeg_rgb(bytes, rgb, why)) {
        error = QString("Das Bild kann nicht gelesen werden: %1").arg(QString::fromStdString(why));
        return std::nullopt;
    }
    QImage image(rgb.width, rgb.height, QImage::Format_RGB888);
    for (int y = 0; y < rgb.height; ++y) {
        std::copy_n(rgb.rgb.data() + static_cast<std::size_t>(y) * rgb.width * 3, rgb.width * 3,
                    image.scanLine(y));
    }
    return image;
}

std::optional<QImage> load_picture(const std::filesystem::path& file, QString& error) {
    const std::string ext = lower_extension(file);
    const QString name = QString::fromStdString(file.string());
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = QString("Die Datei \"%1\" wurde nicht gefunden.").arg(name);
        return std::nullopt;
    }
    if (ext == "jpg" || ext == "jpeg") {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        return decode_jpeg(bytes, error);
    }
    if (ext == "bmp" || ext == "ico") {
        QImageReader reader(name, ext.c_str());
        QImage image = reader.read();
        if (image.isNull()) {
            error = QString("Das Bild \"%1\" kann nicht gelesen werden: %2")
                        .arg(name, reader.errorString());
            return std::nullopt;
        }
        return image;
    }
    if (ext == "wmf" || ext == "emf") {
        error = QString("Windows-Metadateien (\"%1\") können hier nicht angezeigt werden.").arg(name);
        return std::nullopt;
    }
    error = QString("Das Bildformat von \"%1\" ist unbekannt.").arg(name);
    return std::nullopt;
}

}  // namespace kyomat
