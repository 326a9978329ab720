#include "skins/ColourPage.h"

#include "core/CoreMessages.h"
#include "core/CommonHelpers.h"
#include "core/SkinFile.h"
#include "core/TextFiles.h"
#include "platform/framework/DataExchange.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "platform/system/DeviceFiles.h"
#include "resources/resource.h"
#include "skins/Ui.h"

#include <algorithm>
#include <cwchar>

namespace {
constexpr int kSliderLeft = 100; // the channel sliders' left edge
} // namespace

IMPLEMENT_DYNAMIC(CColourPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CColourPage, CPropertyPage)
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_SETTINGCHANGE()
END_MESSAGE_MAP()

CColourPage::CColourPage(UINT nIDTemplate, int section, int colourCount)
    : CPropertyPage(nIDTemplate), m_colours(static_cast<size_t>(colourCount), 0u), m_nSection(section) {}

void CColourPage::DoDataExchange(CDataExchange* pDX) {
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UI_BLUE, m_sliderBlue);
    DDX_Control(pDX, IDC_UI_GREEN, m_sliderGreen);
    DDX_Control(pDX, IDC_UI_RED, m_sliderRed);
    DDX_Control(pDX, IDC_UI_ELEMENTS, m_listElements);
}

void CColourPage::OnDestroy() {
    CPropertyPage::OnDestroy();
    m_penPreview.DeleteObject();
    m_brushPreview.DeleteObject();
}

void CColourPage::OnSize(UINT nType, int cx, int cy) {
    CPropertyPage::OnSize(nType, cx, cy);
    LayOut();
}

void CColourPage::OnSettingChange(UINT, LPCTSTR) {
    LayOut();
    Invalidate(TRUE);
}

// [SECTION] Values and skin reading ------------------------------------------------------------

bool CColourPage::ReadPageSkin(SkinReport report) {
    CurrentSkin skin = LoadCurrentSkin(L"<");
    if (skin.chosenUnreadable) {
        if (report == SkinReport::All) {
            ShowCoreMessage(IDS_SKIN_UNREADABLE);
            m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", GetShippedFilePath(L"default.skn"));
        }
    }
    m_strSkinName = skin.name;
    if (!skin.loaded) {
        if (report == SkinReport::All || (report == SkinReport::DefaultOnly && skin.chosenUnreadable))
            ShowCoreMessage(IDS_DEFAULT_SKIN_UNREADABLE);
        return false;
    }
    m_strPageText = skin.text;
    m_strSkinFolder = skin.folder;
    return true;
}

CString CColourPage::SkinValue(LPCWSTR section, LPCWSTR key) const {
    return GetSkinValue(GetSkinSection(m_strPageText, section), key);
}

DWORD CColourPage::ParseColour(const CString& text) {
    // Digits from the start, as an unsigned 32-bit number; anything else reads as 0.
    unsigned long long value = 0;
    int i = 0;
    while (i < text.GetLength() && text[i] == L' ') ++i;
    for (; i < text.GetLength() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + static_cast<unsigned>(text[i] - L'0');
        if (value > 0xFFFFFFFFull) value = 0xFFFFFFFFull;
    }
    return static_cast<DWORD>(value);
}

void CColourPage::ReadColours(LPCWSTR section, std::initializer_list<const wchar_t*> keys) {
    CString text = GetSkinSection(m_strPageText, section);
    size_t i = 0;
    for (const wchar_t* key : keys) {
        if (i >= m_colours.size()) break;
        m_colours[i++] = ParseColour(GetSkinValue(text, key));
    }
}

void CColourPage::MarkSectionShown() {
    if (auto* sheet = DYNAMIC_DOWNCAST(CUi, GetParentSheet())) sheet->m_bSectionShown[m_nSection] = 1;
}

// [SECTION] Sliders and element list -----------------------------------------------------------

void CColourPage::SetSliderRanges(BOOL redraw) {
    if (!m_sliderRed.m_hWnd) return;
    m_sliderRed.SetRange(0, 255, redraw);
    m_sliderGreen.SetRange(0, 255, redraw);
    m_sliderBlue.SetRange(0, 255, redraw);
}

