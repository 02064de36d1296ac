#include "data/core/settings_keys.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "data/core/basis.h"
#include "data/core/settings.h"

namespace kyomat {
namespace {

using K = SettingKind;
using P = SettingPolicy;
constexpr std::int64_t k_day = std::int64_t{24} * 3600;
// A number read without a range of its own: whatever 32 bits hold.
constexpr std::int64_t k_any = 2147483647;
constexpr std::int64_t k_any_negative = -k_any - 1;

// Colours of one side, for Farben_1 (blue) and Farben_2 (white).
#define KYOMAT_SIDE_COLOURS(section, back, text)                                                 \
    {                                                                                            \
        section, "hintergrund_name",           K::colour, P::silent, 0, 0,                       \
        back,    "background of the name band"},                                                 \
        {section, "hintergrund_wertung",     K::colour, P::silent, 0, 0,                         \
         back,    "background of the scores"},                                                   \
        {section, "font_name", K::colour, P::silent, 0, 0, text, "names and clubs"},             \
        {section, "font_wertung", K::colour, P::silent, 0, 0, text, "Ippon, Waza-ari and Yuko"}, \
        {section, "font_strafe", K::colour, P::silent, 0, 0, "$FF0000", "Shido"}, {              \
        section, "font_kreuz", K::colour, P::silent, 0, 0, "$00FF00", "injury crosses"           \
    }

// Ranges are wide enough for any real tournament and narrow enough that no sum or product of
// them can overflow (points 99999, a points goal 9999999, hold-downs 999 seconds).
constexpr SettingKey k_keys[] = {
    {"anzeige", "anz_links", K::integer, P::required, k_any_negative, k_any, "",
     "left pixel of the board's monitor"},
    {"anzeige", "anz_monitor", K::text, P::silent, 0, 0, "",
     "the board's monitor by name, number or extern; wins over anz_links"},
    {"anzeige", "control", K::flag, P::text_one, 0, 1, "0", "control panel at start"},
    {"anzeige", "panel_tasten", K::flag, P::text_one, 0, 1, "0",
     "keys typed into the panel reach the board"},
    {"anzeige", "protokoll", K::flag, P::text_one, 0, 1, "0", "the bout protocol"},
    {"anzeige", "zahlen_pruefen", K::flag, P::text_one, 0, 1, "0", "numbers must be plain digits"},
    {"anzeige", "ak", K::text, P::silent, 0, 0, "", "age class after start and Ctrl+E"},
    {"anzeige", "gewk", K::text, P::silent, 0, 0, "", "weight class after start and Ctrl+E"},
    {"anzeige", "name_blau", K::text, P::silent, 0, 0, "", "blue's name after start"},
    {"anzeige", "verein_blau", K::text, P::silent, 0, 0, "", "blue's club after start"},
    {"anzeige", "name_weiss", K::text, P::silent, 0, 0, "", "white's name after start"},
    {"anzeige", "verein_weiss", K::text, P::silent, 0, 0, "", "white's club after start"},
    {"anzeige", "kampfzeit", K::integer, P::report, 0, k_day, "47", "bout time, seconds"},
    {"anzeige", "kampfzeit_gs", K::integer, P::report, k_any_negative, k_day, "47",
     "Golden Score time, seconds; 0 or less: no limit"},
    {"anzeige", "haltegr_ippon", K::number, P::zero_is_usual, 0, 999, "25",
     "hold-down seconds for Ippon"},
    {"anzeige", "haltegr_waza", K::number, P::zero_is_usual, 0, 999, "20",
     "hold-down seconds for Waza-ari"},
    {"anzeige", "haltegr_yuko", K::number, P::report, 0, 999, "0",
     "hold-down seconds for a Yuko in Golden Score; 0: off"},
    {"anzeige", "geloest_wertung", K::flag, P::report, 0, 1, "0",
     "F6 gives what the hold-down reached"},
    {"anzeige", "titel_auto", K::flag, P::text_one, 0, 1, "0", "title pages at every new bout"},
    {"anzeige", "sieger_auto", K::flag, P::text_one, 0, 1, "0",
     "winner page when a result is handed on"},
    {"anzeige", "titel_dauer", K::integer, P::silent, k_any_negative, k_any, "1",
     "seconds a title page stays; 0 or less: until clicked"},
    {"anzeige", "ippon_zeigen", K::flag, P::report, 0, 1, "0", "IPPON in the winner's score area"},
    {"anzeige", "spalten_titel", K::flag, P::report, 0, 1, "0", "headings over the score columns"},
    {"anzeige", "rand_korrektur", K::flag, P::report, 0, 1, "1", "H and crosses fully on screen"},
    {"anzeige", "teams_simple", K::number, P::report, 0, k_any, "0",
     "1: Ctrl+K starts a simple team bout"},
    {"anzeige", "gong", K::file, P::silent, 0, 0, "", "the gong's sound file"},
    {"anzeige", "gong_bereit", K::flag, P::report, 0, 1, "1",
     "1: sound device awake while a clock runs; 0: only near a gong of the clock's own"},
    {"control", "ohne_waza", K::flag, P::report, 0, 1, "0", "no Waza-ari"},
    {"control", "ohne_yuko", K::flag, P::report, 0, 1, "0", "no Yuko"},
    {"control", "waza2ippon", K::flag, P::report, 0, 1, "0", "two Waza-ari make Ippon"},
    {"control", "ohne_golden_score", K::flag, P::report, 0, 1, "0",
     "no Golden Score: Ctrl+B / Ctrl+W decide"},
    {"control", "Max_Shido", K::number, P::zero_is_usual, 0, 99, "4",
     "the Shido that is Hansoku-make; 0: 4"},
    {"sieger", "strafen", K::number, P::report, 0, k_any, "0",
     "penalties decide: 1 in Golden Score, 2 also at a score tie"},
    {"add_system", "add_aktiv", K::flag, P::report, 0, 1, "0", "the points system"},
    {"add_system", "ippon", K::number, P::report, 0, 99999, "0", "points for Ippon"},
    {"add_system", "waza-ari", K::number, P::report, 0, 99999, "0", "points for Waza-ari"},
    {"add_system", "yuko", K::number, P::report, 0, 99999, "0", "points for Yuko"},
    {"add_system", "shido_1", K::number, P::report, 0, 99999, "0",
     "points to the opponent, 1st Shido"},
    {"add_system", "shido_2", K::number, P::report, 0, 99999, "0",
     "points to the opponent, 2nd Shido"},
    {"add_system", "shido_3", K::number, P::report, 0, 99999, "0",
     "points to the opponent, 3rd Shido"},
    {"add_system", "shido_4", K::number, P::report, 0, 99999, "0",
     "points to the opponent, 4th Shido"},
    {"add_system", "shido_N", K::number, P::report, 0, 99999, "0",
     "points to the opponent, later Shido"},
    {"add_system", "max_punkte", K::number, P::report, 0, 9999999, "0",
     "points that end the bout; 0: none"},
    KYOMAT_SIDE_COLOURS("Farben_1", "$FFFFFF", "$000000"),
    KYOMAT_SIDE_COLOURS("Farben_2", "$0113C4", "$FFFFFF"),
    {"Farben_A", "hintergrund_zeit_go", K::colour, P::silent, 0, 0, "$000000", "clock running"},
    {"Farben_A", "hintergrund_zeit_stop", K::colour, P::silent, 0, 0, "$000000", "clock standing"},
    {"Farben_A", "font_zeit_go", K::colour, P::silent, 0, 0, "$0EFF13", "clock figures, running"},
    {"Farben_A", "font_zeit_stop", K::colour, P::silent, 0, 0, "$FFEB00",
     "clock figures, standing"},
    {"Farben_A", "hintergrund_fuss", K::colour, P::silent, 0, 0, "$000000",
     "background of the foot"},
    {"Farben_A", "hintergrund_gs", K::colour, P::silent, 0, 0, "$E3A214", "Golden Score caption"},
    {"Farben_A", "font_gs", K::colour, P::silent, 0, 0, "$000000", "Golden Score caption's text"},
    {"Farben_A", "font_fuss", K::colour, P::silent, 0, 0, "$FFFFFF", "age and weight class"},
    {"Farben_CTRL", "hintergrund_1", K::colour, P::silent, 0, 0, "$FFFFFF", "panel, blue's side"},
    {"Farben_CTRL", "hintergrund_2", K::colour, P::silent, 0, 0, "$53A8FF", "panel, white's side"},
    {"Farben_CTRL", "knopf_1", K::colour, P::silent, 0, 0, "$000000",
     "panel's winner caption, blue"},
    {"Farben_CTRL", "knopf_2", K::colour, P::silent, 0, 0, "$151D8C",
     "panel's winner caption, white"},
    {"Korrektur_Font", "name", K::percentage, P::silent, 2, 199, "100", "size of names and clubs"},
    {"Korrektur_Font", "wertung", K::percentage, P::silent, 2, 199, "100", "size of the scores"},
    {"Korrektur_Font", "zeit", K::percentage, P::silent, 2, 199, "100", "size of the clocks"},
    {"Korrektur_Font", "fuss", K::percentage, P::silent, 2, 199, "100", "size of the foot"},
    {"Korrektur_Font", "namen_anpassen", K::flag, P::text_one, 0, 1, "0",
     "too wide texts shrink to fit"},
    {"anz_layout", "name_verein", K::number, P::clamp, 0, 2, "0", "1: names only, without clubs"},
    {"pause", "logo1", K::file, P::silent, 0, 0, "", "first picture of the pause"},
    {"pause", "logo2", K::file, P::silent, 0, 0, "", "second picture of the pause"},
    {"pause", "logo3", K::file, P::silent, 0, 0, "", "third picture of the pause"},
    {"pause", "zeit1", K::number, P::clamp, 0, k_day * 10, "0", "first picture's time, tenths"},
    {"pause", "zeit2", K::number, P::clamp, 0, k_day * 10, "0", "second picture's time, tenths"},
    {"pause", "zeit3", K::number, P::clamp, 0, k_day * 10, "0", "third picture's time, tenths"},
    {"live", "port", K::integer, P::report, 0, 65535, "0", "the live view's port; 0: off"},
    {"live", "adresse", K::text, P::silent, 0, 0, "127.0.0.1", "address the live view listens on"},
    {"live", "je_adresse", K::number, P::clamp, 1, 128, "8",
     "connections one client address may hold in the live view"},
    {"live", "matte", K::text, P::silent, 0, 0, "", "the mat's name on the hall's pages"},
    {"halle", "matten", K::text, P::silent, 0, 0, "",
     "the mats the hall page and the call-up screen show, by address"},
    {"aufruf", "sprechen", K::flag, P::text_one, 0, 1, "0", "the next bout called aloud"},
    {"aufruf", "ansage", K::text, P::silent, 0, 0, "{matte}: {blau} gegen {weiss}.",
     "what the call says of the bout on the mat"},
    {"aufruf", "bereit", K::text, P::silent, 0, 0, "Bereit machen: {blau} gegen {weiss}.",
     "what the call says of the bout after it"},
    {"aufruf", "vorname_zuerst", K::flag, P::text_one, 0, 1, "0", "names called first name first"},
    {"AK *", "kampfzeit", K::integer, P::report, 0, k_day, "", "the class's bout time"},
    {"AK *", "kampfzeit_gs", K::integer, P::report, k_any_negative, k_day, "",
     "the class's Golden Score time"},
    {"AK *", "ohne_waza", K::flag, P::report, 0, 1, "", "the class without Waza-ari"},
    {"AK *", "ohne_yuko", K::flag, P::report, 0, 1, "", "the class without Yuko"},
    {"AK *", "waza2ippon", K::flag, P::report, 0, 1, "", "two Waza-ari make Ippon in the class"},
    {"AK *", "ohne_golden_score", K::flag, P::report, 0, 1, "", "the class without Golden Score"},
    {"AK *", "Max_Shido", K::number, P::zero_is_usual, 0, 99, "", "the class's Hansoku-make Shido"},
    {"AK *", "strafen", K::number, P::report, 0, k_any, "", "the class's penalty decision"},
    {"AK *", "haltegr_ippon", K::number, P::zero_is_usual, 0, 999, "",
     "the class's hold-down for Ippon"},
    {"AK *", "haltegr_waza", K::number, P::zero_is_usual, 0, 999, "",
     "the class's hold-down for Waza-ari"},
    {"AK *", "haltegr_yuko", K::number, P::report, 0, 999, "",
     "the class's Golden Score Yuko time"},
    {"AK *", "geloest_wertung", K::flag, P::report, 0, 1, "", "the class's F6 award"},
};

#undef KYOMAT_SIDE_COLOURS

}  // namespace

std::span<const SettingKey> setting_keys() {
    return k_keys;
}

// The table's names are plain ASCII: compared in place, the look-up that every value read
// makes costs no copy of a name.
bool known_section(std::string_view name) {
    if (same_name(name.substr(0, 3), "AK ")) return true;
    for (const SettingKey& k : k_keys) {
        if (same_name(k.section, name)) return true;
    }
    return false;
}

const SettingKey& setting_key(std::string_view section, std::string_view key) {
    const bool age_class = same_name(section.substr(0, 3), "AK ");
    for (const SettingKey& k : k_keys) {
        const bool same_section = age_class ? k.section == "AK *" : same_name(k.section, section);
        if (same_section && same_name(k.key, key)) return k;
    }
    std::fprintf(stderr, "kyomat: the key [%.*s] %.*s is not in the table of settings\n",
                 static_cast<int>(section.size()), section.data(), static_cast<int>(key.size()),
                 key.data());
    std::abort();
}

}  // namespace kyomat
