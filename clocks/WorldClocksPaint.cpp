// The World Clocks page's painting, its analog hands and its once-a-second refresh.

#include "clocks/WorldClocksDlg.h"
#include "core/CityTime.h"
#include "core/CommonHelpers.h"
#include "platform/framework/Time.h"
#include "platform/framework/WindowDC.h"

namespace {

// The number in two characters of a time text ("HH:MM:SS"), 0 when they are not digits.
int TwoDigits(const CString& text, int first) {
    if (text.GetLength() < first + 2) return 0;
    WCHAR a = text[first], b = text[first + 1];
    if (a < L'0' || a > L'9' || b < L'0' || b > L'9') return 0;
    return (a - L'0') * 10 + (b - L'0');
}

void DrawHand(CDC* dc, double value, int kind, POINT centre, const RECT& face, POINT* kept = nullptr) {
    POINT points[4] = {};
    DrawAnalogClock(value, kind, centre, face, points);
    // Hours and minutes: from the centre to the tip (first and third points); seconds: a line.
    POINT from = points[0];
    POINT to = kind == 2 ? points[1] : points[2];
    dc->MoveTo(from);
    dc->LineTo(to);
    if (kept) {
        kept[0] = from;
        kept[1] = to;
    }
}

} // namespace

void CWorldClocksDlg::UpdateHourDigests() {
    int h[kClockCount];
    for (int i = 0; i < kClockCount; ++i) h[i] = TwoDigits(m_timeText[i], 0);
    m_hourDigestA = h[0] + 100 * h[1] + 10000 * h[2];
    m_hourDigestB = static_cast<int16_t>(h[3] + 100 * h[4]);
}

void CWorldClocksDlg::OnPaint() {
    CPaintDC dc(this);
    const ClockGeometry g = Geometry();
    CFont* oldFont = nullptr;
    bool fontSelected = false;
    if (m_bigTimeFont.GetSafeHandle()) {
        oldFont = dc.SelectObject(&m_bigTimeFont);
        fontSelected = true;
    }
    dc.SetTextColor(m_colour[CMDC]);
    dc.SetBkMode(TRANSPARENT);

    // Hours and minutes; in twelve-hour mode the suffix beside them.
    auto drawTime = [&](int clock) {
        POINT p = g.TimePos(clock);
        if (m_twelveHour) {
            int hour = ClockHourFromDigests(m_hourDigestA, m_hourDigestB, clock);
            CString suffix = ApplyTwelveHourRule(hour, m_timeText[clock]);
            CSize size = dc.GetTextExtent(m_timeText[clock].Left(5));
            dc.TextOut(p.x + size.cx + 3, p.y, suffix);
        }
        dc.TextOut(p.x, p.y, m_timeText[clock].Left(5));
    };
    drawTime(0);

    dc.SetTextColor(m_colour[CODC]);
    if (m_timeFont.GetSafeHandle()) {
        CFont* previous = dc.SelectObject(&m_timeFont);
        if (!fontSelected) oldFont = previous, fontSelected = true;
    }
    for (int clock = 1; clock < kClockCount; ++clock) drawTime(clock);

    dc.SetTextColor(m_colour[CMD]);
    POINT homeDate = g.DatePos(0);
    dc.TextOut(homeDate.x, homeDate.y, m_dateText[0]);

    const bool square = g.shape == ClockScreenShape::Square;
    CFont& dateFont = square ? m_smallFont : m_textFont;
    if (dateFont.GetSafeHandle()) dc.SelectObject(&dateFont);
    dc.SetTextColor(m_colour[COD]);
    CString dates[kClockCount];
    for (int clock = 1; clock < kClockCount; ++clock) {
        dates[clock] = m_dateText[clock];
        if (square) {
            int blank = dates[clock].Find(L' ');
            if (blank >= 0) dates[clock] = dates[clock].Left(blank); // day and month without the weekday
        }
    }
    // A weekday that would run past its card's edge takes the small font instead, and then the
    // four dates all take it, so that they read alike.
    bool narrow = false;
    if (!square && m_smallFont.GetSafeHandle())
        for (int clock = 1; clock < kClockCount; ++clock)
            narrow = narrow || dc.GetTextExtent(dates[clock]).cx > g.CityDateRight(clock) - g.DatePos(clock).x;
    if (narrow) dc.SelectObject(&m_smallFont);
    for (int clock = 1; clock < kClockCount; ++clock) {
        POINT p = g.DatePos(clock);
        dc.TextOut(p.x, p.y, dates[clock]);
    }

    for (int clock = 0; clock < kClockCount; ++clock) {
        const CString& t = m_timeText[clock];
        RECT face = g.FaceRect(clock);
        DrawClockHands(&dc, TwoDigits(t, 6), TwoDigits(t, 3), TwoDigits(t, 0), ClockGeometry::FaceCentre(face), face,
                       false, clock == 0);
    }

    if (m_timeFont.GetSafeHandle()) dc.SelectObject(&m_timeFont);
    dc.SetTextColor(m_colour[CMCN]);
    {
        int x = g.X0() + 3;
        if (m_cityCombo[0].m_hWnd) {
            RECT combo{};
            m_cityCombo[0].GetWindowRect(&combo);
            x = g.W - (combo.right - combo.left) + 3;
        }
        // Whole when it fits; a name that would run past the icon column at the card's right end
        // is shortened there, with "...", as it would otherwise leave the card and the screen.
        dc.TextOut(x, g.HomeNameTop(), FitTextWithEllipsis(&dc, CityNameOf(0), g.HomeNameRight() - x));
    }
    dc.SetTextColor(m_colour[COCN]);
    for (int clock = 1; clock < kClockCount; ++clock) {
        POINT p = g.CityNamePos(clock);
        dc.TextOut(p.x, p.y, FitTextWithEllipsis(&dc, CityNameOf(clock), g.CityNameWidth()));
    }

    if (fontSelected) dc.SelectObject(oldFont);
}

