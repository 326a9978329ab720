// What the framework adds to a message: SendMessage to a window whose object handles it through
// a message map (three classes deep, the handler near the end of its table), against the same
// message handled by a plain window procedure; and a message no entry takes, which goes through
// the maps to the window's own procedure.
#include "platform/display/Display.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/MessageMap.h"

#include "bench/BenchRoot.h"

#include <benchmark/benchmark.h>

namespace {

long g_handled = 0;

LRESULT CALLBACK RawProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP + 9) {
        ++g_handled;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A window class chain as the program has: a control base, a middle class, the page.
class BaseWnd : public CWnd {
public:
    afx_msg void OnTimer(UINT_PTR) {}
    afx_msg void OnSize(UINT, int, int) {}
    afx_msg void OnDestroy() { CWnd::OnDestroy(); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

class MiddleWnd : public BaseWnd {
public:
    afx_msg void OnCmd() {}
    afx_msg void OnPaint() { CWnd::OnPaint(); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(MiddleWnd, BaseWnd)
    ON_WM_PAINT()
    ON_COMMAND(100, &MiddleWnd::OnCmd)
    ON_COMMAND(101, &MiddleWnd::OnCmd)
    ON_COMMAND(102, &MiddleWnd::OnCmd)
END_MESSAGE_MAP()

class PageWnd : public MiddleWnd {
public:
    afx_msg void OnCmd() {}
    afx_msg LRESULT OnPrivate(WPARAM, LPARAM) { return 0; }
    afx_msg LRESULT OnBench(WPARAM, LPARAM) {
        ++g_handled;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(PageWnd, MiddleWnd)
    ON_COMMAND(200, &PageWnd::OnCmd)
    ON_COMMAND(201, &PageWnd::OnCmd)
    ON_COMMAND(202, &PageWnd::OnCmd)
    ON_COMMAND(203, &PageWnd::OnCmd)
    ON_COMMAND(204, &PageWnd::OnCmd)
    ON_MESSAGE(WM_APP + 1, &PageWnd::OnPrivate)
    ON_MESSAGE(WM_APP + 2, &PageWnd::OnPrivate)
    ON_MESSAGE(WM_APP + 3, &PageWnd::OnPrivate)
    ON_MESSAGE(WM_APP + 4, &PageWnd::OnPrivate)
    ON_MESSAGE(WM_APP + 5, &PageWnd::OnPrivate)
    ON_MESSAGE(WM_APP + 9, &PageWnd::OnBench)
END_MESSAGE_MAP()

void Start() {
    benchsupport::UseHeadlessDevice("jorvana-bench-framework");
    device::display::Start();
}

void BM_RawWindowProc(benchmark::State& state) {
    Start();
    WNDCLASSW wc{};
    wc.lpfnWndProc = RawProc;
    wc.lpszClassName = L"BenchRaw";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, L"BenchRaw", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(hwnd, WM_APP + 9, 1, 2));
    DestroyWindow(hwnd);
}
BENCHMARK(BM_RawWindowProc);

void BM_MessageMapHandler(benchmark::State& state) {
    Start();
    PageWnd page;
    page.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(page.m_hWnd, WM_APP + 9, 1, 2));
    page.DestroyWindow();
}
BENCHMARK(BM_MessageMapHandler);

void BM_MessageMapUnhandled(benchmark::State& state) {
    Start();
    PageWnd page;
    page.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(page.m_hWnd, WM_APP + 20, 1, 2));
    page.DestroyWindow();
}
BENCHMARK(BM_MessageMapUnhandled);

void BM_CommandRouting(benchmark::State& state) {
    Start();
    PageWnd page;
    page.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
    // A command found in the middle class's table.
    for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(page.m_hWnd, WM_COMMAND, 102, 0));
    page.DestroyWindow();
}
BENCHMARK(BM_CommandRouting);

} // namespace

BENCHMARK_MAIN();
