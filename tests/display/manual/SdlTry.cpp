// Tries the display back end by hand: a main window with a caption bar, a page with three coloured
// children and a text; a tap on a child turns it red, F2 turns the screen, F3 raises the input
// panel, typing shows in the page's text. Runs for the given seconds (default 30), then ends.
//   xvfb-run -s "-screen 0 800x800x24" build-ui/tests/display/sdl_try 5 [rotate] [sip] [busy]

#include "platform/display/Display.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/Sip.h"
#include "platform/ui/WinUser.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

std::map<HWND, COLORREF> g_colours;
std::wstring g_typed = L"Type here: ";
HWND g_page = nullptr;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        HBRUSH b = CreateSolidBrush(g_colours.count(hwnd) ? g_colours[hwnd] : RGB(255, 255, 255));
        FillRect(dc, &r, b);
        DeleteObject(b);
        if (hwnd == g_page) {
            SetBkMode(dc, TRANSPARENT);
            RECT t{4, 4, r.right - 4, 40};
            DrawTextW(dc, g_typed.c_str(), -1, &t, DT_LEFT | DT_WORDBREAK);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (hwnd != g_page) {
            g_colours[hwnd] = RGB(220, 30, 30);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_CHAR:
        if (wParam == L'\b') {
            if (g_typed.size() > 11) g_typed.pop_back();
        } else if (wParam >= 32) {
            g_typed.push_back(static_cast<wchar_t>(wParam));
        }
        InvalidateRect(g_page, nullptr, TRUE);
        return 0;
    case WM_SETTINGCHANGE: {
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        MoveWindow(hwnd, work.left, work.top, work.right - work.left, work.bottom - work.top, TRUE);
        return 0;
    }
    case WM_SIZE:
        if (g_page && GetParent(g_page) == hwnd) MoveWindow(g_page, 0, 0, LOWORD(lParam), HIWORD(lParam) - 26, TRUE);
        return 0;
    case WM_DESTROY:
        if (!GetParent(hwnd)) PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    bool rotate = false, sip = false, busy = false;
    for (int i = 2; i < argc; ++i) {
        rotate |= std::strcmp(argv[i], "rotate") == 0;
        sip |= std::strcmp(argv[i], "sip") == 0;
        busy |= std::strcmp(argv[i], "busy") == 0;
    }
    std::printf("display back end: %s\n", device::display::Start());
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = L"TryWindow";
    RegisterClassW(&wc);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HWND main = CreateWindowExW(0, L"TryWindow", L"Jorvana try", WS_VISIBLE | WS_CAPTION, work.left, work.top,
                                work.right - work.left, work.bottom - work.top, nullptr, nullptr, nullptr, nullptr);
    g_colours[main] = RGB(200, 200, 200);
    g_page = CreateWindowExW(0, L"TryWindow", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 240, 240, main,
                             nullptr, nullptr, nullptr);
    g_colours[g_page] = RGB(250, 250, 210);
    COLORREF colours[] = {RGB(40, 120, 220), RGB(40, 180, 90), RGB(240, 160, 30)};
    for (int i = 0; i < 3; ++i) {
        HWND c = CreateWindowExW(0, L"TryWindow", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 20 + i * 70, 60, 60, 60,
                                 g_page, nullptr, nullptr, nullptr);
        g_colours[c] = colours[i];
    }
    SetFocus(main);
    if (busy) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SetTimer(nullptr, 0, static_cast<UINT>(seconds * 1000), [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
    if (rotate) SetTimer(nullptr, 0, 700, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        device::ui::RotateScreen();
    });
    if (sip) SipShowIM(SIPF_ON);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    device::display::Stop();
    return 0;
}
