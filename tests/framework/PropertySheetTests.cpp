// Property sheets of the framework, through the sample dialog's settings sheet: run-time class
// names, pages made when first shown, the start page chosen before the run, a page refusing to be
// left, OK applying every page made, and the window gone before DoModal returns.
#include "platform/display/Display.h"
#include "platform/framework/WinApp.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/Modules.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/MessageBox.h"
#include "support/FreshDevice.h"
#include "tests/framework/manual/SampleDlg.h"
#include "tests/framework/manual/SampleIds.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace fs = std::filesystem;

namespace {

class PropertySheetTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::display::Start();
        device::ui::ClearMessageBoxRecords();
        fs::path folder = device::FileSystemFolder() / "Windows";
        fs::create_directories(folder);
        fs::copy_file(SAMPLE_DIALOGS_MODULE, folder / "Sample.dll", fs::copy_options::overwrite_existing);
        m_module = LoadLibraryW(L"\\Windows\\Sample.dll");
        ASSERT_NE(m_module, nullptr);
        m_previous = AfxGetResourceHandle();
        AfxSetResourceHandle(m_module);
    }
    void TearDown() override {
        AfxSetResourceHandle(m_previous);
        if (m_module) FreeLibrary(m_module);
        device::ui::ClearMessageBoxRecords();
        FreshDevice::TearDown();
    }
    HMODULE m_module = nullptr;
    HINSTANCE m_previous = nullptr;
};

// The settings sheet with a script the test gives it, run once the start page is up.
class ScriptedSheet : public CSampleSheet {
public:
    ScriptedSheet() : CSampleSheet(L"Sample Settings...", nullptr, 0) {}
    std::function<void(ScriptedSheet&)> onRun;
    BOOL initialised = FALSE;
    BOOL pagesExistedAtInit = FALSE;

    BOOL OnInitDialog() override {
        initialised = TRUE;
        pagesExistedAtInit = m_clock.m_hWnd || m_colour.m_hWnd;
        PostMessage(WM_APP);
        return CSampleSheet::OnInitDialog();
    }
    LRESULT OnRun(WPARAM, LPARAM) {
        if (onRun) onRun(*this);
        // A script that stopped early still lets the run end (after any button it pressed).
        PressButton(PSBTN_CANCEL);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ScriptedSheet, CSampleSheet)
    ON_MESSAGE(WM_APP, &ScriptedSheet::OnRun)
END_MESSAGE_MAP()

CString TextOf(HWND hWnd) {
    CString text;
    CWnd::FromHandle(hWnd)->GetWindowText(text);
    return text;
}

} // namespace

TEST_F(PropertySheetTest, PagesAndSheetCarryTheirRunTimeClasses) {
    ScriptedSheet sheet;
    ASSERT_EQ(sheet.GetPageCount(), 2);
    EXPECT_EQ(sheet.GetPage(0), &sheet.m_clock);
    EXPECT_EQ(sheet.GetPage(2), nullptr);
    EXPECT_EQ(sheet.GetPageIndex(&sheet.m_colour), 1);
    EXPECT_STREQ(sheet.GetPage(0)->GetRuntimeClass()->m_lpszClassName, "clockpage");
    EXPECT_STREQ(sheet.GetPage(1)->GetRuntimeClass()->m_lpszClassName, "colourpage");
    EXPECT_STREQ(RUNTIME_CLASS(CSampleSheet)->m_lpszClassName, "CSampleSheet");
    EXPECT_TRUE(sheet.IsKindOf(RUNTIME_CLASS(CPropertySheet)));
    EXPECT_FALSE(sheet.IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_TRUE(sheet.m_clock.IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_FALSE(sheet.m_clock.IsKindOf(RUNTIME_CLASS(colourpage)));
    EXPECT_EQ(sheet.m_colour.GetParentSheet(), &sheet);
    // Pages can be made from their class; the sheet cannot.
    std::unique_ptr<CObject> made(RUNTIME_CLASS(colourpage)->CreateObject());
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(colourpage)));
    EXPECT_EQ(RUNTIME_CLASS(CSampleSheet)->CreateObject(), nullptr);
}

