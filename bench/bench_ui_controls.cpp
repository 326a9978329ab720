// Edit control speed: typing one character into a 30-character field (WM_CHAR through the
// repaint), and setting a field's text whose EN_CHANGE handler does some work.

#include "platform/ui/Controls.h"
#include "platform/ui/DeviceUi.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

int g_handlerWork = 0;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        // Work a converter's handler would do: read the text back and parse it.
        wchar_t buf[64];
        GetWindowTextW(reinterpret_cast<HWND>(lParam), buf, 64);
        g_handlerWork += static_cast<int>(std::wcstod(buf, nullptr));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct Fixture {
    Fixture() {
        static bool once = [] {
            setenv("DEVICE_DISPLAY", "headless", 1);
            auto root = std::filesystem::temp_directory_path() / "jorvana-bench-controls";
            std::filesystem::create_directories(root);
            setenv("DEVICE_ROOT", root.c_str(), 1);
            device::ui::RegisterBasicControlClasses();
            WNDCLASSW wc{};
            wc.lpfnWndProc = ParentProc;
            wc.lpszClassName = L"BenchParent";
            RegisterClassW(&wc);
            return true;
        }();
        (void)once;
        parent = CreateWindowExW(0, L"BenchParent", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 200, 20,
                               parent, reinterpret_cast<HMENU>(1), nullptr, nullptr);
        SetFocus(edit);
        device::ui::PumpUntilIdle();
    }
    ~Fixture() {
        DestroyWindow(parent);
        device::ui::PumpUntilIdle();
    }
    HWND parent;
    HWND edit;
};

void BM_TypeCharInto30CharEdit(benchmark::State& state) {
    Fixture f;
    std::wstring text(29, L'5');
    for (auto _ : state) {
        state.PauseTiming();
        SetWindowTextW(f.edit, text.c_str());
        SendMessageW(f.edit, EM_SETSEL, 29, 29);
        device::ui::PumpUntilIdle();
        state.ResumeTiming();
        SendMessageW(f.edit, WM_CHAR, L'7', 0);
        device::ui::PumpUntilIdle();  // the repaint
    }
}
BENCHMARK(BM_TypeCharInto30CharEdit)->Unit(benchmark::kMicrosecond);

void BM_SetTextWithChangeHandler(benchmark::State& state) {
    Fixture f;
    int i = 0;
    const wchar_t* texts[2] = {L"123.45", L"678.9"};
    for (auto _ : state) {
        SetWindowTextW(f.edit, texts[i++ & 1]);
    }
    device::ui::PumpUntilIdle();
    benchmark::DoNotOptimize(g_handlerWork);
}
BENCHMARK(BM_SetTextWithChangeHandler)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
