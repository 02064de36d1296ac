#include "data/core/bout_list.h"

#include <algorithm>
#include <cstring>

#include "data/core/basis.h"
#include "data/core/cp1252.h"

namespace kyomat {

const BoutList::Row& bout_list_header() {
    static const BoutList::Row header = {{"Gew/Nr", "Name (1)", "Verein (1)", "Name (2)",
                                          "Verein (2)", "Erg.", "Unterbew.", "Kampfzeit"},
                                         {}};
    return header;
}

void BoutList::reset() {
    team1.clear();
    team2.clear();
    age_class.clear();
    team_mode = false;
    too_many_bouts = false;
    rows_in_file = 0;
    stated_rows = 0;
    encoding = Encoding::cp1252;
    rows.assign(2, Row{});
    rows[0] = bout_list_header();
}

bool BoutList::is_open(int row) const {
    if (row < 1 || row >= row_count()) return false;
    return trim_right(rows[static_cast<std::size_t>(row)][k_result_column]).empty();
}

bool BoutList::is_open_bout(int row) const {
    if (!is_open(row)) return false;
    const Row& r = rows[static_cast<std::size_t>(row)];
    return !trim_blanks(r[0]).empty() || !trim_blanks(r[1]).empty() || !trim_blanks(r[3]).empty();
}

bool BoutList::has_pairing(int row) const {
    if (row < 1 || row >= row_count()) return false;
    const Row& r = rows[static_cast<std::size_t>(row)];
    const auto named = [](const std::string& cell) {
        const std::string name = trim_blanks(cell);
        return !name.empty() && name != "Name, Vorname";
    };
    return named(r[1]) || named(r[3]);
}

int find_bout_row(const BoutList& list, const BoutCells& cells, int hint) {
    const auto holds_bout = [&](int r) {
        if (!list.is_open(r)) return false;
        const auto& row = list.rows[static_cast<std::size_t>(r)];
        // Blanks around a name are no part of it: the editor saves cells without them.
        return std::equal(cells.begin(), cells.end(), row.begin(),
                          [](const std::string& a, const std::string& b) {
                              return a == b || trim_blanks(a) == trim_blanks(b);
                          });
    };
    if (holds_bout(hint)) return hint;
    int found = 0;
    for (int r = 1; r < list.row_count(); ++r) {
        if (!holds_bout(r)) continue;
        // Two open rows with the same fighters: which one is the bout cannot be told.
        if (found != 0) return 0;
        found = r;
    }
    return found;
}

bool same_content(const BoutList& a, const BoutList& b) {
    if (a.team_mode != b.team_mode || a.team1 != b.team1 || a.team2 != b.team2 ||
        a.age_class != b.age_class || a.rows.size() != b.rows.size())
        return false;
    for (std::size_t r = 1; r < a.rows.size(); ++r) {
        if (static_cast<const std::array<std::string, BoutList::k_columns>&>(a.rows[r]) !=
                static_cast<const std::array<std::string, BoutList::k_columns>&>(b.rows[r]) ||
            a.rows[r].tail != b.rows[r].tail)
            return false;
    }
    return true;
}

std::vector<std::string> split_fields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t bar = line.find('|', pos);
        if (bar == std::string_view::npos) {
            fields.emplace_back(line.substr(pos));
            return fields;
        }
        fields.emplace_back(line.substr(pos, bar - pos));
        pos = bar + 1;
    }
}

namespace {

// The next line of raw bytes (without its line end).
bool next_raw_line(std::string_view bytes, std::size_t& pos, std::string_view& line) {
    if (pos >= bytes.size()) return false;
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    return true;
}

bool is_ascii(std::string_view s) {
    return ascii_run_end(s, 0) == s.size();
}

}  // namespace

bool trim_bout_list(BoutList& list) {
    bool changed = false;
    const auto tidy = [&changed](std::string& text) {
        std::string trimmed = trim_blanks(text);
        if (trimmed != text) {
            text = std::move(trimmed);
            changed = true;
        }
    };
    tidy(list.age_class);
    tidy(list.team1);
    tidy(list.team2);
    for (std::size_t r = 1; r < list.rows.size(); ++r) {
        for (std::string& cell : list.rows[r]) tidy(cell);
    }
    return changed;
}

namespace {

// A list an editor saved as UTF-8 is read as such, and written back so. Code page 1252 is
// decoded once, as a whole (into decoded): the cells are then plain copies. Returns the
// encoding to write back in; bytes is the text as UTF-8.
BoutList::Encoding read_as_utf8(std::string_view file_bytes, std::string& decoded,
                                std::string_view& bytes) {
    bytes = without_utf8_bom(file_bytes);
    const bool bom = bytes.size() != file_bytes.size();
    const bool ascii = is_ascii(bytes);
    if (!ascii && !is_utf8_text(file_bytes)) {
        decoded = cp1252_to_utf8(bytes);
        bytes = decoded;
    }
    return bom ? BoutList::Encoding::utf8_with_bom
               : (ascii || !decoded.empty() ? BoutList::Encoding::cp1252
                                            : BoutList::Encoding::utf8);
}

// A "#DAT" line's cells: cell k is field k + 1, missing fields leave empty cells, and what
// follows the last cell is kept as it was.
void read_row(std::string_view line, BoutList::Row& row) {
    std::size_t start = line.size() > 4 ? 5 : line.size() + 1;
    for (std::size_t k = 0; k < row.size(); ++k) {
        if (start > line.size()) {
            row[k].clear();
            continue;
        }
        std::size_t bar = line.find('|', start);
        if (bar == std::string_view::npos) bar = line.size();
        row[k].assign(line.substr(start, bar - start));
        start = bar + 1;
    }
    row.tail.clear();
    if (start <= line.size()) row.tail.assign(line.substr(start - 1));
}

}  // namespace

