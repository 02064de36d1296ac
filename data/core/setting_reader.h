#pragma once
// The one reader of kyomat.ini's numbers, switches and colours: a key's conversion, range,
// usual value and reaction to a bad value all come from its entry in the table of settings
// (settings_table.def), so no reader keeps a range or a default of its own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/core/settings.h"
#include "data/core/settings_keys.h"

namespace kyomat {

struct SettingReading {
    // What the key gives. Nothing for a required key without a usable value, and for an age
    // class's key that its section does not name or names badly (the global key then holds).
    std::optional<std::int32_t> value;
    // The operator's message for a bad value ("'…' ist kein gültiger Integerwert"), when the
    // key's policy reports it; empty otherwise.
    std::string report;
    // The file's value was not usable, reported or not: for a reader with a message of its own.
    bool bad = false;
};

// The value a text gives the key (a key of an "AK …" section: its entry "AK *"). strict:
// zahlen_pruefen=1, when a number must be plain digits and a switch 0 or 1.
SettingReading setting_value_of(const SettingKey& key, std::string_view text, bool strict);
// Reads the key from the file and takes it as above; zahlen_pruefen is read when the key's
// policy depends on it. An age class's key (Key::ak_...) is read from the class's section,
// which section names ("AK U18"); every other key from its own.
SettingReading read_setting_value(const Settings& settings, Key key, std::string_view section = {});
// The same for a row of the table (what walks the whole table).
SettingReading read_setting_value(const Settings& settings, const SettingKey& key,
                                  std::string_view section = {});
// The key's text as the file holds it (empty without an entry).
std::string read_setting_text(const Settings& settings, Key key, std::string_view section = {});
// The key's value, its message (if any) handed to report.
template <typename Report>
std::int32_t read_setting_number(const Settings& settings, Key key, const Report& report) {
    SettingReading r = read_setting_value(settings, key);
    if (!r.report.empty()) report(r.report);
    return r.value.value_or(0);
}
// A switch that reads "1" as on, however its policy takes other values (text "1" or number 1).
bool setting_on(const Settings& settings, Key key);

// A colour key's value: the file's "$RRGGBB", or its usual colour.
Colour read_setting_colour(const Settings& settings, Key key);

// The bout time in seconds (key kampfzeit, or kampfzeit_gs for Golden Score): the age class's
// own when its section sets a valid one, else the global key's, else its usual value.
std::int32_t get_kampfzeit(const Settings& settings, std::string_view age_class, bool golden_score);

// The usual value of a number or colour key, from the table.
std::int32_t usual_number(Key key);
Colour usual_colour(Key key);

}  // namespace kyomat
