#include "data/core/file_io.h"

#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace kyomat {

std::optional<std::string> read_whole_file(const std::filesystem::path& file, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "Die Datei \"" + file.string() + "\" kann nicht geöffnet werden.";
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "Die Datei \"" + file.string() + "\" kann nicht gelesen werden.";
        return std::nullopt;
    }
    return bytes;
}

bool write_file_atomically(const std::filesystem::path& file, const std::string& bytes,
                           std::string& error) {
    std::random_device rd;
    const std::filesystem::path temp =
        file.parent_path() / (file.filename().string() + ".tmp" + std::to_string(rd() % 100000));
    const std::string failed = "Die Datei \"" + file.string() + "\" kann nicht geschrieben werden.";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = failed;
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            error = failed;
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        error = failed;
        return false;
    }
    return true;
}

}  // namespace kyomat
