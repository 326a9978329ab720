// The language dialog: the installed languages, the choice written to lang, the restart notice,
// and the installation of a module found in a folder.
#include "ShellTestSupport.h"
#include "platform/display/HeadlessTest.h"
#include "platform/system/Modules.h"
#include "resources/resource.h"
#include "shell/LanguageList.h"
#include "support/FileSizeLimit.h"

#include <optional>

#include <gtest/gtest.h>

using namespace shelltest;

BEGIN_MESSAGE_MAP(ScriptedLanguageDlg, CLanguageDlg)
    ON_MESSAGE(WM_APP, &ScriptedLanguageDlg::OnRunSteps)
END_MESSAGE_MAP()

namespace {

const wchar_t* kRestartNotice = L"Please restart Application for new language validation";

class LanguageDlgTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        PlaceModule(SHELL_LANGUAGE_MODULE, InProgramFolder(L"LangsRes\\OndrelTestlang.dll"));
        WriteDeviceFile(InProgramFolder(L"langs.dat"), "0,English,none@1,Testlang,OndrelTestlang.dll@>");
    }
    // Runs the dialog with its initial selection and the test's steps.
    void Run(int initial, std::function<void(ScriptedLanguageDlg&)> steps) {
        ScriptedLanguageDlg dlg;
        dlg.m_nInitialSelection = initial;
        dlg.steps = std::move(steps);
        EXPECT_EQ(dlg.DoModal(), IDOK);
    }
};

} // namespace

TEST_F(LanguageDlgTest, ListsLanguagesAndWritesTheMissingLang) {
    Run(-1, [](ScriptedLanguageDlg& dlg) {
        ASSERT_EQ(dlg.Combo().GetCount(), 2);
        CString name;
        dlg.Combo().GetLBText(1, name);
        EXPECT_EQ(name, CString(L"Testlang"));
        EXPECT_EQ(dlg.Combo().GetCurSel(), 0);
        EXPECT_EQ(ReadLang(), 0);
    });
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(LanguageDlgTest, RestartNoticeOnlyForAChangedLanguage) {
    WriteLang(0);
    Run(0, [](ScriptedLanguageDlg&) {});
    EXPECT_TRUE(MessageTexts().empty());
    Run(0, [](ScriptedLanguageDlg& dlg) {
        dlg.SelectLanguage(1);
        EXPECT_EQ(ReadLang(), 1); // written at once
    });
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{kRestartNotice});
    // An initial selection beyond the list leaves the combo without one: nothing is written.
    WriteLang(7);
    Run(7, [](ScriptedLanguageDlg&) {});
    EXPECT_EQ(ReadLang(), 7);

    // A language the full device cannot store: the storage fault is said, no restart notice.
    WriteLang(0);
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    {
        std::optional<testsupport::FileSizeLimit> full;
        Run(0, [&](ScriptedLanguageDlg& dlg) {
            full.emplace(8);
            dlg.SelectLanguage(1);
        });
    }
    EXPECT_EQ(MessageTexts(),
              std::vector<std::wstring>{L"The device's storage is full!\n\nNothing was saved; the data stay as they were. "
                                        L"Make room on the device, then try again."});
    EXPECT_EQ(ReadLang(), 0);
}

// The open list is browsed without a choice: lang is written once, when Return closes the list
// on another language; Escape writes nothing.
TEST_F(LanguageDlgTest, TheOpenListIsBrowsedAndReturnChoosesOnce) {
    using device::display::test::PressKey;
    WriteLang(0);
    Run(0, [](ScriptedLanguageDlg& dlg) {
        dlg.Combo().SetFocus();
        PressKey(VK_F4);
        PressKey(VK_DOWN);
        EXPECT_TRUE(dlg.Combo().GetDroppedState());
        EXPECT_EQ(ReadLang(), 0);
        PressKey(VK_ESCAPE);
        EXPECT_EQ(dlg.Combo().GetCurSel(), 0);
        EXPECT_EQ(ReadLang(), 0);
        PressKey(VK_F4);
        PressKey(VK_DOWN);
        PressKey(VK_RETURN);
        EXPECT_EQ(ReadLang(), 1);
        dlg.SelectLanguage(0); // back, so that closing asks for no restart
    });
    EXPECT_TRUE(MessageTexts().empty());
}

// A choice back to the running language that the full device cannot store leaves the language
// chosen before it stored: the combo shows it, and closing says a restart brings it.
TEST_F(LanguageDlgTest, AChoiceTheDeviceCannotStoreGivesWayToTheStoredLanguage) {
    WriteLang(0);
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
    {
        std::optional<testsupport::FileSizeLimit> full;
        Run(0, [&](ScriptedLanguageDlg& dlg) {
            dlg.SelectLanguage(1);
            full.emplace(8);
            dlg.SelectLanguage(0);
            EXPECT_EQ(dlg.Combo().GetCurSel(), 1);
        });
    }
    EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"The device's storage is full!\n\nNothing was saved; the data stay as they were. "
                                                         L"Make room on the device, then try again.",
                                                         kRestartNotice}));
    EXPECT_EQ(ReadLang(), 1);
}

