#include "skins/weatherui.h"

#include "core/CommonHelpers.h"
#include "core/TextFiles.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"

IMPLEMENT_DYNCREATE(weatherui, CColourPage)

BEGIN_MESSAGE_MAP(weatherui, CColourPage)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_EN_SETFOCUS(1002, &weatherui::OnSipFocus)
    ON_EN_SETFOCUS(1003, &weatherui::OnSipFocus)
    ON_WM_SETTINGCHANGE()
    ON_WM_HSCROLL()
    ON_LBN_SELCHANGE(IDC_UI_ELEMENTS, &weatherui::OnSelChangeElement)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_FIRST, &weatherui::OnSelChangePortraitImage)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_SECOND, &weatherui::OnSelChangeIconSet)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_THIRD, &weatherui::OnSelChangeLandscapeImage)
END_MESSAGE_MAP()

weatherui::weatherui() : CColourPage(IDD_WEATHER_UI, kSectionWeather, 8) {}

void weatherui::DoDataExchange(CDataExchange* pDX) {
    CColourPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UI_COMBO_THIRD, m_comboLandscape);
    DDX_Control(pDX, IDC_UI_COMBO_SECOND, m_comboIconSet);
    DDX_Control(pDX, IDC_UI_COMBO_FIRST, m_comboPortrait);
}

bool weatherui::LoadSkinValues(SkinReport report) {
    if (!ReadPageSkin(report)) return false;
    m_strPortraitImage = SkinValue(L"Common Folders", L"P") + SkinValue(L"Weather", L"BP");
    m_strLandscapeImage = SkinValue(L"Common Folders", L"L") + SkinValue(L"Weather", L"BL");
    m_strSquareImage = SkinValue(L"Common Folders", L"S") + SkinValue(L"Weather", L"BS");
    ReadColours(L"Weather", {L"CBBC", L"CBTC", L"FBBC", L"FBTC", L"SATC", L"DAYSC", L"CNSC", L"MOREC"});
    ShowColourOnSliders(m_colours[0]);
    m_strIconSet = SkinValue(L"Weather", L"WICOF");
    CString iconDir = m_strIconSet == L"default" ? GetProgramFolder() + L"\\wiconset\\" : m_strSkinFolder + m_strIconSet;
    m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"icondir", iconDir);
    return true;
}

BOOL weatherui::OnInitDialog() {
    CColourPage::OnInitDialog();
    MarkSectionShown();
    {
        CWaitCursor wait;
        SetSliderRanges(FALSE);
        LoadSkinValues(SkinReport::All);
    }
    FillCombos();
    FillElements({IDS_UI_CELCIUS_BACK, IDS_UI_CELCIUS_TEXT, IDS_UI_FAHRENHEIT_BACK, IDS_UI_FAHRENHEIT_TEXT,
                  IDS_UI_SYNC_ALL_TEXT, IDS_UI_DAYS_TEXT, IDS_UI_CITIES_NAMES_TEXT, IDS_UI_MORE_LINK_TEXT});
    bool square = IsSquareScreenNot320();
    m_comboLandscape.ShowWindow(square ? SW_HIDE : SW_SHOW);
    int dropWidth = DropWidthOf(m_comboPortrait);
    for (CComboBox* combo : {&m_comboPortrait, &m_comboLandscape, &m_comboIconSet}) combo->SetDroppedWidth(dropWidth);
    ReadBack(m_comboPortrait, square ? m_strSquareImage : m_strPortraitImage);
    ReadBack(m_comboIconSet, m_strIconSet);
    ReadBack(m_comboLandscape, m_strLandscapeImage);
    for (CComboBox* combo : {&m_comboLandscape, &m_comboIconSet, &m_comboPortrait}) AdjustComboDropHeight(combo, 8);
    LayOut();
    return TRUE;
}

