// The Currencies tab in the real main window: the input panel comes up only for the user's own
// entry in an amount field, every control stays reachable on every screen shape with the panel
// up, and a letter typed on a column's combo does not change that column's currency.

#include "MainWindowTestSupport.h"
#include "currency/CurrencyPanel.h"
#include "platform/display/HeadlessTest.h"
#include "platform/system/Modules.h"
#include "support/FreshPaint.h"
#include "support/Screenshots.h"

namespace shelltest {
namespace {

class CurrencyTabTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        device::ui::SetSipUp(false);
        InstallSmallProduct();
    }
    CCurrencyPanel* Page() { return dynamic_cast<CCurrencyPanel*>(m_dlg->GetTabs().GetPage(3)); }
    HWND Item(int id) { return ::GetDlgItem(Page()->m_hWnd, id); }
    static bool PanelUp() {
        SIPINFO info{};
        info.cbSize = sizeof(info);
        return ::SipGetInfo(&info) && (info.fdwFlags & SIPF_ON);
    }
};

TEST_F(CurrencyTabTest, PanelComesUpOnlyForTheUsersOwnEntry) {
    Open();
    TapTab(3);
    ASSERT_NE(Page(), nullptr);
    EXPECT_FALSE(PanelUp()) << "first visit";
    TapTab(0);
    TapTab(3);
    EXPECT_FALSE(PanelUp()) << "second visit";

    // An amount typed, then a new currency for its column and a rate update: the amounts are
    // converted again, and the panel stays down.
    CRect pair1;
    ::GetWindowRect(Item(IDC_CUR_PAIR1), &pair1);
    device::display::test::Tap(CPoint(pair1.CenterPoint().x, pair1.bottom + 10)); // the first line's field
    device::ui::PumpUntilIdle();
    ASSERT_EQ(::GetDlgCtrlID(::GetFocus()), IDC_CUR_AMOUNT1);
    EXPECT_TRUE(PanelUp()) << "a tap on an amount field";
    device::display::test::TypeKeys(L"2");
    device::ui::PumpUntilIdle();
    TapTab(0);
    TapTab(3);
    EXPECT_FALSE(PanelUp()) << "a visit back to the field left with the focus";
    CComboBox* pair2 = static_cast<CComboBox*>(CWnd::FromHandle(Item(IDC_CUR_PAIR2)));
    pair2->SetCurSel(pair2->GetCurSel() == 0 ? 1 : 0);
    Page()->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CUR_PAIR2, CBN_SELCHANGE), reinterpret_cast<LPARAM>(pair2->m_hWnd));
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(PanelUp()) << "a currency choice";
    Page()->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CUR_PAIR1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(IDC_CUR_PAIR1)));
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(PanelUp()) << "a currency choice in the typed column";
    Page()->StoreRates(L"EUR_1.2#USD_1#");
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(PanelUp()) << "a rate update";
}

