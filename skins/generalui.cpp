#include "skins/generalui.h"

#include "core/CommonHelpers.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "resources/resource.h"

IMPLEMENT_DYNCREATE(generalui, CColourPage)

BEGIN_MESSAGE_MAP(generalui, CColourPage)
    ON_WM_PAINT()
    ON_WM_HSCROLL()
    ON_LBN_SELCHANGE(IDC_UI_ELEMENTS, &generalui::OnSelChangeElement)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_FIRST, &generalui::OnSelChangeIconSet)
END_MESSAGE_MAP()

generalui::generalui() : CColourPage(IDD_GENERAL_UI, kSectionGeneral, 3) { m_nTallPreviewTop = 166; }

void generalui::DoDataExchange(CDataExchange* pDX) {
    CColourPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UI_COMBO_FIRST, m_comboIconSet);
}

bool generalui::LoadSkinValues() {
    // This page reports skin problems on every read, reloads included.
    if (!ReadPageSkin(SkinReport::All)) return false;
    m_strIconSetFolder = SkinValue(L"General", L"IF");
    ReadColours(L"General", {L"TBC", L"PC", L"PTC"});
    ShowColourOnSliders(m_colours[0]);
    return true;
}

BOOL generalui::OnInitDialog() {
    CColourPage::OnInitDialog();
    MarkSectionShown();
    {
        CWaitCursor wait;
        SetSliderRanges(FALSE);
        LoadSkinValues();
    }
    FillIconSets();
    FillElements({IDS_UI_TOOLBAR_BACKGROUND, IDS_UI_PANEL_COLOR, IDS_UI_PANEL_TEXT_COLOR});
    m_comboIconSet.SetDroppedWidth(DropWidthOf(m_comboIconSet));
    ReadBack(m_comboIconSet, m_strIconSetFolder);
    AdjustComboDropHeight(&m_comboIconSet, 8);
    LayOut();
    return TRUE;
}

void generalui::ReloadFromSkin() {
    {
        CWaitCursor wait;
        SetSliderRanges(FALSE);
        if (!LoadSkinValues()) return;
        if (m_listElements.m_hWnd) m_listElements.SetCurSel(0);
    }
    FillIconSets();
}

void generalui::FillIconSets() {
    if (!m_comboIconSet.m_hWnd) return;
    m_comboIconSet.ResetContent();
    AddPlainFolders(m_comboIconSet, m_strSkinFolder + L"\\toolbar*");
    SelectEntry(m_comboIconSet, m_strIconSetFolder);
}

void generalui::OnSelChangeElement() {
    int selected = SelectedColourIndex();
    if (selected >= 0) ShowColourOnSliders(m_colours[static_cast<size_t>(selected)]);
    InvalidatePreview();
}

void generalui::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    InvalidatePreview();
    int selected = SelectedColourIndex();
    if (selected >= 0) m_colours[static_cast<size_t>(selected)] = ColourFromSliders();
    CColourPage::OnHScroll(nSBCode, nPos, pScrollBar);
}

void generalui::OnSelChangeIconSet() { ReadBack(m_comboIconSet, m_strIconSetFolder); }

void generalui::OnPaint() {
    CPaintDC dc(this);
    dc.SetBkMode(TRANSPARENT);
    PaintHeader(dc);
    PaintText(dc, IDS_UI_TOOLBAR_FOLDER, 10, 34, 14);
    PaintText(dc, IDS_UI_COLORS, 10, 84, 14);
    PaintChannels(dc, IsTallPaint() ? ChannelRows{166, 173, 186, 195} : ChannelRows{106, 113, 120, 127});
}

void generalui::LayOut() {
    if (!m_listElements.m_hWnd) return;
    ReadWorkArea();
    const int w = m_nWidth;
    const UINT flags = SWP_NOZORDER;
    m_comboIconSet.SetWindowPos(nullptr, 10, 52, (w - 30) / 2, 20, flags);
    const int top = IsTallPaint() ? 166 : 106;
    if (IsTallPaint())
        m_listElements.SetWindowPos(nullptr, 10, 102, w - 20, 60, flags);
    else
        m_listElements.SetWindowPos(nullptr, 50, 74, w - 60, 32, flags);
    PlaceSliders(top);
}
