#include "skins/mapui.h"

#include "core/CommonHelpers.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"

IMPLEMENT_DYNCREATE(mapui, CBackgroundColourPage)

BEGIN_MESSAGE_MAP(mapui, CBackgroundColourPage)
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_EN_SETFOCUS(1002, &mapui::OnSipFocus)
    ON_EN_SETFOCUS(1003, &mapui::OnSipFocus)
    ON_WM_HSCROLL()
    ON_LBN_SELCHANGE(IDC_UI_ELEMENTS, &mapui::OnSelChangeElement)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_SECOND, &mapui::OnSelChangeMapImage)
END_MESSAGE_MAP()

mapui::mapui() : CBackgroundColourPage(IDD_MAP_UI, kSectionMap, 10, IDC_UI_COMBO_THIRD) {}

void mapui::DoDataExchange(CDataExchange* pDX) {
    CBackgroundColourPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UI_COMBO_SECOND, m_comboMapImage);
}

bool mapui::LoadSkinValues(SkinReport report) {
    if (!ReadPageSkin(report)) return false;
    ReadBackgroundImages(L"Map");
    m_strMapImage = SkinValue(L"Map", L"MI");
    ReadColours(L"Map", {L"CNC", L"DCC", L"ACC", L"DC", L"DLC", L"RSTBC", L"RSTTC", L"RSIBC", L"RSITC", L"SHADCLR"});
    ShowColourOnSliders(m_colours[0]);
    return true;
}

BOOL mapui::OnInitDialog() {
    CBackgroundColourPage::OnInitDialog();
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
    m_comboMapImage.SetDroppedWidth(SetUpBackgroundCombos());
    ReadBack(m_comboMapImage, m_strMapImage);
    AdjustComboDropHeight(&m_comboMapImage, 8);
    LayOut();
    return TRUE;
}

void mapui::FillCombos() {
    if (!m_comboPortrait.m_hWnd) return;
    FillBackgroundCombos();
    m_comboMapImage.ResetContent();
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

void mapui::OnSelChangeMapImage() { ReadBack(m_comboMapImage, m_strMapImage); }

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
    CPropertyPage::OnSize(nType, cx, cy);
    if (!m_listElements.m_hWnd) return;
    m_sizeLabel = MeasureText(IDS_UI_BACKGROUND_IMAGE, 14);
    LayOut();
    WidenFirstComboOnSquare(m_comboPortrait);
}

void mapui::LayOut() { LayOutComboRows(m_comboPortrait, &m_comboLandscape, m_comboMapImage); }