// Tab into an amount raises the panel (the page shrinks above it and scrolls), the panel then
// goes down: every control shows as a fresh paint of the page draws it, the cross rates, the
// bottom band's buttons and the last-update label under the panel's old place included; in
// English and in German, portrait and landscape.
TEST_F(CurrencyTabTest, EveryControlPaintedAfterThePanelRisesAndFalls) {
    AfxInstallStringLoader();
    PlaceModule(GERMAN_MODULE, InProgramFolder(L"LangsRes\\OndrelDeutsch.dll"));
    HMODULE german = ::LoadLibraryW(InProgramFolder(L"LangsRes\\OndrelDeutsch.dll").c_str());
    ASSERT_NE(german, nullptr);
    for (HMODULE language : {static_cast<HMODULE>(nullptr), german})
        for (SIZE shape : {SIZE{240, 320}, SIZE{320, 240}}) {
            SCOPED_TRACE(testing::Message()
                         << (language ? "German " : "English ") << shape.cx << "x" << shape.cy);
            if (m_dlg && m_dlg->m_hWnd) m_dlg->DestroyWindow();
            device::ui::PumpUntilIdle();
            AfxSetResourceHandle(language);
            device::ui::SetScreenShape(shape.cx, shape.cy);
            device::ui::SetSipUp(false);
            Open();
            TapTab(3);
            // The keys as the program's dialog loop takes them, from the first column's list on.
            ::SetFocus(Item(IDC_CUR_PAIR1));
            for (int tabs = 0; tabs < 12 && ::GetDlgCtrlID(::GetFocus()) != IDC_CUR_AMOUNT1; ++tabs) {
                MSG key{::GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
                ::IsDialogMessageW(m_dlg->m_hWnd, &key);
                device::ui::PumpUntilIdle();
            }
            ASSERT_EQ(::GetDlgCtrlID(::GetFocus()), IDC_CUR_AMOUNT1);
            ASSERT_TRUE(PanelUp());
            EXPECT_EQ(testsupport::PixelsUnlikeAFreshPaint().count, 0) << "panel up";
            device::display::test::ToggleInputPanel();
            ASSERT_FALSE(PanelUp());
            const testsupport::StalePixels stale = testsupport::PixelsUnlikeAFreshPaint();
            EXPECT_EQ(stale.count, 0) << stale;
            // ... and those controls are on show, not left outside a page still cut short.
            for (int id :
                 {IDC_CUR_RATE1, IDC_CUR_RATE2, IDC_CUR_UPDATE_ALL, IDC_CUR_CLEAR_ALL, IDC_CUR_LAST_UPDATE}) {
                CRect r;
                ::GetWindowRect(Item(id), &r);
                EXPECT_EQ(::WindowFromPoint(r.CenterPoint()), Item(id)) << id;
            }
            CRect clearAll;
            ::GetWindowRect(Item(IDC_CUR_CLEAR_ALL), &clearAll);
            EXPECT_GT(clearAll.top, device::ui::SipRect().top) << "Clear All lies where the panel was";
        }
    m_dlg->DestroyWindow();
    AfxSetResourceHandle(nullptr);
    ::FreeLibrary(german);
}

// A letter typed on a column's combo with its list closed leaves the column's currency; with
// the list open it moves to the first currency of that letter, which the user then sees.
TEST_F(CurrencyTabTest, LetterOnAClosedColumnComboKeepsTheCurrency) {
    Open();
    TapTab(3);
    CComboBox* pair1 = static_cast<CComboBox*>(CWnd::FromHandle(Item(IDC_CUR_PAIR1)));
    ASSERT_EQ(pair1->GetCount(), 2); // Euro, US Dollar
    pair1->SetFocus();
    const int before = pair1->GetCurSel();
    const wchar_t other = before == 0 ? L'u' : L'e';
    const long long stored = ReadDword(L"Jorvana\\currencies", L"curp");
    device::display::test::TypeKeys(std::wstring(1, other));
    device::ui::PumpUntilIdle();
    EXPECT_EQ(pair1->GetCurSel(), before);
    EXPECT_EQ(ReadDword(L"Jorvana\\currencies", L"curp"), stored);

    pair1->ShowDropDown(TRUE);
    device::ui::PumpUntilIdle();
    device::display::test::TypeKeys(std::wstring(1, other));
    device::ui::PumpUntilIdle();
    EXPECT_EQ(pair1->GetCurSel(), 1 - before) << "the open list goes to the letter";
}

// With the input panel raised on every screen shape the page ends at the panel's top edge and
// scrolls: the totals, the cross rates and the bottom band's buttons can all be brought above
// the panel. With the panel down the page shows no scroll bar.
TEST_F(CurrencyTabTest, EveryControlReachableAboveTheRaisedPanel) {
    for (SIZE shape : kShapes) {
        SCOPED_TRACE(testing::Message() << shape.cx << "x" << shape.cy);
        if (m_dlg && m_dlg->m_hWnd) m_dlg->DestroyWindow();
        device::ui::PumpUntilIdle();
        device::ui::SetScreenShape(shape.cx, shape.cy);
        device::ui::SetSipUp(false);
        Open();
        TapTab(3);
        ASSERT_NE(Page(), nullptr);
        EXPECT_FALSE(Page()->GetStyle() & WS_VSCROLL) << "panel down";

        device::ui::SetSipUp(true);
        device::ui::PumpUntilIdle();
        CRect page;
        Page()->GetWindowRect(&page);
        EXPECT_LE(page.bottom, VisibleDesktop().bottom) << "the page ends at the panel's top edge";
        for (int id : {IDC_CUR_PAIR3, IDC_CUR_TOTAL2, IDC_CUR_TOTAL3, IDC_CUR_RATE_BASE, IDC_CUR_CODE2, IDC_CUR_UPDATE_ALL,
                       IDC_CUR_CLEAR_ALL, IDC_CUR_LAST_UPDATE})
            EXPECT_TRUE(Reachable(Page(), Item(id), std::to_string(id).c_str()));
        // Scrolled to the bottom as the user would: Update All is on show above the panel, and
        // the line fields moved with it.
        CRect field, fieldScrolled, update, updateScrolled;
        ::GetWindowRect(Page()->GetAmountField(0, 0)->m_hWnd, &field);
        ::GetWindowRect(Item(IDC_CUR_UPDATE_ALL), &update);
        Page()->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
        device::ui::PumpUntilIdle();
        ::GetWindowRect(Item(IDC_CUR_UPDATE_ALL), &updateScrolled);
        ::GetWindowRect(Page()->GetAmountField(0, 0)->m_hWnd, &fieldScrolled);
        EXPECT_LE(updateScrolled.bottom, VisibleDesktop().bottom);
        EXPECT_GE(updateScrolled.top, page.top);
        EXPECT_EQ(field.top - fieldScrolled.top, update.top - updateScrolled.top);
        testsupport::SaveScreenshot("currencies-panel-up-scrolled-" + std::to_string(shape.cx) + "x" +
                                    std::to_string(shape.cy));
        device::ui::SetSipUp(false);
        device::ui::PumpUntilIdle();
        EXPECT_FALSE(Page()->GetStyle() & WS_VSCROLL) << "panel down again";
    }
}

} // namespace
} // namespace shelltest
