#include "data/core/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>
#include <thread>
#include <utility>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kyomat {
namespace fs = std::filesystem;

namespace {

std::string quoted(const fs::path& file) {
    return "\"" + utf8_of(file) + "\"";
}

const char* kind_of(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "ein Ordner";
        case fs::file_type::fifo:
            return "eine Pipe";
        case fs::file_type::socket:
            return "ein Socket";
        case fs::file_type::character:
        case fs::file_type::block:
            return "ein Gerät";
        default:
            return "keine gewöhnliche Datei";
    }
}

// The file a path names in the end: links are followed, also when their target is missing.
fs::path final_target(const fs::path& file) {
    fs::path target = file;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec))) break;
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

// Writes a new file and flushes it; false with the system's error number when it cannot.
bool write_new_file(const fs::path& path, const std::string& bytes, fs::perms perms,
                    int& error_number) {
    error_number = 0;
#if defined(_WIN32)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) {
            error_number = errno;
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            error_number = errno;
            return false;
        }
    }
    std::FILE* f = _wfopen(path.c_str(), L"rb+");
    if (f == nullptr) {
        error_number = errno;
        return false;
    }
    const bool ok = _commit(_fileno(f)) == 0;
    if (!ok) error_number = errno;
    std::fclose(f);
    if (ok && perms != fs::perms::none) {
        std::error_code ec;
        fs::permissions(path, perms, fs::perm_options::replace, ec);
    }
    return ok;
#else
    // One descriptor for writing, the old file's permissions and the flush. A new file gets
    // the usual permissions less the umask, as a stream would have given it.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error_number = errno;
        return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
        // A write that took nothing has found the disk full.
        if (!ok) error_number = n < 0 ? errno : ENOSPC;
    }
    if (ok && perms != fs::perms::none) ok = ::fchmod(fd, static_cast<mode_t>(perms)) == 0;
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        error_number = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error_number = errno;
    }
    return ok;
#endif
}

void flush_folder(const fs::path& folder) {
#if !defined(_WIN32)
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#else
    (void)folder;
#endif
}

bool write_protected(const fs::file_status& status) {
    using fs::perms;
    const perms write = perms::owner_write | perms::group_write | perms::others_write;
    return (status.permissions() & write) == perms::none;
}

const char* k_temp_marker = ".tmp";
// A temporary of another program (a second KYOMAT, a desk program on a shared list) may be a
// save in flight: only one left this long is a crashed save's.
constexpr auto k_foreign_temporary_age = std::chrono::minutes(10);

unsigned long own_process() {
#if defined(_WIN32)
    return static_cast<unsigned long>(_getpid());
#else
    return static_cast<unsigned long>(getpid());
#endif
}

// A temporary of a save of this file: "<name>.tmp<process>-<number>", or the older
// "<name>.tmp<number>" (no owner told). Its owner is set to the process, or 0 for none.
bool is_temporary_of(const std::string& name, const std::string& of, unsigned long& owner) {
    const std::string prefix = of + k_temp_marker;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    const std::string rest = name.substr(prefix.size());
    const std::size_t dash = rest.find('-');
    const auto digits = [](std::string_view t) {
        return !t.empty() &&
               std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (dash == std::string::npos) {
        owner = 0;
        return digits(rest);
    }
    const std::string_view process = std::string_view(rest).substr(0, dash);
    if (!digits(process) || !digits(std::string_view(rest).substr(dash + 1)) ||
        process.size() > 9) {
        return false;
    }
    owner = std::stoul(std::string(process));
    return true;
}

}  // namespace

fs::path path_from_utf8(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string utf8_of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::optional<std::string> why_not_readable(const fs::path& file, std::uintmax_t max_bytes) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (ec || !fs::exists(status)) {
        return "Die Datei " + quoted(file) + " kann nicht geöffnet werden.";
    }
    if (!fs::is_regular_file(status)) {
        return "Die Datei " + quoted(file) + " ist " + kind_of(status.type()) +
               " und wird nicht gelesen.";
    }
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec && size > max_bytes) {
        return "Die Datei " + quoted(file) + " ist zu groß (" + size_text(size) + "; höchstens " +
               size_text(max_bytes) + ") und wird nicht gelesen.";
    }
    return std::nullopt;
}

std::optional<std::string> read_whole_file(const fs::path& file, std::string& error,
                                           std::uintmax_t max_bytes) {
    if (auto why = why_not_readable(file, max_bytes)) {
        error = std::move(*why);
        return std::nullopt;
    }
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "Die Datei " + quoted(file) + " kann nicht geöffnet werden.";
        return std::nullopt;
    }
    // Never more than the limit, even if the file grows while it is read.
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(ec ? max_bytes : std::min(size, max_bytes)) + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        error = "Die Datei " + quoted(file) + " kann nicht gelesen werden.";
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > max_bytes) {
        error = "Die Datei " + quoted(file) + " ist zu groß und wird nicht gelesen.";
        return std::nullopt;
    }
    return bytes;
}

