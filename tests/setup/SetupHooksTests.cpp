// The installer's hooks of the setup library: what removal deletes, what it reports, and the
// reload it asks of the Today screen.

#include "platform/system/DeviceFiles.h"
#include "platform/system/Modules.h"
#include "platform/system/ObjectStore.h"
#include "platform/system/Registry.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/MessageBox.h"
#include "setup/SetupHooks.h"
#include "support/WindowedDevice.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

using InstallInit = codeINSTALL_INIT (*)(HWND, BOOL, BOOL, LPCWSTR);
using UninstallInit = codeUNINSTALL_INIT (*)(HWND, LPCWSTR);
using UninstallExit = codeUNINSTALL_EXIT (*)(HWND);

std::vector<WPARAM> g_settingChanges;

LRESULT CALLBACK Listener(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETTINGCHANGE) g_settingChanges.push_back(wParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class SetupHooks : public testsupport::WindowedDevice {
protected:
    void SetUp() override {
        WindowedDevice::SetUp();
        namespace fs = std::filesystem;
        fs::create_directories(Root() / "fs" / "Temp");
        fs::copy_file(SETUP_DLL, Root() / "fs" / "Temp" / "setup.dll");
        m_module = LoadLibraryW(L"\\Temp\\setup.dll");
        ASSERT_NE(m_module, nullptr);
        m_installInit = reinterpret_cast<InstallInit>(GetProcAddressW(m_module, L"Install_Init"));
        m_uninstallInit = reinterpret_cast<UninstallInit>(GetProcAddressW(m_module, L"Uninstall_Init"));
        m_uninstallExit = reinterpret_cast<UninstallExit>(GetProcAddressW(m_module, L"Uninstall_Exit"));
        ASSERT_TRUE(m_installInit && m_uninstallInit && m_uninstallExit);
        g_settingChanges.clear();
    }
    void TearDown() override {
        if (m_module) FreeLibrary(m_module);
        WindowedDevice::TearDown();
    }
    static void CreateKey(LPCWSTR path) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
        DWORD one = 1;
        RegSetValueExW(key, L"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
        RegCloseKey(key);
    }
    static bool KeyExists(LPCWSTR path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    static bool StoreExists(LPCWSTR name) {
        CEOID id = 0;
        HANDLE db = CeOpenDatabase(&id, name, 0, 0, nullptr);
        if (db == INVALID_HANDLE_VALUE) return false;
        CloseHandle(db);
        return true;
    }
    static std::vector<std::wstring> Reported() {
        std::vector<std::wstring> texts;
        for (auto& r : device::ui::MessageBoxRecords()) {
            EXPECT_EQ(r.caption, L"Uninstall Report");
            EXPECT_EQ(r.type & 0xF, static_cast<UINT>(MB_OK));
            texts.push_back(r.text);
        }
        return texts;
    }

    HMODULE m_module = nullptr;
    InstallInit m_installInit = nullptr;
    UninstallInit m_uninstallInit = nullptr;
    UninstallExit m_uninstallExit = nullptr;
};

TEST_F(SetupHooks, RemovalWithEverythingPresentDeletesKeysAndStoresSilently) {
    for (LPCWSTR k : {L"Jorvana\\wrldclk", L"Jorvana\\map", L"Jorvana\\weather", L"Jorvana\\alarms",
                      L"Jorvana\\currencies", L"Software\\Apps\\Quillmoor Jorvana", L"Software\\Apps\\Other"})
        CreateKey(k);
    for (LPCWSTR s : {L"jrvCities", L"jrvWeather", L"jrvConverters", L"jrvCurrencies", L"otherDb"})
        ASSERT_NE(CeCreateDatabase(s, 0, 0, nullptr), 0u);

    EXPECT_EQ(m_installInit(nullptr, TRUE, FALSE, L"\\Program Files\\Jorvana"), codeINSTALL_INIT_CONTINUE);
    EXPECT_EQ(m_uninstallExit(nullptr), codeUNINSTALL_EXIT_DONE);
    EXPECT_TRUE(Reported().empty());
    EXPECT_FALSE(KeyExists(L"Jorvana"));
    EXPECT_FALSE(KeyExists(L"SOFTWARE\\Apps\\Quillmoor Jorvana"));
    EXPECT_TRUE(KeyExists(L"Software\\Apps\\Other"));
    for (LPCWSTR s : {L"jrvCities", L"jrvWeather", L"jrvConverters", L"jrvCurrencies"}) EXPECT_FALSE(StoreExists(s)) << s;
    EXPECT_TRUE(StoreExists(L"otherDb"));
}

TEST_F(SetupHooks, RemovalAfterTheProgramNeverRanReportsEachMissingStoreInOrder) {
    CeCreateDatabase(L"jrvWeather", 0, 0, nullptr);
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
    EXPECT_EQ(m_uninstallExit(nullptr), codeUNINSTALL_EXIT_DONE);
    EXPECT_EQ(Reported(), (std::vector<std::wstring>{L"Cities Database not found!", L"Converters Database not found!",
                                                     L"Currencies Database not found!"}));
    EXPECT_FALSE(StoreExists(L"jrvWeather"));
}

TEST_F(SetupHooks, UninstallInitTakesTheItemOffAndAsksForAReloadEvenWithoutTheKey) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Listener;
    wc.lpszClassName = L"ReloadListener";
    RegisterClassW(&wc);
    HWND listener = CreateWindowExW(0, L"ReloadListener", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(listener, nullptr);
    CreateKey(L"Software\\Microsoft\\Today\\Items\\Ondrelpane");
    CreateKey(L"Software\\Microsoft\\Today\\Items\\Other");

    EXPECT_EQ(m_uninstallInit(nullptr, L"\\Program Files\\Jorvana"), codeUNINSTALL_INIT_CONTINUE);
    EXPECT_FALSE(KeyExists(L"Software\\Microsoft\\Today\\Items\\Ondrelpane"));
    EXPECT_TRUE(KeyExists(L"Software\\Microsoft\\Today\\Items\\Other"));
    EXPECT_EQ(m_uninstallInit(nullptr, L"\\Program Files\\Jorvana"), codeUNINSTALL_INIT_CONTINUE);
    device::ui::PumpUntilIdle();
    EXPECT_EQ(std::count(g_settingChanges.begin(), g_settingChanges.end(), WPARAM(0xF2)), 2);
    EXPECT_TRUE(Reported().empty());
    DestroyWindow(listener);
}

} // namespace
