// Message maps and routing: each kind of entry reaching its handler with its parameters,
// notifications reflected to the control that sent them, command-UI updates applied to a menu,
// subclassing and the handle map.
#include "platform/display/Display.h"
#include "platform/display/HeadlessTest.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/Geometry.h"
#include "platform/framework/WindowDC.h"
#include "platform/framework/WinApp.h"
#include "support/WindowedDevice.h"

#include <string>
#include <vector>

namespace {

constexpr int kForm = 200;
constexpr UINT kMenu = 300;

class FrameworkMessageMapTest : public testsupport::WindowedDevice {};

// Writes down every handler call as a short text.
class LoggingDlg : public CDialog {
public:
    LoggingDlg() : CDialog(kForm) { m_bFullScreen = FALSE; }
    std::vector<std::wstring> log;
    BOOL twelveHour = FALSE;
    BOOL showCities = TRUE;
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));

    void Add(const std::wstring& s) { log.push_back(s); }
    std::wstring N(long long v) { return std::to_wstring(v); }

    afx_msg void OnPaint() {
        CPaintDC dc(this);
        Add(L"paint " + N(dc.GetSafeHdc() != nullptr));
    }
    afx_msg BOOL OnEraseBkgnd(CDC* pDC) {
        Add(L"erase " + N(pDC && pDC->GetSafeHdc()));
        return TRUE;
    }
    afx_msg void OnSize(UINT type, int cx, int cy) { Add(L"size " + N(type) + L" " + N(cx) + L"x" + N(cy)); }
    afx_msg void OnTimer(UINT_PTR id) { Add(L"timer " + N(static_cast<long long>(id))); }
    afx_msg void OnLButtonDown(UINT flags, CPoint p) { Add(L"down " + N(flags) + L" " + N(p.x) + L"," + N(p.y)); }
    afx_msg void OnLButtonUp(UINT, CPoint p) { Add(L"up " + N(p.x) + L"," + N(p.y)); }
    afx_msg void OnMouseLeave() { Add(L"leave"); }
    afx_msg HBRUSH OnCtlColor(CDC*, CWnd* pWnd, UINT nCtlColor) {
        Add(L"ctlcolor " + N(pWnd ? pWnd->GetDlgCtrlID() : -1) + L" " + N(nCtlColor));
        return brush;
    }
    afx_msg void OnDestroy() {
        Add(L"destroy");
        CDialog::OnDestroy();
    }
    afx_msg void OnSettingChange(UINT flags, LPCTSTR section) {
        Add(L"setting " + N(flags) + L" " + (section ? section : L"-"));
    }
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar*) { Add(L"vscroll " + N(code) + L" " + N(pos)); }
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar*) { Add(L"hscroll " + N(code) + L" " + N(pos)); }
    afx_msg void OnInitMenuPopup(CMenu* pPopup, UINT index, BOOL sys) {
        Add(L"initmenu " + N(index) + L" " + N(sys));
        AfxUpdateMenuCmdUI(this, pPopup->GetSafeHmenu());
    }
    afx_msg void OnTwelveHour() { Add(L"command 32878"); }
    afx_msg void OnShowCities() { Add(L"command 32877"); }
    afx_msg void OnTip(UINT id) { Add(L"range " + N(id)); }
    afx_msg void OnUpdateTwelveHour(CCmdUI* pCmdUI) { pCmdUI->SetCheck(twelveHour); }
    afx_msg void OnUpdateShowCities(CCmdUI* pCmdUI) {
        pCmdUI->SetText(showCities ? L"Hide Cities on map" : L"Show Cities on map");
    }
    afx_msg void OnUpdateTips(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    afx_msg void OnGo() { Add(L"clicked 1007"); }
    afx_msg void OnNameChange() { Add(L"en_change 1002"); }
    afx_msg void OnComboSel() { Add(L"cbn_selchange 1005"); }
    afx_msg void OnListSel() { Add(L"lbn_selchange 1006"); }
    afx_msg void OnCustomNotify(NMHDR* hdr, LRESULT* result) {
        Add(L"notify " + N(static_cast<long long>(hdr->idFrom)) + L" " + N(static_cast<int>(hdr->code)));
        *result = 77;
    }
    afx_msg LRESULT OnPrivate(WPARAM w, LPARAM l) {
        Add(L"message " + N(static_cast<long long>(w)) + L" " + N(l));
        return 0x8068;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(LoggingDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSELEAVE()
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
    ON_WM_SETTINGCHANGE()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_INITMENUPOPUP()
    ON_COMMAND(32878, &LoggingDlg::OnTwelveHour)
    ON_COMMAND(32877, &LoggingDlg::OnShowCities)
    ON_COMMAND_RANGE(32860, 32869, &LoggingDlg::OnTip)
    ON_UPDATE_COMMAND_UI(32878, &LoggingDlg::OnUpdateTwelveHour)
    ON_UPDATE_COMMAND_UI(32877, &LoggingDlg::OnUpdateShowCities)
    ON_UPDATE_COMMAND_UI(32867, &LoggingDlg::OnUpdateTips)
    ON_BN_CLICKED(1007, &LoggingDlg::OnGo)
    ON_EN_CHANGE(1002, &LoggingDlg::OnNameChange)
    ON_CBN_SELCHANGE(1005, &LoggingDlg::OnComboSel)
    ON_LBN_SELCHANGE(1006, &LoggingDlg::OnListSel)
    ON_NOTIFY(-700, 1001, &LoggingDlg::OnCustomNotify)
    ON_MESSAGE(0x8068, &LoggingDlg::OnPrivate)
END_MESSAGE_MAP()

// A control that handles its own notifications: the click is handled and passed on (the _EX
// form answering FALSE), the custom notification and the colour are eaten.
class ReflectingButton : public CWnd {
public:
    std::vector<std::wstring> log;
    BOOL passClickOn = TRUE;
    BOOL presubclassed = FALSE;
    HBRUSH hollow = reinterpret_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));

    void PreSubclassWindow() override { presubclassed = TRUE; }
    afx_msg BOOL OnClicked() {
        log.push_back(L"reflected click");
        return !passClickOn;
    }
    afx_msg void OnCustom(NMHDR* hdr, LRESULT* result) {
        log.push_back(L"reflected notify " + std::to_wstring(static_cast<int>(hdr->code)));
        *result = 5;
    }
    afx_msg HBRUSH CtlColor(CDC*, UINT nCtlColor) {
        log.push_back(L"reflected ctlcolor " + std::to_wstring(nCtlColor));
        return hollow;
    }
    afx_msg void DrawItem(LPDRAWITEMSTRUCT dis) { log.push_back(L"drawitem " + std::to_wstring(dis->CtlID)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectingButton, CWnd)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, &ReflectingButton::OnClicked)
    ON_NOTIFY_REFLECT(-701, &ReflectingButton::OnCustom)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

bool Contains(const std::vector<std::wstring>& log, const std::wstring& s) {
    for (auto& l : log)
        if (l == s) return true;
    return false;
}

} // namespace

TEST_F(FrameworkMessageMapTest, EachKindOfEntryReachesItsHandlerWithItsParameters) {
    LoggingDlg dlg;
    ASSERT_TRUE(dlg.Create(kForm));
    dlg.ShowWindow(SW_SHOW);
    device::display::test::PumpUntilIdle();
    dlg.log.clear();

    dlg.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 150));
    dlg.SendMessage(WM_TIMER, 3);
    dlg.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, 40));
    dlg.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(7, 8));
    EXPECT_EQ(dlg.SendMessage(WM_MOUSELEAVE), 0);
    dlg.SendMessage(WM_SETTINGCHANGE, 0xF2, 0);
    dlg.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 33), 0);
    dlg.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    dlg.SendMessage(WM_COMMAND, 32878);
    dlg.SendMessage(WM_COMMAND, 32862);
    dlg.SendMessage(WM_COMMAND, 32870); // outside the range: nobody
    EXPECT_EQ(dlg.SendMessage(0x8068, 4, -9), 0x8068);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1007, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dlg, 1007)));
    dlg.SetDlgItemText(1002, L"typed");
    dlg.SendDlgItemMessage(1005, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"x"));
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1005, CBN_SELCHANGE), reinterpret_cast<LPARAM>(::GetDlgItem(dlg, 1005)));
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1006, LBN_SELCHANGE), reinterpret_cast<LPARAM>(::GetDlgItem(dlg, 1006)));
    NMHDR hdr{::GetDlgItem(dlg, 1001), 1001, static_cast<UINT>(-700)};
    EXPECT_EQ(dlg.SendMessage(WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&hdr)), 77);
    NMHDR other{::GetDlgItem(dlg, 1002), 1002, static_cast<UINT>(-700)}; // same code, other control
    EXPECT_EQ(dlg.SendMessage(WM_NOTIFY, 1002, reinterpret_cast<LPARAM>(&other)), 0);
    HDC dc = ::GetDC(dlg);
    EXPECT_EQ(dlg.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(::GetDlgItem(dlg, 1004))),
              reinterpret_cast<LRESULT>(dlg.brush));
    EXPECT_EQ(dlg.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)), TRUE);
    ::ReleaseDC(dlg, dc);
    dlg.Invalidate();
    dlg.UpdateWindow();

    std::vector<std::wstring> expected{L"size 0 200x150", L"timer 3", L"down 1 -5,40", L"up 7,8", L"leave",
                                       L"setting 242 -", L"vscroll 4 33", L"hscroll 1 0", L"command 32878",
                                       L"range 32862", L"message 4 -9", L"clicked 1007"};
    ASSERT_GE(dlg.log.size(), expected.size());
    EXPECT_EQ(std::vector<std::wstring>(dlg.log.begin(), dlg.log.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_TRUE(Contains(dlg.log, L"en_change 1002")); // from the edit control itself
    EXPECT_TRUE(Contains(dlg.log, L"cbn_selchange 1005"));
    EXPECT_TRUE(Contains(dlg.log, L"lbn_selchange 1006"));
    EXPECT_TRUE(Contains(dlg.log, L"notify 1001 -700"));
    EXPECT_TRUE(Contains(dlg.log, L"ctlcolor 1004 6"));
    EXPECT_TRUE(Contains(dlg.log, L"erase 1"));
    EXPECT_TRUE(Contains(dlg.log, L"paint 1"));
    EXPECT_FALSE(Contains(dlg.log, L"range 32870"));

    dlg.log.clear();
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.log, std::vector<std::wstring>{L"destroy"});
    // A message for the window that is gone reaches nobody and does not fail.
    EXPECT_EQ(dlg.SendMessage(WM_TIMER, 1), 0);
}

