#pragma once
// CLanguageDlg: the choice of the interface language among the modules listed in langs.dat, and
// the installation of further modules found by browsing the device's folders. A choice is
// written to the registry value lang and takes effect at the next start.

#include "controls/ChoiceCombo.h"
#include "core/RegistryKey.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListControls.h"
#include "platform/framework/ListCtrl.h"

class CLanguageDlg : public CDialog {
public:
    explicit CLanguageDlg(CWnd* pParent = nullptr);

    // The current lang, or -1 when no language was ever chosen.
    int m_nInitialSelection = -1;

    // The folder the install part starts in.
    static constexpr const wchar_t* kDocumentsFolder = L"\\My Documents";

    // Lists the folders and modules of a folder ("" is the root).
    void BrowseTo(const CString& folder);
    const CString& CurrentFolder() const { return m_strCurrentFolder; }
    const CString& ListText() const { return m_strListText; }
    BOOL IsExpanded() const { return m_bExpanded; }

protected:
    CButton m_checkRemove;
    CListCtrl m_listFolders;
    CListBox m_listModules;
    CButton m_buttonAdd;
    CChoiceCombo m_comboLanguages;
    int m_nWorkWidth = 0;
    int m_nWorkHeight = 0;
    int m_nMenuHeight = 0;
    int m_nPanelHeight = 0;
    int m_nStoredLanguage = 0;
    CString m_strListText;
    BOOL m_bExpanded = FALSE;
    CString m_strCurrentFolder;
    CFont m_fontNormal;
    CFont m_fontBold;
    CRegistryKey m_registry;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnSelChangeLanguage();
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    afx_msg void OnAddModule();
    // Moves the module file into place in one step; true when it is there.
    static BOOL PlaceByMove(const CString& source, const CString& target);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnClickFolders(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnSelChangeModule();
    DECLARE_MESSAGE_MAP()

private:
    void LayOut();
    void ListFolders();
    void ListModules();
    // The install link's text rectangle when collapsed.
    CRect InstallLinkRect();
    // Stores the chosen language; false when it could not be stored (the fault was said).
    bool WriteLang(int lang);
};
