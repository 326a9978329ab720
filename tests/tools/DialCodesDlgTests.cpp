// The dialing and area codes tool as a user meets it: both lists filled in table order, the Find
// box selecting by the first letters of the first column, header taps sorting, the hint text,
// the Show combo, leaving the tool, and the skin colours.

#include "ToolWindowTestSupport.h"
#include "resources/resource.h"
#include "tools/DialCodeTables.h"
#include "tools/DialCodesDlg.h"
#include "shell/AppMessages.h"

#include <string>

using namespace toolwintest;

namespace {

class DialCodesTest : public ToolWindowTest {
protected:
    void SetUp() override {
        ToolWindowTest::SetUp();
        Open(m_dlg, IDD_DIAL_CODES);
    }
    void TearDown() override {
        if (m_dlg.m_hWnd) m_dlg.DestroyWindow();
        ToolWindowTest::TearDown();
    }
    static int Selected(const CListCtrl& list) { return list.GetNextItem(-1, LVNI_SELECTED); }
    static std::wstring Text(const CListCtrl& list, int row, int column = 0) {
        return std::wstring(static_cast<LPCWSTR>(list.GetItemText(row, column)));
    }
    void Find(const wchar_t* text) {
        m_dlg.m_editFind.SetWindowText(text);
        Pump();
    }
    void ChooseShow(int index) {
        m_dlg.m_comboShow.SetCurSel(index);
        m_dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_DIAL_SHOW, CBN_SELCHANGE), reinterpret_cast<LPARAM>(m_dlg.m_comboShow.m_hWnd));
        Pump();
    }
    void TapHeader(CSortListCtrl& list, int column) {
        CRect item;
        list.GetSortHeader().GetItemRect(column, &item);
        list.GetSortHeader().ClientToScreen(&item);
        device::display::test::Tap(item.CenterPoint());
    }
    std::wstring FindText() {
        CString text;
        m_dlg.m_editFind.GetWindowText(text);
        return std::wstring(static_cast<LPCWSTR>(text));
    }

    CDialCodesDlg m_dlg;
};

TEST_F(DialCodesTest, ListsHoldBothTablesInTableOrder) {
    ASSERT_EQ(m_dlg.m_listDial.GetItemCount(), kDialingCodeRowCount);
    ASSERT_EQ(m_dlg.m_listArea.GetItemCount(), kAreaCodeRowCount);
    EXPECT_EQ(Text(m_dlg.m_listDial, 0), L"Afghanistan");
    EXPECT_EQ(Text(m_dlg.m_listDial, 0, 1), L"+93");
    EXPECT_EQ(Text(m_dlg.m_listDial, 8, 1), L"+1 268 ");
    EXPECT_EQ(Text(m_dlg.m_listDial, 230, 1), L"+7");
    EXPECT_EQ(Text(m_dlg.m_listDial, 101, 2), L"+5.5");
    EXPECT_EQ(Text(m_dlg.m_listArea, 0), L"Akron");
    EXPECT_EQ(Text(m_dlg.m_listArea, 0, 1), L"Ohio(OH)");
    EXPECT_EQ(Text(m_dlg.m_listArea, 0, 2), L"+330");
    EXPECT_TRUE(m_dlg.m_listDial.IsWindowVisible());
    EXPECT_FALSE(m_dlg.m_listArea.IsWindowVisible());
    EXPECT_EQ(FindText(), L"keyword...");
    // Column widths follow the work area: (240 + 3) x 45%, 26%, 21% less one.
    EXPECT_EQ(m_dlg.m_listDial.GetColumnWidth(0), 109);
    EXPECT_EQ(m_dlg.m_listDial.GetColumnWidth(1), 63);
    EXPECT_EQ(m_dlg.m_listDial.GetColumnWidth(2), 50);
    testsupport::SaveScreenshot("tools-dialing-codes");
}

TEST_F(DialCodesTest, FindSelectsTheFirstRowByItsFirstLettersIgnoringCase) {
    Find(L"ch");
    EXPECT_EQ(Text(m_dlg.m_listDial, Selected(m_dlg.m_listDial)), L"Chad");
    Find(L"CHI");
    EXPECT_EQ(Text(m_dlg.m_listDial, Selected(m_dlg.m_listDial)), L"Chile");
    // The trailing blank is part of the name: one blank matches, two do not, and a text that
    // matches nothing leaves the selection where it was.
    Find(L"Ethiopia ");
    const int ethiopia = Selected(m_dlg.m_listDial);
    EXPECT_EQ(Text(m_dlg.m_listDial, ethiopia), L"Ethiopia ");
    Find(L"Ethiopia  ");
    EXPECT_EQ(Selected(m_dlg.m_listDial), ethiopia);
    EXPECT_EQ(m_dlg.m_listDial.GetSelectedCount(), 1u);
    // The found row is scrolled into view.
    const int top = m_dlg.m_listDial.GetTopIndex();
    EXPECT_LE(top, ethiopia);
    EXPECT_LT(ethiopia, top + m_dlg.m_listDial.GetCountPerPage());

    ChooseShow(1);
    EXPECT_TRUE(m_dlg.m_listArea.IsWindowVisible());
    EXPECT_FALSE(m_dlg.m_listDial.IsWindowVisible());
    Find(L"new");
    EXPECT_EQ(Text(m_dlg.m_listArea, Selected(m_dlg.m_listArea)), L"New Brunswick");
    // Countries are not searched while the area codes are shown.
    EXPECT_EQ(Selected(m_dlg.m_listDial), ethiopia);
}