void CColourPage::ShowColourOnSliders(DWORD colour) {
    if (!m_sliderRed.m_hWnd) return;
    // Each slider clamps a channel above 255 to its limit.
    m_sliderRed.SetPos(static_cast<int>(colour / 1000000u));
    m_sliderGreen.SetPos(static_cast<int>((colour % 1000000u) / 1000u));
    m_sliderBlue.SetPos(static_cast<int>(colour % 1000u));
}

void CColourPage::PlaceSliders(int top) {
    const int width = m_nWidth - 140;
    m_sliderRed.SetWindowPos(nullptr, kSliderLeft, top, width, 20, SWP_NOZORDER);
    m_sliderGreen.SetWindowPos(nullptr, kSliderLeft, top + 20, width, 20, SWP_NOZORDER);
    m_sliderBlue.SetWindowPos(nullptr, kSliderLeft, top + 40, width, 20, SWP_NOZORDER);
}

void CColourPage::PlaceElementList(int left, int top, int width, int highestTop, int bottom) {
    // The list's frame, and its rows in the list's own font.
    CRect outer, inner;
    m_listElements.GetWindowRect(&outer);
    m_listElements.GetClientRect(&inner);
    const int frame = std::max(0, outer.Height() - inner.Height());
    const int row = std::max(1, m_listElements.GetItemHeight(0));
    // Two rows at the least where the row above leaves room; never a row cut in half.
    if (top + 2 * row + frame > bottom) top = std::max(highestTop, bottom - (2 * row + frame));
    const int rows = std::max(1, (bottom - top - frame) / row);
    m_listElements.SetWindowPos(nullptr, left, top, width, rows * row + frame, SWP_NOZORDER);
}

void CColourPage::LayOutComboRows(CComboBox& first, CComboBox* landscape, CComboBox& second) {
    if (!m_listElements.m_hWnd) return;
    ReadWorkArea();
    const int w = m_nWidth, L = m_sizeLabel.cx;
    const UINT flags = SWP_NOZORDER;
    // Wide: a landscape screen too short for the rows under each other.
    const bool wide = m_nWidth >= m_nHeight && m_nUsableHeight < 245;
    if (wide) {
        PlaceElementList(50, 74, w - 60, 72, 106);
        first.SetWindowPos(nullptr, L + 20, 31, (w - L - 40) / 2, 20, flags);
        if (landscape) landscape->SetWindowPos(nullptr, L + (w - L - 40) / 2 + 30, 31, (w - L - 30) / 2, 20, flags);
        second.SetWindowPos(nullptr, w / 2, 52, (w - 20) / 2, 20, flags);
    } else {
        PlaceElementList(10, 142, w - 20, 142, 176);
        if (landscape) {
            first.SetWindowPos(nullptr, 10, 52, (w - 30) / 2, 20, flags);
            landscape->SetWindowPos(nullptr, (w - 30) / 2 + 20, 52, (w - 30) / 2, 20, flags);
        } else {
            first.SetWindowPos(nullptr, 10, 52, w / 2, 20, flags);
        }
        second.SetWindowPos(nullptr, 10, 103, w / 2, 20, flags);
    }
    PlaceSliders(wide ? 106 : 176);
}

void CColourPage::WidenFirstComboOnSquare(CComboBox& first) {
    if (IsSquareScreenNot320())
        first.SetWindowPos(nullptr, m_sizeLabel.cx + 20, 31, m_nWidth - m_sizeLabel.cx - 30, 20, SWP_NOZORDER);
}

DWORD CColourPage::ColourFromSliders() const {
    return static_cast<DWORD>(m_sliderRed.GetPos()) * 1000000u + static_cast<DWORD>(m_sliderGreen.GetPos()) * 1000u +
           static_cast<DWORD>(m_sliderBlue.GetPos());
}

