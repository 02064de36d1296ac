#pragma once
// What the engine knows about the bout besides the board: the side type used everywhere,
// and the state that the windows, the scenario runner and the tests read.
#include <optional>
#include <string>

namespace kyomat {

enum class Side { blue, white };

inline Side other(Side s) {
    return s == Side::blue ? Side::white : Side::blue;
}
// The letter the bout protocol and the scenario language use: 'B' or 'W'.
inline char side_code(Side s) {
    return s == Side::blue ? 'B' : 'W';
}

// The protocol's subjects of a score given by the hold-down clock at its threshold, and by
// "Gelöst" for the time held; their amount is the seconds held.
inline std::string hold_down_award_subject(Side s) {
    return s == Side::blue ? "HALTEGRIFF_B" : "HALTEGRIFF_W";
}
inline std::string release_award_subject(Side s) {
    return s == Side::blue ? "GELOEST_B" : "GELOEST_W";
}

// A side or nobody: the hold-down holder, a declared winner.
using MaybeSide = std::optional<Side>;

// 'B', 'W' or 'X' (nobody), the form the scenario language and the debug print use.
inline char side_code(MaybeSide s) {
    return s ? side_code(*s) : 'X';
}

struct BoutState {
    bool bout_active = false;
    bool control_panel_active = false;
    bool exit_request = false;
    bool loaded_from_list = false;
    // The bout ended when its time ran out (no hold-down counting): until its result is
    // handed on, a score or Shido given or taken for what happened at the gong decides anew.
    bool ended_by_time = false;
    // Its result was handed on: the bout is closed to every key that would change it.
    bool handed_on = false;
    // A bout was put on the board (loaded or entered) and not since cleared by Ctrl+E: only
    // such a board holds a bout to offer back after a crash.
    bool bout_on_board = false;
    // The bout on the board has begun: its clock has started, or a score, Shido or hold-down
    // was given, since it came on the board. Cleared by the next bout, Ctrl+E and the hand-on.
    bool begun = false;
    // The winner shown was declared by the referees at equal scores after the end of time.
    bool referee_decision = false;
    // The side whose Ippon on the board came from the other side's last Shido (Hansoku-make):
    // taking that Shido back after a review takes this Ippon back with it.
    MaybeSide hansoku_ippon;
    // Seconds on the bout clock: left in regular time, run in Golden Score.
    int clock_value = 0;
    int set_duration = 0;
    int golden_score_limit = 0;
    MaybeSide holder;
    // Running totals of the points system.
    int points_b = 0;
    int points_w = 0;
    std::string age_class, weight_class, bout_text;
    int list_position = 0;
    int display_left = 0;

    friend bool operator==(const BoutState&, const BoutState&) = default;

    int& points(Side s) { return s == Side::blue ? points_b : points_w; }
    int points(Side s) const { return s == Side::blue ? points_b : points_w; }
};

}  // namespace kyomat
