#pragma once
// The two modal dialogs of the packing-list organiser. CNewEntryDlg ("New...") asks for the name
// of a new category or list, or for a new item together with check lists choosing where it also
// goes or which existing items belong to the current list. CEditItemDlg edits one item's text.
// The caller fills the members, runs DoModal and reads them back after IDOK.

#include "platform/framework/Controls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListCtrl.h"
#include "tools/ToolWindow.h"

#include <vector>

// What CNewEntryDlg asks for.
enum NewEntryMode {
    NewEntryName = 50,         // a name only (new category, new list)
    NewEntryCategoryItems = 1, // items of a category's "All Items" list
    NewEntryListItems = 2,     // items of a further list
    NewEntryAllItems = 3,      // a new item of "All"'s "All Items" list
};

class CNewEntryDlg : public CDialog {
public:
    explicit CNewEntryDlg(CWnd* pParent = nullptr);

    int m_nMode = NewEntryName;
    CString m_strCaption;
    // On entry: item texts each followed by "1" (in the target) or "0"; after IDOK the text
    // followed by the new flag.
    std::vector<CString> m_items;
    // On entry list and category names; after IDOK "1" (checked) or "0" for each.
    std::vector<CString> m_lists;
    std::vector<CString> m_categories;
    // The typed name (empty when an existing item was chosen by its name).
    CString m_strName;

    CListCtrl m_listCategories; // 1123
    CListCtrl m_listLists;      // 1122
    CListCtrl m_listItems;      // 1121
    CButton m_btnCancel;
    CButton m_btnOk;
    CEdit m_editName;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    DECLARE_MESSAGE_MAP()

private:
    void ReadMetrics();
    void Layout();
    static void FillWithColumn(CListCtrl& list);
    bool SmallScreen() const;
    // The bottom of the mode's lowest control or label, as laid out with the panel down.
    int ContentHeight() const;

    int m_w = 0, m_h = 0, m_m = 0, m_a = 0;
    int m_lw = 0; // the width the controls are laid out in (less than w beside a scroll bar)
    bool m_bLaying = false;
    // With the input panel up the dialog ends at the panel's top edge and scrolls its controls.
    toolwin::CToolScroll m_scroll;
    static constexpr int T = 23; // the caption band
    CFont m_fontButton;
};

class CEditItemDlg : public CDialog {
public:
    explicit CEditItemDlg(CWnd* pParent = nullptr);

    CString m_strText; // the item text on entry, the edited text after IDOK
    CEdit m_editText;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};
