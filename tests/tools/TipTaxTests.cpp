// The tip and tax calculator: reading figures, the amounts and the total as the user types, the
// refused percentages and characters, the emptied edit, and the two pickers.

#include "ToolWindowTestSupport.h"
#include "resources/resource.h"
#include "shell/AppMessages.h"
#include "tools/TipTaxDlg.h"
#include "tools/TipTaxMath.h"
#include "platform/ui/Sip.h"

#include <string>

using namespace toolwintest;

namespace {

TEST(TipTaxMath, FiguresReadTheirLeadingNumber) {
    EXPECT_DOUBLE_EQ(ReadFigure(L"12.5"), 12.5);
    EXPECT_DOUBLE_EQ(ReadFigure(L"12.5e1x"), 125.0);
    EXPECT_DOUBLE_EQ(ReadFigure(L"-3"), -3.0);
    EXPECT_DOUBLE_EQ(ReadFigure(L""), 0.0);
    EXPECT_DOUBLE_EQ(ReadFigure(L"e"), 0.0);
    EXPECT_DOUBLE_EQ(ReadFigure(L"1e999"), 0.0);
    TipTaxFigures f{80, 15, 10, true, true};
    EXPECT_DOUBLE_EQ(f.TipAmount(), 12.0);
    EXPECT_DOUBLE_EQ(f.TaxAmount(), 8.0);
    EXPECT_DOUBLE_EQ(f.Total(), 100.0); // both on the bill alone, not the tip on the taxed bill
    f.addTip = false;
    EXPECT_DOUBLE_EQ(f.Total(), 88.0);
    f.addTax = false;
    EXPECT_DOUBLE_EQ(f.Total(), 80.0);
    EXPECT_EQ(std::wstring(FormatAmount(2.0 / 3.0)), L"0.67");
    EXPECT_TRUE(IsPercentInRange(0));
    EXPECT_TRUE(IsPercentInRange(100));
    EXPECT_FALSE(IsPercentInRange(100.01));
    EXPECT_FALSE(IsPercentInRange(-0.5));
}

class TipTaxTest : public ToolWindowTest {
protected:
    void SetUp() override {
        ToolWindowTest::SetUp();
        Open(m_dlg, IDD_TIP_TAX);
    }
    void TearDown() override {
        if (m_dlg.m_hWnd) m_dlg.DestroyWindow();
        ToolWindowTest::TearDown();
    }
    static std::wstring Text(const CWnd& wnd) {
        CString text;
        wnd.GetWindowText(text);
        return std::wstring(static_cast<LPCWSTR>(text));
    }
    // Types into an edit as the user does: focus (which empties nothing) then the keys.
    void Type(CEdit& edit, const std::wstring& keys) {
        edit.SetFocus();
        edit.SetSel(0, -1);
        Pump();
        device::display::test::TypeKeys(keys);
        Pump();
    }
    // Taps a control with the input panel lowered, so that the tap cannot land on its keys.
    void Click(CButton& box) {
        SipShowIM(SIPF_OFF);
        Pump();
        device::display::test::Tap(ScreenCentre(box));
        Pump();
    }

