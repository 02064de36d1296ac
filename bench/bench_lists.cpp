// Bout list operations on lists of 100, 1 000 and 10 000 bouts, each beside its floor:
// reading or writing the same bytes with plain file calls.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "data/core/bout_access.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

struct ListRig {
    testing::TempFolder dir;
    BoutListFile file{dir.path(), nullptr};
    BoutListAccess access{file};
    std::string bytes;
    explicit ListRig(int bouts) {
        BoutList list;
        list.rows.resize(static_cast<std::size_t>(bouts) + 1);
        for (int r = 1; r <= bouts; ++r) {
            list.rows[static_cast<std::size_t>(r)] = {
                "-73",      "Müller, Jürgen " + std::to_string(r),
                "JC Süd",   "Weiß, Hans",
                "TSV Nord", "",
                "",         ""};
        }
        // All decided but the last: kampf_laden walks the whole list.
        for (int r = 1; r < bouts; ++r) list.rows[static_cast<std::size_t>(r)][5] = "1:0";
        bytes = format_bout_list(list, 20261206, 102345);
        dir.write("neu.kfl", bytes);
    }
};

void BM_ListLoad(benchmark::State& state) {
    ListRig rig(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(rig.file.load_from_file());
    state.SetComplexityN(state.range(0));
}

void BM_ListLoadFloor(benchmark::State& state) {
    ListRig rig(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::ifstream in(rig.dir.path() / "neu.kfl", std::ios::binary);
        std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        benchmark::DoNotOptimize(s);
    }
}

void BM_ListSave(benchmark::State& state) {
    ListRig rig(static_cast<int>(state.range(0)));
    rig.file.load_from_file();
    for (auto _ : state) benchmark::DoNotOptimize(rig.file.write_to_file());
    state.SetComplexityN(state.range(0));
}

void BM_ListSaveFloor(benchmark::State& state) {
    ListRig rig(static_cast<int>(state.range(0)));
    const auto target = rig.dir.path() / "copy.kfl";
    for (auto _ : state) {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(rig.bytes.data(), static_cast<std::streamsize>(rig.bytes.size()));
    }
}

void BM_KampfLaden(benchmark::State& state) {
    ListRig rig(static_cast<int>(state.range(0)));
    EntryFields fields;
    for (auto _ : state) benchmark::DoNotOptimize(rig.access.kampf_laden(fields));
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_ListLoad)->Arg(100)->Arg(1000)->Arg(10000)->Complexity();
BENCHMARK(BM_ListLoadFloor)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(BM_ListSave)->Arg(100)->Arg(1000)->Arg(10000)->Complexity();
BENCHMARK(BM_ListSaveFloor)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(BM_KampfLaden)->Arg(100)->Arg(1000)->Arg(10000)->Complexity();

BENCHMARK_MAIN();
