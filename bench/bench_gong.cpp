// The gong never holds the board: with a gong file of 1 GB, a valid WAV of 10 MB, a sound of
// 15 minutes, an empty file, and a right gong on a sound device that takes 3 s to open (SDL's
// disk driver writing into a pipe that is read late), how long start-up and Ctrl+E keep the
// GUI thread, and the longest the GUI thread stalls around an Ippon that ends a running bout.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>

#include "app/app_host.h"
#include "display/scoreboard_window.h"
#include "offscreen_main.h"
#include "temp_folder.h"

using namespace kyomat;

namespace {

// A WAV of 8-bit mono samples at the given rate.
void write_wav(const std::filesystem::path& file, int rate, std::uint32_t samples) {
    auto u32 = [](std::ofstream& o, std::uint32_t v) { o.write(reinterpret_cast<char*>(&v), 4); };
    auto u16 = [](std::ofstream& o, std::uint16_t v) { o.write(reinterpret_cast<char*>(&v), 2); };
    std::ofstream o(file, std::ios::binary);
    o.write("RIFF", 4);
    u32(o, 36 + samples);
    o.write("WAVEfmt ", 8);
    u32(o, 16);
    u16(o, 1);
    u16(o, 1);
    u32(o, static_cast<std::uint32_t>(rate));
    u32(o, static_cast<std::uint32_t>(rate));
    u16(o, 1);
    u16(o, 8);
    o.write("data", 4);
    u32(o, samples);
    std::string data(samples, '\0');
    for (std::uint32_t i = 0; i < samples; ++i) {
        data[i] = static_cast<char>(128 + 60 * std::sin(2 * 3.14159265 * 440 * i / rate));
    }
    o.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// The longest the GUI thread did not turn its event loop, from a 5 ms timer's gaps.
class StallProbe {
  public:
    StallProbe() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, clock_.restart()); });
        clock_.start();
        timer_.start();
    }
    qint64 longest_ms() const { return longest_; }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

void wait_ms(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Arguments: 0: 1 GB file, 1: valid 10 MB WAV, 2: 15 minutes of sound in 7 MB, 3: empty
// file, 4: a gong of 2 s on a device that takes 3 s to open.
void BM_GongNeverHoldsTheBoard(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    testing::TempFolder dir;
    const auto gong = dir.path() / "gong.wav";
    switch (kind) {
        case 0:
            write_wav(gong, 8000, 8000);
            std::filesystem::resize_file(gong, std::uintmax_t{1} << 30);
            break;
        case 1:
            write_wav(gong, 22050, 10u << 20);
            break;
        case 2:
            write_wav(gong, 8000, 8000 * 900);
            break;
        case 3:
            dir.write("gong.wav", "");
            break;
        default:
            write_wav(gong, 22050, 44100);
            break;
    }
    std::atomic<bool> reading{true};
    std::thread reader;
    if (kind == 4) {
        const auto pipe = dir.path() / "device";
        ::mkfifo(pipe.c_str(), 0600);
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", pipe.c_str());
        // The device opens when someone reads the pipe: three seconds after each opening.
        reader = std::thread([&reading, pipe] {
            while (reading) {
                std::this_thread::sleep_for(std::chrono::seconds(3));
                const int fd = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
                if (fd < 0) continue;
                char buffer[65536];
                while (reading) {
                    const ssize_t n = ::read(fd, buffer, sizeof buffer);
                    if (n == 0) break;
                    if (n < 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                ::close(fd);
            }
        });
    }
    dir.write("kyomat.ini",
              "[anzeige]\r\nanz_links=0\r\nkampfzeit=240\r\ngewk=-66\r\ngong=gong.wav\r\n");
    qint64 start_ms = 0, ctrl_e_ms = 0, ippon_ms = 0, stall_ms = 0;
    int clock_moved = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        Settings settings(dir.path());
        AppHost host(settings);
        ScoreboardWindow board(host, settings);
        host.set_scoreboard(&board);
        board.show();
        QCoreApplication::processEvents();
        start_ms = t.elapsed();
        StallProbe probe;
        t.restart();
        board.handle_key('E', Modifiers{false, true, false});
        ctrl_e_ms = t.elapsed();
        wait_ms(200);
        auto& bout = board.engine().internals_for_tests().state;
        bout.clock_value = 240;
        bout.bout_active = true;
        board.handle_key(' ', Modifiers{});
        const int before = board.engine().state().clock_value;
        wait_ms(1500);
        clock_moved = before - board.engine().state().clock_value;
        t.restart();
        board.handle_key('1', Modifiers{});
        ippon_ms = t.elapsed();
        wait_ms(kind == 4 ? 4000 : 1500);
        stall_ms = probe.longest_ms();
    }
    reading = false;
    if (reader.joinable()) reader.join();
    qputenv("SDL_AUDIODRIVER", "dummy");
    state.counters["start_ms"] = static_cast<double>(start_ms);
    state.counters["ctrl_e_ms"] = static_cast<double>(ctrl_e_ms);
    state.counters["ippon_key_ms"] = static_cast<double>(ippon_ms);
    state.counters["longest_stall_ms"] = static_cast<double>(stall_ms);
    state.counters["clock_s_in_1.5s"] = clock_moved;
}

}  // namespace

BENCHMARK(BM_GongNeverHoldsTheBoard)
    ->DenseRange(0, 4)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

KYOMAT_OFFSCREEN_BENCHMARK_MAIN()
