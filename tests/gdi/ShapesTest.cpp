// Pixel truth of the shape primitives on small bitmaps.
#include "GdiTestSupport.h"

using gditest::Canvas;
using gditest::Selected;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);

TEST(Lines, HorizontalAndVerticalLeaveOutTheLastPoint) {
    Canvas c(8, 4);
    MoveToEx(c.Dc(), 1, 1, nullptr);
    LineTo(c.Dc(), 5, 1);
    MoveToEx(c.Dc(), 6, 0, nullptr);
    LineTo(c.Dc(), 6, 3);
    EXPECT_EQ(c.Picture(kBlack), "......#.\n"
                                 ".####.#.\n"
                                 "......#.\n"
                                 "........\n");
    POINT p;
    GetCurrentPositionEx(c.Dc(), &p);
    EXPECT_EQ(p.x, 6);
    EXPECT_EQ(p.y, 3);
}

TEST(Lines, DiagonalAndPolylineJoinsAreDrawnOnce) {
    Canvas c(6, 6);
    SetROP2(c.Dc(), R2_XORPEN);
    HPEN white = static_cast<HPEN>(GetStockObject(WHITE_PEN));
    Selected pen(c.Dc(), white);
    POINT pts[] = {{0, 0}, {4, 4}, {4, 0}, {0, 0}};
    Polyline(c.Dc(), pts, 4);
    // XOR with white turns white to black; a pixel drawn twice would be white again.
    EXPECT_EQ(c.Picture(kBlack), "#####.\n"
                                 ".#..#.\n"
                                 "..#.#.\n"
                                 "...##.\n"
                                 "....#.\n"
                                 "......\n");
}

TEST(Lines, PenWidthsTwoAndThreeCoverThatManyRows) {
    for (int width : {1, 2, 3}) {
        Canvas c(12, 9);
        HPEN pen = CreatePen(PS_SOLID, width, kRed);
        {
            Selected s(c.Dc(), pen);
            MoveToEx(c.Dc(), 2, 4, nullptr);
            LineTo(c.Dc(), 9, 4);
        }
        DeleteObject(pen);
        int rows = 0;
        for (int y = 0; y < 9; ++y)
            rows += c.At(5, y) == kRed;
        EXPECT_EQ(rows, width) << "width " << width;
        EXPECT_EQ(c.At(5, 4), kRed);
        // Vertical thickness only: nothing above or below the band.
        EXPECT_EQ(c.At(5, 4 - width), kWhite);
        EXPECT_EQ(c.At(5, 4 + 2), kWhite);
    }
}

TEST(Lines, DashPatternIsSixOnTwoOff) {
    Canvas c(20, 1);
    HPEN pen = CreatePen(PS_DASH, 1, kBlack);
    {
        Selected s(c.Dc(), pen);
        MoveToEx(c.Dc(), 0, 0, nullptr);
        LineTo(c.Dc(), 20, 0);
    }
    DeleteObject(pen);
    EXPECT_EQ(c.Picture(kBlack), "######..######..####\n");
    // Wider than one pixel, a dashed pen draws solid.
    Canvas d(20, 4);
    HPEN wide = CreatePen(PS_DASH, 2, kBlack);
    {
        Selected s(d.Dc(), wide);
        MoveToEx(d.Dc(), 0, 2, nullptr);
        LineTo(d.Dc(), 20, 2);
    }
    DeleteObject(wide);
    for (int x = 1; x < 19; ++x) EXPECT_EQ(d.At(x, 1), kBlack) << x;
}

TEST(Lines, NullPenDrawsNothing) {
    Canvas c(5, 5);
    Selected s(c.Dc(), GetStockObject(NULL_PEN));
    MoveToEx(c.Dc(), 0, 0, nullptr);
    LineTo(c.Dc(), 4, 4);
    EXPECT_EQ(c.Count(kWhite), 25);
}

