// "SysListView32": the list view control.
//
// [SECTION] State table and notifications
// [SECTION] Metrics and geometry
// [SECTION] Item rectangles and hit testing
// [SECTION] Scrolling
// [SECTION] Item state changes
// [SECTION] Items
// [SECTION] Columns
// [SECTION] Finding and sorting
// [SECTION] Painting
// [SECTION] Stylus and keys
// [SECTION] Window procedure and registration
//
// Every notification may re-enter the control (a parent that deletes items inside LVN_DELETEITEM,
// sorts inside LVN_ITEMCHANGED, or destroys the window): items are held by shared pointers and
// looked up again after each notification, and the state itself stays alive while a message is
// being handled.

#include "platform/base/CaseFold.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ListBoxInternal.h"
#include "platform/ui/ListView.h"
#include "platform/ui/ListViewState.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <unordered_map>

namespace device::ui {

void RegisterHeaderClass();

namespace {

using lv::Axis;
using lv::Column;
using lv::Drag;
using lv::Geometry;
using lv::Item;
using lv::ItemPtr;
using lv::State;

constexpr int kStateSlot = 16;  // width of the check-box column
constexpr int kCheckBox = 13;   // side of the drawn check box
constexpr int kLabelPad = 2;

// [SECTION] State table and notifications ------------------------------------------------------

std::mutex g_lock;
std::unordered_map<HWND, std::shared_ptr<State>>& States() {
    static std::unordered_map<HWND, std::shared_ptr<State>> states;
    return states;
}
std::shared_ptr<State> Find(HWND hwnd) {
    std::lock_guard lock(g_lock);
    auto it = States().find(hwnd);
    return it == States().end() ? nullptr : it->second;
}

DWORD Style(const State& s) { return static_cast<DWORD>(GetWindowLongW(s.hwnd, GWL_STYLE)); }
DWORD View(const State& s) {
    DWORD v = Style(s) & LVS_TYPEMASK;
    return v == LVS_SMALLICON ? LVS_LIST : v;
}
bool HasChecks(const State& s) { return (s.exStyle & LVS_EX_CHECKBOXES) || s.images[LVSIL_STATE]; }

LRESULT Notify(const State& s, NMHDR& hdr, UINT code) {
    HWND parent = GetParent(s.hwnd);
    if (!parent) return 0;
    hdr.hwndFrom = s.hwnd;
    hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(s.hwnd));
    hdr.code = code;
    return SendMessageW(parent, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

LRESULT NotifyItem(const State& s, UINT code, int item, int sub, UINT newState, UINT oldState, UINT changed,
                   LPARAM lParam) {
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.iSubItem = sub;
    nm.uNewState = newState;
    nm.uOldState = oldState;
    nm.uChanged = changed;
    nm.lParam = lParam;
    return Notify(s, nm.hdr, code);
}

// Index of an item after a notification (it may have moved or gone): -1 when gone.
int IndexOf(const State& s, const ItemPtr& item, int hint) {
    if (hint >= 0 && hint < static_cast<int>(s.items.size()) && s.items[static_cast<size_t>(hint)] == item)
        return hint;
    for (size_t i = 0; i < s.items.size(); ++i)
        if (s.items[i] == item) return static_cast<int>(i);
    return -1;
}

bool ValidIndex(const State& s, int i) { return i >= 0 && i < static_cast<int>(s.items.size()); }

void CopyOut(const std::wstring& text, LPWSTR buffer, int max, int* copied = nullptr) {
    if (copied) *copied = 0;
    if (!buffer || max <= 0) return;
    size_t n = std::min(text.size(), static_cast<size_t>(max - 1));
    std::copy_n(text.data(), n, buffer);
    buffer[n] = 0;
    if (copied) *copied = static_cast<int>(n);
}

// [SECTION] Metrics and geometry ---------------------------------------------------------------

// Image lists belong to the caller (the control never destroys them); one that was destroyed
// while still set measures 0 x 0 and draws nothing.
SIZE ImageSize(HIMAGELIST list) {
    int cx = 0, cy = 0;
    if (list && ImageList_GetIconSize(list, &cx, &cy)) return SIZE{cx, cy};
    return SIZE{0, 0};
}

SIZE StateImageSize(const State& s) {
    if (s.images[LVSIL_STATE]) {
        SIZE sz = ImageSize(s.images[LVSIL_STATE]);
        if (sz.cx > 0) return sz;
    }
    return SIZE{kCheckBox, kCheckBox};
}

HFONT FontOf(const State& s) {
    return s.font ? s.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void MeasureFont(State& s) {
    HDC dc = GetDC(s.hwnd);
    HGDIOBJ old = SelectObject(dc, FontOf(s));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(s.hwnd, dc);
    s.textHeight = std::max(1, static_cast<int>(tm.tmHeight));
    s.autoListWidth = -1;
}

int TextWidth(const State& s, const std::wstring& text) {
    if (text.empty()) return 0;
    HDC dc = GetDC(s.hwnd);
    HGDIOBJ old = SelectObject(dc, FontOf(s));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(s.hwnd, dc);
    return size.cx;
}

int RowHeight(const State& s) {
    int h = s.textHeight + 3;
    if (s.images[LVSIL_SMALL]) h = std::max(h, static_cast<int>(ImageSize(s.images[LVSIL_SMALL]).cy) + 1);
    if (HasChecks(s)) h = std::max(h, static_cast<int>(StateImageSize(s).cy) + 2);
    return h;
}

// Width of the part of column 0 (or a list cell) in front of the label.
int LeadWidth(const State& s) {
    int w = 0;
    if (HasChecks(s)) w += std::max(kStateSlot, static_cast<int>(StateImageSize(s).cx) + 3);
    if (s.images[LVSIL_SMALL]) w += ImageSize(s.images[LVSIL_SMALL]).cx + 2;
    return w;
}

int ListColumnWidth(State& s) {
    if (s.listColumnWidth > 0) return s.listColumnWidth;
    if (s.autoListWidth < 0) {
        int widest = 0;
        HDC dc = GetDC(s.hwnd);
        HGDIOBJ old = SelectObject(dc, FontOf(s));
        for (const ItemPtr& item : s.items) {
            SIZE size{};
            if (!item->text.empty())
                GetTextExtentPoint32W(dc, item->text.c_str(), static_cast<int>(item->text.size()), &size);
            widest = std::max(widest, static_cast<int>(size.cx));
        }
        SelectObject(dc, old);
        ReleaseDC(s.hwnd, dc);
        s.autoListWidth = widest;
    }
    return std::max(40, s.autoListWidth + LeadWidth(s) + 2 * kLabelPad + 4);
}

SIZE IconCell(const State& s) {
    SIZE icon = ImageSize(s.images[LVSIL_NORMAL]);
    int cx = s.iconSpacingX > 0 ? s.iconSpacingX : std::max(56, static_cast<int>(icon.cx) + 24);
    int cy = s.iconSpacingY > 0 ? s.iconSpacingY : static_cast<int>(icon.cy) + 2 * s.textHeight + 10;
    return SIZE{std::max(1, cx), std::max(1, cy)};
}

int TotalColumnWidth(const State& s) {
    int w = 0;
    for (const Column& c : s.columns) w += c.width;
    return w;
}

Geometry Layout(State& s) {
    Geometry g;
    GetClientRect(s.hwnd, &g.client);
    const int sbw = GetSystemMetrics(SM_CXVSCROLL);
    const int sbh = GetSystemMetrics(SM_CYHSCROLL);
    const int cw = g.client.right, ch = g.client.bottom;
    const int n = static_cast<int>(s.items.size());
    const DWORD view = View(s);
    const bool noScroll = (Style(s) & LVS_NOSCROLL) != 0;
    g.rowHeight = RowHeight(s);
    if (view == LVS_REPORT && s.header && IsWindowVisible(s.header)) g.headerHeight = HeaderHeightForFont(s.font);
    // Decide the bars twice: one bar can make room short enough to need the other.
    for (int pass = 0; pass < 2; ++pass) {
        int w = cw - (g.vbar ? sbw : 0);
        int h = ch - g.headerHeight - (g.hbar ? sbh : 0);
        if (view == LVS_REPORT) {
            g.vbar = !noScroll && n * g.rowHeight > h;
            g.hbar = !noScroll && TotalColumnWidth(s) > w;
        } else if (view == LVS_LIST) {
            g.listColumnWidth = ListColumnWidth(s);
            g.rowsPerColumn = std::max(1, h / g.rowHeight);
            int cols = (n + g.rowsPerColumn - 1) / g.rowsPerColumn;
            g.hbar = !noScroll && cols * g.listColumnWidth > w;
            g.vbar = false;
        } else {
            SIZE cell = IconCell(s);
            g.cellX = cell.cx;
            g.cellY = cell.cy;
            g.perRow = std::max(1, w / cell.cx);
            int rows = (n + g.perRow - 1) / g.perRow;
            g.vbar = !noScroll && rows * cell.cy > h;
            g.hbar = false;
        }
    }
    g.area = RECT{0, g.headerHeight, std::max(0, cw - (g.vbar ? sbw : 0)), std::max(g.headerHeight, ch - (g.hbar ? sbh : 0))};
    const int aw = g.area.right - g.area.left, ah = g.area.bottom - g.area.top;
    if (view == LVS_REPORT) {
        g.v = Axis{n, std::max(1, ah / g.rowHeight), s.top};
        g.h = Axis{TotalColumnWidth(s), aw, s.scrollX};
    } else if (view == LVS_LIST) {
        int cols = (n + g.rowsPerColumn - 1) / g.rowsPerColumn;
        g.h = Axis{cols, std::max(1, aw / g.listColumnWidth), s.top};
        g.v = Axis{0, 0, 0};
    } else {
        int rows = (n + g.perRow - 1) / g.perRow;
        g.v = Axis{rows * g.cellY, ah, s.scrollY};
        g.h = Axis{0, 0, 0};
    }
    return g;
}

// Keeps scroll positions inside their ranges (after deletions, resizing, view changes).
void ClampScroll(State& s, const Geometry& g) {
    DWORD view = View(s);
    if (view == LVS_REPORT) {
        s.top = std::clamp(s.top, 0, g.v.Max());
        s.scrollX = std::clamp(s.scrollX, 0, g.h.Max());
    } else if (view == LVS_LIST) {
        s.top = std::clamp(s.top, 0, g.h.Max());
    } else {
        s.scrollY = std::clamp(s.scrollY, 0, g.v.Max());
    }
}

void PlaceHeader(State& s) {
    if (!s.header) return;
    bool show = View(s) == LVS_REPORT && !(Style(s) & LVS_NOCOLUMNHEADER);
    RECT client;
    GetClientRect(s.hwnd, &client);
    if (show) {
        Geometry g = Layout(s);
        int height = HeaderHeightForFont(s.font);
        int width = std::max(static_cast<int>(g.area.right), TotalColumnWidth(s) + s.scrollX);
        SetWindowPos(s.header, nullptr, -s.scrollX, 0, width + s.scrollX, height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        (void)client;
    } else if (IsWindowVisible(s.header)) {
        ShowWindow(s.header, SW_HIDE);
    }
}

void Relayout(State& s) {
    Geometry g = Layout(s);
    ClampScroll(s, g);
    PlaceHeader(s);
    InvalidateRect(s.hwnd, nullptr, TRUE);
}

// [SECTION] Item rectangles and hit testing -----------------------------------------------------

struct ItemParts {
    RECT bounds{};
    RECT state{};   // check box slot (empty without check boxes)
    RECT icon{};
    RECT label{};
};

// Splits a row cell (report column 0 or a list cell) into check box, small icon and label.
void SplitCell(const State& s, const RECT& cell, ItemParts& p) {
    int x = cell.left;
    p.state = RECT{x, cell.top, x, cell.bottom};
    if (HasChecks(s)) {
        int w = std::max(kStateSlot, static_cast<int>(StateImageSize(s).cx) + 3);
        p.state.right = x + w;
        x += w;
    }
    p.icon = RECT{x, cell.top, x, cell.bottom};
    if (s.images[LVSIL_SMALL]) {
        SIZE sz = ImageSize(s.images[LVSIL_SMALL]);
        p.icon.right = x + sz.cx;
        x += sz.cx + 2;
    }
    p.label = RECT{x, cell.top, std::max(x, static_cast<int>(cell.right)), cell.bottom};
}

ItemParts PartsOf(State& s, const Geometry& g, int index) {
    ItemParts p;
    const DWORD view = View(s);
    if (view == LVS_REPORT) {
        int y = g.area.top + (index - s.top) * g.rowHeight;
        int x = g.area.left - s.scrollX;
        int w0 = s.columns.empty() ? std::max(0, static_cast<int>(g.area.right - g.area.left)) : s.columns[0].width;
        RECT cell{x, y, x + w0, y + g.rowHeight};
        SplitCell(s, cell, p);
        p.bounds = RECT{x, y, x + std::max(w0, TotalColumnWidth(s)), y + g.rowHeight};
    } else if (view == LVS_LIST) {
        int col = index / g.rowsPerColumn, row = index % g.rowsPerColumn;
        int x = g.area.left + (col - s.top) * g.listColumnWidth;
        int y = g.area.top + row * g.rowHeight;
        RECT cell{x, y, x + g.listColumnWidth, y + g.rowHeight};
        SplitCell(s, cell, p);
        p.bounds = cell;
    } else {
        int col = index % g.perRow, row = index / g.perRow;
        int x = g.area.left + col * g.cellX;
        int y = g.area.top + row * g.cellY - s.scrollY;
        SIZE icon = ImageSize(s.images[LVSIL_NORMAL]);
        int il = x + (g.cellX - icon.cx) / 2;
        p.icon = RECT{il, y + 2, il + icon.cx, y + 2 + icon.cy};
        if (HasChecks(s)) {
            SIZE st = StateImageSize(s);
            p.state = RECT{il - st.cx - 1, p.icon.bottom - st.cy, il - 1, p.icon.bottom};
        } else {
            p.state = RECT{il, p.icon.top, il, p.icon.top};
        }
        const std::wstring& text = s.items[static_cast<size_t>(index)]->text;
        int lines = text.empty() ? 1 : std::min(2, 1 + TextWidth(s, text) / std::max(1, g.cellX - 4));
        p.label = RECT{x + 1, p.icon.bottom + 2, x + g.cellX - 1, p.icon.bottom + 2 + lines * s.textHeight};
        UnionRect(&p.bounds, &p.icon, &p.label);
        if (p.state.right > p.state.left) UnionRect(&p.bounds, &p.bounds, &p.state);
    }
    return p;
}

// Column rectangle of a report row (sub-item rectangle).
RECT SubItemRect(const State& s, const Geometry& g, int index, int column) {
    int x = g.area.left - s.scrollX;
    for (int c = 0; c < column; ++c) x += s.columns[static_cast<size_t>(c)].width;
    int y = g.area.top + (index - s.top) * g.rowHeight;
    return RECT{x, y, x + s.columns[static_cast<size_t>(column)].width, y + g.rowHeight};
}

// Items that may show in the area: [first, last).
void VisibleRange(State& s, const Geometry& g, int& first, int& last) {
    const int n = static_cast<int>(s.items.size());
    const DWORD view = View(s);
    if (view == LVS_REPORT) {
        first = s.top;
        last = s.top + (g.area.bottom - g.area.top) / g.rowHeight + 2;
    } else if (view == LVS_LIST) {
        first = s.top * g.rowsPerColumn;
        last = first + (g.h.page + 2) * g.rowsPerColumn;
    } else {
        first = (s.scrollY / g.cellY) * g.perRow;
        last = first + ((g.area.bottom - g.area.top) / g.cellY + 2) * g.perRow;
    }
    first = std::clamp(first, 0, n);
    last = std::clamp(last, first, n);
}

struct Hit {
    int item = -1;
    int sub = 0;
    UINT flags = LVHT_NOWHERE;
};

Hit HitTest(State& s, POINT pt) {
    Hit hit;
    Geometry g = Layout(s);
    if (!PtInRect(&g.area, pt)) {
        if (pt.y >= g.area.bottom) hit.flags = LVHT_BELOW;
        else if (pt.x >= g.area.right) hit.flags = LVHT_TORIGHT;
        return hit;
    }
    int first = 0, last = 0;
    VisibleRange(s, g, first, last);
    const bool report = View(s) == LVS_REPORT;
    const bool fullRow = report && (s.exStyle & LVS_EX_FULLROWSELECT);
    if (View(s) == LVS_ICON) {
        // Icons first: with a tight row spacing a label reaches into the icons of the row below,
        // and a tap on an icon means that icon.
        for (int i = first; i < last; ++i) {
            ItemParts p = PartsOf(s, g, i);
            if (PtInRect(&p.state, pt)) hit.flags = LVHT_ONITEMSTATEICON;
            else if (PtInRect(&p.icon, pt)) hit.flags = LVHT_ONITEMICON;
            else continue;
            hit.item = i;
            return hit;
        }
    }
    for (int i = first; i < last; ++i) {
        ItemParts p = PartsOf(s, g, i);
        if (!PtInRect(&p.bounds, pt)) continue;
        UINT flags = 0;
        if (PtInRect(&p.state, pt)) flags = LVHT_ONITEMSTATEICON;
        else if (PtInRect(&p.icon, pt)) flags = LVHT_ONITEMICON;
        else if (PtInRect(&p.label, pt)) flags = LVHT_ONITEMLABEL;
        else if (fullRow) flags = LVHT_ONITEMLABEL;
        if (!flags) continue;
        hit.item = i;
        hit.flags = flags;
        if (report) {
            int x = g.area.left - s.scrollX;
            for (size_t c = 0; c < s.columns.size(); ++c) {
                if (pt.x >= x && pt.x < x + s.columns[c].width) {
                    hit.sub = static_cast<int>(c);
                    break;
                }
                x += s.columns[c].width;
            }
        }
        return hit;
    }
    return hit;
}

// [SECTION] Scrolling ---------------------------------------------------------------------------

void SetScroll(State& s, bool vertical, int pos) {
    Geometry g = Layout(s);
    const DWORD view = View(s);
    const Axis& a = vertical ? g.v : g.h;
    pos = std::clamp(pos, 0, a.Max());
    int* target = nullptr;
    if (view == LVS_REPORT) target = vertical ? &s.top : &s.scrollX;
    else if (view == LVS_LIST) target = vertical ? nullptr : &s.top;
    else target = vertical ? &s.scrollY : nullptr;
    if (!target || *target == pos) return;
    *target = pos;
    if (view == LVS_REPORT && !vertical) PlaceHeader(s);
    InvalidateRect(s.hwnd, nullptr, TRUE);
}

void EnsureVisible(State& s, int index, bool partialOk) {
    if (!ValidIndex(s, index)) return;
    Geometry g = Layout(s);
    const DWORD view = View(s);
    if (view == LVS_REPORT) {
        int rows = std::max(1, (g.area.bottom - g.area.top) / g.rowHeight);
        int partialRows = (g.area.bottom - g.area.top + g.rowHeight - 1) / g.rowHeight;
        int pos = s.top;
        if (index < pos) pos = index;
        else if (index >= pos + (partialOk ? partialRows : rows)) pos = index - rows + 1;
        SetScroll(s, true, pos);
    } else if (view == LVS_LIST) {
        int col = index / g.rowsPerColumn;
        int cols = std::max(1, (g.area.right - g.area.left) / g.listColumnWidth);
        int pos = s.top;
        if (col < pos) pos = col;
        else if (col >= pos + cols) pos = col - cols + 1;
        SetScroll(s, false, pos);
    } else {
        ItemParts p = PartsOf(s, g, index);
        int top = p.bounds.top - g.area.top + s.scrollY;
        int bottom = p.bounds.bottom - g.area.top + s.scrollY;
        int height = g.area.bottom - g.area.top;
        int pos = s.scrollY;
        if (top < pos) pos = top;
        else if (bottom > pos + height) pos = partialOk && top < pos + height ? pos : bottom - height;
        SetScroll(s, true, pos);
    }
}

// LVM_SCROLL: pixels; report rows and list columns move by whole steps.
void ScrollBy(State& s, int dx, int dy) {
    Geometry g = Layout(s);
    const DWORD view = View(s);
    if (view == LVS_REPORT) {
        if (dy) SetScroll(s, true, s.top + (dy > 0 ? (dy + g.rowHeight - 1) / g.rowHeight : -((-dy + g.rowHeight - 1) / g.rowHeight)));
        if (dx) SetScroll(s, false, s.scrollX + dx);
    } else if (view == LVS_LIST) {
        int w = g.listColumnWidth;
        if (dx) SetScroll(s, false, s.top + (dx > 0 ? (dx + w - 1) / w : -((-dx + w - 1) / w)));
    } else {
        if (dy) SetScroll(s, true, s.scrollY + dy);
    }
}

// Scroll bar rectangles and thumbs (drawn inside the client area, right and bottom). The
// vertical bar is the list box's: an arrow box at each end and the thumb travelling between.
struct Bar {
    RECT track{};  // the whole bar
    RECT travel{}; // where the thumb moves (between the arrows of the vertical bar)
    RECT thumb{};
    bool shown = false;
};

Bar BarOf(const Geometry& g, bool vertical) {
    Bar b;
    const Axis& a = vertical ? g.v : g.h;
    if (vertical ? !g.vbar : !g.hbar) return b;
    b.shown = true;
    if (vertical) b.track = RECT{g.area.right, g.client.top, g.client.right, g.area.bottom};
    else b.track = RECT{g.client.left, g.area.bottom, g.area.right, g.client.bottom};
    b.travel = b.track;
    if (vertical) {
        const int arrow = std::min(b.track.right - b.track.left, (b.track.bottom - b.track.top) / 3);
        b.travel.top += arrow;
        b.travel.bottom -= arrow;
    }
    const int len = std::max(0, static_cast<int>(vertical ? b.travel.bottom - b.travel.top : b.travel.right - b.travel.left));
    const int total = std::max(1, a.total);
    const int thumbLen = std::clamp(len * std::clamp(a.page, 1, total) / total, std::min(8, len), len);
    const int range = a.Max();
    const int offset = range > 0 ? (len - thumbLen) * std::clamp(a.pos, 0, range) / range : 0;
    if (vertical) b.thumb = RECT{b.travel.left, b.travel.top + offset, b.travel.right, b.travel.top + offset + thumbLen};
    else b.thumb = RECT{b.travel.left + offset, b.travel.top, b.travel.left + offset + thumbLen, b.travel.bottom};
    return b;
}

// [SECTION] Item state changes ------------------------------------------------------------------

bool SetState(State& s, int index, UINT state, UINT mask);

// Clears one state bit on every item but keep (focus and single selection are unique).
void ClearOthers(State& s, UINT bit, const ItemPtr& keep) {
    std::vector<ItemPtr> snapshot = s.items;
    for (size_t i = 0; i < snapshot.size(); ++i) {
        if (snapshot[i] == keep || !(snapshot[i]->state & bit)) continue;
        int at = IndexOf(s, snapshot[i], static_cast<int>(i));
        if (at >= 0) SetState(s, at, 0, bit);
    }
}

void InvalidateItem(State& s, int index) {
    if (!ValidIndex(s, index)) return;
    Geometry g = Layout(s);
    ItemParts p = PartsOf(s, g, index);
    RECT r = p.bounds;
    if (View(s) == LVS_REPORT) {
        r.left = g.area.left;
        r.right = g.area.right;
    }
    InvalidateRect(s.hwnd, &r, TRUE);
}

// Changes the masked bits of one item's state, asking the parent first (LVN_ITEMCHANGING) and
// telling it after (LVN_ITEMCHANGED). False when the index is bad or the parent refused.
bool SetState(State& s, int index, UINT state, UINT mask) {
    if (!ValidIndex(s, index)) return false;
    ItemPtr item = s.items[static_cast<size_t>(index)];
    UINT old = item->state;
    UINT now = (old & ~mask) | (state & mask);
    if (now == old) return true;
    if (NotifyItem(s, LVN_ITEMCHANGING, index, 0, now, old, LVIF_STATE, item->lParam)) return false;
    index = IndexOf(s, item, index);
    if (index < 0) return false;
    old = item->state;
    now = (old & ~mask) | (state & mask);
    if ((now & LVIS_SELECTED) && !(old & LVIS_SELECTED) && (Style(s) & LVS_SINGLESEL))
        ClearOthers(s, LVIS_SELECTED, item);
    if ((now & LVIS_FOCUSED) && !(old & LVIS_FOCUSED)) ClearOthers(s, LVIS_FOCUSED, item);
    index = IndexOf(s, item, index);
    if (index < 0) return false;
    item->state = now;
    InvalidateItem(s, index);
    NotifyItem(s, LVN_ITEMCHANGED, index, 0, now, old, LVIF_STATE, item->lParam);
    return true;
}

// LVM_SETITEMSTATE: one item, or every item for -1. A single-selection list cannot have every
// item selected or focused: for -1 those bits can only be cleared there.
bool SetItemState(State& s, int index, UINT state, UINT mask) {
    if (index != -1) return SetState(s, index, state, mask);
    if (Style(s) & LVS_SINGLESEL) mask &= ~(state & LVIS_SELECTED);
    mask &= ~(state & LVIS_FOCUSED);
    if (!mask) return true;
    std::vector<ItemPtr> snapshot = s.items;
    bool ok = true;
    for (size_t i = 0; i < snapshot.size(); ++i) {
        int at = IndexOf(s, snapshot[i], static_cast<int>(i));
        if (at >= 0 && !SetState(s, at, state, mask)) ok = false;
    }
    return ok;
}

// Selects one item alone and gives it the focus (a tap or a key).
void SelectOnly(State& s, int index) {
    if (!ValidIndex(s, index)) return;
    ItemPtr item = s.items[static_cast<size_t>(index)];
    ClearOthers(s, LVIS_SELECTED, item);
    index = IndexOf(s, item, index);
    if (index < 0) return;
    SetState(s, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    int at = IndexOf(s, item, index);
    if (at >= 0) s.mark = at;
}

void ToggleCheck(State& s, int index) {
    if (!ValidIndex(s, index)) return;
    UINT image = STATEIMAGEMASKTOINDEX(s.items[static_cast<size_t>(index)]->state);
    SetState(s, index, INDEXTOSTATEIMAGEMASK(image == 2 ? 1 : 2), LVIS_STATEIMAGEMASK);
}

// [SECTION] Items -------------------------------------------------------------------------------

bool SubItemExists(const State& s, int sub) {
    if (sub == 0) return true;
    if (sub < 0) return false;
    for (const Column& c : s.columns)
        if (c.subItem == sub) return true;
    return false;
}

const std::wstring& TextOf(const Item& item, int sub) {
    static const std::wstring empty;
    if (sub == 0) return item.text;
    auto it = item.sub.find(sub);
    return it == item.sub.end() ? empty : it->second;
}

std::wstring TextIn(LPCWSTR text) {
    // The callback marker (-1) and null both stand for an empty text here.
    if (!text || text == reinterpret_cast<LPCWSTR>(static_cast<intptr_t>(-1))) return {};
    return text;
}

int InsertItem(State& s, const LVITEMW* in) {
    if (!in || in->iSubItem != 0) return -1;
    auto item = std::make_shared<Item>();
    if (in->mask & LVIF_TEXT) item->text = TextIn(in->pszText);
    if (in->mask & LVIF_IMAGE) item->image = in->iImage;
    if (in->mask & LVIF_PARAM) item->lParam = in->lParam;
    UINT wanted = (in->mask & LVIF_STATE) ? (in->state & in->stateMask) : 0;
    item->state = wanted & ~(LVIS_SELECTED | LVIS_FOCUSED);
    if ((s.exStyle & LVS_EX_CHECKBOXES) && !(item->state & LVIS_STATEIMAGEMASK))
        item->state |= INDEXTOSTATEIMAGEMASK(1);
    const int n = static_cast<int>(s.items.size());
    int index = std::clamp(in->iItem, 0, n);
    DWORD style = Style(s);
    if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
        bool descending = (style & LVS_SORTDESCENDING) && !(style & LVS_SORTASCENDING);
        auto before = [&](const ItemPtr& other) {
            int c = CompareNoCase(other->text, item->text);
            return descending ? c >= 0 : c <= 0;
        };
        index = static_cast<int>(std::partition_point(s.items.begin(), s.items.end(), before) - s.items.begin());
    }
    s.items.insert(s.items.begin() + index, item);
    ++s.generation;
    s.autoListWidth = -1;
    if (s.mark >= index) ++s.mark;
    Relayout(s);
    NotifyItem(s, LVN_INSERTITEM, index, 0, 0, 0, 0, item->lParam);
    index = IndexOf(s, item, index);
    if (index >= 0 && (wanted & (LVIS_SELECTED | LVIS_FOCUSED)))
        SetState(s, index, wanted, LVIS_SELECTED | LVIS_FOCUSED);
    return IndexOf(s, item, index);
}

bool DeleteItem(State& s, int index) {
    if (!ValidIndex(s, index)) return false;
    ItemPtr item = s.items[static_cast<size_t>(index)];
    NotifyItem(s, LVN_DELETEITEM, index, 0, 0, 0, 0, item->lParam);
    index = IndexOf(s, item, index);
    if (index < 0) return true;  // the parent deleted it meanwhile
    s.items.erase(s.items.begin() + index);
    ++s.generation;
    s.autoListWidth = -1;
    if (s.mark == index) s.mark = -1;
    else if (s.mark > index) --s.mark;
    Relayout(s);
    return true;
}

bool DeleteAllItems(State& s) {
    std::vector<ItemPtr> snapshot = s.items;
    if (!NotifyItem(s, LVN_DELETEALLITEMS, -1, 0, 0, 0, 0, 0)) {
        for (size_t i = 0; i < snapshot.size(); ++i) {
            int at = IndexOf(s, snapshot[i], static_cast<int>(i));
            if (at >= 0) NotifyItem(s, LVN_DELETEITEM, at, 0, 0, 0, 0, snapshot[i]->lParam);
        }
    }
    // Remove what was there when the call began; items inserted by a notification stay.
    std::erase_if(s.items, [&](const ItemPtr& p) { return std::find(snapshot.begin(), snapshot.end(), p) != snapshot.end(); });
    ++s.generation;
    s.autoListWidth = -1;
    s.mark = -1;
    s.top = 0;
    s.scrollX = 0;
    s.scrollY = 0;
    Relayout(s);
    return true;
}

bool GetItem(State& s, LVITEMW* out) {
    if (!out || !ValidIndex(s, out->iItem) || !SubItemExists(s, out->iSubItem)) return false;
    const Item& item = *s.items[static_cast<size_t>(out->iItem)];
    if (out->mask & LVIF_TEXT) CopyOut(TextOf(item, out->iSubItem), out->pszText, out->cchTextMax);
    if (out->mask & LVIF_IMAGE) out->iImage = item.image;
    if (out->mask & LVIF_PARAM) out->lParam = item.lParam;
    if (out->mask & LVIF_STATE) out->state = item.state & out->stateMask;
    if (out->mask & LVIF_INDENT) out->iIndent = 0;
    return true;
}

bool SetItemText(State& s, int index, int sub, LPCWSTR text) {
    if (!ValidIndex(s, index) || !SubItemExists(s, sub)) return false;
    Item& item = *s.items[static_cast<size_t>(index)];
    if (sub == 0) {
        item.text = TextIn(text);
        s.autoListWidth = -1;
    } else {
        item.sub[sub] = TextIn(text);
    }
    if (View(s) == LVS_LIST) Relayout(s);
    else InvalidateItem(s, index);
    return true;
}

bool SetItem(State& s, const LVITEMW* in) {
    if (!in || !ValidIndex(s, in->iItem) || !SubItemExists(s, in->iSubItem)) return false;
    ItemPtr item = s.items[static_cast<size_t>(in->iItem)];
    if (in->mask & LVIF_TEXT) SetItemText(s, in->iItem, in->iSubItem, in->pszText);
    if (in->iSubItem == 0) {
        if (in->mask & LVIF_IMAGE) item->image = in->iImage;
        if (in->mask & LVIF_PARAM) item->lParam = in->lParam;
        InvalidateItem(s, in->iItem);
        if (in->mask & LVIF_STATE) {
            int at = IndexOf(s, item, in->iItem);
            if (at < 0 || !SetState(s, at, in->state, in->stateMask)) return false;
        }
    }
    return true;
}

int GetNextItem(State& s, int start, UINT flags) {
    const int n = static_cast<int>(s.items.size());
    UINT want = flags & (LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED);
    UINT stateWant = ((want & LVNI_FOCUSED) ? LVIS_FOCUSED : 0) | ((want & LVNI_SELECTED) ? LVIS_SELECTED : 0) |
                     ((want & LVNI_CUT) ? LVIS_CUT : 0) | ((want & LVNI_DROPHILITED) ? LVIS_DROPHILITED : 0);
    int step = 1;
    UINT dir = flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT);
    if (dir) {
        if (!ValidIndex(s, start)) return -1;
        Geometry g = Layout(s);
        DWORD view = View(s);
        int across = view == LVS_LIST ? g.rowsPerColumn : view == LVS_ICON ? g.perRow : 0;
        if (view == LVS_ICON) {
            step = dir & LVNI_ABOVE ? -across : dir & LVNI_BELOW ? across : dir & LVNI_TOLEFT ? -1 : 1;
        } else {
            if (dir & (LVNI_TOLEFT | LVNI_TORIGHT)) {
                if (!across) return -1;
                step = dir & LVNI_TOLEFT ? -across : across;
            } else {
                step = dir & LVNI_ABOVE ? -1 : 1;
            }
        }
    }
    int i = start < -1 ? -1 : start;
    if (!dir && i >= n) return -1;
    for (i += step; i >= 0 && i < n; i += step)
        if ((s.items[static_cast<size_t>(i)]->state & stateWant) == stateWant) return i;
    return -1;
}

// [SECTION] Columns -----------------------------------------------------------------------------

void SyncHeaderItem(State& s, int index, UINT what) {
    if (!s.header || index < 0 || index >= static_cast<int>(s.columns.size())) return;
    const Column& c = s.columns[static_cast<size_t>(index)];
    HDITEMW hd{};
    hd.mask = 0;
    if (what & LVCF_WIDTH) {
        hd.mask |= HDI_WIDTH;
        hd.cxy = c.width;
    }
    if (what & LVCF_TEXT) {
        hd.mask |= HDI_TEXT;
        hd.pszText = const_cast<LPWSTR>(c.text.c_str());
    }
    if (what & LVCF_FMT) {
        // Keep formats the header's owner added (an owner-drawn sort arrow), change the alignment.
        HDITEMW cur{};
        cur.mask = HDI_FORMAT;
        SendMessageW(s.header, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cur));
        hd.mask |= HDI_FORMAT;
        hd.fmt = (cur.fmt & ~HDF_JUSTIFYMASK) | (c.fmt & LVCFMT_JUSTIFYMASK) | HDF_STRING;
    }
    SendMessageW(s.header, HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&hd));
}

int ContentWidth(State& s, int column) {
    const Column& c = s.columns[static_cast<size_t>(column)];
    int widest = 0;
    HDC dc = GetDC(s.hwnd);
    HGDIOBJ old = SelectObject(dc, FontOf(s));
    for (const ItemPtr& item : s.items) {
        const std::wstring& text = TextOf(*item, c.subItem);
        SIZE size{};
        if (!text.empty()) GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SelectObject(dc, old);
    ReleaseDC(s.hwnd, dc);
    return widest + 2 * kLabelPad + 4 + (column == 0 ? LeadWidth(s) : 0);
}

// Resolves LVSCW_AUTOSIZE (the widest text) and LVSCW_AUTOSIZE_USEHEADER (the header text too; the
// last column also takes the room left in the view). Any other negative width counts as AUTOSIZE.
int ResolveWidth(State& s, int column, int width) {
    if (width >= 0) return width;
    int w = ContentWidth(s, column);
    if (width == LVSCW_AUTOSIZE_USEHEADER) {
        w = std::max(w, TextWidth(s, s.columns[static_cast<size_t>(column)].text) + 12);
        if (column == static_cast<int>(s.columns.size()) - 1) {
            RECT client;
            GetClientRect(s.hwnd, &client);
            int before = 0;
            for (int c = 0; c < column; ++c) before += s.columns[static_cast<size_t>(c)].width;
            w = std::max(w, static_cast<int>(client.right) - before);
        }
    }
    return std::max(0, w);
}

int InsertColumn(State& s, int index, const LVCOLUMNW* in) {
    if (!in) return -1;
    index = std::clamp(index, 0, static_cast<int>(s.columns.size()));
    Column c;
    if (in->mask & LVCF_TEXT) c.text = TextIn(in->pszText);
    if (in->mask & LVCF_FMT) c.fmt = in->fmt & LVCFMT_JUSTIFYMASK;
    c.subItem = (in->mask & LVCF_SUBITEM) ? std::max(0, in->iSubItem) : index;
    int width = (in->mask & LVCF_WIDTH) ? in->cx : 60;
    s.columns.insert(s.columns.begin() + index, c);
    // A new column without an explicit width fills the room left (the header text at least).
    s.columns[static_cast<size_t>(index)].width = width < 0 ? ResolveWidth(s, index, LVSCW_AUTOSIZE_USEHEADER) : width;
    if (s.header) {
        const Column& col = s.columns[static_cast<size_t>(index)];
        HDITEMW hd{};
        hd.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
        hd.cxy = col.width;
        hd.pszText = const_cast<LPWSTR>(col.text.c_str());
        hd.fmt = HDF_STRING | (col.fmt & LVCFMT_JUSTIFYMASK);
        SendMessageW(s.header, HDM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&hd));
    }
    Relayout(s);
    return index;
}

bool DeleteColumn(State& s, int index) {
    if (index < 0 || index >= static_cast<int>(s.columns.size())) return false;
    int sub = s.columns[static_cast<size_t>(index)].subItem;
    s.columns.erase(s.columns.begin() + index);
    bool stillShown = false;
    for (const Column& c : s.columns) stillShown |= c.subItem == sub;
    if (sub != 0 && !stillShown)
        for (const ItemPtr& item : s.items) item->sub.erase(sub);
    if (s.header) SendMessageW(s.header, HDM_DELETEITEM, static_cast<WPARAM>(index), 0);
    Relayout(s);
    return true;
}

bool GetColumn(State& s, int index, LVCOLUMNW* out) {
    if (!out || index < 0 || index >= static_cast<int>(s.columns.size())) return false;
    const Column& c = s.columns[static_cast<size_t>(index)];
    if (out->mask & LVCF_FMT) out->fmt = c.fmt;
    if (out->mask & LVCF_WIDTH) out->cx = c.width;
    if (out->mask & LVCF_TEXT) CopyOut(c.text, out->pszText, out->cchTextMax);
    if (out->mask & LVCF_SUBITEM) out->iSubItem = c.subItem;
    if (out->mask & LVCF_ORDER) out->iOrder = index;
    return true;
}

bool SetColumn(State& s, int index, const LVCOLUMNW* in) {
    if (!in || index < 0 || index >= static_cast<int>(s.columns.size())) return false;
    Column& c = s.columns[static_cast<size_t>(index)];
    if (in->mask & LVCF_TEXT) c.text = TextIn(in->pszText);
    if (in->mask & LVCF_FMT) c.fmt = in->fmt & LVCFMT_JUSTIFYMASK;
    if (in->mask & LVCF_SUBITEM) c.subItem = std::max(0, in->iSubItem);
    if (in->mask & LVCF_WIDTH) s.columns[static_cast<size_t>(index)].width = ResolveWidth(s, index, in->cx);
    SyncHeaderItem(s, index, in->mask);
    Relayout(s);
    return true;
}

bool SetColumnWidth(State& s, int index, int width) {
    if (View(s) == LVS_LIST) {
        if (index != 0 && index != -1) return false;
        s.listColumnWidth = width > 0 ? width : 0;
        Relayout(s);
        return true;
    }
    if (index < 0 || index >= static_cast<int>(s.columns.size())) return false;
    s.columns[static_cast<size_t>(index)].width = ResolveWidth(s, index, width);
    SyncHeaderItem(s, index, LVCF_WIDTH);
    Relayout(s);
    return true;
}

// [SECTION] Finding and sorting -----------------------------------------------------------------

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() || ToLowerChar(text[i]) != ToLowerChar(prefix[i])) return false;
    }
    return true;
}

