#include "platform/programs/today-host/TodayScreen.h"
#include "platform/base/CaseFold.h"
#include "platform/gdi/WinGdi.h"
#include "platform/system/Modules.h"
#include "platform/system/Registry.h"

#include <algorithm>
#include <cwchar>

namespace today {

namespace {

const WCHAR kClassName[] = L"DesktopExplorerWindow";
const WCHAR kItemsKey[] = L"Software\\Microsoft\\Today\\Items";

CTodayScreen* g_screen = nullptr; // the one Today screen of the process

struct Listed {
    std::wstring name;
    std::wstring dll;
    DWORD order = 0;
};

bool ReadString(HKEY key, LPCWSTR name, std::wstring& out) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    std::wstring buf(size / sizeof(WCHAR) + 1, L'\0');
    size = static_cast<DWORD>(buf.size() * sizeof(WCHAR));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
        return false;
    out = buf.c_str();
    return true;
}

DWORD ReadDword(HKEY key, LPCWSTR name, DWORD fallback) {
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return fallback;
    return value;
}

// The enabled items of the registry with a library, by order and then by name.
std::vector<Listed> ListedItems() {
    std::vector<Listed> out;
    HKEY items = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItemsKey, 0, 0, &items) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        WCHAR name[MAX_ITEMNAME];
        DWORD length = MAX_ITEMNAME;
        if (RegEnumKeyExW(items, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY key = nullptr;
        if (RegOpenKeyExW(items, name, 0, 0, &key) != ERROR_SUCCESS) continue;
        Listed l{name, {}, ReadDword(key, L"Order", 0)};
        bool usable = ReadString(key, L"DLL", l.dll) && !l.dll.empty() && ReadDword(key, L"Enabled", 1) != 0;
        RegCloseKey(key);
        if (usable) out.push_back(std::move(l));
    }
    RegCloseKey(items);
    std::stable_sort(out.begin(), out.end(), [](const Listed& a, const Listed& b) {
        return a.order != b.order ? a.order < b.order : device::CompareNoCase(a.name, b.name) < 0;
    });
    return out;
}

} // namespace

CTodayScreen::~CTodayScreen() {
    UnloadItems();
    if (m_window) DestroyWindow(m_window);
    if (g_screen == this) g_screen = nullptr;
}

bool CTodayScreen::Create() {
    if (m_window) return true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CTodayScreen::WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc); // a second screen of the process finds the class registered
    g_screen = this;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    m_window = CreateWindowExW(0, kClassName, L"Today", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, work.left,
                               work.top, work.right - work.left, work.bottom - work.top, nullptr, nullptr,
                               wc.hInstance, nullptr);
    if (!m_window) return false;
    SetTimer(m_window, kQueryTimer, kQueryIntervalMs, nullptr);
    return true;
}

int CTodayScreen::LoadItems() {
    if (!m_window) return 0;
    std::vector<Item> old = std::move(m_items);
    m_items.clear();
    for (Item& item : old)
        if (item.record && item.record->hwndCustom && IsWindow(item.record->hwndCustom))
            DestroyWindow(item.record->hwndCustom);

    int made = 0;
    for (const Listed& l : ListedItems()) {
        // Loading again a library already loaded only counts a use: it stays attached.
        HMODULE module = LoadLibraryW(l.dll.c_str());
        if (!module) continue;
        auto entry = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
            GetProcAddressW(module, MAKEINTRESOURCEW(TODAY_INITIALIZE_ORDINAL)));
        if (!entry) {
            FreeLibrary(module);
            continue;
        }
        Item item;
        item.name = l.name;
        item.order = l.order;
        item.module = module;
        item.record = std::make_unique<TODAYLISTITEM>();
        TODAYLISTITEM& r = *item.record;
        std::wcsncpy(r.szName, l.name.c_str(), MAX_ITEMNAME - 1);
        std::wcsncpy(r.szDLLPath, l.dll.c_str(), MAX_PATH - 1);
        r.tlit = tlitCustom;
        r.dwOrder = l.order;
        r.fEnabled = TRUE;
        r.hinstDLL = module;
        r.hwndCustom = entry(&r, m_window);
        if (!r.hwndCustom) {
            FreeLibrary(module);
            continue;
        }
        ++made;
        m_items.push_back(std::move(item));
    }
    for (Item& item : old) FreeLibrary(item.module);
    QueryItems();
    Layout();
    InvalidateRect(m_window, nullptr, TRUE);
    return made;
}

