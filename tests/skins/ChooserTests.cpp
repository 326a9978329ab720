// The skin chooser: skins of a folder listed with their descriptions, folders browsed, invalid
// skins refused with a message, a valid one loaded into every colour page and written at close,
// and the default skin restored. Also the screenshots of every page.
#include "SkinsTestSupport.h"
#include "core/CoreMessages.h"
#include "support/FileSizeLimit.h"
#include "support/ModalSteps.h"
#include "support/Screenshots.h"
#include "support/UserAction.h"

#include <gtest/gtest.h>

using namespace skinstest;

namespace {

const std::wstring kSkins = L"\\My Documents\\Skins";
const std::wstring kBlue = kSkins + L"\\blue.skn";

std::vector<std::wstring> ListTexts(CListBox& list) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < list.GetCount(); ++i) {
        CString text;
        list.GetText(i, text);
        texts.emplace_back(text.GetString());
    }
    return texts;
}

std::vector<std::wstring> FolderNames(CListCtrl& list) {
    std::vector<std::wstring> names;
    for (int i = 0; i < list.GetItemCount(); ++i) names.emplace_back(list.GetItemText(i, 0).GetString());
    return names;
}

void Press(loadui& page, int id) {
    page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(page.GetDlgItem(id)->m_hWnd));
}

