// Scroll bars: the bars of WS_VSCROLL / WS_HSCROLL windows (drawn in their non-client area by the
// default window procedure) and the SCROLLBAR control. Both keep a range, a page and a position,
// draw arrows, a track and a thumb, and turn stylus taps into WM_VSCROLL / WM_HSCROLL: arrows
// SB_LINEUP/DOWN, the track SB_PAGEUP/DOWN, the dragged thumb SB_THUMBTRACK and, when lifted,
// SB_THUMBPOSITION; SB_ENDSCROLL ends every gesture. The owner moves the bar (SetScrollPos), as
// the device leaves it to.
//
// [SECTION] Bar values
// [SECTION] Geometry and drawing
// [SECTION] Stylus tracking
// [SECTION] Window scroll bars
// [SECTION] The SCROLLBAR control
// [SECTION] Scroll calls

#include "platform/ui/Controls.h"

#include <algorithm>

using namespace device::ui;
using namespace device::ui::controls;

namespace {

// [SECTION] Bar values -------------------------------------------------------------------------

struct BarValues {
    int min = 0;
    int max = 0;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool disableNoScroll = false;
    bool disabled = false;  // EnableScrollBar
    bool hiddenEmpty = false; // a window bar hidden because its range left nothing to scroll
};

// The highest position the thumb can reach.
int MaxPos(const BarValues& b) {
    int span = b.page > 0 ? static_cast<int>(b.page) - 1 : 0;
    return std::max(b.min, b.max - span);
}
bool Scrollable(const BarValues& b) { return !b.disabled && MaxPos(b) > b.min; }

int Apply(BarValues& b, const SCROLLINFO& si) {
    if (si.fMask & SIF_RANGE) {
        b.min = si.nMin;
        b.max = std::max(si.nMin, si.nMax);
    }
    if (si.fMask & SIF_PAGE) b.page = si.nPage;
    // The page never exceeds the range.
    long long range = static_cast<long long>(b.max) - b.min + 1;
    if (static_cast<long long>(b.page) > range) b.page = static_cast<UINT>(range);
    if (si.fMask & SIF_POS) b.pos = si.nPos;
    b.pos = std::clamp(b.pos, b.min, MaxPos(b));
    if (si.fMask & SIF_DISABLENOSCROLL) b.disableNoScroll = true;
    return b.pos;
}

void Fill(const BarValues& b, SCROLLINFO& si) {
    if (si.fMask & SIF_RANGE) {
        si.nMin = b.min;
        si.nMax = b.max;
    }
    if (si.fMask & SIF_PAGE) si.nPage = b.page;
    if (si.fMask & SIF_POS) si.nPos = b.pos;
    if (si.fMask & SIF_TRACKPOS) si.nTrackPos = b.trackPos;
}

enum class Part { None, LineUp, PageUp, Thumb, PageDown, LineDown };

struct Tracking {
    bool active = false;
    bool vertical = true;
    Part part = Part::None;
    int grabOffset = 0;  // stylus offset from the thumb's start, along the bar
};

// [SECTION] Geometry and drawing ---------------------------------------------------------------

struct Geometry {
    RECT bar{};
    bool vertical = true;
    int arrow = 0;       // length of each arrow box
    int trackStart = 0;  // along the bar, relative to its start
    int trackEnd = 0;
    int thumbStart = 0;
    int thumbLength = 0;
};

Geometry Measure(const RECT& bar, bool vertical, const BarValues& b, bool tracking, int trackPos) {
    Geometry g;
    g.bar = bar;
    g.vertical = vertical;
    int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
    int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
    g.arrow = std::min(thickness, length / 2);
    g.trackStart = g.arrow;
    g.trackEnd = length - g.arrow;
    int track = std::max(0, g.trackEnd - g.trackStart);
    long long range = static_cast<long long>(b.max) - b.min + 1;
    int thumb = b.page > 0 && range > 0 ? static_cast<int>(track * static_cast<long long>(b.page) / range) : thickness;
    thumb = std::clamp(thumb, std::min(8, track), track);
    g.thumbLength = thumb;
    int pos = tracking ? trackPos : b.pos;
    int maxPos = MaxPos(b);
    int travel = track - thumb;
    g.thumbStart = g.trackStart + (maxPos > b.min ? static_cast<int>(static_cast<long long>(pos - b.min) * travel / (maxPos - b.min)) : 0);
    return g;
}

RECT PartRect(const Geometry& g, int from, int to) {
    if (g.vertical) return RECT{g.bar.left, g.bar.top + from, g.bar.right, g.bar.top + to};
    return RECT{g.bar.left + from, g.bar.top, g.bar.left + to, g.bar.bottom};
}

Part HitTest(const Geometry& g, const BarValues& b, POINT pt) {
    if (!PtInRect(&g.bar, pt)) return Part::None;
    int along = g.vertical ? pt.y - g.bar.top : pt.x - g.bar.left;
    if (along < g.trackStart) return Part::LineUp;
    if (along >= g.trackEnd) return Part::LineDown;
    if (!Scrollable(b)) return Part::None;
    if (along < g.thumbStart) return Part::PageUp;
    if (along >= g.thumbStart + g.thumbLength) return Part::PageDown;
    return Part::Thumb;
}

void DrawArrow(HDC dc, const RECT& box, bool vertical, bool first, bool enabled) {
    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    int cx = (box.left + box.right) / 2;
    int cy = (box.top + box.bottom) / 2;
    int s = std::max(2, std::min(box.right - box.left, box.bottom - box.top) / 4);
    POINT pts[3];
    if (vertical) {
        int dir = first ? -1 : 1;
        pts[0] = POINT{cx - s, cy - dir * s / 2};
        pts[1] = POINT{cx + s, cy - dir * s / 2};
        pts[2] = POINT{cx, cy + dir * s / 2 + dir};
    } else {
        int dir = first ? -1 : 1;
        pts[0] = POINT{cx - dir * s / 2, cy - s};
        pts[1] = POINT{cx - dir * s / 2, cy + s};
        pts[2] = POINT{cx + dir * s / 2 + dir, cy};
    }
    COLORREF colour = enabled ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT);
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Polygon(dc, pts, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void DrawBar(HDC dc, const Geometry& g, const BarValues& b, HBRUSH trackBrush) {
    bool enabled = Scrollable(b);
    RECT track = PartRect(g, g.trackStart, g.trackEnd);
    FillRect(dc, &track, trackBrush ? trackBrush : GetSysColorBrush(COLOR_SCROLLBAR));
    FrameRect(dc, &g.bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawArrow(dc, PartRect(g, 0, g.arrow), g.vertical, true, enabled);
    int length = g.vertical ? g.bar.bottom - g.bar.top : g.bar.right - g.bar.left;
    DrawArrow(dc, PartRect(g, length - g.arrow, length), g.vertical, false, enabled);
    if (enabled && g.thumbLength > 0) {
        RECT thumb = PartRect(g, g.thumbStart, g.thumbStart + g.thumbLength);
        FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
        FrameRect(dc, &thumb, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

// [SECTION] Stylus tracking --------------------------------------------------------------------

// Sends the scroll message of a bar to whoever handles it.
void SendScroll(HWND target, bool vertical, int code, int pos, HWND control) {
    if (!target) return;
    SendMessageW(target, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)),
                 reinterpret_cast<LPARAM>(control));
}

int PosFromThumb(const Geometry& g, const BarValues& b, int thumbStart) {
    int travel = (g.trackEnd - g.trackStart) - g.thumbLength;
    int maxPos = MaxPos(b);
    if (travel <= 0 || maxPos <= b.min) return b.min;
    int offset = std::clamp(thumbStart - g.trackStart, 0, travel);
    return b.min + static_cast<int>((static_cast<long long>(offset) * (maxPos - b.min) + travel / 2) / travel);
}

// One gesture on a bar. Returns the part pressed (Down) so the caller may start tracking.
void StylusDown(Tracking& t, const Geometry& g, BarValues& b, POINT pt, HWND target, HWND control) {
    Part part = HitTest(g, b, pt);
    t = Tracking{};
    if (part == Part::None || !Scrollable(b)) return;
    t.active = true;
    t.vertical = g.vertical;
    t.part = part;
    switch (part) {
    case Part::LineUp: SendScroll(target, g.vertical, SB_LINEUP, 0, control); break;
    case Part::LineDown: SendScroll(target, g.vertical, SB_LINEDOWN, 0, control); break;
    case Part::PageUp: SendScroll(target, g.vertical, SB_PAGEUP, 0, control); break;
    case Part::PageDown: SendScroll(target, g.vertical, SB_PAGEDOWN, 0, control); break;
    case Part::Thumb:
        t.grabOffset = (g.vertical ? pt.y - g.bar.top : pt.x - g.bar.left) - g.thumbStart;
        b.trackPos = b.pos;
        break;
    default: break;
    }
}

// Returns true when the thumb moved (the bar needs drawing).
bool StylusMove(Tracking& t, const Geometry& g, BarValues& b, POINT pt, HWND target, HWND control) {
    if (!t.active || t.part != Part::Thumb) return false;
    int along = g.vertical ? pt.y - g.bar.top : pt.x - g.bar.left;
    int pos = PosFromThumb(g, b, along - t.grabOffset);
    if (pos == b.trackPos) return false;
    b.trackPos = pos;
    SendScroll(target, g.vertical, SB_THUMBTRACK, pos, control);
    return true;
}

void StylusUp(Tracking& t, BarValues& b, HWND target, HWND control) {
    if (!t.active) return;
    bool vertical = t.vertical;
    Part part = t.part;
    t = Tracking{};
    if (part == Part::Thumb) SendScroll(target, vertical, SB_THUMBPOSITION, b.trackPos, control);
    SendScroll(target, vertical, SB_ENDSCROLL, 0, control);
}

// [SECTION] Window scroll bars -----------------------------------------------------------------

struct WindowBars {
    BarValues horz;
    BarValues vert;
    Tracking tracking;
};

std::mutex g_lock;
std::unordered_map<HWND, WindowBars> g_windowBars;

// A window's bars, made with the device's defaults (0 to 100) on first use. Entries of windows
// that are gone are dropped now and then.
WindowBars& BarsOf(HWND hwnd) {
    auto it = g_windowBars.find(hwnd);
    if (it != g_windowBars.end()) return it->second;
    if (g_windowBars.size() > 64)
        for (auto i = g_windowBars.begin(); i != g_windowBars.end();)
            i = IsWindow(i->first) ? std::next(i) : g_windowBars.erase(i);
    WindowBars bars;
    bars.horz.max = bars.vert.max = 100;
    return g_windowBars.emplace(hwnd, bars).first->second;
}

// The bars' rectangles in window coordinates (empty when the style has no such bar).
void WindowBarRects(HWND hwnd, RECT& vert, RECT& horz, RECT& corner) {
    vert = horz = corner = RECT{0, 0, 0, 0};
    RECT window, client;
    if (!GetWindowRect(hwnd, &window) || !GetClientRect(hwnd, &client)) return;
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    int left = origin.x - window.left;
    int top = origin.y - window.top;
    DWORD style = StyleOf(hwnd);
    int cxv = GetSystemMetrics(SM_CXVSCROLL);
    int cyh = GetSystemMetrics(SM_CYHSCROLL);
    if (style & WS_VSCROLL) vert = RECT{left + client.right, top, left + client.right + cxv, top + client.bottom};
    if (style & WS_HSCROLL) horz = RECT{left, top + client.bottom, left + client.right, top + client.bottom + cyh};
    if ((style & WS_VSCROLL) && (style & WS_HSCROLL))
        corner = RECT{left + client.right, top + client.bottom, left + client.right + cxv, top + client.bottom + cyh};
}

void RedrawWindowBars(HWND hwnd) {
    if (!IsWindowVisible(hwnd)) return;
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    DrawWindowScrollBars(hwnd, dc);
    ReleaseDC(hwnd, dc);
}

// [SECTION] The SCROLLBAR control ---------------------------------------------------------------

struct ControlState {
    BarValues values;
    Tracking tracking;
};

StateTable<ControlState>& ControlStates() {
    static StateTable<ControlState> table;
    return table;
}

Geometry ControlGeometry(HWND hwnd, const ControlState& st) {
    RECT client;
    GetClientRect(hwnd, &client);
    bool vertical = (StyleOf(hwnd) & SBS_VERT) != 0;
    return Measure(client, vertical, st.values, st.tracking.active && st.tracking.part == Part::Thumb,
                   st.values.trackPos);
}

} // namespace

void device::ui::DrawWindowScrollBars(HWND hwnd, HDC dc) {
    RECT vert, horz, corner;
    WindowBarRects(hwnd, vert, horz, corner);
    BarValues v, h;
    Tracking t;
    {
        std::lock_guard lock(g_lock);
        WindowBars& bars = BarsOf(hwnd);
        v = bars.vert;
        h = bars.horz;
        t = bars.tracking;
    }
    bool thumbV = t.active && t.part == Part::Thumb && t.vertical;
    bool thumbH = t.active && t.part == Part::Thumb && !t.vertical;
    if (!IsRectEmpty(&vert)) DrawBar(dc, Measure(vert, true, v, thumbV, v.trackPos), v, nullptr);
    if (!IsRectEmpty(&horz)) DrawBar(dc, Measure(horz, false, h, thumbH, h.trackPos), h, nullptr);
    if (!IsRectEmpty(&corner)) FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
}

int device::ui::WindowScrollBarHit(HWND hwnd, POINT screen) {
    if (!(StyleOf(hwnd) & (WS_VSCROLL | WS_HSCROLL))) return HTNOWHERE;
    RECT window;
    if (!GetWindowRect(hwnd, &window)) return HTNOWHERE;
    POINT pt{screen.x - window.left, screen.y - window.top};
    RECT vert, horz, corner;
    WindowBarRects(hwnd, vert, horz, corner);
    if (PtInRect(&vert, pt)) return HTVSCROLL;
    if (PtInRect(&horz, pt)) return HTHSCROLL;
    return HTNOWHERE;
}

bool device::ui::WindowScrollBarMouse(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg != WM_LBUTTONDOWN && msg != WM_LBUTTONDBLCLK && msg != WM_MOUSEMOVE && msg != WM_LBUTTONUP) return false;
    DWORD style = StyleOf(hwnd);
    if (!(style & (WS_VSCROLL | WS_HSCROLL))) return false;
    // The stylus point in window coordinates.
    RECT window;
    if (!GetWindowRect(hwnd, &window)) return false;
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    POINT pt{GET_X_LPARAM(lParam) + origin.x - window.left, GET_Y_LPARAM(lParam) + origin.y - window.top};
    RECT vert, horz, corner;
    WindowBarRects(hwnd, vert, horz, corner);

    std::unique_lock lock(g_lock);
    WindowBars& bars = BarsOf(hwnd);
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
        bool onVert = PtInRect(&vert, pt) != FALSE;
        bool onHorz = PtInRect(&horz, pt) != FALSE;
        if (!onVert && !onHorz) return false;
        BarValues& b = onVert ? bars.vert : bars.horz;
        Geometry g = Measure(onVert ? vert : horz, onVert, b, false, 0);
        Part part = HitTest(g, b, pt);
        if (part == Part::None || !Scrollable(b)) return true;
        bars.tracking = Tracking{true, onVert, part, 0};
        if (part == Part::Thumb) {
            bars.tracking.grabOffset = (onVert ? pt.y - g.bar.top : pt.x - g.bar.left) - g.thumbStart;
            b.trackPos = b.pos;
        }
        lock.unlock();
        SetCapture(hwnd);
        int code = part == Part::LineUp ? SB_LINEUP : part == Part::LineDown ? SB_LINEDOWN
                 : part == Part::PageUp ? SB_PAGEUP : part == Part::PageDown ? SB_PAGEDOWN : -1;
        if (code >= 0) SendScroll(hwnd, onVert, code, 0, nullptr);
        return true;
    }
    if (!bars.tracking.active) return false;
    bool vertical = bars.tracking.vertical;
    BarValues& b = vertical ? bars.vert : bars.horz;
    if (msg == WM_MOUSEMOVE) {
        if (bars.tracking.part != Part::Thumb) return true;
        Geometry g = Measure(vertical ? vert : horz, vertical, b, false, 0);
        int along = vertical ? pt.y - g.bar.top : pt.x - g.bar.left;
        int pos = PosFromThumb(g, b, along - bars.tracking.grabOffset);
        if (pos == b.trackPos) return true;
        b.trackPos = pos;
        lock.unlock();
        RedrawWindowBars(hwnd);
        SendScroll(hwnd, vertical, SB_THUMBTRACK, pos, nullptr);
        return true;
    }
    // Lifted: the thumb's last place, then the end of the gesture.
    Part part = bars.tracking.part;
    int trackPos = b.trackPos;
    bars.tracking = Tracking{};
    lock.unlock();
    if (GetCapture() == hwnd) ReleaseCapture();
    if (part == Part::Thumb) SendScroll(hwnd, vertical, SB_THUMBPOSITION, trackPos, nullptr);
    if (IsWindow(hwnd)) SendScroll(hwnd, vertical, SB_ENDSCROLL, 0, nullptr);
    if (IsWindow(hwnd)) RedrawWindowBars(hwnd);
    return true;
}

LRESULT CALLBACK device::ui::controls::ScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<ControlState> st = ControlStates().Get(hwnd);
    if (msg == WM_NCCREATE) {
        ControlStates().Create(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (!st) return DefWindowProcW(hwnd, msg, wParam, lParam);
    bool vertical = (StyleOf(hwnd) & SBS_VERT) != 0;
    switch (msg) {
    case WM_NCDESTROY: ControlStates().Remove(hwnd); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) {
            HBRUSH brush = ControlColours(hwnd, dc, WM_CTLCOLORSCROLLBAR);
            DrawBar(dc, ControlGeometry(hwnd, *st), st->values, brush);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        SetCapture(hwnd);
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        StylusDown(st->tracking, ControlGeometry(hwnd, *st), st->values, pt, GetParent(hwnd), hwnd);
        if (!st->tracking.active && GetCapture() == hwnd) ReleaseCapture();
        return 0;
    }
    case WM_MOUSEMOVE: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ControlState probe = *st;
        probe.tracking.active = false;  // the geometry of the resting thumb
        if (StylusMove(st->tracking, ControlGeometry(hwnd, probe), st->values, pt, GetParent(hwnd), hwnd))
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd) ReleaseCapture();
        StylusUp(st->tracking, st->values, GetParent(hwnd), hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_KEYDOWN: {
        int code = -1;
        switch (wParam) {
        case VK_UP:
        case VK_LEFT: code = SB_LINEUP; break;
        case VK_DOWN:
        case VK_RIGHT: code = SB_LINEDOWN; break;
        case VK_PRIOR: code = SB_PAGEUP; break;
        case VK_NEXT: code = SB_PAGEDOWN; break;
        case VK_HOME: code = SB_TOP; break;
        case VK_END: code = SB_BOTTOM; break;
        default: break;
        }
        if (code >= 0) {
            SendScroll(GetParent(hwnd), vertical, code, 0, hwnd);
            if (IsWindow(hwnd)) SendScroll(GetParent(hwnd), vertical, SB_ENDSCROLL, 0, hwnd);
        }
        return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case SBM_SETSCROLLINFO: {
        const auto* si = reinterpret_cast<LPCSCROLLINFO>(lParam);
        if (!si) return st->values.pos;
        int pos = Apply(st->values, *si);
        if (wParam) InvalidateRect(hwnd, nullptr, FALSE);
        return pos;
    }
    case SBM_GETSCROLLINFO: {
        auto* si = reinterpret_cast<LPSCROLLINFO>(lParam);
        if (!si) return FALSE;
        Fill(st->values, *si);
        return TRUE;
    }
    case SBM_SETPOS: {
        int old = st->values.pos;
        SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, static_cast<int>(wParam), 0};
        Apply(st->values, si);
        if (lParam) InvalidateRect(hwnd, nullptr, FALSE);
        return old;
    }
    case SBM_GETPOS: return st->values.pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
        SCROLLINFO si{sizeof(si), SIF_RANGE, static_cast<int>(wParam), static_cast<int>(lParam), 0, 0, 0};
        Apply(st->values, si);
        if (msg == SBM_SETRANGEREDRAW) InvalidateRect(hwnd, nullptr, FALSE);
        return st->values.pos;
    }
    case SBM_GETRANGE:
        if (auto* p = reinterpret_cast<LPINT>(wParam)) *p = st->values.min;
        if (auto* p = reinterpret_cast<LPINT>(lParam)) *p = st->values.max;
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// [SECTION] Scroll calls -----------------------------------------------------------------------

int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw) {
    if (!info || !IsWindow(hwnd)) {
        SetLastError(info ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (bar == SB_CTL) return static_cast<int>(SendMessageW(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
    if (bar != SB_VERT && bar != SB_HORZ) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int pos;
    // A window's bar whose range leaves nothing to scroll is hidden (unless the caller asks for
    // it to stay, disabled); it comes back once there is something to scroll again.
    int show = -1; // -1 unchanged, 0 hide, 1 show
    const DWORD bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
    {
        std::lock_guard lock(g_lock);
        WindowBars& bars = BarsOf(hwnd);
        BarValues& values = bar == SB_VERT ? bars.vert : bars.horz;
        pos = Apply(values, *info);
        if ((info->fMask & (SIF_RANGE | SIF_PAGE)) && !values.disableNoScroll) {
            const bool empty = MaxPos(values) <= values.min;
            const bool shown = (StyleOf(hwnd) & bit) != 0;
            if (empty && shown) {
                show = 0;
                values.hiddenEmpty = true;
            } else if (!empty && !shown && values.hiddenEmpty) {
                show = 1;
                values.hiddenEmpty = false;
            }
        }
    }
    if (show >= 0) ShowScrollBar(hwnd, bar, show == 1);
    if (redraw) RedrawWindowBars(hwnd);
    return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
    if (!info || !IsWindow(hwnd)) return FALSE;
    if (bar == SB_CTL) return static_cast<BOOL>(SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
    if (bar != SB_VERT && bar != SB_HORZ) return FALSE;
    std::lock_guard lock(g_lock);
    WindowBars& bars = BarsOf(hwnd);
    Fill(bar == SB_VERT ? bars.vert : bars.horz, *info);
    return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
    SCROLLINFO old{sizeof(old), SIF_POS, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hwnd, bar, &old)) return 0;
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(hwnd, bar, &si, redraw);
    return old.nPos;
}

int GetScrollPos(HWND hwnd, int bar) {
    SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hwnd, bar, &si) ? si.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw) {
    SCROLLINFO si{sizeof(si), SIF_RANGE, min, max, 0, 0, 0};
    if (!IsWindow(hwnd)) return FALSE;
    SetScrollInfo(hwnd, bar, &si, redraw);
    return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, LPINT min, LPINT max) {
    SCROLLINFO si{sizeof(si), SIF_RANGE, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hwnd, bar, &si)) return FALSE;
    if (min) *min = si.nMin;
    if (max) *max = si.nMax;
    return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
    if (!IsWindow(hwnd)) return FALSE;
    if (bar == SB_CTL) return ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE), TRUE;
    DWORD bits = bar == SB_VERT ? WS_VSCROLL : bar == SB_HORZ ? WS_HSCROLL : bar == SB_BOTH ? WS_VSCROLL | WS_HSCROLL : 0;
    if (!bits) return FALSE;
    DWORD style = StyleOf(hwnd);
    DWORD wanted = show ? (style | bits) : (style & ~bits);
    if (wanted == style) return TRUE;
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(wanted));
    // The client area changed shape: tell the window as a resize would.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
    if (!IsWindow(hwnd)) return FALSE;
    bool disable = arrows == ESB_DISABLE_BOTH;
    if (static_cast<int>(bar) == SB_CTL) {
        EnableWindow(hwnd, !disable);
        if (auto st = ControlStates().Get(hwnd)) st->values.disabled = disable;
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    }
    {
        std::lock_guard lock(g_lock);
        WindowBars& bars = BarsOf(hwnd);
        if (bar == SB_VERT || bar == SB_BOTH) bars.vert.disabled = disable;
        if (bar == SB_HORZ || bar == SB_BOTH) bars.horz.disabled = disable;
    }
    RedrawWindowBars(hwnd);
    return TRUE;
}
