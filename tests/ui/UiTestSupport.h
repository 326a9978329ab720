#pragma once
// Shared by the window manager tests: a window class whose procedure records every message and
// lets each test answer messages its own way, and a fixture that starts every test on a clean
// 240x320 screen and destroys what the test left behind.

#include "platform/gdi/WinGdi.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/WinUser.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace uitest {

struct Logged {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Returns true when it handled the message (result in result).
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT& result)>;

inline std::mutex& LogLock() {
    static std::mutex m;
    return m;
}
inline std::vector<Logged>& Log() {
    static std::vector<Logged> log;
    return log;
}
inline Handler& CurrentHandler() {
    static Handler h;
    return h;
}
// Colour each window paints its client area with (WM_PAINT of the test class).
inline std::map<HWND, COLORREF>& PaintColours() {
    static std::map<HWND, COLORREF> colours;
    return colours;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(LogLock());
        Log().push_back(Logged{hwnd, msg, wParam, lParam});
    }
    LRESULT result = 0;
    if (CurrentHandler() && CurrentHandler()(hwnd, msg, wParam, lParam, result)) return result;
    if (msg == WM_PAINT) {
        auto it = PaintColours().find(hwnd);
        if (it != PaintColours().end()) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT client;
            GetClientRect(hwnd, &client);
            HBRUSH brush = CreateSolidBrush(it->second);
            FillRect(dc, &client, brush);
            DeleteObject(brush);
            EndPaint(hwnd, &ps);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline const wchar_t* kClass = L"UiTestWindow";

inline void RegisterTestClass() {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = RecordingProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // once per program; a repeat fails harmlessly
}

// Messages recorded for one window, in order (optionally only those of a set).
inline std::vector<UINT> MessagesOf(HWND hwnd, const std::vector<UINT>& only = {}) {
    std::lock_guard lock(LogLock());
    std::vector<UINT> out;
    for (const Logged& l : Log())
        if (l.hwnd == hwnd && (only.empty() || std::find(only.begin(), only.end(), l.msg) != only.end()))
            out.push_back(l.msg);
    return out;
}
inline std::vector<Logged> Matching(UINT msg) {
    std::lock_guard lock(LogLock());
    std::vector<Logged> out;
    for (const Logged& l : Log())
        if (l.msg == msg) out.push_back(l);
    return out;
}
inline void ClearLog() {
    std::lock_guard lock(LogLock());
    Log().clear();
}

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClass();
        device::ui::SetScreenShape(240, 320);
        Reset();
    }
    void TearDown() override {
        CurrentHandler() = nullptr;
        std::vector<HWND> tops;
        for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) tops.push_back(h);
        for (HWND h : tops) DestroyWindow(h);
        SetFocus(nullptr);
        ReleaseCapture();
        device::ui::PumpUntilIdle();
        Reset();
        PaintColours().clear();
    }
    void Reset() {
        MSG m;
        // Pending messages are dropped, except paints: a window stays invalid (and keeps
        // reporting WM_PAINT) until it is painted.
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            if (m.message == WM_PAINT) DispatchMessageW(&m);
        ClearLog();
    }
    HWND Top(int x, int y, int w, int h, DWORD style = WS_VISIBLE | WS_POPUP, DWORD ex = 0) {
        return CreateWindowExW(ex, kClass, L"top", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
    }
    HWND Child(HWND parent, int id, int x, int y, int w, int h, DWORD style = WS_VISIBLE) {
        return CreateWindowExW(0, kClass, L"child", WS_CHILD | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    }
    static COLORREF Pixel(int x, int y) {
        COLORREF c = CLR_INVALID;
        device::ui::WithFramebuffer([&](const device::gdi::Bitmap& fb) {
            if (fb.Contains(x, y)) c = device::gdi::ToColorRef(fb.Get(x, y));
        });
        return c;
    }
};

} // namespace uitest
