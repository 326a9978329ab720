// [SECTION] The tool classes
// [SECTION] Construction and initialisation
// [SECTION] Opening a tool
// [SECTION] Layout and colours
// [SECTION] Skin, packing list, destruction
#include "tools/ToolsPage.h"

#include <algorithm>

#include "core/SkinFile.h"
#include "shell/MainTabCtrl.h"
#include "tools/ClothesDlg.h"
#include "tools/DialCodesDlg.h"
#include "tools/PackingListDlg.h"
#include "platform/framework/WinApp.h"
#include "platform/ui/ResourceImages.h"
#include "resources/resource.h"
#include "tools/NewsDlg.h"
#include "tools/ToolWindow.h"
#include "shell/AppMessages.h"
#include "tools/UnitConverterDlg.h"

using namespace toolwin;

BEGIN_MESSAGE_MAP(CToolsPage, CDialog)
    ON_NOTIFY(NM_CLICK, IDC_TOOLS_LIST, &CToolsPage::OnClickToolList)
    ON_NOTIFY(NM_SETFOCUS, IDC_TOOLS_LIST, &CToolsPage::OnSetfocusToolList)
    ON_WM_CTLCOLOR()
    ON_WM_SIZE()
    ON_WM_SETTINGCHANGE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

const UINT kToolNames[kToolCount] = {IDS_TOOL_MEASUREMENTS, IDS_TOOL_DIALING_CODES, IDS_TOOL_CLOTHING_SIZES,
                                     IDS_TOOL_PACKING_LIST, IDS_TOOL_NEWS};
const UINT kToolDialogs[kToolCount] = {104, 105, 148, 149, 341};
const wchar_t* const kToolIcons[kToolCount] = {L"convert.bmp", L"dial.bmp", L"cloths.bmp", L"pack.bmp", L"news.bmp"};

const COLORREF kPageColour = RGB(194, 211, 228);
const COLORREF kListColour = RGB(123, 158, 189);
const COLORREF kMarkerColour = RGB(152, 207, 80);
constexpr UINT kUnreadMarkerId = 0xFFFF;

} // namespace

// [SECTION] The tool classes

std::unique_ptr<CDialog> CToolsPage::NewTool(int index) {
    switch (index) {
    case kToolConverter: return std::make_unique<CConverterDlg>(nullptr);
    case kToolDialCodes: return std::make_unique<CDialCodesDlg>(nullptr);
    case kToolClothes: return std::make_unique<CClothesDlg>(nullptr);
    case kToolPackingList: return std::make_unique<CPackingListDlg>(nullptr);
    case kToolNews: return std::make_unique<CNewsPage>(nullptr);
    default: return nullptr;
    }
}

void CToolsPage::ApplyToolSkin(int index) {
    if (!IsToolCreated(index)) return;
    CDialog* tool = m_pTools[index].get();
    switch (index) {
    case kToolConverter: static_cast<CConverterDlg*>(tool)->ApplySkin(); break;
    case kToolDialCodes: static_cast<CDialCodesDlg*>(tool)->ApplySkin(); break;
    case kToolClothes: static_cast<CClothesDlg*>(tool)->ApplySkin(); break;
    case kToolPackingList: static_cast<CPackingListDlg*>(tool)->ApplySkin(); break;
    default: break; // the news page has no skin values
    }
}

bool CToolsPage::PackingListHasChanges() {
    auto* packing = IsToolCreated(kToolPackingList) ? static_cast<CPackingListDlg*>(m_pTools[kToolPackingList].get())
                                                    : nullptr;
    return packing && packing->m_bChanged;
}

void CToolsPage::PackingListSaveOnLeave(bool save) {
    if (IsToolCreated(kToolPackingList))
        static_cast<CPackingListDlg*>(m_pTools[kToolPackingList].get())->SaveOnLeave(save);
}

// [SECTION] Construction and initialisation

CToolsPage::CToolsPage(CWnd* pParent) : CDialog(IDD_TOOLS_PAGE, pParent) {}

CToolsPage::~CToolsPage() = default;

