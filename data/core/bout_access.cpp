#include "data/core/bout_access.h"

#include <algorithm>

#include "data/core/basis.h"
#include "data/core/file_io.h"

namespace kyomat {

bool BoutListFile::load_from_file() {
    modified = false;
    return read_into(list);
}

bool BoutListFile::read_into(BoutList& into, std::string* raw) {
    into.reset();
    remove_stale_temporaries(current_file());
    std::string error;
    auto bytes = read_whole_file(current_file(), error, BoutList::k_max_file_bytes_read);
    if (!bytes) {
        report(error, MessageKind::error);
        return false;
    }
    const bool ok = parse_bout_list(*bytes, into);
    if (raw != nullptr) *raw = std::move(*bytes);
    if (ok) return true;
    if (into.too_many_bouts) {
        // Refused like a file that cannot be read: a result stays on the board.
        report("Die Kampfliste \"" + utf8_of(current_file()) + "\" hat mehr als " +
                   std::to_string(BoutList::k_max_bouts_read) +
                   " Kämpfe und wird nicht gelesen. Bitte die Liste teilen.",
               MessageKind::error);
    }
    return false;
}

namespace {

// The file's bytes for a list, or nothing when a character cannot be stored (reported).
std::optional<std::string> list_bytes(const BoutListFile& file, const BoutList& list) {
    std::string bytes = format_bout_list(list, today_as_number(), now_as_number());
    // A character the file cannot hold came out as "?": find it and refuse.
    if (bytes.find('?') != std::string::npos) {
        if (const std::string bad = unsaveable_text(list); !bad.empty()) {
            file.report("Die Kampfliste wurde nicht gespeichert: \"" + bad +
                            "\" enthält ein Zeichen, das die Listendatei nicht aufnehmen kann. "
                            "Bitte ersetzen.",
                        MessageKind::error);
            return std::nullopt;
        }
    }
    return bytes;
}

}  // namespace

bool BoutListFile::write_to_file() {
    // The editor saves within the limits; reading allows a tenth more for the results.
    if (list.row_count() - 1 > BoutList::k_max_bouts) {
        report("Die Kampfliste wurde nicht gespeichert: sie hat " +
                   std::to_string(list.row_count() - 1) + " Kämpfe, höchstens " +
                   std::to_string(BoutList::k_max_bouts) + " sind möglich. Bitte die Liste teilen.",
               MessageKind::error);
        return false;
    }
    const auto bytes = list_bytes(*this, list);
    if (!bytes) return false;
    if (bytes->size() > BoutList::k_max_file_bytes) {
        report("Die Kampfliste wurde nicht gespeichert: sie wäre " + size_text(bytes->size()) +
                   " groß, höchstens " + size_text(BoutList::k_max_file_bytes) +
                   " sind möglich. Bitte die Liste teilen.",
               MessageKind::error);
        return false;
    }
    std::string error;
    if (!write_file_atomically(current_file(), *bytes, error)) {
        report(error, MessageKind::error);
        return false;
    }
    modified = false;
    ++saves;
    return true;
}

bool BoutListFile::holds(const std::string& bytes) const {
    std::string error;
    const auto now = read_whole_file(current_file(), error, BoutList::k_max_file_bytes_read);
    return now && *now == bytes;
}

WriteOutcome BoutListFile::write_if_unchanged(const BoutList& written,
                                              const std::string& read_bytes) {
    const auto bytes = list_bytes(*this, written);
    if (!bytes) return WriteOutcome::failed;
    // A list the program itself could no longer read is never written.
    if (bytes->size() > BoutList::k_max_file_bytes_read) {
        report("Die Kampfliste \"" + utf8_of(current_file()) + "\" wäre mit diesem Ergebnis " +
                   size_text(bytes->size()) + " groß, mehr als " +
                   size_text(BoutList::k_max_file_bytes_read) +
                   ", und könnte nicht mehr gelesen werden: das Ergebnis wurde nicht "
                   "eingetragen und bleibt auf der Tafel. Bitte die Liste teilen.",
               MessageKind::error);
        return WriteOutcome::failed;
    }
    std::string error;
    const WriteOutcome outcome = write_file_if_current(current_file(), *bytes, error, [&] {
        if (before_replace) before_replace();
        return holds(read_bytes);
    });
    if (outcome == WriteOutcome::failed) report(error, MessageKind::error);
    return outcome;
}

void BoutListFile::new_list() {
    file_name = "neu.kfl";
    folder = program_folder_;
    list.reset();
    modified = false;
}

// The scoreboard's reading of the list: a damaged list is said to be one, not taken for a
// list without an open bout.
bool BoutListAccess::load(bool wait) {
    // A list of its own: the editor's unsaved edits in the file's list are never touched.
    unreadable_ = !file_.read_settled(list_, nullptr, wait);
    return !unreadable_;
}

ListOutcome BoutListAccess::kampf_laden(EntryFields& fields) {
    bool found = false;
    team_bout = false;
    bout_row = 0;
    last_result_.reset();
    const bool loaded = load(true);
    int blue = 0;
    int white = 0;
    std::string passed_over;
    const auto just_fought = std::exchange(just_fought_, std::nullopt);
    if (loaded) {
        const BoutList& list = list_;
        for (int r = 1; r < list.row_count() && !found; ++r) {
            const auto& row = list.rows[static_cast<std::size_t>(r)];
            const std::string result = trim_right(row[BoutList::k_result_column]);
            if (result.empty() && !list.is_open_bout(r)) continue;
            if (!result.empty()) {
                if (result[0] == '1') {
                    ++blue;
                } else if (result.find('1') != std::string::npos) {
                    ++white;
                }
                continue;
            }
            if (!list.has_pairing(r)) {
                passed_over += (passed_over.empty() ? "" : ", ") + std::to_string(r);
                continue;
            }
            if (just_fought && trim_blanks(row[1]) == just_fought->first &&
                trim_blanks(row[3]) == just_fought->second) {
                file_.tell("Zeile " + std::to_string(r) + " (" + just_fought->first + " – " +
                           just_fought->second +
                           ") ist der eben gekämpfte Kampf, dessen Ergebnis nicht eingetragen "
                           "werden konnte: sie wird übersprungen. Ergebnis bitte von Hand "
                           "eintragen.");
                continue;
            }
            fields.edtLPOS = std::to_string(r);
            // The list's age class, so that its rules apply; a list without one gives none.
            fields.edtAKID = list.age_class;
            fields.edtGEWK = row[0];
            fields.edtNAMEBlau = row[1];
            fields.edtVERNBlau = row[2];
            fields.edtNAMEWeiss = row[3];
            fields.edtVERNWeiss = row[4];
            if (list.team_mode) {
                fields.edtVERNBlau = list.team1;
                fields.edtVERNWeiss = list.team2;
                fields.edtAKID = std::to_string(blue) + ":" + std::to_string(white);
            }
            std::copy(row.begin(), row.begin() + 5, bout_cells.begin());
            bout_row = r;
            team_bout = list.team_mode;
            found = true;
        }
    }
    if (!passed_over.empty()) {
        file_.tell("Kampfliste: Zeile " + passed_over +
                   " ohne Paarung (Namen fehlen noch) übersprungen.");
    }
    // The last bout of a team match handed on: the age-class field shows the final score.
    if (loaded && !found && list_.team_mode) {
        fields.edtAKID = std::to_string(blue) + ":" + std::to_string(white);
    }
    list_result_due = found;
    // A list that cannot be read is not a list without an open bout (told as a note).
    if (!loaded) return ListOutcome::failed;
    return found ? ListOutcome::done : ListOutcome::nothing;
}

int BoutListAccess::locate_bout(const BoutList& list) const {
    return find_bout_row(list, bout_cells, bout_row);
}

int BoutListAccess::board_row_in(const BoutList& list) const {
    if (const int row = locate_bout(list); row > 0) return row;
    const std::string blue = trim_blanks(bout_cells[1]), white = trim_blanks(bout_cells[3]);
    for (int r = 1; r < list.row_count(); ++r) {
        const auto& row = list.rows[static_cast<std::size_t>(r)];
        if (list.is_open(r) && trim_blanks(row[1]) == blue && trim_blanks(row[3]) == white)
            return r;
    }
    return list.is_open(bout_row) ? bout_row : 0;
}

ListOutcome BoutListAccess::anzeige_in_liste(const BoutResult& result) {
    const std::string& s = result.result_value;
    const std::string outcome = result.no_winner ? "0:0" : (result.blue_won ? "1:0" : "0:1");
    const std::string detail = result.no_winner ? "0:0" : (result.blue_won ? s + ":0" : "0:" + s);
    // Only a bout taken from the list has a row; whether the panel shows the list does not
    // matter, so that hiding the grid can never lose a result.
    if (!list_result_due) return ListOutcome::nothing;
    const ListOutcome written = write_result({outcome, detail, result.duration});
    // Watched until the next bout is taken: another program's save must not lose it.
    if (written == ListOutcome::done) {
        last_result_ = {bout_cells, bout_row, {outcome, detail, result.duration}, file_.saves};
    }
    return written;
}

ListOutcome BoutListAccess::write_result(const std::array<std::string, 3>& cells_5_to_7,
                                         bool wait) {
    unsettled_ = false;
    const auto& [outcome, detail, duration] = cells_5_to_7;
    const std::string what = "Das Ergebnis von " + bout_cells[1] + " – " + bout_cells[3] + " (" +
                             outcome + ", " + detail + ", " + duration + ")";
    // The desk may save the list between our reading and our writing: then read it again.
    constexpr int k_attempts = 5;
    for (int attempt = 0; attempt < k_attempts; ++attempt) {
        BoutList list;
        std::string read_bytes;
        if (!file_.read_settled(list, &read_bytes, wait, true)) {
            if (!wait) {
                unsettled_ = true;
                return ListOutcome::failed;
            }
            // Another program is rewriting it, or it is gone: the result waits on the board.
            file_.tell(what + " ist noch nicht in der Kampfliste \"" + file_.file_name + "\". " +
                       file_.last_read_error() +
                       " Es bleibt auf der Tafel und wird beim nächsten Strg+N oder „Kampf "
                       "speichern“ eingetragen.");
            return ListOutcome::failed;
        }
        const int row = locate_bout(list);
        // Never into another bout's row, and never dropped without a word.
        if (row == 0) {
            just_fought_.emplace(trim_blanks(bout_cells[1]), trim_blanks(bout_cells[3]));
            file_.report(what +
                             " wurde nicht in die Kampfliste eingetragen: der Kampf ist dort "
                             "nicht mehr offen (seine Zeile fehlt, wurde geändert oder hat schon "
                             "ein Ergebnis). Bitte von Hand eintragen.",
                         MessageKind::warning);
            return ListOutcome::nothing;
        }
        // A result adds no rows: the count is written to match the rows the file has.
        list.rows.resize(std::max<std::size_t>(static_cast<std::size_t>(list.rows_in_file) + 1,
                                               static_cast<std::size_t>(row) + 1));
        auto& cells = list.rows[static_cast<std::size_t>(row)];
        cells[5] = outcome;
        cells[6] = detail;
        cells[7] = duration;
        switch (file_.write_if_unchanged(list, read_bytes)) {
            case WriteOutcome::failed:
                return ListOutcome::failed;
            case WriteOutcome::changed:
                continue;
            case WriteOutcome::written:
                bout_row = row;
                ++writes;
                if (result_written) result_written(row, cells);
                return ListOutcome::done;
        }
    }
    file_.report(what +
                     " ist noch nicht in der Kampfliste: ein anderes Programm ändert sie "
                     "ständig. Es bleibt auf der Tafel; bitte noch einmal versuchen.",
                 MessageKind::warning);
    return ListOutcome::failed;
}

void BoutListAccess::keep_last_result() {
    if (!last_result_ || last_result_->editor_saves != file_.saves) {
        // The operator's own editor saved since: a result cleared there is a correction.
        last_result_.reset();
        return;
    }
    // Its row open again with the same fighters: another program's save dropped the result.
    const int row = find_bout_row(list_, last_result_->bout, last_result_->row);
    if (row == 0) return;
    const LastResult last = *last_result_;
    // The grid's look at the list writes it: whatever is said comes unasked, as a note. A
    // look never waits while the clock may run: a list being saved again meanwhile keeps the
    // result due for the next look.
    file_.unasked = true;
    const BoutCells kept_cells = bout_cells;
    const int kept_row = bout_row;
    bout_cells = last.bout;
    bout_row = row;
    const ListOutcome written = write_result(last.cells, false);
    if (!unsettled_) last_result_.reset();
    if (written == ListOutcome::done) {
        file_.report("Das Ergebnis von " + last.bout[1] + " – " + last.bout[3] +
                         " fehlte in der Kampfliste (ein anderes Programm hat sie ohne es "
                         "gespeichert) und wurde wieder eingetragen.",
                     MessageKind::warning);
    }
    file_.unasked = false;
    bout_cells = kept_cells;
    bout_row = kept_row;
    read_into_own_list();
}

bool BoutListAccess::read_into_own_list() {
    return file_.read_settled(list_, nullptr, false, true);
}

bool BoutListAccess::panel_rows(std::vector<std::array<std::string, 5>>& rows, bool quiet) {
    rows.clear();
    // The grid follows the file during a bout: it never waits, and a list caught while the
    // desk saves it is read again at the next look.
    unreadable_ = !file_.read_settled(list_, nullptr, false, quiet);
    if (unreadable_) return false;
    keep_last_result();
    // The desk may have moved the bout on the board: the grid marks where it is now.
    if (list_result_due) {
        if (const int row = locate_bout(list_); row > 0) bout_row = row;
    }
    for (std::size_t r = 1; r < list_.rows.size(); ++r) {
        const auto& c = list_.rows[r];
        rows.push_back({c[0], c[1], c[3], c[5], c[6]});
    }
    return true;
}

}  // namespace kyomat
