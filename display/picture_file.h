#pragma once
// Logo files read by their extension: "jpg"/"jpeg" with libjpeg, "bmp" and "ico" with Qt's
// readers. Windows metafiles ("wmf", "emf") have no decoder on this platform and, like any
// other extension, count as load failures.
#include <QImage>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace kyomat {

// A logo file beyond this is refused before it is read: a logo is a few megabytes at most.
constexpr std::uintmax_t k_max_logo_bytes = std::uintmax_t{32} * 1024 * 1024;

// The picture, or nothing with error set to a message for the operator.
std::optional<QImage> load_picture(const std::filesystem::path& file, QString& error);

}  // namespace kyomat
