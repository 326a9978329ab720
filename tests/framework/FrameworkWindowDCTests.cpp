// The window device contexts draw where the window is on the screen.
#include "platform/display/Display.h"
#include "platform/display/HeadlessTest.h"
#include "platform/framework/MessageMap.h"
#include "platform/framework/WindowDC.h"
#include "support/WindowedDevice.h"

namespace {

class PaintedWnd : public CWnd {
public:
    COLORREF colour = RGB(0, 0, 255);
    int paints = 0;
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        RECT client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, colour);
        ++paints;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(PaintedWnd, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

class FrameworkWindowDCTest : public testsupport::WindowedDevice {};

} // namespace

TEST_F(FrameworkWindowDCTest, PaintClientAndWindowContextsDrawOnTheWindow) {
    PaintedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 20, 60, 50, 40, nullptr, nullptr));
    wnd.UpdateWindow();
    device::display::test::PumpUntilIdle();
    EXPECT_GE(wnd.paints, 1);
    POINT inside{10, 10};
    wnd.ClientToScreen(&inside);
    EXPECT_EQ(device::display::test::PixelAt(inside.x, inside.y), RGB(0, 0, 255));

    {
        CClientDC dc(&wnd);
        ASSERT_NE(dc.GetSafeHdc(), nullptr);
        dc.FillSolidRect(0, 0, 5, 5, RGB(255, 0, 0));
    }
    POINT corner{0, 0};
    wnd.ClientToScreen(&corner);
    device::display::test::PumpUntilIdle();
    EXPECT_EQ(device::display::test::PixelAt(corner.x + 2, corner.y + 2), RGB(255, 0, 0));

    // The window context starts at the window's outer corner, the border included.
    {
        CWindowDC dc(&wnd);
        dc.FillSolidRect(0, 0, 1, 1, RGB(0, 255, 0));
    }
    RECT outer;
    wnd.GetWindowRect(&outer);
    device::display::test::PumpUntilIdle();
    EXPECT_EQ(device::display::test::PixelAt(outer.left, outer.top), RGB(0, 255, 0));
    wnd.DestroyWindow();
}
