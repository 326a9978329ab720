#include "controls/IconButton.h"

#include <algorithm>
#include <cstdlib>

#include "platform/framework/WinApp.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/ResourceImages.h"

namespace {

// The style bits that carry a button's type.
constexpr DWORD kTypeBits = 0x1F;
constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT kHoverInterval = 50;

// An icon resource of the program at the size asked for: the resource module first, then the
// program itself.
HICON LoadButtonIcon(UINT id, int cx, int cy) {
    if (id == 0) return nullptr;
    HINSTANCE modules[] = {AfxGetResourceHandle(), AfxGetInstanceHandle()};
    for (HINSTANCE module : modules) {
        HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, 0);
        if (icon) return static_cast<HICON>(icon);
    }
    return nullptr;
}

} // namespace

BEGIN_MESSAGE_MAP(CIconButton, CButton)
    ON_WM_MOUSEMOVE()
    ON_CONTROL_REFLECT_EX(BN_CLICKED, &CIconButton::OnClicked)
    ON_WM_ENABLE()
    ON_WM_GETDLGCODE()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_DESTROY()
    ON_WM_KILLFOCUS()
    ON_WM_ACTIVATE()
    ON_WM_CANCELMODE()
    ON_WM_LBUTTONDOWN()
    ON_MESSAGE(BM_SETSTYLE, &CIconButton::OnSetStyle)
    ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

CIconButton::CIconButton() {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF text = GetSysColor(COLOR_BTNTEXT);
    for (int slot = 0; slot < BTNST_MAX_COLORS; ++slot) m_crColors[slot] = (slot % 2 == 0) ? face : text;
}

CIconButton::~CIconButton() { FreeIcons(); }

void CIconButton::FreeIcons() {
    for (IconRecord& record : m_icons) {
        if (record.hIcon) DestroyIcon(record.hIcon);
        record = IconRecord{};
    }
}

void CIconButton::Repaint() {
    if (m_hWnd) Invalidate();
}

DWORD CIconButton::SetIcon(UINT idIn, int cxIn, int cyIn, UINT idOut, int cxOut, int cyOut, UINT idDisabled,
                           int cxDisabled, int cyDisabled) {
    HICON in = LoadButtonIcon(idIn, cxIn, cyIn);
    HICON out = LoadButtonIcon(idOut, cxOut, cyOut);
    HICON disabled = LoadButtonIcon(idDisabled, cxDisabled, cyDisabled);
    FreeIcons();
    if (in) {
        m_icons[ICON_IN] = IconRecord{in, cxIn, cyIn};
        if (out) m_icons[ICON_OUT] = IconRecord{out, cxOut, cyOut};
        if (disabled) m_icons[ICON_DISABLED] = IconRecord{disabled, cxDisabled, cyDisabled};
    } else {
        // Without the highlighted icon the others are not kept: give them back.
        if (out) DestroyIcon(out);
        if (disabled) DestroyIcon(disabled);
    }
    Repaint();
    return 0;
}

DWORD CIconButton::SetIcon(UINT idIn, CSize sizeIn, UINT idOut, CSize sizeOut, UINT idDisabled, CSize sizeDisabled) {
    return SetIcon(idIn, sizeIn.cx, sizeIn.cy, idOut, sizeOut.cx, sizeOut.cy, idDisabled, sizeDisabled.cx,
                   sizeDisabled.cy);
}

DWORD CIconButton::SetFlat(BOOL bFlat, BOOL bRepaint) {
    m_bFlat = bFlat;
    if (bRepaint) Repaint();
    return 0;
}

DWORD CIconButton::SetColor(BYTE nSlot, COLORREF crColor, BOOL bRepaint) {
    if (nSlot >= BTNST_MAX_COLORS) return 3;
    m_crColors[nSlot] = crColor;
    if (bRepaint) Repaint();
    return 0;
}

void CIconButton::PreSubclassWindow() {
    CButton::PreSubclassWindow();
    const DWORD style = GetStyle();
    if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) m_bDefault = TRUE;
    ModifyStyle(kTypeBits, BS_OWNERDRAW, SWP_FRAMECHANGED);
}

LRESULT CIconButton::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A double tap counts as one more tap.
    if (message == WM_LBUTTONDBLCLK) message = WM_LBUTTONDOWN;
    return CButton::DefWindowProc(message, wParam, lParam);
}

LRESULT CIconButton::OnSetStyle(WPARAM wParam, LPARAM lParam) {
    const UINT type = static_cast<UINT>(wParam) & BS_TYPEMASK;
    if (type == BS_DEFPUSHBUTTON)
        m_bDefault = TRUE;
    else if (type == BS_PUSHBUTTON)
        m_bDefault = FALSE;
    return DefWindowProc(BM_SETSTYLE, (wParam & ~static_cast<WPARAM>(kTypeBits)) | BS_OWNERDRAW, lParam);
}

