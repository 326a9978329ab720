// The trackbar: ranges switched at run time keep the position inside, and the stylus and keys
// move the thumb with TB_* codes to the parent.

#include "UiTestSupport.h"
#include "platform/ui/Controls.h"

using namespace uitest;

namespace {

class TrackbarTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        device::ui::RegisterBasicControlClasses();
        parent = Top(0, 30, 240, 200);
        bar = CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE | TBS_HORZ | TBS_NOTICKS, 10, 10, 132, 20,
                              parent, reinterpret_cast<HMENU>(1142), nullptr, nullptr);
    }
    int Pos() { return static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0)); }
    HWND parent = nullptr;
    HWND bar = nullptr;
};

TEST_F(TrackbarTest, RangeSwitchKeepsPositionClamped) {
    ASSERT_NE(bar, nullptr);
    SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 255));
    SendMessageW(bar, TBM_SETPOS, TRUE, 200);
    EXPECT_EQ(Pos(), 200);
    SendMessageW(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 1));
    EXPECT_EQ(Pos(), 1);
    EXPECT_EQ(SendMessageW(bar, TBM_GETRANGEMAX, 0, 0), 1);
    SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 255));
    EXPECT_EQ(Pos(), 1);
    SendMessageW(bar, TBM_SETPOS, TRUE, 255);
    EXPECT_EQ(Pos(), 255);
    SendMessageW(bar, TBM_SETPOS, TRUE, 300);
    EXPECT_EQ(Pos(), 255);
    SendMessageW(bar, TBM_SETPOS, TRUE, -3);
    EXPECT_EQ(Pos(), 0);
    SendMessageW(bar, TBM_SETRANGEMIN, TRUE, 10);
    EXPECT_EQ(Pos(), 10);
    SendMessageW(bar, TBM_SETRANGEMAX, TRUE, 5);  // below the minimum: the range closes up
    EXPECT_EQ(SendMessageW(bar, TBM_GETRANGEMAX, 0, 0), 10);
    EXPECT_EQ(Pos(), 10);
    EXPECT_TRUE(Matching(WM_HSCROLL).empty());  // the program's own moves are not reported
}

TEST_F(TrackbarTest, StylusAndKeysReportToTheParent) {
    SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELPARAM(0, 120));
    SendMessageW(bar, TBM_SETPAGESIZE, 0, 30);
    SendMessageW(bar, TBM_SETLINESIZE, 0, 5);
    RECT r;
    GetWindowRect(bar, &r);
    // A tap on the channel's right pages toward it.
    device::ui::InjectStylus(device::ui::StylusAction::Down, POINT{r.right - 8, r.top + 10});
    device::ui::PumpUntilIdle();
    device::ui::InjectStylus(device::ui::StylusAction::Up, POINT{r.right - 8, r.top + 10});
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pos(), 30);
    auto got = Matching(WM_HSCROLL);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(LOWORD(got[0].wParam), TB_PAGEDOWN);
    EXPECT_EQ(reinterpret_cast<HWND>(got[0].lParam), bar);
    EXPECT_EQ(LOWORD(got[1].wParam), TB_ENDTRACK);
    // Dragging the thumb to the far end.
    RECT thumb;
    SendMessageW(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    POINT grab{r.left + (thumb.left + thumb.right) / 2, r.top + (thumb.top + thumb.bottom) / 2};
    ClearLog();
    device::ui::InjectStylus(device::ui::StylusAction::Down, grab);
    device::ui::PumpUntilIdle();
    device::ui::InjectStylus(device::ui::StylusAction::Move, POINT{r.right + 40, grab.y});
    device::ui::PumpUntilIdle();
    device::ui::InjectStylus(device::ui::StylusAction::Up, POINT{r.right + 40, grab.y});
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pos(), 120);
    got = Matching(WM_HSCROLL);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(LOWORD(got[0].wParam), TB_THUMBTRACK);
    EXPECT_EQ(HIWORD(got[0].wParam), 120);
    EXPECT_EQ(LOWORD(got[1].wParam), TB_THUMBPOSITION);
    EXPECT_EQ(LOWORD(got[2].wParam), TB_ENDTRACK);
    // Keys step by the line size.
    SetFocus(bar);
    device::ui::InjectKey(VK_LEFT, true);
    device::ui::InjectKey(VK_LEFT, false);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pos(), 115);
    device::ui::InjectKey(VK_HOME, true);
    device::ui::InjectKey(VK_HOME, false);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pos(), 0);
}

TEST_F(TrackbarTest, VerticalTrackbarSendsVScroll) {
    HWND v = CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE | TBS_VERT, 180, 10, 20, 120, parent,
                             reinterpret_cast<HMENU>(7), nullptr, nullptr);
    SetFocus(v);
    ClearLog();
    device::ui::InjectKey(VK_DOWN, true);
    device::ui::InjectKey(VK_DOWN, false);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(SendMessageW(v, TBM_GETPOS, 0, 0), 1);
    EXPECT_EQ(Matching(WM_VSCROLL).size(), 2u);
    EXPECT_TRUE(Matching(WM_HSCROLL).empty());
}

} // namespace
