// Program start as the user waits for it: Jorvana.exe started on an installed device whose
// settings and stores exist, headless, until its main window is painted and the program would
// wait for input (DEVICE_QUIT_AT_IDLE ends it there). Wall time per start; the child's CPU time
// and its peak resident memory as counters.
#include "bench/BenchProgram.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using benchsupport::InstalledDevice;
using benchsupport::RunInstaller;
using Run = benchsupport::ProgramRun;
using benchsupport::RunProgram;

// A freshly installed device: no language, no home city, no stores yet.
bool Install(const std::filesystem::path& root) {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    std::filesystem::create_directories(root);
    return RunInstaller(root);
}

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
