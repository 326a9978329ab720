#include "core/CommonHelpers.h"

#include "platform/framework/BasicControls.h"
#include "resources/resource.h"
#include "platform/framework/DC.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/WindowDC.h"
#include "platform/framework/ListControls.h"
#include "platform/ui/ListControls.h"
#include "platform/ui/Sip.h"
#include "platform/ui/WinUser.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <string_view>

bool IsSquareScreenNot320() {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    return width == height && height != 320;
}

bool IsLandscape() {
    return GetSystemMetrics(SM_CXSCREEN) > GetSystemMetrics(SM_CYSCREEN);
}

WorkAreaMetrics ReadWorkAreaMetrics() {
    RECT area{};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    WorkAreaMetrics m;
    m.width = area.right - area.left;
    m.height = area.bottom - area.top;
    m.menuHeight = GetSystemMetrics(SM_CYMENU);
    m.usableHeight = m.height - m.menuHeight - 26;
    return m;
}

COLORREF ScaleColor(COLORREF color, float factor) {
    if (factor > 1.0f) factor = 1.0f;
    if (factor < 0.0f) factor = 0.0f;
    auto scale = [factor](unsigned channel) {
        return static_cast<unsigned>(static_cast<float>(channel) * factor) & 0xFFu;
    };
    unsigned r = scale(color & 0xFFu);
    unsigned g = scale((color >> 8) & 0xFFu);
    unsigned b = scale((color >> 16) & 0xFFu);
    return static_cast<COLORREF>(r | (g << 8) | (b << 16));
}

int IsNumericChar(LPCWSTR ch) {
    if (!ch || ch[0] == 0 || ch[1] != 0) return 0;
    wchar_t c = ch[0];
    if (c >= L'0' && c <= L'9') return 1;
    if (c == L'e') return 2;
    if (c == L'.') return 3;
    if (c == L'-') return 4;
    return 0;
}

bool ReadWholeNumber(LPCWSTR text, double& value) {
    if (!text) return false;
    WCHAR* end = nullptr; // a blank text leaves end at its start
    const double number = std::wcstod(text, &end);
    if (end == text) return false;
    while (*end && std::iswspace(*end)) ++end;
    if (*end || !std::isfinite(number)) return false;
    value = number;
    return true;
}

bool IsTooLargeNumber(LPCWSTR text) {
    if (!text || !std::wcspbrk(text, L"0123456789")) return false; // "inf" is written in letters
    WCHAR* end = nullptr;
    const double number = std::wcstod(text, &end);
    if (end == text) return false;
    while (*end && std::iswspace(*end)) ++end;
    return !*end && std::isinf(number) && number > 0;
}

bool IsTooSmallNumber(LPCWSTR text) {
    if (!text) return false;
    // wcstod tells an underflow (a number that is not 0 but below what a double holds in full)
    // by ERANGE; a 0 written in any way is none.
    WCHAR* end = nullptr;
    errno = 0;
    const double number = std::wcstod(text, &end);
    const bool underflow = errno == ERANGE && !std::isinf(number);
    if (end == text || std::signbit(number)) return false;
    while (*end && std::iswspace(*end)) ++end;
    return !*end && underflow;
}

bool IsBlankText(LPCWSTR text) {
    for (const WCHAR* p = text; p && *p; ++p)
        if (!std::iswspace(*p)) return false;
    return true;
}

bool IsNumericText(LPCWSTR text, int& position) {
    std::wstring_view all(text ? text : L"");
    // Position of the n-th occurrence (1-based) of c in the whole text, counted from its start.
    auto occurrence = [&all](wchar_t c, int n) {
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i] == c && --n == 0) return static_cast<int>(i);
        return -1;
    };
    int exponents = 0;
    int points = 0;
    for (size_t end = all.size(); end > 0; --end) {
        wchar_t c = all[end - 1];
        wchar_t one[2] = {c, 0};
        int kind = IsNumericChar(one);
        bool reject = false;
        if (kind == 0) {
            position = occurrence(c, 1);
            reject = true;
        } else if (kind == 2 || kind == 3) {
            int& seen = kind == 2 ? exponents : points;
            if (++seen == 2) {
                position = occurrence(c, 2);
                reject = true;
            }
        } else if (kind == 4 && end > 1) {
            // This "-" is the misplaced one: a leading minus stays where it is.
            position = static_cast<int>(end - 1);
            reject = true;
        }
        if (reject) {
            MessageBeep(0xFFFFFFFFu);
            return false;
        }
    }
    return true;
}

