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

void ScoreboardWindow::clock_tick() {
    engine_.clock_tick();
    paint_board();
}

void ScoreboardWindow::focus_tick() {
    engine_.focus_tick();
    paint_board();
}

}  // namespace kyomat
