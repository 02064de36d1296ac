#include "platform/picture.h"

#include <QImageReader>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>

extern "C" {
#include <jpeglib.h>
}

namespace kyomat {
namespace {

// libjpeg calls error_exit on a fatal error and would end the program; jump back instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void on_jpeg_error(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

extern "C" void on_jpeg_warning(j_common_ptr /*info*/, int /*level*/) {}

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
    if (bytes.empty()) {
        error = "Die JPEG-Datei ist leer.";
        return std::nullopt;
    }
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = on_jpeg_error;
    err.base.emit_message = on_jpeg_warning;
    // Everything that must survive a longjmp lives outside this frame's locals or is
    // volatile-free plain data set before setjmp.
    QImage* volatile image = nullptr;
    if (setjmp(err.jump) != 0) {
        delete image;
        jpeg_destroy_decompress(&info);
        error = QString("Das Bild kann nicht gelesen werden: %1").arg(err.message);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0 ||
        info.output_width > 20000 || info.output_height > 20000) {
        jpeg_destroy_decompress(&info);
        error = "Das Bild hat ein nicht unterstütztes Format.";
        return std::nullopt;
    }
    image = new QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                       QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    QImage result = *image;
    delete image;
    return result;
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
