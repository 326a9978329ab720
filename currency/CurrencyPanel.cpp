// The Currencies page: object, start-up, control colours, painting, skin, tips and end.

#include "currency/CurrencyPanel.h"

#include "core/CommonHelpers.h"
#include "core/FeedQuery.h"
#include "core/SkinFile.h"
#include "platform/framework/DC.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "shell/AppMessages.h"
#include "shell/MainDlg.h"
#include "shell/SharedFont.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kTipsColour = RGB(250, 250, 220);
constexpr COLORREF kTipsHideColour = RGB(0, 120, 220);
constexpr COLORREF kRatesText = RGB(50, 50, 150);

void MakeFont(CFont& font, int height, int weight, LPCWSTR face) {
    font.DeleteObject();
    font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 6, face);
}

void SetFontOn(CWnd* wnd, CFont& font, BOOL redraw = FALSE) {
    if (wnd && wnd->m_hWnd) wnd->SetFont(&font, redraw);
}

} // namespace

BEGIN_MESSAGE_MAP(CCurrencyPanel, CDialog)
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_CUR_ADD_LINE, &CCurrencyPanel::OnAddLine)
    ON_BN_CLICKED(IDC_CUR_BACK_LINE, &CCurrencyPanel::OnBackLine)
    ON_BN_CLICKED(IDC_CUR_CLEAR_ALL, &CCurrencyPanel::OnClearAll)
    ON_EN_CHANGE(IDC_CUR_AMOUNT1, &CCurrencyPanel::OnChangeAmount1)
    ON_EN_CHANGE(IDC_CUR_AMOUNT2, &CCurrencyPanel::OnChangeAmount2)
    ON_EN_CHANGE(IDC_CUR_AMOUNT3, &CCurrencyPanel::OnChangeAmount3)
    ON_EN_SETFOCUS(IDC_CUR_AMOUNT1, &CCurrencyPanel::OnSetFocusAmount1)
    ON_EN_SETFOCUS(IDC_CUR_AMOUNT2, &CCurrencyPanel::OnSetFocusAmount2)
    ON_EN_SETFOCUS(IDC_CUR_AMOUNT3, &CCurrencyPanel::OnSetFocusAmount3)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_VSCROLL()
    ON_CBN_SELCHANGE(IDC_CUR_PAIR1, &CCurrencyPanel::OnSelChangePair1)
    ON_CBN_SELCHANGE(IDC_CUR_PAIR2, &CCurrencyPanel::OnSelChangePair2)
    ON_CBN_SELCHANGE(IDC_CUR_PAIR3, &CCurrencyPanel::OnSelChangePair3)
    ON_CBN_SELCHANGE(IDC_CUR_RATE_BASE, &CCurrencyPanel::OnSelChangeRateBase)
    ON_BN_CLICKED(IDC_CUR_UPDATE_ALL, &CCurrencyPanel::OnUpdateAll)
    ON_WM_SETTINGCHANGE()
    ON_EN_UPDATE(IDC_CUR_AMOUNT1, &CCurrencyPanel::OnUpdateAmount1)
    ON_EN_UPDATE(IDC_CUR_AMOUNT2, &CCurrencyPanel::OnUpdateAmount2)
    ON_EN_UPDATE(IDC_CUR_AMOUNT3, &CCurrencyPanel::OnUpdateAmount3)
    ON_EN_SETFOCUS(IDC_CUR_TIPS_TEXT, &CCurrencyPanel::OnSetFocusTips)
    ON_BN_CLICKED(IDC_CUR_TIPS_HIDE, &CCurrencyPanel::OnTipsOk)
    ON_WM_DESTROY()
    ON_MESSAGE(WM_APP_HIDE_PAGE, &CCurrencyPanel::OnHidePanel)
END_MESSAGE_MAP()

CCurrencyPanel::CCurrencyPanel(CWnd* pParent) : CDialog(IDD_CURRENCY, pParent) {}

CCurrencyPanel::~CCurrencyPanel() {
    // A page destroyed without its window's end still frees its lines.
    for (auto& column : m_fields)
        for (CEdit*& field : column) {
            delete field;
            field = nullptr;
        }
}

