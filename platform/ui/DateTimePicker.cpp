// The date-time picker ("SysDateTimePick32"): a value shown as fields that the stylus selects and
// the keys change, and, for dates, an arrow that drops down a month calendar. While the calendar
// is down it takes the keys: arrows move its day, Page Up and Page Down its month, Return (or the
// drop-down key again) takes the day, Escape closes it alone.

#include "platform/system/DeviceTime.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/ListBoxInternal.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace device::ui::lists {
namespace {

enum Field { kDay, kMonth, kYear, kHour, kMinute, kSecond };

struct Picker {
    HWND hwnd = nullptr;
    DWORD style = 0;
    SYSTEMTIME value{};
    HFONT font = nullptr;
    int field = 0;            // index into Fields() of the selected field
    std::wstring typed;       // digits typed into the selected field so far
    bool focused = false;
    HWND calendar = nullptr;  // the dropped-down month calendar
};

Picker* State(HWND hwnd) { return reinterpret_cast<Picker*>(GetWindowLongW(hwnd, 0)); }

bool IsTime(const Picker& p) { return (p.style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT; }

std::vector<Field> Fields(const Picker& p) {
    if (IsTime(p)) return {kHour, kMinute, kSecond};
    return {kDay, kMonth, kYear};
}

int FieldValue(const SYSTEMTIME& st, Field f) {
    switch (f) {
    case kDay: return st.wDay;
    case kMonth: return st.wMonth;
    case kYear: return st.wYear;
    case kHour: return st.wHour;
    case kMinute: return st.wMinute;
    case kSecond: return st.wSecond;
    }
    return 0;
}

std::wstring FieldText(const SYSTEMTIME& st, Field f) {
    wchar_t buf[8];
    std::swprintf(buf, 8, f == kYear ? L"%04d" : L"%02d", FieldValue(st, f));
    return buf;
}

wchar_t Separator(const Picker& p) { return IsTime(p) ? L':' : L'/'; }

int ArrowWidth(const Picker& p) { return IsTime(p) ? 0 : GetSystemMetrics(SM_CXVSCROLL) + 2; }

// Each field's rectangle in client coordinates, measured with the control's font.
std::vector<RECT> FieldRects(const Picker& p) {
    std::vector<RECT> rects;
    RECT client{};
    GetClientRect(p.hwnd, &client);
    HDC dc = GetDC(p.hwnd);
    if (!dc) return rects;
    HGDIOBJ of = SelectObject(dc, ControlFont(p.font));
    int x = 3;
    std::vector<Field> fields = Fields(p);
    wchar_t sep[2] = {Separator(p), 0};
    SIZE sepSize{};
    GetTextExtentPoint32W(dc, sep, 1, &sepSize);
    for (size_t i = 0; i < fields.size(); ++i) {
        std::wstring t = FieldText(p.value, fields[i]);
        SIZE s{};
        GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &s);
        rects.push_back(RECT{x, client.top + 2, x + s.cx, client.bottom - 2});
        x += s.cx + sepSize.cx;
    }
    SelectObject(dc, of);
    ReleaseDC(p.hwnd, dc);
    return rects;
}

void Changed(Picker& p) {
    InvalidateRect(p.hwnd, nullptr, FALSE);
    NMDATETIMECHANGE nm{};
    nm.dwFlags = GDT_VALID;
    nm.st = p.value;
    NotifyParentNm(p.hwnd, &nm.nmhdr, DTN_DATETIMECHANGE);
}

// Sets one field (the day is kept inside the month); false when the value is out of range.
bool SetField(SYSTEMTIME& st, Field f, int v) {
    SYSTEMTIME n = st;
    switch (f) {
    case kDay: n.wDay = static_cast<WORD>(v); break;
    case kMonth: n.wMonth = static_cast<WORD>(v); break;
    case kYear: n.wYear = static_cast<WORD>(v); break;
    case kHour: n.wHour = static_cast<WORD>(v); break;
    case kMinute: n.wMinute = static_cast<WORD>(v); break;
    case kSecond: n.wSecond = static_cast<WORD>(v); break;
    }
    if (v < 0 || v > 30827) return false;
    if ((f == kMonth || f == kYear) && n.wMonth >= 1 && n.wMonth <= 12 && n.wDay > DaysInMonth(n.wYear, n.wMonth))
        n.wDay = static_cast<WORD>(DaysInMonth(n.wYear, n.wMonth));
    if (!IsValidSystemTime(n)) return false;
    n.wDayOfWeek = static_cast<WORD>(DayOfWeek(n.wYear, n.wMonth, n.wDay));
    st = n;
    return true;
}

// Up and Down step the selected field, wrapping inside its range.
void Step(Picker& p, int delta) {
    Field f = Fields(p)[static_cast<size_t>(p.field)];
    int v = FieldValue(p.value, f) + delta;
    int lo = 0, hi = 0;
    switch (f) {
    case kDay: lo = 1, hi = DaysInMonth(p.value.wYear, p.value.wMonth); break;
    case kMonth: lo = 1, hi = 12; break;
    case kYear: lo = 1601, hi = 30827; break;
    case kHour: lo = 0, hi = 23; break;
    case kMinute:
    case kSecond: lo = 0, hi = 59; break;
    }
    if (v < lo) v = hi;
    if (v > hi) v = lo;
    p.typed.clear();
    if (SetField(p.value, f, v)) Changed(p);
}

void SelectField(Picker& p, int i) {
    int n = static_cast<int>(Fields(p).size());
    i = std::clamp(i, 0, n - 1);
    if (i != p.field) p.typed.clear();
    p.field = i;
    InvalidateRect(p.hwnd, nullptr, FALSE);
}

// A digit typed into the selected field; the field takes the number once it has all its digits.
void Digit(Picker& p, wchar_t d) {
    std::vector<Field> fields = Fields(p);
    Field f = fields[static_cast<size_t>(p.field)];
    size_t width = f == kYear ? 4 : 2;
    p.typed.push_back(d);
    if (p.typed.size() < width) {
        InvalidateRect(p.hwnd, nullptr, FALSE);
        return;
    }
    int v = std::stoi(p.typed);
    p.typed.clear();
    if (SetField(p.value, f, v)) Changed(p);
    InvalidateRect(p.hwnd, nullptr, FALSE);
    if (p.field + 1 < static_cast<int>(fields.size())) SelectField(p, p.field + 1);
}

void CloseCalendar(Picker& p) {
    if (!p.calendar) return;
    HWND cal = p.calendar;
    p.calendar = nullptr;
    if (GetCapture() == cal) ReleaseCapture();
    DestroyWindow(cal);
    NMHDR nm{};
    NotifyParentNm(p.hwnd, &nm, DTN_CLOSEUP);
}

void DropCalendar(Picker& p) {
    if (p.calendar) return;
    NMHDR nm{};
    HWND self = p.hwnd;
    NotifyParentNm(self, &nm, DTN_DROPDOWN);
    if (!State(self) || p.calendar) return;
    RECT r{};
    GetWindowRect(self, &r);
    int w = 7 * (FontHeight(p.font) + 7), h = 8 * (FontHeight(p.font) + 6) + 4;
    int x = std::max(0L, std::min(static_cast<long>(r.left), static_cast<long>(GetSystemMetrics(SM_CXSCREEN) - w)));
    // Whole inside the work area (above a raised input panel), as the drop-down lists are: under
    // the field, else above it, else as low as it fits, over the field.
    RECT work = WorkArea();
    if (IsSipUp()) work.bottom = std::min(work.bottom, SipRect().top);
    int y = r.bottom;
    if (y + h > work.bottom) y = r.top - h >= work.top ? r.top - h : std::max(work.top, work.bottom - h);
    p.calendar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, MONTHCAL_CLASSW, L"", WS_POPUP, x, y, w, h, self,
                                 nullptr, nullptr, self);
    if (!p.calendar) return;
    if (p.font) SendMessageW(p.calendar, WM_SETFONT, reinterpret_cast<WPARAM>(p.font), FALSE);
    SYSTEMTIME st = p.value;
    SendMessageW(p.calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
    ShowWindow(p.calendar, SW_SHOWNA);
    SetCapture(p.calendar);
}

void Paint(Picker& p) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(p.hwnd, &ps);
    if (!dc) return;
    RECT client{};
    GetClientRect(p.hwnd, &client);
    bool enabled = IsWindowEnabled(p.hwnd) != FALSE;
    FillRect(dc, &client, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HGDIOBJ of = SelectObject(dc, ControlFont(p.font));
    SetBkMode(dc, TRANSPARENT);
    std::vector<Field> fields = Fields(p);
    std::vector<RECT> rects = FieldRects(p);
    for (size_t i = 0; i < fields.size() && i < rects.size(); ++i) {
        std::wstring t = FieldText(p.value, fields[i]);
        if (static_cast<int>(i) == p.field && !p.typed.empty()) t = p.typed;
        RECT r = rects[i];
        bool selected = p.focused && static_cast<int>(i) == p.field;
        if (selected) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (i + 1 < fields.size()) {
            wchar_t sep[2] = {Separator(p), 0};
            SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
            RECT sr{r.right, r.top, rects[i + 1].left, r.bottom};
            DrawTextW(dc, sep, 1, &sr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    if (int aw = ArrowWidth(p)) {
        RECT a{client.right - aw, client.top + 1, client.right - 1, client.bottom - 1};
        FillRect(dc, &a, GetSysColorBrush(p.calendar ? COLOR_BTNSHADOW : COLOR_BTNFACE));
        RECT edge{a.left, a.top, a.left + 1, a.bottom};
        FillRect(dc, &edge, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        int cx = (a.left + a.right) / 2, cy = (a.top + a.bottom) / 2, s = std::max(2, (a.right - a.left) / 4);
        POINT pts[3] = {{cx - s, cy - s / 2}, {cx + s, cy - s / 2}, {cx, cy + s / 2 + 1}};
        HGDIOBJ ob = SelectObject(dc, GetStockObject(BLACK_BRUSH));
        HGDIOBJ op = SelectObject(dc, GetStockObject(BLACK_PEN));
        Polygon(dc, pts, 3);
        SelectObject(dc, ob);
        SelectObject(dc, op);
    }
    SelectObject(dc, of);
    EndPaint(p.hwnd, &ps);
}

LRESULT CALLBACK PickerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Picker* pp = State(hwnd);
    if (!pp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            auto* p = new Picker;
            p->hwnd = hwnd;
            p->style = static_cast<DWORD>(cs->style);
            GetLocalTime(&p->value);
            p->value.wMilliseconds = 0;
            SetWindowLongW(hwnd, 0, reinterpret_cast<LONG_PTR>(p));
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    Picker& p = *pp;
    switch (msg) {
    case WM_DESTROY:
        if (p.calendar) {
            HWND cal = p.calendar;
            p.calendar = nullptr;
            if (GetCapture() == cal) ReleaseCapture();
            DestroyWindow(cal);
        }
        return 0;
    case WM_NCDESTROY:
        SetWindowLongW(hwnd, 0, 0);
        delete pp;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SETFONT:
        p.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(p.font);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(p); return 0;
    case WM_GETDLGCODE:
        // With the calendar down, Return and Escape are the calendar's, not the dialog's.
        return DLGC_WANTARROWS | DLGC_WANTCHARS |
               (p.calendar && (wParam == VK_RETURN || wParam == VK_ESCAPE) ? DLGC_WANTALLKEYS : 0);
    case WM_SETFOCUS:
        p.focused = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_KILLFOCUS:
        p.focused = false;
        p.typed.clear();
        if (p.calendar) CloseCalendar(p);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (GetFocus() != hwnd) SetFocus(hwnd);
        Picker* again = State(hwnd);
        if (!again) return 0;
        RECT client{};
        GetClientRect(hwnd, &client);
        if (ArrowWidth(*again) && pt.x >= client.right - ArrowWidth(*again)) {
            if (again->calendar)
                CloseCalendar(*again);
            else
                DropCalendar(*again);
            return 0;
        }
        std::vector<RECT> rects = FieldRects(*again);
        for (size_t i = 0; i < rects.size(); ++i) {
            RECT r = rects[i];
            r.right += 2;  // the separator belongs to the field before it
            if (pt.x < r.right || i + 1 == rects.size()) {
                SelectField(*again, static_cast<int>(i));
                break;
            }
        }
        return 0;
    }
    case WM_KEYDOWN:
        if (p.calendar) {
            // The open calendar takes the keys; the drop-down key again takes its day.
            UINT key = static_cast<UINT>(wParam);
            if (IsDropDownKey(key)) key = VK_RETURN;
            switch (key) {
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
            case VK_PRIOR:
            case VK_NEXT:
            case VK_RETURN:
            case VK_ESCAPE: SendMessageW(p.calendar, WM_KEYDOWN, key, lParam); break;
            default: break;
            }
            return 0;
        }
        if (IsDropDownKey(static_cast<UINT>(wParam))) {
            if (!IsTime(p)) DropCalendar(p);
            return 0;
        }
        switch (wParam) {
        case VK_UP: Step(p, 1); break;
        case VK_DOWN: Step(p, -1); break;
        case VK_LEFT: SelectField(p, p.field - 1); break;
        case VK_RIGHT: SelectField(p, p.field + 1); break;
        default: break;
        }
        return 0;
    case WM_CHAR:
        if (!p.calendar && wParam >= L'0' && wParam <= L'9') Digit(p, static_cast<wchar_t>(wParam));
        return 0;
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(lParam);
        if (nm && p.calendar && nm->hwndFrom == p.calendar && nm->code == MCN_SELECT) {
            const auto* sel = reinterpret_cast<NMSELCHANGE*>(lParam);
            SYSTEMTIME v = p.value;
            v.wYear = sel->stSelStart.wYear;
            v.wMonth = sel->stSelStart.wMonth;
            v.wDay = sel->stSelStart.wDay;
            v.wDayOfWeek = static_cast<WORD>(DayOfWeek(v.wYear, v.wMonth, v.wDay));
            bool changed = v.wYear != p.value.wYear || v.wMonth != p.value.wMonth || v.wDay != p.value.wDay;
            CloseCalendar(p);
            if (Picker* again = State(hwnd); again && changed && IsValidSystemTime(v)) {
                again->value = v;
                Changed(*again);
            }
        }
        return 0;
    }
    case kCalendarCancelled: CloseCalendar(p); return 0;
    case DTM_GETSYSTEMTIME: {
        auto* st = reinterpret_cast<SYSTEMTIME*>(lParam);
        if (!st) return GDT_ERROR;
        *st = p.value;
        return GDT_VALID;
    }
    case DTM_SETSYSTEMTIME: {
        const auto* st = reinterpret_cast<const SYSTEMTIME*>(lParam);
        if (wParam != GDT_VALID || !st) return FALSE;  // this picker always holds a date
        if (!IsValidSystemTime(*st)) return FALSE;
        p.value = *st;
        p.value.wDayOfWeek = static_cast<WORD>(DayOfWeek(st->wYear, st->wMonth, st->wDay));
        p.typed.clear();
        if (p.calendar) SendMessageW(p.calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&p.value));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    }
    case DTM_GETMONTHCAL: return reinterpret_cast<LRESULT>(p.calendar);
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterDateTimeClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterMonthCalendarClass();
        WNDCLASSW wc{};
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = PickerProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = DATETIMEPICK_CLASSW;
        RegisterClassW(&wc);
    });
}

} // namespace device::ui::lists
