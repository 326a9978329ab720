// Combo box: the order of its notifications for a stylus pick, a keyboard change and a focus
// change; sorted contents and case-blind finding; the drop-down list's height (at least five rows,
// inside the work area) and width; the edit
// field of CBS_DROPDOWN; bad input.

#include "ListBoxTestSupport.h"
#include "support/Screenshots.h"

#include "platform/gdi/ImageFiles.h"
#include "platform/ui/Controls.h"

#include <filesystem>

using namespace uitest;

namespace {

class ComboBox : public ListControlTest {
protected:
    void SetUp() override {
        ListControlTest::SetUp();
        device::ui::RegisterBasicControlClasses();
    }
    HWND Make(DWORD style, int height = 150) {
        HWND c = Create(WC_COMBOBOXW, style | WS_VSCROLL | WS_TABSTOP, 1005, 20, 30, 120, height);
        Add(c, {L"Amsterdam", L"Berlin", L"Cairo", L"Dakar", L"Lisbon", L"Paris", L"Rome", L"Oslo", L"Tokyo",
                L"Vienna", L"Warsaw", L"Zurich"},
            CB_ADDSTRING);
        return c;
    }
    static HWND ListOf(HWND combo) {
        // The drop-down list is the visible top-most "ComboLBox" popup.
        for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
            wchar_t name[32];
            GetClassNameW(h, name, 32);
            if (std::wstring(name) == WC_COMBOLBOXW && IsWindowVisible(h)) return h;
        }
        (void)combo;
        return nullptr;
    }
    static std::wstring Text(HWND hwnd) {
        wchar_t buf[64] = {};
        GetWindowTextW(hwnd, buf, 64);
        return buf;
    }
    // Taps item i of the open list.
    static void TapItem(HWND list, int i) {
        RECT r;
        ASSERT_EQ(SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)), 1);
        TapClient(list, 10, (r.top + r.bottom) / 2);
    }
};

TEST_F(ComboBox, StylusPickSendsSelChangeThenSelEndOkThenCloseUp) {
    HWND c = Make(CBS_DROPDOWNLIST | CBS_SORT);
    SendMessageW(c, CB_SETCURSEL, 1, 0);
    TapClient(c, 30, 5);
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN}));
    EXPECT_TRUE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
    HWND list = ListOf(c);
    ASSERT_NE(list, nullptr);
    RECT lr, cr;
    GetWindowRect(list, &lr);
    GetWindowRect(c, &cr);
    EXPECT_EQ(lr.top, cr.bottom);  // opens under the field
    EXPECT_EQ(lr.left, cr.left);
    heard.clear();
    TapItem(list, 3);
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 3);
    EXPECT_FALSE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(Text(c), L"Dakar");
}

TEST_F(ComboBox, PickingTheCurrentItemClosesWithoutSelChange) {
    HWND c = Make(CBS_DROPDOWNLIST);
    SendMessageW(c, CB_SETCURSEL, 2, 0);
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    device::ui::PumpUntilIdle();
    heard.clear();
    TapItem(ListOf(c), 2);
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 2);
}

TEST_F(ComboBox, TapOutsideTheOpenListCancelsAndKeepsTheSelection) {
    HWND c = Make(CBS_DROPDOWNLIST);
    HWND other = Create(WC_LISTBOXW, LBS_NOTIFY, 7, 150, 200, 80, 60);
    SendMessageW(c, CB_SETCURSEL, 4, 0);
    TapClient(c, 30, 5);
    HWND list = ListOf(c);
    ASSERT_NE(list, nullptr);
    // Drag the stylus over another item, then lift it outside the list: only a highlight.
    RECT r;
    int other1 = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0)) + 1;
    ASSERT_NE(other1, 4);
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(other1), reinterpret_cast<LPARAM>(&r));
    device::ui::InjectStylus(device::ui::StylusAction::Down, ScreenOf(list, 10, r.top + 2));
    device::ui::PumpUntilIdle();
    RECT lc;
    GetClientRect(list, &lc);
    device::ui::InjectStylus(device::ui::StylusAction::Move, ScreenOf(list, 10, r.top + 3));
    device::ui::InjectStylus(device::ui::StylusAction::Up, ScreenOf(list, 10, lc.bottom + 20));
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
    heard.clear();
    TapClient(other, 10, 10);
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_TRUE(CodesFrom(other).empty());  // the closing list took the tap
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(Text(c), L"Lisbon");
}

