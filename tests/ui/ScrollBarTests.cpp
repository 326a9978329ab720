// Scroll bars: values kept in range, and stylus taps on arrows, track and thumb turned into
// scroll messages, for a window's own bar and for the SCROLLBAR control.

#include "UiTestSupport.h"
#include "platform/ui/Controls.h"

using namespace uitest;

namespace {

class ScrollBarTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        device::ui::RegisterBasicControlClasses();
    }
    // Scroll codes (and positions) received by hwnd for msg.
    std::vector<std::pair<int, int>> Scrolls(HWND hwnd, UINT msg) {
        std::vector<std::pair<int, int>> out;
        for (const Logged& l : Matching(msg))
            if (l.hwnd == hwnd) out.emplace_back(LOWORD(l.wParam), static_cast<SHORT>(HIWORD(l.wParam)));
        return out;
    }
    static void Tap(POINT p) {
        device::ui::InjectStylus(device::ui::StylusAction::Down, p);
        device::ui::PumpUntilIdle();
        device::ui::InjectStylus(device::ui::StylusAction::Up, p);
        device::ui::PumpUntilIdle();
    }
};

TEST_F(ScrollBarTest, InfoIsClampedToRangeAndPage) {
    HWND w = Top(0, 30, 200, 200, WS_VISIBLE | WS_POPUP | WS_VSCROLL);
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 500, 0};
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, &si, TRUE), 91);  // the last page starts at 91
    SCROLLINFO out{sizeof(out), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(w, SB_VERT, &out));
    EXPECT_EQ(out.nMin, 0);
    EXPECT_EQ(out.nMax, 100);
    EXPECT_EQ(out.nPage, 10u);
    EXPECT_EQ(out.nPos, 91);
    EXPECT_EQ(SetScrollPos(w, SB_VERT, -5, TRUE), 91);
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 0);
    SCROLLINFO bigPage{sizeof(si), SIF_PAGE, 0, 0, 1000, 0, 0};
    SetScrollInfo(w, SB_VERT, &bigPage, FALSE);
    GetScrollInfo(w, SB_VERT, &out);
    EXPECT_EQ(out.nPage, 101u);  // never more than the range
    SetScrollRange(w, SB_HORZ, 5, 2, FALSE);
    int lo = 0, hi = 0;
    GetScrollRange(w, SB_HORZ, &lo, &hi);
    EXPECT_EQ(lo, 5);
    EXPECT_EQ(hi, 5);
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, nullptr, TRUE), 0);
    EXPECT_FALSE(GetScrollInfo(nullptr, SB_VERT, &out));
    EXPECT_FALSE(GetScrollInfo(w, 7, &out));
}

TEST_F(ScrollBarTest, StylusOnAWindowsOwnBar) {
    HWND w = Top(0, 30, 200, 200, WS_VISIBLE | WS_POPUP | WS_VSCROLL);
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 0, 0};
    SetScrollInfo(w, SB_VERT, &si, TRUE);
    device::ui::PumpUntilIdle();
    RECT wr, cr;
    GetWindowRect(w, &wr);
    GetClientRect(w, &cr);
    int x = wr.left + cr.right + GetSystemMetrics(SM_CXVSCROLL) / 2;
    int arrow = GetSystemMetrics(SM_CXVSCROLL);
    ClearLog();
    Tap(POINT{x, wr.top + arrow / 2});       // up arrow
    Tap(POINT{x, wr.bottom - arrow / 2});    // down arrow
    Tap(POINT{x, wr.bottom - arrow - 10});   // the track below the thumb
    using P = std::pair<int, int>;
    EXPECT_EQ(Scrolls(w, WM_VSCROLL), (std::vector<P>{{SB_LINEUP, 0}, {SB_ENDSCROLL, 0}, {SB_LINEDOWN, 0},
                                                       {SB_ENDSCROLL, 0}, {SB_PAGEDOWN, 0}, {SB_ENDSCROLL, 0}}));
    // The owner moves the bar; then a tap above the thumb pages up.
    SetScrollPos(w, SB_VERT, 91, TRUE);
    ClearLog();
    Tap(POINT{x, wr.top + arrow + 10});
    EXPECT_EQ(Scrolls(w, WM_VSCROLL), (std::vector<P>{{SB_PAGEUP, 0}, {SB_ENDSCROLL, 0}}));
    // Dragging the thumb from the bottom to the top tracks, then lands at 0.
    SetScrollPos(w, SB_VERT, 91, TRUE);
    ClearLog();
    POINT thumb{x, wr.bottom - arrow - 3};
    device::ui::InjectStylus(device::ui::StylusAction::Down, thumb);
    device::ui::PumpUntilIdle();
    device::ui::InjectStylus(device::ui::StylusAction::Move, POINT{x, wr.top + 60});
    device::ui::PumpUntilIdle();
    device::ui::InjectStylus(device::ui::StylusAction::Move, POINT{x, wr.top - 50});
    device::ui::PumpUntilIdle();
    device::ui::InjectStylus(device::ui::StylusAction::Up, POINT{x, wr.top - 50});
    device::ui::PumpUntilIdle();
    auto got = Scrolls(w, WM_VSCROLL);
    ASSERT_GE(got.size(), 4u);
    EXPECT_EQ(got[0].first, SB_THUMBTRACK);
    EXPECT_GT(got[0].second, 0);
    EXPECT_EQ(got[got.size() - 3], P(SB_THUMBTRACK, 0));
    EXPECT_EQ(got[got.size() - 2], P(SB_THUMBPOSITION, 0));
    EXPECT_EQ(got.back(), P(SB_ENDSCROLL, 0));
    EXPECT_EQ(GetCapture(), nullptr);
    // Taps in the client area are not scroll-bar taps.
    ClearLog();
    Tap(POINT{wr.left + 20, wr.top + 20});
    EXPECT_TRUE(Scrolls(w, WM_VSCROLL).empty());
}

