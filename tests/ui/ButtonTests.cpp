// Buttons: clicks only when the stylus is lifted inside, check boxes, auto radio groups,
// owner-drawn states, styles and messages.

#include "UiTestSupport.h"
#include "platform/ui/Controls.h"

using namespace uitest;

namespace {

class ButtonTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        device::ui::RegisterBasicControlClasses();
        parent = Top(0, 30, 240, 200);
    }
    HWND MakeButton(int id, DWORD style, int y, const wchar_t* text = L"Button") {
        return CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | style, 10, y, 100, 24, parent,
                               reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    }
    int Clicks(int id) {
        int n = 0;
        for (const Logged& l : Matching(WM_COMMAND))
            if (l.hwnd == parent && LOWORD(l.wParam) == id && HIWORD(l.wParam) == BN_CLICKED) ++n;
        return n;
    }
    static POINT Centre(HWND h) {
        RECT r;
        GetWindowRect(h, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    HWND parent = nullptr;
};

TEST_F(ButtonTest, PressedWhileStylusOnItClickOnlyWhenLiftedInside) {
    HWND b = MakeButton(1, BS_PUSHBUTTON, 10);
    POINT c = Centre(b);
    device::ui::InjectStylus(device::ui::StylusAction::Down, c);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
    EXPECT_EQ(Clicks(1), 0);
    device::ui::InjectStylus(device::ui::StylusAction::Move, POINT{c.x + 100, c.y + 100});
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
    device::ui::InjectStylus(device::ui::StylusAction::Up, POINT{c.x + 100, c.y + 100});
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Clicks(1), 0);  // lifted outside: no click
    device::ui::InjectStylus(device::ui::StylusAction::Down, c);
    device::ui::InjectStylus(device::ui::StylusAction::Up, c);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(Clicks(1), 1);
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(b, BM_CLICK, 0, 0);
    EXPECT_EQ(Clicks(1), 2);
    EnableWindow(b, FALSE);
    SendMessageW(b, BM_CLICK, 0, 0);
    EXPECT_EQ(Clicks(1), 2);
}