void remove_stale_temporaries(const fs::path& file) {
    const fs::path target = final_target(file);
    const std::string name = utf8_of(target.filename());
    std::error_code ec;
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const unsigned long own = own_process();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        unsigned long owner = 0;
        if (!is_temporary_of(utf8_of(it->path().filename()), name, owner)) continue;
        // Another program's save in flight is never taken away from it.
        std::error_code age_ec;
        const auto changed = fs::last_write_time(it->path(), age_ec);
        const bool old =
            !age_ec && fs::file_time_type::clock::now() - changed >= k_foreign_temporary_age;
        std::error_code remove_ec;
        if (owner == own || old) fs::remove(it->path(), remove_ec);
    }
}

bool write_file_atomically(const fs::path& file, const std::string& bytes, std::string& error) {
    return write_file_if_current(file, bytes, error, {}) == WriteOutcome::written;
}

WriteOutcome write_file_if_current(const fs::path& file, const std::string& bytes,
                                   std::string& error, const std::function<bool()>& still_current) {
    const fs::path target = final_target(file);
    const std::string failed = "Die Datei " + quoted(file) + " kann nicht geschrieben werden.";
    std::error_code ec;
    const fs::file_status old = fs::status(target, ec);
    const bool replacing = !ec && fs::exists(old);
    if (replacing && !fs::is_regular_file(old)) {
        error = "Die Datei " + quoted(file) + " ist " + kind_of(old.type()) +
                " und wird nicht überschrieben.";
        return WriteOutcome::failed;
    }
    if (replacing && write_protected(old)) {
        error = "Die Datei " + quoted(file) +
                " ist schreibgeschützt und wird nicht überschrieben. Heben Sie den Schutz auf "
                "oder speichern Sie unter einem anderen Namen.";
        return WriteOutcome::failed;
    }
    remove_stale_temporaries(target);
    // A name no other save uses, with its owner in it: a leftover of our own crashed save was
    // just removed, another program's save in flight was left alone.
    // Saved from the state keeper's writer thread and from the GUI thread alike.
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    const fs::path temp =
        target.parent_path() /
        path_from_utf8(utf8_of(target.filename()) + k_temp_marker + std::to_string(own_process()) +
                       "-" + std::to_string((seed + ++counter) % 100000));
    fs::remove(temp, ec);
    int why = 0;
    if (!write_new_file(temp, bytes, replacing ? old.permissions() : fs::perms::none, why)) {
        fs::remove(temp, ec);
        // Why, in the operator's words: no rights, a read-only medium, a full disk.
        error = why == 0 ? failed
                         : failed.substr(0, failed.size() - 1) + ": " + write_failure(why) + ".";
        return WriteOutcome::failed;
    }
    if (still_current && !still_current()) {
        fs::remove(temp, ec);
        return WriteOutcome::changed;
    }
    constexpr int k_rename_tries = 5;
    for (int attempt = 1;; ++attempt) {
        fs::rename(temp, target, ec);
        if (!ec || attempt == k_rename_tries) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (ec) {
        fs::remove(temp, ec);
        error = failed;
        return WriteOutcome::failed;
    }
    flush_folder(target.parent_path());
    return WriteOutcome::written;
}

std::string file_stamp(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec) return {};
    const auto changed = fs::last_write_time(file, ec);
    if (ec) return {};
    std::string stamp =
        std::to_string(size) + "@" + std::to_string(changed.time_since_epoch().count());
#if !defined(_WIN32)
    // A save that keeps the size within the stamp's grain (two seconds on a FAT stick) still
    // changes the file's node (saved by rename) or its change time (saved in place).
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) {
        stamp += "#" + std::to_string(st.st_ino) + "@" + std::to_string(st.st_ctim.tv_sec) + "." +
                 std::to_string(st.st_ctim.tv_nsec);
    }
#endif
    return stamp;
}

std::string size_text(std::uintmax_t bytes) {
    std::string digits = std::to_string(bytes);
    for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ".");
    return digits + " Bytes";
}

std::string write_failure(int error_number) {
    switch (error_number) {
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            return "der Datenträger ist voll";
        case EACCES:
        case EPERM:
            return "keine Schreibberechtigung (oder der Datenträger ist schreibgeschützt)";
#ifdef EROFS
        case EROFS:
            return "der Datenträger ist schreibgeschützt";
#endif
#ifdef ENXIO
        case ENXIO:
#endif
        case EISDIR:
            return "an seiner Stelle liegt keine gewöhnliche Datei";
        default:
            return std::system_category().message(error_number);
    }
}

}  // namespace kyomat
