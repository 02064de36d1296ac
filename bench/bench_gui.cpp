// Window costs on the offscreen platform: a key command through to the repainted board, a
// layout pass with repaint at two sizes, and the control panel's mirror. Start-up and memory
// are measured as whole processes by kyomat_bench_startup.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/app_host.h"
#include "app/state_keeper.h"
#include "control/control_panel.h"
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

// The same with the bout kept for a crash: the GUI thread's part (the board's state as text,
// compared and handed to the writer thread), and that part alone.
void BM_KeyToRepaintedBoardWithStateKept(benchmark::State& state) {
    Rig rig(1920, 1080);
    BoutListInUse list(rig.dir.path(), nullptr);
    StateKeeper keeper(rig.dir.path(), rig.board->engine(), list, {}, {});
    bool up = true;
    for (auto _ : state) {
        rig.board->handle_key('3', Modifiers{!up, false, false});
        keeper.board_changed();
        rig.board->repaint();
        up = !up;
    }
}

void BM_StateKeptPerChange(benchmark::State& state) {
    Rig rig(1920, 1080);
    BoutListInUse list(rig.dir.path(), nullptr);
    StateKeeper keeper(rig.dir.path(), rig.board->engine(), list, {}, {});
    bool up = true;
    for (auto _ : state) {
        state.PauseTiming();
        rig.board->engine().handle_key('3', Modifiers{!up, false, false});
        up = !up;
        state.ResumeTiming();
        keeper.board_changed();
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

// The control panel's bout grid filled from a list of N bouts read from its file, as after
// every result written: what a bout list of the largest size taken costs the GUI thread.
void BM_PanelBoutList(benchmark::State& state) {
    Rig rig(1920, 1080);
    const auto bouts = static_cast<int>(state.range(0));
    std::string list = "#STR|KFL|1|2\r\n#PAR|0|||" + std::to_string(bouts) + "\r\n";
    for (int i = 1; i <= bouts; ++i) {
        list += "#DAT|-" + std::to_string(60 + i % 40) + "|Meier-Lüdenscheid, Hans " +
                std::to_string(i) + "|JC Nord|Li, Wei|JV Süd||||\r\n";
    }
    rig.dir.write("neu.kfl", list);
    BoutListFile file(rig.dir.path(), nullptr);
    BoutListAccess access(file);
    PanelLinks links;
    links.list_rows = [&](std::vector<std::array<std::string, 5>>& rows, bool quiet) {
        return access.panel_rows(rows, quiet);
    };
    ControlPanel panel(rig.board->engine(), rig.host, std::move(links));
    panel.show();
    for (auto _ : state) {
        panel.anzeige_kaempfe();
        QCoreApplication::processEvents();
    }
    state.counters["bytes"] = static_cast<double>(list.size());
}

}  // namespace

BENCHMARK(BM_PanelBoutList)->Arg(1000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyToRepaintedBoard)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyToRepaintedBoardWithStateKept)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StateKeptPerChange)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutAndRepaint)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PanelMirror)->Unit(benchmark::kMicrosecond);

KYOMAT_OFFSCREEN_BENCHMARK_MAIN()
