#include "skins/currui.h"

#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "resources/resource.h"

IMPLEMENT_DYNCREATE(currui, CColourPage)

BEGIN_MESSAGE_MAP(currui, CColourPage)
    ON_WM_PAINT()
    ON_WM_HSCROLL()
    ON_LBN_SELCHANGE(IDC_UI_ELEMENTS, &currui::OnSelChangeElement)
END_MESSAGE_MAP()

currui::currui() : CColourPage(IDD_CURRENCY_UI, kSectionCurrency, 7) {}

bool currui::LoadSkinValues(SkinReport report) {
    if (!ReadPageSkin(report)) return false;
    ReadColours(L"Currency", {L"SumC", L"STC", L"PanC", L"PCEC", L"PBC", L"UPDC", L"BKC"});
    ShowColourOnSliders(m_colours[0]);
    return true;
}

BOOL currui::OnInitDialog() {
    CColourPage::OnInitDialog();
    MarkSectionShown();
    {
        CWaitCursor wait;
        SetSliderRanges(FALSE);
        LoadSkinValues(SkinReport::All);
    }
    FillElements({IDS_UI_TOTALS_BACKGROUND, IDS_UI_TOTALS_TEXT, IDS_UI_PANELS_BACK, IDS_UI_MIDDLE_PANEL_TEXT,
                  IDS_UI_BOTTOM_BUTTONS_TEXT, IDS_UI_UPDATE_DATE, IDS_UI_BACKGROUND_COLOR});
    LayOut();
    return TRUE;
}

void currui::ReloadFromSkin() {
    CWaitCursor wait;
    SetSliderRanges(FALSE);
    // A reload reports only a default skin that cannot be read after a failed chosen one.
    if (!LoadSkinValues(SkinReport::DefaultOnly)) return;
    if (m_listElements.m_hWnd) m_listElements.SetCurSel(0);
}

void currui::InvalidatePreview() {
    if (!m_hWnd) return;
    const CRect areas[] = {CRect(20, 110, 80, 216), CRect(m_nWidth - 35, 110, m_nWidth, 226)};
    for (const CRect& r : areas) InvalidateRect(&r, TRUE);
}

void currui::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    InvalidatePreview();
    int selected = SelectedColourIndex();
    if (selected >= 0) m_colours[static_cast<size_t>(selected)] = ColourFromSliders();
    CColourPage::OnHScroll(nSBCode, nPos, pScrollBar);
}

void currui::OnSelChangeElement() {
    int selected = SelectedColourIndex();
    if (selected >= 0) ShowColourOnSliders(m_colours[static_cast<size_t>(selected)]);
    InvalidatePreview();
}

void currui::OnPaint() {
    CPaintDC dc(this);
    dc.SetBkMode(TRANSPARENT);
    PaintHeader(dc);
    PaintText(dc, IDS_UI_COLORS, 10, 34, 14);
    PaintChannels(dc, IsTallPaint() ? ChannelRows{116, 123, 136, 145} : ChannelRows{106, 113, 120, 127});
}

void currui::LayOut() {
    if (!m_listElements.m_hWnd) return;
    ReadWorkArea();
    const int w = m_nWidth;
    m_listElements.SetWindowPos(nullptr, 10, 49, w - 20, 58, SWP_NOZORDER);
    PlaceSliders(107);
}
