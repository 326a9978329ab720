// The dialog manager: building dialogs from templates, dialog units, the focus rule, keyboard
// navigation, modal loops, the shell's dialog conventions and the helpers for dialog items.
#include "DialogTestSupport.h"

#include "platform/base/Utf8.h"
#include "platform/gdi/Recorder.h"
#include "platform/ui/Sip.h"

#include <map>

using namespace dlgtest;

namespace {

constexpr int kForm = 100, kPlain = 101, kBadClass = 102, kLists = 103, kSans = 104, kCentered = 105;

std::vector<int> ChildIds(HWND dialog) {
    std::vector<int> ids;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ids.push_back(GetDlgCtrlID(c));
    return ids;
}

int TopLevelCount() {
    int n = 0;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) ++n;
    return n;
}

RECT ChildRectInParent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Base units of a font measured the way the dialog manager promises to.
std::pair<int, int> MeasuredBaseUnits(HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SIZE size{};
    GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    SelectObject(dc, old);
    DeleteDC(dc);
    return {(size.cx / 26 + 1) / 2, tm.tmHeight};
}

} // namespace

// [SECTION] Building from templates

TEST_F(DialogTest, TemplateBuildsControlsInOrderWithFontAndInitDialog) {
    HWND firstSeen = nullptr;
    LPARAM paramSeen = 0;
    CurrentDlgHandler() = [&](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (msg != WM_INITDIALOG) return FALSE;
        firstSeen = reinterpret_cast<HWND>(wParam);
        paramSeen = lParam;
        return TRUE;
    };
    HWND dialog = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 77);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ChildIds(dialog), (std::vector<int>{1001, 1002, 1003, 1004, 1005, 1006}));
    EXPECT_EQ(firstSeen, GetDlgItem(dialog, 1001));
    EXPECT_EQ(paramSeen, 77);
    WCHAR caption[32];
    GetWindowTextW(dialog, caption, 32);
    EXPECT_STREQ(caption, L"Form");
    EXPECT_FALSE(IsWindowVisible(dialog)); // no WS_VISIBLE in the template
    // A control's own visibility comes from its template; it shows once the dialog does.
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, 1001), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongW(GetDlgItem(dialog, 1006), GWL_STYLE) & WS_VISIBLE);
    ShowWindow(dialog, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, 1001)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 1006)));

    // Every control gets the dialog's font, and sits where its dialog units say.
    auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(GetPropW(GetDlgItem(dialog, 1004), L"font"), font);
    RECT expected{60, 4, 110, 16};
    ASSERT_TRUE(MapDialogRect(dialog, &expected));
    RECT actual = ChildRectInParent(GetDlgItem(dialog, 1004));
    EXPECT_TRUE(EqualRect(&actual, &expected));
    RECT client, size{0, 0, 120, 80};
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
}

TEST_F(DialogTest, DialogUnitsFollowTheTemplateFontAtTheScreenResolution) {
    HWND sans = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kSans), nullptr, TestDlgProc, 0);
    ASSERT_NE(sans, nullptr);
    auto font = reinterpret_cast<HFONT>(SendMessageW(sans, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    ASSERT_NE(GetObjectW(font, sizeof(lf), &lf), 0);
    EXPECT_EQ(lf.lfHeight, -11); // 8 points at 96 dots per inch
    EXPECT_STREQ(lf.lfFaceName, L"MS Sans Serif");
    auto [bx, by] = MeasuredBaseUnits(font);
    RECT r{4, 8, 141, 102};
    MapDialogRect(sans, &r);
    EXPECT_EQ(r.left, bx);
    EXPECT_EQ(r.top, by);
    EXPECT_EQ(r.right, (141 * bx + 2) / 4);
    EXPECT_EQ(r.bottom, (102 * by + 4) / 8);

    // A template without a font uses the system font, whose units GetDialogBaseUnits gives.
    HWND plain = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kCentered), nullptr, TestDlgProc, 0);
    ASSERT_NE(plain, nullptr);
    RECT unit{4, 8, 0, 0};
    MapDialogRect(plain, &unit);
    LONG base = GetDialogBaseUnits();
    EXPECT_EQ(unit.left, LOWORD(base));
    EXPECT_EQ(unit.top, HIWORD(base));
    EXPECT_EQ(std::make_pair(static_cast<int>(LOWORD(base)), static_cast<int>(HIWORD(base))),
              MeasuredBaseUnits(static_cast<HFONT>(GetStockObject(SYSTEM_FONT))));

    // DS_CENTER centres the dialog in the work area.
    RECT wr, work = device::ui::WorkArea();
    GetWindowRect(plain, &wr);
    EXPECT_LE(std::abs((wr.left + wr.right) - (work.left + work.right)), 1);
    EXPECT_LE(std::abs((wr.top + wr.bottom) - (work.top + work.bottom)), 1);

    RECT notADialog{1, 1, 1, 1};
    HWND top = Top(0, 0, 50, 50);
    EXPECT_FALSE(MapDialogRect(top, &notADialog));
}

