// The World Map page's layout for the screen shape and its painting: the background, panel and
// map images, the night shadow, the marker, the texts, the analog clock and the Rise&Set box.

#include "worldmap/WorldMapPanel.h"

#include "clocks/DstRule.h"
#include "core/CityTime.h"
#include "core/CommonHelpers.h"
#include "platform/framework/Time.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceTime.h"
#include "platform/ui/ResourceImages.h"
#include "resources/resource.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int TwoDigits(const CString& text, int first) {
    if (text.GetLength() < first + 2) return 0;
    WCHAR a = text[first], b = text[first + 1];
    if (a < L'0' || a > L'9' || b < L'0' || b > L'9') return 0;
    return (a - L'0') * 10 + (b - L'0');
}

int WidthOf(CWnd& child) {
    if (!child.m_hWnd) return 0;
    RECT r{};
    child.GetWindowRect(&r);
    return r.right - r.left;
}

int HeightOf(CWnd& child) {
    if (!child.m_hWnd) return 0;
    RECT r{};
    child.GetWindowRect(&r);
    return r.bottom - r.top;
}

bool ScreenIs320High() { return ::GetSystemMetrics(SM_CYSCREEN) == 320; }

} // namespace

// [SECTION] Layout ------------------------------------------------------------------------------

int CWorldMapPanel::TextTop() const {
    return m_mapHeight + HeightOf(const_cast<CComboBox&>(m_cityCombo));
}

int CWorldMapPanel::RiseSetGap(bool forPaint) const {
    const int clockWidth = WidthOf(const_cast<CDigitalClock&>(m_digitalClock));
    const int pictureWidth = WidthOf(const_cast<CStatic&>(m_sunPicture));
    const int valueWidth = WidthOf(const_cast<CStatic&>(m_sunsetValue));
    const int d = ClockColumnWidth();
    const bool square = IsSquareScreenNot320();
    int g = square ? (forPaint ? 28 : 24) : 4;
    if (m_workWidth == 320 && (m_workHeight < 240 || ScreenIs320High())) {
        // The 320 x 320 screen: the sun picture stands where the box is drawn, clear of the date.
        g = clockWidth + 14;
    } else if (square || m_workWidth < m_workHeight) {
        // Portrait and square: the box moves right as far as it still fits, so that the
        // twelve-hour suffix beside the time stays clear of the picture and the box.
        const int right = d + clockWidth + pictureWidth + g + valueWidth + 1;
        g += std::max(0, m_workWidth - 3 - right);
    }
    // The box's title, 10 pixels left of its values, reaches up into the city-name row: it starts
    // a few pixels right of the row's end, where the row's sun icon stands, as far as the box
    // still fits (the sunrise picture then stands clear of the longest date, "Wed").
    const int titleLeft = d + clockWidth + pictureWidth + g - 10;
    const int rowEnd = m_workWidth - m_workWidth / 5;
    if (titleLeft < rowEnd) {
        const int room = m_workWidth - (titleLeft + 10 + valueWidth + 1);
        g += std::min(rowEnd + 4 - titleLeft, std::max(0, room));
    }
    return g;
}

int CWorldMapPanel::RiseSetLeft(bool forPaint) const {
    return ClockColumnWidth() + WidthOf(const_cast<CDigitalClock&>(m_digitalClock)) +
           WidthOf(const_cast<CStatic&>(m_sunPicture)) + RiseSetGap(forPaint);
}

