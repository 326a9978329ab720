// The coloured tab strip's fill, the transparent picture (stretched, only the exact key colour
// see-through, the bitmap left to its static control) and the hidden digital display.

#include "ControlsTestSupport.h"
#include "controls/ColorTabCtrl.h"
#include "controls/DigitalClock.h"
#include "controls/TransparentPicture.h"

using namespace controlstest;

namespace {

// A bitmap of four quadrants: key colour top-left, near-key top-right, red bottom-left, green
// bottom-right.
HBITMAP MakeQuadrants(int size) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const int h = size / 2;
    const COLORREF colours[4] = {RGB(255, 0, 255), RGB(254, 0, 255), RGB(255, 0, 0), RGB(0, 255, 0)};
    for (int q = 0; q < 4; ++q) {
        RECT r{(q % 2) * h, (q / 2) * h, (q % 2 + 1) * h, (q / 2 + 1) * h};
        HBRUSH brush = CreateSolidBrush(colours[q]);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

using TransparentPictureTest = ControlsTest;

TEST_F(TransparentPictureTest, StretchedWithOnlyTheExactKeyColourSeeThrough) {
    for (int size : {4, 200}) { // smaller and larger than the control
        SCOPED_TRACE(size);
        HBITMAP bitmap = MakeQuadrants(size);
        HWND stat = RawChild(WC_STATICW, L"", SS_BITMAP, 1110, 20, 20, 60, 40);
        SendMessageW(stat, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
        MoveWindow(stat, 20, 20, 60, 40, TRUE); // a bitmap static may size itself to its picture
        CTransparentPicture picture;
        ASSERT_TRUE(picture.SubclassDlgItem(1110, &m_parent));
        picture.Invalidate();
        EXPECT_EQ(At(20, 20), kPageColour);
        EXPECT_EQ(At(49, 39), kPageColour);
        EXPECT_EQ(At(50, 20), RGB(254, 0, 255));
        EXPECT_EQ(At(79, 39), RGB(254, 0, 255));
        EXPECT_EQ(At(20, 40), RGB(255, 0, 0));
        EXPECT_EQ(At(79, 59), RGB(0, 255, 0));
        EXPECT_EQ(At(80, 59), kPageColour); // nothing drawn outside the control
        picture.DestroyWindow();
        // The bitmap is still the owner's to use.
        BITMAP info{};
        EXPECT_TRUE(GetObjectW(bitmap, sizeof(info), &info));
        DeleteObject(bitmap);
    }
}

TEST_F(TransparentPictureTest, WithoutABitmapThePageShowsThrough) {
    RawChild(WC_STATICW, L"", SS_BITMAP, 1109, 20, 20, 60, 40);
    CTransparentPicture picture;
    ASSERT_TRUE(picture.SubclassDlgItem(1109, &m_parent));
    picture.Invalidate();
    EXPECT_EQ(At(40, 30), kPageColour);
}

using ColorTabTest = ControlsTest;

TEST_F(ColorTabTest, BackgroundIsTheOwnersColour) {
    RawChild(WC_TABCONTROLW, L"", 0, 1044, 10, 10, 220, 100);
    CColorTabCtrl tabs;
    ASSERT_TRUE(tabs.SubclassDlgItem(1044, &m_parent));
    tabs.InsertItem(0, L"Clothes");
    tabs.InsertItem(1, L"Papers");
    tabs.SetBackColor(RGB(30, 160, 90));
    EXPECT_EQ(tabs.GetBackColor(), RGB(30, 160, 90));
    tabs.Invalidate(TRUE);
    // Beside the last tab, where the strip draws no item.
    CRect last;
    tabs.GetItemRect(1, &last);
    EXPECT_EQ(At(10 + 215, 10 + last.top + 2), RGB(30, 160, 90));
    // The tabs themselves are still the control's.
    int itemFace = 0;
    for (int x = last.left + 1; x < last.right - 1; ++x) itemFace += At(10 + x, 10 + last.CenterPoint().y) != RGB(30, 160, 90);
    EXPECT_GT(itemFace, 0);
}

using DigitalClockTest = ControlsTest;

TEST_F(DigitalClockTest, BoundPlacedAndHiddenItDrawsNothing) {
    HWND stat = RawChild(WC_STATICW, L"12:00:00", 0, 1079, 20, 20, 80, 20);
    CDigitalClock clock;
    ASSERT_TRUE(clock.SubclassDlgItem(1079, &m_parent));
    EXPECT_EQ(clock.m_hWnd, stat);
    Pump();
    // Its paint draws nothing over the page, its erase keeps it, and a tick repaints quietly.
    EXPECT_EQ(At(30, 25), kPageColour);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(clock.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(screen)), TRUE);
    ReleaseDC(nullptr, screen);
    clock.SendMessage(WM_TIMER, 1);
    EXPECT_EQ(At(30, 25), kPageColour);
    clock.MoveWindow(10, 150, 80, 20);
    clock.ShowWindow(SW_HIDE);
    EXPECT_FALSE(clock.IsWindowVisible());
    clock.DestroyWindow();
}

} // namespace