// The open list's scroll strip scrolls the list where its thumb says and chooses nothing.
TEST_F(ComboBox, TheOpenListsScrollStripScrollsWithoutAChoice) {
    HWND c = Create(WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL, 41, 10, 10, 100, 20);
    for (int i = 0; i < 60; ++i) Add(c, {L"c" + std::to_wstring(i)}, CB_ADDSTRING);
    SendMessageW(c, CB_SETCURSEL, 50, 0);
    TapClient(c, 30, 5);
    HWND list = ListOf(c);
    ASSERT_NE(list, nullptr);
    const int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    ASSERT_GT(top, 10);
    RECT lc;
    GetClientRect(list, &lc);
    heard.clear();
    TapClient(list, lc.right + GetSystemMetrics(SM_CXVSCROLL) / 2, lc.bottom / 3);
    EXPECT_LT(SendMessageW(list, LB_GETTOPINDEX, 0, 0), top) << "above the thumb: a page up";
    EXPECT_TRUE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_TRUE(CodesFrom(c).empty());
    EXPECT_EQ(GetCapture(), list) << "the open list still takes the stylus";
}

TEST_F(ComboBox, KeyboardChangesNotifyAtOnceAndReturnEndsTheOpenList) {
    HWND c = Make(CBS_DROPDOWNLIST);
    SendMessageW(c, CB_SETCURSEL, 0, 0);
    SetFocus(c);
    device::ui::PumpUntilIdle();
    heard.clear();
    Key(VK_DOWN);
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_SELCHANGE}));
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 1);
    Key(VK_UP);
    Key(VK_UP);  // already on the first item: nothing
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_SELCHANGE, CBN_SELCHANGE}));
    heard.clear();
    Key(VK_F4);  // F4 opens
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 1);
    heard.clear();
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    Key(VK_ESCAPE);
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));

    // alt with Down or Up opens and closes it as F4 does; Down alone still moves the pick.
    heard.clear();
    device::ui::InjectKey(VK_MENU, true);
    Key(VK_DOWN);
    device::ui::InjectKey(VK_MENU, false);
    EXPECT_TRUE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
    Key(VK_DOWN);
    device::ui::InjectKey(VK_MENU, true);
    Key(VK_UP);
    device::ui::InjectKey(VK_MENU, false);
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 2);
}

// Escape and a tap outside cancel: the selection and the field's text come back as the list
// opened with them, and the parent hears no selection change for it; a tap outside keeps what
// was typed; a list the program closes puts nothing back.
TEST_F(ComboBox, TheUsersCancelPutsBackTheChoiceTheListOpenedWith) {
    for (DWORD style : {CBS_DROPDOWNLIST, CBS_DROPDOWN}) {
        HWND c = Make(style);
        SendMessageW(c, CB_SETCURSEL, 5, 0); // Paris
        SetFocus(c);
        Key(VK_F4);
        Key(VK_DOWN);
        Key(VK_DOWN);
        EXPECT_EQ(Text(c), L"Oslo");
        heard.clear();
        Key(VK_ESCAPE);
        EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_SELENDCANCEL, CBN_CLOSEUP})) << style;
        EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 5) << style;
        EXPECT_EQ(Text(c), L"Paris") << style;

        // A highlight moved, then a tap beside the list.
        Key(VK_F4);
        Key(VK_UP);
        TapClient(c, 200, 5);
        EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 5) << style;
        EXPECT_EQ(Text(c), L"Paris") << style;
        DestroyWindow(c);
    }

    HWND c = Make(CBS_DROPDOWN);
    SendMessageW(c, CB_SETCURSEL, 5, 0);
    SetFocus(c);
    Key(VK_F4);
    SendMessageW(c, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    device::ui::InjectText(L"Rom");
    device::ui::PumpUntilIdle();
    TapClient(c, 200, 5); // typed, then a tap outside: the text stays for the parent to read
    EXPECT_FALSE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(Text(c), L"Rom");
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 6);
    Key(VK_F4);
    SendMessageW(c, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    device::ui::InjectText(L"Osl");
    device::ui::PumpUntilIdle();
    Key(VK_ESCAPE); // Escape undoes the typing too: the field reads as the list opened
    EXPECT_EQ(Text(c), L"Rom");
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 6);

    // A parent that moves the focus as it takes a change has taken it: nothing comes back.
    HWND other = Create(WC_LISTBOXW, 0, 7, 150, 200, 80, 60);
    onCommand = [&](HWND from, int code) {
        if (from == c && code == CBN_SELCHANGE) SetFocus(other);
    };
    SetFocus(c);
    Key(VK_F4);
    Key(VK_DOWN);
    EXPECT_FALSE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 7);
    onCommand = nullptr;
}

