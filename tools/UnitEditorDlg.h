#pragma once
// CUnitEditDlg: the modal "Edit Units" dialog of the unit converter. It lists one category's
// units with their factors and adds a unit, removes a unit by name and rewrites the name and
// factor of the selected unit; every change goes to the converters store at once. The
// temperatures are not offered: their units are fixed in the converter.

#include "controls/ChoiceCombo.h"
#include "core/ConvertersDb.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Dlg.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/ListControls.h"
#include "platform/framework/ListCtrl.h"

class CUnitEditDlg : public CDialog {
public:
    explicit CUnitEditDlg(CWnd* pParent = nullptr);
    ~CUnitEditDlg() override;

    // Adds a unit to the category of the key number unless the shown list already holds the
    // name (in any letter case) or the category is full. True when a unit was stored.
    bool AddUnit(int keyNumber, CString name, CString factor);
    // Says why and returns true when the fields cannot make a unit: a blank name, or a
    // factor that is not a finite number other than 0. The dialog stays as it is.
    bool RefuseUnitFields(const CString& name, const CString& factor);
    // Asks, then removes the category's first unit of exactly that name. True when removed.
    bool RemoveUnit(CString keyText, CString name);

    // The key number ("0" to "6" as a number) of a combo index, and the reverse (-1 for "4").
    static int KeyOfComboIndex(int comboIndex) { return comboIndex < 4 ? comboIndex : comboIndex + 1; }
    // The record index of a category's first unit in the store's category order.
    int CategoryStart(int keyNumber) const;

    CEdit m_factorField;
    CButton m_modifyButton;
    CListCtrl m_list;
    CEdit m_nameField;
    CChoiceCombo m_category;
    CButton m_removeButton;
    CButton m_addButton;
    CString m_name;

    int m_nWidth = 0, m_nHeight = 0, m_nPageHeight = 0, m_nMenuHeight = 0;
    LOGFONTW m_headerFont{};
    CFont m_titleFont;
    CFont m_valueLabelFont;
    // Record counts by category key "0" to "6".
    int CategoryCounts[7] = {};
    CString m_scratch;
    CSize m_titleSize;
    CSize m_valueLabelSize;
    CFont* m_pControlFont = nullptr;
    int m_listedCategory = 0;
    int m_clientHeight = 0;
    int m_scrollPos = 0;
    bool m_bShowingBar = false; // while the bar is shown or hidden
    int m_contentHeight = 0;
    DWORD m_sipFlags = 0;
    int m_heightBeforePanel = 0; // the window's height before a raised panel shortened it
    CConvertersDb m_units;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnPaint();
    // Header band and the two painted labels (WM_PAINT).
    void DrawHeader();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnChangeName();
    afx_msg void OnCategoryChange();
    afx_msg void OnClickList(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnAdd();
    afx_msg void OnModify();
    afx_msg void OnRemove();
    afx_msg void OnKillfocusFactor();
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
    afx_msg void OnSetfocusName();
    afx_msg void OnSetfocusFactor();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ReadMetrics();
    void CountCategories();
    void ListCategory(int comboIndex);
    void SetValueHeading(int comboIndex);
    void PaintHeader(CDC& dc);
    void PlaceControls();
    // The list's height for the window's present client area.
    int ListHeight() const;
    int ScrollRange() const;
    void ScrollTo(int position);
    static DWORD ReadSipFlags();

    CFont m_controlFont;
};
