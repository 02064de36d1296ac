#include "data/core/setting_reader.h"

#include <algorithm>
#include <limits>

#include "data/core/basis.h"

namespace kyomat {
namespace {

bool of_an_age_class(std::string_view section) {
    return same_name(section.substr(0, 3), "AK ");
}

// An age class's key has no usual value of its own: where its policy needs one (0 gives the
// usual value), the global key's counts.
std::int32_t usual_of(const SettingKey& k) {
    if (!k.usual.empty() || k.section != "AK *") return to_integer(k.usual).value_or(0);
    for (const SettingKey& global : setting_keys()) {
        if (global.section != "AK *" && global.key == k.key)
            return to_integer(global.usual).value_or(0);
    }
    return 0;
}

// The number a text gives by the key's kind, or nothing when it gives none; and the text a
// report of it shows (for a digit number, the digits that were seen).
struct Converted {
    std::optional<std::int64_t> number;
    std::string shown;
};

Converted convert(const SettingKey& k, std::string_view text, bool strict) {
    switch (k.kind) {
        case SettingKind::integer:
            return {to_integer(text), std::string(text)};
        case SettingKind::percentage:
            return {digits_to_number(text), digits_of(text)};
        default:
            if (k.policy == SettingPolicy::clamp || k.policy == SettingPolicy::silent)
                return {digits_to_number(text), digits_of(text)};
            if (strict) return {setting_number(text), trim_right(text)};
            return {digits_to_number_checked(text), digits_of(text)};
    }
}

}  // namespace

SettingReading setting_value_of(const SettingKey& k, std::string_view text, bool strict) {
    const bool age_class = k.section == "AK *";
    const std::int32_t usual = usual_of(k);
    SettingReading r;
    const std::string value = trim_right(text);
    if (value.empty() && k.policy != SettingPolicy::required) {
        if (!age_class) r.value = usual;
        return r;
    }
    if (k.policy == SettingPolicy::text_one) {
        r.value = value == "1" ? 1 : 0;
        return r;
    }
    const Converted c = convert(k, value, strict);
    // Any number counts for a switch, and only 1 is on, unless numbers are checked.
    const std::int64_t highest = k.kind == SettingKind::flag && !strict
                                     ? std::numeric_limits<std::int32_t>::max()
                                     : k.highest;
    if (k.policy == SettingPolicy::clamp) {
        r.value = static_cast<std::int32_t>(std::clamp(c.number.value_or(0), k.lowest, highest));
        return r;
    }
    const bool in_range = c.number && *c.number >= k.lowest && *c.number <= highest;
    if (!in_range) {
        r.bad = true;
        const bool reported =
            age_class || k.policy == SettingPolicy::required ||
            ((k.policy == SettingPolicy::report || k.policy == SettingPolicy::zero_is_usual) &&
             (c.number || k.kind != SettingKind::integer));
        if (reported) r.report = conversion_error_text(c.shown);
        if (!age_class && k.policy != SettingPolicy::required) r.value = usual;
        return r;
    }
    r.value = static_cast<std::int32_t>(*c.number);
    if (k.policy == SettingPolicy::zero_is_usual && *r.value == 0) r.value = usual;
    return r;
}

namespace {

// Where the key is read: an age class's key in the class's section, any other in its own.
std::string_view section_of(const SettingKey& k, std::string_view section) {
    return k.section == "AK *" ? section : k.section;
}

}  // namespace

SettingReading read_setting_value(const Settings& settings, const SettingKey& k,
                                  std::string_view section) {
    const std::string_view where = section_of(k, section);
    // An age class's key without a class to read it from gives nothing.
    if (where.empty() || (k.section == "AK *" && !of_an_age_class(where))) return {};
    const bool strict = (k.policy == SettingPolicy::report ||
                         k.policy == SettingPolicy::zero_is_usual || k.section == "AK *") &&
                        setting_on(settings, Key::anzeige_zahlen_pruefen);
    return setting_value_of(k, settings.read_setting(where, k.key), strict);
}

SettingReading read_setting_value(const Settings& settings, Key key, std::string_view section) {
    return read_setting_value(settings, setting_key(key), section);
}

std::string read_setting_text(const Settings& settings, Key key, std::string_view section) {
    const SettingKey& k = setting_key(key);
    const std::string_view where = section_of(k, section);
    return where.empty() ? std::string() : settings.read_setting(where, k.key);
}

bool setting_on(const Settings& settings, Key key) {
    const SettingKey& k = setting_key(key);
    return setting_value_of(k, settings.read_setting(k.section, k.key), false).value == 1;
}

Colour read_setting_colour(const Settings& settings, Key key) {
    Colour c = usual_colour(key);
    parse_colour(read_setting_text(settings, key), c);
    return c;
}

std::int32_t usual_number(Key key) {
    return usual_of(setting_key(key));
}

Colour usual_colour(Key key) {
    Colour c;
    parse_colour(setting_key(key).usual, c);
    return c;
}

std::int32_t get_kampfzeit(const Settings& settings, std::string_view age_class,
                           bool golden_score) {
    if (const std::string section = age_class_section(age_class); !section.empty()) {
        const Key own = golden_score ? Key::ak_kampfzeit_gs : Key::ak_kampfzeit;
        if (const auto value = read_setting_value(settings, own, section).value) return *value;
    }
    const Key global = golden_score ? Key::anzeige_kampfzeit_gs : Key::anzeige_kampfzeit;
    return read_setting_value(settings, global).value.value_or(0);
}

}  // namespace kyomat
