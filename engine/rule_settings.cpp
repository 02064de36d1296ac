#include "engine/rule_settings.h"

#include <limits>
#include <optional>
#include <tuple>
#include <utility>

#include "data/core/basis.h"
#include "data/core/settings_keys.h"

namespace kyomat {
namespace {

constexpr Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Colour{r, g, b};
}

// The largest value the table of settings allows the key (flags: any digit number counts,
// only 1 switches on).
int highest(std::string_view section, std::string_view key) {
    const SettingKey& k = setting_key(section, key);
    if (k.kind == SettingKind::flag) return std::numeric_limits<int>::max();
    return static_cast<int>(k.highest);
}

class Reader {
  public:
    Reader(const Settings& settings, const ReportMessage& report)
        : settings_(settings), report_(report), strict_(strict_numbers(settings)) {}

    std::string text(const char* section, const char* key) const {
        return settings_.read_setting(section, key);
    }

    // A digit number from 0 to most, or nothing (then reported as a bad number). Usually the
    // digits of the value count ("-2" reads 2); with zahlen_pruefen=1 a value that is not
    // plain digits is a bad number, so that "-1" is not taken for 1 without a word.
    std::optional<int> number_of(const std::string& value, int most) const {
        const auto n = strict_ ? setting_number(value) : digits_to_number_checked(value);
        if (!n || *n > most) {
            report_(conversion_error_text(strict_ ? trim_right(value) : digits_of(value)),
                    MessageKind::error);
            return std::nullopt;
        }
        return *n;
    }

    // The highest value a key may take: its range from the table of settings; a switch is
    // 0 or 1 when numbers are checked (zahlen_pruefen=1), so that "2" is not silently off.
    int most(std::string_view section, std::string_view key) const {
        if (strict_ && setting_key(section, key).kind == SettingKind::flag) return 1;
        return highest(section, key);
    }

    // A digit number within the range the table of settings gives the key; beyond it
    // reported, and fallback instead.
    int number(const char* section, const char* key, int fallback = 0) const {
        return number_of(text(section, key), most(section, key)).value_or(fallback);
    }

    bool switched_on(const char* section, const char* key) const {
        return number(section, key) == 1;
    }

    void colour(const char* section, const char* key, Colour& c) const {
        parse_colour(text(section, key), c);
    }

  private:
    const Settings& settings_;
    const ReportMessage& report_;
    bool strict_;
};

void read_points(const Reader& in, RuleSettings& r) {
    const auto points = [&in](const char* key) { return in.number("add_system", key); };
    r.ippon = points("ippon");
    r.waza_ari = points("waza-ari");
    r.yuko = points("yuko");
    r.shido_1 = points("shido_1");
    r.shido_2 = points("shido_2");
    r.shido_3 = points("shido_3");
    r.shido_4 = points("shido_4");
    r.shido_n = points("shido_N");
    r.max_punkte = in.number("add_system", "max_punkte");
}

void read_colours(const Reader& in, RuleSettings& r) {
    r.farben_1 = default_farben_1();
    r.farben_2 = default_farben_2();
    r.farben_a = default_farben_a();
    for (auto [section, c] :
         {std::pair{"Farben_1", &r.farben_1}, std::pair{"Farben_2", &r.farben_2}}) {
        in.colour(section, "hintergrund_name", c->hintergrund_name);
        in.colour(section, "hintergrund_wertung", c->hintergrund_wertung);
        in.colour(section, "font_name", c->font_name);
        in.colour(section, "font_wertung", c->font_wertung);
        in.colour(section, "font_strafe", c->font_strafe);
        in.colour(section, "font_kreuz", c->font_kreuz);
    }
    CommonColours& a = r.farben_a;
    in.colour("Farben_A", "hintergrund_zeit_go", a.hintergrund_zeit_go);
    in.colour("Farben_A", "hintergrund_zeit_stop", a.hintergrund_zeit_stop);
    in.colour("Farben_A", "font_zeit_go", a.font_zeit_go);
    in.colour("Farben_A", "font_zeit_stop", a.font_zeit_stop);
    in.colour("Farben_A", "hintergrund_fuss", a.hintergrund_fuss);
    in.colour("Farben_A", "hintergrund_gs", a.hintergrund_gs);
    in.colour("Farben_A", "font_gs", a.font_gs);
    in.colour("Farben_A", "font_fuss", a.font_fuss);
}

void read_font_corrections(const Reader& in, RuleSettings& r) {
    r.korrektur_wertung = r.korrektur_name = r.korrektur_zeit = r.korrektur_fuss =
        k_font_correction_neutral;
    parse_font_correction(in.text("Korrektur_Font", "wertung"), r.korrektur_wertung);
    parse_font_correction(in.text("Korrektur_Font", "name"), r.korrektur_name);
    parse_font_correction(in.text("Korrektur_Font", "zeit"), r.korrektur_zeit);
    parse_font_correction(in.text("Korrektur_Font", "fuss"), r.korrektur_fuss);
    r.namen_anpassen = trim_right(in.text("Korrektur_Font", "namen_anpassen")) == "1";
}

}  // namespace

