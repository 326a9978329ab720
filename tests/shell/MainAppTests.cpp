// The program's start-up: the first start asks for the language, the chosen module becomes the
// resource module and is freed at exit, and a module that cannot serve is refused.
#include "ShellTestSupport.h"
#include "resources/resource.h"
#include "shell/LanguageList.h"
#include "shell/MainApp.h"
#include "core/CoreMessages.h"
#include "core/StorageFaults.h"
#include "platform/base/Utf8.h"
#include "platform/display/DeviceProgram.h"
#include "platform/system/DeviceDb.h"
#include "platform/system/DeviceRoot.h"
#include "platform/framework/Menu.h"

#include "platform/system/Modules.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>

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

// A language choice stored as text is damaged: asked for again as a missing one, and stored.
TEST_F(MainAppTest, ADamagedLanguageIsAskedForAgain) {
    const wchar_t text[] = L"1";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExW(key, L"lang", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
    RegCloseKey(key);
    TestMainApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.languageDialogs, std::vector<int>{-1});
    EXPECT_EQ(ReadLang(), 0);
    EXPECT_EQ(app.mainWindowRuns, std::vector<int>{0});
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

// What a writer killed at the last run left: a module placed in LangsRes but not listed, and the
// half-made files written beside the files they were to replace. The next start lists the
// module as the install would have and removes those files, and only those.
TEST_F(MainAppTest, TheNextStartListsAModuleLeftUnlistedAndRemovesHalfMadeFiles) {
    WriteLang(0);
    PlaceModule(SHELL_LANGUAGE_MODULE, InProgramFolder(L"LangsRes\\OndrelNew.dll"));
    PlaceModule(SHELL_PLAIN_MODULE, InProgramFolder(L"LangsRes\\OndrelJunk.dll")); // no language module
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\My Documents\\Skins\\blue.skn");
    const std::wstring leftovers[] = {InProgramFolder(L"langs.dat.new"), InProgramFolder(L"pack.dat.new"),
                                      InProgramFolder(L"LangsRes\\OndrelOther.dll.copying"),
                                      L"\\My Documents\\Skins\\blue.skn.new"};
    const std::wstring keepers[] = {InProgramFolder(L"notes.new"), InProgramFolder(L"pack.dat"),
                                    L"\\My Documents\\Skins\\blue.skn"};
    for (const std::wstring& file : leftovers) WriteDeviceFile(file, "0,HALF");
    for (const std::wstring& file : keepers) WriteDeviceFile(file, "kept");

    const std::string expected = "0,ENGLISH,NONE@1,TESTLANG,ONDRELTESTLANG.DLL@2,PLAIN,ONDRELPLAIN.DLL@3,UPPER,NONE@"
                                 "4,ESCAPE,..\\ONDRELTESTLANG.DLL@5,NEW,ONDRELNEW.DLL@>";
    for (int start = 0; start < 2; ++start) { // a second start finds nothing more to do
        TestMainApp app;
        app.InitInstance();
        EXPECT_EQ(app.mainWindowRuns, std::vector<int>{0});
        EXPECT_EQ(ReadDeviceFile(InProgramFolder(L"langs.dat")), expected);
    }
    for (const std::wstring& file : leftovers) EXPECT_FALSE(DeviceFileExists(file)) << std::string(file.begin(), file.end());
    for (const std::wstring& file : keepers) EXPECT_EQ(ReadDeviceFile(file), "kept");
    EXPECT_TRUE(MessageTexts().empty());
}

// A module install killed (SIGKILL) at random points, copying or moving the module: at the next
// start the module is either installed and listed once, or not installed and still where it was,
// and no half-made file is left.
TEST_F(MainAppTest, AModuleInstallKilledAtAnyPointIsWholeOrUndoneAtTheNextStart) {
    WriteLang(0);
    const std::string before = ReadDeviceFile(InProgramFolder(L"langs.dat"));
    const std::string after = "0,ENGLISH,NONE@1,TESTLANG,ONDRELTESTLANG.DLL@2,PLAIN,ONDRELPLAIN.DLL@3,UPPER,NONE@"
                              "4,ESCAPE,..\\ONDRELTESTLANG.DLL@5,NEW,ONDRELNEW.DLL@>";
    const std::wstring source = L"\\My Documents\\OndrelNew.dll", target = InProgramFolder(L"LangsRes\\OndrelNew.dll");
    std::mt19937 random(3);
    int installed = 0;
    long window = 1000; // microseconds from the start of an install; measured in rounds 0 and 1
    for (int round = 0; round < 18; ++round) {
        std::filesystem::remove(HostPath(target));
        WriteDeviceFile(InProgramFolder(L"langs.dat"), before);
        PlaceModule(SHELL_LANGUAGE_MODULE, source);
        const bool move = round % 2 == 1;
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            ScriptedLanguageDlg dlg;
            dlg.m_nInitialSelection = 0;
            dlg.steps = [move, &ready](ScriptedLanguageDlg& d) {
                if (move) d.RemoveCheck().SetCheck(BST_CHECKED);
                if (write(ready[1], "!", 1) != 1) _exit(1); // the install starts now
                d.Add(L"ONDRELNEW.DLL");
                if (write(ready[1], "d", 1) != 1) _exit(1); // and is through
            };
            dlg.DoModal();
            _exit(0);
        }
        close(ready[1]);
        char started = 0;
        const bool began = read(ready[0], &started, 1) == 1;
        if (round < 2) {
            // How long an install takes on this machine now (a loaded machine or a sanitizer
            // build takes longer), copying and moving: the later kills fall within, or just after.
            const auto startedAt = std::chrono::steady_clock::now();
            char done = 0;
            ASSERT_EQ(read(ready[0], &done, 1), 1) << "round " << round;
            const auto took = std::chrono::steady_clock::now() - startedAt;
            window = std::max(window, static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count() * 3 / 2));
        } else {
            usleep(static_cast<useconds_t>(random() % window)); // within the install, or just after it
        }
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        close(ready[0]);
        ASSERT_TRUE(began) << "round " << round;

        TestMainApp app;
        app.InitInstance();
        const std::string list = ReadDeviceFile(InProgramFolder(L"langs.dat"));
        if (DeviceFileExists(target)) {
            if (round >= 2) ++installed;
            ASSERT_EQ(list, after) << "round " << round;
            EXPECT_EQ(std::filesystem::file_size(HostPath(target)), std::filesystem::file_size(SHELL_LANGUAGE_MODULE))
                << "round " << round;
        } else {
            ASSERT_EQ(list, before) << "round " << round;
            ASSERT_TRUE(DeviceFileExists(source)) << "round " << round;
        }
        if (!move) {
            EXPECT_TRUE(DeviceFileExists(source)) << "round " << round;
        }
        for (const std::wstring& folder : {std::wstring(kProgramFolder), InProgramFolder(L"LangsRes"), std::wstring(L"\\My Documents")})
            for (const auto& entry : std::filesystem::directory_iterator(HostPath(folder))) {
                const std::string name = entry.path().filename().string();
                ASSERT_TRUE(!name.ends_with(".new") && !name.ends_with(".copying")) << name << ", round " << round;
            }
    }
    EXPECT_GT(installed, 0);
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

