// The main window's menus and command bars: the seven bars and the messages that switch them,
// the tab change, the commands of the menus, and the forwarding of the open tool's commands.

#include "shell/MainDlg.h"

#include "core/DamagedSettings.h"

#include "platform/framework/CmdUI.h"
#include "platform/framework/DC.h"
#include "platform/framework/Menu.h"
#include "platform/framework/WinApp.h"
#include "platform/system/Processes.h"
#include "platform/system/SystemVersion.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "shell/AppMessages.h"
#include "clocks/EditCitiesDlg.h"
#include "clocks/StoredCityIndexes.h"
#include "clocks/RemindersDlg.h"
#include "clocks/WorldClocksDlg.h"
#include "shell/LanguageDlg.h"
#include "skins/Ui.h"
#include "shell/TodayOptionsDlg.h"

namespace {

constexpr LPCWSTR kJorvanaKey = L"Jorvana";
// The input panel's height in the probe rule, whatever the device's panel measures.
constexpr int kProbeSipHeight = 80;
// A message after which the framework's idle processing is not due.
constexpr UINT kNoIdleMessage = 0x3FC;

bool IsSipShown() {
    SIPINFO info{};
    info.cbSize = sizeof(info);
    return SipGetInfo(&info) && (info.fdwFlags & SIPF_ON) != 0;
}

} // namespace