void CCurrencyPanel::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CUR_TIPS_FRAME, m_tipsFrame);
    DDX_Control(pDX, IDC_CUR_TIPS_HIDE, m_tipsHide);
    DDX_Control(pDX, IDC_CUR_TIPS_TEXT, m_tipsText);
    DDX_Control(pDX, IDC_CUR_LAST_UPDATE, m_lastUpdate);
    DDX_Control(pDX, IDC_CUR_FRAME2, m_frame2);
    DDX_Control(pDX, IDC_CUR_FRAME1, m_frame1);
    DDX_Control(pDX, IDC_CUR_RULE_BAND_BOTTOM, m_ruleBandBottom);
    DDX_Control(pDX, IDC_CUR_RULE_BAND_TOP, m_ruleBandTop);
    DDX_Control(pDX, IDC_CUR_RULE_TOTALS_TOP, m_ruleTotalsTop);
    DDX_Control(pDX, IDC_CUR_TOTAL3, m_total3);
    DDX_Control(pDX, IDC_CUR_TOTAL2, m_total2);
    DDX_Control(pDX, IDC_CUR_TOTAL1, m_total1);
    DDX_Control(pDX, IDC_CUR_RULE_TOTALS_BOTTOM, m_ruleTotalsBottom);
    DDX_Control(pDX, IDC_CUR_RULE_TOP, m_ruleTop);
    DDX_Control(pDX, IDC_CUR_SEPARATOR2, m_separator2);
    DDX_Control(pDX, IDC_CUR_SEPARATOR1, m_separator1);
    DDX_Control(pDX, IDC_CUR_PAIR3, m_pair3);
    DDX_Control(pDX, IDC_CUR_PAIR2, m_pair2);
    DDX_Control(pDX, IDC_CUR_PAIR1, m_pair1);
    DDX_Control(pDX, IDC_CUR_PANEL, m_panel);
    DDX_Control(pDX, IDC_CUR_BAND, m_band);
    DDX_Control(pDX, IDC_CUR_EQUALS, m_equals);
    DDX_Control(pDX, IDC_CUR_CODE2, m_code2);
    DDX_Control(pDX, IDC_CUR_RATE2, m_rate2);
    DDX_Control(pDX, IDC_CUR_CODE1, m_code1);
    DDX_Control(pDX, IDC_CUR_RATE1, m_rate1);
    DDX_Control(pDX, IDC_CUR_RATE_BASE, m_rateBase);
}