TEST_F(DialogTest, BadTemplatesFailCleanly) {
    int before = TopLevelCount();
    SetLastError(0);
    EXPECT_EQ(CreateDialogParamW(Module(), MAKEINTRESOURCEW(kBadClass), nullptr, TestDlgProc, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    EXPECT_EQ(TopLevelCount(), before); // nothing left behind
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(kBadClass), nullptr, TestDlgProc, 0), -1);

    EXPECT_EQ(CreateDialogParamW(Module(), MAKEINTRESOURCEW(999), nullptr, TestDlgProc, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(999), nullptr, TestDlgProc, 0), -1);
    EXPECT_EQ(CreateDialogParamW(Module(), L"#notanumber", nullptr, TestDlgProc, 0), nullptr);

    const char garbage[64] = "definitely not a dialog template";
    EXPECT_EQ(CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(garbage), nullptr, TestDlgProc, 0),
              nullptr);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, nullptr, nullptr, TestDlgProc, 0), -1);
    EXPECT_EQ(TopLevelCount(), before);
}

TEST_F(DialogTest, IndirectTemplateFromTheModuleResource) {
    HRSRC found = FindResourceW(Module(), MAKEINTRESOURCEW(kPlain), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    auto tpl = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(Module(), found)));
    CurrentDlgHandler() = [](HWND dialog, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg == WM_INITDIALOG) EndDialog(dialog, 41);
        return msg == WM_INITDIALOG;
    };
    EXPECT_EQ(DialogBoxIndirectParamW(Module(), tpl, nullptr, TestDlgProc, 0), 41);
}

TEST_F(DialogTest, FocusRuleOfInitDialog) {
    CurrentDlgHandler() = [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; };
    HWND a = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetFocus(), GetDlgItem(a, 1001));
    DestroyWindow(a);

    CurrentDlgHandler() = [](HWND dialog, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg != WM_INITDIALOG) return FALSE;
        SetFocus(GetDlgItem(dialog, 1004));
        return FALSE;
    };
    HWND b = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    ASSERT_NE(b, nullptr);
    ShowWindow(b, SW_SHOW);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(GetFocus(), GetDlgItem(b, 1004));
}

// [SECTION] Keyboard navigation

TEST_F(DialogTest, TabOrderSkipsHiddenDisabledAndNonTabStops) {
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    auto item = [&](int id) { return GetDlgItem(d, id); };
    EXPECT_EQ(GetNextDlgTabItem(d, nullptr, FALSE), item(1001));
    EXPECT_EQ(GetNextDlgTabItem(d, nullptr, TRUE), item(1005));
    EXPECT_EQ(GetNextDlgTabItem(d, item(1002), FALSE), item(1004)); // 1003 has no tab stop
    EXPECT_EQ(GetNextDlgTabItem(d, item(1005), FALSE), item(1001)); // 1006 hidden, wraps round
    EXPECT_EQ(GetNextDlgTabItem(d, item(1001), TRUE), item(1005));
    EnableWindow(item(1002), FALSE);
    EXPECT_EQ(GetNextDlgTabItem(d, item(1001), FALSE), item(1004));

    // Groups: 1001-1003 and 1004-1006 (1006 hidden).
    EnableWindow(item(1002), TRUE);
    EXPECT_EQ(GetNextDlgGroupItem(d, item(1001), FALSE), item(1002));
    EXPECT_EQ(GetNextDlgGroupItem(d, item(1003), FALSE), item(1001));
    EXPECT_EQ(GetNextDlgGroupItem(d, item(1001), TRUE), item(1003));
    EXPECT_EQ(GetNextDlgGroupItem(d, item(1005), FALSE), item(1004));
    EXPECT_EQ(GetNextDlgTabItem(nullptr, nullptr, FALSE), nullptr);
}

