#include "skins/clocksui.h"

#include "core/CommonHelpers.h"
#include "core/SkinFile.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"

IMPLEMENT_DYNCREATE(clocksui, CBackgroundColourPage)

BEGIN_MESSAGE_MAP(clocksui, CBackgroundColourPage)
    ON_WM_PAINT()
    ON_WM_HSCROLL()
    ON_LBN_SELCHANGE(IDC_UI_ELEMENTS, &clocksui::OnSelChangeElement)
    ON_WM_DESTROY()
    ON_EN_SETFOCUS(1002, &clocksui::OnSipFocus)
    ON_EN_KILLFOCUS(1002, &clocksui::OnSipKillFocus)
END_MESSAGE_MAP()

clocksui::clocksui() : CBackgroundColourPage(IDD_CLOCKS_UI, kSectionClocks, 9, IDC_UI_COMBO_SECOND) {
    m_nTallPreviewTop = 166;
}

void clocksui::DoDataExchange(CDataExchange* pDX) {
    CBackgroundColourPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UI_UPDATE, m_buttonUpdate);
}

bool clocksui::LoadSkinValues(SkinReport report) {
    if (!ReadPageSkin(report)) return false;
    ReadBackgroundImages(L"Clocks");
    ReadColours(L"Clocks", {L"CMDC", L"CMD", L"CMCN", L"CMAC", L"CMSC", L"CODC", L"COD", L"COCN", L"COAC"});
    ShowColourOnSliders(m_colours[0]);
    return true;
}

BOOL clocksui::OnInitDialog() {
    CBackgroundColourPage::OnInitDialog();
    MarkSectionShown();
    m_bSipFlag = 0;
    {
        CWaitCursor wait;
        SetSliderRanges(FALSE);
        MakePageFont(m_fontButton, 12, 500);
        m_buttonUpdate.SetFont(&m_fontButton, TRUE);
        LoadSkinValues(SkinReport::All);
    }
    FillBackgroundCombos();
    InvalidatePreview();
    FillElements({IDS_UI_MAIN_DIGITAL_CLOCK, IDS_UI_MAIN_DATE, IDS_UI_MAIN_CITY_NAME, IDS_UI_MAIN_ANALOG_CLOCK, 0,
                  IDS_UI_OTHER_DIGITAL_CLOCKS, IDS_UI_OTHER_DATES, IDS_UI_OTHER_CITIES_NAMES,
                  IDS_UI_OTHER_ANALOG_CLOCKS});
    SetUpBackgroundCombos();
    // The Update button holds the focus; while it is hidden it cannot, and the element list,
    // which the user works in, holds it instead.
    m_buttonUpdate.SetFocus();
    if (::GetFocus() != m_buttonUpdate.m_hWnd) m_listElements.SetFocus();
    LayOut();
    return FALSE;
}

void clocksui::ReloadFromSkin() {
    CWaitCursor wait;
    SetSliderRanges(FALSE);
    if (!LoadSkinValues(SkinReport::None)) return;
    if (!m_hWnd) return;
    m_listElements.SetCurSel(0);
    FillBackgroundCombos();
}

void clocksui::OnSelChangeElement() {
    if (m_listElements.GetCurSel() == kSeparator) m_listElements.SetCurSel(kSeparator + 1);
    int selected = SelectedColourIndex();
    if (selected >= 0) ShowColourOnSliders(m_colours[static_cast<size_t>(selected)]);
    InvalidatePreview();
}

void clocksui::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    InvalidatePreview();
    int selected = SelectedColourIndex();
    if (selected >= 0 && selected != kSeparator) m_colours[static_cast<size_t>(selected)] = ColourFromSliders();
    CColourPage::OnHScroll(nSBCode, nPos, pScrollBar);
}

void clocksui::OnPaint() {
    CPaintDC dc(this);
    dc.SetBkMode(TRANSPARENT);
    PaintHeader(dc);
    m_sizeLabel = PaintText(dc, IDS_UI_BACKGROUND_IMAGE, 10, 34, 14);
    PaintText(dc, IDS_UI_COLORS, 10, 84, 14);
    PaintPortraitLandscapeLabels(dc);
    PaintChannels(dc, IsTallPaint() ? ChannelRows{166, 173, 186, 195} : ChannelRows{106, 113, 120, 127});
    if (m_buttonUpdate.m_hWnd) m_buttonUpdate.SetFocus();
}

void clocksui::LayOut() {
    if (!m_listElements.m_hWnd) return;
    ReadWorkArea();
    const int w = m_nWidth, half = (w - 30) / 2;
    const UINT flags = SWP_NOZORDER;
    m_comboPortrait.SetWindowPos(nullptr, 10, 52, half, 20, flags);
    m_comboLandscape.SetWindowPos(nullptr, half + 20, 52, half, 20, flags);
    if (IsTallPaint()) {
        m_listElements.SetWindowPos(nullptr, 10, 102, w - 20, 60, flags);
        PlaceSliders(166);
        m_buttonUpdate.SetWindowPos(nullptr, 20, 215, 60, 20, flags);
    } else {
        m_listElements.SetWindowPos(nullptr, 50, 74, w - 60, 32, flags);
        PlaceSliders(106);
        m_buttonUpdate.SetWindowPos(nullptr, 20, 140, 60, 20, flags);
    }
}

void clocksui::OnDestroy() {
    CColourPage::OnDestroy();
    m_fontButton.DeleteObject();
}

void clocksui::OnSipFocus() {
    if (m_bSipFlag) {
        SHSipPreference(m_hWnd, SIP_UP);
        m_comboPortrait.SetFocus();
    }
}

void clocksui::OnSipKillFocus() { m_bSipFlag = 1; }