int CColourPage::SelectedColourIndex() const {
    if (!m_listElements.m_hWnd) return -1;
    int selected = m_listElements.GetCurSel();
    return selected >= 0 && selected < ColourCount() ? selected : -1;
}

void CColourPage::FillElements(const std::vector<UINT>& ids) {
    if (!m_listElements.m_hWnd) return;
    m_listElements.ResetContent();
    for (UINT id : ids) {
        m_strWork = id ? LoadCoreString(id) : CString(L".::.");
        m_listElements.AddString(m_strWork);
    }
    m_listElements.SetCurSel(0);
}

void CColourPage::InvalidatePreview() {
    if (!m_hWnd) return;
    const int top = m_nTallPreviewTop;
    const CRect areas[] = {CRect(20, top, 80, top + 50), CRect(m_nWidth - 35, top, m_nWidth, 226),
                           CRect(20, 106, 80, 156), CRect(m_nWidth - 35, 106, m_nWidth, 166)};
    for (const CRect& r : areas) InvalidateRect(&r, TRUE);
}

// [SECTION] Painting helpers -------------------------------------------------------------------

void MakePageFont(CFont& font, int height, int weight) {
    font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
}

void PaintPageTitleBand(CDC& dc, int width) {
    CBrush band(RGB(194, 211, 228));
    CPen edge(PS_SOLID, 1, RGB(160, 172, 192));
    CBrush* oldBrush = dc.SelectObject(&band);
    CPen* oldPen = dc.SelectObject(&edge);
    dc.Rectangle(0, -2, width, 28);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
    CFont title;
    MakePageFont(title, 18, FW_BOLD);
    CFont* oldFont = dc.SelectObject(&title);
    dc.TextOut(5, 5, LoadCoreString(IDS_UI_TITLE));
    dc.SelectObject(oldFont);
}

int PageLayoutWidth(const CWnd& page, int workWidth) {
    if (!page.m_hWnd) return workWidth;
    HWND sheet = ::GetParent(page.m_hWnd);
    if (!sheet || !(::GetWindowLongW(sheet, GWL_STYLE) & WS_VSCROLL)) return workWidth;
    CRect client;
    page.GetClientRect(&client);
    return client.Width() > 0 ? std::min(workWidth, static_cast<int>(client.Width())) : workWidth;
}

void CColourPage::ReadWorkArea() {
    const WorkAreaMetrics area = ReadWorkAreaMetrics();
    m_nWidth = PageLayoutWidth(*this, area.width);
    m_nHeight = area.height;
    m_nMenuHeight = area.menuHeight;
    m_nUsableHeight = area.usableHeight;
}

void CColourPage::PaintHeader(CDC& dc) { PaintPageTitleBand(dc, m_nWidth); }

CSize CColourPage::PaintText(CDC& dc, UINT id, int x, int y, int height, int weight) {
    CFont font;
    MakePageFont(font, height, weight);
    CFont* old = dc.SelectObject(&font);
    m_strWork = LoadCoreString(id);
    CSize size = dc.GetTextExtent(m_strWork);
    dc.TextOut(x, y, m_strWork);
    dc.SelectObject(old);
    return size;
}

CSize CColourPage::MeasureText(UINT id, int height, int weight) {
    CClientDC dc(this);
    CFont font;
    MakePageFont(font, height, weight);
    CFont* old = dc.SelectObject(&font);
    CSize size = dc.GetTextExtent(LoadCoreString(id));
    dc.SelectObject(old);
    return size;
}

