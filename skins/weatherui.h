#pragma once
// weatherui: the "World Weather" page of the appearance settings sheet, for the skin's Weather
// section: eight colours of the Weather tab, its background images and its weather icon set.
// Whenever it reads a skin it writes the icon folder to `icondir` for the Weather tab.

#include "controls/ChoiceCombo.h"
#include "skins/ColourPage.h"

class weatherui : public CBackgroundColourPage {
    DECLARE_DYNCREATE(weatherui)
public:
    weatherui();

    const CString& IconSet() const { return m_strIconSet; }
    CComboBox& IconSetCombo() { return m_comboIconSet; }

    // The entry that stands for the program's own icon set in a skin of another folder.
    static constexpr const wchar_t* kDefaultIconsEntry = L".Default icons set";

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSelChangeElement();
    afx_msg void OnSelChangeIconSet();
    afx_msg void OnSipFocus();
    DECLARE_MESSAGE_MAP()

private:
    bool LoadSkinValues(SkinReport report) override;
    void FillCombos() override;
    void PaintPage(CDC& dc);
    void LayOut() override;

    CString m_strIconSet;
    CChoiceCombo m_comboIconSet;
};
