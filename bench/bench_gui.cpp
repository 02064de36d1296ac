// Window costs on the offscreen platform: a key command through to the repainted board, a
// layout pass with repaint at two sizes, and the control panel's mirror. Start-up and memory
// are measured as whole processes by kyomat_bench_startup.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/app_host.h"
#include "control/control_panel.h"
#include "dialogs/bout_entry_dialog.h"
#include "display/scoreboard_window.h"
#include "offscreen_main.h"
#include "platform/message_box.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

struct Rig {
    testing::TempFolder dir;
    Settings settings{dir.path()};
    AppHost host{settings};
    std::unique_ptr<ScoreboardWindow> board;
    Rig(int w, int h) {
        dir.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\n");
        board = std::make_unique<ScoreboardWindow>(host, settings);
        host.set_scoreboard(board.get());
        board->setWindowState(Qt::WindowNoState);
        board->resize(w, h);
        board->show();
        QCoreApplication::processEvents();
        board->setWindowState(Qt::WindowNoState);
        board->resize(w, h);
        board->handle_key('A', Modifiers{false, true, false});
    }
};

void BM_KeyToRepaintedBoard(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    state.counters["width"] = rig.board->width();
    bool up = true;
    for (auto _ : state) {
        rig.board->handle_key('3', Modifiers{!up, false, false});
        rig.board->repaint();
        up = !up;
    }
}

void BM_LayoutAndRepaint(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        rig.board->lay_out();
        rig.board->repaint();
    }
}

void BM_PanelMirror(benchmark::State& state) {
    Rig rig(1920, 1080);
    ControlPanel panel(rig.board->engine(), rig.host, PanelLinks{});
    panel.show();
    for (auto _ : state) {
        panel.anzeige_uebernehmen();
        panel.zeit_uebernehmen();
    }
}

}  // namespace

BENCHMARK(BM_KeyToRepaintedBoard)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutAndRepaint)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PanelMirror)->Unit(benchmark::kMicrosecond);

KYOMAT_OFFSCREEN_BENCHMARK_MAIN()