// A window that takes every tap of its client area itself (a form whose taps do nothing) still
// scrolls by its own bar: a tap on the bar is a non-client tap, which the bar takes.
TEST_F(ScrollBarTest, ABarTapNeverReachesTheWindowsOwnTapHandling) {
    HWND w = Top(0, 30, 200, 200, WS_VISIBLE | WS_POPUP | WS_VSCROLL);
    CurrentHandler() = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
        result = 0;
        return msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
    };
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 40, 4, 0, 0};
    SetScrollInfo(w, SB_VERT, &si, TRUE);
    device::ui::PumpUntilIdle();
    RECT wr, cr;
    GetWindowRect(w, &wr);
    GetClientRect(w, &cr);
    const int x = wr.left + cr.right + GetSystemMetrics(SM_CXVSCROLL) / 2;
    ClearLog();
    Tap(POINT{x, wr.bottom - GetSystemMetrics(SM_CXVSCROLL) / 2});
    using P = std::pair<int, int>;
    EXPECT_EQ(Scrolls(w, WM_VSCROLL), (std::vector<P>{{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}}));
    EXPECT_TRUE(Matching(WM_LBUTTONDOWN).empty());
    ASSERT_EQ(Matching(WM_NCLBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Matching(WM_NCLBUTTONDOWN)[0].wParam, static_cast<WPARAM>(HTVSCROLL));
}

TEST_F(ScrollBarTest, NothingToScrollMeansNoMessages) {
    HWND w = Top(0, 30, 200, 200, WS_VISIBLE | WS_POPUP | WS_VSCROLL);
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
    SetScrollInfo(w, SB_VERT, &si, TRUE);
    RECT wr, cr;
    GetWindowRect(w, &wr);
    GetClientRect(w, &cr);
    ClearLog();
    Tap(POINT{wr.left + cr.right + 5, wr.top + 5});
    EXPECT_TRUE(Scrolls(w, WM_VSCROLL).empty());
    EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_VSCROLL);  // shown, disabled
}

TEST_F(ScrollBarTest, AWindowsBarHidesWhileItsRangeLeavesNothingToScroll) {
    HWND w = Top(0, 30, 200, 200, WS_VISIBLE | WS_POPUP | WS_VSCROLL);
    RECT client{};
    auto style = [&] { return static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)); };
    SCROLLINFO empty{sizeof(empty), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    SetScrollInfo(w, SB_VERT, &empty, TRUE);
    EXPECT_FALSE(style() & WS_VSCROLL);
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 200) << "the bar's column goes back to the client area";
    SCROLLINFO some{sizeof(some), SIF_RANGE | SIF_PAGE, 0, 7, 0, 0, 0};
    SetScrollInfo(w, SB_VERT, &some, TRUE);
    EXPECT_TRUE(style() & WS_VSCROLL) << "a range to scroll brings the bar back";
    // A page as long as the range leaves nothing to scroll either; asked to, the bar stays.
    SCROLLINFO page{sizeof(page), SIF_PAGE, 0, 0, 8, 0, 0};
    SetScrollInfo(w, SB_VERT, &page, TRUE);
    EXPECT_FALSE(style() & WS_VSCROLL);
    SetScrollInfo(w, SB_VERT, &some, TRUE);
    SCROLLINFO kept{sizeof(kept), SIF_RANGE | SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
    SetScrollInfo(w, SB_VERT, &kept, TRUE);
    EXPECT_TRUE(style() & WS_VSCROLL);
    // A window that never had the bar does not get one from a range.
    HWND plain = Top(0, 30, 100, 100, WS_VISIBLE | WS_POPUP);
    SetScrollInfo(plain, SB_VERT, &some, TRUE);
    EXPECT_FALSE(GetWindowLongW(plain, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(ScrollBarTest, ScrollBarControlTellsItsParent) {
    HWND parent = Top(0, 30, 240, 200);
    HWND bar = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_HORZ, 10, 10, 160, 16, parent,
                               reinterpret_cast<HMENU>(5), nullptr, nullptr);
    ASSERT_NE(bar, nullptr);
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 50, 5, 20, 0};
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &si, TRUE), 20);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 20);
    EXPECT_EQ(SendMessageW(bar, SBM_GETPOS, 0, 0), 20);
    RECT r;
    GetWindowRect(bar, &r);
    ClearLog();
    Tap(POINT{r.left + 4, r.top + 8});
    Tap(POINT{r.right - 4, r.top + 8});
    auto got = Matching(WM_HSCROLL);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].hwnd, parent);
    EXPECT_EQ(LOWORD(got[0].wParam), SB_LINELEFT);
    EXPECT_EQ(reinterpret_cast<HWND>(got[0].lParam), bar);
    EXPECT_EQ(LOWORD(got[1].wParam), SB_ENDSCROLL);
    EXPECT_EQ(LOWORD(got[2].wParam), SB_LINERIGHT);
    SendMessageW(bar, SBM_SETRANGE, 0, 10);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 6);  // 10 - page 5 + 1
}

} // namespace
