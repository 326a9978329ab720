// [SECTION] Page slots: the class, creation, initialisation and forwarded calls of each page
// [SECTION] Construction and settings
// [SECTION] Forwarders
// [SECTION] Start, restore and tab change
// [SECTION] Placing and painting

#include "shell/MainTabCtrl.h"

#include "platform/framework/DC.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "shell/AppMessages.h"
#include "shell/ComboPage.h"
#include "shell/MainDlg.h"
#include "shell/PanelBackDlg.h"
#include "shell/SharedFont.h"
#include "clocks/WorldClocksDlg.h"
#include "currency/CurrencyPanel.h"
#include "tools/ToolsPage.h"
#include "weather/WeatherPanel.h"
#include "worldmap/WorldMapPanel.h"

namespace {

constexpr LPCWSTR kJorvanaKey = L"Jorvana";
constexpr COLORREF kNoColor = static_cast<COLORREF>(-1);

bool IsSipUp() {
    SIPINFO info{};
    info.cbSize = sizeof(info);
    return SipGetInfo(&info) && (info.fdwFlags & SIPF_ON) != 0;
}

RECT WorkArea() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

} // namespace

int CMainTabCtrl::s_nPendingTool = -1;

// [SECTION] Page slots -------------------------------------------------------------------------
//
// Slot  page                     dialog  created            initialised by
// 0     World Clocks             145     by CreateFirstPage its skin load
// 1     Weather                  153     first tap          its skin load
// 2     World Map                156     first tap          its skin load
// 3     Currencies               157     first tap          its skin application
// 4     Tools                    130     first tap          unread-news mark, kept Tools skin
// 5     blank panel              160     never              -
// 6     combo page               158     never              -
//
// A slot whose page is not part of the program yet holds a blank panel page created the same
// way, with no initialisation; the calls below that concern it do nothing. A page class joins
// its slot here: constructed in NewPage (with the container as its parent), then reached in
// the functions below through PageAs<its class>(slot).

CDialog* CMainTabCtrl::NewPage(int index) {
    switch (index) {
    case kComboPage: return new CComboPage;
    case kClocksPage: return new CWorldClocksDlg;
    case kWeatherPage: return new CWeatherPanel;
    case kMapPage: return new CWorldMapPanel;
    case kCurrencyPage: return new CCurrencyPanel;
    case kToolsPage: return new CToolsPage;
    case kBlankPage:
    default: return new CPanelBackDlg;
    }
}

void CMainTabCtrl::InitialisePage(int index) {
    if (!IsPageCreated(index)) return;
    switch (index) {
    case kClocksPage:
        if (auto* clocks = PageAs<CWorldClocksDlg>(index)) clocks->LoadSkin();
        break;
    case kMapPage:
        if (auto* map = PageAs<CWorldMapPanel>(index)) map->LoadSkin();
        break;
    case kWeatherPage:
        if (auto* weather = PageAs<CWeatherPanel>(index)) weather->LoadSkin();
        break;
    case kCurrencyPage:
        if (auto* currency = PageAs<CCurrencyPanel>(index)) currency->ApplySkin();
        break;
    case kToolsPage:
        if (auto* tools = PageAs<CToolsPage>(index); tools && m_bUnreadNews) tools->SetNewsUnread();
        ApplyToolsSkin();
        break;
    default: break;
    }
}

void CMainTabCtrl::GivePagePanelColor(int index, COLORREF c) {
    // The colour is the page object's own, set whether or not its window exists yet.
    if (index < kClocksPage || index > kCurrencyPage || !m_pages[index].page) return;
    if (auto* blank = dynamic_cast<CPanelBackDlg*>(m_pages[index].page)) blank->SetPanelColor(c);
    if (auto* clocks = dynamic_cast<CWorldClocksDlg*>(m_pages[index].page)) {
        clocks->m_panelColour = c;
        if (clocks->m_hWnd) clocks->Invalidate();
    }
    if (auto* currency = dynamic_cast<CCurrencyPanel*>(m_pages[index].page)) {
        currency->m_panelColour = c;
        if (currency->m_hWnd) currency->Invalidate();
    }
    if (auto* map = dynamic_cast<CWorldMapPanel*>(m_pages[index].page)) {
        // The fill around the map page's images; no colour keeps the page's own.
        map->m_panelColour = c == kNoColor ? RGB(238, 238, 238) : c;
        if (map->m_hWnd) map->Invalidate();
    }
    if (auto* weather = dynamic_cast<CWeatherPanel*>(m_pages[index].page)) {
        weather->m_panelColor = c;
        if (weather->m_hWnd) weather->Invalidate();
    }
}

