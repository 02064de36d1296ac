#include "display/picture_file.h"

#include "data/core/file_io.h"
#include "platform/picture.h"

namespace kyomat {
namespace {

std::string lower_extension(const std::filesystem::path& file) {
    std::string ext = utf8_of(file.extension());
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

}  // namespace

std::optional<QImage> load_picture(const std::filesystem::path& file, QString& error) {
    const std::string ext = lower_extension(file);
    const QString name = QString::fromStdString(utf8_of(file));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = QString("Die Datei \"%1\" wurde nicht gefunden.").arg(name);
        return std::nullopt;
    }
    if (ext == "wmf" || ext == "emf") {
        error =
            QString("Windows-Metadateien (\"%1\") können hier nicht angezeigt werden.").arg(name);
        return std::nullopt;
    }
    if (ext != "jpg" && ext != "jpeg" && ext != "bmp" && ext != "ico") {
        error = QString("Das Bildformat von \"%1\" ist unbekannt.").arg(name);
        return std::nullopt;
    }
    std::string why;
    const auto bytes = read_whole_file(file, why, k_max_logo_bytes);
    if (!bytes) {
        error = QString::fromStdString(why);
        return std::nullopt;
    }
    if (ext == "jpg" || ext == "jpeg") return decode_jpeg(*bytes, error);
    return decode_with_qt(*bytes, ext.c_str(), name, error);
}

}  // namespace kyomat
