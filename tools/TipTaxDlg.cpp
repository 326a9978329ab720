#include "tools/TipTaxDlg.h"

#include "core/CommonHelpers.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "shell/AppMessages.h"
#include "tools/ToolsPage.h"
#include "tools/TipTaxMath.h"

using namespace toolwin;

namespace {

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

CString WindowText(const CWnd& wnd) {
    CString text;
    wnd.GetWindowText(text);
    return text;
}

} // namespace

BEGIN_MESSAGE_MAP(CTipTaxDlg, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_EN_CHANGE(IDC_TIP_TIP_PERCENT, &CTipTaxDlg::OnChangeTipPercent)
    ON_EN_CHANGE(IDC_TIP_TAX_PERCENT, &CTipTaxDlg::OnChangeTaxPercent)
    ON_EN_CHANGE(IDC_TIP_AMOUNT_EDIT, &CTipTaxDlg::OnChangeAmount)
    ON_BN_CLICKED(IDC_TIP_TIP_CHECK, &CTipTaxDlg::OnTipClicked)
    ON_BN_CLICKED(IDC_TIP_TAX_CHECK, &CTipTaxDlg::OnTaxClicked)
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_SETTINGCHANGE()
    ON_WM_VSCROLL()
    ON_CONTROL_RANGE(EN_SETFOCUS, IDC_TIP_AMOUNT_EDIT, IDC_TIP_AMOUNT_EDIT, &CTipTaxDlg::OnSetFocusEdit)
    ON_CONTROL_RANGE(EN_SETFOCUS, IDC_TIP_TAX_PERCENT, IDC_TIP_TAX_PERCENT, &CTipTaxDlg::OnSetFocusEdit)
    ON_CONTROL_RANGE(EN_SETFOCUS, IDC_TIP_TIP_PERCENT, IDC_TIP_TIP_PERCENT, &CTipTaxDlg::OnSetFocusEdit)
    ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_TIP_AMOUNT_EDIT, IDC_TIP_AMOUNT_EDIT, &CTipTaxDlg::OnKillFocusEdit)
    ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_TIP_TAX_PERCENT, IDC_TIP_TAX_PERCENT, &CTipTaxDlg::OnKillFocusEdit)
    ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_TIP_TIP_PERCENT, IDC_TIP_TIP_PERCENT, &CTipTaxDlg::OnKillFocusEdit)
    ON_CONTROL_RANGE(EN_UPDATE, IDC_TIP_AMOUNT_EDIT, IDC_TIP_AMOUNT_EDIT, &CTipTaxDlg::OnUpdateEdit)
    ON_CONTROL_RANGE(EN_UPDATE, IDC_TIP_TAX_PERCENT, IDC_TIP_TAX_PERCENT, &CTipTaxDlg::OnUpdateEdit)
    ON_CONTROL_RANGE(EN_UPDATE, IDC_TIP_TIP_PERCENT, IDC_TIP_TIP_PERCENT, &CTipTaxDlg::OnUpdateEdit)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_APP_LEAVE_TOOL, &CTipTaxDlg::OnLeaveTool)
END_MESSAGE_MAP()

CTipTaxDlg::CTipTaxDlg(CWnd* pParent) : CDialog(IDD_TIP_TAX, pParent) {}

void CTipTaxDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TIP_TOTAL, m_staticTotal);
    DDX_Control(pDX, IDC_TIP_TIP_AMOUNT, m_staticTipAmount);
    DDX_Control(pDX, IDC_TIP_TAX_AMOUNT, m_staticTaxAmount);
    DDX_Control(pDX, IDC_TIP_TIP_PERCENT, m_editTipPercent);
    DDX_Control(pDX, IDC_TIP_TAX_PERCENT, m_editTaxPercent);
    DDX_Control(pDX, IDC_TIP_TIP_CHECK, m_checkTip);
    DDX_Control(pDX, IDC_TIP_TAX_CHECK, m_checkTax);
    DDX_Control(pDX, IDC_TIP_AMOUNT_EDIT, m_editAmount);
    DDX_Control(pDX, IDC_TIP_SERVICE_PLACEHOLDER, m_comboService);
    DDX_Control(pDX, IDC_TIP_COUNTRY_PLACEHOLDER, m_comboCountry);
}

bool CTipTaxDlg::TallLayout() const { return m_metrics.width < m_metrics.height || m_nUsableHeight > 244; }

