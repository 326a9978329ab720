#include "ControlsTestSupport.h"

namespace controlstest {

BEGIN_MESSAGE_MAP(CTestParent, CWnd)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL CTestParent::OnEraseBkgnd(CDC* pDC) {
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, kPageColour);
    return TRUE;
}

} // namespace controlstest