BEGIN_MESSAGE_MAP(CMainDlg, CDialog)
    ON_NOTIFY(TCN_SELCHANGE, IDC_MAIN_TABS, &CMainDlg::OnTabSelChange)
    ON_WM_CTLCOLOR()
    ON_WM_SIZE()
    ON_WM_SETTINGCHANGE()
    ON_COMMAND(ID_BACK_TO_TOOLS, &CMainDlg::OnBackToTools)
    ON_COMMAND(ID_EDIT_CUT_TOOL, &CMainDlg::OnEditCut)
    ON_COMMAND(ID_EDIT_COPY_TOOL, &CMainDlg::OnEditCopy)
    ON_COMMAND(ID_EDIT_PASTE_TOOL, &CMainDlg::OnEditPaste)
    ON_COMMAND(ID_EDIT_SELECT_ALL_TOOL, &CMainDlg::OnEditSelectAll)
    ON_COMMAND(ID_PACK_ADD_CATEGORY, &CMainDlg::OnPackAddCategory)
    ON_COMMAND(ID_PACK_ADD_ITEMS, &CMainDlg::OnPackAddItems)
    ON_COMMAND(ID_PACK_ADD_LIST, &CMainDlg::OnPackAddList)
    ON_COMMAND(ID_PACK_UNCHECK_ALL, &CMainDlg::OnPackUncheckAll)
    ON_COMMAND(ID_PACK_DELETE_CATEGORY, &CMainDlg::OnPackDeleteCategory)
    ON_COMMAND(ID_PACK_DELETE_ITEM, &CMainDlg::OnPackDeleteItem)
    ON_COMMAND(ID_PACK_DELETE_LIST, &CMainDlg::OnPackDeleteList)
    ON_COMMAND(ID_PACK_DELETE_ALL_ITEMS, &CMainDlg::OnPackDeleteAllItems)
    ON_COMMAND(ID_EDIT_UNDO_TOOL, &CMainDlg::OnUndo)
    ON_WM_LBUTTONDOWN()
    ON_COMMAND(ID_PACK_SHOW_ALL, &CMainDlg::OnPackShowAll)
    ON_COMMAND(ID_PACK_SHOW_CHECKED, &CMainDlg::OnPackShowChecked)
    ON_COMMAND(ID_PACK_SHOW_UNCHECKED, &CMainDlg::OnPackShowUnchecked)
    ON_WM_INITMENUPOPUP()
    ON_UPDATE_COMMAND_UI(ID_PACK_SHOW_ALL, &CMainDlg::OnUpdatePackingView)
    ON_UPDATE_COMMAND_UI(ID_PACK_SHOW_CHECKED, &CMainDlg::OnUpdatePackingView)
    ON_UPDATE_COMMAND_UI(ID_PACK_SHOW_UNCHECKED, &CMainDlg::OnUpdatePackingView)
    ON_COMMAND(ID_APP_EXIT_MENU, &CMainDlg::OnExit)
    ON_COMMAND(ID_LANGUAGE, &CMainDlg::OnLanguage)
    ON_COMMAND(ID_TIPS, &CMainDlg::OnTips)
    ON_UPDATE_COMMAND_UI(ID_TIPS, &CMainDlg::OnUpdateTips)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO_TOOL, &CMainDlg::OnUpdateUndo)
    ON_WM_DESTROY()
    ON_COMMAND(ID_TODAY_PLUGIN, &CMainDlg::OnTodayPlugin)
    ON_COMMAND(ID_SET_REMINDERS, &CMainDlg::OnSetReminders)
    ON_COMMAND(ID_EDIT_CITIES, &CMainDlg::OnEditCities)
    ON_COMMAND(ID_LOOK_FEEL_SKINS, &CMainDlg::OnLookFeelSkins)
    ON_COMMAND(ID_USER_INTERFACE, &CMainDlg::OnUserInterface)
    ON_COMMAND(ID_SHOW_HIDE_CITIES, &CMainDlg::OnShowHideCities)
    ON_UPDATE_COMMAND_UI(ID_SHOW_HIDE_CITIES, &CMainDlg::OnUpdateShowHideCities)
    ON_COMMAND(ID_TWELVE_HOUR_CLOCKS, &CMainDlg::OnTwelveHourClocks)
    ON_UPDATE_COMMAND_UI(ID_TWELVE_HOUR_CLOCKS, &CMainDlg::OnUpdateTwelveHourClocks)
    ON_NOTIFY(TCN_SELCHANGING, IDC_MAIN_TABS, &CMainDlg::OnTabSelChanging)
    ON_MESSAGE(WM_APP_SHOW_MENU_BAR, &CMainDlg::OnShowMenuBar)
    ON_MESSAGE(WM_APP_SHOW_EDIT_BAR, &CMainDlg::OnShowEditBar)
    ON_MESSAGE(WM_APP_SHOW_PACKING_BAR, &CMainDlg::OnShowPackingBar)
    ON_MESSAGE(WM_APP_SHOW_CLOCKS_BAR, &CMainDlg::OnShowClocksBar)
    ON_MESSAGE(WM_APP_SHOW_WEATHER_BAR, &CMainDlg::OnShowWeatherBar)
    ON_MESSAGE(WM_APP_SHOW_MAP_BAR, &CMainDlg::OnShowMapBar)
    ON_MESSAGE(WM_APP_SHOW_TOOL_BAR, &CMainDlg::OnShowToolBar)
    ON_MESSAGE(WM_HELP, &CMainDlg::OnHelp)
    ON_MESSAGE(WM_APP_TELL_DAMAGED_SETTINGS, &CMainDlg::OnTellDamagedSettings)
END_MESSAGE_MAP()

// [SECTION] Command bars -----------------------------------------------------------------------

