#pragma once
// Decoding pictures from bytes: JPEG with libjpeg, BMP and ICO with Qt's readers. Reading
// the file and choosing the decoder by its extension is the display's job.
#include <QImage>
#include <QString>
#include <optional>
#include <string>

namespace kyomat {

// Decodes JPEG bytes; a truncated or corrupt stream is a failure, never an exit.
std::optional<QImage> decode_jpeg(const std::string& bytes, QString& error);
// Decodes bytes with Qt's reader for format ("bmp", "ico"); error names the file.
std::optional<QImage> decode_with_qt(const std::string& bytes, const char* format,
                                     const QString& name, QString& error);

}  // namespace kyomat