void CMainTabCtrl::PreparePageForCreate(int index) {
    // Pages create their fonts from the shared face and size base when their windows are made.
    if (auto* clocks = dynamic_cast<CWorldClocksDlg*>(m_pages[index].page)) {
        clocks->m_sharedFontFace = SharedFontFace;
        clocks->m_sharedFontSizeBase = SharedFontSizeBase;
    }
    if (auto* map = dynamic_cast<CWorldMapPanel*>(m_pages[index].page)) {
        map->m_sharedFontFace = SharedFontFace;
        map->m_sharedFontSizeBase = SharedFontSizeBase;
    }
    if (auto* weather = dynamic_cast<CWeatherPanel*>(m_pages[index].page)) {
        weather->m_sharedFontFace = SharedFontFace;
        weather->m_sharedFontBase = SharedFontSizeBase;
    }
}

void CMainTabCtrl::PreparePageForDestroy(int index) {
    // The clocks and map pages write their settings back when destroyed unless their
    // initialised (set-up) flag is cleared first; a blank page has nothing to write.
    if (auto* clocks = dynamic_cast<CWorldClocksDlg*>(m_pages[index].page)) clocks->m_initialised = false;
    if (auto* map = dynamic_cast<CWorldMapPanel*>(m_pages[index].page)) map->m_settingsLoaded = false;
}

void CMainTabCtrl::ShowCurrentPageTips() {
    if (!IsPageCreated(m_nCurrentPage)) return;
    switch (m_nCurrentPage) {
    case kClocksPage:
        if (auto* clocks = PageAs<CWorldClocksDlg>(kClocksPage)) clocks->ShowTips();
        break;
    case kMapPage:
        if (auto* map = PageAs<CWorldMapPanel>(kMapPage)) map->ShowTips();
        break;
    case kWeatherPage:
        if (auto* weather = PageAs<CWeatherPanel>(kWeatherPage)) weather->ShowTips(0);
        break;
    case kCurrencyPage:
        if (auto* currency = PageAs<CCurrencyPanel>(kCurrencyPage)) currency->PlaceTipsBox();
        break;
    default: break; // the Tools page shows none
    }
}

BOOL CMainTabCtrl::CurrentPageTipsTakeKey(MSG* pMsg) {
    if (!pMsg || pMsg->message != WM_KEYDOWN || (pMsg->wParam != VK_ESCAPE && pMsg->wParam != VK_RETURN))
        return FALSE;
    if (!IsPageCreated(m_nCurrentPage)) return FALSE;
    CDialog* page = m_pages[m_nCurrentPage].page;
    if (pMsg->hwnd == page->m_hWnd || ::IsChild(page->m_hWnd, pMsg->hwnd)) return FALSE;
    return page->PreTranslateMessage(pMsg);
}

void CMainTabCtrl::SetTwelveHourMode(int v) {
    // The clocks and map pages take the 12-hour setting (v == 1), then repaint.
    if (auto* clocks = PageAs<CWorldClocksDlg>(kClocksPage)) clocks->SetTwelveHourMode(v == 1 ? 1 : 0);
    if (auto* map = PageAs<CWorldMapPanel>(kMapPage)) map->SetTwelveHourMode(v);
    for (int index : {static_cast<int>(kClocksPage), static_cast<int>(kMapPage)})
        if (IsPageCreated(index)) m_pages[index].page->Invalidate();
}

void CMainTabCtrl::ToggleMapCitySquares() {
    if (auto* map = PageAs<CWorldMapPanel>(kMapPage)) map->ToggleCitySquares();
}

