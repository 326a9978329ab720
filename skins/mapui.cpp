#include "skins/mapui.h"

#include "core/CommonHelpers.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"

IMPLEMENT_DYNCREATE(mapui, CColourPage)

BEGIN_MESSAGE_MAP(mapui, CColourPage)
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_EN_SETFOCUS(1002, &mapui::OnSipFocus)
    ON_EN_SETFOCUS(1003, &mapui::OnSipFocus)
    ON_WM_SETTINGCHANGE()
    ON_WM_HSCROLL()
    ON_LBN_SELCHANGE(IDC_UI_ELEMENTS, &mapui::OnSelChangeElement)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_FIRST, &mapui::OnSelChangePortraitImage)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_SECOND, &mapui::OnSelChangeMapImage)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_THIRD, &mapui::OnSelChangeLandscapeImage)
END_MESSAGE_MAP()

mapui::mapui() : CColourPage(IDD_MAP_UI, kSectionMap, 10) {}

void mapui::DoDataExchange(CDataExchange* pDX) {
    CColourPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UI_COMBO_THIRD, m_comboLandscape);
    DDX_Control(pDX, IDC_UI_COMBO_SECOND, m_comboMapImage);
    DDX_Control(pDX, IDC_UI_COMBO_FIRST, m_comboPortrait);
}

bool mapui::LoadSkinValues(SkinReport report) {
    if (!ReadPageSkin(report)) return false;
    m_strPortraitImage = SkinValue(L"Common Folders", L"P") + SkinValue(L"Map", L"BP");
    m_strLandscapeImage = SkinValue(L"Common Folders", L"L") + SkinValue(L"Map", L"BL");
    m_strSquareImage = SkinValue(L"Common Folders", L"S") + SkinValue(L"Map", L"BS");
    m_strMapImage = SkinValue(L"Map", L"MI");
    ReadColours(L"Map", {L"CNC", L"DCC", L"ACC", L"DC", L"DLC", L"RSTBC", L"RSTTC", L"RSIBC", L"RSITC", L"SHADCLR"});
    ShowColourOnSliders(m_colours[0]);
    return true;
}

BOOL mapui::OnInitDialog() {
    CColourPage::OnInitDialog();
    MarkSectionShown();
    SetSliderRanges(FALSE);
    {
        CWaitCursor wait;
        LoadSkinValues(SkinReport::All);
    }
    FillCombos();
    FillElements({IDS_UI_MAP_CITY_NAME, IDS_UI_MAP_DIGITAL_CLOCK, IDS_UI_MAP_ANALOG_CLOCK, IDS_UI_MAP_DATE,
                  IDS_UI_MAP_DAY_LENGTH, IDS_UI_MAP_RISE_TITLE_BACK, IDS_UI_MAP_RISE_TITLE_TEXT,
                  IDS_UI_MAP_RISE_INSIDE_BACK, IDS_UI_MAP_RISE_INSIDE_TEXT, IDS_UI_MAP_SHADOW});
    bool square = IsSquareScreenNot320();
    m_comboLandscape.ShowWindow(square ? SW_HIDE : SW_SHOW);
    int dropWidth = DropWidthOf(m_comboPortrait);
    for (CComboBox* combo : {&m_comboPortrait, &m_comboLandscape, &m_comboMapImage}) combo->SetDroppedWidth(dropWidth);
    ReadBack(m_comboPortrait, square ? m_strSquareImage : m_strPortraitImage);
    ReadBack(m_comboMapImage, m_strMapImage);
    ReadBack(m_comboLandscape, m_strLandscapeImage);
    for (CComboBox* combo : {&m_comboLandscape, &m_comboMapImage, &m_comboPortrait}) AdjustComboDropHeight(combo, 8);
    LayOut();
    return TRUE;
}

