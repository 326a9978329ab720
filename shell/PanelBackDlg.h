#pragma once
// CPanelBackDlg: a blank tab page filled with its panel colour. The page container also puts
// it in every page slot whose page has nothing to show.

#include "platform/framework/Dlg.h"

class CPanelBackDlg : public CDialog {
public:
    enum { IDD = 160 };
    explicit CPanelBackDlg(CWnd* pParent = nullptr);

    // The fill colour; -1 (the start) fills with the system button-face colour.
    void SetPanelColor(COLORREF color);
    COLORREF GetPanelColor() const { return m_crPanel; }

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg LRESULT OnHidePage(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    COLORREF m_crPanel = static_cast<COLORREF>(-1);
};
