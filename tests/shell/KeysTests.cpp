// The keyboard in the real main window: the menu keys open the menu bar and go round its menus
// and buttons, an open calendar takes the keys, the packing list and the Tools list by Tab and
// the keys, and where the focus starts in the tools.

#include "MainWindowTestSupport.h"
#include "clocks/RemindersDlg.h"
#include "platform/display/HeadlessTest.h"
#include "platform/ui/Menus.h"
#include "support/ModalSteps.h"
#include "support/Screenshots.h"
#include "tools/DialCodesDlg.h"
#include "tools/PackingEntryDlgs.h"
#include "tools/PackingListDlg.h"
#include "tools/ToolsPage.h"
#include "tools/UnitConverterDlg.h"
#include "tools/UnitEditorDlg.h"

#include <chrono>
#include <deque>

namespace shelltest {
namespace {

using testsupport::ModalSteps;

constexpr SIZE kTwoShapes[] = {{240, 320}, {320, 240}};

std::string ShapeName(SIZE shape) { return std::to_string(shape.cx) + "x" + std::to_string(shape.cy); }

class KeysTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        device::ui::SetSipUp(false);
        InstallSmallProduct();
        CopyShipped("Portrait");
        WriteDeviceFile(InProgramFolder(L"pack.dat"),
                        ">\r\nAll\r\n*\r\nAll Items\r\nPassport1\r\nSocks0\r\nTowel0\r\n*\r\nBag\r\nTowel1\r\n<");
    }

    CToolsPage* Tools() { return dynamic_cast<CToolsPage*>(m_dlg->GetTabs().GetPage(CMainTabCtrl::kToolsPage)); }

    TestMainDlg& OpenOnShape(SIZE shape) {
        if (m_dlg && m_dlg->m_hWnd) m_dlg->DestroyWindow();
        device::ui::PumpUntilIdle();
        CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 0);
        device::ui::SetScreenShape(shape.cx, shape.cy);
        return Open();
    }

    // The tool opened as the user opens it: the Tools tab, then a tap on its icon.
    CDialog* OpenTool(int index) {
        TapTab(4);
        CRect icon;
        EXPECT_TRUE(Tools()->m_list.GetItemRect(index, &icon, LVIR_ICON));
        Tools()->m_list.ClientToScreen(&icon);
        device::display::test::Tap(icon.CenterPoint());
        device::ui::PumpUntilIdle();
        CDialog* tool = Tools()->GetTool(index);
        EXPECT_TRUE(tool && tool->IsWindowVisible()) << "tool " << index;
        return tool;
    }

    // Keys as the program's loops take them: the windows' pre-translation (the dialogs' keys),
    // then translation and dispatch.
    static void Drain() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!AfxPreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    static void Press(UINT vk) {
        ModalSteps::Press(vk);
        Drain();
    }

    // Runs the program's loop until every step ran (each from a timer, inside whatever loop runs
    // then: a menu's, a form's) and what the steps pressed is handled.
    static void RunSteps(std::deque<std::function<void()>> steps) {
        ModalSteps run(std::move(steps));
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1); // against a hang only
        MSG msg;
        while (!ModalSteps::Done() && std::chrono::steady_clock::now() < giveUp && ::GetMessageW(&msg, nullptr, 0, 0))
            if (!AfxPreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        EXPECT_TRUE(ModalSteps::Done()) << "a step never ran";
        Drain();
    }

    // A step that finds this menu open (null: none) and then presses a key (0: none).
    static std::function<void()> Sees(HMENU open, UINT vk) {
        return [open, vk] {
            EXPECT_EQ(device::ui::OpenPopupMenu(), open);
            if (vk) ModalSteps::Press(vk);
        };
    }

    // The pop-up menus of a bar's entries, left to right.
    static std::vector<HMENU> BarPopups(HWND bar) {
        std::vector<HMENU> popups;
        const auto count = static_cast<int>(::SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TBBUTTON button{};
            ::SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
            if (!(button.fsStyle & TBSTYLE_DROPDOWN)) continue;
            const auto menu = reinterpret_cast<HMENU>(button.dwData);
            for (int e = 0; e < ::GetMenuItemCount(menu); ++e) popups.push_back(::GetSubMenu(menu, e));
        }
        return popups;
    }
};