TEST_F(LanguageDlgTest, ModulesOfAFolderNewInstalledAndInvalid) {
    PlaceModule(SHELL_LANGUAGE_MODULE, L"\\My Documents\\OndrelNew.dll");
    PlaceModule(SHELL_LANGUAGE_MODULE, L"\\My Documents\\OndrelTestlang.dll");
    PlaceModule(SHELL_PLAIN_MODULE, L"\\My Documents\\OndrelPlain.dll");
    Run(0, [](ScriptedLanguageDlg& dlg) {
        EXPECT_EQ(dlg.Modules().GetCount(), 2);
        int installed = dlg.Modules().FindStringExact(-1, L"ONDRELTESTLANG.DLL (Installed)");
        ASSERT_GE(installed, 0);
        dlg.SelectModule(installed);
        EXPECT_FALSE(dlg.AddButton().IsWindowEnabled());
        dlg.SelectModule(dlg.Modules().FindStringExact(-1, L"ONDRELNEW.DLL"));
        EXPECT_TRUE(dlg.AddButton().IsWindowEnabled());

        dlg.BrowseTo(L"\\Windows");
        CString text;
        dlg.Modules().GetText(0, text);
        EXPECT_EQ(text, CString(L"No module available in this directory"));
        EXPECT_FALSE(dlg.AddButton().IsWindowEnabled());
    });
}

// Under a language module the installed mark is its own word, and still keeps Add disabled.
TEST_F(LanguageDlgTest, InstalledModuleInTheGermanListingCannotBeAddedAgain) {
    PlaceModule(GERMAN_MODULE, InProgramFolder(L"LangsRes\\OndrelDeutsch.dll"));
    PlaceModule(SHELL_LANGUAGE_MODULE, L"\\My Documents\\OndrelTestlang.dll");
    HMODULE german = LoadLibraryW(InProgramFolder(L"LangsRes\\OndrelDeutsch.dll").c_str());
    ASSERT_NE(german, nullptr);
    AfxSetResourceHandle(german);
    Run(0, [](ScriptedLanguageDlg& dlg) {
        int installed = dlg.Modules().FindStringExact(-1, L"ONDRELTESTLANG.DLL (Installiert)");
        ASSERT_GE(installed, 0);
        dlg.SelectModule(installed);
        EXPECT_FALSE(dlg.AddButton().IsWindowEnabled());
    });
    AfxSetResourceHandle(nullptr);
    FreeLibrary(german);
}

TEST_F(LanguageDlgTest, InstallCopiesOrMovesAndAppendsTheEntry) {
    PlaceModule(SHELL_LANGUAGE_MODULE, L"\\My Documents\\OndrelNew.dll");
    PlaceModule(SHELL_LANGUAGE_MODULE, L"\\My Documents\\OndrelMoved.dll");
    Run(0, [](ScriptedLanguageDlg& dlg) {
        dlg.Add(L"ONDRELNEW.DLL");
        dlg.RemoveCheck().SetCheck(BST_CHECKED);
        dlg.Add(L"ONDRELMOVED.DLL");
        EXPECT_EQ(dlg.Combo().GetCount(), 4);
        EXPECT_GE(dlg.Modules().FindStringExact(-1, L"ONDRELNEW.DLL (Installed)"), 0);
    });
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_EQ(ReadDeviceFile(InProgramFolder(L"langs.dat")),
              "0,ENGLISH,NONE@1,TESTLANG,ONDRELTESTLANG.DLL@2,NEW,ONDRELNEW.DLL@3,MOVED,ONDRELMOVED.DLL@>");
    EXPECT_TRUE(DeviceFileExists(InProgramFolder(L"LangsRes\\OndrelNew.dll")));
    EXPECT_TRUE(DeviceFileExists(L"\\My Documents\\OndrelNew.dll"));
    EXPECT_TRUE(DeviceFileExists(InProgramFolder(L"LangsRes\\OndrelMoved.dll")));
    EXPECT_FALSE(DeviceFileExists(L"\\My Documents\\OndrelMoved.dll"));
}

