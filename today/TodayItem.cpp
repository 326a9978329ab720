// The Today item's window: its class, creation, icon, fonts, height reporting and the window
// procedure that turns the Today screen's messages into calls on the item.
#include "today/TodayItem.h"

#include "platform/system/DeviceFiles.h"

CTodayItem* g_todayItem = nullptr;
int g_stripHeight = 22;
int g_currencyPair = 1;
BOOL g_fahrenheit = FALSE;
WCHAR g_mapping[4096] = L"";
bool g_citiesOpen = false, g_weatherOpen = false, g_currenciesOpen = false;

CTodayItem::CTodayItem(HINSTANCE instance, LPCWSTR className, LPCWSTR windowName)
    : m_instance(instance), m_className(className), m_windowName(windowName) {}

CTodayItem::~CTodayItem() {
    if (m_icon) DestroyIcon(m_icon);
    if (m_normalFont) DeleteObject(m_normalFont);
    if (m_boldFont) DeleteObject(m_boldFont);
    if (m_smallFont) DeleteObject(m_smallFont);
}

BOOL CTodayItem::Create(HWND parent, DWORD style) {
    m_parent = parent;
    m_heightChanged = TRUE;
    m_window = CreateWindowExW(0, m_className, m_windowName, style, 0, 0, GetSystemMetrics(SM_CXSCREEN), 0, parent,
                               nullptr, m_instance, nullptr);
    CreateFonts();
    return m_window != nullptr;
}

BOOL CTodayItem::RegisterWindowClass(WNDPROC proc) {
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = m_instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    wc.lpszClassName = m_className;
    return RegisterClassW(&wc) != 0;
}

void CTodayItem::UnregisterWindowClass() {
    if (m_instance) UnregisterClassW(m_className, m_instance);
}

BOOL CTodayItem::LoadIcon(UINT resourceId, int x, int y) {
    if (m_icon) {
        DestroyIcon(m_icon);
        m_icon = nullptr;
    }
    m_icon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, 16, 16, 0));
    m_iconX = x;
    m_iconY = y;
    return m_icon != nullptr;
}

void CTodayItem::Refresh(BOOL show) {
    if (!m_window) return;
    if (show) ShowWindow(m_window, SW_SHOWNORMAL);
    InvalidateRect(m_window, nullptr, TRUE);
    UpdateWindow(m_window);
}

void CTodayItem::DrawIcon(HDC dc) {
    if (!m_icon) return;
    SetBkMode(dc, TRANSPARENT);
    DrawIconEx(dc, m_iconX, m_iconY, m_icon, 0, 0, 0, nullptr, DI_NORMAL);
}

void CTodayItem::CreateFonts() {
    m_textColour = static_cast<COLORREF>(SendMessageW(m_parent, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
    LOGFONTW lf{};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf);
    wcscpy(lf.lfFaceName, L"Tahoma");
    HDC dc = GetDC(m_window);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(m_window, dc);
    LONG h = (-17 * dpi) / 72;
    h /= 2;
    if (m_normalFont) DeleteObject(m_normalFont);
    if (m_boldFont) DeleteObject(m_boldFont);
    if (m_smallFont) DeleteObject(m_smallFont);
    lf.lfHeight = h;
    lf.lfWeight = FW_NORMAL;
    m_normalFont = CreateFontIndirectW(&lf);
    lf.lfWeight = FW_BOLD;
    m_boldFont = CreateFontIndirectW(&lf);
    lf.lfHeight = 11;
    lf.lfWeight = FW_NORMAL;
    m_smallFont = CreateFontIndirectW(&lf);
}

void CTodayItem::OnDestroy() {
    HANDLE* handles[] = {&m_citiesDb, &m_weatherDb, &m_currenciesDb};
    for (HANDLE* h : handles) {
        if (*h != INVALID_HANDLE_VALUE) CloseHandle(*h);
        *h = INVALID_HANDLE_VALUE;
    }
    g_citiesOpen = g_weatherOpen = g_currenciesOpen = false;
    DefWindowProcW(m_window, WM_DESTROY, 0, 0);
}

void CTodayItem::OnEraseBkgnd(HDC dc) {
    TODAYDRAWWATERMARKINFO info{};
    info.hdc = dc;
    GetClientRect(m_window, &info.rc);
    info.hwnd = m_window;
    SendMessageW(m_parent, TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info));
}

void CTodayItem::OnQueryRefreshCache(TODAYLISTITEM*, BOOL*) {}

LRESULT CTodayItem::OnClearCache(TODAYLISTITEM*) { return 0; }

void CTodayItem::OnSettingChange(WPARAM, LPARAM) {}

LRESULT CTodayItem::OnNotify(WPARAM, LPARAM) { return 0; }

void CTodayItem::OnLButtonUp(WPARAM keys, int x, int y) {
    DefWindowProcW(m_window, WM_LBUTTONUP, keys, MAKELPARAM(x, y));
}

LRESULT CTodayItem::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(m_window, message, wParam, lParam);
}

LRESULT CTodayItem::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        LRESULT created = OnCreate(lParam);
        LRESULT result = DefaultProc(message, wParam, lParam);
        return created == -1 ? -1 : result;
    }
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_window, &ps);
        DrawIcon(dc);
        Draw(dc);
        EndPaint(m_window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_SETTINGCHANGE:
        OnSettingChange(wParam, lParam);
        return 0;
    case WM_NOTIFY:
        return OnNotify(wParam, lParam);
    case WM_LBUTTONDOWN:
        OnLButtonDown(wParam, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(wParam, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_TODAYCUSTOM_CLEARCACHE:
        return OnClearCache(reinterpret_cast<TODAYLISTITEM*>(wParam));
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE: {
        auto* record = reinterpret_cast<TODAYLISTITEM*>(wParam);
        BOOL result = FALSE;
        if (record) {
            if (m_heightChanged) {
                record->cyp = static_cast<DWORD>(m_height);
                m_heightChanged = FALSE;
                result = TRUE;
            } else {
                // The screen asks every few seconds: repaint the clocks as a minute begins.
                SYSTEMTIME now;
                GetSystemTime(&now);
                if (now.wSecond <= 2) InvalidateRect(m_window, nullptr, TRUE);
            }
        }
        OnQueryRefreshCache(record, &result);
        return result;
    }
    default:
        return DefaultProc(message, wParam, lParam);
    }
}

LRESULT CALLBACK TodayItemWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!g_todayItem) return DefWindowProcW(window, message, wParam, lParam);
    // Messages sent while the window is being made arrive before CreateWindowEx returns.
    if (!g_todayItem->m_window) g_todayItem->m_window = window;
    if (g_todayItem->m_window != window) return DefWindowProcW(window, message, wParam, lParam);
    return g_todayItem->WindowProc(message, wParam, lParam);
}