void mapui::ReloadFromSkin() {
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

void mapui::FillCombos() {
    if (!m_comboPortrait.m_hWnd) return;
    for (CComboBox* combo : {&m_comboPortrait, &m_comboLandscape, &m_comboMapImage}) combo->ResetContent();
    if (IsSquareScreenNot320()) {
        AddFiles(m_comboPortrait, m_strSkinFolder + UpToLastBackslash(m_strSquareImage) + L"\\*.jpg");
        SelectEntry(m_comboPortrait, FromLastBackslash(m_strSquareImage));
    } else {
        AddFiles(m_comboPortrait, m_strSkinFolder + UpToLastBackslash(m_strPortraitImage) + L"\\*.jpg");
        AddFiles(m_comboLandscape, m_strSkinFolder + UpToLastBackslash(m_strLandscapeImage) + L"\\*.jpg");
        SelectEntry(m_comboPortrait, FromLastBackslash(m_strPortraitImage));
        SelectEntry(m_comboLandscape, FromLastBackslash(m_strLandscapeImage));
    }
    AddFiles(m_comboMapImage, m_strSkinFolder + L"\\*.jpg");
    SelectEntry(m_comboMapImage, m_strMapImage);
}

void mapui::ShowElement(int index) {
    if (!m_sliderRed.m_hWnd) return;
    int top = index == kShadow ? 1 : 255;
    for (CSliderCtrl* slider : {&m_sliderRed, &m_sliderGreen, &m_sliderBlue}) slider->SetRange(0, top, FALSE);
    DWORD colour = m_colours[static_cast<size_t>(index)];
    if (index == kShadow) {
        // Each channel that is not 0 shows as 1.
        m_sliderRed.SetPos(colour / 1000000u ? 1 : 0);
        m_sliderGreen.SetPos((colour % 1000000u) / 1000u ? 1 : 0);
        m_sliderBlue.SetPos(colour % 1000u ? 1 : 0);
    } else {
        ShowColourOnSliders(colour);
    }
}

void mapui::OnSelChangeElement() {
    int selected = SelectedColourIndex();
    if (selected >= 0) ShowElement(selected);
    InvalidatePreview();
}

void mapui::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    int selected = SelectedColourIndex();
    if (selected == kShadow) {
        auto* moved = reinterpret_cast<CSliderCtrl*>(pScrollBar);
        HWND movedWnd = moved ? moved->m_hWnd : nullptr;
        CSliderCtrl* sliders[] = {&m_sliderRed, &m_sliderGreen, &m_sliderBlue};
        for (CSliderCtrl* slider : sliders) {
            if (slider->m_hWnd == movedWnd && slider->GetPos() == 1) {
                for (CSliderCtrl* other : sliders)
                    if (other != slider) other->SetPos(0);
            }
        }
        if (m_sliderRed.GetPos() == 0 && m_sliderGreen.GetPos() == 0 && m_sliderBlue.GetPos() == 0)
            m_sliderBlue.SetPos(m_sliderBlue.GetRangeMax());
        m_colours[kShadow] = static_cast<DWORD>(m_sliderRed.GetPos()) * 255000000u +
                             static_cast<DWORD>(m_sliderGreen.GetPos()) * 255000u +
                             static_cast<DWORD>(m_sliderBlue.GetPos()) * 255u;
    } else if (selected >= 0) {
        m_colours[static_cast<size_t>(selected)] = ColourFromSliders();
    }
    InvalidatePreview();
    CColourPage::OnHScroll(nSBCode, nPos, pScrollBar);
}

void mapui::OnSelChangePortraitImage() {
    ReadBack(m_comboPortrait, IsSquareScreenNot320() ? m_strSquareImage : m_strPortraitImage);
}

void mapui::OnSelChangeMapImage() { ReadBack(m_comboMapImage, m_strMapImage); }

void mapui::OnSelChangeLandscapeImage() { ReadBack(m_comboLandscape, m_strLandscapeImage); }

void mapui::OnSipFocus() { SHSipPreference(m_hWnd, SIP_UP); }

void mapui::OnDestroy() { CColourPage::OnDestroy(); }

void mapui::OnPaint() {
    CPaintDC dc(this);
    dc.SetBkMode(TRANSPARENT);
    PaintHeader(dc);
    const bool tall = IsTallPaint();
    PaintText(dc, IDS_UI_BACKGROUND_IMAGE, 10, 34, 14);
    PaintText(dc, IDS_UI_WORLD_MAP_IMAGE, 10, tall ? 84 : 55, 14);
    PaintText(dc, IDS_UI_COLORS, 10, tall ? 125 : 84, 14);
    PaintPortraitLandscapeLabels(dc);
    m_sizeLabel = MeasureText(IDS_UI_BACKGROUND_IMAGE, 14);
    int scale = SelectedColourIndex() == kShadow ? 255 : 1;
    PaintChannels(dc, tall ? ChannelRows{176, 183, 196, 205} : ChannelRows{106, 113, 120, 127}, scale);
}

void mapui::OnSize(UINT nType, int cx, int cy) {
    CColourPage::OnSize(nType, cx, cy);
    if (!m_listElements.m_hWnd) return;
    m_sizeLabel = MeasureText(IDS_UI_BACKGROUND_IMAGE, 14);
    LayOut();
    if (IsSquareScreenNot320())
        m_comboPortrait.SetWindowPos(nullptr, m_sizeLabel.cx + 20, 31, m_nWidth - m_sizeLabel.cx - 30, 20, SWP_NOZORDER);
}

void mapui::OnSettingChange(UINT, LPCTSTR) {
    LayOut();
    Invalidate(TRUE);
}

void mapui::LayOut() {
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
        m_comboMapImage.SetWindowPos(nullptr, w / 2, 52, (w - 20) / 2, 20, flags);
    } else {
        m_listElements.SetWindowPos(nullptr, 10, 142, w - 20, 30, flags);
        m_comboPortrait.SetWindowPos(nullptr, 10, 52, (w - 30) / 2, 20, flags);
        m_comboLandscape.SetWindowPos(nullptr, (w - 30) / 2 + 20, 52, (w - 30) / 2, 20, flags);
        m_comboMapImage.SetWindowPos(nullptr, 10, 103, w / 2, 20, flags);
    }
    m_sliderRed.SetWindowPos(nullptr, 100, top, w - 140, 20, flags);
    m_sliderGreen.SetWindowPos(nullptr, 100, top + 20, w - 140, 20, flags);
    m_sliderBlue.SetWindowPos(nullptr, 100, top + 40, w - 140, 20, flags);
}
