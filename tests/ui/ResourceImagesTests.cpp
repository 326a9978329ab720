// Icons and bitmaps from compiled resources: the nearest image of an icon group, scaling,
// transparency, bitmaps, the standard icons, and the failures.
#include "DialogTestSupport.h"

#include "platform/base/Utf8.h"
#include "platform/ui/ResourceImages.h"

#include <fstream>

using namespace dlgtest;

namespace {

constexpr int kIcon = 200, kBitmap = 201;

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP bm{};
    GetObjectW(bitmap, sizeof(bm), &bm);
    return SIZE{bm.bmWidth, bm.bmHeight};
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return SIZE{0, 0};
    SIZE s = BitmapSize(info.hbmColor);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return s;
}

// Draws the icon at its size on white and reads one pixel back.
COLORREF IconPixel(HICON icon, int size, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateBitmap(size, size, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    return c;
}

COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

using ResourceImagesTest = DialogTest;

} // namespace

TEST_F(ResourceImagesTest, IconsPickTheNearestImageAndScaleIt) {
    HICON standard = LoadIconW(Module(), MAKEINTRESOURCEW(kIcon));
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(IconSize(standard).cx, 32);
    EXPECT_EQ(IconPixel(standard, 32, 16, 16), RGB(0, 0, 255));
    EXPECT_EQ(IconPixel(standard, 32, 1, 1), RGB(255, 255, 255)); // transparent border
    DestroyIcon(standard);

    auto small = static_cast<HICON>(LoadImageW(Module(), L"#200", IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(IconSize(small).cx, 16);
    EXPECT_EQ(IconPixel(small, 16, 8, 8), RGB(255, 0, 0)); // the 16-pixel image itself
    DestroyIcon(small);

    // 24: the 32-pixel image shrunk (larger images are preferred to enlarging smaller ones).
    auto mid = static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(kIcon), IMAGE_ICON, 24, 24, 0));
    ASSERT_NE(mid, nullptr);
    EXPECT_EQ(IconSize(mid).cx, 24);
    EXPECT_EQ(IconPixel(mid, 24, 12, 12), RGB(0, 0, 255));
    EXPECT_EQ(IconPixel(mid, 24, 0, 0), RGB(255, 255, 255));
    DestroyIcon(mid);

    // 48: enlarged from the largest.
    auto big = static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(kIcon), IMAGE_ICON, 48, 0, 0));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(IconSize(big).cx, 48);
    EXPECT_EQ(IconSize(big).cy, 48);
    EXPECT_TRUE(DestroyIcon(big));
    EXPECT_FALSE(DestroyIcon(big)); // once only
}

TEST_F(ResourceImagesTest, BitmapsAtTheirOwnSizeOrScaled) {
    HBITMAP bitmap = LoadBitmapW(Module(), MAKEINTRESOURCEW(kBitmap));
    ASSERT_NE(bitmap, nullptr);
    SIZE s = BitmapSize(bitmap);
    EXPECT_EQ(s.cx, 24);
    EXPECT_EQ(s.cy, 16);
    EXPECT_EQ(BitmapPixel(bitmap, 2, 2), RGB(0, 255, 0));
    EXPECT_EQ(BitmapPixel(bitmap, 20, 13), RGB(255, 255, 255));
    DeleteObject(bitmap);

    auto scaled = static_cast<HBITMAP>(LoadImageW(Module(), MAKEINTRESOURCEW(kBitmap), IMAGE_BITMAP, 48, 32, 0));
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(BitmapSize(scaled).cx, 48);
    EXPECT_EQ(BitmapPixel(scaled, 4, 4), RGB(0, 255, 0));
    EXPECT_EQ(BitmapPixel(scaled, 44, 28), RGB(255, 255, 255));
    DeleteObject(scaled);
}

TEST_F(ResourceImagesTest, MissingOrWrongResourcesFail) {
    SetLastError(0);
    EXPECT_EQ(LoadIconW(Module(), MAKEINTRESOURCEW(999)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadIconW(Module(), MAKEINTRESOURCEW(kBitmap)), nullptr); // a bitmap is no icon
    EXPECT_EQ(LoadBitmapW(Module(), MAKEINTRESOURCEW(kIcon)), nullptr);
    EXPECT_EQ(LoadIconW(Module(), L"icon"), nullptr);
    EXPECT_EQ(LoadIconW(Module(), L"#99999999"), nullptr);
    EXPECT_EQ(LoadImageW(Module(), MAKEINTRESOURCEW(kIcon), 7, 0, 0, 0), nullptr);
    EXPECT_EQ(LoadImageW(Module(), MAKEINTRESOURCEW(kIcon), IMAGE_ICON, -1, 16, 0), nullptr);
    EXPECT_EQ(LoadIconW(reinterpret_cast<HINSTANCE>(0x7777), MAKEINTRESOURCEW(kIcon)), nullptr);
}

TEST_F(ResourceImagesTest, StandardIconsAreDrawnByTheLayer) {
    const LPCWSTR ids[] = {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK};
    for (LPCWSTR id : ids) {
        HICON icon = LoadIconW(nullptr, id);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(IconSize(icon).cx, GetSystemMetrics(SM_CXICON));
        EXPECT_EQ(IconPixel(icon, 32, 0, 0), RGB(255, 255, 255)) << "corners stay transparent";
        DestroyIcon(icon);
    }
    HICON hand = LoadIconW(nullptr, IDI_ERROR);
    COLORREF side = IconPixel(hand, 32, 3, 16);
    EXPECT_GT(GetRValue(side), 150);
    EXPECT_LT(GetGValue(side), 100);
    DestroyIcon(hand);
}

TEST_F(ResourceImagesTest, PictureFilesLoadFromDevicePaths) {
    // A 2 x 2 24-bit BMP: bottom row blue, top row red.
    const uint8_t bmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0,
                           0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                           0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0};
    std::ofstream(device::FileSystemFolder() / "pic.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp), sizeof(bmp));
    std::ofstream(device::FileSystemFolder() / "junk.bmp") << "not a picture";
    auto bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, L"\\pic.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(BitmapPixel(bitmap, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(BitmapPixel(bitmap, 1, 1), RGB(0, 0, 255));
    DeleteObject(bitmap);
    auto icon = static_cast<HICON>(LoadImageW(nullptr, L"\\pic.bmp", IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(IconSize(icon).cx, 2);
    DestroyIcon(icon);
    EXPECT_EQ(LoadImageW(nullptr, L"\\missing.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(LoadImageW(nullptr, L"\\junk.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
}