void CWorldClocksDlg::DrawClockHands(CDC* pDC, int second, int minute, int hour, POINT centre, const RECT& face,
                                     bool update, bool home) {
    const int saved = pDC->SaveDC();
    if (home) {
        pDC->SelectObject(&m_homeSecondHandPen);
        pDC->SelectObject(&m_homeSecondHandBrush);
        // Not-XOR: drawing the same line a second time takes it away again.
        pDC->SetROP2(R2_NOTXORPEN);
        if (update && m_secondHandDrawn) {
            pDC->MoveTo(m_secondHand[0]);
            pDC->LineTo(m_secondHand[1]);
        }
        DrawHand(pDC, second, 2, centre, face, m_secondHand);
        m_secondHandDrawn = true;
        pDC->SetROP2(R2_COPYPEN);
        if (second == minute + 1) {
            // The second hand has just crossed the minute hand: mend it now, in full at the next refresh.
            DrawHand(pDC, minute, 1, centre, face);
            m_fullRepaint = 1;
        }
    }
    if (update && second != 0) {
        pDC->RestoreDC(saved);
        return;
    }

    pDC->SelectObject(home ? &m_homeHandPen1 : &m_cityHandPen1);
    pDC->SelectObject(home ? &m_homeHandBrush : &m_cityHandBrush);
    if (update) {
        pDC->SetROP2(R2_NOTXORPEN);
        DrawHand(pDC, minute - 1, 1, centre, face);
    }
    pDC->SetROP2(R2_COPYPEN);
    DrawHand(pDC, minute, 1, centre, face);

    pDC->SelectObject(home ? &m_homeHandPen2 : &m_cityHandPen2);
    if (update) {
        const int previous = minute == 0 ? hour * 5 - 1 : hour * 5 + (minute - 1) / 12;
        pDC->SetROP2(R2_NOTXORPEN);
        DrawHand(pDC, previous, 0, centre, face);
        pDC->SetROP2(R2_COPYPEN);
    }
    DrawHand(pDC, hour * 5 + minute / 12, 0, centre, face);
    pDC->RestoreDC(saved);
}