TEST_F(FrameworkMessageMapTest, NotificationsAreOfferedToTheControlFirst) {
    LoggingDlg dlg;
    ASSERT_TRUE(dlg.Create(kForm));
    ReflectingButton button;
    ASSERT_TRUE(button.SubclassDlgItem(1007, &dlg));
    EXPECT_TRUE(button.presubclassed);
    EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(dlg, 1007)), &button);
    HWND hButton = button.m_hWnd;

    // The _EX click handler answers FALSE: the parent hears the click too, after the control.
    dlg.log.clear();
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1007, BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
    EXPECT_EQ(button.log, std::vector<std::wstring>{L"reflected click"});
    EXPECT_EQ(dlg.log, std::vector<std::wstring>{L"clicked 1007"});
    // Answering TRUE eats it.
    button.passClickOn = FALSE;
    dlg.log.clear();
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1007, BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
    EXPECT_TRUE(dlg.log.empty());

    // A reflected notification is eaten, with the control's result.
    button.log.clear();
    NMHDR hdr{hButton, 1007, static_cast<UINT>(-701)};
    EXPECT_EQ(dlg.SendMessage(WM_NOTIFY, 1007, reinterpret_cast<LPARAM>(&hdr)), 5);
    EXPECT_EQ(button.log, std::vector<std::wstring>{L"reflected notify -701"});

    // The parent's OnCtlColor runs first when it has one; without one the control colours itself.
    button.log.clear();
    dlg.log.clear();
    HDC dc = ::GetDC(dlg);
    EXPECT_EQ(dlg.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hButton)),
              reinterpret_cast<LRESULT>(dlg.brush));
    EXPECT_TRUE(button.log.empty());
    CWnd plainParent;
    ASSERT_TRUE(plainParent.CreateEx(0, nullptr, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    ReflectingButton child;
    ASSERT_TRUE(child.CreateEx(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20, plainParent, reinterpret_cast<HMENU>(9)));
    EXPECT_EQ(plainParent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child.m_hWnd)),
              reinterpret_cast<LRESULT>(child.hollow));
    EXPECT_EQ(child.log, std::vector<std::wstring>{L"reflected ctlcolor 3"});
    // WM_DRAWITEM goes back to the control that is drawn.
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = 9;
    dis.hwndItem = child.m_hWnd;
    dis.hDC = dc;
    EXPECT_EQ(plainParent.SendMessage(WM_DRAWITEM, 9, reinterpret_cast<LPARAM>(&dis)), TRUE);
    EXPECT_EQ(child.log.back(), L"drawitem 9");
    ::ReleaseDC(dlg, dc);

    // Unsubclassing gives the control back its own procedure.
    EXPECT_EQ(button.UnsubclassWindow(), hButton);
    EXPECT_EQ(CWnd::FromHandlePermanent(hButton), nullptr);
    button.log.clear();
    dlg.SendMessage(WM_NOTIFY, 1007, reinterpret_cast<LPARAM>(&hdr));
    EXPECT_TRUE(button.log.empty());
    dlg.DestroyWindow();
}