void CTodayScreen::UnloadItems() {
    for (Item& item : m_items) {
        if (item.record && item.record->hwndCustom && IsWindow(item.record->hwndCustom))
            DestroyWindow(item.record->hwndCustom);
        FreeLibrary(item.module);
    }
    m_items.clear();
}

int CTodayScreen::QueryItems() {
    int changed = 0;
    for (Item& item : m_items) {
        HWND hwnd = item.record->hwndCustom;
        if (!IsWindow(hwnd)) continue;
        if (SendMessageW(hwnd, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(item.record.get()), 0))
            ++changed;
    }
    if (changed) Layout();
    return changed;
}

RECT CTodayScreen::ItemRect(size_t index) const {
    RECT r{};
    if (index >= m_items.size() || !IsWindow(m_items[index].record->hwndCustom)) return r;
    HWND hwnd = m_items[index].record->hwndCustom;
    GetWindowRect(hwnd, &r);
    POINT tl{r.left, r.top}, br{r.right, r.bottom};
    ScreenToClient(m_window, &tl);
    ScreenToClient(m_window, &br);
    return RECT{tl.x, tl.y, br.x, br.y};
}

void CTodayScreen::Layout() {
    if (!m_window) return;
    RECT client{};
    GetClientRect(m_window, &client);
    int y = 0;
    for (Item& item : m_items) {
        HWND hwnd = item.record->hwndCustom;
        if (!IsWindow(hwnd)) continue;
        int height = static_cast<int>(item.record->cyp);
        MoveWindow(hwnd, 0, y, client.right, height, TRUE);
        y += height;
    }
    InvalidateRect(m_window, nullptr, TRUE);
}

COLORREF CTodayScreen::BackgroundAt(int y, int height) {
    // From a pale blue at the top to white at the bottom.
    int span = height > 1 ? height - 1 : 1;
    int t = std::clamp(y, 0, span);
    auto mix = [&](int top, int bottom) { return static_cast<BYTE>(top + (bottom - top) * t / span); };
    return RGB(mix(214, 255), mix(230, 255), mix(248, 255));
}

void CTodayScreen::PaintBackground(HDC dc, const RECT& rect, int offsetY) const {
    RECT client{};
    GetClientRect(m_window, &client);
    for (int y = rect.top; y < rect.bottom; ++y) {
        HBRUSH brush = CreateSolidBrush(BackgroundAt(y + offsetY, client.bottom));
        RECT row{rect.left, y, rect.right, y + 1};
        FillRect(dc, &row, brush);
        DeleteObject(brush);
    }
}

LRESULT CALLBACK CTodayScreen::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_screen && (g_screen->m_window == hwnd || !g_screen->m_window)) {
        if (!g_screen->m_window) g_screen->m_window = hwnd;
        return g_screen->OnMessage(msg, wParam, lParam);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CTodayScreen::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(m_window, &client);
        PaintBackground(reinterpret_cast<HDC>(wParam), client, 0);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(m_window, &ps);
        EndPaint(m_window, &ps);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kQueryTimer) QueryItems();
        return 0;
    case TODAYM_GETCOLOR:
        return wParam == TODAYCOLOR_TEXT ? static_cast<LRESULT>(kTextColor) : static_cast<LRESULT>(RGB(0, 0, 128));
    case TODAYM_DRAWWATERMARK: {
        auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lParam);
        if (!info || !info->hdc) return 0;
        // The item's rectangle lies at the item window's place in the screen.
        POINT origin{0, 0};
        if (info->hwnd) MapWindowPoints(info->hwnd, m_window, &origin, 1);
        PaintBackground(info->hdc, info->rc, origin.y);
        return 1;
    }
    case WM_SETTINGCHANGE:
        if (wParam == TODAY_RELOAD_SETTING) {
            LoadItems();
        } else if (wParam == SPI_SETWORKAREA) {
            RECT work{};
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            MoveWindow(m_window, work.left, work.top, work.right - work.left, work.bottom - work.top, TRUE);
            Layout();
        }
        return 0;
    case WM_DESTROY:
        KillTimer(m_window, kQueryTimer);
        return 0;
    default:
        return DefWindowProcW(m_window, msg, wParam, lParam);
    }
}

} // namespace today
