#include "tools/ClothesDlg.h"

#include <algorithm>

#include "core/CommonHelpers.h"
#include "core/TextFiles.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "resources/resource.h"
#include "tools/ClothingCharts.h"
#include "shell/AppMessages.h"

using namespace toolwin;

namespace {

constexpr int kNameGap = 6;   // after the longest sizing-system name
constexpr int kColumnGap = 3; // the least room between two columns

int Extent(CDC& dc, const std::wstring& text) { return dc.GetTextExtent(CString(text.c_str())).cx; }

// The columns of a chart in the DC's font, spread across a row of the given width; false when
// they need more room than the row has.
bool MeasureColumns(CDC& dc, const ClothingGrid& grid, int rowWidth, ClothingColumns& out) {
    out.grid = grid;
    int names = 0, freeText = 0;
    out.width.assign(static_cast<size_t>(grid.columns), 0);
    for (const ClothingRowCells& row : grid.rows) {
        names = std::max(names, Extent(dc, row.name));
        if (!row.text.empty()) freeText = std::max(freeText, Extent(dc, row.text));
        for (const ClothingCell& cell : row.cells)
            out.width[static_cast<size_t>(cell.column)] =
                std::max(out.width[static_cast<size_t>(cell.column)], Extent(dc, cell.text));
    }
    out.sizesLeft = names + kNameGap;
    int sizes = 0;
    for (int w : out.width) sizes += w;
    const int gap = grid.columns > 0 ? (rowWidth - out.sizesLeft - sizes) / grid.columns : 0;
    out.left.assign(static_cast<size_t>(grid.columns), 0);
    int x = out.sizesLeft + gap / 2;
    for (int j = 0; j < grid.columns; ++j) {
        out.left[static_cast<size_t>(j)] = x;
        x += out.width[static_cast<size_t>(j)] + gap;
    }
    return (grid.columns == 0 || gap >= kColumnGap) && out.sizesLeft + freeText <= rowWidth;
}

ClothingGrid GridOf(const ClothingChart& chart) {
    std::wstring rows[4];
    for (int i = 0; i < 4; ++i) rows[i] = chart.rows[i];
    return SplitClothingRows(rows);
}

} // namespace

BEGIN_MESSAGE_MAP(CClothingRow, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CClothingRow::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    // The row's colours, as the static control asks its dialog for them.
    if (CWnd* parent = GetParent()) {
        auto brush = reinterpret_cast<HBRUSH>(parent->SendMessage(
            WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), reinterpret_cast<LPARAM>(m_hWnd)));
        if (brush) ::FillRect(dc.GetSafeHdc(), &client, brush);
    }
    dc.SetBkMode(TRANSPARENT);
    CFont* font = GetFont();
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    const ClothingRowCells* row =
        m_columns && m_nRow >= 0 && m_nRow < 4 ? &m_columns->grid.rows[m_nRow] : nullptr;
    if (!row) {
        CString text;
        GetWindowText(text);
        dc.TextOut(0, 0, text);
    } else {
        dc.TextOut(0, 0, CString(row->name.c_str()));
        if (!row->text.empty()) dc.TextOut(m_columns->sizesLeft, 0, CString(row->text.c_str()));
        for (const ClothingCell& cell : row->cells) {
            const auto j = static_cast<size_t>(cell.column);
            if (j >= m_columns->left.size()) continue;
            const int x = m_columns->left[j] + (m_columns->width[j] - Extent(dc, cell.text)) / 2;
            dc.TextOut(x, 0, CString(cell.text.c_str()));
        }
    }
    if (old) dc.SelectObject(old);
}

BEGIN_MESSAGE_MAP(CClothesDlg, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_VSCROLL()
    ON_WM_LBUTTONDOWN()
    ON_BN_CLICKED(IDC_CLOTHES_MEN, &CClothesDlg::OnMen)
    ON_BN_CLICKED(IDC_CLOTHES_WOMEN, &CClothesDlg::OnWomen)
    ON_BN_CLICKED(IDC_CLOTHES_CHILDREN, &CClothesDlg::OnChildren)
    ON_CBN_SELCHANGE(IDC_CLOTHES_GARMENT, &CClothesDlg::OnSelchangeGarment)
    ON_WM_SETTINGCHANGE()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_APP_LEAVE_TOOL, &CClothesDlg::OnLeaveTool)
END_MESSAGE_MAP()

CClothesDlg::CClothesDlg(CWnd* pParent) : CDialog(IDD_CLOTHES, pParent) {}

void CClothesDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CLOTHES_BAND, m_staticBand);
    DDX_Control(pDX, IDC_CLOTHES_ROW4, m_staticRow4);
    DDX_Control(pDX, IDC_CLOTHES_ROW3, m_staticRow3);
    DDX_Control(pDX, IDC_CLOTHES_ROW2, m_staticRow2);
    DDX_Control(pDX, IDC_CLOTHES_ROW1, m_staticRow1);
    DDX_Control(pDX, IDC_CLOTHES_TITLE, m_staticTitle);
    DDX_Control(pDX, IDC_CLOTHES_GARMENT, m_comboGarment);
}

BOOL CClothesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ReplaceBitmap(m_bmpBackground, SHLoadImageFile(GetProgramFolder() + L"\\Portrait\\cloths.jpg"));
    m_brushPage.CreateSolidBrush(RGB(238, 238, 238));
    MakeColourBrushes();
    m_metrics = ReadToolMetrics();

    CString text;
    for (UINT id = IDS_GARMENT_BRAS; id <= IDS_GARMENT_TROUSERS; ++id) {
        text.LoadString(id);
        m_comboGarment.AddString(text);
    }

    m_btnMen.SubclassDlgItem(IDC_CLOTHES_MEN, this);
    m_btnWomen.SubclassDlgItem(IDC_CLOTHES_WOMEN, this);
    m_btnChildren.SubclassDlgItem(IDC_CLOTHES_CHILDREN, this);
    for (CIconButton* button : {&m_btnMen, &m_btnWomen, &m_btnChildren}) {
        button->SetColor(CIconButton::BTNST_COLOR_BK_OUT, RGB(194, 211, 228));
        button->SetColor(CIconButton::BTNST_COLOR_BK_FOCUS, RGB(194, 211, 228));
        button->SetColor(CIconButton::BTNST_COLOR_BK_IN, RGB(238, 238, 238));
        button->SetFlat(FALSE);
    }

    const CString face = ToolFontFace();
    const int base = ToolFontBase();
    CreateToolFont(m_fontNote, base + 12, 400, face, 4, 0);
    CreateToolFont(m_fontTitle, base + 14, 700, face, 4, 6);
    FitRowFont(ReadToolMetrics().width - 10);
    for (CWnd* wnd : {static_cast<CWnd*>(&m_staticTitle), static_cast<CWnd*>(&m_btnMen),
                      static_cast<CWnd*>(&m_btnWomen), static_cast<CWnd*>(&m_btnChildren)})
        wnd->SetFont(&m_fontTitle);
    for (CClothingRow* row : {&m_staticRow1, &m_staticRow2, &m_staticRow3, &m_staticRow4}) row->SetFont(&m_fontRow);

    ShowChart(GarmentShoes, GenderMen);
    for (CIconButton* button : {&m_btnMen, &m_btnWomen, &m_btnChildren}) button->EnableWindow(TRUE);
    ChooseGender(GenderMen);
    m_comboGarment.SetCurSel(GarmentShoes);
    AdjustComboDropHeight(&m_comboGarment, 8);
    m_staticRow1.SetFocus();
    ApplySkin();
    return FALSE;
}

BOOL CClothesDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDOK && HIWORD(wParam) == 0) return FALSE; // Enter keeps the tool open
    return CDialog::OnCommand(wParam, lParam);
}

void CClothesDlg::ShowChart(int garment, int gender) {
    const ClothingChart* chart = FindClothingChart(garment, gender);
    if (!chart) return;
    CString title;
    title.LoadString(chart->titleId);
    m_staticTitle.SetWindowText(title);
    CClothingRow* rows[] = {&m_staticRow1, &m_staticRow2, &m_staticRow3, &m_staticRow4};
    for (int i = 0; i < 4; ++i) rows[i]->SetWindowText(chart->rows[i]);
    CRect row;
    m_staticRow1.GetClientRect(&row);
    PlaceColumns(row.Width() > 0 ? row.Width() : ReadToolMetrics().width - 10);
}

void CClothesDlg::ChooseGender(int gender) {
    m_nGender = gender;
    CIconButton* buttons[] = {&m_btnMen, &m_btnWomen, &m_btnChildren};
    for (int i = 0; i < 3; ++i) buttons[i]->SetFlat(i == gender ? TRUE : FALSE);
}

void CClothesDlg::OnSelchangeGarment() {
    const int garment = m_comboGarment.GetCurSel();
    GarmentChoice choice{};
    if (GetGarmentChoice(garment, choice)) {
        CIconButton* buttons[] = {&m_btnMen, &m_btnWomen, &m_btnChildren};
        for (int i = 0; i < 3; ++i) {
            buttons[i]->ShowWindow(SW_SHOW);
            buttons[i]->EnableWindow((choice.enabledButtons >> i) & 1u);
        }
        ChooseGender(choice.gender);
        ShowChart(garment, choice.gender);
    }
    m_staticRow1.SetFocus();
}

