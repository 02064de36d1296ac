// The live view's costs on the offscreen platform: from a key on the board to its push
// message arriving at a viewer, the key-to-repaint path with the live view on, and the CPU
// the scoreboard spends on 50 viewers while the clock runs; and how long an honest viewer
// stays online while others flood the live view from other addresses of the loopback net;
// and one mat with the hall's call-up screens and phones connected.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/remote_input.h"
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

using Clock = std::chrono::steady_clock;

// A browser-like viewer from its own address: reads /events; when its stream ends it waits
// the second the server's "retry" asks for and connects again. It is online from its first
// event after connecting until its stream ends, as the page shows it.
struct Online {
    double online_s = 0;
    int cuts = 0;
};
Online browser_viewer(quint16 port, const char* from, Clock::time_point until) {
    Online online;
    while (Clock::now() < until) {
        RawClient c(port, 200, 0, from);
        c.send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
        c.receive("}\n\n");
        if (c.received().find("}\n\n") != std::string::npos) {
            const auto since = Clock::now();
            while (Clock::now() < until && !c.closed()) {
                c.received().clear();
                c.receive("\n\n");
            }
            online.online_s +=
                std::chrono::duration<double>(std::min(Clock::now(), until) - since).count();
            if (!c.closed()) break;
        }
        ++online.cuts;
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    }
    return online;
}

// rate connections a second from one address, each held until 256 newer ones came; as
// viewers of the stream (that never read) or saying nothing at all.
void flood(quint16 port, const char* from, int rate, bool as_viewers, Clock::time_point until) {
    std::deque<std::unique_ptr<RawClient>> held;
    auto next = Clock::now();
    while (Clock::now() < until) {
        held.push_back(std::make_unique<RawClient>(port, 200, 4096, from));
        if (as_viewers) held.back()->send("GET /events HTTP/1.1\r\n\r\n");
        if (held.size() > 256) held.pop_front();
        next += std::chrono::microseconds(1'000'000 / rate);
        std::this_thread::sleep_until(next);
    }
}

// Arguments: the attack (0: 300 silent connections a second, 1: 150 viewers a second) and
// whether the clock runs. 20 s each.
void BM_HonestViewerUnderAttack(benchmark::State& state) {
    const bool crowd = state.range(0) == 1;
    const bool running = state.range(1) == 1;
    testing::LiveRig rig;
    if (running) rig.run_clock();
    Online online;
    constexpr double seconds = 20;
    for (auto _ : state) {
        const auto until = Clock::now() + std::chrono::seconds(20);
        std::thread attack(
            [&] { flood(rig.port(), "127.0.0.3", crowd ? 150 : 300, crowd, until); });
        std::thread honest([&] { online = browser_viewer(rig.port(), "127.0.0.2", until); });
        while (Clock::now() < until) QTest::qWait(100);
        attack.join();
        honest.join();
    }
    state.counters["online_percent"] = 100.0 * online.online_s / seconds;
    state.counters["cuts"] = online.cuts;
    state.counters["viewers_dropped"] = static_cast<double>(rig.live().counts().viewers_dropped);
}

// A hall of 100 honest viewers from 100 addresses while a crowd of 150 viewers a second
// comes from one more: how many of the hall are still served after 10 s.
void BM_HallOfViewersUnderACrowd(benchmark::State& state) {
    testing::LiveRig rig;
    rig.run_clock();
    int served = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<RawClient>> hall;
        for (int i = 0; i < 100; ++i) {
            const std::string from = "127.0.1." + std::to_string(i + 1);
            hall.push_back(std::make_unique<RawClient>(rig.port(), 3000, 0, from.c_str()));
            hall.back()->send("GET /events HTTP/1.1\r\n\r\n");
        }
        const auto until = Clock::now() + std::chrono::seconds(10);
        std::thread attack([&] { flood(rig.port(), "127.0.0.3", 150, true, until); });
        while (Clock::now() < until) {
            QTest::qWait(100);
            for (auto& v : hall) v->poll().clear();
        }
        attack.join();
        served = 0;
        for (auto& v : hall) served += v->closed() ? 0 : 1;
    }
    state.counters["served_of_100"] = served;
}

