#pragma once
// CPropertyPage: one page of a property sheet, a child dialog made from its template the first
// time the sheet shows it. The page hears the sheet's notifications as virtual calls:
//   OnSetActive   it became the current page
//   OnKillActive  it is about to be left, or OK was pressed; FALSE keeps it current
//   OnApply       OK: the page takes its values (the default calls OnOK); FALSE keeps the sheet open
//   OnReset       Cancel (the default calls OnCancel)
//   OnQueryCancel Cancel was asked for; FALSE keeps the sheet open
// A page's OK and Cancel never end anything themselves: the sheet does.

#include "platform/framework/Dlg.h"
#include "platform/ui/PropertySheet.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    CPropertyPage();
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);
    explicit CPropertyPage(LPCTSTR lpszTemplateName, UINT nIDCaption = 0);
    void Construct(UINT nIDTemplate, UINT nIDCaption = 0);
    void Construct(LPCTSTR lpszTemplateName, UINT nIDCaption = 0);

    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    virtual BOOL OnQueryCancel();
    // Pages keep their values until OnApply; nothing ends here.
    void OnOK() override;
    void OnCancel() override;

    // Marks the page changed (or not) in its sheet; nothing while the page has no window.
    void SetModified(BOOL bChanged = TRUE);
    // The sheet the page belongs to: m_pSheet, else the sheet object of the page's parent window.
    CPropertySheet* GetParentSheet() const;

    // The description the sheet is given for this page (template, title, flags).
    PROPSHEETPAGEW m_psp{};
    // Set by CPropertySheet::AddPage; a sheet may also hand it to its pages itself.
    CPropertySheet* m_pSheet = nullptr;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    CString m_strCaption;
    BOOL m_bFirstSetActive = TRUE;
    friend class CPropertySheet;
};

// The dialog procedure the sheet runs each framework page's window with: binds the page object
// (lParam of its description) at WM_INITDIALOG, so the page's map sees every message.
INT_PTR CALLBACK AfxPropPageDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
