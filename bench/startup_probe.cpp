// Start-up as the program does it, ending at the scoreboard's first paint; with "--empty",
// an empty Qt window's start-up to its first paint instead (the floor). At the first paint it
// prints "paint <monotonic ns> rss <kB> pss <kB>" and quits. With "--storm" it then drives a
// million keys and a ten-hour bout through the real windows and prints the memory again.
//   startup_probe [--empty] [--storm] [FOLDER]   (FOLDER holds kyomat.ini; default: beside it)
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include "app/program.h"
#include "platform/message_box.h"

namespace {

long long monotonic_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1'000'000'000LL + ts.tv_nsec;
}

// A value in kB from a /proc file's "Name:   123 kB" line.
long kb_of(const char* file, const char* name) {
    std::ifstream in(file);
    std::string line;
    const std::size_t n = std::strlen(name);
    while (std::getline(in, line)) {
        if (line.compare(0, n, name) == 0) return std::stol(line.substr(n));
    }
    return -1;
}

// When main() began: start-up inside the process is measured from here.
long long main_ns = 0;

void print_memory(const char* what) {
    std::printf("%s rss %ld pss %ld main %lld\n", what, kb_of("/proc/self/status", "VmRSS:"),
                kb_of("/proc/self/smaps_rollup", "Pss:"), main_ns);
    std::fflush(stdout);
}

class OnFirstPaint : public QObject {
  public:
    OnFirstPaint(QWidget* window, std::function<void()> then)
        : window_(window), then_(std::move(then)) {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && !done_) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w == window_ || (w != nullptr && window_->isAncestorOf(w))) {
                done_ = true;
                std::printf("paint %lld ", monotonic_ns());
                print_memory("");
                QMetaObject::invokeMethod(qApp, then_, Qt::QueuedConnection);
            }
        }
        return false;
    }

  private:
    QWidget* window_;
    std::function<void()> then_;
    bool done_ = false;
};

// The program's host with a clock the probe moves: ten hours pass in seconds.
class SimulatedHost : public kyomat::AppHost {
  public:
    using AppHost::AppHost;
    std::uint32_t tick_count() override { return ticks; }
    std::uint32_t ticks = 1'000'000;
};

void storm(kyomat::Program& program, SimulatedHost& host) {
    using kyomat::Modifiers;
    kyomat::ScoreboardWindow& board = program.scoreboard;
    board.clock_timer().stop();
    board.focus_timer().stop();
    // A million keys: scores and their take-backs, penalties, hold-downs, the clock.
    const std::uint16_t keys[] = {'2', '3', '4', '8', '9', '0'};
    for (int i = 0; i < 1'000'000; ++i) {
        const std::uint16_t key = keys[i % 6];
        board.handle_key(key, Modifiers{(i / 6) % 2 == 1, false, false});
        if (i % 1000 == 0) QCoreApplication::processEvents();
        // Growth that stops early is a cache filling; growth to the end would be a leak.
        if (i + 1 == 100'000 || i + 1 == 300'000) {
            std::printf("keys %d ", i + 1);
            print_memory("");
        }
    }
    std::printf("keys 1000000 ");
    print_memory("");
    // Ten hours of Golden Score without a limit, ticked ten times a second.
    auto& state = board.engine().internals_for_tests().state;
    state.clock_value = 0;
    board.handle_key('S', Modifiers{false, true, false});
    state.bout_active = true;
    board.handle_key(kyomat::vk::space, Modifiers{});
    for (int i = 0; i < 10 * 3600 * 10; ++i) {
        host.ticks += 100;
        board.engine().clock_tick();
        board.paint_board();
        if (i % 1000 == 0) QCoreApplication::processEvents();
    }
    std::printf("bout %d s ", state.clock_value);
    print_memory("");
}

}  // namespace

int main(int argc, char** argv) {
    main_ns = monotonic_ns();
    bool empty = false, with_storm = false;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--empty") == 0) {
            empty = true;
        } else if (std::strcmp(argv[i], "--storm") == 0) {
            with_storm = true;
        } else {
            folder = argv[i];
        }
    }
    QApplication app(argc, argv);
    if (empty) {
        QWidget window;
        OnFirstPaint probe(&window, [] { QApplication::quit(); });
        window.showMaximized();
        return app.exec();
    }
    kyomat::message_boxes::set_auto_answer(true, true);
    if (folder.empty()) folder = QCoreApplication::applicationDirPath().toStdString();
    const kyomat::Settings settings(folder);
    SimulatedHost host(settings);
    kyomat::Program program(settings, host);
    OnFirstPaint probe(&program.scoreboard, [&] {
        if (with_storm) storm(program, host);
        QApplication::quit();
    });
    program.show();
    return app.exec();
}
