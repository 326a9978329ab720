// The menu bar (command bar): a strip across the bottom of its parent holding menus (each
// inserted menu is one item of the bar and shows its top-level entries), bitmap buttons,
// separators and adornments. Tapping a menu entry opens its pop-up upward from the bar. From the
// keyboard (F10, Alt alone) the bar's first menu opens; Left and Right go from entry to entry
// and button to button, a highlighted button is pressed by Return or space.

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/ImageFiles.h"
#include "platform/system/Modules.h"
#include "platform/ui/MenuLayout.h"
#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace device::ui::menus {
namespace {

enum class Kind { Menu, Button, Adornment };

struct BarItem {
    Kind kind = Kind::Button;
    HMENU menu = nullptr;  // Kind::Menu: the inserted menu (owned by the bar)
    TBBUTTON button{};     // Kind::Button
    UINT adornment = 0;    // Kind::Adornment: 0 close, CMDBAR_OK, CMDBAR_HELP
};

struct ImageStrip {
    HBITMAP bitmap = nullptr;
    int first = 0;
    int count = 0;
    int width = 0;
    int height = 0;
};

// One tappable slot on the bar: an item, or one top-level entry of a menu item.
struct Slot {
    size_t item = 0;
    int entry = -1; // position in the menu, for menu items
    RECT rect{};
};

struct Bar {
    std::vector<BarItem> items;
    std::vector<ImageStrip> images;
    int imageCount = 0;
    std::vector<LPWSTR> tooltips;
    int pressed = -1;      // slot being pressed
    bool pressInside = false;
    bool menuOpen = false; // a pop-up of this bar is open: its entry stays drawn pressed
    int keyHot = -1;       // slot highlighted from the keyboard (a button waiting for Return)
};

std::mutex g_lock;
std::map<HWND, std::shared_ptr<Bar>>& Bars() {
    static auto* bars = new std::map<HWND, std::shared_ptr<Bar>>;
    return *bars;
}

std::shared_ptr<Bar> BarOf(HWND hwnd) {
    std::lock_guard lock(g_lock);
    auto it = Bars().find(hwnd);
    if (it == Bars().end()) return nullptr;
    return it->second;
}

constexpr int kEntryPadding = 12; // around a menu entry's text
constexpr int kSeparatorWidth = 6;
constexpr int kAdornmentWidth = 22;

int ButtonWidth(const Bar& bar) {
    int w = 16;
    for (const ImageStrip& s : bar.images) w = std::max(w, s.width);
    return w + 8;
}

// Lays the bar's items out left to right (adornments at the right end).
std::vector<Slot> Layout(const Bar& bar, const RECT& client) {
    std::vector<Slot> slots;
    int x = 0;
    int h = client.bottom;
    for (size_t i = 0; i < bar.items.size(); ++i) {
        const BarItem& item = bar.items[i];
        if (item.kind == Kind::Menu) {
            Snapshot s = Take(item.menu);
            for (size_t e = 0; e < s.items.size(); ++e) {
                if (s.items[e].flags & MF_SEPARATOR) continue;
                int w = TextWidth(DisplayText(s.items[e].text)) + kEntryPadding;
                slots.push_back(Slot{i, static_cast<int>(e), RECT{x, 1, x + w, h}});
                x += w;
            }
        } else if (item.kind == Kind::Button) {
            if (item.button.fsState & TBSTATE_HIDDEN) continue;
            int w = (item.button.fsStyle & TBSTYLE_SEP) ? kSeparatorWidth : ButtonWidth(bar);
            slots.push_back(Slot{i, -1, RECT{x, 1, x + w, h}});
            x += w;
        }
    }
    int right = client.right;
    for (size_t i = bar.items.size(); i-- > 0;) {
        if (bar.items[i].kind != Kind::Adornment) continue;
        slots.push_back(Slot{i, -1, RECT{right - kAdornmentWidth, 1, right, h}});
        right -= kAdornmentWidth;
    }
    return slots;
}

void DrawImage(HDC dc, const Bar& bar, int index, const RECT& r, bool enabled) {
    for (const ImageStrip& s : bar.images) {
        if (index < s.first || index >= s.first + s.count) continue;
        HDC src = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(src, s.bitmap);
        int x = (r.left + r.right - s.width) / 2, y = (r.top + r.bottom - s.height) / 2;
        BitBlt(dc, x, y, s.width, s.height, src, (index - s.first) * s.width, 0, SRCCOPY);
        SelectObject(src, old);
        DeleteDC(src);
        if (!enabled) {
            // Greyed: every other pixel row washed with the bar's colour.
            HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
            for (int yy = y; yy < y + s.height; yy += 2) {
                RECT row{x, yy, x + s.width, yy + 1};
                FillRect(dc, &row, face);
            }
        }
        return;
    }
}

void Paint(HWND hwnd, HDC dc, const Bar& bar) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RECT line{client.left, client.top, client.right, client.top + 1};
    FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HGDIOBJ oldFont = SelectObject(dc, MenuFont());
    SetBkMode(dc, TRANSPARENT);
    std::vector<Slot> slots = Layout(bar, client);
    for (size_t n = 0; n < slots.size(); ++n) {
        const Slot& slot = slots[n];
        const BarItem& item = bar.items[slot.item];
        bool pressed = static_cast<int>(n) == bar.pressed && bar.pressInside;
        const bool hot = static_cast<int>(n) == bar.keyHot;
        RECT r = slot.rect;
        if (item.kind == Kind::Menu) {
            Snapshot s = Take(item.menu);
            if (slot.entry < 0 || static_cast<size_t>(slot.entry) >= s.items.size()) continue;
            const Item& entry = s.items[static_cast<size_t>(slot.entry)];
            bool greyed = (entry.flags & (MF_GRAYED | MF_DISABLED)) != 0;
            pressed = pressed || hot;
            if (pressed) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(greyed ? COLOR_GRAYTEXT : pressed ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
            std::wstring shown = DisplayText(entry.text);
            DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &r,
                      DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
        } else if (item.kind == Kind::Button) {
            if (item.button.fsStyle & TBSTYLE_SEP) continue;
            bool enabled = (item.button.fsState & TBSTATE_ENABLED) != 0;
            bool down = pressed || (item.button.fsState & (TBSTATE_CHECKED | TBSTATE_PRESSED));
            if (hot) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            if (down) {
                RECT f = r;
                InflateRect(&f, -1, -2);
                FrameRect(dc, &f, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            }
            DrawImage(dc, bar, item.button.iBitmap, r, enabled);
        } else {
            pressed = pressed || hot;
            if (pressed) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(pressed ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
            const wchar_t* label = item.adornment == CMDBAR_OK ? L"ok" : item.adornment == CMDBAR_HELP ? L"?" : L"X";
            DrawTextW(dc, label, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
        }
    }
    SelectObject(dc, oldFont);
}

// Places the bar across the bottom (or, with CCS_TOP alone, the top) of its parent.
void Place(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (!parent) return;
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    if (style & CCS_NOPARENTALIGN) return;
    RECT pc;
    GetClientRect(parent, &pc);
    int h = GetSystemMetrics(SM_CYMENU);
    int y = (style & CCS_BOTTOM) == CCS_TOP ? 0 : pc.bottom - h;
    RECT now;
    GetWindowRect(hwnd, &now);
    POINT tl{now.left, now.top};
    ScreenToClient(parent, &tl);
    if (tl.x == 0 && tl.y == y && now.right - now.left == pc.right && now.bottom - now.top == h) return;
    SetWindowPos(hwnd, nullptr, 0, y, pc.right, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

int IndexOfCommand(const Bar& bar, WPARAM id) {
    for (size_t i = 0; i < bar.items.size(); ++i)
        if (bar.items[i].kind == Kind::Button && !(bar.items[i].button.fsStyle & TBSTYLE_SEP) &&
            bar.items[i].button.idCommand == static_cast<int>(id))
            return static_cast<int>(i);
    return -1;
}

int SlotAt(const std::vector<Slot>& slots, POINT p) {
    for (size_t i = 0; i < slots.size(); ++i)
        if (PtInRect(&slots[i].rect, p)) return static_cast<int>(i);
    return -1;
}

void OpenMenuEntry(HWND hwnd, Bar& bar, const Slot& slot) {
    HWND parent = GetParent(hwnd);
    HMENU menu = bar.items[slot.item].menu;
    Snapshot s = Take(menu);
    if (slot.entry < 0 || static_cast<size_t>(slot.entry) >= s.items.size()) return;
    const Item entry = s.items[static_cast<size_t>(slot.entry)];
    if (entry.flags & (MF_GRAYED | MF_DISABLED)) return;
    if (!entry.popup) { // a command right on the bar
        PostMessageW(parent, WM_COMMAND, MAKEWPARAM(entry.id, 0), 0);
        return;
    }
    POINT at{slot.rect.left, 0};
    ClientToScreen(hwnd, &at);
    bar.menuOpen = true;
    UINT picked = RunPopup(entry.popup, TPM_LEFTALIGN | TPM_BOTTOMALIGN, at.x, at.y, parent);
    bar.menuOpen = false;
    if (picked && IsWindow(parent)) PostMessageW(parent, WM_COMMAND, MAKEWPARAM(picked, 0), 0);
}

// What a button or an adornment does when it is pressed (a tap lifted on it, or Return).
void PressItem(HWND hwnd, BarItem& item) {
    HWND parent = GetParent(hwnd);
    if (item.kind == Kind::Button) {
        if (item.button.fsStyle & TBSTYLE_CHECK) item.button.fsState ^= TBSTATE_CHECKED;
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(item.button.idCommand, 0), reinterpret_cast<LPARAM>(hwnd));
    } else if (item.kind == Kind::Adornment) {
        if (item.adornment == CMDBAR_OK) SendMessageW(parent, WM_COMMAND, MAKEWPARAM(1, 0), reinterpret_cast<LPARAM>(hwnd));
        else if (item.adornment == CMDBAR_HELP) PostMessageW(parent, WM_HELP, 0, 0);
        else PostMessageW(parent, WM_CLOSE, 0, 0);
    }
}

void Release(HWND hwnd, Bar& bar) {
    bar.pressed = -1;
    bar.pressInside = false;
    if (GetCapture() == hwnd) ReleaseCapture();
    InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT OnButtonMessage(HWND hwnd, Bar& bar, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto byCommand = [&]() -> BarItem* {
        int i = IndexOfCommand(bar, wParam);
        return i < 0 ? nullptr : &bar.items[static_cast<size_t>(i)];
    };
    auto setState = [&](BYTE bit, bool on) -> LRESULT {
        BarItem* item = byCommand();
        if (!item) return FALSE;
        BYTE before = item->button.fsState;
        item->button.fsState = on ? (before | bit) : (before & ~bit);
        if (before != item->button.fsState) InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    };
    switch (msg) {
    case TB_ENABLEBUTTON: return setState(TBSTATE_ENABLED, LOWORD(lParam) != 0);
    case TB_CHECKBUTTON: return setState(TBSTATE_CHECKED, LOWORD(lParam) != 0);
    case TB_PRESSBUTTON: return setState(TBSTATE_PRESSED, LOWORD(lParam) != 0);
    case TB_HIDEBUTTON: return setState(TBSTATE_HIDDEN, LOWORD(lParam) != 0);
    case TB_ISBUTTONENABLED: { BarItem* i = byCommand(); return i ? (i->button.fsState & TBSTATE_ENABLED) != 0 : FALSE; }
    case TB_ISBUTTONCHECKED: { BarItem* i = byCommand(); return i ? (i->button.fsState & TBSTATE_CHECKED) != 0 : FALSE; }
    case TB_ISBUTTONHIDDEN: { BarItem* i = byCommand(); return i ? (i->button.fsState & TBSTATE_HIDDEN) != 0 : FALSE; }
    case TB_GETSTATE: { BarItem* i = byCommand(); return i ? static_cast<LRESULT>(i->button.fsState) : -1; }
    case TB_SETSTATE: {
        BarItem* i = byCommand();
        if (!i) return FALSE;
        i->button.fsState = static_cast<BYTE>(LOWORD(lParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TB_ADDBUTTONSW:
    case TB_INSERTBUTTONW: {
        const TBBUTTON* buttons = reinterpret_cast<const TBBUTTON*>(lParam);
        if (!buttons) return FALSE;
        size_t count = msg == TB_ADDBUTTONSW ? wParam : 1;
        size_t at = msg == TB_ADDBUTTONSW ? bar.items.size() : std::min<size_t>(wParam, bar.items.size());
        // Adornments stay last.
        if (msg == TB_ADDBUTTONSW)
            while (at > 0 && bar.items[at - 1].kind == Kind::Adornment) --at;
        for (size_t k = 0; k < count && k < 1000; ++k) {
            BarItem item;
            item.kind = Kind::Button;
            item.button = buttons[k];
            bar.items.insert(bar.items.begin() + static_cast<ptrdiff_t>(at + k), item);
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TB_DELETEBUTTON: {
        if (wParam >= bar.items.size()) return FALSE;
        if (bar.items[wParam].kind == Kind::Menu) DestroyMenu(bar.items[wParam].menu);
        bar.items.erase(bar.items.begin() + static_cast<ptrdiff_t>(wParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TB_GETBUTTON: {
        TBBUTTON* out = reinterpret_cast<TBBUTTON*>(lParam);
        if (!out || wParam >= bar.items.size()) return FALSE;
        const BarItem& item = bar.items[wParam];
        *out = TBBUTTON{};
        if (item.kind == Kind::Button) {
            *out = item.button;
        } else if (item.kind == Kind::Menu) {
            out->fsState = TBSTATE_ENABLED;
            out->fsStyle = TBSTYLE_DROPDOWN;
            out->dwData = reinterpret_cast<DWORD_PTR>(item.menu);
            out->iBitmap = -1;
        } else {
            out->idCommand = item.adornment == CMDBAR_OK ? 1 : 0;
            out->fsState = TBSTATE_ENABLED;
            out->iBitmap = -1;
        }
        return TRUE;
    }
    case TB_BUTTONCOUNT: return static_cast<LRESULT>(bar.items.size());
    case TB_COMMANDTOINDEX: return IndexOfCommand(bar, wParam);
    case TB_GETITEMRECT: {
        RECT* out = reinterpret_cast<RECT*>(lParam);
        if (!out || wParam >= bar.items.size()) return FALSE;
        RECT client;
        GetClientRect(hwnd, &client);
        bool any = false;
        for (const Slot& s : Layout(bar, client)) {
            if (s.item != wParam) continue;
            if (!any) *out = s.rect;
            else UnionRect(out, out, &s.rect);
            any = true;
        }
        return any;
    }
    case TB_AUTOSIZE: Place(hwnd); return 0;
    default: return 0;
    }
}

LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        std::lock_guard lock(g_lock);
        Bars()[hwnd] = std::make_shared<Bar>();
    }
    std::shared_ptr<Bar> bar = BarOf(hwnd);
    if (!bar) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg >= TB_ENABLEBUTTON && msg <= TB_AUTOSIZE) return OnButtonMessage(hwnd, *bar, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE: Place(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Paint(hwnd, dc, *bar);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        RECT client;
        GetClientRect(hwnd, &client);
        std::vector<Slot> slots = Layout(*bar, client);
        int n = SlotAt(slots, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (n < 0) return 0;
        const Slot slot = slots[static_cast<size_t>(n)];
        const BarItem& item = bar->items[slot.item];
        if (item.kind == Kind::Button &&
            ((item.button.fsStyle & TBSTYLE_SEP) || !(item.button.fsState & TBSTATE_ENABLED)))
            return 0;
        bar->pressed = n;
        bar->pressInside = true;
        InvalidateRect(hwnd, &slot.rect, TRUE);
        UpdateWindow(hwnd);
        if (item.kind == Kind::Menu) {
            OpenMenuEntry(hwnd, *bar, slot);
            Release(hwnd, *bar);
        } else {
            SetCapture(hwnd);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (bar->pressed >= 0 && GetCapture() == hwnd) {
            RECT client;
            GetClientRect(hwnd, &client);
            std::vector<Slot> slots = Layout(*bar, client);
            bool inside = SlotAt(slots, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == bar->pressed;
            if (inside != bar->pressInside) {
                bar->pressInside = inside;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
        }
        return 0;
    case WM_LBUTTONUP: {
        // The lift of the tap that opened a pop-up belongs to the pop-up.
        if (bar->pressed < 0 || bar->menuOpen) return 0;
        RECT client;
        GetClientRect(hwnd, &client);
        std::vector<Slot> slots = Layout(*bar, client);
        int n = SlotAt(slots, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        int pressed = bar->pressed;
        Release(hwnd, *bar);
        if (n != pressed || static_cast<size_t>(n) >= slots.size()) return 0;
        PressItem(hwnd, bar->items[slots[static_cast<size_t>(n)].item]);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (bar->pressed >= 0 && !bar->menuOpen && reinterpret_cast<HWND>(lParam) != hwnd) {
            bar->pressed = -1;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_NCDESTROY: {
        for (const BarItem& item : bar->items)
            if (item.kind == Kind::Menu) DestroyMenu(item.menu);
        for (const ImageStrip& s : bar->images) DeleteObject(s.bitmap);
        std::lock_guard lock(g_lock);
        Bars().erase(hwnd);
        break;
    }
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// [keys] The bar from the keyboard.

// The slots the keys stop on, in bar order: menu entries that can open, enabled buttons and the
// adornments; separators and greyed entries are passed over.
std::vector<int> KeyStops(const Bar& bar, const std::vector<Slot>& slots) {
    std::vector<int> stops;
    for (size_t n = 0; n < slots.size(); ++n) {
        const BarItem& item = bar.items[slots[n].item];
        if (item.kind == Kind::Menu) {
            Snapshot s = Take(item.menu);
            const auto e = static_cast<size_t>(slots[n].entry);
            if (slots[n].entry < 0 || e >= s.items.size() || (s.items[e].flags & (MF_GRAYED | MF_DISABLED))) continue;
        } else if (item.kind == Kind::Button) {
            if ((item.button.fsStyle & TBSTYLE_SEP) || !(item.button.fsState & TBSTATE_ENABLED)) continue;
        }
        stops.push_back(static_cast<int>(n));
    }
    return stops;
}

HWND TopWindowOf(HWND hwnd) {
    while (hwnd && (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) && GetParent(hwnd)) hwnd = GetParent(hwnd);
    return hwnd;
}

bool IsTapMessage(UINT m) {
    return m == WM_LBUTTONDOWN || m == WM_LBUTTONDBLCLK || m == WM_NCLBUTTONDOWN || m == WM_NCLBUTTONDBLCLK;
}

// What ended the wait on a highlighted button: a key (VK_LEFT, VK_RIGHT, VK_RETURN, VK_ESCAPE),
// or a tap (held in msg, to go where it was meant once the highlight is gone), or nothing (the
// bar or its window went away or lost the keys).
struct BarKey {
    UINT key = 0;
    bool tap = false;
    MSG msg{};
};

// Waits for the key that says what a highlighted button does. Other messages are handled as
// usual meanwhile, so that windows go on painting and ticking; the keys go to no window.
BarKey WaitForBarKey(HWND hwnd) {
    const HWND top = TopWindowOf(hwnd);
    for (;;) {
        if (!IsWindow(hwnd) || !IsWindowVisible(hwnd) || GetActiveWindow() != top) return {};
        MSG m;
        if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            WaitMessage();
            continue;
        }
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam)); // for the loop outside
            return {};
        }
        if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) {
            if (m.message == WM_KEYUP && m.wParam == VK_MENU && TakeAltReleasedAlone()) return {VK_ESCAPE};
            if (m.message != WM_KEYDOWN) continue;
            switch (m.wParam) {
            case VK_LEFT:
            case VK_RIGHT:
            case VK_RETURN:
            case VK_ESCAPE: return {static_cast<UINT>(m.wParam)};
            case VK_SPACE: return {VK_RETURN};
            case VK_F10: return {VK_ESCAPE};
            default: continue;
            }
        }
        if (IsTapMessage(m.message)) return {0, true, m};
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

// The bar's keyboard mode, from its first stop: a menu entry opens its pop-up with the first
// item highlighted; a button is highlighted. Left and Right (in a pop-up too) go to the stop
// before or after, round the bar; a pick, Return on a button, Escape or a tap elsewhere ends
// it. The focus stays where it was all along. False when the bar has nothing to stop on.
bool RunBarKeys(HWND hwnd) {
    size_t at = 0;
    for (bool first = true;; first = false) {
        std::shared_ptr<Bar> bar = BarOf(hwnd); // kept alive while its window may go away
        if (!bar || !IsWindowVisible(hwnd)) return !first;
        RECT client;
        GetClientRect(hwnd, &client);
        const std::vector<Slot> slots = Layout(*bar, client);
        const std::vector<int> stops = KeyStops(*bar, slots);
        if (stops.empty()) return !first;
        at = std::min(at, stops.size() - 1);
        const int n = stops[at];
        const Slot slot = slots[static_cast<size_t>(n)];
        BarItem& item = bar->items[slot.item];
        HMENU popup = nullptr;
        if (item.kind == Kind::Menu) {
            Snapshot s = Take(item.menu);
            popup = s.items[static_cast<size_t>(slot.entry)].popup;
        }
        UINT key = 0;
        if (popup) {
            bar->pressed = n;
            bar->pressInside = true;
            bar->menuOpen = true;
            InvalidateRect(hwnd, &slot.rect, TRUE);
            UpdateWindow(hwnd);
            POINT pos{slot.rect.left, 0};
            ClientToScreen(hwnd, &pos);
            HWND parent = GetParent(hwnd);
            UINT picked = RunPopup(popup, TPM_LEFTALIGN | TPM_BOTTOMALIGN, pos.x, pos.y, parent, true, &key);
            bar->menuOpen = false;
            if (IsWindow(hwnd)) Release(hwnd, *bar);
            if (picked && IsWindow(parent)) PostMessageW(parent, WM_COMMAND, MAKEWPARAM(picked, 0), 0);
        } else {
            bar->keyHot = n;
            InvalidateRect(hwnd, &slot.rect, TRUE);
            UpdateWindow(hwnd);
            BarKey got = WaitForBarKey(hwnd);
            bar->keyHot = -1;
            if (IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, TRUE);
            if (got.tap) {
                DispatchMessageW(&got.msg);
                return true;
            }
            key = got.key;
            if (key == VK_RETURN && IsWindow(hwnd) && slot.item < bar->items.size()) {
                BarItem& pressed = bar->items[slot.item];
                if (pressed.kind == Kind::Menu) { // a command standing right on the bar
                    Snapshot s = Take(pressed.menu);
                    if (slot.entry >= 0 && static_cast<size_t>(slot.entry) < s.items.size())
                        PostMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(s.items[static_cast<size_t>(slot.entry)].id, 0), 0);
                } else {
                    PressItem(hwnd, pressed);
                }
            }
        }
        if (key != VK_LEFT && key != VK_RIGHT) return true;
        at = key == VK_RIGHT ? (at + 1) % stops.size() : (at + stops.size() - 1) % stops.size();
    }
}

bool InsertMenuItem(HWND hwnd, HMENU menu, WORD button) {
    std::shared_ptr<Bar> bar = BarOf(hwnd);
    if (!bar || !menu) {
        if (menu) DestroyMenu(menu);
        if (!bar) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    size_t at = std::min<size_t>(button, bar->items.size());
    while (at > 0 && bar->items[at - 1].kind == Kind::Adornment) --at;
    BarItem item;
    item.kind = Kind::Menu;
    item.menu = menu;
    bar->items.insert(bar->items.begin() + static_cast<ptrdiff_t>(at), item);
    InvalidateRect(hwnd, nullptr, TRUE);
    return true;
}

} // namespace

void RegisterCommandBarClass() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BarProc;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kCommandBarClass;
    RegisterClassW(&wc);
}

bool EntryRect(HWND hwnd, int button, int entry, RECT& out) {
    std::shared_ptr<Bar> bar = BarOf(hwnd);
    if (!bar) return false;
    RECT client;
    GetClientRect(hwnd, &client);
    for (const Slot& s : Layout(*bar, client)) {
        if (static_cast<int>(s.item) == button && (entry < 0 || s.entry == entry)) {
            out = s.rect;
            return true;
        }
    }
    return false;
}

} // namespace device::ui::menus

using namespace device::ui::menus;

HWND CommandBar_Create(HINSTANCE instance, HWND parent, int id) {
    RegisterCommandBarClass();
    if (!IsWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    RECT pc;
    GetClientRect(parent, &pc);
    int h = GetSystemMetrics(SM_CYMENU);
    return CreateWindowExW(0, device::ui::kCommandBarClass, L"", WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, pc.bottom - h, pc.right, h,
                           parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), instance, nullptr);
}

BOOL CommandBar_InsertMenubar(HWND bar, HINSTANCE instance, WORD menuId, WORD button) {
    return CommandBar_InsertMenubarEx(bar, instance, MAKEINTRESOURCEW(menuId), button);
}

BOOL CommandBar_InsertMenubarEx(HWND bar, HINSTANCE instance, LPCWSTR menuName, WORD button) {
    if (!BarOf(bar)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    HMENU menu = LoadMenuW(instance, menuName);
    if (!menu) return FALSE;
    return InsertMenuItem(bar, menu, button) ? TRUE : FALSE;
}

HMENU CommandBar_GetMenu(HWND hwnd, WORD button) {
    std::shared_ptr<Bar> bar = BarOf(hwnd);
    if (!bar) return nullptr;
    if (button < bar->items.size() && bar->items[button].kind == Kind::Menu) return bar->items[button].menu;
    for (const BarItem& item : bar->items)
        if (item.kind == Kind::Menu) return item.menu;
    return nullptr;
}

int CommandBar_AddBitmap(HWND hwnd, HINSTANCE instance, int bitmapId, int count, int width, int height) {
    std::shared_ptr<Bar> bar = BarOf(hwnd);
    if (!bar || count <= 0 || width <= 0 || height <= 0) {
        SetLastError(bar ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    const void* data = nullptr;
    size_t size = 0;
    HMODULE module = instance ? instance : device::ResourceModule();
    if (!device::FindResourceData(module, device::kResBitmap, static_cast<DWORD>(bitmapId), data, size)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    std::unique_ptr<device::gdi::Bitmap> image = device::gdi::DecodeImage(static_cast<const uint8_t*>(data), size);
    if (!image) {
        SetLastError(ERROR_INVALID_DATA);
        return -1;
    }
    ImageStrip strip;
    strip.bitmap = device::gdi::AddBitmap(std::shared_ptr<device::gdi::Bitmap>(std::move(image)), false);
    strip.first = bar->imageCount;
    strip.count = count;
    strip.width = width;
    strip.height = height;
    bar->images.push_back(strip);
    bar->imageCount += count;
    return strip.first;
}

BOOL CommandBar_AddButtons(HWND bar, UINT count, LPCTBBUTTON buttons) {
    if (!BarOf(bar)) return FALSE;
    return static_cast<BOOL>(SendMessageW(bar, TB_ADDBUTTONSW, count, reinterpret_cast<LPARAM>(buttons)));
}

BOOL CommandBar_InsertButton(HWND bar, int index, LPCTBBUTTON button) {
    if (!BarOf(bar) || index < 0) return FALSE;
    return static_cast<BOOL>(
        SendMessageW(bar, TB_INSERTBUTTONW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(button)));
}

BOOL CommandBar_AddToolTips(HWND hwnd, UINT count, LPWSTR* texts) {
    std::shared_ptr<Bar> bar = BarOf(hwnd);
    if (!bar) return FALSE;
    bar->tooltips.assign(texts, texts ? texts + count : texts);
    return TRUE;
}

BOOL CommandBar_AddAdornments(HWND hwnd, DWORD flags, DWORD) {
    std::shared_ptr<Bar> bar = BarOf(hwnd);
    if (!bar) return FALSE;
    auto add = [&](UINT kind) {
        BarItem item;
        item.kind = Kind::Adornment;
        item.adornment = kind;
        bar->items.push_back(item);
    };
    // Laid out from the right: OK rightmost, then help. No close box: on this device a menu bar
    // never closes its window (a tap would have ended the program's main window).
    if (flags & CMDBAR_HELP) add(CMDBAR_HELP);
    if (flags & CMDBAR_OK) add(CMDBAR_OK);
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

BOOL CommandBar_DrawMenuBar(HWND bar, WORD) {
    if (!BarOf(bar)) return FALSE;
    return InvalidateRect(bar, nullptr, TRUE);
}

int CommandBar_Height(HWND bar) {
    RECT r;
    if (!BarOf(bar) || !GetWindowRect(bar, &r)) return 0;
    return r.bottom - r.top;
}

BOOL CommandBar_Show(HWND bar, BOOL show) {
    if (!BarOf(bar)) return FALSE;
    if (show) Place(bar);
    ShowWindow(bar, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    return TRUE;
}

BOOL CommandBar_IsVisible(HWND bar) { return BarOf(bar) && IsWindowVisible(bar); }

void CommandBar_Destroy(HWND bar) {
    if (BarOf(bar)) DestroyWindow(bar);
}

bool device::ui::CommandBarEntryRect(HWND bar, int button, int entry, RECT& rect) { return EntryRect(bar, button, entry, rect); }

bool device::ui::OpenCommandBarFromKeys(HWND window) {
    HWND top = TopWindowOf(window);
    if (!top || !IsWindowEnabled(top)) return false;
    // A window holding the stylus (an open drop-down list or calendar, a button held down) has
    // the keys until it lets go: a menu opened over it would take the stylus from it.
    if (GetCapture()) return false;
    for (HWND c = GetWindow(top, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (BarOf(c) && IsWindowVisible(c) && IsWindowEnabled(c) && RunBarKeys(c)) return true;
    return false;
}

int device::ui::CommandBarKeyHighlight(HWND bar) {
    std::shared_ptr<Bar> b = BarOf(bar);
    if (!b || b->keyHot < 0) return -1;
    RECT client;
    GetClientRect(bar, &client);
    std::vector<Slot> slots = Layout(*b, client);
    return static_cast<size_t>(b->keyHot) < slots.size() ? static_cast<int>(slots[static_cast<size_t>(b->keyHot)].item) : -1;
}
