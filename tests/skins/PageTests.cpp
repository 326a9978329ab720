// What the General, Currency and Weather pages do beyond the shared mechanism: the tool bar icon
// folders offered, channels above the slider's limit, and the weather icon set of a skin kept in
// another folder.
#include "SkinsTestSupport.h"

#include <gtest/gtest.h>

using namespace skinstest;

namespace {

std::wstring DefaultSkn() { return InProgramFolder(L"default.skn"); }

// Replaces a line of a device skin file ("" removes it).
void EditSkinLine(const std::wstring& file, const std::string& line, const std::string& replacement) {
    std::string text = ReadDeviceFile(file);
    size_t at = text.find(line + "\r\n");
    ASSERT_NE(at, std::string::npos) << line;
    text.replace(at, line.size() + 2, replacement.empty() ? "" : replacement + "\r\n");
    WriteDeviceFile(file, text);
}

} // namespace

TEST_F(SkinsTest, GeneralPageOffersPlainToolbarFoldersAndEditsOneColour) {
    testsupport::MakeFolder(InProgramFolder(L"toolbar3"));
    ASSERT_TRUE(SetFileAttributesW(InProgramFolder(L"toolbar3").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(Run(CUi::kPageGeneral, [](ScriptedUi& ui) {
        generalui& page = ui.m_pageGeneral;
        CComboBox& sets = page.IconSetCombo();
        ASSERT_EQ(sets.GetCount(), 2);
        EXPECT_EQ(sets.GetCurSel(), sets.FindStringExact(-1, L"\\toolbar\\"));
        EXPECT_LT(sets.FindStringExact(-1, L"\\toolbar3\\"), 0);
        ChooseComboEntry(page, sets, sets.FindStringExact(-1, L"\\toolbar2\\"));
        ChooseListEntry(page, page.Elements(), 1); // "Current Screen Panel color"
        DragSlider(page, page.GreenSlider(), 0);
        EXPECT_EQ(page.GetColour(1), 62000156u);
    }));
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"General", L"PC"), L"62000156");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"General", L"TBC"), L"31058095");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"General", L"PTC"), L"255255255");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"General", L"IF"), L"\\toolbar2\\");
}

// "R:", "G:" and "B:" each end before their slider: with the sliders hidden, nothing of a label
// lies where a slider stands.
TEST_F(SkinsTest, ChannelLabelsEndLeftOfTheirSliders) {
    ASSERT_TRUE(Run(CUi::kPageClocks, [](ScriptedUi& ui) {
        clocksui& page = ui.m_pageClocks;
        std::vector<CRect> sliders;
        for (CSliderCtrl* slider : {&page.RedSlider(), &page.GreenSlider(), &page.BlueSlider()}) {
            CRect r;
            slider->GetWindowRect(&r);
            sliders.push_back(r);
            slider->ShowWindow(SW_HIDE);
        }
        page.UpdateWindow();
        std::unique_ptr<device::gdi::Bitmap> screen = device::ui::CopyScreen();
        ASSERT_TRUE(screen);
        for (const CRect& r : sliders)
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.left + 6; ++x) {
                    const uint32_t p = screen->Get(x, y);
                    EXPECT_GT((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF), 3u * 128) << x << "," << y;
                }
    }));
}