void CMainDlg::CreateCommandBars() {
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ::GetVersionEx(&version);
    const bool oldSystem = version.dwMajorVersion < 5;

    // Tooltip texts, loaded once and kept as long as the bars.
    const UINT tipIds[] = {IDS_TIP_MENU, IDS_TIP_ADD, IDS_TIP_REMOVE, IDS_TIP_OPTIONS, IDS_TIP_EDIT};
    for (int i = 0; i < 5; ++i) m_tipsText[i].LoadString(tipIds[i]);
    m_tipsText[5].LoadString(IDS_TIP_BACK);
    auto text = [this](int i) { return const_cast<LPWSTR>(static_cast<LPCWSTR>(m_tipsText[i])); };
    m_tipsToolBar[0] = text(0);
    m_tipsToolBar[1] = text(5);
    m_tipsPackingBar[0] = text(1);
    m_tipsPackingBar[1] = text(2);
    m_tipsPackingBar[2] = text(3);
    m_tipsPackingBar[3] = text(0);
    m_tipsPackingBar[4] = text(5);
    m_tipsEditBar[0] = text(4);
    m_tipsEditBar[1] = text(0);
    m_tipsEditBar[2] = text(5);

    // The Back button of the tool windows' bars.
    auto addBack = [](CCeCommandBar& bar) {
        int image = bar.AddBitmap(IDB_BACK_BUTTON, 1, 16, 15);
        if (image < 0) return;
        TBBUTTON button{};
        button.iBitmap = image;
        button.idCommand = ID_BACK_TO_TOOLS;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = TBSTYLE_BUTTON;
        bar.AddButtons(1, &button);
    };

    for (int b = 0; b < kBarCount; ++b) m_bars[b].Create(this, AFX_IDW_TOOLBAR);

    m_bars[kToolBar].InsertMenuBar(IDR_MENU_MAIN);
    addBack(m_bars[kToolBar]);
    m_bars[kToolBar].AddToolTips(2, m_tipsToolBar);

    m_bars[kMenuBar].InsertMenuBar(IDR_MENU_MAIN);

    m_bars[kPackingBar].InsertMenuBar(IDR_MENU_PACKING);
    m_bars[kPackingBar].InsertSeparator(2, 0xFFFF);
    m_bars[kPackingBar].InsertMenuBar(IDR_MENU_MAIN);
    addBack(m_bars[kPackingBar]);
    m_bars[kPackingBar].AddToolTips(5, m_tipsPackingBar);

    m_bars[kEditBar].InsertMenuBar(IDR_MENU_EDIT);
    if (oldSystem) m_bars[kEditBar].InsertSeparator(2, 0xFFFF);
    m_bars[kEditBar].InsertMenuBar(IDR_MENU_MAIN);
    addBack(m_bars[kEditBar]);
    m_bars[kEditBar].AddToolTips(3, m_tipsEditBar);

    m_bars[kClocksBar].InsertMenuBar(IDR_MENU_CLOCKS);
    if (oldSystem) m_bars[kClocksBar].InsertSeparator(2, 0xFFFF);
    m_bars[kClocksBar].InsertMenuBar(IDR_MENU_MAIN);

    m_bars[kWeatherBar].InsertMenuBar(IDR_MENU_MAIN);

    m_bars[kMapBar].InsertMenuBar(IDR_MENU_MAP);
    if (oldSystem) m_bars[kMapBar].InsertSeparator(2, 0xFFFF);
    m_bars[kMapBar].InsertMenuBar(IDR_MENU_MAIN);
}

void CMainDlg::ShowOnlyBar(Bar bar) {
    // Hide first, then show: at no moment are two bars up.
    for (int b = 0; b < kBarCount; ++b)
        if (b != bar && m_bars[b].m_hWnd) m_bars[b].Show(FALSE);
    if (m_bars[bar].m_hWnd) m_bars[bar].Show(TRUE);
    CommandUiUpdatePending = true;
}

int CMainDlg::GetVisibleBar() const {
    for (int b = 0; b < kBarCount; ++b)
        if (m_bars[b].m_hWnd && m_bars[b].IsVisible()) return b;
    return -1;
}

LRESULT CMainDlg::OnShowMenuBar(WPARAM, LPARAM) {
    ShowOnlyBar(kMenuBar);
    return 1;
}

LRESULT CMainDlg::OnShowEditBar(WPARAM, LPARAM) {
    ShowOnlyBar(kEditBar);
    SetTitle(IDS_TITLE_MEASUREMENTS);
    return 1;
}

LRESULT CMainDlg::OnShowPackingBar(WPARAM, LPARAM) {
    ShowOnlyBar(kPackingBar);
    SetTitle(IDS_TITLE_PACKING_LIST);
    return 1;
}

LRESULT CMainDlg::OnShowClocksBar(WPARAM, LPARAM) {
    ShowOnlyBar(kClocksBar);
    return 1;
}

LRESULT CMainDlg::OnShowWeatherBar(WPARAM, LPARAM) {
    ShowOnlyBar(kWeatherBar);
    return 1;
}

LRESULT CMainDlg::OnShowMapBar(WPARAM, LPARAM) {
    ShowOnlyBar(kMapBar);
    return 1;
}

