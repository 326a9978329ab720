// Tab strip: notifications from inside the default click processing (seen by a subclass), veto,
// owner-drawn tabs, items and their fields, geometry, and bad input.

#include "ListBoxTestSupport.h"

using namespace uitest;

namespace {

// The subclass of the main window's strip: it records around the default click handling.
std::vector<std::string>* g_trace = nullptr;
WNDPROC g_tabProc = nullptr;

LRESULT CALLBACK TraceSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONDOWN) {
        g_trace->push_back("before default");
        LRESULT r = CallWindowProcW(g_tabProc, hwnd, msg, wParam, lParam);
        g_trace->push_back("after default, focus " + std::to_string(SendMessageW(hwnd, TCM_GETCURFOCUS, 0, 0)));
        return r;
    }
    return CallWindowProcW(g_tabProc, hwnd, msg, wParam, lParam);
}

class TabControl : public ListControlTest {
protected:
    HWND MakeStrip(DWORD style, int count, int width = 40, int height = 26) {
        HWND t = Create(WC_TABCONTROLW, style, 1000, 0, 0, 240, 200);
        SendMessageW(t, TCM_SETITEMSIZE, 0, MAKELPARAM(width, height));
        const wchar_t* names[] = {L"Clocks", L"Weather", L"Map", L"Money", L"Tools"};
        for (int i = 0; i < count; ++i) {
            TCITEMW item{};
            item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
            item.pszText = const_cast<LPWSTR>(names[i % 5]);
            item.iImage = i;
            item.lParam = 100 + i;
            SendMessageW(t, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
        return t;
    }
};

TEST_F(TabControl, SubclassSeesSelChangingAndSelChangeInsideTheDefaultClick) {
    HWND t = MakeStrip(TCS_OWNERDRAWFIXED | TCS_FIXEDWIDTH, 5);
    std::vector<std::string> trace;
    g_trace = &trace;
    g_tabProc = reinterpret_cast<WNDPROC>(SetWindowLongW(t, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&TraceSubclass)));
    onNotify = [&](NMHDR* nm) -> LRESULT {
        if (nm->hwndFrom != t) return 0;
        int focus = static_cast<int>(SendMessageW(t, TCM_GETCURFOCUS, 0, 0));
        if (nm->code == TCN_SELCHANGING) trace.push_back("selchanging, focus " + std::to_string(focus));
        if (nm->code == TCN_SELCHANGE) trace.push_back("selchange, focus " + std::to_string(focus));
        EXPECT_EQ(nm->idFrom, 1000u);
        return 0;
    };
    // The left edge of tab 2 (the row starts 2 px in).
    TapClient(t, 2 + 2 * 40, 5);
    EXPECT_EQ(trace, (std::vector<std::string>{"before default", "selchanging, focus 0", "selchange, focus 2",
                                               "after default, focus 2"}));
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 2);
    trace.clear();
    TapClient(t, 2 + 2 * 40 + 5, 5);  // the current tab: no change to announce
    EXPECT_EQ(trace, (std::vector<std::string>{"before default", "after default, focus 2"}));
    trace.clear();
    TapClient(t, 230, 5);  // right of the last tab
    EXPECT_EQ(trace, (std::vector<std::string>{"before default", "after default, focus 2"}));
    SetWindowLongW(t, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_tabProc));
    g_trace = nullptr;
}

TEST_F(TabControl, ANonzeroSelChangingAnswerKeepsTheCurrentTab) {
    HWND t = MakeStrip(TCS_FIXEDWIDTH, 3);
    onNotify = [&](NMHDR* nm) -> LRESULT { return nm->code == TCN_SELCHANGING ? TRUE : 0; };
    TapClient(t, 45, 5);
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageW(t, TCM_GETCURFOCUS, 0, 0), 0);
    EXPECT_EQ(CodesFrom(t), (std::vector<int>{static_cast<int>(TCN_SELCHANGING)}));
}

