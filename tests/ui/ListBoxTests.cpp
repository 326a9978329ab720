// List box: sorted and unsorted contents, finding by prefix and whole text, selection by code,
// stylus and keys with their notifications, scrolling geometry, and bad input.

#include "ListBoxTestSupport.h"
#include "platform/system/DeviceClock.h"
#include "platform/ui/Controls.h"

using namespace uitest;

namespace {

class ListBox : public ListControlTest {
protected:
    HWND Make(DWORD style, int h = 100) { return Create(WC_LISTBOXW, style | WS_BORDER, 1173, 10, 10, 120, h); }
};

TEST_F(ListBox, SortedInsertionPutsEachTextInCaseBlindOrderAfterItsEquals) {
    HWND lb = Make(LBS_SORT | LBS_NOTIFY);
    EXPECT_EQ(SendMessageW(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Paris")), 0);
    EXPECT_EQ(SendMessageW(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"amsterdam")), 0);
    EXPECT_EQ(SendMessageW(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Berlin")), 1);
    EXPECT_EQ(SendMessageW(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"paris")), 3);
    EXPECT_EQ(SendMessageW(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Zurich")), 4);
    EXPECT_EQ(SendMessageW(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"")), 0);
    std::vector<std::wstring> got;
    for (int i = 0; i < SendMessageW(lb, LB_GETCOUNT, 0, 0); ++i) got.push_back(LbText(lb, i));
    EXPECT_EQ(got, (std::vector<std::wstring>{L"", L"amsterdam", L"Berlin", L"Paris", L"paris", L"Zurich"}));
}

TEST_F(ListBox, UnsortedInsertAndDeleteKeepTheSelectionOnItsItem) {
    HWND lb = Make(0);
    Add(lb, {L"b", L"a", L"c"});
    EXPECT_EQ(LbText(lb, 0), L"b");  // no sorting without LBS_SORT
    EXPECT_EQ(SendMessageW(lb, LB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendMessageW(lb, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"first")), 0);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageW(lb, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"last")), 4);
    EXPECT_EQ(SendMessageW(lb, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>(L"x")), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_DELETESTRING, 0, 0), 4);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(LbText(lb, 1), L"a");
    EXPECT_EQ(SendMessageW(lb, LB_DELETESTRING, 1, 0), 3);  // the selected item goes: no selection
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_DELETESTRING, 3, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_DELETESTRING, static_cast<WPARAM>(-1), 0), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_RESETCONTENT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(lb, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(ListBox, PrefixFindIsCaseBlindStartsAfterTheIndexAndWraps) {
    HWND lb = Make(0);
    Add(lb, {L"Apple", L"Banana", L"apricot", L"Cherry", L"APPLE pie"});
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"ap")), 0);
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, 0, reinterpret_cast<LPARAM>(L"AP")), 2);
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, 2, reinterpret_cast<LPARAM>(L"ap")), 4);
    // Past the end the search goes round to the first items, the start item last.
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, 4, reinterpret_cast<LPARAM>(L"ap")), 0);
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, 3, reinterpret_cast<LPARAM>(L"cherry")), 3);
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, 0, reinterpret_cast<LPARAM>(L"Kiwi")), LB_ERR);
    // A start out of range searches from the first item.
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, 77, reinterpret_cast<LPARAM>(L"b")), 1);
    // Whole text, case-blind.
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"apple")), 0);
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(L"apple")), 0);  // wraps to the start
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"App")), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"apple PIE")), 4);
    // Selecting by prefix selects the found item; no match keeps the selection.
    EXPECT_EQ(SendMessageW(lb, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"ch")), 3);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(SendMessageW(lb, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"zz")), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(CodesFrom(lb).empty());  // nothing done by code is notified
}