TEST_F(DialogTest, TabShiftTabArrowsAndWantedKeys) {
    CurrentDlgHandler() = [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; };
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    ShowWindow(d, SW_SHOW);
    auto item = [&](int id) { return GetDlgItem(d, id); };
    SetFocus(item(1001));
    Key(item(1001), VK_TAB);
    EXPECT_EQ(GetFocus(), item(1002));
    // Shift counts once its own key message is taken, as from the keyboard.
    device::ui::InjectKey(VK_SHIFT, true);
    device::ui::PumpUntilIdle();
    Key(item(1002), VK_TAB);
    device::ui::InjectKey(VK_SHIFT, false);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(GetFocus(), item(1001));
    Key(item(1001), VK_DOWN);
    EXPECT_EQ(GetFocus(), item(1002));
    Key(item(1002), VK_UP);
    EXPECT_EQ(GetFocus(), item(1001));

    // A control that wants Tab and arrows gets the key itself.
    DlgCodes()[1001] = DLGC_WANTTAB | DLGC_WANTARROWS;
    Reset();
    Key(item(1001), VK_TAB);
    Key(item(1001), VK_DOWN);
    EXPECT_EQ(GetFocus(), item(1001));
    EXPECT_EQ(uitest::MessagesOf(item(1001), {WM_KEYDOWN}).size(), 2u);

    // A message for another window is not the dialog's.
    HWND other = Top(0, 0, 20, 20);
    MSG m{other, WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
    EXPECT_FALSE(IsDialogMessageW(d, &m));
}

// A scrollable form whose focus rests on the form itself (nothing in it takes the focus) scrolls
// by the arrows and the page keys; with the focus on a control the keys stay the control's.
TEST_F(DialogTest, AFormWithNothingToFocusScrollsByKeys) {
    std::vector<int> scrolls;
    CurrentDlgHandler() = [&](HWND, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
        if (msg == WM_VSCROLL && LOWORD(wParam) != SB_ENDSCROLL) scrolls.push_back(LOWORD(wParam));
        return msg == WM_INITDIALOG;
    };
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    ShowWindow(d, SW_SHOW);
    for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) EnableWindow(c, FALSE);
    SetFocus(d);
    ASSERT_EQ(GetFocus(), d);
    Key(d, VK_DOWN);
    EXPECT_TRUE(scrolls.empty()) << "a form without a scroll bar";
    SetWindowLongW(d, GWL_STYLE, GetWindowLongW(d, GWL_STYLE) | WS_VSCROLL);
    for (UINT vk : {VK_DOWN, VK_UP, VK_NEXT, VK_PRIOR, VK_END, VK_HOME, VK_LEFT}) Key(d, vk);
    EXPECT_EQ(scrolls, (std::vector<int>{SB_LINEDOWN, SB_LINEUP, SB_PAGEDOWN, SB_PAGEUP, SB_BOTTOM, SB_TOP}));
    scrolls.clear();
    EnableWindow(GetDlgItem(d, 1001), TRUE);
    SetFocus(GetDlgItem(d, 1001));
    Key(GetDlgItem(d, 1001), VK_NEXT);
    Key(GetDlgItem(d, 1001), VK_DOWN);
    EXPECT_TRUE(scrolls.empty());
}

