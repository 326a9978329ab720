// The Tools tab in the real main window: the Tools page in its slot, every tool opened from its
// icon with the command bar it asks for, the Tools list hidden again by a tap on a tool, the
// packing-list question when the list is left, what the tools tell the main window, and the
// Escape key on every page and tool.

#include "MainWindowTestSupport.h"
#include "core/StorageFaults.h"
#include "currency/CurrencyPanel.h"
#include "platform/display/HeadlessTest.h"
#include "platform/ui/MessageBox.h"
#include "shell/SharedFont.h"
#include "support/Screenshots.h"
#include "support/FileSizeLimit.h"
#include "tools/PackingListDlg.h"
#include "tools/TipTaxDlg.h"
#include "tools/ToolsPage.h"
#include "tools/UnitConverterDlg.h"
#include "tools/UnitEditorDlg.h"
#include "platform/ui/DeviceProgram.h"

#include <sys/wait.h>
#include <unistd.h>

namespace shelltest {
namespace {

// The bar and title each tool asks the main window for.
struct ToolLook {
    CMainDlg::Bar bar;
    const wchar_t* title;
};
const ToolLook kToolLooks[kToolCount] = {{CMainDlg::kEditBar, L"Measurements"},
                                         {CMainDlg::kToolBar, L"Areas codes"},
                                         {CMainDlg::kToolBar, L"Clothing"},
                                         {CMainDlg::kPackingBar, L"Packing list"},
                                         {CMainDlg::kToolBar, L"News"}};

class ToolsTabTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        device::ui::SetSipUp(false);
        device::ui::ClearMessageBoxRecords();
        InstallSmallProduct();
        CopyShipped("Portrait");
    }
    void TearDown() override {
        device::ui::ClearMessageBoxRecords();
        MainWindowTest::TearDown();
    }

    CToolsPage* Tools() { return dynamic_cast<CToolsPage*>(m_dlg->GetTabs().GetPage(CMainTabCtrl::kToolsPage)); }