LRESULT CMainDlg::OnShowToolBar(WPARAM wParam, LPARAM) {
    ShowOnlyBar(kToolBar);
    switch (wParam) {
    case 2: SetTitle(IDS_TITLE_AREA_CODES); break;
    case 3: SetTitle(IDS_TITLE_CLOTHING); break;
    case 5: SetTitle(IDS_TITLE_NEWS); break;
    default: break;
    }
    return 1;
}

// [SECTION] Title and tab change ---------------------------------------------------------------

void CMainDlg::SetTitle(UINT stringId) {
    m_strTitle.LoadString(stringId);
    if (!m_title.m_hWnd) return;
    m_title.SetWindowText(m_strTitle);
    m_title.Invalidate();
}

CString CMainDlg::GetTitleText() const {
    CString text;
    if (m_title.m_hWnd) m_title.GetWindowText(text);
    return text;
}

void CMainDlg::WriteCurTab(DWORD value) { m_registry.WriteDword(HKEY_LOCAL_MACHINE, kJorvanaKey, L"CurTab", value); }

void CMainDlg::OnTabSelChange(NMHDR*, LRESULT* pResult) {
    const int n = m_tabs.GetCurFocus();
    switch (n) {
    case 0: SetTitle(IDS_TITLE_WORLD_CLOCKS); break;
    case 1:
        ShowOnlyBar(kWeatherBar);
        SetTitle(IDS_TITLE_WEATHER);
        break;
    case 2:
        ShowOnlyBar(kMapBar);
        SetTitle(IDS_TITLE_WORLD_MAP);
        break;
    case 3: SetTitle(IDS_TITLE_CURRENCIES); break;
    case 4: SetTitle(IDS_TITLE_TOOLS); break;
    default: break;
    }
    if (n >= 0) WriteCurTab(static_cast<DWORD>(n));
    if (pResult) *pResult = 0;
}

void CMainDlg::OnTabSelChanging(NMHDR* pNMHDR, LRESULT* pResult) { OnTabSelChange(pNMHDR, pResult); }

HBRUSH CMainDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT) {
    pDC->SetBkMode(TRANSPARENT);
    if (pWnd && pWnd->m_hWnd == m_title.m_hWnd && m_brushTitle.GetSafeHandle()) {
        pDC->SetTextColor(m_crTitleText);
        return static_cast<HBRUSH>(m_brushTitle.GetSafeHandle());
    }
    return static_cast<HBRUSH>(m_brushBack.GetSafeHandle());
}

void CMainDlg::OnLButtonDown(UINT, CPoint) {}

// [SECTION] Forwarding to the open tool --------------------------------------------------------

void CMainDlg::SendToVisibleTool(UINT message) {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    const int menu = ::GetSystemMetrics(SM_CYMENU);
    POINT probe{w - 3, h - menu};
    // A raised input panel lies over that corner: the probe goes above it, for every command (the
    // packing list's Add, Delete and Options as much as Edit), or nothing would hear them.
    if (IsSipShown()) probe.y -= kProbeSipHeight;
    HWND window = ::WindowFromPoint(probe);
    if (!window) return;
    HWND parent = ::GetParent(window);
    if (parent) ::SendMessage(parent, message, 0, 0);
    if (::IsWindow(window)) ::SendMessage(window, message, 0, 0);
}

void CMainDlg::OnBackToTools() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    POINT probe{w - 3, h - ::GetSystemMetrics(SM_CYMENU)};
    if (IsSipShown()) {
        SipShowIM(SIPF_OFF);
        probe.y -= kProbeSipHeight;
    }
    if (HWND window = ::WindowFromPoint(probe)) {
        if (HWND parent = ::GetParent(window)) ::SendMessage(parent, WM_APP_LEAVE_TOOL, 0, 0);
        if (::IsWindow(window)) ::SendMessage(window, WM_APP_LEAVE_TOOL, 0, 0);
    }
    SendMessage(WM_APP_SHOW_MENU_BAR);
    SetTitle(IDS_TITLE_TOOLS);
    WriteCurTab(4);
}

