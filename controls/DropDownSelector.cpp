#include "controls/DropDownSelector.h"

#include "core/SharedFont.h"
#include "platform/framework/DC.h"

// [CGroupListBox] --------------------------------------------------------------------------------

CGroupListBox::CGroupListBox() : m_crLine(RGB(192, 192, 192)) {
    m_penLine.CreatePen(PS_SOLID, 1, m_crLine);
    m_brushLine.CreateSolidBrush(m_crLine);
}

int CGroupListBox::AddGroup(LPCTSTR text) {
    int at = 0;
    const int count = GetCount();
    for (; at < count; ++at) {
        CString row;
        GetText(at, row);
        if (row.CompareNoCase(text) > 0) break;
    }
    const int index = InsertString(at, text);
    SetCurSel(index);
    return index;
}

void CGroupListBox::SetLineColor(COLORREF colour) {
    m_crLine = colour;
    m_penLine.DeleteObject();
    m_penLine.CreatePen(PS_SOLID, 1, colour);
    m_brushLine.DeleteObject();
    m_brushLine.CreateSolidBrush(colour);
    if (m_hWnd) Invalidate(TRUE);
}

void CGroupListBox::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    if (static_cast<int>(lpDIS->itemID) < 0) return;
    CDC* dc = CDC::FromHandle(lpDIS->hDC);
    CRect rect(lpDIS->rcItem);
    const bool selected = (lpDIS->itemState & ODS_SELECTED) != 0;
    dc->FillSolidRect(&rect, selected ? m_crLine : RGB(255, 255, 255));
    CString text;
    GetText(static_cast<int>(lpDIS->itemID), text);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(0, 0, 0));
    CRect textRect(rect.left + 4, rect.top, rect.right - 2, rect.bottom);
    dc->DrawText(text, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    CPen* old = dc->SelectObject(&m_penLine);
    dc->MoveTo(rect.left, rect.bottom - 1);
    dc->LineTo(rect.right, rect.bottom - 1);
    dc->SelectObject(old);
}

// [CPickerPopup] ---------------------------------------------------------------------------------

BOOL CPickerPopup::CreatePopup(UINT listId, CFont* font, COLORREF separator) {
    if (!CreateEx(0, nullptr, L"", WS_POPUP | WS_BORDER, 0, 0, 10, 10, m_owner.GetParent()->GetSafeHwnd(), nullptr))
        return FALSE;
    CRect inside(0, 0, 10, 10);
    if (!m_list.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, inside, this,
                       listId))
        return FALSE;
    if (font) m_list.SetFont(font);
    m_list.SetLineColor(separator);
    return TRUE;
}

void CPickerPopup::ShowUnder(const RECT& selector) {
    const int rows = std::max(1, std::min(8, m_list.GetCount()));
    const int rowHeight = std::max(1, m_list.GetItemHeight(0));
    const int width = selector.right - selector.left;
    const int height = rows * rowHeight + 2;
    SetWindowPos(&wndTopMost, selector.left, selector.bottom, width, height, SWP_SHOWWINDOW);
    m_list.MoveWindow(0, 0, width - 2, height - 2);
    m_list.SetFocus();
}

BOOL CPickerPopup::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) == m_list.m_hWnd) {
        const UINT code = HIWORD(wParam);
        if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
            ShowWindow(SW_HIDE);
            m_owner.OnRowChosen(m_list.GetCurSel());
            return TRUE;
        }
        if (code == LBN_KILLFOCUS) {
            ShowWindow(SW_HIDE);
            return TRUE;
        }
    }
    return CWnd::OnCommand(wParam, lParam);
}

// [CDropDownSelector] ----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDropDownSelector, CButton)
    ON_CONTROL_REFLECT(BN_CLICKED, &CDropDownSelector::OnClicked)
END_MESSAGE_MAP()

CDropDownSelector::CDropDownSelector() { m_penOutline.CreatePen(PS_SOLID, 1, RGB(0, 0, 0)); }

CDropDownSelector::~CDropDownSelector() {
    if (m_pPopup && m_pPopup->m_hWnd) m_pPopup->DestroyWindow();
}

BOOL CDropDownSelector::Create(LPCTSTR caption, const RECT& rect, CWnd* parent, UINT id, COLORREF face, COLORREF face2,
                               COLORREF, COLORREF, CFont* font, COLORREF separator) {
    m_crFace = face;
    m_crFace2 = face2 == CLR_INVALID ? face : face2;
    if (!CButton::Create(caption, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect, parent, id)) return FALSE;
    m_pFont = font;
    if (!m_pFont) {
        const CString& face = SharedFontFace;
        LOGFONTW lf{};
        lf.lfHeight = 13;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = 4;
        wcsncpy(lf.lfFaceName, face.IsEmpty() ? L"Arial" : static_cast<LPCWSTR>(face), LF_FACESIZE - 1);
        m_fontOwn.CreateFontIndirect(&lf);
        m_pFont = &m_fontOwn;
    }
    SetFont(m_pFont);
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    m_nWorkWidth = area.right - area.left;
    m_nWorkHeight = area.bottom - area.top;
    m_pPopup = std::make_unique<CPickerPopup>(*this);
    return m_pPopup->CreatePopup(id + 1, m_pFont, separator);
}

void CDropDownSelector::SetOutlineColor(COLORREF colour) {
    m_penOutline.DeleteObject();
    m_penOutline.CreatePen(PS_SOLID, 1, colour);
    if (m_hWnd) Invalidate(TRUE);
}

void CDropDownSelector::OnRowChosen(int row) {
    if (row < 0) return;
    CString text;
    m_pPopup->m_list.GetText(row, text);
    SetWindowText(text);
    Invalidate(TRUE);
    if (CWnd* parent = GetParent()) parent->PostMessage(WM_PICKER_SELECTED, GetDlgCtrlID(), row);
}

void CDropDownSelector::OnClicked() {
    if (!m_pPopup || !m_pPopup->m_hWnd) return;
    if (m_pPopup->IsWindowVisible()) {
        m_pPopup->ShowWindow(SW_HIDE);
        return;
    }
    CRect rect;
    GetWindowRect(&rect);
    m_pPopup->ShowUnder(rect);
}

void CDropDownSelector::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    CDC* dc = CDC::FromHandle(lpDIS->hDC);
    CRect rect(lpDIS->rcItem);
    const bool pressed = (lpDIS->itemState & ODS_SELECTED) != 0;
    CBrush face(pressed ? m_crFace2 : m_crFace);
    CPen* oldPen = dc->SelectObject(&m_penOutline);
    CBrush* oldBrush = dc->SelectObject(&face);
    dc->Rectangle(&rect);
    // The drop-down arrow at the right end.
    const int cx = rect.right - 9, cy = rect.top + rect.Height() / 2 - 1;
    for (int i = 0; i < 4; ++i) {
        dc->MoveTo(cx - 3 + i, cy + i);
        dc->LineTo(cx + 4 - i, cy + i);
    }
    CString text;
    GetWindowText(text);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(0, 0, 0));
    CRect textRect(rect.left + 4, rect.top, rect.right - 16, rect.bottom);
    dc->DrawText(text, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    dc->SelectObject(oldBrush);
    dc->SelectObject(oldPen);
}
