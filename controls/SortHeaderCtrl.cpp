#include "controls/SortHeaderCtrl.h"

#include "platform/framework/GdiObjects.h"

int CSortHeaderCtrl::SetSortImage(int nColumn, BOOL bAscending) {
    const int previous = m_nSortColumn;
    m_bSortAscending = bAscending;
    m_nSortColumn = nColumn;
    HDITEM item{};
    item.mask = HDI_FORMAT;
    if (GetItem(nColumn, &item)) {
        item.fmt |= HDF_OWNERDRAW;
        SetItem(nColumn, &item);
    }
    Invalidate();
    return previous;
}

CRect CSortHeaderCtrl::LabelRect(CDC* dc, int column, const CRect& item) const {
    const int cw = dc->GetTextExtent(L" ", 1).cx;
    CRect label = item;
    label.DeflateRect(2 * cw, 0);
    if (column == m_nSortColumn) label.right -= 6 * cw;
    return label;
}

void CSortHeaderCtrl::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    const CRect r(lpDIS->rcItem);
    const int saved = pDC->SaveDC();
    pDC->IntersectClipRect(&r);

    pDC->FillSolidRect(&r, GetSysColor(COLOR_BTNFACE));
    const int cw = pDC->GetTextExtent(L" ", 1).cx;

    wchar_t text[256] = {};
    HDITEM hdi{};
    hdi.mask = HDI_TEXT | HDI_FORMAT;
    hdi.pszText = text;
    hdi.cchTextMax = 255;
    GetItem(static_cast<int>(lpDIS->itemID), &hdi);

    UINT format = DT_LEFT;
    if (hdi.fmt & HDF_CENTER)
        format = DT_CENTER;
    else if (hdi.fmt & HDF_RIGHT)
        format = DT_RIGHT;
    format |= DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP;

    const bool sorted = static_cast<int>(lpDIS->itemID) == m_nSortColumn;
    CRect label = LabelRect(pDC, static_cast<int>(lpDIS->itemID), r);
    if (lpDIS->itemState == ODS_SELECTED) {
        label.left += 1;
        label.right += 1;
        label.top += 2;
    }
    if (label.left < label.right) pDC->DrawText(text, -1, &label, format);

    if (sorted) {
        CPen light(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        CPen shadow(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        CPen* old = pDC->SelectObject(&light);
        const int rr = r.right;
        const int b = r.bottom;
        if (m_bSortAscending) {
            pDC->MoveTo(rr - 4 * cw, 2 * cw - 1);
            pDC->LineTo(rr - 3 * cw, b - 2 * cw);
            pDC->LineTo(rr - 5 * cw - 2, b - 2 * cw);
            pDC->SelectObject(&shadow);
            pDC->MoveTo(rr - 5 * cw - 1, b - 2 * cw - 1);
            pDC->LineTo(rr - 4 * cw, 2 * cw - 2);
        } else {
            pDC->MoveTo(rr - 3 * cw, 2 * cw - 1);
            pDC->LineTo(rr - 4 * cw - 1, b - 2 * cw + 1);
            pDC->SelectObject(&shadow);
            pDC->MoveTo(rr - 4 * cw - 1, b - 2 * cw);
            pDC->LineTo(rr - 5 * cw - 1, 2 * cw - 1);
            pDC->LineTo(rr - 3 * cw, 2 * cw - 1);
        }
        pDC->SelectObject(old);
    }
    pDC->RestoreDC(saved);
}
