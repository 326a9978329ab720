#pragma once
// generalui: the "General UI" page of the appearance settings sheet, for the skin's General
// section: the tool bar and current-screen panel colours and the tool bar's icon-set folder.

#include "controls/ChoiceCombo.h"
#include "skins/ColourPage.h"

class generalui : public CColourPage {
    DECLARE_DYNCREATE(generalui)
public:
    generalui();

    void ReloadFromSkin() override;

    // "\" + folder name + "\", as the combo lists it.
    const CString& IconSetFolder() const { return m_strIconSetFolder; }
    CComboBox& IconSetCombo() { return m_comboIconSet; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnPaint();
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSelChangeElement();
    afx_msg void OnSelChangeIconSet();
    DECLARE_MESSAGE_MAP()

private:
    bool LoadSkinValues();
    void FillIconSets();
    void LayOut() override;

    CString m_strIconSetFolder;
    CChoiceCombo m_comboIconSet;
};