BOOL CToolsPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDOK && lParam == 0) {
        // Enter keeps the page; on the list it opens the highlighted tool, as a tap on it does.
        if (m_list.m_hWnd && ::GetFocus() == m_list.m_hWnd) {
            LRESULT result = 0;
            OnClickToolList(nullptr, &result);
        }
        return FALSE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CToolsPage::OnSetfocusToolList(NMHDR*, LRESULT* pResult) {
    // Tab into the list with no tool highlighted highlights the first, so that Return opens it.
    // (A tap chooses its own tool; a tap beside the icons still chooses none.)
    if (::GetKeyState(VK_TAB) < 0 && m_list.GetItemCount() > 0 && m_list.GetNextItem(-1, LVNI_SELECTED) < 0)
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    if (pResult) *pResult = 0;
}

void CToolsPage::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TOOLS_TOP_BAND, m_topBand);
    DDX_Control(pDX, IDC_TOOLS_LOW_BAND, m_lowBand);
    DDX_Control(pDX, IDC_TOOLS_LIST, m_list);
}

void CToolsPage::ReadMetrics() {
    ToolMetrics m = ReadToolMetrics();
    m_nWidth = m.width;
    m_nHeight = m.height;
    m_nPageHeight = m.pageHeight;
    m_nMenuHeight = m.menuHeight;
}

void CToolsPage::SetIconSpacing() {
    // Five tools side by side: at a quarter of the width the fifth icon (News) would wrap onto a
    // second row, below the 27-pixel strip, where no tap reaches it.
    m_list.SendMessage(LVM_SETICONSPACING, 0, MAKELPARAM(m_nWidth / kToolCount - 4, 23));
}

BOOL CToolsPage::OnInitDialog() {
    CDialog::OnInitDialog();

    DWORD newsRead = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kToolsRegistryKey, L"newsread");
    m_bNewsUnread = (m_registry.RegistryStatus == CRegistryKey::kFound && newsRead == 0) ? 1 : 0;

    m_pageBrush.CreateSolidBrush(kPageColour);
    ReadMetrics();

    m_pImageList = std::make_unique<CImageList>();
    m_pImageList->Create(23, 23, ILC_MASK, 4, 4);
    HICON placeholder = ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(IDI_TOOL_PLACEHOLDER));
    for (int i = 0; i < kToolCount; ++i) m_pImageList->Add(placeholder);
    if (placeholder) ::DestroyIcon(placeholder);

    m_list.SetBkColor(kListColour);
    m_list.SetTextBkColor(kListColour);
    SetIconSpacing();

    m_pListFont = std::make_unique<CFont>();
    CreateToolFont(*m_pListFont, 11, 400, L"Arial", DEFAULT_QUALITY, FF_SWISS);
    m_list.SetFont(m_pListFont.get(), TRUE);

    m_list.SetImageList(m_pImageList.get(), LVSIL_NORMAL);
    m_list.DeleteAllItems();
    for (int i = 0; i < kToolCount; ++i) {
        m_scratchName.LoadString(kToolNames[i]);
        LVITEM item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = const_cast<LPWSTR>(L""); // the icons speak for themselves
        item.iImage = i;
        m_list.InsertItem(&item);
    }

    for (int i = 0; i < kToolCount; ++i) {
        m_pTools[i] = NewTool(i);
        m_bCreated[i] = 0;
    }
    m_nCurrentTool = -1;

    m_unreadMarker.Create(L"*", WS_CHILD | WS_VISIBLE, CRect(10, 10, 150, 50), this, kUnreadMarkerId);
    m_markerFont.CreateFont(14, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0, L"Arial");
    m_unreadMarker.SetFont(&m_markerFont);
    m_unreadMarker.SetWindowText(L"*");
    return TRUE;
}

// [SECTION] Opening a tool

CRect CToolsPage::ToolWindowRect(int index) {
    CWnd* container = GetParent();
    CRect r;
    GetClientRect(&r);
    if (container) container->ClientToScreen(&r);
    int height = r.bottom - 2 * r.top + m_nHeight;
    const bool panelAware = index == kToolDialCodes || index == kToolConverter || index == kToolClothes ||
                            index == kToolPackingList || index == kToolNews;
    if (panelAware && toolwin::CToolPanelPlacement().PanelUp()) {
        // These tools keep their lowest controls within reach above a raised input panel: the
        // window ends at the panel's top edge, and scrolls. The packing list and the news end
        // there too, their list and viewer shortened to fit.
        CPoint top(r.left + 2, r.top);
        if (container) container->ClientToScreen(&top);
        height = std::min(height, toolwin::HeightAbovePanel(top.y));
    }
    // In the container's client coordinates, as the window is moved.
    return CRect(CPoint(r.left + 2, r.top), CSize(r.right - r.left + 1, height));
}

void CToolsPage::PlaceToolWindow(int index) { m_pTools[index]->MoveWindow(ToolWindowRect(index), TRUE); }

