// Dialog manager speed: building (and tearing down) a thirty-control form from its template,
// and looking up a string of the program's string table.

#include "platform/system/Modules.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/Dialog.h"

#include "BenchRoot.h"

#include <benchmark/benchmark.h>


namespace {

void UseBenchDevice() { benchsupport::UseHeadlessDevice("jorvana-bench-dialogs"); }

INT_PTR CALLBACK FormProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

void BM_CreateThirtyControlDialog(benchmark::State& state) {
    UseBenchDevice();
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 26, 240, 268, nullptr, nullptr,
                                 nullptr, nullptr);
    for (auto _ : state) {
        HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(300), owner, FormProc, 0);
        if (!dialog) {
            state.SkipWithError("the form did not build");
            break;
        }
        DestroyWindow(dialog);
    }
    DestroyWindow(owner);
    device::ui::PumpUntilIdle();
}
BENCHMARK(BM_CreateThirtyControlDialog)->Unit(benchmark::kMicrosecond);

void BM_LoadString(benchmark::State& state) {
    UseBenchDevice();
    wchar_t buffer[128];
    for (auto _ : state) {
        int n = LoadStringW(GetModuleHandleW(nullptr), 32996, buffer, 128);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_LoadString);

} // namespace

BENCHMARK_MAIN();
