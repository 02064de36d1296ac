#pragma once
// Appending whole lines to a record file.
#include <filesystem>
#include <string>

namespace kyomat {

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
