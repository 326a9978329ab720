#pragma once
// CPackingListDlg: the packing-list organiser. Up to ten categories, each with up to ten lists
// ("All Items" and nine further lists) of checkable items. The list views are the store of the
// items: one run-time list view per list, only the current one shown. The Add, Delete and
// Options commands of the main window's packing-list bar arrive as private messages.

#include "controls/ChoiceCombo.h"
#include "controls/ColorTabCtrl.h"
#include "controls/IconButton.h"
#include "core/RegistryKey.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListCtrl.h"
#include "tools/PackingListFile.h"
#include "tools/ToolWindow.h"

#include <memory>

class CEditItemDlg;
class CNewEntryDlg;

class CPackingListDlg : public CDialog {
public:
    explicit CPackingListDlg(CWnd* pParent = nullptr);
    ~CPackingListDlg() override;

    // After the save question on leaving: true writes the file, false only marks the lists as
    // saved (the changes stay in the window and a later save writes them).
    void SaveOnLeave(bool save);
    // Re-reads the page and button colours and the background image from the skin.
    void ApplySkin();
    // Enables Save and shows the changed asterisk while there are unsaved changes.
    void SetSaved(bool saved);
    // Writes pack.dat from the current contents (the Save button).
    void SavePackFile();
    // The file the organiser reads and writes: pack.dat in the program folder.
    static CString PackFilePath();

    // The commands of the packing-list bar; each answers 1.
    afx_msg LRESULT OnAddCategory(WPARAM = 0, LPARAM = 0);
    afx_msg LRESULT OnAddList(WPARAM = 0, LPARAM = 0);
    afx_msg LRESULT OnAddItems(WPARAM = 0, LPARAM = 0);
    afx_msg LRESULT OnDeleteCategory(WPARAM = 0, LPARAM = 0);
    afx_msg LRESULT OnDeleteList(WPARAM = 0, LPARAM = 0);
    afx_msg LRESULT OnDeleteItem(WPARAM = 0, LPARAM = 0);
    afx_msg LRESULT OnDeleteAllItems(WPARAM = 0, LPARAM = 0);
    afx_msg LRESULT OnShowAll(WPARAM = 0, LPARAM = 0);
    afx_msg LRESULT OnShowChecked(WPARAM = 0, LPARAM = 0);
    afx_msg LRESULT OnShowUnchecked(WPARAM = 0, LPARAM = 0);
    afx_msg LRESULT OnUncheckAll(WPARAM = 0, LPARAM = 0);

    // The view of a list (null for a free slot) and the current one.
    CListCtrl* View(int category, int list) const;
    CListCtrl* CurrentView() const { return View(m_nCategory, m_nList); }
    // The whole contents as the file holds them.
    PackData CollectData() const;

    bool m_bChanged = false;
    int m_nCategory = 0;
    int m_nCategoryCount = 0;
    int m_nList = 0;
    int m_nLastList = 0;
    int m_nFilterMode = 0; // 1 the filtered view shows checked items, 0 unchecked ones
    CString PackListNames[kMaxPackCategories * kMaxPackLists]; // category * 10 + list; empty = free

    CListCtrl m_listFilter;
    CStatic m_staticLineRight;
    CStatic m_staticLineLeft;
    CStatic m_staticLineBottom;
    CStatic m_staticBand;
    CColorTabCtrl m_tabLists;
    CChoiceCombo m_comboCategory;
    CIconButton m_btnSave;

    COLORREF m_crPage = RGB(194, 211, 228);
    COLORREF m_crButton = RGB(0, 0, 0);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // The two entry dialogs run modally; kept apart so that the flow around them reads whole.
    virtual INT_PTR RunNewEntry(CNewEntryDlg& dlg);
    virtual INT_PTR RunEditItem(CEditItemDlg& dlg);

    afx_msg void OnListTabChange(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnCategoryChange();
    afx_msg void OnPaint();
    afx_msg void OnSaveClicked();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnFilterDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnListClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnFilterClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnFilterKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg LRESULT OnFilterRowTicked(WPARAM wParam, LPARAM lParam);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnLeaveTool(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CListCtrl* CreateView(int category, int list, bool fromFile);
    void DestroyView(int category, int list);
    void LoadData(const PackData& data);
    void RebuildTabs();
    void ShowCurrentView();
    void RebuildFilterIfVisible();
    void FillFilter(int mode);
    void Layout();
    void ReadMetrics();
    int TapX() const;
    int FilterRowAt(CPoint point) const;
    // Turns over the box of the current list's item that a row of the filtered view shows; the
    // row leaves the view, which shows only ticked or only unticked items.
    void ToggleFilterRow(int row);
    void ToggleFilterRowUnderTap();
    // The Edit Item dialog for a row of the current list, or of the filtered view (-1: none).
    void EditItem(int row);
    void EditFilterRow(int row);
    // Posted by space on a row of the filtered view (wParam: the row), once its box turned.
    static constexpr UINT kFilterRowTicked = WM_USER + 0x100;
    void RenameEverywhere(const CString& oldText, const CString& newText);
    CString Name(int category, int list) const { return PackListNames[category * kMaxPackLists + list]; }
    void SetName(int category, int list, const CString& name) { PackListNames[category * kMaxPackLists + list] = name; }

    std::unique_ptr<CListCtrl> m_views[kMaxPackCategories][kMaxPackLists];
    int m_w = 0, m_h = 0, m_m = 0, m_a = 0, m_f = 7;
    CBrush m_brushBack;
    CBrush m_brushLine;
    CBrush m_brushWhite;
    CBrush m_brushPage;
    CFont m_fontHint;
    CFont m_fontControl;
    CBitmap m_bmpBackground;
    CRegistryKey m_registry;
};