TEST_F(FrameworkMessageMapTest, CommandUpdatesApplyToAMenu) {
    LoggingDlg dlg;
    ASSERT_TRUE(dlg.Create(kForm));
    CMenu bar;
    ASSERT_TRUE(bar.LoadMenu(kMenu));
    CMenu* popup = bar.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    dlg.twelveHour = TRUE;
    dlg.showCities = TRUE;
    dlg.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup->m_hMenu), MAKELPARAM(0, FALSE));
    EXPECT_TRUE(popup->GetMenuState(32878, MF_BYCOMMAND) & MF_CHECKED);
    CString text;
    popup->GetMenuString(32877, text, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Hide Cities on map");
    EXPECT_FALSE(popup->GetMenuState(32877, MF_BYCOMMAND) & MF_GRAYED); // text changed, state kept
    // No handler at all: greyed. A sub-menu follows the update of its first item.
    EXPECT_TRUE(popup->GetMenuState(32999, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(popup->GetMenuState(4, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_FALSE(popup->GetMenuState(32867, MF_BYCOMMAND) & MF_GRAYED); // the item inside is left alone

    // The next update undoes the check and the text.
    dlg.twelveHour = FALSE;
    dlg.showCities = FALSE;
    AfxUpdateMenuCmdUI(&dlg, popup->m_hMenu);
    EXPECT_FALSE(popup->GetMenuState(32878, MF_BYCOMMAND) & MF_CHECKED);
    popup->GetMenuString(32877, text, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Show Cities on map");
    EXPECT_EQ(popup->GetMenuItemID(2), 32877u); // the item kept its command and place
    dlg.DestroyWindow();
}

TEST_F(FrameworkMessageMapTest, HandleMapGivesTemporaryWrappersUntilIdle) {
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, L"owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    HWND plain = ::CreateWindowExW(0, L"STATIC", L"plain", WS_CHILD, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
    CWnd* temp = CWnd::FromHandle(plain);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->m_hWnd, plain);
    EXPECT_EQ(CWnd::FromHandle(plain), temp); // one wrapper per handle
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    EXPECT_EQ(temp->GetParent(), &owner);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    AfxDeleteTempMaps();
    EXPECT_TRUE(::IsWindow(plain)); // the wrapper went, not the window

    CWnd attached;
    EXPECT_TRUE(attached.Attach(plain));
    EXPECT_FALSE(CWnd().Attach(plain)); // one permanent object per window
    EXPECT_EQ(CWnd::FromHandle(plain), &attached);
    EXPECT_EQ(attached.Detach(), plain);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);

    // An object going out of scope takes its window with it.
    HWND ownerHandle = owner.m_hWnd;
    {
        CWnd scoped;
        ASSERT_TRUE(scoped.Attach(::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, ownerHandle, nullptr,
                                                    nullptr, nullptr)));
        plain = scoped.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(plain));

    // An object without a window (never created, or its window gone) answers with nothing.
    CWnd none;
    CString text = L"left alone";
    none.SetWindowText(L"x");
    none.GetWindowText(text);
    EXPECT_STREQ(text, L"");
    EXPECT_EQ(none.GetDlgItem(1001), nullptr);
    EXPECT_FALSE(none.DestroyWindow());
    EXPECT_FALSE(none.SubclassWindow(nullptr));
}
