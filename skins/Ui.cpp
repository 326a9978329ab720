#include "skins/Ui.h"

#include "core/CoreMessages.h"
#include "core/StorageFaults.h"
#include "core/TextFiles.h"
#include "platform/framework/WaitCursor.h"
#include "skins/SkinWriter.h"
#include "resources/resource.h"

IMPLEMENT_DYNAMIC(CUi, CPropertySheet)

BEGIN_MESSAGE_MAP(CUi, CPropertySheet)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

// The file a kept name stands for.
CString SkinPathOf(const CString& name) {
    return name == L"default" ? GetProgramFolder() + L"\\default.skn" : name;
}

// An image value as the writer stores it: from its last "\" on.
CString ImageName(const CString& value) {
    int cut = value.ReverseFind(L'\\');
    return cut >= 0 ? value.Mid(cut) : value;
}

CString ColourText(DWORD colour) {
    CString text;
    text.Format(L"%lu", static_cast<unsigned long>(colour));
    return text;
}

} // namespace

CUi::CUi(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage) : CPropertySheet(pszCaption, pParentWnd, iSelectPage) {
    AddPage(&m_pageLoad);
    AddPage(&m_pageGeneral);
    AddPage(&m_pageClocks);
    AddPage(&m_pageWeather);
    AddPage(&m_pageMap);
    AddPage(&m_pageCurrency);
    AddPage(&m_pageTools);
}

CUi::~CUi() { delete m_pCommandBar; }

void CUi::ReadKeptSkin() {
    m_strKeptName = m_registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin");
    if (m_strKeptName.IsEmpty()) m_strKeptName = L"default";
    m_strKeptText.Empty();
    CTextFileHandle file(OpenTextFile(SkinPathOf(m_strKeptName), TextFileKind::Skin));
    if (file) m_strKeptText = ReadFileToken(file.Get(), L"<");
}

BOOL CUi::OnInitDialog() {
    BOOL result = CPropertySheet::OnInitDialog();
    m_pCommandBar = new CCeCommandBar;
    if (!m_pCommandBar->Create(this)) {
        delete m_pCommandBar;
        m_pCommandBar = nullptr;
    }
    for (int i = 0; i < GetPageCount(); ++i) GetPage(i)->m_pSheet = this;
    ReadKeptSkin();
    return result;
}

void CUi::LoadSkin() {
    ReadKeptSkin();
    m_pageGeneral.ReloadFromSkin();
    m_pageClocks.ReloadFromSkin();
    m_pageWeather.ReloadFromSkin();
    m_pageMap.ReloadFromSkin();
    m_pageCurrency.ReloadFromSkin();
    m_pageTools.ReloadFromSkin();
}

void CUi::OnDestroy() {
    CPropertySheet::OnDestroy();
    SaveSkin();
    delete m_pCommandBar;
    m_pCommandBar = nullptr;
}

