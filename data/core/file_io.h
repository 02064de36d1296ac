#pragma once
// Whole-file reads and crash-safe writes. Errors come back as a German text for the operator.
#include <filesystem>
#include <optional>
#include <string>

namespace kyomat {

// The file's bytes, or nothing and error set.
std::optional<std::string> read_whole_file(const std::filesystem::path& file, std::string& error);
// Writes a temporary file beside the target, flushes it and renames it over the target, so a
// crash or a full disk never leaves a truncated file: either the old or the new file stays.
bool write_file_atomically(const std::filesystem::path& file, const std::string& bytes,
                           std::string& error);

}  // namespace kyomat
