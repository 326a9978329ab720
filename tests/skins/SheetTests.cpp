// The appearance settings sheet: the page it opens on, pages made when first shown, colour edits
// through the sliders, and the skin file rewritten when it closes.
#include "SkinsTestSupport.h"

#include "support/FileSizeLimit.h"
#include "support/ModalSteps.h"
#include "support/UserAction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>

using namespace skinstest;

BEGIN_MESSAGE_MAP(ScriptedUi, CUi)
    ON_MESSAGE(WM_APP, &ScriptedUi::OnRunSteps)
END_MESSAGE_MAP()

namespace {

std::wstring DefaultSkn() { return InProgramFolder(L"default.skn"); }

// A device that fills up from inside a run until the test ends it.
std::optional<testsupport::FileSizeLimit> g_fullDevice;

} // namespace

TEST_F(SkinsTest, OpensOnTheRequestedPageAndMakesOtherPagesWhenShown) {
    EXPECT_EQ(AppearancePageForTab(4), CUi::kPageTools);
    EXPECT_EQ(AppearancePageForTab(0), CUi::kPageClocks);
    const std::string before = ShippedSkinText();
    ASSERT_TRUE(Run(AppearancePageForTab(4), [](ScriptedUi& ui) {
        EXPECT_EQ(ui.GetActivePage(), &ui.m_pageTools);
        EXPECT_NE(ui.m_pageTools.m_hWnd, nullptr);
        for (CPropertyPage* other : {static_cast<CPropertyPage*>(&ui.m_pageLoad), static_cast<CPropertyPage*>(&ui.m_pageClocks),
                                     static_cast<CPropertyPage*>(&ui.m_pageGeneral)})
            EXPECT_EQ(other->m_hWnd, nullptr);
        EXPECT_EQ(std::vector<int>(ui.m_bSectionShown, ui.m_bSectionShown + kSectionCount),
                  (std::vector<int>{0, 0, 0, 0, 0, 1}));
        EXPECT_EQ(ui.m_strKeptName, CString(L"default"));
        EXPECT_EQ(ui.m_pageTools.ToolCombo().GetCurSel(), 0);
        ASSERT_TRUE(ui.SetActivePage(CUi::kPageWeather));
        EXPECT_NE(ui.m_pageWeather.m_hWnd, nullptr);
        EXPECT_EQ(ui.m_bSectionShown[kSectionWeather], 1);
    }));
    // Nothing was changed: the file is written back byte for byte.
    EXPECT_EQ(ShippedSkinText(), before);
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(SkinsTest, SliderMovesChangeTheSelectedElementAndAreWrittenAtClose) {
    const std::string before = ShippedSkinText();
    ASSERT_TRUE(Run(CUi::kPageClocks, [](ScriptedUi& ui) {
        clocksui& page = ui.m_pageClocks;
        EXPECT_EQ(page.Elements().GetCount(), 9);
        EXPECT_EQ(page.RedSlider().GetPos(), 31); // CMDC 31058095 on the sliders
        EXPECT_EQ(page.GreenSlider().GetPos(), 58);
        EXPECT_EQ(page.BlueSlider().GetPos(), 95);
        ChooseListEntry(page, page.Elements(), 1); // "Main date"
        DragSlider(page, page.RedSlider(), 255);
        DragSlider(page, page.GreenSlider(), 0);
        DragSlider(page, page.BlueSlider(), 0);
        EXPECT_EQ(page.GetColour(1), 255000000u);
        // The separator stands for CMSC and cannot be edited: the next element is chosen.
        ChooseListEntry(page, page.Elements(), clocksui::kSeparator);
        EXPECT_EQ(page.Elements().GetCurSel(), clocksui::kSeparator + 1);
        DragSlider(page, page.BlueSlider(), 7);
        EXPECT_EQ(page.GetColour(clocksui::kSeparator + 1), 31058007u);
        EXPECT_EQ(page.GetColour(clocksui::kSeparator), 200040040u);
        // A background image chosen in the landscape combo.
        EXPECT_GE(page.LandscapeCombo().FindStringExact(-1, L"\\weather.jpg"), 0);
        ChooseComboEntry(page, page.LandscapeCombo(), page.LandscapeCombo().FindStringExact(-1, L"\\weather.jpg"));
        EXPECT_EQ(page.LandscapeImage(), CString(L"\\weather.jpg"));
    }));
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Clocks", L"CMD"), L"255000000");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Clocks", L"CODC"), L"31058007");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Clocks", L"CMSC"), L"200040040");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Clocks", L"BL"), L"\\weather.jpg");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Clocks", L"BP"), L"\\clocks.jpg");
    // Sections whose pages were not shown are as they were.
    const std::string after = ShippedSkinText();
    EXPECT_EQ(after.substr(after.find("[Weather]")), before.substr(before.find("[Weather]")));
    EXPECT_EQ(after.substr(0, after.find("[Clocks]")), before.substr(0, before.find("[Clocks]")));
    // The file still passes the validator the skin chooser uses.
    EXPECT_TRUE(ValidateSkinFile(DefaultSkn().c_str()));
}