// LVM_FINDITEM: searches the items after start (start itself excluded; -1 = from the first);
// LVFI_WRAP goes on from the first item up to start. Strings compare without regard to case,
// whole (LVFI_STRING) or as a prefix (LVFI_PARTIAL).
int FindItem(State& s, int start, const LVFINDINFOW* info) {
    if (!info) return -1;
    const int n = static_cast<int>(s.items.size());
    if (n == 0) return -1;
    const bool byString = (info->flags & (LVFI_STRING | LVFI_PARTIAL)) != 0;
    if (byString && !info->psz) return -1;
    if (!byString && !(info->flags & LVFI_PARAM)) return -1;
    auto matches = [&](const Item& item) {
        if (info->flags & LVFI_PARAM) return item.lParam == info->lParam;
        if (info->flags & LVFI_PARTIAL) return StartsWithNoCase(item.text, info->psz);
        return EqualNoCase(item.text, info->psz);
    };
    int from = start < -1 ? 0 : std::min(start + 1, n);
    for (int i = from; i < n; ++i)
        if (matches(*s.items[static_cast<size_t>(i)])) return i;
    if (info->flags & LVFI_WRAP) {
        int end = std::min(from, n);
        for (int i = 0; i < end; ++i)
            if (matches(*s.items[static_cast<size_t>(i)])) return i;
    }
    return -1;
}