class ChooserTest : public SkinsTest {
protected:
    void SetUp() override {
        SkinsTest::SetUp();
        // A second skin in its own folder: the shipped one with another description and date colour.
        PlaceShippedSkin(kSkins);
        std::string text = ReadDeviceFile(kSkins + L"\\default.skn");
        text.replace(text.find("N@Jorvana Default"), 17, "N@Blue");
        text.replace(text.find("CMD@62109156"), 12, "CMD@1002003");
        WriteDeviceFile(kBlue, text);
        std::filesystem::remove(HostPath(kSkins + L"\\default.skn"));
        WriteDeviceFile(kSkins + L"\\bad.skn", "[Description]\r\nN@Broken\r\n>\r\n*\r\n<");
        testsupport::MakeFolder(kSkins + L"\\Hidden");
        SetFileAttributesW((kSkins + L"\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    }
};

} // namespace

TEST_F(ChooserTest, ListsSkinsRefusesAnInvalidOneAndLoadsAValidOne) {
    const std::string shipped = ShippedSkinText();
    ASSERT_TRUE(Run(CUi::kPageLoad, [&](ScriptedUi& ui) {
        loadui& page = ui.m_pageLoad;
        EXPECT_EQ(ListTexts(page.Skins()), std::vector<std::wstring>{L"Jorvana Default(default.skn)"});
        EXPECT_EQ(page.Skins().GetCurSel(), 0);
        // The clocks page is shown before another skin is loaded.
        ASSERT_TRUE(ui.SetActivePage(CUi::kPageClocks));
        EXPECT_EQ(ui.m_pageClocks.GetColour(1), 62109156u);
        ASSERT_TRUE(ui.SetActivePage(CUi::kPageLoad));

        page.BrowseTo(kSkins.c_str());
        std::vector<std::wstring> skins = ListTexts(page.Skins());
        std::sort(skins.begin(), skins.end());
        EXPECT_EQ(skins, (std::vector<std::wstring>{L"Blue(blue.skn)", L"Broken(bad.skn)"}));
        std::vector<std::wstring> folders = FolderNames(page.Folders());
        EXPECT_EQ(folders.front(), L"..");
        EXPECT_EQ(std::count(folders.begin(), folders.end(), L"Portrait"), 1);
        EXPECT_EQ(std::count(folders.begin(), folders.end(), L"Hidden"), 0);

        page.Skins().SetCurSel(page.Skins().FindStringExact(-1, L"Broken(bad.skn)"));
        Press(page, IDC_UI_LOAD_SKIN);
        EXPECT_EQ(MessageTexts(),
                  std::vector<std::wstring>{L"Skin description file corrupted or some skin files are missing!"});
        EXPECT_TRUE(ReadSkinRegistry().IsEmpty());
        EXPECT_EQ(ui.m_strKeptName, CString(L"default"));

        page.Skins().SetCurSel(page.Skins().FindStringExact(-1, L"Blue(blue.skn)"));
        Press(page, IDC_UI_LOAD_SKIN);
        EXPECT_EQ(ReadSkinRegistry(), CString(kBlue.c_str()));
        EXPECT_EQ(ui.m_strKeptName, CString(kBlue.c_str()));
        // Every colour page re-read the new skin, whether its window exists or not.
        EXPECT_EQ(ui.m_pageClocks.GetColour(1), 1002003u);
        EXPECT_EQ(ui.m_pageClocks.SkinFolder(), CString(kSkins.c_str()));
        EXPECT_EQ(ui.m_pageMap.SkinName(), CString(kBlue.c_str()));
        clocksui& clocks = ui.m_pageClocks;
        ChooseListEntry(clocks, clocks.Elements(), 0);
        DragSlider(clocks, clocks.RedSlider(), 5);
    }));
    // The chosen skin's file was written, the default skin is untouched.
    EXPECT_EQ(SkinFileValue(kBlue, L"Clocks", L"CMDC"), L"5058095");
    EXPECT_EQ(SkinFileValue(kBlue, L"Clocks", L"CMD"), L"1002003");
    EXPECT_EQ(SkinFileValue(kBlue, L"Description", L"N"), L"Blue");
    EXPECT_EQ(ShippedSkinText(), shipped);
}

TEST_F(ChooserTest, AStarInADescriptionKeepsTheWholeSkinWhenItIsWrittenBack) {
    std::string text = ReadDeviceFile(kBlue);
    text.replace(text.find("N@Blue"), 6, "N@Blue *NEW*");
    WriteDeviceFile(kBlue, text);
    ASSERT_TRUE(Run(CUi::kPageLoad, [&](ScriptedUi& ui) {
        loadui& page = ui.m_pageLoad;
        page.BrowseTo(kSkins.c_str());
        page.Skins().SetCurSel(page.Skins().FindStringExact(-1, L"Blue *NEW*(blue.skn)"));
        Press(page, IDC_UI_LOAD_SKIN);
        EXPECT_EQ(ui.m_strKeptName, CString(kBlue.c_str()));
    }));
    // Closed with no edit: every line up to the "*" marker is written back as it was.
    EXPECT_EQ(ReadDeviceFile(kBlue), text);
    EXPECT_EQ(SkinFileValue(kBlue, L"Clocks", L"CMD"), L"1002003");
}

TEST_F(ChooserTest, SetDefaultStoresDefaultAndEmptyFoldersCannotBeLoaded) {
    WriteSkinRegistry(kBlue.c_str());
    ASSERT_TRUE(Run(CUi::kPageLoad, [&](ScriptedUi& ui) {
        loadui& page = ui.m_pageLoad;
        EXPECT_EQ(page.CurrentFolder(), CString(kSkins.c_str()));
        CString selected;
        page.Skins().GetText(page.Skins().GetCurSel(), selected);
        EXPECT_EQ(selected, CString(L"Blue(blue.skn)"));

        // A folder without skins; then ".." up to the root, which has no "..".
        page.BrowseTo(kSkins + L"\\Portrait");
        EXPECT_EQ(ListTexts(page.Skins()), std::vector<std::wstring>{L"No skins available in this Directory"});
        EXPECT_FALSE(page.LoadButton().IsWindowEnabled());
        page.BrowseTo(L"\\My Documents");
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = page.Folders().m_hWnd;
        click.hdr.idFrom = IDC_UI_FOLDERS;
        click.hdr.code = NM_CLICK;
        click.iItem = 0;
        page.Folders().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        page.Folders().SetSelectionMark(0);
        page.SendMessage(WM_NOTIFY, IDC_UI_FOLDERS, reinterpret_cast<LPARAM>(&click));
        EXPECT_TRUE(page.CurrentFolder().IsEmpty());
        std::vector<std::wstring> root = FolderNames(page.Folders());
        EXPECT_EQ(std::count(root.begin(), root.end(), L".."), 0);
        EXPECT_EQ(std::count(root.begin(), root.end(), L"My Documents"), 1);

        Press(page, IDC_UI_SET_DEFAULT);
        EXPECT_EQ(ReadSkinRegistry(), CString(L"default"));
        EXPECT_EQ(ui.m_strKeptName, CString(L"default"));
        EXPECT_EQ(ui.m_pageCurrency.SkinName(), CString(L"default"));
    }));
    EXPECT_TRUE(MessageTexts().empty());
}

// Load Skin and Set Default on a full device: the storage message once, `skin` unchanged, the
// sheet and its pages still on the skin in use and the list as the user left it; with room the
// same action lands.
TEST_F(ChooserTest, ASkinThatCannotBeStoredLeavesTheSkinInUseAndTheList) {
    const std::vector<std::wstring> storageFault{std::wstring(LoadCoreString(IDS_STORAGE_WRITE_FAILED))};
    auto selected = [](loadui& page) {
        CString text;
        if (page.Skins().GetCurSel() >= 0) page.Skins().GetText(page.Skins().GetCurSel(), text);
        return std::wstring(text);
    };
    ASSERT_TRUE(Run(CUi::kPageLoad, [&](ScriptedUi& ui) {
        loadui& page = ui.m_pageLoad;
        // An edit on a colour page, which a skin loaded would replace.
        ASSERT_TRUE(ui.SetActivePage(CUi::kPageClocks));
        ChooseListEntry(ui.m_pageClocks, ui.m_pageClocks.Elements(), 0);
        DragSlider(ui.m_pageClocks, ui.m_pageClocks.RedSlider(), 5);
        ASSERT_EQ(ui.m_pageClocks.GetColour(0), 5058095u);
        ASSERT_TRUE(ui.SetActivePage(CUi::kPageLoad));
        page.BrowseTo(kSkins.c_str());
        page.Skins().SetCurSel(page.Skins().FindStringExact(-1, L"Blue(blue.skn)"));
        {
            testsupport::FileSizeLimit full(8);
            Press(page, IDC_UI_LOAD_SKIN);
        }
        EXPECT_EQ(MessageTexts(), storageFault);
        EXPECT_TRUE(ReadSkinRegistry().IsEmpty());
        EXPECT_EQ(ui.m_strKeptName, CString(L"default"));
        EXPECT_EQ(ui.m_pageClocks.GetColour(0), 5058095u);
        EXPECT_EQ(ui.m_pageClocks.GetColour(1), 62109156u);
        EXPECT_EQ(selected(page), L"Blue(blue.skn)");

        Press(page, IDC_UI_LOAD_SKIN);
        EXPECT_EQ(ReadSkinRegistry(), CString(kBlue.c_str()));
        EXPECT_EQ(ui.m_pageClocks.GetColour(1), 1002003u);
    }));
    EXPECT_EQ(MessageTexts(), storageFault);

    testsupport::StartUserAction(); // the sheet opened again
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK});
    ASSERT_TRUE(Run(CUi::kPageLoad, [&](ScriptedUi& ui) {
        loadui& page = ui.m_pageLoad;
        ASSERT_TRUE(ui.SetActivePage(CUi::kPageClocks));
        ASSERT_TRUE(ui.SetActivePage(CUi::kPageLoad));
        ASSERT_EQ(selected(page), L"Blue(blue.skn)");
        {
            testsupport::FileSizeLimit full(8);
            Press(page, IDC_UI_SET_DEFAULT);
        }
        EXPECT_EQ(MessageTexts(), storageFault);
        EXPECT_EQ(ReadSkinRegistry(), CString(kBlue.c_str()));
        EXPECT_EQ(ui.m_strKeptName, CString(kBlue.c_str()));
        EXPECT_EQ(ui.m_pageClocks.GetColour(1), 1002003u);
        EXPECT_EQ(page.CurrentFolder(), CString(kSkins.c_str()));
        EXPECT_EQ(selected(page), L"Blue(blue.skn)");

        Press(page, IDC_UI_SET_DEFAULT);
        EXPECT_EQ(ReadSkinRegistry(), CString(L"default"));
        EXPECT_EQ(ui.m_pageClocks.GetColour(1), 62109156u);
        EXPECT_EQ(selected(page), L"Jorvana Default(default.skn)");
    }));
    EXPECT_EQ(MessageTexts(), storageFault);
}

