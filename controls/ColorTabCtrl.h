#pragma once
// CColorTabCtrl: a tab control whose background is one solid colour set by its owner.

#include "platform/framework/Controls.h"
#include "platform/framework/MessageMap.h"

class CColorTabCtrl : public CTabCtrl {
public:
    CColorTabCtrl();

    void SetBackColor(COLORREF crBack) { m_crBack = crBack; }
    COLORREF GetBackColor() const { return m_crBack; }

protected:
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    COLORREF m_crBack;
};