void CMainDlg::OnEditCut() { SendToVisibleTool(WM_APP_EDIT_CUT); }
void CMainDlg::OnEditCopy() { SendToVisibleTool(WM_APP_EDIT_COPY); }
void CMainDlg::OnEditPaste() { SendToVisibleTool(WM_APP_EDIT_PASTE); }
void CMainDlg::OnEditSelectAll() { SendToVisibleTool(WM_APP_EDIT_SELECT_ALL); }
void CMainDlg::OnPackAddCategory() { SendToVisibleTool(WM_APP_PACK_ADD_CATEGORY); }
void CMainDlg::OnPackAddItems() { SendToVisibleTool(WM_APP_PACK_ADD_ITEMS); }
void CMainDlg::OnPackAddList() { SendToVisibleTool(WM_APP_PACK_ADD_LIST); }
void CMainDlg::OnPackUncheckAll() { SendToVisibleTool(WM_APP_PACK_UNCHECK_ALL); }
void CMainDlg::OnPackDeleteCategory() { SendToVisibleTool(WM_APP_UNDO_OR_DELETE_CATEGORY); }
void CMainDlg::OnPackDeleteItem() { SendToVisibleTool(WM_APP_PACK_DELETE_ITEM); }
void CMainDlg::OnPackDeleteList() { SendToVisibleTool(WM_APP_PACK_DELETE_LIST); }
void CMainDlg::OnPackDeleteAllItems() { SendToVisibleTool(WM_APP_PACK_DELETE_ALL_ITEMS); }

void CMainDlg::OnUndo() {
    SendToVisibleTool(WM_APP_UNDO_OR_DELETE_CATEGORY);
    // The unit converter clears its own announced mark when it undoes; this is the other half.
    m_bUndoAvailable = 0;
}

void CMainDlg::OnUpdateUndo(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bUndoAvailable != 0); }

void CMainDlg::OnPackShowAll() {
    SendToVisibleTool(WM_APP_PACK_SHOW_ALL);
    m_nPackShowAll = 1;
    m_nPackShowChecked = m_nPackShowUnchecked = 0;
}

void CMainDlg::OnPackShowChecked() {
    SendToVisibleTool(WM_APP_PACK_SHOW_CHECKED);
    m_nPackShowChecked = 1;
    m_nPackShowAll = m_nPackShowUnchecked = 0;
}

void CMainDlg::OnPackShowUnchecked() {
    SendToVisibleTool(WM_APP_PACK_SHOW_UNCHECKED);
    m_nPackShowUnchecked = 1;
    m_nPackShowAll = m_nPackShowChecked = 0;
}

int CMainDlg::GetPackingView() const {
    if (m_nPackShowUnchecked) return kShowUnchecked;
    if (m_nPackShowChecked) return kShowChecked;
    return kShowAll;
}

void CMainDlg::OnUpdatePackingView(CCmdUI* pCmdUI) {
    int mark = 0;
    switch (pCmdUI->m_nID) {
    case ID_PACK_SHOW_ALL: mark = m_nPackShowAll; break;
    case ID_PACK_SHOW_CHECKED: mark = m_nPackShowChecked; break;
    case ID_PACK_SHOW_UNCHECKED: mark = m_nPackShowUnchecked; break;
    default: break;
    }
    pCmdUI->SetCheck(mark == 1 ? 1 : 0);
}

// [SECTION] Menu commands ----------------------------------------------------------------------

void CMainDlg::OnExit() { EndDialog(IDOK); }

void CMainDlg::OnLanguage() { RunLanguageDialog(m_nLanguageIndex); }

void CMainDlg::RunLanguageDialog(int initialSelection) {
    CLanguageDlg dlg(this);
    dlg.m_nInitialSelection = initialSelection;
    dlg.DoModal();
}

void CMainDlg::OnTodayPlugin() { RunTodayOptionsDialog(); }

void CMainDlg::OnSetReminders() {
    // The reminders belong to the five clocks: their cities come from the clocks page, which
    // also owns the dialog. The command sits on the clocks page's own bar.
    auto* clocks = dynamic_cast<CWorldClocksDlg*>(m_tabs.GetPage(CMainTabCtrl::kClocksPage));
    if (!clocks || !clocks->m_hWnd) return;
    CRemindersDlg dlg(clocks);
    for (int k = 0; k < kReminderCount; ++k) dlg.m_strCityNames[k] = clocks->GetClockCityName(k);
    dlg.DoModal();
}

