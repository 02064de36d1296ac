#pragma once
// Pictures for the logo overlay, read by file extension: "jpg"/"jpeg" with libjpeg,
// "bmp" and "ico" with Qt's readers. Windows metafiles ("wmf", "emf") have no decoder on
// this platform and, like any other extension, count as load failures.
#include <QImage>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>

namespace kyomat {

// The picture, or nothing with error set to a message for the operator.
std::optional<QImage> load_picture(const std::filesystem::path& file, QString& error);
// Decodes JPEG bytes; a truncated or corrupt stream is a failure, never an exit.
std::optional<QImage> decode_jpeg(const std::string& bytes, QString& error);

}  // namespace kyomat
