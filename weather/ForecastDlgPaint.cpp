// Layout and painting of the forecast view: the five-day overview and the day-by-day page.

#include "core/CommonHelpers.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/ResourceImages.h"
#include "resources/resource.h"
#include "weather/ForecastDlg.h"

#include <algorithm>
#include <utility>

namespace {

constexpr COLORREF kRowDark = 0xEEDDCC;
constexpr COLORREF kLine = 0xC0ACA0;
constexpr COLORREF kValue = 0xC8783C;
constexpr COLORREF kFirstRowValue = 0xC86E3C;
constexpr COLORREF kLink = 0xFF0000;
constexpr COLORREF kTitleBand = 0xE4D3C2;
constexpr COLORREF kDayPanel = 0xFEF1E0;
constexpr COLORREF kUnknownBox = 0xDCDCDC;
constexpr COLORREF kUnknownMark = 0xC8C8C8;
constexpr COLORREF kFeelsLikeValue = 0x3C3C3C;
constexpr COLORREF kDayValue = 0xC09552;
constexpr COLORREF kMagenta = 0xFF00FF;

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

COLORREF Grey(int level) { return RGB(level, level, level); }

void FillBand(CDC& dc, int left, int top, int right, int bottom, COLORREF colour) {
    CRect r(left, top, right, bottom);
    dc.FillSolidRect(&r, colour);
}

int TextWidth(CDC& dc, const CString& text) { return dc.GetTextExtent(text).cx; }

// A picture file drawn stretched with magenta left out; nothing when it cannot be loaded.
void DrawPictureFile(CDC& dc, const CString& path, int x, int y, int width, int height) {
    if (path.IsEmpty()) return;
    HBITMAP picture = ::SHLoadDIBitmap(path);
    if (!picture) return;
    BITMAP info{};
    ::GetObject(picture, sizeof info, &info);
    ::TransparentImage(dc.GetSafeHdc(), x, y, width, height, picture, 0, 0, info.bmWidth, info.bmHeight, kMagenta);
    ::DeleteObject(picture);
}

// A piece of a row text that is drawn again in colour, after the prefix that stands before it.
struct Highlight {
    CString prefix; // the text before the piece
    CString piece;
};

// A row text kept within right: drawn in the row font when it fits, else in a smaller one (down
// to 9 pixels), else cut and ended with "..."; the highlighted pieces are drawn again in colour
// where they still stand whole.
void DrawFitted(CDC& dc, const CFont& font, int x, int y, int right, const CString& text,
                std::initializer_list<Highlight> parts, COLORREF baseColour, COLORREF pieceColour) {
    CFont smaller;
    CFont* old = dc.SelectObject(const_cast<CFont*>(&font));
    const int room = right - x;
    if (TextWidth(dc, text) > room) {
        LOGFONTW lf{};
        font.GetLogFont(&lf);
        for (LONG height = (lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight) - 1; height >= 9; --height) {
            smaller.DeleteObject();
            lf.lfHeight = height;
            smaller.CreateFontIndirect(&lf);
            dc.SelectObject(&smaller);
            if (TextWidth(dc, text) <= room) break;
        }
    }
    CString shown = text;
    if (TextWidth(dc, shown) > room) shown = FitTextToWidth(&dc, text, room - TextWidth(dc, CString(L"..."))) + L"...";
    dc.SetTextColor(baseColour);
    dc.TextOut(x, y, shown);
    dc.SetTextColor(pieceColour);
    const int cut = shown == text ? text.GetLength() : shown.GetLength() - 3;
    for (const Highlight& part : parts)
        if (part.prefix.GetLength() + part.piece.GetLength() <= cut)
            dc.TextOut(x + TextWidth(dc, part.prefix), y, part.piece);
    dc.SelectObject(old);
}

} // namespace

