// Painting: only the invalid part repaints, background erasing and its answer, children drawn
// over parents (or clipped out of them), overlapping windows, exposure, scrolling.

#include "UiTestSupport.h"

using namespace uitest;

namespace {

class Painting : public UiTest {
protected:
    static constexpr COLORREF kBlue = RGB(0, 0, 255);
    static constexpr COLORREF kRed = RGB(255, 0, 0);
    static constexpr COLORREF kGreen = RGB(0, 255, 0);
    static constexpr COLORREF kWhite = RGB(255, 255, 255);
};

TEST_F(Painting, OnlyTheInvalidPartIsRepainted) {
    HWND w = Top(20, 40, 100, 100);
    PaintColours()[w] = kBlue;
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pixel(20, 40), kBlue);
    EXPECT_EQ(Pixel(119, 139), kBlue);
    EXPECT_EQ(Pixel(19, 40), kWhite) << "the desktop around it";

    PaintColours()[w] = kRed;
    RECT bit{10, 10, 20, 30};
    RECT seen{};
    CurrentHandler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_PAINT && h == w) GetUpdateRect(h, &seen, FALSE);
        return false;
    };
    InvalidateRect(w, &bit, FALSE);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(w, &update, FALSE));
    EXPECT_TRUE(EqualRect(&update, &bit));
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(EqualRect(&seen, &bit));
    EXPECT_EQ(Pixel(20 + 10, 40 + 10), kRed);
    EXPECT_EQ(Pixel(20 + 19, 40 + 29), kRed);
    EXPECT_EQ(Pixel(20 + 20, 40 + 10), kBlue) << "right of the invalid part";
    EXPECT_EQ(Pixel(20 + 10, 40 + 30), kBlue) << "below it";
    EXPECT_FALSE(GetUpdateRect(w, &update, FALSE)) << "validated by the paint";

    InvalidateRect(w, nullptr, FALSE);
    ValidateRect(w, nullptr);
    EXPECT_EQ(device::ui::PumpUntilIdle(), 0) << "nothing left to paint";
}