std::vector<SkinSectionEdit> CUi::CollectEdits() const {
    std::vector<SkinSectionEdit> edits;

    const generalui& general = m_pageGeneral;
    edits.push_back({L"[General]", m_bSectionShown[kSectionGeneral] != 0, {},
                     {{L"IF", general.IconSetFolder()},
                      {L"TBC", ColourText(general.GetColour(0))},
                      {L"PC", ColourText(general.GetColour(1))},
                      {L"PTC", ColourText(general.GetColour(2))}}});

    const clocksui& clocks = m_pageClocks;
    SkinSectionEdit clocksEdit{L"[Clocks]", m_bSectionShown[kSectionClocks] != 0, {},
                               {{L"BP", ImageName(clocks.PortraitImage())},
                                {L"BL", ImageName(clocks.LandscapeImage())},
                                {L"BS", ImageName(clocks.SquareImage())}}};
    // Element order CMDC CMD CMCN CMAC CMSC CODC COD COCN COAC; tested as the file format needs.
    const std::pair<const wchar_t*, int> clockKeys[] = {{L"CMDC", 0}, {L"CMD", 1},  {L"CMCN", 2},
                                                        {L"CMSC", 4}, {L"CMAC", 3}, {L"CODC", 5},
                                                        {L"COD", 6},  {L"COCN", 7}, {L"COAC", 8}};
    for (const auto& [key, index] : clockKeys) clocksEdit.firstOf.push_back({key, ColourText(clocks.GetColour(index))});
    edits.push_back(clocksEdit);

    const weatherui& weather = m_pageWeather;
    CString iconSet = weather.IconSet();
    if ((iconSet == GetProgramFolder() + L"\\wiconset\\" || iconSet == weatherui::kDefaultIconsEntry) &&
        m_strKeptName != L"default")
        iconSet = L"default";
    SkinSectionEdit weatherEdit{L"[Weather]", m_bSectionShown[kSectionWeather] != 0, {},
                                {{L"BP", ImageName(weather.PortraitImage())},
                                 {L"BL", ImageName(weather.LandscapeImage())},
                                 {L"BS", ImageName(weather.SquareImage())},
                                 {L"WICOF", iconSet}}};
    const wchar_t* weatherKeys[] = {L"CBBC", L"CBTC", L"FBBC", L"FBTC", L"SATC", L"DAYSC", L"CNSC", L"MOREC"};
    for (int i = 0; i < 8; ++i) weatherEdit.firstOf.push_back({weatherKeys[i], ColourText(weather.GetColour(i))});
    edits.push_back(weatherEdit);

    const mapui& map = m_pageMap;
    SkinSectionEdit mapEdit{L"[Map]", m_bSectionShown[kSectionMap] != 0, {},
                            {{L"BP", ImageName(map.PortraitImage())},
                             {L"BL", ImageName(map.LandscapeImage())},
                             {L"BS", ImageName(map.SquareImage())},
                             {L"MI", map.MapImage()}}};
    const wchar_t* mapKeys[] = {L"CNC", L"DCC", L"ACC", L"DC", L"DLC", L"RSTBC", L"RSTTC", L"RSIBC", L"RSITC", L"SHADCLR"};
    for (int i = 0; i < 10; ++i) mapEdit.firstOf.push_back({mapKeys[i], ColourText(map.GetColour(i))});
    edits.push_back(mapEdit);

    const currui& currency = m_pageCurrency;
    SkinSectionEdit currencyEdit{L"[Currency]", m_bSectionShown[kSectionCurrency] != 0, {}, {}};
    const wchar_t* currencyKeys[] = {L"SumC", L"STC", L"PanC", L"PCEC", L"PBC", L"UPDC", L"BKC"};
    for (int i = 0; i < 7; ++i) currencyEdit.firstOf.push_back({currencyKeys[i], ColourText(currency.GetColour(i))});
    edits.push_back(currencyEdit);

    const toolsui& tools = m_pageTools;
    SkinSectionEdit toolsEdit{L"[Tools]", m_bSectionShown[kSectionTools] != 0,
                              {{L"BC", tools.ToolImage(0)},
                               {L"BD", tools.ToolImage(1)},
                               {L"BS", tools.ToolImage(2)},
                               {L"BP", tools.ToolImage(3)}},
                              {}};
    const wchar_t* toolKeys[] = {L"PCC", L"PCTC", L"PBCC", L"TLC", L"PCD", L"PCTD", L"PCS",
                                 L"PBCS", L"TC1S", L"TC2S", L"TTCS", L"PCP", L"PBCP"};
    for (int i = 0; i < 13; ++i) toolsEdit.firstOf.push_back({toolKeys[i], ColourText(tools.GetColour(i))});
    edits.push_back(toolsEdit);
    return edits;
}

void CUi::SaveSkin() {
    CWaitCursor wait;
    std::string bytes = ComposeSkinFile(m_strKeptText, CollectEdits());
    m_strKeptText.Empty();
    // A kept text that cannot be rewritten (the file was unreadable when it was read, or it is
    // not in the skin format) leaves the file as it is.
    if (bytes.empty()) return;
    // A full device or a read-only file or folder keeps the old file whole; the user learns that
    // the settings were not saved.
    if (!ReplaceSkinFile(SkinPathOf(m_strKeptName), bytes)) ReportStorageFault(FileFaultCause(GetLastError()));
}

int AppearancePageForTab(int tab) {
    if (tab < 0 || tab > 4) tab = 0;
    return tab + CUi::kPageClocks;
}

void RunAppearanceSheet(int firstPage) {
    CString caption;
    caption.LoadString(IDS_UI_SHEET_CAPTION);
    CUi sheet(caption, nullptr, 0);
    sheet.SetActivePage(firstPage);
    sheet.DoModal();
}
