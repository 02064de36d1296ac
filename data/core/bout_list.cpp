#include "data/core/bout_list.h"

#include "data/core/basis.h"
#include "data/core/cp1252.h"

namespace kyomat {

const BoutList::Row& bout_list_header() {
    static const BoutList::Row header = {"Gew/Nr",    "Name (1)", "Verein (1)", "Name (2)",
                                         "Verein (2)", "Erg.",     "Unterbew.",  "Kampfzeit"};
    return header;
}

void BoutList::reset() {
    team1.clear();
    team2.clear();
    team_mode = false;
    rows.assign(2, Row{});
    rows[0] = bout_list_header();
}

bool BoutList::is_open(int row) const {
    if (row < 1 || row >= row_count()) return false;
    return trim_right(rows[static_cast<std::size_t>(row)][k_result_column]).empty();
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

std::string join_fields(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += '|';
        out += fields[i];
    }
    return out;
}

namespace {

// The next line of bytes (without its line end), decoded.
bool next_line(std::string_view bytes, std::size_t& pos, std::string& line) {
    if (pos >= bytes.size()) return false;
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw = bytes.substr(pos, end - pos);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    line = cp1252_to_utf8(raw);
    pos = end + 1;
    return true;
}

}  // namespace

bool parse_bout_list(std::string_view bytes, BoutList& list) {
    list.reset();
    std::size_t pos = 0;
    std::string line;
    if (!next_line(bytes, pos, line)) return false;
    const auto first = split_fields(line);
    if (first.size() < 4 || first[0] != "#STR" || first[1] != "KFL") return false;
    if (!next_line(bytes, pos, line)) return false;
    const auto second = split_fields(line);
    if (second.size() < 5 || second[0] != "#PAR") return false;
    const auto stated = to_integer(second[4]);
    if (!stated) return false;

    list.team_mode = second[1] == "1";
    list.team1 = second[2];
    list.team2 = second[3];
    const bool believed = *stated >= 1 && *stated <= BoutList::k_max_rows;
    list.rows.assign(1, bout_list_header());
    if (believed) list.rows.resize(static_cast<std::size_t>(*stated));
    std::size_t next_row = 1;
    while (next_line(bytes, pos, line)) {
        auto fields = split_fields(line);
        if (fields[0] != "#DAT") continue;
        if (believed && next_row >= list.rows.size()) continue;
        if (!believed) list.rows.emplace_back();
        BoutList::Row& row = list.rows[next_row++];
        for (int k = 0; k < BoutList::k_columns; ++k) {
            const std::size_t f = static_cast<std::size_t>(k) + 1;
            row[static_cast<std::size_t>(k)] = f < fields.size() ? std::move(fields[f]) : "";
        }
    }
    return true;
}

std::string format_bout_list(const BoutList& list, int date, int time) {
    std::string text = join_fields({"#STR", "KFL", std::to_string(date), std::to_string(time)});
    text += "\r\n";
    text += join_fields({"#PAR", bool_to_digit(list.team_mode), list.team1, list.team2,
                         std::to_string(list.row_count())});
    text += "\r\n";
    for (std::size_t r = 1; r < list.rows.size(); ++r) {
        std::vector<std::string> fields{"#DAT"};
        fields.insert(fields.end(), list.rows[r].begin(), list.rows[r].end());
        text += join_fields(fields);
        text += "\r\n";
    }
    return utf8_to_cp1252(text);
}

std::string unsaveable_text(const BoutList& list) {
    auto check = [](const std::string& cell) -> std::string {
        int bad = 0;
        utf8_to_cp1252(cell, &bad);
        return bad > 0 ? cell : std::string();
    };
    for (const std::string* s : {&list.team1, &list.team2}) {
        if (auto bad = check(*s); !bad.empty()) return bad;
    }
    for (const auto& row : list.rows) {
        for (const auto& cell : row) {
            if (auto bad = check(cell); !bad.empty()) return bad;
        }
    }
    return {};
}

}  // namespace kyomat