void CWorldMapPanel::LayOut(bool higherRowsWhenEqual) {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    m_workWidth = area.right - area.left;
    m_workHeight = area.bottom - area.top;
    m_menuBarHeight = ::GetSystemMetrics(SM_CYMENU);
    m_pageHeight = m_workHeight - m_menuBarHeight - 26; // 26: the tab strip

    if (m_workHeight > 350)
        m_pageHeight -= 80;
    else if (m_workWidth > m_workHeight && m_workWidth > 350)
        m_workWidth -= 80;
    else if (m_workWidth == 320 && ScreenIs320High())
        m_pageHeight -= 80;

    if ((IsSquareScreenNot320() && MapEnlarged) || (m_workWidth >= m_workHeight && MapEnlarged)) {
        m_mapHeight = m_pageHeight - 3;
        m_mapLeft = 0;
    } else {
        if (m_workWidth < m_workHeight)
            m_mapHeight = m_pageHeight * 4 / 7;
        else
            m_mapHeight = m_pageHeight * 14 / 28;
        const int w = m_mapHeight * 240 / 140;
        m_mapLeft = std::abs(240 - w) / 2;
    }

    const int d = ClockColumnWidth();
    if (m_cityCombo.m_hWnd) {
        m_cityCombo.SetWindowPos(nullptr, 0, 0, m_workWidth - m_workWidth / 5 - d, 20, SWP_NOMOVE | SWP_NOZORDER);
        m_cityCombo.SetWindowPos(nullptr, d, m_mapHeight + 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    const int T = TextTop();
    if (m_digitalClock.m_hWnd) m_digitalClock.SetWindowPos(nullptr, d + 20, T + 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    const int g = RiseSetGap(false);
    const int clockWidth = WidthOf(m_digitalClock);
    if (m_sunPicture.m_hWnd)
        m_sunPicture.SetWindowPos(&wndTop, d + clockWidth + g, T + 5, 0, 0, SWP_NOSIZE);
    const int R = RiseSetLeft(false);
    const int valueWidth = WidthOf(m_sunsetValue);
    const int pictureHeight = HeightOf(m_sunPicture);
    const bool higher = higherRowsWhenEqual ? R + valueWidth >= m_workWidth : R + valueWidth > m_workWidth;
    if (m_sunriseValue.m_hWnd && m_sunsetValue.m_hWnd) {
        if (higher) {
            m_sunriseValue.SetWindowPos(nullptr, R, T + 5, valueWidth, 11, SWP_NOZORDER);
            m_sunsetValue.SetWindowPos(nullptr, R, T + pictureHeight - 6, valueWidth, 11, SWP_NOZORDER);
        } else {
            m_sunriseValue.SetWindowPos(nullptr, R, T + 6, valueWidth, 11, SWP_NOZORDER);
            m_sunsetValue.SetWindowPos(nullptr, R, T + pictureHeight - 5, valueWidth, 11, SWP_NOZORDER);
            if (m_sunPicture.m_hWnd)
                m_sunPicture.SetWindowPos(nullptr, d + clockWidth + g, T + 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
    }
    RaiseOpenTips(); // the picture went on top of its siblings
    if (m_digitalClock.m_hWnd) m_digitalClock.ShowWindow(SW_HIDE);
    if (m_sunriseValue.m_hWnd) m_sunriseValue.ShowWindow(SW_HIDE);
    if (m_sunsetValue.m_hWnd) m_sunsetValue.ShowWindow(SW_HIDE);

    if (MarkerPlacementPending) {
        PlaceCityMarker();
        MarkerPlacementPending = false;
    }
    InvalidateAll();
}

void CWorldMapPanel::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    if (!m_settingsLoaded && !m_cityCombo.m_hWnd) return; // before the controls are bound
    LayOut(false);
}

void CWorldMapPanel::InvalidateAll() {
    m_shadowDue = true;
    if (m_hWnd) Invalidate(TRUE);
}

POINT CWorldMapPanel::CityCentre(DWORD cityIndex) {
    const double lon = ReadLeadingInt(m_cities.GetLongitude(cityIndex));
    const double lat = ReadLeadingInt(m_cities.GetLatitude(cityIndex));
    const int bw = m_workWidth - 2 * m_mapLeft;
    POINT p;
    p.x = static_cast<LONG>(std::trunc(lon * bw / 360.0 + (m_mapLeft + bw / 2)));
    p.y = static_cast<LONG>(std::trunc((m_mapHeight / 2) - lat * m_mapHeight / 180.0));
    return p;
}

void CWorldMapPanel::PlaceCityMarker() {
    POINT p = CityCentre(m_mapCity);
    if (m_marker.m_hWnd) m_marker.SetWindowPos(&wndTopMost, p.x - 2, p.y - 2, 5, 5, SWP_SHOWWINDOW);
    RaiseOpenTips();
    m_cityName = CityListLabel(m_cities, m_mapCity); // a name more than one city has comes with its country
}

// An open tips box stays over the sun picture and the city marker, which go on top when placed;
// also while the page itself is hidden under another tab (a layout then still moves them), so the
// box's own visible style counts, not whether it can be seen now.
void CWorldMapPanel::RaiseOpenTips() {
    if (!m_tipsTitle.m_hWnd || !(m_tipsTitle.GetStyle() & WS_VISIBLE)) return;
    m_tipsTitle.SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_tipsText.SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_tipsButton.SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// [SECTION] Areas the tick repaints -------------------------------------------------------------

RECT CWorldMapPanel::CityNameRowRect() const {
    const int d = ClockColumnWidth();
    return RECT{d, m_mapHeight + 4, m_workWidth - m_workWidth / 5 + 70, m_mapHeight + 24};
}

RECT CWorldMapPanel::TimeTextRect() const {
    const int d = ClockColumnWidth();
    const int T = TextTop();
    const int x = IsSquareScreenNot320() ? d + 19 : d + 2;
    return RECT{x, T + 5, x + 150, T + 30};
}

RECT CWorldMapPanel::DateTextRect(bool wholeBlock) const {
    // The portrait block (d + 2, T + 30) moved with the date's position.
    const int d = ClockColumnWidth();
    const int T = TextTop();
    int x = d + 2, y = T + 35;
    if (m_workWidth == 320 && m_pageHeight < 240) {
        x = d + 82;
        y = T + 12;
    } else if (IsSquareScreenNot320()) {
        x = d + 20;
        y = T + 32;
    }
    return RECT{x, y - 5, x + 150, y - 5 + (wholeBlock ? 45 : 25)};
}

RECT CWorldMapPanel::SunriseRect() const {
    const int R = RiseSetLeft(true);
    const int T = TextTop();
    return RECT{R, T + 5, R + 35, T + 21};
}

RECT CWorldMapPanel::SunsetRect() const {
    const int R = RiseSetLeft(true);
    const int T = TextTop();
    const int h = HeightOf(const_cast<CStatic&>(m_sunPicture));
    return RECT{R, T + h - 6, R + 35, T + h + 10};
}

RECT CWorldMapPanel::AnalogClockRect() const {
    const int d = ClockColumnWidth();
    const int top = m_mapHeight + d * 7 / 100;
    if (m_workWidth < m_workHeight) return RECT{5, top + 10, d * 85 / 100 + 5, top + d * 85 / 100};
    return RECT{5, top + 13, d * 85 / 100 + 5, top + d * 85 / 100 + 22};
}

// [SECTION] Background --------------------------------------------------------------------------

BOOL CWorldMapPanel::OnEraseBkgnd(CDC* pDC) {
    CDialog::OnEraseBkgnd(pDC);
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenH = ::GetSystemMetrics(SM_CYSCREEN);
    pDC->FillSolidRect(0, 0, screenW, screenH, m_panelColour);
    {
        CBrush grey;
        grey.CreateSolidBrush(RGB(100, 100, 100));
        RECT band{0, 0, m_workWidth, m_mapHeight};
        pDC->FillRect(&band, &grey);
    }
    CDC mem;
    mem.CreateCompatibleDC(pDC);
    const bool wideOrSquare = IsSquareScreenNot320() || m_workWidth >= m_workHeight;
    if (m_panelBitmap.GetSafeHandle()) {
        BITMAP bm{};
        m_panelBitmap.GetBitmap(&bm);
        CBitmap* old = mem.SelectObject(&m_panelBitmap);
        if (wideOrSquare && MapEnlarged && !ScreenIs320High())
            pDC->StretchBlt(0, m_pageHeight - 25, m_workWidth, bm.bmHeight, &mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        else if (MapEnlarged && wideOrSquare)
            pDC->StretchBlt(0, m_pageHeight - 3, m_workWidth, bm.bmHeight, &mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        else if (m_workWidth >= m_workHeight)
            pDC->StretchBlt(0, m_mapHeight + 1, m_workWidth, m_pageHeight - m_mapHeight - 2, &mem, 0, 0, bm.bmWidth,
                            bm.bmHeight, SRCCOPY);
        else
            pDC->StretchBlt(0, m_mapHeight + 1, m_workWidth, m_pageHeight - m_mapHeight - 1, &mem, 0, 0, bm.bmWidth,
                            bm.bmHeight, SRCCOPY);
        mem.SelectObject(old);
    }
    if (m_mapBitmap.GetSafeHandle()) {
        BITMAP bm{};
        m_mapBitmap.GetBitmap(&bm);
        CBitmap* old = mem.SelectObject(&m_mapBitmap);
        pDC->StretchBlt(m_mapLeft, 0, m_workWidth - 2 * m_mapLeft, m_mapHeight, &mem, 0, 0, bm.bmWidth, bm.bmHeight,
                        SRCCOPY);
        mem.SelectObject(old);
    }
    return TRUE;
}

// [SECTION] Paint -------------------------------------------------------------------------------

void CWorldMapPanel::OnPaint() {
    {
        RECT update{};
        if (::GetUpdateRect(m_hWnd, &update, FALSE)) {
            RECT band{0, 0, m_workWidth, m_mapHeight}, overlap{};
            if (::IntersectRect(&overlap, &update, &band)) m_shadowDue = true;
        }
    }
    CPaintDC dc(this);
    const int saved = dc.SaveDC();
    const int d = ClockColumnWidth();
    const int T = TextTop();
    const bool square = IsSquareScreenNot320();
    const bool portrait = m_workWidth < m_workHeight;
    const bool smallLandscape = m_workWidth == 320 && m_pageHeight < 240;
    dc.SetBkMode(TRANSPARENT);

    // Hours and minutes, in twelve-hour mode with the suffix.
    CString time = m_cityTimeText;
    CString suffix;
    if (m_twelveHour) {
        int h = m_cityHour;
        if (h == 12) {
            suffix = L"PM";
        } else if (h == 0) {
            suffix = L"AM";
            h = 12;
        } else if (h < 12) {
            suffix = L" AM";
        } else {
            suffix = L" PM";
            h -= 12;
        }
        CString hour;
        hour.Format(h < 10 ? L"0%d" : L"%d", h);
        time = hour + time.Mid(2);
    }
    if (m_largeFont.GetSafeHandle()) dc.SelectObject(&m_largeFont);
    dc.SetTextColor(m_colour[DCC]);
    const CString hhmm = time.Left(5);
    const int timeX = square ? d + 20 : d + 3;
    dc.TextOut(timeX, T + 5, hhmm);
    const int tw = dc.GetTextExtent(hhmm).cx;
    if (m_mediumFont.GetSafeHandle()) dc.SelectObject(&m_mediumFont);
    if (!suffix.IsEmpty()) {
        if (square)
            dc.TextOut(d + 20 + tw, T + 16, suffix);
        else if (IsLandscape() || smallLandscape) // under the time: the date stands beside it
            dc.TextOut(d + 3 + tw / 2, T + 31, suffix);
        else
            dc.TextOut(d + 3 + tw, T + 16, suffix);
    }

    dc.SetTextColor(m_colour[DC]);
    if (smallLandscape)
        dc.TextOut(d + 82, T + 12, m_cityDateText);
    else if (square)
        dc.TextOut(d + 20, T + 32, m_cityDateText);
    else
        dc.TextOut(d + 2, T + 35, m_cityDateText);

    if (m_fixedSmallFont.GetSafeHandle()) dc.SelectObject(&m_fixedSmallFont);
    dc.SetTextColor(m_colour[DLC]);
    {
        CString dayLength;
        if (m_dayLengthValue.m_hWnd) m_dayLengthValue.GetWindowText(dayLength);
        CString line = m_dayLengthLabel + CString(L"\x203A") + dayLength;
        if (smallLandscape)
            dc.TextOut(d + 83, T + 32, line);
        else if (square)
            dc.TextOut(d + 21, T + 48, line);
        else if (portrait)
            dc.TextOut(d + 3, T + 55, line);
        else
            dc.TextOut(d + 3, T + 48, line);
    }

    // Rise&Set box.
    {
        const int g = RiseSetGap(true);
        const int R = RiseSetLeft(true);
        const int valueWidth = WidthOf(m_sunsetValue);
        const int valueHeight = HeightOf(m_sunsetValue);
        const int pictureHeight = HeightOf(m_sunPicture);
        const int clockWidth = WidthOf(m_digitalClock);
        const int clockHeight = HeightOf(m_digitalClock);
        const bool fits = R + valueWidth <= m_workWidth;
        CGdiObject* initialBrush = dc.GetCurrentBrush();
        dc.SelectObject(&m_riseSetPen);
        dc.SelectObject(&m_riseSetTitleBrush);
        dc.RoundRect(R - 10, T - 5, R + valueWidth + 1, T + 6, 2, 2);
        dc.SetTextColor(m_colour[RSTTC]);
        CString riseSet;
        riseSet.LoadString(IDS_MAP_RISE_SET);
        dc.TextOut(R - 8, T - 5, riseSet);
        if (fits) {
            if (initialBrush) dc.SelectObject(initialBrush);
            dc.Rectangle(R - 20, T + 5, R + valueWidth + 1, T + 2 * valueHeight + 9);
        } else {
            dc.SelectObject(&m_riseSetInnerBrush);
            dc.Rectangle(R - 20, T + 3, d + g + 2 * (clockWidth + 1), T + 2 * clockHeight + 15);
        }
        dc.SetTextColor(m_colour[RSITC]);
        CString rise, set;
        if (m_sunriseValue.m_hWnd) m_sunriseValue.GetWindowText(rise);
        if (m_sunsetValue.m_hWnd) m_sunsetValue.GetWindowText(set);
        if (fits) {
            dc.TextOut(R, T + 6, rise);
            dc.TextOut(R, T + pictureHeight - 5, set);
        } else {
            dc.TextOut(R, T + 5, rise);
            dc.TextOut(R, T + pictureHeight - 6, set);
        }
    }

    // Analog clock.
    {
        RECT clock = AnalogClockRect();
        POINT centre{(clock.left + clock.right) / 2, (clock.top + clock.bottom) / 2};
        DrawClock(&dc, TwoDigits(time, 6), TwoDigits(time, 3), TwoDigits(time, 0), centre, clock, false, true);
    }

    // City name.
    if (m_mediumFont.GetSafeHandle()) dc.SelectObject(&m_mediumFont);
    dc.SetTextColor(m_colour[CNC]);
    {
        // A name that the row's font cannot hold whole (a shared name with its country) is drawn
        // in the smaller bold font, lowered to the same middle; one that is still too long ends in "...".
        const int room = m_workWidth - m_workWidth / 5 - d - 20;
        int top = m_mapHeight + 6;
        if (dc.GetTextExtent(m_cityName).cx >= room && m_smallBoldFont.GetSafeHandle()) {
            const int mediumHeight = dc.GetTextExtent(CString(L"Ag")).cy;
            dc.SelectObject(&m_smallBoldFont);
            top += (mediumHeight - dc.GetTextExtent(CString(L"Ag")).cy) / 2;
        }
        dc.TextOut(d + 5, top, FitTextWithEllipsis(&dc, m_cityName, room));
    }

    // Night shadow.
    if (m_shadowDue && m_workWidth > 0 && m_mapHeight > 0) {
        CDC colour, spare;
        colour.CreateCompatibleDC(&dc);
        spare.CreateCompatibleDC(&dc);
        m_shadowBitmap.DeleteObject();
        m_shadowBitmap.CreateCompatibleBitmap(&dc, m_workWidth, m_mapHeight);
        CBitmap* old = colour.SelectObject(&m_shadowBitmap);
        colour.FillSolidRect(m_mapLeft, 0, m_workWidth - 2 * m_mapLeft, m_mapHeight, m_colour[SHADCLR]);
        DrawNightShadow(&dc, &colour);
        colour.SelectObject(old);
    }

    {
        CPen black;
        black.CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
        CBrush pale;
        pale.CreateSolidBrush(RGB(255, 255, 195));
        dc.SelectObject(&black);
        dc.SelectObject(&pale);
        if ((square || m_workWidth >= m_workHeight) && !ScreenIs320High()) {
            HICON icon = static_cast<HICON>(::LoadImage(AfxGetResourceHandle(),
                                                        MAKEINTRESOURCE(MapEnlarged ? IDI_MAP_ENLARGED : IDI_MAP_NORMAL),
                                                        IMAGE_ICON, 16, 16, 0));
            if (icon) {
                ::DrawIconEx(dc.GetSafeHdc(), 2, m_mapHeight - 17, icon, 16, 16, 0, nullptr, DI_NORMAL);
                ::DestroyIcon(icon);
            }
        }
        if (m_showCitySquares) DrawClockCitySquares(&dc);
        dc.RestoreDC(saved);
    }
}

void CWorldMapPanel::DrawNightShadow(CDC* dest, CDC* colour) {
    CTime now = CTime::GetCurrentTime();
    UtcInstant utc = UtcFromHomeZone(now.GetYear(), now.GetMonth(), now.GetDay(), now.GetHour(), now.GetMinute(),
                                     now.GetSecond(), m_homeZoneHours, m_homeZoneMinutes);
    m_nightShadow.Draw(*dest, *colour, m_mapLeft, m_workWidth - 2 * m_mapLeft, m_mapHeight, utc);
    m_shadowDue = false;
}

// [SECTION] Clock hands -------------------------------------------------------------------------

void CWorldMapPanel::DrawClock(CDC* dc, int seconds, int minutes, int hours, POINT centre, const RECT& clock,
                               bool erase, bool secondHand) {
    const int saved = dc->SaveDC();
    auto segment = [&](double value, int kind, POINT* out) {
        POINT points[4] = {};
        DrawAnalogClock(value, kind, centre, clock, points);
        out[0] = points[0];
        out[1] = kind == 2 ? points[1] : points[2];
    };
    auto line = [&](const POINT* s) {
        dc->MoveTo(s[0]);
        dc->LineTo(s[1]);
    };
    // Not-XOR: drawing the same line a second time takes it away again.
    dc->SetROP2(R2_NOTXORPEN);
    POINT next[3][2];
    segment(seconds, 2, next[0]);
    segment(minutes, 1, next[1]);
    segment(hours * 5 + minutes / 12, 0, next[2]);

    if (secondHand) {
        dc->SelectObject(&m_secondHandPen);
        dc->SelectObject(&m_secondHandBrush);
        if (erase && m_handsDrawn[0]) line(m_lastHands[0]);
        line(next[0]);
        m_lastHands[0][0] = next[0][0];
        m_lastHands[0][1] = next[0][1];
        m_handsDrawn[0] = true;
        if (seconds - 1 == minutes && m_handsDrawn[1]) {
            // The second hand has just left the minute hand: mend it.
            dc->SetROP2(R2_COPYPEN);
            dc->SelectObject(&m_clockPen1);
            line(m_lastHands[1]);
            dc->SetROP2(R2_NOTXORPEN);
        }
    }
    dc->SelectObject(&m_clockBrush);
    for (int hand = 1; hand <= 2; ++hand) {
        dc->SelectObject(hand == 1 ? &m_clockPen1 : &m_clockPen2);
        const bool moved = next[hand][0].x != m_lastHands[hand][0].x || next[hand][0].y != m_lastHands[hand][0].y ||
                           next[hand][1].x != m_lastHands[hand][1].x || next[hand][1].y != m_lastHands[hand][1].y;
        if (erase && m_handsDrawn[hand]) {
            if (!moved) continue; // erasing and drawing the same line again leaves it as it is
            line(m_lastHands[hand]);
        }
        line(next[hand]);
        m_lastHands[hand][0] = next[hand][0];
        m_lastHands[hand][1] = next[hand][1];
        m_handsDrawn[hand] = true;
    }
    if (!erase) {
        // Where hands cross, not-XOR takes both away: a fresh face gets its hour and minute hands
        // drawn plainly once more, so all three stay visible.
        dc->SetROP2(R2_COPYPEN);
        dc->SelectObject(&m_clockPen1);
        line(next[1]);
        dc->SelectObject(&m_clockPen2);
        line(next[2]);
    }
    dc->RestoreDC(saved);
}