    // The main window opened anew on the clocks tab, on a screen of the shape, the panel down.
    void OpenOnShape(SIZE shape) {
        if (m_dlg && m_dlg->m_hWnd) m_dlg->DestroyWindow();
        device::ui::PumpUntilIdle();
        CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 0);
        device::ui::SetScreenShape(shape.cx, shape.cy);
        device::ui::SetSipUp(false);
        Open();
    }

    // A tap on the icon of a tool in the Tools list (which must be on show).
    void TapToolIcon(int index) {
        CToolsPage* tools = Tools();
        ASSERT_NE(tools, nullptr);
        ASSERT_TRUE(tools->IsWindowVisible());
        CRect icon, strip;
        ASSERT_TRUE(tools->m_list.GetItemRect(index, &icon, LVIR_ICON));
        tools->m_list.ClientToScreen(&icon);
        tools->GetWindowRect(&strip);
        // Every icon, News included, lies in the strip and is tapped.
        ASSERT_TRUE(strip.PtInRect(icon.CenterPoint())) << "tool " << index;
        device::display::test::Tap(icon.CenterPoint());
        device::ui::PumpUntilIdle();
    }

    // A key pressed and handled as the program's message loop handles it: the windows'
    // PreTranslateMessage first (the pages' dialog keys), then translation and dispatch.
    static void PressInProgramLoop(UINT vk) {
        device::ui::InjectKey(vk, true);
        device::ui::InjectKey(vk, false);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!AfxPreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        device::ui::PumpUntilIdle();
    }

    // The first visible combo box among a window's descendants (null: none).
    static HWND VisibleCombo(HWND parent) {
        for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            if (!::IsWindowVisible(c)) continue;
            wchar_t cls[32] = {};
            ::GetClassNameW(c, cls, 32);
            if (std::wstring(cls) == WC_COMBOBOXW) return c;
            if (HWND inner = VisibleCombo(c)) return inner;
        }
        return nullptr;
    }

    // Escape where the user's taps left the focus, then again with a drop-down list open: the
    // window stays on show and the main window goes on; the list closes.
    void EscapeKeeps(CWnd* shown, const char* what) {
        SCOPED_TRACE(what);
        PressInProgramLoop(VK_ESCAPE);
        EXPECT_TRUE(shown->IsWindowVisible());
        ASSERT_TRUE(m_dlg->m_hWnd && m_dlg->IsWindowVisible()) << "the main window ended";
        HWND combo = VisibleCombo(shown->m_hWnd);
        if (!combo) return;
        ++m_combosTried;
        ::SetFocus(combo);
        ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        device::ui::PumpUntilIdle();
        ASSERT_TRUE(::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
        PressInProgramLoop(VK_ESCAPE);
        EXPECT_FALSE(::SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) << "the list closed";
        EXPECT_TRUE(shown->IsWindowVisible());
        EXPECT_TRUE(m_dlg->IsWindowVisible());
        for (HWND top = ::GetTopWindow(nullptr); top; top = ::GetWindow(top, GW_HWNDNEXT)) {
            wchar_t cls[32] = {};
            ::GetClassNameW(top, cls, 32);
            EXPECT_FALSE(std::wstring(cls) == WC_COMBOLBOXW && ::IsWindowVisible(top)) << "no list left open";
        }
    }

    int m_combosTried = 0;

    static bool PanelUp() {
        SIPINFO info{};
        info.cbSize = sizeof(info);
        return ::SipGetInfo(&info) && (info.fdwFlags & SIPF_ON);
    }

    // Every point of the window's part that the user can see (down to a raised panel's top edge)
    // shows the window or one of its controls.
    static ::testing::AssertionResult TopOverItsArea(CWnd* window) {
        CRect area;
        window->GetWindowRect(&area);
        area.IntersectRect(&area, VisibleDesktop());
        if (area.IsRectEmpty()) return ::testing::AssertionFailure() << "nothing of it on show";
        for (int y = area.top; y < area.bottom; y += 5)
            for (int x = area.left; x < area.right; x += 5) {
                HWND hit = ::WindowFromPoint(POINT{x, y});
                HWND up = hit;
                while (up && up != window->m_hWnd) up = ::GetParent(up);
                if (up) continue;
                wchar_t cls[64] = L"none";
                if (hit) ::GetClassNameW(hit, cls, 64);
                return ::testing::AssertionFailure() << "(" << x << "," << y << ") shows a window of class "
                                                     << CString(cls).Str() << " over it";
            }
        return ::testing::AssertionSuccess();
    }

    // A tap where the window itself is on show (searched from its centre row down).
    static void TapWhereShown(HWND window) {
        CRect r;
        ::GetWindowRect(window, &r);
        for (int y = r.CenterPoint().y; y < r.bottom; ++y)
            for (int x = r.left + 1; x < r.right; x += 3)
                if (::WindowFromPoint(POINT{x, y}) == window) {
                    device::display::test::Tap(CPoint(x, y));
                    device::ui::PumpUntilIdle();
                    return;
                }
        ADD_FAILURE() << "the window is nowhere on show";
    }

    // A tap on the tool window where no control lies (searched from the bottom up).
    static void TapToolBackground(CWnd* tool) {
        CRect r;
        tool->GetWindowRect(&r);
        for (int y = r.bottom - 3; y > r.top; y -= 4)
            for (int x = r.left + 3; x < r.right; x += 4)
                if (::WindowFromPoint(POINT{x, y}) == tool->m_hWnd) {
                    device::display::test::Tap(CPoint(x, y));
                    device::ui::PumpUntilIdle();
                    return;
                }
        ADD_FAILURE() << "no free spot on the tool window";
    }
};

TEST_F(ToolsTabTest, EveryToolOpensFromItsIconWithItsBarAndTitle) {
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    TapTab(4);
    CToolsPage* tools = Tools();
    ASSERT_NE(tools, nullptr) << "the Tools slot holds the Tools page";
    ASSERT_TRUE(tabs.IsPageCreated(CMainTabCtrl::kToolsPage));
    EXPECT_TRUE(tools->IsWindowVisible());
    EXPECT_TRUE(tabs.IsToolsListShown());

    for (int i = 0; i < kToolCount; ++i) {
        SCOPED_TRACE(i);
        if (i > 0) TapTab(4); // the list again, over the tool that is open
        EXPECT_TRUE(tabs.IsToolsListShown());
        TapToolIcon(i);
        ASSERT_TRUE(tools->IsToolCreated(i));
        CDialog* tool = tools->GetTool(i);
        EXPECT_TRUE(tool->IsWindowVisible());
        EXPECT_EQ(::GetParent(tool->m_hWnd), tabs.m_hWnd);
        EXPECT_FALSE(tools->IsWindowVisible());
        EXPECT_FALSE(tabs.IsToolsListShown());
        EXPECT_EQ(tabs.GetCurrentPage(), CMainTabCtrl::kToolsPage);
        EXPECT_EQ(dlg.GetVisibleBar(), kToolLooks[i].bar);
        EXPECT_EQ(dlg.GetTitleText(), CString(kToolLooks[i].title));
        EXPECT_EQ(ReadDword(L"Jorvana", L"CurTab"), 40 + i);
        for (int other = 0; other < kToolCount; ++other)
            if (other != i && tools->IsToolCreated(other)) {
                EXPECT_FALSE(tools->GetTool(other)->IsWindowVisible()) << other;
            }
        if (i == kToolConverter) {
            EXPECT_FALSE(testsupport::SaveScreenshot("tools-tab-converter").empty());
        }
        if (i == kToolPackingList) {
            EXPECT_FALSE(testsupport::SaveScreenshot("tools-tab-packing-list").empty());
        }
    }
}