std::unique_ptr<CDropDownSelector> CTipTaxDlg::MakePicker(CComboBox& placeholder, UINT id, LPCTSTR row) {
    CRect rect;
    placeholder.GetClientRect(&rect);
    auto picker = std::make_unique<CDropDownSelector>();
    if (!picker->Create(L"", rect, this, id, RGB(194, 211, 228), RGB(194, 211, 228))) return nullptr;
    picker->SetOutlineColor(RGB(194, 211, 228));
    CGroupListBox& list = picker->m_pPopup->m_list;
    list.SetLineColor(RGB(208, 222, 226));
    list.AddGroup(row);
    list.SetCurSel(0);
    CString caption;
    list.GetText(list.GetCurSel(), caption);
    picker->SetWindowText(caption);
    return picker;
}

BOOL CTipTaxDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_nScroll = 0;
    m_brushDialog.CreateSolidBrush(RGB(238, 238, 238));
    m_brushWhite.CreateSolidBrush(RGB(255, 255, 255));
    m_brushTotal.CreateSolidBrush(RGB(194, 211, 228));
    m_metrics = ReadToolMetrics();
    m_nUsableHeight = m_metrics.pageHeight;

    // The placeholders only lend their size to the pickers.
    m_comboCountry.ShowWindow(SW_HIDE);
    m_comboService.ShowWindow(SW_HIDE);
    m_pCountry = MakePicker(m_comboCountry, IDC_TIP_COUNTRY, L"Algiers");
    m_pService = MakePicker(m_comboService, IDC_TIP_SERVICE, L"Restaurant");

    CWnd* sixControls[] = {&m_checkTip, &m_checkTax, &m_staticTipAmount, &m_staticTaxAmount, &m_editTipPercent, &m_editTaxPercent};
    CreateToolFont(m_fontSmall, 12, 500, L"Arial", 4, 0);
    for (CWnd* wnd : sixControls) wnd->SetFont(&m_fontSmall);
    if (TallLayout()) {
        CreateToolFont(m_fontTall, 13, 500, L"Arial", 4, 0);
        for (CWnd* wnd : sixControls) wnd->SetFont(&m_fontTall);
        if (m_pCountry) m_pCountry->SetFont(&m_fontTall);
        if (m_pService) m_pService->SetFont(&m_fontTall);
    }
    m_staticTipAmount.SetWindowText(L"= 0.00");
    m_staticTaxAmount.SetWindowText(L"= 0.00");
    CreateToolFont(m_fontBold, 13, 700, L"Arial", 4, 0);
    CreateToolFont(m_fontRegular, 13, 500, L"Arial", 4, 0);
    m_checkTip.SetCheck(1);
    m_checkTax.SetCheck(1);
    m_bPanelUp = m_placement.PanelUp();
    m_editAmount.SetWindowText(L"0");
    m_editTipPercent.SetWindowText(L"0");
    m_editTaxPercent.SetWindowText(L"0");
    AdjustComboDropHeight(&m_comboService, 8);
    AdjustComboDropHeight(&m_comboCountry, 8);
    return TRUE;
}

BOOL CTipTaxDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDOK && HIWORD(wParam) == 0) return FALSE; // Enter keeps the tool open
    return CDialog::OnCommand(wParam, lParam);
}

// [Figures] --------------------------------------------------------------------------------------

void CTipTaxDlg::ReadFigures() {
    m_dAmount = ReadFigure(WindowText(m_editAmount));
    m_dTaxPercent = ReadFigure(WindowText(m_editTaxPercent));
    m_dTipPercent = ReadFigure(WindowText(m_editTipPercent));
}

void CTipTaxDlg::ShowTotal() {
    TipTaxFigures figures{m_dAmount, m_dTipPercent, m_dTaxPercent, m_checkTip.GetCheck() == 1, m_checkTax.GetCheck() == 1};
    m_staticTotal.SetWindowText(FormatAmount(figures.Total()));
}

// A percentage outside 0..100 is refused: the message, then the edit's last change undone (or
// "0"), which runs the change handler again with the restored text.
void CTipTaxDlg::CheckPercent(CEdit& edit) {
    if (IsPercentInRange(ReadFigure(WindowText(edit)))) return;
    if (m_bChecking) { // the restored text is out of range too
        edit.SetWindowText(L"0");
        return;
    }
    m_bChecking = true;
    m_strMessage = LoadText(IDS_TIP_OUT_OF_RANGE);
    MessageBox(m_strMessage, nullptr, MB_OK);
    if (edit.CanUndo()) edit.Undo();
    else edit.SetWindowText(L"0");
    m_bChecking = false;
}

void CTipTaxDlg::OnChangeTipPercent() {
    if (!m_staticTipAmount.m_hWnd) return;
    CheckPercent(m_editTipPercent);
    ReadFigures();
    m_staticTipAmount.SetWindowText(L"= " + FormatAmount(m_dAmount * m_dTipPercent * 0.01));
    ShowTotal();
}

