#pragma once
// The bout list: rows of eight text cells with a header row, a team mode and two team names,
// and its file form (.kfl).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kyomat {

class BoutList {
  public:
    static constexpr int k_columns = 8;
    static constexpr int k_result_column = 5;
    // A list of more bouts, or a bigger file, is refused with a message: one mat's list is a
    // few hundred bouts, and a list of this size still loads into the panel's grid in a few
    // milliseconds, so that reading it never holds the clock. The editor saves at most
    // k_max_bouts and k_max_file_bytes; reading accepts a tenth more, so that the results
    // written into a list never push it out of reach.
    static constexpr int k_max_bouts = 10000;
    static constexpr std::uintmax_t k_max_file_bytes = std::uintmax_t{4} * 1024 * 1024;
    static constexpr int k_max_bouts_read = k_max_bouts + k_max_bouts / 10;
    static constexpr std::uintmax_t k_max_file_bytes_read =
        k_max_file_bytes + k_max_file_bytes / 10;
    // A stated row count beyond this is not believed; the rows the file holds are kept.
    static constexpr int k_max_rows = k_max_bouts_read + 1;
    // How the file was written: a list keeps its encoding, so that a UTF-8 list from another
    // program keeps every name, and a code page list stays readable by older programs.
    enum class Encoding { cp1252, utf8, utf8_with_bom };
    struct Row : std::array<std::string, k_columns> {
        // Fields after the eighth cell, as the file held them (each with its leading "|"):
        // never shown, but written back so that a save loses nothing it read.
        std::string tail{};
    };

    BoutList() { reset(); }

    // Header row and one empty bout row, team mode off, no team names.
    void reset();

    // Rows including the header row 0.
    int row_count() const { return static_cast<int>(rows.size()); }
    // A bout is open while its result cell, trailing blanks removed, is empty.
    bool is_open(int row) const;
    // An open row without a name on either side and without a weight class is no bout: the
    // next bout is never taken from it.
    bool is_open_bout(int row) const;
    // A row that names a fighter: a desk keeps rows for bouts whose fighters are not known
    // yet (no names, blanks, or the placeholder "Name, Vorname" on both sides), and such a
    // row is neither called nor taken.
    bool has_pairing(int row) const;

    std::vector<Row> rows;
    bool team_mode = false;
    std::string team1, team2;
    // The age class of the list's bouts (an optional sixth field of the "#PAR" record);
    // empty when the list names none.
    std::string age_class;
    // Set by the reader when the file held more than k_max_bouts_read bouts (the list is then
    // left empty).
    bool too_many_bouts = false;
    // How many "#DAT" rows the file held: a count in "#PAR" beyond them gives empty rows that
    // the editor shows, but that the file never had.
    int rows_in_file = 0;
    // The row count "#PAR" states (rows and the header row): a list another program is still
    // writing states the rows it will have, not those it has so far.
    int stated_rows = 0;
    Encoding encoding = Encoding::cp1252;
};

// The header texts of row 0.
const BoutList::Row& bout_list_header();

// Every cell, the age class and the team names without leading and trailing blanks (a blank
// typed into a cell is never a value); true when something changed.
bool trim_bout_list(BoutList& list);
// Parses the file's bytes (code page 1252, CR LF or LF). Returns whether the two header
// records were valid; the list is reset first and filled only when they were.
bool parse_bout_list(std::string_view bytes, BoutList& list);
// The file's bytes for the list, stamped with the date (yyyymmdd) and time (hhmmss).
std::string format_bout_list(const BoutList& list, int date, int time);
// The first cell (or team name) holding a character that the file cannot hold (only a code
// page list has such characters), or empty.
std::string unsaveable_text(const BoutList& list);

// The bout's identity in a list: weight class, both names and clubs.
using BoutCells = std::array<std::string, 5>;
// The open row that holds these cells: hint when it does, else the one open row that does;
// 0 when there is none, or more than one.
int find_bout_row(const BoutList& list, const BoutCells& cells, int hint);
// Whether two lists hold the same bouts, teams and age class (the save stamp aside).
bool same_content(const BoutList& a, const BoutList& b);

// Splits at every '|': n separators give n + 1 fields.
std::vector<std::string> split_fields(std::string_view line);

}  // namespace kyomat