// The strip by keys: Left and Right change the tab as a tap does (page, bar and title together)
// and leave the keys on the strip; Return on the Tools tab hides its list as a tap would; Tab
// goes into the list, whose arrows and Return open every tool with its bar and title.
TEST_F(ToolsTabTest, TabStripAndToolsListByKeys) {
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    auto shows = [&](int page, CMainDlg::Bar bar, const wchar_t* title) {
        EXPECT_EQ(tabs.GetCurrentPage(), page);
        EXPECT_EQ(tabs.GetCurSel(), page);
        EXPECT_TRUE(tabs.GetPage(page)->IsWindowVisible());
        EXPECT_EQ(dlg.GetVisibleBar(), bar);
        EXPECT_EQ(dlg.GetTitleText(), CString(title));
        EXPECT_EQ(::GetFocus(), tabs.m_hWnd) << "the keys stay on the strip";
    };
    tabs.SetFocus();
    PressInProgramLoop(VK_RIGHT);
    shows(CMainTabCtrl::kWeatherPage, CMainDlg::kWeatherBar, L"Weather");
    EXPECT_FALSE(tabs.GetPage(CMainTabCtrl::kClocksPage)->IsWindowVisible());
    PressInProgramLoop(VK_LEFT);
    shows(CMainTabCtrl::kClocksPage, CMainDlg::kClocksBar, L"World Clocks");
    EXPECT_FALSE(tabs.GetPage(CMainTabCtrl::kWeatherPage)->IsWindowVisible());
    for (int i = 0; i < 3; ++i)
        PressInProgramLoop(VK_RIGHT);
    shows(CMainTabCtrl::kCurrencyPage, CMainDlg::kMenuBar, L"Currencies");
    PressInProgramLoop(VK_RIGHT);
    ASSERT_TRUE(tabs.IsToolsListShown());
    shows(CMainTabCtrl::kToolsPage, CMainDlg::kMenuBar, L"Tools");
    EXPECT_TRUE(tabs.GetPage(CMainTabCtrl::kCurrencyPage)->IsWindowVisible())
        << "the page stays under the list";
    PressInProgramLoop(VK_RETURN);
    EXPECT_FALSE(tabs.IsToolsListShown());
    shows(CMainTabCtrl::kCurrencyPage, CMainDlg::kMenuBar, L"Currencies");
    PressInProgramLoop(VK_RIGHT);
    EXPECT_TRUE(tabs.IsToolsListShown());

    CToolsPage* tools = Tools();
    ASSERT_NE(tools, nullptr);
    for (int i = 0; i < kToolCount; ++i) {
        SCOPED_TRACE(i);
        PressInProgramLoop(VK_TAB);
        ASSERT_EQ(::GetFocus(), tools->m_list.m_hWnd);
        PressInProgramLoop(VK_HOME);
        for (int step = 0; step < i; ++step)
            PressInProgramLoop(VK_RIGHT);
        EXPECT_EQ(tools->m_list.GetNextItem(-1, LVNI_SELECTED), i) << "the arrows move the highlight";
        PressInProgramLoop(VK_RETURN);
        ASSERT_TRUE(tools->IsToolCreated(i));
        EXPECT_TRUE(tools->GetTool(i)->IsWindowVisible());
        EXPECT_EQ(dlg.GetVisibleBar(), kToolLooks[i].bar);
        EXPECT_EQ(dlg.GetTitleText(), CString(kToolLooks[i].title));
        EXPECT_EQ(ReadDword(L"Jorvana", L"CurTab"), 40 + i);
        dlg.SendMessage(WM_COMMAND, ID_BACK_TO_TOOLS);
        device::ui::PumpUntilIdle();
        ASSERT_TRUE(tools->IsWindowVisible());
        tabs.SetFocus();
    }
}