void CTipTaxDlg::OnChangeTaxPercent() {
    if (!m_staticTaxAmount.m_hWnd) return;
    CheckPercent(m_editTaxPercent);
    ReadFigures();
    m_staticTaxAmount.SetWindowText(L"= " + FormatAmount(m_dAmount * m_dTaxPercent * 0.01));
    ShowTotal();
}

void CTipTaxDlg::OnChangeAmount() {
    if (!m_staticTotal.m_hWnd) return;
    OnChangeTipPercent();
    OnChangeTaxPercent();
    ReadFigures();
    ShowTotal();
}

void CTipTaxDlg::OnTipClicked() {
    ReadFigures();
    ShowTotal();
}

void CTipTaxDlg::OnTaxClicked() {
    ReadFigures();
    ShowTotal();
}

void CTipTaxDlg::OnUpdateEdit(UINT nID) {
    if (CEdit* edit = static_cast<CEdit*>(GetDlgItem(static_cast<int>(nID)))) FilterNumericEntry(*edit);
}

void CTipTaxDlg::OnKillFocusEdit(UINT nID) {
    CWnd* edit = GetDlgItem(static_cast<int>(nID));
    if (edit && edit->GetWindowTextLength() == 0) edit->SetWindowText(L"0");
}

void CTipTaxDlg::OnSetFocusEdit(UINT nID) {
    SHSipPreference(m_hWnd, SIP_UP);
    if (CWnd* edit = GetDlgItem(static_cast<int>(nID))) edit->SetFocus();
}

// [Colours, painting, layout] --------------------------------------------------------------------

HBRUSH CTipTaxDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    switch (id) {
    case IDC_TIP_AMOUNT_EDIT:
    case IDC_TIP_TAX_PERCENT:
    case IDC_TIP_TIP_PERCENT: return m_brushWhite;
    case IDC_TIP_TIP_CHECK:
    case IDC_TIP_TAX_CHECK:
    case IDC_TIP_TIP_AMOUNT:
    case IDC_TIP_TAX_AMOUNT: pDC->SetBkMode(TRANSPARENT); return m_brushDialog;
    case IDC_TIP_TOTAL: pDC->SetBkMode(TRANSPARENT); return m_brushTotal;
    default: return m_brushDialog;
    }
}

void CTipTaxDlg::Draw(CDC& dc) {
    const int w = m_metrics.width;
    const int p = m_nScroll;
    const bool tall = TallLayout();
    CPen pen(PS_SOLID, 1, RGB(160, 172, 192));
    CBrush band(RGB(194, 211, 228));
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&band);
    dc.Rectangle(0, -p, w + 1, 50 - p);
    if (tall) {
        dc.Rectangle(0, 205 - p, w + 1, 225 - p);
        m_nContentBottom = 224;
    } else {
        dc.Rectangle(0, 147 - p, w + 1, 167 - p);
        m_nContentBottom = 161;
    }
    CFont* oldFont = dc.SelectObject(&m_fontBold);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(51, 102, 150));
    dc.TextOut(5, 7 - p, LoadText(IDS_COLUMN_COUNTRY) + L":");
    dc.TextOut(5, 28 - p, LoadText(IDS_TIP_SERVICE) + L":");
    dc.SetTextColor(RGB(0, 0, 0));
    auto line = [&](int x1, int y1, int x2, int y2) {
        dc.MoveTo(x1, y1 - p);
        dc.LineTo(x2, y2 - p);
    };
    line(0, 50, w, 50);
    if (tall) {
        line(0, 204, w, 204);
        line(0, 225, w, 225);
        dc.TextOut(w - 100, 208 - p, LoadText(IDS_TIP_TOTAL) + L": ");
    } else {
        line(0, 147, w, 147);
        line(0, 167, w, 167);
        dc.TextOut(w - 100, 150 - p, LoadText(IDS_TIP_TOTAL) + L":");
    }
    dc.Rectangle(5, 55 - p, 235, 115 - p);
    dc.Rectangle(5, 74 - p, 235, 95 - p);
    dc.Rectangle(60, 74 - p, 150, 95 - p);
    dc.Rectangle(60, 94 - p, 150, 115 - p);
    dc.SelectObject(&m_brushWhite);
    dc.Rectangle(5, 55 - p, 235, 75 - p);
    dc.Rectangle(60, 55 - p, 150, 75 - p);
    dc.SelectObject(&m_fontRegular);
    dc.TextOut(70, 58 - p, LoadText(IDS_TIP_INCLUDED));
    dc.TextOut(185, 58 - p, CString(L"%"));
    dc.TextOut(15, 78 - p, LoadText(IDS_TIP_TIP));
    dc.TextOut(15, 98 - p, LoadText(IDS_TIP_TAX));
    if (tall) {
        dc.TextOut(5, 125 - p, LoadText(IDS_TIP_BILL_AMOUNT));
        dc.TextOut(5, 145 - p, LoadText(IDS_TIP_ADD));
        line(30, 152, 235, 152);
        dc.TextOut(133, 162 - p, CString(L"%"));
        dc.TextOut(133, 182 - p, CString(L"%"));
    } else {
        dc.TextOut(5, 123 - p, LoadText(IDS_TIP_BILL_AMOUNT));
        dc.TextOut(305, 57 - p, CString(L"%"));
        dc.TextOut(305, 97 - p, CString(L"%"));
    }
    dc.SelectObject(oldFont);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
}