TEST(Rop2, NotXorPenDrawnTwiceRestoresTheImage) {
    Canvas c(16, 16);
    // A varied background.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            SetPixel(c.Dc(), x, y, RGB(x * 16, y * 16, (x * y) & 0xFF));
    std::vector<COLORREF> before;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            before.push_back(c.At(x, y));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(200, 30, 90));
    Selected s(c.Dc(), pen);
    SetROP2(c.Dc(), R2_NOTXORPEN);
    for (int pass = 0; pass < 2; ++pass) {
        MoveToEx(c.Dc(), 8, 8, nullptr);
        LineTo(c.Dc(), 14, 1);
        MoveToEx(c.Dc(), 8, 8, nullptr);
        LineTo(c.Dc(), 2, 13);
        if (pass == 0) {
            EXPECT_NE(c.At(11, 5), before[5 * 16 + 11]);
        }
    }
    std::vector<COLORREF> after;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            after.push_back(c.At(x, y));
    EXPECT_EQ(after, before);
    SelectObject(c.Dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(Rop2, TruthOfTheModesUsed) {
    struct Case {
        int rop;
        COLORREF expected;
    } cases[] = {
        {R2_COPYPEN, RGB(0xF0, 0x0F, 0x33)},
        {R2_XORPEN, RGB(0xF0 ^ 0xCC, 0x0F ^ 0xCC, 0x33 ^ 0xCC)},
        {R2_NOTXORPEN, RGB(~(0xF0 ^ 0xCC) & 0xFF, ~(0x0F ^ 0xCC) & 0xFF, ~(0x33 ^ 0xCC) & 0xFF)},
        {R2_NOT, RGB(0x33, 0x33, 0x33)},
        {R2_NOP, RGB(0xCC, 0xCC, 0xCC)},
        {R2_MASKPEN, RGB(0xF0 & 0xCC, 0x0F & 0xCC, 0x33 & 0xCC)},
        {R2_MERGEPEN, RGB(0xF0 | 0xCC, 0x0F | 0xCC, 0x33 | 0xCC)},
        {R2_BLACK, RGB(0, 0, 0)},
        {R2_WHITE, RGB(255, 255, 255)},
    };
    for (const Case& k : cases) {
        Canvas c(2, 1, RGB(0xCC, 0xCC, 0xCC));
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0xF0, 0x0F, 0x33));
        Selected s(c.Dc(), pen);
        SetROP2(c.Dc(), k.rop);
        MoveToEx(c.Dc(), 0, 0, nullptr);
        LineTo(c.Dc(), 1, 0);
        EXPECT_EQ(c.At(0, 0), k.expected) << "rop2 " << k.rop;
        EXPECT_EQ(c.At(1, 0), RGB(0xCC, 0xCC, 0xCC));
        SelectObject(c.Dc(), GetStockObject(BLACK_PEN));
        DeleteObject(pen);
    }
}

TEST(Rectangles, OutlineWithPenFillWithBrushRightAndBottomExclusive) {
    Canvas c(7, 6);
    HBRUSH brush = CreateSolidBrush(kRed);
    Selected s(c.Dc(), brush);
    Rectangle(c.Dc(), 1, 1, 6, 5);
    EXPECT_EQ(c.Picture(kBlack), ".......\n"
                                 ".#####.\n"
                                 ".#...#.\n"
                                 ".#...#.\n"
                                 ".#####.\n"
                                 ".......\n");
    EXPECT_EQ(c.Picture(kRed), ".......\n"
                               ".......\n"
                               "..###..\n"
                               "..###..\n"
                               ".......\n"
                               ".......\n");
    SelectObject(c.Dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
}

TEST(Rectangles, HollowBrushKeepsTheInsideAndNullPenShrinksTheFill) {
    Canvas c(6, 5);
    {
        Selected b(c.Dc(), GetStockObject(HOLLOW_BRUSH));
        Rectangle(c.Dc(), 0, 0, 6, 5);
    }
    EXPECT_EQ(c.At(2, 2), kWhite);
    EXPECT_EQ(c.At(5, 4), kBlack);
    Canvas d(6, 5);
    Selected p(d.Dc(), GetStockObject(NULL_PEN));
    Selected b(d.Dc(), GetStockObject(BLACK_BRUSH));
    Rectangle(d.Dc(), 0, 0, 6, 5);
    EXPECT_EQ(d.Picture(kBlack), "#####.\n"
                                 "#####.\n"
                                 "#####.\n"
                                 "#####.\n"
                                 "......\n");
}

TEST(Rectangles, FillRectFrameRectAndSysColourIndexBrush) {
    Canvas c(6, 5);
    RECT r{1, 1, 5, 4};
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(c.Dc(), &r, red);
    EXPECT_EQ(c.Count(kRed), 12);
    EXPECT_EQ(c.At(5, 1), kWhite);
    EXPECT_EQ(c.At(1, 4), kWhite);
    FrameRect(c.Dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.Picture(kBlack), "......\n"
                                 ".####.\n"
                                 ".#..#.\n"
                                 ".####.\n"
                                 "......\n");
    // A colour index + 1 in place of a brush.
    RECT all{0, 0, 6, 5};
    FillRect(c.Dc(), &all, reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNSHADOW + 1)));
    EXPECT_EQ(c.At(3, 3), GetSysColor(COLOR_BTNSHADOW));
    DeleteObject(red);
}