TEST_F(TabControl, SetCurFocusNotifiesAndSetCurSelDoesNot) {
    HWND t = MakeStrip(TCS_FIXEDWIDTH, 5);
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 0);  // the first tab inserted is current
    EXPECT_EQ(SendMessageW(t, TCM_SETCURSEL, 3, 0), 0);
    EXPECT_TRUE(CodesFrom(t).empty());
    EXPECT_EQ(SendMessageW(t, TCM_GETCURFOCUS, 0, 0), 3);
    SendMessageW(t, TCM_SETCURFOCUS, 1, 0);
    EXPECT_EQ(CodesFrom(t), (std::vector<int>{static_cast<int>(TCN_SELCHANGING), static_cast<int>(TCN_SELCHANGE)}));
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(t, TCM_SETCURSEL, 9, 0), -1);
    SendMessageW(t, TCM_SETCURFOCUS, 9, 0);
    EXPECT_EQ(SendMessageW(t, TCM_GETCURFOCUS, 0, 0), 1);
    // Keys move between tabs like taps.
    SetFocus(t);
    heard.clear();
    Key(VK_RIGHT);
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(CodesFrom(t), (std::vector<int>{static_cast<int>(TCN_SELCHANGING), static_cast<int>(TCN_SELCHANGE)}));
}

TEST_F(TabControl, OwnerDrawnTabsAreDrawnByTheParentWithTheirRectangles) {
    HWND t = MakeStrip(TCS_OWNERDRAWFIXED | TCS_FIXEDWIDTH, 3, 50, 26);
    SendMessageW(t, TCM_SETCURSEL, 1, 0);
    std::vector<DRAWITEMSTRUCT> drawn;
    onDrawItem = [&](const DRAWITEMSTRUCT& d) { drawn.push_back(d); };
    InvalidateRect(t, nullptr, TRUE);
    UpdateWindow(t);
    ASSERT_EQ(drawn.size(), 3u);
    for (UINT i = 0; i < 3; ++i) {
        const DRAWITEMSTRUCT& d = drawn[i];
        EXPECT_EQ(d.CtlType, static_cast<UINT>(ODT_TAB));
        EXPECT_EQ(d.CtlID, 1000u);
        EXPECT_EQ(d.itemID, i);
        EXPECT_EQ(d.hwndItem, t);
        EXPECT_EQ(d.itemData, 100u + i);
        EXPECT_EQ(d.itemState & ODS_SELECTED, i == 1 ? ODS_SELECTED : 0u);
        EXPECT_EQ(d.rcItem.left, static_cast<LONG>(2 + 50 * i));  // the row starts 2 px in
        EXPECT_EQ(d.rcItem.right, static_cast<LONG>(2 + 50 * (i + 1)));
        EXPECT_EQ(d.rcItem.top, 0);
        EXPECT_EQ(d.rcItem.bottom, 26);
        RECT r;
        ASSERT_TRUE(SendMessageW(t, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)));
        EXPECT_TRUE(EqualRect(&r, &d.rcItem));
    }
}

TEST_F(TabControl, EraseIsASolidFaceColourFill) {
    HWND t = MakeStrip(TCS_OWNERDRAWFIXED | TCS_FIXEDWIDTH, 2);
    onDrawItem = [](const DRAWITEMSTRUCT&) {};  // the parent draws nothing on the tabs
    InvalidateRect(t, nullptr, TRUE);
    UpdateWindow(t);
    device::ui::PumpUntilIdle();
    POINT p = ScreenOf(t, 200, 150);
    EXPECT_EQ(Pixel(p.x, p.y), GetSysColor(COLOR_BTNFACE));
    p = ScreenOf(t, 200, 5);
    EXPECT_EQ(Pixel(p.x, p.y), GetSysColor(COLOR_BTNFACE));
}

