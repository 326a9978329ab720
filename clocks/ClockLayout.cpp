#include "clocks/ClockLayout.h"

#include "core/CommonHelpers.h"
#include "platform/ui/WinUser.h"

namespace {

RECT Rect(int left, int top, int right, int bottom) { return RECT{left, top, right, bottom}; }

} // namespace

ClockGeometry ClockGeometry::Compute(int workWidth, int workHeight, int menuHeight, int screenHeight,
                                     bool squareNot320) {
    ClockGeometry g;
    g.W = workWidth;
    g.H = workHeight;
    g.M = menuHeight;
    g.A = g.H - g.M - 26;
    if (g.H > 350)
        g.A -= 80;
    else if (g.W > g.H && g.W > 350)
        g.W -= 80;
    else if (g.W == 320 && screenHeight == 320)
        g.A -= 80;
    if (g.W < g.H)
        g.shape = ClockScreenShape::Portrait;
    else if (squareNot320)
        g.shape = ClockScreenShape::Square;
    else
        g.shape = ClockScreenShape::Landscape;
    return g;
}

ClockGeometry ClockGeometry::Current() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    return Compute(area.right - area.left, area.bottom - area.top, ::GetSystemMetrics(SM_CYMENU),
                   ::GetSystemMetrics(SM_CYSCREEN), IsSquareScreenNot320());
}

int ClockGeometry::CityDateRight(int clock) const {
    if (shape == ClockScreenShape::Landscape) return SunIconArea(clock).left;
    return ((clock == 1 || clock == 3) ? Wh() : W) - 5;
}

int ClockGeometry::HomeNameTop() const {
    if (shape == ClockScreenShape::Square) return R() - 16;
    return R() - 20;
}

RECT ClockGeometry::ComboRect(int clock) const {
    const int r = R(), wh = Wh(), w20 = W / 20, r2 = R2();
    int x = 0, y = 0, w = 0;
    switch (shape) {
    case ClockScreenShape::Portrait:
        switch (clock) {
        case 0: x = w20 + r - 2; y = HomeNameTop() - 2; w = W - w20 - r; break;
        case 1: x = 2; y = r2 - 21; w = wh - 3; break;
        case 2: x = wh + 2; y = r2 - 21; w = wh - 4; break;
        case 3: x = 2; y = A - 21; w = wh - 3; break;
        default: x = wh + 2; y = A - 21; w = wh - 4; break;
        }
        break;
    case ClockScreenShape::Landscape:
        switch (clock) {
        case 0: x = w20 + r - 2; y = HomeNameTop() - 2; w = W - w20 - r; break;
        case 1: x = r; y = r2 - 21; w = wh - r - 3; break;
        case 2: x = wh + r; y = r2 - 21; w = wh - r - 3; break;
        case 3: x = r + 2; y = A - 21; w = wh - r - 3; break;
        default: x = wh + r; y = A - 21; w = wh - r - 4; break;
        }
        break;
    case ClockScreenShape::Square:
        switch (clock) {
        case 0: x = w20 + r - 2; y = HomeNameTop() - 2; w = W - w20 - r; break;
        case 1: x = r - 10; y = r2 - 21; w = wh - r + 7; break;
        case 2: x = wh + r - 10; y = r2 - 21; w = wh - r + 7; break;
        case 3: x = r - 8; y = A - 21; w = wh - r + 7; break;
        default: x = wh + r - 10; y = A - 21; w = wh - r + 6; break;
        }
        break;
    }
    return Rect(x, y, x + w, y + 20);
}

POINT ClockGeometry::TimePos(int clock) const {
    if (clock == 0) return POINT{X0(), 5};
    const int r = R();
    const int x = (clock == 2 || clock == 4) ? Wh() : 0;
    const int band = (clock <= 2) ? r : 2 * r;
    switch (shape) {
    case ClockScreenShape::Portrait: return POINT{x + r - 25, band + 10};
    case ClockScreenShape::Landscape: return POINT{x + r + 6, band + 5};
    default: return POINT{x + r - 4, band + 5};
    }
}

POINT ClockGeometry::DatePos(int clock) const {
    if (clock == 0) {
        if (shape == ClockScreenShape::Square) return POINT{X0() + 2, 27};
        if (HomeDateBesideTime()) return POINT{X0() + 105, 10};
        return POINT{X0(), 30};
    }
    const int r = R();
    const int x = (clock == 2 || clock == 4) ? Wh() : 0;
    const int band = (clock <= 2) ? r : 2 * r;
    switch (shape) {
    // Portrait: 25 under the band's top, so that the date ends above the icons.
    case ClockScreenShape::Portrait: return POINT{x + r - 25, band + 25};
    case ClockScreenShape::Landscape: return POINT{x + r + 6, band + 20};
    default: return POINT{x + r - 4, band + 21};
    }
}