// Typing in an open list highlights the item the text names whole before the first that begins
// with it: "Porto" is found though "Porto Alegre" comes first. The combo knows nothing of what
// its texts mean: the parent, told at CBN_EDITCHANGE, may move the highlight through the list
// GetComboBoxInfo gives, and the typed text stays as typed.
TEST_F(ComboBox, TypingHighlightsTheWholeNameBeforeALongerOne) {
    HWND c = Create(WC_COMBOBOXW, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 1005, 20, 30, 120, 150);
    Add(c, {L"Porto Alegre", L"Porto", L"Porto Velho", L"Santiago de Cuba", L"Santiago (Chile)"}, CB_ADDSTRING);
    SetFocus(c);
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    SetWindowTextW(c, L"porto");
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 1);
    SetWindowTextW(c, L"Port");
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 0);
    SetWindowTextW(c, L"Santiago");
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 3);

    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetComboBoxInfo(c, &info));
    onCommand = [&](HWND from, int code) {
        if (from == c && code == CBN_EDITCHANGE) SendMessageW(info.hwndList, LB_SETCURSEL, 4, 0);
    };
    SetWindowTextW(c, L"SANTIAGO");
    onCommand = nullptr;
    EXPECT_EQ(Text(c), L"SANTIAGO");
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 4);
}

TEST_F(ComboBox, FocusChangeSendsKillFocusWhileTheListIsStillOpen) {
    HWND c = Make(CBS_DROPDOWN);
    HWND other = Create(WC_LISTBOXW, 0, 7, 150, 200, 80, 60);
    SetFocus(c);
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    device::ui::PumpUntilIdle();
    bool openAtKillFocus = false;
    onCommand = [&](HWND from, int code) {
        if (from == c && code == CBN_KILLFOCUS) openAtKillFocus = SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0) != 0;
    };
    heard.clear();
    SetFocus(other);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(openAtKillFocus);
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_KILLFOCUS, CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_FALSE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));

    // The clocks page closes the list itself from CBN_KILLFOCUS and hides the combo.
    SetFocus(c);
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    device::ui::PumpUntilIdle();
    onCommand = [&](HWND from, int code) {
        if (from == c && code == CBN_KILLFOCUS) {
            SendMessageW(c, CB_SHOWDROPDOWN, FALSE, 0);
            ShowWindow(c, SW_HIDE);
        }
    };
    heard.clear();
    SetFocus(other);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_KILLFOCUS, CBN_CLOSEUP}));
    // Focus moving between the combo and its own edit field is no focus change.
    ShowWindow(c, SW_SHOW);
    heard.clear();
    SetFocus(c);
    HWND edit = GetDlgItem(c, IDC_COMBOEDIT);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetFocus(), edit);
    SetFocus(c);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_SETFOCUS}));
}

TEST_F(ComboBox, ReselectingInsideSelEndOkAsTheClocksPageDoesKeepsTheOrder) {
    HWND c = Make(CBS_DROPDOWN);
    SendMessageW(c, CB_SETCURSEL, 0, 0);
    std::vector<int> selectionAtCloseUp;
    onCommand = [&](HWND from, int code) {
        if (from != c) return;
        if (code == CBN_SELENDOK) {
            int sel = static_cast<int>(SendMessageW(c, CB_GETCURSEL, 0, 0));
            std::wstring t = LbText(c, sel, CB_GETLBTEXTLEN, CB_GETLBTEXT);
            int found = static_cast<int>(
                SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(t.c_str())));
            SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
        }
        if (code == CBN_CLOSEUP) {
            std::wstring t = Text(c);
            selectionAtCloseUp.push_back(static_cast<int>(
                SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(t.c_str()))));
        }
    };
    RECT cr;
    GetClientRect(c, &cr);
    TapClient(c, cr.right - 4, 5);  // the arrow
    ASSERT_NE(ListOf(c), nullptr);
    heard.clear();
    TapItem(ListOf(c), 5);
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_EQ(selectionAtCloseUp, (std::vector<int>{5}));
    EXPECT_EQ(Text(c), L"Paris");
}

