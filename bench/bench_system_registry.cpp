// Registry and file look-up costs on a fresh device root.
#include "platform/system/DeviceFiles.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/Registry.h"

#include "bench/BenchRoot.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <chrono>

namespace {

using benchsupport::BenchRoot;

void FillKey() {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", 0, nullptr, 0, 0, nullptr, &key, nullptr);
    for (int i = 0; i < 12; ++i) {
        std::wstring name = L"clock" + std::to_wstring(i);
        DWORD v = static_cast<DWORD>(i);
        RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
    }
    RegCloseKey(key);
}

// What the program's settings helper does for one read: open, enumerate to the name, query, close.
void BM_RegistryReadOneValue(benchmark::State& state) {
    BenchRoot root;
    FillKey();
    for (auto _ : state) {
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", 0, 0, &key);
        WCHAR name[20];
        for (DWORD i = 0;; ++i) {
            DWORD cch = 20;
            LONG rc = RegEnumValueW(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS || (rc == ERROR_SUCCESS && std::wcscmp(name, L"clock5") == 0)) break;
        }
        DWORD value = 0, cb = 4;
        RegQueryValueExW(key, L"clock5", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &cb);
        RegCloseKey(key);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_RegistryReadOneValue)->Unit(benchmark::kMicrosecond);

void BM_RegistryWriteOneValue(benchmark::State& state) {
    BenchRoot root;
    FillKey();
    DWORD v = 0;
    for (auto _ : state) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", 0, nullptr, 0, 0, nullptr, &key, nullptr);
        ++v;
        RegSetValueExW(key, L"clock5", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
        RegCloseKey(key);
    }
}
BENCHMARK(BM_RegistryWriteOneValue)->Unit(benchmark::kMicrosecond);

// Opening a file by a device path whose letter case differs from the stored names, in a folder
// of 1000 files.
void BM_OpenFileIgnoringCase(benchmark::State& state) {
    BenchRoot root;
    auto dir = root.path / "fs" / "Program Files" / "Jorvana";
    std::filesystem::create_directories(dir);
    for (int i = 0; i < 1000; ++i) std::ofstream(dir / ("File" + std::to_string(i) + ".dat")) << i;
    // An installed folder has not changed for a while; a folder changed this very moment is read
    // again at each look-up (its change time is too coarse to trust yet).
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (auto _ : state) {
        HANDLE h = CreateFileW(L"\\PROGRAM FILES\\jorvana\\file500.DAT", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) state.SkipWithError("open failed");
        CloseHandle(h);
    }
}
BENCHMARK(BM_OpenFileIgnoringCase)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