void CMainTabCtrl::OfferSavePackingList() {
    if (auto* tools = PageAs<CToolsPage>(kToolsPage)) tools->OfferSavePackingList();
}

void CMainTabCtrl::RefreshWeatherPage() {
    if (auto* weather = PageAs<CWeatherPanel>(kWeatherPage)) weather->Refresh();
}

void CMainTabCtrl::ShiftWeatherPlaces(BOOL first, BOOL second, BOOL third, BOOL fourth) {
    if (auto* weather = PageAs<CWeatherPanel>(kWeatherPage))
        weather->ShiftPlaceIndices(first ? 1 : 0, second ? 1 : 0, third ? 1 : 0, fourth ? 1 : 0);
}

CString CMainTabCtrl::GetClockTimeText(int n) {
    auto* clocks = PageAs<CWorldClocksDlg>(kClocksPage);
    return clocks ? clocks->GetClockTimeText(n) : CString();
}

void CMainTabCtrl::RefreshCurrencyAfterSync() {
    if (auto* currency = PageAs<CCurrencyPanel>(kCurrencyPage)) currency->ShowLastUpdate();
}

void CMainTabCtrl::RefreshMapPage() {
    if (auto* map = PageAs<CWorldMapPanel>(kMapPage)) map->Refresh();
}

void CMainTabCtrl::OpenTool(int tool) {
    if (auto* tools = PageAs<CToolsPage>(kToolsPage); tools && tool >= 0) tools->OpenTool(tool);
}

bool CMainTabCtrl::ToolOnShow() const {
    auto* tools = PageAs<CToolsPage>(kToolsPage);
    CDialog* tool = tools ? tools->GetTool(tools->GetCurrentTool()) : nullptr;
    return tool && tool->m_hWnd && tool->IsWindowVisible();
}

void CMainTabCtrl::ApplyToolsSkin() {
    if (auto* tools = PageAs<CToolsPage>(kToolsPage))
        tools->ApplySkin(m_strToolsFolder, m_strToolsSubfolder, m_crToolsColor);
}

// [SECTION] Construction and settings ----------------------------------------------------------

IMPLEMENT_DYNAMIC(CMainTabCtrl, CTabCtrl)

BEGIN_MESSAGE_MAP(CMainTabCtrl, CTabCtrl)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_KEYDOWN()
    ON_WM_GETDLGCODE()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

CMainTabCtrl::CMainTabCtrl(int drawMode) : m_nDrawMode(drawMode) {
    for (int i = 0; i < kPageCount; ++i) m_pages[i].page = NewPage(i);
}

CMainTabCtrl::~CMainTabCtrl() {
    for (auto& slot : m_pages) {
        if (slot.page && slot.page->m_hWnd) slot.page->DestroyWindow();
        delete slot.page;
        slot.page = nullptr;
    }
}

bool CMainTabCtrl::IsPageCreated(int index) const {
    return index >= 0 && index < kPageCount && m_pages[index].created && m_pages[index].page &&
           m_pages[index].page->m_hWnd;
}

CDialog* CMainTabCtrl::GetPage(int index) const {
    return index >= 0 && index < kPageCount ? m_pages[index].page : nullptr;
}

BOOL CMainTabCtrl::SetDrawMode(int mode) {
    if (mode < kDrawControl || mode > kDrawStrip) return FALSE;
    m_nDrawMode = mode;
    if (m_hWnd) {
        if (mode == kDrawControl)
            ModifyStyle(TCS_OWNERDRAWFIXED, 0);
        else
            ModifyStyle(0, TCS_OWNERDRAWFIXED);
        Invalidate();
    }
    return TRUE;
}

void CMainTabCtrl::PreSubclassWindow() {
    CTabCtrl::PreSubclassWindow();
    if (m_nDrawMode != kDrawControl) ModifyStyle(0, TCS_OWNERDRAWFIXED);
}

void CMainTabCtrl::SetBackColor(COLORREF c) {
    m_crBack = c;
    if (m_hWnd) Invalidate();
}

COLORREF CMainTabCtrl::ResolvedBackColor() const {
    return m_crBack == kNoColor ? ::GetSysColor(COLOR_BTNFACE) : m_crBack;
}