// A merge sort that only ever reads the callback's sign, so a callback that contradicts itself
// gives some order, never a fault.
void MergeSort(std::vector<ItemPtr>& v, const std::function<bool(const ItemPtr&, const ItemPtr&)>& less) {
    std::vector<ItemPtr> tmp(v.size());
    for (size_t width = 1; width < v.size(); width *= 2) {
        for (size_t lo = 0; lo < v.size(); lo += 2 * width) {
            size_t mid = std::min(lo + width, v.size()), hi = std::min(lo + 2 * width, v.size());
            size_t a = lo, b = mid, k = lo;
            while (a < mid && b < hi) tmp[k++] = less(v[b], v[a]) ? v[b++] : v[a++];
            while (a < mid) tmp[k++] = v[a++];
            while (b < hi) tmp[k++] = v[b++];
        }
        v.swap(tmp);
    }
}

bool SortItems(State& s, PFNLVCOMPARE compare, LPARAM data) {
    if (!compare) return false;
    std::vector<ItemPtr> sorted = s.items;
    unsigned generation = s.generation;
    ItemPtr marked = ValidIndex(s, s.mark) ? s.items[static_cast<size_t>(s.mark)] : nullptr;
    MergeSort(sorted, [&](const ItemPtr& a, const ItemPtr& b) { return compare(a->lParam, b->lParam, data) < 0; });
    // A callback that inserted or deleted items leaves the list as it now is.
    if (generation != s.generation || sorted.size() != s.items.size()) return false;
    s.items = std::move(sorted);
    if (marked) s.mark = IndexOf(s, marked, -1);
    InvalidateRect(s.hwnd, nullptr, TRUE);
    return true;
}

