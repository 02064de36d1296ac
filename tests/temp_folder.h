#pragma once
// A fresh folder per test, removed afterwards: stands for the program's folder.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace kyomat::testing {

class TempFolder {
  public:
    TempFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("kyomat-test-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    // Writes raw bytes to a file in the folder.
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << bytes;
    }

  private:
    std::filesystem::path path_;
};

}  // namespace kyomat::testing