bool parse_bout_list(std::string_view file_bytes, BoutList& list) {
    list.reset();
    std::string decoded;
    std::string_view bytes;
    const BoutList::Encoding encoding = read_as_utf8(file_bytes, decoded, bytes);
    std::size_t pos = 0;
    std::string_view line;
    if (!next_raw_line(bytes, pos, line)) return false;
    const auto first = split_fields(line);
    if (first.size() < 4 || first[0] != "#STR" || first[1] != "KFL") return false;
    if (!next_raw_line(bytes, pos, line)) return false;
    const auto second = split_fields(line);
    if (second.size() < 5 || second[0] != "#PAR") return false;
    const auto stated = to_integer(second[4]);
    if (!stated) return false;

    list.encoding = encoding;
    list.stated_rows = *stated;
    list.team_mode = second[1] == "1";
    list.team1 = second[2];
    list.team2 = second[3];
    if (second.size() >= 6) list.age_class = second[5];
    const bool believed = *stated >= 1 && *stated <= BoutList::k_max_rows;
    list.rows.assign(1, bout_list_header());
    if (believed) list.rows.resize(static_cast<std::size_t>(*stated));
    std::size_t next_row = 1;
    while (next_raw_line(bytes, pos, line)) {
        if (line.substr(0, 4) != "#DAT" || (line.size() > 4 && line[4] != '|')) continue;
        // Rows beyond a stated count that is too small are kept too (and the count written
        // right on the next save): a save must never drop a bout the file held.
        if (next_row > static_cast<std::size_t>(BoutList::k_max_bouts_read)) {
            list.reset();
            list.too_many_bouts = true;
            return false;
        }
        if (next_row >= list.rows.size()) list.rows.emplace_back();
        read_row(line, list.rows[next_row++]);
        list.rows_in_file = static_cast<int>(next_row) - 1;
    }
    return true;
}

namespace {

std::string format_utf8(const BoutList& list, int date, int time) {
    std::string bytes = list.encoding == BoutList::Encoding::utf8_with_bom ? "\xEF\xBB\xBF" : "";
    bytes += "#STR|KFL|" + std::to_string(date) + "|" + std::to_string(time) + "\r\n#PAR|" +
             bool_to_digit(list.team_mode) + "|" + list.team1 + "|" + list.team2 + "|" +
             std::to_string(list.row_count()) +
             (list.age_class.empty() ? std::string() : "|" + list.age_class) + "\r\n";
    bytes.reserve(bytes.size() + list.rows.size() * 64);
    for (std::size_t r = 1; r < list.rows.size(); ++r) {
        bytes += "#DAT";
        for (const auto& cell : list.rows[r]) {
            bytes += '|';
            bytes += cell;
        }
        bytes += list.rows[r].tail;
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace

std::string format_bout_list(const BoutList& list, int date, int time) {
    if (list.encoding != BoutList::Encoding::cp1252) return format_utf8(list, date, time);
    // Written in code page 1252 as it is built: each text is encoded once, in place.
    std::string bytes;
    for (const std::string& piece :
         {std::string("#STR|KFL|"), std::to_string(date), std::string("|"), std::to_string(time),
          std::string("\r\n#PAR|"), bool_to_digit(list.team_mode), std::string("|"), list.team1,
          std::string("|"), list.team2, std::string("|"), std::to_string(list.row_count()),
          // A list without an age class keeps the five fields older readers know.
          list.age_class.empty() ? std::string() : "|" + list.age_class, std::string("\r\n")}) {
        append_as_cp1252(bytes, piece);
    }
    // The rows in one pass into a buffer that grows as needed: a text's encoding never takes
    // more bytes than its UTF-8.
    std::size_t used = bytes.size();
    bytes.resize(std::max<std::size_t>(4096, list.rows.size() * 64));
    const auto room = [&](std::size_t n) {
        if (bytes.size() - used < n) bytes.resize(std::max(bytes.size() * 2, used + n));
        return bytes.data() + used;
    };
    int unmappable = 0;
    for (std::size_t r = 1; r < list.rows.size(); ++r) {
        const BoutList::Row& row = list.rows[r];
        char* out = room(4);
        // The buffer holds bytes of the file, not a C string: no terminating zero is wanted.
        // NOLINTNEXTLINE(bugprone-not-null-terminated-result)
        std::memcpy(out, "#DAT", 4);
        used += 4;
        for (const auto& cell : row) {
            out = room(cell.size() + 1);
            *out++ = '|';
            used = static_cast<std::size_t>(encode_cp1252(out, cell, unmappable) - bytes.data());
        }
        out = room(row.tail.size() + 2);
        out = encode_cp1252(out, row.tail, unmappable);
        *out++ = '\r';
        *out++ = '\n';
        used = static_cast<std::size_t>(out - bytes.data());
    }
    bytes.resize(used);
    return bytes;
}

std::string unsaveable_text(const BoutList& list) {
    if (list.encoding != BoutList::Encoding::cp1252) return {};
    auto check = [](const std::string& cell) -> std::string {
        int bad = 0;
        utf8_to_cp1252(cell, &bad);
        return bad > 0 ? cell : std::string();
    };
    for (const std::string* s : {&list.team1, &list.team2, &list.age_class}) {
        if (auto bad = check(*s); !bad.empty()) return bad;
    }
    for (const auto& row : list.rows) {
        for (const auto& cell : row) {
            if (auto bad = check(cell); !bad.empty()) return bad;
        }
        if (auto bad = check(row.tail); !bad.empty()) return bad;
    }
    return {};
}

}  // namespace kyomat
