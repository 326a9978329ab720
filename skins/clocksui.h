#pragma once
// clocksui: the "World Clocks" page of the appearance settings sheet, for the skin's Clocks
// section: nine colour elements of the World Clocks tab and its portrait, landscape and square
// background images.

#include "platform/framework/BasicControls.h"
#include "skins/ColourPage.h"

class clocksui : public CBackgroundColourPage {
    DECLARE_DYNCREATE(clocksui)
public:
    clocksui();

    void ReloadFromSkin() override;

    // Element indices of the list; the separator stands for CMSC, which this page never edits.
    enum { kSeparator = 4 };

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnPaint();
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSelChangeElement();
    afx_msg void OnDestroy();
    afx_msg void OnSipFocus();
    afx_msg void OnSipKillFocus();
    DECLARE_MESSAGE_MAP()

private:
    bool LoadSkinValues(SkinReport report) override;
    void LayOut() override;

    CButton m_buttonUpdate;
    BYTE m_bSipFlag = 0;
    CFont m_fontButton;
};