// The Tools tab leaves the page that was current on show under its strip; a tool opened from
// it covers that page, also after a tap on the page gave one of its lines the focus and raised
// the input panel, on every screen shape.
TEST_F(ToolsTabTest, EveryToolOpensAboveThePageLeftUnderTheToolsList) {
    for (SIZE shape : kShapes) {
        SCOPED_TRACE(testing::Message() << shape.cx << "x" << shape.cy);
        OpenOnShape(shape);
        for (int i = 0; i < kToolCount; ++i)
            for (bool tapOnPage : {true, false}) {
                SCOPED_TRACE(testing::Message() << "tool " << i << (tapOnPage ? ", after a tap on the page" : ""));
                TapTab(3);
                auto* currencies = dynamic_cast<CCurrencyPanel*>(m_dlg->GetTabs().GetPage(CMainTabCtrl::kCurrencyPage));
                ASSERT_NE(currencies, nullptr);
                TapTab(4);
                ASSERT_TRUE(currencies->IsWindowVisible()) << "the page stays under the Tools list";
                if (tapOnPage) {
                    TapWhereShown(currencies->GetAmountField(0, 0)->m_hWnd);
                    ASSERT_TRUE(PanelUp()) << "the line took the focus";
                    if (!Tools()->IsWindowVisible()) TapTab(4);
                }
                TapToolIcon(i);
                CDialog* tool = Tools()->GetTool(i);
                ASSERT_TRUE(tool && tool->IsWindowVisible());
                EXPECT_FALSE(currencies->IsWindowVisible()) << "the page under the tool hid itself";
                EXPECT_TRUE(TopOverItsArea(tool));
                if (i == kToolConverter && tapOnPage) {
                    // Created under the raised panel: the value and its result in view.
                    auto* converter = static_cast<CConverterDlg*>(tool);
                    for (CWnd* field : {static_cast<CWnd*>(&converter->m_valueField), static_cast<CWnd*>(&converter->m_resultField)}) {
                        CRect r;
                        field->GetWindowRect(&r);
                        EXPECT_TRUE(VisibleDesktop().PtInRect(r.TopLeft()) && r.bottom <= VisibleDesktop().bottom);
                    }
                }
                if (i == kToolConverter && tapOnPage && shape.cx == 240 && shape.cy == 240)
                    testsupport::SaveScreenshot("tools-converter-over-currencies-240x240");
            }
        // The other pages left under the list give way too.
        for (int page : {0, 1, 2}) {
            SCOPED_TRACE(testing::Message() << "page " << page);
            TapTab(page);
            CDialog* under = m_dlg->GetTabs().GetPage(page);
            ASSERT_TRUE(under && under->IsWindowVisible());
            TapTab(4);
            TapToolIcon(kToolClothes);
            EXPECT_FALSE(under->IsWindowVisible());
            EXPECT_TRUE(TopOverItsArea(Tools()->GetTool(kToolClothes)));
        }
    }
}

TEST_F(ToolsTabTest, TapOnAToolHidesTheListShownOverIt) {
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    TapTab(4);
    for (int i : {int(kToolConverter), int(kToolDialCodes), int(kToolClothes), int(kToolPackingList)}) {
        SCOPED_TRACE(i);
        if (i > 0) TapTab(4);
        TapToolIcon(i);
        CDialog* tool = Tools()->GetTool(i);
        ASSERT_TRUE(tool && tool->IsWindowVisible());
        // The list over the tool, then a tap on the tool's background.
        TapTab(4);
        ASSERT_TRUE(tabs.IsToolsListShown());
        ASSERT_TRUE(Tools()->IsWindowVisible());
        if (i == kToolConverter) {
            // The converter's Clear button counts as a tap on the tool.
            auto* converter = static_cast<CConverterDlg*>(tool);
            converter->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_CLEAR, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(converter->m_clearButton.m_hWnd));
            device::ui::PumpUntilIdle();
        } else {
            TapToolBackground(tool);
        }
        EXPECT_FALSE(tabs.IsToolsListShown());
        EXPECT_FALSE(Tools()->IsWindowVisible());
        EXPECT_EQ(tabs.GetCurSel(), CMainTabCtrl::kToolsPage);
        EXPECT_TRUE(tool->IsWindowVisible()) << "the tool stays open";
    }
    // Without the list on show a tap changes nothing in the container.
    CDialog* packing = Tools()->GetTool(kToolPackingList);
    TapToolBackground(packing);
    EXPECT_FALSE(tabs.IsToolsListShown());
    EXPECT_EQ(tabs.GetCurrentPage(), CMainTabCtrl::kToolsPage);
}