TEST_F(PropertySheetTest, StartPageSetBeforeTheRunIsTheOnlyPageMade) {
    ScriptedSheet sheet;
    sheet.m_colour.m_element = 2;
    ASSERT_TRUE(sheet.SetActivePage(1));
    EXPECT_FALSE(sheet.SetActivePage(2));
    bool ran = false;
    sheet.onRun = [&](ScriptedSheet& s) {
        ran = true;
        EXPECT_EQ(s.GetActiveIndex(), 1);
        EXPECT_EQ(s.GetActivePage(), &s.m_colour);
        EXPECT_EQ(s.m_clock.m_hWnd, nullptr);
        ASSERT_NE(s.m_colour.m_hWnd, nullptr);
        EXPECT_EQ(::GetParent(s.m_colour.m_hWnd), s.m_hWnd);
        EXPECT_EQ(TextOf(s.m_hWnd), CString(L"Sample Settings..."));
        // The page's data exchange ran: the list was filled and the member's entry selected.
        EXPECT_EQ(s.m_colour.m_elements.GetCount(), 4);
        EXPECT_EQ(s.m_colour.m_elements.GetCurSel(), 2);
        EXPECT_EQ(s.m_shown[0], 0);
        EXPECT_EQ(s.m_shown[1], 1);
        s.PressButton(PSBTN_CANCEL);
    };
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(sheet.initialised);
    EXPECT_FALSE(sheet.pagesExistedAtInit);
    EXPECT_EQ(sheet.m_summary, CString(L"colourpage"));
}

TEST_F(PropertySheetTest, PageThatRefusesToBeLeftStaysCurrent) {
    ScriptedSheet sheet;
    sheet.m_clock.m_city = L"";
    device::ui::ScriptMessageBoxAnswers({IDOK});
    sheet.onRun = [&](ScriptedSheet& s) {
        EXPECT_FALSE(s.SetActivePage(1));
        EXPECT_EQ(s.GetActiveIndex(), 0);
        EXPECT_EQ(s.m_colour.m_hWnd, nullptr);
        auto boxes = device::ui::MessageBoxRecords();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, L"Please enter a city name.");
        // Typing marks the page changed through its own map, and lets it go.
        EXPECT_FALSE(device::ui::PropertySheetPageChanged(s.m_hWnd, 0));
        s.m_clock.SetDlgItemText(IDC_SAMPLE_CLOCKCITY, L"Bergen");
        EXPECT_TRUE(device::ui::PropertySheetPageChanged(s.m_hWnd, 0));
        EXPECT_TRUE(s.SetActivePage(&s.m_colour));
        EXPECT_EQ(s.GetActivePage(), &s.m_colour);
        s.PressButton(PSBTN_OK);
    };
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(sheet.m_clock.m_city, CString(L"Bergen"));
}

TEST_F(PropertySheetTest, OkAppliesEveryPageMadeAndTheWindowIsGoneBeforeDoModalReturns) {
    ScriptedSheet sheet;
    sheet.m_clock.m_city = L"Oslo";
    HWND windows[3] = {};
    sheet.onRun = [&](ScriptedSheet& s) {
        ASSERT_TRUE(s.SetActivePage(1));
        s.m_clock.SetDlgItemText(IDC_SAMPLE_CLOCKCITY, L"changed while hidden");
        s.m_colour.CheckDlgButton(IDC_SAMPLE_BOLD, BST_CHECKED);
        windows[0] = s.m_hWnd;
        windows[1] = s.m_clock.m_hWnd;
        windows[2] = s.m_colour.m_hWnd;
        s.PressButton(PSBTN_OK);
    };
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(sheet.m_clock.m_applied, 1);
    EXPECT_EQ(sheet.m_colour.m_applied, 1);
    // Only the page being left takes its controls' values; a hidden page keeps what it had.
    EXPECT_TRUE(sheet.m_colour.m_bold);
    EXPECT_EQ(sheet.m_clock.m_city, CString(L"Oslo"));
    // The sheet's WM_DESTROY ran through its map while both pages were known.
    EXPECT_TRUE(sheet.m_destroyed);
    EXPECT_EQ(sheet.m_summary, CString(L"clockpage colourpage"));
    for (HWND h : windows) {
        ASSERT_NE(h, nullptr);
        EXPECT_FALSE(::IsWindow(h));
    }
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(sheet.m_clock.m_hWnd, nullptr);
    EXPECT_EQ(sheet.m_colour.m_hWnd, nullptr);

    // The same objects run again, on the page last shown, with the values they kept.
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    sheet.onRun = [&](ScriptedSheet& s) {
        EXPECT_EQ(s.GetActivePage(), &s.m_colour);
        EXPECT_EQ(s.m_colour.IsDlgButtonChecked(IDC_SAMPLE_BOLD), static_cast<UINT>(BST_CHECKED));
        s.PressButton(PSBTN_CANCEL);
    };
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(sheet.m_clock.m_applied, 1);
}

