// file_io's record files that grow by whole lines (the bout protocol).
#include "data/core/file_io.h"

#include <cerrno>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kyomat {
namespace fs = std::filesystem;

#if defined(_WIN32)

bool LineAppender::open(const std::filesystem::path& file, std::string& error) {
    close();
    std::error_code ec;
    if (fs::exists(file, ec) && !fs::is_regular_file(file, ec)) {
        error = write_failure(EISDIR);
        return false;
    }
    fd_ = _wopen(file.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd_ < 0) {
        error = write_failure(errno);
        return false;
    }
    return true;
}

void LineAppender::close() {
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
}

bool LineAppender::empty() const {
    return fd_ < 0 || _filelengthi64(fd_) == 0;
}

bool LineAppender::still_at(const std::filesystem::path& /*file*/) const {
    return fd_ >= 0;
}

bool LineAppender::append(const std::string& text, std::string& error) {
    const __int64 before = _filelengthi64(fd_);
    const int wrote = _write(fd_, text.data(), static_cast<unsigned>(text.size()));
    if (wrote == static_cast<int>(text.size())) return true;
    const int why = wrote < 0 ? errno : ENOSPC;
    if (before >= 0) _chsize_s(fd_, before);
    error = write_failure(why);
    return false;
}

#else

bool LineAppender::open(const std::filesystem::path& file, std::string& error) {
    close();
    // Not blocking: a pipe without a reader fails at once instead of holding the clock.
    fd_ = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error = write_failure(errno);
        return false;
    }
    struct stat st {};
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        close();
        error = write_failure(EISDIR);
        return false;
    }
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    return true;
}

void LineAppender::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool LineAppender::empty() const {
    struct stat st {};
    return fd_ < 0 || fstat(fd_, &st) != 0 || st.st_size == 0;
}

bool LineAppender::still_at(const std::filesystem::path& file) const {
    struct stat open_file {};
    struct stat named {};
    if (fd_ < 0 || fstat(fd_, &open_file) != 0 || ::stat(file.c_str(), &named) != 0) return false;
    return open_file.st_dev == named.st_dev && open_file.st_ino == named.st_ino;
}

bool LineAppender::append(const std::string& text, std::string& error) {
    struct stat st {};
    const bool sized = fstat(fd_, &st) == 0;
    const ssize_t wrote = ::write(fd_, text.data(), text.size());
    if (wrote == static_cast<ssize_t>(text.size())) return true;
    const int why = wrote < 0 ? errno : ENOSPC;
    // Half a line is taken back: the next line must not be glued onto it.
    if (sized && wrote > 0 && ftruncate(fd_, st.st_size) != 0) {
        error = write_failure(why) + "; eine halbe Zeile blieb stehen";
        return false;
    }
    error = write_failure(why);
    return false;
}

#endif

}  // namespace kyomat
