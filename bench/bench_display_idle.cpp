// The program at rest and at its start, measured from outside as the user's machine sees it:
// Jorvana.exe on an installed device (480x640), on the World Clocks page, headless and in its SDL
// window on a virtual X screen (its own Xvfb when one is installed, else DISPLAY).
//
// Idle (10 s with the seconds hand moving): wake-ups of the whole process (voluntary context
// switches of all its threads) and its CPU time, as a share of one core; frames presented a
// second and the pixels each sent; in the window, how long a key takes to show (xdotool's start
// included); then how long SIGTERM takes to end it.
// Start (the clock standing still, so that nothing changes once drawn): frames presented until
// SIGTERM 4 s later, how many showed the same picture as the frame before, the time from exec to
// the window's mapping and to the last frame that changed the picture ("settled"), and their
// ratio. Frames are counted from the program's DEVICE_PRESENT_LOG.
#include "bench/BenchProgram.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

long long MonotonicMicroseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// A virtual X screen of the benchmark's own, or the one DISPLAY names.
struct XScreen {
    std::string display;
    pid_t server = -1;
    XScreen() {
        const bool xvfb = system("command -v Xvfb >/dev/null 2>&1") == 0;
        for (int n = 150; xvfb && n < 400 && display.empty(); ++n) {
            const std::string number = std::to_string(n);
            const std::filesystem::path socket = std::filesystem::path("/tmp/.X11-unix") / ("X" + number);
            if (std::filesystem::exists(std::filesystem::path("/tmp") / (".X" + number + "-lock")) ||
                std::filesystem::exists(socket))
                continue;
            const std::string name = ":" + number;
            server = fork();
            if (server == 0) {
                if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(126);
                execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1400x1400x24", "-nolisten", "tcp", nullptr);
                _exit(127);
            }
            for (int i = 0; i < 50 && !std::filesystem::exists(socket); ++i) std::this_thread::sleep_for(100ms);
            display = name;
        }
        if (display.empty())
            if (const char* given = std::getenv("DISPLAY"); given && *given) display = given;
    }
    ~XScreen() {
        if (server > 0) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
    }
};

XScreen& Screen() {
    static XScreen screen;
    return screen;
}

benchsupport::InstalledDevice& Device() {
    static benchsupport::InstalledDevice device;
    return device;
}

// Voluntary context switches (each one a wait of a thread, ended by a wake-up; preemptions by a
// busy machine are left out) and CPU nanoseconds of every thread of a process.
struct ProcessCounters {
    long long switches = 0;
    long long cpuNs = 0;
};

ProcessCounters ReadCounters(pid_t pid) {
    ProcessCounters c;
    std::error_code ec;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) c.switches += std::stoll(line.substr(line.find(':') + 1));
        std::ifstream sched(task.path() / "schedstat");
        long long ns = 0;
        if (sched >> ns) c.cpuNs += ns;
    }
    return c;
}

struct Frame {
    long long us = 0;
    std::string hash;
    long long pixels = 0;
};

struct Trace {
    long long mappedUs = 0;
    std::vector<Frame> frames;
};

Trace ReadTrace(const std::filesystem::path& file) {
    Trace t;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        long long us = 0;
        std::string kind;
        fields >> us >> kind;
        if (kind == "map" && !t.mappedUs) t.mappedUs = us;
        if (kind != "present") continue;
        Frame f;
        f.us = us;
        int rects = 0;
        fields >> f.hash >> rects >> f.pixels;
        t.frames.push_back(f);
    }
    return t;
}