TEST_F(DialogTest, EnterEscAndTheDefaultButton) {
    CurrentDlgHandler() = [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR { return msg == WM_INITDIALOG; };
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    ShowWindow(d, SW_SHOW);
    HWND edit = GetDlgItem(d, 1001);
    SetFocus(edit);

    EXPECT_EQ(SendMessageW(d, DM_GETDEFID, 0, 0), 0);
    Key(edit, VK_RETURN);
    Key(edit, VK_ESCAPE);
    ASSERT_EQ(Commands().size(), 2u);
    EXPECT_EQ(LOWORD(Commands()[0].second), IDOK);
    EXPECT_EQ(LOWORD(Commands()[1].second), IDCANCEL);

    // A default id, then a control that is a push button itself, then one that wants Enter.
    SendMessageW(d, DM_SETDEFID, 1004, 0);
    EXPECT_EQ(SendMessageW(d, DM_GETDEFID, 0, 0), MAKELRESULT(1004, DC_HASDEFID));
    Commands().clear();
    Key(edit, VK_RETURN);
    DlgCodes()[1001] = DLGC_UNDEFPUSHBUTTON;
    Key(edit, VK_RETURN);
    DlgCodes()[1001] = DLGC_WANTALLKEYS;
    Key(edit, VK_RETURN);
    Key(edit, VK_ESCAPE);
    ASSERT_EQ(Commands().size(), 2u);
    EXPECT_EQ(LOWORD(Commands()[0].second), 1004);
    EXPECT_EQ(LOWORD(Commands()[1].second), 1001);

    // A disabled default button is not pressed.
    DlgCodes()[1001] = 0;
    EnableWindow(GetDlgItem(d, 1004), FALSE);
    Commands().clear();
    Key(edit, VK_RETURN);
    EXPECT_TRUE(Commands().empty());

    // A control that answers DLGC_DEFPUSHBUTTON is the default when none was set.
    HWND d2 = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    DlgCodes()[1005] = DLGC_DEFPUSHBUTTON;
    EXPECT_EQ(SendMessageW(d2, DM_GETDEFID, 0, 0), MAKELRESULT(1005, DC_HASDEFID));
}

TEST_F(DialogTest, WmCloseMeansCancelAndMessageResultsComeFromTheSlot) {
    CurrentDlgHandler() = [](HWND dialog, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg == WM_APP + 1) {
            SetWindowLongW(dialog, DWL_MSGRESULT, 1234);
            return TRUE;
        }
        return msg == WM_INITDIALOG;
    };
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(SendMessageW(d, WM_APP + 1, 0, 0), 1234);
    SendMessageW(d, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(d)); // a dialog is not destroyed by WM_CLOSE
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(LOWORD(Commands()[0].second), IDCANCEL);
}

TEST_F(DialogTest, ControlColoursComeFromTheDialogProcedure) {
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    CurrentDlgHandler() = [&](HWND, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
        if (msg == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(red);
        if (msg == WM_CTLCOLORSTATIC) {
            SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
            return reinterpret_cast<INT_PTR>(green);
        }
        return msg == WM_INITDIALOG;
    };
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kCentered), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    ShowWindow(d, SW_SHOW);
    device::ui::PumpUntilIdle();
    RECT wr;
    GetWindowRect(d, &wr);
    EXPECT_EQ(Pixel((wr.left + wr.right) / 2, (wr.top + wr.bottom) / 2), RGB(255, 0, 0));
    HDC dc = GetDC(d);
    EXPECT_EQ(SendMessageW(d, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0), reinterpret_cast<LRESULT>(green));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
    ReleaseDC(d, dc);
    // Without an answer, the default colours.
    CurrentDlgHandler() = nullptr;
    EXPECT_NE(SendMessageW(d, WM_CTLCOLOREDIT, 0, 0), 0);
    DestroyWindow(d);
    DeleteObject(red);
    DeleteObject(green);
}

// [SECTION] Modal loops

TEST_F(DialogTest, ModalDialogsNestThreeDeepAndEndInOrder) {
    HWND top = Top(0, 30, 200, 200);
    std::map<HWND, int> level;
    std::vector<INT_PTR> returned;
    std::vector<bool> ownerDisabled;
    int nextLevel = 1;
    CurrentDlgHandler() = [&](HWND d, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            level[d] = nextLevel++;
            PostMessageW(d, WM_APP, 0, 0);
            return TRUE;
        }
        if (msg == WM_APP) {
            if (level[d] < 3) {
                ownerDisabled.push_back(!IsWindowEnabled(GetWindow(d, GW_OWNER)));
                INT_PTR r = DialogBoxParamW(Module(), MAKEINTRESOURCEW(kPlain), d, TestDlgProc, 0);
                returned.push_back(r);
                EXPECT_TRUE(IsWindowEnabled(d));
            }
            EndDialog(d, level[d] * 10);
            return TRUE;
        }
        return FALSE;
    };
    INT_PTR outer = DialogBoxParamW(Module(), MAKEINTRESOURCEW(kPlain), top, TestDlgProc, 0);
    returned.push_back(outer);
    EXPECT_EQ(returned, (std::vector<INT_PTR>{30, 20, 10}));
    EXPECT_EQ(ownerDisabled, (std::vector<bool>{true, true}));
    EXPECT_TRUE(IsWindowEnabled(top));
    for (auto& [d, l] : level) EXPECT_FALSE(IsWindow(d)) << "level " << l;
}