TEST_F(SkinsTest, ShadowColourIsAChoiceOfOneChannel) {
    ASSERT_TRUE(Run(CUi::kPageMap, [](ScriptedUi& ui) {
        mapui& page = ui.m_pageMap;
        ChooseListEntry(page, page.Elements(), mapui::kShadow);
        // The shipped 16024048 has three non-zero channels: each slider stands at 1 of 1.
        EXPECT_EQ(page.RedSlider().GetRangeMax(), 1);
        EXPECT_EQ(page.RedSlider().GetPos() + page.GreenSlider().GetPos() + page.BlueSlider().GetPos(), 3);
        DragSlider(page, page.RedSlider(), 0);
        EXPECT_EQ(page.GetColour(mapui::kShadow), 255000u + 255u);
        DragSlider(page, page.GreenSlider(), 1);
        EXPECT_EQ(page.BlueSlider().GetPos(), 0);
        EXPECT_EQ(page.GetColour(mapui::kShadow), 255000u);
        DragSlider(page, page.GreenSlider(), 0); // none left: blue is chosen
        EXPECT_EQ(page.GetColour(mapui::kShadow), 255u);
        ChooseListEntry(page, page.Elements(), 0);
        EXPECT_EQ(page.RedSlider().GetRangeMax(), 255);
        EXPECT_EQ(page.RedSlider().GetPos(), 255);
    }));
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Map", L"SHADCLR"), L"255");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Map", L"MI"), L"\\worldmap.jpg");
}

TEST_F(SkinsTest, ToolsPageOpensOnTheOpenToolAndEditsItsColours) {
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 42);
    ASSERT_TRUE(Run(CUi::kPageTools, [](ScriptedUi& ui) {
        toolsui& page = ui.m_pageTools;
        EXPECT_EQ(page.ToolCombo().GetCurSel(), 2);
        EXPECT_EQ(page.Elements().GetCount(), 5);
        EXPECT_EQ(page.RedSlider().GetPos(), 206); // PCS 206222236
        CString image;
        page.ImageCombo().GetLBText(page.ImageCombo().GetCurSel(), image);
        EXPECT_EQ(image, CString(L"\\cloths.jpg"));
        ChooseListEntry(page, page.Elements(), 2); // "Table back color 1"
        DragSlider(page, page.RedSlider(), 1);
        EXPECT_EQ(page.GetColour(toolsui::ColourIndex(2, 2)), 1242249u);
        ChooseComboEntry(page, page.ImageCombo(), page.ImageCombo().FindStringExact(-1, L"\\pack.jpg"));
    }));
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Tools", L"TC1S"), L"1242249");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Tools", L"TC2S"), L"206222236");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Tools", L"BS"), L"\\pack.jpg");

    // The news tool has no entry: slider moves store nothing until a tool is chosen.
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 44);
    ASSERT_TRUE(Run(CUi::kPageTools, [](ScriptedUi& ui) {
        toolsui& page = ui.m_pageTools;
        EXPECT_EQ(page.ToolCombo().GetCurSel(), -1);
        EXPECT_EQ(page.Elements().GetCount(), 4);
        DragSlider(page, page.RedSlider(), 9);
        for (int i = 0; i < page.ColourCount(); ++i) EXPECT_NE(page.GetColour(i) / 1000000u, 9u) << i;
    }));
}

