// Raster-operation truth tables, stretching, colour keys, masks and monochrome conversion.
#include "GdiTestSupport.h"

using gditest::Canvas;
using gditest::Selected;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kMagenta = RGB(255, 0, 255);

// Source, destination and pattern chosen so that each bit pattern appears: per channel
// S = 0xCC, D = 0xAA, P = 0xF0, so the result channel equals the operation's own code.
TEST(RasterOps, EveryOperationMatchesItsTruthTable) {
    struct Case {
        const char* name;
        DWORD rop;
    } cases[] = {{"SRCCOPY", SRCCOPY},         {"SRCPAINT", SRCPAINT},   {"SRCAND", SRCAND},
                 {"SRCINVERT", SRCINVERT},     {"SRCERASE", SRCERASE},   {"NOTSRCCOPY", NOTSRCCOPY},
                 {"NOTSRCERASE", NOTSRCERASE}, {"MERGECOPY", MERGECOPY}, {"MERGEPAINT", MERGEPAINT},
                 {"PATCOPY", PATCOPY},         {"PATPAINT", PATPAINT},   {"PATINVERT", PATINVERT},
                 {"DSTINVERT", DSTINVERT},     {"BLACKNESS", BLACKNESS}, {"WHITENESS", WHITENESS},
                 {"MaskBlt keep", 0x00AA0029}};
    for (const Case& k : cases) {
        Canvas src(3, 2, RGB(0xCC, 0xCC, 0xCC));
        Canvas dst(3, 2, RGB(0xAA, 0xAA, 0xAA));
        HBRUSH pattern = CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0));
        Selected b(dst.Dc(), pattern);
        ASSERT_TRUE(BitBlt(dst.Dc(), 0, 0, 2, 2, src.Dc(), 0, 0, k.rop)) << k.name;
        BYTE code = static_cast<BYTE>((k.rop >> 16) & 0xFF);
        EXPECT_EQ(dst.At(1, 1), RGB(code, code, code)) << k.name;
        EXPECT_EQ(dst.At(2, 1), RGB(0xAA, 0xAA, 0xAA)) << k.name << " touched outside";
        SelectObject(dst.Dc(), GetStockObject(WHITE_BRUSH));
        DeleteObject(pattern);
    }
}

