// Window costs on the offscreen platform: a key command through to the repainted board, a
// layout pass with repaint at two sizes, the control panel's mirror, and start-up to the
// first paint beside an empty window's.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPaintEvent>

#include "app/app_host.h"
#include "control/untAnzeigeSTRG.h"
#include "data/forms/untAnzeigeLaden.h"
#include "display/untMainAnzeige.h"
#include "platform/message_box.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

struct Rig {
    testing::TempFolder dir;
    Settings settings{dir.path()};
    AppHost host{settings};
    std::unique_ptr<TfrmMainAnzeige> board;
    Rig(int w, int h) {
        dir.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\n");
        board = std::make_unique<TfrmMainAnzeige>(host, settings);
        host.set_scoreboard(board.get());
        board->setWindowState(Qt::WindowNoState);
        board->resize(w, h);
        board->show();
        QCoreApplication::processEvents();
        board->setWindowState(Qt::WindowNoState);
        board->resize(w, h);
        board->FormKeyDown('A', Modifiers{false, true, false});
    }
};

void BM_KeyToRepaintedBoard(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    bool up = true;
    for (auto _ : state) {
        rig.board->FormKeyDown('3', Modifiers{!up, false, false});
        rig.board->repaint();
        up = !up;
    }
}

void BM_LayoutAndRepaint(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        rig.board->FormResize();
        rig.board->repaint();
    }
}

void BM_PanelMirror(benchmark::State& state) {
    Rig rig(1920, 1080);
    TfrmAnzeigeSTRG panel(rig.board->engine(), rig.host, PanelLinks{});
    panel.show();
    for (auto _ : state) {
        panel.anzeige_uebernehmen();
        panel.zeit_uebernehmen();
    }
}

// Counts paint events so start-up can stop at the first one.
class PaintProbe : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};

void BM_StartupToFirstPaint(benchmark::State& state) {
    testing::TempFolder dir;
    dir.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\n");
    for (auto _ : state) {
        const Settings settings(dir.path());
        AppHost host(settings);
        TfrmMainAnzeige board(host, settings);
        host.set_scoreboard(&board);
        TfrmAnzeigeLaden entry(dir.path());
        host.set_entry(&entry);
        PanelLinks links{[&board](std::uint16_t k, Modifiers m) { board.FormKeyDown(k, m); }, {}, {}};
        auto* panel = new TfrmAnzeigeSTRG(board.engine(), host, links, &board);
        host.set_panel(panel);
        PaintProbe probe;
        board.installEventFilter(&probe);
        board.show();
        while (!probe.painted) QCoreApplication::processEvents();
    }
}

void BM_EmptyWindowToFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        QWidget window;
        PaintProbe probe;
        window.installEventFilter(&probe);
        window.showMaximized();
        while (!probe.painted) QCoreApplication::processEvents();
    }
}

}  // namespace

BENCHMARK(BM_KeyToRepaintedBoard)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutAndRepaint)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PanelMirror)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartupToFirstPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyWindowToFirstPaint)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    message_boxes::set_auto_answer(true, true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
