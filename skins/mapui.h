#pragma once
// mapui: the "World Map" page of the appearance settings sheet, for the skin's Map section: ten
// colours of the World Map tab, its background images and the world map picture. The shadow
// colour is a choice of pure red, green or blue: while it is selected the sliders run 0..1.

#include "controls/ChoiceCombo.h"
#include "skins/ColourPage.h"

class mapui : public CBackgroundColourPage {
    DECLARE_DYNCREATE(mapui)
public:
    mapui();

    enum { kShadow = 9 };

    const CString& MapImage() const { return m_strMapImage; }
    CComboBox& MapImageCombo() { return m_comboMapImage; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSipFocus();
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSelChangeElement();
    afx_msg void OnSelChangeMapImage();
    DECLARE_MESSAGE_MAP()

private:
    bool LoadSkinValues(SkinReport report) override;
    void FillCombos() override;
    void LayOut() override;
    // Slider range 0..1 for the shadow colour, else 0..255, then its colour on the sliders.
    void ShowElement(int index);

    CString m_strMapImage;
    CChoiceCombo m_comboMapImage;
};
