#pragma once
// CClothesDlg: the clothing size charts tool. A garment combo and the gender buttons M, W and C
// choose one of the ready-made charts: a title and four rows, one per sizing system.

#include "controls/ChoiceCombo.h"
#include "controls/IconButton.h"
#include "core/RegistryKey.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "tools/ClothingCharts.h"
#include "tools/ToolWindow.h"

#include <vector>

// Where the sizes of the shown chart are drawn, in the row font: the sizing systems' names
// first, then one column per size, each size centred in its column.
struct ClothingColumns {
    ClothingGrid grid;
    int sizesLeft = 0;          // where the first column starts
    std::vector<int> left;      // each column's left edge
    std::vector<int> width;     // each column's width
};

// A chart row: the static control that holds the row's text, drawn with its sizes in the
// chart's columns so that every size lines up under its column in every row.
class CClothingRow : public CStatic {
public:
    const ClothingColumns* m_columns = nullptr;
    int m_nRow = 0;

protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};

class CClothesDlg : public CDialog {
public:
    explicit CClothesDlg(CWnd* pParent = nullptr);

    // Re-reads the band, button, row and text colours and the background image from the skin.
    void ApplySkin();

    CStatic m_staticBand;
    CClothingRow m_staticRow4;
    CClothingRow m_staticRow3;
    CClothingRow m_staticRow2;
    CClothingRow m_staticRow1;
    // The shown chart's columns (in the row font).
    ClothingColumns m_columns;
    CStatic m_staticTitle;
    CChoiceCombo m_comboGarment;
    CIconButton m_btnMen;
    CIconButton m_btnWomen;
    CIconButton m_btnChildren;

    COLORREF m_crBand = RGB(194, 211, 228);
    COLORREF m_crButton = RGB(0, 0, 0);
    COLORREF m_crRow1 = RGB(255, 255, 255);
    COLORREF m_crRow2 = RGB(238, 238, 238);
    COLORREF m_crText = RGB(0, 0, 0);
    int m_nGender = 0; // the chosen gender button (0 men, 1 women, 2 children)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMen();
    afx_msg void OnWomen();
    afx_msg void OnChildren();
    afx_msg void OnSelchangeGarment();
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnLeaveTool(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void ShowChart(int garment, int gender);
    void ChooseGender(int gender);
    void OnGender(int gender);
    void Layout();
    // Sets the row font, 13 pixels high or smaller where the widest row of any chart, as its
    // text or drawn in columns, would not fit a row of the given width on one line.
    void FitRowFont(int rowWidth);
    // Measures the shown chart's columns in the row font across rows of the given width.
    void PlaceColumns(int rowWidth);
    toolwin::CToolScroll m_scroll;
    int m_nRowFontHeight = 0;
    void MakeColourBrushes();

    toolwin::ToolMetrics m_metrics;
    CBrush m_brushPage;
    CBrush m_brushBand;
    CBrush m_brushRow1;
    CBrush m_brushRow2;
    CFont m_fontTitle;
    CFont m_fontRow;
    CFont m_fontNote;
    CBitmap m_bmpBackground;
    CRegistryKey m_registry;
};