TEST_F(DialCodesTest, HeaderTapsSortOnlyTheAllowedColumnsAndFindFollowsTheNewOrder) {
    TapHeader(m_dlg.m_listDial, 1); // "Code" does not sort
    TapHeader(m_dlg.m_listDial, 2); // nor "GMT"
    EXPECT_EQ(Text(m_dlg.m_listDial, 0), L"Afghanistan");
    TapHeader(m_dlg.m_listDial, 0);
    EXPECT_EQ(Text(m_dlg.m_listDial, 0), L"Afghanistan");
    EXPECT_EQ(Text(m_dlg.m_listDial, 0, 1), L"+93"); // rows move whole
    TapHeader(m_dlg.m_listDial, 0);
    EXPECT_EQ(Text(m_dlg.m_listDial, 0), L"Zimbabwe ");
    EXPECT_EQ(Text(m_dlg.m_listDial, 0, 1), L"+263 ");

    ChooseShow(1);
    TapHeader(m_dlg.m_listArea, 1); // by region: "Alabama(AL)" first
    EXPECT_EQ(Text(m_dlg.m_listArea, 0, 1), L"Alabama(AL)");
    Find(L"a");
    const int row = Selected(m_dlg.m_listArea);
    ASSERT_GE(row, 0);
    // The first city beginning with "a" in the new order, not in table order.
    for (int i = 0; i < row; ++i) EXPECT_NE(towlower(Text(m_dlg.m_listArea, i)[0]), L'a');
    EXPECT_EQ(towlower(Text(m_dlg.m_listArea, row)[0]), L'a');
    EXPECT_NE(Text(m_dlg.m_listArea, row), L"Akron");

    // Switching back keeps each list's order and selection.
    ChooseShow(0);
    EXPECT_EQ(Text(m_dlg.m_listDial, 0), L"Zimbabwe ");
    ChooseShow(1);
    EXPECT_EQ(Selected(m_dlg.m_listArea), row);
}

TEST_F(DialCodesTest, TheFindBoxEmptiesOnFocusAndGetsItsHintBackWhenLeftEmpty) {
    Find(L"Ja");
    m_dlg.m_editFind.SetFocus();
    Pump();
    EXPECT_EQ(FindText(), L"");
    EXPECT_EQ(Selected(m_dlg.m_listDial), 0); // the empty text selects the first row
    EXPECT_EQ(m_dlg.m_listDial.GetTopIndex(), 0);
    m_dlg.m_listDial.SetFocus();
    Pump();
    EXPECT_EQ(FindText(), L"keyword...");
    // A key in a list moves the focus to the Find box.
    m_dlg.m_listDial.SetFocus();
    device::display::test::PressKey(VK_DOWN);
    EXPECT_EQ(CWnd::GetFocus()->GetSafeHwnd(), m_dlg.m_editFind.m_hWnd);
    // A name typed in a list is found from its first letter on.
    m_dlg.m_listDial.SetFocus();
    device::display::test::TypeKeys(L"Ger");
    EXPECT_EQ(FindText(), L"Ger");
    EXPECT_EQ(Text(m_dlg.m_listDial, Selected(m_dlg.m_listDial)).rfind(L"Germany", 0), 0u);
}

TEST_F(DialCodesTest, EnterKeepsTheToolAndBackToToolsHidesIt) {
    m_dlg.SendMessage(WM_COMMAND, IDOK);
    Pump();
    EXPECT_TRUE(m_dlg.IsWindowVisible());
    EXPECT_EQ(m_dlg.SendMessage(WM_APP_LEAVE_TOOL), 1);
    EXPECT_FALSE(m_dlg.IsWindowVisible());
}

TEST_F(DialCodesTest, SkinColoursComeFromTheToolsSection) {
    EXPECT_EQ(m_dlg.m_crBand, kBand);
    EXPECT_EQ(m_dlg.m_crLabelText, kLabelText);
    // The band under the combo is painted in the skin's band colour.
    CRect band;
    m_dlg.m_staticBand.GetWindowRect(&band);
    EXPECT_EQ(device::display::test::PixelAt(band.left + 1, band.bottom - 2), kBand);

    // A chosen skin that cannot be read: the message, the default skin, and `skin` set to it.
    CRegistryKey registry;
    registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\Skins\\gone.skn");
    device::ui::ScriptMessageBoxAnswers({IDOK});
    m_dlg.ApplySkin();
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(device::ui::MessageBoxRecords()[0].text, L"Skin File corrupted or not found!\n\nDefault skin will be used.");
    EXPECT_EQ(std::wstring(registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin")),
              testsupport::InProgramFolder(L"default.skn"));
    EXPECT_EQ(m_dlg.m_crBand, kBand);
}

} // namespace
