// The application object and what hangs on it: the program's run (start-up, message loop, idle
// processing, exit), message boxes with the application's name, the resource module, the menu
// bar's command update driven from PreTranslateMessage, and the wait cursor.
#include "platform/display/Display.h"
#include "platform/framework/CommandBar.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WinApp.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/Modules.h"
#include "platform/ui/MessageBox.h"
#include "support/WindowedDevice.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace {

constexpr int kForm = 200;

class FrameworkAppTest : public testsupport::WindowedDevice {
protected:
    void TearDown() override {
        AfxSetResourceHandle(nullptr);
        WindowedDevice::TearDown();
    }
};

// An application whose start-up and idle calls the test writes.
class TestApp : public CWinApp {
public:
    using CWinApp::CWinApp;
    std::function<BOOL(TestApp&)> init;
    std::function<void(LONG)> idle;
    int idleCalls = 0;
    int exits = 0;
    BOOL InitInstance() override { return init ? init(*this) : FALSE; }
    BOOL OnIdle(LONG lCount) override {
        ++idleCalls;
        if (idle) idle(lCount);
        return CWinApp::OnIdle(lCount);
    }
    int ExitInstance() override {
        ++exits;
        return CWinApp::ExitInstance() + 100;
    }
};

// A window that ends the message loop when told to.
class QuitWnd : public CWnd {
public:
    afx_msg LRESULT OnQuit(WPARAM w, LPARAM) {
        PostQuitMessage(static_cast<int>(w));
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(QuitWnd, CWnd)
    ON_MESSAGE(WM_APP + 1, &QuitWnd::OnQuit)
END_MESSAGE_MAP()

// A main window keeping its menu bar's states current from PreTranslateMessage, as the program's
// main window does: when the queue is empty and an update is pending, update the bar once.
class MainLikeDlg : public CDialog {
public:
    MainLikeDlg() : CDialog(kForm) { m_bFullScreen = FALSE; }
    CCeCommandBar bar;
    BOOL pending = TRUE;
    BOOL undoAvailable = FALSE;
    int updates = 0;
    std::function<void(MainLikeDlg&)> step;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        bar.Create(this);
        bar.InsertMenuBar(300);
        TBBUTTON buttons[2]{};
        buttons[0].idCommand = 32795; // handled
        buttons[0].fsState = TBSTATE_ENABLED;
        buttons[1].idCommand = 32796; // nobody handles it
        buttons[1].fsState = TBSTATE_ENABLED;
        buttons[1].iBitmap = 1;
        bar.AddButtons(2, buttons);
        PostMessage(WM_APP);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        MSG peek;
        if (!PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE) && pending) {
            bar.OnUpdateCmdUI(this, TRUE);
            ++updates;
            pending = FALSE;
        } else if (AfxGetApp()->IsIdleMessage(pMsg)) {
            pending = TRUE;
        }
        return CDialog::PreTranslateMessage(pMsg);
    }
    afx_msg LRESULT OnStep(WPARAM, LPARAM) {
        if (step) step(*this);
        return 0;
    }
    afx_msg void OnBack() {}
    afx_msg void OnTwelveHour() {}
    afx_msg void OnUpdateTwelveHour(CCmdUI* pCmdUI) { pCmdUI->Enable(undoAvailable); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(MainLikeDlg, CDialog)
    ON_MESSAGE(WM_APP, &MainLikeDlg::OnStep)
    ON_COMMAND(32795, &MainLikeDlg::OnBack)
    ON_COMMAND(32878, &MainLikeDlg::OnTwelveHour)
    ON_UPDATE_COMMAND_UI(32878, &MainLikeDlg::OnUpdateTwelveHour)
END_MESSAGE_MAP()

HMODULE TestDialogsModule() {
    namespace fs = std::filesystem;
    fs::path folder = device::FileSystemFolder() / "Windows";
    fs::create_directories(folder);
    fs::copy_file(TEST_DIALOGS_MODULE, folder / "Dialogs.dll", fs::copy_options::overwrite_existing);
    return LoadLibraryW(L"\\Windows\\Dialogs.dll");
}

} // namespace

TEST_F(FrameworkAppTest, StartUpThatReturnsFalseEndsWithoutALoop) {
    TestApp app(L"Jorvana");
    EXPECT_EQ(AfxGetApp(), &app);
    int dialogResult = 0;
    app.init = [&](TestApp& self) {
        EXPECT_TRUE(AfxSocketInit());
        // The program's pattern: the main window runs modally and start-up returns FALSE.
        class Main : public CDialog {
        public:
            Main() : CDialog(kForm) { m_bFullScreen = FALSE; }
            BOOL OnInitDialog() override {
                CDialog::OnInitDialog();
                PostMessage(WM_COMMAND, IDCANCEL);
                return TRUE;
            }
        } dlg;
        self.m_pMainWnd = &dlg;
        dialogResult = static_cast<int>(dlg.DoModal());
        return FALSE;
    };
    EXPECT_EQ(AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPTSTR>(L""), SW_SHOW), 100);
    EXPECT_EQ(dialogResult, IDCANCEL);
    EXPECT_EQ(app.m_pMainWnd, nullptr); // the main window object went with start-up's stack
    EXPECT_EQ(app.exits, 1);
    EXPECT_EQ(app.idleCalls, 0); // the application's own loop never ran
    EXPECT_STREQ(AfxGetAppName(), L"Jorvana");
}

