#pragma once
// CDialog: a dialog built from a template of the current resource module, run modally (DoModal,
// in the framework's modal loop, nested to any depth) or modeless (Create). The object is bound
// to its window from WM_INITDIALOG on, so OnInitDialog and every later message go through the
// message map.

#include "platform/framework/DataExchange.h"
#include "platform/framework/MessageMap.h"
#include "platform/framework/Wnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // The dialog's result (EndDialog's value); -1 when the template is missing or the dialog
    // could not be created.
    virtual INT_PTR DoModal();
    // Modeless: TRUE when the window was created. (CWnd's Create stays callable beside it.)
    using CWnd::Create;
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    BOOL Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // Runs the data exchange to the controls and, for a full-screen dialog, sizes it to the
    // work area with the OK button in its caption. TRUE: the focus goes to the first control.
    virtual BOOL OnInitDialog();
    // OK validates the data (UpdateData(TRUE)) and ends the dialog with IDOK; a failed
    // validation keeps it open. Cancel ends it with IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // Ends the modal loop with nResult (also from OnInitDialog); hides a modeless dialog.
    void EndDialog(int nResult);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_nIDHelp = 0;
    LPCTSTR m_lpszTemplateName = nullptr; // a name, or MAKEINTRESOURCE of the id
    CWnd* m_pParentWnd = nullptr;
    // A top-level dialog fills the work area and shows the OK button in its caption.
    BOOL m_bFullScreen = TRUE;

protected:
    afx_msg LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    HWND CreateFromTemplate(HWND hWndParent);
    BOOL m_bModal = FALSE;
    BOOL m_bEndedEarly = FALSE; // EndDialog before the modal loop started
};
