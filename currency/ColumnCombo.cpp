// A converter column's currency combo: typed characters reach the list only while it is open,
// and the closed field keeps the currency's code in view.

#include "currency/ColumnCombo.h"

#include "platform/framework/DC.h"
#include "platform/framework/WindowDC.h"

BEGIN_MESSAGE_MAP(CColumnCombo, CChoiceCombo)
    ON_WM_CHAR()
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CColumnCombo::OnChar(UINT, UINT, UINT) {
    if (GetDroppedState()) Default();
}

std::wstring FitCurrencyText(const std::wstring& text, int room, const std::function<int(const std::wstring&)>& width) {
    if (width(text) <= room) return text;
    const size_t dash = text.rfind(L" - ");
    if (dash == std::wstring::npos) return text;
    const std::wstring code = text.substr(dash + 3);
    const std::wstring tail = L"\u2026" + text.substr(dash);
    // A name cut to fewer than three characters tells less than the code alone.
    for (size_t keep = dash; keep >= 3; --keep) {
        std::wstring name = text.substr(0, keep);
        while (!name.empty() && name.back() == L' ') name.pop_back();
        if (name.empty()) break;
        const std::wstring shortened = name + tail;
        if (width(shortened) <= room) return shortened;
    }
    return code;
}

void CColumnCombo::OnPaint() {
    Default(); // the frame, the arrow and the field as the list box draws them
    const int index = GetCurSel();
    if (index < 0) return;
    CString text;
    GetLBText(index, text);
    CClientDC dc(this);
    CFont* old = dc.SelectObject(GetFont());
    auto width = [&](const std::wstring& t) { return static_cast<int>(dc.GetTextExtent(CString(t.c_str())).cx); };
    CRect client;
    GetClientRect(&client);
    // The field as the control lays it out: inside the frame, left of the arrow button.
    CRect field(client.left + 2, client.top + 2, client.right - (::GetSystemMetrics(SM_CXVSCROLL) + 2) - 1,
                client.bottom - 2);
    const std::wstring whole = static_cast<LPCWSTR>(text);
    const std::wstring shown = FitCurrencyText(whole, field.Width() - 1, width);
    if (shown != whole) {
        // Drawn again over the control's own text, on the same background.
        const bool highlighted = ::GetFocus() == m_hWnd && !GetDroppedState();
        HBRUSH background = ::GetSysColorBrush(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        dc.SetTextColor(::GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        if (!highlighted)
            if (CWnd* parent = GetParent())
                if (auto brush = reinterpret_cast<HBRUSH>(parent->SendMessage(
                        WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), reinterpret_cast<LPARAM>(m_hWnd))))
                    background = brush;
        ::FillRect(dc.GetSafeHdc(), &field, background);
        dc.SetBkMode(TRANSPARENT);
        CRect textRect = field;
        textRect.left += 1;
        dc.DrawText(CString(shown.c_str()), &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (old) dc.SelectObject(old);
}