TEST_F(ListBox, EmptyListAndBadIndexesAnswerLbErr) {
    HWND lb = Make(LBS_NOTIFY);
    EXPECT_EQ(SendMessageW(lb, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_SETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_GETTEXTLEN, 0, 0), LB_ERR);
    wchar_t buf[8] = L"keep";
    EXPECT_EQ(SendMessageW(lb, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(buf)), LB_ERR);
    EXPECT_STREQ(buf, L"keep");
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"")), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"a")), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_GETITEMDATA, 3, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_SETITEMDATA, 3, 9), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_DELETESTRING, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_FINDSTRING, 0, 0), LB_ERR);  // null text
    RECT r;
    EXPECT_EQ(SendMessageW(lb, LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&r)), LB_ERR);
    EXPECT_EQ(HIWORD(SendMessageW(lb, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 5))), 1);
    TapClient(lb, 20, 20);  // a tap on an empty list selects nothing
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), LB_ERR);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(ListBox, SelectionByCodeClearsWithMinusOneAndKeepsItemData) {
    HWND lb = Make(LBS_NOTIFY);
    Add(lb, {L"one", L"two", L"three"});
    EXPECT_EQ(SendMessageW(lb, LB_SETITEMDATA, 1, 0x1234), 0);
    EXPECT_EQ(SendMessageW(lb, LB_GETITEMDATA, 1, 0), 0x1234);
    EXPECT_EQ(SendMessageW(lb, LB_GETITEMDATA, 0, 0), 0);
    EXPECT_EQ(SendMessageW(lb, LB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(SendMessageW(lb, LB_SETCURSEL, 7, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 2);  // a bad index leaves the selection
    EXPECT_EQ(SendMessageW(lb, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessageW(lb, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"zero")), 0);
    EXPECT_EQ(SendMessageW(lb, LB_GETITEMDATA, 2, 0), 0x1234);  // the data moves with its item
    EXPECT_TRUE(CodesFrom(lb).empty());
}

TEST_F(ListBox, StylusAndKeysSelectAndNotifyOnlyWithLbsNotify) {
    HWND lb = Make(LBS_NOTIFY);
    Add(lb, {L"alpha", L"beta", L"gamma", L"delta"});
    int h = static_cast<int>(SendMessageW(lb, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(h, 0);
    TapClient(lb, 20, h + h / 2);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(GetFocus(), lb);
    EXPECT_EQ(CodesFrom(lb), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE}));
    heard.clear();
    TapClient(lb, 20, h + h / 2);  // the same item again within the double-tap time
    EXPECT_EQ(CodesFrom(lb), (std::vector<int>{LBN_DBLCLK}));
    heard.clear();
    Key(VK_DOWN);
    Key(VK_END);
    Key(VK_END);  // already there: nothing to say
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(CodesFrom(lb), (std::vector<int>{LBN_SELCHANGE, LBN_SELCHANGE}));
    heard.clear();
    Key('G', L'g');  // first letter
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), 2);
    SetFocus(parent);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(CodesFrom(lb), (std::vector<int>{LBN_SELCHANGE, LBN_KILLFOCUS}));

    HWND quiet = Create(WC_LISTBOXW, 0, 1174, 130, 10, 100, 100);
    Add(quiet, {L"x", L"y"});
    TapClient(quiet, 10, h + 2);
    EXPECT_EQ(SendMessageW(quiet, LB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(CodesFrom(quiet).empty());
}

// Letters typed less than a second apart (on the device's tick count, held here) find the item
// whose whole text they are, else the first they begin; a pause starts a new search; one letter
// typed again steps through the items of that letter.
TEST_F(ListBox, TypedLettersFindTheItemTheyBeginUntilAPause) {
    HWND lb = Make(LBS_NOTIFY | WS_VSCROLL);
    Add(lb, {L"Rabat", L"Rome", L"Vaasa", L"Valencia", L"Vancouver (Canada)", L"Vancouver (USA)", L"Porto Alegre",
             L"Porto"});
    SetFocus(lb);
    DWORD now = 50000;
    auto type = [&](const std::wstring& text, DWORD gap) {
        for (wchar_t ch : text) {
            now += gap;
            device::HoldTickCount(now);
            Key(0, ch);
        }
        return SendMessageW(lb, LB_GETCURSEL, 0, 0);
    };
    heard.clear();
    EXPECT_EQ(type(L"Vancouver", 300), 4);
    EXPECT_EQ(CodesFrom(lb), (std::vector<int>{LBN_SELCHANGE, LBN_SELCHANGE})); // V, then Van
    now += 1000;
    EXPECT_EQ(type(L"porto", 900), 7); // the whole text before the longer one
    now += 1000;
    EXPECT_EQ(type(L"r", 0), 0);
    EXPECT_EQ(type(L"R", 100), 1);
    EXPECT_EQ(type(L"r", 100), 0); // round again
    now += 1500;
    EXPECT_EQ(type(L"vax", 100), 2); // V, Va; nothing begins with Vax: the highlight stays
    Key(VK_DOWN);                    // a move by keys ends the typed text
    EXPECT_EQ(type(L"a", 100), 3);   // not "vaxa": nothing begins with A, so nothing moves
    device::HoldTickCount(std::nullopt);
}

// A list created with WS_HSCROLL shows a horizontal bar while its extent is wider than the list;
// the bar, Left and Right scroll the texts.
TEST_F(ListBox, AnExtentWiderThanTheListScrollsSideways) {
    HWND lb = Make(WS_VSCROLL | WS_HSCROLL);
    Add(lb, {L"Vancouver (United States of America)", L"Oslo"});
    EXPECT_FALSE(GetWindowLongW(lb, GWL_STYLE) & WS_HSCROLL) << "nothing to scroll yet";
    RECT client;
    GetClientRect(lb, &client);
    SendMessageW(lb, LB_SETHORIZONTALEXTENT, 300, 0);
    EXPECT_EQ(SendMessageW(lb, LB_GETHORIZONTALEXTENT, 0, 0), 300);
    EXPECT_TRUE(GetWindowLongW(lb, GWL_STYLE) & WS_HSCROLL);
    SetFocus(lb);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    const int stepped = GetScrollPos(lb, SB_HORZ);
    EXPECT_GT(stepped, 0);
    Key(VK_LEFT);
    EXPECT_LT(GetScrollPos(lb, SB_HORZ), stepped);
    EXPECT_GT(GetScrollPos(lb, SB_HORZ), 0);
    SendMessageW(lb, WM_HSCROLL, SB_RIGHT, 0);
    GetClientRect(lb, &client);
    EXPECT_EQ(GetScrollPos(lb, SB_HORZ), 300 - client.right);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), LB_ERR) << "Left and Right choose nothing";
    SendMessageW(lb, LB_SETHORIZONTALEXTENT, 50, 0);
    EXPECT_FALSE(GetWindowLongW(lb, GWL_STYLE) & WS_HSCROLL);
}

TEST_F(ListBox, ScrollingKeepsTheSelectionInViewAndGeometryAgrees) {
    HWND lb = Make(LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 80);
    for (int i = 0; i < 30; ++i) Add(lb, {L"item " + std::to_wstring(i)});
    int h = static_cast<int>(SendMessageW(lb, LB_GETITEMHEIGHT, 0, 0));
    RECT client;
    GetClientRect(lb, &client);
    int page = client.bottom / h;
    EXPECT_EQ(SendMessageW(lb, LB_SETCURSEL, 20, 0), 20);
    int top = static_cast<int>(SendMessageW(lb, LB_GETTOPINDEX, 0, 0));
    EXPECT_LE(top, 20);
    EXPECT_GT(top + page, 20);
    RECT r;
    ASSERT_EQ(SendMessageW(lb, LB_GETITEMRECT, 20, reinterpret_cast<LPARAM>(&r)), 1);
    EXPECT_EQ(r.top, (20 - top) * h);
    EXPECT_EQ(r.bottom - r.top, h);
    LRESULT hit = SendMessageW(lb, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, r.top + 1));
    EXPECT_EQ(LOWORD(hit), 20);
    EXPECT_EQ(HIWORD(hit), 0);
    EXPECT_EQ(SendMessageW(lb, LB_SETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(SendMessageW(lb, LB_GETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(SendMessageW(lb, LB_SETTOPINDEX, 29, 0), 0);  // no further than the last page
    EXPECT_EQ(SendMessageW(lb, LB_GETTOPINDEX, 0, 0), 30 - page);
    EXPECT_EQ(SendMessageW(lb, LB_SETTOPINDEX, 30, 0), LB_ERR);
    // A tap on the down arrow of the scroll-bar strip scrolls one line.
    SendMessageW(lb, LB_SETTOPINDEX, 0, 0);
    TapClient(lb, client.right + 3, client.bottom - 3);
    EXPECT_EQ(SendMessageW(lb, LB_GETTOPINDEX, 0, 0), 1);
    // Deleting items pulls the top index back so the list stays full.
    SendMessageW(lb, LB_SETTOPINDEX, 29, 0);
    for (int i = 0; i < 10; ++i) SendMessageW(lb, LB_DELETESTRING, 0, 0);
    EXPECT_EQ(SendMessageW(lb, LB_GETTOPINDEX, 0, 0), 20 - page);
}

// The strip scrolls where its thumb says: a tap above the thumb pages up, below it down, and the
// thumb dragged to the strip's end shows the last page. A tap or drag on the horizontal bar ends
// with the stylus free: the next tap reaches the window under it.
TEST_F(ListBox, TheScrollBarsFollowTheListsOwnPosition) {
    HWND lb = Make(LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL, 80);
    for (int i = 0; i < 40; ++i) Add(lb, {L"item " + std::to_wstring(i)});
    SendMessageW(lb, LB_SETHORIZONTALEXTENT, 400, 0);
    RECT client;
    GetClientRect(lb, &client);
    const int page = client.bottom / static_cast<int>(SendMessageW(lb, LB_GETITEMHEIGHT, 0, 0));
    const int strip = client.right + GetSystemMetrics(SM_CXVSCROLL) / 2;
    const auto top = [lb] { return static_cast<int>(SendMessageW(lb, LB_GETTOPINDEX, 0, 0)); };
    SendMessageW(lb, LB_SETTOPINDEX, 40 - page, 0); // the thumb at the strip's foot
    TapClient(lb, strip, client.bottom / 2);
    EXPECT_EQ(top(), 40 - 2 * page) << "a tap above the thumb pages up";
    SendMessageW(lb, LB_SETTOPINDEX, 0, 0);
    TapClient(lb, strip, client.bottom - GetSystemMetrics(SM_CXVSCROLL) - 4);
    EXPECT_EQ(top(), page) << "a tap below the thumb pages down";
    SendMessageW(lb, LB_SETTOPINDEX, 0, 0);
    const POINT grab = ScreenOf(lb, strip, GetSystemMetrics(SM_CXVSCROLL) + 3);
    device::ui::InjectStylus(device::ui::StylusAction::Down, grab);
    device::ui::PumpUntilIdle();
    device::ui::InjectStylus(device::ui::StylusAction::Move, POINT{grab.x, grab.y + client.bottom});
    device::ui::PumpUntilIdle();
    device::ui::InjectStylus(device::ui::StylusAction::Up, POINT{grab.x, grab.y + client.bottom});
    device::ui::PumpUntilIdle();
    EXPECT_EQ(top(), 40 - page) << "the thumb dragged to the end";

    HWND other = Make(LBS_NOTIFY);
    SetWindowPos(other, nullptr, 10, 150, 120, 60, SWP_NOZORDER);
    Add(other, {L"a", L"b"});
    TapClient(lb, client.right / 2, client.bottom + GetSystemMetrics(SM_CYHSCROLL) / 2);
    EXPECT_GT(GetScrollPos(lb, SB_HORZ), 0) << "the bar's track pages sideways";
    EXPECT_EQ(GetCapture(), nullptr);
    TapClient(other, 10, 20);
    EXPECT_EQ(SendMessageW(other, LB_GETCURSEL, 0, 0), 1) << "the next tap is not held by the first list";
}

TEST_F(ListBox, WithoutNoIntegralHeightTheBoxShowsWholeItemsOnly) {
    HWND lb = Create(WC_LISTBOXW, 0, 1, 0, 0, 100, 100);
    int h = static_cast<int>(SendMessageW(lb, LB_GETITEMHEIGHT, 0, 0));
    RECT client;
    GetClientRect(lb, &client);
    EXPECT_EQ(client.bottom % h, 0);
    HWND free = Create(WC_LISTBOXW, LBS_NOINTEGRALHEIGHT, 2, 0, 0, 100, 100);
    GetClientRect(free, &client);
    EXPECT_EQ(client.bottom, 100);
}

TEST_F(ListBox, HandlersThatChangeTheListDuringANotificationAreSafe) {
    HWND lb = Make(LBS_NOTIFY);
    Add(lb, {L"a", L"b", L"c"});
    int h = static_cast<int>(SendMessageW(lb, LB_GETITEMHEIGHT, 0, 0));
    onCommand = [&](HWND from, int code) {
        if (from == lb && code == LBN_SELCHANGE) SendMessageW(lb, LB_RESETCONTENT, 0, 0);
        if (from == lb && code == LBN_SETFOCUS) SendMessageW(lb, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    };
    TapClient(lb, 10, 2 * h + 1);
    EXPECT_EQ(SendMessageW(lb, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(lb, LB_GETCURSEL, 0, 0), LB_ERR);
    Key(VK_DOWN);
    // A handler destroying the list while it notifies.
    Add(lb, {L"a", L"b"});
    onCommand = [&](HWND from, int code) {
        if (from == lb && code == LBN_SELCHANGE) DestroyWindow(lb);
    };
    Key(VK_DOWN);
    EXPECT_FALSE(IsWindow(lb));
}

TEST_F(ListBox, SelectedItemIsPaintedInTheHighlightColour) {
    HWND lb = Make(0);
    Add(lb, {L"one", L"two", L"three"});
    SendMessageW(lb, LB_SETCURSEL, 1, 0);
    UpdateWindow(lb);
    device::ui::PumpUntilIdle();
    RECT r;
    SendMessageW(lb, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    POINT in = ScreenOf(lb, r.right - 3, (r.top + r.bottom) / 2);
    POINT other = ScreenOf(lb, r.right - 3, r.bottom + (r.bottom - r.top) / 2);
    EXPECT_EQ(Pixel(in.x, in.y), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(other.x, other.y), GetSysColor(COLOR_WINDOW));
}

TEST_F(ListBox, OwnerDrawnListAsksItsParentToDrawEachVisibleItem) {
    HWND lb = Make(LBS_OWNERDRAWFIXED);
    Add(lb, {L"a", L"b"});
    SendMessageW(lb, LB_SETITEMDATA, 1, 77);
    SendMessageW(lb, LB_SETCURSEL, 1, 0);
    std::vector<DRAWITEMSTRUCT> drawn;
    onDrawItem = [&](const DRAWITEMSTRUCT& d) { drawn.push_back(d); };
    InvalidateRect(lb, nullptr, TRUE);
    UpdateWindow(lb);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[1].CtlType, static_cast<UINT>(ODT_LISTBOX));
    EXPECT_EQ(drawn[1].CtlID, 1173u);
    EXPECT_EQ(drawn[1].itemID, 1u);
    EXPECT_EQ(drawn[1].itemData, 77u);
    EXPECT_TRUE(drawn[1].itemState & ODS_SELECTED);
    EXPECT_FALSE(drawn[0].itemState & ODS_SELECTED);
}

} // namespace
