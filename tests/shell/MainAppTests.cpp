// The program's start-up: the first start asks for the language, the chosen module becomes the
// resource module and is freed at exit, and a module that cannot serve is refused.
#include "ShellTestSupport.h"
#include "resources/resource.h"
#include "shell/LanguageList.h"
#include "shell/MainApp.h"
#include "core/CoreMessages.h"
#include "platform/framework/Menu.h"

#include "platform/system/Modules.h"

#include <gtest/gtest.h>

using namespace shelltest;

namespace {

// The start-up with the language dialog closed at once and the main window's run recorded.
class TestMainApp : public CMainApp {
public:
    std::vector<int> languageDialogs;
    std::vector<int> mainWindowRuns;

protected:
    void RunLanguageDialog(int initialSelection) override {
        languageDialogs.push_back(initialSelection);
        ScriptedLanguageDlg dlg;
        dlg.m_nInitialSelection = initialSelection;
        dlg.DoModal();
    }
    void RunMainWindow(int lang) override { mainWindowRuns.push_back(lang); }
};

CString ResourceString(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

class MainAppTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        AfxInstallStringLoader();
        PlaceModule(SHELL_LANGUAGE_MODULE, InProgramFolder(L"LangsRes\\OndrelTestlang.dll"));
        PlaceModule(SHELL_PLAIN_MODULE, InProgramFolder(L"LangsRes\\OndrelPlain.dll"));
        WriteDeviceFile(InProgramFolder(L"langs.dat"),
                        "0,English,none@1,Testlang,OndrelTestlang.dll@2,Plain,OndrelPlain.dll@3,Upper,NONE@"
                        "4,Escape,..\\OndrelTestlang.dll@>");
    }
};

} // namespace

TEST_F(MainAppTest, FirstStartAsksForTheLanguageAndKeepsOwnResources) {
    TestMainApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.languageDialogs, std::vector<int>{-1});
    // Closing the dialog untouched chooses the first entry, without a restart notice.
    EXPECT_EQ(ReadLang(), 0);
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_EQ(app.mainWindowRuns, std::vector<int>{0});
    EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());
}

TEST_F(MainAppTest, ChosenModuleServesTheRunAndIsFreedAtExit) {
    WriteLang(1);
    {
        TestMainApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_TRUE(app.languageDialogs.empty());
        EXPECT_EQ(app.mainWindowRuns, std::vector<int>{1});
        EXPECT_NE(GetModuleHandleW(L"OndrelTestlang.dll"), nullptr);
        EXPECT_EQ(ResourceString(IDS_CHOOSE_LANGUAGE), CString(L"Sprache waehlen:"));

        app.ExitInstance();
    }
    EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());
    EXPECT_EQ(GetModuleHandleW(L"OndrelTestlang.dll"), nullptr);
    EXPECT_EQ(ResourceString(IDS_CHOOSE_LANGUAGE), CString(L"Choose a language:"));
}

TEST_F(MainAppTest, LangZeroKeepsOwnResourcesWhateverTheFirstEntryNames) {
    WriteDeviceFile(InProgramFolder(L"langs.dat"), "0,Testlang,OndrelTestlang.dll@>");
    WriteLang(0);
    TestMainApp app;
    app.InitInstance();
    EXPECT_EQ(app.mainWindowRuns, std::vector<int>{0});
    EXPECT_EQ(GetModuleHandleW(L"OndrelTestlang.dll"), nullptr);
}

TEST_F(MainAppTest, ModuleWithoutDialog318IsRefusedAndTheLanguageDialogRuns) {
    WriteLang(2);
    TestMainApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{CMainApp::kModuleLoadFailed});
    EXPECT_EQ(app.languageDialogs, std::vector<int>{2});
    EXPECT_TRUE(app.mainWindowRuns.empty());
    EXPECT_EQ(GetModuleHandleW(L"OndrelPlain.dll"), nullptr);
    EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());
    EXPECT_EQ(ReadLang(), 2);
}