int CommaTakenAsDecimalPoint(LPCWSTR text) {
    std::wstring_view all(text ? text : L"");
    if (all.find(L'.') != std::wstring_view::npos) return -1;
    const size_t comma = all.find(L',');
    return comma == std::wstring_view::npos ? -1 : static_cast<int>(comma);
}

bool TakeCommaAsDecimalPoint(CEdit& field) {
    if (!field.GetSafeHwnd()) return false;
    CString text;
    field.GetWindowText(text);
    const int comma = CommaTakenAsDecimalPoint(text);
    if (comma < 0) return false;
    int start = 0, end = 0;
    field.GetSel(start, end);
    // Replaced in place, as typing would: the field stays modified and its undo goes back to
    // the text before the comma was typed. The replacement has the comma's length, so the caret
    // goes back where it was.
    field.SetSel(comma, comma + 1, TRUE);
    field.ReplaceSel(L".", FALSE);
    field.SetSel(start, end, TRUE);
    return true;
}

void FilterNumericEntry(CEdit& field) {
    if (!field.GetSafeHwnd()) return;
    TakeCommaAsDecimalPoint(field);
    CString text;
    field.GetWindowText(text);
    int position = 0;
    if (IsNumericText(text, position)) return;
    if (position >= 0 && position < text.GetLength()) text.Delete(position, 1);
    field.SetWindowText(text);
    const int length = text.GetLength();
    field.SetSel(length, length);
    field.SendMessage(EM_SCROLLCARET);
}

CString FitTextToWidth(HDC dc, const CString& text, int width) {
    CString result = text;
    while (!result.IsEmpty()) {
        SIZE size{};
        int fit = 0;
        GetTextExtentExPointW(dc, result, result.GetLength(), 0, &fit, nullptr, &size);
        if (size.cx < width) break;
        result = result.Left(result.GetLength() - 1);
    }
    return result;
}

CString FitTextToWidth(CDC* dc, const CString& text, int width) {
    return FitTextToWidth(dc ? dc->GetSafeHdc() : nullptr, text, width);
}

CString FitTextWithEllipsis(HDC dc, const CString& text, int width) {
    auto extent = [dc](const CString& t) {
        SIZE size{};
        GetTextExtentPoint32W(dc, t, t.GetLength(), &size);
        return static_cast<int>(size.cx);
    };
    if (!dc || extent(text) < width) return text;
    const CString ellipsis(L"...");
    return FitTextToWidth(dc, text, width - extent(ellipsis)) + ellipsis;
}

CString FitTextWithEllipsis(CDC* dc, const CString& text, int width) {
    return FitTextWithEllipsis(dc ? dc->GetSafeHdc() : nullptr, text, width);
}

int WidestText(CWnd& control, const std::vector<CString>& texts) {
    CClientDC dc(&control);
    CFont* font = control.GetFont();
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    int widest = 0;
    for (const CString& text : texts) widest = std::max(widest, static_cast<int>(dc.GetTextExtent(text).cx));
    if (old) dc.SelectObject(old);
    return widest;
}

int FitListExtentToTexts(CListBox& list) {
    std::vector<CString> texts(static_cast<size_t>(std::max(0, list.GetCount())));
    for (size_t i = 0; i < texts.size(); ++i) list.GetText(static_cast<int>(i), texts[i]);
    const int needed = WidestText(list, texts) + kListTextMargins;
    list.SetHorizontalExtent(needed);
    return needed;
}

