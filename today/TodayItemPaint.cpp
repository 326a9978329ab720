// The Today item's paint (clock lines, weather columns, currency strip, or the first-start hint)
// and its taps (rotate the clocks, open the weather details, cycle the currency pair, start the
// program).
#include "today/TodayItem.h"
#include "today/TodayText.h"

#include "platform/system/Modules.h"
#include "platform/system/Processes.h"
#include "platform/system/Registry.h"
#include "platform/ui/Dialog.h"
#include "resources/OndrelpaneResource.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <string>

using todaytext::Append;
using todaytext::Copy;
using todaytext::Print;

namespace {

int LineTop(int i) { return 5 + 20 * i; }

SIZE TextSize(HDC dc, LPCWSTR text) {
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
    return size;
}

// Every text is drawn left-aligned at its point, in a rectangle of its own size.
void DrawAt(HDC dc, int x, int y, LPCWSTR text) {
    SIZE size = TextSize(dc, text);
    RECT r{x, y, x + size.cx, y + size.cy};
    DrawTextW(dc, text, -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

int WorkAreaWidth() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work.right - work.left;
}

// A rate ratio as the strip writes it; a ratio to a rate that is missing (0) has no value.
// One currency in another; a rate that is no positive number (a store written before rates were
// checked) gives "- " rather than "nan", "inf" or a negative ratio.
std::wstring Ratio(double a, double b) {
    if (!(a > 0) || !(b > 0) || !std::isfinite(a / b)) return L"- ";
    return device::FormatWide(L"%f ", a / b);
}

void EndWithDegree(LPWSTR text, size_t count) {
    size_t n = std::wcslen(text);
    if (n == 0 || text[n - 1] != L'\u00B0') todaytext::Append(text, count, L"\u00B0");
}

// A time text rewritten for the 12-hour clock, with its AM/PM label.
void TwelveHourTime(TodayClockLine& line) {
    if (std::wcslen(line.time) < 2) return;
    int hour = (line.time[0] - L'0') * 10 + (line.time[1] - L'0');
    if (hour == 12) {
        Copy(line.ampm, L"PM");
    } else if (hour == 0) {
        Copy(line.ampm, L"AM");
        hour = 12;
    } else if (hour > 12) {
        Copy(line.ampm, L"PM");
        hour -= 12;
    } else {
        Copy(line.ampm, L"AM");
    }
    WCHAR hourText[8];
    Print(hourText, 8, hour >= 1 && hour <= 9 ? L"0%d" : L"%d", hour);
    std::wstring time = std::wstring(hourText) + (line.time + 2);
    Copy(line.time, time.c_str());
}

} // namespace

void CTodayItem::DrawFirstStart(HDC dc) {
    const int width = WorkAreaWidth();
    HGDIOBJ old = SelectObject(dc, m_boldFont);
    SetTextColor(dc, static_cast<COLORREF>(SendMessageW(m_parent, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0)));
    SetBkMode(dc, TRANSPARENT);
    LPCWSTR lines[2] = {L"Tap on globe icon to start", L" Jorvana for the first time..."};
    const int tops[2] = {5, 20};
    for (int k = 0; k < 2; ++k) DrawAt(dc, width / 2 - TextSize(dc, lines[k]).cx / 2, tops[k], lines[k]);
    SelectObject(dc, old);
}

void CTodayItem::Draw(HDC dc) {
    if (!g_citiesOpen) {
        DrawFirstStart(dc);
        return;
    }
    if (!g_weatherOpen) {
        m_weatherDb = CeOpenDatabase(&m_weatherId, L"jrvWeather", 0, 0, nullptr);
        g_weatherOpen = m_weatherDb != INVALID_HANDLE_VALUE;
    }
    if (!g_currenciesOpen) {
        m_currenciesDb = CeOpenDatabase(&m_currenciesId, L"jrvCurrencies", 0, 0, nullptr);
        g_currenciesOpen = m_currenciesDb != INVALID_HANDLE_VALUE;
    }
    m_textColour = static_cast<COLORREF>(SendMessageW(m_parent, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
    SetTextColor(dc, m_textColour);
    SetBkMode(dc, TRANSPARENT);
    LoadSettings();

    int textShift = m_twelveHour ? -15 : 0;
    RECT client{};
    GetClientRect(m_window, &client);
    const int workWidth = WorkAreaWidth();
    if (client.right < workWidth && workWidth < 241) {
        textShift -= 13;
        m_nameShift = -13;
    } else {
        m_nameShift = 0;
    }
    // The 12-hour times and the degree signs first: the weather columns are laid out by the
    // widths of what is drawn.
    if (m_twelveHour)
        for (int i = 0; i < m_lineCount; ++i)
            TwelveHourTime(m_lines[i]);
    for (int i = 0; i < m_lineCount; ++i) {
        TodayWeatherView& w = m_weather[i];
        if (!w.found || w.notYetValid) continue;
        for (int c = 0; c < kWeatherColumns; ++c) {
            if (!w.image[c][0]) continue;
            EndWithDegree(w.high[c], kForecastFieldLength);
            EndWithDegree(w.low[c], kForecastFieldLength);
        }
    }
    PlaceWeatherColumns(dc, textShift, client.right);
    textShift -= m_columns.clockShift;

    HGDIOBJ first = nullptr;
    for (int i = 0; i < m_lineCount; ++i) {
        TodayClockLine& line = m_lines[i];
        HGDIOBJ old = SelectObject(dc, i == 0 ? m_boldFont : m_normalFont);
        if (!first) first = old;

        // The name is cut to the width left before the time.
        std::wstring name = line.name;
        bool cut = false;
        while (!name.empty() && TextSize(dc, name.c_str()).cx >= textShift + 83) {
            name.pop_back();
            cut = true;
        }
        if (cut) name = name.size() >= 3 ? name.substr(0, name.size() - 3) + L"..." : std::wstring(L"...");
        DrawAt(dc, 25, LineTop(i), name.c_str());

        if (m_twelveHour && std::wcslen(line.time) >= 2) {
            int w = TextSize(dc, line.time).cx;
            if (i == 0) DrawAt(dc, textShift + w + 109, 5, line.ampm);
            else DrawAt(dc, textShift + w + 112, LineTop(i), line.ampm);
        }
        if (i == 0) DrawAt(dc, textShift + 108, 5, line.time);
        else DrawAt(dc, textShift + 110, LineTop(i), line.time);
    }

    DrawWeather(dc);
    if (first) SelectObject(dc, first);
    if (m_showCurrencies) DrawCurrencyStrip(dc);

    if (m_lineCount != m_paintedLineCount || m_showCurrencies != m_paintedShowCurrencies) {
        SetHeightByFormula();
        m_heightChanged = TRUE;
    }
    m_paintedLineCount = m_lineCount;
    m_paintedShowCurrencies = m_showCurrencies;
}

void CTodayItem::DrawWeather(HDC dc) {
    // A smaller font only when the texts need it (PlaceWeatherColumns).
    HFONT font = m_smallFont;
    if (m_columns.textHeight) {
        LOGFONTW lf{};
        GetObjectW(m_smallFont, sizeof(lf), &lf);
        lf.lfHeight = lf.lfHeight < 0 ? -m_columns.textHeight : m_columns.textHeight;
        font = CreateFontIndirectW(&lf);
    }
    for (int i = 0; i < m_lineCount; ++i) {
        TodayWeatherView& w = m_weather[i];
        if (!w.found || w.notYetValid) continue;
        for (int c = 0; c < kWeatherColumns; ++c) {
            if (!w.image[c][0]) continue;
            m_bitmap = SHLoadDIBitmap(w.image[c]);
            if (m_bitmap) {
                BITMAP info{};
                GetObjectW(m_bitmap, sizeof(info), &info);
                TransparentImage(dc, m_columns.imageX[c], 3 + 20 * i, 16, 16, m_bitmap, 0, 0, info.bmWidth,
                                 info.bmHeight, RGB(255, 0, 255));
                DeleteObject(m_bitmap);
                m_bitmap = nullptr;
            }
            HGDIOBJ old = SelectObject(dc, font);
            DrawAt(dc, m_columns.textX[c], 20 * i, w.high[c]);
            DrawAt(dc, m_columns.textX[c], 20 * i + 10, w.low[c]);
            SelectObject(dc, old);
        }
    }
    if (font != m_smallFont) DeleteObject(font);
}

void CTodayItem::DrawCurrencyStrip(HDC dc) {
    static const int kOrder[3][3] = {{0, 1, 2}, {1, 0, 2}, {2, 0, 1}};
    const int* o = kOrder[(g_currencyPair >= 1 && g_currencyPair <= 3 ? g_currencyPair : 1) - 1];
    const TodayCurrencies& cur = m_currencies;
    HGDIOBJ old = SelectObject(dc, m_boldFont);
    std::wstring one = std::wstring(L"1 ") + cur.code[o[0]];
    std::wstring first = one + L" = " + Ratio(cur.rate[o[0]], cur.rate[o[1]]) + cur.code[o[1]];
    std::wstring second = L" = " + Ratio(cur.rate[o[0]], cur.rate[o[2]]) + cur.code[o[2]];
    SIZE oneSize = TextSize(dc, one.c_str());
    g_stripHeight = 2 * oneSize.cy - 3;
    const int top = m_lineCount * 22;
    DrawAt(dc, 25, top - 2, first.c_str());
    DrawAt(dc, 25 + oneSize.cx, top + 9, second.c_str());
    SelectObject(dc, m_smallFont);
    DrawAt(dc, 238 - TextSize(dc, cur.dateText).cx + m_nameShift, top + 9, cur.dateText);
    SelectObject(dc, old);
}

void CTodayItem::OnLButtonDown(WPARAM keys, int x, int y) {
    const int band = m_height - g_stripHeight * (m_showCurrencies ? 1 : 0);
    if (x > 25 && x < m_columns.imageX[0] && y < band) {
        m_viewIndex = m_viewIndex < 4 ? m_viewIndex + 1 : 0;
        LoadSettings();
        Refresh(FALSE);
    } else if (x > 50 && y < band && g_weatherOpen) {
        HitTestForecast(x, y);
        if (m_detailsAvailable) {
            HRSRC found = FindResourceW(m_instance, MAKEINTRESOURCEW(IDD_WEATHER_DETAILS), RT_DIALOG);
            HGLOBAL loaded = found ? LoadResource(m_instance, found) : nullptr;
            if (loaded)
                DialogBoxIndirectParamW(m_instance, static_cast<LPCDLGTEMPLATEW>(LockResource(loaded)), m_window,
                                        WeatherDetailsDlgProc, 0);
        }
    } else if (x > 25 && y > band && g_currenciesOpen) {
        g_currencyPair = g_currencyPair < 3 ? g_currencyPair + 1 : 1;
        RECT strip{};
        GetClientRect(m_window, &strip);
        strip.top = band;
        InvalidateRect(m_window, &strip, TRUE);
    } else if (y < 25) {
        WCHAR path[MAX_PATH] = L"";
        ReadRegistryText(L"SOFTWARE\\Apps\\Quillmoor Jorvana", L"InstallDir", path, MAX_PATH);
        Append(path, L"\\Jorvana.exe");
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = m_window;
        info.lpFile = path;
        info.nShow = SW_SHOW;
        ShellExecuteExW(&info); // a missing program fails silently
    }
    DefWindowProcW(m_window, WM_LBUTTONDOWN, keys, MAKELPARAM(x, y));
}

void CTodayItem::HitTestForecast(int x, int y) {
    const int band = m_height - g_stripHeight * (m_showCurrencies ? 1 : 0);
    const int column = x < m_columns.imageX[1] ? 1 : (x < m_columns.imageX[2] ? 2 : 3);
    const int rowHeight = m_lineCount > 0 ? band / m_lineCount : 0;
    m_detailsAvailable = 0;
    if (rowHeight <= 0) return;
    for (int r = 0; r < kTodayLineCount; ++r) {
        if (rowHeight * r <= y && y < rowHeight * (r + 1) && m_weather[r].found) {
            PrepareWeatherDetails(*this, r, column);
            return;
        }
    }
}
