#include "skins/toolsui.h"

#include "core/CommonHelpers.h"
#include "core/CoreMessages.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "resources/resource.h"

namespace {

// The first colour of each tool and its elements' texts.
const int kFirstColour[] = {0, 4, 6, 11, 13};
const UINT kToolNames[] = {IDS_UI_TOOL_MEASUREMENTS, IDS_UI_TOOL_CODES, IDS_UI_TOOL_CLOTHING, IDS_UI_TOOL_PACKING};
const std::vector<UINT> kElementTexts[] = {
    {IDS_UI_CONVERTER_PANEL_BACK, IDS_UI_CONVERTER_PANEL_TEXT, IDS_UI_CONVERTER_BUTTONS_TEXT,
     IDS_UI_CONVERTER_OTHER_TEXTS},
    {IDS_UI_CODES_PANEL_BACK, IDS_UI_CODES_PANEL_TEXT},
    {IDS_UI_CLOTHING_PANEL_BACK, IDS_UI_CLOTHING_BUTTONS_TEXT, IDS_UI_CLOTHING_TABLE_BACK1,
     IDS_UI_CLOTHING_TABLE_BACK2, IDS_UI_CLOTHING_TABLE_TEXT},
    {IDS_UI_PACKING_PANEL_BACK, IDS_UI_PACKING_BUTTON_TEXT},
};

} // namespace

IMPLEMENT_DYNCREATE(toolsui, CColourPage)

BEGIN_MESSAGE_MAP(toolsui, CColourPage)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_HSCROLL()
    ON_LBN_SELCHANGE(IDC_UI_ELEMENTS, &toolsui::OnSelChangeElement)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_SECOND, &toolsui::OnSelChangeImage)
    ON_CBN_SELCHANGE(IDC_UI_COMBO_FIRST, &toolsui::OnSelChangeTool)
END_MESSAGE_MAP()

toolsui::toolsui() : CColourPage(IDD_TOOLS_UI, kSectionTools, 13) {}

int toolsui::ColourIndex(int tool, int element) {
    if (tool < 0 || tool >= kToolCount || element < 0 || element >= ElementCount(tool)) return -1;
    return kFirstColour[tool] + element;
}

int toolsui::ElementCount(int tool) { return kFirstColour[tool + 1] - kFirstColour[tool]; }

void toolsui::DoDataExchange(CDataExchange* pDX) {
    CColourPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UI_COMBO_SECOND, m_comboImage);
    DDX_Control(pDX, IDC_UI_COMBO_FIRST, m_comboTool);
}

int toolsui::SelectedColourIndex() const {
    if (!m_comboTool.m_hWnd) return -1;
    return ColourIndex(m_comboTool.GetCurSel(), m_listElements.GetCurSel());
}

bool toolsui::LoadSkinValues() {
    // Reported on every read, reloads included.
    if (!ReadPageSkin(SkinReport::All)) return false;
    m_strPortraitFolder = SkinValue(L"Common Folders", L"P");
    const wchar_t* imageKeys[] = {L"BC", L"BD", L"BS", L"BP"};
    for (int i = 0; i < kToolCount; ++i) m_strImages[i] = SkinValue(L"Tools", imageKeys[i]);
    ReadColours(L"Tools", {L"PCC", L"PCTC", L"PBCC", L"TLC", L"PCD", L"PCTD", L"PCS", L"PBCS", L"TC1S", L"TC2S",
                           L"TTCS", L"PCP", L"PBCP"});
    ShowColourOnSliders(m_colours[0]);
    return true;
}

BOOL toolsui::OnInitDialog() {
    CColourPage::OnInitDialog();
    MarkSectionShown();
    SetSliderRanges(FALSE);
    {
        CWaitCursor wait;
        LoadSkinValues();
    }
    FillImages();
    FillToolElements(0);
    FillTools();
    DWORD curTab = m_registry.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab");
    if (curTab > 10) m_comboTool.SetCurSel(static_cast<int>(curTab % 10) < kToolCount ? static_cast<int>(curTab % 10) : -1);
    OnSelChangeTool();
    m_comboImage.SetDroppedWidth(DropWidthOf(m_comboImage));
    m_comboTool.SetDroppedWidth(DropWidthOf(m_comboTool));
    AdjustComboDropHeight(&m_comboImage, 8);
    AdjustComboDropHeight(&m_comboTool, 8);
    LayOut();
    return TRUE;
}

void toolsui::ReloadFromSkin() {
    {
        CWaitCursor wait;
        SetSliderRanges(FALSE);
        if (!LoadSkinValues()) return;
    }
    if (!m_hWnd) return;
    FillImages();
    FillToolElements(0);
    FillTools();
}

void toolsui::FillImages() {
    if (!m_comboImage.m_hWnd) return;
    m_comboImage.ResetContent();
    AddFiles(m_comboImage, m_strSkinFolder + m_strPortraitFolder + L"\\*.jpg");
    SelectEntry(m_comboImage, m_strImages[0]);
}

void toolsui::FillToolElements(int tool) {
    if (!m_listElements.m_hWnd) return;
    FillElements(kElementTexts[tool]);
}

void toolsui::FillTools() {
    if (!m_comboTool.m_hWnd) return;
    m_comboTool.ResetContent();
    for (UINT id : kToolNames) m_comboTool.AddString(LoadCoreString(id));
    m_comboTool.SetCurSel(0);
}

void toolsui::OnSelChangeTool() {
    int tool = m_comboTool.GetCurSel();
    if (tool >= 0 && tool < kToolCount) {
        SelectEntry(m_comboImage, m_strImages[tool]);
        FillToolElements(tool);
        ShowColourOnSliders(m_colours[static_cast<size_t>(kFirstColour[tool])]);
    }
    InvalidatePreview();
}

void toolsui::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
    int index = SelectedColourIndex();
    if (index >= 0) m_colours[static_cast<size_t>(index)] = ColourFromSliders();
    InvalidatePreview();
    CColourPage::OnHScroll(nSBCode, nPos, pScrollBar);
}

void toolsui::OnSelChangeElement() {
    int index = SelectedColourIndex();
    if (index < 0) return;
    ShowColourOnSliders(m_colours[static_cast<size_t>(index)]);
    InvalidatePreview();
}

void toolsui::OnSelChangeImage() {
    int tool = m_comboTool.GetCurSel();
    if (tool >= 0 && tool < kToolCount) ReadBack(m_comboImage, m_strImages[tool]);
}

void toolsui::OnPaint() {
    CPaintDC dc(this);
    dc.SetBkMode(TRANSPARENT);
    PaintHeader(dc);
    const bool tall = IsTallPaint();
    m_sizeLabel = PaintText(dc, IDS_UI_TOOL, 10, 34, 14);
    PaintText(dc, IDS_UI_BACKGROUND_IMAGE, 10, tall ? 84 : 55, 14);
    PaintText(dc, IDS_UI_COLORS, 10, tall ? 125 : 84, 14);
    PaintChannels(dc, tall ? ChannelRows{176, 183, 196, 205} : ChannelRows{106, 113, 120, 127});
}

void toolsui::OnSize(UINT nType, int cx, int cy) {
    CPropertyPage::OnSize(nType, cx, cy);
    if (!m_listElements.m_hWnd) return;
    m_sizeLabel = MeasureText(IDS_UI_TOOL, 14);
    LayOut();
    WidenFirstComboOnSquare(m_comboTool);
}

void toolsui::LayOut() { LayOutComboRows(m_comboTool, nullptr, m_comboImage); }