BOOL CCurrencyPanel::OnInitDialog() {
    m_bFirstPaint = FALSE;
    // The currency list of the main window (the tab strip's parent) seeds a missing store.
    if (CWnd* strip = GetParent()) {
        if (auto* main = dynamic_cast<CMainDlg*>(strip->GetParent()))
            SetCurrencyList(main->GetCurrencyTable(), main->GetCurrencyCount());
    }
    m_store.SetCurrencyList(m_pCurrencyList, m_nCurrencyCount);
    m_store.Open();

    CDialog::OnInitDialog();
    ApplySkin();
    CWaitCursor wait;

    m_backBrush.DeleteObject();
    m_backBrush.CreateSolidBrush(RGB(238, 238, 238));
    m_panelColour = RGB(194, 211, 228);

    const bool square = IsSquareScreenNot320();
    MakeFont(m_pageFont, SharedFontSizeBase + 14, 500, SharedFontFace);

    struct ButtonSetup {
        CIconButton* button;
        UINT id;
        UINT icon;
    };
    const ButtonSetup buttons[4] = {{&m_addLine, IDC_CUR_ADD_LINE, IDI_CUR_ADD_LINE},
                                    {&m_backLine, IDC_CUR_BACK_LINE, IDI_CUR_BACK_LINE},
                                    {&m_clearAll, IDC_CUR_CLEAR_ALL, IDI_CUR_CLEAR_ALL},
                                    {&m_updateAll, IDC_CUR_UPDATE_ALL, IDI_CUR_UPDATE_ALL}};
    for (const ButtonSetup& b : buttons) {
        b.button->SubclassDlgItem(b.id, this);
        b.button->SetIcon(b.icon, 16, 16);
        for (BYTE slot : {0, 2, 4}) b.button->SetColor(slot, RGB(194, 211, 228), TRUE);
    }
    // Re-colour the buttons now that they exist (the first skin pass found none).
    for (CIconButton* b : {&m_clearAll, &m_updateAll, &m_addLine, &m_backLine}) {
        for (BYTE slot : {0, 2, 4}) b->SetColor(slot, m_crPanel, TRUE);
        for (BYTE slot : {1, 3, 5}) b->SetColor(slot, m_crButtonText, TRUE);
    }

    // Fonts by group; each group keeps its own font.
    MakeFont(m_buttonFont, SharedFontSizeBase + 14, 500, SharedFontFace);
    SetFontOn(&m_clearAll, m_buttonFont);
    SetFontOn(&m_updateAll, m_buttonFont);
    if (square) {
        MakeFont(m_squareRatesFont, 12, 400, L"Arial");
        SetFontOn(&m_rate1, m_squareRatesFont);
        SetFontOn(&m_rate2, m_squareRatesFont);
        MakeFont(m_squareBaseFont, 13, 400, L"Arial");
        SetFontOn(&m_rateBase, m_squareBaseFont);
    }
    MakeFont(m_labelFont, 13, 500, L"Arial");
    SetFontOn(&m_lastUpdate, m_labelFont);
    if (square) {
        MakeFont(m_squareButtonFont, SharedFontSizeBase + 13, 500, SharedFontFace);
        SetFontOn(&m_clearAll, m_squareButtonFont);
        SetFontOn(&m_updateAll, m_squareButtonFont);
    }
    MakeFont(m_codesFont, 12, 400, L"Arial");
    SetFontOn(&m_code1, m_codesFont);
    SetFontOn(&m_code2, m_codesFont);
    if (square) SetFontOn(&m_lastUpdate, m_codesFont);
    MakeFont(m_totalsFont, 13, 700, L"Arial");
    // Smaller heights in the regular weight, whose strokes stay apart where bold ones run
    // together (0 and 8 alike).
    for (int i = 0; i < static_cast<int>(std::size(m_smallTotalsFonts)); ++i)
        MakeFont(m_smallTotalsFonts[i], 12 - i, 400, L"Arial");
    SetFontOn(&m_total1, m_totalsFont);
    SetFontOn(&m_total2, m_totalsFont);
    SetFontOn(&m_total3, m_totalsFont);

    ReadWorkArea();

    // The first three lines, the focus, the totals and the remembered currencies.
    for (int line = 0; line < 3; ++line) CreateLine(line);
    m_nLastVisibleLine = 2;
    m_pair1.SetFocus();
    m_total1.SetWindowText(L"0.00");
    m_total2.SetWindowText(L"0.00");
    m_total3.SetWindowText(L"0.00");
    m_backLine.EnableWindow(FALSE);
    ReadSelectedIndexes();
    MakeFont(m_combosFont, 13, 400, L"Arial");

    BuildCurrencyQuery(); // only the server address is needed here
    // The font first: the lists drop as wide as their widest text in it.
    for (CComboBox* combo : {&m_pair1, &m_pair2, &m_pair3}) SetFontOn(combo, m_combosFont);
    FillCurrencyCombos();
    FillRateBase();
    SetUpdateLabelAtStart();

    MakeFont(m_tipsFrameFont, 12, 700, L"Arial");
    MakeFont(m_tipsTextFont, 13, 500, L"Arial");
    MakeFont(m_tipsHideFont, 13, 700, L"Arial");
    SetFontOn(&m_tipsFrame, m_tipsFrameFont);
    SetFontOn(&m_tipsText, m_tipsTextFont);
    SetFontOn(&m_tipsHide, m_tipsHideFont);
    ::SHSipPreference(m_hWnd, SIP_FORCEDOWN);

    MakeFont(m_ratesFont, SharedFontSizeBase + 14, 400, SharedFontFace);
    if (!square) {
        SetFontOn(&m_rate1, m_ratesFont);
        SetFontOn(&m_rate2, m_ratesFont);
    }

    LayOut(false); // sizes the drop-down lists too
    return FALSE;
}

BOOL CCurrencyPanel::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Enter in a field must not end the page.
    if (LOWORD(wParam) == IDOK) return FALSE;
    return CDialog::OnCommand(wParam, lParam);
}

LRESULT CCurrencyPanel::OnHidePanel(WPARAM, LPARAM) {
    ShowWindow(SW_HIDE);
    return 1;
}

BOOL CCurrencyPanel::OnEraseBkgnd(CDC* pDC) {
    CDialog::OnEraseBkgnd(pDC);
    return TRUE;
}

HBRUSH CCurrencyPanel::Brush(CBrush& brush, COLORREF colour) {
    // One brush per colour role, made again only when the role's colour changed.
    LOGBRUSH info{};
    if (!brush.m_hObject || !brush.GetLogBrush(&info) || info.lbColor != colour) {
        brush.DeleteObject();
        brush.CreateSolidBrush(colour);
    }
    return static_cast<HBRUSH>(brush.m_hObject);
}

