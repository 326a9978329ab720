#include "controls/DigitalClock.h"

#include "platform/framework/WindowDC.h"

BEGIN_MESSAGE_MAP(CDigitalClock, CWnd)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CDigitalClock::OnPaint() {
    CPaintDC dc(this); // validates the update area; the display is never shown
}

void CDigitalClock::OnTimer(UINT_PTR nIDEvent) {
    CRect digits;
    GetClientRect(&digits);
    InvalidateRect(&digits, FALSE);
    CWnd::OnTimer(nIDEvent);
}

BOOL CDigitalClock::OnEraseBkgnd(CDC*) { return TRUE; }
