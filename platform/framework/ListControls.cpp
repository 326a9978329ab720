#include "platform/framework/ListControls.h"

IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)
IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)

namespace {

// Reads an item's text with the control's length and text messages; empty when there is none.
void ReadItemText(const CWnd& control, UINT lengthMessage, UINT textMessage, int index, CString& out) {
    out.Empty();
    auto length = static_cast<int>(control.SendMessage(lengthMessage, static_cast<WPARAM>(index)));
    if (length < 0) return;
    LPWSTR buffer = out.GetBufferSetLength(length);
    auto got = static_cast<int>(control.SendMessage(textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer)));
    out.ReleaseBuffer(got < 0 ? 0 : got);
}

// Draws an owner-drawn item when the parent's WM_DRAWITEM comes back to the control.
template <class Control>
BOOL DrawOnNotify(Control& control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message != WM_DRAWITEM) return control.CWnd::OnChildNotify(message, wParam, lParam, pResult);
    control.DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (pResult) *pResult = TRUE;
    return TRUE;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CListBox

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(WC_LISTBOXW, nullptr, dwStyle, rect, pParentWnd, nID);
}

void CListBox::GetText(int nIndex, CString& rString) const {
    ReadItemText(*this, LB_GETTEXTLEN, LB_GETTEXT, nIndex, rString);
}

UINT CListBox::ItemFromPoint(CPoint pt, BOOL& bOutside) const {
    auto result = static_cast<DWORD>(SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y)));
    bOutside = HIWORD(result) != 0;
    return LOWORD(result);
}

void CListBox::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return DrawOnNotify(*this, message, wParam, lParam, pResult);
}

// ---------------------------------------------------------------------------------------------
// CComboBox

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(WC_COMBOBOXW, nullptr, dwStyle, rect, pParentWnd, nID);
}

void CComboBox::GetLBText(int nIndex, CString& rString) const {
    ReadItemText(*this, CB_GETLBTEXTLEN, CB_GETLBTEXT, nIndex, rString);
}

void CComboBox::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return DrawOnNotify(*this, message, wParam, lParam, pResult);
}

// ---------------------------------------------------------------------------------------------
// CTabCtrl

BOOL CTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(WC_TABCONTROLW, nullptr, dwStyle, rect, pParentWnd, nID);
}

LONG CTabCtrl::InsertItem(int nItem, LPCTSTR lpszItem) {
    TCITEM item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    return InsertItem(nItem, &item);
}

LONG CTabCtrl::InsertItem(int nItem, LPCTSTR lpszItem, int nImage) {
    TCITEM item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    item.iImage = nImage;
    return InsertItem(nItem, &item);
}

CSize CTabCtrl::SetItemSize(CSize size) {
    auto old = static_cast<DWORD>(SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(size.cx, size.cy)));
    return CSize(static_cast<SHORT>(LOWORD(old)), static_cast<SHORT>(HIWORD(old)));
}

CImageList* CTabCtrl::SetImageList(CImageList* pImageList) {
    LPARAM list = pImageList ? reinterpret_cast<LPARAM>(pImageList->m_hImageList) : 0;
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(SendMessage(TCM_SETIMAGELIST, 0, list)));
}

CImageList* CTabCtrl::GetImageList() const {
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(SendMessage(TCM_GETIMAGELIST)));
}

void CTabCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CTabCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return DrawOnNotify(*this, message, wParam, lParam, pResult);
}

// ---------------------------------------------------------------------------------------------
// CDateTimeCtrl

BOOL CDateTimeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(DATETIMEPICK_CLASSW, nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* pTimeNew) {
    return static_cast<BOOL>(SendMessage(DTM_SETSYSTEMTIME, pTimeNew ? GDT_VALID : GDT_NONE, reinterpret_cast<LPARAM>(pTimeNew)));
}

DWORD CDateTimeCtrl::GetTime(CTime& timeDest) const {
    SYSTEMTIME st{};
    auto result = GetTime(&st);
    if (result == static_cast<DWORD>(GDT_VALID)) timeDest = CTime(st);
    return result;
}

BOOL CDateTimeCtrl::SetTime(const CTime& timeNew) {
    SYSTEMTIME st{};
    if (!timeNew.GetAsSystemTime(st)) return FALSE;
    return SetTime(&st);
}
