// Bout list operations on lists of 100 to 100 000 bouts, each beside its floor measured in
// the same run: reading the file's bytes, and writing them crash-safely (a temporary file,
// flushed to the disk and renamed over the old one), both with plain system calls.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "data/core/bout_access.h"
#include "data/core/protocol.h"
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
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rig.bytes.size()));
}

// The floor: open, size, one read into a string, close.
void BM_ListLoadFloor(benchmark::State& state) {
    ListRig rig(static_cast<int>(state.range(0)));
    const std::string path = (rig.dir.path() / "neu.kfl").string();
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        ::fstat(fd, &st);
        std::string s(static_cast<std::size_t>(st.st_size), '\0');
        std::size_t done = 0;
        while (done < s.size()) {
            const ssize_t n = ::read(fd, s.data() + done, s.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(s);
    }
    state.SetComplexityN(state.range(0));
}

void BM_ListSave(benchmark::State& state) {
    ListRig rig(static_cast<int>(state.range(0)));
    rig.file.load_from_file();
    for (auto _ : state) benchmark::DoNotOptimize(rig.file.write_to_file());
    state.SetComplexityN(state.range(0));
}

// The floor: the same bytes to a temporary file, flushed, renamed over the old file.
void BM_ListSaveFloor(benchmark::State& state) {
    ListRig rig(static_cast<int>(state.range(0)));
    const std::string target = (rig.dir.path() / "copy.kfl").string();
    const std::string temp = target + ".tmp";
    for (auto _ : state) {
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::size_t done = 0;
        while (done < rig.bytes.size()) {
            const ssize_t n = ::write(fd, rig.bytes.data() + done, rig.bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::fsync(fd);
        ::close(fd);
        ::rename(temp.c_str(), target.c_str());
    }
    state.SetComplexityN(state.range(0));
}

void BM_KampfLaden(benchmark::State& state) {
    ListRig rig(static_cast<int>(state.range(0)));
    EntryFields fields;
    for (auto _ : state) benchmark::DoNotOptimize(rig.access.kampf_laden(fields));
    state.SetComplexityN(state.range(0));
}

}  // namespace

#define KYOMAT_LIST_SIZES ->RangeMultiplier(10)->Range(100, 100000)->Complexity(benchmark::oN)
// The protocol reader over a day of N bouts of ten lines each: the time per bout should not
// grow with N (it did: every bout copied all that was read before it).
void BM_ProtocolReader(benchmark::State& state) {
    const auto bouts = static_cast<int>(state.range(0));
    std::string csv = std::string("\xEF\xBB\xBF") + kyomat::BoutProtocol::k_header + "\r\n";
    for (int b = 1; b <= bouts; ++b) {
        const std::string head = "10:00:00;" + std::to_string(b % 300) + ";U18;-66;";
        const std::string tail = ";a.kfl;JC Nord;JV Süd;";
        csv += head + ";NEUER KAMPF;Liste;Meier, Hans;Li, Wei;;" + tail + "\r\n";
        for (int i = 0; i < 8; ++i)
            csv += head + std::to_string(i) + ";LBL_W_B;+1;Meier, Hans;Li, Wei;;" + tail + "\r\n";
        csv += head + ";ERGEBNIS;07;Meier, Hans;Li, Wei;4:00;Blau" + tail + "\r\n";
    }
    for (auto _ : state) benchmark::DoNotOptimize(kyomat::protocol_as_text(csv, {}));
    state.counters["s_per_bout"] = benchmark::Counter(
        static_cast<double>(bouts),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ProtocolReader)->Arg(4000)->Arg(32000)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_ListLoad) KYOMAT_LIST_SIZES;
BENCHMARK(BM_ListLoadFloor) KYOMAT_LIST_SIZES;
BENCHMARK(BM_ListSave) KYOMAT_LIST_SIZES;
BENCHMARK(BM_ListSaveFloor) KYOMAT_LIST_SIZES;
BENCHMARK(BM_KampfLaden) KYOMAT_LIST_SIZES;

// Remembers each result so that the ratios to the floors can be printed after the run.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%8s %12s %12s %8s %12s %12s %8s   (target: at most 2 x)\n", "bouts", "load",
                "floor", "ratio", "save", "floor", "ratio");
    for (const char* n : {"100", "1000", "10000", "100000"}) {
        const auto at = [&](const char* name) {
            const auto it = reporter.times.find(std::string(name) + "/" + n);
            return it == reporter.times.end() ? 0.0 : it->second;
        };
        const double load = at("BM_ListLoad"), load_floor = at("BM_ListLoadFloor");
        const double save = at("BM_ListSave"), save_floor = at("BM_ListSaveFloor");
        if (load_floor <= 0 || save_floor <= 0) continue;
        std::printf("%8s %9.3f ms %9.3f ms %6.2f x %9.3f ms %9.3f ms %6.2f x\n", n, load / 1e6,
                    load_floor / 1e6, load / load_floor, save / 1e6, save_floor / 1e6,
                    save / save_floor);
    }
    benchmark::Shutdown();
    return 0;
}
