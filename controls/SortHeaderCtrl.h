#pragma once
// CSortHeaderCtrl: the header of a sortable list. The sort column's item is owner-drawn with an
// arrow pointing up (ascending) or down (descending) at its right end.

#include "platform/framework/Controls.h"

class CSortHeaderCtrl : public CHeaderCtrl {
public:
    CSortHeaderCtrl() = default;

    // Marks the column as sorted in that direction and repaints; returns the previous sort column.
    int SetSortImage(int nColumn, BOOL bAscending);
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsSortAscending() const { return m_bSortAscending; }

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    // Where an owner-drawn item's caption goes within the item's rectangle, in the font selected
    // into dc: two spaces in from each side, and the arrow's room off the sort column's right.
    CRect LabelRect(CDC* dc, int column, const CRect& item) const;

private:
    int m_nSortColumn = -1;
    BOOL m_bSortAscending = TRUE;
};