TEST_F(DialogTest, ModalLoopTakesInjectedKeys) {
    CurrentDlgHandler() = [](HWND d, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            PostMessageW(d, WM_APP, 0, 0);
            return TRUE;
        }
        if (msg == WM_APP) {
            device::ui::InjectKey(VK_TAB, true);
            device::ui::InjectKey(VK_TAB, false);
            device::ui::InjectKey(VK_ESCAPE, true);
            device::ui::InjectKey(VK_ESCAPE, false);
            return TRUE;
        }
        if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
            EndDialog(d, GetDlgCtrlID(GetFocus()));
            return TRUE;
        }
        return FALSE;
    };
    // Tab moved the focus from 1001 to 1002 before Esc ended the dialog.
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0), 1002);
}

TEST_F(DialogTest, QuitEndsTheModalLoopAndIsPostedAgain) {
    CurrentDlgHandler() = [](HWND d, UINT msg, WPARAM, LPARAM) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            PostQuitMessage(5);
            return TRUE;
        }
        (void)d;
        return FALSE;
    };
    EXPECT_EQ(DialogBoxParamW(Module(), MAKEINTRESOURCEW(kPlain), nullptr, TestDlgProc, 0), 0);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 5u);
}

TEST_F(DialogTest, EndDialogOnAModelessDialogHidesIt) {
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kSans), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(IsWindowVisible(d)); // WS_VISIBLE in the template
    EXPECT_TRUE(EndDialog(d, 3));
    EXPECT_TRUE(IsWindow(d));
    EXPECT_FALSE(IsWindowVisible(d));
    HWND top = Top(0, 0, 10, 10);
    EXPECT_FALSE(EndDialog(top, 1));
}

// [SECTION] Shell conventions

TEST_F(DialogTest, CaptionOkButtonSendsIdok) {
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kPlain), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    ShowWindow(d, SW_SHOW);
    device::ui::PumpUntilIdle();
    RECT ok = device::ui::CaptionOkButtonRect(d);
    ASSERT_FALSE(IsRectEmpty(&ok));
    POINT at{(ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2};
    device::ui::InjectStylus(device::ui::StylusAction::Down, at);
    device::ui::InjectStylus(device::ui::StylusAction::Up, at);
    device::ui::PumpUntilIdle();
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(LOWORD(Commands()[0].second), IDOK);

    // A tap elsewhere in the caption does nothing; the button goes with SHDoneButton.
    Commands().clear();
    RECT wr;
    GetWindowRect(d, &wr);
    POINT caption{wr.left + 10, ok.top + 2};
    device::ui::InjectStylus(device::ui::StylusAction::Down, caption);
    device::ui::InjectStylus(device::ui::StylusAction::Up, caption);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(Commands().empty());
    EXPECT_TRUE(SHDoneButton(d, SHDB_HIDE));
    RECT none = device::ui::CaptionOkButtonRect(d);
    EXPECT_TRUE(IsRectEmpty(&none));
    EXPECT_FALSE(GetWindowLongW(d, GWL_EXSTYLE) & WS_EX_CAPTIONOKBTN);
    EXPECT_TRUE(SHDoneButton(d, SHDB_SHOW));
    EXPECT_TRUE(GetWindowLongW(d, GWL_EXSTYLE) & WS_EX_CAPTIONOKBTN);
    EXPECT_FALSE(SHDoneButton(nullptr, SHDB_SHOW));
}

TEST_F(DialogTest, SmallCaptionedDialogKeepsItsOwnCaptionRowAndOk) {
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kPlain), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    ShowWindow(d, SW_SHOW);
    device::ui::PumpUntilIdle();
    ASSERT_EQ(GetActiveWindow(), d);
    RECT wr;
    GetWindowRect(d, &wr);
    POINT origin{0, 0};
    ClientToScreen(d, &origin);
    EXPECT_EQ(origin.y, wr.top + GetSystemMetrics(SM_CXDLGFRAME) + GetSystemMetrics(SM_CYCAPTION));
    RECT ok = device::ui::CaptionOkButtonRect(d);
    EXPECT_FALSE(IsRectEmpty(&ok));
    EXPECT_GE(ok.top, wr.top);
    RECT bar = device::ui::TaskbarOkButtonRect();
    EXPECT_TRUE(IsRectEmpty(&bar)); // its "ok" is its own, not the taskbar's
    EXPECT_EQ(Pixel(wr.left + 10, wr.top + 8), GetSysColor(COLOR_ACTIVECAPTION));
}

