#include "engine/engine.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "data/core/basis.h"
#include "data/core/catalogue.h"
#include "data/core/cp1252.h"

namespace kyomat {
namespace {

constexpr Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return Colour{r, g, b}; }

constexpr Colour k_focus_on = rgb(0, 128, 0);
constexpr Colour k_focus_off = rgb(128, 128, 128);
constexpr const char* k_winner_caption = "*  Sieger  *                        ";
constexpr const char* k_golden_score_caption = "  Golden Score  ";
// A stop keeps at most this much of a running second (and of seconds not yet counted by a
// late tick), so that a stale reference can never make the clock race.
constexpr std::uint32_t k_max_pending_ms = 60000;

char code_of(Side s) { return s == Side::blue ? 'B' : 'W'; }
Side other(Side s) { return s == Side::blue ? Side::white : Side::blue; }

int plain_value(const Element& cell) { return to_integer(cell.text).value_or(0); }

std::string clock_text(int seconds) {
    if (seconds < 0) return "-" + clock_text(-seconds);  // only a duration can be negative
    return std::to_string(seconds / 60) + ":" + format_number(seconds % 60, 2);
}

std::uint32_t pending(std::uint32_t now, std::uint32_t ref) {
    return std::min<std::uint32_t>(now - ref, k_max_pending_ms);
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
    return {rgb(0, 0, 0), rgb(0, 0, 0),     rgb(14, 255, 19), rgb(255, 235, 0),
            rgb(0, 0, 0), rgb(227, 162, 20), rgb(0, 0, 0),     rgb(255, 255, 255)};
}

BoutEngine::BoutEngine(Host& host, Settings settings)
    : host_(host), settings_(std::move(settings)) {
    rules_.farben_1 = default_farben_1();
    rules_.farben_2 = default_farben_2();
    rules_.farben_a = default_farben_a();
    board_.lbl_GS.text = k_golden_score_caption;
    board_.lblLPOS.visible = false;
}

// ---------------------------------------------------------------- creation and settings

void BoutEngine::FormCreate() {
    param_aus_ini();
    defaults();
    clock_value = 0;
}

void BoutEngine::FormShow() {
    const std::string text = settings_.read_setting("anzeige", "anz_links");
    const auto left = to_integer(text);
    if (!left) {
        host_.show_message(conversion_error_text(text), 'F');
        return;
    }
    display_left = *left;
    host_.place_on_display(display_left);
    control_panel_active = false;
    exit_request = false;
    host_.relayout();
    if (trim_right(settings_.read_setting("anzeige", "control")) == "1") {
        control_panel_active = true;
        host_.show_control_panel();
        if (exit_request) host_.close_scoreboard();
    }
}

int BoutEngine::read_digit_number(const char* section, const char* key) {
    const std::string text = settings_.read_setting(section, key);
    const auto value = digits_to_number_checked(text);
    if (!value) {
        host_.show_message(conversion_error_text(digits_of(text)), 'F');
        return 0;
    }
    return *value;
}

void BoutEngine::show_catalogue_message(int number) {
    host_.show_message(catalogue_message(number), catalogue_kind(number));
}

void BoutEngine::param_aus_ini() {
    RuleSettings& r = rules_;
    // 1. Bout identity from the file.
    age_class = settings_.read_setting("anzeige", "ak");
    weight_class = settings_.read_setting("anzeige", "gewk");
    board_.lblAK.text = age_class;
    board_.lblGewK.text = weight_class;
    board_.lblLPOS.text.clear();
    // 2.
    r.teams_simple = read_digit_number("anzeige", "teams_simple");
    // 3.
    set_names_from_settings();
    // 4.
    r.haltegr_ippon = 25;
    r.haltegr_waza = 20;
    if (const int n = read_digit_number("anzeige", "haltegr_ippon"); n > 0) r.haltegr_ippon = n;
    if (const int n = read_digit_number("anzeige", "haltegr_waza"); n > 0) r.haltegr_waza = n;
    // 5.
    r.titel_auto = settings_.read_setting("anzeige", "titel_auto") == "1";
    r.sieger_auto = settings_.read_setting("anzeige", "sieger_auto") == "1";
    r.titel_dauer = settings_.read_setting("anzeige", "titel_dauer");
    // 6. The point values keep what they held unless the points system is switched on.
    r.add_aktiv = read_digit_number("add_system", "add_aktiv") == 1;
    if (r.add_aktiv) {
        r.ippon = read_digit_number("add_system", "ippon");
        r.waza_ari = read_digit_number("add_system", "waza-ari");
        r.yuko = read_digit_number("add_system", "yuko");
        r.shido_1 = read_digit_number("add_system", "shido_1");
        r.shido_2 = read_digit_number("add_system", "shido_2");
        r.shido_3 = read_digit_number("add_system", "shido_3");
        r.shido_4 = read_digit_number("add_system", "shido_4");
        r.shido_N = read_digit_number("add_system", "shido_N");
        r.max_punkte = read_digit_number("add_system", "max_punkte");
    }
    // 7.
    r.ohne_waza = read_digit_number("control", "ohne_waza") == 1;
    r.ohne_yuko = read_digit_number("control", "ohne_yuko") == 1;
    r.waza2ippon = read_digit_number("control", "waza2ippon") == 1;
    r.Max_Shido = read_digit_number("control", "Max_Shido");
    if (r.Max_Shido == 0) r.Max_Shido = 4;
    // 8.
    r.strafen = read_digit_number("sieger", "strafen");
    // 9. Colours.
    r.farben_1 = default_farben_1();
    r.farben_2 = default_farben_2();
    r.farben_a = default_farben_a();
    for (auto [section, colours] : {std::pair{"Farben_1", &r.farben_1},
                                    std::pair{"Farben_2", &r.farben_2}}) {
        parse_colour(settings_.read_setting(section, "hintergrund_name"), colours->hintergrund_name);
        parse_colour(settings_.read_setting(section, "hintergrund_wertung"),
                     colours->hintergrund_wertung);
        parse_colour(settings_.read_setting(section, "font_name"), colours->font_name);
        parse_colour(settings_.read_setting(section, "font_wertung"), colours->font_wertung);
        parse_colour(settings_.read_setting(section, "font_strafe"), colours->font_strafe);
        parse_colour(settings_.read_setting(section, "font_kreuz"), colours->font_kreuz);
    }
    CommonColours& a = r.farben_a;
    parse_colour(settings_.read_setting("Farben_A", "hintergrund_zeit_go"), a.hintergrund_zeit_go);
    parse_colour(settings_.read_setting("Farben_A", "hintergrund_zeit_stop"),
                 a.hintergrund_zeit_stop);
    parse_colour(settings_.read_setting("Farben_A", "font_zeit_go"), a.font_zeit_go);
    parse_colour(settings_.read_setting("Farben_A", "font_zeit_stop"), a.font_zeit_stop);
    parse_colour(settings_.read_setting("Farben_A", "hintergrund_fuss"), a.hintergrund_fuss);
    parse_colour(settings_.read_setting("Farben_A", "hintergrund_gs"), a.hintergrund_gs);
    parse_colour(settings_.read_setting("Farben_A", "font_gs"), a.font_gs);
    parse_colour(settings_.read_setting("Farben_A", "font_fuss"), a.font_fuss);
    // 10. Font corrections.
    r.korrektur_wertung = r.korrektur_name = r.korrektur_zeit = r.korrektur_fuss = 100;
    parse_font_correction(settings_.read_setting("Korrektur_Font", "wertung"),
                          r.korrektur_wertung);
    parse_font_correction(settings_.read_setting("Korrektur_Font", "name"), r.korrektur_name);
    parse_font_correction(settings_.read_setting("Korrektur_Font", "zeit"), r.korrektur_zeit);
    parse_font_correction(settings_.read_setting("Korrektur_Font", "fuss"), r.korrektur_fuss);
    // 11. The gong; the system goes on without one.
    if (!host_.gong_open(settings_.read_setting("anzeige", "gong"))) show_catalogue_message(3007);
}

void BoutEngine::set_names_from_settings() {
    board_.lblBlau_Name.text = settings_.read_setting("anzeige", "name_blau");
    board_.lblBLau_Verein.text = settings_.read_setting("anzeige", "verein_blau");
    board_.lblWeiss_Name.text = settings_.read_setting("anzeige", "name_weiss");
    board_.lblWeiss_Verein.text = settings_.read_setting("anzeige", "verein_weiss");
}

void BoutEngine::defaults() {
    Board& b = board_;
    const SideColours& f1 = rules_.farben_1;
    const SideColours& f2 = rules_.farben_2;
    const CommonColours& fa = rules_.farben_a;
    // 1.
    b.lbl_I_b.visible = b.lbl_I_W.visible = false;
    if (rules_.ohne_waza) b.lbl_W_b.visible = b.lbl_W_W.visible = false;
    if (rules_.ohne_yuko) b.lbl_Y_b.visible = b.lbl_Y_W.visible = false;
    // 2.
    b.pnlTop.back = f1.hintergrund_name;
    b.pnl1.back = f1.hintergrund_wertung;
    b.pnlMiddle.back = f2.hintergrund_name;
    b.pnl2.back = f2.hintergrund_wertung;
    b.pnlLinks.back = b.pnlHG.back = b.pnlHG_Bottom.back = fa.hintergrund_fuss;
    b.pnlZeit.back = fa.hintergrund_zeit_stop;
    // 3.
    b.lblZeit.font = b.lblHG.font = b.lblHG_Save.font = fa.font_zeit_stop;
    // 5. (4., the font faces, is the window's.)
    b.lbl_GS.visible = false;
    // 6.
    b.lbl_Sieger_Blau.text = b.lbl_Sieger_Weiss.text = k_winner_caption;
    b.lbl_Sieger_Weiss.back = f2.hintergrund_name;
    b.lbl_Sieger_Weiss.font = f2.font_name;
    b.lbl_Sieger_Blau.back = f1.hintergrund_name;
    b.lbl_Sieger_Blau.font = f1.font_name;
    b.lbl_Sieger_Blau.visible = b.lbl_Sieger_Weiss.visible = false;
    // 7.
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
    // 8.
    for (Element* cell : {&b.lbl_I_b, &b.lbl_W_b, &b.lbl_Y_b, &b.lbl_S_b, &b.lbl_I_W, &b.lbl_W_W,
                          &b.lbl_Y_W, &b.lbl_S_W}) {
        cell->text = "0";
    }
    b.lblZeit.text = "0:00";
    b.lblHG.text = b.lblHG_Save.text = "00";
    b.lblBlau_Name.text = b.lblWeiss_Name.text = "Name, Vorname";
    b.lblBLau_Verein.text = b.lblWeiss_Verein.text = "Verein/Landesverband";
    b.lblGewK.text = settings_.read_setting("anzeige", "gewk");
    b.lblAK.text = settings_.read_setting("anzeige", "ak");
    b.lblLPOS.text.clear();
    golden_score_limit = 0;
    // 9.
    setzen_verletzungskreuz(true, 0);
    setzen_verletzungskreuz(false, 0);
}

// ---------------------------------------------------------------- cells and scoring

int BoutEngine::cell_value(const Element& cell) const {
    return to_integer(cell.text).value_or(rules_.Max_Shido);
}

bool BoutEngine::is_shido_cell(const Element& cell) const {
    return &cell == &board_.lbl_S_b || &cell == &board_.lbl_S_W;
}

const char* BoutEngine::cell_name(const Element& cell) const {
    for (const auto& e : Board::elements()) {
        if (&(board_.*e.member) == &cell) return e.name;
    }
    return "";
}

int BoutEngine::change_wertung(Element& cell, int limit, int delta) {
    int v = cell_value(cell) + delta;
    if (v < 0) v = 0;
    if (v >= limit) v = limit;
    const std::string text =
        (is_shido_cell(cell) && v == rules_.Max_Shido) ? std::string("H") : std::to_string(v);
    host_.schreiben_protokoll(age_class, weight_class, list_position, elapsed_seconds(),
                              upper_case_de(cell_name(cell)), delta);
    if (delta < 0 && !bout_active) {
        bout_active = true;
        zeigen_sieger('X');
    }
    cell.text = text;
    return v;
}

void BoutEngine::change_punkte(char letter, int delta) {
    int& total = letter == 'b' ? points_b : points_w;
    total = std::max(0, total + delta);
    anzeige_punkte();
    host_.schreiben_protokoll(age_class, weight_class, list_position, elapsed_seconds(),
                              std::string(1, letter), delta);
}

void BoutEngine::anzeige_punkte() {
    for (auto [p, i, w, y] : {std::tuple{points_b, &board_.lbl_I_b, &board_.lbl_W_b, &board_.lbl_Y_b},
                              std::tuple{points_w, &board_.lbl_I_W, &board_.lbl_W_W, &board_.lbl_Y_W}}) {
        y->text = std::to_string(p % 10);
        w->text = std::to_string((p / 10) % 10);
        i->text = std::to_string(p / 100);
    }
}

void BoutEngine::change_shido(char letter, int delta) {
    Element& cell = letter == 'b' ? board_.lbl_S_b : board_.lbl_S_W;
    const int old = to_integer(cell.text).value_or(0);
    const int now = old + delta;
    cell.text = std::to_string(std::max(now, 0));
    const int ordinal = now >= old ? now : old;
    int value = rules_.shido_N;
    switch (ordinal) {
        case 1: value = rules_.shido_1; break;
        case 2: value = rules_.shido_2; break;
        case 3: value = rules_.shido_3; break;
        case 4: value = rules_.shido_4; break;
        default: break;
    }
    if (now < 0) return;
    host_.schreiben_protokoll(age_class, weight_class, list_position, elapsed_seconds(),
                              std::string(1, letter), now >= old ? 47 : -47);
    if (value * delta != 0) change_punkte(letter == 'b' ? 'w' : 'b', value * delta);
}

void BoutEngine::give_ippon(Side side) {
    change_wertung(ippon_cell(side), 1, +1);
    kampfende(code_of(side));
}

void BoutEngine::give_waza_ari(Side side) {
    if (rules_.ohne_waza) return;
    const int n = change_wertung(waza_cell(side), 99, +1);
    if ((rules_.waza2ippon && n == 2) || golden_score()) kampfende(code_of(side));
}

void BoutEngine::give_yuko(Side side) {
    change_wertung(yuko_cell(side), 99, +1);
    if (golden_score()) kampfende(code_of(side));
}

void BoutEngine::give_shido(Side side) {
    const Side opp = other(side);
    const int n = change_wertung(shido_cell(side), rules_.Max_Shido, +1);
    if (n >= rules_.Max_Shido) {
        change_wertung(ippon_cell(opp), 1, +1);
        kampfende(code_of(opp));
    }
    if (golden_score() && n > 0) {
        if (rules_.strafen == 2) {
            kampfende(code_of(opp));
        } else if (rules_.strafen == 1 && digits_to_number(shido_cell(side).text) >
                                              digits_to_number(shido_cell(opp).text)) {
            kampfende(code_of(opp));
        }
    }
}

void BoutEngine::give_points(Side side, int value, bool is_waza) {
    if (is_waza && rules_.ohne_waza) return;
    change_punkte(side == Side::blue ? 'b' : 'w', value);
}

void BoutEngine::check_max_points() {
    if (points_b >= rules_.max_punkte) kampfende('B');
    if (points_w >= rules_.max_punkte) kampfende('W');
}

void BoutEngine::hansoku_make(Side side) {
    change_wertung(shido_cell(side), rules_.Max_Shido, rules_.Max_Shido);
    kampfende(code_of(other(side)));
}

// ---------------------------------------------------------------- end of bout and winner

void BoutEngine::stop_colours() {
    board_.pnlZeit.back = rules_.farben_a.hintergrund_zeit_stop;
    board_.lblZeit.font = rules_.farben_a.font_zeit_stop;
}

void BoutEngine::set_timer1(bool on) {
    timer1_ = on;
    timer2_ = !on;
}

void BoutEngine::kampfende(char code) {
    set_timer1(false);
    stop_colours();
    if (bout_active) host_.gong_play();
    bout_active = false;
    if (code != 'B' && code != 'W') {
        const Board& b = board_;
        const int blue = 1000 * plain_value(b.lbl_I_b) + 100 * plain_value(b.lbl_W_b) +
                         plain_value(b.lbl_Y_b);
        const int white = 1000 * plain_value(b.lbl_I_W) + 100 * plain_value(b.lbl_W_W) +
                          plain_value(b.lbl_Y_W);
        if (blue > white) code = 'B';
        if (white > blue) code = 'W';
    }
    if (code != 'B' && code != 'W' && rules_.strafen == 2) {
        // A cell reading "H" (a Hansoku-make bout that was re-opened) counts as Max_Shido.
        const int blue = cell_value(board_.lbl_S_b);
        const int white = cell_value(board_.lbl_S_W);
        if (white > blue) code = 'B';
        if (blue > white) code = 'W';
    }
    zeigen_sieger(code);
    if (control_panel_active) {
        host_.anzeige_uebernehmen();
        host_.zeit_uebernehmen();
    }
}

void BoutEngine::zeigen_sieger(char code) {
    board_.lblHG_Save.text.clear();
    board_.pnlHG_Bottom.back = rules_.farben_a.hintergrund_fuss;
    stop_colours();
    board_.lbl_Sieger_Blau.visible = false;
    board_.lbl_Sieger_Weiss.visible = false;
    if (code == 'B') {
        board_.lbl_Sieger_Blau.visible = true;
        bout_active = false;
    } else if (code == 'W') {
        board_.lbl_Sieger_Weiss.visible = true;
        bout_active = false;
    }
}

void BoutEngine::setzen_verletzungskreuz(bool blue, int step) {
    Element& first = blue ? board_.lbl_Kreuz_b_1 : board_.lbl_Kreuz_w_1;
    Element& second = blue ? board_.lbl_Kreuz_b_2 : board_.lbl_Kreuz_w_2;
    const int count = second.text == "+" ? 2 : (first.text == "+" ? 1 : 0);
    first.text.clear();
    second.text.clear();
    int n = step != 0 ? count + step : 0;
    if (n > 2) n = 0;
    if (n >= 2) second.text = "+";
    if (n >= 1) first.text = "+";
}

// ---------------------------------------------------------------- clocks

int BoutEngine::elapsed_seconds() const {
    return golden_score() ? set_duration + clock_value : set_duration - clock_value;
}

bool BoutEngine::schreiben_zeit() {
    bool running = true;
    // Golden Score time counts up from 0:00; a correction below that has nothing to show.
    if (clock_value < 0 && golden_score()) clock_value = 0;
    if (clock_value <= 0 && !golden_score()) {
        clock_value = 0;
        running = false;
    } else if (golden_score() && golden_score_limit > 0 && clock_value >= golden_score_limit) {
        running = false;
    }
    board_.lblZeit.text = clock_text(clock_value);
    return running;
}

void BoutEngine::schalten_stoppuhr() {
    if (bout_active) {
        const std::uint32_t t = host_.tick_count();
        if (timer1_) {
            timer1_ = false;
            stop_colours();
            // The part of a second already run survives the stop, and so does a whole second
            // whose tick had not come yet: a stop never costs the bout a second.
            clock_frac_ = pending(t, clock_ref_);
            hold_frac_ = hold_side != 'X' ? pending(t, hold_ref_) : (t - hold_ref_) % 1000;
        } else {
            board_.pnlZeit.back = rules_.farben_a.hintergrund_zeit_go;
            board_.lblZeit.font = rules_.farben_a.font_zeit_go;
            clock_ref_ = t - clock_frac_;
            hold_ref_ = t - hold_frac_;
            timer1_ = true;
            clock_frac_ = hold_frac_ = 0;
        }
    }
    timer2_ = !timer1_;
}

void BoutEngine::control_focus() {
    board_.shpFocus.back = host_.scoreboard_has_focus() ? k_focus_on : k_focus_off;
}

void BoutEngine::Timer2Timer() {
    if (timer2_) control_focus();
}

void BoutEngine::Timer1Timer() {
    if (!timer1_) return;
    control_focus();
    const std::uint32_t t = host_.tick_count();
    if (static_cast<std::uint32_t>(t - clock_ref_) > 1000) {
        clock_ref_ += 1000;
        clock_value += golden_score() ? 1 : -1;
        if (!schreiben_zeit() && hold_side == 'X') kampfende(' ');
        if (control_panel_active) host_.zeit_uebernehmen();
    }
    if (hold_side != 'X' && static_cast<std::uint32_t>(t - hold_ref_) > 1000) {
        const bool below = schreiben_zeit_hg(true);
        if (!below) {
            if (points_mode()) {
                host_.gong_play();
                schalten_stoppuhr();
                hold_side = 'X';
            } else {
                kampfende(hold_side);
            }
        }
        hold_ref_ += 1000;
        if (control_panel_active) host_.zeit_uebernehmen();
    }
}

const SideColours& BoutEngine::side_colours(char side) const {
    return side == 'B' ? rules_.farben_1 : rules_.farben_2;
}

bool BoutEngine::schreiben_zeit_hg(bool up) {
    const Element& waza = hold_side == 'B' ? board_.lbl_W_b : board_.lbl_W_W;
    const bool has_waza = !points_mode() && waza.text == "1";
    const bool short_hold = has_waza && rules_.waza2ippon;
    const int threshold = short_hold ? rules_.haltegr_waza : rules_.haltegr_ippon;
    const int c = to_integer(board_.lblHG.text).value_or(0) + (up ? 1 : -1);
    if (c < threshold) {
        board_.lblHG.text = format_number(std::max(c, 0), 2);
        return true;
    }
    const Side holder = hold_side == 'B' ? Side::blue : Side::white;
    if (short_hold) {
        change_wertung(waza_cell(holder), 2, +1);
    } else {
        change_wertung(ippon_cell(holder), 1, +1);
    }
    board_.lblHG.text = format_number(threshold, 2);
    return false;
}

void BoutEngine::setze_haltegriff(char side) {
    if (clock_value == 0) {
        bout_active = true;
        zeigen_sieger('X');
        clock_value = 1;
        // Start a standing clock; one already running at 0:00 (the first second of Golden
        // Score) must not be stopped by the hold-down that needs it.
        if (!timer1_) schalten_stoppuhr();
    }
    hold_side = side;
    hold_ref_ = host_.tick_count();
    hold_frac_ = 0;
    if (board_.lblHG.text != "00") save_haltegriff();
    board_.lblHG.font = side_colours(side).font_wertung;
    board_.pnlHG.back = side_colours(side).hintergrund_wertung;
    board_.lblHG.text = "00";
}

void BoutEngine::save_haltegriff() {
    board_.lblHG_Save.text = board_.lblHG.text;
    board_.lblHG_Save.font = board_.lblHG.font;
    board_.pnlHG_Bottom.back = board_.pnlHG.back;
}

void BoutEngine::aendern_haltegriff(char side) {
    if (board_.lblHG.text.empty() || board_.lblHG.text.front() != '0') return;
    hold_side = side;
    board_.lblHG.font = side_colours(side).font_wertung;
    board_.pnlHG.back = side_colours(side).hintergrund_wertung;
}

void BoutEngine::reset_haltegriff() {
    hold_side = 'X';
    board_.lblHG.text = "00";
    hold_frac_ = 0;
    board_.lblHG_Save.text.clear();
    board_.lblHG.font = board_.lblHG_Save.font = rules_.farben_a.font_zeit_stop;
    board_.pnlHG.back = board_.pnlHG_Bottom.back = rules_.farben_a.hintergrund_fuss;
}

void BoutEngine::start_golden_score() {
    board_.lbl_GS.visible = true;
    golden_score_limit = get_kampfzeit(settings_, age_class, true);
    clock_value = 0;
    schreiben_zeit();
    bout_active = true;
}

// ---------------------------------------------------------------- key map

void BoutEngine::FormKeyDown(std::uint16_t key, Modifiers mods) {
    if (key == vk::oem_plus) {
        setzen_verletzungskreuz(true, 1);
    } else if (key == vk::oem_2) {
        setzen_verletzungskreuz(false, 1);
    }
    const bool plain = !mods.shift && !mods.ctrl;
    if (plain && points_mode()) {
        plain_key(key);
        check_max_points();
        hold_down_key(key);
    }
    if (plain && !points_mode()) {
        plain_key(key);
        hold_down_key(key);
    }
    if (mods.shift) shift_key(key);
    if (mods.ctrl) ctrl_key(key);
}

void BoutEngine::plain_key(std::uint16_t key) {
    const bool pm = points_mode();
    const RuleSettings& r = rules_;
    switch (key) {
        case vk::space: schalten_stoppuhr(); break;
        case '1': pm ? give_points(Side::blue, r.ippon, false) : give_ippon(Side::blue); break;
        case '7': pm ? give_points(Side::white, r.ippon, false) : give_ippon(Side::white); break;
        case '2': pm ? give_points(Side::blue, r.waza_ari, true) : give_waza_ari(Side::blue); break;
        case '8': pm ? give_points(Side::white, r.waza_ari, true) : give_waza_ari(Side::white); break;
        case '3': pm ? give_points(Side::blue, r.yuko, false) : give_yuko(Side::blue); break;
        case '9': pm ? give_points(Side::white, r.yuko, false) : give_yuko(Side::white); break;
        case '4': pm ? change_shido('b', +1) : give_shido(Side::blue); break;
        case '0': pm ? change_shido('w', +1) : give_shido(Side::white); break;
        default: break;
    }
}

void BoutEngine::hold_down_key(std::uint16_t key) {
    switch (key) {
        case vk::f5:
        case vk::f8: {
            const char side = key == vk::f5 ? 'B' : 'W';
            if (hold_side == 'X') {
                setze_haltegriff(side);
            } else {
                aendern_haltegriff(side);
            }
            break;
        }
        case vk::f6: hold_side = 'X'; break;
        case vk::f7: reset_haltegriff(); break;
        default: break;
    }
}

void BoutEngine::shift_key(std::uint16_t key) {
    const bool pm = points_mode();
    const RuleSettings& r = rules_;
    auto take = [&](Side side, Element& cell, int limit, int points) {
        if (pm) {
            change_punkte(side == Side::blue ? 'b' : 'w', -points);
        } else {
            change_wertung(cell, limit, -1);
        }
    };
    switch (key) {
        case '1': take(Side::blue, board_.lbl_I_b, 1, r.ippon); break;
        case '2': take(Side::blue, board_.lbl_W_b, 99, r.waza_ari); break;
        case '3': take(Side::blue, board_.lbl_Y_b, 99, r.yuko); break;
        case '7': take(Side::white, board_.lbl_I_W, 1, r.ippon); break;
        case '8': take(Side::white, board_.lbl_W_W, 99, r.waza_ari); break;
        case '9': take(Side::white, board_.lbl_Y_W, 99, r.yuko); break;
        // The limit of a Shido take-back is the fixed 4, whatever Max_Shido says.
        case '4': pm ? change_shido('b', -1) : (void)change_wertung(board_.lbl_S_b, 4, -1); break;
        case '0': pm ? change_shido('w', -1) : (void)change_wertung(board_.lbl_S_W, 4, -1); break;
        default: break;
    }
}

void BoutEngine::ctrl_key(std::uint16_t key) {
    switch (key) {
        case vk::f1: hansoku_make(Side::blue); break;
        case vk::f12: hansoku_make(Side::white); break;
        case 'N':
            if (!weight_class.empty()) neuer_kampf(true, true);
            break;
        case 'E':
            if (!weight_class.empty()) neuer_kampf(false, false);
            break;
        case 'K':
            if (rules_.teams_simple == 1) {
                neuer_kampf_teams_simple();
            } else {
                neuer_kampf(true, false);
            }
            break;
        case 'G': host_.gong_play(); break;
        case 'T': titel_anzeigen(); break;
        case 'Q': host_.overlay_bild(); break;
        case 'R': host_.overlay_bild_aus(); break;
        case 'Z':
            ++clock_value;
            schreiben_zeit();
            break;
        case 'V':
            --clock_value;
            schreiben_zeit();
            break;
        case 'P':
            schreiben_zeit_hg(true);
            hold_frac_ = 0;
            break;
        case 'M':
            schreiben_zeit_hg(false);
            hold_frac_ = 0;
            break;
        case 'A':
            bout_active = true;
            zeigen_sieger('X');
            break;
        case 'S':
            if (clock_value == 0) start_golden_score();
            break;
        case 'B': zeigen_sieger('B'); break;
        case 'W': zeigen_sieger('W'); break;
        case 'X': zeigen_sieger('X'); break;
        case 'C':
            control_panel_active = true;
            host_.board_changed();
            host_.show_control_panel();
            if (exit_request) host_.close_scoreboard();
            break;
        case 'I': host_.info(); break;
        default: break;
    }
}

// ---------------------------------------------------------------- change of bout

bool BoutEngine::bout_in_progress() const {
    return !board_.lblBlau_Name.text.empty() && clock_value != set_duration;
}

bool BoutEngine::close_requested_by_focus() {
    if (!bout_in_progress()) return true;
    return host_.confirm_ok("Verlassen ohne Speichern ?");
}

void BoutEngine::neuer_kampf(bool load, bool from_list) {
    Board& b = board_;
    const bool had_result = b.lbl_Sieger_Blau.visible || b.lbl_Sieger_Weiss.visible;
    // A bout in progress is never replaced, and ignoring the command must leave list mode
    // and the running bout's pending result as they were.
    if (load && !(had_result || clock_value <= 0 || clock_value == set_duration)) return;
    host_.reconnect();
    loaded_from_list = false;
    int secs = set_duration;
    if (had_result) {
        const bool blue_won = b.lbl_Sieger_Blau.visible;
        std::string value = "01";
        if (b.lbl_Y_b.text != b.lbl_Y_W.text) value = "05";
        if (b.lbl_W_b.text != b.lbl_W_W.text) value = "07";
        if (b.lbl_I_b.text != b.lbl_I_W.text) value = "10";
        if (clock_value > 0 && !golden_score()) value = "10";
        if (clock_value > 0 && golden_score() && value == "01" && b.lbl_S_b.text == b.lbl_S_W.text) {
            value = "10";
        }
        if (value == "10" || golden_score()) secs = elapsed_seconds();
        const std::string duration = clock_text(secs);
        if (points_mode()) {
            const int blue = 100 * plain_value(b.lbl_I_b) + 10 * plain_value(b.lbl_W_b) +
                             plain_value(b.lbl_Y_b);
            const int white = 100 * plain_value(b.lbl_I_W) + 10 * plain_value(b.lbl_W_W) +
                              plain_value(b.lbl_Y_W);
            value = value == "10" ? std::to_string(rules_.max_punkte)
                                  : std::to_string(larger_of(blue, white));
        }
        // A list file that cannot be written stops here: the result stays on the board and
        // the command can be given again.
        if (host_.anzeige_in_liste(BoutResult{age_class, weight_class, value, duration, " ",
                                              list_position, blue_won}) == ListOutcome::failed) {
            return;
        }
        clock_value = 0;
        if (rules_.sieger_auto) sieger_anzeigen(blue_won);
    }
    host_.clear_list_result_due();
    if (!load) {
        defaults();
        param_aus_ini();
        bout_active = false;
        return;
    }
    EntryFields& fields = host_.entry_fields();
    fields.edtAKID = age_class;
    fields.edtGEWK = weight_class;
    fields.edtLPOS = "0";
    bool ok = false;
    if (from_list) {
        const ListOutcome found = host_.kampf_laden();
        if (found == ListOutcome::failed) return;
        ok = found == ListOutcome::done;
        loaded_from_list = ok;
        if (!ok) show_catalogue_message(306);
    } else {
        host_.board_changed();
        ok = host_.show_entry_dialog();
    }
    if (!ok) {
        set_names_from_settings();
        reset_kampf(0);
        return;
    }
    const auto position = to_integer(fields.edtLPOS);
    if (!position) {
        host_.show_message(conversion_error_text(fields.edtLPOS), 'F');
        return;
    }
    list_position = *position;
    age_class = fields.edtAKID;
    weight_class = fields.edtGEWK;
    bout_text = fields.edtKTXT;
    b.lblLPOS.text = std::to_string(list_position);
    b.lblAK.text = age_class;
    b.lblGewK.text = weight_class;
    host_.loeschen_protokoll(list_position);
    b.lblBlau_Name.text = fields.edtNAMEBlau;
    b.lblBLau_Verein.text = fields.edtVERNBlau;
    b.lblWeiss_Name.text = fields.edtNAMEWeiss;
    b.lblWeiss_Verein.text = fields.edtVERNWeiss;
    const int h = get_kampfzeit(settings_, age_class, false);
    RuleSettings& r = rules_;
    host_.changeParameterAK(age_class, AgeClassRules{r.ohne_waza, r.ohne_yuko, r.waza2ippon,
                                                     r.Max_Shido, r.strafen, r.haltegr_ippon,
                                                     r.haltegr_waza});
    b.lbl_W_b.visible = b.lbl_W_W.visible = !r.ohne_waza;
    b.lbl_Y_b.visible = b.lbl_Y_W.visible = !r.ohne_yuko;
    host_.relayout();
    set_duration = h;
    reset_kampf(h);
    if (r.titel_auto) titel_anzeigen();
    host_.relayout();
}

void BoutEngine::reset_kampf(int seconds) {
    Board& b = board_;
    for (Element* cell : {&b.lbl_I_b, &b.lbl_W_b, &b.lbl_Y_b, &b.lbl_S_b, &b.lbl_I_W, &b.lbl_W_W,
                          &b.lbl_Y_W, &b.lbl_S_W}) {
        cell->text = "0";
    }
    for (Element* cross : {&b.lbl_Kreuz_b_1, &b.lbl_Kreuz_b_2, &b.lbl_Kreuz_w_1, &b.lbl_Kreuz_w_2}) {
        cross->text.clear();
    }
    b.lblZeit.text = "0:00";
    b.lblHG.text = "00";
    reset_haltegriff();
    // A clock still running (a winner declared while it ran) must not run into the new bout.
    set_timer1(false);
    clock_value = seconds;
    clock_frac_ = 0;
    schreiben_zeit();
    zeigen_sieger(' ');
    b.lbl_GS.visible = false;
    points_b = points_w = 0;
    bout_active = true;
}

void BoutEngine::neuer_kampf_teams_simple() {
    Board& b = board_;
    host_.reconnect();
    loaded_from_list = false;
    const bool has_result = b.lbl_Sieger_Blau.visible || b.lbl_Sieger_Weiss.visible;
    const bool blue_won = b.lbl_Sieger_Blau.visible;
    EntryFields& fields = host_.entry_fields();
    fields.edtAKID = age_class;
    fields.edtGEWK = weight_class;
    fields.edtLPOS = "0";
    host_.board_changed();
    if (!host_.eingabeTeamsSimple(has_result, blue_won)) return;
    age_class = fields.edtAKID;
    weight_class = fields.edtGEWK;
    b.lblAK.text = age_class;
    b.lblGewK.text = weight_class;
    b.lblLPOS.text = fields.edtLPOS;
    b.lblBlau_Name.text = fields.edtNAMEBlau;
    b.lblBLau_Verein.text = fields.edtVERNBlau;
    b.lblWeiss_Name.text = fields.edtNAMEWeiss;
    b.lblWeiss_Verein.text = fields.edtVERNWeiss;
    if (has_result || clock_value <= 0) {
        set_duration = get_kampfzeit(settings_, age_class, false);
        reset_kampf(set_duration);
        if (rules_.titel_auto) titel_anzeigen();
        host_.relayout();
    }
}

void BoutEngine::titel_anzeigen() {
    const Board& b = board_;
    if (b.lblBlau_Name.text.empty() || clock_value != set_duration) return;
    host_.board_changed();
    host_.show_page(PageScheme::neutral, age_class, weight_class, bout_text);

    // Blue: split at a comma from the 4th character on, skipping the blank after it.
    std::string line1 = b.lblBlau_Name.text, line2;
    std::size_t comma = utf8_find(line1, ',');
    if (comma != std::string::npos && comma + 1 >= 4) {
        const std::string name = line1;
        line1 = utf8_substr(name, 0, comma);
        line2 = trim_right(utf8_substr(name, comma + 2));
    }
    host_.show_page(PageScheme::blau, line1, line2, b.lblBLau_Verein.text);

    // White: split at a comma from the 2nd character on, keeping what follows it.
    line1 = b.lblWeiss_Name.text;
    line2.clear();
    comma = utf8_find(line1, ',');
    if (comma != std::string::npos && comma + 1 >= 2) {
        const std::string name = line1;
        line1 = utf8_substr(name, 0, comma);
        line2 = trim_right(utf8_substr(name, comma + 1));
    }
    host_.show_page(PageScheme::weiss, line1, line2, b.lblWeiss_Verein.text);
}

void BoutEngine::sieger_anzeigen(bool blue_won) {
    const Board& b = board_;
    host_.board_changed();
    host_.show_page(blue_won ? PageScheme::blau : PageScheme::weiss, "Sieger:",
                    blue_won ? b.lblBlau_Name.text : b.lblWeiss_Name.text,
                    blue_won ? b.lblBLau_Verein.text : b.lblWeiss_Verein.text);
}

}  // namespace kyomat
