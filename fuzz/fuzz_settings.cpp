// The kyomat.ini reader and every value form on whatever a file may hold.
#include <cstdint>
#include <string>

#include "data/core/basis.h"
#include "data/core/cp1252.h"
#include "data/core/settings.h"

namespace {
const char* const k_names[][2] = {{"anzeige", "anz_links"},   {"ANZEIGE", "Gewk"},
                                  {"control", "Max_Shido"},   {"Farben_1", "font_name"},
                                  {"grün", "schlüssel"},      {"", ""},
                                  {"add_system", "waza-ari"}, {"Korrektur_Font", "name"}};
}

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
    int percent = 100;
    if (kyomat::parse_font_correction(value, percent) && (percent < 2 || percent > 199)) {
        __builtin_trap();
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
