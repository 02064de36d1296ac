// Cost of one key command with its board update, and of one clock tick.
#include <benchmark/benchmark.h>

#include "data/core/protocol.h"
#include "engine/fake_host.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

struct Rig {
    testing::TempFolder dir;
    testing::FakeHost host{dir.path()};
    BoutEngine engine{host, Settings(dir.path())};
    Rig() {
        dir.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\n");
        host.attach(engine);
        engine.on_create();
        engine.on_show();
    }
};

void BM_KeyCommand(benchmark::State& state) {
    Rig rig;
    rig.engine.handle_key('A', Modifiers{false, true, false});
    bool up = true;
    for (auto _ : state) {
        // A Yuko and its take-back: two cell updates with protocol and board changes.
        rig.engine.handle_key('3', Modifiers{!up, false, false});
        up = !up;
        rig.host.events.clear();
        rig.host.protocol.clear();
    }
}
BENCHMARK(BM_KeyCommand);

// The same with the bout protocol on: every change becomes a line of the day's CSV file.
struct ProtocolHost : testing::FakeHost {
    using FakeHost::FakeHost;
    BoutProtocol protocol{folder_, nullptr};
    ProtocolBout bout{1,         "U18",    "-66",   "Meier, Hans", "Li, Wei",
                      "JC Nord", "JV Süd", "a.kfl", "Liste"};
    void protocol_line(const ProtocolLine& line) override { protocol.line(bout, line); }
};

void BM_KeyCommandWithProtocol(benchmark::State& state) {
    testing::TempFolder dir;
    dir.write("kyomat.ini", "[anzeige]\r\nanz_links=0\r\n");
    ProtocolHost host(dir.path());
    BoutEngine engine(host, Settings(dir.path()));
    host.attach(engine);
    engine.on_create();
    engine.on_show();
    engine.handle_key('A', Modifiers{false, true, false});
    bool up = true;
    for (auto _ : state) {
        engine.handle_key('3', Modifiers{!up, false, false});
        up = !up;
        host.events.clear();
    }
}
BENCHMARK(BM_KeyCommandWithProtocol);

void BM_Timer1Tick(benchmark::State& state) {
    Rig rig;
    rig.engine.handle_key('A', Modifiers{false, true, false});
    rig.engine.internals_for_tests().state.clock_value = 1 << 30;
    rig.engine.handle_key(0x20, Modifiers{});
    for (auto _ : state) {
        rig.host.tick += 100;
        rig.engine.clock_tick();
    }
}
BENCHMARK(BM_Timer1Tick);

}  // namespace

BENCHMARK_MAIN();