TEST_F(SkinsTest, WeatherPageOffersIconSetsAndWritesTheIconFolder) {
    ASSERT_TRUE(Run(CUi::kPageWeather, [](ScriptedUi& ui) {
        weatherui& page = ui.m_pageWeather;
        CComboBox& sets = page.IconSetCombo();
        ASSERT_EQ(sets.GetCount(), 2); // the default skin has no ".Default icons set" entry
        EXPECT_GE(sets.FindStringExact(-1, L"\\wiconset2\\"), 0);
        CString chosen;
        sets.GetLBText(sets.GetCurSel(), chosen);
        EXPECT_EQ(chosen, CString(L"\\wiconset\\"));
        ChooseComboEntry(page, sets, sets.FindStringExact(-1, L"\\wiconset2\\"));
        ChooseListEntry(page, page.Elements(), 5); // "Days text color"
        DragSlider(page, page.RedSlider(), 0);
        DragSlider(page, page.GreenSlider(), 128);
        DragSlider(page, page.BlueSlider(), 255);
    }));
    EXPECT_EQ(CRegistryKey().ReadString(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", L"icondir"),
              CString((std::wstring(kProgramFolder) + L"\\wiconset\\").c_str()));
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Weather", L"WICOF"), L"\\wiconset2\\");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Weather", L"DAYSC"), L"128255");
    EXPECT_EQ(SkinFileValue(DefaultSkn(), L"Weather", L"SATC"), L"31058095");
}

TEST_F(SkinsTest, AFileThatCannotBeWrittenOrReadLosesNothing) {
    // Read-only: the edits are not written and the file stays whole.
    const std::string before = ShippedSkinText();
    ASSERT_TRUE(SetFileAttributesW(DefaultSkn().c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(Run(CUi::kPageCurrency, [](ScriptedUi& ui) {
        currui& page = ui.m_pageCurrency;
        DragSlider(page, page.RedSlider(), 1);
    }));
    EXPECT_EQ(ShippedSkinText(), before);
    ASSERT_TRUE(SetFileAttributesW(DefaultSkn().c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"The device's storage is read-only or damaged!\n\nNothing was "
                                                        L"saved; the data stay as they were."});
    const std::vector<std::wstring> notSaved{L"The device's storage is full!\n\nNothing was saved; the data stay as they were. "
                                             L"Make room on the device, then try again."};

    // A full device: the same, and no half-written file is left beside the skin.
    testsupport::StartUserAction(); // the sheet opened again
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK});
    ASSERT_TRUE(Run(CUi::kPageCurrency, [](ScriptedUi& ui) {
        DragSlider(ui.m_pageCurrency, ui.m_pageCurrency.RedSlider(), 1);
        g_fullDevice.emplace(8);
    }));
    g_fullDevice.reset();
    EXPECT_EQ(ShippedSkinText(), before);
    EXPECT_FALSE(DeviceFileExists(DefaultSkn() + L".new"));
    EXPECT_EQ(MessageTexts(), notSaved);
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});

    // A chosen skin that is gone: the page reports it and falls back to the default skin, the
    // sheet itself says nothing, and nothing is written anywhere.
    WriteSkinRegistry(L"\\Skins\\gone.skn");
    ASSERT_TRUE(Run(CUi::kPageCurrency, [](ScriptedUi& ui) {
        EXPECT_TRUE(ui.m_strKeptText.IsEmpty());
        EXPECT_EQ(ui.m_pageCurrency.GetColour(0), 62109156u);
        DragSlider(ui.m_pageCurrency, ui.m_pageCurrency.RedSlider(), 1);
    }));
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"Skin File corrupted or not found!\n\nDefault skin will be used."});
    EXPECT_EQ(ReadSkinRegistry(), CString(DefaultSkn().c_str()));
    EXPECT_EQ(ShippedSkinText(), before);
    EXPECT_FALSE(DeviceFileExists(L"\\Skins\\gone.skn"));
}

