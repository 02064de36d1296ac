#pragma once
// Every key of kyomat.ini in one table: its section, kind, range, usual value and meaning.
// The readers take their ranges from it, and a test holds the README's and the manual's
// tables against it, so a new key is added here first.
#include <cstdint>
#include <span>
#include <string_view>

namespace kyomat {

enum class SettingKind {
    number,      // digits; beyond the range reported and the usual value kept
    flag,        // on when it reads 1
    text,        // taken as it stands
    colour,      // $RRGGBB
    percentage,  // 2 to 199, else 100
    file,        // a path, relative ones from the program's folder
};

struct SettingKey {
    std::string_view section;  // "AK *" stands for every age class's own section
    std::string_view key;
    SettingKind kind;
    std::int64_t lowest = 0, highest = 0;  // for numbers
    std::string_view usual;                // the value without an entry
    std::string_view meaning;
};

// The whole table, in the order of the sample file.
std::span<const SettingKey> setting_keys();
// Whether a section of that name is one the program reads (names ignore case; any "AK …").
bool known_section(std::string_view name);
// The entry of a key (names ignore case, as the reader's do); "AK *" for an age class's own
// section. A key that is not in the table is a programming error: the function then ends
// the program, so a reader never works with a range nobody wrote down.
const SettingKey& setting_key(std::string_view section, std::string_view key);

}  // namespace kyomat