void CTipTaxDlg::OnPaint() {
    CPaintDC dc(this);
    Draw(dc);
}

void CTipTaxDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    if (!m_editAmount.m_hWnd) return; // before the controls are bound
    m_metrics = ReadToolMetrics();
    m_nUsableHeight = m_metrics.pageHeight;
    const int w = m_metrics.width;
    ScrollToolWindow(this, m_nScroll, 0);
    m_comboCountry.SetWindowPos(nullptr, 90, 5, w * 3 / 5, 20, SWP_NOZORDER);
    m_comboService.SetWindowPos(nullptr, 90, 26, w * 3 / 5, 20, SWP_NOZORDER);
    auto placePicker = [](CDropDownSelector* picker, CComboBox& combo, int y) {
        if (!picker || !picker->m_hWnd) return;
        CRect rect;
        combo.GetClientRect(&rect);
        picker->SetWindowPos(nullptr, 90, y, rect.Width(), rect.Height(), SWP_NOZORDER);
    };
    placePicker(m_pCountry.get(), m_comboCountry, 5);
    placePicker(m_pService.get(), m_comboService, 26);
    struct Place {
        CWnd* wnd;
        int tx, ty, tw, th, wx, wy, ww, wh;
    };
    const Place places[] = {
        {&m_editAmount, 65, 122, 170, 20, 65, 120, 170, 20},
        {&m_staticTotal, w - 65, 208, w * 3 / 5, 15, w - 65, 149, w * 3 / 5, 15},
        {&m_checkTip, 25, 160, 35, 20, 238, 55, 35, 20},
        {&m_checkTax, 25, 180, 40, 20, 238, 95, 35, 20},
        {&m_editTipPercent, 80, 160, 50, 19, 274, 57, 30, 15},
        {&m_editTaxPercent, 80, 180, 50, 19, 274, 97, 30, 15},
        {&m_staticTipAmount, 145, 163, 100, 15, 260, 75, 100, 15},
        {&m_staticTaxAmount, 145, 183, 100, 15, 260, 115, 100, 15},
    };
    const bool tall = TallLayout();
    for (const Place& pl : places) {
        if (tall) pl.wnd->SetWindowPos(&wndTop, pl.tx, pl.ty, pl.tw, pl.th, SWP_SHOWWINDOW);
        else pl.wnd->SetWindowPos(&wndTop, pl.wx, pl.wy, pl.ww, pl.wh, SWP_SHOWWINDOW);
    }
    // The painting sets the content bottom; run it once on a screen-compatible context.
    {
        CClientDC dc(this);
        Draw(dc);
    }
    CRect client;
    GetClientRect(&client);
    m_nClientHeight = client.Height();
    ResetToolScrollBar(this, ScrollRange());
    const bool panelUp = m_placement.PanelUp();
    if (panelUp != m_bPanelUp) {
        m_bPanelUp = panelUp;
        ScrollToolWindow(this, m_nScroll, 0);
    }
}

void CTipTaxDlg::OnLButtonDown(UINT, CPoint) {} // the tap is consumed

void CTipTaxDlg::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    ScrollToolWindow(this, m_nScroll, NextScrollOffset(nSBCode, m_nScroll, ScrollRange(), static_cast<int>(nPos)));
    Default();
}

void CTipTaxDlg::OnSettingChange(UINT, LPCTSTR) {
    const bool panelUp = m_placement.PanelUp();
    m_bPanelUp = panelUp;
    ScrollToolWindow(this, m_nScroll, 0);
    m_placement.Apply(this, panelUp);
    if (panelUp) ScrollToolWindow(this, m_nScroll, ScrollRange());
    if (auto* page = dynamic_cast<CToolsPage*>(GetOwner())) page->OpenTool(4);
    Invalidate(TRUE);
}

void CTipTaxDlg::OnDestroy() {
    CDialog::OnDestroy();
    m_brushDialog.DeleteObject();
    m_brushWhite.DeleteObject();
    m_brushTotal.DeleteObject();
    m_fontBold.DeleteObject();
    m_fontRegular.DeleteObject();
}

LRESULT CTipTaxDlg::OnLeaveTool(WPARAM, LPARAM) { return LeaveToolWindow(this); }
