#include <algorithm>

#include "shell/TodayOptionsDlg.h"

#include "core/CommonHelpers.h"
#include "core/StorageFaults.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/WindowDC.h"
#include "resources/resource.h"

namespace {

constexpr LPCWSTR kJorvanaKey = L"Jorvana";
constexpr LPCWSTR kClockLinesValue = L"todaynbcs";
constexpr LPCWSTR kShowCurrencyValue = L"todayscur";

HFONT MakeArialFont(int height, int weight) {
    return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
}

} // namespace

BEGIN_MESSAGE_MAP(CTodayOptionsDlg, CDialog)
    ON_WM_SIZE()
    ON_WM_SETTINGCHANGE()
    ON_WM_PAINT()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CTodayOptionsDlg::CTodayOptionsDlg(CWnd* pParent) : CDialog(IDD_TODAY_OPTIONS, pParent) {}

void CTodayOptionsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TODAY_SHOW_CURRENCY, m_checkCurrency);
    DDX_Control(pDX, IDC_TODAY_CLOCK_COUNT, m_comboClocks);
}

BOOL CTodayOptionsDlg::OnInitDialog() {
    // The fonts exist before the base initialisation sizes the dialog, so that the layout run by
    // that first WM_SIZE can measure its label.
    m_hTitleFont = MakeArialFont(18, FW_BOLD);
    m_hTextFont = MakeArialFont(14, FW_NORMAL);
    CDialog::OnInitDialog();

    DWORD clockLines = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kJorvanaKey, kClockLinesValue);
    if (m_registry.RegistryStatus != CRegistryKey::kFound) clockLines = kDefaultClockLines;
    if (clockLines == 0) clockLines = 1;
    // A count above the range shows as the largest choice rather than as no choice at all.
    if (clockLines > kMaxClockLines) clockLines = kMaxClockLines;

    m_strText.LoadString(IDS_SHOW_CURRENCY_RATES);
    m_checkCurrency.SetWindowText(m_strText);
    DWORD showCurrency = m_registry.ReadDword(HKEY_LOCAL_MACHINE, kJorvanaKey, kShowCurrencyValue);
    if (m_registry.RegistryStatus != CRegistryKey::kFound) showCurrency = 1;
    m_checkCurrency.SetCheck(showCurrency != 0 ? BST_CHECKED : BST_UNCHECKED);

    AdjustComboDropHeight(&m_comboClocks, 8);
    m_comboClocks.SetCurSel(static_cast<int>(clockLines) - 1);
    Layout();
    return TRUE;
}

void CTodayOptionsDlg::ReadWorkArea() {
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    m_nWorkWidth = area.right - area.left;
    m_nWorkHeight = area.bottom - area.top;
}

void CTodayOptionsDlg::MeasureLabel(CDC& dc) {
    m_strText.LoadString(IDS_TODAY_SHOW);
    HGDIOBJ old = ::SelectObject(dc.GetSafeHdc(), m_hTextFont);
    m_sizeLabel = dc.GetTextExtent(m_strText);
    ::SelectObject(dc.GetSafeHdc(), old);
}

void CTodayOptionsDlg::Layout() {
    if (!m_comboClocks.m_hWnd || !m_checkCurrency.m_hWnd) return; // sized before the controls are bound
    ReadWorkArea();
    if (m_sizeLabel.cx == 0 && m_hTextFont) {
        CClientDC dc(this);
        MeasureLabel(dc);
    }
    // The combo's height carries its drop-down list: keep the eight items it was given.
    RECT combo{};
    m_comboClocks.GetWindowRect(&combo);
    int comboHeight = combo.bottom - combo.top > 20 ? combo.bottom - combo.top : 20;
    m_comboClocks.MoveWindow(m_sizeLabel.cx + 10, 35, 60, comboHeight);
    // 240 wide, but never past the right edge of a narrow screen.
    m_checkCurrency.MoveWindow(5, 65, std::min(240, m_nWorkWidth - 10), 20);
    m_comboClocks.ShowWindow(SW_SHOW);
    m_checkCurrency.ShowWindow(SW_SHOW);
}

void CTodayOptionsDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    Layout();
}

void CTodayOptionsDlg::OnSettingChange(UINT uFlags, LPCTSTR lpszSection) {
    CDialog::OnSettingChange(uFlags, lpszSection);
    Layout();
    Invalidate();
}

void CTodayOptionsDlg::OnPaint() {
    CPaintDC dc(this);
    dc.SetBkMode(TRANSPARENT);

    PaintFormHeaderBand(dc, m_nWorkWidth, -2, 28);

    HDC hdc = dc.GetSafeHdc();
    HGDIOBJ oldFont = ::SelectObject(hdc, m_hTitleFont);
    m_strText.LoadString(IDS_TODAY_OPTIONS_TITLE);
    dc.TextOut(5, 5, m_strText);

    ::SelectObject(hdc, m_hTextFont);
    m_strText.LoadString(IDS_TODAY_SHOW);
    m_sizeLabel = dc.GetTextExtent(m_strText);
    dc.TextOut(5, 37, m_strText);
    m_strText.LoadString(IDS_TODAY_CITIES);
    dc.TextOut(m_sizeLabel.cx + 75, 37, m_strText);
    ::SelectObject(hdc, oldFont);
}

void CTodayOptionsDlg::OnDestroy() {
    // Written on every close: the Today item takes them as they are, confirmed or not. A dialog
    // whose controls never came up has nothing to say and leaves the values alone.
    if (m_comboClocks.m_hWnd && m_checkCurrency.m_hWnd) {
        // Both or neither: a device that fills up between the two writes must not leave the
        // Today item with half of a choice the user is told was not saved.
        const DWORD clockLines = static_cast<DWORD>(m_comboClocks.GetCurSel() + 1);
        const DWORD showCurrency = m_checkCurrency.GetCheck() == BST_CHECKED ? 1 : 0;
        StoreWritesAllOrNothing([&] {
            return m_registry.WriteDword(HKEY_LOCAL_MACHINE, kJorvanaKey, kClockLinesValue, clockLines) &&
                   m_registry.WriteDword(HKEY_LOCAL_MACHINE, kJorvanaKey, kShowCurrencyValue, showCurrency);
        });
    }
    if (m_hTitleFont) ::DeleteObject(m_hTitleFont);
    if (m_hTextFont) ::DeleteObject(m_hTextFont);
    m_hTitleFont = m_hTextFont = nullptr;
    CDialog::OnDestroy();
}
