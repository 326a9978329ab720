// Icons: colour + mask drawing, stretching, alpha icons, and bad handles.
#include "GdiTestSupport.h"

using gditest::Canvas;

namespace {

// A 4 x 4 icon: a red 2 x 2 square in the middle, the rest transparent.
HICON MakeIcon() {
    HBITMAP colour = CreateBitmap(4, 4, 1, 32, nullptr);
    const BYTE maskBits[] = {0xF0, 0, 0x90, 0, 0x90, 0, 0xF0, 0}; // 1 = transparent
    HBITMAP mask = CreateBitmap(4, 4, 1, 1, maskBits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, colour);
    SetPixel(dc, 1, 1, RGB(255, 0, 0));
    SetPixel(dc, 2, 1, RGB(255, 0, 0));
    SetPixel(dc, 1, 2, RGB(255, 0, 0));
    SetPixel(dc, 2, 2, RGB(255, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    // The icon keeps its own copies.
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

TEST(Icons, MaskKeepsTheBackgroundAndColourShows) {
    HICON icon = MakeIcon();
    ASSERT_NE(icon, nullptr);
    Canvas c(6, 6, RGB(0, 0, 255));
    ASSERT_TRUE(DrawIcon(c.Dc(), 1, 1, icon));
    EXPECT_EQ(c.Count(RGB(255, 0, 0)), 4);
    EXPECT_EQ(c.At(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(c.At(1, 1), RGB(0, 0, 255));
    EXPECT_EQ(c.Count(RGB(0, 0, 255)), 32);
    DestroyIcon(icon);
}

TEST(Icons, DrawIconExStretchesToTheRequestedSize) {
    HICON icon = MakeIcon();
    Canvas c(8, 8, RGB(0, 0, 255));
    ASSERT_TRUE(DrawIconEx(c.Dc(), 0, 0, icon, 8, 8, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(c.Count(RGB(255, 0, 0)), 16);
    EXPECT_EQ(c.At(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(c.At(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(c.At(1, 1), RGB(0, 0, 255));
    EXPECT_FALSE(DrawIconEx(c.Dc(), 0, 0, icon, -4, 4, 0, nullptr, DI_NORMAL));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm;
    GetObject(info.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidth, 4);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    ASSERT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_FALSE(DrawIcon(c.Dc(), 0, 0, icon));
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(MakeIcon()))); // icons go by DestroyIcon
}

TEST(Icons, AlphaIconsBlend) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 2;
    bi.bmiHeader.biHeight = -1;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* px = static_cast<uint32_t*>(bits);
    px[0] = 0xFFFFFFFFu; // opaque white
    px[1] = 0x80FFFFFFu; // half white
    HBITMAP mask = CreateBitmap(2, 1, 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, nullptr);
    Canvas c(2, 1, RGB(0, 0, 0));
    DrawIcon(c.Dc(), 0, 0, icon);
    EXPECT_EQ(c.At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(c.At(1, 0), RGB(128, 128, 128));
    DestroyIcon(icon);
    DeleteObject(colour);
    DeleteObject(mask);
}

TEST(Icons, BadInfoIsRefused) {
    EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
    ICONINFO info{TRUE, 0, 0, nullptr, nullptr};
    EXPECT_EQ(CreateIconIndirect(&info), nullptr);
}

} // namespace