void CMainDlg::OnEditCities() {
    CEditCitiesDlg dlg(this);
    dlg.DoModal();
    // Cancelled or not, the stored city positions may have moved: the pages read them again.
    m_tabs.RecreatePages();
}

void CMainDlg::OnLookFeelSkins() {
    RunAppearanceSheet(CUi::kPageLoad);
    m_tabs.ReloadSkins();
}

void CMainDlg::OnUserInterface() {
    RunAppearanceSheet(AppearancePageForTab(m_tabs.GetCurrentPage()));
    m_tabs.ReloadSkins();
}

void CMainDlg::RunTodayOptionsDialog() {
    CTodayOptionsDlg dlg(this);
    dlg.DoModal();
}

void CMainDlg::OnTips() { m_tabs.ShowCurrentPageTips(); }

void CMainDlg::OnUpdateTips(CCmdUI* pCmdUI) { pCmdUI->Enable(m_tabs.GetCurrentPage() != CMainTabCtrl::kToolsPage); }

void CMainDlg::OnShowHideCities() {
    if (m_tabs.IsPageCreated(CMainTabCtrl::kMapPage)) m_tabs.ToggleMapCitySquares();
}

void CMainDlg::OnUpdateShowHideCities(CCmdUI* pCmdUI) {
    DWORD shown = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kMapKey, L"showcs");
    if (m_registry.RegistryStatus != CRegistryKey::kFound) shown = 1;
    CString text;
    text.LoadString(shown == 0 ? IDS_SHOW_CITIES_ON_MAP : IDS_HIDE_CITIES_ON_MAP);
    pCmdUI->SetText(text);
}

void CMainDlg::OnTwelveHourClocks() {
    DWORD mode = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kJorvanaKey, L"twelvehour");
    if (m_registry.RegistryStatus != CRegistryKey::kFound) mode = 0;
    const DWORD next = mode == 0 ? 1 : 0;
    // The clocks change only once the setting is stored (a failed write says so), so that
    // they never show a mode that the menu and the next start do not have.
    if (m_registry.WriteDword(HKEY_LOCAL_MACHINE, kJorvanaKey, L"twelvehour", next))
        m_tabs.SetTwelveHourMode(static_cast<int>(next));
}

void CMainDlg::OnUpdateTwelveHourClocks(CCmdUI* pCmdUI) {
    DWORD mode = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kJorvanaKey, L"twelvehour");
    pCmdUI->SetCheck(m_registry.RegistryStatus == CRegistryKey::kFound && mode == 1 ? 1 : 0);
}

LRESULT CMainDlg::OnHelp(WPARAM, LPARAM lParam) {
    const BOOL result = CDialog::OnHelpInfo(reinterpret_cast<HELPINFO*>(lParam));
    // The viewer runs on its own; whether it could start is not looked at (without a viewer
    // nothing shows).
    WCHAR commandLine[] = L"file:jrvhelp.htm";
    CreateProcess(L"peghelp.exe", commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr);
    return result;
}

void CMainDlg::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu) {
    if (bSysMenu || !pPopupMenu) return;
    AfxUpdateMenuCmdUI(this, pPopupMenu->m_hMenu, TRUE);
}

// [SECTION] Command routing --------------------------------------------------------------------

BOOL CMainDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    // OK, which the Enter key also produces, must not end the program.
    if (LOWORD(wParam) == IDOK) return TRUE;
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CMainDlg::PreTranslateMessage(MSG* pMsg) {
    MSG next{};
    if (!::PeekMessage(&next, nullptr, 0, 0, PM_NOREMOVE) && CommandUiUpdatePending) {
        const int bar = GetVisibleBar();
        if (bar >= 0) m_bars[bar].OnUpdateCmdUI(this, TRUE);
        CommandUiUpdatePending = false;
    } else if (pMsg && pMsg->message != kNoIdleMessage) {
        CWinApp* app = AfxGetApp();
        if (!app || app->IsIdleMessage(pMsg)) CommandUiUpdatePending = true;
    }
    if (m_tabs.m_hWnd && m_tabs.CurrentPageTipsTakeKey(pMsg)) return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}