TEST_F(ToolsTabTest, LeavingAChangedPackingListAsksAndSavesOnlyOnYes) {
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    TapTab(4);
    TapToolIcon(kToolPackingList);
    auto* packing = dynamic_cast<CPackingListDlg*>(Tools()->GetTool(kToolPackingList));
    ASSERT_NE(packing, nullptr);
    const CString file = CPackingListDlg::PackFilePath();
    ::DeleteFileW(file);

    // Unchanged: no question on leaving.
    TapTab(0);
    EXPECT_TRUE(device::ui::MessageBoxRecords().empty());

    // Changed, then another tab: the question; No keeps the file as it was.
    TapTab(4);
    TapToolIcon(kToolPackingList);
    packing->SendMessage(WM_APP_PACK_UNCHECK_ALL);
    ASSERT_TRUE(packing->m_bChanged);
    device::ui::ScriptMessageBoxAnswers({IDNO});
    TapTab(1);
    auto records = device::ui::MessageBoxRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, L"Do you want to save Packing list changes?");
    EXPECT_EQ(records[0].type & MB_TYPEMASK, UINT(MB_YESNO));
    EXPECT_EQ(::GetFileAttributesW(file), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(tabs.GetCurrentPage(), CMainTabCtrl::kWeatherPage);

    // Changed again, then another tool: Yes writes pack.dat.
    TapTab(4);
    TapToolIcon(kToolPackingList);
    packing->SendMessage(WM_APP_PACK_UNCHECK_ALL);
    TapTab(4);
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDYES});
    TapToolIcon(kToolClothes);
    EXPECT_EQ(device::ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(device::ui::PendingMessageBoxAnswers(), 0u);
    EXPECT_NE(::GetFileAttributesW(file), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(packing->m_bChanged);

    // The main window closing asks too (through the container).
    TapTab(4);
    TapToolIcon(kToolPackingList);
    packing->SendMessage(WM_APP_PACK_UNCHECK_ALL);
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDNO});
    tabs.OfferSavePackingList();
    EXPECT_EQ(device::ui::MessageBoxRecords().size(), 1u);
}

