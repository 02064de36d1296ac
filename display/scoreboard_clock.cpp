// The scoreboard's time: the 100 ms tick, the tick aimed at each new second, the focus tick,
// and whether a gong may come soon (the sound device is awake in time for it).
#include "display/scoreboard_window.h"

namespace kyomat {

// While a clock runs a gong may come at any key (an Ippon, a Hansoku-make), not only at the
// end of time: the device is kept awake, so the gong sounds at once.
bool ScoreboardWindow::gong_may_come_soon() const {
    return engine_.clock_timer_on();
}

void ScoreboardWindow::aim_second_tick() {
    const auto ms = aimed_ticks_ ? engine_.ms_to_next_second() : std::nullopt;
    if (!ms) {
        second_timer_.stop();
        return;
    }
    second_timer_.start(static_cast<int>(*ms));
}

// Most ticks change nothing (ten a second while the clock runs, of which one counts a second;
// two a second for the focus circle): those repaint nothing and tell nobody, so a standing
// board costs next to nothing. The tick aimed at the next second is aimed again all the same.
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

}  // namespace kyomat
