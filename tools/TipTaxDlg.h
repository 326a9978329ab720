#pragma once
// CTipTaxDlg: the tip and tax calculator. A bill amount, a tip and a tax percentage each with a
// check box deciding whether it is added, the two amounts and the total. The "Country" and
// "Service" pickers and the "Included in bill" table carry no data.

#include "controls/DropDownSelector.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "tools/ToolWindow.h"

#include <memory>

class CTipTaxDlg : public CDialog {
public:
    explicit CTipTaxDlg(CWnd* pParent = nullptr);

    CStatic m_staticTotal;
    CStatic m_staticTipAmount;
    CStatic m_staticTaxAmount;
    CEdit m_editTipPercent;
    CEdit m_editTaxPercent;
    CButton m_checkTip;
    CButton m_checkTax;
    CEdit m_editAmount;
    CComboBox m_comboService;
    CComboBox m_comboCountry;

    double m_dAmount = 0;
    double m_dTaxPercent = 0;
    double m_dTipPercent = 0;
    CString m_strMessage;

    std::unique_ptr<CDropDownSelector> m_pCountry;
    std::unique_ptr<CDropDownSelector> m_pService;
    int m_nScroll = 0;
    int m_nContentBottom = 0;
    int m_nClientHeight = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnPaint();
    afx_msg void OnChangeTipPercent();
    afx_msg void OnChangeTaxPercent();
    afx_msg void OnChangeAmount();
    afx_msg void OnTipClicked();
    afx_msg void OnTaxClicked();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSetFocusEdit(UINT nID);
    afx_msg void OnKillFocusEdit(UINT nID);
    afx_msg void OnUpdateEdit(UINT nID);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnLeaveTool(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    bool TallLayout() const;
    void ReadFigures();
    void ShowTotal();
    void CheckPercent(CEdit& edit);
    std::unique_ptr<CDropDownSelector> MakePicker(CComboBox& placeholder, UINT id, LPCTSTR row);
    void Draw(CDC& dc);
    int ScrollRange() const { return std::max(0, m_nContentBottom - m_nClientHeight); }

    toolwin::ToolMetrics m_metrics;
    int m_nUsableHeight = 0;
    CBrush m_brushDialog;
    CBrush m_brushWhite;
    CBrush m_brushTotal;
    CFont m_fontBold;
    CFont m_fontRegular;
    CFont m_fontSmall;
    CFont m_fontTall;
    bool m_bPanelUp = false;
    bool m_bChecking = false;
    toolwin::CToolPanelPlacement m_placement;
};