TEST_F(DialogTest, FullScreenDialogShowsItsTitleAndOkInTheTaskbar) {
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    SHINITDLGINFO info{SHIDIM_FLAGS, d, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
    ASSERT_TRUE(SHInitDialog(&info));
    device::gdi::SetDefaultRecorder(recorder);
    ShowWindow(d, SW_SHOW);
    device::ui::PumpUntilIdle();
    device::gdi::SetDefaultRecorder(nullptr);
    ASSERT_EQ(GetActiveWindow(), d);

    // No caption row: the client area is the whole work area, controls start at its top.
    RECT work = device::ui::WorkArea(), client, wr;
    GetClientRect(d, &client);
    GetWindowRect(d, &wr);
    EXPECT_TRUE(EqualRect(&wr, &work));
    EXPECT_EQ(client.right, work.right - work.left);
    EXPECT_EQ(client.bottom, work.bottom - work.top);
    POINT origin{0, 0};
    ClientToScreen(d, &origin);
    EXPECT_EQ(origin.x, work.left);
    EXPECT_EQ(origin.y, work.top);
    RECT first;
    GetWindowRect(GetDlgItem(d, 1001), &first);
    RECT expected{4, 4, 54, 16};
    MapDialogRect(d, &expected);
    EXPECT_EQ(first.top, work.top + expected.top);
    RECT none = device::ui::CaptionOkButtonRect(d);
    EXPECT_TRUE(IsRectEmpty(&none));
    EXPECT_NE(Pixel(10, work.top + 8), GetSysColor(COLOR_ACTIVECAPTION)); // the dialog's own face

    // The taskbar: the title at the left, "ok" at the right end, both within the bar.
    RECT ok = device::ui::TaskbarOkButtonRect();
    ASSERT_FALSE(IsRectEmpty(&ok));
    EXPECT_GE(ok.top, 0);
    EXPECT_LE(ok.bottom, device::ui::kTaskbarHeight);
    EXPECT_LE(ok.right, work.right);
    EXPECT_GT(ok.left, work.right / 2);
    device::gdi::RecordedCall title, okText;
    ASSERT_TRUE(recorder->FindText(L"Form", title));
    EXPECT_LT(title.rect.left, ok.left);
    EXPECT_LE(title.rect.bottom, device::ui::kTaskbarHeight);
    ASSERT_TRUE(recorder->FindText(L"ok", okText));
    EXPECT_TRUE(EqualRect(&okText.rect, &ok));
    int light = 0;
    for (int y = ok.top; y < ok.bottom; ++y)
        for (int x = ok.left; x < ok.right; ++x)
            if (GetRValue(Pixel(x, y)) > 200) ++light;
    EXPECT_GT(light, 10); // outline and letters on the dark bar

    // A tap on it is the caption button's IDOK; a tap elsewhere on the bar does nothing.
    device::ui::InjectStylus(device::ui::StylusAction::Down, POINT{20, 12});
    device::ui::InjectStylus(device::ui::StylusAction::Up, POINT{20, 12});
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(Commands().empty());
    POINT at{(ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2};
    device::ui::InjectStylus(device::ui::StylusAction::Down, at);
    device::ui::InjectStylus(device::ui::StylusAction::Up, at);
    device::ui::PumpUntilIdle();
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands()[0].first, d);
    EXPECT_EQ(LOWORD(Commands()[0].second), IDOK);

    // Hidden: gone from the bar, its place takes no taps.
    Commands().clear();
    ASSERT_TRUE(SHDoneButton(d, SHDB_HIDE));
    device::ui::PumpUntilIdle();
    RECT hidden = device::ui::TaskbarOkButtonRect();
    EXPECT_TRUE(IsRectEmpty(&hidden));
    light = 0;
    for (int y = ok.top; y < ok.bottom; ++y)
        for (int x = ok.left; x < ok.right; ++x)
            if (GetRValue(Pixel(x, y)) > 200) ++light;
    EXPECT_EQ(light, 0);
    device::ui::InjectStylus(device::ui::StylusAction::Down, at);
    device::ui::InjectStylus(device::ui::StylusAction::Up, at);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(Commands().empty());

    // Shown again, it shows only while its window is the active one.
    ASSERT_TRUE(SHDoneButton(d, SHDB_SHOW));
    RECT back = device::ui::TaskbarOkButtonRect();
    EXPECT_TRUE(EqualRect(&back, &ok));
    HWND other = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kPlain), nullptr, TestDlgProc, 0);
    ASSERT_NE(other, nullptr);
    ShowWindow(other, SW_SHOW);
    device::ui::PumpUntilIdle();
    ASSERT_EQ(GetActiveWindow(), other);
    RECT inactive = device::ui::TaskbarOkButtonRect();
    EXPECT_TRUE(IsRectEmpty(&inactive));
    device::ui::InjectStylus(device::ui::StylusAction::Down, at);
    device::ui::InjectStylus(device::ui::StylusAction::Up, at);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(Commands().empty());
}