TEST_F(TabControl, ItemsKeepTextImageAndParamAndDeletionMovesTheSelection) {
    HWND t = MakeStrip(TCS_FIXEDWIDTH, 4);
    EXPECT_EQ(SendMessageW(t, TCM_GETITEMCOUNT, 0, 0), 4);
    wchar_t buf[4];
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = buf;
    item.cchTextMax = 4;
    ASSERT_TRUE(SendMessageW(t, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(buf, L"Wea");  // cut to the buffer, terminated
    EXPECT_EQ(item.iImage, 1);
    EXPECT_EQ(item.lParam, 101);
    TCITEMW change{};
    change.mask = TCIF_TEXT | TCIF_IMAGE;
    change.pszText = const_cast<LPWSTR>(L"Sky");
    change.iImage = 8;
    ASSERT_TRUE(SendMessageW(t, TCM_SETITEMW, 1, reinterpret_cast<LPARAM>(&change)));
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    SendMessageW(t, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(buf, L"Sky");
    EXPECT_EQ(item.iImage, 8);
    EXPECT_EQ(item.lParam, 101);  // untouched without TCIF_PARAM

    SendMessageW(t, TCM_SETCURSEL, 2, 0);
    EXPECT_TRUE(SendMessageW(t, TCM_DELETEITEM, 0, 0));
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), 1);  // still on the same tab
    EXPECT_TRUE(SendMessageW(t, TCM_DELETEITEM, 1, 0));
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), -1);
    TCITEMW add{};
    add.mask = TCIF_TEXT;
    add.pszText = const_cast<LPWSTR>(L"end");
    EXPECT_EQ(SendMessageW(t, TCM_INSERTITEMW, 50, reinterpret_cast<LPARAM>(&add)), 2);  // appended
    EXPECT_TRUE(SendMessageW(t, TCM_DELETEALLITEMS, 0, 0));
    EXPECT_EQ(SendMessageW(t, TCM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(t, TCM_GETCURSEL, 0, 0), -1);
    EXPECT_EQ(SendMessageW(t, TCM_GETCURFOCUS, 0, 0), -1);
}

TEST_F(TabControl, BadIndexesAndNullRecordsAreRefused) {
    HWND t = MakeStrip(TCS_FIXEDWIDTH, 2);
    TCITEMW item{};
    RECT r;
    EXPECT_FALSE(SendMessageW(t, TCM_GETITEMW, 2, reinterpret_cast<LPARAM>(&item)));
    EXPECT_FALSE(SendMessageW(t, TCM_GETITEMW, 0, 0));
    EXPECT_FALSE(SendMessageW(t, TCM_SETITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item)));
    EXPECT_FALSE(SendMessageW(t, TCM_DELETEITEM, 5, 0));
    EXPECT_FALSE(SendMessageW(t, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r)));
    EXPECT_EQ(SendMessageW(t, TCM_INSERTITEMW, 0, 0), -1);
    item.mask = TCIF_TEXT;
    item.pszText = nullptr;
    item.cchTextMax = 0;
    EXPECT_FALSE(SendMessageW(t, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(SendMessageW(t, TCM_GETITEMCOUNT, 0, 0), 2);
}

TEST_F(TabControl, AdjustRectAndItemSizeGeometry) {
    HWND t = MakeStrip(TCS_FIXEDWIDTH, 5, 30, 26);
    LRESULT old = SendMessageW(t, TCM_SETITEMSIZE, 0, MAKELPARAM(31, 26));
    EXPECT_EQ(LOWORD(old), 30);
    EXPECT_EQ(HIWORD(old), 26);
    RECT r;
    SendMessageW(t, TCM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.left, 126);
    EXPECT_EQ(r.right, 157);
    RECT page{0, 0, 240, 200};
    SendMessageW(t, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    EXPECT_GE(page.top, 26);  // the page area starts under the tabs
    EXPECT_LT(page.bottom, 201);
    RECT back = page;
    SendMessageW(t, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&back));
    RECT whole{0, 0, 240, 200};
    EXPECT_TRUE(EqualRect(&back, &whole));
    // At the bottom the tabs take the lower edge.
    HWND bottom = Create(WC_TABCONTROLW, TCS_BOTTOM | TCS_FIXEDWIDTH, 5, 0, 0, 240, 100);
    SendMessageW(bottom, TCM_SETITEMSIZE, 0, MAKELPARAM(40, 20));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(L"x");
    SendMessageW(bottom, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageW(bottom, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.bottom, 100);
    EXPECT_EQ(r.top, 80);
}

} // namespace
