#pragma once
// CTodayOptionsDlg: how the Today item shows the program's data. Two registry values under
// HKEY_LOCAL_MACHINE\Jorvana are its whole contract with the Today item, which reads them on
// every paint: todaynbcs (clock lines, 1 to 5, missing 3, 0 read as 1) and todayscur (currency
// strip, shown unless 0, missing shown). Both are written when the dialog closes, OK or not.

#include "core/RegistryKey.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/ListControls.h"

class CDC;

class CTodayOptionsDlg : public CDialog {
public:
    explicit CTodayOptionsDlg(CWnd* pParent = nullptr);

    static constexpr DWORD kDefaultClockLines = 3;
    static constexpr DWORD kMaxClockLines = 5;

    CButton m_checkCurrency;  // checked: todayscur = 1
    CComboBox m_comboClocks;  // item index = todaynbcs - 1
    int m_nWorkWidth = 0;
    int m_nWorkHeight = 0;
    HFONT m_hTitleFont = nullptr;
    HFONT m_hTextFont = nullptr;
    CString m_strText;        // the string last loaded
    CSize m_sizeLabel;        // "Show" in the text font
    CRegistryKey m_registry;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ReadWorkArea();
    void MeasureLabel(CDC& dc);
    void Layout();
};