TEST_F(DialogTest, DialogAlreadyTheWorkAreaSizeHearsOfTheClientAreaItGains) {
    std::vector<std::pair<int, int>> sizes;
    CurrentDlgHandler() = [&](HWND, UINT msg, WPARAM, LPARAM lParam) -> INT_PTR {
        if (msg == WM_SIZE) sizes.emplace_back(LOWORD(lParam), HIWORD(lParam));
        return msg == WM_INITDIALOG;
    };
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    RECT work = device::ui::WorkArea();
    SetWindowPos(d, nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top, SWP_NOZORDER);
    sizes.clear();
    SHINITDLGINFO info{SHIDIM_FLAGS, d, SHIDIF_SIZEDLGFULLSCREEN};
    ASSERT_TRUE(SHInitDialog(&info));
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back(), std::make_pair(static_cast<int>(work.right - work.left), static_cast<int>(work.bottom - work.top)));
}

TEST_F(DialogTest, ShInitDialogSizesLowersThePanelAndAddsTheDoneButton) {
    device::ui::SetSipUp(true);
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kCentered), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    SHINITDLGINFO info{SHIDIM_FLAGS, d, SHIDIF_SIZEDLG};
    ASSERT_TRUE(SHInitDialog(&info));
    RECT wr, work = device::ui::WorkArea(), sip = device::ui::SipRect();
    GetWindowRect(d, &wr);
    EXPECT_EQ(wr.top, work.top);
    EXPECT_EQ(wr.bottom, sip.top); // above the raised panel

    info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIPDOWN | SHIDIF_SIZEDLGFULLSCREEN;
    ASSERT_TRUE(SHInitDialog(&info));
    EXPECT_FALSE(device::ui::IsSipUp());
    GetWindowRect(d, &wr);
    EXPECT_TRUE(EqualRect(&wr, &work));
    EXPECT_TRUE(GetWindowLongW(d, GWL_EXSTYLE) & WS_EX_CAPTIONOKBTN);

    SHINITDLGINFO bad{SHIDIM_FLAGS, nullptr, 0};
    EXPECT_FALSE(SHInitDialog(&bad));
    EXPECT_FALSE(SHInitDialog(nullptr));
}

// [SECTION] Initial items and item helpers

TEST_F(DialogTest, InitialItemsGoToComboAndListBoxes) {
    // The real combo and list boxes when the layer has them; otherwise stand-ins for the test.
    bool realCombo = [] {
        WNDCLASSW wc{};
        return GetClassInfoW(nullptr, L"COMBOBOX", &wc) != FALSE;
    }();
    bool realList = [] {
        WNDCLASSW wc{};
        return GetClassInfoW(nullptr, L"LISTBOX", &wc) != FALSE;
    }();
    if (!realCombo) RegisterControlClass(L"COMBOBOX");
    if (!realList) RegisterControlClass(L"LISTBOX");
    HWND top = Top(0, 30, 200, 200);
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kLists), top, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(GetParent(d), top);
    if (realCombo) {
        EXPECT_EQ(SendDlgItemMessageW(d, 1010, 0x0146 /* CB_GETCOUNT */, 0, 0), 2);
    } else {
        EXPECT_EQ(AddedStrings()[1010], (std::vector<std::wstring>{L"Celsius", L"Fahrenheit"}));
    }
    if (realList) {
        EXPECT_EQ(SendDlgItemMessageW(d, 1011, 0x018B /* LB_GETCOUNT */, 0, 0), 1);
    } else {
        EXPECT_EQ(AddedStrings()[1011], (std::vector<std::wstring>{L"Metres"}));
    }
    EXPECT_TRUE(AddedStrings()[1012].empty()); // neither a combo nor a list box
    DestroyWindow(top);
    if (!realCombo) UnregisterClassW(L"COMBOBOX", nullptr);
    if (!realList) UnregisterClassW(L"LISTBOX", nullptr);
}

