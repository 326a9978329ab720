// The trackbar (msctls_trackbar32): a thumb on a channel between a minimum and a maximum. Taps on
// the channel page toward the stylus, dragging the thumb tracks it, and keys step it; each move
// reaches the parent as WM_HSCROLL (WM_VSCROLL for TBS_VERT) with a TB_* code and the trackbar's
// handle. Changing the range keeps the position inside it.

#include "platform/ui/Controls.h"

#include <algorithm>

using namespace device::ui;
using namespace device::ui::controls;

namespace {

constexpr int kThumbLength = 10;  // along the channel
constexpr int kMargin = 6;        // channel ends kept clear for the thumb's halves

struct TrackbarState {
    int min = 0;
    int max = 100;
    int pos = 0;
    int line = 1;
    int page = 20;
    bool dragging = false;
    bool focus = false;
};

StateTable<TrackbarState>& States() {
    static StateTable<TrackbarState> table;
    return table;
}

bool Vertical(HWND hwnd) { return (StyleOf(hwnd) & TBS_VERT) != 0; }

struct Layout {
    RECT channel{};
    RECT thumb{};
    int start = 0;  // along the bar: first and last thumb centres
    int end = 0;
};

Layout Measure(HWND hwnd, const TrackbarState& st) {
    RECT client;
    GetClientRect(hwnd, &client);
    Layout l;
    bool vert = Vertical(hwnd);
    int length = vert ? client.bottom : client.right;
    int thickness = vert ? client.right : client.bottom;
    l.start = kMargin;
    l.end = std::max(l.start, length - kMargin);
    int span = st.max - st.min;
    int centre = l.start + (span > 0 ? static_cast<int>(static_cast<long long>(st.pos - st.min) * (l.end - l.start) / span) : 0);
    int mid = thickness / 2;
    int half = std::max(4, thickness / 2 - 2);
    if (vert) {
        l.channel = RECT{mid - 2, l.start, mid + 2, l.end};
        l.thumb = RECT{mid - half, centre - kThumbLength / 2, mid + half, centre + kThumbLength / 2};
    } else {
        l.channel = RECT{l.start, mid - 2, l.end, mid + 2};
        l.thumb = RECT{centre - kThumbLength / 2, mid - half, centre + kThumbLength / 2, mid + half};
    }
    return l;
}

int Clamp(const TrackbarState& st, long long pos) {
    return static_cast<int>(std::clamp<long long>(pos, st.min, std::max(st.min, st.max)));
}

void Notify(HWND hwnd, int code, int pos) {
    HWND parent = GetParent(hwnd);
    if (!parent) return;
    SendMessageW(parent, Vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(pos)),
                 reinterpret_cast<LPARAM>(hwnd));
}