UINT CIconButton::OnGetDlgCode() {
    UINT code = CButton::OnGetDlgCode() & ~static_cast<UINT>(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
    return code | (m_bDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

HBRUSH CIconButton::CtlColor(CDC*, UINT) { return static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH)); }

BOOL CIconButton::OnClicked() { return FALSE; } // the parent gets BN_CLICKED as for any button

void CIconButton::OnLButtonDown(UINT nFlags, CPoint point) {
    SendMessage(BM_SETSTATE, TRUE);
    CButton::OnLButtonDown(nFlags, point);
}

// [Hover] -------------------------------------------------------------------------------------

void CIconButton::OnMouseMove(UINT nFlags, CPoint point) {
    CButton::OnMouseMove(nFlags, point);
    if (!m_bFlat || (nFlags & MK_LBUTTON) || m_bHover) return;
    CPoint screen = point;
    ClientToScreen(&screen);
    if (::WindowFromPoint(screen) != m_hWnd) return;
    m_bHover = TRUE;
    Repaint();
    if (m_nTimerId == 0) m_nTimerId = SetTimer(kHoverTimer, kHoverInterval, &CIconButton::HoverTimerProc);
}

void CALLBACK CIconButton::HoverTimerProc(HWND hWnd, UINT, UINT_PTR, DWORD) {
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(hWnd, &pt);
    RECT client{};
    ::GetClientRect(hWnd, &client);
    if (!::PtInRect(&client, pt)) ::PostMessageW(hWnd, WM_MOUSELEAVE, 0, 0);
}

void CIconButton::CancelHover() {
    if (!m_bFlat) return;
    if (m_nTimerId != 0) {
        KillTimer(m_nTimerId);
        m_nTimerId = 0;
    }
    if (m_bHover) {
        m_bHover = FALSE;
        Repaint();
    }
}

void CIconButton::OnMouseLeave() { CancelHover(); }

void CIconButton::OnKillFocus(CWnd* pNewWnd) {
    CButton::OnKillFocus(pNewWnd);
    CancelHover();
}

void CIconButton::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
    CButton::OnActivate(nState, pWndOther, bMinimized);
    if (nState == WA_INACTIVE) CancelHover();
}

void CIconButton::OnCancelMode() {
    CButton::OnCancelMode();
    CancelHover();
}

void CIconButton::OnEnable(BOOL bEnable) {
    CButton::OnEnable(bEnable);
    if (bEnable) return;
    // A disabled button cannot keep the focus: hand it to the next tab item of the dialog. Only
    // when the button had it (the focus is here or was just dropped), so that disabling never
    // pulls the focus away from another control.
    HWND focus = ::GetFocus();
    if (CWnd* parent = GetParent(); parent && (focus == m_hWnd || focus == nullptr)) {
        CWnd* next = parent->GetNextDlgTabItem(this);
        (next && next->m_hWnd != m_hWnd ? next : parent)->SetFocus();
    }
    CancelHover();
}

void CIconButton::OnDestroy() {
    if (m_nTimerId != 0) {
        KillTimer(m_nTimerId);
        m_nTimerId = 0;
    }
    CButton::OnDestroy();
}

// [Painting] ----------------------------------------------------------------------------------

void CIconButton::DrawBackground(CDC* pDC, CRect* pRect) {
    COLORREF face = m_crColors[BTNST_COLOR_BK_OUT];
    if (m_bHover || m_bPressed)
        face = m_crColors[BTNST_COLOR_BK_IN];
    else if (m_bFocused)
        face = m_crColors[BTNST_COLOR_BK_FOCUS];
    CBrush brush(face);
    pDC->FillRect(pRect, &brush);
}

void CIconButton::DrawBorder(CDC* pDC, CRect* pRect) {
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    if (m_bPressed)
        pDC->Draw3dRect(pRect, shadow, light);
    else if (!m_bFlat || m_bHover)
        pDC->Draw3dRect(pRect, light, shadow);
}

void CIconButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
    CDC* pDC = CDC::FromHandle(lpDIS->hDC);
    m_bPressed = (lpDIS->itemState & ODS_SELECTED) != 0;
    m_bFocused = (lpDIS->itemState & ODS_FOCUS) != 0;
    m_bDisabled = (lpDIS->itemState & ODS_DISABLED) != 0;
    const CRect item(lpDIS->rcItem);
    CRect face = item;
    pDC->SetBkMode(TRANSPARENT);

    if (!m_bFlat && (m_bFocused || m_bDefault)) {
        CBrush black(RGB(0, 0, 0));
        pDC->FrameRect(&face, &black);
        face.DeflateRect(1, 1);
    }
    DrawBackground(pDC, &face);
    if (!m_bFlat || m_bBorder) DrawBorder(pDC, &face);

    wchar_t caption[256] = {};
    GetWindowText(caption, 256);
    const CString title(caption);
    CRect captionRect = item;

    if (m_icons[ICON_IN].hIcon) {
        const IconRecord* icon = &m_icons[ICON_IN];
        if (m_bDisabled) {
            if (m_icons[ICON_DISABLED].hIcon) icon = &m_icons[ICON_DISABLED];
        } else if (!m_bPressed && !m_bHover && m_icons[ICON_OUT].hIcon) {
            icon = &m_icons[ICON_OUT];
        }
        CRect image = item;
        if (!title.IsEmpty()) {
            image.left += 3;
            captionRect.left += icon->cx + 3; // as CaptionRoom gives it
        } else {
            image.left += (image.Width() - icon->cx) / 2;
        }
        image.top += (image.Height() - icon->cy) / 2;
        if (m_bPressed) image.OffsetRect(1, 1);
        pDC->DrawIcon(image.left, image.top, icon->hIcon);
    }

    if (!title.IsEmpty()) {
        if (m_bPressed) captionRect.OffsetRect(1, 1);
        CRect centered;
        CFont smaller;
        CFont* before = FitCaption(pDC, title, captionRect, smaller, centered);
        centered.OffsetRect((captionRect.Width() - centered.Width()) / 2,
                            (captionRect.Height() - centered.Height()) / 2);
        if (m_bDisabled) {
            CRect embossed = centered;
            embossed.OffsetRect(1, 1);
            pDC->SetTextColor(GetSysColor(COLOR_BTNHIGHLIGHT));
            pDC->DrawText(title, &embossed, DT_WORDBREAK | DT_CENTER);
            pDC->SetTextColor(GetSysColor(COLOR_BTNSHADOW));
            pDC->DrawText(title, &centered, DT_WORDBREAK | DT_CENTER);
        } else {
            const bool in = m_bHover || m_bPressed;
            pDC->SetTextColor(m_crColors[in ? BTNST_COLOR_FG_IN : BTNST_COLOR_FG_OUT]);
            pDC->SetBkColor(m_crColors[in ? BTNST_COLOR_BK_IN : BTNST_COLOR_BK_OUT]);
            pDC->DrawText(title, &centered, DT_WORDBREAK | DT_CENTER);
        }
        if (before) pDC->SelectObject(before);
    }

    // Every focused button shows it, a flat one too (its focus colour may be its face colour):
    // the keys must show where they go.
    if (m_bFocused) {
        CRect focus = item;
        focus.DeflateRect(3, 3);
        pDC->DrawFocusRect(&focus);
    }
}

CFont* CIconButton::FitCaption(CDC* pDC, const CString& title, const CRect& room, CFont& smaller,
                               CRect& measured) {
    measured = room;
    pDC->DrawText(title, &measured, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
    // A caption whose wrapped lines are taller than the button, or with a word wider than it, is
    // drawn in a smaller size of its font, down to 8 pixels, so that it shows whole instead of
    // cut at its edges.
    CFont* before = nullptr;
    LOGFONTW lf{};
    auto fits = [&] { return measured.Height() <= room.Height() && measured.Width() <= room.Width(); };
    if (!fits() && pDC->GetCurrentFont() && pDC->GetCurrentFont()->GetLogFont(&lf)) {
        const int sign = lf.lfHeight < 0 ? -1 : 1;
        for (int height = std::abs(lf.lfHeight) - 1; height >= 8; --height) {
            lf.lfHeight = sign * height;
            if (before) pDC->SelectObject(before); // never delete the font the DC holds
            smaller.DeleteObject();
            if (!smaller.CreateFontIndirect(&lf)) break;
            CFont* old = pDC->SelectObject(&smaller);
            if (!before) before = old;
            measured = room;
            pDC->DrawText(title, &measured, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
            if (fits()) break;
        }
    }
    return before;
}

CRect CIconButton::CaptionRoom() const {
    CRect room;
    GetClientRect(&room);
    // The icon drawn beside a caption: the widest of those the button may show.
    int icon = 0;
    if (m_icons[ICON_IN].hIcon)
        for (const IconRecord& record : m_icons)
            if (record.hIcon) icon = std::max(icon, record.cx);
    if (icon) room.left += icon + 3;
    return room;
}

CSize CIconButton::MeasureCaption() {
    CString title;
    GetWindowText(title);
    if (title.IsEmpty() || !GetSafeHwnd()) return CSize(0, 0);
    CClientDC dc(this);
    CFont* font = GetFont();
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    CFont smaller;
    CRect measured;
    CFont* before = FitCaption(&dc, title, CaptionRoom(), smaller, measured);
    if (before) dc.SelectObject(before);
    if (old) dc.SelectObject(old);
    return measured.Size();
}
