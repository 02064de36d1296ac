#pragma once
// The bout engine: the logic behind the scoreboard window. It is one object for the windows
// (one key handler, two timer ticks, a read-only view of the board and the bout), built of
// rooms that each own one concern and live in a file of their own:
//   engine.cpp          creation, showing, settings and the default look
//   scoring.cpp         score cells, points, penalties, end of bout and winner
//   clocks.cpp          bout clock, hold-down clock, focus indicator
//   key_commands.cpp    the key table
//   change_of_bout.cpp  result hand-over, loading the next bout, title and winner pages
// Plain C++: it reads no clock and opens no window; the Host does both.
#include <cstdint>
#include <optional>
#include <string>

#include "data/core/settings.h"
#include "data/core/state_file.h"
#include "engine/board.h"
#include "engine/bout_state.h"
#include "engine/host.h"
#include "engine/keys.h"
#include "engine/rule_settings.h"
#include "engine/second_counter.h"

namespace kyomat {

// Seconds as the clock shows them, "m:ss".
std::string clock_text(std::int64_t seconds);
// The operator's words for a gong that cannot be heard (report 3007), naming the file.
std::string gong_failure_text(GongStatus status, const std::string& file);
// The bout clock never goes beyond this many seconds, whatever the keys and the settings.
constexpr int k_max_clock_seconds = 99 * 3600;

class BoutEngine {
  public:
    BoutEngine(Host& host, Settings settings);

    // Creation of the scoreboard: settings read, default look, clock value 0.
    void on_create();
    // Showing of the scoreboard: display position, flags, control panel when configured.
    void on_show();
    // The control panel the engine opened has closed ("Anzeige beenden" ends the program).
    void control_panel_closed();

    // The one key handler of every command.
    void handle_key(std::uint16_t key, Modifiers mods);

    // The 100 ms clock tick (while its timer runs) and the 500 ms focus tick.
    void clock_tick();
    void focus_tick();
    bool clock_timer_on() const { return clock_timer_on_; }
    // While the clock runs: milliseconds from now until a tick would count the next second of
    // the bout clock or of the hold-down, so that a tick can be aimed there instead of waiting
    // for the next 100 ms tick. Nothing while the clock stands.
    std::optional<std::uint32_t> ms_to_next_second();
    bool focus_timer_on() const { return focus_timer_on_; }

    // Settings read again and the board's default look (a new bout without a list).
    void param_aus_ini();
    void defaults();
    // End of bout: decided for a side, or (nobody) decided by scores and penalties.
    void kampfende(MaybeSide decided);

    // Commands of the control panel and the scoreboard window.
    void close_control_panel() { state_.control_panel_active = false; }
    void request_exit() { state_.exit_request = true; }
    // The left edge of the board's monitor as the window placed it (a monitor named by
    // anz_monitor, or one that came back): pages and the pause picture follow it.
    void set_display_left(int left) { state_.display_left = left; }
    // The next-bout command needs a weight class: list mode gives it a placeholder.
    void enter_list_mode();
    // Name-only display: the club labels are not shown.
    void hide_clubs();
    // The bout from the list now stands in this row of the file (the desk moved it).
    void list_row_moved(int row);

    // bout_snapshot.cpp: the bout as the values a state file keeps, whether it is one to
    // offer back after a crash (begun, and its result not handed on), and the bout taken
    // back from such values (false, with the reason, for values that do not make a bout).
    StateValues snapshot() const;
    bool bout_open_for_restore() const;
    bool restore(const StateMap& values, std::string& why);

    // The focus indicator's close request: true when the scoreboard should close.
    bool close_requested_by_focus();
    // Leaving the program: asked first when it would lose a bout or a result.
    bool leaving_confirmed();
    // A bout is in progress: a blue name and a clock that has moved.
    bool bout_in_progress() const;
    // A bout in progress, or a result on the board not yet handed on: leaving asks first.
    bool leaving_loses_something() const;
    int elapsed_seconds() const;

    // Read-only views for the windows, the scenario runner and the tests.
    const Board& board() const { return board_; }
    const RuleSettings& rules() const { return rules_; }
    const Settings& settings() const { return settings_; }
    const BoutState& state() const { return state_; }
    bool points_mode() const { return rules_.add_aktiv; }
    // panel_tasten as the last command read it: the focus tick asks it twice a second and
    // must not open kyomat.ini for it (an edit counts from the next key on).
    bool panel_keys() const { return panel_keys_; }
    // The side whose win on show came by Ippon: its Ippon, two Waza-ari with waza2ippon, or
    // the other side's Hansoku-make; none in points mode or without a shown winner.
    MaybeSide ippon_winner() const;
    bool golden_score() const { return board_.lbl_GS.visible; }

    // Tests and benchmarks set a situation up directly; the program never does.
    struct Internals {
        Board& board;
        RuleSettings& rules;
        BoutState& state;
    };
    Internals internals_for_tests() { return {board_, rules_, state_}; }

  private:
    // engine.cpp
    void set_names_from_settings();
    void refresh_rules();
    // bout_snapshot.cpp
    bool restored_values_in_range(const BoutState& s, const Board& board) const;
    void show_catalogue_message(int number);