TEST(Rectangles, RoundRectCutsItsCorners) {
    Canvas c(12, 10);
    Selected b(c.Dc(), GetStockObject(BLACK_BRUSH));
    RoundRect(c.Dc(), 0, 0, 12, 10, 5, 5);
    EXPECT_EQ(c.At(0, 0), kWhite);
    EXPECT_EQ(c.At(11, 9), kWhite);
    EXPECT_EQ(c.At(11, 0), kWhite);
    EXPECT_EQ(c.At(6, 0), kBlack);
    EXPECT_EQ(c.At(0, 5), kBlack);
    EXPECT_EQ(c.At(11, 5), kBlack);
    // 2 x 2 corners are square at this size: the corner pixel is in.
    Canvas d(6, 4);
    RoundRect(d.Dc(), 0, 0, 6, 4, 2, 2);
    EXPECT_EQ(d.Picture(kBlack), "######\n"
                                 "#....#\n"
                                 "#....#\n"
                                 "######\n");
}

TEST(Ellipses, FitTheBoxSymmetricallyWithTheBrushInside) {
    Canvas c(13, 13);
    HBRUSH red = CreateSolidBrush(kRed);
    Selected b(c.Dc(), red);
    Ellipse(c.Dc(), 1, 1, 12, 12);
    RECT ink = c.InkBox(kWhite);
    EXPECT_EQ(ink.left, 1);
    EXPECT_EQ(ink.top, 1);
    EXPECT_EQ(ink.right, 12);
    EXPECT_EQ(ink.bottom, 12);
    EXPECT_EQ(c.At(6, 6), kRed);
    EXPECT_EQ(c.At(1, 1), kWhite);
    EXPECT_EQ(c.At(6, 1), kBlack);
    EXPECT_EQ(c.At(1, 6), kBlack);
    // Mirror symmetry both ways.
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x) {
            EXPECT_EQ(c.At(x, y), c.At(12 - x, y)) << x << "," << y;
            EXPECT_EQ(c.At(x, y), c.At(x, 12 - y)) << x << "," << y;
        }
    // The outline is closed: every row with ink starts with the pen.
    for (int y = 1; y < 12; ++y) {
        int x = 0;
        while (c.At(x, y) == kWhite)
            ++x;
        EXPECT_EQ(c.At(x, y), kBlack) << "row " << y;
    }
    SelectObject(c.Dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
}