void CForecastDlg::Layout() {
    if (!m_icons[0].m_hWnd) return; // sized before the controls are bound
    ReadWorkArea();
    const bool portrait = m_workWidth < m_workHeight;
    m_topMargin = portrait ? 10 : 5;
    m_rowGap = portrait ? 15 : 10;
    m_columnStep = 30;
    m_conditionOffset = 13;
    CRect icon;
    m_icons[0].GetWindowRect(&icon);
    m_iconWidth = icon.Width();
    m_iconHeight = icon.Height();

    const UINT move = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    for (int k = 0; k < kSlots; ++k) {
        const int y = RowTop(k) - m_scrollPos;
        m_icons[k].SetWindowPos(nullptr, 10, y, 0, 0, move);
        m_dayNames[k].SetWindowPos(nullptr, m_iconWidth + m_columnStep, y, 0, 0, move);
        m_temperatures[k].SetWindowPos(nullptr, m_iconWidth + 90, y, 0, 0, move);
        m_conditions[k].SetWindowPos(nullptr, m_iconWidth + m_columnStep, y + m_conditionOffset, 0, 0, move);
    }
    const int top = m_topMargin - m_scrollPos; // the controls move with the scrolled view
    const int pitch = RowPitch();
    const UINT show = SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW;
    if (portrait) {
        CRect city;
        m_cityLine.GetWindowRect(&city);
        m_dateLine.SetWindowPos(nullptr, 5, top + 4 * pitch + 34, 0, 0, move);
        m_cityLine.SetWindowPos(nullptr, 5, top + 4 * (pitch + 8), 0, 0, move);
        m_updateButton.SetWindowPos(nullptr, m_workWidth - 81, top + 4 * pitch + city.Height() + 50, 80, 25, show);
    } else {
        m_dateLine.SetWindowPos(nullptr, 5, top + 4 * (pitch + 8), 0, 0, move);
        m_cityLine.SetWindowPos(nullptr, 5, top + 4 * pitch + 31, 0, 0, move);
        const int width = m_workAreaWidth < 320 ? 60 : 80;
        m_updateButton.SetWindowPos(nullptr, m_workWidth - width - 1, top + 4 * (pitch + 8), width, 22, show);
    }
    // The city line holds one line and the date line two ("\n" and the date) in their fonts: as
    // tall as that, the date is not cut at the bottom and its band does not reach below the
    // bottom panel.
    for (auto [line, rows] : {std::pair<CStatic*, int>{&m_cityLine, 1}, {&m_dateLine, 2}}) {
        CRect box;
        line->GetWindowRect(&box);
        CClientDC dc(line);
        CFont* old = dc.SelectObject(line->GetFont());
        TEXTMETRICW metrics{};
        dc.GetTextMetrics(&metrics);
        dc.SelectObject(old);
        const int needed = rows * metrics.tmHeight;
        if (m_lineWidth == 0) m_lineWidth = box.Width();
        // Beside the Update button, the line ends short of it (the scroll bar narrows the view).
        CRect update, beside;
        m_updateButton.GetWindowRect(&update);
        int width = m_lineWidth;
        beside.SetRect(box.left, box.top, box.left + m_lineWidth, box.top + needed);
        if (beside.top < update.bottom && update.top < beside.bottom && beside.right > update.left - 3)
            width = std::max(0, static_cast<int>(update.left - 3 - box.left));
        if (box.Height() != needed || box.Width() != width)
            line->SetWindowPos(nullptr, 0, 0, width, needed, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The view ends with its bottom panel, or the Update button where it stands lower.
    CRect update;
    m_updateButton.GetWindowRect(&update);
    ScreenToClient(&update);
    const int contentBottom = std::max(m_topMargin + 4 * pitch + 60 + 1, static_cast<int>(update.bottom) + m_scrollPos);
    if (UpdateScrollRange(contentBottom)) Layout();
}

void CForecastDlg::DrawIconId(CDC& dc, UINT id, int x, int y, int size) {
    HICON icon = static_cast<HICON>(::LoadImage(AfxGetResourceHandle(), MAKEINTRESOURCE(id), IMAGE_ICON, size, size, 0));
    if (!icon) return;
    ::DrawIconEx(dc.GetSafeHdc(), x, y, icon, size, size, 0, nullptr, DI_NORMAL);
    ::DestroyIcon(icon);
}

void CForecastDlg::OnPaint() {
    CPaintDC dc(this);
    const int saved = dc.SaveDC();
    dc.SetBkMode(TRANSPARENT);
    dc.SetViewportOrg(0, -m_scrollPos);
    if (m_dayByDay)
        PaintDayPage(dc);
    else
        PaintOverview(dc);
    dc.RestoreDC(saved);
}

void CForecastDlg::PaintBottomPanel(CDC& dc) {
    const int top = m_topMargin + 4 * RowPitch() + 30;
    const int bottom = m_topMargin + 4 * RowPitch() + 60;
    CPen pen(PS_SOLID, 1, kLine);
    CPen* old = dc.SelectObject(&pen);
    FillBand(dc, 0, top, m_workWidth, bottom, kRowDark);
    dc.MoveTo(0, top);
    dc.LineTo(m_workWidth, top);
    dc.MoveTo(0, bottom);
    dc.LineTo(m_workWidth, bottom);
    dc.SelectObject(old);
}

void CForecastDlg::PaintOverview(CDC& dc) {
    const bool portrait = m_workWidth < m_workHeight;
    m_topMargin = portrait ? 10 : 5;
    m_rowGap = portrait ? 15 : 10;
    const int top = m_topMargin;
    const int pitch = RowPitch();
    const int W = m_workWidth;
    const int left = m_iconWidth + 20;

    // Header of the first row: a grey gradient under a lighter block.
    const int h = (top + 29) / 5;
    for (int i = 0; i < 25; ++i) FillBand(dc, left, h * i / 25, W, h * (i + 1) / 25, Grey(188 + 2 * i));
    FillBand(dc, left, (top + 29) / 10, W, top + 29, Grey(236));

    FillBand(dc, 0, top + 29, W, top + pitch + 29, kRowDark);
    FillBand(dc, left, top + pitch + 29, W, top + 2 * pitch + 29, Grey(236));
    FillBand(dc, 0, top + 2 * pitch + 29, W, top + 3 * pitch + 29, kRowDark);
    FillBand(dc, left, top + 3 * pitch + 29, W, top + 4 * pitch + 30, Grey(236));

    {
        CPen dashed(PS_DASH, 1, kLine);
        CPen* old = dc.SelectObject(&dashed);
        for (int k = 0; k < 4; ++k) {
            dc.MoveTo(0, top + 29 + k * pitch);
            dc.LineTo(W, top + 29 + k * pitch);
        }
        CPen solid(PS_SOLID, 1, kLine);
        dc.SelectObject(&solid);
        dc.MoveTo(left, 0);
        dc.LineTo(left, top + 4 * pitch + 30);
        dc.SelectObject(old);
    }
    PaintBottomPanel(dc);

    for (int k = 0; k < kSlots; ++k) {
        const int y = k == 0 ? top - 3 : RowTop(k) - 2;
        DrawPictureFile(dc, m_iconPath[k], 7, y, m_iconWidth + 5, m_iconHeight + 8);
    }

    CFont* oldFont = dc.SelectObject(&m_boldFont13);
    dc.SetTextColor(RGB(0, 0, 0));
    for (int k = 0; k < kSlots; ++k) {
        CString day;
        m_dayNames[k].GetWindowText(day);
        dc.TextOut(m_iconWidth + 30, RowTop(k) - 2, day);
    }

    // The first row's line ends before the link text drawn at the top right; every other text
    // ends at the dialog's right edge.
    dc.SelectObject(&m_boldFont13);
    m_firstRowRight = W - 1 - TextWidth(dc, m_linkText) - 4;
    dc.SelectObject(&m_normalFont12);
    if (m_linkBasic) {
        const CString feelsLabel = LoadText(IDS_FORECAST_FEELS_LIKE) + L": ";
        for (int k = 0; k < kSlots; ++k) {
            const int y = RowTop(k);
            const int x = m_iconWidth + 60;
            const int right = k == 0 ? m_firstRowRight : W - 2;
            if (m_feelsLike[k].IsEmpty()) {
                DrawFitted(dc, m_normalFont12, x, y - 1, right, m_temperature[k], {}, kValue, kValue);
            } else {
                const CString before = m_temperature[k] + L" ";
                DrawFitted(dc, m_normalFont12, x, y - 1, right, before + feelsLabel + m_feelsLike[k] + L"\u00B0",
                           {{before, feelsLabel}}, kValue, RGB(0, 0, 0));
            }
            // Shown shortened when too wide; the full text is kept for the next paint.
            CString condition = m_condition[k];
            if (TextWidth(dc, condition) > W - m_iconWidth - 30)
                condition = FitTextToWidth(&dc, condition, W - m_iconWidth - 33) + L"...";
            dc.SetTextColor(RGB(0, 0, 0));
            dc.TextOut(m_iconWidth + 30, y + 13, condition);
        }
    } else {
        for (int k = 0; k < kSlots; ++k) PaintOverviewDetails(dc, k);
    }

    dc.SelectObject(&m_boldFont13);
    dc.SetTextColor(kLink);
    dc.TextOut(W - 1 - TextWidth(dc, m_linkText), 1, m_linkText);
    dc.SelectObject(oldFont);
}

void CForecastDlg::PaintOverviewDetails(CDC& dc, int k) {
    const int y = RowTop(k);
    const int right = k == 0 ? m_firstRowRight : m_workWidth - 2;
    const CString& direction = m_windDirection[k];
    const CString& speed = m_windSpeed[k];
    const bool calm = direction == L"CLM" || direction == L"N/A";
    if (!direction.IsEmpty() && !speed.IsEmpty() && !calm) {
        const CString from = LoadText(IDS_FORECAST_WIND_FROM) + L" ";
        const CString middle = from + direction + L" " + LoadText(IDS_FORECAST_AT) + L" ";
        DrawFitted(dc, m_normalFont12, m_iconWidth + 60, y - 1, right, middle + speed + L"kph",
                   {{from, direction}, {middle, speed}}, RGB(0, 0, 0), kValue);
    } else if (calm) {
        DrawFitted(dc, m_normalFont12, m_iconWidth + 60, y - 1, right, LoadText(IDS_FORECAST_NO_WIND), {},
                   RGB(0, 0, 0), RGB(0, 0, 0));
    }

    const int x = m_iconWidth + 30;
    if (k == 0 && !m_pressure.IsEmpty() && !m_visibility.IsEmpty()) {
        const CString first = LoadText(IDS_FORECAST_PRESSURE) + L": ";
        const CString second = first + m_pressure + L" mb[Hg] " + LoadText(IDS_FORECAST_VISIBILITY) + L": ";
        DrawFitted(dc, m_normalFont12, x, y + 13, m_workWidth - 2, second + m_visibility + L" km",
                   {{first, m_pressure}, {second, m_visibility}}, RGB(0, 0, 0), kValue);
    } else if (!m_humidity[k].IsEmpty() && !m_precipitation[k].IsEmpty()) {
        const CString first = LoadText(IDS_FORECAST_HUMIDITY) + L": ";
        const CString second = first + m_humidity[k] + L"% " + LoadText(IDS_FORECAST_PRECIPITATION) + L": ";
        DrawFitted(dc, m_normalFont12, x, y + 13, m_workWidth - 2, second + m_precipitation[k] + L"in.",
                   {{first, m_humidity[k]}, {second, m_precipitation[k]}}, RGB(0, 0, 0),
                   k == 0 ? kFirstRowValue : kValue);
    }
}

void CForecastDlg::PaintDayPage(CDC& dc) {
    CRect client;
    GetClientRect(&client);
    const int W = m_workWidth;
    const int pitch = RowPitch();

    CFont* oldFont = dc.SelectObject(&m_boldFont13);
    FillBand(dc, client.left, 0, client.right, 16, kTitleBand);
    DrawIconId(dc, IDI_SCROLL_FORWARD, client.right - 25, client.top + 13, 24);
    DrawIconId(dc, IDI_SCROLL_BACK, client.right - 55, client.top + 13, 24);

    dc.SelectObject(&m_normalFont13);
    dc.SetTextColor(RGB(0, 0, 0));
    CString counter;
    counter.Format(L"%d/5", m_selectedDay);
    dc.TextOut(client.right - 36, client.top + 19, counter);

    dc.SelectObject(&m_titleFont13);
    const CString title = LoadText(IDS_FORECAST_TITLE);
    dc.TextOut(W / 2 - TextWidth(dc, title) / 2, 1, title);
    {
        CPen pen(PS_SOLID, 1, kLine);
        CPen* old = dc.SelectObject(&pen);
        dc.MoveTo(client.left, 35);
        dc.LineTo(client.right, 35);
        dc.SelectObject(old);
    }

    if (m_daysLeft - m_selectedDay + 1 < 0 || m_selDateTime.IsEmpty()) {
        // A day the forecast does not reach.
        CBrush brush(kUnknownBox);
        CPen pen(PS_SOLID, 1, kUnknownBox);
        CBrush* oldBrush = dc.SelectObject(&brush);
        CPen* oldPen = dc.SelectObject(&pen);
        const int left = (client.Width() - 100) / 2;
        const int boxTop = (m_topMargin + 4 * pitch - client.top - 18) / 2 - 15;
        dc.RoundRect(left, boxTop, left + 100, boxTop + 100, 5, 5);
        dc.SelectObject(oldBrush);
        dc.SelectObject(oldPen);
        dc.SelectObject(&m_markFont35);
        dc.SetTextColor(kUnknownMark);
        CRect box(left, boxTop, left + 100, boxTop + 100);
        dc.DrawText(CString(L"?"), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        dc.SelectObject(oldFont);
        return;
    }

    // "MM/DD/YYYY, time" shown day first.
    CString dateLine;
    const int comma = m_selDateTime.Find(L',');
    const CString before = comma >= 0 ? m_selDateTime.Left(comma) : m_selDateTime;
    const CString date = before.Right(10);
    if (date.GetLength() == 10)
        dateLine = date.Mid(3, 2) + L"/" + date.Left(2) + L"/" + date.Mid(6);
    else
        dateLine = date;
    if (comma >= 0) dateLine += m_selDateTime.Mid(comma);
    dateLine += L" GMT";
    dc.SelectObject(&m_normalFont13);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.TextOut(24, 19, dateLine);
    DrawIconId(dc, IDI_FORECAST_DATE, 5, 17, 16);

    FillBand(dc, client.left, 106, client.right, m_topMargin + 4 * pitch + 30, kDayPanel);
    DrawPictureFile(dc, m_selIconPath, 5, 40, 48, 48);

    dc.SelectObject(&m_boldFont13);
    const CString unit = m_fahrenheit ? L"F" : L"C";
    dc.TextOut(58, 40, m_selHigh + unit);
    dc.TextOut(58, 72, m_selLow + unit);
    CString feels = LoadText(IDS_FORECAST_FEELS_LIKE);
    if (feels.IsEmpty()) feels = L"Feels Like";
    dc.TextOut(102, 40, feels);

    dc.SelectObject(&m_markFont35);
    dc.SetTextColor(kFeelsLikeValue);
    dc.TextOut(100, 47, m_selFeelsLike + L"\u00B0");

    dc.SelectObject(&m_normalFont13);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.TextOut(5, 91, m_selCondition);

    dc.SelectObject(&m_boldFont13);
    dc.SetTextColor(kDayValue);
    dc.TextOut(30, 118, m_selWindDirection);
    dc.TextOut(30, 128, m_selWindSpeed + L" kph");
    DrawIconId(dc, IDI_FORECAST_WIND, 10, 122, 16);
    // Each value ends before the next value's icon, the last one at the dialog's right edge.
    const int edge = client.right - 2;
    if (m_daysLeft - m_selectedDay == 3) {
        DrawFitted(dc, m_boldFont13, 95, 123, 174, m_selHumidityOrPressure + L" mb[Hg]", {}, kDayValue, kDayValue);
        DrawIconId(dc, IDI_FORECAST_PRESSURE, 75, 122, 16);
        DrawFitted(dc, m_boldFont13, 195, 123, edge, m_selPrecipitationOrVisibility + L" km", {}, kDayValue,
                   kDayValue);
        DrawIconId(dc, IDI_FORECAST_VISIBILITY, 175, 122, 16);
    } else {
        DrawFitted(dc, m_boldFont13, 105, 123, 144, m_selHumidityOrPressure + L"%", {}, kDayValue, kDayValue);
        DrawIconId(dc, IDI_FORECAST_HUMIDITY, 85, 122, 16);
        DrawFitted(dc, m_boldFont13, 165, 123, edge, m_selPrecipitationOrVisibility + L"%", {}, kDayValue, kDayValue);
        DrawIconId(dc, IDI_FORECAST_PRECIPITATION, 145, 122, 16);
    }
    dc.SelectObject(oldFont);
}
