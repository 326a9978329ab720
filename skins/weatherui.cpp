#include "skins/weatherui.h"

#include "core/CommonHelpers.h"
#include "core/TextFiles.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"

IMPLEMENT_DYNCREATE(weatherui, CBackgroundColourPage)

BEGIN_MESSAGE_MAP(weatherui, CBackgroundColourPage)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_EN_SETFOCUS(1002, &weatherui::OnSipFocus)
    ON_EN_SETFOCUS(1003, &weatherui::OnSipFocus)
    ON_WM_HSCROLL()
    ON_LBN_SELCHANGE(IDC_UI_ELEMENTS, &weatherui::OnSelChangeElement)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_SECOND, &weatherui::OnSelChangeIconSet)
END_MESSAGE_MAP()

weatherui::weatherui() : CBackgroundColourPage(IDD_WEATHER_UI, kSectionWeather, 8, IDC_UI_COMBO_THIRD) {}

void weatherui::DoDataExchange(CDataExchange* pDX) {
    CBackgroundColourPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UI_COMBO_SECOND, m_comboIconSet);
}

bool weatherui::LoadSkinValues(SkinReport report) {
    if (!ReadPageSkin(report)) return false;
    ReadBackgroundImages(L"Weather");
    ReadColours(L"Weather", {L"CBBC", L"CBTC", L"FBBC", L"FBTC", L"SATC", L"DAYSC", L"CNSC", L"MOREC"});
    ShowColourOnSliders(m_colours[0]);
    m_strIconSet = SkinValue(L"Weather", L"WICOF");
    CString iconDir = m_strIconSet == L"default" ? GetProgramFolder() + L"\\wiconset\\" : m_strSkinFolder + m_strIconSet;
    m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"icondir", iconDir);
    return true;
}

BOOL weatherui::OnInitDialog() {
    CBackgroundColourPage::OnInitDialog();
    MarkSectionShown();
    {
        CWaitCursor wait;
        SetSliderRanges(FALSE);
        LoadSkinValues(SkinReport::All);
    }
    FillCombos();
    FillElements({IDS_UI_CELCIUS_BACK, IDS_UI_CELCIUS_TEXT, IDS_UI_FAHRENHEIT_BACK, IDS_UI_FAHRENHEIT_TEXT,
                  IDS_UI_SYNC_ALL_TEXT, IDS_UI_DAYS_TEXT, IDS_UI_CITIES_NAMES_TEXT, IDS_UI_MORE_LINK_TEXT});
    m_comboIconSet.SetDroppedWidth(SetUpBackgroundCombos());
    ReadBack(m_comboIconSet, m_strIconSet);
    AdjustComboDropHeight(&m_comboIconSet, 8);
    LayOut();
    return TRUE;
}

void weatherui::FillCombos() {
    if (!m_comboPortrait.m_hWnd) return;
    FillBackgroundCombos();
    m_comboIconSet.ResetContent();
    AddPlainFolders(m_comboIconSet, m_strSkinFolder + L"\\wiconset*");
    CString programFolder = GetProgramFolder();
    if (m_strSkinFolder.CompareNoCase(programFolder) != 0) m_comboIconSet.AddString(kDefaultIconsEntry);
    if (m_strIconSet == L"default" || m_strIconSet == programFolder + L"\\wiconset\\")
        SelectEntry(m_comboIconSet, kDefaultIconsEntry);
    else
        SelectEntry(m_comboIconSet, m_strIconSet);
}

void weatherui::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    int selected = SelectedColourIndex();
    if (selected >= 0) m_colours[static_cast<size_t>(selected)] = ColourFromSliders();
    InvalidatePreview();
    CColourPage::OnHScroll(nSBCode, nPos, pScrollBar);
}

void weatherui::OnSelChangeElement() {
    int selected = SelectedColourIndex();
    if (selected < 0) return;
    ShowColourOnSliders(m_colours[static_cast<size_t>(selected)]);
    InvalidatePreview();
}

void weatherui::OnSelChangeIconSet() { ReadBack(m_comboIconSet, m_strIconSet); }

void weatherui::OnSipFocus() { SHSipPreference(m_hWnd, SIP_UP); }

void weatherui::PaintPage(CDC& dc) {
    dc.SetBkMode(TRANSPARENT);
    PaintHeader(dc);
    const bool tall = IsTallPaint();
    PaintText(dc, IDS_UI_BACKGROUND_IMAGE, 10, 34, 14);
    PaintText(dc, IDS_UI_WEATHER_ICONS_DIR, 10, tall ? 84 : 55, 14);
    PaintText(dc, IDS_UI_COLORS, 10, tall ? 125 : 84, 14);
    PaintPortraitLandscapeLabels(dc);
    // The wide layout starts its image combos after the label as it is painted (14 pixels), so
    // that they do not cover its end.
    m_sizeLabel = MeasureText(IDS_UI_BACKGROUND_IMAGE, 14);
    PaintChannels(dc, tall ? ChannelRows{176, 183, 196, 205} : ChannelRows{106, 113, 120, 127});
}

void weatherui::OnPaint() {
    CPaintDC dc(this);
    PaintPage(dc);
}

void weatherui::OnSize(UINT nType, int cx, int cy) {
    CPropertyPage::OnSize(nType, cx, cy);
    if (!m_listElements.m_hWnd) return;
    ReadWorkArea();
    m_sizeLabel = MeasureText(IDS_UI_BACKGROUND_IMAGE, 14);
    LayOut();
    WidenFirstComboOnSquare(m_comboPortrait);
}

void weatherui::LayOut() { LayOutComboRows(m_comboPortrait, &m_comboLandscape, m_comboIconSet); }
