// Dialogs of the framework: modal loops nested in each other, modeless dialogs, a missing
// template, and data exchange both ways with its validation messages.
#include "platform/display/Display.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/FrameworkStrings.h"
#include "platform/framework/WinApp.h"
#include "platform/ui/MessageBox.h"
#include "support/WindowedDevice.h"

#include <functional>
#include <vector>

namespace {

constexpr int kForm = 200, kPage = 201;

class FrameworkDialogTest : public testsupport::WindowedDevice {};

// A dialog whose test says what happens once it runs (WM_APP is posted at initialisation).
class ScriptedDlg : public CDialog {
public:
    explicit ScriptedDlg(UINT id = kForm, CWnd* parent = nullptr) : CDialog(id, parent) { m_bFullScreen = FALSE; }
    std::function<void(ScriptedDlg&)> onRun;
    BOOL initialised = FALSE;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        initialised = TRUE;
        PostMessage(WM_APP);
        return TRUE;
    }
    LRESULT OnRun(WPARAM, LPARAM) {
        if (onRun) onRun(*this);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ScriptedDlg, CDialog)
    ON_MESSAGE(WM_APP, &ScriptedDlg::OnRun)
END_MESSAGE_MAP()

// The form of every data exchange kind.
class FormDlg : public ScriptedDlg {
public:
    int m_count = 7;
    CString m_name = L"Oslo";
    double m_rate = 0.1;
    int m_check = 1;
    CString m_combo = L"Beta";
    int m_listIndex = 1;
    UINT m_unsigned = 4;
    int m_hours = 12;
    CWnd m_go;

    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, 1007, m_go);
        DDX_Text(pDX, 1001, m_count);
        DDX_Text(pDX, 1002, m_name);
        DDX_Text(pDX, 1003, m_rate);
        DDX_Check(pDX, 1004, m_check);
        DDX_CBString(pDX, 1005, m_combo);
        DDX_LBIndex(pDX, 1006, m_listIndex);
        DDX_Text(pDX, 1008, m_hours);
        DDV_MinMaxInt(pDX, m_hours, 0, 23);
    }
    BOOL OnInitDialog() override {
        // The lists are filled before the base initialisation loads the members into them.
        for (LPCWSTR s : {L"Alpha", L"Beta", L"Gamma"}) SendDlgItemMessage(1005, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        for (LPCWSTR s : {L"one", L"two", L"three"}) SendDlgItemMessage(1006, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        return ScriptedDlg::OnInitDialog();
    }
};

CString ItemText(CWnd& dlg, int id) {
    CString text;
    dlg.GetDlgItemText(id, text);
    return text;
}

} // namespace

TEST_F(FrameworkDialogTest, ModalDialogsNestAndEachReturnsItsOwnResult) {
    std::vector<INT_PTR> results;
    std::vector<bool> ownerDisabled;
    ScriptedDlg outer;
    outer.onRun = [&](ScriptedDlg& self) {
        ScriptedDlg inner(kForm, &self);
        inner.onRun = [&](ScriptedDlg& in) {
            ownerDisabled.push_back(!self.IsWindowEnabled());
            ScriptedDlg innermost(kForm, &in);
            innermost.onRun = [](ScriptedDlg& d) { d.EndDialog(30); };
            results.push_back(innermost.DoModal());
            in.EndDialog(20);
        };
        results.push_back(inner.DoModal());
        EXPECT_TRUE(self.IsWindowEnabled()); // the owner is usable again after the nested run
        self.EndDialog(10);
    };
    results.push_back(outer.DoModal());
    EXPECT_EQ(results, (std::vector<INT_PTR>{30, 20, 10}));
    EXPECT_EQ(ownerDisabled, std::vector<bool>{true});
    EXPECT_EQ(outer.m_hWnd, nullptr); // the window is gone, the object unbound
}

TEST_F(FrameworkDialogTest, EndDialogDuringInitialisationEndsBeforeTheLoop) {
    class EndsAtOnce : public CDialog {
    public:
        EndsAtOnce() : CDialog(kForm) { m_bFullScreen = FALSE; }
        BOOL OnInitDialog() override {
            CDialog::OnInitDialog();
            EndDialog(5);
            return TRUE;
        }
    } dlg;
    EXPECT_EQ(dlg.DoModal(), 5);
}

TEST_F(FrameworkDialogTest, MissingTemplateGivesMinusOneAndNoWindow) {
    ScriptedDlg dlg(999);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_FALSE(dlg.initialised);
    EXPECT_FALSE(dlg.Create(999));
}

