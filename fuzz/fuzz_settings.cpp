// The kyomat.ini reader and every value form on whatever a file may hold.
#include <cstdint>
#include <string>

#include "data/core/basis.h"
#include "data/core/cp1252.h"
#include "data/core/setting_reader.h"
#include "data/core/settings.h"

namespace {
// Names as a file may hold them, in any case, and names no key has: the reader's own work.
const char* const k_names[][2] = {{"anzeige", "anz_links"},   {"ANZEIGE", "Gewk"},
                                  {"control", "Max_Shido"},   {"Farben_1", "font_name"},
                                  {"grün", "schlüssel"},      {"", ""},
                                  {"add_system", "waza-ari"}, {"Korrektur_Font", "name"}};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto& name = k_names[data[0] % 8];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string value = kyomat::read_ini_value(bytes, name[0], name[1]);
    if (kyomat::utf8_length(value) > kyomat::Settings::k_max_value) __builtin_trap();
    // Every value form the settings use.
    (void)kyomat::digits_to_number_checked(value);
    (void)kyomat::to_integer(value);
    kyomat::Colour c;
    (void)kyomat::parse_colour(value, c);
    // Every number and switch of the table takes the value within its range, or gives none.
    for (const kyomat::SettingKey& key : kyomat::setting_keys()) {
        if (key.kind == kyomat::SettingKind::text || key.kind == kyomat::SettingKind::colour ||
            key.kind == kyomat::SettingKind::file) {
            continue;
        }
        for (const bool strict : {false, true}) {
            const auto r = kyomat::setting_value_of(key, value, strict);
            const bool any_switch = key.kind == kyomat::SettingKind::flag && !strict;
            if (r.value && !any_switch && (*r.value < key.lowest || *r.value > key.highest)) {
                __builtin_trap();
            }
        }
    }
    (void)kyomat::date_text_to_number(value);
    (void)kyomat::time_text_to_number(value);
    (void)kyomat::upper_case_de(value);
    (void)kyomat::trim_right(value);
    // Decoding and encoding round-trip the raw bytes exactly.
    int bad = 0;
    if (kyomat::utf8_to_cp1252(kyomat::cp1252_to_utf8(bytes), &bad) != bytes || bad != 0) {
        __builtin_trap();
    }
    return 0;
}
