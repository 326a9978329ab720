#include "platform/framework/PropertyPage.h"

#include "platform/framework/PropertySheet.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

INT_PTR CALLBACK AfxPropPageDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hWnd)) return FALSE;
    auto* psp = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
    auto* page = psp ? reinterpret_cast<CPropertyPage*>(psp->lParam) : nullptr;
    if (!page || page->m_hWnd || !page->SubclassWindow(hWnd)) return FALSE;
    return AfxCallWndProc(page, hWnd, message, wParam, lParam);
}

CPropertyPage::CPropertyPage() {
    m_bFullScreen = FALSE;
    m_psp.dwSize = sizeof(m_psp);
    m_psp.pfnDlgProc = AfxPropPageDlgProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
}

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) : CPropertyPage() {
    Construct(nIDTemplate, nIDCaption);
}

CPropertyPage::CPropertyPage(LPCTSTR lpszTemplateName, UINT nIDCaption) : CPropertyPage() {
    Construct(lpszTemplateName, nIDCaption);
}

void CPropertyPage::Construct(UINT nIDTemplate, UINT nIDCaption) {
    Construct(MAKEINTRESOURCEW(nIDTemplate), nIDCaption);
    m_nIDHelp = nIDTemplate;
}

void CPropertyPage::Construct(LPCTSTR lpszTemplateName, UINT nIDCaption) {
    m_lpszTemplateName = lpszTemplateName;
    m_psp.pszTemplate = lpszTemplateName;
    m_psp.dwFlags &= ~(PSP_DLGINDIRECT | PSP_USETITLE);
    m_psp.pszTitle = nullptr;
    // The tab shows the string nIDCaption, else the template's caption.
    if (nIDCaption && m_strCaption.LoadString(nIDCaption)) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = m_strCaption;
    }
}

BOOL CPropertyPage::OnSetActive() {
    // The first time, OnInitDialog has just loaded the controls.
    if (m_bFirstSetActive) {
        m_bFirstSetActive = FALSE;
        return TRUE;
    }
    UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset() { OnCancel(); }

BOOL CPropertyPage::OnQueryCancel() { return TRUE; }

void CPropertyPage::OnOK() {}

void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(BOOL bChanged) {
    if (!m_hWnd) return;
    HWND sheet = ::GetParent(m_hWnd);
    if (sheet) ::SendMessageW(sheet, bChanged ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

CPropertySheet* CPropertyPage::GetParentSheet() const {
    if (m_pSheet) return m_pSheet;
    CWnd* parent = m_hWnd ? CWnd::FromHandlePermanent(::GetParent(m_hWnd)) : nullptr;
    return DYNAMIC_DOWNCAST(CPropertySheet, parent);
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    // Only the sheet's own notifications are the page's business here; a control's go the usual way.
    if (!hdr || !m_hWnd || hdr->hwndFrom != ::GetParent(m_hWnd)) return CDialog::OnNotify(wParam, lParam, pResult);
    switch (hdr->code) {
    case PSN_SETACTIVE:
        if (OnSetActive()) {
            // The sheet remembers the page, so a later run opens on it.
            if (auto* sheet = DYNAMIC_DOWNCAST(CPropertySheet, CWnd::FromHandlePermanent(hdr->hwndFrom)))
                sheet->m_psh.nStartPage = static_cast<UINT>(std::max(0, sheet->GetPageIndex(this)));
            *pResult = 0;
        } else {
            *pResult = -1;
        }
        return TRUE;
    case PSN_KILLACTIVE: *pResult = OnKillActive() ? FALSE : TRUE; return TRUE;
    case PSN_APPLY: *pResult = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE; return TRUE;
    case PSN_RESET: OnReset(); *pResult = 0; return TRUE;
    case PSN_QUERYCANCEL: *pResult = OnQueryCancel() ? FALSE : TRUE; return TRUE;
    default: return CDialog::OnNotify(wParam, lParam, pResult);
    }
}