TEST_F(FrameworkDialogTest, ModelessCreateBindsTheObjectAndRunsInitDialog) {
    ScriptedDlg dlg;
    ASSERT_TRUE(dlg.Create(kForm));
    EXPECT_TRUE(dlg.initialised);
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.m_hWnd), &dlg);
    // Messages of the window now reach the object's map.
    bool ran = false;
    dlg.onRun = [&](ScriptedDlg&) { ran = true; };
    dlg.SendMessage(WM_APP);
    EXPECT_TRUE(ran);
    // Cancel on a modeless dialog hides it; destroying it unbinds the object.
    dlg.ShowWindow(SW_SHOW);
    dlg.SendMessage(WM_COMMAND, IDCANCEL);
    EXPECT_FALSE(dlg.IsWindowVisible());
    HWND hWnd = dlg.m_hWnd;
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

TEST_F(FrameworkDialogTest, ChildDialogCreatedInsideAParent) {
    ScriptedDlg parent;
    ASSERT_TRUE(parent.Create(kForm));
    ScriptedDlg page(kPage);
    ASSERT_TRUE(page.Create(kPage, &parent));
    EXPECT_EQ(::GetParent(page.m_hWnd), parent.m_hWnd);
    parent.DestroyWindow();
    EXPECT_EQ(page.m_hWnd, nullptr); // went with its parent
}

TEST_F(FrameworkDialogTest, DataExchangeRoundTripsEveryKind) {
    FormDlg dlg;
    dlg.m_rate = 1.0 / 3.0;
    ASSERT_TRUE(dlg.Create(kForm));
    // Members to controls at initialisation; the control member is bound to its control.
    EXPECT_EQ(dlg.m_go.m_hWnd, ::GetDlgItem(dlg, 1007));
    EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(dlg, 1007)), &dlg.m_go);
    EXPECT_STREQ(ItemText(dlg, 1001), L"7");
    EXPECT_STREQ(ItemText(dlg, 1002), L"Oslo");
    EXPECT_STREQ(ItemText(dlg, 1003), L"0.333333333333333");
    EXPECT_EQ(dlg.IsDlgButtonChecked(1004), 1u);
    EXPECT_EQ(dlg.SendDlgItemMessage(1005, CB_GETCURSEL), 1);
    EXPECT_EQ(dlg.SendDlgItemMessage(1006, LB_GETCURSEL), 1);

    // Controls to members.
    dlg.SetDlgItemText(1001, L" -42 ");
    dlg.SetDlgItemText(1002, L"Zanzibar");
    dlg.SetDlgItemText(1003, L"2.5e3");
    dlg.CheckDlgButton(1004, 0);
    dlg.SetDlgItemText(1005, L"Typed in");
    dlg.SendDlgItemMessage(1006, LB_SETCURSEL, 2);
    dlg.SetDlgItemText(1008, L"23");
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_count, -42);
    EXPECT_STREQ(dlg.m_name, L"Zanzibar");
    EXPECT_DOUBLE_EQ(dlg.m_rate, 2500.0);
    EXPECT_EQ(dlg.m_check, 0);
    EXPECT_STREQ(dlg.m_combo, L"Typed in");
    EXPECT_EQ(dlg.m_listIndex, 2);
    EXPECT_EQ(dlg.m_hours, 23);
    EXPECT_TRUE(device::ui::MessageBoxRecords().empty());

    // A combo text that is no item is put in the edit field on the way back.
    dlg.m_combo = L"Gam";
    dlg.UpdateData(FALSE);
    EXPECT_EQ(dlg.SendDlgItemMessage(1005, CB_GETCURSEL), 2); // first item beginning with the text
    EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(dlg, 1007)), &dlg.m_go); // bound once, kept
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_go.m_hWnd, nullptr); // unbound with its window
}

TEST_F(FrameworkDialogTest, TextThatIsNoNumberIsRefusedWithTheStandardMessage) {
    CWinApp app(L"Jorvana");
    FormDlg dlg;
    ASSERT_TRUE(dlg.Create(kForm));
    dlg.ShowWindow(SW_SHOW);
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    dlg.SetDlgItemText(1001, L"12abc");
    dlg.SetDlgItemText(1002, L"changed");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_count, 7);        // unchanged
    EXPECT_STREQ(dlg.m_name, L"Oslo"); // the exchange stopped at the bad field
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dlg.m_hWnd, 1001));

    dlg.SetDlgItemText(1001, L"3");
    dlg.SetDlgItemText(1003, L"1,5");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_DOUBLE_EQ(dlg.m_rate, 0.1);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dlg.m_hWnd, 1003));

    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"Please enter an integer.");
    EXPECT_EQ(boxes[0].caption, L"Jorvana");
    EXPECT_EQ(boxes[0].type & 0xF0u, MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[1].text, L"Please enter a number.");
    dlg.DestroyWindow();
}

