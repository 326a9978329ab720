// Window manager costs: posting and dispatching, a full repaint of a window with many children,
// and hit testing among many windows.
#include "platform/system/DeviceRoot.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/WinUser.h"

#include "bench/BenchRoot.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

// Benchmarks run headless on a device root of their own.
struct BenchRoot : benchsupport::BenchRoot {
    BenchRoot() { setenv("DEVICE_DISPLAY", "headless", 1); }
};

long g_handled = 0;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_APP: ++g_handled; return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Register() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"BenchWindow";
    RegisterClassW(&wc);
}

HWND MakeTop() {
    return CreateWindowExW(0, L"BenchWindow", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                           nullptr, nullptr);
}

// Target: 100 000 posted messages dispatched in 50 ms or less.
void BM_Post100000AndDispatch(benchmark::State& state) {
    BenchRoot root;
    Register();
    HWND w = MakeTop();
    device::ui::PumpUntilIdle();
    for (auto _ : state) {
        g_handled = 0;
        for (int i = 0; i < 100000; ++i) PostMessageW(w, WM_APP, static_cast<WPARAM>(i), 0);
        device::ui::PumpUntilIdle(200000);
        if (g_handled != 100000) state.SkipWithError("messages lost");
    }
    DestroyWindow(w);
}
BENCHMARK(BM_Post100000AndDispatch)->Unit(benchmark::kMillisecond);

// Target: a full repaint of a 240x320 window with 50 children in 2 ms or less.
void BM_FullRepaintFiftyChildren(benchmark::State& state) {
    BenchRoot root;
    Register();
    device::ui::SetScreenShape(240, 320);
    HWND w = MakeTop();
    for (int i = 0; i < 50; ++i)
        CreateWindowExW(0, L"BenchWindow", L"", WS_CHILD | WS_VISIBLE, (i % 5) * 48, (i / 5) * 32, 44, 28, w, nullptr,
                        nullptr, nullptr);
    device::ui::PumpUntilIdle();
    for (auto _ : state) {
        InvalidateRect(w, nullptr, TRUE);
        device::ui::PumpUntilIdle();
    }
    DestroyWindow(w);
}
BENCHMARK(BM_FullRepaintFiftyChildren)->Unit(benchmark::kMicrosecond);

// Target: WindowFromPoint among 200 windows in 20 us or less.
void BM_WindowFromPoint200Windows(benchmark::State& state) {
    BenchRoot root;
    Register();
    HWND w = MakeTop();
    HWND page = CreateWindowExW(0, L"BenchWindow", L"", WS_CHILD | WS_VISIBLE, 0, 26, 240, 294, w, nullptr, nullptr,
                                nullptr);
    for (int i = 0; i < 198; ++i)
        CreateWindowExW(0, L"BenchWindow", L"", WS_CHILD | WS_VISIBLE, (i % 18) * 13, (i / 18) * 26, 12, 25, page,
                        nullptr, nullptr, nullptr);
    device::ui::PumpUntilIdle();
    // The last child created lies at the bottom of the z-order: the worst case.
    POINT probe{(197 % 18) * 13 + 5, 26 + 26 + (197 / 18) * 26 + 5};
    for (auto _ : state) benchmark::DoNotOptimize(WindowFromPoint(probe));
    if (!WindowFromPoint(probe)) state.SkipWithError("no window found");
    DestroyWindow(w);
}
BENCHMARK(BM_WindowFromPoint200Windows)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