TEST_F(SkinsTest, ScreenshotsOfEveryPage) {
    const char* names[] = {"load", "general", "clocks", "weather", "map", "currency", "tools"};
    for (int page = CUi::kPageLoad; page <= CUi::kPageTools; ++page) {
        ASSERT_TRUE(Run(page, [&](ScriptedUi&) {
            EXPECT_FALSE(testsupport::SaveScreenshot(std::string("skins-") + names[page]).empty());
        }));
    }
    device::ui::SetScreenShape(320, 240);
    ASSERT_TRUE(Run(CUi::kPageWeather, [](ScriptedUi&) {
        EXPECT_FALSE(testsupport::SaveScreenshot("skins-weather-landscape").empty());
    }));
    device::ui::SetScreenShape(240, 240);
    ASSERT_TRUE(Run(CUi::kPageClocks, [](ScriptedUi& ui) {
        EXPECT_FALSE(ui.m_pageClocks.LandscapeCombo().GetStyle() & WS_VISIBLE);
        EXPECT_GE(ui.m_pageClocks.PortraitCombo().FindStringExact(-1, L"\\clocks.jpg"), 0);
        EXPECT_FALSE(testsupport::SaveScreenshot("skins-clocks-square").empty());
    }));
    EXPECT_TRUE(MessageTexts().empty());
}

