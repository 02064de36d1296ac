// The bout list reader and writer: whatever loads, saved and loaded again, is the same list.
#include <cstdint>
#include <string>

#include "data/core/bout_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kyomat::BoutList list;
    if (!kyomat::parse_bout_list(bytes, list)) {
        if (list.row_count() != 2) __builtin_trap();  // left reset
        return 0;
    }
    if (list.row_count() < 1) __builtin_trap();
    const std::string saved = kyomat::format_bout_list(list, 20261206, 102345);
    kyomat::BoutList again;
    if (!kyomat::parse_bout_list(saved, again)) __builtin_trap();
    if (again.rows != list.rows || again.team_mode != list.team_mode ||
        again.team1 != list.team1 || again.team2 != list.team2) {
        __builtin_trap();
    }
    return 0;
}