void CClothesDlg::OnGender(int gender) {
    const int garment = m_comboGarment.GetCurSel();
    if (garment == GarmentShirts || garment == GarmentShoes || garment == GarmentTrousers) {
        ShowChart(garment, gender);
        for (CIconButton* button : {&m_btnMen, &m_btnWomen, &m_btnChildren}) button->EnableWindow(TRUE);
        ChooseGender(gender);
    }
    m_staticRow1.SetFocus();
}

void CClothesDlg::OnMen() { OnGender(GenderMen); }
void CClothesDlg::OnWomen() { OnGender(GenderWomen); }
void CClothesDlg::OnChildren() { OnGender(GenderChildren); }

void CClothesDlg::Layout() {
    if (!m_staticTitle.m_hWnd) return; // before the controls are bound
    m_metrics = ReadToolMetrics();
    // Placed from the top again; the guideline note under the rows is the content's end.
    const int W = m_scroll.Prepare(this, m_metrics.Portrait() ? 185 : 164, m_metrics.width);
    m_staticBand.SetWindowPos(nullptr, 0, 0, W, 25, SWP_NOZORDER);
    m_comboGarment.SetWindowPos(nullptr, 2, 3, 3 * W / 5, 20, SWP_NOZORDER);
    if (m_btnMen.m_hWnd) {
        m_btnChildren.SetWindowPos(&wndTopMost, W - 25, 2, 21, 21, SWP_SHOWWINDOW);
        m_btnWomen.SetWindowPos(&wndTopMost, W - 48, 2, 21, 21, SWP_SHOWWINDOW);
        m_btnMen.SetWindowPos(&wndTopMost, W - 71, 2, 21, 21, SWP_SHOWWINDOW);
    }
    m_staticTitle.SetWindowPos(nullptr, 5, 50, W - 10, 20, SWP_NOZORDER);
    CRect title;
    m_staticTitle.GetClientRect(&title);
    const int t = title.Height();
    CClothingRow* rows[] = {&m_staticRow1, &m_staticRow2, &m_staticRow3, &m_staticRow4};
    FitRowFont(W - 10);
    for (int i = 0; i < 4; ++i) rows[i]->SetWindowPos(nullptr, 5, 50 + (i + 1) * t, W - 10, 20, SWP_NOZORDER);
}

void CClothesDlg::FitRowFont(int rowWidth) {
    CClothingRow* rows[] = {&m_staticRow1, &m_staticRow2, &m_staticRow3, &m_staticRow4};
    // One font for every chart: the largest in which each chart's rows fit, as their texts and
    // drawn in their columns.
    int height = 13;
    CClientDC dc(this);
    for (; height > 9; --height) {
        CFont trial;
        CreateToolFont(trial, height, 500, L"Arial", 4, 6);
        CFont* old = dc.SelectObject(&trial);
        bool fits = true;
        for (int garment = 0; garment < kClothingGarmentCount && fits; ++garment)
            for (int gender = GenderMen; gender <= GenderChildren && fits; ++gender)
                if (const ClothingChart* chart = FindClothingChart(garment, gender)) {
                    ClothingColumns columns;
                    fits = MeasureColumns(dc, GridOf(*chart), rowWidth, columns);
                    for (const wchar_t* row : chart->rows) fits = fits && dc.GetTextExtent(row).cx <= rowWidth;
                }
        dc.SelectObject(old);
        if (fits) break;
    }
    if (height != m_nRowFontHeight || !m_fontRow.GetSafeHandle()) {
        m_nRowFontHeight = height;
        CreateToolFont(m_fontRow, height, 500, L"Arial", 4, 6);
        for (CClothingRow* row : rows) row->SetFont(&m_fontRow, TRUE);
    }
    PlaceColumns(rowWidth);
}

void CClothesDlg::PlaceColumns(int rowWidth) {
    CClothingRow* rows[] = {&m_staticRow1, &m_staticRow2, &m_staticRow3, &m_staticRow4};
    std::wstring texts[4];
    for (int i = 0; i < 4; ++i) {
        CString text;
        if (rows[i]->m_hWnd) rows[i]->GetWindowText(text);
        texts[i] = static_cast<LPCWSTR>(text);
    }
    CClientDC dc(this);
    CFont* old = m_fontRow.GetSafeHandle() ? dc.SelectObject(&m_fontRow) : nullptr;
    MeasureColumns(dc, SplitClothingRows(texts), rowWidth, m_columns);
    if (old) dc.SelectObject(old);
    for (int i = 0; i < 4; ++i) {
        rows[i]->m_columns = &m_columns;
        rows[i]->m_nRow = i;
        if (rows[i]->m_hWnd) rows[i]->Invalidate();
    }
}

void CClothesDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    Layout();
}

void CClothesDlg::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) { m_scroll.OnVScroll(this, nSBCode, nPos); }

void CClothesDlg::OnSettingChange(UINT, LPCTSTR) {
    Layout();
    HideToolsListUnder(this);
    Invalidate(TRUE);
}

void CClothesDlg::OnLButtonDown(UINT, CPoint) {
    HideToolsList(this);
    Default();
}

BOOL CClothesDlg::OnEraseBkgnd(CDC* pDC) {
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, RGB(238, 238, 238));
    const CPoint origin = pDC->SetViewportOrg(0, -m_scroll.Offset());
    if (m_metrics.Portrait()) StretchBitmap(pDC, m_bmpBackground, m_metrics.width, m_metrics.pageHeight + 3);
    pDC->SetViewportOrg(origin);
    return TRUE;
}

void CClothesDlg::OnPaint() {
    CPaintDC dc(this);
    dc.SetViewportOrg(0, -m_scroll.Offset());
    dc.SetBkMode(TRANSPARENT);
    CPen pen(PS_SOLID, 1, ScaleColor(m_crBand, 0.9f));
    CPen* oldPen = dc.SelectObject(&pen);
    dc.MoveTo(0, 25);
    dc.LineTo(m_metrics.width, 25);
    dc.SelectObject(oldPen);
    CFont* oldFont = m_fontNote.GetSafeHandle() ? dc.SelectObject(&m_fontNote) : nullptr;
    CString note;
    note.LoadString(IDS_CLOTHES_GUIDELINE);
    dc.SetTextColor(RGB(0, 86, 130));
    dc.TextOut(5, m_metrics.Portrait() ? 170 : 149, note);
    if (oldFont) dc.SelectObject(oldFont);
}

void CClothesDlg::MakeColourBrushes() {
    m_brushBand.DeleteObject();
    m_brushBand.CreateSolidBrush(m_crBand);
    m_brushRow1.DeleteObject();
    m_brushRow1.CreateSolidBrush(m_crRow1);
    m_brushRow2.DeleteObject();
    m_brushRow2.CreateSolidBrush(m_crRow2);
}

HBRUSH CClothesDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (id == IDC_CLOTHES_GARMENT || nCtlColor == CTLCOLOR_LISTBOX) return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (id == IDC_CLOTHES_BAND) return m_brushBand;
    if (nCtlColor == CTLCOLOR_STATIC) {
        pDC->SetTextColor(m_crText);
        if (id == IDC_CLOTHES_ROW1 || id == IDC_CLOTHES_ROW3) {
            pDC->SetBkColor(m_crRow1);
            return m_brushRow1;
        }
        if (id == IDC_CLOTHES_ROW2 || id == IDC_CLOTHES_ROW4) {
            pDC->SetBkColor(m_crRow2);
            return m_brushRow2;
        }
    }
    pDC->SetBkMode(TRANSPARENT);
    return m_brushPage;
}

void CClothesDlg::OnDestroy() {
    CDialog::OnDestroy();
    m_fontTitle.DeleteObject();
    m_fontRow.DeleteObject();
    m_fontNote.DeleteObject();
    m_brushPage.DeleteObject();
    m_brushBand.DeleteObject();
    m_brushRow1.DeleteObject();
    m_brushRow2.DeleteObject();
}

LRESULT CClothesDlg::OnLeaveTool(WPARAM, LPARAM) { return LeaveToolWindow(this); }

void CClothesDlg::ApplySkin() {
    CWaitCursor wait;
    ToolSkin skin = ReadToolSkin();
    if (!skin.loaded) return;
    ReplaceBitmap(m_bmpBackground, skin.LoadPortraitImage(L"BS"));
    m_crBand = skin.Color(L"PCS");
    m_crButton = skin.Color(L"PBCS");
    m_crRow1 = skin.Color(L"TC1S");
    m_crRow2 = skin.Color(L"TC2S");
    m_crText = skin.Color(L"TTCS");
    for (CIconButton* button : {&m_btnMen, &m_btnWomen, &m_btnChildren}) {
        if (!button->m_hWnd) continue;
        button->SetColor(CIconButton::BTNST_COLOR_BK_IN, m_crBand);
        button->SetColor(CIconButton::BTNST_COLOR_BK_OUT, m_crBand);
        button->SetColor(CIconButton::BTNST_COLOR_BK_FOCUS, m_crBand);
        button->SetColor(CIconButton::BTNST_COLOR_FG_OUT, m_crButton);
    }
    MakeColourBrushes();
}