// Moves the thumb as the user did; the parent hears the code, then TB_ENDTRACK unless more follows.
void UserMove(HWND hwnd, TrackbarState& st, long long pos, int code, bool end) {
    int p = Clamp(st, pos);
    if (p != st.pos) {
        st.pos = p;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    Notify(hwnd, code, p);
    if (end && IsWindow(hwnd)) Notify(hwnd, TB_ENDTRACK, 0);
}

int PosAt(HWND hwnd, const TrackbarState& st, POINT pt) {
    Layout l = Measure(hwnd, st);
    int along = Vertical(hwnd) ? pt.y : pt.x;
    if (l.end <= l.start) return st.min;
    long long span = static_cast<long long>(st.max) - st.min;
    long long offset = std::clamp(along, l.start, l.end) - l.start;
    return Clamp(st, st.min + (offset * span + (l.end - l.start) / 2) / (l.end - l.start));
}

void Paint(HWND hwnd, HDC dc, const TrackbarState& st) {
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = ControlColours(hwnd, dc, WM_CTLCOLORSTATIC);
    if (brush) FillRect(dc, &client, brush);
    Layout l = Measure(hwnd, st);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FillRect(dc, &l.channel, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &l.channel, black);
    bool enabled = IsWindowEnabled(hwnd) != FALSE;
    if (!(StyleOf(hwnd) & TBS_NOTICKS)) {
        // A tick at each end, on the far side of the channel.
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
        HGDIOBJ old = SelectObject(dc, pen);
        bool vert = Vertical(hwnd);
        int edge = vert ? l.thumb.right + 2 : l.thumb.bottom + 2;
        for (int at : {l.start, l.end}) {
            if (vert) {
                MoveToEx(dc, edge, at, nullptr);
                LineTo(dc, edge + 3, at);
            } else {
                MoveToEx(dc, at, edge, nullptr);
                LineTo(dc, at, edge + 3);
            }
        }
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    FillRect(dc, &l.thumb, enabled ? GetSysColorBrush(COLOR_BTNFACE) : GetSysColorBrush(COLOR_GRAYTEXT));
    FrameRect(dc, &l.thumb, black);
    if (st.focus) {
        RECT fr = client;
        DrawFocusRect(dc, &fr);
    }
}

} // namespace

LRESULT CALLBACK device::ui::controls::TrackbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<TrackbarState> sp = States().Get(hwnd);
    if (msg == WM_NCCREATE) {
        States().Create(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (!sp) return DefWindowProcW(hwnd, msg, wParam, lParam);
    TrackbarState& st = *sp;
    auto redrawIf = [&](WPARAM flag) {
        if (flag) InvalidateRect(hwnd, nullptr, TRUE);
    };
    switch (msg) {
    case WM_NCDESTROY: States().Remove(hwnd); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) Paint(hwnd, dc, st);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        st.focus = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case TBM_GETPOS: return st.pos;
    case TBM_GETRANGEMIN: return st.min;
    case TBM_GETRANGEMAX: return st.max;
    case TBM_SETPOS:
        st.pos = Clamp(st, static_cast<int>(lParam));
        redrawIf(wParam);
        return 0;
    case TBM_SETRANGE:
        st.min = static_cast<SHORT>(LOWORD(lParam));
        st.max = std::max<int>(st.min, static_cast<SHORT>(HIWORD(lParam)));
        st.pos = Clamp(st, st.pos);
        redrawIf(wParam);
        return 0;
    case TBM_SETRANGEMIN:
        st.min = static_cast<int>(lParam);
        st.max = std::max(st.min, st.max);
        st.pos = Clamp(st, st.pos);
        redrawIf(wParam);
        return 0;
    case TBM_SETRANGEMAX:
        st.max = std::max(st.min, static_cast<int>(lParam));
        st.pos = Clamp(st, st.pos);
        redrawIf(wParam);
        return 0;
    case TBM_SETPAGESIZE: {
        int old = st.page;
        st.page = static_cast<int>(lParam);
        return old;
    }
    case TBM_GETPAGESIZE: return st.page;
    case TBM_SETLINESIZE: {
        int old = st.line;
        st.line = static_cast<int>(lParam);
        return old;
    }
    case TBM_GETLINESIZE: return st.line;
    case TBM_SETTICFREQ:
    case TBM_SETTIC:
    case TBM_CLEARTICS: return TRUE;
    case TBM_GETTHUMBRECT:
        if (auto* r = reinterpret_cast<LPRECT>(lParam)) *r = Measure(hwnd, st).thumb;
        return 0;
    case TBM_GETCHANNELRECT:
        if (auto* r = reinterpret_cast<LPRECT>(lParam)) *r = Measure(hwnd, st).channel;
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        SetFocus(hwnd);
        if (!IsWindow(hwnd)) return 0;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        Layout l = Measure(hwnd, st);
        RECT grab = l.thumb;
        InflateRect(&grab, 2, 2);
        if (PtInRect(&grab, pt)) {
            st.dragging = true;
            SetCapture(hwnd);
            return 0;
        }
        // A tap on the channel pages toward the stylus.
        int target = PosAt(hwnd, st, pt);
        if (target == st.pos) return 0;
        bool up = target < st.pos;
        long long next = up ? std::max<long long>(target, static_cast<long long>(st.pos) - st.page)
                            : std::min<long long>(target, static_cast<long long>(st.pos) + st.page);
        UserMove(hwnd, st, next, up ? TB_PAGEUP : TB_PAGEDOWN, true);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (st.dragging) {
            int p = PosAt(hwnd, st, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            if (p != st.pos) UserMove(hwnd, st, p, TB_THUMBTRACK, false);
        }
        return 0;
    case WM_LBUTTONUP:
        if (st.dragging) {
            st.dragging = false;
            if (GetCapture() == hwnd) ReleaseCapture();
            Notify(hwnd, TB_THUMBPOSITION, st.pos);
            if (IsWindow(hwnd)) Notify(hwnd, TB_ENDTRACK, 0);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) st.dragging = false;
        return 0;
    case WM_KEYDOWN: {
        long long p = st.pos;
        int code;
        switch (wParam) {
        case VK_LEFT:
        case VK_UP: p -= st.line; code = TB_LINEUP; break;
        case VK_RIGHT:
        case VK_DOWN: p += st.line; code = TB_LINEDOWN; break;
        case VK_PRIOR: p -= st.page; code = TB_PAGEUP; break;
        case VK_NEXT: p += st.page; code = TB_PAGEDOWN; break;
        case VK_HOME: p = st.min; code = TB_TOP; break;
        case VK_END: p = st.max; code = TB_BOTTOM; break;
        default: return 0;
        }
        UserMove(hwnd, st, p, code, true);
        return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
