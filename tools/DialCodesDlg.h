#pragma once
// CDialCodesDlg: the dialing and area codes tool. Two read-only sortable lists (international
// dialing codes, US area codes) switched by the Show combo, and a Find box that selects the first
// row whose first column begins with the typed text.

#include "controls/ChoiceCombo.h"
#include "controls/SortListCtrl.h"
#include "core/RegistryKey.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "tools/ToolWindow.h"

class CDialCodesDlg : public CDialog {
public:
    explicit CDialCodesDlg(CWnd* pParent = nullptr);

    // Re-reads the band and label colours and the background image from the skin; no repaint.
    void ApplySkin();

    CEdit m_editFind;
    CStatic m_staticFindLabel;
    CStatic m_staticBand;
    CStatic m_staticShowLabel;
    CSortListCtrl m_listArea;
    CSortListCtrl m_listDial;
    CChoiceCombo m_comboShow;
    CString m_strFind;

    COLORREF m_crBand = RGB(194, 211, 228);
    COLORREF m_crLabelText = RGB(0, 0, 0);
    int m_nScroll = 0;        // pixels the contents are scrolled up
    int m_nColumnsFitTo = 0;  // the work-area width the columns were last fitted to
    int m_nContentHeight = 0; // bottom of the Find band plus one
    int m_nClientHeight = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnPaint();
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnSelchangeShow();
    afx_msg void OnChangeFind();
    afx_msg void OnSetfocusFind();
    afx_msg void OnKillfocusFind();
    afx_msg void OnKeydownDialList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnKeydownAreaList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnLeaveTool(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void FillLists();
    // Sets both lists' column widths from the work area's width.
    void FitColumns();
    int LabelWidth(CStatic& label);
    void PlaceLists(int width);
    void MoveKeyToFind(const NMHDR* pNMHDR);
    int ScrollRange() const { return std::max(0, m_nContentHeight - m_nClientHeight); }

    toolwin::ToolMetrics m_metrics;
    CBrush m_brushBack;  // RGB(238, 238, 238)
    CBrush m_brushBand;  // band colour, made again when the skin changes it
    CBrush m_brushWhite;
    CFont m_fontList;
    CFont m_fontLabel;
    CBitmap m_bmpBackground;
    bool m_bPanelUp = false;
    toolwin::CToolPanelPlacement m_placement;
    CRegistryKey m_registry;
};
