#include "platform/base/ResourceFormat.h"
#include "platform/system/Modules.h"
#include "platform/system/ProgramPath.h"
#include "resources/ids.h"
#include "support/FreshDevice.h"

#include <cstdio>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class ModulesTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::SetModuleDevicePath(L"\\Program Files\\Jorvana\\Jorvana.exe");
        fs::path langs = Root() / "fs" / "Program Files" / "Jorvana" / "LangsRes";
        fs::create_directories(langs);
        fs::copy_file(TEST_LANGUAGE_MODULE, langs / "TestLang.dll");
        fs::copy_file(TEST_PLAIN_MODULE, langs / "Plain.dll");
        std::ofstream(langs / "broken.dll") << "this is not a shared object";
    }
    void TearDown() override {
        device::SetResourceModule(nullptr);
        device::SetModuleDevicePath(L"");
        FreshDevice::TearDown();
    }
};

std::wstring Text(HINSTANCE module, UINT id) {
    WCHAR buf[128];
    int n = LoadStringW(module, id, buf, 128);
    return std::wstring(buf, static_cast<size_t>(n));
}

// What start-up does: a library counts as a language module only when it holds dialog 318.
bool IsLanguageModule(HMODULE m) { return FindResourceW(m, L"#318", RT_DIALOG) != nullptr; }

} // namespace

TEST_F(ModulesTest, ProgramStringsLoadAndTruncateAsOnTheDevice) {
    HINSTANCE program = GetModuleHandleW(nullptr);
    EXPECT_EQ(Text(program, IDS_CITIES_MISSING), L"Cities file not found\nDatabase not created!");
    EXPECT_EQ(Text(nullptr, IDS_SYNC_FAILED), L"Syncronisation failed");

    WCHAR small[6];
    EXPECT_EQ(LoadStringW(program, IDS_SYNC_FAILED, small, 6), 5);
    EXPECT_STREQ(small, L"Syncr");
    const WCHAR* inPlace = nullptr;
    EXPECT_EQ(LoadStringW(program, IDS_SYNC_FAILED, reinterpret_cast<LPWSTR>(&inPlace), 0), 21);
    ASSERT_NE(inPlace, nullptr);
    EXPECT_STREQ(inPlace, L"Syncronisation failed");

    WCHAR buf[8] = L"junk";
    EXPECT_EQ(LoadStringW(program, 4242, buf, 8), 0);
    EXPECT_STREQ(buf, L"");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(ModulesTest, TemplatesAreFoundByNumberOrHashName) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCE(IDD_DETAILS), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(FindResourceW(nullptr, L"#500", RT_DIALOG), found);
    const void* data = LockResource(LoadResource(nullptr, found));
    auto dialog = device::ParseDialog(data, SizeofResource(nullptr, found));
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(dialog->cx, 141);
    EXPECT_EQ(dialog->cy, 102);
    EXPECT_EQ(dialog->faceName, L"MS Sans Serif");
    EXPECT_EQ(dialog->exStyle, 0x80000000u);
    EXPECT_TRUE(dialog->items.empty());

    EXPECT_EQ(FindResourceW(nullptr, L"#501", RT_DIALOG), nullptr);
    EXPECT_EQ(FindResourceW(nullptr, L"DETAILS", RT_DIALOG), nullptr); // names are never text
    EXPECT_EQ(FindResourceW(nullptr, L"#", RT_DIALOG), nullptr);
}

TEST_F(ModulesTest, LanguageModuleBecomesTheResourceModuleAndIsRestored) {
    HMODULE lang = LoadLibraryW(L"\\Program Files\\Jorvana\\LangsRes\\TestLang.dll");
    ASSERT_NE(lang, nullptr);
    ASSERT_TRUE(IsLanguageModule(lang));
    EXPECT_FALSE(IsLanguageModule(GetModuleHandleW(nullptr)));
    EXPECT_EQ(GetModuleHandleW(L"testlang.DLL"), lang);

    WCHAR path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(lang, path, MAX_PATH), 0u);
    EXPECT_STREQ(path, L"\\Program Files\\Jorvana\\LangsRes\\TestLang.dll");

    device::SetResourceModule(lang);
    EXPECT_EQ(Text(device::ResourceModule(), IDS_CITIES_MISSING), L"Fichier des villes introuvable");
    EXPECT_EQ(Text(device::ResourceModule(), 1), L"Module");

    // At exit: the program's own resources again, then the module is freed.
    device::SetResourceModule(nullptr);
    EXPECT_EQ(device::ResourceModule(), GetModuleHandleW(nullptr));
    EXPECT_EQ(Text(device::ResourceModule(), 1), L"Program");
    EXPECT_TRUE(FreeLibrary(lang));
    EXPECT_EQ(GetModuleHandleW(L"TestLang.dll"), nullptr);
    EXPECT_FALSE(FreeLibrary(lang));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ModulesTest, ModuleWithoutDialog318IsRefusedAndFreed) {
    HMODULE plain = LoadLibraryW(L"\\Program Files\\Jorvana\\LangsRes\\Plain.dll");
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(IsLanguageModule(plain));
    EXPECT_EQ(Text(plain, 1), L"Not a language");
    EXPECT_TRUE(FreeLibrary(plain));
    EXPECT_EQ(GetModuleHandleW(L"Plain.dll"), nullptr);
}

TEST_F(ModulesTest, LoadingCountsUsesAndRefusesWhatIsNoModule) {
    // A bare name is looked for beside the program.
    fs::copy_file(TEST_PLAIN_MODULE, Root() / "fs" / "Program Files" / "Jorvana" / "Side.dll");
    HMODULE a = LoadLibraryW(L"side.dll");
    HMODULE b = LoadLibraryW(L"\\PROGRAM FILES\\Jorvana\\Side.dll");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_NE(GetModuleHandleW(L"Side.dll"), nullptr); // still used once
    EXPECT_TRUE(FreeLibrary(b));
    EXPECT_EQ(GetModuleHandleW(L"Side.dll"), nullptr);

    EXPECT_EQ(LoadLibraryW(L"\\Program Files\\Jorvana\\LangsRes\\missing.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryW(L"\\Program Files\\Jorvana\\LangsRes\\broken.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
    EXPECT_EQ(LoadLibraryW(L"\\..\\..\\etc\\x.dll"), nullptr);
    EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
    EXPECT_EQ(FindResourceW(reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x99990)), L"#1", RT_STRING), nullptr);
    WCHAR buf[4];
    EXPECT_EQ(LoadStringW(reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x99990)), 1, buf, 4), 0);
}