TEST_F(Painting, EraseIsRequestedAndItsAnswerHonoured) {
    HWND w = Top(0, 26, 50, 50);
    device::ui::PumpUntilIdle();
    BOOL fErase = -1;
    LRESULT eraseAnswer = 1;
    CurrentHandler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        if (h != w) return false;
        if (msg == WM_ERASEBKGND) {
            r = eraseAnswer;
            return true;
        }
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            BeginPaint(h, &ps);
            fErase = ps.fErase;
            EndPaint(h, &ps);
            return true;
        }
        return false;
    };
    ClearLog();
    InvalidateRect(w, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(MessagesOf(w, {WM_PAINT, WM_ERASEBKGND}), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    EXPECT_FALSE(fErase) << "erased by the window";

    eraseAnswer = 0;
    InvalidateRect(w, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(fErase) << "not erased: the paint must do it";

    ClearLog();
    InvalidateRect(w, nullptr, FALSE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(MessagesOf(w, {WM_PAINT, WM_ERASEBKGND}), (std::vector<UINT>{WM_PAINT}));
}

TEST_F(Painting, DefaultEraseUsesTheClassBackground) {
    HWND w = Top(0, 26, 50, 50);
    PaintColours()[w] = kRed;
    device::ui::PumpUntilIdle();
    PaintColours().erase(w);  // from now on the default paint: erase with COLOR_WINDOW + 1
    InvalidateRect(w, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pixel(10, 36), GetSysColor(COLOR_WINDOW));
}

TEST_F(Painting, ChildrenAreDrawnOverTheirParents) {
    HWND parent = Top(0, 26, 100, 100);
    HWND child = Child(parent, 1, 10, 10, 30, 30);
    PaintColours()[parent] = kGreen;
    PaintColours()[child] = kBlue;
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pixel(15, 36 + 5), kBlue);
    EXPECT_EQ(Pixel(5, 31), kGreen);

    // Without WS_CLIPCHILDREN the parent paints under the child, and the child repaints after it.
    ClearLog();
    InvalidateRect(parent, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    auto order = Matching(WM_PAINT);
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0].hwnd, parent);
    EXPECT_EQ(order[1].hwnd, child);
    EXPECT_EQ(Pixel(15, 36 + 5), kBlue);
}

TEST_F(Painting, ClipChildrenKeepsTheParentOffItsChildren) {
    HWND parent = Top(0, 26, 100, 100, WS_VISIBLE | WS_POPUP | WS_CLIPCHILDREN);
    HWND child = Child(parent, 1, 10, 10, 30, 30);
    PaintColours()[parent] = kGreen;
    PaintColours()[child] = kBlue;
    device::ui::PumpUntilIdle();
    ClearLog();
    // The child's own painting is skipped: its pixels can only survive if the parent was clipped.
    PaintColours()[parent] = kRed;
    InvalidateRect(parent, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(MessagesOf(child, {WM_PAINT}).empty());
    EXPECT_EQ(Pixel(15, 36 + 5), kBlue);
    EXPECT_EQ(Pixel(5, 31), kRed);
    EXPECT_EQ(Pixel(45, 36 + 5), kRed) << "right of the child";
}

TEST_F(Painting, AHandlerDroppingItsClipRegionStillStaysOffItsChildren) {
    HWND parent = Top(0, 26, 100, 100, WS_VISIBLE | WS_POPUP | WS_CLIPCHILDREN);
    HWND child = Child(parent, 1, 10, 10, 30, 30);
    PaintColours()[child] = kBlue;
    device::ui::PumpUntilIdle();
    CurrentHandler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (hwnd != parent || msg != WM_PAINT) return false;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        SelectClipRgn(dc, nullptr); // drop the caller's clip: the window's own bounds remain
        RECT all{-50, -50, 500, 500};
        HBRUSH red = CreateSolidBrush(kRed);
        FillRect(dc, &all, red);
        DeleteObject(red);
        EndPaint(hwnd, &ps);
        return true;
    };
    InvalidateRect(parent, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    CurrentHandler() = nullptr;
    EXPECT_EQ(Pixel(15, 36 + 5), kBlue) << "the child";
    EXPECT_EQ(Pixel(5, 31), kRed);
    EXPECT_NE(Pixel(105, 31), kRed) << "outside the window";
}

TEST_F(Painting, HigherWindowsAndSiblingsAreNeverOverdrawn) {
    HWND lower = Top(0, 26, 100, 100);
    HWND upper = Top(50, 76, 100, 100);
    PaintColours()[lower] = kGreen;
    PaintColours()[upper] = kBlue;
    device::ui::PumpUntilIdle();
    InvalidateRect(lower, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pixel(60, 86), kBlue) << "the lower window's paint is clipped by the upper one";
    EXPECT_EQ(Pixel(40, 86), kGreen);

    // A DC of the lower window is clipped the same way.
    HDC dc = GetDC(lower);
    RECT all{0, 0, 100, 100};
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(dc, &all, red);
    DeleteObject(red);
    ReleaseDC(lower, dc);
    EXPECT_EQ(Pixel(60, 86), kBlue);
    EXPECT_EQ(Pixel(40, 86), kRed);

    // Hiding the upper window exposes what was under it.
    ShowWindow(upper, SW_HIDE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pixel(60, 86), kGreen);
    EXPECT_EQ(Pixel(120, 150), kWhite) << "the desktop repaints where nothing is";

    // Sibling children stay apart too.
    HWND a = Child(lower, 1, 0, 0, 40, 40);
    HWND b = Child(lower, 2, 20, 20, 40, 40);  // created later: below a
    PaintColours()[a] = kBlue;
    PaintColours()[b] = kRed;
    device::ui::PumpUntilIdle();
    InvalidateRect(b, nullptr, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pixel(30, 26 + 30), kBlue) << "a stays over b";
    EXPECT_EQ(Pixel(50, 26 + 50), kRed);
}

TEST_F(Painting, AWindowContextDrawsOnlyWhereTheWindowShows) {
    // A page (no WS_CLIPCHILDREN) with a box child, a transparent frame child and an owned popup.
    HWND page = Top(0, 26, 200, 150);
    HWND box = Child(page, 1, 10, 10, 60, 40);
    HWND frame = CreateWindowExW(WS_EX_TRANSPARENT, uitest::kClass, L"frame", WS_CHILD | WS_VISIBLE, 90, 10, 40, 40,
                                 page, nullptr, nullptr, nullptr);
    HWND popup = CreateWindowExW(0, uitest::kClass, L"popup", WS_POPUP | WS_VISIBLE, 150, 46, 40, 20, page, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(frame && popup);
    PaintColours()[page] = kGreen;
    PaintColours()[box] = kBlue;
    PaintColours()[popup] = kBlue;
    device::ui::PumpUntilIdle();
    // A tick draws a hand through a window DC, not-XOR, right across.
    HDC dc = GetDC(page);
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HGDIOBJ old = SelectObject(dc, pen);
    SetROP2(dc, R2_NOTXORPEN);
    MoveToEx(dc, 0, 30, nullptr);
    LineTo(dc, 200, 30);
    SelectObject(dc, old);
    DeleteObject(pen);
    ReleaseDC(page, dc);
    EXPECT_EQ(Pixel(40, 26 + 30), kBlue) << "the box child is left alone";
    EXPECT_EQ(Pixel(170, 26 + 30), kBlue) << "the owned popup is left alone";
    EXPECT_NE(Pixel(5, 26 + 30), kGreen) << "the page itself is drawn on";
    EXPECT_NE(Pixel(110, 26 + 30), kGreen) << "a transparent child shows the page's drawing";
    // The box goes and the popup closes: what they uncover is the page's again.
    ShowWindow(box, SW_HIDE);
    DestroyWindow(popup);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pixel(40, 26 + 30), kGreen);
    EXPECT_EQ(Pixel(170, 26 + 30), kGreen);
}

TEST_F(Painting, UpdateWindowPaintsAtOnce) {
    HWND parent = Top(0, 26, 100, 100);
    HWND child = Child(parent, 1, 10, 10, 30, 30);
    device::ui::PumpUntilIdle();
    ClearLog();
    InvalidateRect(parent, nullptr, FALSE);
    EXPECT_TRUE(UpdateWindow(parent));
    auto order = Matching(WM_PAINT);
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0].hwnd, parent);
    EXPECT_EQ(order[1].hwnd, child);
    ClearLog();
    EXPECT_TRUE(UpdateWindow(parent));
    EXPECT_TRUE(Matching(WM_PAINT).empty()) << "nothing invalid";
    RECT r;
    EXPECT_FALSE(GetUpdateRect(parent, &r, FALSE));
}