HBRUSH CCurrencyPanel::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH base = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    (void)base;
    const int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    switch (id) {
    case IDC_CUR_LAST_UPDATE:
        pDC->SetTextColor(m_crUpdate);
        pDC->SetBkColor(m_crPanel);
        return Brush(m_panelBrush, m_crPanel);
    case IDC_CUR_BAND:
    case IDC_CUR_PANEL:
    case IDC_CUR_ADD_LINE:
    case IDC_CUR_BACK_LINE: return Brush(m_panelBrush, m_crPanel);
    case IDC_CUR_TOTAL1:
    case IDC_CUR_TOTAL2:
    case IDC_CUR_TOTAL3: pDC->SetTextColor(m_crSumText); return Brush(m_sumBrush, m_crSum);
    case IDC_CUR_CLEAR_ALL:
    case IDC_CUR_UPDATE_ALL: return Brush(m_whiteBrush, kWhite);
    case IDC_CUR_RATE1:
    case IDC_CUR_RATE2: pDC->SetTextColor(kRatesText); return Brush(m_whiteBrush, kWhite);
    case IDC_CUR_SEPARATOR1:
    case IDC_CUR_SEPARATOR2:
    case IDC_CUR_RULE_TOP:
    case IDC_CUR_RULE_TOTALS_BOTTOM:
    case IDC_CUR_RULE_TOTALS_TOP:
    case IDC_CUR_RULE_BAND_TOP:
    case IDC_CUR_RULE_BAND_BOTTOM: return Brush(m_ruleBrush, ScaleColor(m_crPanel, 0.9f));
    case IDC_CUR_TIPS_FRAME:
    case IDC_CUR_TIPS_TEXT: return Brush(m_tipsBrush, kTipsColour);
    case IDC_CUR_TIPS_HIDE: pDC->SetTextColor(kWhite); return Brush(m_tipsHideBrush, kTipsHideColour);
    case IDC_CUR_AMOUNT1:
    case IDC_CUR_AMOUNT2:
    case IDC_CUR_AMOUNT3:
    case IDC_CUR_PAIR1:
    case IDC_CUR_PAIR2:
    case IDC_CUR_PAIR3:
    case IDC_CUR_RATE_BASE: return Brush(m_whiteBrush, kWhite);
    default:
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(m_backBrush.m_hObject);
    }
}

void CCurrencyPanel::OnPaint() {
    CPaintDC dc(this);
    m_bFirstPaint = TRUE;
    // Drawn where the scrolled controls are.
    dc.SetViewportOrg(0, -m_nScroll);
    // The shape by the work area; the places across the width the controls are laid out in.
    const int W = m_nPlaceWidth > 0 ? m_nPlaceWidth : m_nWidth;
    RECT comboRect{};
    if (m_rateBase.m_hWnd) m_rateBase.GetClientRect(&comboRect);
    const int x0 = comboRect.right - comboRect.left;

    CBitmap frame;
    const bool haveFrame = frame.LoadBitmap(IDB_CUR_RATE_FRAME) != FALSE;
    CDC image;
    CBitmap* oldImage = nullptr;
    if (haveFrame) {
        image.CreateCompatibleDC(&dc);
        oldImage = image.SelectObject(&frame);
    }
    auto drawFrame = [&](int x, int y, int cx, int cy) {
        if (haveFrame) dc.TransparentBlt(x, y, cx, cy, &image, 0, 0, 114, 23, kWhite);
    };
    if (m_nWidth < m_nHeight || m_nAvailable > 244) {
        dc.FillSolidRect(0, 0, W, 142, m_crPanel);
        drawFrame(x0 + 30, 149, 114, 23);
        drawFrame(x0 + 30, 174, 114, 23);
    } else if (m_nWidth < 320) {
        if (IsSquareScreenNot320()) {
            dc.FillSolidRect(0, 0, W, 122, m_crPanel);
            drawFrame(x0 + 23, 123, W / 5 + 14, 20);
            drawFrame(x0 + 111, 123, W / 5 + 9, 20);
        }
    } else {
        dc.FillSolidRect(0, 0, W, 122, m_crPanel);
        drawFrame(x0 + 30, 123, 89, 20);
        drawFrame(2 * x0 + 85, 123, 89, 20);
    }
    if (haveFrame) image.SelectObject(oldImage);

    // The line counter: the top visible line's number left, "bottom/10" right.
    CFont* oldFont = dc.SelectObject(&m_pageFont);
    dc.SetTextColor(m_crCounter);
    dc.SetBkMode(TRANSPARENT);
    CString top, bottom;
    top.Format(L"%d", m_nLastVisibleLine - 1);
    bottom.Format(L"%d/10", m_nLastVisibleLine + 1);
    dc.ExtTextOut(W / 6, 87, 0, nullptr, top, nullptr);
    dc.ExtTextOut((2 * W) / 3 + W / 6 - 5, 87, 0, nullptr, bottom, nullptr);
    dc.SelectObject(oldFont);
}

