#pragma once
// A sample dialog written the way the program's screens are: a message map, data exchange, a
// control wrapper, a menu bar, and a settings sheet of two pages with run-time class names. The
// sheet keeps which pages were shown and writes its summary while its window is destroyed, as the
// program's appearance sheet does with its skin file.

#include "platform/framework/CommandBar.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/MessageMap.h"
#include "platform/framework/PropertySheet.h"

// The clock page: a city that must not be empty when the page is left, and a 12-hour check box.
class clockpage : public CPropertyPage {
    DECLARE_DYNCREATE(clockpage)
public:
    clockpage();
    CString m_city;
    BOOL m_twelve = FALSE;
    CEdit m_cityEdit;
    int m_applied = 0; // OnApply calls

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnKillActive() override;
    BOOL OnApply() override;

protected:
    afx_msg void OnCityChange();
    // The city field spans the page, whatever the screen's shape.
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    void Layout();
    DECLARE_MESSAGE_MAP()
};

// The colour page: one element of a list and a bold-titles check box.
class colourpage : public CPropertyPage {
    DECLARE_DYNCREATE(colourpage)
public:
    colourpage();
    int m_element = 0;
    BOOL m_bold = FALSE;
    CListBox m_elements;
    int m_applied = 0;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnApply() override;

protected:
    afx_msg void OnSelChangeElement();
    DECLARE_MESSAGE_MAP()
};

class CSampleSheet : public CPropertySheet {
    DECLARE_DYNAMIC(CSampleSheet)
public:
    CSampleSheet(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage);
    ~CSampleSheet() override;

    clockpage m_clock;
    colourpage m_colour;
    // One flag per page, set when the page first initialises; never cleared.
    BYTE m_shown[2] = {0, 0};
    // Written while the window is destroyed: the run-time class names of the pages shown.
    CString m_summary;
    BOOL m_destroyed = FALSE;

    BOOL OnInitDialog() override;

protected:
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    CCeCommandBar* m_pBar = nullptr;
};

class CSampleDlg : public CDialog {
    DECLARE_DYNAMIC(CSampleDlg)
public:
    explicit CSampleDlg(CWnd* pParent = nullptr);

    CString m_city = L"Oslo";
    int m_zone = 1;
    BOOL m_twelve = FALSE;
    BOOL m_bold = FALSE;
    CComboBox m_zoneCombo;
    CCeCommandBar m_bar;
    int m_lastPage = 0;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Runs the settings sheet on the page last shown; OK takes its values.
    INT_PTR RunSettings();

protected:
    afx_msg void OnSettings();
    afx_msg void OnReset();
    afx_msg void OnUpdateReset(CCmdUI* pCmdUI);
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    DECLARE_MESSAGE_MAP()

private:
    void ShowStatus();
};