void AdjustComboDropHeight(CComboBox* combo, int n) {
    AdjustComboDropHeight(combo ? combo->GetSafeHwnd() : nullptr, n);
}

void AdjustComboDropHeight(HWND combo, int n) {
    if (!combo) return;
    RECT client{};
    GetClientRect(combo, &client);
    RECT dropped{};
    if (!SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) return;
    MapWindowPoints(nullptr, GetParent(combo), reinterpret_cast<LPPOINT>(&dropped), 2);
    int field = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    MoveWindow(combo, dropped.left, dropped.top, dropped.right - dropped.left,
               field * n + (client.bottom - client.top), TRUE);
}

double MinutesToAngle(double value) {
    return (value - 15.0) * 0.10471966666666666;
}

POINT ClockHandEnd(double value, double lengthFactor, POINT centre, const RECT& rect) {
    double angle = MinutesToAngle(value);
    int halfWidth = (rect.right - rect.left) / 2;
    int halfHeight = (rect.bottom - rect.top) / 2;
    POINT end;
    end.x = centre.x + static_cast<LONG>(std::trunc(std::cos(angle) * halfWidth * lengthFactor + 0.5));
    end.y = centre.y + static_cast<LONG>(std::trunc(std::sin(angle) * halfHeight * lengthFactor + 0.5));
    return end;
}

void DrawAnalogClock(double value, int kind, POINT centre, const RECT& rect, POINT* points) {
    if (!points) return;
    if (kind == 2) {
        points[0] = centre;
        points[1] = ClockHandEnd(value, 0.85, centre, rect);
        return;
    }
    double length = kind == 0 ? 0.65 : kind == 1 ? 0.85 : 0.0;
    points[0] = centre;
    points[1] = ClockHandEnd(value, length, centre, rect);
    points[2] = points[1];
    points[3] = ClockHandEnd(value - 15.0, 0.05, centre, rect);
}

double CelsiusToFahrenheit(double celsius) {
    return ((celsius + 273.15) - 273.15) * 1.8 + 32.0;
}

double FahrenheitToCelsius(double fahrenheit) {
    return ((fahrenheit - 32.0) * 0.5555555555555556 + 273.15) - 273.15;
}

void PaintFormHeaderBand(CDC& dc, int width, int top, int bottom) {
    CBrush band;
    band.CreateSolidBrush(RGB(194, 211, 228));
    CPen outline;
    outline.CreatePen(PS_SOLID, 1, RGB(160, 172, 192));
    CBrush* oldBrush = dc.SelectObject(&band);
    CPen* oldPen = dc.SelectObject(&outline);
    dc.Rectangle(0, top, width, bottom);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
}

namespace {
// The top-level window a window is shown in (itself when it is one).
HWND TopLevelWindowOf(HWND h) {
    while (h && (::GetWindowLongW(h, GWL_STYLE) & WS_CHILD)) h = ::GetParent(h);
    return h;
}
} // namespace

int TipsLinesNeeded(CWnd& page, CFont& font, UINT stringId, int width) {
    CString text;
    text.LoadString(stringId);
    text.Remove(L'\r');
    CClientDC dc(&page);
    CFont* old = font.GetSafeHandle() ? dc.SelectObject(&font) : nullptr;
    const int room = width > 1 ? width : 1;
    int lines = 0;
    for (int start = 0; start <= text.GetLength();) {
        int end = text.Find(L'\n', start);
        if (end < 0) end = text.GetLength();
        const int extent = dc.GetTextExtent(text.Mid(start, end - start)).cx;
        lines += extent > room ? (extent + room - 1) / room : 1;
        start = end + 1;
    }
    if (old) dc.SelectObject(old);
    return lines + 1;
}

