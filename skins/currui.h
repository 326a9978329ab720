#pragma once
// currui: the "World Currencies" page of the appearance settings sheet: the seven colours of the
// skin's Currency section. It has no image choices.

#include "skins/ColourPage.h"

class currui : public CColourPage {
    DECLARE_DYNCREATE(currui)
public:
    currui();

    void ReloadFromSkin() override;

protected:
    BOOL OnInitDialog() override;
    void InvalidatePreview() override;

    afx_msg void OnPaint();
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSelChangeElement();
    DECLARE_MESSAGE_MAP()

private:
    bool LoadSkinValues(SkinReport report);
    void LayOut() override;
};