    // scoring.cpp
    int change_wertung(Element& cell, int limit, int delta);
    void change_punkte(Side side, int delta);
    void change_shido(Side side, int delta);
    void anzeige_punkte();
    void zeigen_sieger(MaybeSide winner);
    void setzen_verletzungskreuz(Side side, int step);
    void give_ippon(Side side);
    void give_waza_ari(Side side);
    void give_yuko(Side side);
    void give_shido(Side side);
    void give_points(Side side, int value, bool is_waza);
    void take_back(Side side, Element& cell, int limit, int points);
    void check_max_points();
    void check_golden_score_lead(int blue_before, int white_before);
    bool scores_differ() const;
    void hansoku_make(Side side);
    MaybeSide winner_by_scores() const;
    MaybeSide winner_by_penalties() const;
    MaybeSide winner_at_end_of_time() const;
    bool both_hansoku_make() const;
    MaybeSide single_hansoku_make() const;
    MaybeSide hansoku_make_decides(MaybeSide decided) const;
    void take_shido(Side side, int limit);
    void take_ippon(Side side);
    void retire_hold_down_award();
    void take_hold_down_award(Side side, bool waza);
    void decide_again_after_time();
    Element& ippon_cell(Side s) { return s == Side::blue ? board_.lbl_I_b : board_.lbl_I_W; }
    Element& waza_cell(Side s) { return s == Side::blue ? board_.lbl_W_b : board_.lbl_W_W; }
    Element& yuko_cell(Side s) { return s == Side::blue ? board_.lbl_Y_b : board_.lbl_Y_W; }
    Element& shido_cell(Side s) { return s == Side::blue ? board_.lbl_S_b : board_.lbl_S_W; }
    int cell_value(const Element& cell) const;
    bool is_shido_cell(const Element& cell) const;
    const std::string& protocol_subject(const Element& cell) const;

    // protocol.cpp
    void protocol(const std::string& subject, std::optional<int> amount = std::nullopt,
                  std::string shown = {});
    void protocol_at(int second, const std::string& subject, std::optional<int> amount,
                     std::string shown);
    void protocol_new_bout(int list_position, const char* entry);
    MaybeSide shown_winner() const;
    void protocol_winner_change(MaybeSide before);
    // Steps of one command that the protocol records as that command (a Hansoku-make is not
    // a Shido and an Ippon), and the steps of clearing the board for a new bout.
    class QuietProtocol {
      public:
        explicit QuietProtocol(BoutEngine& e) : n_(e.protocol_quiet_) { ++n_; }
        ~QuietProtocol() { --n_; }
        QuietProtocol(const QuietProtocol&) = delete;
        QuietProtocol& operator=(const QuietProtocol&) = delete;

      private:
        int& n_;
    };
    int protocol_quiet_ = 0;
    // Whether this run of the program has told the protocol which bout is on the board.
    bool protocol_bout_open_ = false;

    // clocks.cpp
    void schalten_stoppuhr();
    bool schreiben_zeit();
    bool schreiben_zeit_hg(bool up);
    void setze_haltegriff(Side side);
    void aendern_haltegriff(Side side);
    bool is_reversal() const;
    void reverse_haltegriff(Side side);
    void reset_haltegriff();
    void release_haltegriff();
    void end_haltegriff();
    bool time_is_up() const;
    void end_by_time_after_hold_down();
    void hold_down_reached();
    void save_haltegriff();
    void hold_down_second();
    void control_focus();
    void start_golden_score();
    // The bout time from the settings; one out of range is reported and 47 is used.
    int bout_time(bool golden_score);
    void correct_clock(int delta);
    void correct_hold_down(bool up);
    void set_clock_timer(bool on);
    void stop_clock();
    void stop_colours();
    const SideColours& side_colours(Side side) const;

    // key_commands.cpp
    void plain_key(std::uint16_t key);
    void shift_key(std::uint16_t key);
    void ctrl_key(std::uint16_t key);
    void clock_key(std::uint16_t key);
    void hold_down_key(std::uint16_t key);
    bool weight_class_given();
    void reset_to_configuration();
    void open_control_panel();

    // change_of_bout.cpp
    // True when the command was carried out or its dialog opened (not refused or failed).
    bool neuer_kampf(bool load, bool from_list);
    bool decided_without_winner() const;
    bool hand_on_result();
    void preset_bout_fields();
    bool load_bout_fields();
    void ask_bout_fields();
    void take_bout_fields();
    void show_bout_fields(const EntryFields& fields, const std::string& position);
    // The global rule switches, then those of the bout's age class.
    void apply_age_class_rules();
    void reset_kampf(int seconds);
    void neuer_kampf_teams_simple();
    void take_team_fields(bool had_result);
    void titel_anzeigen();
    void sieger_anzeigen(bool blue_won);

    Host& host_;
    Settings settings_;
    Board board_;
    RuleSettings rules_;
    // The rule settings as the global keys give them (rules_ may hold an age class's own).
    RuleSettings global_rules_;
    BoutState state_;
    bool clock_timer_on_ = false;
    bool told_no_known_section_ = false;
    bool focus_timer_on_ = true;
    bool panel_keys_ = false;
    SecondCounter clock_seconds_;
    SecondCounter hold_seconds_;
};

}  // namespace kyomat
