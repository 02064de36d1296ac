// The scoreboard's reading of a list that another program may be writing at this moment:
// taken only when it is whole and still.
#include <chrono>
#include <filesystem>
#include <thread>

#include "data/core/bout_access.h"
#include "data/core/file_io.h"

namespace kyomat {

bool BoutListFile::read_settled(BoutList& into, std::string* raw, bool wait, bool quiet) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until =
        Clock::now() + std::chrono::milliseconds(wait && !never_wait ? settle_ms : 0);
    last_read_passing_ = false;
    // Left by a killed save: looked for once per list, not at every read (a folder may hold
    // many thousand files).
    if (cleaned_ != current_file()) {
        remove_stale_temporaries(current_file());
        cleaned_ = current_file();
    }
    std::string error;
    for (;;) {
        into.reset();
        const std::string stamp_before = file_stamp(current_file());
        auto bytes = read_whole_file(current_file(), error, BoutList::k_max_file_bytes_read);
        bool ok = bytes && parse_bout_list(*bytes, into);
        // A save caught half-way ends inside a line, or between two lines of a list whose
        // head states more rows than it has yet; a whole file ends with its line end.
        const bool cut =
            ok && !settled(stamp_before, into, bytes->empty() || bytes->back() == '\n');
        // Another program's save in progress: gone for a moment, empty, or not yet whole.
        std::error_code ec;
        const bool passing = cut || (!bytes && !std::filesystem::exists(current_file(), ec)) ||
                             (bytes && !ok && !into.too_many_bouts);
        if (ok && !cut) {
            if (raw != nullptr) *raw = std::move(*bytes);
            return true;
        }
        if (!passing || Clock::now() >= until) {
            // A file that is not there is not one being written: nothing to wait for.
            last_read_passing_ = passing && bytes.has_value();
            if (into.too_many_bouts) {
                error = "Die Kampfliste \"" + utf8_of(current_file()) + "\" hat mehr als " +
                        std::to_string(BoutList::k_max_bouts_read) +
                        " Kämpfe und wird nicht gelesen. Bitte die Liste teilen.";
            } else if (ok) {
                error = "Die Kampfliste \"" + utf8_of(current_file()) +
                        "\" wird gerade von einem anderen Programm geschrieben und ist noch "
                        "nicht ganz.";
            } else if (bytes && bytes->empty()) {
                error = "Die Kampfliste \"" + utf8_of(current_file()) +
                        "\" ist leer und wird nicht gelesen.";
            } else if (bytes) {
                error = "Die Kampfliste \"" + utf8_of(current_file()) +
                        "\" ist beschädigt (die Kopfzeilen #STR|KFL und #PAR fehlen oder sind "
                        "ungültig) und wird nicht gelesen.";
            }
            into.reset();
            last_read_error_ = error;
            if (!quiet) tell(error);
            return false;
        }
        if (between_reads) between_reads();
        std::this_thread::sleep_for(std::chrono::milliseconds(settle_step_ms));
    }
}

bool BoutListFile::settled(const std::string& stamp_before, const BoutList& read, bool line_ended) {
    using Clock = std::chrono::steady_clock;
    const std::string stamp = file_stamp(current_file());
    // Written to while it was read: certainly not whole.
    if (stamp.empty() || stamp != stamp_before) {
        seen_stamp_.clear();
        return false;
    }
    // Its last line ended and its head states the rows it has: a writer is done with it.
    if (line_ended && read.stated_rows == read.rows_in_file + 1) return true;
    // Otherwise (a desk program that states a wrong count or leaves the last line end out, or
    // one still writing) the file
    // counts once nobody wrote to it for longer than a slow writer pauses: seen unchanged
    // here for that long, or last changed that long ago.
    const Clock::time_point now = Clock::now();
    if (stamp != seen_stamp_) {
        seen_stamp_ = stamp;
        seen_since_ = now;
    }
    const std::chrono::milliseconds quiet(quiet_ms);
    if (now - seen_since_ >= quiet) return true;
    std::error_code ec;
    const auto changed = std::filesystem::last_write_time(current_file(), ec);
    return !ec && std::filesystem::file_time_type::clock::now() - changed >= quiet;
}

}  // namespace kyomat
