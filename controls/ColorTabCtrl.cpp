#include "controls/ColorTabCtrl.h"

#include "platform/framework/GdiObjects.h"

BEGIN_MESSAGE_MAP(CColorTabCtrl, CTabCtrl)
    ON_WM_LBUTTONDOWN()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

// Until the owner sets its colour the strip looks like any other.
CColorTabCtrl::CColorTabCtrl() : m_crBack(GetSysColor(COLOR_BTNFACE)) {}

void CColorTabCtrl::OnLButtonDown(UINT nFlags, CPoint point) { CTabCtrl::OnLButtonDown(nFlags, point); }

BOOL CColorTabCtrl::OnEraseBkgnd(CDC* pDC) {
    pDC->SetBkColor(m_crBack);
    CRect client;
    GetClientRect(&client);
    CBrush brush(m_crBack);
    pDC->FillRect(&client, &brush);
    return TRUE;
}
