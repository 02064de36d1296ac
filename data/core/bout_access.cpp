#include "data/core/bout_access.h"

#include "data/core/basis.h"
#include "data/core/file_io.h"

namespace kyomat {

bool BoutListFile::load_from_file() {
    list.reset();
    modified = false;
    remove_stale_temporaries(current_file());
    std::string error;
    const auto bytes = read_whole_file(current_file(), error, BoutList::k_max_file_bytes);
    file_failed_ = !bytes;
    if (!bytes) {
        report(error, MessageKind::error);
        return false;
    }
    if (parse_bout_list(*bytes, list)) return true;
    if (list.too_many_bouts) {
        // Refused like a file that cannot be read: a result stays on the board.
        file_failed_ = true;
        report("Die Kampfliste \"" + utf8_of(current_file()) + "\" hat mehr als " +
                   std::to_string(BoutList::k_max_bouts) +
                   " Kämpfe und wird nicht gelesen. Bitte die Liste teilen.",
               MessageKind::error);
    }
    return false;
}

bool BoutListFile::write_to_file() {
    const std::string bytes = format_bout_list(list, today_as_number(), now_as_number());
    // A character the file cannot hold came out as "?": find it and refuse.
    if (bytes.find('?') != std::string::npos) {
        if (const std::string bad = unsaveable_text(list); !bad.empty()) {
            report("Die Kampfliste wurde nicht gespeichert: \"" + bad +
                       "\" enthält ein Zeichen, das die Listendatei nicht aufnehmen kann. "
                       "Bitte ersetzen.",
                   MessageKind::error);
            return false;
        }
    }
    std::string error;
    if (!write_file_atomically(current_file(), bytes, error)) {
        report(error, MessageKind::error);
        return false;
    }
    modified = false;
    return true;
}

void BoutListFile::new_list() {
    file_name = "neu.kfl";
    folder = program_folder_;
    list.reset();
    modified = false;
}

// The scoreboard's reading of the list: a damaged list is said to be one, not taken for a
// list without an open bout.
bool BoutListAccess::load() {
    if (file_.load_from_file()) return true;
    if (!file_.file_failed()) {
        file_.report("Die Kampfliste \"" + utf8_of(file_.current_file()) +
                         "\" ist beschädigt (die Kopfzeilen #STR|KFL und #PAR fehlen oder sind "
                         "ungültig) und wird nicht gelesen.",
                     MessageKind::warning);
    }
    return false;
}

ListOutcome BoutListAccess::kampf_laden(EntryFields& fields) {
    bool found = false;
    team_bout = false;
    const bool loaded = load();
    if (loaded) {
        const BoutList& list = file_.list;
        int blue = 0;
        int white = 0;
        for (int r = 1; r < list.row_count() && !found; ++r) {
            const auto& row = list.rows[static_cast<std::size_t>(r)];
            const std::string result = trim_right(row[BoutList::k_result_column]);
            if (!result.empty()) {
                if (result[0] == '1') {
                    ++blue;
                } else if (result.find('1') != std::string::npos) {
                    ++white;
                }
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
            team_bout = list.team_mode;
            found = true;
        }
    }
    list_result_due = found;
    if (file_.file_failed()) return ListOutcome::failed;
    return found ? ListOutcome::done : ListOutcome::nothing;
}

ListOutcome BoutListAccess::anzeige_in_liste(const BoutResult& result) {
    const std::string& s = result.result_value;
    const std::string outcome = result.no_winner ? "0:0" : (result.blue_won ? "1:0" : "0:1");
    const std::string detail = result.no_winner ? "0:0" : (result.blue_won ? s + ":0" : "0:" + s);
    // Only a bout taken from the list has a row; whether the panel shows the list does not
    // matter, so that hiding the grid can never lose a result.
    if (!list_result_due) return ListOutcome::nothing;
    if (!load()) {
        return file_.file_failed() ? ListOutcome::failed : ListOutcome::nothing;
    }
    BoutList& list = file_.list;
    // The list may have been edited since the bout was loaded: never write a result into
    // another bout's row, and never drop it without a word.
    if (!list.is_open(result.list_position)) {
        file_.report("Das Ergebnis (" + outcome + ", " + detail + ", " + result.duration +
                         ") wurde nicht in die Kampfliste eingetragen: Kampf " +
                         std::to_string(result.list_position) +
                         " ist dort nicht mehr offen. Bitte von Hand eintragen.",
                     MessageKind::warning);
        return ListOutcome::nothing;
    }
    auto& cells = list.rows[static_cast<std::size_t>(result.list_position)];
    cells[5] = outcome;
    cells[6] = detail;
    cells[7] = result.duration;
    if (!file_.write_to_file()) return ListOutcome::failed;
    ++writes;
    return ListOutcome::done;
}

bool BoutListAccess::panel_rows(std::vector<std::array<std::string, 5>>& rows) {
    rows.clear();
    if (!load()) return false;
    for (std::size_t r = 1; r < file_.list.rows.size(); ++r) {
        const auto& c = file_.list.rows[r];
        rows.push_back({c[0], c[1], c[3], c[5], c[6]});
    }
    return true;
}

}  // namespace kyomat
