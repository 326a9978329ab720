// The list box ("LISTBOX") and the combo box's drop-down list ("ComboLBox", the same engine with
// its input routed to the combo), plus the helpers every list control shares.
//
// [SECTION] Shared helpers
// [SECTION] Scroll bar strip
// [SECTION] List state
// [SECTION] Painting
// [SECTION] Input
// [SECTION] Window procedure
// [SECTION] Registration

#include "platform/base/CaseFold.h"
#include "platform/system/DeviceClock.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ListBoxInternal.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace device::ui::lists {

// [SECTION] Shared helpers ----------------------------------------------------------------------

HFONT ControlFont(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

int FontHeight(HFONT font) {
    HDC dc = GetDC(nullptr);
    if (!dc) return 13;
    HGDIOBJ old = SelectObject(dc, ControlFont(font));
    TEXTMETRICW tm{};
    int h = GetTextMetricsW(dc, &tm) ? tm.tmHeight : 13;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return std::max(h, 1);
}

bool NotifyParent(HWND control, int code) {
    HWND parent = GetParent(control);
    if (!parent) return IsWindow(control) != FALSE;
    int id = GetDlgCtrlID(control);
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code)),
                 reinterpret_cast<LPARAM>(control));
    return IsWindow(control) != FALSE;
}

LRESULT NotifyParentNm(HWND control, NMHDR* header, UINT code) {
    header->hwndFrom = control;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    header->code = code;
    HWND parent = GetParent(control);
    if (!parent) return 0;
    return SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

int TypedSearch::Next(wchar_t ch, int current, const Finder& find) {
    const DWORD now = GetTickCount();
    if (now - m_last >= kTypedSearchPause) m_text.clear();
    m_last = now;
    m_text += ch;
    const wchar_t first = ToLowerChar(m_text.front());
    const bool oneLetter =
        std::all_of(m_text.begin(), m_text.end(), [first](wchar_t c) { return ToLowerChar(c) == first; });
    if (oneLetter) return find(current, m_text.substr(0, 1), false);
    const int whole = find(-1, m_text, true);
    return whole >= 0 ? whole : find(-1, m_text, false);
}

// [SECTION] Scroll bar strip --------------------------------------------------------------------

namespace {

int ArrowSize(const RECT& bar) {
    int w = bar.right - bar.left;
    int h = bar.bottom - bar.top;
    return std::min(w, h / 3);
}

void ThumbSpan(const RECT& bar, const ScrollState& s, int* top, int* bottom) {
    int arrow = ArrowSize(bar);
    int trackTop = bar.top + arrow, trackBottom = bar.bottom - arrow;
    int track = std::max(0, trackBottom - trackTop);
    int count = std::max(s.count, 1);
    int page = std::clamp(s.page, 1, count);
    int len = std::max(std::min(track, 8), track * page / count);
    int range = count - page;
    int pos = std::clamp(s.pos, 0, std::max(range, 0));
    int offset = range > 0 ? (track - len) * pos / range : 0;
    *top = trackTop + offset;
    *bottom = *top + len;
}

void DrawArrow(HDC dc, const RECT& r, bool up, bool enabled) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    int cx = (r.left + r.right) / 2;
    int cy = (r.top + r.bottom) / 2;
    int half = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 4);
    POINT pts[3];
    if (up) {
        pts[0] = POINT{cx - half, cy + half / 2};
        pts[1] = POINT{cx + half, cy + half / 2};
        pts[2] = POINT{cx, cy - half / 2 - 1};
    } else {
        pts[0] = POINT{cx - half, cy - half / 2};
        pts[1] = POINT{cx + half, cy - half / 2};
        pts[2] = POINT{cx, cy + half / 2 + 1};
    }
    COLORREF c = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    HBRUSH brush = CreateSolidBrush(c);
    HPEN pen = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ ob = SelectObject(dc, brush);
    HGDIOBJ op = SelectObject(dc, pen);
    Polygon(dc, pts, 3);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(brush);
    DeleteObject(pen);
}

} // namespace

