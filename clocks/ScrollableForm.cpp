#include "clocks/ScrollableForm.h"

#include "platform/framework/DC.h"
#include "platform/framework/MessageMap.h"
#include "platform/framework/GdiObjects.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Sip.h"
#include "platform/ui/WinUser.h"

#include <algorithm>

std::optional<int> FormScrollChange(UINT code, UINT thumbPos, int pos, int range, bool allowBottom) {
    // A line is a fiftieth of the range and a page a tenth; a range too short for a fiftieth
    // would leave the arrows moving nothing, so there a line (and at least a page) is one text row.
    constexpr int kShortRangeLine = 10;
    const int line = range / 50 > 0 ? range / 50 : kShortRangeLine;
    const int page = std::max(range / 10, range / 50 > 0 ? 0 : kShortRangeLine);
    switch (code) {
    case SB_LINEUP: return pos < 1 ? 0 : -std::min(line, pos);
    case SB_LINEDOWN: return pos >= range ? 0 : std::min(line, range - pos);
    case SB_PAGEUP: return pos < 1 ? 0 : -std::min(page, pos);
    case SB_PAGEDOWN: return pos >= range ? 0 : std::min(page, range - pos);
    case SB_THUMBPOSITION: return static_cast<int>(thumbPos) - pos;
    case SB_TOP: return -pos;
    case SB_BOTTOM:
        if (allowBottom) return range - pos;
        return std::nullopt;
    default: return std::nullopt;
    }
}

BEGIN_MESSAGE_MAP(CScrollableFormDlg, CDialog)
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

CScrollableFormDlg::CScrollableFormDlg(UINT nIDTemplate, CWnd* pParent, bool allowBottom)
    : CDialog(nIDTemplate, pParent), m_bAllowBottom(allowBottom) {
    // The panel as it stands when the form is made: the size messages of its creation are no
    // change of the panel.
    m_dwSipFlags = ReadSipFlags();
}

bool CScrollableFormDlg::ScrollForm(UINT nSBCode, UINT nPos) {
    // A form shorter than its window has nothing to scroll.
    const int range = std::max(FormHeight() - m_nClientHeight, 0);
    std::optional<int> d = FormScrollChange(nSBCode, nPos, m_nScrollPos, range, m_bAllowBottom);
    if (!d) return false;
    m_nScrollPos += *d;
    SetScrollPos(SB_VERT, m_nScrollPos, TRUE);
    ScrollWindow(0, -*d);
    return true;
}

void CScrollableFormDlg::ResetFormScroll(int cy) {
    m_nClientHeight = cy;
    const int range = std::max(FormHeight() - cy, 0);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = range;
    si.nPage = static_cast<UINT>(range / 10);
    si.nPos = 0;
    SetScrollInfo(SB_VERT, &si, TRUE);
    // A form that fits its window shows no bar: an inert one would only cover the right edge.
    ::ShowScrollBar(m_hWnd, SB_VERT, range > 0);
    // The bar now stands at the top: the form follows, so that the bar and the controls agree.
    if (m_nScrollPos != 0) ScrollForm(SB_TOP, 0);
    KeepFocusInView();
}

void CScrollableFormDlg::KeepFocusInView() {
    HWND focus = ::GetFocus();
    if (!m_hWnd || !focus || !::IsChild(m_hWnd, focus) || m_nClientHeight <= 0) return;
    RECT r{};
    ::GetWindowRect(focus, &r);
    ScreenToClient(&r);
    // What shows of the client area: down to its foot, or to the screen's or the panel's top.
    int bottom = m_nClientHeight;
    SIPINFO info{};
    info.cbSize = sizeof(info);
    if (::SHSipInfo(SPI_GETSIPINFO, 0, &info, 0)) {
        POINT foot{0, info.rcVisibleDesktop.bottom};
        ScreenToClient(&foot);
        bottom = std::min(bottom, static_cast<int>(foot.y));
    }
    int delta = 0;
    if (r.bottom > bottom) delta = r.bottom - bottom;
    if (r.top - delta < 0) delta = r.top;
    const int range = std::max(FormHeight() - m_nClientHeight, 0);
    const int pos = std::clamp(m_nScrollPos + delta, 0, range);
    if (pos != m_nScrollPos) ScrollForm(SB_THUMBPOSITION, static_cast<UINT>(pos));
}

DWORD CScrollableFormDlg::ReadSipFlags() {
    SIPINFO info{};
    info.cbSize = sizeof(info);
    if (!::SHSipInfo(SPI_GETSIPINFO, 0, &info, 0)) return 0;
    return info.fdwFlags;
}

void CScrollableFormDlg::FitAbovePanel() {
    RECT area{};
    if (!::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0)) return;
    LONG bottom = area.bottom;
    SIPINFO info{};
    info.cbSize = sizeof(info);
    if (::SHSipInfo(SPI_GETSIPINFO, 0, &info, 0) && (info.fdwFlags & SIPF_ON))
        bottom = std::min(bottom, info.rcVisibleDesktop.bottom);
    RECT window{};
    GetWindowRect(&window);
    const int height = std::max(0, static_cast<int>(bottom - window.top));
    if (height != window.bottom - window.top)
        SetWindowPos(nullptr, 0, 0, window.right - window.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CScrollableFormDlg::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    if (ScrollForm(nSBCode, nPos)) CDialog::OnVScroll(nSBCode, nPos, pScrollBar);
}

HFONT CreateFormFont(int height, int weight) {
    return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
}
