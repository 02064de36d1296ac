#include "engine/rule_settings.h"

#include <optional>
#include <utility>

#include "data/core/basis.h"

namespace kyomat {
namespace {

SideColours usual_side_colours(const char* section) {
    const auto c = [section](const char* key) { return usual_colour(section, key); };
    return {c("hintergrund_name"), c("hintergrund_wertung"), c("font_name"),
            c("font_wertung"),     c("font_strafe"),         c("font_kreuz")};
}

// Every key through the one reader; a bad value's message goes to the operator.
class Reader {
  public:
    Reader(const Settings& settings, const ReportMessage& report)
        : settings_(settings), report_(report) {}

    std::string text(const char* section, const char* key) const {
        return settings_.read_setting(section, key);
    }

    // What the key gives, nothing when it gives nothing (an age class's key its section does
    // not name or names badly).
    std::optional<int> value(const char* section, const char* key) const {
        SettingReading r = read_setting_value(settings_, section, key);
        if (!r.report.empty()) report_(r.report, MessageKind::error);
        return r.value;
    }

    int number(const char* section, const char* key) const {
        return value(section, key).value_or(0);
    }

    bool switched_on(const char* section, const char* key) const {
        return number(section, key) == 1;
    }

    void colour(const char* section, const char* key, Colour& c) const {
        c = read_setting_colour(settings_, section, key);
    }

  private:
    const Settings& settings_;
    const ReportMessage& report_;
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
    r.korrektur_wertung = in.number("Korrektur_Font", "wertung");
    r.korrektur_name = in.number("Korrektur_Font", "name");
    r.korrektur_zeit = in.number("Korrektur_Font", "zeit");
    r.korrektur_fuss = in.number("Korrektur_Font", "fuss");
    r.namen_anpassen = in.switched_on("Korrektur_Font", "namen_anpassen");
}

}  // namespace

SideColours default_farben_1() {
    return usual_side_colours("Farben_1");
}

SideColours default_farben_2() {
    return usual_side_colours("Farben_2");
}

CommonColours default_farben_a() {
    const auto c = [](const char* key) { return usual_colour("Farben_A", key); };
    return {c("hintergrund_zeit_go"),
            c("hintergrund_zeit_stop"),
            c("font_zeit_go"),
            c("font_zeit_stop"),
            c("hintergrund_fuss"),
            c("hintergrund_gs"),
            c("font_gs"),
            c("font_fuss")};
}

void read_rule_settings(const Settings& settings, RuleSettings& r, const ReportMessage& report) {
    const Reader in(settings, report);
    r.teams_simple = in.number("anzeige", "teams_simple");
    r.haltegr_ippon = in.number("anzeige", "haltegr_ippon");
    r.haltegr_waza = in.number("anzeige", "haltegr_waza");
    r.haltegr_yuko = in.number("anzeige", "haltegr_yuko");
    r.geloest_wertung = in.switched_on("anzeige", "geloest_wertung");
    r.titel_auto = in.switched_on("anzeige", "titel_auto");
    r.sieger_auto = in.switched_on("anzeige", "sieger_auto");
    r.ippon_zeigen = in.switched_on("anzeige", "ippon_zeigen");
    r.spalten_titel = in.switched_on("anzeige", "spalten_titel");
    r.rand_korrektur = in.switched_on("anzeige", "rand_korrektur");
    r.gong_bereit = in.switched_on("anzeige", "gong_bereit");
    // Kept as text and taken when a text page is shown.
    r.titel_dauer = in.text("anzeige", "titel_dauer");
    r.add_aktiv = in.switched_on("add_system", "add_aktiv");
    if (r.add_aktiv) read_points(in, r);
    r.ohne_waza = in.switched_on("control", "ohne_waza");
    r.ohne_yuko = in.switched_on("control", "ohne_yuko");
    r.waza2ippon = in.switched_on("control", "waza2ippon");
    r.ohne_golden_score = in.switched_on("control", "ohne_golden_score");
    r.max_shido = in.number("control", "Max_Shido");
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
    // Only what the section names; a bad value is reported and leaves the global one.
    for (auto [key, flag] :
         {std::pair{"ohne_waza", &r.ohne_waza}, std::pair{"ohne_yuko", &r.ohne_yuko},
          std::pair{"waza2ippon", &r.waza2ippon},
          std::pair{"ohne_golden_score", &r.ohne_golden_score}}) {
        if (const auto n = in.value(s, key)) *flag = *n == 1;
    }
    for (auto [key, number] :
         {std::pair{"Max_Shido", &r.max_shido}, std::pair{"strafen", &r.strafen},
          std::pair{"haltegr_ippon", &r.haltegr_ippon}, std::pair{"haltegr_waza", &r.haltegr_waza},
          std::pair{"haltegr_yuko", &r.haltegr_yuko}}) {
        if (const auto n = in.value(s, key)) *number = *n;
    }
    if (const auto n = in.value(s, "geloest_wertung")) r.geloest_wertung = *n == 1;
}

bool control_panel_at_start(const Settings& settings) {
    return setting_on(settings, "anzeige", "control");
}

bool protocol_on(const Settings& settings) {
    return setting_on(settings, "anzeige", "protokoll");
}

bool strict_numbers(const Settings& settings) {
    return setting_on(settings, "anzeige", "zahlen_pruefen");
}

bool panel_keys_relayed(const Settings& settings) {
    return setting_on(settings, "anzeige", "panel_tasten");
}

}  // namespace kyomat