TEST_F(DialogTest, ItemTextNumbersAndChecks) {
    HWND d = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kForm), nullptr, TestDlgProc, 0);
    ASSERT_NE(d, nullptr);
    WCHAR buf[4];
    EXPECT_EQ(GetDlgItemTextW(d, 1001, buf, 4), 3u); // "first" cut to the buffer
    EXPECT_STREQ(buf, L"fir");
    EXPECT_EQ(GetDlgItemTextW(d, 4242, buf, 4), 0u);
    EXPECT_STREQ(buf, L"");
    EXPECT_FALSE(SetDlgItemTextW(d, 4242, L"x"));

    BOOL ok = FALSE;
    ASSERT_TRUE(SetDlgItemInt(d, 1002, static_cast<UINT>(-42), TRUE));
    EXPECT_EQ(static_cast<int>(GetDlgItemInt(d, 1002, &ok, TRUE)), -42);
    EXPECT_TRUE(ok);
    EXPECT_EQ(GetDlgItemInt(d, 1002, &ok, FALSE), 0u); // a sign where none is allowed
    EXPECT_FALSE(ok);
    SetDlgItemInt(d, 1002, 4294967295u, FALSE);
    EXPECT_EQ(GetDlgItemInt(d, 1002, &ok, FALSE), 4294967295u);
    EXPECT_TRUE(ok);
    struct Case {
        const wchar_t* text;
        BOOL isSigned;
        bool good;
        int value;
    } cases[] = {
        {L"  17 ", FALSE, true, 17},    {L"12a", FALSE, false, 0},        {L"", TRUE, false, 0},
        {L"-", TRUE, false, 0},         {L"4294967296", FALSE, false, 0}, {L"2147483648", TRUE, false, 0},
        {L"-2147483648", TRUE, true, INT32_MIN}, {L"99999999999999999999999", FALSE, false, 0},
    };
    for (const Case& c : cases) {
        SetDlgItemTextW(d, 1002, c.text);
        int v = static_cast<int>(GetDlgItemInt(d, 1002, &ok, c.isSigned));
        EXPECT_EQ(ok != FALSE, c.good) << "text '" << device::ToUtf8(c.text) << "'";
        EXPECT_EQ(v, c.value) << "text '" << device::ToUtf8(c.text) << "'";
    }
    GetDlgItemInt(d, 4242, &ok, TRUE);
    EXPECT_FALSE(ok);

    EXPECT_TRUE(CheckDlgButton(d, 1004, BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(d, 1004), static_cast<UINT>(BST_CHECKED));
    EXPECT_TRUE(CheckRadioButton(d, 1004, 1005, 1005));
    EXPECT_EQ(IsDlgButtonChecked(d, 1004), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(d, 1005), static_cast<UINT>(BST_CHECKED));
    EXPECT_FALSE(CheckDlgButton(d, 4242, BST_CHECKED));
    EXPECT_EQ(SendDlgItemMessageW(d, 4242, BM_GETCHECK, 0, 0), 0);
}

TEST_F(DialogTest, ShellSizedDialogsFollowTheScreenWhenItTurns) {
    std::vector<RECT> sizesSeen;
    HWND full = nullptr;
    CurrentDlgHandler() = [&](HWND d, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
        if (msg == WM_SETTINGCHANGE && wParam == SPI_SETWORKAREA && d == full) {
            RECT r;
            GetWindowRect(d, &r);
            sizesSeen.push_back(r);  // what the dialog's own handler sees
        }
        return msg == WM_INITDIALOG;
    };
    full = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kCentered), nullptr, TestDlgProc, 0);
    HWND plain = CreateDialogParamW(Module(), MAKEINTRESOURCEW(kCentered), nullptr, TestDlgProc, 0);
    ASSERT_TRUE(full && plain);
    SHINITDLGINFO info{SHIDIM_FLAGS, full, SHIDIF_SIZEDLGFULLSCREEN};
    ASSERT_TRUE(SHInitDialog(&info));
    RECT plainBefore;
    GetWindowRect(plain, &plainBefore);

    device::ui::RotateScreen();
    device::ui::PumpUntilIdle();
    RECT work = device::ui::WorkArea(), wr;
    GetWindowRect(full, &wr);
    EXPECT_TRUE(EqualRect(&wr, &work));
    RECT client;
    GetClientRect(full, &client);  // still no caption row of its own
    EXPECT_EQ(client.right, work.right - work.left);
    EXPECT_EQ(client.bottom, work.bottom - work.top);
    ASSERT_FALSE(sizesSeen.empty());
    EXPECT_TRUE(EqualRect(&sizesSeen.front(), &work));  // resized before its handler ran
    GetWindowRect(plain, &wr);
    EXPECT_TRUE(EqualRect(&wr, &plainBefore));  // not sized by the shell: left alone
    device::ui::RotateScreen();
}