RECT ClockGeometry::FaceRect(int clock) const {
    const int r = R(), wh = Wh(), w20 = W / 20;
    const int s = (r * 85) / 100;
    const int t = ((r - 25) * 85) / 100;
    if (shape == ClockScreenShape::Portrait) {
        switch (clock) {
        case 0: return Rect(w20 - 6, 14, w20 + s, s + 5);
        case 1: return Rect(2, r + 10, t + 2, t + r + 10);
        case 2: return Rect(wh + 10, r + 13, t + wh + 2, t + r + 10);
        case 3: return Rect(3, 2 * r + 15, t + 2, t + 2 * r + 10);
        default: return Rect(wh + 10, 2 * r + 15, t + wh + 2, t + 2 * r + 10);
        }
    }
    switch (clock) {
    case 0: return Rect(w20 - 6, 5, w20 + s, s + 5); // inside the home card, which ends at R - 2
    case 1: return Rect(2, r + 5, s + 2, s + r + 5);
    case 2: return Rect(wh + 2, r + 5, s + wh + 2, s + r + 5);
    case 3: return Rect(2, 2 * r + 5, s + 2, s + 2 * r + 5);
    default: return Rect(wh + 2, 2 * r + 5, s + wh + 2, s + 2 * r + 5);
    }
}

POINT ClockGeometry::FaceCentre(const RECT& face) {
    return POINT{face.left + (face.right - face.left) / 2, face.top + (face.bottom - face.top) / 2};
}

POINT ClockGeometry::CityNamePos(int clock) const {
    const int r = R();
    const int x = (clock == 2 || clock == 4) ? Wh() : 0;
    const int y = (clock <= 2) ? R2() - 19 : A - 19;
    switch (shape) {
    case ClockScreenShape::Portrait: return POINT{x + 7, y};
    case ClockScreenShape::Landscape: return POINT{x + r + 5, y};
    default: return POINT{x + r - 5, y};
    }
}

int ClockGeometry::CityNameWidth() const { return shape == ClockScreenShape::Portrait ? Wh() - 5 : Wh() - R() - 3; }

RECT ClockGeometry::TimeCell(int clock) const {
    POINT p = TimePos(clock);
    if (clock == 0) return Rect(p.x, 5, p.x + 150, 25);
    return Rect(p.x, p.y, p.x + 70, p.y + 20);
}

RECT ClockGeometry::DateCell(int clock) const {
    if (clock == 0) {
        // The cell follows the place painting uses, so that every date drawn is refreshed.
        POINT d = DatePos(0);
        return Rect(d.x, d.y, d.x + 150, d.y + 20);
    }
    POINT p = TimePos(clock);
    if (shape == ClockScreenShape::Portrait) return Rect(p.x, DatePos(clock).y, p.x + 70, p.y + 40);
    return Rect(p.x, p.y, p.x + 70, p.y + 40);
}

RECT ClockGeometry::TenSecondCell() const {
    const int x0 = X0();
    if (shape == ClockScreenShape::Square) return Rect(x0 - 45, 5, x0 + 96, 25);
    return Rect(x0 + 65, 5, x0 + 96, 25);
}

POINT ClockGeometry::CityNameTapOrigin(int clock) const {
    const int r = R(), wh = Wh(), r2 = R2();
    // The square shape places its lists further left but keeps the landscape tap areas.
    const bool portrait = shape == ClockScreenShape::Portrait;
    switch (clock) {
    case 0: return POINT{0, HomeNameTop() - 2}; // x depends on the list's width
    case 1: return POINT{portrait ? 2 : r, r2 - 21};
    case 2: return POINT{portrait ? wh + 2 : wh + r, r2 - 21};
    case 3: return POINT{portrait ? 2 : r + 2, A - 21};
    default: return POINT{portrait ? wh + 2 : wh + r, A - 21};
    }
}

namespace {

// The bottom edge of a city clock's icons: the band its name stands on.
int IconBandBottom(const ClockGeometry& g, int clock) { return clock <= 2 ? g.R2() : g.A; }

// The right end of a city clock's half.
int HalfRight(const ClockGeometry& g, int clock) { return (clock == 1 || clock == 3) ? g.Wh() : g.W; }

} // namespace

RECT ClockGeometry::InfoButtonArea(int clock) const {
    if (clock == 0) {
        const int bottom = shape == ClockScreenShape::Portrait ? R() - 25 : R() - 15;
        return Rect(W - 22, bottom - 17, W - 5, bottom);
    }
    const int right = HalfRight(*this, clock), bottom = IconBandBottom(*this, clock);
    return Rect(right - 22, bottom - 42, right - 5, bottom - 25);
}

RECT ClockGeometry::SunIconArea(int clock) const {
    if (clock == 0) {
        const int bottom = shape == ClockScreenShape::Portrait ? R() - 45 : R() - 35;
        return Rect(W - 22, bottom - 21, W - 5, bottom);
    }
    const int right = HalfRight(*this, clock), bottom = IconBandBottom(*this, clock);
    return Rect(right - 42, bottom - 42, right - 25, bottom - 25);
}

bool ClockGeometry::InsideOpen(const RECT& r, POINT p) {
    return p.x > r.left && p.x < r.right && p.y > r.top && p.y < r.bottom;
}