bool TipsBoxTakesKey(CWnd& page, const TipsBox& box, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_ESCAPE && msg.wParam != VK_RETURN)) return false;
    if (!page.m_hWnd || !box.frame.m_hWnd || !box.hide.m_hWnd || !(box.frame.GetStyle() & WS_VISIBLE)) return false;
    if (!page.IsWindowVisible()) return false;
    // Keys for any window of the page's own top-level window (the focus may be on the tab strip
    // above the page): the box stands over the page the user looks at.
    if (!msg.hwnd || TopLevelWindowOf(msg.hwnd) != TopLevelWindowOf(page.m_hWnd)) return false;
    page.SendMessage(WM_COMMAND, MAKEWPARAM(box.hide.GetDlgCtrlID(), BN_CLICKED), reinterpret_cast<LPARAM>(box.hide.m_hWnd));
    return true;
}

int BottomAbovePanel(CWnd& page, int bottom) {
    SIPINFO info{};
    info.cbSize = sizeof(info);
    if (!page.m_hWnd || !::SHSipInfo(SPI_GETSIPINFO, 0, &info, 0) || !(info.fdwFlags & SIPF_ON)) return bottom;
    POINT foot{0, info.rcVisibleDesktop.bottom};
    page.ScreenToClient(&foot);
    return foot.y < bottom ? foot.y : bottom;
}

void PlaceTipsBox(CWnd& page, const TipsBox& box, int x, int y, UINT stringId, int lineCount, int alignment, bool fit,
                  int width) {
    CString text;
    text.LoadString(stringId);
    CSize extent;
    {
        CClientDC dc(&page);
        CFont* old = dc.SelectObject(&box.textFont);
        extent = dc.GetTextExtent(text);
        dc.SelectObject(old);
    }
    box.text.SetWindowText(text);
    const int lines = lineCount > 0 ? lineCount : 1;
    const int frameWidth = fit ? extent.cx / lines + 20 : width;
    const int frameHeight = (lineCount + 2) * extent.cy + 20;
    box.frame.SetWindowPos(&CWnd::wndTopMost, x, y, frameWidth, frameHeight, SWP_SHOWWINDOW);
    box.text.SetWindowPos(&CWnd::wndTopMost, x + 5, y + 20, frameWidth - 10, (lineCount + 2) * extent.cy - 25,
                          SWP_SHOWWINDOW);
    RECT client{};
    box.frame.GetClientRect(&client);
    const int cw = client.right - client.left;
    const int ch = client.bottom - client.top;
    CString hide;
    hide.LoadString(IDS_TIPS_HIDE);
    box.hide.SetWindowText(hide);
    // Half the box wide and centred, or as wide as its caption needs in a box fitted to a short
    // text (a longer word in another language), within the box.
    int hideWidth = cw / 2;
    {
        CClientDC dc(&box.hide);
        CFont* font = box.hide.GetFont();
        CFont* old = font ? dc.SelectObject(font) : nullptr;
        hideWidth = std::max(hideWidth, std::min(static_cast<int>(dc.GetTextExtent(hide).cx) + 8, cw - 4));
        if (old) dc.SelectObject(old);
    }
    const int left = hideWidth == cw / 2 ? cw / 4 : (cw - hideWidth) / 2;
    box.hide.SetWindowPos(&CWnd::wndTopMost, x + left + 2, y + ch - 17, hideWidth, 17, SWP_SHOWWINDOW);
    // The box takes the focus, unless the user works in another window (a dialog open over the
    // page) or on another tab (the page hidden under it): a box placed again after a settings
    // change (the panel raised for a field there) must not take the focus away from it.
    const HWND focus = ::GetFocus();
    if (page.IsWindowVisible() && (!focus || TopLevelWindowOf(focus) == TopLevelWindowOf(page.m_hWnd)))
        box.frame.SetFocus();
    ::HideCaret(box.text.m_hWnd);
    static constexpr DWORD kAlign[3] = {ES_LEFT, ES_CENTER, ES_RIGHT};
    if (alignment >= 0 && alignment <= 2) box.text.ModifyStyle(ES_CENTER | ES_RIGHT, kAlign[alignment]);
}
