#include "platform/programs/peghelp/HelpViewer.h"
#include "platform/base/CaseFold.h"
#include "platform/gdi/WinGdi.h"
#include "platform/system/Modules.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/HtmlView.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Sip.h"

#include <algorithm>
#include <map>

namespace helpviewer {

namespace {

const WCHAR kClassName[] = L"HelpViewerWindow";
const WCHAR kScheme[] = L"file:";
const WCHAR kHelpFolder[] = L"\\Windows\\";

std::map<HWND, CHelpWindow*>& Windows() {
    static std::map<HWND, CHelpWindow*> windows;
    return windows;
}

CHelpWindow* g_creating = nullptr; // the window whose CreateWindowEx is running

} // namespace

std::wstring HelpAddressOf(const std::wstring& commandLine) {
    std::wstring line = commandLine;
    while (!line.empty() && (line.front() == L' ' || line.front() == L'\t')) line.erase(line.begin());
    while (!line.empty() && (line.back() == L' ' || line.back() == L'\t')) line.pop_back();
    const size_t schemeLength = sizeof(kScheme) / sizeof(WCHAR) - 1;
    if (line.size() <= schemeLength || !device::EqualNoCase(line.substr(0, schemeLength), kScheme)) return {};
    std::wstring name = line.substr(schemeLength);
    if (name.front() == L'#') return {}; // a place, but no file
    if (name.front() == L'\\' || name.front() == L'/') return L"file://" + name;
    return L"file://" + std::wstring(kHelpFolder) + name;
}

CHelpWindow::~CHelpWindow() {
    // Going with its owner is not the user ending the viewer: no quit.
    m_quitOnDestroy = false;
    if (m_window && IsWindow(m_window)) DestroyWindow(m_window);
}

bool CHelpWindow::Create(const std::wstring& commandLine) {
    if (m_window) return true;
    InitHTMLControl(GetModuleHandleW(nullptr));
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CHelpWindow::WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc); // a second viewer of the process finds the class registered
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    g_creating = this;
    HWND window = CreateWindowExW(0, kClassName, L"Help", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, work.left, work.top,
                                  work.right - work.left, work.bottom - work.top, nullptr, nullptr, wc.hInstance,
                                  nullptr);
    g_creating = nullptr;
    if (!window) return false;
    m_bar = CommandBar_Create(wc.hInstance, m_window, kBarId);
    if (m_bar) CommandBar_AddAdornments(m_bar, CMDBAR_OK, 0);
    m_viewer = CreateWindowExW(0, DISPLAYCLASS, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, 0, 0, m_window,
                               reinterpret_cast<HMENU>(static_cast<intptr_t>(kViewerId)), wc.hInstance, nullptr);
    Layout();
    if (m_viewer) {
        const std::wstring address = HelpAddressOf(commandLine);
        if (address.empty()) {
            SendMessageW(m_viewer, DTM_ADDTEXTW, TRUE, reinterpret_cast<LPARAM>(L"No help file was named."));
            SendMessageW(m_viewer, DTM_ENDOFSOURCE, 0, 0);
        } else {
            SendMessageW(m_viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(address.c_str()));
        }
    }
    SetActiveWindow(m_window);
    if (m_viewer) SetFocus(m_viewer);
    return true;
}

int CHelpWindow::RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && m_window &&
            (msg.hwnd == m_window || IsChild(m_window, msg.hwnd))) {
            SendMessageW(m_window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

// The viewer takes the client area above the command bar, and above the input panel while it is up.
void CHelpWindow::Layout() {
    if (!m_window) return;
    RECT client{};
    GetClientRect(m_window, &client);
    int barHeight = 0;
    if (m_bar) {
        SendMessageW(m_bar, TB_AUTOSIZE, 0, 0);
        barHeight = CommandBar_Height(m_bar);
    }
    int height = std::max(0, static_cast<int>(client.bottom) - barHeight);
    // A raised input panel covers the band above the bar: the page ends at the panel's top.
    SIPINFO sip{};
    sip.cbSize = sizeof(sip);
    if (SipGetInfo(&sip) && (sip.fdwFlags & SIPF_ON)) {
        POINT origin{0, 0};
        ClientToScreen(m_window, &origin);
        height = std::max(0, std::min(height, static_cast<int>(sip.rcVisibleDesktop.bottom - origin.y)));
    }
    if (m_viewer) MoveWindow(m_viewer, 0, 0, static_cast<int>(client.right), height, TRUE);
}

LRESULT CALLBACK CHelpWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE && g_creating) {
        Windows()[hwnd] = g_creating;
        g_creating->m_window = hwnd;
    }
    auto it = Windows().find(hwnd);
    if (it == Windows().end()) return DefWindowProcW(hwnd, msg, wParam, lParam);
    CHelpWindow* self = it->second;
    if (msg == WM_NCDESTROY) {
        Windows().erase(it);
        self->m_window = self->m_viewer = self->m_bar = nullptr;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return self->OnMessage(msg, wParam, lParam);
}

LRESULT CHelpWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE: Layout(); return 0;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA || wParam == SPI_SETSIPINFO) {
            RECT work{};
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            MoveWindow(m_window, work.left, work.top, work.right - work.left, work.bottom - work.top, TRUE);
            Layout();
        }
        return 0;
    case WM_COMMAND:
        // The bar's "ok" ends the viewer.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(m_window);
        return 0;
    case WM_DESTROY:
        // The user closed the viewer: the program's message loop ends.
        if (m_quitOnDestroy) PostQuitMessage(0);
        return 0;
    default: return DefWindowProcW(m_window, msg, wParam, lParam);
    }
}

} // namespace helpviewer
