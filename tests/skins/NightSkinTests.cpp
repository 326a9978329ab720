// The shipped second skin: it passes the validator in the program folder, the chooser lists it
// beside the default skin, and loading it gives every colour page other colours than the default.
#include "SkinsTestSupport.h"

#include <gtest/gtest.h>

using namespace skinstest;

namespace {

void PlaceNightSkin() {
    namespace fs = std::filesystem;
    const fs::path target = HostPath(kProgramFolder);
    fs::copy(kData / "Night", target / "Night", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::copy_file(kData / "night.skn", target / "night.skn", fs::copy_options::overwrite_existing);
}

// Every colour of the six colour pages, in page order.
std::vector<std::vector<DWORD>> PageColours(ScriptedUi& ui) {
    std::vector<std::vector<DWORD>> pages;
    for (CColourPage* page : std::initializer_list<CColourPage*>{&ui.m_pageGeneral, &ui.m_pageClocks, &ui.m_pageWeather,
                                                                 &ui.m_pageMap, &ui.m_pageCurrency, &ui.m_pageTools}) {
        std::vector<DWORD> colours;
        for (int i = 0; i < page->ColourCount(); ++i) colours.push_back(page->GetColour(i));
        pages.push_back(colours);
    }
    return pages;
}

} // namespace

TEST_F(SkinsTest, TheNightSkinIsListedValidAndRecoloursEveryPage) {
    PlaceNightSkin();
    const std::wstring night = InProgramFolder(L"night.skn");
    EXPECT_TRUE(ValidateSkinFile(night.c_str()));
    ASSERT_TRUE(Run(CUi::kPageLoad, [&](ScriptedUi& ui) {
        loadui& page = ui.m_pageLoad;
        const int entry = page.Skins().FindStringExact(-1, L"Jorvana Night(night.skn)");
        ASSERT_GE(entry, 0);
        EXPECT_GE(page.Skins().FindStringExact(-1, L"Jorvana Default(default.skn)"), 0);
        const std::vector<std::vector<DWORD>> before = PageColours(ui);
        page.Skins().SetCurSel(entry);
        page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_UI_LOAD_SKIN, BN_CLICKED),
                         reinterpret_cast<LPARAM>(page.GetDlgItem(IDC_UI_LOAD_SKIN)->m_hWnd));
        EXPECT_TRUE(MessageTexts().empty());
        EXPECT_EQ(ReadSkinRegistry(), CString(night.c_str()));
        const std::vector<std::vector<DWORD>> after = PageColours(ui);
        ASSERT_EQ(after.size(), before.size());
        for (size_t p = 0; p < after.size(); ++p) {
            ASSERT_FALSE(after[p].empty()) << "page " << p;
            EXPECT_NE(after[p], before[p]) << "page " << p << " kept the default colours";
        }
    }));
}