// One mat in a hall with the call-up: ten call-up screens and a hundred phones, each from an
// address of its own and following the mat's stream, while the clock runs and a new bout is
// taken every two seconds (Arg 1), beside the same board with nobody connected (Arg 0). The
// GUI thread's longest stall is the longest gap of a 10 ms timer beyond its interval.
void BM_CallUpHall(benchmark::State& state) {
    const bool hall = state.range(0) == 1;
    testing::LiveRig rig;
    const auto call_up = [](int bout) {
        CallUp call{CallUpList::open, {}};
        for (int i = 1; i <= 3; ++i) {
            CalledBout b;
            b.position = bout + i;
            b.age_class = "Männer";
            b.weight_class = "-81";
            b.blue_name = "Blau, Kämpfer " + std::to_string(bout + i);
            b.white_name = "Weiß, Kämpfer " + std::to_string(bout + i);
            b.blue_club = b.white_club = "Judo-Club Musterstadt";
            call.next.push_back(b);
        }
        return call_up_body("Matte 1", call);
    };
    rig.board().set_call_up(call_up(0));
    std::vector<std::unique_ptr<RawClient>> screens;
    if (hall) {
        for (int i = 0; i < 110; ++i) {
            const std::string from =
                "127.0." + std::to_string(i < 10 ? 2 : 3) + "." + std::to_string(i + 1);
            screens.push_back(std::make_unique<RawClient>(rig.port(), 3000, 0, from.c_str()));
            screens.back()->send("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
        }
    }
    std::atomic<bool> reading{true};
    std::thread readers([&] {
        while (reading) {
            for (auto& c : screens) c->poll().clear();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    rig.run_clock();
    double cpu = 0, wall = 0, stall_ms = 0;
    for (auto _ : state) {
        QTimer beat;
        beat.setInterval(10);
        auto last = Clock::now();
        double longest = 0;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            longest =
                std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        });
        const double cpu_before = scoreboard_cpu_seconds();
        const auto start = Clock::now();
        beat.start();
        for (int bout = 1; bout <= 5; ++bout) {
            QTest::qWait(2000);
            rig.board().set_call_up(call_up(bout));
            rig.names("Blau, Kämpfer " + std::to_string(bout),
                      "Weiß, Kämpfer " + std::to_string(bout));
        }
        beat.stop();
        wall = std::chrono::duration<double>(Clock::now() - start).count();
        cpu = scoreboard_cpu_seconds() - cpu_before;
        stall_ms = std::max(0.0, longest - 10.0);
    }
    reading = false;
    readers.join();
    state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / wall;
    state.counters["gui_longest_stall_ms"] = stall_ms;
    state.counters["viewers"] = rig.live().counts().viewers;
}

// A paired remote's tap: from its POST leaving the device to the board having applied it
// and painted itself, on this machine's loopback (the events run while the answer comes).
void BM_RemoteTapToPaintedBoard(benchmark::State& state) {
    testing::LiveRig rig;
    auto devices = std::make_unique<RemoteDevices>(std::filesystem::temp_directory_path() /
                                                   "kyomat-bench-fernbedienung.txt");
    RemoteDevices* paired = devices.get();
    TableCheck check;
    AppHost& host = rig.host();
    RemoteInput remote(RemoteAccess{paired, {}}, std::move(devices), rig.live(), rig.window(), host,
                       check);
    const std::string code = paired->open_code(RemoteRole::everything, steady_ms()).digits;
    const std::string token = paired->pair(code, steady_ms()).token;
    std::uint64_t id = 0;
    bool up = true;
    for (auto _ : state) {
        const std::string body = "{\"id\":" + std::to_string(++id) + ",\"befehl\":\"" +
                                 (up ? "yuko_blau" : "-yuko_blau") + "\"}";
        RawClient device(rig.port());
        device.send("POST /steuerung/befehl HTTP/1.1\r\nHost: 127.0.0.1:" +
                    std::to_string(rig.port()) + "\r\nX-Kyomat-Token: " + token +
                    "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
        while (device.poll().find("\r\n\r\n") == std::string::npos) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        rig.window().repaint();
        up = !up;
    }
    std::filesystem::remove(std::filesystem::temp_directory_path() /
                            "kyomat-bench-fernbedienung.txt");
}

}  // namespace

BENCHMARK(BM_RemoteTapToPaintedBoard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyToPushMessage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StateDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyToRepaintedBoardWithLiveView)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewersWhileTheClockRuns)
    ->Arg(0)
    ->Arg(50)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_HonestViewerUnderAttack)
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_HallOfViewersUnderACrowd)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_CallUpHall)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

KYOMAT_OFFSCREEN_BENCHMARK_MAIN()
