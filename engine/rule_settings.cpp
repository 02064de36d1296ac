#include "engine/rule_settings.h"

#include <optional>
#include <utility>

#include "data/core/basis.h"

namespace kyomat {
namespace {

// The colour keys of one side.
struct SideKeys {
    Key hintergrund_name, hintergrund_wertung, font_name, font_wertung, font_strafe, font_kreuz;
};
constexpr SideKeys k_farben_1{Key::farben_1_hintergrund_name, Key::farben_1_hintergrund_wertung,
                              Key::farben_1_font_name,        Key::farben_1_font_wertung,
                              Key::farben_1_font_strafe,      Key::farben_1_font_kreuz};
constexpr SideKeys k_farben_2{Key::farben_2_hintergrund_name, Key::farben_2_hintergrund_wertung,
                              Key::farben_2_font_name,        Key::farben_2_font_wertung,
                              Key::farben_2_font_strafe,      Key::farben_2_font_kreuz};

SideColours usual_side_colours(const SideKeys& k) {
    return {usual_colour(k.hintergrund_name), usual_colour(k.hintergrund_wertung),
            usual_colour(k.font_name),        usual_colour(k.font_wertung),
            usual_colour(k.font_strafe),      usual_colour(k.font_kreuz)};
}

// Every key through the one reader; a bad value's message goes to the operator.
class Reader {
  public:
    Reader(const Settings& settings, const ReportMessage& report)
        : settings_(settings), report_(report) {}

    std::string text(Key key) const { return read_setting_text(settings_, key); }

    // What the key gives, nothing when it gives nothing (an age class's key its section does
    // not name or names badly); section: the age class's own, for its keys.
    std::optional<int> value(Key key, std::string_view section = {}) const {
        SettingReading r = read_setting_value(settings_, key, section);
        if (!r.report.empty()) report_(r.report, MessageKind::error);
        return r.value;
    }

    int number(Key key) const { return value(key).value_or(0); }

    bool switched_on(Key key) const { return number(key) == 1; }

    void colour(Key key, Colour& c) const { c = read_setting_colour(settings_, key); }

