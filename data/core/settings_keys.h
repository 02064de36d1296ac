#pragma once
// Every key of kyomat.ini in one table (settings_table.def): its section, kind, range, usual
// value and meaning. The readers take their ranges from it, and a test holds the README's
// and the manual's tables against it, so a new key is added there first.
#include <cstdint>
#include <span>
#include <string_view>

namespace kyomat {

enum class SettingKind {
    number,      // the digits of the text count ("-2" reads 2); plain digits with zahlen_pruefen
    integer,     // a whole number with its sign, as written
    flag,        // a switch: on when it reads 1
    text,        // taken as it stands
    colour,      // $RRGGBB
    percentage,  // the digits of the text, in its range
    file,        // a path, relative ones from the program's folder
};

// What a value that the key cannot take gives. A missing or empty value always gives the
// usual one (except for a required key); an age class's own key that its section names badly
// is always reported, and the global key holds.
enum class SettingPolicy {
    report,         // reported, and the usual value kept (a whole number that is no number at
                    // all silently gives the usual value); a switch's range counts only with
                    // zahlen_pruefen, otherwise any number other than 1 is off
    zero_is_usual,  // as report, and 0 gives the usual value too
    clamp,          // beyond the range reads as its nearest end
    silent,         // the usual value, without a word
    text_one,       // a switch that is on only when the text reads 1, and off for anything else
    required,       // no usual value: a missing or bad value is reported and gives nothing
};

struct SettingKey {
    std::string_view section;  // "AK *" stands for every age class's own section
    std::string_view key;
    SettingKind kind;
    SettingPolicy policy;
    std::int64_t lowest = 0, highest = 0;  // for numbers
    std::string_view usual;                // the value without an entry
    std::string_view meaning;
};

// Every key as a constant, from the table's own list: a key that is not in the table is a
// compile error.
enum class Key {
#define KYOMAT_KEY(id, section, key, kind, policy, lowest, highest, usual, meaning) id,
#include "data/core/settings_table.def"
#undef KYOMAT_KEY
    count
};

// The key's row of the table.
const SettingKey& setting_key(Key key);
// The whole table, in the order of the sample file.
std::span<const SettingKey> setting_keys();
// Whether a section of that name is one the program reads (names ignore case; any "AK …").
bool known_section(std::string_view name);
// The entry of a key named at run time (names ignore case, as the reader's do); "AK *" for an
// age class's own section. The program reads its keys by their constants; this is for what
// walks the file's own names. A key that is not in the table ends the program, so a reader
// never works with a range nobody wrote down.
const SettingKey& setting_key(std::string_view section, std::string_view key);

}  // namespace kyomat