TEST(Polygons, FilledWithTheBrushAndOutlinedWithThePen) {
    Canvas c(10, 10);
    HBRUSH red = CreateSolidBrush(kRed);
    Selected b(c.Dc(), red);
    POINT tri[] = {{1, 1}, {8, 1}, {1, 8}};
    Polygon(c.Dc(), tri, 3);
    EXPECT_EQ(c.At(1, 1), kBlack);
    EXPECT_EQ(c.At(8, 1), kBlack);
    EXPECT_EQ(c.At(1, 8), kBlack);
    EXPECT_EQ(c.At(3, 3), kRed);
    EXPECT_EQ(c.At(7, 7), kWhite);
    EXPECT_EQ(c.At(9, 1), kWhite);
    SelectObject(c.Dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
}

TEST(Polygons, NullPenFillLeavesOutRightAndBottomEdges) {
    Canvas c(6, 6);
    Selected p(c.Dc(), GetStockObject(NULL_PEN));
    Selected b(c.Dc(), GetStockObject(BLACK_BRUSH));
    POINT sq[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    Polygon(c.Dc(), sq, 4);
    EXPECT_EQ(c.Picture(kBlack), "......\n"
                                 ".####.\n"
                                 ".####.\n"
                                 ".####.\n"
                                 "......\n"
                                 "......\n");
}

TEST(FocusRect, DottedAndRemovedByASecondCall) {
    Canvas c(6, 4);
    RECT r{0, 0, 6, 4};
    DrawFocusRect(c.Dc(), &r);
    EXPECT_EQ(c.Picture(kBlack), "#.#.#.\n"
                                 ".....#\n"
                                 "#.....\n"
                                 ".#.#.#\n");
    DrawFocusRect(c.Dc(), &r);
    EXPECT_EQ(c.Count(kWhite), 24);
}

TEST(Edges, RaisedAndSunkenUseTheSystemColoursAndAdjust) {
    Canvas c(8, 8);
    RECT r{0, 0, 8, 8};
    DrawEdge(c.Dc(), &r, EDGE_RAISED, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(c.At(3, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(c.At(0, 3), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(c.At(3, 7), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.At(7, 3), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.At(3, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.At(3, 6), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(3, 3), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 6);
    EXPECT_EQ(r.bottom, 6);
    Canvas d(8, 8);
    RECT s{0, 0, 8, 8};
    DrawEdge(d.Dc(), &s, EDGE_SUNKEN, BF_TOP | BF_LEFT);
    EXPECT_EQ(d.At(3, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(d.At(3, 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(d.At(3, 7), kWhite);
    EXPECT_EQ(s.left, 0); // no BF_ADJUST
}

TEST(Clipping, IntersectAndExcludeAreRespectedByEveryPrimitive) {
    Canvas c(10, 10);
    IntersectClipRect(c.Dc(), 2, 2, 8, 8);
    ExcludeClipRect(c.Dc(), 4, 4, 6, 6);
    Selected b(c.Dc(), GetStockObject(BLACK_BRUSH));
    Rectangle(c.Dc(), 0, 0, 10, 10);
    RECT box;
    EXPECT_EQ(GetClipBox(c.Dc(), &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.right, 8);
    // Pixels outside the clip cannot be read either.
    EXPECT_EQ(c.At(5, 5), CLR_INVALID);
    EXPECT_EQ(c.At(2, 2), kBlack);
    SelectClipRgn(c.Dc(), nullptr);
    EXPECT_EQ(c.At(1, 1), kWhite);
    EXPECT_EQ(c.At(8, 8), kWhite);
    EXPECT_EQ(c.At(4, 4), kWhite);
    EXPECT_EQ(c.At(5, 5), kWhite);
    EXPECT_EQ(c.At(2, 2), kBlack);
    EXPECT_EQ(c.At(7, 7), kBlack);
    EXPECT_EQ(c.Count(kBlack), 36 - 4);
    // Without the clip region drawing reaches everywhere again.
    Ellipse(c.Dc(), 0, 0, 10, 10);
    EXPECT_EQ(c.At(5, 5), kBlack);
}

TEST(Clipping, SelectClipRgnCopiesTheRegionAndSaveRestoreKeepsIt) {
    Canvas c(10, 10);
    HRGN rgn = CreateRectRgn(0, 0, 5, 10);
    SelectClipRgn(c.Dc(), rgn);
    DeleteObject(rgn); // the context keeps its own copy
    int saved = SaveDC(c.Dc());
    IntersectClipRect(c.Dc(), 0, 0, 10, 2);
    RECT all{0, 0, 10, 10};
    FillRect(c.Dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.Count(kBlack), 10);
    RestoreDC(c.Dc(), saved);
    FillRect(c.Dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.Count(kBlack), 50);
}

TEST(Origins, ViewportOriginShiftsDrawingAndClipRects) {
    Canvas c(10, 10);
    SetViewportOrgEx(c.Dc(), 3, 4, nullptr);
    SetPixel(c.Dc(), 0, 0, kRed);
    EXPECT_EQ(c.At(0, 0), kRed); // GetPixel goes through the same origin
    SetViewportOrgEx(c.Dc(), 0, 0, nullptr);
    EXPECT_EQ(c.At(3, 4), kRed);
    SetWindowOrgEx(c.Dc(), 2, 2, nullptr);
    EXPECT_EQ(c.At(5, 6), kRed);
}

TEST(Pixels, OutsideTheBitmapIsRefused) {
    Canvas c(4, 4);
    EXPECT_EQ(GetPixel(c.Dc(), 4, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(c.Dc(), -1, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(c.Dc(), 0, 4, kRed), static_cast<COLORREF>(-1));
    EXPECT_EQ(SetPixel(c.Dc(), 3, 3, kRed), kRed);
}

} // namespace