void CWorldClocksDlg::OnTimer(UINT_PTR) {
    if (m_ticker.TakeMinuteFlag()) m_fullRepaint = 1;
    if (!m_syncLocalZone) {
        // The home reference follows the home city's own daylight saving from the tick on which
        // its clocks change, and the city clocks with it.
        int hours = 0, minutes = 0;
        HomeReferenceNow(hours, minutes);
        if (hours != m_refHours || minutes != m_refMinutes) {
            m_refHours = hours;
            m_refMinutes = minutes;
            LoadClockZones(s_clockCity[0], s_clockCity[1], s_clockCity[2], s_clockCity[3], s_clockCity[4]);
            m_fullRepaint = 1;
        }
    }
    if (m_syncLocalZone) ComputeHomeZone(m_refHours, m_refMinutes);
    // A new year brings new windows.
    if (CTime::GetCurrentTime().GetYear() != m_zoneYear)
        LoadClockZones(s_clockCity[0], s_clockCity[1], s_clockCity[2], s_clockCity[3], s_clockCity[4]);

    // The daylight-saving checks come before the texts, so that on the tick a clock changes
    // its date is read with its new zone too (a change at midnight can take it back a day).
    for (int clock = 0; clock < kClockCount; ++clock) {
        const bool inside = IsInsideStoredWindow(clock);
        if (inside != (m_dstApplied[clock] != 0)) {
            LoadClockZones(s_clockCity[0], s_clockCity[1], s_clockCity[2], s_clockCity[3], s_clockCity[4]);
            if (clock == 0) ComputeHomeZone(m_refHours, m_refMinutes);
        }
    }
    // A clock whose date changed (its own midnight, or a change of its clocks across midnight)
    // has its date cell redrawn at once, not only at the home clock's midnight.
    bool dateChanged[kClockCount] = {};
    for (int clock = 0; clock < kClockCount; ++clock) {
        int hours = 0, minutes = 0;
        ClockReference(clock, hours, minutes);
        DateTriple date;
        const CString dateText = FormatCityDate(m_zone[clock], hours, minutes, clock == 0 ? 1 : 0, date);
        dateChanged[clock] = dateText != m_dateText[clock];
        m_dateText[clock] = dateText;
        m_timeText[clock] = FormatCityTime(m_zone[clock], hours, minutes);
    }
    UpdateHourDigests();

    const ClockGeometry g = Geometry();
    const CString& home = m_timeText[0];
    const int length = home.GetLength();
    const WCHAR last = length > 0 ? home[length - 1] : 0;
    const bool full = m_fullRepaint == 1;
    if (full) {
        for (int clock = 0; clock < kClockCount; ++clock) {
            RECT time = g.TimeCell(clock), date = g.DateCell(clock);
            InvalidateRect(&time, TRUE);
            InvalidateRect(&date, TRUE);
        }
    }
    if (last == L'0' || last == L'1') {
        RECT cell = g.TenSecondCell();
        InvalidateRect(&cell, TRUE);
    }
    if (length >= 2 && home.Right(2) == L"00") {
        for (int clock = 0; clock < kClockCount; ++clock) {
            RECT time = g.TimeCell(clock);
            InvalidateRect(&time, TRUE);
        }
    }
    for (int clock = 0; clock < kClockCount; ++clock) {
        if (home != L"00:00:00" && !dateChanged[clock]) continue;
        RECT date = g.DateCell(clock);
        InvalidateRect(&date, TRUE);
    }

    // Cleared before the hands move, so that a repaint they ask for reaches the next tick.
    m_fullRepaint = 0;
    const int second = TwoDigits(home, 6);
    CClientDC dc(this);
    for (int clock = 0; clock < kClockCount; ++clock) {
        const CString& t = m_timeText[clock];
        RECT face = g.FaceRect(clock);
        if (full || second == 0 || second == 3) InvalidateRect(&face, TRUE);
        DrawClockHands(&dc, second, TwoDigits(t, 3), TwoDigits(t, 0), ClockGeometry::FaceCentre(face), face, true,
                       clock == 0);
    }
}