// One wording per cause: every storage message opens with the sentence that names its cause, in
// the program's English as in the German module, and the device programs of the layer open
// theirs with the same English sentences.
TEST_F(LanguageModuleTextsTest, EveryStorageMessageOpensWithTheSentenceOfItsCauseInBothLanguages) {
    const StorageCause causes[] = {StorageCause::InUse, StorageCause::Full, StorageCause::ReadOnly};
    const LPCWSTR layer[] = {device::display::kStorageInUse, device::display::kStorageFull,
                             device::display::kStorageReadOnly};
    auto check = [&](const char* language) {
        std::set<std::wstring> sentences;
        for (StorageCause cause : causes) {
            const std::wstring sentence = LoadCoreString(StorageCauseTextId(cause)).Str();
            ASSERT_FALSE(sentence.empty()) << language;
            sentences.insert(sentence);
            for (StorageSituation situation : {StorageSituation::NothingSaved, StorageSituation::StartCloses,
                                               StorageSituation::FirstStartNotStored}) {
                const std::wstring text = LoadCoreString(StorageMessageId(situation, cause)).Str();
                EXPECT_EQ(text.rfind(sentence + L"\n\n", 0), 0u) << language << ": " << device::ToUtf8(text);
            }
        }
        EXPECT_EQ(sentences.size(), 3u) << language;
    };
    check("English");
    for (size_t i = 0; i < std::size(causes); ++i)
        EXPECT_EQ(LoadCoreString(StorageCauseTextId(causes[i])), CString(layer[i]));
    WriteLang(1);
    TestMainApp app;
    app.InitInstance();
    ASSERT_NE(AfxGetResourceHandle(), AfxGetInstanceHandle());
    check("German");
    app.ExitInstance();
}

// A store held against writers at the start can still be read: the message comes in the language
// stored there, and the start is a failure.
TEST_F(LanguageModuleTextsTest, AStartOnAStoreHeldAgainstWritersSaysSoInTheStoredLanguage) {
    using namespace std::chrono_literals;
    WriteLang(1);
    device::DeviceDb::Close(); // the start opens the store afresh, under the holder
    const auto usualWait = device::BusyStoreWait();
    device::SetBusyStoreWait(300ms);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(device::DatabaseFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    TestMainApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(app.mainWindowRuns.empty());
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(MessageTexts()[0].rfind(L"Der Gerätespeicher wird von einem anderen Programm belegt!", 0), 0u)
        << device::ToUtf8(MessageTexts()[0]);
    EXPECT_EQ(app.ExitInstance(), 1);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    device::SetBusyStoreWait(usualWait);
}
