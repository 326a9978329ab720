#pragma once
// loadui: the "Load UI Skin" page of the appearance settings sheet. The user browses the
// device's folders, sees the skin files of the folder with their descriptions, and loads one:
// it is checked, stored in `skin`, and the sheet loads it into every colour page. "Set Default"
// goes back to the program folder and loads the default skin.

#include "core/RegistryKey.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListControls.h"
#include "platform/framework/ListCtrl.h"
#include "platform/framework/PropertyPage.h"

class loadui : public CPropertyPage {
    DECLARE_DYNCREATE(loadui)
public:
    loadui();

    // Shows a folder ("" is the device root): its subfolders and its skins.
    void BrowseTo(const CString& folder);
    const CString& CurrentFolder() const { return m_strCurrentFolder; }

    CListBox& Skins() { return m_listSkins; }
    CListCtrl& Folders() { return m_listFolders; }
    CButton& LoadButton() { return m_buttonLoad; }

    afx_msg void OnLoadSkin();
    afx_msg void OnSetDefault();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnFolderClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ListFolders();
    // Adds a folder entry with the shell's icon of its path.
    void AddFolderEntry(const CString& name, const CString& path);
    void ListSkins();
    // Load Skin: the selected entry (or the default one) is checked, stored in `skin` and
    // loaded by the sheet. False only when it could not be stored.
    bool LoadListedSkin();
    void SetFolderHeader();
    void LayOut();

    CButton m_buttonSetDefault;
    CButton m_buttonLoad;
    CListBox m_listSkins;
    CListCtrl m_listFolders;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nUsableHeight = 0;
    int m_nMenuHeight = 0;
    CFont m_font;
    CString m_strCurrentFolder;
    // The shell's small icon list, shown by the folder list; detached, never destroyed here.
    CImageList m_imageList;
    CRegistryKey m_registry;
};
