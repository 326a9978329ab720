// Handles and objects: selection, deletion, queries, stock objects, saved states, regions,
// capabilities and system colours, and the refusal of bad handles and sizes.
#include "GdiTestSupport.h"

#include <cstring>

using gditest::Canvas;

namespace {

TEST(Objects, SelectObjectReturnsThePreviousObject) {
    Canvas c(4, 4);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(c.Dc(), red);
    EXPECT_EQ(old, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(c.Dc(), old), red);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(SelectObject(c.Dc(), brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetCurrentObject(c.Dc(), OBJ_BRUSH), brush);
    SelectObject(c.Dc(), GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_TRUE(DeleteObject(brush));
}

TEST(Objects, DeletedAndMadeUpHandlesAreRefused) {
    Canvas c(4, 4);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    ASSERT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(SelectObject(c.Dc(), pen), nullptr);
    EXPECT_EQ(SelectObject(c.Dc(), reinterpret_cast<HGDIOBJ>(0x1234)), nullptr);
    EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
    EXPECT_EQ(GetObjectType(pen), 0u);
    HDC gone = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(DeleteDC(gone));
    EXPECT_FALSE(DeleteDC(gone));
    EXPECT_FALSE(Rectangle(gone, 0, 0, 2, 2));
    EXPECT_FALSE(TextOutW(gone, 0, 0, L"x", 1));
    EXPECT_EQ(GetPixel(gone, 0, 0), CLR_INVALID);
    EXPECT_FALSE(BitBlt(c.Dc(), 0, 0, 2, 2, gone, 0, 0, SRCCOPY));
    RECT r{0, 0, 2, 2};
    EXPECT_EQ(DrawTextW(gone, L"x", 1, &r, 0), 0);
    EXPECT_FALSE(FillRect(c.Dc(), &r, reinterpret_cast<HBRUSH>(pen)));
    // A context handle is not an object DeleteObject removes.
    EXPECT_FALSE(DeleteObject(c.Dc()));
}

TEST(Objects, ABitmapGoesIntoOneContextAtATime) {
    HBITMAP bmp = CreateBitmap(4, 4, 1, 32, nullptr);
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    HGDIOBJ oldA = SelectObject(a, bmp);
    ASSERT_NE(oldA, nullptr);
    EXPECT_EQ(SelectObject(b, bmp), nullptr);
    // Still selected: deleting it fails and it stays usable.
    EXPECT_FALSE(DeleteObject(bmp));
    EXPECT_TRUE(SetPixel(a, 1, 1, RGB(5, 5, 5)) != static_cast<COLORREF>(-1));
    // The same context may take it back after a save.
    SaveDC(a);
    HBITMAP other = CreateBitmap(2, 2, 1, 32, nullptr);
    EXPECT_EQ(SelectObject(a, other), bmp);
    EXPECT_EQ(SelectObject(a, bmp), other);
    EXPECT_EQ(SelectObject(b, bmp), nullptr);
    RestoreDC(a, -1);
    EXPECT_TRUE(DeleteObject(other));
    SelectObject(a, oldA);
    EXPECT_NE(SelectObject(b, bmp), nullptr);
    DeleteDC(b); // deleting the context releases the bitmap
    EXPECT_TRUE(DeleteObject(bmp));
    DeleteDC(a);
}

TEST(Objects, StockObjectsSurviveDeletion) {
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    EXPECT_TRUE(DeleteObject(white));
    EXPECT_EQ(GetObjectType(white), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetStockObject(HOLLOW_BRUSH), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetStockObject(99), nullptr);
    EXPECT_EQ(GetObjectType(GetStockObject(SYSTEM_FONT)), static_cast<DWORD>(OBJ_FONT));
    LOGFONTW lf;
    ASSERT_EQ(GetObject(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf), static_cast<int>(sizeof(LOGFONTW)));
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
    EXPECT_LT(lf.lfHeight, 0);
}

TEST(Objects, GetObjectDescribesBitmapsFontsPensAndBrushes) {
    HBITMAP bmp = CreateBitmap(7, 3, 1, 32, nullptr);
    BITMAP info;
    EXPECT_EQ(GetObject(bmp, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    ASSERT_EQ(GetObject(bmp, sizeof(info), &info), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(info.bmWidth, 7);
    EXPECT_EQ(info.bmHeight, 3);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(GetObject(bmp, 4, &info), 0); // buffer too small
    DeleteObject(bmp);

    LOGFONTW lf{};
    lf.lfHeight = -13;
    lf.lfWeight = FW_BOLD;
    lf.lfUnderline = TRUE;
    std::wcscpy(lf.lfFaceName, L"Arial");
    HFONT font = CreateFontIndirectW(&lf);
    LOGFONTW back{};
    ASSERT_EQ(GetObject(font, sizeof(back), &back), static_cast<int>(sizeof(LOGFONTW)));
    EXPECT_EQ(std::memcmp(&lf, &back, sizeof(lf)), 0);
    DeleteObject(font);

    HPEN pen = CreatePen(PS_DASH, 1, RGB(160, 172, 192));
    LOGPEN lp;
    ASSERT_EQ(GetObject(pen, sizeof(lp), &lp), static_cast<int>(sizeof(LOGPEN)));
    EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DASH));
    EXPECT_EQ(lp.lopnColor, RGB(160, 172, 192));
    DeleteObject(pen);
}

TEST(Objects, ZeroNegativeAndHugeSizesAreRefused) {
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 0, 10), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 10, -1), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 1 << 20, 1 << 20), nullptr);
    EXPECT_EQ(CreateBitmap(4, 4, 2, 1, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(4, 4, 1, 8, nullptr), nullptr);
    EXPECT_EQ(CreatePen(77, 1, 0), nullptr);
    EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
    Canvas c(4, 4);
    EXPECT_TRUE(BitBlt(c.Dc(), 0, 0, 0, 0, c.Dc(), 0, 0, SRCCOPY));
    EXPECT_TRUE(Rectangle(c.Dc(), 3, 3, 1, 1)); // reversed corners are normalised
    EXPECT_EQ(c.Count(RGB(0, 0, 0)), 4);
}

TEST(Contexts, CompatibleBitmapOfAFreshMemoryContextIsMonochrome) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(dc, 4, 4);
    BITMAP info;
    GetObject(mono, sizeof(info), &info);
    EXPECT_EQ(info.bmBitsPixel, 1);
    HBITMAP colour = CreateCompatibleBitmap(nullptr, 4, 4);
    GetObject(colour, sizeof(info), &info);
    EXPECT_EQ(info.bmBitsPixel, 32);
    DeleteObject(mono);
    DeleteObject(colour);
    DeleteDC(dc);
}