TEST(RasterOps, PatBltRefusesOperationsThatNeedASource) {
    Canvas c(4, 4);
    EXPECT_FALSE(PatBlt(c.Dc(), 0, 0, 4, 4, SRCCOPY));
    EXPECT_TRUE(PatBlt(c.Dc(), 1, 1, 2, 2, BLACKNESS));
    EXPECT_EQ(c.Count(kBlack), 4);
    EXPECT_TRUE(PatBlt(c.Dc(), 0, 0, 4, 4, DSTINVERT));
    EXPECT_EQ(c.Count(kWhite), 4);
    // A hollow brush paints no pattern.
    Selected hollow(c.Dc(), GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(PatBlt(c.Dc(), 0, 0, 4, 4, PATCOPY));
    EXPECT_EQ(c.Count(kWhite), 4);
}

TEST(Blits, AndBlitDarkensOnlyTheShadowArea) {
    // The night shadow: a colour surface ANDed onto the map.
    Canvas map(8, 4, RGB(200, 180, 160));
    Canvas shade(8, 4, kWhite);
    RECT night{2, 0, 5, 4};
    HBRUSH brush = CreateSolidBrush(RGB(128, 128, 128));
    FillRect(shade.Dc(), &night, brush);
    BitBlt(map.Dc(), 0, 0, 8, 4, shade.Dc(), 0, 0, SRCAND);
    EXPECT_EQ(map.At(1, 1), RGB(200, 180, 160));
    EXPECT_EQ(map.At(3, 1), RGB(200 & 128, 180 & 128, 160 & 128));
    EXPECT_EQ(map.At(5, 1), RGB(200, 180, 160));
    DeleteObject(brush);
}

TEST(Blits, SourceOutsideItsBitmapLeavesTheDestination) {
    Canvas src(4, 4, kBlack);
    Canvas dst(8, 8, kWhite);
    EXPECT_TRUE(BitBlt(dst.Dc(), 0, 0, 8, 8, src.Dc(), 2, 2, SRCCOPY));
    EXPECT_EQ(dst.Count(kBlack), 4);
    EXPECT_EQ(dst.At(1, 1), kBlack);
    EXPECT_EQ(dst.At(2, 2), kWhite);
    // Negative destination and source positions are clipped, never written out of bounds.
    EXPECT_TRUE(BitBlt(dst.Dc(), -3, -3, 5, 5, src.Dc(), -1, -1, SRCCOPY));
}

TEST(Blits, OverlappingCopyWithinOneBitmapMovesTheAreaWhole) {
    // Scrolling down and up by two rows within the same bitmap.
    for (int shift : {2, -2}) {
        Canvas c(1, 8);
        for (int y = 0; y < 8; ++y)
            SetPixel(c.Dc(), 0, y, RGB(y, 0, 0));
        BitBlt(c.Dc(), 0, shift > 0 ? shift : 0, 1, 6, c.Dc(), 0, shift > 0 ? 0 : -shift, SRCCOPY);
        for (int y = 0; y < 6; ++y) {
            int dest = shift > 0 ? y + shift : y;
            int src = shift > 0 ? y : y - shift;
            EXPECT_EQ(c.At(0, dest), RGB(src, 0, 0)) << "shift " << shift << " row " << dest;
        }
    }
}

TEST(Blits, PatternBrushTilesFromTheBitmapOrigin) {
    const BYTE bits[] = {0x80, 0, 0x40, 0}; // 2 x 2 checker: "10", "01"
    HBITMAP pattern = CreateBitmap(2, 2, 1, 1, bits);
    HBRUSH brush = CreatePatternBrush(pattern);
    DeleteObject(pattern); // the brush keeps its own copy
    Canvas c(4, 2);
    SetTextColor(c.Dc(), RGB(0, 0, 255)); // 0 bits
    SetBkColor(c.Dc(), RGB(255, 255, 0)); // 1 bits
    RECT r{0, 0, 4, 2};
    FillRect(c.Dc(), &r, brush);
    EXPECT_EQ(c.At(0, 0), RGB(255, 255, 0));
    EXPECT_EQ(c.At(1, 0), RGB(0, 0, 255));
    EXPECT_EQ(c.At(2, 0), RGB(255, 255, 0));
    EXPECT_EQ(c.At(1, 1), RGB(255, 255, 0));
    Selected b(c.Dc(), brush);
    PatBlt(c.Dc(), 0, 0, 4, 2, DSTINVERT);
    PatBlt(c.Dc(), 0, 0, 4, 2, PATINVERT); // pattern XOR the inverted copy of itself: all ones
    EXPECT_EQ(c.Count(RGB(255, 255, 255)), 8);
    SelectObject(c.Dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
}

TEST(Stretch, DoublingRepeatsEachPixelAndHalvingSamplesNearest) {
    Canvas src(2, 2);
    SetPixel(src.Dc(), 0, 0, RGB(1, 0, 0));
    SetPixel(src.Dc(), 1, 0, RGB(2, 0, 0));
    SetPixel(src.Dc(), 0, 1, RGB(3, 0, 0));
    SetPixel(src.Dc(), 1, 1, RGB(4, 0, 0));
    Canvas dst(4, 4);
    StretchBlt(dst.Dc(), 0, 0, 4, 4, src.Dc(), 0, 0, 2, 2, SRCCOPY);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst.At(x, y), RGB(1 + x / 2 + 2 * (y / 2), 0, 0)) << x << "," << y;
    Canvas small(1, 1);
    StretchBlt(small.Dc(), 0, 0, 1, 1, dst.Dc(), 0, 0, 4, 4, SRCCOPY);
    EXPECT_EQ(small.At(0, 0), RGB(4, 0, 0)); // the centre sample (2, 2)
}

TEST(Stretch, NegativeWidthMirrors) {
    Canvas src(3, 1);
    SetPixel(src.Dc(), 0, 0, RGB(1, 0, 0));
    SetPixel(src.Dc(), 1, 0, RGB(2, 0, 0));
    SetPixel(src.Dc(), 2, 0, RGB(3, 0, 0));
    Canvas dst(3, 1);
    StretchBlt(dst.Dc(), 2, 0, -3, 1, src.Dc(), 0, 0, 3, 1, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), RGB(3, 0, 0));
    EXPECT_EQ(dst.At(2, 0), RGB(1, 0, 0));
}

