#pragma once
// The small file that keeps the bout on the board across a crash or a power cut: one
// "key=value" per line under a line naming the form, values with their line ends and
// backslashes escaped. A whole file is written each time (see the program's state keeper).
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kyomat {

using StateValues = std::vector<std::pair<std::string, std::string>>;
using StateMap = std::map<std::string, std::string, std::less<>>;

// The first line of the file; a file of another form is not read.
constexpr std::string_view k_state_form = "KYOMAT Kampfstand 1";
// The file's name in the program's folder.
constexpr const char* k_state_file_name = "kampfstand.txt";

std::string format_state(const StateValues& values);
// The values of a file of this form, or nothing (another form, or a damaged file).
std::optional<StateMap> parse_state(std::string_view text);

// Typed readings of one value: nothing when it is missing or not of that kind.
std::optional<int> state_int(const StateMap& map, std::string_view key);
std::optional<bool> state_bool(const StateMap& map, std::string_view key);

}  // namespace kyomat