TEST_F(FrameworkDialogTest, OkWithAValueOutOfRangeKeepsTheDialogOpen) {
    CWinApp app(L"Jorvana");
    FormDlg dlg;
    int okRuns = 0;
    dlg.onRun = [&](ScriptedDlg& self) {
        if (okRuns++ == 0) {
            device::ui::ScriptMessageBoxAnswers({IDOK});
            self.SetDlgItemText(1008, L"24");
            self.SendMessage(WM_COMMAND, IDOK);
            // Still running: the range check refused and the member kept its value.
            EXPECT_TRUE(::IsWindow(self.m_hWnd));
            EXPECT_EQ(static_cast<FormDlg&>(self).m_hours, 12);
            EXPECT_EQ(::GetFocus(), ::GetDlgItem(self.m_hWnd, 1008));
            self.SetDlgItemText(1008, L"0");
            self.PostMessage(WM_APP);
            return;
        }
        self.SendMessage(WM_COMMAND, IDOK);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_hours, 0);
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Please enter an integer between 0 and 23.");
}

TEST_F(FrameworkDialogTest, UnsignedFieldRefusesAMinusSign) {
    class UnsignedDlg : public ScriptedDlg {
    public:
        UINT value = 9;
        void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, 1001, value); }
    } dlg;
    ASSERT_TRUE(dlg.Create(kForm));
    EXPECT_STREQ(ItemText(dlg, 1001), L"9");
    device::ui::ScriptMessageBoxAnswers({IDOK});
    dlg.SetDlgItemText(1001, L"-1");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.value, 9u);
    dlg.SetDlgItemText(1001, L"4294967295");
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.value, 4294967295u);
    dlg.DestroyWindow();
}

// A program (or its language module) whose string table holds a standard message has it shown
// in its words, the bounds put in; one that holds none gets the English.
TEST_F(FrameworkDialogTest, StandardMessagesComeFromTheStringTableWhenItHoldsThem) {
    class HoursDlg : public ScriptedDlg {
    public:
        int hours = 5;
        void DoDataExchange(CDataExchange* pDX) override {
            DDX_Text(pDX, 1001, hours);
            DDV_MinMaxInt(pDX, hours, 0, 23);
        }
    } dlg;
    ASSERT_TRUE(dlg.Create(kForm));
    const CString::StringLoader before = CString::GetStringLoader();
    CString::SetStringLoader([](UINT id, CString& out) {
        if (id == AFX_IDP_PARSE_INT_RANGE) out = L"Bitte eine ganze Zahl zwischen %1 und %2 eingeben.";
        return id == AFX_IDP_PARSE_INT_RANGE;
    });
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    dlg.SetDlgItemText(1001, L"24");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    dlg.SetDlgItemText(1001, L"x");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    CString::SetStringLoader(before);
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"Bitte eine ganze Zahl zwischen 0 und 23 eingeben.");
    EXPECT_EQ(boxes[1].text, L"Please enter an integer.");
    dlg.DestroyWindow();
}

TEST_F(FrameworkDialogTest, FullScreenDialogsFillTheWorkAreaUnlessTheFlagIsCleared) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    CDialog full(kForm);
    ASSERT_TRUE(full.Create(kForm));
    RECT r;
    full.GetWindowRect(&r);
    EXPECT_EQ(r.right - r.left, work.right - work.left);
    EXPECT_EQ(r.bottom - r.top, work.bottom - work.top);
    EXPECT_TRUE(full.GetExStyle() & WS_EX_CAPTIONOKBTN);

    ScriptedDlg plain; // clears the flag
    ASSERT_TRUE(plain.Create(kForm));
    RECT size{0, 0, 120, 140};
    MapDialogRect(plain.m_hWnd, &size);
    plain.GetClientRect(&r);
    EXPECT_EQ(r.right, size.right);
    EXPECT_EQ(r.bottom, size.bottom);
    full.DestroyWindow();
    plain.DestroyWindow();
}