TEST(Stretch, OtherOperationsStretchToo) {
    Canvas src(1, 1, RGB(0x0F, 0x0F, 0x0F));
    Canvas dst(4, 4, RGB(0xF0, 0xF0, 0xF0));
    StretchBlt(dst.Dc(), 0, 0, 4, 4, src.Dc(), 0, 0, 1, 1, SRCPAINT);
    EXPECT_EQ(dst.Count(kWhite), 16);
}

TEST(ColourKey, KeyPixelsLeaveTheDestinationUntouched) {
    Canvas icon(4, 4, kMagenta);
    SetPixel(icon.Dc(), 1, 1, RGB(10, 20, 30));
    SetPixel(icon.Dc(), 2, 2, RGB(254, 0, 255)); // near the key is still drawn
    Canvas dst(8, 8, RGB(0, 128, 0));
    ASSERT_TRUE(TransparentBlt(dst.Dc(), 0, 0, 8, 8, icon.Dc(), 0, 0, 4, 4, kMagenta));
    EXPECT_EQ(dst.Count(RGB(10, 20, 30)), 4);
    EXPECT_EQ(dst.Count(RGB(254, 0, 255)), 4);
    EXPECT_EQ(dst.Count(RGB(0, 128, 0)), 56);
    EXPECT_EQ(dst.Count(kMagenta), 0);
}

TEST(ColourKey, TransparentImageTakesABitmapOrAContext) {
    HBITMAP bmp = CreateBitmap(2, 1, 1, 32, nullptr);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, bmp);
    SetPixel(mem, 0, 0, kWhite);
    SetPixel(mem, 1, 0, RGB(1, 2, 3));
    SelectObject(mem, old);
    Canvas dst(2, 1, RGB(9, 9, 9));
    EXPECT_TRUE(TransparentImage(dst.Dc(), 0, 0, 2, 1, bmp, 0, 0, 2, 1, kWhite));
    EXPECT_EQ(dst.At(0, 0), RGB(9, 9, 9));
    EXPECT_EQ(dst.At(1, 0), RGB(1, 2, 3));
    SelectObject(mem, bmp);
    Canvas dst2(2, 1, RGB(9, 9, 9));
    EXPECT_TRUE(TransparentImage(dst2.Dc(), 0, 0, 2, 1, mem, 0, 0, 2, 1, RGB(1, 2, 3)));
    EXPECT_EQ(dst2.At(0, 0), kWhite);
    EXPECT_EQ(dst2.At(1, 0), RGB(9, 9, 9));
    EXPECT_FALSE(TransparentImage(dst2.Dc(), 0, 0, 2, 1, nullptr, 0, 0, 2, 1, 0));
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
}

