#pragma once
// The rule switches, times, colours and font corrections that kyomat.ini gives the bout,
// and the one place that reads them.
#include <functional>
#include <string>

#include "data/core/setting_reader.h"
#include "data/core/settings.h"
#include "engine/host.h"

namespace kyomat {

struct SideColours {
    Colour hintergrund_name, hintergrund_wertung, font_name, font_wertung, font_strafe, font_kreuz;
};

struct CommonColours {
    Colour hintergrund_zeit_go, hintergrund_zeit_stop, font_zeit_go, font_zeit_stop,
        hintergrund_fuss, hintergrund_gs, font_gs, font_fuss;
};

// The ranges and usual values of kyomat.ini's numbers are in the table of settings
// (data/core/settings_table.def); the fields start with the usual values.
// A points total never grows beyond this, however long the bout.
constexpr int k_max_points_total = 999999999;

struct RuleSettings {
    int teams_simple = 0;
    int haltegr_ippon = usual_number(Key::anzeige_haltegr_ippon);
    int haltegr_waza = usual_number(Key::anzeige_haltegr_waza);
    // Seconds of a hold-down in Golden Score that give a Yuko and so end the bout; 0: off.
    int haltegr_yuko = 0;
    // "Gelöst" (F6) awards what the hold-down reached: Waza-ari or Yuko.
    bool geloest_wertung = false;
    bool titel_auto = false;
    bool sieger_auto = false;
    // Read at a glance: "IPPON" in the winner's score area, headings over the score columns,
    // the "H" and the injury crosses fully on screen and apart from the Shido digit.
    bool ippon_zeigen = false;
    bool spalten_titel = false;
    bool rand_korrektur = false;
    // The sound device is kept awake while a clock runs, so that a gong at an Ippon by key
    // sounds at once; off, it wakes only ahead of a gong the clocks give themselves (the end
    // of time, a hold-down's score), which saves a laptop's battery.
    bool gong_bereit = true;
    std::string titel_dauer;
    bool add_aktiv = false;
    int ippon = 0, waza_ari = 0, yuko = 0;
    int shido_1 = 0, shido_2 = 0, shido_3 = 0, shido_4 = 0, shido_n = 0;
    int max_punkte = 0;
    bool ohne_waza = false;
    bool ohne_yuko = false;
    bool waza2ippon = false;
    // No Golden Score: a tie at the end of time is decided with Ctrl+B / Ctrl+W.
    bool ohne_golden_score = false;
    int max_shido = usual_number(Key::control_max_shido);
    int strafen = 0;
    SideColours farben_1, farben_2;
    CommonColours farben_a;
    // Names, clubs and classes too wide for their room shrink to fit (namen_anpassen=1).
    bool namen_anpassen = false;
    int korrektur_wertung = usual_number(Key::korrektur_font_wertung),
        korrektur_name = usual_number(Key::korrektur_font_name),
        korrektur_zeit = usual_number(Key::korrektur_font_zeit),
        korrektur_fuss = usual_number(Key::korrektur_font_fuss);
};

SideColours default_farben_1();
SideColours default_farben_2();
CommonColours default_farben_a();

// Shows a message box: its text and kind letter.
using ReportMessage = std::function<void(const std::string& text, MessageKind kind)>;

// Reads every rule setting in the order the operator meets their messages. The point values
// keep what they held unless the points system is switched on.
void read_rule_settings(const Settings& settings, RuleSettings& rules, const ReportMessage& report);

// The rule switches that an age class's own section [AK ...] may set for the loaded bout.
struct AgeClassRules {
    bool& ohne_waza;
    bool& ohne_yuko;
    bool& waza2ippon;
    int& max_shido;
    int& strafen;
    int& haltegr_ippon;
    int& haltegr_waza;
    // Beyond the seven of the bout entry hook: the Yuko time of a hold-down in Golden Score
    // and whether "Gelöst" awards what the hold-down reached.
    int& haltegr_yuko;
    bool& geloest_wertung;
    // Classes whose bouts are decided by the referees at the end of time, without one.
    bool& ohne_golden_score;
};

// The switches that the age class's section [AK <class>] sets, over the global ones in rules;
// a bad value is reported and the global one kept. Without a section nothing changes.
void read_age_class_rules(const Settings& settings, std::string_view age_class, AgeClassRules rules,
                          const ReportMessage& report);

// The control panel is fixed: opened at start and without a way to close it alone.
bool control_panel_at_start(const Settings& settings);
// Number settings must be plain digits (zahlen_pruefen=1; off by default, when the digits of
// a value count and "-2" reads 2).
bool strict_numbers(const Settings& settings);
// The bout protocol is kept (protokoll=1; off by default).
bool protocol_on(const Settings& settings);
// Keys typed into the control panel reach the scoreboard (panel_tasten=1; off by default).
bool panel_keys_relayed(const Settings& settings);
// With one screen for both, the board stands below the open control panel instead of behind
// it (ein_bildschirm=1; off by default, when the panel covers the board's top left).
bool board_below_panel(const Settings& settings);

}  // namespace kyomat