TEST_F(PropertySheetTest, PageAddedWhileRunningGetsATabAndIsMadeWhenShown) {
    ScriptedSheet sheet;
    sheet.m_clock.m_city = L"Oslo";
    clockpage extra;
    extra.m_city = L"Extra";
    sheet.onRun = [&](ScriptedSheet& s) {
        s.AddPage(&extra);
        EXPECT_EQ(s.GetPageCount(), 3);
        HWND tab = PropSheet_GetTabControl(s.m_hWnd);
        EXPECT_EQ(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 3);
        EXPECT_EQ(extra.m_hWnd, nullptr);
        ASSERT_TRUE(s.SetActivePage(&extra));
        ASSERT_NE(extra.m_hWnd, nullptr);
        EXPECT_EQ(s.GetActivePage(), &extra);
        CString text;
        extra.GetDlgItemText(IDC_SAMPLE_CLOCKCITY, text);
        EXPECT_EQ(text, CString(L"Extra"));
        s.PressButton(PSBTN_OK);
    };
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(extra.m_applied, 1);
    EXPECT_EQ(sheet.GetActiveIndex(), 2);
}

TEST_F(PropertySheetTest, TurnedScreenResizesTheSheetAndReachesItsPages) {
    ScriptedSheet sheet;
    sheet.onRun = [&](ScriptedSheet& s) {
        RECT before{}, field{};
        s.GetWindowRect(&before);
        device::ui::RotateScreen();
        RECT work{}, after{}, page{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        s.GetWindowRect(&after);
        EXPECT_EQ(after.right - after.left, work.right - work.left);
        EXPECT_EQ(after.bottom - after.top, work.bottom - work.top);
        EXPECT_NE(after.right - after.left, before.right - before.left);
        // The page was resized with the sheet and laid itself out in its own handler.
        RECT client{};
        s.GetClientRect(&client);
        s.m_clock.GetClientRect(&page);
        EXPECT_EQ(page.right, client.right);
        s.m_clock.m_cityEdit.GetWindowRect(&field);
        s.m_clock.ScreenToClient(&field);
        EXPECT_EQ(field.right, page.right - field.left);
        s.PressButton(PSBTN_CANCEL);
    };
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    device::ui::RotateScreen();
}

TEST_F(PropertySheetTest, SheetWithoutAUsablePageIsNotShown) {
    CPropertySheet empty(L"Empty");
    EXPECT_EQ(empty.DoModal(), -1);

    CPropertySheet sheet(L"Broken");
    CPropertyPage missing(9999);
    sheet.AddPage(&missing);
    sheet.AddPage(&missing); // once only
    EXPECT_EQ(sheet.GetPageCount(), 1);
    EXPECT_EQ(sheet.DoModal(), -1);
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(missing.m_hWnd, nullptr);
}

// The sample dialog runs its sheet from its own command; OK brings the sheet's values back.
TEST_F(PropertySheetTest, SampleDialogTakesTheSheetsValuesOnOk) {
    CSampleDlg dlg;
    dlg.m_bFullScreen = FALSE;
    ASSERT_TRUE(dlg.Create(IDD_SAMPLE));
    dlg.SetDlgItemText(IDC_SAMPLE_CITY, L"Bergen");
    static CString seen;
    seen.Empty();
    // The sheet is found from its window, as any code holding only a handle would.
    ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        auto* sheet = DYNAMIC_DOWNCAST(CSampleSheet, CWnd::FromHandlePermanent(::GetActiveWindow()));
        if (!sheet) return;
        ::KillTimer(nullptr, id);
        sheet->m_clock.GetDlgItemText(IDC_SAMPLE_CLOCKCITY, seen);
        sheet->m_clock.SetDlgItemText(IDC_SAMPLE_CLOCKCITY, L"Tromso");
        sheet->m_clock.CheckDlgButton(IDC_SAMPLE_TWELVE, BST_CHECKED);
        sheet->PressButton(PSBTN_OK);
    });
    dlg.SendMessage(WM_COMMAND, ID_SAMPLE_SETTINGS, 0);
    EXPECT_EQ(seen, CString(L"Bergen"));
    EXPECT_EQ(dlg.m_city, CString(L"Tromso"));
    EXPECT_TRUE(dlg.m_twelve);
    CString status;
    dlg.GetDlgItemText(IDC_SAMPLE_STATUS, status);
    EXPECT_EQ(status, CString(L"Tromso, 12-hour clock"));

    // The menu bar's Reset follows the city: usable while there is one, greyed once it is gone.
    CMenu* tools = dlg.m_bar.GetMenu();
    ASSERT_NE(tools, nullptr);
    dlg.m_bar.OnUpdateCmdUI(&dlg);
    EXPECT_FALSE(tools->GetMenuState(ID_SAMPLE_RESET, MF_BYCOMMAND) & MF_GRAYED);
    dlg.SendMessage(WM_COMMAND, ID_SAMPLE_RESET, 0);
    EXPECT_TRUE(dlg.m_city.IsEmpty());
    dlg.m_bar.OnUpdateCmdUI(&dlg);
    EXPECT_TRUE(tools->GetMenuState(ID_SAMPLE_RESET, MF_BYCOMMAND) & MF_GRAYED);
    dlg.DestroyWindow();
}