TEST(Monochrome, ColourToMonoByTheSourceBackgroundAndBackByTextAndBackground) {
    Canvas image(3, 1, kMagenta);
    SetPixel(image.Dc(), 1, 0, RGB(254, 0, 255));
    HDC maskDc = CreateCompatibleDC(image.Dc());
    HBITMAP mask = CreateBitmap(3, 1, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(maskDc, mask);
    COLORREF oldBk = SetBkColor(image.Dc(), kMagenta);
    BitBlt(maskDc, 0, 0, 3, 1, image.Dc(), 0, 0, SRCCOPY);
    SetBkColor(image.Dc(), oldBk);
    EXPECT_EQ(GetPixel(maskDc, 0, 0), kWhite);
    EXPECT_EQ(GetPixel(maskDc, 1, 0), kBlack);
    EXPECT_EQ(GetPixel(maskDc, 2, 0), kWhite);
    // Mono to colour: 0 bits take the text colour, 1 bits the background colour.
    Canvas out(3, 1);
    SetTextColor(out.Dc(), RGB(10, 0, 0));
    SetBkColor(out.Dc(), RGB(0, 20, 0));
    BitBlt(out.Dc(), 0, 0, 3, 1, maskDc, 0, 0, SRCCOPY);
    EXPECT_EQ(out.At(0, 0), RGB(0, 20, 0));
    EXPECT_EQ(out.At(1, 0), RGB(10, 0, 0));
    SelectObject(maskDc, old);
    DeleteDC(maskDc);
    DeleteObject(mask);
}

TEST(Monochrome, CreateBitmapReadsPackedRowsPaddedTo16Bits) {
    const BYTE bits[] = {0xA0, 0x00, 0x40, 0x00}; // rows "101", "010"
    HBITMAP mask = CreateBitmap(3, 2, 1, 1, bits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mask);
    EXPECT_EQ(GetPixel(dc, 0, 0), kWhite);
    EXPECT_EQ(GetPixel(dc, 1, 0), kBlack);
    EXPECT_EQ(GetPixel(dc, 2, 0), kWhite);
    EXPECT_EQ(GetPixel(dc, 1, 1), kWhite);
    EXPECT_EQ(GetPixel(dc, 0, 1), kBlack);
    BITMAP info;
    ASSERT_EQ(GetObject(mask, sizeof(info), &info), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(info.bmBitsPixel, 1);
    EXPECT_EQ(info.bmWidthBytes, 2);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(mask);
}

// The transparent picture control: a mask from the magenta background, then a masked blit
// that keeps the screen where the mask is 1; and the plain-blit route gives the same pixels.
TEST(Masks, MaskBltAndThePlainBlitRouteAgree) {
    const int W = 6, H = 4;
    Canvas image(W, H, kMagenta);
    RECT body{1, 1, 5, 3};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 200));
    FillRect(image.Dc(), &body, blue);
    DeleteObject(blue);
    HDC maskDc = CreateCompatibleDC(image.Dc());
    HBITMAP mask = CreateBitmap(W, H, 1, 1, nullptr);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    COLORREF oldBk = SetBkColor(image.Dc(), kMagenta);
    BitBlt(maskDc, 0, 0, W, H, image.Dc(), 0, 0, SRCCOPY);
    SetBkColor(image.Dc(), oldBk);

    Canvas screenA(W, H);
    for (int x = 0; x < W; ++x)
        SetPixel(screenA.Dc(), x, 0, RGB(x * 40, 100, 0));
    Canvas screenB(W, H);
    BitBlt(screenB.Dc(), 0, 0, W, H, screenA.Dc(), 0, 0, SRCCOPY);

    ASSERT_TRUE(
        MaskBlt(screenA.Dc(), 0, 0, W, H, image.Dc(), 0, 0, mask, 0, 0, MAKEROP4(0x00AA0029, SRCCOPY)));

    // Plain route: scratch = screen AND mask; image AND NOT mask; OR them; copy back.
    Canvas scratch(W, H);
    BitBlt(scratch.Dc(), 0, 0, W, H, screenB.Dc(), 0, 0, SRCCOPY);
    SetTextColor(scratch.Dc(), kBlack);
    SetBkColor(scratch.Dc(), kWhite);
    BitBlt(scratch.Dc(), 0, 0, W, H, maskDc, 0, 0, SRCAND);
    SetTextColor(image.Dc(), kBlack);
    SetBkColor(image.Dc(), kWhite);
    BitBlt(image.Dc(), 0, 0, W, H, maskDc, 0, 0, 0x00220326); // D AND NOT S
    BitBlt(scratch.Dc(), 0, 0, W, H, image.Dc(), 0, 0, SRCPAINT);
    BitBlt(screenB.Dc(), 0, 0, W, H, scratch.Dc(), 0, 0, SRCCOPY);

    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            EXPECT_EQ(screenA.At(x, y), screenB.At(x, y)) << x << "," << y;
    EXPECT_EQ(screenA.At(2, 2), RGB(0, 0, 200));
    EXPECT_EQ(screenA.At(3, 0), RGB(120, 100, 0));
    EXPECT_EQ(screenA.Count(kMagenta), 0);
    SelectObject(maskDc, oldMask);
    DeleteDC(maskDc);
    DeleteObject(mask);
}

