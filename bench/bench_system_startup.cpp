// Program start as the user waits for it: Jorvana.exe started on an installed device whose
// settings and stores exist, headless, until its main window is painted and the program would
// wait for input (DEVICE_QUIT_AT_IDLE ends it there). Wall time per start; the child's CPU time
// and its peak resident memory as counters.
#include "platform/system/DeviceRoot.h"
#include "platform/system/Registry.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Run {
    double wallMs = 0;
    double cpuMs = 0;
    double maxRssMb = 0;
    int status = -1;
};

// Runs a program with the device's environment (and `extra`, NAME=value); its output goes nowhere.
Run RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& root,
               const std::vector<std::string>& extra = {}) {
    Run r;
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        setenv("DEVICE_ROOT", root.c_str(), 1);
        setenv("DEVICE_DISPLAY", "headless", 1);
        setenv("DEVICE_QUIT_AT_IDLE", "1", 1);
        setenv("DEVICE_CLOCK", "2026-03-29T10:59:30Z+", 1);
        setenv("DEVICE_TZ", "Europe/Paris", 1);
        setenv("DEVICE_NETWORK", "off", 1);
        for (const auto& e : extra) putenv(const_cast<char*>(e.c_str()));
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(126);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (pid < 0) return r;
    struct rusage usage {};
    wait4(pid, &r.status, 0, &usage);
    r.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    r.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    r.maxRssMb = usage.ru_maxrss / 1024.0;
    return r;
}

void WriteDword(LPCWSTR key, LPCWSTR name, DWORD value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, 0, nullptr, &h, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExW(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(h);
}

// Runs the installer on the device at root.
bool RunInstaller(const std::filesystem::path& root) {
    return RunProgram({std::string(JORVANA_BUILD_DIR) + "/platform/programs/device-install/device-install",
                       JORVANA_BUILD_DIR, JORVANA_DATA_DIR},
                      root)
               .status == 0;
}

// A freshly installed device: no language, no home city, no stores yet.
bool Install(const std::filesystem::path& root) {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    std::filesystem::create_directories(root);
    return RunInstaller(root);
}

// An installed device whose language and home city were chosen and whose first start ran.
struct InstalledDevice {
    std::filesystem::path root;
    std::string program;
    bool ok = false;
    bool keep = false;
    // JORVANA_BENCH_ROOT names a folder to use and keep (to profile the program on it after).
    InstalledDevice() {
        char tmpl[] = "/tmp/jorvana-bench-start-XXXXXX";
        if (const char* given = std::getenv("JORVANA_BENCH_ROOT"); given && *given) {
            root = given;
            keep = true;
            std::filesystem::create_directories(root);
        } else if (const char* made = mkdtemp(tmpl)) {
            root = made;
        }
        program = std::string(JORVANA_BUILD_DIR) + "/Jorvana.exe";
        if (!RunInstaller(root)) return;
        device::UseRootFolder(root);
        WriteDword(L"Jorvana", L"lang", 0);
        WriteDword(L"Jorvana\\wrldclk", L"clock", 0);
        device::UseRootFolder({});
        // The first start builds the stores and shows the tips once.
        ok = RunProgram({program}, root).status == 0 && RunProgram({program}, root).status == 0;
    }
    ~InstalledDevice() {
        std::error_code ec;
        if (!root.empty() && !keep) std::filesystem::remove_all(root, ec);
    }
};

void BM_StartToPaintedMainWindow(benchmark::State& state) {
    InstalledDevice device;
    if (!device.ok) {
        state.SkipWithError("device not installed");
        return;
    }
    double cpu = 0, rss = 0;
    for (auto _ : state) {
        Run r = RunProgram({device.program}, device.root);
        if (r.status != 0) {
            state.SkipWithError("the program did not end cleanly");
            break;
        }
        state.SetIterationTime(r.wallMs / 1e3);
        cpu += r.cpuMs;
        rss = std::max(rss, r.maxRssMb);
    }
    state.counters["child_cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    // The resident memory of the program with its main window up (its peak).
    state.counters["child_max_rss_mb"] = rss;
}
BENCHMARK(BM_StartToPaintedMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// The first start of a freshly installed program: the language and home-city dialogs answered
// with OK as soon as each is shown (DEVICE_ANSWER_AT_IDLE), the stores built from the shipped
// files, until the main window is painted. The installation is not timed.
void BM_FirstStartToPaintedMainWindow(benchmark::State& state) {
    char tmpl[] = "/tmp/jorvana-bench-first-XXXXXX";
    const char* made = mkdtemp(tmpl);
    if (!made) {
        state.SkipWithError("no folder");
        return;
    }
    std::filesystem::path root = made;
    const std::string program = std::string(JORVANA_BUILD_DIR) + "/Jorvana.exe";
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bool installed = Install(root);
        state.ResumeTiming();
        if (!installed) {
            state.SkipWithError("device not installed");
            break;
        }
        Run r = RunProgram({program}, root, {"DEVICE_ANSWER_AT_IDLE=2"});
        state.SetIterationTime(r.wallMs / 1e3);
        cpu += r.cpuMs;
        // The home city answered: the first start went through to the main window.
        device::UseRootFolder(root);
        HKEY key = nullptr;
        DWORD clock = 0, size = sizeof clock;
        bool answered = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", 0, 0, &key) == ERROR_SUCCESS &&
                        RegQueryValueExW(key, L"clock", nullptr, nullptr, reinterpret_cast<BYTE*>(&clock), &size) ==
                            ERROR_SUCCESS;
        if (key) RegCloseKey(key);
        device::UseRootFolder({});
        if (r.status != 0 || !answered) {
            state.SkipWithError("the first start did not reach the main window");
            break;
        }
    }
    state.counters["child_cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}
BENCHMARK(BM_FirstStartToPaintedMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
