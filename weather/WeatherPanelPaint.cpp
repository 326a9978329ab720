// The Weather page's forecasts: which stored day is today, the day cells of the four places, the
// paint, and the °C/°F conversion of the shown temperatures.

#include "weather/WeatherPanel.h"

#include "core/CommonHelpers.h"
#include "core/TextFiles.h"
#include "platform/framework/DC.h"
#include "platform/framework/WindowDC.h"
#include "platform/framework/Time.h"
#include "platform/system/DeviceTime.h"
#include "resources/resource.h"
#include "weather/ForecastText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <cwctype>

namespace {

constexpr int kOneDay = 86400;
constexpr int kCurrentFor = 345600;   // four days after the record date's 23:59:00
constexpr int kTodayReference = 431999; // five days less one second

// The leading whole number of a text as the server sent it: a sign and digits, the rest ignored.
int LeadingInteger(const CString& text) { return static_cast<int>(std::wcstol(text.GetString(), nullptr, 10)); }

bool TwoDigits(const CString& text, int at, int count, int& value) {
    if (text.GetLength() < at + count) return false;
    value = 0;
    for (int i = at; i < at + count; ++i) {
        WCHAR c = text[i];
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    return true;
}

// The smallest height a temperature text steps down to before it is moved past its cell's start.
constexpr int kSmallestTemperatureHeight = 8;

} // namespace

int CWeatherPanel::ColumnLine(int k, int width) {
    // The default skin's images draw a line before the first day column and two pixels before
    // the second and the third columns' pictures (at 27W/40 - 1 and 33W/40).
    switch (k) {
    case 0: return 20 * width / 40 - 8;
    case 1: return 27 * width / 40 - 3;
    case 2: return 33 * width / 40 - 2;
    default: return width;
    }
}

CFont* CWeatherPanel::FitTemperatureFont(CDC& dc, const CString* texts, int count, int room, CFont& smaller) {
    auto widest = [&] {
        int most = 0;
        for (int i = 0; i < count; ++i) most = std::max<int>(most, dc.GetTextExtent(texts[i]).cx);
        return most;
    };
    dc.SelectObject(&m_mediumFont);
    if (widest() <= room) return &m_mediumFont;
    LOGFONTW lf{};
    m_mediumFont.GetLogFont(&lf);
    const LONG start = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    for (LONG height = start - 1; height >= kSmallestTemperatureHeight; --height) {
        smaller.DeleteObject();
        lf.lfHeight = height;
        smaller.CreateFontIndirect(&lf);
        dc.SelectObject(&smaller);
        if (widest() <= room) break;
    }
    return smaller.GetSafeHandle() ? &smaller : &m_mediumFont;
}

ForecastCurrency ComputeForecastCurrency(const CString& dateText, time_t now) {
    ForecastCurrency result;
    int day = 0, month = 0, year = 0;
    if (!TwoDigits(dateText, 0, 2, day) || !TwoDigits(dateText, 3, 2, month) || !TwoDigits(dateText, 6, 4, year))
        return result;
    // A day that does not exist in its month (31/06) is not a valid date.
    if (month < 1 || month > 12 || day < 1 || day > device::DaysInMonth(year, month) || year < 1971 || year > 2037)
        return result;
    // Counted in seconds of the device's clock, every day 86400 of them: across a change to or
    // from daylight time, today still moves on at local midnight.
    const CTime local(now);
    const int64_t clockNow = device::DaysFromCivil(local.GetYear(), local.GetMonth(), local.GetDay()) * kOneDay +
                             local.GetHour() * 3600 + local.GetMinute() * 60 + local.GetSecond();
    const int64_t end = device::DaysFromCivil(year, month, day) * kOneDay + 23 * 3600 + 59 * 60 + kCurrentFor;
    if (clockNow > end) return result;
    const auto left = static_cast<uint32_t>(static_cast<int32_t>(end - clockNow));
    result.current = true;
    result.daysLeft = left / kOneDay;
    result.todayIndex = static_cast<uint32_t>(kTodayReference - static_cast<int32_t>(left)) / kOneDay;
    return result;
}

CString ConvertTemperatureText(const CString& text, const CString& separator, bool toFahrenheit) {
    if (text.IsEmpty()) return text;
    const int degree = text.Find(L'°');
    const CString high = degree >= 0 ? text.Left(degree) : text;
    CString low;
    // The separator is looked for after the high part: a placeholder high "N/A" holds the
    // separator's "/" itself.
    const int sep = separator.IsEmpty() ? -1 : text.Find(separator, degree >= 0 ? degree : 0);
    if (sep >= 0) {
        low = text.Mid(sep + separator.GetLength());
        const int lowDegree = low.Find(L'°');
        if (lowDegree >= 0) low = low.Left(lowDegree);
    }
    auto convert = [&](const CString& part, bool withSeparator) {
        WCHAR buffer[64];
        if (part == L"-" || part == L"N/A") {
            std::swprintf(buffer, 64, L"%ls°%ls", part.GetString(), withSeparator ? separator.GetString() : L"");
            return CString(buffer);
        }
        const double x = LeadingInteger(part);
        const double v = toFahrenheit ? CelsiusToFahrenheit(x) : FahrenheitToCelsius(x);
        std::swprintf(buffer, 64, L"%.0f°%ls", v, withSeparator ? separator.GetString() : L"");
        return CString(buffer);
    };
    return convert(high, true) + convert(low, false);
}

RECT CWeatherPanel::DayCellRect() {
    const int w = m_workWidth;
    const int g = s_bandHeight;
    const CSize first = WindowSize(IDC_WEATHER_ICON11);
    const CSize last = WindowSize(IDC_WEATHER_ICON43);
    // From the first column's line to the page's right edge, where the third column's texts and
    // a wrapped "Tap to sync." end.
    RECT r{ColumnLine(0, w), g / 8 + 11 - first.cy, w, 3 * g / 4 + g / 8 + 43 + last.cy - first.cy};
    return r;
}

void CWeatherPanel::LoadPlaceForecasts() {
    const time_t now = CTime::GetCurrentTime().GetTime();
    for (int p = 0; p < kPlaces; ++p) {
        const DWORD position = s_placePositions[p];
        const ForecastCurrency currency = ComputeForecastCurrency(m_weatherDb.GetUpdateDate(position), now);
        if (!currency.current) {
            m_placeHasData[p] = 0; // the old cells stay, unseen
            continue;
        }
        const std::vector<CString> fields = SplitForecastFields(m_weatherDb.GetForecast(position));
        WeatherPlaceDays& days = m_placeDays[p];
        for (int k = 0; k < kShownDays; ++k) {
            days.tempTexts[k].Empty();
            days.iconPaths[k].Empty();
            if (currency.todayIndex >= 5 || static_cast<int>(currency.daysLeft) - k < 0) continue;
            const int i = static_cast<int>(currency.todayIndex) + k;
            // A day the stored forecast does not reach (a short one) is left empty.
            if (i >= kForecastDays || !ForecastReachesDay(fields, i)) continue;
            days.tempTexts[k] = ShownForecastField(ForecastField(fields, i, kDayHigh), kDayHigh) + L"°" +
                                m_tempSeparator + ShownForecastField(ForecastField(fields, i, kDayLow), kDayLow) +
                                L"°";
            const CString code = ForecastField(fields, i, kDayConditionCode);
            const CString name = (code == L"N/A" || code == L"-") ? CString(L"na") : LookupImageMapping(code);
            CString path = m_iconFolder + name + L".bmp";
            // A path too long for the icon buffer is left out rather than cut to another name.
            if (path.GetLength() <= 255) days.iconPaths[k] = path;
        }
        m_placeHasData[p] = 1;
    }
    if (m_hWnd) {
        // Erased first: the texts are drawn transparent and would stand over the old ones.
        RECT cells = DayCellRect();
        InvalidateRect(&cells, TRUE);
    }
}

void CWeatherPanel::OnPaint() {
    CPaintDC dc(this);
    const int w = m_workWidth;
    const int h = m_workHeight;
    const int g = s_bandHeight;
    const int a = s_wideFlag;
    const int s = s_syncAllTop;
    const int tops[kPlaces] = {g / 8, g / 8 + g / 4, g / 8 + g / 2, 3 * g / 4 + g / 8};
    const int columns[kShownDays] = {20 * w / 40, 27 * w / 40, 33 * w / 40};
    const CSize icon = WindowSize(IDC_WEATHER_ICON11);
    const CSize combo = ClientSize(m_placeCombos[0]);
    const bool square = IsSquareScreenNot320();
    const CSize cell = square ? CSize(icon.cx - 1, icon.cy + 2) : CSize(icon.cx + 5, icon.cy + 8);
    const int iconX[kShownDays] = {columns[0] + 5, columns[1] - 1, columns[2]};

    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_cityNameColor);
    CFont* oldFont = dc.SelectObject(&m_normalFont);
    CString tapText;
    tapText.LoadString(IDS_TAP_TO_SYNC_CITY);
    static constexpr int kPortraitY[kPlaces] = {28, 28, 30, 29};
    static constexpr int kSquareY[kPlaces] = {22, 22, 23, 22};
    for (int p = 0; p < kPlaces; ++p) {
        const int top = tops[p];
        if (m_placeHasData[p] == 0 || m_forecastsShown == 0) {
            dc.SelectObject(&m_normalFont);
            // A text that would run off the page's right edge wraps within the place's row.
            const int left = columns[0] + 12;
            if (left + dc.GetTextExtent(tapText).cx <= w - 2) {
                dc.TextOut(left, top + 11, tapText);
            } else {
                RECT box{left, top + 11, w - 2, top + 11 + g / 4};
                dc.DrawText(tapText, &box, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
            }
            continue;
        }
        dc.SelectObject(&m_mediumFont);
        WeatherPlaceDays& days = m_placeDays[p];
        for (int k = 0; k < kShownDays; ++k) {
            if (days.iconPaths[k].IsEmpty()) continue;
            HBITMAP bitmap = ::SHLoadDIBitmap(days.iconPaths[k]);
            if (!bitmap) continue;
            CBitmap image;
            image.Attach(bitmap);
            BITMAP info{};
            image.GetBitmap(&info);
            CDC memory;
            memory.CreateCompatibleDC(&dc);
            CBitmap* old = memory.SelectObject(&image);
            dc.TransparentBlt(iconX[k], top + 21 - icon.cy, cell.cx, cell.cy, &memory, 0, 0, info.bmWidth,
                              info.bmHeight, RGB(255, 0, 255));
            memory.SelectObject(old);
        }
        // Each text stays inside its day column, between the background's column lines: one
        // that would cross the next line moves left within its column, and one still too wide
        // (negative temperatures, many digits) is drawn in a smaller font.
        for (int k = 0; k < kShownDays; ++k) {
            CString& text = days.tempTexts[k];
            const int right = ColumnLine(k + 1, w) - 2;
            CFont smaller;
            if (w < h || square) {
                const int y = top + (w < h ? kPortraitY[p] : kSquareY[p]);
                const int left = ColumnLine(k, w) + 2;
                CFont* font = FitTemperatureFont(dc, &text, 1, right - left, smaller);
                dc.SelectObject(font);
                const int width = dc.GetTextExtent(text).cx;
                dc.TextOut(std::max(left, std::min<int>(iconX[k], right - width)), y, text);
                dc.SelectObject(&m_mediumFont);
                continue;
            }
            text.TrimLeft();
            const int degree = text.Find(L'°');
            const CString lines[2] = {degree >= 0 ? text.Left(degree + 1) : text,
                                      degree >= 0 ? text.Mid(degree + 1 + m_tempSeparator.GetLength()) : CString()};
            static constexpr int kTwoLineX[kShownDays] = {11, 7, 8};
            const int x = columns[k] + icon.cx + kTwoLineX[k];
            // The two lines may also take the picture cell's last pixels, where the picture
            // shows its transparent margin.
            const int left = x - 3;
            CFont* font = FitTemperatureFont(dc, lines, 2, right - left, smaller);
            dc.SelectObject(font);
            for (int line = 0; line < 2; ++line) {
                const int width = dc.GetTextExtent(lines[line]).cx;
                dc.TextOut(std::max(left, std::min(x, right - width)), line == 0 ? top + 23 - icon.cy : top + 19,
                           lines[line]);
            }
            dc.SelectObject(&m_mediumFont);
        }
    }

    CString syncAll;
    syncAll.LoadString(IDS_SYNC_ALL);
    dc.SelectObject(&m_arialBoldFont);
    dc.SetTextColor(m_syncAllColor);
    dc.TextOut(w / 4 - 5, s, syncAll);

    dc.SelectObject(&m_headingFont);
    dc.SetTextColor(m_dayColor);
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    const int d = today.wDayOfWeek;
    m_shownWeekday = d;
    dc.TextOut(columns[0] + 5, s, m_dayNames[d]);
    dc.TextOut(columns[1] - 1, s, m_dayNames[(d + 1) % 7]);
    dc.TextOut(columns[2], s, m_dayNames[(d + 2) % 7]);

    dc.SetTextColor(m_moreColor);
    CString more;
    more.LoadString(IDS_MORE);
    more += L" ...";
    for (int p = 0; p < kPlaces; ++p) dc.TextOut(combo.cx / 3 + 7, tops[p] + (p == 0 ? 20 : 22) - 4 * a, more);

    dc.SelectObject(&m_largeFont);
    dc.SetTextColor(m_cityNameColor);
    for (int p = 0; p < kPlaces; ++p) {
        if (m_placeNames[p].IsEmpty()) m_placeNames[p] = m_weatherDb.GetName(s_placePositions[p]);
        const CString name = FitTextToWidth(&dc, m_placeNames[p], w / 2 - 25);
        dc.TextOut(7, tops[p] + (p == 3 ? 24 : 23) - a - combo.cy, name);
    }
    dc.SelectObject(oldFont);
}

// Units -----------------------------------------------------------------------------------------

void CWeatherPanel::ConvertAll(bool toFahrenheit) {
    CreateFont(m_mediumFont, 11, 400, false, m_sharedFontFace);
    for (WeatherPlaceDays& days : m_placeDays)
        for (CString& text : days.tempTexts) text = ConvertTemperatureText(text, m_tempSeparator, toFahrenheit);
    if (m_hWnd) {
        RECT cells = DayCellRect();
        InvalidateRect(&cells, TRUE);
    }
}

// The unit in use wears the skin's °C colours (the marked look the page starts with, °C being
// the default unit), the other button the °F colours: the marked box follows the chosen unit.
void CWeatherPanel::ShowChosenUnit() {
    if (!m_celsiusButton.m_hWnd || !m_fahrenheitButton.m_hWnd) return;
    CIconButton& chosen = m_fahrenheit ? m_fahrenheitButton : m_celsiusButton;
    CIconButton& other = m_fahrenheit ? m_celsiusButton : m_fahrenheitButton;
    chosen.SetColor(CIconButton::BTNST_COLOR_BK_OUT, m_celsiusBack, TRUE);
    for (BYTE slot : {1, 3, 5}) chosen.SetColor(slot, m_celsiusTextColor);
    other.SetColor(CIconButton::BTNST_COLOR_BK_OUT, m_fahrenheitBack, TRUE);
    for (BYTE slot : {1, 3, 5}) other.SetColor(slot, m_fahrenheitTextColor);
}

// The user's choice of a unit: the page changes only once the choice is stored, so that it
// never shows a unit that the next start, the forecast view and the Today item do not have (a
// failed write says so and the page stays as it was).
void CWeatherPanel::OnFahrenheit() {
    if (!m_registry.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"fara", 1)) return;
    ShowFahrenheit();
}

void CWeatherPanel::OnCelsius() {
    if (!m_registry.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"fara", 0)) return;
    ShowCelsius();
}

void CWeatherPanel::ShowFahrenheit() {
    m_fahrenheitButton.EnableWindow(FALSE);
    m_celsiusButton.EnableWindow(TRUE);
    m_placeCombos[0].SetFocus();
    ConvertAll(true);
    m_fahrenheit = 1;
    m_celsius = 0;
    ShowChosenUnit();
}

void CWeatherPanel::ShowCelsius() {
    m_celsiusButton.EnableWindow(FALSE);
    m_fahrenheitButton.EnableWindow(TRUE);
    ConvertAll(false);
    m_celsius = 1;
    m_fahrenheit = 0;
    ShowChosenUnit();
}