void weatherui::ReloadFromSkin() {
    {
        CWaitCursor wait;
        SetSliderRanges(FALSE);
        if (!LoadSkinValues(SkinReport::None)) return;
        if (m_listElements.m_hWnd) m_listElements.SetCurSel(0);
    }
    if (!m_hWnd) return;
    FillCombos();
    m_comboLandscape.ShowWindow(IsSquareScreenNot320() ? SW_HIDE : SW_SHOW);
}

void weatherui::FillCombos() {
    if (!m_comboPortrait.m_hWnd) return;
    for (CComboBox* combo : {&m_comboPortrait, &m_comboLandscape, &m_comboIconSet}) combo->ResetContent();
    if (IsSquareScreenNot320()) {
        AddFiles(m_comboPortrait, m_strSkinFolder + UpToLastBackslash(m_strSquareImage) + L"\\*.jpg");
        SelectEntry(m_comboPortrait, FromLastBackslash(m_strSquareImage));
    } else {
        AddFiles(m_comboPortrait, m_strSkinFolder + UpToLastBackslash(m_strPortraitImage) + L"\\*.jpg");
        AddFiles(m_comboLandscape, m_strSkinFolder + UpToLastBackslash(m_strLandscapeImage) + L"\\*.jpg");
        SelectEntry(m_comboPortrait, FromLastBackslash(m_strPortraitImage));
        SelectEntry(m_comboLandscape, FromLastBackslash(m_strLandscapeImage));
    }
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

void weatherui::OnSelChangePortraitImage() {
    ReadBack(m_comboPortrait, IsSquareScreenNot320() ? m_strSquareImage : m_strPortraitImage);
}

void weatherui::OnSelChangeIconSet() { ReadBack(m_comboIconSet, m_strIconSet); }

void weatherui::OnSelChangeLandscapeImage() { ReadBack(m_comboLandscape, m_strLandscapeImage); }

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
    CColourPage::OnSize(nType, cx, cy);
    if (!m_listElements.m_hWnd) return;
    ReadWorkArea();
    m_sizeLabel = MeasureText(IDS_UI_BACKGROUND_IMAGE, 14);
    LayOut();
    if (IsSquareScreenNot320())
        m_comboPortrait.SetWindowPos(nullptr, m_sizeLabel.cx + 20, 31, m_nWidth - m_sizeLabel.cx - 30, 20, SWP_NOZORDER);
}

void weatherui::OnSettingChange(UINT, LPCTSTR) {
    LayOut();
    Invalidate(TRUE);
}

void weatherui::LayOut() {
    if (!m_listElements.m_hWnd) return;
    ReadWorkArea();
    const int w = m_nWidth, L = m_sizeLabel.cx;
    const UINT flags = SWP_NOZORDER;
    const bool wide = m_nWidth >= m_nHeight && m_nUsableHeight < 245;
    const int top = wide ? 106 : 176;
    if (wide) {
        m_listElements.SetWindowPos(nullptr, 50, 74, w - 60, 32, flags);
        m_comboPortrait.SetWindowPos(nullptr, L + 20, 31, (w - L - 40) / 2, 20, flags);
        m_comboLandscape.SetWindowPos(nullptr, L + (w - L - 40) / 2 + 30, 31, (w - L - 30) / 2, 20, flags);
        m_comboIconSet.SetWindowPos(nullptr, w / 2, 52, (w - 20) / 2, 20, flags);
    } else {
        m_listElements.SetWindowPos(nullptr, 10, 142, w - 20, 30, flags);
        m_comboPortrait.SetWindowPos(nullptr, 10, 52, (w - 30) / 2, 20, flags);
        m_comboLandscape.SetWindowPos(nullptr, (w - 30) / 2 + 20, 52, (w - 30) / 2, 20, flags);
        m_comboIconSet.SetWindowPos(nullptr, 10, 103, w / 2, 20, flags);
    }
    m_sliderRed.SetWindowPos(nullptr, 100, top, w - 140, 20, flags);
    m_sliderGreen.SetWindowPos(nullptr, 100, top + 20, w - 140, 20, flags);
    m_sliderBlue.SetWindowPos(nullptr, 100, top + 40, w - 140, 20, flags);
}