void CColourPage::PaintChannels(CDC& dc, const ChannelRows& rows, int scale) {
    int red = m_sliderRed.GetPos(), green = m_sliderGreen.GetPos(), blue = m_sliderBlue.GetPos();
    int shown[3] = {red * scale, green * scale, blue * scale};
    COLORREF colour = RGB(shown[0] & 0xFF, shown[1] & 0xFF, shown[2] & 0xFF);

    CFont font;
    MakePageFont(font, 12, FW_NORMAL);
    CFont* oldFont = dc.SelectObject(&font);
    // The three labels stand at one x from which each ends before the sliders, which would
    // cover the last character of a wider one ("G:" is wider than "R:" and "B:").
    const CString labels[3] = {CString(L"R:"), LoadCoreString(IDS_UI_G), CString(L"B:")};
    int widest = 0;
    for (const CString& label : labels) widest = std::max(widest, static_cast<int>(dc.GetTextExtent(label).cx));
    const int labelX = std::min(90, kSliderLeft - 2 - widest);
    for (int i = 0; i < 3; ++i) dc.TextOut(labelX, rows.labelY + 20 * i, labels[i]);
    for (int i = 0; i < 3; ++i) {
        CString value;
        value.Format(L"%d", shown[i]);
        dc.TextOut(m_nWidth - 35, rows.labelY + 20 * i, value);
    }

    m_penPreview.DeleteObject();
    m_brushPreview.DeleteObject();
    m_brushPreview.CreateSolidBrush(colour);
    m_penPreview.CreatePen(PS_SOLID, 2, colour);
    CPen* oldPen = dc.SelectObject(&m_penPreview);
    dc.MoveTo(25, rows.thinY);
    dc.LineTo(75, rows.thinY);
    CPen thick(PS_SOLID, 3, colour);
    dc.SelectObject(&thick);
    dc.MoveTo(25, rows.thickY);
    dc.LineTo(75, rows.thickY);
    dc.SelectObject(oldPen);

    CFont bold;
    MakePageFont(bold, 12, FW_BOLD);
    dc.SelectObject(&bold);
    dc.SetTextColor(colour);
    dc.TextOut(21, rows.sampleY, CString(L"12:AA:bb"));
    dc.SelectObject(oldFont);
}

void CColourPage::PaintPortraitLandscapeLabels(CDC& dc) {
    if (IsSquareScreenNot320()) return;
    const int half = (m_nWidth - 30) / 2;
    CSize portrait = MeasureText(IDS_UI_PORTRAIT, 12);
    PaintText(dc, IDS_UI_PORTRAIT, (half - portrait.cx + 20) / 2, 71, 12);
    CSize landscape = MeasureText(IDS_UI_LANDSCAPE, 12);
    PaintText(dc, IDS_UI_LANDSCAPE, half + (half - landscape.cx + 20) / 2 + 10, 71, 12);
}

// [SECTION] Combo helpers ----------------------------------------------------------------------

void CColourPage::AddFiles(CComboBox& combo, const CString& pattern) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) combo.AddString(CString(L"\\") + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void CColourPage::AddPlainFolders(CComboBox& combo, const CString& pattern) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY)
            combo.AddString(CString(L"\\") + found.cFileName + L"\\");
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

CString CColourPage::FromLastBackslash(const CString& value) {
    int cut = value.ReverseFind(L'\\');
    return cut >= 0 ? value.Mid(cut) : value;
}

CString CColourPage::UpToLastBackslash(const CString& value) {
    int cut = value.ReverseFind(L'\\');
    return cut >= 0 ? value.Left(cut) : CString();
}

int CColourPage::SelectEntry(CComboBox& combo, const CString& text) {
    int index = combo.FindStringExact(-1, text);
    combo.SetCurSel(index);
    return index;
}

void CColourPage::ReadBack(CComboBox& combo, CString& value) {
    int selected = combo.GetCurSel();
    if (selected >= 0) combo.GetLBText(selected, value);
}

int CColourPage::DropWidthOf(CComboBox& measured) {
    CDC* dc = measured.GetDC();
    CFont* old = dc->SelectObject(measured.GetFont());
    int widest = 0;
    for (int i = 0; i < measured.GetCount(); ++i) {
        CString text;
        measured.GetLBText(i, text);
        CSize size = dc->GetTextExtent(text);
        if (size.cx > widest) widest = size.cx;
    }
    dc->SelectObject(old);
    measured.ReleaseDC(dc);
    return widest + 2 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL);
}

// [SECTION] Background images ------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CBackgroundColourPage, CColourPage)

