#pragma once
// CDigitalClock: the map page's digital time display, bound to a static control of the page's
// dialog. The page places it and keeps it hidden, so it draws nothing of its own; it repaints its
// digit area on a timer without erasing.

#include "platform/framework/Controls.h"
#include "platform/framework/MessageMap.h"

class CDigitalClock : public CWnd {
public:
    CDigitalClock() = default;

protected:
    afx_msg void OnPaint();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()
};
