// The Currencies page: the three currency columns, the amount lines, the conversion through the
// stored rates, the totals, the cross rates and the remembered currencies.

#include "currency/CurrencyPanel.h"

#include "core/CommonHelpers.h"
#include "core/CoreMessages.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "shell/MainTabCtrl.h"

namespace {

constexpr LPCWSTR kCurrencyKey = L"Jorvana\\currencies";
constexpr LPCWSTR kSelectedValues[3] = {L"curp", L"curp2", L"curp3"};
constexpr UINT kFieldIds[3] = {IDC_CUR_AMOUNT1, IDC_CUR_AMOUNT2, IDC_CUR_AMOUNT3};

// A field's whole text: an amount read from its first characters only would convert and add up
// as another, smaller number.
CString FieldText(CEdit* field) {
    CString text;
    if (field && field->m_hWnd) field->GetWindowText(text);
    return text;
}

} // namespace

CEdit* CCurrencyPanel::GetAmountField(int column, int line) const {
    if (column < 0 || column > 2 || line < 0 || line >= m_nLines) return nullptr;
    return m_fields[column][line];
}

CMainTabCtrl* CCurrencyPanel::Container() const { return dynamic_cast<CMainTabCtrl*>(GetParent()); }

void CCurrencyPanel::CheckToolsStrip() {
    if (CMainTabCtrl* container = Container())
        if (container->IsToolsListShown()) container->FocusTab(3);
}

void CCurrencyPanel::CreateLine(int line) {
    for (int column = 0; column < 3; ++column) {
        auto* field = new CEdit;
        const CurrencyPlace place = FieldPlace(column, line < 3 ? line : 2);
        RECT rect{place.x, place.y, place.x + place.cx, place.y + place.cy};
        field->Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, rect, this, kFieldIds[column]);
        m_fields[column][line] = field;
    }
    m_nLines = line + 1;
}

void CCurrencyPanel::ReadSelectedIndexes() {
    for (int column = 0; column < 3; ++column) {
        DWORD value = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kCurrencyKey, kSelectedValues[column]);
        if (m_registry.RegistryStatus != CRegistryKey::kFound) value = kDefaultCurrencyIndex[column];
        m_selected[column] = value;
    }
    for (int column = 0; column < 3; ++column)
        m_registry.WriteDword(HKEY_LOCAL_MACHINE, kCurrencyKey, kSelectedValues[column], m_selected[column]);
}

void CCurrencyPanel::FillCurrencyCombos() {
    CComboBox* combos[3] = {&m_pair1, &m_pair2, &m_pair3};
    {
        CWaitCursor wait;
        for (CComboBox* combo : combos) combo->ResetContent();
        m_store.SeekFirst();
        while (!m_store.IsEOF()) {
            const DWORD index = m_store.GetCurrentIndex();
            const CString text = m_store.GetName(index) + L" - " + m_store.GetCode(index);
            if (text == L" - ") continue;
            for (CComboBox* combo : combos) combo->AddString(text);
        }
    }
    for (int column = 0; column < 3; ++column) {
        // A remembered index past the end of the list (a shorter currency list than the one it
        // was saved with) would leave the column with no currency and no rate: the first
        // currency is taken instead and remembered.
        if (combos[column]->SetCurSel(static_cast<int>(m_selected[column])) == CB_ERR &&
            combos[column]->GetCount() > 0) {
            m_selected[column] = 0;
            combos[column]->SetCurSel(0);
            m_registry.WriteDword(HKEY_LOCAL_MACHINE, kCurrencyKey, kSelectedValues[column], 0);
        }
    }
    // The lists drop as wide as column 1's widest text plus a scroll bar and two edges.
    int widest = 0;
    {
        CClientDC dc(&m_pair1);
        CFont* old = dc.SelectObject(m_pair1.GetFont());
        for (int i = 0; i < m_pair1.GetCount(); ++i) {
            CString item;
            m_pair1.GetLBText(i, item);
            widest = std::max(widest, static_cast<int>(dc.GetTextExtent(item).cx));
        }
        if (old) dc.SelectObject(old);
    }
    const int width = widest + ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXEDGE);
    for (CComboBox* combo : combos) combo->SetDroppedWidth(static_cast<UINT>(width));
}

