// Image lists: adding with a mask bitmap, with a key colour and from icons; masked drawing
// leaves the background; counts, removal and bad indexes; the shell's shared small icons.

#include "platform/ui/Controls.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// A 32-bit bitmap of n 4x4 cells: each cell's left half is colour[i], its right half magenta.
HBITMAP Strip(const std::vector<COLORREF>& colours) {
    int n = static_cast<int>(colours.size());
    HBITMAP bmp = CreateBitmap(4 * n, 4, 1, 32, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (int i = 0; i < n; ++i)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) SetPixel(dc, i * 4 + x, y, x < 2 ? colours[i] : kMagenta);
    SelectObject(dc, old);
    DeleteDC(dc);
    return bmp;
}

struct Canvas {
    Canvas() {
        bmp = CreateBitmap(16, 16, 1, 32, nullptr);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bmp);
        RECT all{0, 0, 16, 16};
        HBRUSH green = CreateSolidBrush(kGreen);
        FillRect(dc, &all, green);
        DeleteObject(green);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bmp);
    }
    HBITMAP bmp;
    HDC dc;
    HGDIOBJ old;
};

TEST(ImageListTest, AddMaskedDrawsOnlyTheUnkeyedPixels) {
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 2, 2);
    ASSERT_NE(list, nullptr);
    HBITMAP strip = Strip({kRed, kBlue, kRed});
    EXPECT_EQ(ImageList_AddMasked(list, strip, kMagenta), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 3);  // grew past its first room of 2
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 4);
    EXPECT_EQ(cy, 4);
    Canvas c;
    ASSERT_TRUE(ImageList_Draw(list, 1, c.dc, 5, 5, ILD_TRANSPARENT));
    EXPECT_EQ(GetPixel(c.dc, 5, 5), kBlue);
    EXPECT_EQ(GetPixel(c.dc, 6, 8), kBlue);
    EXPECT_EQ(GetPixel(c.dc, 7, 5), kGreen);  // keyed: the canvas shows through
    EXPECT_EQ(GetPixel(c.dc, 9, 5), kGreen);  // outside the image
    // ILD_NORMAL with a background colour paints it where the image is masked.
    ImageList_SetBkColor(list, RGB(1, 2, 3));
    ImageList_Draw(list, 0, c.dc, 0, 0, ILD_NORMAL);
    EXPECT_EQ(GetPixel(c.dc, 0, 0), kRed);
    EXPECT_EQ(GetPixel(c.dc, 3, 3), RGB(1, 2, 3));
    DeleteObject(strip);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
}

TEST(ImageListTest, AddWithAMaskBitmapAndFromIcons) {
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 1, 1);
    HBITMAP strip = Strip({kBlue});
    // Mask: the top two rows transparent (white = 1).
    HBITMAP mask = CreateBitmap(4, 4, 1, 1, nullptr);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mask);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) SetPixel(mdc, x, y, y < 2 ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SelectObject(mdc, old);
    DeleteDC(mdc);
    EXPECT_EQ(ImageList_Add(list, strip, mask), 0);
    Canvas c;
    ImageList_Draw(list, 0, c.dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(GetPixel(c.dc, 0, 0), kGreen);
    EXPECT_EQ(GetPixel(c.dc, 0, 3), kBlue);
    EXPECT_EQ(GetPixel(c.dc, 3, 3), kMagenta);  // the mask, not a key, decides
    // An icon through ReplaceIcon (append, then replace image 0).
    ICONINFO info{TRUE, 0, 0, mask, strip};
    HICON icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(ImageList_AddIcon(list, icon), 1);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 0, icon), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 9, icon), -1);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    HICON copy = ImageList_GetIcon(list, 1, ILD_NORMAL);
    EXPECT_NE(copy, nullptr);
    DestroyIcon(copy);
    DestroyIcon(icon);
    DeleteObject(strip);
    DeleteObject(mask);
    ImageList_Destroy(list);
}

TEST(ImageListTest, RemoveAndBadInput) {
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 10, 10);
    HBITMAP strip = Strip({kRed, kBlue, kRed});
    ImageList_AddMasked(list, strip, kMagenta);
    EXPECT_TRUE(ImageList_Remove(list, 0));
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    Canvas c;
    ImageList_Draw(list, 0, c.dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(GetPixel(c.dc, 0, 0), kBlue);  // the others moved up
    EXPECT_FALSE(ImageList_Remove(list, 5));
    EXPECT_FALSE(ImageList_Draw(list, 2, c.dc, 0, 0, ILD_NORMAL));
    EXPECT_FALSE(ImageList_Draw(list, -1, c.dc, 0, 0, ILD_NORMAL));
    EXPECT_FALSE(ImageList_Draw(nullptr, 0, c.dc, 0, 0, ILD_NORMAL));
    EXPECT_EQ(ImageList_Add(list, nullptr, nullptr), -1);
    EXPECT_EQ(ImageList_AddMasked(nullptr, strip, kMagenta), -1);
    EXPECT_EQ(ImageList_GetImageCount(nullptr), 0);
    EXPECT_EQ(ImageList_Create(0, 4, ILC_MASK, 1, 1), nullptr);
    // A bitmap narrower than one image adds nothing.
    HBITMAP narrow = CreateBitmap(3, 4, 1, 32, nullptr);
    EXPECT_EQ(ImageList_Add(list, narrow, nullptr), -1);
    DeleteObject(narrow);
    EXPECT_TRUE(ImageList_RemoveAll(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    DeleteObject(strip);
    ImageList_Destroy(list);
}

TEST(ImageListTest, SystemSmallIconsAreSharedAndKept) {
    HIMAGELIST sys = device::ui::SystemSmallImageList();
    ASSERT_NE(sys, nullptr);
    EXPECT_EQ(sys, device::ui::SystemSmallImageList());
    EXPECT_EQ(ImageList_GetImageCount(sys), 2);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(sys, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_FALSE(ImageList_Destroy(sys));
    EXPECT_FALSE(ImageList_Remove(sys, 0));
    EXPECT_EQ(ImageList_GetImageCount(sys), 2);
    Canvas c;
    ImageList_Draw(sys, device::ui::kSystemIconFolder, c.dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(GetPixel(c.dc, 0, 0), kGreen);     // the corner is transparent
    EXPECT_NE(GetPixel(c.dc, 8, 9), kGreen);     // the folder's body
}

} // namespace
