#include "shell/PanelBackDlg.h"

#include "platform/framework/DC.h"
#include "shell/AppMessages.h"

BEGIN_MESSAGE_MAP(CPanelBackDlg, CDialog)
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_APP_HIDE_PAGE, &CPanelBackDlg::OnHidePage)
END_MESSAGE_MAP()

CPanelBackDlg::CPanelBackDlg(CWnd* pParent) : CDialog(IDD, pParent) { m_bFullScreen = FALSE; }

void CPanelBackDlg::SetPanelColor(COLORREF color) {
    m_crPanel = color;
    if (m_hWnd) Invalidate();
}

BOOL CPanelBackDlg::OnEraseBkgnd(CDC* pDC) {
    CRect rc;
    GetClientRect(&rc);
    COLORREF fill = m_crPanel == static_cast<COLORREF>(-1) ? ::GetSysColor(COLOR_BTNFACE) : m_crPanel;
    pDC->FillSolidRect(&rc, fill);
    return TRUE;
}

LRESULT CPanelBackDlg::OnHidePage(WPARAM, LPARAM) {
    ShowWindow(SW_HIDE);
    return 0;
}
