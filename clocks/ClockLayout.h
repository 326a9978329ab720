#pragma once
// Where the World Clocks page puts things: its geometry (effective width W, work-area height H,
// clock area A, R = A / 3) for the screen shape, and the places of the five clocks' city lists,
// times, dates, analog faces, city names and refresh cells. Clock 0 is the home clock across the
// top; clocks 1 and 2 share the middle band, 3 and 4 the bottom band.

#include "platform/gdi/WinGdi.h"

enum class ClockScreenShape { Portrait, Landscape, Square };

struct ClockGeometry {
    int W = 0; // effective width
    int H = 0; // work-area height
    int A = 0; // height of the clock area
    int M = 0; // menu-bar height
    ClockScreenShape shape = ClockScreenShape::Portrait;

    int R() const { return A / 3; }
    int Wh() const { return W / 2; }
    int X0() const { return W / 20 + R(); }
    int R2() const { return (2 * A) / 3; }

    // The layout for a work area, menu bar height, screen height and square-screen test:
    // A = H - M - 26, then the first reduction that applies (tall areas lose 80 pixels of A,
    // wide ones 80 of W, the 320 x 320 screen 80 of A).
    static ClockGeometry Compute(int workWidth, int workHeight, int menuHeight, int screenHeight, bool squareNot320);
    // The same from the device's current work area and screen.
    static ClockGeometry Current();

    // Top of clock 0's city name. Its card ends at R - 2: in portrait the name stands 20 above
    // R; on the landscape shapes, whose card is lower, it rises as far (beside a date that stands
    // beside the time) or, on the square one, to just under the date below the time.
    int HomeNameTop() const;
    // City list of a clock (0-4), 20 pixels high; clock 0's lies 2 above its name.
    RECT ComboRect(int clock) const;
    // Top-left of a clock's hours and minutes.
    POINT TimePos(int clock) const;
    // Top-left of a clock's date text.
    POINT DatePos(int clock) const;
    // Where a city clock's (1-4) date must end: the inner edge of its card in portrait, where
    // it stands above the icons; before the sun icon on the landscape shape, beside it.
    int CityDateRight(int clock) const;
    // Where clock 0's city name must end: before the icon column at the card's right end.
    int HomeNameRight() const { return W - 24; }
    // Clock 0's date stands beside its time rather than under it.
    bool HomeDateBesideTime() const { return shape != ClockScreenShape::Square && W == 320 && A < 240; }
    // Bounding rectangle of a clock's analog face.
    RECT FaceRect(int clock) const;
    static POINT FaceCentre(const RECT& face);
    // Top-left of a city clock's (1-4) name and the width it is shortened to.
    POINT CityNamePos(int clock) const;
    int CityNameWidth() const;

    // Areas the once-a-second refresh invalidates.
    RECT TimeCell(int clock) const;
    RECT DateCell(int clock) const;
    RECT TenSecondCell() const;

    // Where taps are recognised. Each area is open: a tap exactly on an edge misses.
    // Top-left of the tap area on a clock's city name; the area is as wide and high as the
    // clock's city list is at the time of the tap.
    POINT CityNameTapOrigin(int clock) const;
    // The information button "[i]" and the sun icon of a clock, as the skin image draws them.
    RECT InfoButtonArea(int clock) const;
    RECT SunIconArea(int clock) const;
    // Whether p lies strictly inside r.
    static bool InsideOpen(const RECT& r, POINT p);
};