bool CToolsPage::IsToolWindow(HWND window) const {
    for (const auto& tool : m_pTools)
        if (tool && tool->m_hWnd && tool->m_hWnd == window) return true;
    return false;
}

void CToolsPage::HidePagesUnderTool(int index) {
    // Every tab page still showing where the tool goes hides itself. The pages are looked for
    // among the container's own windows over the tool's whole place, not at one point of the
    // screen: there the point may lie under the raised input panel or an open drop-down list, on
    // a control deep inside a page, or below a page that ends at the raised panel's top edge.
    CWnd* container = GetParent();
    if (!container || !container->m_hWnd) return;
    const CRect place = ToolWindowRect(index);
    for (HWND child = ::GetWindow(container->m_hWnd, GW_CHILD); child;) {
        HWND next = ::GetWindow(child, GW_HWNDNEXT);
        CRect r, common;
        ::GetWindowRect(child, &r);
        container->ScreenToClient(&r);
        if (child != m_hWnd && ::IsWindowVisible(child) && !IsToolWindow(child) &&
            common.IntersectRect(&r, &place))
            ::SendMessageW(child, WM_APP_HIDE_PAGE, 0, 0);
        child = next;
    }
}

void CToolsPage::ShowToolWindow(int index) {
    CDialog* tool = m_pTools[index].get();
    if (!m_bCreated[index]) {
        if (!tool->Create(kToolDialogs[index], GetParent())) return;
        m_bCreated[index] = 1;
    }
    ShowWindow(SW_HIDE);
    HidePagesUnderTool(index);
    for (int i = 0; i < kToolCount; ++i)
        if (i != index && m_bCreated[i]) m_pTools[i]->ShowWindow(SW_HIDE);
    PlaceToolWindow(index);
    // Above whatever the container still shows there.
    tool->SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    tool->ShowWindow(SW_SHOW);
    ::SetWindowLongPtrW(tool->m_hWnd, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(m_hWnd));
    if (index == kToolNews) static_cast<CNewsPage*>(tool)->LoadNews();
}

void CToolsPage::RequestCommandBar(int index) {
    static const UINT kMessages[kToolCount] = {WM_APP_SHOW_EDIT_BAR, WM_APP_SHOW_TOOL_BAR, WM_APP_SHOW_TOOL_BAR,
                                               WM_APP_SHOW_PACKING_BAR, WM_APP_SHOW_TOOL_BAR};
    static const WPARAM kParams[kToolCount] = {0, 2, 3, 0, 5};
    CWnd* container = GetParent();
    CWnd* mainWindow = container ? container->GetParent() : nullptr;
    if (mainWindow) mainWindow->SendMessage(kMessages[index], kParams[index], 0);
}

void CToolsPage::OnClickToolList(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    int index = m_list.GetNextItem(-1, LVNI_SELECTED);
    // A tap beside the icons, or on a tool not present in this build, changes nothing.
    if (index < 0 || index >= kToolCount || !m_pTools[index]) return;
    if (m_nCurrentTool == kToolPackingList && index != kToolPackingList) OfferSavePackingList();
    m_nCurrentTool = index;
    m_registry.WriteDword(HKEY_LOCAL_MACHINE, kToolsRegistryKey, L"CurTab", static_cast<DWORD>(40 + index));
    if (auto* container = dynamic_cast<CMainTabCtrl*>(GetParent())) container->ToolOpened(true);
    ShowToolWindow(index);
    RequestCommandBar(index);
    if (IsToolCreated(index)) m_pTools[index]->SetFocus();
}

void CToolsPage::OpenTool(int index) {
    if (index < 0 || index >= kToolCount || !m_pTools[index]) return;
    m_nCurrentTool = index;
    m_registry.WriteDword(HKEY_LOCAL_MACHINE, kToolsRegistryKey, L"CurTab", static_cast<DWORD>(40 + index));
    if (auto* container = dynamic_cast<CMainTabCtrl*>(GetParent())) container->ToolOpened(false);
    ShowToolWindow(index);
    // The main window's bar handlers, reached through their messages.
    RequestCommandBar(index);
    if (IsToolCreated(index)) m_pTools[index]->SetFocus();
}

// [SECTION] Layout and colours