    CTipTaxDlg m_dlg;
};

TEST_F(TipTaxTest, StartsAtZeroWithBothBoxesChecked) {
    EXPECT_EQ(Text(m_dlg.m_editAmount), L"0");
    EXPECT_EQ(Text(m_dlg.m_staticTipAmount), L"= 0.00");
    EXPECT_EQ(Text(m_dlg.m_staticTaxAmount), L"= 0.00");
    EXPECT_EQ(Text(m_dlg.m_staticTotal), L"0.00");
    EXPECT_EQ(m_dlg.m_checkTip.GetCheck(), 1);
    EXPECT_EQ(m_dlg.m_checkTax.GetCheck(), 1);
    ASSERT_TRUE(m_dlg.m_pCountry && m_dlg.m_pService);
    EXPECT_EQ(Text(*m_dlg.m_pCountry), L"Algiers");
    EXPECT_EQ(Text(*m_dlg.m_pService), L"Restaurant");
}

TEST_F(TipTaxTest, AmountsAndTotalFollowTheTyping) {
    Type(m_dlg.m_editAmount, L"80");
    Type(m_dlg.m_editTipPercent, L"15");
    Type(m_dlg.m_editTaxPercent, L"10");
    EXPECT_EQ(Text(m_dlg.m_staticTipAmount), L"= 12.00");
    EXPECT_EQ(Text(m_dlg.m_staticTaxAmount), L"= 8.00");
    EXPECT_EQ(Text(m_dlg.m_staticTotal), L"100.00");
    SipShowIM(SIPF_OFF);
    testsupport::SaveScreenshot("tools-tip-tax");
    Click(m_dlg.m_checkTip);
    EXPECT_EQ(m_dlg.m_checkTip.GetCheck(), 0);
    EXPECT_EQ(Text(m_dlg.m_staticTotal), L"88.00");
    EXPECT_EQ(Text(m_dlg.m_staticTipAmount), L"= 12.00");
    // A new bill amount recomputes both amounts.
    Type(m_dlg.m_editAmount, L"20");
    EXPECT_EQ(Text(m_dlg.m_staticTipAmount), L"= 3.00");
    EXPECT_EQ(Text(m_dlg.m_staticTotal), L"22.00");
}

TEST_F(TipTaxTest, APercentageAboveAHundredIsRefusedAndUndone) {
    Type(m_dlg.m_editAmount, L"50");
    Type(m_dlg.m_editTipPercent, L"10");
    device::ui::ScriptMessageBoxAnswers({IDOK});
    device::display::test::TypeKeys(L"0"); // 100: still allowed
    EXPECT_TRUE(device::ui::MessageBoxRecords().empty());
    EXPECT_EQ(Text(m_dlg.m_staticTotal), L"100.00");
    device::display::test::TypeKeys(L"5"); // 1005
    Pump();
    auto records = device::ui::MessageBoxRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, L"Value must be between 0% and 100%");
    const std::wstring restored = Text(m_dlg.m_editTipPercent);
    EXPECT_LE(ReadFigure(restored.c_str()), 100.0);
    EXPECT_EQ(Text(m_dlg.m_staticTipAmount), L"= " + std::wstring(FormatAmount(50 * ReadFigure(restored.c_str()) * 0.01)));
}

TEST_F(TipTaxTest, LettersAreRemovedAndAnEmptiedEditGetsZeroBack) {
    Type(m_dlg.m_editAmount, L"1x2");
    EXPECT_EQ(Text(m_dlg.m_editAmount), L"12");
    Type(m_dlg.m_editAmount, L"3e2");
    EXPECT_EQ(Text(m_dlg.m_editAmount), L"3e2");
    m_dlg.m_editTaxPercent.SetWindowText(L"");
    m_dlg.m_editTaxPercent.SetFocus();
    m_dlg.m_editAmount.SetFocus();
    Pump();
    EXPECT_EQ(Text(m_dlg.m_editTaxPercent), L"0");
}

TEST_F(TipTaxTest, ChoosingAPickerRowPostsTheSelection) {
    CDropDownSelector& picker = *m_dlg.m_pService;
    picker.m_pPopup->m_list.AddGroup(L"bar");
    EXPECT_EQ(picker.m_pPopup->m_list.GetCurSel(), 0); // sorted before "Restaurant" ignoring case
    Click(picker);
    EXPECT_TRUE(picker.m_pPopup->IsWindowVisible());
    picker.OnRowChosen(1);
    EXPECT_EQ(Text(picker), L"Restaurant");
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, m_dlg.m_hWnd, WM_PICKER_SELECTED, WM_PICKER_SELECTED, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(IDC_TIP_SERVICE));
    EXPECT_EQ(msg.lParam, 1);
}

TEST_F(TipTaxTest, EnterKeepsItAndBackToToolsHidesIt) {
    m_dlg.SendMessage(WM_COMMAND, IDOK);
    EXPECT_TRUE(m_dlg.IsWindowVisible());
    EXPECT_EQ(m_dlg.SendMessage(WM_APP_LEAVE_TOOL), 1);
    EXPECT_FALSE(m_dlg.IsWindowVisible());
}

} // namespace
