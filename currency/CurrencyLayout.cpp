// The Currencies page: placement of every control for the screen's shape, on every size change
// and settings change, and the back button that moves the three-line window up by one line.

#include "currency/CurrencyPanel.h"

#include "core/CommonHelpers.h"

#include <algorithm>
#include <initializer_list>
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceTime.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "shell/MainTabCtrl.h"
#include "shell/SharedFont.h"

namespace {

// The one-pixel lines, placed above the other controls.
constexpr int kRuleIds[] = {IDC_CUR_RULE_TOP,           IDC_CUR_RULE_TOTALS_TOP, IDC_CUR_RULE_TOTALS_BOTTOM,
                            IDC_CUR_SEPARATOR1,         IDC_CUR_SEPARATOR2,      IDC_CUR_RULE_BAND_TOP,
                            IDC_CUR_RULE_BAND_BOTTOM};
// The column controls, shown as they are placed.
constexpr int kColumnIds[] = {IDC_CUR_PAIR1, IDC_CUR_PAIR2, IDC_CUR_PAIR3, IDC_CUR_TOTAL1, IDC_CUR_TOTAL2,
                              IDC_CUR_TOTAL3};

bool IsIn(int id, const int* ids, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (ids[i] == id) return true;
    return false;
}

} // namespace

void CCurrencyPanel::ReadWorkArea() {
    const WorkAreaMetrics area = ReadWorkAreaMetrics();
    m_nWidth = area.width;
    m_nHeight = area.height;
    m_nMenuHeight = area.menuHeight;
    m_nAvailable = area.usableHeight;
}

