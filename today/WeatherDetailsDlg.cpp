// The weather details dialog: one forecast day of a clock line's city, painted whole (it has no
// controls), with arrows that step through the record's five days.
#include "today/TodayItem.h"
#include "today/TodayText.h"

#include "platform/system/Registry.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ResourceImages.h"
#include "resources/OndrelpaneResource.h"

#include <algorithm>
#include <cwchar>
#include <string>

using todaytext::Append;
using todaytext::Copy;
using todaytext::Print;

namespace {

// What the dialog shows; prepared by the tap that opens it and by the arrows.
struct WeatherDetails {
    int selectedDay = 1; // 1 to 5
    int detailsLine = 1; // the clock line + 1
    WCHAR title[100] = L"";
    int cityDate = 0; // year * 10000 + month * 100 + day
    WCHAR dateText[80] = L"";
    WCHAR updateText[32] = L"";
    WCHAR image[256] = L"";
    WCHAR high[kForecastFieldLength] = L"";
    WCHAR low[kForecastFieldLength] = L"";
    LPCWSTR field1 = L"", field6 = L"", field7 = L"", field9 = L"", field10 = L"", field11 = L"";
    HFONT normalFont = nullptr, boldFont = nullptr, smallFont = nullptr, bigFont = nullptr;
    HINSTANCE instance = nullptr;
};

WeatherDetails g_details;

const TodayWeatherView* DetailsWeather() {
    if (!g_todayItem || g_details.detailsLine < 1 || g_details.detailsLine > kTodayLineCount) return nullptr;
    return &g_todayItem->Weather(g_details.detailsLine - 1);
}

// The record's day shown as the dialog's day (-1 outside the record).
int RecordDay(const TodayWeatherView& w, int selectedDay) {
    int d = w.dayIndex + selectedDay - 1;
    return d >= 0 && d < kForecastDays ? d : -1;
}

bool DayHasData(int selectedDay) {
    const TodayWeatherView* w = DetailsWeather();
    return w && w->found && !w->notYetValid && w->daysLeft - selectedDay + 1 >= 0 && RecordDay(*w, selectedDay) >= 0;
}

LPCWSTR Field(int selectedDay, int field) {
    const TodayWeatherView* w = DetailsWeather();
    if (!w) return L"";
    int d = RecordDay(*w, selectedDay);
    return d < 0 ? L"" : w->forecast[d][field];
}

void PointFieldsAtDay() {
    const int day = g_details.selectedDay;
    g_details.field1 = Field(day, 1);
    g_details.field6 = Field(day, 6);
    g_details.field7 = Field(day, 7);
    g_details.field9 = Field(day, 9);
    g_details.field10 = Field(day, 10);
    g_details.field11 = Field(day, 11);
}

// "d/m/y" of the city's date plus the shown day's offset, then ", " and the day's date field.
void WriteDateText() {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(g_details.cityDate / 10000);
    date.wMonth = static_cast<WORD>(g_details.cityDate / 100 % 100);
    date.wDay = static_cast<WORD>(g_details.cityDate % 100);
    date = AddDaysToSystemTime(date, g_details.selectedDay - 1);
    Print(g_details.dateText, 80, L"%d/%d/%d", date.wDay, date.wMonth, date.wYear);
    Append(g_details.dateText, L", ");
    Append(g_details.dateText, Field(g_details.selectedDay, 3));
}

void EndWithDegree(LPWSTR text) {
    if (!std::wcschr(text, L'\u00B0')) todaytext::Append(text, kForecastFieldLength, L"\u00B0");
}

SIZE TextSize(HDC dc, LPCWSTR text) {
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
    return size;
}

// Draws a text at a point in a font; returns its width.
int DrawAt(HDC dc, HFONT font, int x, int y, LPCWSTR text) {
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = TextSize(dc, text);
    RECT r{x, y, x + size.cx, y + size.cy};
    DrawTextW(dc, text, -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    SelectObject(dc, old);
    return size.cx;
}

void DrawIconAt(HDC dc, UINT id, int x, int y, int size) {
    HICON icon = static_cast<HICON>(LoadImageW(g_details.instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    if (!icon) return;
    DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
}

void DrawLine(HDC dc, int x1, int y1, int x2, int y2) {
    POINT points[2] = {{x1, y1}, {x2, y2}};
    Polyline(dc, points, 2);
}

void DeleteDetailsFonts() {
    HFONT* fonts[] = {&g_details.normalFont, &g_details.boldFont, &g_details.smallFont, &g_details.bigFont};
    for (HFONT* f : fonts) {
        if (*f) DeleteObject(*f);
        *f = nullptr;
    }
}

// The paint draws at fixed points: lines across 240 pixels, the wind, pressure and visibility
// rows down to y 148, then the update band 16 pixels high at the bottom. A template whose size
// in the dialog font gives a smaller client area would put the band over those rows, so the
// dialog grows to hold them (within the work area), centred again.
void FitDetailsToTheirDrawing(HWND dialog) {
    constexpr int kNeededWidth = 240, kNeededHeight = 172;
    RECT client{}, window{}, work{};
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int frameW = (window.right - window.left) - client.right;
    const int frameH = (window.bottom - window.top) - client.bottom;
    const int width = std::min<int>(std::max<int>(client.right, kNeededWidth) + frameW, work.right - work.left);
    const int height = std::min<int>(std::max<int>(client.bottom, kNeededHeight) + frameH, work.bottom - work.top);
    if (width == window.right - window.left && height == window.bottom - window.top) return;
    const int left = work.left + (work.right - work.left - width) / 2;
    const int top = work.top + (work.bottom - work.top - height) / 2;
    SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void DrawWeatherDetails(HDC dc, HWND dialog) {
    RECT r{};
    GetClientRect(dialog, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));

    DrawIconAt(dc, IDI_DETAILS_NEXT, r.right - 25, r.top + 10, 24);
    DrawIconAt(dc, IDI_DETAILS_PREVIOUS, r.right - 55, r.top + 10, 24);
    DrawLine(dc, 0, r.bottom - 16, 240, r.bottom - 16);
    WCHAR counter[8];
    Print(counter, 8, L"%d/5", g_details.selectedDay);
    DrawAt(dc, g_details.normalFont, r.right - 36, r.top + 16, counter);
    {
        // The title ends before the arrows (a long country name would run under them): a longer
        // one is cut and ends in "...".
        std::wstring title = g_details.title;
        const int room = r.right - 55 - 2 - 5;
        HGDIOBJ old = SelectObject(dc, g_details.boldFont);
        if (TextSize(dc, title.c_str()).cx > room) {
            const int dots = TextSize(dc, L"...").cx;
            while (!title.empty() && TextSize(dc, title.c_str()).cx + dots > room) title.pop_back();
            title += L"...";
        }
        SelectObject(dc, old);
        DrawAt(dc, g_details.boldFont, 5, 4, title.c_str());
    }
    DrawAt(dc, g_details.normalFont, 24, 19, g_details.dateText);
    DrawLine(dc, 0, 35, 240, 35);

    if (!DayHasData(g_details.selectedDay)) {
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(220, 220, 220));
        HBRUSH brush = CreateSolidBrush(RGB(220, 220, 220));
        HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
        const int middle = (height - 48) / 2;
        RoundRect(dc, width / 2 - 50, middle - 15, width / 2 + 50, middle + 85, 5, 5);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
        HGDIOBJ oldFont = SelectObject(dc, g_details.bigFont);
        SIZE q = TextSize(dc, L"?");
        SelectObject(dc, oldFont);
        SetTextColor(dc, RGB(200, 200, 200));
        DrawAt(dc, g_details.bigFont, width / 2 - q.cx / 2, middle - q.cy / 2 + 35, L"?");
        return;
    }

    DrawIconAt(dc, IDI_DETAILS_DATE, 5, 17, 16);
    HBRUSH band = CreateSolidBrush(RGB(224, 241, 254));
    RECT bandRect{0, 106, r.right, r.bottom - 16};
    FillRect(dc, &bandRect, band);
    DeleteObject(band);
    DrawAt(dc, g_details.smallFont, 24, r.bottom - 13, g_details.updateText);
    DrawIconAt(dc, IDI_DETAILS_UPDATED, 5, r.bottom - 15, 16);
    if (g_details.image[0]) {
        if (HBITMAP image = SHLoadDIBitmap(g_details.image)) {
            BITMAP info{};
            GetObjectW(image, sizeof(info), &info);
            TransparentImage(dc, 5, 40, 48, 48, image, 0, 0, info.bmWidth, info.bmHeight, RGB(255, 0, 255));
            DeleteObject(image);
        }
    }
    LPCWSTR unit = g_fahrenheit ? L"F" : L"C";
    int w = DrawAt(dc, g_details.boldFont, 58, 40, g_details.high);
    DrawAt(dc, g_details.boldFont, 58 + w, 40, unit);
    w = DrawAt(dc, g_details.boldFont, 58, 72, g_details.low);
    DrawAt(dc, g_details.boldFont, 58 + w, 72, unit);
    DrawAt(dc, g_details.boldFont, 102, 40, L"Feels Like");
    SetTextColor(dc, RGB(60, 60, 60));
    w = DrawAt(dc, g_details.bigFont, 100, 50, g_details.field6);
    DrawAt(dc, g_details.bigFont, 100 + w, 50, L"\u00B0");
    SetTextColor(dc, RGB(0, 0, 0));
    DrawAt(dc, g_details.normalFont, 5, 91, g_details.field1);

    SetTextColor(dc, RGB(82, 149, 192));
    DrawAt(dc, g_details.boldFont, 30, 118, g_details.field7);
    w = DrawAt(dc, g_details.boldFont, 30, 128, g_details.field9);
    DrawAt(dc, g_details.boldFont, 30 + w + 1, 128, L"kph");
    DrawIconAt(dc, IDI_DETAILS_WIND, 10, 122, 16);
    const TodayWeatherView* weather = DetailsWeather();
    if (weather && weather->daysLeft - g_details.selectedDay == 3) {
        DrawAt(dc, g_details.boldFont, 95, 123, g_details.field10);
        DrawAt(dc, g_details.boldFont, 95, 135, L"mb[Hg]");
        DrawIconAt(dc, IDI_DETAILS_PRESSURE, 75, 122, 16);
        w = DrawAt(dc, g_details.boldFont, 165, 123, g_details.field11);
        DrawAt(dc, g_details.boldFont, 165 + w + 1, 123, L"km");
        DrawIconAt(dc, IDI_DETAILS_VISIBILITY, 145, 122, 16);
    } else {
        w = DrawAt(dc, g_details.boldFont, 105, 123, g_details.field10);
        DrawAt(dc, g_details.boldFont, 105 + w + 1, 123, L"%");
        DrawIconAt(dc, IDI_DETAILS_HUMIDITY, 85, 122, 16);
        w = DrawAt(dc, g_details.boldFont, 165, 123, g_details.field11);
        DrawAt(dc, g_details.boldFont, 165 + w + 1, 123, L"in.");
        DrawIconAt(dc, IDI_DETAILS_PRECIPITATION, 145, 122, 16);
    }
}

void SelectForecastDay(HWND dialog, int x, int y) {
    RECT r{};
    GetClientRect(dialog, &r);
    const bool rowHit = r.top + 10 < y && y < r.top + 25;
    if (rowHit && r.right - 20 < x && x < r.right - 5) {
        g_details.selectedDay = g_details.selectedDay < 5 ? g_details.selectedDay + 1 : 1;
    } else if (rowHit && r.right - 55 < x && x < r.right - 40) {
        g_details.selectedDay = g_details.selectedDay > 1 ? g_details.selectedDay - 1 : 5;
    } else {
        return;
    }
    const int day = g_details.selectedDay;
    if (DayHasData(day)) {
        const TodayWeatherView& w = *DetailsWeather();
        if (day <= 3) {
            Copy(g_details.image, w.image[day - 1]);
            Copy(g_details.high, w.high[day - 1]);
            Copy(g_details.low, w.low[day - 1]);
        } else {
            WCHAR prefix[256] = L"", name[64];
            ReadRegistryText(L"Jorvana\\weather", L"icondir", prefix, 256);
            FindMappedImage(Field(day, 0), name, 64);
            Copy(g_details.image, prefix);
            Append(g_details.image, name);
            Append(g_details.image, L".bmp");
            Copy(g_details.high, Field(day, 5));
            Copy(g_details.low, Field(day, 4));
            EndWithDegree(g_details.high);
            EndWithDegree(g_details.low);
        }
        PointFieldsAtDay();
        WriteDateText();
        Append(g_details.dateText, L" GMT");
    } else {
        PointFieldsAtDay();
        g_details.dateText[0] = L'\0';
    }
    InvalidateRect(dialog, nullptr, TRUE);
    UpdateWindow(dialog);
}

} // namespace

void PrepareWeatherDetails(CTodayItem& item, int line, int column) {
    const TodayWeatherView& w = item.Weather(line);
    g_details.instance = item.m_instance;
    g_details.selectedDay = column;
    g_details.detailsLine = line + 1;
    Copy(g_details.title, item.Line(line).title);
    int day = 0, month = 0, year = 0;
    item.ComputeCityDate(static_cast<int>(std::wcstol(item.Line(line).offset, nullptr, 10)), day, month, year);
    g_details.cityDate = year * 10000 + month * 100 + day;
    WriteDateText();
    Copy(g_details.updateText, w.dateText);
    Copy(g_details.image, w.image[column - 1]);
    Copy(g_details.high, w.high[column - 1]);
    Copy(g_details.low, w.low[column - 1]);
    PointFieldsAtDay();
    item.m_detailsAvailable = 1;
    if (DayHasData(column)) Append(g_details.dateText, L" GMT");
    else g_details.dateText[0] = L'\0';
}

INT_PTR CALLBACK WeatherDetailsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SHINITDLGINFO init{SHIDIM_FLAGS, dialog, SHIDIF_SIPDOWN};
        SHInitDialog(&init);
        SetWindowTextW(dialog, L"Quillmoor Jorvana");
        FitDetailsToTheirDrawing(dialog);
        DeleteDetailsFonts();
        LOGFONTW lf{};
        GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf);
        wcscpy(lf.lfFaceName, L"Tahoma");
        LOGFONTW itemFont{};
        if (g_todayItem && g_todayItem->m_normalFont) GetObjectW(g_todayItem->m_normalFont, sizeof(itemFont), &itemFont);
        lf.lfHeight = itemFont.lfHeight;
        lf.lfWeight = FW_NORMAL;
        g_details.normalFont = CreateFontIndirectW(&lf);
        lf.lfWeight = FW_BOLD;
        g_details.boldFont = CreateFontIndirectW(&lf);
        lf.lfHeight = 11;
        lf.lfWeight = FW_NORMAL;
        g_details.smallFont = CreateFontIndirectW(&lf);
        lf.lfHeight = 25;
        lf.lfWeight = FW_BOLD;
        lf.lfQuality = ANTIALIASED_QUALITY;
        g_details.bigFont = CreateFontIndirectW(&lf);
        return TRUE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        DrawWeatherDetails(dc, dialog);
        EndPaint(dialog, &ps);
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            DeleteDetailsFonts();
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    case WM_LBUTTONDOWN:
        SelectForecastDay(dialog, LOWORD(lParam), HIWORD(lParam));
        return FALSE;
    default:
        return FALSE;
    }
}