BEGIN_MESSAGE_MAP(CBackgroundColourPage, CColourPage)
    ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_UI_COMBO_FIRST, IDC_UI_COMBO_THIRD, &CBackgroundColourPage::OnSelChangeCombo)
END_MESSAGE_MAP()

CBackgroundColourPage::CBackgroundColourPage(UINT nIDTemplate, int section, int colourCount, UINT landscapeComboId)
    : CColourPage(nIDTemplate, section, colourCount), m_nLandscapeComboId(landscapeComboId) {}

void CBackgroundColourPage::DoDataExchange(CDataExchange* pDX) {
    CColourPage::DoDataExchange(pDX);
    DDX_Control(pDX, m_nLandscapeComboId, m_comboLandscape);
    DDX_Control(pDX, IDC_UI_COMBO_FIRST, m_comboPortrait);
}

void CBackgroundColourPage::ReloadFromSkin() {
    {
        CWaitCursor wait;
        SetSliderRanges(FALSE);
        if (!LoadSkinValues(SkinReport::None)) return;
        if (m_listElements.m_hWnd) m_listElements.SetCurSel(0);
    }
    if (!m_hWnd) return;
    FillCombos();
    ShowLandscapeCombo();
}

void CBackgroundColourPage::ReadBackgroundImages(LPCWSTR section) {
    m_strPortraitImage = SkinValue(L"Common Folders", L"P") + SkinValue(section, L"BP");
    m_strLandscapeImage = SkinValue(L"Common Folders", L"L") + SkinValue(section, L"BL");
    m_strSquareImage = SkinValue(L"Common Folders", L"S") + SkinValue(section, L"BS");
}

void CBackgroundColourPage::FillBackgroundCombos() {
    if (!m_comboPortrait.m_hWnd) return;
    m_comboPortrait.ResetContent();
    m_comboLandscape.ResetContent();
    if (IsSquareScreenNot320()) {
        AddFiles(m_comboPortrait, m_strSkinFolder + UpToLastBackslash(m_strSquareImage) + L"\\*.jpg");
        SelectEntry(m_comboPortrait, FromLastBackslash(m_strSquareImage));
        return;
    }
    AddFiles(m_comboPortrait, m_strSkinFolder + UpToLastBackslash(m_strPortraitImage) + L"\\*.jpg");
    AddFiles(m_comboLandscape, m_strSkinFolder + UpToLastBackslash(m_strLandscapeImage) + L"\\*.jpg");
    SelectEntry(m_comboPortrait, FromLastBackslash(m_strPortraitImage));
    SelectEntry(m_comboLandscape, FromLastBackslash(m_strLandscapeImage));
}

int CBackgroundColourPage::SetUpBackgroundCombos() {
    ShowLandscapeCombo();
    int dropWidth = DropWidthOf(m_comboPortrait);
    m_comboPortrait.SetDroppedWidth(dropWidth);
    m_comboLandscape.SetDroppedWidth(dropWidth);
    OnSelChangePortraitImage();
    OnSelChangeLandscapeImage();
    AdjustComboDropHeight(&m_comboPortrait, 8);
    AdjustComboDropHeight(&m_comboLandscape, 8);
    return dropWidth;
}

void CBackgroundColourPage::ShowLandscapeCombo() {
    m_comboLandscape.ShowWindow(IsSquareScreenNot320() ? SW_HIDE : SW_SHOW);
}

void CBackgroundColourPage::OnSelChangePortraitImage() {
    ReadBack(m_comboPortrait, IsSquareScreenNot320() ? m_strSquareImage : m_strPortraitImage);
}

void CBackgroundColourPage::OnSelChangeLandscapeImage() { ReadBack(m_comboLandscape, m_strLandscapeImage); }

void CBackgroundColourPage::OnSelChangeCombo(UINT id) {
    if (id == IDC_UI_COMBO_FIRST)
        OnSelChangePortraitImage();
    else if (id == m_nLandscapeComboId)
        OnSelChangeLandscapeImage();
}
