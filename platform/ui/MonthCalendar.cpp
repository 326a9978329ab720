// The month calendar ("SysMonthCal32"): one month as a grid of days under a title with arrows to
// the previous and next month. The date picker drops one down; a tap on a day chooses it, as
// Return does for the day the arrows (a day, a week) and Page Up/Down (a month) moved to.

#include "platform/system/DeviceTime.h"
#include "platform/ui/ListBoxInternal.h"

#include <algorithm>
#include <mutex>
#include <string>

namespace device::ui::lists {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

int DayOfWeek(int year, int month, int day) {
    static const int offsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + offsets[(month - 1) % 12] + day) % 7;
}

bool IsValidSystemTime(const SYSTEMTIME& st) {
    return st.wYear >= 1601 && st.wYear <= 30827 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
           st.wDay <= DaysInMonth(st.wYear, st.wMonth) && st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 &&
           st.wMilliseconds < 1000;
}

namespace {

const wchar_t* const kMonthNames[12] = {L"January", L"February", L"March",     L"April",   L"May",      L"June",
                                        L"July",    L"August",   L"September", L"October", L"November", L"December"};
const wchar_t* const kDayLetters[7] = {L"S", L"M", L"T", L"W", L"T", L"F", L"S"};

struct Calendar {
    HWND hwnd = nullptr;
    HWND notify = nullptr;  // who hears MCN_* (the owner that created it, or the parent)
    SYSTEMTIME sel{};
    int year = 2000;
    int month = 1;
    HFONT font = nullptr;
};

Calendar* State(HWND hwnd) { return reinterpret_cast<Calendar*>(GetWindowLongW(hwnd, 0)); }

struct Layout {
    RECT title, prev, next;
    int gridTop;
    int cellW, cellH;
    int left;
};

Layout Measure(const Calendar& c) {
    RECT r{};
    GetClientRect(c.hwnd, &r);
    int h = FontHeight(c.font) + 6;
    Layout l{};
    l.title = RECT{r.left, r.top, r.right, r.top + h};
    l.prev = RECT{r.left, r.top, r.left + h, r.top + h};
    l.next = RECT{r.right - h, r.top, r.right, r.top + h};
    l.cellW = std::max(1, static_cast<int>(r.right - r.left) / 7);
    l.left = r.left + (static_cast<int>(r.right - r.left) - 7 * l.cellW) / 2;
    int dayRow = h;
    l.gridTop = r.top + h + dayRow;
    l.cellH = std::max(1, (static_cast<int>(r.bottom) - l.gridTop) / 6);
    return l;
}

// The date shown in grid cell (row, col): the grid starts on the Sunday on or before the 1st.
SYSTEMTIME CellDate(const Calendar& c, int row, int col) {
    int first = DayOfWeek(c.year, c.month, 1);
    int offset = row * 7 + col - first;  // days after the 1st
    int y = c.year, m = c.month, d = 1 + offset;
    while (d < 1) {
        if (--m < 1) {
            m = 12;
            --y;
        }
        d += DaysInMonth(y, m);
    }
    while (d > DaysInMonth(y, m)) {
        d -= DaysInMonth(y, m);
        if (++m > 12) {
            m = 1;
            ++y;
        }
    }
    SYSTEMTIME st = c.sel;
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wDayOfWeek = static_cast<WORD>(col);
    return st;
}

void DrawTriangle(HDC dc, const RECT& r, bool left) {
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    int s = std::max(2, (r.bottom - r.top) / 4);
    POINT pts[3];
    if (left)
        pts[0] = POINT{cx + s / 2, cy - s}, pts[1] = POINT{cx + s / 2, cy + s}, pts[2] = POINT{cx - s / 2 - 1, cy};
    else
        pts[0] = POINT{cx - s / 2, cy - s}, pts[1] = POINT{cx - s / 2, cy + s}, pts[2] = POINT{cx + s / 2 + 1, cy};
    HGDIOBJ ob = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    HGDIOBJ op = SelectObject(dc, GetStockObject(BLACK_PEN));
    Polygon(dc, pts, 3);
    SelectObject(dc, ob);
    SelectObject(dc, op);
}

void Paint(Calendar& c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(c.hwnd, &ps);
    if (!dc) return;
    RECT client{};
    GetClientRect(c.hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ of = SelectObject(dc, ControlFont(c.font));
    SetBkMode(dc, TRANSPARENT);
    Layout l = Measure(c);
    FillRect(dc, &l.title, GetSysColorBrush(COLOR_BTNFACE));
    DrawTriangle(dc, l.prev, true);
    DrawTriangle(dc, l.next, false);
    std::wstring title = std::wstring(kMonthNames[c.month - 1]) + L" " + std::to_wstring(c.year);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT tr = l.title;
    DrawTextW(dc, title.c_str(), -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    for (int col = 0; col < 7; ++col) {
        RECT r{l.left + col * l.cellW, l.title.bottom, l.left + (col + 1) * l.cellW, l.gridTop};
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(dc, kDayLetters[col], 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    RECT sep{client.left + 2, l.gridTop - 1, client.right - 2, l.gridTop};
    FillRect(dc, &sep, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    for (int row = 0; row < 6; ++row)
        for (int col = 0; col < 7; ++col) {
            SYSTEMTIME d = CellDate(c, row, col);
            RECT r{l.left + col * l.cellW, l.gridTop + row * l.cellH, l.left + (col + 1) * l.cellW,
                   l.gridTop + (row + 1) * l.cellH};
            bool inMonth = d.wMonth == c.month;
            bool selected = d.wYear == c.sel.wYear && d.wMonth == c.sel.wMonth && d.wDay == c.sel.wDay;
            if (selected) {
                FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
                SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            } else {
                SetTextColor(dc, GetSysColor(inMonth ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
            }
            std::wstring num = std::to_wstring(d.wDay);
            DrawTextW(dc, num.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(dc, of);
    EndPaint(c.hwnd, &ps);
}

void ShowMonth(Calendar& c, int year, int month) {
    if (month < 1) {
        month = 12;
        --year;
    } else if (month > 12) {
        month = 1;
        ++year;
    }
    if (year < 1601 || year > 30827) return;
    c.year = year;
    c.month = month;
    InvalidateRect(c.hwnd, nullptr, FALSE);
}

void Choose(Calendar& c, const SYSTEMTIME& st) {
    c.sel = st;
    c.sel.wDayOfWeek = static_cast<WORD>(DayOfWeek(st.wYear, st.wMonth, st.wDay));
    if (st.wMonth != c.month || st.wYear != c.year) ShowMonth(c, st.wYear, st.wMonth);
    InvalidateRect(c.hwnd, nullptr, FALSE);
    HWND self = c.hwnd;
    HWND target = c.notify ? c.notify : GetParent(self);
    if (!target) return;
    NMSELCHANGE nm{};
    nm.nmhdr.hwndFrom = self;
    nm.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(self));
    nm.stSelStart = nm.stSelEnd = c.sel;
    nm.nmhdr.code = MCN_SELCHANGE;
    SendMessageW(target, WM_NOTIFY, nm.nmhdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    if (!State(self)) return;
    nm.nmhdr.code = MCN_SELECT;
    SendMessageW(target, WM_NOTIFY, nm.nmhdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

void Tap(Calendar& c, POINT pt) {
    RECT client{};
    GetClientRect(c.hwnd, &client);
    if (!PtInRect(&client, pt)) {
        if (c.notify) SendMessageW(c.notify, kCalendarCancelled, 0, 0);
        return;
    }
    Layout l = Measure(c);
    if (PtInRect(&l.prev, pt)) return ShowMonth(c, c.year, c.month - 1);
    if (PtInRect(&l.next, pt)) return ShowMonth(c, c.year, c.month + 1);
    if (pt.y < l.gridTop || pt.x < l.left) return;
    int col = (pt.x - l.left) / l.cellW, row = (pt.y - l.gridTop) / l.cellH;
    if (col < 0 || col > 6 || row < 0 || row > 5) return;
    Choose(c, CellDate(c, row, col));
}

LRESULT CALLBACK CalendarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Calendar* cp = State(hwnd);
    if (!cp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            auto* c = new Calendar;
            c->hwnd = hwnd;
            auto* owner = static_cast<HWND>(cs->lpCreateParams);
            c->notify = owner && IsWindow(owner) ? owner : nullptr;
            GetLocalTime(&c->sel);
            c->sel.wHour = c->sel.wMinute = c->sel.wSecond = c->sel.wMilliseconds = 0;
            c->year = c->sel.wYear;
            c->month = c->sel.wMonth;
            SetWindowLongW(hwnd, 0, reinterpret_cast<LONG_PTR>(c));
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    Calendar& c = *cp;
    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongW(hwnd, 0, 0);
        delete cp;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETFONT:
        c.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(c.font);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(c); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_LBUTTONDOWN: Tap(c, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_KEYDOWN: {
        SYSTEMTIME st = c.sel;
        int delta = wParam == VK_LEFT ? -1 : wParam == VK_RIGHT ? 1 : wParam == VK_UP ? -7 : wParam == VK_DOWN ? 7 : 0;
        if (wParam == VK_ESCAPE && c.notify) return SendMessageW(c.notify, kCalendarCancelled, 0, 0);
        if (wParam == VK_RETURN) {
            Choose(c, c.sel);
            return 0;
        }
        if (wParam == VK_PRIOR || wParam == VK_NEXT) {
            // A month back or on, the day kept inside the shorter month.
            int m = st.wMonth + (wParam == VK_NEXT ? 1 : -1), y = st.wYear;
            if (m < 1) m = 12, --y;
            if (m > 12) m = 1, ++y;
            if (y < 1601 || y > 30827) return 0;
            c.sel.wYear = static_cast<WORD>(y);
            c.sel.wMonth = static_cast<WORD>(m);
            c.sel.wDay = static_cast<WORD>(std::min<int>(st.wDay, DaysInMonth(y, m)));
            c.sel.wDayOfWeek = static_cast<WORD>(DayOfWeek(y, m, c.sel.wDay));
            ShowMonth(c, y, m);
            return 0;
        }
        if (!delta) return 0;
        int d = st.wDay + delta, m = st.wMonth, y = st.wYear;
        while (d < 1) {
            if (--m < 1) m = 12, --y;
            d += DaysInMonth(y, m);
        }
        while (d > DaysInMonth(y, m)) {
            d -= DaysInMonth(y, m);
            if (++m > 12) m = 1, ++y;
        }
        if (y < 1601 || y > 30827) return 0;
        c.sel.wYear = static_cast<WORD>(y);
        c.sel.wMonth = static_cast<WORD>(m);
        c.sel.wDay = static_cast<WORD>(d);
        c.sel.wDayOfWeek = static_cast<WORD>(DayOfWeek(y, m, d));
        ShowMonth(c, y, m);
        return 0;
    }
    case MCM_GETCURSEL: {
        auto* st = reinterpret_cast<SYSTEMTIME*>(lParam);
        if (!st) return FALSE;
        *st = c.sel;
        return TRUE;
    }
    case MCM_SETCURSEL: {
        const auto* st = reinterpret_cast<const SYSTEMTIME*>(lParam);
        if (!st) return FALSE;
        SYSTEMTIME v = *st;
        v.wHour = v.wMinute = v.wSecond = v.wMilliseconds = 0;
        if (!IsValidSystemTime(v)) return FALSE;
        c.sel = *st;
        c.sel.wDayOfWeek = static_cast<WORD>(DayOfWeek(st->wYear, st->wMonth, st->wDay));
        ShowMonth(c, st->wYear, st->wMonth);
        return TRUE;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterMonthCalendarClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSW wc{};
        wc.style = CS_GLOBALCLASS;
        wc.lpfnWndProc = CalendarProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = MONTHCAL_CLASSW;
        RegisterClassW(&wc);
    });
}

} // namespace device::ui::lists
