#pragma once
// weatherui: the "World Weather" page of the appearance settings sheet, for the skin's Weather
// section: eight colours of the Weather tab, its background images and its weather icon set.
// Whenever it reads a skin it writes the icon folder to `icondir` for the Weather tab.

#include "skins/ColourPage.h"

class weatherui : public CColourPage {
    DECLARE_DYNCREATE(weatherui)
public:
    weatherui();

    void ReloadFromSkin() override;

    const CString& IconSet() const { return m_strIconSet; }
    const CString& PortraitImage() const { return m_strPortraitImage; }
    const CString& LandscapeImage() const { return m_strLandscapeImage; }
    const CString& SquareImage() const { return m_strSquareImage; }
    CComboBox& PortraitCombo() { return m_comboPortrait; }
    CComboBox& LandscapeCombo() { return m_comboLandscape; }
    CComboBox& IconSetCombo() { return m_comboIconSet; }

    // The entry that stands for the program's own icon set in a skin of another folder.
    static constexpr const wchar_t* kDefaultIconsEntry = L".Default icons set";

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSelChangeElement();
    afx_msg void OnSelChangePortraitImage();
    afx_msg void OnSelChangeIconSet();
    afx_msg void OnSelChangeLandscapeImage();
    afx_msg void OnSipFocus();
    DECLARE_MESSAGE_MAP()

private:
    bool LoadSkinValues(SkinReport report);
    void FillCombos();
    void PaintPage(CDC& dc);
    void LayOut();

    CString m_strIconSet;
    CString m_strPortraitImage;
    CString m_strLandscapeImage;
    CString m_strSquareImage;
    CComboBox m_comboLandscape;
    CComboBox m_comboIconSet;
    CComboBox m_comboPortrait;
    CSize m_sizeLabel;
};
