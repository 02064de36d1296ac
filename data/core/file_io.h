#pragma once
// Whole-file reads, crash-safe writes and files that grow by whole lines. Errors come back as a
// German text for the operator.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kyomat {

// The program's texts are UTF-8; a path is made from one and shown as one through these.
// Windows reads a narrow path in its ANSI code page, where "Prüfung" would name another
// folder, and a name outside that code page could not be shown at all.
std::filesystem::path path_from_utf8(std::string_view text);
std::string utf8_of(const std::filesystem::path& path);

// Larger files are not read: no settings file, bout list or logo of a real tournament comes
// near it, and a device or a sparse file posing as one must not take the program's memory.
constexpr std::uintmax_t k_max_file_bytes = std::uintmax_t{64} * 1024 * 1024;

// Why the file would not be read (missing, not a regular file, larger than max_bytes), without
// opening it; nothing when it would.
std::optional<std::string> why_not_readable(const std::filesystem::path& file,
                                            std::uintmax_t max_bytes = k_max_file_bytes);

// The bytes of a regular file of at most max_bytes, or nothing and error set. A folder, a
// pipe, a device (also behind a link) or a larger file is refused without waiting on it.
std::optional<std::string> read_whole_file(const std::filesystem::path& file, std::string& error,
                                           std::uintmax_t max_bytes = k_max_file_bytes);

// Writes a temporary file beside the target, flushes it to the disk and renames it over the
// target, so a crash, a power cut or a full disk never leaves a truncated file: either the
// old or the new file stays. A link is written through to its target; a write-protected
// file is not replaced; the new file keeps the old one's permissions.
bool write_file_atomically(const std::filesystem::path& file, const std::string& bytes,
                           std::string& error);

// The same for a file that another program may change meanwhile: just before the rename,
// still_current() says whether the file is still the one the bytes were made from; if not,
// nothing is replaced and the outcome says so, for the caller to read and write again. A
// rename that the system refuses for a moment (another program holds the file open on
// Windows) is tried a few times before it counts as failed.
enum class WriteOutcome { written, failed, changed };
WriteOutcome write_file_if_current(const std::filesystem::path& file, const std::string& bytes,
                                   std::string& error, const std::function<bool()>& still_current);

// What tells whether a file changed on disk: its size and time of change ("" when missing).
std::string file_stamp(const std::filesystem::path& file);

// A size in bytes as the operator reads it, exact: "4.404.020 Bytes".
std::string size_text(std::uintmax_t bytes);

// Removes temporary files that an interrupted write of this file left beside it: this
// process's own, and any other's only when it is old (a save in flight stays).
void remove_stale_temporaries(const std::filesystem::path& file);

// Why a write or an open failed, in the operator's words ("der Datenträger ist voll").
std::string write_failure(int error_number);

// A file that grows by whole lines only, for a record such as the bout protocol: each line
// goes out in one write, and a line the disk took only in part is taken back, so the file
// never ends in half a line and no later line is glued onto one.
class LineAppender {
  public:
    LineAppender() = default;
    ~LineAppender() { close(); }
    LineAppender(const LineAppender&) = delete;
    LineAppender& operator=(const LineAppender&) = delete;

    // Opens the file at its end, creating it. A pipe, a device or a folder is refused without
    // an open that could wait on it. False, with the reason in error, when it cannot be had.
    bool open(const std::filesystem::path& file, std::string& error);
    bool is_open() const { return fd_ >= 0; }
    void close();
    // Whether the file is empty (a fresh file gets its header first).
    bool empty() const;
    // Whether the name still leads to the file that is open: not deleted, moved or replaced
    // by another program's save (Windows cannot tell this way and says yes).
    bool still_at(const std::filesystem::path& file) const;
    // Appends the text whole or not at all; false, with the reason in error, when not.
    bool append(const std::string& text, std::string& error);

  private:
    int fd_ = -1;
};

}  // namespace kyomat