TEST_F(FrameworkAppTest, TheProgramEntryRunsTheAppOnARunningDisplay) {
    device::display::Stop();
    TestApp app(L"Jorvana");
    const char* driver = nullptr;
    app.init = [&](TestApp&) {
        driver = device::display::ActiveDriver();
        return FALSE;
    };
    EXPECT_EQ(AfxRunProgram(), 100);
    EXPECT_STREQ(driver, "headless");
    EXPECT_EQ(device::display::ActiveDriver(), nullptr); // stopped when the program ends
    device::display::Start();
}

TEST_F(FrameworkAppTest, RunPumpsWithIdleProcessingUntilQuit) {
    TestApp app; // no name given: one is found for it
    QuitWnd window;
    app.init = [&](TestApp& self) {
        EXPECT_TRUE(window.CreateEx(0, nullptr, L"main", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr));
        self.m_pMainWnd = &window;
        return TRUE;
    };
    // Once the queue has run dry the idle processing runs; the loop then takes the quit.
    std::vector<LONG> counts;
    app.idle = [&](LONG count) {
        counts.push_back(count);
        if (count == 1) window.PostMessage(WM_APP + 1, 7);
    };
    EXPECT_EQ(AfxWinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPTSTR>(L""), SW_SHOW), 107);
    EXPECT_EQ(counts, (std::vector<LONG>{0, 1}));
    EXPECT_GT(wcslen(AfxGetAppName()), 0u);
    window.DestroyWindow();
}

TEST_F(FrameworkAppTest, IdleIsNotDueAfterPaintTimerTicksOrAStillMouse) {
    TestApp app;
    MSG paint{nullptr, WM_PAINT, 0, 0, 0, {0, 0}};
    MSG sysTimer{nullptr, 0x0118, 0, 0, 0, {0, 0}};
    MSG key{nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    MSG move{nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(5, 6), 0, {0, 0}};
    MSG moved{nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(5, 7), 0, {0, 0}};
    EXPECT_FALSE(app.IsIdleMessage(&paint));
    EXPECT_FALSE(app.IsIdleMessage(&sysTimer));
    EXPECT_TRUE(app.IsIdleMessage(&key));
    EXPECT_TRUE(app.IsIdleMessage(&move));
    EXPECT_FALSE(app.IsIdleMessage(&move)); // the same place again
    EXPECT_TRUE(app.IsIdleMessage(&moved));
}

TEST_F(FrameworkAppTest, MessageBoxesCarryTheApplicationName) {
    TestApp app(L"Jorvana");
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDYES});
    EXPECT_EQ(AfxMessageBox(103), IDOK);
    EXPECT_EQ(AfxMessageBox(55555), IDOK); // no such string: an empty text, no failure
    EXPECT_EQ(AfxMessageBox(L"Sure?", MB_YESNO), IDYES);
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, L"Echec de l'initialisation des sockets Windows.");
    EXPECT_EQ(boxes[0].caption, L"Jorvana");
    EXPECT_EQ(boxes[1].text, L"");
    EXPECT_EQ(boxes[2].type & 0xFu, MB_YESNO);

    // The box belongs to the main window, or to the window over it that is active; a window of
    // the device's own that happens to be active (a raised notification) is not its owner.
    CWnd main, form;
    ASSERT_TRUE(main.CreateEx(0, nullptr, L"main", WS_POPUP | WS_VISIBLE, 0, 26, 240, 294, nullptr, nullptr));
    app.m_pMainWnd = &main;
    ASSERT_TRUE(form.CreateEx(0, nullptr, L"form", WS_POPUP | WS_VISIBLE, 0, 26, 240, 294, main.m_hWnd, nullptr));
    HWND notification = ::CreateWindowExW(WS_EX_TOPMOST, L"#32770", L"Reminder", WS_POPUP | WS_VISIBLE, 20, 80, 200,
                                          100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(notification, nullptr);
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    form.SetActiveWindow();
    AfxMessageBox(L"Over the form");
    ::SetActiveWindow(notification);
    AfxMessageBox(L"Under a notification");
    boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, form.m_hWnd);
    EXPECT_EQ(boxes[1].owner, main.m_hWnd);
    app.m_pMainWnd = nullptr;
    ::DestroyWindow(notification);
    form.DestroyWindow();
    main.DestroyWindow();
}