void DrawVScroll(HDC dc, const RECT& bar, const ScrollState& s) {
    if (bar.right <= bar.left || bar.bottom <= bar.top) return;
    FillRect(dc, &bar, GetSysColorBrush(COLOR_SCROLLBAR));
    int arrow = ArrowSize(bar);
    bool scrollable = s.count > s.page;
    DrawArrow(dc, RECT{bar.left, bar.top, bar.right, bar.top + arrow}, true, scrollable && s.pos > 0);
    DrawArrow(dc, RECT{bar.left, bar.bottom - arrow, bar.right, bar.bottom}, false,
              scrollable && s.pos < s.count - s.page);
    if (!scrollable) return;
    int top, bottom;
    ThumbSpan(bar, s, &top, &bottom);
    RECT thumb{bar.left, top, bar.right, bottom};
    FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &thumb, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

int HitVScroll(const RECT& bar, const ScrollState& s, POINT pt, int* thumbPos) {
    int arrow = ArrowSize(bar);
    if (pt.y < bar.top + arrow) return kSbLineUp;
    if (pt.y >= bar.bottom - arrow) return kSbLineDown;
    int top, bottom;
    ThumbSpan(bar, s, &top, &bottom);
    if (pt.y < top) return kSbPageUp;
    if (pt.y >= bottom) return kSbPageDown;
    if (thumbPos) *thumbPos = s.pos;
    return kSbThumbTrack;
}

// [SECTION] List state --------------------------------------------------------------------------

namespace {

struct Item {
    std::wstring text;
    LPARAM data = 0;
};

struct ListBox {
    HWND hwnd = nullptr;
    HWND combo = nullptr;  // the owning combo box when this is a drop-down list
    DWORD style = 0;
    bool wantsScroll = false;  // created with WS_VSCROLL
    bool wantsHScroll = false; // created with WS_HSCROLL: a bar shows while the extent is wider
    int extent = 0;            // LB_SETHORIZONTALEXTENT: the width the items' texts need
    int left = 0;              // pixels scrolled to the left
    std::vector<Item> items;
    int sel = -1;
    int top = 0;
    int itemHeight = 16;
    HFONT font = nullptr;
    bool focused = false;
    bool tracking = false;     // the stylus is down in the list
    bool scrolling = false;    // the stylus is dragging the scroll thumb
    int dragOffset = 0;
    bool redraw = true;
    TypedSearch typed;         // the letters the user is typing to find an item
};

ListBox* State(HWND hwnd) { return reinterpret_cast<ListBox*>(GetWindowLongW(hwnd, 0)); }

bool Sorted(const ListBox& lb) { return (lb.style & LBS_SORT) != 0; }
bool Notifies(const ListBox& lb) { return (lb.style & LBS_NOTIFY) != 0 || lb.combo; }
int Count(const ListBox& lb) { return static_cast<int>(lb.items.size()); }

RECT Client(const ListBox& lb) {
    RECT r{};
    GetClientRect(lb.hwnd, &r);
    return r;
}

int PageSize(const ListBox& lb) {
    RECT r = Client(lb);
    return std::max(1, (r.bottom - r.top) / std::max(lb.itemHeight, 1));
}

int MaxTop(const ListBox& lb) { return std::max(0, Count(lb) - PageSize(lb)); }

void Invalidate(ListBox& lb) {
    if (lb.redraw) InvalidateRect(lb.hwnd, nullptr, TRUE);
}

// Shows the scroll-bar strip only while there is something to scroll (unless the style asks for
// it to stay), and redraws it.
void UpdateScrollBar(ListBox& lb) {
    if (!lb.wantsScroll) return;
    bool need = Count(lb) > PageSize(lb) || (lb.style & LBS_DISABLENOSCROLL);
    DWORD style = static_cast<DWORD>(GetWindowLongW(lb.hwnd, GWL_STYLE));
    bool has = (style & WS_VSCROLL) != 0;
    if (need != has) {
        SetWindowLongW(lb.hwnd, GWL_STYLE, static_cast<LONG_PTR>(need ? (style | WS_VSCROLL) : (style & ~WS_VSCROLL)));
        SetWindowPos(lb.hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        Invalidate(lb);
    }
    if (need && lb.redraw) RedrawWindow(lb.hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

// The horizontal bar: shown while the items' extent is wider than the list (with WS_HSCROLL),
// its thumb where the texts are scrolled to.
int MaxLeft(const ListBox& lb) { return std::max(0, lb.extent - static_cast<int>(Client(lb).right)); }

void UpdateHScrollBar(ListBox& lb) {
    if (!lb.wantsHScroll) return;
    const bool need = lb.extent > Client(lb).right;
    const bool has = (GetWindowLongW(lb.hwnd, GWL_STYLE) & WS_HSCROLL) != 0;
    if (need != has) ShowScrollBar(lb.hwnd, SB_HORZ, need);
    lb.left = std::clamp(lb.left, 0, MaxLeft(lb));
    if (!need) return;
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, lb.extent - 1,
                  static_cast<UINT>(std::max(1, static_cast<int>(Client(lb).right))), lb.left, 0};
    SetScrollInfo(lb.hwnd, SB_HORZ, &si, lb.redraw);
}

void SetLeft(ListBox& lb, int left) {
    left = std::clamp(left, 0, MaxLeft(lb));
    if (left == lb.left) return;
    lb.left = left;
    Invalidate(lb);
    UpdateHScrollBar(lb);
}

void SetTop(ListBox& lb, int top) {
    top = std::clamp(top, 0, MaxTop(lb));
    if (top == lb.top) return;
    lb.top = top;
    Invalidate(lb);
    UpdateScrollBar(lb);
}

void EnsureVisible(ListBox& lb, int index) {
    if (index < 0) return;
    int page = PageSize(lb);
    if (index < lb.top)
        SetTop(lb, index);
    else if (index >= lb.top + page)
        SetTop(lb, index - page + 1);
}

// Selects an item (-1: none) and brings it into view; no notification.
void Select(ListBox& lb, int index) {
    if (index < -1 || index >= Count(lb)) return;
    if (index != lb.sel) {
        lb.sel = index;
        Invalidate(lb);
    }
    EnsureVisible(lb, index);
}

// Where a new text goes in a sorted list: after every item that sorts before or equal to it.
int SortedPosition(const ListBox& lb, const std::wstring& text) {
    auto it = std::upper_bound(lb.items.begin(), lb.items.end(), text, [](const std::wstring& t, const Item& item) {
        return CompareNoCase(t, item.text) < 0;
    });
    return static_cast<int>(it - lb.items.begin());
}

int Insert(ListBox& lb, int index, const wchar_t* text) {
    std::wstring s = text ? text : L"";
    if (index < 0 || index > Count(lb)) index = Count(lb);
    lb.items.insert(lb.items.begin() + index, Item{std::move(s), 0});
    if (lb.sel >= index) ++lb.sel;
    Invalidate(lb);
    UpdateScrollBar(lb);
    return index;
}

int Delete(ListBox& lb, int index) {
    if (index < 0 || index >= Count(lb)) return LB_ERR;
    lb.items.erase(lb.items.begin() + index);
    if (lb.sel == index)
        lb.sel = -1;
    else if (lb.sel > index)
        --lb.sel;
    lb.top = std::clamp(lb.top, 0, MaxTop(lb));
    Invalidate(lb);
    UpdateScrollBar(lb);
    return Count(lb);
}

// Case-blind search starting after `start` (-1: from the first item) and wrapping round to it.
int Find(const ListBox& lb, int start, const wchar_t* text, bool exact) {
    int n = Count(lb);
    if (n == 0 || !text) return LB_ERR;
    std::wstring_view want(text);
    if (start < -1 || start >= n) start = -1;
    for (int k = 1; k <= n; ++k) {
        int i = (start + k) % n;
        const std::wstring& t = lb.items[static_cast<size_t>(i)].text;
        if (exact) {
            if (t.size() == want.size() && EqualNoCase(t, want)) return i;
        } else if (t.size() >= want.size() && EqualNoCase(std::wstring_view(t).substr(0, want.size()), want)) {
            return i;
        }
    }
    return LB_ERR;
}

RECT ItemRect(const ListBox& lb, int index) {
    RECT c = Client(lb);
    int y = (index - lb.top) * lb.itemHeight;
    return RECT{c.left, y, c.right, y + lb.itemHeight};
}

int ItemAt(const ListBox& lb, POINT pt) {
    if (lb.itemHeight <= 0) return -1;
    int row = pt.y >= 0 ? pt.y / lb.itemHeight : -1 - (-pt.y - 1) / lb.itemHeight;
    return lb.top + row;
}

// [SECTION] Painting ----------------------------------------------------------------------------

HWND ColourSource(const ListBox& lb) { return lb.combo ? GetParent(lb.combo) : GetParent(lb.hwnd); }

void Paint(ListBox& lb) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(lb.hwnd, &ps);
    if (!dc) return;
    RECT client = Client(lb);
    HBRUSH bg = GetSysColorBrush(COLOR_WINDOW);
    HWND source = ColourSource(lb);
    if (source) {
        auto b = reinterpret_cast<HBRUSH>(SendMessageW(source, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(lb.combo ? lb.combo : lb.hwnd)));
        if (b) bg = b;
    } else {
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    }
    if (!IsWindow(lb.hwnd)) return;
    COLORREF text = GetTextColor(dc);
    FillRect(dc, &client, bg);
    HGDIOBJ oldFont = SelectObject(dc, ControlFont(lb.font));
    SetBkMode(dc, TRANSPARENT);
    bool ownerDraw = (lb.style & LBS_OWNERDRAWFIXED) && !lb.combo;
    int page = PageSize(lb) + 1;
    for (int i = lb.top; i < std::min(Count(lb), lb.top + page); ++i) {
        RECT r = ItemRect(lb, i);
        if (r.top >= ps.rcPaint.bottom || r.bottom <= ps.rcPaint.top) continue;
        bool selected = i == lb.sel;
        if (ownerDraw) {
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_LISTBOX;
            dis.CtlID = static_cast<UINT>(GetDlgCtrlID(lb.hwnd));
            dis.itemID = static_cast<UINT>(i);
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = (selected ? ODS_SELECTED : 0) | (selected && lb.focused ? ODS_FOCUS : 0);
            dis.hwndItem = lb.hwnd;
            dis.hDC = dc;
            dis.rcItem = r;
            dis.itemData = static_cast<ULONG_PTR>(lb.items[static_cast<size_t>(i)].data);
            SendMessageW(GetParent(lb.hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
            if (!IsWindow(lb.hwnd)) return;
            continue;
        }
        if (selected) {
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        } else {
            SetTextColor(dc, text);
        }
        RECT tr = r;
        tr.left += 2 - lb.left;
        const std::wstring& s = lb.items[static_cast<size_t>(i)].text;
        DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (selected && lb.focused && !lb.combo) DrawFocusRect(dc, &r);
    }
    // Focused with no item chosen (or none to choose): the mark goes round the list itself.
    if (lb.focused && !lb.combo && (lb.sel < 0 || lb.sel >= Count(lb))) {
        RECT whole = client;
        InflateRect(&whole, -1, -1);
        DrawFocusRect(dc, &whole);
    }
    SelectObject(dc, oldFont);
    EndPaint(lb.hwnd, &ps);
}

RECT ScrollStripLocal(const ListBox& lb) {
    // The strip in the window's own coordinates (for GetWindowDC) and in client coordinates.
    RECT wr{}, cr{};
    GetWindowRect(lb.hwnd, &wr);
    GetClientRect(lb.hwnd, &cr);
    POINT origin{0, 0};
    ClientToScreen(lb.hwnd, &origin);
    int left = origin.x - wr.left + cr.right;
    int top = origin.y - wr.top;
    return RECT{left, top, left + GetSystemMetrics(SM_CXVSCROLL), top + cr.bottom};
}

ScrollState Scroll(const ListBox& lb) { return ScrollState{lb.top, PageSize(lb), Count(lb)}; }

void PaintScrollStrip(ListBox& lb) {
    if (!(GetWindowLongW(lb.hwnd, GWL_STYLE) & WS_VSCROLL)) return;
    HDC dc = GetWindowDC(lb.hwnd);
    if (!dc) return;
    DrawVScroll(dc, ScrollStripLocal(lb), Scroll(lb));
    ReleaseDC(lb.hwnd, dc);
}

// [SECTION] Input -------------------------------------------------------------------------------

// Where a scroll-bar code (vertical or horizontal: their codes share values) leads from `pos`:
// a line or a page back or on, the thumb's place, the start or `last`; `pos` for the others.
int ScrollTarget(int code, int pos, int line, int page, int last, int thumb) {
    switch (code) {
    case kSbLineUp: return pos - line;
    case kSbLineDown: return pos + line;
    case kSbPageUp: return pos - page;
    case kSbPageDown: return pos + page;
    case kSbThumbTrack:
    case kSbThumbPosition: return thumb;
    case kSbTop: return 0;
    case kSbBottom: return last;
    default: return pos;
    }
}

// WM_VSCROLL: a line is an item, a page what the list shows.
void ScrollBy(ListBox& lb, int code, int thumb) {
    SetTop(lb, ScrollTarget(code, lb.top, 1, PageSize(lb), MaxTop(lb), thumb));
    if (lb.redraw) RedrawWindow(lb.hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

// WM_HSCROLL: a line is an average character, a page the list's width.
void ScrollSideways(ListBox& lb, int code, int thumb) {
    const int line = std::max(1, lb.itemHeight / 2);
    const int page = std::max(1, static_cast<int>(Client(lb).right));
    SetLeft(lb, ScrollTarget(code, lb.left, line, page, MaxLeft(lb), thumb));
}

// A point of the client coordinates that falls in the scroll-bar strip.
bool InScrollStrip(const ListBox& lb, POINT pt) {
    if (!(GetWindowLongW(lb.hwnd, GWL_STYLE) & WS_VSCROLL)) return false;
    RECT c = Client(lb);
    return pt.x >= c.right && pt.x < c.right + GetSystemMetrics(SM_CXVSCROLL) && pt.y >= 0 && pt.y < c.bottom;
}

RECT StripInClient(const ListBox& lb) {
    RECT c = Client(lb);
    return RECT{c.right, 0, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom};
}

// The user moved the selection: repaint and tell the parent.
void UserSelect(ListBox& lb, int index) {
    if (index < 0 || index >= Count(lb) || index == lb.sel) {
        if (index >= 0 && index < Count(lb)) EnsureVisible(lb, index);
        return;
    }
    Select(lb, index);
    if (Notifies(lb) && !lb.combo) NotifyParent(lb.hwnd, LBN_SELCHANGE);
}

void ThumbDrag(ListBox& lb, POINT pt) {
    RECT bar = StripInClient(lb);
    ScrollState s = Scroll(lb);
    int arrow = std::min(bar.right - bar.left, (bar.bottom - bar.top) / 3);
    int track = (bar.bottom - bar.top) - 2 * arrow;
    int range = s.count - s.page;
    if (track <= 0 || range <= 0) return;
    int y = pt.y - bar.top - arrow - lb.dragOffset;
    int len = std::max(std::min(track, 8), track * s.page / std::max(s.count, 1));
    int free = std::max(1, track - len);
    ScrollBy(lb, kSbThumbTrack, std::clamp((y * range + free / 2) / free, 0, range));
}

LRESULT ButtonDown(ListBox& lb, POINT pt, bool dbl) {
    if (InScrollStrip(lb, pt)) {
        int thumb = 0;
        int code = HitVScroll(StripInClient(lb), Scroll(lb), pt, &thumb);
        if (code == kSbThumbTrack) {
            int top, bottom;
            ThumbSpan(StripInClient(lb), Scroll(lb), &top, &bottom);
            lb.scrolling = true;
            lb.dragOffset = pt.y - top;
            if (!lb.combo) SetCapture(lb.hwnd);
        } else {
            ScrollBy(lb, code, thumb);
        }
        return 0;
    }
    RECT c = Client(lb);
    bool inside = pt.x >= c.left && pt.x < c.right && pt.y >= c.top && pt.y < c.bottom;
    if (lb.combo) {
        if (!inside) {
            SendMessageW(lb.combo, kListCancelled, 0, 0);
            return 0;
        }
        lb.tracking = true;
        int i = ItemAt(lb, pt);
        if (i >= 0 && i < Count(lb)) Select(lb, i);
        return 0;
    }
    if (!lb.focused) SetFocus(lb.hwnd);
    if (!IsWindow(lb.hwnd)) return 0;
    if (!inside) return 0;
    int i = ItemAt(lb, pt);
    if (dbl) {
        if (i >= 0 && i < Count(lb) && Notifies(lb)) NotifyParent(lb.hwnd, LBN_DBLCLK);
        return 0;
    }
    lb.tracking = true;
    SetCapture(lb.hwnd);
    UserSelect(lb, i);
    return 0;
}

void MouseMove(ListBox& lb, POINT pt, bool down) {
    if (lb.scrolling) {
        ThumbDrag(lb, pt);
        return;
    }
    if (lb.combo && down && !lb.tracking) {
        RECT c = Client(lb);
        if (pt.x >= c.left && pt.x < c.right && pt.y >= c.top && pt.y < c.bottom) lb.tracking = true;
    }
    if (!lb.tracking) return;
    int i = std::clamp(ItemAt(lb, pt), 0, std::max(Count(lb) - 1, 0));
    if (Count(lb) == 0) return;
    if (lb.combo)
        Select(lb, i);
    else
        UserSelect(lb, i);
}

void ButtonUp(ListBox& lb, POINT pt) {
    if (lb.scrolling) {
        lb.scrolling = false;
        if (!lb.combo && GetCapture() == lb.hwnd) ReleaseCapture();
        return;
    }
    if (!lb.tracking) return;
    lb.tracking = false;
    if (lb.combo) {
        RECT c = Client(lb);
        bool inside = pt.x >= c.left && pt.x < c.right && pt.y >= c.top && pt.y < c.bottom;
        int i = inside ? ItemAt(lb, pt) : -1;
        if (i >= Count(lb)) i = -1;
        if (inside) SendMessageW(lb.combo, kListPicked, static_cast<WPARAM>(i), 0);
        return;
    }
    if (GetCapture() == lb.hwnd) ReleaseCapture();
}

// Arrow, page and first-letter keys: the index they lead to, or -2 when the key is not ours.
int KeyTarget(const ListBox& lb, UINT vk) {
    int n = Count(lb);
    if (n == 0) return -2;
    int cur = lb.sel;
    int page = PageSize(lb);
    switch (vk) {
    case VK_UP: return cur < 0 ? 0 : std::max(cur - 1, 0);
    case VK_DOWN: return cur < 0 ? 0 : std::min(cur + 1, n - 1);
    case VK_PRIOR: return cur < 0 ? 0 : std::max(cur - (page - 1 > 0 ? page - 1 : 1), 0);
    case VK_NEXT: return cur < 0 ? 0 : std::min(cur + (page - 1 > 0 ? page - 1 : 1), n - 1);
    case VK_HOME: return 0;
    case VK_END: return n - 1;
    default: return -2;
    }
}

// [SECTION] Window procedure --------------------------------------------------------------------

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ListBox* lbp = State(hwnd);
    if (!lbp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            auto* lb = new ListBox;
            lb->hwnd = hwnd;
            lb->style = static_cast<DWORD>(cs->style);
            lb->wantsScroll = (cs->style & WS_VSCROLL) != 0;
            lb->wantsHScroll = (cs->style & WS_HSCROLL) != 0;
            // The horizontal bar waits for an extent wider than the list.
            if (lb->wantsHScroll)
                SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(static_cast<DWORD>(cs->style) & ~WS_HSCROLL));
            if (cs->lpCreateParams && cs->lpszClass && !IS_INTRESOURCE(cs->lpszClass) &&
                EqualNoCase(cs->lpszClass, WC_COMBOLBOXW) && IsWindow(static_cast<HWND>(cs->lpCreateParams)))
                lb->combo = static_cast<HWND>(cs->lpCreateParams);
            lb->itemHeight = FontHeight(nullptr) + 3;
            SetWindowLongW(hwnd, 0, reinterpret_cast<LONG_PTR>(lb));
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    ListBox& lb = *lbp;
    switch (msg) {
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        // Without LBS_NOINTEGRALHEIGHT the box shows whole items only.
        if (!lb.combo && !(lb.style & LBS_NOINTEGRALHEIGHT)) {
            RECT wr{0, 0, cs->cx, cs->cy};
            RECT cr{};
            GetClientRect(hwnd, &cr);
            int extra = cr.bottom % lb.itemHeight;
            if (extra > 0 && cr.bottom > lb.itemHeight)
                SetWindowPos(hwnd, nullptr, 0, 0, wr.right, wr.bottom - extra,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        UpdateScrollBar(lb);
        return 0;
    }
    case WM_NCDESTROY:
        SetWindowLongW(hwnd, 0, 0);
        delete lbp;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SIZE:
        // A list made smaller (a raised input panel) keeps its selection in view.
        lb.top = std::clamp(lb.top, 0, MaxTop(lb));
        EnsureVisible(lb, lb.sel);
        UpdateScrollBar(lb);
        UpdateHScrollBar(lb);
        Invalidate(lb);
        return 0;
    case WM_SETFONT:
        lb.font = reinterpret_cast<HFONT>(wParam);
        lb.itemHeight = FontHeight(lb.font) + 3;
        if (LOWORD(lParam)) Invalidate(lb);
        UpdateScrollBar(lb);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(lb.font);
    case WM_SETREDRAW:
        lb.redraw = wParam != 0;
        if (lb.redraw) {
            UpdateScrollBar(lb);
            Invalidate(lb);
        }
        return 0;
    case WM_PAINT: Paint(lb); return 0;
    case WM_ERASEBKGND: return 1;  // the paint fills the background itself
    case WM_NCPAINT:
        DefWindowProcW(hwnd, msg, wParam, lParam);
        PaintScrollStrip(lb);
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
        lb.focused = true;
        lb.typed.Reset();
        Invalidate(lb);
        if (Notifies(lb) && !lb.combo) NotifyParent(hwnd, LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        lb.focused = false;
        Invalidate(lb);
        if (Notifies(lb) && !lb.combo) NotifyParent(hwnd, LBN_KILLFOCUS);
        return 0;
    case WM_MOUSEACTIVATE: return lb.combo ? MA_NOACTIVATE : DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return ButtonDown(lb, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)},
                          msg == WM_LBUTTONDBLCLK && !lb.combo);
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
        // A tap on the vertical strip comes as a non-client tap: the strip is the list's own (it
        // knows the top item and the page), not the window's default bar. The horizontal bar is
        // the window's, kept in step with the sideways scroll.
        if (wParam != HTVSCROLL) return DefWindowProcW(hwnd, msg, wParam, lParam);
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hwnd, &pt);
        return ButtonDown(lb, pt, false);
    }
    case WM_MOUSEMOVE:
        // A drag begun on the horizontal bar belongs to the bar until the stylus lifts.
        if (WindowScrollBarMouse(hwnd, msg, wParam, lParam)) return 0;
        MouseMove(lb, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, (wParam & MK_LBUTTON) != 0);
        return 0;
    case WM_LBUTTONUP:
        if (WindowScrollBarMouse(hwnd, msg, wParam, lParam)) return 0;
        ButtonUp(lb, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CAPTURECHANGED:
        if (!lb.combo) {
            lb.tracking = false;
            lb.scrolling = false;
        }
        return 0;
    case WM_KEYDOWN: {
        if (lb.combo) return SendMessageW(lb.combo, kListKey, wParam, lParam);
        // Left and Right scroll a list wider than its box sideways.
        if ((wParam == VK_LEFT || wParam == VK_RIGHT) && MaxLeft(lb) > 0) {
            ScrollSideways(lb, wParam == VK_LEFT ? SB_LINELEFT : SB_LINERIGHT, 0);
            return 0;
        }
        int target = KeyTarget(lb, static_cast<UINT>(wParam));
        if (target == -2) return 0;
        lb.typed.Reset();
        if (target >= 0) UserSelect(lb, target);
        return 0;
    }
    case WM_CHAR: {
        if (lb.combo) return 0;
        WCHAR ch = static_cast<WCHAR>(wParam);
        if (ch < L' ') return 0;
        int i = lb.typed.Next(ch, lb.sel, [&lb](int start, const std::wstring& text, bool exact) {
            return Find(lb, start, text.c_str(), exact);
        });
        if (i >= 0) UserSelect(lb, i);
        return 0;
    }
    case WM_VSCROLL: ScrollBy(lb, LOWORD(wParam), static_cast<SHORT>(HIWORD(wParam))); return 0;
    case WM_HSCROLL: ScrollSideways(lb, LOWORD(wParam), static_cast<SHORT>(HIWORD(wParam))); return 0;
    case LB_GETHORIZONTALEXTENT: return lb.extent;
    case LB_SETHORIZONTALEXTENT:
        lb.extent = std::max(0, static_cast<int>(static_cast<INT_PTR>(wParam)));
        UpdateHScrollBar(lb);
        Invalidate(lb);
        return 0;

    case LB_ADDSTRING: {
        const auto* text = reinterpret_cast<const wchar_t*>(lParam);
        std::wstring s = text ? text : L"";
        return Insert(lb, Sorted(lb) ? SortedPosition(lb, s) : Count(lb), s.c_str());
    }
    case LB_INSERTSTRING: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (index < -1 || index > Count(lb)) return LB_ERR;
        return Insert(lb, index == -1 ? Count(lb) : index, reinterpret_cast<const wchar_t*>(lParam));
    }
    case LB_DELETESTRING: return Delete(lb, static_cast<int>(static_cast<INT_PTR>(wParam)));
    case LB_RESETCONTENT:
        lb.items.clear();
        lb.sel = -1;
        lb.top = 0;
        Invalidate(lb);
        UpdateScrollBar(lb);
        return 0;
    case LB_GETCOUNT: return Count(lb);
    case LB_GETCURSEL:
    case LB_GETCARETINDEX: return lb.sel;
    case LB_SETCURSEL:
    case LB_SETCARETINDEX: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (index == -1) {
            Select(lb, -1);
            return LB_ERR;  // the device answers LB_ERR for a cleared selection too
        }
        if (index < 0 || index >= Count(lb)) return LB_ERR;
        Select(lb, index);
        return index;
    }
    case LB_GETSEL: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (index < 0 || index >= Count(lb)) return LB_ERR;
        return index == lb.sel ? 1 : 0;
    }
    case LB_GETSELCOUNT: return LB_ERR;  // single-selection lists have no count
    case LB_GETTEXT: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (index < 0 || index >= Count(lb) || !lParam) return LB_ERR;
        const std::wstring& s = lb.items[static_cast<size_t>(index)].text;
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        std::memcpy(out, s.c_str(), (s.size() + 1) * sizeof(wchar_t));
        return static_cast<LRESULT>(s.size());
    }
    case LB_GETTEXTLEN: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (index < 0 || index >= Count(lb)) return LB_ERR;
        return static_cast<LRESULT>(lb.items[static_cast<size_t>(index)].text.size());
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
        return Find(lb, static_cast<int>(static_cast<INT_PTR>(wParam)), reinterpret_cast<const wchar_t*>(lParam),
                    msg == LB_FINDSTRINGEXACT);
    case LB_SELECTSTRING: {
        int i = Find(lb, static_cast<int>(static_cast<INT_PTR>(wParam)), reinterpret_cast<const wchar_t*>(lParam), false);
        if (i >= 0) Select(lb, i);
        return i;
    }
    case LB_GETITEMDATA: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (index < 0 || index >= Count(lb)) return LB_ERR;
        return lb.items[static_cast<size_t>(index)].data;
    }
    case LB_SETITEMDATA: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (index < 0 || index >= Count(lb)) return LB_ERR;
        lb.items[static_cast<size_t>(index)].data = lParam;
        return 0;
    }
    case LB_GETTOPINDEX: return lb.top;
    case LB_SETTOPINDEX: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (index < 0 || (index >= Count(lb) && Count(lb) > 0) || (Count(lb) == 0 && index > 0)) return LB_ERR;
        SetTop(lb, index);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
        return 0;
    }
    case LB_GETITEMRECT: {
        int index = static_cast<int>(static_cast<INT_PTR>(wParam));
        if (!lParam || index < 0 || (index >= Count(lb) && !(index == 0 && Count(lb) == 0))) return LB_ERR;
        *reinterpret_cast<RECT*>(lParam) = ItemRect(lb, index);
        return 1;
    }
    case LB_ITEMFROMPOINT: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT c = Client(lb);
        bool outside = pt.x < c.left || pt.x >= c.right || pt.y < c.top || pt.y >= c.bottom;
        int n = Count(lb);
        if (n == 0) return MAKELONG(0, 1);
        int i = ItemAt(lb, pt);
        if (i < 0 || i >= n) outside = true;
        i = std::clamp(i, 0, n - 1);
        return MAKELONG(static_cast<WORD>(i), outside ? 1 : 0);
    }
    case LB_GETITEMHEIGHT: return lb.itemHeight;
    case LB_SETITEMHEIGHT: {
        int h = static_cast<int>(LOWORD(lParam));
        if (h <= 0 || h > 255) return LB_ERR;
        lb.itemHeight = h;
        lb.top = std::clamp(lb.top, 0, MaxTop(lb));
        Invalidate(lb);
        UpdateScrollBar(lb);
        return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

// [SECTION] Registration ------------------------------------------------------------------------

void RegisterListBoxClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = ListBoxProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = WC_LISTBOXW;
        RegisterClassW(&wc);
        wc.style = CS_GLOBALCLASS;
        wc.lpszClassName = WC_COMBOLBOXW;
        RegisterClassW(&wc);
    });
}

} // namespace device::ui::lists

namespace device::ui {

void RegisterListControlClasses() {
    lists::RegisterListBoxClasses();
    lists::RegisterComboBoxClass();
    lists::RegisterTabControlClass();
    lists::RegisterDateTimeClasses();
}

} // namespace device::ui
