#include "shell/ThemedTabCtrl.h"

#include "platform/framework/DC.h"
#include "platform/framework/GdiObjects.h"
#include "shell/TabColors.h"

namespace {

constexpr COLORREF kNoColor = static_cast<COLORREF>(-1);

// The highlighted twin of a tab image: the images are loaded plain/selected in this order.
int SelectedImage(int image) {
    switch (image) {
    case 0: return 3;
    case 1: return 4;
    case 2: return 5;
    case 6: return 7;
    case 8: return 9;
    default: return -1;
    }
}

} // namespace

IMPLEMENT_DYNAMIC(CThemedTabCtrl, CMainTabCtrl)

COLORREF CThemedTabCtrl::s_crTheme = 0;
DWORD CThemedTabCtrl::s_dwThemeStyle = 0;

CThemedTabCtrl::CThemedTabCtrl(int drawMode) : CMainTabCtrl(drawMode) {}

void CThemedTabCtrl::SetThemeStyle(BOOL enable, DWORD bits) { s_dwThemeStyle = enable ? bits : 0; }

void CThemedTabCtrl::PreSubclassWindow() {
    CMainTabCtrl::PreSubclassWindow();
    if (s_dwThemeStyle != 0) ModifyStyle(0, TCS_OWNERDRAWFIXED);
}

COLORREF CThemedTabCtrl::GetTabColor(BOOL selected) {
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    m_crBack = s_crTheme;
    const COLORREF base = (s_dwThemeStyle & kThemeUseColor) && s_crTheme != kNoColor ? s_crTheme : face;
    if (selected) {
        if (!(s_dwThemeStyle & kThemeLightenSelected)) return face;
        return LightenColor(base, 1.4f);
    }
    if ((s_dwThemeStyle & kThemeFlat) && !(s_dwThemeStyle & kThemeNotFlat)) return s_crTheme == kNoColor ? face : s_crTheme;
    return DarkenColor(base, 0.9f);
}

COLORREF CThemedTabCtrl::GetTabTextColor(BOOL selected) {
    if (selected) return ::GetSysColor(COLOR_WINDOWTEXT);
    const bool useBack = (s_dwThemeStyle & (kThemeFlat | kThemeUseColor)) && m_crBack != kNoColor;
    return DarkenColor(useBack ? m_crBack : ::GetSysColor(COLOR_BTNFACE), 0.5f);
}

void CThemedTabCtrl::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (!lpDrawItemStruct) return;
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    const int item = static_cast<int>(lpDrawItemStruct->itemID);
    const BOOL selected = item == GetCurSel();

    CRect r = lpDrawItemStruct->rcItem;
    if (selected)
        r.bottom -= 1;
    else
        r.bottom += 2;
    pDC->FillSolidRect(&r, s_crTheme);
    r.left += 3;
    r.top += selected ? 6 : 4;
    pDC->SetBkMode(TRANSPARENT);

    WCHAR text[100] = {};
    TCITEM info{};
    info.mask = TCIF_TEXT | TCIF_IMAGE;
    info.pszText = text;
    info.cchTextMax = 99;
    GetItem(item, &info);

    if (CImageList* images = GetImageList(); images && images->GetSafeHandle()) {
        const int image = selected ? SelectedImage(info.iImage) : info.iImage;
        if (image >= 0)
            images->Draw(pDC, image, CPoint(r.left + (r.right - r.left) / 2 - 10, r.top - 4), ILD_TRANSPARENT);
    }
    r.right -= 3;
    pDC->SetTextColor(GetTabTextColor(selected));
    pDC->DrawText(text, -1, &r, DT_CENTER | DT_NOPREFIX);
}

void CThemedTabCtrl::DrawItemBorder(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (!lpDrawItemStruct) return;
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    const int item = static_cast<int>(lpDrawItemStruct->itemID);
    const bool selected = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0;
    const CRect& r = lpDrawItemStruct->rcItem;

    CBrush brush(m_crBorder);
    CPen pen(PS_SOLID, 1, m_crBorder);
    CBrush* oldBrush = pDC->SelectObject(&brush);
    CPen* oldPen = pDC->SelectObject(&pen);

    const int b = r.bottom - (selected ? 2 : 1);
    if (item == GetItemCount() - 1)
        pDC->RoundRect(r.right + 1, 1, ::GetSystemMetrics(SM_CXSCREEN) + 2, b + 3, 5, 5);
    const int y = selected ? b - 2 : b + 1;
    pDC->FillSolidRect(CRect(0, y, 1000, y + 1), m_crBorder);

    pDC->SelectObject(oldPen);
    pDC->SelectObject(oldBrush);
}

void CThemedTabCtrl::DrawMainBorder(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (!lpDrawItemStruct) return;
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    const COLORREF tab = GetTabColor(FALSE);
    pDC->Draw3dRect(&lpDrawItemStruct->rcItem, LightenColor(tab, 1.5f), DarkenColor(tab, 0.75f));
}