// F10 and Alt alone open the bar's first menu and Escape closes it, the focus staying where it
// was; Left and Right go from menu to menu and round the bar to its Back button, which Return
// (or space) presses; Return in a menu picks its highlighted first item.
TEST_F(KeysTest, MenuKeysOpenTheBarGoRoundItAndPress) {
    for (SIZE shape : kTwoShapes) {
        SCOPED_TRACE(ShapeName(shape));
        TestMainDlg& dlg = OpenOnShape(shape);
        CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"twelvehour", 0);
        const std::vector<HMENU> clocks = BarPopups(dlg.GetBar(CMainDlg::kClocksBar).m_hWnd);
        ASSERT_EQ(clocks.size(), 2u);
        const HWND focus = ::GetFocus();
        RunSteps({Sees(nullptr, VK_F10), Sees(clocks[0], VK_ESCAPE), Sees(nullptr, VK_MENU), Sees(clocks[0], VK_RIGHT),
                  Sees(clocks[1], VK_LEFT), Sees(clocks[0], VK_RETURN), Sees(nullptr, 0)});
        EXPECT_EQ(ReadDword(L"Jorvana", L"twelvehour"), 1) << "Return picked the first item";
        EXPECT_EQ(::GetFocus(), focus);
        // Alt held for another key is no menu key.
        RunSteps({[] { ModalSteps::PressWith({VK_MENU}, VK_CONTROL); }, Sees(nullptr, 0), [] { ::EndMenu(); }});

        // The packing list's bar: Add, Delete, Add, and round to the left to Back; the tools'
        // bar: Menu, then right to Back. Return or space presses it.
        for (int tool : {kToolPackingList, kToolDialCodes}) {
            SCOPED_TRACE(tool);
            CDialog* window = OpenTool(tool);
            ASSERT_NE(window, nullptr);
            const HWND bar = dlg.GetBar(tool == kToolPackingList ? CMainDlg::kPackingBar : CMainDlg::kToolBar).m_hWnd;
            const std::vector<HMENU> menus = BarPopups(bar);
            const auto back = static_cast<int>(::SendMessageW(bar, TB_COMMANDTOINDEX, ID_BACK_TO_TOOLS, 0));
            const HWND inTool = ::GetFocus();
            std::deque<std::function<void()>> steps{Sees(nullptr, VK_F10)};
            if (tool == kToolPackingList)
                steps.insert(steps.end(), {Sees(menus[0], VK_RIGHT), Sees(menus[1], VK_LEFT), Sees(menus[0], VK_LEFT)});
            else
                steps.push_back(Sees(menus[0], VK_RIGHT));
            steps.push_back([&] {
                EXPECT_EQ(device::ui::OpenPopupMenu(), nullptr);
                EXPECT_EQ(device::ui::CommandBarKeyHighlight(bar), back);
                EXPECT_EQ(::GetFocus(), inTool);
                testsupport::SaveScreenshot("keys-back-highlighted-" + ShapeName(shape));
                ModalSteps::Press(tool == kToolPackingList ? VK_RETURN : VK_SPACE);
            });
            steps.push_back(Sees(nullptr, 0));
            RunSteps(std::move(steps));
            EXPECT_FALSE(window->IsWindowVisible()) << "Back left the tool";
            EXPECT_TRUE(Tools()->IsWindowVisible());
            EXPECT_EQ(ReadDword(L"Jorvana", L"CurTab"), 4);
            EXPECT_EQ(device::ui::CommandBarKeyHighlight(bar), -1);
        }
    }
}

// While a drop-down list is open the keys are the list's: F10 opens no menu over it (the menu
// would take the stylus from the list), Escape closes the list, and F10 then opens the bar.
TEST_F(KeysTest, MenuKeysWaitWhileADropDownListIsOpen) {
    TestMainDlg& dlg = OpenOnShape(kTwoShapes[0]);
    TapTab(3);
    CComboBox* column = static_cast<CComboBox*>(dlg.GetTabs().GetPage(3)->GetDlgItem(IDC_CUR_PAIR1));
    ASSERT_NE(column, nullptr);
    column->SetFocus();
    const std::vector<HMENU> menus = BarPopups(dlg.GetBar(CMainDlg::kMenuBar).m_hWnd);
    ASSERT_FALSE(menus.empty());
    RunSteps({Sees(nullptr, VK_F4), Sees(nullptr, VK_F10),
              [&] {
                  EXPECT_EQ(device::ui::OpenPopupMenu(), nullptr);
                  EXPECT_TRUE(column->GetDroppedState());
                  ModalSteps::Press(VK_ESCAPE);
              },
              [&] {
                  EXPECT_FALSE(column->GetDroppedState());
                  ModalSteps::Press(VK_F10);
              },
              Sees(menus[0], VK_ESCAPE), Sees(nullptr, 0)});
}