TEST_F(FrameworkAppTest, DialogsAndStringsComeFromTheResourceModule) {
    HMODULE language = TestDialogsModule();
    ASSERT_NE(language, nullptr);
    HINSTANCE program = AfxGetResourceHandle();
    EXPECT_EQ(program, GetModuleHandleW(nullptr));
    CString text;
    EXPECT_TRUE(text.LoadString(33129));
    EXPECT_STREQ(text, L"Show Cities on map");

    AfxSetResourceHandle(language);
    EXPECT_EQ(AfxGetResourceHandle(), language);
    EXPECT_TRUE(text.LoadString(1));
    EXPECT_STREQ(text, L"Dialogs");
    // What the module lacks is the program's own: its strings and its dialogs.
    EXPECT_TRUE(text.LoadString(33129));
    EXPECT_STREQ(text, L"Show Cities on map");
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(kForm), RT_DIALOG), program);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(101), RT_DIALOG), language);
    class Plain : public CDialog {
    public:
        Plain() : CDialog(101) { m_bFullScreen = FALSE; }
        BOOL OnInitDialog() override {
            CDialog::OnInitDialog();
            EndDialog(9);
            return TRUE;
        }
    } moduleDialog;
    EXPECT_EQ(moduleDialog.DoModal(), 9);

    AfxSetResourceHandle(program);
    EXPECT_TRUE(text.LoadString(33129));
    FreeLibrary(language);
}

TEST_F(FrameworkAppTest, MenuBarStatesFollowTheMainWindowsIdleUpdates) {
    TestApp app(L"Jorvana");
    MainLikeDlg dlg;
    app.m_pMainWnd = &dlg;
    int phase = 0;
    auto twelveHourGrey = [&] {
        HMENU popup = ::GetSubMenu(dlg.bar.GetMenu(0)->m_hMenu, 0);
        return (::GetMenuState(popup, 32878, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    dlg.step = [&](MainLikeDlg& self) {
        switch (phase++) {
        case 0:
            // The first update ran when the queue first ran empty.
            EXPECT_GE(self.updates, 1);
            EXPECT_TRUE(twelveHourGrey());
            EXPECT_TRUE(self.bar.SendMessage(TB_ISBUTTONENABLED, 32795));
            EXPECT_FALSE(self.bar.SendMessage(TB_ISBUTTONENABLED, 32796));
            self.undoAvailable = TRUE;
            self.PostMessage(WM_APP); // a message after which an update is due
            break;
        case 1: self.PostMessage(WM_APP); break; // the update runs once the queue is empty again
        default:
            EXPECT_FALSE(twelveHourGrey());
            self.EndDialog(IDOK);
        }
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(phase, 3);
    EXPECT_EQ(dlg.bar.m_hWnd, nullptr); // went with its window
}

TEST_F(FrameworkAppTest, WaitCursorsNestAndRestoreTheCursor) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    SetCursor(arrow);
    {
        CWaitCursor outer;
        EXPECT_EQ(GetCursor(), wait);
        {
            CWnd w;
            w.BeginWaitCursor();
            EXPECT_EQ(AfxWaitCursorDepth(), 2);
            SetCursor(arrow); // a message box, say
            w.RestoreWaitCursor();
            EXPECT_EQ(GetCursor(), wait);
            w.EndWaitCursor();
        }
        EXPECT_EQ(GetCursor(), wait); // still inside the outer wait
    }
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(AfxWaitCursorDepth(), 0);
    AfxWaitCursor(-1); // an end without a begin changes nothing
    EXPECT_EQ(AfxWaitCursorDepth(), 0);
    EXPECT_EQ(GetCursor(), arrow);
}