void CCurrencyPanel::ApplySkin() {
    CWaitCursor wait;
    CurrentSkin skin = LoadCurrentSkin(L"*");
    ShowSkinFallbackMessages(skin);
    if (skin.chosenUnreadable) m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"default");
    if (!skin.loaded) return; // neither file could be read: the page keeps its colours

    m_strSkinFolder = skin.folder;
    const CString section = GetSkinSection(skin.text, L"Currency");
    auto colour = [&](LPCWSTR key) {
        return SkinColor(section == NotFoundMarker ? CString(NotFoundMarker) : GetSkinValue(section, key));
    };
    m_crSum = colour(L"SumC");
    m_crSumText = colour(L"STC");
    m_crPanel = colour(L"PanC");
    for (CIconButton* b : {&m_clearAll, &m_updateAll, &m_addLine, &m_backLine})
        if (b->m_hWnd)
            for (BYTE slot : {0, 2, 4}) b->SetColor(slot, m_crPanel, TRUE);
    m_crCounter = colour(L"PCEC");
    m_crButtonText = colour(L"PBC");
    for (CIconButton* b : {&m_clearAll, &m_updateAll, &m_addLine, &m_backLine})
        if (b->m_hWnd)
            for (BYTE slot : {1, 3, 5}) b->SetColor(slot, m_crButtonText, TRUE);
    m_crUpdate = colour(L"UPDC");
    m_crBack = colour(L"BKC");
    m_backBrush.DeleteObject();
    m_backBrush.CreateSolidBrush(m_crBack);
    if (m_hWnd) Invalidate();
}

void CCurrencyPanel::PlaceTipsBox() {
    ShowTipsBox(m_nWidth, m_nHeight, IDS_CUR_TIPS, 2, 0, FALSE, m_nWidth - 20);
    RECT frame{};
    m_tipsFrame.GetWindowRect(&frame);
    const int w = frame.right - frame.left;
    const int h = frame.bottom - frame.top;
    ShowTipsBox(m_nWidth / 2 - w / 2, m_nAvailable - h + 3, IDS_CUR_TIPS, 2, 0, FALSE, m_nWidth - 20);
}

void CCurrencyPanel::ShowTipsBox(int x, int y, UINT textId, int lineCount, int alignment, BOOL fit, int width) {
    ::PlaceTipsBox(*this, TipsBox{m_tipsFrame, m_tipsText, m_tipsHide, m_tipsTextFont}, x, y, textId, lineCount,
                   alignment, fit != FALSE, width);
}

BOOL CCurrencyPanel::PreTranslateMessage(MSG* pMsg) {
    if (TipsBoxTakesKey(*this, TipsBox{m_tipsFrame, m_tipsText, m_tipsHide, m_tipsTextFont}, *pMsg)) return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

void CCurrencyPanel::OnTipsOk() {
    m_tipsText.ShowWindow(SW_HIDE);
    m_tipsHide.ShowWindow(SW_HIDE);
    m_tipsFrame.ShowWindow(SW_HIDE);
}

void CCurrencyPanel::OnSetFocusTips() { ::HideCaret(m_tipsText.m_hWnd); }

void CCurrencyPanel::OnDestroy() {
    CDialog::OnDestroy();
    for (auto& column : m_fields)
        for (CEdit*& field : column) {
            if (field && field->m_hWnd) field->DestroyWindow();
            delete field;
            field = nullptr;
        }
    m_nLines = 0;
    for (CFont* font : {&m_pageFont, &m_ratesFont, &m_buttonFont, &m_squareRatesFont, &m_squareBaseFont,
                        &m_labelFont, &m_squareButtonFont, &m_codesFont, &m_totalsFont, &m_combosFont,
                        &m_tipsFrameFont, &m_tipsTextFont, &m_tipsHideFont, &m_settingRatesFont, &m_settingBaseFont})
        font->DeleteObject();
    for (CFont& font : m_smallTotalsFonts)
        font.DeleteObject();
    m_backBrush.DeleteObject();
}