void CCurrencyPanel::LayOut(bool settingChange) {
    if (!m_rateBase.m_hWnd || m_bLayingOut) return;
    m_bLayingOut = true;
    CWaitCursor wait;
    ReadWorkArea();
    m_shape = ChooseCurrencyShape(IsSquareScreenNot320(), m_nWidth, m_nHeight, m_nAvailable);
    FollowShapeInUpdateLabel();
    // Every control is placed again below, from the top: the scroll offset starts again at 0.
    m_nScroll = 0;
    FitAbovePanel();

    // The scroll bar first (it narrows the client area the controls are laid out in), from the
    // lowest control's bottom.
    CRect client;
    GetClientRect(&client);
    m_nContentHeight = 0;
    for (const auto& [id, place] : ComputeCurrencyLayout(m_shape, m_nWidth, CurrencyRateComboWidth(m_shape), false))
        m_nContentHeight = std::max(m_nContentHeight, place.y + place.cy);
    // Only the raised panel takes the room; with it down the shape's layout fits its page.
    SIPINFO sip{};
    sip.cbSize = sizeof(sip);
    const bool panelUp = ::SipGetInfo(&sip) && (sip.fdwFlags & SIPF_ON);
    const bool scrolls = panelUp && m_nContentHeight > client.Height();
    ::ShowScrollBar(m_hWnd, SB_VERT, scrolls);
    GetClientRect(&client);
    m_nPlaceWidth = scrolls && client.Width() > 0 ? std::min(m_nWidth, static_cast<int>(client.Width())) : m_nWidth;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = scrolls ? m_nContentHeight - 1 : 0;
    info.nPage = scrolls ? static_cast<UINT>(client.Height()) : 0;
    SetScrollInfo(SB_VERT, &info, TRUE);

    // The cross-rate list first: the band after it follows its width.
    auto places = ComputeCurrencyLayout(m_shape, m_nPlaceWidth, CurrencyRateComboWidth(m_shape), settingChange);
    const CurrencyPlace& base = places[IDC_CUR_RATE_BASE];
    m_rateBase.SetWindowPos(nullptr, base.x, base.y, base.cx, base.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    CRect baseRect;
    m_rateBase.GetWindowRect(&baseRect);
    const int cw = baseRect.Width();
    places = ComputeCurrencyLayout(m_shape, m_nPlaceWidth, cw, settingChange);
    KeepCodesInside(places);
    KeepLabelBetweenButtons(places);
    if (!scrolls) KeepAboveBottom(places, client.Height());

    for (const auto& [id, place] : places) {
        if (id == IDC_CUR_RATE_BASE || id == IDC_CUR_LAST_UPDATE) continue;
        CWnd* control = GetDlgItem(id);
        if (!control) continue;
        const bool rule = IsIn(id, kRuleIds, std::size(kRuleIds));
        const bool column = IsIn(id, kColumnIds, std::size(kColumnIds));
        UINT flags = SWP_NOACTIVATE;
        if (place.moveOnly) flags |= SWP_NOSIZE;
        if (!rule) flags |= SWP_NOZORDER;
        if (rule || column) flags |= SWP_SHOWWINDOW;
        control->SetWindowPos(rule ? &wndTop : nullptr, place.x, place.y, place.cx, place.cy, flags);
    }
    // The bottom band is a coloured area under its buttons and label.
    m_band.SetWindowPos(&wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The values and codes lie over their frame pictures.
    for (CWnd* over : {static_cast<CWnd*>(&m_rate1), static_cast<CWnd*>(&m_rate2), static_cast<CWnd*>(&m_code1),
                       static_cast<CWnd*>(&m_code2)})
        over->SetWindowPos(&wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const CurrencyPlace& label = places[IDC_CUR_LAST_UPDATE];
    m_lastUpdate.SetWindowPos(&wndTop, label.x, label.y, label.cx, label.cy, SWP_NOACTIVATE);
    // A list's height set above is its closed field; its drop-down part is kept at eight items.
    for (CComboBox* combo : std::initializer_list<CComboBox*>{&m_pair1, &m_pair2, &m_pair3, &m_rateBase})
        AdjustComboDropHeight(combo, 8);
    PlaceLineWindow();
    RecomputeTotals(); // the totals' cells may have another width now
    Invalidate(TRUE);
    m_bLayingOut = false;
}

void CCurrencyPanel::KeepCodesInside(std::map<int, CurrencyPlace>& places) {
    // The shapes' fixed places can put a control past the page's right edge (beside a scroll
    // bar, or 70 wide at x 216 of a 240-pixel page), and a code narrower than its text: each
    // ends at the edge, a code gets its text's width (moved left where the row has no room
    // for it), and its value ends before it.
    const int W = m_nPlaceWidth;
    // Nothing else reaches past the right edge either (the square shape's second rate frame).
    for (auto& [id, place] : places)
        if (!place.moveOnly && place.x < W && place.x + place.cx > W) place.cx = W - place.x;
    const std::pair<int, int> pairs[] = {{IDC_CUR_CODE1, IDC_CUR_RATE1}, {IDC_CUR_CODE2, IDC_CUR_RATE2}};
    for (const auto& [codeId, valueId] : pairs) {
        CurrencyPlace& code = places[codeId];
        CWnd* control = GetDlgItem(codeId);
        CString text;
        if (control) control->GetWindowText(text);
        int need = 0;
        if (control && !text.IsEmpty()) {
            CClientDC dc(control);
            CFont* old = dc.SelectObject(control->GetFont());
            need = dc.GetTextExtent(text).cx;
            if (old) dc.SelectObject(old);
        }
        if (code.cx + 1 >= need) continue; // its text fits (its last pixel column may touch the edge)
        // Wider to the right while the row has room, else moved left.
        int limit = W;
        for (const auto& [id, place] : places)
            if (id != codeId && !place.moveOnly && place.x > code.x && place.x < limit && place.y < code.y + code.cy &&
                place.y + place.cy > code.y && id != IDC_CUR_FRAME1 && id != IDC_CUR_FRAME2)
                limit = place.x;
        code.cx = need;
        if (code.x + need > limit) code.x = std::max(0, limit - need);
        CurrencyPlace& value = places[valueId];
        if (value.moveOnly || value.x >= code.x || value.x + value.cx <= code.x) continue;
        value.cx = code.x - value.x;
        // A value left narrower than its text takes what room its row has on its left.
        CWnd* valueControl = GetDlgItem(valueId);
        CString shown;
        if (valueControl) valueControl->GetWindowText(shown);
        if (shown.IsEmpty()) continue;
        int valueNeed = 0;
        {
            CClientDC dc(valueControl);
            CFont* old = dc.SelectObject(valueControl->GetFont());
            valueNeed = dc.GetTextExtent(shown).cx;
            if (old) dc.SelectObject(old);
        }
        int left = 0;
        for (const auto& [id, place] : places)
            if (id != valueId && !place.moveOnly && place.x + place.cx <= value.x && place.x + place.cx > left &&
                place.y < value.y + value.cy && place.y + place.cy > value.y && id != IDC_CUR_FRAME1 && id != IDC_CUR_FRAME2)
                left = place.x + place.cx;
        const int gain = std::min(valueNeed - value.cx, value.x - (left + 1));
        if (gain > 0) {
            value.x -= gain;
            value.cx += gain;
        }
    }
}

void CCurrencyPanel::KeepAboveBottom(std::map<int, CurrencyPlace>& places, int bottom) {
    // With the panel down a shape's lowest row can reach a few pixels past the page (under the
    // menu bar): the controls that would end there end at the page's bottom edge instead.
    for (auto& [id, place] : places)
        if (!place.moveOnly && place.y < bottom && place.y + place.cy > bottom) place.cy = bottom - place.y;
}

void CCurrencyPanel::KeepLabelBetweenButtons(std::map<int, CurrencyPlace>& places) {
    // Beside a scroll bar the band is narrower than its shape's places were made for: the label
    // (drawn above the buttons) would cover their edges. The buttons move out to the band's
    // edges, and the label keeps to the room left between them.
    if (m_nPlaceWidth >= m_nWidth) return; // the shape's own places
    CurrencyPlace& label = places[IDC_CUR_LAST_UPDATE];
    auto room = [&](int& left, int& right) {
        left = label.x;
        right = label.x + label.cx;
        for (int id : {IDC_CUR_UPDATE_ALL, IDC_CUR_CLEAR_ALL}) {
            const CurrencyPlace& button = places[id];
            if (button.x + button.cx / 2 < label.x + label.cx / 2)
                left = std::max(left, button.x + button.cx);
            else
                right = std::min(right, button.x);
        }
    };
    int left = 0, right = 0;
    room(left, right);
    if (left == label.x && right == label.x + label.cx) return;
    for (int id : {IDC_CUR_UPDATE_ALL, IDC_CUR_CLEAR_ALL}) {
        CurrencyPlace& button = places[id];
        if (button.x + button.cx / 2 < label.x + label.cx / 2)
            button.x = std::max(1, button.x - 4);
        else
            button.x = std::min(m_nPlaceWidth - button.cx - 1, button.x + 4);
    }
    room(left, right);
    label.x = left;
    label.cx = std::max(0, right - left);
}

void CCurrencyPanel::FitAbovePanel() {
    SIPINFO sip{};
    sip.cbSize = sizeof(sip);
    if (!::SipGetInfo(&sip) || !(sip.fdwFlags & SIPF_ON)) return;
    CRect window;
    GetWindowRect(&window);
    const int room = static_cast<int>(sip.rcVisibleDesktop.bottom) - window.top;
    if (room > 0 && window.Height() > room)
        SetWindowPos(nullptr, 0, 0, window.Width(), room, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CCurrencyPanel::ScrollRange() const {
    if (!(GetStyle() & WS_VSCROLL)) return 0;
    CRect client;
    GetClientRect(&client);
    return std::max(0, m_nContentHeight - static_cast<int>(client.Height()));
}

void CCurrencyPanel::ScrollTo(int offset) {
    offset = std::clamp(offset, 0, ScrollRange());
    if (offset == m_nScroll) return;
    const int delta = m_nScroll - offset;
    m_nScroll = offset;
    SetScrollPos(SB_VERT, m_nScroll, TRUE);
    ::ScrollWindowEx(m_hWnd, 0, delta, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

void CCurrencyPanel::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    CRect client;
    GetClientRect(&client);
    const int line = 21; // one amount row
    const int page = std::max(line, static_cast<int>(client.Height()) - line);
    switch (nSBCode) {
    case SB_LINEUP: ScrollTo(m_nScroll - line); break;
    case SB_LINEDOWN: ScrollTo(m_nScroll + line); break;
    case SB_PAGEUP: ScrollTo(m_nScroll - page); break;
    case SB_PAGEDOWN: ScrollTo(m_nScroll + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: ScrollTo(static_cast<int>(nPos)); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(ScrollRange()); break;
    default: break;
    }
}

CurrencyPlace CCurrencyPanel::FieldPlace(int column, int row) const {
    CurrencyPlace place = CurrencyFieldPlace(m_nPlaceWidth > 0 ? m_nPlaceWidth : m_nWidth, column, row);
    place.y -= m_nScroll;
    return place;
}

void CCurrencyPanel::PlaceField(int column, int line, int row, bool show) {
    CEdit* field = m_fields[column][line];
    if (!field || !field->m_hWnd) return;
    const CurrencyPlace place = FieldPlace(column, row);
    field->SetWindowPos(nullptr, place.x, place.y, place.cx, place.cy,
                        SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : 0));
}

void CCurrencyPanel::PlaceLineWindow() {
    for (int line = 0; line < m_nLines; ++line) {
        const int row = line - (m_nLastVisibleLine - 2);
        if (row >= 0 && row <= 2) {
            for (int column = 0; column < 3; ++column) PlaceField(column, line, row, true);
        } else {
            for (int column = 0; column < 3; ++column)
                if (m_fields[column][line]) m_fields[column][line]->ShowWindow(SW_HIDE);
        }
    }
}

void CCurrencyPanel::PlaceSeparators() {
    // Above everything, shown; the height by the work area's orientation alone.
    const int height = m_nWidth < m_nHeight ? 142 : 122;
    const int W = m_nPlaceWidth > 0 ? m_nPlaceWidth : m_nWidth;
    m_separator1.SetWindowPos(&wndTop, W / 3, -m_nScroll, 1, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    m_separator2.SetWindowPos(&wndTop, (2 * W) / 3, -m_nScroll, 1, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void CCurrencyPanel::RepaintLineCounter() {
    RECT strip{0, 85 - m_nScroll, m_nWidth, 100 - m_nScroll};
    InvalidateRect(&strip, TRUE);
}

void CCurrencyPanel::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    LayOut(false);
}

void CCurrencyPanel::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    if (!m_rateBase.m_hWnd) return;
    {
        CWaitCursor wait;
        // The label word by the work area as it is now (a rotation's new shape), not by the
        // previous pass's.
        const CString tail = UpdateTail();
        ReadWorkArea();
        SetUpdateLabel(tail);
        if (IsSquareScreenNot320()) {
            MakeSettingFonts();
        } else {
            m_rate1.SetFont(&m_ratesFont, TRUE);
            m_rate2.SetFont(&m_ratesFont, TRUE);
        }
        LayOut(true);
    }
    if (CWnd* parent = GetParent())
        if (auto* container = dynamic_cast<CMainTabCtrl*>(parent)) container->PlaceCurrentPage();
    Invalidate(TRUE);
    OnTipsOk();
}

void CCurrencyPanel::MakeSettingFonts() {
    // Made again at each settings change; the previous pair is released first.
    m_settingRatesFont.DeleteObject();
    m_settingRatesFont.CreateFont(12, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 6, SharedFontFace);
    m_rate1.SetFont(&m_settingRatesFont, TRUE);
    m_rate2.SetFont(&m_settingRatesFont, TRUE);
    m_settingBaseFont.DeleteObject();
    m_settingBaseFont.CreateFont(SharedFontSizeBase + 13, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 6, SharedFontFace);
    m_rateBase.SetFont(&m_settingBaseFont, TRUE);
}

void CCurrencyPanel::OnBackLine() {
    CheckToolsStrip();
    if (m_nLastVisibleLine >= 3) {
        const int last = m_nLastVisibleLine;
        for (int column = 0; column < 3; ++column) m_fields[column][last]->ShowWindow(SW_HIDE);
        for (int column = 0; column < 3; ++column) {
            PlaceField(column, last - 1, 2, false);
            PlaceField(column, last - 2, 1, false);
            PlaceField(column, last - 3, 0, true);
        }
        PlaceSeparators();
        m_nLastVisibleLine = last - 1;
        if (m_nLastVisibleLine < 3) m_backLine.EnableWindow(FALSE);
        m_addLine.EnableWindow(TRUE);
    } else {
        m_backLine.EnableWindow(FALSE);
    }
    RepaintLineCounter();
}