TEST(Contexts, SaveAndRestoreBringBackObjectsColoursAndModes) {
    Canvas c(4, 4);
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(9, 9, 9));
    int level = SaveDC(c.Dc());
    EXPECT_EQ(level, 1);
    SelectObject(c.Dc(), pen);
    SetTextColor(c.Dc(), RGB(1, 1, 1));
    SetBkMode(c.Dc(), TRANSPARENT);
    SetROP2(c.Dc(), R2_NOTXORPEN);
    EXPECT_EQ(SaveDC(c.Dc()), 2);
    SetTextColor(c.Dc(), RGB(2, 2, 2));
    EXPECT_TRUE(RestoreDC(c.Dc(), -1));
    EXPECT_EQ(GetTextColor(c.Dc()), RGB(1, 1, 1));
    // The pen is held by the current state: not deletable.
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_TRUE(RestoreDC(c.Dc(), level));
    EXPECT_EQ(GetCurrentObject(c.Dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetTextColor(c.Dc()), RGB(0, 0, 0));
    EXPECT_EQ(GetBkMode(c.Dc()), OPAQUE);
    EXPECT_EQ(GetROP2(c.Dc()), R2_COPYPEN);
    EXPECT_FALSE(RestoreDC(c.Dc(), 1)); // nothing saved any more
    EXPECT_TRUE(DeleteObject(pen));
}

TEST(Contexts, DeviceCapsFollowTheScreen) {
    using device::gdi::ScreenInfo;
    ScreenInfo saved = device::gdi::GetScreenInfo();
    Canvas c(2, 2);
    device::gdi::SetScreenInfo(ScreenInfo{240, 320, 96});
    EXPECT_EQ(GetDeviceCaps(c.Dc(), LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(c.Dc(), HORZRES), 240);
    EXPECT_EQ(GetDeviceCaps(c.Dc(), VERTRES), 320);
    EXPECT_EQ(GetDeviceCaps(c.Dc(), BITSPIXEL), 32);
    device::gdi::SetScreenInfo(ScreenInfo{480, 640, 192});
    EXPECT_EQ(GetDeviceCaps(c.Dc(), LOGPIXELSX), 192);
    EXPECT_EQ(GetDeviceCaps(c.Dc(), VERTRES), 640);
    device::gdi::SetScreenInfo(saved);
    EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSY), 0);
}

TEST(Contexts, ColourAndModeSettersReturnThePreviousValue) {
    Canvas c(2, 2);
    EXPECT_EQ(SetBkColor(c.Dc(), RGB(1, 2, 3)), RGB(255, 255, 255));
    EXPECT_EQ(SetBkColor(c.Dc(), 0), RGB(1, 2, 3));
    EXPECT_EQ(SetBkMode(c.Dc(), TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(c.Dc(), 42), 0);
    EXPECT_EQ(SetROP2(c.Dc(), R2_XORPEN), R2_COPYPEN);
    EXPECT_EQ(SetROP2(c.Dc(), 0), 0);
    EXPECT_EQ(SetTextColor(nullptr, 0), CLR_INVALID);
}

TEST(SystemColours, FixedPaletteAndStockBrushes) {
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE | SYS_COLOR_INDEX_FLAG), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColor(500), 0u);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
    EXPECT_TRUE(DeleteObject(face));
    LOGBRUSH lb;
    ASSERT_EQ(GetObject(face, sizeof(lb), &lb), static_cast<int>(sizeof(LOGBRUSH)));
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColorBrush(-3), nullptr);
}

TEST(Regions, CombineBoxesAndHitTests) {
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN out = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), SIMPLEREGION);
    RECT box;
    GetRgnBox(out, &box);
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.bottom, 10);
    EXPECT_EQ(CombineRgn(out, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(out, 14, 14));
    EXPECT_FALSE(PtInRegion(out, 14, 2));
    EXPECT_EQ(CombineRgn(out, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(out, 6, 6));
    EXPECT_TRUE(PtInRegion(out, 2, 6));
    EXPECT_EQ(CombineRgn(out, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(out, 7, 7));
    EXPECT_TRUE(PtInRegion(out, 12, 12));
    EXPECT_EQ(CombineRgn(out, a, a, RGN_DIFF), NULLREGION);
    RECT probe{8, 8, 9, 9};
    EXPECT_TRUE(RectInRegion(a, &probe));
    OffsetRgn(a, 100, 0);
    EXPECT_FALSE(RectInRegion(a, &probe));
    EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_AND), ERROR);
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(out);
}

} // namespace