TEST_F(MainAppTest, UpperCaseNoneAndNamesOutsideLangsResFail) {
    PlaceModule(SHELL_LANGUAGE_MODULE, InProgramFolder(L"OndrelTestlang.dll"));
    for (DWORD lang : {3u, 4u}) {
        WriteLang(lang);
        TestMainApp app;
        app.InitInstance();
        EXPECT_TRUE(app.mainWindowRuns.empty());
        EXPECT_EQ(GetModuleHandleW(L"OndrelTestlang.dll"), nullptr);
    }
    EXPECT_EQ(MessageTexts().size(), 2u);
}

TEST_F(MainAppTest, MissingListFileWithLangZeroStartsAndOtherwiseFails) {
    std::filesystem::remove(HostPath(InProgramFolder(L"langs.dat")));
    TestMainApp first;
    first.InitInstance(); // first start: the dialog has no list and leaves lang missing, read as 0
    EXPECT_EQ(first.mainWindowRuns, std::vector<int>{0});

    WriteLang(1);
    TestMainApp second;
    second.InitInstance();
    EXPECT_TRUE(second.mainWindowRuns.empty());
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{CMainApp::kModuleLoadFailed});
}

// The shipped German module through the program's own loading, and a module that lacks texts.
class LanguageModuleTextsTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        AfxInstallStringLoader();
        PlaceModule(GERMAN_MODULE, InProgramFolder(L"LangsRes\\OndrelDeutsch.dll"));
        PlaceModule(SHELL_LANGUAGE_MODULE, InProgramFolder(L"LangsRes\\OndrelTestlang.dll"));
        WriteDeviceFile(InProgramFolder(L"langs.dat"),
                        "0,English,none@1,Deutsch,OndrelDeutsch.dll@2,Testlang,OndrelTestlang.dll@>");
    }
    void TearDown() override {
        AfxSetResourceHandle(nullptr);
        ShellTest::TearDown();
    }
};

TEST_F(LanguageModuleTextsTest, GermanModuleServesEveryTextWithoutANotice) {
    WriteLang(1);
    TestMainApp app;
    app.InitInstance();
    ASSERT_EQ(app.mainWindowRuns, std::vector<int>{1});
    HINSTANCE german = AfxGetResourceHandle();
    EXPECT_NE(german, AfxGetInstanceHandle());
    EXPECT_EQ(CountMissingResources(german), 0);
    EXPECT_TRUE(MessageTexts().empty());
    EXPECT_EQ(ResourceString(IDS_CHOOSE_LANGUAGE), CString(L"Sprache wählen:"));
    EXPECT_EQ(LoadCoreString(IDS_ERROR_CAPTION), CString(L"Fehler!"));
    // Its dialogs and menus are its own, with German texts.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(IDD_LANGUAGE), RT_DIALOG), german);
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MENU_MAIN));
    CString first;
    menu.GetMenuString(0, first, MF_BYPOSITION);
    EXPECT_EQ(first, CString(L"Menü"));
    app.ExitInstance();
}

TEST_F(LanguageModuleTextsTest, LackingTextsComeFromTheProgramAndAreReportedOnce) {
    WriteLang(2);
    TestMainApp app;
    app.InitInstance();
    ASSERT_EQ(app.mainWindowRuns, std::vector<int>{2});
    HINSTANCE module = AfxGetResourceHandle();
    const int missing = CountMissingResources(module);
    EXPECT_GT(missing, 100);
    CString expected;
    expected.Format(L"The language module lacks %d of the program's texts: they are shown in English.", missing);
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{expected.GetString()});
    // The module's own text, and the program's for what it lacks: strings, dialogs and menus.
    EXPECT_EQ(ResourceString(IDS_CHOOSE_LANGUAGE), CString(L"Sprache waehlen:"));
    EXPECT_EQ(ResourceString(IDS_LANGUAGE_ADD), CString(L" Add "));
    EXPECT_EQ(LoadCoreString(IDS_ERROR_CAPTION), CString(L"Error!"));
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(IDD_LANGUAGE), RT_DIALOG), AfxGetInstanceHandle());
    CMenu menu;
    EXPECT_TRUE(menu.LoadMenu(IDR_MENU_MAIN));
    app.ExitInstance();
}