// [SECTION] Painting ----------------------------------------------------------------------------

COLORREF Resolve(COLORREF c, int sys) { return c == CLR_DEFAULT ? GetSysColor(sys) : c; }

void DrawCheckBox(HDC dc, const RECT& slot, bool checked) {
    int x = slot.left + (slot.right - slot.left - kCheckBox) / 2;
    int y = slot.top + (slot.bottom - slot.top - kCheckBox) / 2;
    RECT box{x, y, x + kCheckBox, y + kCheckBox};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &box, GetSysColorBrush(COLOR_WINDOWTEXT));
    if (!checked) return;
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ old = SelectObject(dc, pen);
    for (int d = 0; d < 2; ++d) {
        MoveToEx(dc, x + 3, y + 5 + d, nullptr);
        LineTo(dc, x + 5, y + 7 + d);
        LineTo(dc, x + 10, y + 2 + d);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawStateImage(const State& s, HDC dc, const Item& item, const RECT& slot) {
    UINT image = STATEIMAGEMASKTOINDEX(item.state);
    if (!image || slot.right <= slot.left) return;
    if (s.images[LVSIL_STATE]) {
        SIZE sz = StateImageSize(s);
        ImageList_Draw(s.images[LVSIL_STATE], static_cast<int>(image) - 1, dc, slot.left + (slot.right - slot.left - sz.cx) / 2,
                       slot.top + (slot.bottom - slot.top - sz.cy) / 2, ILD_TRANSPARENT);
        return;
    }
    DrawCheckBox(dc, slot, image == 2);
}

void DrawImage(HIMAGELIST list, HDC dc, int index, const RECT& r) {
    if (!list || r.right <= r.left) return;
    SIZE sz = ImageSize(list);
    ImageList_Draw(list, index, dc, r.left, r.top + (r.bottom - r.top - sz.cy) / 2, ILD_TRANSPARENT);
}

UINT AlignOf(int fmt) {
    switch (fmt & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return DT_RIGHT;
    case LVCFMT_CENTER: return DT_CENTER;
    default: return DT_LEFT;
    }
}

void DrawLabel(HDC dc, const std::wstring& text, RECT r, UINT align, COLORREF colour) {
    InflateRect(&r, -kLabelPad, 0);
    if (r.right <= r.left || text.empty()) return;
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void Paint(State& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(s.hwnd, &ps);
    Geometry g = Layout(s);
    const DWORD view = View(s);
    const COLORREF bk = Resolve(s.bk, COLOR_WINDOW);
    const COLORREF text = Resolve(s.text, COLOR_WINDOWTEXT);
    const COLORREF textBk = s.textBk == CLR_DEFAULT ? bk : s.textBk;
    const bool showSel = s.focused || (Style(s) & LVS_SHOWSELALWAYS);
    const COLORREF hiBk = GetSysColor(COLOR_HIGHLIGHT), hiText = GetSysColor(COLOR_HIGHLIGHTTEXT);

    if (bk != CLR_NONE) {
        HBRUSH brush = CreateSolidBrush(bk);
        FillRect(dc, &g.client, brush);
        DeleteObject(brush);
    }
    int saved = SaveDC(dc);
    IntersectClipRect(dc, g.area.left, g.area.top, g.area.right, g.area.bottom);
    SelectObject(dc, FontOf(s));
    HBRUSH hiBrush = CreateSolidBrush(hiBk);
    HBRUSH textBkBrush = textBk != CLR_NONE ? CreateSolidBrush(textBk) : nullptr;
    SetBkMode(dc, TRANSPARENT);

    int first = 0, last = 0;
    VisibleRange(s, g, first, last);
    const bool fullRow = view == LVS_REPORT && (s.exStyle & LVS_EX_FULLROWSELECT);
    for (int i = first; i < last; ++i) {
        const Item& item = *s.items[static_cast<size_t>(i)];
        ItemParts p = PartsOf(s, g, i);
        const bool selected = showSel && (item.state & LVIS_SELECTED);
        const bool focusMark = s.focused && (item.state & LVIS_FOCUSED);
        if (view == LVS_ICON) {
            // A chosen icon stands on the highlight colour, so that it shows even without a label.
            RECT iconBack = p.icon;
            InflateRect(&iconBack, 2, 2);
            if (selected) FillRect(dc, &iconBack, hiBrush);
            DrawImage(s.images[LVSIL_NORMAL], dc, item.image, p.icon);
            DrawStateImage(s, dc, item, p.state);
            if (!item.text.empty()) {
                RECT measure = p.label;
                InflateRect(&measure, -1, 0);
                DrawTextW(dc, item.text.c_str(), static_cast<int>(item.text.size()), &measure,
                          DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
                RECT back{std::max(p.label.left, measure.left - 1), p.label.top,
                          std::min(p.label.right, measure.right + 1), p.label.bottom};
                if (selected) FillRect(dc, &back, hiBrush);
                else if (textBkBrush && textBk != bk) FillRect(dc, &back, textBkBrush);
                SetTextColor(dc, selected ? hiText : text);
                RECT r = p.label;
                InflateRect(&r, -1, 0);
                DrawTextW(dc, item.text.c_str(), static_cast<int>(item.text.size()), &r,
                          DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
            }
            if (focusMark) {
                RECT mark = iconBack;
                InflateRect(&mark, 1, 1);
                if (!item.text.empty()) UnionRect(&mark, &mark, &p.label);
                DrawFocusRect(dc, &mark);
            }
            continue;
        }
        // Report rows and list cells.
        RECT labelBack = p.label;
        if (!fullRow) labelBack.right = std::min(p.label.right, p.label.left + TextWidth(s, item.text) + 2 * kLabelPad);
        RECT selRect = fullRow ? RECT{p.label.left, p.bounds.top, p.bounds.right, p.bounds.bottom} : labelBack;
        if (selected) FillRect(dc, &selRect, hiBrush);
        else if (textBkBrush && textBk != bk) FillRect(dc, &labelBack, textBkBrush);
        if (focusMark) {
            RECT mark = fullRow ? selRect : labelBack;
            if (IsRectEmpty(&mark)) mark = p.bounds;
            DrawFocusRect(dc, &mark);
        }
        DrawStateImage(s, dc, item, p.state);
        DrawImage(s.images[LVSIL_SMALL], dc, item.image, p.icon);
        const COLORREF colour = selected ? hiText : text;
        if (view == LVS_LIST || s.columns.empty()) {
            DrawLabel(dc, item.text, p.label, DT_LEFT, colour);
            continue;
        }
        DrawLabel(dc, item.text, p.label, AlignOf(s.columns[0].fmt), colour);
        for (size_t c = 1; c < s.columns.size(); ++c) {
            RECT r = SubItemRect(s, g, i, static_cast<int>(c));
            if (r.left >= g.area.right) break;
            DrawLabel(dc, TextOf(item, s.columns[c].subItem), r, AlignOf(s.columns[c].fmt),
                      fullRow && selected ? hiText : text);
        }
    }
    if (view == LVS_REPORT && (s.exStyle & LVS_EX_GRIDLINES)) {
        HBRUSH grid = GetSysColorBrush(COLOR_BTNFACE);
        int right = std::min(static_cast<int>(g.area.right), static_cast<int>(g.area.left) - s.scrollX + TotalColumnWidth(s));
        for (int y = g.area.top + g.rowHeight - 1; y < g.area.bottom; y += g.rowHeight) {
            RECT line{g.area.left, y, right, y + 1};
            FillRect(dc, &line, grid);
        }
        int x = g.area.left - s.scrollX;
        for (const Column& c : s.columns) {
            x += c.width;
            RECT line{x - 1, g.area.top, x, g.area.bottom};
            FillRect(dc, &line, grid);
        }
    }
    // Focused with no item to mark (none focused yet, or none at all): the mark goes round the view.
    if (s.focused && GetNextItem(s, -1, LVNI_FOCUSED) < 0) {
        RECT whole = g.area;
        InflateRect(&whole, -1, -1);
        DrawFocusRect(dc, &whole);
    }
    DeleteObject(hiBrush);
    if (textBkBrush) DeleteObject(textBkBrush);
    RestoreDC(dc, saved);

    for (bool vertical : {true, false}) {
        Bar b = BarOf(g, vertical);
        if (!b.shown) continue;
        if (vertical) {
            lists::ScrollState bar;
            bar.pos = g.v.pos;
            bar.page = g.v.page;
            bar.count = g.v.total;
            lists::DrawVScroll(dc, b.track, bar);
            continue;
        }
        FillRect(dc, &b.track, GetSysColorBrush(COLOR_SCROLLBAR));
        FillRect(dc, &b.thumb, GetSysColorBrush(COLOR_BTNFACE));
        FrameRect(dc, &b.thumb, GetSysColorBrush(COLOR_WINDOWFRAME));
        RECT edge = vertical ? RECT{b.track.left, b.track.top, b.track.left + 1, b.track.bottom}
                             : RECT{b.track.left, b.track.top, b.track.right, b.track.top + 1};
        FillRect(dc, &edge, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
    if (g.vbar && g.hbar) {
        RECT corner{g.area.right, g.area.bottom, g.client.right, g.client.bottom};
        FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
    }
    EndPaint(s.hwnd, &ps);
}

// [SECTION] Stylus and keys ---------------------------------------------------------------------

void SendClick(State& s, UINT code, POINT pt) {
    Hit hit = HitTest(s, pt);
    NMITEMACTIVATE nm{};
    nm.iItem = hit.item;
    nm.iSubItem = hit.item >= 0 ? hit.sub : 0;
    nm.ptAction = pt;
    if (ValidIndex(s, hit.item)) {
        nm.uNewState = nm.uOldState = s.items[static_cast<size_t>(hit.item)]->state;
        nm.lParam = s.items[static_cast<size_t>(hit.item)]->lParam;
    }
    Notify(s, nm.hdr, code);
}

// Returns true when the stylus landed on a scroll bar (and was handled there).
bool BarDown(State& s, POINT pt) {
    Geometry g = Layout(s);
    for (bool vertical : {true, false}) {
        Bar b = BarOf(g, vertical);
        if (!b.shown || !PtInRect(&b.track, pt)) continue;
        if (vertical && (pt.y < b.travel.top || pt.y >= b.travel.bottom)) {
            // The arrows: one row (one row of icons in the icon views).
            const int line = View(s) == LVS_REPORT ? 1 : std::max(1, g.cellY);
            SetScroll(s, true, g.v.pos + (pt.y < b.travel.top ? -line : line));
        } else if (PtInRect(&b.thumb, pt)) {
            s.drag = vertical ? Drag::VThumb : Drag::HThumb;
            s.dragGrab = vertical ? pt.y - b.thumb.top : pt.x - b.thumb.left;
            SetCapture(s.hwnd);
        } else {
            const Axis& a = vertical ? g.v : g.h;
            bool before = vertical ? pt.y < b.thumb.top : pt.x < b.thumb.left;
            SetScroll(s, vertical, a.pos + (before ? -a.page : a.page));
        }
        return true;
    }
    return false;
}

void BarDrag(State& s, POINT pt) {
    bool vertical = s.drag == Drag::VThumb;
    Geometry g = Layout(s);
    Bar b = BarOf(g, vertical);
    if (!b.shown) return;
    const Axis& a = vertical ? g.v : g.h;
    int len = vertical ? b.travel.bottom - b.travel.top : b.travel.right - b.travel.left;
    int thumb = vertical ? b.thumb.bottom - b.thumb.top : b.thumb.right - b.thumb.left;
    int free = len - thumb;
    if (free <= 0) return;
    int offset = (vertical ? pt.y - b.travel.top : pt.x - b.travel.left) - s.dragGrab;
    offset = std::clamp(offset, 0, free);
    SetScroll(s, vertical, (offset * a.Max() + free / 2) / free);
}

void StylusDown(State& s, POINT pt, bool doubleTap) {
    if (GetFocus() != s.hwnd) SetFocus(s.hwnd);
    if (!IsWindow(s.hwnd)) return;
    if (BarDown(s, pt)) return;
    Hit hit = HitTest(s, pt);
    if (hit.item >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) && HasChecks(s)) {
        ToggleCheck(s, hit.item);
    } else if (hit.item >= 0) {
        SelectOnly(s, hit.item);
    } else {
        SetItemState(s, -1, 0, LVIS_SELECTED);
    }
    if (!IsWindow(s.hwnd)) return;
    if (doubleTap) {
        s.clickPending = false;
        SendClick(s, NM_DBLCLK, pt);
        return;
    }
    s.drag = Drag::Item;
    s.clickPending = true;
    s.clickPoint = pt;
    SetCapture(s.hwnd);
}

void StylusUp(State& s, POINT pt) {
    Drag drag = s.drag;
    s.drag = Drag::None;
    if (GetCapture() == s.hwnd) ReleaseCapture();
    if (drag == Drag::Item && s.clickPending) {
        s.clickPending = false;
        SendClick(s, NM_CLICK, pt);
    }
}

void MoveFocusTo(State& s, int index) {
    const int n = static_cast<int>(s.items.size());
    if (n == 0) return;
    index = std::clamp(index, 0, n - 1);
    SelectOnly(s, index);
    EnsureVisible(s, index, false);
}

void KeyDown(State& s, UINT vk) {
    NMLVKEYDOWN nm{};
    nm.wVKey = static_cast<WORD>(vk);
    Notify(s, nm.hdr, LVN_KEYDOWN);
    if (!IsWindow(s.hwnd)) return;
    const int n = static_cast<int>(s.items.size());
    if (n == 0) return;
    int cur = GetNextItem(s, -1, LVNI_FOCUSED);
    Geometry g = Layout(s);
    const DWORD view = View(s);
    int page = view == LVS_REPORT ? std::max(1, g.v.page) : view == LVS_LIST ? g.rowsPerColumn : g.perRow;
    switch (vk) {
    case VK_UP: MoveFocusTo(s, cur < 0 ? 0 : cur - (view == LVS_ICON ? g.perRow : 1)); break;
    case VK_DOWN: MoveFocusTo(s, cur < 0 ? 0 : cur + (view == LVS_ICON ? g.perRow : 1)); break;
    case VK_LEFT:
        if (view == LVS_REPORT) SetScroll(s, false, s.scrollX - 10);
        else MoveFocusTo(s, cur < 0 ? 0 : cur - (view == LVS_LIST ? g.rowsPerColumn : 1));
        break;
    case VK_RIGHT:
        if (view == LVS_REPORT) SetScroll(s, false, s.scrollX + 10);
        else MoveFocusTo(s, cur < 0 ? 0 : cur + (view == LVS_LIST ? g.rowsPerColumn : 1));
        break;
    case VK_PRIOR: MoveFocusTo(s, cur < 0 ? 0 : cur - page); break;
    case VK_NEXT: MoveFocusTo(s, cur < 0 ? 0 : cur + page); break;
    case VK_HOME: MoveFocusTo(s, 0); break;
    case VK_END: MoveFocusTo(s, n - 1); break;
    case VK_SPACE:
        if (cur >= 0 && HasChecks(s)) ToggleCheck(s, cur);
        break;
    case VK_RETURN: {
        NMHDR hdr{};
        Notify(s, hdr, NM_RETURN);
        break;
    }
    default: break;
    }
}

// [SECTION] Window procedure and registration ---------------------------------------------------

void SetExtendedStyle(State& s, DWORD mask, DWORD style) {
    if (!mask) mask = 0xFFFFFFFFu;
    DWORD old = s.exStyle;
    s.exStyle = (old & ~mask) | (style & mask);
    if ((s.exStyle & LVS_EX_CHECKBOXES) && !(old & LVS_EX_CHECKBOXES)) {
        for (const ItemPtr& item : s.items)
            if (!(item->state & LVIS_STATEIMAGEMASK)) item->state |= INDEXTOSTATEIMAGEMASK(1);
    } else if (!(s.exStyle & LVS_EX_CHECKBOXES) && (old & LVS_EX_CHECKBOXES) && !s.images[LVSIL_STATE]) {
        for (const ItemPtr& item : s.items) item->state &= ~LVIS_STATEIMAGEMASK;
    }
    Relayout(s);
}

void CreateHeader(State& s) {
    DWORD style = WS_CHILD | HDS_HORZ | ((Style(s) & LVS_NOSORTHEADER) ? 0 : HDS_BUTTONS);
    s.header = CreateWindowExW(0, WC_HEADERW, L"", style, 0, 0, 0, 0, s.hwnd, nullptr, nullptr, nullptr);
    if (s.header && s.font) SendMessageW(s.header, WM_SETFONT, reinterpret_cast<WPARAM>(s.font), 0);
}

LRESULT OnNotifyFromHeader(State& s, const NMHDR* hdr) {
    if (!hdr || hdr->hwndFrom != s.header) return 0;
    const auto* nm = reinterpret_cast<const NMHEADERW*>(hdr);
    if (hdr->code == HDN_ITEMCLICKW || hdr->code == HDN_ITEMCLICKA) {
        if (Style(s) & LVS_NOSORTHEADER) return 0;
        NMLISTVIEW out{};
        out.iItem = -1;
        out.iSubItem = nm->iItem;
        Notify(s, out.hdr, LVN_COLUMNCLICK);
        return 0;
    }
    if (hdr->code == HDN_ITEMCHANGEDW && nm->iItem >= 0 && nm->iItem < static_cast<int>(s.columns.size())) {
        HDITEMW hd{};
        hd.mask = HDI_WIDTH;
        if (SendMessageW(s.header, HDM_GETITEMW, static_cast<WPARAM>(nm->iItem), reinterpret_cast<LPARAM>(&hd)) &&
            hd.cxy != s.columns[static_cast<size_t>(nm->iItem)].width) {
            s.columns[static_cast<size_t>(nm->iItem)].width = hd.cxy;
            Relayout(s);
        }
    }
    return 0;
}

LRESULT Handle(State& s, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = s.hwnd;
    switch (msg) {
    case WM_CREATE:
        MeasureFont(s);
        CreateHeader(s);
        PlaceHeader(s);
        return 0;
    case WM_DESTROY: {
        // The parent hears of every item going, as with LVM_DELETEALLITEMS.
        std::vector<ItemPtr> snapshot = s.items;
        if (!NotifyItem(s, LVN_DELETEALLITEMS, -1, 0, 0, 0, 0, 0))
            for (size_t i = 0; i < snapshot.size(); ++i)
                NotifyItem(s, LVN_DELETEITEM, static_cast<int>(i), 0, 0, 0, 0, snapshot[i]->lParam);
        s.items.clear();
        break;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(s); return 0;
    case WM_SIZE: Relayout(s); break;
    case WM_STYLECHANGED:
        if (s.header) {
            DWORD hs = static_cast<DWORD>(GetWindowLongW(s.header, GWL_STYLE));
            hs = (Style(s) & LVS_NOSORTHEADER) ? (hs & ~HDS_BUTTONS) : (hs | HDS_BUTTONS);
            SetWindowLongW(s.header, GWL_STYLE, static_cast<LONG_PTR>(hs));
        }
        s.top = 0;
        s.scrollX = s.scrollY = 0;
        Relayout(s);
        break;
    case WM_SETFONT:
        s.font = reinterpret_cast<HFONT>(wParam);
        MeasureFont(s);
        if (s.header) SendMessageW(s.header, WM_SETFONT, wParam, lParam);
        Relayout(s);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s.font);
    case WM_SETFOCUS: {
        s.focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        NMHDR hdr{};
        Notify(s, hdr, NM_SETFOCUS);
        return 0;
    }
    case WM_KILLFOCUS: {
        s.focused = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        NMHDR hdr{};
        Notify(s, hdr, NM_KILLFOCUS);
        return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN: StylusDown(s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, false); return 0;
    case WM_LBUTTONDBLCLK: StylusDown(s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, true); return 0;
    case WM_MOUSEMOVE:
        if (s.drag == Drag::VThumb || s.drag == Drag::HThumb) BarDrag(s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONUP: StylusUp(s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) s.drag = Drag::None;
        return 0;
    case WM_KEYDOWN: KeyDown(s, static_cast<UINT>(wParam)); return 0;
    case WM_NOTIFY: return OnNotifyFromHeader(s, reinterpret_cast<const NMHDR*>(lParam));

    case LVM_GETBKCOLOR: return static_cast<LRESULT>(s.bk);
    case LVM_SETBKCOLOR: s.bk = static_cast<COLORREF>(lParam); InvalidateRect(hwnd, nullptr, TRUE); return TRUE;
    case LVM_GETTEXTCOLOR: return static_cast<LRESULT>(s.text);
    case LVM_SETTEXTCOLOR: s.text = static_cast<COLORREF>(lParam); InvalidateRect(hwnd, nullptr, TRUE); return TRUE;
    case LVM_GETTEXTBKCOLOR: return static_cast<LRESULT>(s.textBk);
    case LVM_SETTEXTBKCOLOR: s.textBk = static_cast<COLORREF>(lParam); InvalidateRect(hwnd, nullptr, TRUE); return TRUE;
    case LVM_GETIMAGELIST: return wParam <= LVSIL_STATE ? reinterpret_cast<LRESULT>(s.images[wParam]) : 0;
    case LVM_SETIMAGELIST: {
        if (wParam > LVSIL_STATE) return 0;
        HIMAGELIST old = s.images[wParam];
        s.images[wParam] = reinterpret_cast<HIMAGELIST>(lParam);
        s.autoListWidth = -1;
        Relayout(s);
        return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETITEMCOUNT: return static_cast<LRESULT>(s.items.size());
    case LVM_INSERTITEMW: return InsertItem(s, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_DELETEITEM: return DeleteItem(s, static_cast<int>(wParam));
    case LVM_DELETEALLITEMS: return DeleteAllItems(s);
    case LVM_GETITEMW: return GetItem(s, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_SETITEMW: return SetItem(s, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMTEXTW: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        if (!item) return 0;
        int index = static_cast<int>(wParam);
        if (!ValidIndex(s, index) || !SubItemExists(s, item->iSubItem)) {
            CopyOut(L"", item->pszText, item->cchTextMax);
            return 0;
        }
        int copied = 0;
        CopyOut(TextOf(*s.items[static_cast<size_t>(index)], item->iSubItem), item->pszText, item->cchTextMax, &copied);
        return copied;
    }
    case LVM_SETITEMTEXTW: {
        auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        return item ? SetItemText(s, static_cast<int>(wParam), item->iSubItem, item->pszText) : FALSE;
    }
    case LVM_GETITEMSTATE: {
        int index = static_cast<int>(wParam);
        return ValidIndex(s, index) ? (s.items[static_cast<size_t>(index)]->state & static_cast<UINT>(lParam)) : 0;
    }
    case LVM_SETITEMSTATE: {
        auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        return item ? SetItemState(s, static_cast<int>(wParam), item->state, item->stateMask) : FALSE;
    }
    case LVM_GETNEXTITEM: return GetNextItem(s, static_cast<int>(wParam), static_cast<UINT>(lParam));
    case LVM_GETSELECTEDCOUNT: {
        LRESULT count = 0;
        for (const ItemPtr& item : s.items) count += (item->state & LVIS_SELECTED) ? 1 : 0;
        return count;
    }
    case LVM_GETSELECTIONMARK: return s.mark;
    case LVM_SETSELECTIONMARK: {
        int old = s.mark;
        int index = static_cast<int>(lParam);
        s.mark = ValidIndex(s, index) ? index : -1;
        return old;
    }
    case LVM_FINDITEMW: return FindItem(s, static_cast<int>(wParam), reinterpret_cast<const LVFINDINFOW*>(lParam));
    case LVM_SORTITEMS: return SortItems(s, reinterpret_cast<PFNLVCOMPARE>(lParam), static_cast<LPARAM>(wParam));
    case LVM_ENSUREVISIBLE: EnsureVisible(s, static_cast<int>(wParam), lParam != 0); return ValidIndex(s, static_cast<int>(wParam));
    case LVM_SCROLL: ScrollBy(s, static_cast<int>(wParam), static_cast<int>(lParam)); return TRUE;
    case LVM_GETTOPINDEX: {
        Geometry g = Layout(s);
        DWORD view = View(s);
        if (view == LVS_REPORT) return s.items.empty() ? 0 : s.top;
        if (view == LVS_LIST) return s.items.empty() ? 0 : std::min(static_cast<int>(s.items.size()) - 1, s.top * g.rowsPerColumn);
        return 0;
    }
    case LVM_GETCOUNTPERPAGE: {
        Geometry g = Layout(s);
        DWORD view = View(s);
        if (view == LVS_REPORT) return std::max(0, static_cast<int>(g.area.bottom - g.area.top) / g.rowHeight);
        if (view == LVS_LIST)
            return g.rowsPerColumn * std::max(1, static_cast<int>(g.area.right - g.area.left) / g.listColumnWidth);
        return static_cast<LRESULT>(s.items.size());
    }
    case LVM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        int index = static_cast<int>(wParam);
        if (!r || !ValidIndex(s, index)) return FALSE;
        int code = r->left;
        Geometry g = Layout(s);
        ItemParts p = PartsOf(s, g, index);
        switch (code) {
        case LVIR_ICON: *r = p.icon; break;
        case LVIR_LABEL: *r = p.label; break;
        case LVIR_BOUNDS:
        case LVIR_SELECTBOUNDS: *r = p.bounds; break;
        default: return FALSE;
        }
        return TRUE;
    }
    case LVM_GETSUBITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        int index = static_cast<int>(wParam);
        if (!r || !ValidIndex(s, index) || View(s) != LVS_REPORT) return FALSE;
        int column = r->top, code = r->left;
        if (column < 0 || column >= static_cast<int>(s.columns.size())) return FALSE;
        Geometry g = Layout(s);
        if (column == 0) {
            ItemParts p = PartsOf(s, g, index);
            *r = code == LVIR_ICON ? p.icon : code == LVIR_LABEL ? p.label : p.bounds;
        } else {
            *r = SubItemRect(s, g, index, column);
        }
        return TRUE;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
        auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
        if (!info) return -1;
        Hit hit = HitTest(s, info->pt);
        info->iItem = hit.item;
        info->flags = hit.flags;
        if (msg == LVM_SUBITEMHITTEST) info->iSubItem = hit.item >= 0 ? hit.sub : 0;
        return hit.item;
    }
    case LVM_REDRAWITEMS: {
        int first = std::max(0, static_cast<int>(wParam));
        int last = std::min(static_cast<int>(lParam), static_cast<int>(s.items.size()) - 1);
        for (int i = first; i <= last; ++i) InvalidateItem(s, i);
        return TRUE;
    }
    case LVM_UPDATE: Relayout(s); return TRUE;
    case LVM_ARRANGE: Relayout(s); return TRUE;
    case LVM_GETITEMPOSITION: {
        auto* pt = reinterpret_cast<POINT*>(lParam);
        int index = static_cast<int>(wParam);
        if (!pt || !ValidIndex(s, index)) return FALSE;
        Geometry g = Layout(s);
        ItemParts p = PartsOf(s, g, index);
        *pt = POINT{p.bounds.left, p.bounds.top};
        return TRUE;
    }
    case LVM_GETORIGIN: {
        auto* pt = reinterpret_cast<POINT*>(lParam);
        if (!pt) return FALSE;
        *pt = POINT{0, View(s) == LVS_ICON ? s.scrollY : 0};
        return View(s) == LVS_ICON;
    }
    case LVM_GETVIEWRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || View(s) != LVS_ICON) return FALSE;
        Geometry g = Layout(s);
        *r = RECT{0, -s.scrollY, g.perRow * g.cellX, g.v.total - s.scrollY};
        return TRUE;
    }
    case LVM_SETICONSPACING: {
        SIZE cell = IconCell(s);
        LRESULT old = MAKELONG(cell.cx, cell.cy);
        int cx = static_cast<SHORT>(LOWORD(lParam)), cy = static_cast<SHORT>(HIWORD(lParam));
        s.iconSpacingX = cx > 0 ? cx : 0;
        s.iconSpacingY = cy > 0 ? cy : 0;
        Relayout(s);
        return old;
    }
    case LVM_GETITEMSPACING: {
        if (wParam) {
            Geometry g = Layout(s);
            return MAKELONG(ListColumnWidth(s), g.rowHeight);
        }
        SIZE cell = IconCell(s);
        return MAKELONG(cell.cx, cell.cy);
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        DWORD old = s.exStyle;
        SetExtendedStyle(s, static_cast<DWORD>(wParam), static_cast<DWORD>(lParam));
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return s.exStyle;
    case LVM_INSERTCOLUMNW: return InsertColumn(s, static_cast<int>(wParam), reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_DELETECOLUMN: return DeleteColumn(s, static_cast<int>(wParam));
    case LVM_GETCOLUMNW: return GetColumn(s, static_cast<int>(wParam), reinterpret_cast<LVCOLUMNW*>(lParam));
    case LVM_SETCOLUMNW: return SetColumn(s, static_cast<int>(wParam), reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_GETCOLUMNWIDTH: {
        if (View(s) == LVS_LIST) return ListColumnWidth(s);
        int index = static_cast<int>(wParam);
        return index >= 0 && index < static_cast<int>(s.columns.size()) ? s.columns[static_cast<size_t>(index)].width : 0;
    }
    case LVM_SETCOLUMNWIDTH: return SetColumnWidth(s, static_cast<int>(wParam), static_cast<int>(static_cast<SHORT>(LOWORD(lParam))));
    case LVM_GETHEADER: return reinterpret_cast<LRESULT>(s.header);
    case LVM_GETSTRINGWIDTHW: {
        auto* text = reinterpret_cast<LPCWSTR>(lParam);
        return text ? TextWidth(s, text) : 0;
    }
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        // The control draws its own scroll bars inside its client area, when they are needed.
        LONG_PTR style = GetWindowLongW(hwnd, GWL_STYLE);
        if (style & (WS_VSCROLL | WS_HSCROLL)) SetWindowLongW(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL));
        auto state = std::make_shared<State>();
        state->hwnd = hwnd;
        state->bk = GetSysColor(COLOR_WINDOW);
        state->text = GetSysColor(COLOR_WINDOWTEXT);
        state->textBk = CLR_DEFAULT;
        {
            std::lock_guard lock(g_lock);
            States()[hwnd] = state;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    std::shared_ptr<State> s = Find(hwnd);  // alive until this message is done, even if destroyed meanwhile
    if (!s) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        {
            std::lock_guard lock(g_lock);
            States().erase(hwnd);
        }
        s->header = nullptr;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return Handle(*s, msg, wParam, lParam);
}

std::atomic<bool> g_registered{false};

} // namespace

void RegisterListViewClasses() {
    if (g_registered.exchange(true)) return;
    RegisterHeaderClass();
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = ListViewProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
    wc.lpszClassName = WC_LISTVIEWW;
    RegisterClassW(&wc);
}

} // namespace device::ui
