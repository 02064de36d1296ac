// The live view's costs on the offscreen platform: from a key on the board to its push
// message arriving at a viewer, the key-to-repaint path with the live view on, and the CPU
// the scoreboard spends on 50 viewers while the clock runs.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <QApplication>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "live/core/state_document.h"
#include "live/http_client.h"
#include "live/live_rig.h"
#include "offscreen_main.h"
#include "platform/message_box.h"

using namespace kyomat;
using kyomat::testing::RawClient;

namespace {

// A viewer of the push stream that has taken its first event.
std::unique_ptr<RawClient> viewer(quint16 port) {
    auto c = std::make_unique<RawClient>(port);
    c->send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
    c->receive("}\n\n");
    c->received().clear();
    return c;
}

void BM_KeyToPushMessage(benchmark::State& state) {
    testing::LiveRig rig;
    auto v = viewer(rig.port());
    bool up = true;
    for (auto _ : state) {
        rig.press('3', Modifiers{!up, false, false});
        v->receive("}\n\n");
        v->received().clear();
        up = !up;
    }
}

void BM_StateDocument(benchmark::State& state) {
    testing::LiveRig rig;
    std::uint64_t sequence = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(state_document(++sequence, state_body(rig.engine())));
    }
}

void BM_KeyToRepaintedBoardWithLiveView(benchmark::State& state) {
    testing::LiveRig rig;
    auto v = viewer(rig.port());
    rig.window().resize(1920, 1080);
    bool up = true;
    for (auto _ : state) {
        rig.window().handle_key('3', Modifiers{!up, false, false});
        rig.window().repaint();
        up = !up;
        state.PauseTiming();
        QCoreApplication::processEvents();  // the document is built after the paint's turn
        v->poll().clear();
        state.ResumeTiming();
    }
}

// CPU time of this process's threads, in seconds: the scoreboard's own (the GUI thread and
// the live view's thread), not the viewers' that the benchmark runs. The scheduler's count is
// in nanoseconds, where the tick counts of "stat" would be too coarse for a few milliseconds.
double scoreboard_cpu_seconds() {
    double total = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return 0;
    while (dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.') continue;
        const std::string task = std::string("/proc/self/task/") + entry->d_name;
        std::string comm;
        std::getline(std::ifstream(task + "/comm"), comm);
        const bool ours = std::to_string(getpid()) == entry->d_name || comm == "kyomat-live";
        if (!ours) continue;
        unsigned long long on_cpu_ns = 0;
        std::ifstream(task + "/schedstat") >> on_cpu_ns;
        total += static_cast<double>(on_cpu_ns) / 1e9;
    }
    closedir(tasks);
    return total;
}

void BM_ViewersWhileTheClockRuns(benchmark::State& state) {
    const int viewers = static_cast<int>(state.range(0));
    testing::LiveRig rig;
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < viewers; ++i) clients.push_back(viewer(rig.port()));
    std::atomic<bool> reading{true};
    std::thread readers([&] {
        while (reading) {
            for (auto& c : clients) c->poll().clear();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    rig.run_clock();
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double cpu_before = scoreboard_cpu_seconds();
        const auto start = std::chrono::steady_clock::now();
        QTest::qWait(5000);
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu = scoreboard_cpu_seconds() - cpu_before;
    }
    reading = false;
    readers.join();
    state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / wall;
    state.counters["viewers"] = rig.live().counts().viewers;
}

}  // namespace

BENCHMARK(BM_KeyToPushMessage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StateDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyToRepaintedBoardWithLiveView)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewersWhileTheClockRuns)
    ->Arg(0)
    ->Arg(50)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

KYOMAT_OFFSCREEN_BENCHMARK_MAIN()