  private:
    const Settings& settings_;
    const ReportMessage& report_;
};

void read_points(const Reader& in, RuleSettings& r) {
    r.ippon = in.number(Key::add_system_ippon);
    r.waza_ari = in.number(Key::add_system_waza_ari);
    r.yuko = in.number(Key::add_system_yuko);
    r.shido_1 = in.number(Key::add_system_shido_1);
    r.shido_2 = in.number(Key::add_system_shido_2);
    r.shido_3 = in.number(Key::add_system_shido_3);
    r.shido_4 = in.number(Key::add_system_shido_4);
    r.shido_n = in.number(Key::add_system_shido_n);
    r.max_punkte = in.number(Key::add_system_max_punkte);
}

void read_colours(const Reader& in, RuleSettings& r) {
    r.farben_1 = default_farben_1();
    r.farben_2 = default_farben_2();
    r.farben_a = default_farben_a();
    for (auto [keys, c] :
         {std::pair{&k_farben_1, &r.farben_1}, std::pair{&k_farben_2, &r.farben_2}}) {
        in.colour(keys->hintergrund_name, c->hintergrund_name);
        in.colour(keys->hintergrund_wertung, c->hintergrund_wertung);
        in.colour(keys->font_name, c->font_name);
        in.colour(keys->font_wertung, c->font_wertung);
        in.colour(keys->font_strafe, c->font_strafe);
        in.colour(keys->font_kreuz, c->font_kreuz);
    }
    CommonColours& a = r.farben_a;
    in.colour(Key::farben_a_hintergrund_zeit_go, a.hintergrund_zeit_go);
    in.colour(Key::farben_a_hintergrund_zeit_stop, a.hintergrund_zeit_stop);
    in.colour(Key::farben_a_font_zeit_go, a.font_zeit_go);
    in.colour(Key::farben_a_font_zeit_stop, a.font_zeit_stop);
    in.colour(Key::farben_a_hintergrund_fuss, a.hintergrund_fuss);
    in.colour(Key::farben_a_hintergrund_gs, a.hintergrund_gs);
    in.colour(Key::farben_a_font_gs, a.font_gs);
    in.colour(Key::farben_a_font_fuss, a.font_fuss);
}

void read_font_corrections(const Reader& in, RuleSettings& r) {
    r.korrektur_wertung = in.number(Key::korrektur_font_wertung);
    r.korrektur_name = in.number(Key::korrektur_font_name);
    r.korrektur_zeit = in.number(Key::korrektur_font_zeit);
    r.korrektur_fuss = in.number(Key::korrektur_font_fuss);
    r.namen_anpassen = in.switched_on(Key::korrektur_font_namen_anpassen);
}

}  // namespace

SideColours default_farben_1() {
    return usual_side_colours(k_farben_1);
}

SideColours default_farben_2() {
    return usual_side_colours(k_farben_2);
}

CommonColours default_farben_a() {
    return {usual_colour(Key::farben_a_hintergrund_zeit_go),
            usual_colour(Key::farben_a_hintergrund_zeit_stop),
            usual_colour(Key::farben_a_font_zeit_go),
            usual_colour(Key::farben_a_font_zeit_stop),
            usual_colour(Key::farben_a_hintergrund_fuss),
            usual_colour(Key::farben_a_hintergrund_gs),
            usual_colour(Key::farben_a_font_gs),
            usual_colour(Key::farben_a_font_fuss)};
}

void read_rule_settings(const Settings& settings, RuleSettings& r, const ReportMessage& report) {
    const Reader in(settings, report);
    r.teams_simple = in.number(Key::anzeige_teams_simple);
    r.haltegr_ippon = in.number(Key::anzeige_haltegr_ippon);
    r.haltegr_waza = in.number(Key::anzeige_haltegr_waza);
    r.haltegr_yuko = in.number(Key::anzeige_haltegr_yuko);
    r.geloest_wertung = in.switched_on(Key::anzeige_geloest_wertung);
    r.titel_auto = in.switched_on(Key::anzeige_titel_auto);
    r.sieger_auto = in.switched_on(Key::anzeige_sieger_auto);
    r.ippon_zeigen = in.switched_on(Key::anzeige_ippon_zeigen);
    r.spalten_titel = in.switched_on(Key::anzeige_spalten_titel);
    r.rand_korrektur = in.switched_on(Key::anzeige_rand_korrektur);
    r.gong_bereit = in.switched_on(Key::anzeige_gong_bereit);
    // Kept as text and taken when a text page is shown.
    r.titel_dauer = in.text(Key::anzeige_titel_dauer);
    r.add_aktiv = in.switched_on(Key::add_system_add_aktiv);
    if (r.add_aktiv) read_points(in, r);
    r.ohne_waza = in.switched_on(Key::control_ohne_waza);
    r.ohne_yuko = in.switched_on(Key::control_ohne_yuko);
    r.waza2ippon = in.switched_on(Key::control_waza2ippon);
    r.ohne_golden_score = in.switched_on(Key::control_ohne_golden_score);
    r.max_shido = in.number(Key::control_max_shido);
    r.strafen = in.number(Key::sieger_strafen);
    read_colours(in, r);
    read_font_corrections(in, r);
}

void read_age_class_rules(const Settings& settings, std::string_view age_class, AgeClassRules r,
                          const ReportMessage& report) {
    const std::string section = age_class_section(age_class);
    if (section.empty()) return;
    const Reader in(settings, report);
    // Only what the section names; a bad value is reported and leaves the global one.
    for (auto [key, flag] :
         {std::pair{Key::ak_ohne_waza, &r.ohne_waza}, std::pair{Key::ak_ohne_yuko, &r.ohne_yuko},
          std::pair{Key::ak_waza2ippon, &r.waza2ippon},
          std::pair{Key::ak_ohne_golden_score, &r.ohne_golden_score}}) {
        if (const auto n = in.value(key, section)) *flag = *n == 1;
    }
    for (auto [key, number] :
         {std::pair{Key::ak_max_shido, &r.max_shido}, std::pair{Key::ak_strafen, &r.strafen},
          std::pair{Key::ak_haltegr_ippon, &r.haltegr_ippon},
          std::pair{Key::ak_haltegr_waza, &r.haltegr_waza},
          std::pair{Key::ak_haltegr_yuko, &r.haltegr_yuko}}) {
        if (const auto n = in.value(key, section)) *number = *n;
    }
    if (const auto n = in.value(Key::ak_geloest_wertung, section)) r.geloest_wertung = *n == 1;
}

bool control_panel_at_start(const Settings& settings) {
    return setting_on(settings, Key::anzeige_control);
}

bool protocol_on(const Settings& settings) {
    return setting_on(settings, Key::anzeige_protokoll);
}

bool strict_numbers(const Settings& settings) {
    return setting_on(settings, Key::anzeige_zahlen_pruefen);
}

bool panel_keys_relayed(const Settings& settings) {
    return setting_on(settings, Key::anzeige_panel_tasten);
}

bool board_below_panel(const Settings& settings) {
    return setting_on(settings, Key::anzeige_ein_bildschirm);
}

}  // namespace kyomat
