// The scoreboard's time: the 100 ms tick, the tick aimed at each new second, the focus tick,
// and whether a gong may come soon (the sound device is awake in time for it).
#include "display/scoreboard_window.h"

namespace kyomat {

bool ScoreboardWindow::gong_may_come_soon() const {
    constexpr int k_ahead_s = 5;
    const BoutState& st = engine_.state();
    if (!engine_.clock_timer_on()) return false;
    if (st.holder) return true;
    if (!engine_.golden_score()) return st.clock_value <= k_ahead_s;
    return st.golden_score_limit > 0 && st.golden_score_limit - st.clock_value <= k_ahead_s;
}

void ScoreboardWindow::aim_second_tick() {
    const auto ms = aimed_ticks_ ? engine_.ms_to_next_second() : std::nullopt;
    if (!ms) {
        second_timer_.stop();
        return;
    }
    second_timer_.start(static_cast<int>(*ms));
}

void ScoreboardWindow::clock_tick() {
    engine_.clock_tick();
    paint_board();
}

void ScoreboardWindow::focus_tick() {
    engine_.focus_tick();
    paint_board();
}

}  // namespace kyomat
