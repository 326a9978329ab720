#pragma once
// CSortListCtrl: a report list whose rows are sorted by the text of column 0 (and column 1 when
// allowed) at a tap on the column's header; a second tap on the same column reverses the order.
// Texts compare by character code, so upper-case letters come before lower-case ones.

#include "controls/SortHeaderCtrl.h"
#include "platform/framework/MessageMap.h"

class CSortListCtrl : public CListCtrl {
public:
    CSortListCtrl() = default;

    // TRUE: column 1 answers a header tap as well as column 0.
    void AllowSecondColumnSort(BOOL bAllow) { m_bSecondColumn = bAllow; }
    // The same choice as a column count: 1 lets column 1 sort too, anything else only column 0.
    void SetSortColumn(int n) { AllowSecondColumnSort(n == 1); }
    // Sorts rows nLow..nHigh (-1: the last row) by the column's text; FALSE when the column does
    // not exist or the range holds fewer than two rows.
    BOOL SortTextItems(int nColumn, BOOL bAscending, int nLow = 0, int nHigh = -1);

    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsSortAscending() const { return m_bSortAscending; }
    CSortHeaderCtrl& GetSortHeader();

    void PreSubclassWindow() override;

protected:
    afx_msg void OnHeaderClick(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void BindHeader();
    void SwapRows(int nFirst, int nSecond, int nColumns);

    int m_nSortColumn = -1;
    BOOL m_bSortAscending = TRUE;
    CSortHeaderCtrl m_ctlHeader;
    BOOL m_bSecondColumn = FALSE;
};