double CCurrencyPanel::ReadColumnRate(int column) {
    // A rate the store should never hold (written before rates were checked) converts nothing.
    m_rate[column] = ReadRate(m_store.GetRate(m_selected[column]));
    return m_rate[column];
}

void CCurrencyPanel::FillRateBase() {
    m_rateBase.ResetContent();
    for (int column = 0; column < 3; ++column) {
        m_rateBase.AddString(m_store.GetCode(m_selected[column]));
        ReadColumnRate(column);
    }
    m_rateBase.SetCurSel(0);
    ShowCrossRates(0);
}

void CCurrencyPanel::ShowCrossRates(int base) {
    if (base < 0 || base > 2) return;
    const int first = base == 0 ? 1 : 0;
    const int second = base == 2 ? 1 : 2;
    auto crossRate = [&](int other) {
        // A zero or unreadable rate has no cross rate to show.
        double value = 0;
        CString text;
        if (ConvertAmount(1.0, m_rate[base], m_rate[other], value)) text.Format(L"%f", value);
        return text;
    };
    CString code;
    if (m_rateBase.GetCount() > second) {
        m_rateBase.GetLBText(first, code);
        m_code1.SetWindowText(code);
        m_rateBase.GetLBText(second, code);
        m_code2.SetWindowText(code);
    }
    m_rate1.SetWindowText(crossRate(first));
    m_rate2.SetWindowText(crossRate(second));
}

void CCurrencyPanel::OnSelChangeRateBase() {
    CheckToolsStrip();
    ShowCrossRates(m_rateBase.GetCurSel());
}

void CCurrencyPanel::ConvertLine(int column, int line) {
    const CString text = FieldText(m_fields[column][line]);
    for (int other = 0; other < 3; ++other) {
        if (other == column) continue;
        CEdit* field = m_fields[other][line];
        if (text.IsEmpty())
            field->SetWindowText(L"");
        else
            field->SetWindowText(FormatConverted(ReadAmount(text), m_rate[column], m_rate[other]));
    }
}

void CCurrencyPanel::RecomputeTotals() {
    CStatic* totals[3] = {&m_total1, &m_total2, &m_total3};
    // The usual font first, then the smaller ones: a total shows whole in the largest that
    // holds it before it loses digits.
    std::vector<CFont*> fonts{&m_totalsFont};
    for (CFont& smaller : m_smallTotalsFonts)
        if (smaller.GetSafeHandle()) fonts.push_back(&smaller);
    for (int column = 0; column < 3; ++column) {
        std::vector<CString> texts;
        for (int line = 0; line < m_nLines; ++line) texts.push_back(FieldText(m_fields[column][line]));
        // Measured in the fonts it may be drawn with, in its cell's width less the pixel at each
        // side where a column separator stands over it and a clear gap beside that line, so that
        // no glyph touches the line and reads as another digit.
        CStatic& cell = *totals[column];
        CClientDC dc(&cell);
        CFont* old = dc.SelectObject(fonts.front());
        CRect room;
        cell.GetClientRect(&room);
        room.DeflateRect(kTotalMargin, 0);
        auto fontFor = [&](const CString& text) -> CFont* {
            for (CFont* font : fonts) {
                dc.SelectObject(font);
                if (dc.GetTextExtent(text).cx <= room.Width()) return font;
            }
            return nullptr;
        };
        const CString text =
            FormatTotalToFit(texts, [&](const CString& form) { return fontFor(form) != nullptr; });
        CFont* font = fontFor(text);
        if (!font) font = fonts.back(); // "Too large" in a cell too narrow even for that
        if (old) dc.SelectObject(old);
        if (reinterpret_cast<HFONT>(cell.SendMessage(WM_GETFONT)) != font->GetSafeHandle()) {
            // A smaller text stands in the middle of its cell's height, where the usual one's
            // middle is, rather than at its top.
            const bool smaller = font != &m_totalsFont;
            cell.ModifyStyle(smaller ? 0 : SS_CENTERIMAGE, smaller ? SS_CENTERIMAGE : 0);
            cell.SetFont(font, TRUE);
        }
        cell.SetWindowText(text);
    }
}