void CMainTabCtrl::SetToolsSkin(LPCWSTR folder, LPCWSTR subfolder, COLORREF color) {
    m_strToolsFolder = folder ? folder : L"";
    m_strToolsSubfolder = subfolder ? subfolder : L"";
    m_crToolsColor = color;
    ApplyToolsSkin();
}

void CMainTabCtrl::SetPanelColor(COLORREF c) {
    m_crPanel = c;
    for (int i = kClocksPage; i <= kCurrencyPage; ++i) {
        GivePagePanelColor(i, c);
        if (IsPageCreated(i)) m_pages[i].page->Invalidate();
    }
}

void CMainTabCtrl::ReloadSkins() {
    if (auto* main = dynamic_cast<CMainDlg*>(GetParent())) main->ApplySkin();
    for (int i = kClocksPage; i <= kCurrencyPage; ++i) InitialisePage(i);
}

// [SECTION] Forwarders -------------------------------------------------------------------------

void CMainTabCtrl::FocusTab(int n) {
    if (n > 9) n /= 10;
    if (IsPageCreated(kToolsPage)) m_pages[kToolsPage].page->ShowWindow(SW_HIDE);
    // Only the selection moves: the pages stay as they are and no tab change runs.
    if (m_hWnd && n >= 0 && n < GetItemCount()) SetCurSel(n);
    m_bToolsList = false;
}

void CMainTabCtrl::ToolOpened(bool takeToolsTab) {
    m_bToolsList = false;
    if (takeToolsTab) m_nCurrentPage = kToolsPage;
}

void CMainTabCtrl::MarkNewsRead() {
    m_bUnreadNews = FALSE;
    if (m_hWnd) Invalidate();
}

void CMainTabCtrl::RecreatePages() {
    const COLORREF panel = m_crBack;
    if (IsPageCreated(kMapPage)) {
        DestroyPage(kMapPage);
        CreatePageWindow(kMapPage);
        InitialisePage(kMapPage);
        GivePagePanelColor(kMapPage, panel);
    }
    if (IsPageCreated(kClocksPage)) {
        DestroyPage(kClocksPage);
        CreatePageWindow(kClocksPage);
        InitialisePage(kClocksPage);
        GivePagePanelColor(kClocksPage, panel);
        m_pages[kClocksPage].page->ShowWindow(SW_SHOW);
    }
    SendToMainWindow(WM_APP_SHOW_CLOCKS_BAR);
    PlaceCurrentPage();
}

void CMainTabCtrl::DestroyPage(int index) {
    PageSlot& slot = m_pages[index];
    PreparePageForDestroy(index);
    if (slot.page->m_hWnd) slot.page->DestroyWindow();
    delete slot.page;
    slot.page = NewPage(index);
    slot.created = false;
}

// [SECTION] Start, restore and tab change ------------------------------------------------------

void CMainTabCtrl::CreatePageWindow(int index) {
    PageSlot& slot = m_pages[index];
    if (!slot.page) slot.page = NewPage(index);
    if (m_crPanel != kNoColor) GivePagePanelColor(index, m_crPanel);
    PreparePageForCreate(index);
    slot.created = slot.page->Create(slot.page->m_lpszTemplateName, this) != FALSE;
}

void CMainTabCtrl::SendToMainWindow(UINT message) {
    HWND target = m_hMainWnd ? m_hMainWnd : (GetParent() ? GetParent()->m_hWnd : nullptr);
    if (target) ::SendMessage(target, message, 0, 0);
}

void CMainTabCtrl::SendBarMessage(int pageIndex) {
    switch (pageIndex) {
    case kClocksPage: SendToMainWindow(WM_APP_SHOW_CLOCKS_BAR); break;
    case kWeatherPage: SendToMainWindow(WM_APP_SHOW_WEATHER_BAR); break;
    case kMapPage: SendToMainWindow(WM_APP_SHOW_MAP_BAR); break;
    case kCurrencyPage:
    case kBlankPage:
    case kComboPage: SendToMainWindow(WM_APP_SHOW_MENU_BAR); break;
    default: break; // the Tools page and its tools send their own
    }
}