// The home reminder's calendar, opened with alt+Down, takes the arrows (a day, a week), Page
// Down (a month, the day kept inside it) and Return (the date changes and is told to the form);
// Escape closes it alone, the form stays with its date and nothing is saved.
TEST_F(KeysTest, AnOpenCalendarTakesTheKeysAndEscapeClosesOnlyIt) {
    for (SIZE shape : kTwoShapes) {
        SCOPED_TRACE(ShapeName(shape));
        TestMainDlg& dlg = OpenOnShape(shape);
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
        CRemindersDlg* form = nullptr;
        auto picked = [&] {
            SYSTEMTIME st{};
            form->m_datePicker[0].GetTime(&st);
            return st.wYear * 10000 + st.wMonth * 100 + st.wDay;
        };
        auto calendar = [&] { return reinterpret_cast<HWND>(form->m_datePicker[0].SendMessage(DTM_GETMONTHCAL)); };
        ModalSteps run({[&] {
                      form = dynamic_cast<CRemindersDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
                      ASSERT_NE(form, nullptr);
                      ASSERT_EQ(::GetFocus(), form->m_datePicker[0].m_hWnd) << "the form starts on the home date";
                      SYSTEMTIME st{};
                      st.wYear = 2031, st.wMonth = 1, st.wDay = 30;
                      form->m_datePicker[0].SetTime(&st);
                      ModalSteps::PressWith({VK_MENU}, VK_DOWN);
                  },
                  [&] {
                      ASSERT_NE(calendar(), nullptr);
                      for (UINT vk : {VK_RIGHT, VK_NEXT, VK_DOWN, VK_LEFT}) ModalSteps::Press(vk);
                  },
                  [&] {
                      SYSTEMTIME st{};
                      ::SendMessageW(calendar(), MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
                      // 31 January, 28 February, 7 March, 6 March.
                      EXPECT_EQ(st.wYear * 10000 + st.wMonth * 100 + st.wDay, 20310306);
                      EXPECT_EQ(picked(), 20310130) << "the field waits for Return";
                      testsupport::SaveScreenshot("keys-calendar-" + ShapeName(shape));
                      ModalSteps::Press(VK_RETURN);
                  },
                  [&] {
                      EXPECT_EQ(calendar(), nullptr);
                      EXPECT_EQ(picked(), 20310306);
                      CString day, month;
                      form->m_editDay[0].GetWindowText(day);
                      form->m_editMonth[0].GetWindowText(month);
                      EXPECT_EQ(day + L"/" + month, CString(L"06/03")) << "the form heard of the change";
                      ModalSteps::PressWith({VK_MENU}, VK_DOWN);
                  },
                  [&] {
                      ASSERT_NE(calendar(), nullptr);
                      ModalSteps::Press(VK_PRIOR);
                      ModalSteps::Press(VK_ESCAPE);
                  },
                  [&] {
                      EXPECT_EQ(calendar(), nullptr);
                      EXPECT_TRUE(form->IsWindowVisible()) << "Escape left the form open";
                      EXPECT_EQ(picked(), 20310306);
                      EXPECT_TRUE(device::ui::MessageBoxRecords().empty()) << "nothing said saved";
                      form->EndDialog(IDCANCEL);
                  }});
        dlg.SendMessage(WM_COMMAND, ID_SET_REMINDERS);
        EXPECT_TRUE(ModalSteps::Done());
    }
}

// The packing list by keys: the arrows choose an item, space ticks it as a tap on its box does,
// Return opens it as a double tap does; Tab goes from the tab strip to the category box, the
// items, the list tabs and Save. The first Tab into the
// Tools list highlights the first tool, so that Return opens it.
TEST_F(KeysTest, PackingListAndToolsListByTab) {
    for (SIZE shape : kTwoShapes) {
        SCOPED_TRACE(ShapeName(shape));
        TestMainDlg& dlg = OpenOnShape(shape);
        CMainTabCtrl& tabs = dlg.GetTabs();
        auto* pack = static_cast<CPackingListDlg*>(OpenTool(kToolPackingList));
        ASSERT_NE(pack, nullptr);
        CListCtrl* items = pack->CurrentView();
        ASSERT_NE(items, nullptr);
        auto tabWalk = [&] {
            std::vector<HWND> walk;
            tabs.SetFocus();
            for (int i = 0; i < 6 && (walk.empty() || walk.back() != tabs.m_hWnd); ++i) {
                Press(VK_TAB);
                HWND focus = ::GetFocus();
                walk.push_back(::GetParent(focus) == pack->m_comboCategory.m_hWnd ? pack->m_comboCategory.m_hWnd : focus);
            }
            return walk;
        };
        items->SetFocus();
        Press(VK_DOWN);
        Press(VK_DOWN);
        ASSERT_EQ(items->GetNextItem(-1, LVNI_SELECTED), 1);
        Press(VK_SPACE);
        EXPECT_TRUE(items->GetCheck(1)) << "space ticks Socks";
        EXPECT_TRUE(pack->m_bChanged);
        EXPECT_TRUE(pack->m_btnSave.IsWindowEnabled());
        testsupport::SaveScreenshot("keys-packing-ticked-" + ShapeName(shape));

        CString opened;
        CloseNextDialog<CEditItemDlg>([&](CEditItemDlg& edit) {
            edit.m_editText.GetWindowText(opened);
            edit.m_editText.SetWindowText(L"Socks x3");
        });
        Press(VK_RETURN);
        EXPECT_EQ(opened, CString(L"Socks"));
        EXPECT_EQ(items->GetItemText(1, 0), CString(L"Socks x3"));
        EXPECT_TRUE(pack->IsWindowVisible()) << "Return kept the tool";

        const std::vector<HWND> order{pack->m_comboCategory.m_hWnd, items->m_hWnd, pack->m_tabLists.m_hWnd,
                                      pack->m_btnSave.m_hWnd, tabs.m_hWnd};
        EXPECT_EQ(tabWalk(), order);

        device::ui::ScriptMessageBoxAnswers({IDNO});
        dlg.SendMessage(WM_COMMAND, ID_BACK_TO_TOOLS);
        device::ui::PumpUntilIdle();
        CToolsPage* tools = Tools();
        ASSERT_TRUE(tools->IsWindowVisible());
        tools->m_list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        tabs.SetFocus();
        Press(VK_TAB);
        ASSERT_EQ(::GetFocus(), tools->m_list.m_hWnd);
        EXPECT_EQ(tools->m_list.GetNextItem(-1, LVNI_SELECTED), 0) << "the first tool is highlighted";
        Press(VK_RETURN);
        EXPECT_TRUE(tools->IsToolCreated(kToolConverter) && tools->GetTool(kToolConverter)->IsWindowVisible());
        EXPECT_EQ(ReadDword(L"Jorvana", L"CurTab"), 40);
    }
}

// The dialing codes open with the focus on the country list, also when opened again; the unit
// editor with the focus in its name field.
TEST_F(KeysTest, ToolsStartWithTheFocusWhereTheyPutIt) {
    for (SIZE shape : kTwoShapes) {
        SCOPED_TRACE(ShapeName(shape));
        TestMainDlg& dlg = OpenOnShape(shape);
        for (int opening = 0; opening < 2; ++opening) {
            auto* dial = static_cast<CDialCodesDlg*>(OpenTool(kToolDialCodes));
            ASSERT_NE(dial, nullptr);
            EXPECT_EQ(::GetFocus(), dial->m_listDial.m_hWnd) << "opening " << opening;
            dlg.SendMessage(WM_COMMAND, ID_BACK_TO_TOOLS);
            device::ui::PumpUntilIdle();
        }
        auto* conv = static_cast<CConverterDlg*>(OpenTool(kToolConverter));
        ASSERT_NE(conv, nullptr);
        bool inName = false;
        CloseNextDialog<CUnitEditDlg>([&](CUnitEditDlg& editor) { inName = ::GetFocus() == editor.m_nameField.m_hWnd; });
        conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_EDIT_UNITS, BN_CLICKED),
                          reinterpret_cast<LPARAM>(conv->m_editUnitsButton.m_hWnd));
        device::ui::PumpUntilIdle();
        EXPECT_TRUE(inName);
    }
}

} // namespace
} // namespace shelltest
