#include "platform/framework/PropertySheet.h"

#include "platform/framework/WinApp.h"
#include "platform/system/Modules.h"

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
    ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

namespace {

// The sheet being created on this thread: the layer's callback carries no pointer of ours.
thread_local CPropertySheet* t_sheetInCreation = nullptr;

HWND TopLevel(HWND hWnd) {
    while (hWnd && (GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD)) hWnd = ::GetParent(hWnd);
    return hWnd;
}

} // namespace

// Binds the sheet object to its window once the window exists, before the first page is made.
int CALLBACK AfxPropSheetCallback(HWND hWnd, UINT message, LPARAM) {
    if (message != PSCB_INITIALIZED || !hWnd) return 0;
    CPropertySheet* sheet = t_sheetInCreation;
    t_sheetInCreation = nullptr;
    if (sheet && sheet->SubclassWindow(hWnd)) sheet->OnInitDialog();
    return 0;
}

CPropertySheet::CPropertySheet() {
    AfxInstallStringLoader();
    m_psh.dwSize = sizeof(m_psh);
}

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) : CPropertySheet() {
    Construct(nIDCaption, pParentWnd, iSelectPage);
}

CPropertySheet::CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) : CPropertySheet() {
    Construct(pszCaption, pParentWnd, iSelectPage);
}

void CPropertySheet::Construct(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) {
    CString caption;
    caption.LoadString(nIDCaption);
    Construct(caption.GetString(), pParentWnd, iSelectPage);
}

void CPropertySheet::Construct(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) {
    m_strCaption = pszCaption ? pszCaption : L"";
    m_pParentWnd = pParentWnd;
    m_psh.nStartPage = iSelectPage;
}

namespace {
// The module that holds a page's template: the resource module, or the program for a template
// the language module lacks. A page given its template in memory needs none.
HINSTANCE PageModule(const PROPSHEETPAGEW& psp) {
    if (psp.dwFlags & PSP_DLGINDIRECT) return AfxGetResourceHandle();
    return AfxFindResourceHandle(psp.pszTemplate, RT_DIALOG);
}
} // namespace

void CPropertySheet::AddPage(CPropertyPage* pPage) {
    if (!pPage || GetPageIndex(pPage) >= 0) return;
    m_pages.push_back(pPage);
    pPage->m_pSheet = this;
    if (!m_hWnd) return;
    // Running: the layer takes its own copy of the description.
    PROPSHEETPAGEW psp = pPage->m_psp;
    if (!psp.hInstance) psp.hInstance = PageModule(psp);
    pPage->m_bFirstSetActive = TRUE;
    HPROPSHEETPAGE handle = CreatePropertySheetPageW(&psp);
    if (!handle || !SendMessage(PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handle))) {
        if (handle) DestroyPropertySheetPage(handle);
        m_pages.pop_back();
    }
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const {
    return nPage >= 0 && nPage < GetPageCount() ? m_pages[static_cast<size_t>(nPage)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* pPage) const {
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (m_pages[i] == pPage) return static_cast<int>(i);
    return -1;
}

BOOL CPropertySheet::SetActivePage(int nPage) {
    if (nPage < 0 || nPage >= GetPageCount()) return FALSE;
    if (!m_hWnd) {
        m_psh.nStartPage = static_cast<UINT>(nPage);
        return TRUE;
    }
    return SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(nPage), 0) != 0;
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage) { return SetActivePage(GetPageIndex(pPage)); }

int CPropertySheet::GetActiveIndex() const {
    if (!m_hWnd) return static_cast<int>(m_psh.nStartPage);
    auto current = reinterpret_cast<HWND>(SendMessage(PSM_GETCURRENTPAGEHWND));
    for (size_t i = 0; i < m_pages.size(); ++i)
        if (current && m_pages[i]->m_hWnd == current) return static_cast<int>(i);
    // Closing (OK or Cancel pressed): the page last made active.
    return static_cast<int>(m_psh.nStartPage);
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(GetActiveIndex()); }

void CPropertySheet::SetTitle(LPCTSTR lpszText) {
    m_strCaption = lpszText ? lpszText : L"";
    if (m_hWnd) SendMessage(PSM_SETTITLEW, 0, reinterpret_cast<LPARAM>(m_strCaption.GetString()));
}

void CPropertySheet::PressButton(int nButton) {
    if (m_hWnd) PostMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(nButton), 0);
}

BOOL CPropertySheet::OnInitDialog() { return TRUE; }

void CPropertySheet::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    const MSG message = *GetCurrentMessage();
    CWnd::OnSettingChange(uFlags, lpszSection);
    if (uFlags == SPI_SETWORKAREA) {
        RECT work{};
        if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
            SetWindowPos(nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (CPropertyPage* page : m_pages)
        if (page->m_hWnd) ::SendMessageW(page->m_hWnd, WM_SETTINGCHANGE, message.wParam, message.lParam);
}

INT_PTR CPropertySheet::DoModal() {
    if (m_hWnd || m_pages.empty()) return -1;
    std::vector<PROPSHEETPAGEW> pages;
    pages.reserve(m_pages.size());
    for (CPropertyPage* page : m_pages) {
        PROPSHEETPAGEW psp = page->m_psp;
        psp.dwSize = sizeof(psp);
        if (!psp.hInstance) psp.hInstance = PageModule(psp);
        page->m_bFirstSetActive = TRUE;
        pages.push_back(psp);
    }

    // Without a parent the sheet belongs to the main window, as a dialog does.
    HWND owner = m_pParentWnd ? TopLevel(m_pParentWnd->m_hWnd) : nullptr;
    if (!owner) {
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd) owner = app->m_pMainWnd->m_hWnd;
        if (!owner) owner = TopLevel(::GetActiveWindow());
    }

    PROPSHEETHEADERW header = m_psh;
    header.dwSize = sizeof(header);
    header.dwFlags = (header.dwFlags & ~PSH_MODELESS) | PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    header.hwndParent = owner;
    header.hInstance = AfxGetResourceHandle();
    header.pszCaption = m_strCaption.GetString();
    header.nPages = static_cast<UINT>(pages.size());
    if (!(header.dwFlags & PSH_USEPSTARTPAGE) && header.nStartPage >= header.nPages) header.nStartPage = 0;
    header.ppsp = pages.data();
    header.pfnCallback = AfxPropSheetCallback;

    // A sheet opened from a page of another sheet nests: keep the outer one's pending binding.
    CPropertySheet* outer = t_sheetInCreation;
    t_sheetInCreation = this;
    INT_PTR result = PropertySheetW(&header);
    t_sheetInCreation = outer;

    // The layer destroyed the window; a binding that somehow survived is dropped.
    if (m_hWnd && !::IsWindow(m_hWnd)) Detach();
    if (result < 0) return -1;
    return result ? IDOK : IDCANCEL;
}
