#pragma once
// The bout engine: the logic of the scoreboard window. Rules, both clocks, the key map and
// the change of bout, on a Board that the window paints. Plain C++: it reads no clock and
// opens no window; the Host does both.
#include <cstdint>
#include <string>

#include "data/core/settings.h"
#include "engine/board.h"
#include "engine/host.h"
#include "engine/keys.h"

namespace kyomat {

struct SideColours {
    Colour hintergrund_name, hintergrund_wertung, font_name, font_wertung, font_strafe,
        font_kreuz;
};

struct CommonColours {
    Colour hintergrund_zeit_go, hintergrund_zeit_stop, font_zeit_go, font_zeit_stop,
        hintergrund_fuss, hintergrund_gs, font_gs, font_fuss;
};

// What param_aus_ini reads: rule switches, times, colours, font corrections.
struct RuleSettings {
    int teams_simple = 0;
    int haltegr_ippon = 25;
    int haltegr_waza = 20;
    bool titel_auto = false;
    bool sieger_auto = false;
    std::string titel_dauer;
    bool add_aktiv = false;
    int ippon = 0, waza_ari = 0, yuko = 0;
    int shido_1 = 0, shido_2 = 0, shido_3 = 0, shido_4 = 0, shido_N = 0;
    int max_punkte = 0;
    bool ohne_waza = false;
    bool ohne_yuko = false;
    bool waza2ippon = false;
    int Max_Shido = 4;
    int strafen = 0;
    SideColours farben_1, farben_2;
    CommonColours farben_a;
    int korrektur_wertung = 100, korrektur_name = 100, korrektur_zeit = 100,
        korrektur_fuss = 100;
};

SideColours default_farben_1();
SideColours default_farben_2();
CommonColours default_farben_a();

enum class Side { blue, white };

class BoutEngine {
public:
    BoutEngine(Host& host, Settings settings);

    // Creation of the scoreboard: settings read, default look, clock value 0.
    void FormCreate();
    // Showing of the scoreboard: display position, flags, control panel when configured.
    void FormShow();

    // The one key handler of every command.
    void FormKeyDown(std::uint16_t key, Modifiers mods);

    // The 100 ms clock tick (while Timer1 runs) and the 500 ms focus tick (while Timer2 runs).
    void Timer1Timer();
    void Timer2Timer();
    bool timer1() const { return timer1_; }
    bool timer2() const { return timer2_; }

    // Routines of the scoreboard that other windows call.
    void param_aus_ini();
    void defaults();
    int change_wertung(Element& cell, int limit, int delta);
    void change_punkte(char letter, int delta);
    void change_shido(char letter, int delta);
    void anzeige_punkte();
    void kampfende(char code);
    void zeigen_sieger(char code);
    void setzen_verletzungskreuz(bool blue, int step);
    void schalten_stoppuhr();
    bool schreiben_zeit();
    bool schreiben_zeit_hg(bool up);
    void setze_haltegriff(char side);
    void aendern_haltegriff(char side);
    void reset_haltegriff();
    void save_haltegriff();
    void control_focus();
    void neuer_kampf(bool load, bool from_list);
    void neuer_kampf_teams_simple();
    void reset_kampf(int seconds);
    void titel_anzeigen();
    void sieger_anzeigen(bool blue_won);

    // The focus indicator's close request: true when the scoreboard should close.
    bool close_requested_by_focus();
    // A bout is in progress: a blue name and a clock that has moved.
    bool bout_in_progress() const;
    int elapsed_seconds() const;

    const Board& board() const { return board_; }
    Board& board() { return board_; }
    const RuleSettings& rules() const { return rules_; }
    RuleSettings& rules() { return rules_; }
    const Settings& settings() const { return settings_; }
    bool points_mode() const { return rules_.add_aktiv; }
    bool golden_score() const { return board_.lbl_GS.visible; }

    // Bout state (public fields keep the control panel's and the tests' reads simple).
    bool bout_active = false;
    bool control_panel_active = false;
    bool exit_request = false;
    bool loaded_from_list = false;
    int clock_value = 0;
    int set_duration = 0;
    int golden_score_limit = 0;
    char hold_side = 'X';
    int points_b = 0;
    int points_w = 0;
    std::string age_class, weight_class, bout_text;
    int list_position = 0;
    int display_left = 0;

private:
    // Scoring actions of the key map.
    void give_ippon(Side side);
    void give_waza_ari(Side side);
    void give_yuko(Side side);
    void give_shido(Side side);
    void give_points(Side side, int value, bool is_waza);
    void check_max_points();
    void hansoku_make(Side side);
    void start_golden_score();
    void plain_key(std::uint16_t key);
    void shift_key(std::uint16_t key);
    void ctrl_key(std::uint16_t key);
    void hold_down_key(std::uint16_t key);

    Element& ippon_cell(Side s) { return s == Side::blue ? board_.lbl_I_b : board_.lbl_I_W; }
    Element& waza_cell(Side s) { return s == Side::blue ? board_.lbl_W_b : board_.lbl_W_W; }
    Element& yuko_cell(Side s) { return s == Side::blue ? board_.lbl_Y_b : board_.lbl_Y_W; }
    Element& shido_cell(Side s) { return s == Side::blue ? board_.lbl_S_b : board_.lbl_S_W; }
    int cell_value(const Element& cell) const;
    bool is_shido_cell(const Element& cell) const;
    const char* cell_name(const Element& cell) const;
    const SideColours& side_colours(char side) const;
    void set_timer1(bool on);
    void stop_colours();
    void set_names_from_settings();
    int read_digit_number(const char* section, const char* key);
    void show_catalogue_message(int number);

    Host& host_;
    Settings settings_;
    Board board_;
    RuleSettings rules_;
    bool timer1_ = false;
    bool timer2_ = true;
    std::uint32_t clock_ref_ = 0;
    std::uint32_t clock_frac_ = 0;
    std::uint32_t hold_ref_ = 0;
    std::uint32_t hold_frac_ = 0;
};

}  // namespace kyomat