TEST(Masks, MaskBltRefusesAColourMask) {
    Canvas a(2, 2), b(2, 2);
    EXPECT_FALSE(MaskBlt(a.Dc(), 0, 0, 2, 2, b.Dc(), 0, 0, b.Bitmap(), 0, 0, MAKEROP4(SRCCOPY, SRCCOPY)));
}

TEST(DibSections, TopDownAndBottomUpRowsAnd24BitLayout) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2; // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    ASSERT_NE(bits, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    SetPixel(dc, 1, 0, RGB(1, 2, 3)); // top row lives last in memory
    const BYTE* p = static_cast<const BYTE*>(bits);
    int stride = 12; // 9 bytes padded to 32 bits
    EXPECT_EQ(p[stride + 3], 3);
    EXPECT_EQ(p[stride + 4], 2);
    EXPECT_EQ(p[stride + 5], 1);
    static_cast<BYTE*>(bits)[0] = 0x40; // bottom row, first pixel, blue
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 0, 0x40));
    DIBSECTION ds;
    ASSERT_EQ(GetObject(dib, sizeof(ds), &ds), static_cast<int>(sizeof(DIBSECTION)));
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 12);
    EXPECT_EQ(ds.dsBmih.biHeight, 2);
    SelectObject(dc, old);
    DeleteObject(dib);

    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biHeight = -2; // top-down
    dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    SelectObject(dc, dib);
    SetPixel(dc, 2, 0, RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(static_cast<const uint32_t*>(bits)[2], 0x112233u);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);

    info.bmiHeader.biBitCount = 8;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
}

TEST(Surfaces, AContextOverPartOfABitmapDrawsOnlyThere) {
    auto screen = device::gdi::Bitmap::Create(20, 20, device::gdi::PixelFormat::Xrgb32);
    screen->Fill(0xFFFFFF);
    HDC dc = device::gdi::CreateDCForSurface(screen.get(), POINT{5, 5}, RECT{5, 5, 15, 12});
    ASSERT_NE(dc, nullptr);
    RECT all{-100, -100, 100, 100};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    int black = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            black += screen->Get(x, y) == 0;
    EXPECT_EQ(black, 10 * 7);
    EXPECT_EQ(screen->Get(5, 5), 0u);
    EXPECT_EQ(screen->Get(4, 5), 0xFFFFFFu);
    EXPECT_EQ(screen->Get(15, 11), 0xFFFFFFu);
    // Logical (0, 0) is the surface origin.
    SetPixel(dc, 1, 1, RGB(255, 0, 0));
    EXPECT_EQ(screen->Get(6, 6), 0xFF0000u);
    // A surface context has no bitmap to swap.
    HBITMAP other = CreateBitmap(2, 2, 1, 32, nullptr);
    EXPECT_EQ(SelectObject(dc, other), nullptr);
    DeleteObject(other);
    DeleteDC(dc);
}

} // namespace