// SIGTERM with a changed packing list on a full device: the close saves it (nobody can answer
// the question then), the save fails, and that is told on standard error, not lost in a box
// nobody sees, and the run counts as failed. In a child process, which the end request ends.
TEST_F(ToolsTabTest, ASaveThatFailsAsTheProgramEndsIsToldOnStandardError) {
    Open();
    TapTab(4);
    TapToolIcon(kToolPackingList);
    auto* packing = dynamic_cast<CPackingListDlg*>(Tools()->GetTool(kToolPackingList));
    ASSERT_NE(packing, nullptr);
    const std::string before = ReadDeviceFile(InProgramFolder(L"pack.dat"));
    int told[2];
    ASSERT_EQ(pipe(told), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(told[1], 2);
        packing->SendMessage(WM_APP_PACK_UNCHECK_ALL);
        device::ui::ClearMessageBoxRecords(); // the boxes answer as they do at the end
        testsupport::FileSizeLimit full(8);
        device::ui::RequestProgramEnd();
        m_dlg->DestroyWindow();
        _exit(SaveFailedAtEnd() ? 1 : 0);
    }
    close(told[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(told[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
    close(told[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << text;
    EXPECT_NE(text.find("Packing list could not be saved!"), std::string::npos) << text;
    EXPECT_NE(text.find("The device's storage is full!"), std::string::npos) << text;
    EXPECT_EQ(ReadDeviceFile(InProgramFolder(L"pack.dat")), before);
}

TEST_F(ToolsTabTest, NewsClearsTheUnreadMarkAndAChangedValueEnablesUndo) {
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"newsread", 0);
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    ASSERT_TRUE(tabs.HasUnreadNews());
    TapTab(4);
    EXPECT_TRUE(Tools()->IsNewsUnread()) << "the page takes the container's mark";
    TapToolIcon(kToolNews);
    EXPECT_FALSE(tabs.HasUnreadNews());
    EXPECT_FALSE(Tools()->IsNewsUnread());
    EXPECT_EQ(ReadDword(L"Jorvana", L"newsread"), 1);

    TapTab(4);
    TapToolIcon(kToolConverter);
    auto* converter = static_cast<CConverterDlg*>(Tools()->GetTool(kToolConverter));
    EXPECT_EQ(dlg.m_bUndoAvailable, 0);
    converter->m_valueField.SetFocus();
    converter->m_valueField.SetWindowText(L"");
    device::display::test::TypeKeys(L"12");
    device::ui::PumpUntilIdle();
    EXPECT_EQ(dlg.m_bUndoAvailable, 1);
}

TEST_F(ToolsTabTest, EscapeOnEveryPageAndToolLeavesItOnShow) {
    TestMainDlg& dlg = Open();
    CMainTabCtrl& tabs = dlg.GetTabs();
    const char* pages[] = {"clocks", "weather", "map", "currencies", "tools"};
    for (int tab = 0; tab < 5; ++tab) {
        TapTab(tab);
        CDialog* page = tabs.GetPage(tabs.GetCurrentPage());
        ASSERT_NE(page, nullptr) << pages[tab];
        EscapeKeeps(page, pages[tab]);
    }
    const char* tools[kToolCount] = {"converter", "dialing codes", "clothing", "packing list", "news"};
    for (int i = 0; i < kToolCount; ++i) {
        if (!tabs.IsToolsListShown()) TapTab(4);
        TapToolIcon(i);
        CDialog* tool = Tools()->GetTool(i);
        ASSERT_TRUE(tool && tool->IsWindowVisible()) << tools[i];
        EscapeKeeps(tool, tools[i]);
    }
    EXPECT_GE(m_combosTried, 4) << "weather, map, currencies, converter, codes, clothing, packing list";
}

TEST_F(ToolsTabTest, EditUndoIsOfferedAgainAfterEveryChange) {
    TestMainDlg& dlg = Open();
    TapTab(4);
    TapToolIcon(kToolConverter);
    auto* converter = static_cast<CConverterDlg*>(Tools()->GetTool(kToolConverter));
    converter->m_valueField.SetFocus();
    for (const wchar_t* typed : {L"12", L"7"}) {
        device::display::test::TypeKeys(typed);
        device::ui::PumpUntilIdle();
        EXPECT_EQ(dlg.m_bUndoAvailable, 1) << "after typing " << CString(typed).Str();
        CString before;
        converter->m_valueField.GetWindowText(before);
        dlg.SendMessage(WM_COMMAND, ID_EDIT_UNDO_TOOL);
        device::ui::PumpUntilIdle();
        EXPECT_EQ(dlg.m_bUndoAvailable, 0);
        CString after;
        converter->m_valueField.GetWindowText(after);
        EXPECT_NE(after, before) << "the typing was undone";
    }
}

TEST_F(ToolsTabTest, RotationReachesTheOpenToolThroughTheMainWindow) {
    TestMainDlg& dlg = Open();
    TapTab(4);
    TapToolIcon(kToolDialCodes);
    CDialog* codes = Tools()->GetTool(kToolDialCodes);
    CRect before;
    codes->GetWindowRect(&before);
    device::ui::RotateScreen();
    device::ui::PumpUntilIdle();
    CRect after;
    codes->GetWindowRect(&after);
    EXPECT_TRUE(codes->IsWindowVisible());
    EXPECT_NE(after.Width(), before.Width()) << "the tool was placed again for the new work area";
    EXPECT_FALSE(testsupport::SaveScreenshot("tools-tab-codes-landscape").empty());
    (void)dlg;
}

TEST_F(ToolsTabTest, ToolsUseTheFontSettingsTheMainWindowRead) {
    // fontbase is stored as text ("3.7" counts as 3); the tools take the main window's reading.
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"fontbase", L"3.7");
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"font", L"Tahoma");
    Open();
    TapTab(4);
    TapToolIcon(kToolConverter);
    auto* converter = static_cast<CConverterDlg*>(Tools()->GetTool(kToolConverter));
    CFont* font = converter->m_convertLabel.GetFont();
    ASSERT_NE(font, nullptr);
    LOGFONTW lf{};
    ASSERT_TRUE(font->GetLogFont(&lf));
    EXPECT_EQ(CString(lf.lfFaceName), CString(L"Tahoma"));
    EXPECT_EQ(lf.lfHeight, 17);
    SharedFontSizeBase = 0;
    SharedFontFace = L"Arial";
}

// The dialing codes' Find box and the unit editor's fields raise the input panel, as their
// input-panel controls ask, and a rotation with the panel up keeps what was typed and the forms
// whole: the code lists' columns fit the new width (GMT on screen); the editor keeps its header
// and fields above the panel where the screen is 320 pixels high.
TEST_F(ToolsTabTest, FormFieldsRaiseThePanelAndARotationKeepsTheFormsWhole) {
    for (SIZE shape : kShapes) {
        const std::string name = std::to_string(shape.cx) + "x" + std::to_string(shape.cy);
        SCOPED_TRACE(name);
        OpenOnShape(shape);
        TapTab(4);
        TapToolIcon(kToolDialCodes);
        CDialog* codes = Tools()->GetTool(kToolDialCodes);
        HWND find = ::GetDlgItem(codes->m_hWnd, IDC_DIAL_FIND);
        ASSERT_FALSE(PanelUp());
        TapWhereShown(find);
        EXPECT_TRUE(PanelUp() && ::GetFocus() == find) << "Find box";
        device::display::test::TypeKeys(L"ch");
        device::ui::RotateScreen();
        device::ui::PumpUntilIdle();
        wchar_t typed[16] = {};
        ::GetWindowTextW(find, typed, 16);
        EXPECT_EQ(std::wstring(typed), L"ch");
        for (int id : {IDC_DIAL_LIST, IDC_AREA_LIST}) {
            CListCtrl* list = static_cast<CListCtrl*>(codes->GetDlgItem(id));
            CRect client;
            list->GetClientRect(&client);
            EXPECT_LE(list->GetColumnWidth(0) + list->GetColumnWidth(1) + list->GetColumnWidth(2), client.Width())
                << "list " << id << ": the last column on screen";
        }
        testsupport::SaveScreenshot("tools-codes-rotated-panel-up-" + name);
        device::ui::RotateScreen(); // back
        ::SetFocus(::GetDlgItem(codes->m_hWnd, IDC_DIAL_LIST));
        device::ui::PumpUntilIdle();
        EXPECT_FALSE(PanelUp()) << "the list took the focus";

        TapTab(4);
        TapToolIcon(kToolConverter);
        auto* conv = static_cast<CConverterDlg*>(Tools()->GetTool(kToolConverter));
        device::ui::SetSipUp(false);
        device::ui::PumpUntilIdle();
        bool raised[2] = {false, false}, together[2] = {false, false};
        CString kept;
        CloseNextDialog<CUnitEditDlg>([&](CUnitEditDlg& editor) {
            device::ui::PumpUntilIdle();
            CEdit* fields[2] = {&editor.m_factorField, &editor.m_nameField};
            for (int f = 0; f < 2; ++f) {
                TapWhereShown(fields[f]->m_hWnd);
                raised[f] = PanelUp() && ::GetFocus() == fields[f]->m_hWnd;
            }
            device::display::test::TypeKeys(L"Talent");
            for (int turn = 0; turn < 2; ++turn) {
                if (turn == 1) device::ui::RotateScreen();
                device::ui::PumpUntilIdle();
                together[turn] = PanelUp();
                for (CWnd* control : {static_cast<CWnd*>(&editor.m_category), static_cast<CWnd*>(&editor.m_nameField),
                                      static_cast<CWnd*>(&editor.m_factorField), static_cast<CWnd*>(&editor.m_modifyButton)}) {
                    CRect r;
                    control->GetWindowRect(&r);
                    together[turn] = together[turn] && r.top >= VisibleDesktop().top && r.bottom <= VisibleDesktop().bottom;
                }
            }
            editor.m_nameField.GetWindowText(kept);
            testsupport::SaveScreenshot("unit-editor-rotated-panel-up-" + std::string(name));
            device::ui::RotateScreen(); // back
            device::ui::PumpUntilIdle();
        });
        conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_EDIT_UNITS, BN_CLICKED),
                          reinterpret_cast<LPARAM>(conv->m_editUnitsButton.m_hWnd));
        device::ui::PumpUntilIdle();
        EXPECT_TRUE(raised[0]) << "factor field";
        EXPECT_TRUE(raised[1]) << "name field";
        EXPECT_EQ(kept, CString(L"Talent")) << "the typed name stays";
        if (shape.cy == 320) {
            EXPECT_TRUE(together[0]) << "header and fields above the panel";
        }
        if (shape.cx == 320 && shape.cy == 320) {
            EXPECT_TRUE(together[1]) << "the same, rotated";
        }
        device::ui::SetSipUp(false);
        device::ui::PumpUntilIdle();
    }
}

TEST_F(ToolsTabTest, TipCalculatorOwnedByTheToolsPageOpensToolFourOnASettingsChange) {
    TestMainDlg& dlg = Open();
    TapTab(4);
    CToolsPage* tools = Tools();
    ASSERT_NE(tools, nullptr);
    CTipTaxDlg tip;
    ASSERT_TRUE(tip.Create(IDD_TIP_TAX, &dlg.GetTabs()));
    ::SetWindowLongPtrW(tip.m_hWnd, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(tools->m_hWnd));
    tip.SendMessage(WM_SETTINGCHANGE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(tools->GetCurrentTool(), kToolNews);
    ASSERT_TRUE(tools->IsToolCreated(kToolNews));
    EXPECT_TRUE(tools->GetTool(kToolNews)->IsWindowVisible());
    tip.DestroyWindow();
}

// With the input panel raised, the dialing codes end above it on every screen shape and every
// control (the Find box too) can be scrolled into the part of the screen the panel leaves.
TEST_F(ToolsTabTest, DialingCodesStayReachableAboveTheRaisedPanel) {
    for (SIZE shape : kShapes) {
        SCOPED_TRACE(testing::Message() << shape.cx << "x" << shape.cy);
        OpenOnShape(shape);
        TapTab(4);
        TapToolIcon(kToolDialCodes);
        CDialog* codes = Tools()->GetTool(kToolDialCodes);
        ASSERT_TRUE(codes && codes->IsWindowVisible());
        CRect full;
        codes->GetWindowRect(&full);

        device::ui::SetSipUp(true);
        device::ui::PumpUntilIdle();
        CRect raised;
        codes->GetWindowRect(&raised);
        EXPECT_EQ(raised.top, full.top);
        EXPECT_EQ(raised.bottom, VisibleDesktop().bottom) << "the window ends at the panel's top edge";
        CRect find;
        codes->GetDlgItem(IDC_DIAL_FIND)->GetWindowRect(&find);
        EXPECT_LE(find.bottom, VisibleDesktop().bottom) << "the Find box is shown above the panel";
        testsupport::SaveScreenshot("tools-dialing-codes-panel-up-" + std::to_string(shape.cx) + "x" +
                                    std::to_string(shape.cy));

        for (int id : {IDC_DIAL_FIND, IDC_DIAL_FIND_LABEL, IDC_DIAL_SHOW, IDC_DIAL_LIST})
            EXPECT_TRUE(Reachable(codes, ::GetDlgItem(codes->m_hWnd, id), std::to_string(id).c_str()));

        device::ui::SetSipUp(false);
        device::ui::PumpUntilIdle();
        CRect lowered;
        codes->GetWindowRect(&lowered);
        EXPECT_EQ(lowered, full) << "the window gets its frame back";
    }
}

// With the input panel raised on every screen shape: the converter shows its value and its
// result together above the panel and can scroll its bottom buttons into reach; the clothing
// chart's rows can be scrolled into reach too. The unit editor opened from the converter shows
// no scroll bar while it has nothing to scroll, and its category list opens above the panel.
TEST_F(ToolsTabTest, ConverterClothingAndUnitEditorReachableAboveTheRaisedPanel) {
    for (SIZE shape : kShapes) {
        const std::string name = std::to_string(shape.cx) + "x" + std::to_string(shape.cy);
        SCOPED_TRACE(name);
        OpenOnShape(shape);
        TapTab(4);
        TapToolIcon(kToolConverter);
        auto* conv = static_cast<CConverterDlg*>(Tools()->GetTool(kToolConverter));
        ASSERT_TRUE(conv && conv->IsWindowVisible());
        device::ui::SetSipUp(false); // the value field may have raised it
        device::ui::PumpUntilIdle();
        EXPECT_FALSE(conv->GetStyle() & WS_VSCROLL) << "panel down";

        static bool s_barWithNothingToScroll;
        s_barWithNothingToScroll = true;
        CloseNextDialog<CUnitEditDlg>([](CUnitEditDlg& editor) {
            // The editor opens in its name field, which raises the panel: the user lowers it.
            device::ui::SetSipUp(false);
            device::ui::PumpUntilIdle();
            s_barWithNothingToScroll = editor.GetStyle() & WS_VSCROLL;
        });
        conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_EDIT_UNITS, BN_CLICKED),
                          reinterpret_cast<LPARAM>(conv->m_editUnitsButton.m_hWnd));
        device::ui::PumpUntilIdle();
        EXPECT_FALSE(s_barWithNothingToScroll) << "unit editor, panel down";

        conv->m_valueField.SetFocus();
        device::ui::SetSipUp(true);
        device::ui::PumpUntilIdle();
        const CRect visible = VisibleDesktop();
        for (CWnd* seen : {static_cast<CWnd*>(&conv->m_valueField), static_cast<CWnd*>(&conv->m_resultField)}) {
            CRect r;
            seen->GetWindowRect(&r);
            EXPECT_TRUE(visible.PtInRect(r.TopLeft()) && r.bottom <= visible.bottom) << "value and result in view";
        }
        testsupport::SaveScreenshot("tools-converter-panel-up-" + name);
        for (CWnd* control : {static_cast<CWnd*>(&conv->m_clearButton), static_cast<CWnd*>(&conv->m_editUnitsButton),
                              static_cast<CWnd*>(&conv->m_resultField)})
            EXPECT_TRUE(Reachable(conv, control->m_hWnd, "converter"));

        static long s_listBottom, s_visibleBottom;
        s_listBottom = LONG_MAX;
        s_visibleBottom = visible.bottom;
        CloseNextDialog<CUnitEditDlg>([](CUnitEditDlg& editor) {
            editor.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
            editor.m_category.ShowDropDown(TRUE);
            device::ui::PumpUntilIdle();
            CRect list;
            editor.m_category.GetDroppedControlRect(&list);
            s_listBottom = list.bottom;
            editor.m_category.ShowDropDown(FALSE);
        });
        conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_EDIT_UNITS, BN_CLICKED),
                          reinterpret_cast<LPARAM>(conv->m_editUnitsButton.m_hWnd));
        device::ui::PumpUntilIdle();
        EXPECT_LE(s_listBottom, s_visibleBottom) << "unit editor's category list";

        device::ui::SetSipUp(false);
        device::ui::PumpUntilIdle();
        TapTab(4);
        TapToolIcon(kToolClothes);
        CDialog* clothes = Tools()->GetTool(kToolClothes);
        ASSERT_TRUE(clothes && clothes->IsWindowVisible());
        device::ui::SetSipUp(true);
        device::ui::PumpUntilIdle();
        for (int id : {IDC_CLOTHES_ROW1, IDC_CLOTHES_ROW4, IDC_CLOTHES_CHILDREN})
            EXPECT_TRUE(Reachable(clothes, ::GetDlgItem(clothes->m_hWnd, id), std::to_string(id).c_str()));
        device::ui::SetSipUp(false);
        device::ui::PumpUntilIdle();
    }
}

} // namespace
} // namespace shelltest