TEST_F(LanguageDlgTest, AnInstallOnAFullDeviceKeepsTheListedLanguages) {
    const std::vector<std::wstring> notSaved{L"The device's storage is full!\n\nNothing was saved; the data stay as they were. "
                                             L"Make room on the device, then try again."};
    const std::string listed = "0,English,none@1,Testlang,OndrelTestlang.dll@>";
    PlaceModule(SHELL_LANGUAGE_MODULE, InProgramFolder(L"LangsRes\\OndrelNew.dll"));
    PlaceModule(SHELL_LANGUAGE_MODULE, L"\\My Documents\\OndrelCopied.dll");
    PlaceModule(SHELL_LANGUAGE_MODULE, L"\\My Documents\\OndrelMoved.dll");
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
    Run(0, [](ScriptedLanguageDlg& dlg) {
        {
            // The list cannot grow: the module stays unlisted and is not offered as a language.
            dlg.BrowseTo(GetLanguageModulesFolder());
            testsupport::FileSizeLimit full(8);
            dlg.Add(L"ONDRELNEW.DLL");
        }
        {
            // The module cannot be copied into LangsRes.
            dlg.BrowseTo(L"\\My Documents");
            testsupport::FileSizeLimit full(8);
            dlg.Add(L"ONDRELCOPIED.DLL");
        }
        EXPECT_EQ(dlg.Combo().GetCount(), 2);
        EXPECT_EQ(dlg.Modules().FindStringExact(-1, L"ONDRELCOPIED.DLL (Installed)"), LB_ERR);
    });
    EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{notSaved[0], notSaved[0]}));
    EXPECT_EQ(ReadDeviceFile(InProgramFolder(L"langs.dat")), listed);
    EXPECT_FALSE(DeviceFileExists(InProgramFolder(L"langs.dat.new")));
    EXPECT_FALSE(DeviceFileExists(InProgramFolder(L"LangsRes\\OndrelCopied.dll")));

    // A list that cannot be rewritten (read-only) after the module was moved: the module goes
    // back, so that the next start does not list it either.
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK});
    ASSERT_TRUE(SetFileAttributesW(InProgramFolder(L"langs.dat").c_str(), FILE_ATTRIBUTE_READONLY));
    Run(0, [](ScriptedLanguageDlg& dlg) {
        dlg.BrowseTo(L"\\My Documents");
        dlg.RemoveCheck().SetCheck(BST_CHECKED);
        dlg.Add(L"ONDRELMOVED.DLL");
        EXPECT_EQ(dlg.Combo().GetCount(), 2);
    });
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"The device's storage is read-only or damaged!\n\nNothing was "
                                                        L"saved; the data stay as they were."});
    EXPECT_TRUE(DeviceFileExists(L"\\My Documents\\OndrelMoved.dll"));
    EXPECT_FALSE(DeviceFileExists(InProgramFolder(L"LangsRes\\OndrelMoved.dll")));
    ASSERT_TRUE(SetFileAttributesW(InProgramFolder(L"langs.dat").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(ReadDeviceFile(InProgramFolder(L"langs.dat")), listed);
}

TEST_F(LanguageDlgTest, InstallOfAModuleThatCannotServeIsRefused) {
    PlaceModule(SHELL_PLAIN_MODULE, L"\\My Documents\\OndrelPlain.dll");
    Run(0, [](ScriptedLanguageDlg& dlg) {
        dlg.Modules().ResetContent();
        dlg.Modules().AddString(L"ONDRELPLAIN.DLL");
        dlg.Add(L"ONDRELPLAIN.DLL");
        EXPECT_EQ(dlg.Combo().GetCount(), 2);
    });
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"Error. Could not load Language Module"});
    EXPECT_EQ(ReadDeviceFile(InProgramFolder(L"langs.dat")), "0,English,none@1,Testlang,OndrelTestlang.dll@>");
    EXPECT_FALSE(DeviceFileExists(InProgramFolder(L"LangsRes\\OndrelPlain.dll")));
}

TEST_F(LanguageDlgTest, InstallLinkExpandsAndFolderTapsNavigate) {
    std::filesystem::create_directories(HostPath(L"\\My Documents\\Langs"));
    Run(0, [](ScriptedLanguageDlg& dlg) {
        EXPECT_FALSE(dlg.Folders().GetStyle() & WS_VISIBLE);
        CRect client;
        dlg.GetClientRect(&client);
        dlg.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(client.Width() / 2, 20)); // the prompt, not the link
        EXPECT_FALSE(dlg.IsExpanded());
        dlg.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(client.Width() / 2, 74));
        EXPECT_TRUE(dlg.IsExpanded());
        EXPECT_TRUE(dlg.Folders().GetStyle() & WS_VISIBLE);

        // Tapping a folder's row, then "..", which sorts first.
        auto tap = [&dlg](LPCWSTR name) {
            int item = -1;
            for (int i = 0; i < dlg.Folders().GetItemCount(); ++i)
                if (dlg.Folders().GetItemText(i, 0) == name) item = i;
            ASSERT_GE(item, 0) << name;
            dlg.Folders().SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
            NMITEMACTIVATE click{};
            click.hdr.hwndFrom = dlg.Folders().m_hWnd;
            click.hdr.idFrom = IDC_LANGUAGE_FOLDERS;
            click.hdr.code = NM_CLICK;
            click.iItem = item;
            dlg.SendMessage(WM_NOTIFY, IDC_LANGUAGE_FOLDERS, reinterpret_cast<LPARAM>(&click));
        };
        tap(L"Langs");
        EXPECT_EQ(dlg.CurrentFolder(), CString(L"\\My Documents\\Langs"));
        EXPECT_EQ(dlg.Folders().GetItemText(0, 0), CString(L".."));
        tap(L"..");
        tap(L"..");
        EXPECT_EQ(dlg.CurrentFolder(), CString());
    });
}