void CToolsPage::PlaceControls() {
    int h = m_nPageHeight;
    int W = m_nWidth;
    m_topBand.SetWindowPos(nullptr, 0, 0, W, h / 5, SWP_NOZORDER);
    m_list.SetWindowPos(nullptr, 0, 0, W, (3 * h) / 5, SWP_NOZORDER);
    m_lowBand.SetWindowPos(nullptr, 0, (2 * h) / 5, W, h / 5, SWP_NOZORDER);
}

void CToolsPage::PlaceUnreadMarker() {
    if (!m_unreadMarker.GetSafeHwnd()) return;
    CRect icon;
    if (!m_list.GetItemRect(kToolNews, &icon, LVIR_ICON)) icon.SetRectEmpty();
    UINT show = m_bNewsUnread == 1 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    ::SetWindowPos(m_unreadMarker.m_hWnd, HWND_TOP, icon.left + 23, icon.top + 2, 9, 9, show);
}

void CToolsPage::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    if (!m_list.GetSafeHwnd()) return;
    ReadMetrics();
    PlaceControls();
    PlaceUnreadMarker();
}

void CToolsPage::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    if (!m_list.GetSafeHwnd()) return;
    ReadMetrics();
    SetIconSpacing();
    PlaceControls();
    Invalidate(TRUE);
    PlaceOpenTool();
    PlaceUnreadMarker();
    // The tool windows are the container's children, not pages: they hear it from here.
    for (int i = 0; i < kToolCount; ++i)
        if (IsToolCreated(i)) m_pTools[i]->SendMessage(WM_SETTINGCHANGE, uFlags, reinterpret_cast<LPARAM>(lpszSection));
}

void CToolsPage::PlaceOpenTool() {
    if (m_nCurrentTool != -1 && IsToolCreated(m_nCurrentTool)) PlaceToolWindow(m_nCurrentTool);
}

HBRUSH CToolsPage::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    if (nCtlColor == CTLCOLOR_STATIC) {
        pDC->SetTextColor(RGB(255, 255, 255));
        pDC->SetBkMode(TRANSPARENT);
        if (!m_staticBrush.GetSafeHandle()) m_staticBrush.CreateSolidBrush(kMarkerColour);
        return static_cast<HBRUSH>(m_staticBrush.GetSafeHandle());
    }
    (void)pWnd;
    return static_cast<HBRUSH>(m_pageBrush.GetSafeHandle());
}

// [SECTION] Skin, packing list, destruction

void CToolsPage::ApplySkin(CString skinFolder, CString iconFolder, COLORREF listBack) {
    if (skinFolder.IsEmpty() || iconFolder.IsEmpty()) return;
    auto images = std::make_unique<CImageList>();
    images->Create(23, 23, ILC_MASK, 4, 4);
    CString folder;
    if (JoinSkinPath(skinFolder, iconFolder, folder)) {
        for (const wchar_t* name : kToolIcons) {
            CBitmap bitmap;
            if (!bitmap.Attach(::SHLoadImageFile(folder + name))) continue;
            images->Add(&bitmap, RGB(255, 0, 255));
            bitmap.DeleteObject();
        }
    }
    if (m_list.GetSafeHwnd()) m_list.SetImageList(images.get(), LVSIL_NORMAL);
    m_pImageList = std::move(images);
    for (int i = 0; i < kToolCount; ++i) ApplyToolSkin(i);
    if (listBack != 0xFFFFFFFF && m_list.GetSafeHwnd()) m_list.SetBkColor(listBack);
    if (m_list.GetSafeHwnd()) m_list.Invalidate(TRUE);
}

void CToolsPage::OfferSavePackingList() {
    if (!IsToolCreated(kToolPackingList) || !PackingListHasChanges()) return;
    CString question;
    question.LoadString(IDS_SAVE_PACKING_LIST);
    int answer = MessageBox(question, nullptr, MB_YESNO | MB_ICONQUESTION);
    PackingListSaveOnLeave(answer == IDYES);
}

void CToolsPage::OnDestroy() {
    CDialog::OnDestroy();
    for (int i = 0; i < kToolCount; ++i) {
        if (m_pTools[i] && m_bCreated[i] && m_pTools[i]->GetSafeHwnd()) m_pTools[i]->DestroyWindow();
        m_pTools[i].reset();
        m_bCreated[i] = 0;
    }
    m_nCurrentTool = -1;
    if (m_list.GetSafeHwnd()) m_list.SetImageList(nullptr, LVSIL_NORMAL);
    m_pListFont.reset();
    m_pImageList.reset();
    m_markerFont.DeleteObject();
    m_pageBrush.DeleteObject();
    m_staticBrush.DeleteObject();
}