TEST_F(ComboBox, EditFieldTypingReportsEditUpdateThenEditChange) {
    HWND c = Make(CBS_DROPDOWN | CBS_AUTOHSCROLL);
    HWND edit = GetDlgItem(c, IDC_COMBOEDIT);
    ASSERT_NE(edit, nullptr);
    SendMessageW(c, CB_SETCURSEL, 2, 0);
    EXPECT_EQ(Text(c), L"Cairo");
    EXPECT_TRUE(CodesFrom(c).empty());  // the combo's own text updates are not the user's typing
    SetFocus(c);
    SendMessageW(c, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    heard.clear();
    device::ui::InjectText(L"ro");
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Text(c), L"ro");
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_EDITUPDATE, CBN_EDITCHANGE, CBN_EDITUPDATE, CBN_EDITCHANGE}));
    // Typed text names no item until it matches one.
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), CB_ERR);
    // With the list open the typed prefix is followed.
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    SetWindowTextW(c, L"vi");
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 9);
    heard.clear();
    Key(VK_RETURN);
    EXPECT_EQ(CodesFrom(c), (std::vector<int>{CBN_SELENDOK, CBN_CLOSEUP}));
}

TEST_F(ComboBox, SortedContentsAndCaseBlindFinding) {
    HWND c = Create(WC_COMBOBOXW, CBS_DROPDOWNLIST | CBS_SORT, 1163, 0, 0, 100, 100);
    EXPECT_EQ(SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Norway")), 0);
    EXPECT_EQ(SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"austria")), 0);
    EXPECT_EQ(SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Brazil")), 1);
    EXPECT_EQ(SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"nepal")), 2);
    EXPECT_EQ(SendMessageW(c, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"zz")), 0);  // insert does not sort
    EXPECT_EQ(SendMessageW(c, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"NORWAY")), 4);
    EXPECT_EQ(SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Nor")), CB_ERR);
    EXPECT_EQ(SendMessageW(c, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"N")), 3);
    EXPECT_EQ(SendMessageW(c, CB_FINDSTRING, 3, reinterpret_cast<LPARAM>(L"n")), 4);
    EXPECT_EQ(SendMessageW(c, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"bra")), 2);
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Text(c), L"Brazil");
    EXPECT_EQ(SendMessageW(c, CB_SETITEMDATA, 2, 4242), 0);
    EXPECT_EQ(SendMessageW(c, CB_GETITEMDATA, 2, 0), 4242);
    EXPECT_EQ(SendMessageW(c, CB_DELETESTRING, 2, 0), 4);
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(Text(c), L"");
    EXPECT_EQ(SendMessageW(c, CB_RESETCONTENT, 0, 0), CB_OKAY);
    EXPECT_EQ(SendMessageW(c, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(ComboBox, BadIndexesAndEmptyCombosAnswerCbErr) {
    HWND c = Create(WC_COMBOBOXW, CBS_DROPDOWNLIST, 1, 0, 0, 100, 100);
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(c, CB_SETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(c, CB_GETLBTEXTLEN, 0, 0), CB_ERR);
    wchar_t buf[4] = L"ab";
    EXPECT_EQ(SendMessageW(c, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buf)), CB_ERR);
    EXPECT_STREQ(buf, L"ab");
    EXPECT_EQ(SendMessageW(c, CB_DELETESTRING, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"x")), CB_ERR);
    EXPECT_EQ(SendMessageW(c, CB_GETITEMDATA, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(c, CB_LIMITTEXT, 5, 0), CB_ERR);  // no edit field in a drop-down list
    EXPECT_EQ(SendMessageW(c, CB_GETDROPPEDCONTROLRECT, 0, 0), CB_ERR);
    Add(c, {L"one"}, CB_ADDSTRING);
    EXPECT_EQ(SendMessageW(c, CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(c, CB_GETLBTEXTLEN, static_cast<WPARAM>(-2), 0), CB_ERR);
    EXPECT_EQ(SendMessageW(c, CB_SETITEMHEIGHT, 0, 0), CB_ERR);
    // Selecting -1 clears the selection and the field.
    SendMessageW(c, CB_SETCURSEL, 0, 0);
    SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(SendMessageW(c, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(GetWindowTextLengthW(c), 0);
    // A short buffer gets a cut, terminated copy of the field.
    SendMessageW(c, CB_SETCURSEL, 0, 0);
    wchar_t small[3];
    EXPECT_EQ(GetWindowTextW(c, small, 3), 2);
    EXPECT_STREQ(small, L"on");
}

TEST_F(ComboBox, DropHeightFollowsTheWindowHeightAsTheProgramSetsIt) {
    HWND c = Make(CBS_DROPDOWN, 200);
    // More items than the screen holds, so that the list shows the rows it was sized for.
    for (int i = 0; i < 20; ++i)
        Add(c, {L"z" + std::to_wstring(i)}, CB_ADDSTRING);
    int field = static_cast<int>(SendMessageW(c, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    int item = static_cast<int>(SendMessageW(c, CB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(field, 0);
    ASSERT_GT(item, 0);
    RECT client, window, dropped;
    GetClientRect(c, &client);
    GetWindowRect(c, &window);
    EXPECT_EQ(window.bottom - window.top, client.bottom);  // the window is as high as its field
    ASSERT_TRUE(SendMessageW(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)));
    EXPECT_EQ(dropped.top, window.top);
    EXPECT_EQ(dropped.bottom - dropped.top, 200);
    EXPECT_EQ(dropped.right - dropped.left, 120);

    // The drop-height helper of the program: n items of the field's height under the field.
    POINT tl{dropped.left, dropped.top};
    ScreenToClient(parent, &tl);
    MoveWindow(c, tl.x, tl.y, dropped.right - dropped.left, field * 4 + client.bottom, TRUE);
    GetWindowRect(c, &window);
    EXPECT_EQ(window.bottom - window.top, client.bottom);
    SendMessageW(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_EQ(dropped.bottom - dropped.top, field * 4 + client.bottom);
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = ListOf(c);
    ASSERT_NE(list, nullptr);
    RECT lr;
    GetWindowRect(list, &lr);
    int shown = (lr.bottom - lr.top - 2) / item;
    EXPECT_EQ(shown, 5) << "four rows asked for, the device's five shown";
    // The list scrolls to keep the selection in view.
    SendMessageW(c, CB_SHOWDROPDOWN, FALSE, 0);
    SendMessageW(c, CB_SETCURSEL, 11, 0);
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    int top = static_cast<int>(SendMessageW(c, CB_GETTOPINDEX, 0, 0));
    EXPECT_GT(top, 0);
    EXPECT_LE(top, 11);
    EXPECT_GT(top + shown, 11);
}

TEST_F(ComboBox, DroppedWidthWidensTheListNotTheCombo) {
    HWND c = Make(CBS_DROPDOWNLIST);
    EXPECT_EQ(SendMessageW(c, CB_GETDROPPEDWIDTH, 0, 0), 120);
    SendMessageW(c, CB_SETDROPPEDWIDTH, 180, 0);
    EXPECT_EQ(SendMessageW(c, CB_GETDROPPEDWIDTH, 0, 0), 180);
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    RECT lr, cr;
    GetWindowRect(ListOf(c), &lr);
    GetWindowRect(c, &cr);
    EXPECT_EQ(lr.right - lr.left, 180);
    EXPECT_EQ(cr.right - cr.left, 120);
    SendMessageW(c, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_F(ComboBox, ListOpensAboveTheFieldNearTheBottomOfTheScreen) {
    HWND c = Create(WC_COMBOBOXW, CBS_DROPDOWNLIST, 3, 10, 250, 100, 150);
    for (int i = 0; i < 20; ++i) Add(c, {L"n" + std::to_wstring(i)}, CB_ADDSTRING);
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    RECT lr, cr;
    GetWindowRect(ListOf(c), &lr);
    GetWindowRect(c, &cr);
    EXPECT_EQ(lr.bottom, cr.top);
    EXPECT_GE(lr.top, 0);
}

TEST_F(ComboBox, ListShowsAtLeastFiveRowsInsideTheWorkArea) {
    // A combo at client y (parent at y 26) sized for `asked` rows as the program's drop-height
    // helper does (0: the field alone); the rows its open list shows and where it lies.
    auto open = [&](int y, int asked, int items, RECT& lr, RECT& cr) {
        HWND c = Create(WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL, 40, 10, y, 100, 20);
        RECT client;
        GetClientRect(c, &client);
        int field = static_cast<int>(SendMessageW(c, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
        if (asked) MoveWindow(c, 10, y, 100, field * asked + client.bottom, TRUE);
        for (int i = 0; i < items; ++i) Add(c, {L"c" + std::to_wstring(i)}, CB_ADDSTRING);
        SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
        HWND list = ListOf(c);
        EXPECT_NE(list, nullptr);
        GetWindowRect(list, &lr);
        GetWindowRect(c, &cr);
        int item = static_cast<int>(SendMessageW(c, CB_GETITEMHEIGHT, 0, 0));
        SendMessageW(c, CB_SHOWDROPDOWN, FALSE, 0);
        DestroyWindow(c);
        return (lr.bottom - lr.top - 2) / item;
    };
    RECT lr, cr;
    // Laid out as high as the field alone (as the map's and the tools' combos end up): five rows.
    EXPECT_EQ(open(10, 0, 1200, lr, cr), 5);
    EXPECT_EQ(lr.top, cr.bottom);
    EXPECT_EQ(open(10, 0, 3, lr, cr), 3) << "every item when there are fewer";
    EXPECT_EQ(open(10, 8, 1200, lr, cr), 8) << "the rows the program asked for";
    EXPECT_EQ(open(10, 8, 2, lr, cr), 2) << "no empty rows";
    // Items that all fit beside the field are all shown, whatever the rows asked for.
    EXPECT_EQ(open(10, 0, 6, lr, cr), 6);
    EXPECT_EQ(open(10, 8, 12, lr, cr), 12);
    EXPECT_EQ(open(250, 0, 7, lr, cr), 7);
    EXPECT_EQ(lr.bottom, cr.top) << "upward, where they fit";
    // Near the bottom: upward, below the taskbar.
    EXPECT_EQ(open(250, 0, 1200, lr, cr), 5);
    EXPECT_EQ(lr.bottom, cr.top);
    // Asked for far more rows than the screen holds: inside the work area, in whole rows.
    int rows = open(4, 100, 1200, lr, cr);
    EXPECT_EQ(lr.top, cr.bottom);
    EXPECT_LE(lr.bottom, 320);
    EXPECT_GT(rows, 5);
    rows = open(270, 100, 1200, lr, cr);
    EXPECT_EQ(lr.bottom, cr.top);
    EXPECT_GE(lr.top, device::ui::kTaskbarHeight);
    EXPECT_GT(rows, 5);
}

TEST_F(ComboBox, ScreenshotWithAnOpenDropDown) {
    HWND c = Make(CBS_DROPDOWN | CBS_SORT);
    SendMessageW(c, CB_SETCURSEL, 5, 0);
    TapClient(c, 115, 5);
    ASSERT_TRUE(SendMessageW(c, CB_GETDROPPEDSTATE, 0, 0));
    device::ui::PumpUntilIdle();
    HWND list = ListOf(c);
    RECT r;
    SendMessageW(list, LB_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&r));
    POINT sel = ScreenOf(list, 30, (r.top + r.bottom) / 2);
    EXPECT_EQ(Pixel(sel.x, sel.y), GetSysColor(COLOR_HIGHLIGHT));
    ASSERT_FALSE(testsupport::SaveScreenshot("combo-dropped").empty());
}

TEST_F(ComboBox, DestroyingTheComboWhileOpenLeavesNoList) {
    HWND c = Make(CBS_DROPDOWNLIST);
    onCommand = [&](HWND from, int code) {
        if (from == c && code == CBN_SELCHANGE) DestroyWindow(c);
    };
    SendMessageW(c, CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = ListOf(c);
    ASSERT_NE(list, nullptr);
    TapItem(list, 2);
    EXPECT_FALSE(IsWindow(c));
    EXPECT_FALSE(IsWindow(list));
    EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace
