// The tab strip ("SysTabControl32"): one row of tabs along the top (TCS_BOTTOM: the bottom) of
// the control, the area under them left to the pages. Tabs are drawn by the control or, with
// TCS_OWNERDRAWFIXED, by the parent through WM_DRAWITEM.

#include "platform/ui/ListBoxInternal.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace device::ui::lists {
namespace {

struct Tab {
    std::wstring text;
    int image = -1;
    LPARAM param = 0;
    DWORD state = 0;
};

struct TabStrip {
    HWND hwnd = nullptr;
    DWORD style = 0;
    std::vector<Tab> tabs;
    int sel = -1;
    int focus = -1;
    int fixedWidth = 0;   // TCM_SETITEMSIZE width (0: measured from the text)
    int itemHeight = 0;   // TCM_SETITEMSIZE height (0: from the font)
    HFONT font = nullptr;
    LPARAM imageList = 0;
};

TabStrip* State(HWND hwnd) { return reinterpret_cast<TabStrip*>(GetWindowLongW(hwnd, 0)); }
int Count(const TabStrip& t) { return static_cast<int>(t.tabs.size()); }
bool Valid(const TabStrip& t, int i) { return i >= 0 && i < Count(t); }

int RowHeight(const TabStrip& t) { return t.itemHeight > 0 ? t.itemHeight : FontHeight(t.font) + 8; }

bool FixedWidth(const TabStrip& t) { return (t.style & (TCS_FIXEDWIDTH | TCS_OWNERDRAWFIXED)) && t.fixedWidth > 0; }

int TextWidth(const TabStrip& t, const std::wstring& s) {
    HDC dc = GetDC(t.hwnd);
    if (!dc) return static_cast<int>(s.size()) * 7;
    HGDIOBJ old = SelectObject(dc, ControlFont(t.font));
    SIZE size{};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(t.hwnd, dc);
    return size.cx;
}

// Left margin of the row of tabs: the first tab starts 2 px in from the control's edge, as on
// the device, so a page placed against tab 0's left edge lines up with the page frame.
constexpr int kRowMargin = 2;

// Rectangle of tab i in client coordinates; tabs sit side by side from the left margin.
RECT ItemRect(const TabStrip& t, int i) {
    RECT client{};
    GetClientRect(t.hwnd, &client);
    int h = RowHeight(t);
    int top = (t.style & TCS_BOTTOM) ? client.bottom - h : 0;
    int x = kRowMargin;
    for (int k = 0; k <= i && k < Count(t); ++k) {
        int w = FixedWidth(t) ? t.fixedWidth : TextWidth(t, t.tabs[static_cast<size_t>(k)].text) + 12;
        if (k == i) return RECT{x, top, x + w, top + h};
        x += w;
    }
    return RECT{x, top, x, top + h};
}

int HitTest(const TabStrip& t, POINT pt) {
    for (int i = 0; i < Count(t); ++i) {
        RECT r = ItemRect(t, i);
        if (PtInRect(&r, pt)) return i;
    }
    return -1;
}

// The page area for a control rectangle (larger = FALSE), or the control rectangle for a page
// area (larger = TRUE).
void AdjustRect(const TabStrip& t, bool larger, RECT* r) {
    int h = RowHeight(t) + 1;
    int d = larger ? -1 : 1;
    r->left += 2 * d;
    r->right -= 2 * d;
    if (t.style & TCS_BOTTOM) {
        r->top += 2 * d;
        r->bottom -= h * d;
    } else {
        r->top += h * d;
        r->bottom -= 2 * d;
    }
}

// The user (a tap, a key, or the program through TCM_SETCURFOCUS) moves to tab i: the parent
// may refuse through TCN_SELCHANGING; otherwise the tab becomes current and TCN_SELCHANGE says so.
void ChangeTo(TabStrip& t, int i) {
    if (!Valid(t, i)) return;
    if (i == t.sel) {
        if (t.focus != i) {
            t.focus = i;
            InvalidateRect(t.hwnd, nullptr, TRUE);
        }
        return;
    }
    HWND self = t.hwnd;
    NMHDR nm{};
    if (NotifyParentNm(self, &nm, TCN_SELCHANGING) != 0) return;
    TabStrip* again = State(self);
    if (!again || !Valid(*again, i)) return;
    again->sel = i;
    again->focus = i;
    InvalidateRect(self, nullptr, TRUE);
    NMHDR done{};
    NotifyParentNm(self, &done, TCN_SELCHANGE);
}

void DrawTab(TabStrip& t, HDC dc, int i, const RECT& r, bool selected) {
    RECT face = r;
    FillRect(dc, &face, GetSysColorBrush(selected ? COLOR_WINDOW : COLOR_BTNFACE));
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FrameRect(dc, &face, black);
    if (selected) {
        // The current tab opens onto the page area.
        RECT gap = (t.style & TCS_BOTTOM) ? RECT{r.left + 1, r.top, r.right - 1, r.top + 1}
                                          : RECT{r.left + 1, r.bottom - 1, r.right - 1, r.bottom};
        FillRect(dc, &gap, GetSysColorBrush(COLOR_WINDOW));
    }
    const std::wstring& s = t.tabs[static_cast<size_t>(i)].text;
    RECT tr = r;
    InflateRect(&tr, -3, -1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (selected && i == t.focus && GetFocus() == t.hwnd) {
        InflateRect(&tr, 0, -2);
        DrawFocusRect(dc, &tr);
    }
}

void Paint(TabStrip& t) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(t.hwnd, &ps);
    if (!dc) return;
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(t.font));
    RECT client{};
    GetClientRect(t.hwnd, &client);
    // The line under the row of tabs that frames the page area.
    int h = RowHeight(t);
    RECT line = (t.style & TCS_BOTTOM) ? RECT{client.left, client.bottom - h - 1, client.right, client.bottom - h}
                                       : RECT{client.left, h - 1, client.right, h};
    FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    bool ownerDraw = (t.style & TCS_OWNERDRAWFIXED) != 0;
    HWND self = t.hwnd;
    for (int i = 0; i < Count(t); ++i) {
        RECT r = ItemRect(t, i);
        bool selected = i == t.sel;
        if (ownerDraw) {
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_TAB;
            dis.CtlID = static_cast<UINT>(GetDlgCtrlID(self));
            dis.itemID = static_cast<UINT>(i);
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = selected ? ODS_SELECTED : 0;
            dis.hwndItem = self;
            dis.hDC = dc;
            dis.rcItem = r;
            dis.itemData = static_cast<ULONG_PTR>(t.tabs[static_cast<size_t>(i)].param);
            SendMessageW(GetParent(self), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
            if (!State(self)) return;
        } else {
            DrawTab(t, dc, i, r, selected);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(self, &ps);
}

LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TabStrip* tp = State(hwnd);
    if (!tp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            auto* t = new TabStrip;
            t->hwnd = hwnd;
            t->style = static_cast<DWORD>(cs->style);
            SetWindowLongW(hwnd, 0, reinterpret_cast<LONG_PTR>(t));
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    TabStrip& t = *tp;
    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongW(hwnd, 0, 0);
        delete tp;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_STYLECHANGED:
        if (wParam == static_cast<WPARAM>(GWL_STYLE)) t.style = reinterpret_cast<STYLESTRUCT*>(lParam)->styleNew;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        t.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(t.font);
    case WM_ERASEBKGND: {
        // A solid fill in the face colour (or what the parent asks for).
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client{};
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_PAINT:
        t.style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
        Paint(t);
        return 0;
    case WM_SIZE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        t.style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
        int i = HitTest(t, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (i >= 0) {
            if (t.style & TCS_FOCUSONBUTTONDOWN) SetFocus(hwnd);
            if (TabStrip* again = State(hwnd)) ChangeTo(*again, i);
        }
        return 0;
    }
    case WM_KEYDOWN: {
        int next = t.sel;
        if (wParam == VK_LEFT) next = t.sel - 1;
        if (wParam == VK_RIGHT) next = t.sel + 1;
        if (next != t.sel && Valid(t, next)) ChangeTo(t, next);
        return 0;
    }

    case TCM_GETITEMCOUNT: return Count(t);
    case TCM_INSERTITEMW: {
        const auto* item = reinterpret_cast<const TCITEMW*>(lParam);
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (!item || index < 0) return -1;
        index = std::min(index, Count(t));
        Tab tab;
        if ((item->mask & TCIF_TEXT) && item->pszText) tab.text = item->pszText;
        if (item->mask & TCIF_IMAGE) tab.image = item->iImage;
        if (item->mask & TCIF_PARAM) tab.param = item->lParam;
        if (item->mask & TCIF_STATE) tab.state = item->dwState & item->dwStateMask;
        t.tabs.insert(t.tabs.begin() + index, std::move(tab));
        // The first tab becomes the current one; later ones leave the current tab where it is.
        if (Count(t) == 1) {
            t.sel = 0;
            t.focus = 0;
        } else {
            if (t.sel >= index) ++t.sel;
            if (t.focus >= index) ++t.focus;
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return index;
    }
    case TCM_DELETEITEM: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (!Valid(t, index)) return FALSE;
        t.tabs.erase(t.tabs.begin() + index);
        if (t.sel == index)
            t.sel = -1;
        else if (t.sel > index)
            --t.sel;
        if (t.focus == index)
            t.focus = t.sel;
        else if (t.focus > index)
            --t.focus;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TCM_DELETEALLITEMS:
        t.tabs.clear();
        t.sel = -1;
        t.focus = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_GETITEMW: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        auto* item = reinterpret_cast<TCITEMW*>(lParam);
        if (!item || !Valid(t, index)) return FALSE;
        const Tab& tab = t.tabs[static_cast<size_t>(index)];
        if (item->mask & TCIF_TEXT) {
            if (!item->pszText || item->cchTextMax <= 0) return FALSE;
            size_t n = std::min(tab.text.size(), static_cast<size_t>(item->cchTextMax - 1));
            std::memcpy(item->pszText, tab.text.c_str(), n * sizeof(wchar_t));
            item->pszText[n] = 0;
        }
        if (item->mask & TCIF_IMAGE) item->iImage = tab.image;
        if (item->mask & TCIF_PARAM) item->lParam = tab.param;
        if (item->mask & TCIF_STATE) item->dwState = tab.state & item->dwStateMask;
        return TRUE;
    }
    case TCM_SETITEMW: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        const auto* item = reinterpret_cast<const TCITEMW*>(lParam);
        if (!item || !Valid(t, index)) return FALSE;
        Tab& tab = t.tabs[static_cast<size_t>(index)];
        if (item->mask & TCIF_TEXT) tab.text = item->pszText ? item->pszText : L"";
        if (item->mask & TCIF_IMAGE) tab.image = item->iImage;
        if (item->mask & TCIF_PARAM) tab.param = item->lParam;
        if (item->mask & TCIF_STATE) tab.state = (tab.state & ~item->dwStateMask) | (item->dwState & item->dwStateMask);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TCM_GETCURSEL: return t.sel;
    case TCM_SETCURSEL: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (!Valid(t, index)) return -1;
        int old = t.sel;
        t.sel = index;
        t.focus = index;
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case TCM_GETCURFOCUS: return t.focus;
    case TCM_SETCURFOCUS: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (Valid(t, index)) ChangeTo(t, index);
        return 0;
    }
    case TCM_SETITEMSIZE: {
        int oldW = FixedWidth(t) ? t.fixedWidth : (Count(t) ? ItemRect(t, 0).right - ItemRect(t, 0).left : 0);
        int oldH = RowHeight(t);
        int w = static_cast<int>(static_cast<SHORT>(LOWORD(lParam)));
        int h = static_cast<int>(static_cast<SHORT>(HIWORD(lParam)));
        if (w > 0) t.fixedWidth = w;
        if (h > 0) t.itemHeight = h;
        InvalidateRect(hwnd, nullptr, TRUE);
        return MAKELONG(static_cast<WORD>(oldW), static_cast<WORD>(oldH));
    }
    case TCM_GETITEMRECT: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || !Valid(t, index)) return FALSE;
        t.style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
        *r = ItemRect(t, index);
        return TRUE;
    }
    case TCM_HITTEST: {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
        if (!info) return -1;
        int i = HitTest(t, info->pt);
        info->flags = i >= 0 ? TCHT_ONITEMLABEL : TCHT_NOWHERE;
        return i;
    }
    case TCM_ADJUSTRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r) return 0;
        t.style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
        AdjustRect(t, wParam != 0, r);
        return 0;
    }
    case TCM_SETIMAGELIST: {
        LPARAM old = t.imageList;
        t.imageList = lParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case TCM_GETIMAGELIST: return t.imageList;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterTabControlClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = TabProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = WC_TABCONTROLW;
        RegisterClassW(&wc);
    });
}

} // namespace device::ui::lists