SideColours default_farben_1() {
    return {rgb(255, 255, 255), rgb(255, 255, 255), rgb(0, 0, 0),
            rgb(0, 0, 0),       rgb(255, 0, 0),     rgb(0, 255, 0)};
}

SideColours default_farben_2() {
    return {rgb(1, 19, 196),    rgb(1, 19, 196), rgb(255, 255, 255),
            rgb(255, 255, 255), rgb(255, 0, 0),  rgb(0, 255, 0)};
}

CommonColours default_farben_a() {
    return {rgb(0, 0, 0), rgb(0, 0, 0),      rgb(14, 255, 19), rgb(255, 235, 0),
            rgb(0, 0, 0), rgb(227, 162, 20), rgb(0, 0, 0),     rgb(255, 255, 255)};
}

void read_rule_settings(const Settings& settings, RuleSettings& r, const ReportMessage& report) {
    const Reader in(settings, report);
    r.teams_simple = in.number("anzeige", "teams_simple");
    // A hold-down time of 0 (or an unreadable one) keeps the usual times.
    r.haltegr_ippon = k_default_hold_ippon;
    r.haltegr_waza = k_default_hold_waza;
    const auto hold = [&in](const char* key) { return in.number("anzeige", key); };
    if (const int n = hold("haltegr_ippon"); n > 0) r.haltegr_ippon = n;
    if (const int n = hold("haltegr_waza"); n > 0) r.haltegr_waza = n;
    r.haltegr_yuko = hold("haltegr_yuko");
    r.geloest_wertung = in.switched_on("anzeige", "geloest_wertung");
    r.titel_auto = in.text("anzeige", "titel_auto") == "1";
    r.sieger_auto = in.text("anzeige", "sieger_auto") == "1";
    r.ippon_zeigen = in.switched_on("anzeige", "ippon_zeigen");
    r.spalten_titel = in.switched_on("anzeige", "spalten_titel");
    r.rand_korrektur = in.switched_on("anzeige", "rand_korrektur");
    r.titel_dauer = in.text("anzeige", "titel_dauer");
    r.add_aktiv = in.switched_on("add_system", "add_aktiv");
    if (r.add_aktiv) read_points(in, r);
    r.ohne_waza = in.switched_on("control", "ohne_waza");
    r.ohne_yuko = in.switched_on("control", "ohne_yuko");
    r.waza2ippon = in.switched_on("control", "waza2ippon");
    r.ohne_golden_score = in.switched_on("control", "ohne_golden_score");
    r.max_shido = in.number("control", "Max_Shido");
    if (r.max_shido == 0) r.max_shido = k_default_max_shido;
    r.strafen = in.number("sieger", "strafen");
    read_colours(in, r);
    read_font_corrections(in, r);
}

void read_age_class_rules(const Settings& settings, std::string_view age_class, AgeClassRules r,
                          const ReportMessage& report) {
    const std::string section = age_class_section(age_class);
    if (section.empty()) return;
    const Reader in(settings, report);
    const char* s = section.c_str();
    // Only what the section names, each with the conversion of its global key; a bad value
    // is reported and leaves the global one.
    const auto read = [&](const char* key) -> std::optional<int> {
        const std::string value = in.text(s, key);
        if (value.empty()) return std::nullopt;
        return in.number_of(value, in.most(s, key));
    };
    for (auto [key, flag] :
         {std::pair{"ohne_waza", &r.ohne_waza}, std::pair{"ohne_yuko", &r.ohne_yuko},
          std::pair{"waza2ippon", &r.waza2ippon},
          std::pair{"ohne_golden_score", &r.ohne_golden_score}}) {
        if (const auto n = read(key)) *flag = *n == 1;
    }
    if (const auto n = read("Max_Shido")) {
        r.max_shido = *n == 0 ? k_default_max_shido : *n;
    }
    if (const auto n = read("strafen")) r.strafen = *n;
    for (auto [key, seconds, usual] :
         {std::tuple{"haltegr_ippon", &r.haltegr_ippon, k_default_hold_ippon},
          std::tuple{"haltegr_waza", &r.haltegr_waza, k_default_hold_waza}}) {
        if (const auto n = read(key)) *seconds = *n > 0 ? *n : usual;
    }
    // 0 switches the Yuko time off for the class, as it does globally.
    if (const auto n = read("haltegr_yuko")) r.haltegr_yuko = *n;
    if (const auto n = read("geloest_wertung")) r.geloest_wertung = *n == 1;
}

bool control_panel_at_start(const Settings& settings) {
    return trim_right(settings.read_setting("anzeige", "control")) == "1";
}

bool protocol_on(const Settings& settings) {
    return trim_right(settings.read_setting("anzeige", "protokoll")) == "1";
}

bool strict_numbers(const Settings& settings) {
    return trim_right(settings.read_setting("anzeige", "zahlen_pruefen")) == "1";
}

bool panel_keys_relayed(const Settings& settings) {
    return trim_right(settings.read_setting("anzeige", "panel_tasten")) == "1";
}

}  // namespace kyomat
