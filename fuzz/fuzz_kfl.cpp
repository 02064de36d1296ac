// The bout list reader and writer: whatever loads, saved and loaded again, is the same list.
#include <cstdint>
#include <string>

#include "data/core/bout_list.h"
#include "data/core/cp1252.h"

namespace {

// Lists that claim thousands of rows are correct but slow to build and compare, and they
// add no branches (the unit tests cover the row-count rules): skip them to keep the fuzzer
// fast on everything else.
bool claims_many_rows(std::string_view bytes) {
    const std::size_t par = bytes.find("#PAR|");
    if (par == std::string_view::npos) return false;
    std::size_t end = bytes.find('\n', par);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(par, end - par);
    const std::size_t last = line.rfind('|');
    std::size_t digits = 0;
    for (std::size_t i = last + 1; i < line.size(); ++i) {
        if (line[i] >= '0' && line[i] <= '9') ++digits;
    }
    return digits >= 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (claims_many_rows(bytes)) return 0;
    kyomat::BoutList list;
    if (!kyomat::parse_bout_list(bytes, list)) {
        if (list.row_count() != 2) __builtin_trap();  // left reset
        return 0;
    }
    if (list.row_count() < 1) __builtin_trap();
    // A list read from UTF-8 may hold characters the file cannot: the program refuses to save
    // it with a message (checked by the tests), so there is no round trip to check.
    if (!kyomat::unsaveable_text(list).empty()) return 0;
    const std::string saved = kyomat::format_bout_list(list, 20261206, 102345);
    // Code page 1252 that forms valid UTF-8 is read as UTF-8 by rule (see is_utf8_text).
    if (kyomat::is_utf8_text(saved)) return 0;
    kyomat::BoutList again;
    if (!kyomat::parse_bout_list(saved, again)) __builtin_trap();
    if (again.rows != list.rows || again.team_mode != list.team_mode || again.team1 != list.team1 ||
        again.team2 != list.team2) {
        __builtin_trap();
    }
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        if (again.rows[r].tail != list.rows[r].tail) __builtin_trap();  // cells past the eighth
    }
    return 0;
}