TEST_F(Painting, AHandlerThatDoesNotPaintDoesNotLoop) {
    HWND w = Top(0, 26, 50, 50);
    CurrentHandler() = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        if (h == w && msg == WM_PAINT) {
            r = 0;
            return true;  // neither BeginPaint nor ValidateRect
        }
        return false;
    };
    InvalidateRect(w, nullptr, TRUE);
    EXPECT_LE(device::ui::PumpUntilIdle(), 2);
}

TEST_F(Painting, ScrollWindowExMovesPixelsAndChildren) {
    HWND form = Top(0, 26, 100, 200);
    HWND field = Child(form, 1, 10, 100, 50, 20);
    PaintColours()[form] = kWhite;
    PaintColours()[field] = kBlue;
    device::ui::PumpUntilIdle();
    // A red mark on the form at y 150 (client).
    HDC dc = GetDC(form);
    RECT mark{70, 150, 80, 160};
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(dc, &mark, red);
    DeleteObject(red);
    ReleaseDC(form, dc);

    ClearLog();
    RECT update{};
    int kind = ScrollWindowEx(form, 0, -40, nullptr, nullptr, nullptr, &update, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    EXPECT_EQ(kind, SIMPLEREGION);
    EXPECT_EQ(update.top, 160);
    EXPECT_EQ(update.bottom, 200);
    RECT fr;
    GetWindowRect(field, &fr);
    EXPECT_EQ(fr.top, 26 + 60) << "the child moved with the content";
    auto moves = Matching(WM_MOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].hwnd, field);
    EXPECT_EQ(HIWORD(moves[0].lParam), 60);
    // Pixels moved up 40 without any repaint of the form.
    EXPECT_EQ(Pixel(75, 26 + 110), kRed);
    EXPECT_EQ(Pixel(20, 26 + 65), kBlue);
    RECT pending;
    ASSERT_TRUE(GetUpdateRect(form, &pending, FALSE));
    EXPECT_EQ(pending.top, 160);

    // Without SW_SCROLLCHILDREN the children stay and repaint over what slid under them.
    device::ui::PumpUntilIdle();
    ScrollWindowEx(form, 0, 20, nullptr, nullptr, nullptr, &update, SW_INVALIDATE);
    GetWindowRect(field, &fr);
    EXPECT_EQ(fr.top, 26 + 60);
    EXPECT_EQ(update.top, 0);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Pixel(20, 26 + 65), kBlue);
    EXPECT_EQ(ScrollWindowEx(reinterpret_cast<HWND>(0x999990), 0, 1, nullptr, nullptr, nullptr, nullptr, 0), ERROR);

    // A part waiting to be painted moves along with the content.
    device::ui::PumpUntilIdle();
    RECT waiting{0, 100, 10, 110};
    InvalidateRect(form, &waiting, FALSE);
    ScrollWindowEx(form, 0, -30, nullptr, nullptr, nullptr, nullptr, 0);
    ASSERT_TRUE(GetUpdateRect(form, &pending, FALSE));
    EXPECT_EQ(pending.top, 70);
    EXPECT_EQ(pending.bottom, 80);
}

} // namespace
