#pragma once
// toolsui: the "Tools" page of the appearance settings sheet, for the skin's Tools section. A
// tool combo chooses which of four tools the element list, the sliders and the image combo edit;
// the page opens on the tool open on the Tools tab.

#include "controls/ChoiceCombo.h"
#include "skins/ColourPage.h"

class toolsui : public CColourPage {
    DECLARE_DYNCREATE(toolsui)
public:
    toolsui();

    void ReloadFromSkin() override;

    enum { kToolCount = 4 };
    // The image value of a tool (BC, BD, BS, BP).
    const CString& ToolImage(int tool) const { return m_strImages[tool]; }
    // The index into the colours of a tool's element.
    static int ColourIndex(int tool, int element);
    static int ElementCount(int tool);

    CComboBox& ImageCombo() { return m_comboImage; }
    CComboBox& ToolCombo() { return m_comboTool; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    int SelectedColourIndex() const override;

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSelChangeElement();
    afx_msg void OnSelChangeImage();
    afx_msg void OnSelChangeTool();
    DECLARE_MESSAGE_MAP()

private:
    bool LoadSkinValues();
    void FillImages();
    void FillToolElements(int tool);
    void FillTools();
    void LayOut() override;

    CString m_strPortraitFolder;
    CString m_strImages[kToolCount];
    CChoiceCombo m_comboImage;
    CChoiceCombo m_comboTool;
};
