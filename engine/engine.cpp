#include "engine/engine.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "data/core/basis.h"
#include "data/core/catalogue.h"
#include "data/core/file_io.h"
#include "data/core/setting_reader.h"
#include "data/core/settings_keys.h"

namespace kyomat {
namespace {

constexpr const char* k_winner_caption = "*  Sieger  *                        ";
constexpr const char* k_golden_score_caption = "  Golden Score  ";

}  // namespace

// Says which gong file could not be opened and why, so the operator knows what to mend.
std::string gong_failure_text(GongStatus status, const std::string& file) {
    const std::string quoted = "\"" + file + "\"";
    std::string text;
    switch (status) {
        case GongStatus::not_configured:
            text =
                "Kein Gong eingestellt: tragen Sie im Abschnitt [anzeige] der kyomat.ini unter "
                "gong eine Tondatei ein. Das Programm läuft ohne Gong weiter";
            break;
        case GongStatus::file_missing:
            text = "Die Gong-Datei " + quoted +
                   " fehlt. Das Programm läuft ohne Gong weiter; "
                   "prüfen Sie den Eintrag gong im Abschnitt [anzeige] der kyomat.ini";
            break;
        case GongStatus::no_sound_device:
            text = "Das Tonausgabegerät kann nicht geöffnet werden, der Gong " + quoted +
                   " bleibt stumm. Prüfen Sie Lautsprecher und Toneinstellungen; das Programm "
                   "läuft ohne Gong weiter";
            break;
        default:
            text = "Die Gong-Datei " + quoted +
                   " ist keine lesbare Tondatei (WAV, OGG oder "
                   "MP3). Das Programm läuft ohne Gong weiter";
            break;
    }
    return text + " (" + std::to_string(k_msg_gong_unavailable) + ")";
}

BoutEngine::BoutEngine(Host& host, Settings settings)
    : host_(host), settings_(std::move(settings)) {
    settings_.set_note([this](const std::string& text) { host_.show_note(text); });
    rules_.farben_1 = default_farben_1();
    rules_.farben_2 = default_farben_2();
    rules_.farben_a = default_farben_a();
    board_.lbl_GS.text = k_golden_score_caption;
    board_.lblLPOS.visible = false;
}

void BoutEngine::on_create() {
    const Settings::Batch one_reading(settings_);
    panel_keys_ = panel_keys_relayed(settings_);
    param_aus_ini();
    defaults();
    state_.clock_value = 0;
}

void BoutEngine::on_show() {
    const Settings::Batch one_reading(settings_);
    const SettingReading left = read_setting_value(settings_, Key::anzeige_anz_links);
    // A board placed by the name of its monitor needs no position.
    const bool by_name =
        !trim_right(read_setting_text(settings_, Key::anzeige_anz_monitor)).empty();
    if (!left.value && !(by_name && read_setting_text(settings_, Key::anzeige_anz_links).empty())) {
        host_.show_message(left.report, MessageKind::error);
        return;
    }
    state_.display_left = left.value.value_or(0);
    host_.place_on_display(state_.display_left);
    state_.control_panel_active = false;
    state_.exit_request = false;
    host_.relayout();
    if (control_panel_at_start(settings_)) {
        state_.control_panel_active = true;
        host_.show_control_panel();
    }
}

void BoutEngine::control_panel_closed() {
    if (state_.exit_request) host_.close_scoreboard();
}

void BoutEngine::show_catalogue_message(int number) {
    host_.show_message(catalogue_message(number), catalogue_kind(number));
}

void BoutEngine::param_aus_ini() {
    if (const auto problem = settings_.file_problem()) {
        host_.show_message(*problem + " Es gelten die Standardwerte.", MessageKind::error);
    } else if (!told_no_known_section_) {
        // A file saved in an encoding or with names the reader does not know reads as if it
        // were empty: said once a start, so that the operator does not hunt the gong's report.
        told_no_known_section_ = true;
        const Settings::Sections found = settings_.sections();
        if (found.has_lines &&
            std::none_of(found.names.begin(), found.names.end(),
                         [](const std::string& name) { return known_section(name); })) {
            host_.show_message("Die Datei " + utf8_of(settings_.file()) +
                                   " hat keinen bekannten Abschnitt (etwa [anzeige]); es gelten "
                                   "die Standardwerte. Ist sie in einer anderen Kodierung oder "
                                   "mit anderen Abschnittsnamen gespeichert?",
                               MessageKind::warning);
        }
    }
    state_.age_class = read_setting_text(settings_, Key::anzeige_ak);
    state_.weight_class = read_setting_text(settings_, Key::anzeige_gewk);
    board_.lblAK.text = state_.age_class;
    board_.lblGewK.text = state_.weight_class;
    board_.lblLPOS.text.clear();
    set_names_from_settings();
    read_rule_settings(settings_, global_rules_, [this](const std::string& text, MessageKind kind) {
        host_.show_message(text, kind);
    });
    rules_ = global_rules_;
    // The system goes on without a gong.
    const std::string gong = read_setting_text(settings_, Key::anzeige_gong);
    const GongStatus status = host_.gong_open(gong);
    if (status != GongStatus::opened) {
        host_.show_message(gong_failure_text(status, gong), catalogue_kind(k_msg_gong_unavailable));
    }
}

// A value saved in kyomat.ini counts at the next command that uses it: the rules are read
// again at every change of bout. What they were reported for was said at the start and at
// Ctrl+E; the board's look (colours, fonts, placement) changes with Ctrl+E, as ever.
void BoutEngine::refresh_rules() {
    RuleSettings fresh = global_rules_;
    read_rule_settings(settings_, fresh, [](const std::string&, MessageKind) {});
    const RuleSettings& old = global_rules_;
    fresh.farben_1 = old.farben_1;
    fresh.farben_2 = old.farben_2;
    fresh.farben_a = old.farben_a;
    fresh.namen_anpassen = old.namen_anpassen;
    fresh.ippon_zeigen = old.ippon_zeigen;
    fresh.spalten_titel = old.spalten_titel;
    fresh.rand_korrektur = old.rand_korrektur;
    std::tie(fresh.korrektur_wertung, fresh.korrektur_name, fresh.korrektur_zeit,
             fresh.korrektur_fuss) =
        std::tie(old.korrektur_wertung, old.korrektur_name, old.korrektur_zeit, old.korrektur_fuss);
    global_rules_ = fresh;
    // The bout on the board keeps its scoring until it is handed on; what follows it (the
    // winner page, the title pages, the gong's device) takes the new values at once.
    std::tie(rules_.sieger_auto, rules_.titel_auto, rules_.titel_dauer, rules_.gong_bereit,
             rules_.teams_simple) = std::tie(fresh.sieger_auto, fresh.titel_auto, fresh.titel_dauer,
                                             fresh.gong_bereit, fresh.teams_simple);
}

void BoutEngine::set_names_from_settings() {
    board_.lblBlau_Name.text = read_setting_text(settings_, Key::anzeige_name_blau);
    board_.lblBLau_Verein.text = read_setting_text(settings_, Key::anzeige_verein_blau);
    board_.lblWeiss_Name.text = read_setting_text(settings_, Key::anzeige_name_weiss);
    board_.lblWeiss_Verein.text = read_setting_text(settings_, Key::anzeige_verein_weiss);
}

void BoutEngine::defaults() {
    Board& b = board_;
    const SideColours& f1 = rules_.farben_1;
    const SideColours& f2 = rules_.farben_2;
    const CommonColours& fa = rules_.farben_a;
    // Cells the rules do without; the font faces are the window's.
    b.lbl_I_b.visible = b.lbl_I_W.visible = false;
    if (rules_.ohne_waza) b.lbl_W_b.visible = b.lbl_W_W.visible = false;
    if (rules_.ohne_yuko) b.lbl_Y_b.visible = b.lbl_Y_W.visible = false;
    // Backgrounds and the standing clock's colours.
    b.pnlTop.back = f1.hintergrund_name;
    b.pnl1.back = f1.hintergrund_wertung;
    b.pnlMiddle.back = f2.hintergrund_name;
    b.pnl2.back = f2.hintergrund_wertung;
    b.pnlLinks.back = b.pnlHG.back = b.pnlHG_Bottom.back = fa.hintergrund_fuss;
    b.pnlZeit.back = fa.hintergrund_zeit_stop;
    b.lblZeit.font = b.lblHG.font = b.lblHG_Save.font = fa.font_zeit_stop;
    b.lbl_GS.visible = false;
    // The winner captions, hidden.
    b.lbl_Sieger_Blau.text = b.lbl_Sieger_Weiss.text = k_winner_caption;
    b.lbl_Sieger_Weiss.back = f2.hintergrund_name;
    b.lbl_Sieger_Weiss.font = f2.font_name;
    b.lbl_Sieger_Blau.back = f1.hintergrund_name;
    b.lbl_Sieger_Blau.font = f1.font_name;
    b.lbl_Sieger_Blau.visible = b.lbl_Sieger_Weiss.visible = false;
    // Text colours.
    b.lbl_I_b.font = b.lbl_W_b.font = b.lbl_Y_b.font = f1.font_wertung;
    b.lbl_S_b.font = f1.font_strafe;
    b.lbl_Kreuz_b_1.font = b.lbl_Kreuz_b_2.font = f1.font_kreuz;
    b.lbl_I_W.font = b.lbl_W_W.font = b.lbl_Y_W.font = f2.font_wertung;
    b.lbl_S_W.font = f2.font_strafe;
    b.lbl_Kreuz_w_1.font = b.lbl_Kreuz_w_2.font = f2.font_kreuz;
    b.lblWeiss_Name.font = b.lblWeiss_Verein.font = f2.font_name;
    b.lblBlau_Name.font = b.lblBLau_Verein.font = f1.font_name;
    b.lbl_GS.back = fa.hintergrund_gs;
    b.lbl_GS.font = fa.font_gs;
    b.lblAK.font = b.lblGewK.font = fa.font_fuss;
    // Texts of an empty board.
    for (Element* cell : {&b.lbl_I_b, &b.lbl_W_b, &b.lbl_Y_b, &b.lbl_S_b, &b.lbl_I_W, &b.lbl_W_W,
                          &b.lbl_Y_W, &b.lbl_S_W}) {
        cell->text = "0";
    }
    b.lblZeit.text = "0:00";
    b.lblHG.text = b.lblHG_Save.text = "00";
    b.lblBlau_Name.text = b.lblWeiss_Name.text = "Name, Vorname";
    b.lblBLau_Verein.text = b.lblWeiss_Verein.text = "Verein/Landesverband";
    b.lblGewK.text = read_setting_text(settings_, Key::anzeige_gewk);
    b.lblAK.text = read_setting_text(settings_, Key::anzeige_ak);
    b.lblLPOS.text.clear();
    state_.golden_score_limit = 0;
    state_.hansoku_ippon.reset();
    setzen_verletzungskreuz(Side::blue, 0);
    setzen_verletzungskreuz(Side::white, 0);
}

void BoutEngine::enter_list_mode() {
    if (state_.weight_class.empty()) state_.weight_class = "...";
}

void BoutEngine::list_row_moved(int row) {
    if (!state_.loaded_from_list || row <= 0 || row == state_.list_position) return;
    state_.list_position = row;
    board_.lblLPOS.text = std::to_string(row);
}

void BoutEngine::hide_clubs() {
    board_.lblBLau_Verein.visible = false;
    board_.lblWeiss_Verein.visible = false;
}

}  // namespace kyomat
