#include "controls/SortListCtrl.h"

#include "platform/framework/WaitCursor.h"

#include <string>
#include <utility>

BEGIN_MESSAGE_MAP(CSortListCtrl, CListCtrl)
    ON_NOTIFY(HDN_ITEMCLICKW, 0, &CSortListCtrl::OnHeaderClick)
    ON_NOTIFY(HDN_ITEMCLICKA, 0, &CSortListCtrl::OnHeaderClick)
END_MESSAGE_MAP()

void CSortListCtrl::PreSubclassWindow() {
    CListCtrl::PreSubclassWindow();
    BindHeader();
}

// A list made with Create has no header yet when it is subclassed: the header is bound at the
// first use instead.
void CSortListCtrl::BindHeader() {
    if (m_ctlHeader.m_hWnd || !m_hWnd) return;
    HWND header = ::GetDlgItem(m_hWnd, 0);
    if (!header) header = ListView_GetHeader(m_hWnd);
    if (header) m_ctlHeader.SubclassWindow(header);
}

CSortHeaderCtrl& CSortListCtrl::GetSortHeader() {
    BindHeader();
    return m_ctlHeader;
}

void CSortListCtrl::OnHeaderClick(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    const auto* header = reinterpret_cast<const NMHEADER*>(pNMHDR);
    if (header->iButton != 0) return;
    const int column = header->iItem;
    if (column != 0 && !(column == 1 && m_bSecondColumn)) return;
    m_bSortAscending = column == m_nSortColumn ? !m_bSortAscending : TRUE;
    m_nSortColumn = column;
    SortTextItems(m_nSortColumn, m_bSortAscending, 0, -1);
}

void CSortListCtrl::SwapRows(int nFirst, int nSecond, int nColumns) {
    for (int column = 0; column < nColumns; ++column) {
        CString first = GetItemText(nFirst, column);
        CString second = GetItemText(nSecond, column);
        SetItemText(nFirst, column, second);
        SetItemText(nSecond, column, first);
    }
    constexpr UINT kStateBits = 0xFF0F; // state image, overlay and the four low state bits
    LVITEM rows[2]{};
    for (int i = 0; i < 2; ++i) {
        rows[i].mask = LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
        rows[i].iItem = i == 0 ? nFirst : nSecond;
        rows[i].stateMask = kStateBits;
        GetItem(&rows[i]);
    }
    std::swap(rows[0].iItem, rows[1].iItem);
    for (LVITEM& row : rows) {
        row.stateMask = kStateBits;
        SetItem(&row);
    }
}

BOOL CSortListCtrl::SortTextItems(int nColumn, BOOL bAscending, int nLow, int nHigh) {
    CWaitCursor wait;
    BindHeader();
    const int columns = m_ctlHeader.m_hWnd ? m_ctlHeader.GetItemCount() : 0;
    if (nColumn < 0 || nColumn >= columns) return FALSE;
    const int count = GetItemCount();
    if (nHigh == -1 || nHigh >= count) nHigh = count - 1; // never past the last row
    if (nLow < 0 || nLow >= nHigh) return FALSE;

    // Plain comparison of character codes, no collation.
    auto text = [&](int row) { return std::wstring(static_cast<LPCWSTR>(GetItemText(row, nColumn))); };
    const std::wstring pivot = text((nLow + nHigh) / 2);
    int lo = nLow;
    int hi = nHigh;
    while (lo <= hi) {
        if (bAscending) {
            while (lo < nHigh && text(lo) < pivot) ++lo;
            while (hi > nLow && text(hi) > pivot) --hi;
        } else {
            while (lo < nHigh && text(lo) > pivot) ++lo;
            while (hi > nLow && text(hi) < pivot) --hi;
        }
        if (lo <= hi) {
            if (text(lo) != text(hi)) SwapRows(lo, hi, columns);
            ++lo;
            --hi;
        }
    }
    if (nLow < hi) SortTextItems(nColumn, bAscending, nLow, hi);
    if (lo < nHigh) SortTextItems(nColumn, bAscending, lo, nHigh);

    if (m_ctlHeader.m_hWnd) m_ctlHeader.SetSortImage(nColumn, bAscending);
    return TRUE;
}