// The program started on the device, with its frame record in a file of its own.
struct Program {
    pid_t pid = -1;
    long long startedUs = 0;
    Clock::time_point started;
    std::filesystem::path log;
    Program(bool sdl, const char* clock) {
        log = Device().root / "present.log";
        std::filesystem::remove(log);
        std::vector<std::string> env = {"DEVICE_QUIT_AT_IDLE", "DEVICE_SCREEN=480x640", "DEVICE_SCALE=2",
                                        std::string("DEVICE_CLOCK=") + clock, "DEVICE_PRESENT_LOG=" + log.string()};
        if (sdl) {
            env.push_back("DEVICE_DISPLAY=sdl");
            env.push_back("DISPLAY=" + Screen().display);
        }
        startedUs = MonotonicMicroseconds();
        started = Clock::now();
        pid = benchsupport::StartProgram({Device().program}, Device().root, env);
    }
    // Ends it with SIGTERM; the time that took.
    double Terminate() {
        auto asked = Clock::now();
        kill(pid, SIGTERM);
        benchsupport::WaitProgram(pid, started);
        pid = -1;
        return std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
    }
    ~Program() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

// From a key given to the window (F3, which raises the input panel; xdotool) to the frame that
// shows its effect; -1 without xdotool or a frame. The panel goes down again after.
double KeyToFrameMs(const Program& program) {
    if (system("command -v xdotool >/dev/null 2>&1") != 0) return -1;
    const std::string display = "DISPLAY=" + Screen().display + " ";
    FILE* search = popen((display + "xdotool search --name 'Jorvana device' 2>/dev/null").c_str(), "r");
    char id[64] = {};
    if (!search) return -1;
    bool found = fgets(id, sizeof id, search) != nullptr;
    pclose(search);
    if (!found) return -1;
    const std::string key = display + "xdotool key --window " + std::string(id, strcspn(id, "\n")) + " F3 >/dev/null 2>&1";
    const long long givenUs = MonotonicMicroseconds();
    if (system(key.c_str()) != 0) return -1;
    std::this_thread::sleep_for(500ms);
    double ms = -1;
    for (const Frame& f : ReadTrace(program.log).frames)
        if (f.us > givenUs) {
            ms = (f.us - givenUs) / 1e3;
            break;
        }
    if (system(key.c_str()) != 0) return ms;
    std::this_thread::sleep_for(300ms);
    return ms;
}

bool Ready(benchmark::State& state, bool sdl) {
    if (!Device().ok) {
        state.SkipWithError("device not installed");
        return false;
    }
    if (sdl && Screen().display.empty()) {
        state.SkipWithError("no X screen (install xvfb or set DISPLAY)");
        return false;
    }
    return true;
}

void BM_IdleOnClocksPage(benchmark::State& state) {
    const bool sdl = state.range(0) != 0;
    if (!Ready(state, sdl)) return;
    constexpr auto kSample = 10s;
    double wakeups = 0, cpu = 0, frames = 0, pixels = 0, sigterm = 0, keyToFrame = 0;
    for (auto _ : state) {
        Program program(sdl, "2026-03-29T10:59:30Z+");
        std::this_thread::sleep_for(4s);  // started and drawn
        ProcessCounters before = ReadCounters(program.pid);
        long long fromUs = MonotonicMicroseconds();
        std::this_thread::sleep_for(kSample);
        ProcessCounters after = ReadCounters(program.pid);
        long long toUs = MonotonicMicroseconds();
        if (sdl) keyToFrame += KeyToFrameMs(program);
        sigterm += program.Terminate();
        const double seconds = (toUs - fromUs) / 1e6;
        wakeups += (after.switches - before.switches) / seconds;
        cpu += 100.0 * (after.cpuNs - before.cpuNs) / 1e9 / seconds;
        long long shown = 0, sent = 0;
        for (const Frame& f : ReadTrace(program.log).frames)
            if (f.us >= fromUs && f.us < toUs) {
                ++shown;
                sent += f.pixels;
            }
        frames += shown / seconds;
        pixels += shown ? static_cast<double>(sent) / shown : 0;
        state.SetIterationTime(seconds);
    }
    const auto avg = benchmark::Counter::kAvgIterations;
    state.counters["wakeups_per_s"] = benchmark::Counter(wakeups, avg);
    state.counters["cpu_pct_of_core"] = benchmark::Counter(cpu, avg);
    state.counters["presents_per_s"] = benchmark::Counter(frames, avg);
    state.counters["pixels_per_present"] = benchmark::Counter(pixels, avg);
    state.counters["sigterm_to_end_ms"] = benchmark::Counter(sigterm, avg);
    if (sdl) state.counters["key_to_frame_ms"] = benchmark::Counter(keyToFrame, avg);
}
BENCHMARK(BM_IdleOnClocksPage)->ArgName("sdl")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void BM_StartPresents(benchmark::State& state) {
    const bool sdl = state.range(0) != 0;
    if (!Ready(state, sdl)) return;
    double frames = 0, identical = 0, mapped = 0, settled = 0, ratio = 0;
    for (auto _ : state) {
        Program program(sdl, "2026-03-29T10:59:30Z");
        std::this_thread::sleep_for(4s);
        long long endUs = MonotonicMicroseconds();
        program.Terminate();
        Trace trace = ReadTrace(program.log);
        long long shown = 0, same = 0, lastChange = 0;
        std::string previous;
        for (const Frame& f : trace.frames) {
            if (f.us >= endUs) break;
            ++shown;
            if (f.hash == previous) ++same;
            else lastChange = f.us;
            previous = f.hash;
        }
        frames += shown;
        identical += same;
        const double settledMs = lastChange ? (lastChange - program.startedUs) / 1e3 : 0;
        const double mappedMs = trace.mappedUs ? (trace.mappedUs - program.startedUs) / 1e3 : 0;
        settled += settledMs;
        mapped += mappedMs;
        if (mappedMs > 0) ratio += settledMs / mappedMs;
        state.SetIterationTime(settledMs / 1e3);
    }
    const auto avg = benchmark::Counter::kAvgIterations;
    state.counters["presents"] = benchmark::Counter(frames, avg);
    state.counters["identical_to_previous"] = benchmark::Counter(identical, avg);
    state.counters["settled_ms"] = benchmark::Counter(settled, avg);
    if (sdl) {
        state.counters["mapped_ms"] = benchmark::Counter(mapped, avg);
        state.counters["settled_over_mapped"] = benchmark::Counter(ratio, avg);
    }
}
BENCHMARK(BM_StartPresents)->ArgName("sdl")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
