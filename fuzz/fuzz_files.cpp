// The real file reading and writing: the input becomes kyomat.ini and neu.kfl on disk (or a
// link between them), read through Settings and the bout list file as the program does,
// then saved and read again. A save never loses a row or a cell it read.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "data/core/bout_access.h"
#include "data/core/cp1252.h"
#include "data/core/file_io.h"
#include "data/core/setting_reader.h"
#include "data/core/settings.h"
#include "temp_folder.h"

namespace {

void write(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    static const auto folder = std::make_unique<kyomat::testing::TempFolder>();
    const fs::path& dir = folder->path();
    if (size < 1) return 0;
    const std::uint8_t mode = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    // The input is split at the first NUL after the mode byte: settings, then the list.
    const std::size_t cut = std::min(rest.find('\0'), rest.size());
    std::error_code ec;
    fs::remove_all(dir / "kyomat.ini", ec);
    fs::remove_all(dir / "neu.kfl", ec);
    write(dir / "kyomat.ini", rest.substr(0, cut));
    switch (mode % 4) {
        case 1:
            fs::create_symlink("kyomat.ini", dir / "neu.kfl", ec);
            break;
        case 2:
            fs::create_directory(dir / "neu.kfl", ec);
            break;
        default:
            write(dir / "neu.kfl", rest.substr(std::min(cut + 1, rest.size())));
            break;
    }

    const kyomat::Settings settings(dir);
    (void)settings.file_problem();
    for (const kyomat::Key key :
         {kyomat::Key::anzeige_anz_links, kyomat::Key::anzeige_gewk, kyomat::Key::anzeige_kampfzeit,
          kyomat::Key::anzeige_gong, kyomat::Key::anzeige_control}) {
        (void)kyomat::read_setting_text(settings, key);
    }
    (void)kyomat::get_kampfzeit(settings, "", mode & 0x10);

    kyomat::BoutListFile file(dir, nullptr);
    if (!file.load_from_file()) return 0;
    const kyomat::BoutList read = file.list;
    if (!file.write_to_file()) return 0;  // refused (a character the file cannot hold)
    // Code page 1252 bytes that form valid UTF-8 ("Ã¤") are read as UTF-8 by rule: a list
    // saved so reads differently, which no real list does. Only the others must round-trip.
    std::string error;
    const auto saved = kyomat::read_whole_file(dir / "neu.kfl", error);
    if (!saved) __builtin_trap();
    if (kyomat::is_utf8_text(*saved)) return 0;
    kyomat::BoutListFile again(dir, nullptr);
    if (!again.load_from_file()) __builtin_trap();
    if (again.list.row_count() != read.row_count()) __builtin_trap();
    for (int r = 1; r < read.row_count(); ++r) {
        const auto& a = read.rows[static_cast<std::size_t>(r)];
        const auto& b = again.list.rows[static_cast<std::size_t>(r)];
        if (!(static_cast<const std::array<std::string, kyomat::BoutList::k_columns>&>(a) == b) ||
            a.tail != b.tail) {
            __builtin_trap();
        }
    }
    return 0;
}