TEST_F(ButtonTest, CheckBoxes) {
    HWND autoBox = MakeButton(2, BS_AUTOCHECKBOX, 10);
    HWND plain = MakeButton(3, BS_CHECKBOX, 40);
    SendMessageW(autoBox, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(autoBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(parent, 2), static_cast<UINT>(BST_CHECKED));
    SendMessageW(autoBox, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(autoBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Clicks(2), 2);
    // A plain check box only reports the click; its owner sets it.
    SendMessageW(plain, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(plain, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Clicks(3), 1);
    CheckDlgButton(parent, 3, BST_CHECKED);
    EXPECT_EQ(SendMessageW(plain, BM_GETCHECK, 0, 0), BST_CHECKED);
    // An indeterminate state only exists for three-state boxes.
    SendMessageW(plain, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(SendMessageW(plain, BM_GETCHECK, 0, 0), BST_CHECKED);
    // Space presses and clicks the focused box.
    SetFocus(autoBox);
    device::ui::InjectKey(VK_SPACE, true);
    device::ui::InjectKey(VK_SPACE, false);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(SendMessageW(autoBox, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ButtonTest, AutoRadioGroupsEndAtTheNextGroup) {
    HWND a = MakeButton(10, BS_AUTORADIOBUTTON | WS_GROUP, 10, L"A");
    HWND b = MakeButton(11, BS_AUTORADIOBUTTON, 40, L"B");
    HWND c = MakeButton(12, BS_AUTORADIOBUTTON, 70, L"C");
    HWND d = MakeButton(13, BS_AUTORADIOBUTTON | WS_GROUP, 100, L"D");
    SendMessageW(d, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(a, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(a, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(c, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(d, BM_GETCHECK, 0, 0), BST_CHECKED);  // another group
    // The checked radio button is the group's tab stop.
    EXPECT_TRUE(GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLongW(a, GWL_STYLE) & WS_TABSTOP);
    CheckRadioButton(parent, 10, 12, 11);
    EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(CheckRadioButton(parent, 0x7FFFFFF0, 0x7FFFFFFF, 1));  // a span near the top of int ends
}

TEST_F(ButtonTest, OwnerDrawnButtonGetsItsStates) {
    HWND b = MakeButton(20, BS_OWNERDRAW, 10);
    // The context handed over already holds the button's own font.
    HFONT font = CreateFontW(-17, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    InvalidateRect(b, nullptr, TRUE);
    std::vector<UINT> states;
    std::vector<HGDIOBJ> fonts;
    CurrentHandler() = [&](HWND, UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
        if (msg != WM_DRAWITEM) return false;
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        EXPECT_EQ(dis->CtlType, static_cast<UINT>(ODT_BUTTON));
        EXPECT_EQ(dis->CtlID, 20u);
        EXPECT_EQ(dis->hwndItem, b);
        EXPECT_NE(dis->hDC, nullptr);
        states.push_back(dis->itemState);
        fonts.push_back(GetCurrentObject(dis->hDC, OBJ_FONT));
        result = TRUE;
        return true;
    };
    device::ui::PumpUntilIdle();
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), 0u);
    SetFocus(b);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(states.back(), static_cast<UINT>(ODS_FOCUS));
    SendMessageW(b, BM_SETSTATE, TRUE, 0);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(states.back(), static_cast<UINT>(ODS_FOCUS | ODS_SELECTED));
    SendMessageW(b, BM_SETSTATE, FALSE, 0);
    SetFocus(parent);
    EnableWindow(b, FALSE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(states.back(), static_cast<UINT>(ODS_DISABLED));
    for (HGDIOBJ f : fonts) EXPECT_EQ(f, font);
    DestroyWindow(b);
    DeleteObject(font);
}

TEST_F(ButtonTest, SetStyleFontAndDialogCodes) {
    HWND b = MakeButton(30, BS_PUSHBUTTON, 10);
    EXPECT_EQ(SendMessageW(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    SendMessageW(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(GetWindowLongW(b, GWL_STYLE) & BS_TYPEMASK, static_cast<LONG_PTR>(BS_DEFPUSHBUTTON));
    EXPECT_TRUE(GetWindowLongW(b, GWL_STYLE) & WS_VISIBLE);  // the high style bits stay
    EXPECT_EQ(SendMessageW(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Liberation Sans");
    SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(b, WM_GETFONT, 0, 0)), font);
    DestroyWindow(b);
    DeleteObject(font);
}

TEST_F(ButtonTest, ControlsInsideAGroupBoxShowAndTakeTaps) {
    // The group box is created first, so it lies above the box inside it.
    HWND group = CreateWindowExW(0, L"BUTTON", L"Group", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 5, 5, 200, 100, parent,
                                 reinterpret_cast<HMENU>(50), nullptr, nullptr);
    HWND inner = MakeButton(51, BS_AUTOCHECKBOX, 40);
    EXPECT_TRUE(GetWindowLongW(group, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    POINT c = Centre(inner);
    EXPECT_EQ(WindowFromPoint(c), inner);
    device::ui::InjectStylus(device::ui::StylusAction::Down, c);
    device::ui::PumpUntilIdle();
    device::ui::InjectStylus(device::ui::StylusAction::Up, c);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(SendMessageW(inner, BM_GETCHECK, 0, 0), BST_CHECKED);
    // The box inside is painted: its check box frame is drawn over the group's area.
    RECT r;
    GetWindowRect(inner, &r);
    EXPECT_EQ(Pixel(r.left, (r.top + r.bottom) / 2), GetSysColor(COLOR_WINDOWTEXT));
}

TEST_F(ButtonTest, HandlerDestroyingTheButtonOnClick) {
    HWND b = MakeButton(40, BS_AUTOCHECKBOX, 10);
    CurrentHandler() = [&](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT&) {
        if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) DestroyWindow(b);
        return false;
    };
    POINT c = Centre(b);
    device::ui::InjectStylus(device::ui::StylusAction::Down, c);
    device::ui::InjectStylus(device::ui::StylusAction::Up, c);
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(IsWindow(b));
    EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace
