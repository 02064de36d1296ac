// The scoreboard's time: the 100 ms tick, the tick aimed at each new second, the focus tick,
// and whether a gong may come soon (the sound device is awake in time for it).
#include "display/scoreboard_window.h"

namespace kyomat {

// While a clock runs a gong may come at any key (an Ippon, a Hansoku-make), not only at the
// end of time: the device is kept awake, so the gong sounds at once. A device awake mixes
// silence all the while (the program's largest cost on a battery), so a club may keep it awake
// only ahead of the gongs the clocks give themselves; a gong by key then waits for the device.
ScoreboardWindow::GongSoon ScoreboardWindow::gong_may_come_soon() const {
    if (!engine_.clock_timer_on()) return GongSoon::no;
    constexpr int k_ahead_s = 5;
    const BoutState& st = engine_.state();
    const bool clock_gong_near =
        st.holder.has_value() ||
        (!engine_.golden_score()
             ? st.clock_value <= k_ahead_s
             : st.golden_score_limit > 0 && st.golden_score_limit - st.clock_value <= k_ahead_s);
    if (clock_gong_near) return GongSoon::by_clock;
    return engine_.rules().gong_bereit ? GongSoon::by_key : GongSoon::no;
}

void ScoreboardWindow::aim_second_tick() {
    if (!clock_timer_.isActive()) return;
    // Aimed anew at every paint at the same second, so a storm of keys never holds it off; a
    // tick not aimed again repeats a second later at most.
    if (const auto ms = engine_.ms_to_next_second()) clock_timer_.start(static_cast<int>(*ms));
}

// Most ticks change nothing (two a second for the focus circle while the clock stands): those
// repaint nothing and tell nobody, so a standing board costs next to nothing. The clock's tick
// is aimed again all the same.
void ScoreboardWindow::tick(void (BoutEngine::*tick)()) {
    (engine_.*tick)();
    const bool timers_follow = engine_.clock_timer_on() == clock_timer_.isActive() &&
                               engine_.focus_timer_on() == focus_timer_.isActive();
    if (timers_follow && engine_.board() == painted_board_ && engine_.state() == painted_state_) {
        aim_second_tick();
        return;
    }
    paint_board();
}

void ScoreboardWindow::clock_tick() {
    tick(&BoutEngine::clock_tick);
}

void ScoreboardWindow::focus_tick() {
    tick(&BoutEngine::focus_tick);
}

// While the clock runs its own tick paints the circle; the tick that comes now counts a
// second only if one is due, as any tick would.
void ScoreboardWindow::focus_moved() {
    tick(engine_.clock_timer_on() ? &BoutEngine::clock_tick : &BoutEngine::focus_tick);
}

}  // namespace kyomat
