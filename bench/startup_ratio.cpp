// Start-up and memory of the whole program beside an empty Qt window's, as ratios measured
// side by side in one run: pairs of processes, alternating, medians. Offscreen, and on an X
// server of its own when Xvfb is installed.
//   kyomat_bench_startup [PAIRS]
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

long long monotonic_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1'000'000'000LL + ts.tv_nsec;
}

struct Run {
    double startup_ms = 0;     // from fork to the first paint
    double in_process_ms = 0;  // from main() to the first paint
    double peak_kb = 0;        // the process's maximum resident set
    double pss_kb = 0;         // proportional set size at the first paint
    bool ok = false;
};

// Runs the probe with args; env is added to the environment.
Run run_probe(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    int out[2];
    if (pipe(out) != 0) return {};
    const long long start = monotonic_ns();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        close(out[0]);
        for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run r;
    std::istringstream in(text);
    std::string word;
    long long painted = 0, main_began = 0;
    long rss = 0, pss = 0;
    in >> word >> painted >> word >> rss >> word >> pss >> word >> main_began;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && painted > start;
    r.startup_ms = (painted - start) / 1e6;
    r.in_process_ms = (painted - main_began) / 1e6;
    r.peak_kb = static_cast<double>(usage.ru_maxrss);
    r.pss_kb = static_cast<double>(pss);
    return r;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Pair {
    std::vector<double> board, floor;
};

void print_row(const char* what, const Pair& p, const char* unit, double target) {
    const double b = median(p.board), f = median(p.floor);
    const double ratio = f > 0 ? b / f : 0;
    std::printf("%-44s %9.1f %s %9.1f %s %6.2f x   <= %.2f x: %s\n", what, b, unit, f, unit, ratio,
                target, ratio <= target ? "met" : "missed");
}

// A folder with the shipped settings and files; control says whether the control panel opens
// at start.
fs::path settings_folder(bool control) {
    const fs::path dir = fs::temp_directory_path() /
                         ("kyomat-startup-" + std::to_string(getpid()) + (control ? "-c" : ""));
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(KYOMAT_ASSETS_DIR)) {
        fs::copy_file(entry.path(), dir / entry.path().filename(),
                      fs::copy_options::overwrite_existing);
    }
    std::ifstream in(dir / "kyomat.ini", std::ios::binary);
    std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string key = "\ncontrol=";
    if (const auto at = ini.find(key); at != std::string::npos) {
        ini[at + key.size()] = control ? '1' : '0';
    }
    std::ofstream(dir / "kyomat.ini", std::ios::binary) << ini;
    return dir;
}

// An X server of the run's own; its display number, or -1 without Xvfb.
int start_x_server(pid_t& pid) {
    if (system("command -v Xvfb >/dev/null 2>&1") != 0) return -1;
    for (int display = 90; display < 110; ++display) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
        if (fs::exists(socket)) continue;
        pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            const std::string d = ":" + std::to_string(display);
            execlp("Xvfb", "Xvfb", d.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100 && !fs::exists(socket); ++i) usleep(50'000);
        if (fs::exists(socket)) return display;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return -1;
}

void measure(const char* platform, const std::vector<std::string>& env, int pairs) {
    const fs::path plain = settings_folder(false), control = settings_folder(true);
    Pair start, start_control, in_process, peak, pss;
    for (int i = 0; i < pairs; ++i) {
        const Run board = run_probe({KYOMAT_STARTUP_PROBE, plain.string()}, env);
        const Run empty = run_probe({KYOMAT_STARTUP_PROBE, "--empty"}, env);
        const Run with_panel = run_probe({KYOMAT_STARTUP_PROBE, control.string()}, env);
        if (!board.ok || !empty.ok || !with_panel.ok) {
            std::printf("%s: a probe failed\n", platform);
            return;
        }
        start.board.push_back(board.startup_ms);
        start.floor.push_back(empty.startup_ms);
        in_process.board.push_back(board.in_process_ms);
        in_process.floor.push_back(empty.in_process_ms);
        start_control.board.push_back(with_panel.startup_ms);
        start_control.floor.push_back(empty.startup_ms);
        peak.board.push_back(board.peak_kb / 1024);
        peak.floor.push_back(empty.peak_kb / 1024);
        pss.board.push_back(board.pss_kb / 1024);
        pss.floor.push_back(empty.pss_kb / 1024);
    }
    std::printf("\n%s, medians of %d pairs          %12s %12s\n", platform, pairs, "KYOMAT",
                "empty window");
    print_row("start-up to the first paint", start, "ms", 1.15);
    print_row("  with the control panel at start", start_control, "ms", 1.15);
    print_row("  of it from main() to the first paint", in_process, "ms", 1.15);
    print_row("peak resident memory", peak, "MB", 1.15);
    print_row("proportional set size at the first paint", pss, "MB", 1.15);
    fs::remove_all(plain);
    fs::remove_all(control);
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    measure("offscreen", {"QT_QPA_PLATFORM=offscreen", "SDL_AUDIODRIVER=dummy"}, pairs);
    pid_t x = 0;
    const int display = start_x_server(x);
    if (display < 0) {
        std::printf("\nX server: Xvfb not found, not measured\n");
        return 0;
    }
    measure("X server (Xvfb)",
            {"QT_QPA_PLATFORM=xcb", "SDL_AUDIODRIVER=dummy", "DISPLAY=:" + std::to_string(display)},
            pairs);
    kill(x, SIGTERM);
    waitpid(x, nullptr, 0);
    return 0;
}
