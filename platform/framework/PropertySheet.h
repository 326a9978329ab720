#pragma once
// CPropertySheet: a full-screen sheet of CPropertyPage objects chosen by a tab strip, run modally
// by DoModal. The pages are added (not owned) before the run; each page's window is made the
// first time it is shown, the start page first. The sheet object is bound to its window from the
// moment the window exists (before any page is made), so OnInitDialog and the sheet's own map
// see it, and the window is destroyed, WM_DESTROY included, before DoModal returns.

#include "platform/framework/MessageMap.h"
#include "platform/framework/PropertyPage.h"

#include <vector>

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    CPropertySheet();
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    void Construct(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    void Construct(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    // Appends a page (the caller keeps it alive as long as the sheet); while the sheet runs, it
    // gets its tab at once.
    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    // Null for an index out of range.
    CPropertyPage* GetPage(int nPage) const;
    // -1 when the page is not in the sheet.
    int GetPageIndex(const CPropertyPage* pPage) const;

    // Before DoModal: the page shown first. While running: switches pages, asking the current
    // page first (FALSE when it refused or the page cannot be made).
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage);
    // The page shown; before the run the page to be shown first, after it the page last shown.
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const;

    void SetTitle(LPCTSTR lpszText);
    // Presses OK, Cancel or Apply Now (PSBTN_*) as if the user did; posted, so it runs from the
    // sheet's loop.
    void PressButton(int nButton);

    // IDOK or IDCANCEL after the sheet closed; -1 when it could not be shown (no pages, or no
    // page whose template can be made).
    virtual INT_PTR DoModal();
    // Called once the sheet's window exists, before its first page is made.
    virtual BOOL OnInitDialog();

    PROPSHEETHEADERW m_psh{};
    CWnd* m_pParentWnd = nullptr;

protected:
    // The sheet follows the work area (the screen turned) and passes the change on to every page
    // made so far, whose own handlers lay them out.
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    DECLARE_MESSAGE_MAP()

private:
    std::vector<CPropertyPage*> m_pages;
    CString m_strCaption;
    friend int CALLBACK AfxPropSheetCallback(HWND, UINT, LPARAM);
};