// The sheet run by its own modal loop, keys and all: the skin list has the focus when the page
// opens, Return presses the focused Load Skin, and ctrl+Tab and ctrl+shift+Tab turn the pages.
TEST_F(ChooserTest, SkinListTakesTheFocusReturnPressesLoadSkinAndCtrlTabTurnsThePages) {
    using testsupport::ModalSteps;
    CUi sheet(L"User Interface...", nullptr, CUi::kPageLoad);
    loadui& page = sheet.m_pageLoad;
    ModalSteps steps({
        [&] {
            EXPECT_EQ(::GetFocus(), page.Skins().m_hWnd);
            page.BrowseTo(kSkins.c_str());
            page.Skins().SetCurSel(page.Skins().FindStringExact(-1, L"Blue(blue.skn)"));
            page.GetDlgItem(IDC_UI_LOAD_SKIN)->SetFocus();
            ModalSteps::Press(VK_RETURN);
        },
        [&] {
            EXPECT_EQ(ReadSkinRegistry(), CString(kBlue.c_str()));
            EXPECT_EQ(sheet.m_pageClocks.GetColour(1), 1002003u);
            ModalSteps::PressWith({VK_CONTROL}, VK_TAB);
        },
        [&] {
            EXPECT_EQ(sheet.GetActiveIndex(), CUi::kPageGeneral);
            EXPECT_TRUE(sheet.m_pageGeneral.IsWindowVisible());
            // Back to the first page, and on round to the last.
            ModalSteps::PressWith({VK_CONTROL, VK_SHIFT}, VK_TAB);
            ModalSteps::PressWith({VK_CONTROL, VK_SHIFT}, VK_TAB);
        },
        [&] {
            EXPECT_EQ(sheet.GetActiveIndex(), CUi::kPageTools);
            sheet.PressButton(PSBTN_OK);
        },
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_TRUE(ModalSteps::Done());
}