TEST_F(SkinsTest, CurrencyChannelsAboveTheLimitShowAtTheLimitAndMissingKeysAreBlack) {
    EditSkinLine(DefaultSkn(), "PCEC@31058095", "PCEC@300128000");
    EditSkinLine(DefaultSkn(), "BKC@234242249", "");
    ASSERT_TRUE(Run(CUi::kPageCurrency, [](ScriptedUi& ui) {
        currui& page = ui.m_pageCurrency;
        ASSERT_EQ(page.Elements().GetCount(), 7);
        ChooseListEntry(page, page.Elements(), 3); // "Middle Panel text color"
        EXPECT_EQ(page.RedSlider().GetPos(), 255);
        EXPECT_EQ(page.GreenSlider().GetPos(), 128);
        EXPECT_EQ(page.GetColour(3), 300128000u); // kept as read until a slider moves
        DragSlider(page, page.BlueSlider(), 1);
        EXPECT_EQ(page.GetColour(3), 255128001u);
        ChooseListEntry(page, page.Elements(), 6);
        EXPECT_EQ(page.RedSlider().GetPos() + page.GreenSlider().GetPos() + page.BlueSlider().GetPos(), 0);
    }));
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Currency", L"PCEC"), L"255128001");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Currency", L"BKC"), L"!.!"); // a missing key is not added
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(SkinsTest, WeatherIconSetOfASkinInAnotherFolder) {
    const std::wstring folder = L"\\Storage Card\\Skins";
    const std::wstring file = folder + L"\\green.skn";
    PlaceShippedSkin(folder);
    std::filesystem::rename(HostPath(folder + L"\\default.skn"), HostPath(file));
    EditSkinLine(file, "WICOF@\\wiconset\\", "WICOF@default");
    WriteSkinRegistry(file.c_str());

    // The program's own icons: offered as ".Default icons set", written back as "default".
    ASSERT_TRUE(Run(CUi::kPageWeather, [](ScriptedUi& ui) {
        CComboBox& sets = ui.m_pageWeather.IconSetCombo();
        EXPECT_EQ(sets.GetCount(), 3);
        CString chosen;
        sets.GetLBText(sets.GetCurSel(), chosen);
        EXPECT_EQ(chosen, CString(weatherui::kDefaultIconsEntry));
    }));
    EXPECT_EQ(CRegistryKey().ReadString(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"icondir"),
              CString((std::wstring(kProgramFolder) + L"\\wiconset\\").c_str()));
    EXPECT_EQ(SkinFileValue(file, L"Weather", L"WICOF"), L"default");

    // One of the skin's own sets: its entry is written, and the next read points icondir at it.
    ASSERT_TRUE(Run(CUi::kPageWeather, [](ScriptedUi& ui) {
        weatherui& page = ui.m_pageWeather;
        ChooseComboEntry(page, page.IconSetCombo(), page.IconSetCombo().FindStringExact(-1, L"\\wiconset2\\"));
    }));
    EXPECT_EQ(SkinFileValue(file, L"Weather", L"WICOF"), L"\\wiconset2\\");
    ASSERT_TRUE(Run(CUi::kPageWeather, [](ScriptedUi&) {}));
    EXPECT_EQ(CRegistryKey().ReadString(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"icondir"),
              CString((folder + L"\\wiconset2\\").c_str()));
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(SkinsTest, MapPageImageCombosEachWriteTheirOwnValue) {
    ASSERT_TRUE(Run(CUi::kPageMap, [](ScriptedUi& ui) {
        mapui& page = ui.m_pageMap;
        const CString landscapeBefore = page.LandscapeImage();
        // The map image combo shares its selection message with the image combos' handler:
        // only the map image changes.
        CComboBox& maps = page.MapImageCombo();
        ASSERT_GE(maps.FindStringExact(-1, L"\\worldmap.jpg"), 0);
        ChooseComboEntry(page, maps, maps.FindStringExact(-1, L"\\worldmap.jpg"));
        EXPECT_EQ(page.MapImage(), CString(L"\\worldmap.jpg"));
        EXPECT_EQ(page.LandscapeImage(), landscapeBefore);
        CComboBox& landscape = page.LandscapeCombo();
        ASSERT_GE(landscape.FindStringExact(-1, L"\\weather.jpg"), 0);
        ChooseComboEntry(page, landscape, landscape.FindStringExact(-1, L"\\weather.jpg"));
        EXPECT_EQ(page.LandscapeImage(), CString(L"\\weather.jpg"));
        CComboBox& portrait = page.PortraitCombo();
        ASSERT_GE(portrait.FindStringExact(-1, L"\\pack.jpg"), 0);
        ChooseComboEntry(page, portrait, portrait.FindStringExact(-1, L"\\pack.jpg"));
        EXPECT_EQ(page.PortraitImage(), CString(L"\\pack.jpg"));
        EXPECT_EQ(page.MapImage(), CString(L"\\worldmap.jpg"));
    }));
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Map", L"BL"), L"\\weather.jpg");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Map", L"BP"), L"\\pack.jpg");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Map", L"MI"), L"\\worldmap.jpg");
}