void CCurrencyPanel::ConvertFrom(int column) {
    const HWND focused = ::GetFocus();
    for (int line = 0; line < m_nLines; ++line)
        if (m_fields[column][line] && m_fields[column][line]->m_hWnd == focused) ConvertLine(column, line);
    RecomputeTotals();
}

void CCurrencyPanel::OnChangeAmount1() { ConvertFrom(0); }
void CCurrencyPanel::OnChangeAmount2() { ConvertFrom(1); }
void CCurrencyPanel::OnChangeAmount3() { ConvertFrom(2); }

void CCurrencyPanel::FilterColumn(int column) {
    for (int line = 0; line < m_nLines; ++line)
        if (CEdit* field = m_fields[column][line]) FilterNumericEntry(*field);
}

void CCurrencyPanel::OnUpdateAmount1() { FilterColumn(0); }
void CCurrencyPanel::OnUpdateAmount2() { FilterColumn(1); }
void CCurrencyPanel::OnUpdateAmount3() { FilterColumn(2); }

void CCurrencyPanel::OnSetFocusAmount1() {
    if (!m_bConverting) ::SHSipPreference(m_hWnd, SIP_UP);
    CheckToolsStrip();
}
void CCurrencyPanel::OnSetFocusAmount2() { OnSetFocusAmount1(); }
void CCurrencyPanel::OnSetFocusAmount3() { OnSetFocusAmount1(); }

void CCurrencyPanel::OnLButtonDown(UINT, CPoint) { CheckToolsStrip(); }

void CCurrencyPanel::OnClearAll() {
    for (int column = 0; column < 3; ++column)
        for (int line = 0; line < m_nLines; ++line) m_fields[column][line]->SetWindowText(L"");
    RecomputeTotals(); // "0.00" in each cell, in its usual font again
}

void CCurrencyPanel::NewCurrency(int column) {
    CComboBox* combos[3] = {&m_pair1, &m_pair2, &m_pair3};
    const int selection = combos[column]->GetCurSel();
    const DWORD chosen = selection >= 0 ? static_cast<DWORD>(selection) : m_selected[column];
    // A currency that cannot be stored is not taken (the failed write says so): the column goes
    // back to its stored currency and every amount stays as it was converted. The same currency
    // chosen again (the reload after a rate update) still takes the new rates.
    if (!m_registry.WriteDword(HKEY_LOCAL_MACHINE, kCurrencyKey, kSelectedValues[column], chosen) &&
        chosen != m_selected[column]) {
        combos[column]->SetCurSel(static_cast<int>(m_selected[column]));
        combos[column]->SetFocus();
        return;
    }
    m_selected[column] = chosen;
    FillRateBase();
    // The amounts typed in this column stay; the two other columns follow the new rate.
    m_bConverting = true;
    for (int line = 0; line < m_nLines; ++line) {
        CEdit* field = m_fields[column][line];
        if (FieldText(field).IsEmpty()) continue;
        field->SetFocus();
        ConvertLine(column, line);
        RecomputeTotals();
    }
    m_bConverting = false;
    combos[column]->SetFocus();
}

void CCurrencyPanel::OnSelChangePair1() { NewCurrency(0); }
void CCurrencyPanel::OnSelChangePair2() { NewCurrency(1); }
void CCurrencyPanel::OnSelChangePair3() { NewCurrency(2); }

void CCurrencyPanel::OnAddLine() {
    CheckToolsStrip();
    const int n = m_nLastVisibleLine + 1;
    if (n >= kMaxCurrencyLines) {
        m_addLine.EnableWindow(FALSE);
        ShowCoreMessage(IDS_CUR_MAX_LINES);
        return;
    }
    if (n == m_nLines) CreateLine(n);
    m_nLastVisibleLine = n;
    for (int column = 0; column < 3; ++column) m_fields[column][n - 3]->ShowWindow(SW_HIDE);
    PlaceLineWindow();
    PlaceSeparators();
    m_fields[0][n]->SetFocus();
    m_backLine.EnableWindow(TRUE);
    RepaintLineCounter();
}