void CMainTabCtrl::HidePageZero() {
    if (m_pages[kClocksPage].page && m_pages[kClocksPage].page->m_hWnd)
        m_pages[kClocksPage].page->SendMessage(WM_APP_HIDE_PAGE);
}

void CMainTabCtrl::SetItemSizeFromWorkArea() {
    RECT area = WorkArea();
    const int width = (area.right - area.left - 85) / 5 - 1;
    SetItemSize(CSize(width, 26));
}

void CMainTabCtrl::CreateFirstPage() {
    {
        CWaitCursor wait;
        m_citiesDb.Open();
        m_weatherDb.Open();
    }
    m_nCurrentPage = kClocksPage;
    s_nPendingTool = -1;

    DWORD newsRead = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kJorvanaKey, L"newsread");
    m_bUnreadNews = m_registry.RegistryStatus == CRegistryKey::kFound && newsRead == 0;

    CreatePageWindow(kClocksPage);
    InitialisePage(kClocksPage);
    if (IsPageCreated(kClocksPage)) m_pages[kClocksPage].page->ShowWindow(SW_SHOW);
    SendToMainWindow(WM_APP_SHOW_CLOCKS_BAR);
    PlaceCurrentPage();
}

void CMainTabCtrl::SelectTabByNumber(int n) {
    if (n >= 11) {
        s_nPendingTool = n % 10;
        n /= 10;
    } else {
        s_nPendingTool = -1;
    }
    if (n < 0 || n >= GetItemCount()) {
        // A stored value that names no tab: stay on the start page.
        s_nPendingTool = -1;
        return;
    }
    const bool listAlone = n == kToolsPage && s_nPendingTool < 0;
    SetCurFocus(n);
    ChangeToFocusedTab(IsSipUp());
    // The Tools tab stored for itself (its list, as Back to Tools leaves it) comes back as that:
    // the list alone with the menu bar, not laid over the start page and its bar.
    if (listAlone && IsPageCreated(kToolsPage)) {
        HidePageZero();
        SendToMainWindow(WM_APP_SHOW_MENU_BAR);
    }
}

void CMainTabCtrl::OnLButtonDown(UINT, CPoint) {
    const bool sipUp = IsSipUp();
    Default(); // the control's own click selects the tab under the point
    if (!m_hWnd) return;
    ChangeToFocusedTab(sipUp);
}

void CMainTabCtrl::OnLButtonDblClk(UINT nFlags, CPoint point) {
    // A quick second tap is a tap of its own (the Tools tab toggles on each one).
    OnLButtonDown(nFlags, point);
}

void CMainTabCtrl::OnKeyDown(UINT nChar, UINT, UINT) {
    const bool sipUp = IsSipUp();
    const int before = GetCurFocus();
    Default(); // the control moves its tab on Left and Right
    if (!m_hWnd) return;
    const bool tap = nChar == VK_RETURN || nChar == VK_SPACE;
    if (tap || GetCurFocus() != before) ChangeToFocusedTab(sipUp, true);
}

UINT CMainTabCtrl::OnGetDlgCode() {
    UINT code = static_cast<UINT>(Default());
    // Return is the strip's own (a tap on its tab), not the main window's OK.
    const MSG* current = GetCurrentMessage();
    const auto* key = current ? reinterpret_cast<const MSG*>(current->lParam) : nullptr;
    if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) code |= DLGC_WANTALLKEYS;
    return code;
}