TEST_F(SkinsTest, PagesFitAboveTheTabRowWithTheTitleAndOkInTheTaskbar) {
    for (const auto& shape : {std::pair{240, 320}, std::pair{320, 240}}) {
        const int width = shape.first, height = shape.second;
        device::ui::SetScreenShape(width, height);
        for (int index = CUi::kPageLoad; index <= CUi::kPageTools; ++index) {
            SCOPED_TRACE(testing::Message() << width << "x" << height << " page " << index);
            ASSERT_TRUE(Run(index, [&](ScriptedUi& ui) {
                device::ui::PumpUntilIdle();
                RECT work = device::ui::WorkArea(), client, row;
                ui.GetClientRect(&client);
                EXPECT_EQ(client.bottom, work.bottom - work.top); // no caption row of its own
                RECT ok = device::ui::TaskbarOkButtonRect();
                EXPECT_FALSE(IsRectEmpty(&ok));
                HWND strip = PropSheet_GetTabControl(ui.m_hWnd);
                ASSERT_NE(strip, nullptr);
                ::GetWindowRect(::GetParent(strip), &row);
                EXPECT_LE(row.bottom, height);
                EXPECT_GE(row.top, work.top);
                // The pages' templates were laid out for the portrait screen.
                if (width > height) return;
                CPropertyPage* page = ui.GetActivePage();
                ASSERT_NE(page, nullptr);
                int lowest = 0;
                for (HWND c = ::GetWindow(page->m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
                    if (!::IsWindowVisible(c)) continue;
                    RECT r;
                    ::GetWindowRect(c, &r);
                    lowest = std::max<int>(lowest, r.bottom);
                    EXPECT_LE(r.bottom, row.top) << "control " << ::GetDlgCtrlID(c) << " under the tab row";
                    EXPECT_LE(r.right, width) << "control " << ::GetDlgCtrlID(c);
                }
                EXPECT_GT(lowest, work.top);
            }));
        }
    }
}

// The World Clocks page's Update button is hidden: the element list holds the focus from the
// start, and its arrows keep moving the selection (over the separator) though every paint hands
// the focus to that button.
TEST_F(SkinsTest, ClocksColourListKeepsTheFocusThroughItsArrowKeys) {
    using testsupport::ModalSteps;
    CUi sheet(L"User Interface...", nullptr, CUi::kPageClocks);
    clocksui& page = sheet.m_pageClocks;
    ModalSteps steps({
        [&] {
            EXPECT_EQ(::GetFocus(), page.Elements().m_hWnd);
            EXPECT_EQ(page.Elements().GetCurSel(), 0);
            for (int i = 0; i < 4; ++i) ModalSteps::Press(VK_DOWN);
        },
        [&] {
            EXPECT_EQ(::GetFocus(), page.Elements().m_hWnd);
            EXPECT_EQ(page.Elements().GetCurSel(), 5);
            ModalSteps::Press(VK_DOWN);
        },
        [&] {
            EXPECT_EQ(page.Elements().GetCurSel(), 6);
            sheet.PressButton(PSBTN_CANCEL);
        },
    });
    sheet.DoModal();
    EXPECT_TRUE(ModalSteps::Done());
}