void CMainTabCtrl::ChangeToFocusedTab(bool sipWasUp, bool byKeys) {
    const int next = GetCurFocus();
    if (next < 0 || next >= kPageCount) return;
    PageSlot* tools = &m_pages[kToolsPage];

    if (next == m_nCurrentPage) {
        if (next != kToolsPage || !IsPageCreated(kToolsPage)) return;
        if (!m_bToolsList) {
            tools->page->SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            tools->page->ShowWindow(SW_SHOW);
            m_bToolsList = true;
        } else {
            tools->page->SetWindowPos(&wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            tools->page->ShowWindow(SW_HIDE);
            m_bToolsList = false;
            if (m_nPreviousPage != kToolsPage) {
                m_nCurrentPage = m_nPreviousPage;
                // The main window hears the move and puts the page's title back; the page and its
                // bar come back too where a tool left before had put them away (a tool still on
                // show stays as it is).
                SetCurFocus(m_nCurrentPage);
                if (IsPageCreated(m_nCurrentPage) && !m_pages[m_nCurrentPage].page->IsWindowVisible() &&
                    !ToolOnShow()) {
                    PlaceCurrentPage();
                    SendBarMessage(m_nCurrentPage);
                }
            }
        }
        if (byKeys && m_hWnd) SetFocus();
        return;
    }

    if (sipWasUp) SipShowIM(SIPF_OFF);
    if (next != kToolsPage && IsPageCreated(m_nCurrentPage)) m_pages[m_nCurrentPage].page->ShowWindow(SW_HIDE);

    m_nPreviousPage = m_nCurrentPage;
    m_nCurrentPage = next;
    if (m_nPreviousPage == kToolsPage) OfferSavePackingList();

    PageSlot& slot = m_pages[next];
    if (!IsPageCreated(next)) {
        CreatePageWindow(next);
        if (!IsPageCreated(next)) return; // the template could not be loaded: nothing to show
        InitialisePage(next);
        PlaceCurrentPage();
        if (next == kToolsPage) {
            if (s_nPendingTool < 0) {
                m_bToolsList = true;
                SendBarMessage(m_nPreviousPage);
            } else {
                const int tool = s_nPendingTool;
                s_nPendingTool = -1;
                m_nPreviousPage = kToolsPage;
                HidePageZero();
                OpenTool(tool);
                slot.page->SetWindowPos(&wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            }
        } else {
            m_bToolsList = false;
            SendBarMessage(next);
        }
        slot.page->ShowWindow(SW_SHOW);
    } else {
        if (next == kToolsPage && s_nPendingTool >= 0) {
            const int tool = s_nPendingTool;
            s_nPendingTool = -1;
            HidePageZero();
            OpenTool(tool);
        } else if (next == kMapPage) {
            RefreshMapPage();
        }
        PlaceCurrentPage();
        m_bToolsList = next == kToolsPage;
        slot.page->ShowWindow(SW_SHOW);
        while (AfxWaitCursorDepth() > 0) AfxWaitCursor(-1);
        if (next != kToolsPage) SendBarMessage(next);
    }
    // A key keeps the focus on the strip (a new page may have taken it while it was made).
    if (byKeys && m_hWnd)
        SetFocus();
    else if (slot.page && slot.page->m_hWnd)
        slot.page->SetFocus();
}

// [SECTION] Placing and painting ---------------------------------------------------------------

void CMainTabCtrl::PlaceCurrentPage() {
    if (!m_hWnd || !IsPageCreated(m_nCurrentPage)) return;
    CRect client;
    GetClientRect(&client);
    CRect item;
    if (GetItemCount() > 0) GetItemRect(0, &item);
    CDialog* page = m_pages[m_nCurrentPage].page;
    // The Tools list stays hidden while a tool is open over it and the list was not asked for:
    // a settings change (input panel, rotation) must not put it back over the tool.
    const bool keepHidden = m_nCurrentPage == kToolsPage && !m_bToolsList && !page->IsWindowVisible();
    page->SetWindowPos(&wndTop, item.left - 1, item.bottom - 2, client.right - item.left,
                       client.bottom - item.bottom + 1, keepHidden ? 0 : SWP_SHOWWINDOW);
    if (m_nCurrentPage == kToolsPage) {
        CRect strip;
        GetWindowRect(&strip);
        page->MoveWindow(strip.left + 2, item.bottom - 3, client.Width() + 1, kToolsStripHeight);
        page->Invalidate();
    }
}

void CMainTabCtrl::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CTabCtrl::OnSettingChange(uFlags, lpszSection);
    SetItemSizeFromWorkArea();
    // The pages hear it too, then the current one is laid out on the new work area.
    for (int i = 0; i < kPageCount; ++i)
        if (IsPageCreated(i)) m_pages[i].page->SendMessage(WM_SETTINGCHANGE, uFlags, reinterpret_cast<LPARAM>(lpszSection));
    PlaceCurrentPage();
    // The open tool follows the Tools page to its new place.
    if (auto* tools = PageAs<CToolsPage>(kToolsPage)) tools->PlaceOpenTool();
}

BOOL CMainTabCtrl::OnEraseBkgnd(CDC* pDC) {
    CTabCtrl::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    CRect all(0, 0, 0, 0);
    for (int i = 0; i < GetItemCount(); ++i) {
        CRect r;
        GetItemRect(i, &r);
        all.UnionRect(&all, &r);
    }
    const int h = all.Height();
    const int top = all.top;
    all.InflateRect(2, 3);
    const COLORREF fill = ResolvedBackColor();
    pDC->FillSolidRect(CRect(client.left, client.top, client.right, top), fill);
    pDC->FillSolidRect(CRect(client.left, client.top, 2, client.top + h + 2), fill);
    pDC->FillSolidRect(CRect(client.left + all.Width() - 2, client.top, client.right, client.top + h + 2), fill);
    return TRUE;
}

void CMainTabCtrl::OnPaint() {
    if (m_nDrawMode != kDrawStrip) {
        Default();
        return;
    }
    CPaintDC dc(this);
    CFont* font = GetFont();
    CFont* oldFont = font ? dc.SelectObject(font) : nullptr;

    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_TAB;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID());
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hwndItem = m_hWnd;
    dis.hDC = dc.GetSafeHdc();

    CRect client;
    GetClientRect(&client);
    CRect display = client;
    AdjustRect(FALSE, &display);
    dis.rcItem = client;
    dis.rcItem.top = display.top - 2;
    DrawMainBorder(&dis);

    const int count = GetItemCount();
    const int selected = GetCurSel();
    if (count > 0) {
        for (int i = count - 1; i >= 0; --i) {
            if (i == selected) continue;
            dis.itemID = static_cast<UINT>(i);
            dis.itemState = 0;
            GetItemRect(i, &dis.rcItem);
            dis.rcItem.bottom -= 2;
            DrawItem(&dis);
            DrawItemBorder(&dis);
        }
        if (selected >= 0) {
            dis.itemID = static_cast<UINT>(selected);
            dis.itemState = ODS_SELECTED;
            GetItemRect(selected, &dis.rcItem);
            dis.rcItem.top -= 2;
            dis.rcItem.bottom += 2;
            DrawItem(&dis);
            DrawItemBorder(&dis);
            // The strip holding the keys shows it on its current tab.
            if (::GetFocus() == m_hWnd) {
                CRect mark(dis.rcItem);
                mark.DeflateRect(2, 2);
                dc.DrawFocusRect(&mark);
            }
        }
        if (m_bUnreadNews) {
            const int w = ::GetSystemMetrics(SM_CXSCREEN);
            CBrush brush(RGB(152, 207, 80));
            CPen pen(PS_SOLID, 1, RGB(152, 207, 80));
            CFont mark;
            mark.CreateFont(9, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
            CPen* oldPen = dc.SelectObject(&pen);
            CBrush* oldBrush = dc.SelectObject(&brush);
            CFont* prevFont = dc.SelectObject(&mark);
            dc.Ellipse(w - 100, 1, w - 89, 12);
            dc.SetBkMode(TRANSPARENT);
            dc.SetTextColor(RGB(255, 255, 255));
            dc.TextOut(w - 97, 2, CString(L"N"));
            dc.SelectObject(prevFont);
            dc.SelectObject(oldBrush);
            dc.SelectObject(oldPen);
        }
    }
    if (oldFont) dc.SelectObject(oldFont);
}

void CMainTabCtrl::DrawItem(LPDRAWITEMSTRUCT) {}
void CMainTabCtrl::DrawMainBorder(LPDRAWITEMSTRUCT) {}
void CMainTabCtrl::DrawItemBorder(LPDRAWITEMSTRUCT) {}

COLORREF CMainTabCtrl::GetTabColor(BOOL) { return ::GetSysColor(COLOR_BTNFACE); }

COLORREF CMainTabCtrl::GetTabTextColor(BOOL) { return ::GetSysColor(COLOR_WINDOWTEXT); }
