// The device's installer, run as its own process on a fresh device: the files land in the
// installation folder, the registry names the folder and the Today item, and removal takes it
// all off again with the setup library's clean-up.

#include "platform/system/DeviceFiles.h"
#include "platform/system/Notifications.h"
#include "platform/system/ObjectStore.h"
#include "platform/system/Registry.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class DeviceInstallTest : public testsupport::FreshDevice {
protected:
    // The installer's arguments for a build folder and the shipped data, each quoted.
    static std::string BuildAndData(const std::string& build) {
        std::string arguments = "'";
        arguments += build;
        arguments += "' '";
        arguments += JORVANA_DATA_DIR;
        arguments += "'";
        return arguments;
    }
    int Run(const std::string& arguments) {
        const std::string command = "DEVICE_ROOT='" + Root().string() + "' DEVICE_DISPLAY=headless '" +
                                    std::string(DEVICE_INSTALL) + "' " + arguments + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    fs::path Folder() const { return Root() / "fs" / "Program Files" / "Jorvana"; }
    fs::path Windows() const { return Root() / "fs" / "Windows"; }
    static std::string ReadHost(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Runs \Windows\peghelp.exe headless for two seconds; 124 when it was still running then.
    int RunInstalledViewer() {
        const std::string command = "DEVICE_ROOT='" + Root().string() + "' DEVICE_DISPLAY=headless timeout 2 '" +
                                    (Windows() / "peghelp.exe").string() + "' file:jrvhelp.htm >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static std::wstring ReadString(LPCWSTR path, LPCWSTR name) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return L"<no key>";
        WCHAR value[MAX_PATH] = {};
        DWORD type = 0, size = sizeof(value);
        LONG result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
        RegCloseKey(key);
        return result == ERROR_SUCCESS ? std::wstring(value) : L"<no value>";
    }
    // Arms a notification with that title for 1 May 2030, 9:00.
    static HANDLE Arm(LPCWSTR title) {
        CE_NOTIFICATION_TRIGGER trigger{};
        trigger.dwSize = 52;
        trigger.dwType = CNT_TIME;
        trigger.stStartTime = SYSTEMTIME{2030, 5, 3, 1, 9, 0, 0, 0};
        std::wstring titleText = title, body = L"Tokyo:  09h00, 1/5/2030   \n\n\nCall";
        CE_USER_NOTIFICATION user{};
        user.ActionFlags = PUN_LED | PUN_VIBRATE | PUN_DIALOG | PUN_REPEAT;
        user.pwszDialogTitle = titleText.data();
        user.pwszDialogText = body.data();
        return CeSetUserNotificationEx(nullptr, &trigger, &user);
    }
    static std::vector<std::wstring> ArmedTitles() {
        std::vector<std::wstring> titles;
        DWORD count = 0;
        CeGetUserNotificationHandles(nullptr, 0, &count);
        std::vector<HANDLE> handles(count);
        if (count && !CeGetUserNotificationHandles(handles.data(), count, &count)) return titles;
        for (HANDLE h : handles) {
            DWORD need = 0;
            CeGetUserNotification(h, 0, &need, nullptr);
            std::vector<BYTE> buffer(need);
            if (!CeGetUserNotification(h, need, &need, buffer.data())) continue;
            auto* info = reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(buffer.data());
            titles.push_back(info->pceun && info->pceun->pwszDialogTitle ? info->pceun->pwszDialogTitle : L"");
        }
        return titles;
    }
    static bool StoreExists(LPCWSTR name) {
        CEOID id = 0;
        HANDLE db = CeOpenDatabase(&id, name, 0, 0, nullptr);
        if (db == INVALID_HANDLE_VALUE) return false;
        CloseHandle(db);
        return true;
    }
};

TEST_F(DeviceInstallTest, InstallsTheProductAndRemovesItWithTheProgramsData) {
    ASSERT_EQ(Run(BuildAndData(BUILD_DIR)), 0);
    for (const char* file : {"Jorvana.exe", "Ondrelpane.dll", "setup.dll", "cities.lst", "default.skn",
                             "toolbar/clocks.bmp", "Portrait/clocks.jpg", "langs.dat", "LangsRes/OndrelDeutsch.dll"})
        EXPECT_TRUE(fs::is_regular_file(Folder() / file)) << file;
    EXPECT_EQ(ReadString(L"SOFTWARE\\Apps\\Quillmoor Jorvana", L"InstallDir"), L"\\Program Files\\Jorvana");
    EXPECT_EQ(ReadString(L"Software\\Microsoft\\Today\\Items\\Ondrelpane", L"DLL"),
              L"\\Program Files\\Jorvana\\Ondrelpane.dll");
    // The help viewer and the help file go where the viewer looks, not beside the program.
    EXPECT_TRUE(fs::is_regular_file(Windows() / "peghelp.exe"));
    EXPECT_EQ(ReadHost(Windows() / "jrvhelp.htm"), ReadHost(fs::path(JORVANA_DATA_DIR) / "jrvhelp.htm"));
    EXPECT_FALSE(fs::exists(Folder() / "jrvhelp.htm"));
    // The installed viewer starts on the device and keeps running until it is closed.
    EXPECT_EQ(RunInstalledViewer(), 124);
    // Installing again over the installed product is allowed.
    EXPECT_EQ(Run(BuildAndData(BUILD_DIR)), 0);

    // What the program leaves behind once it has run: its settings and its four stores.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", 0, nullptr, 0, 0, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    for (LPCWSTR store : {L"jrvCities", L"jrvWeather", L"jrvConverters", L"jrvCurrencies"})
        ASSERT_NE(CeCreateDatabase(store, 0, 0, nullptr), 0u) << store;
    // Armed reminders of the program, and notifications of others with titles close to them.
    for (LPCWSTR title : {L"Jorvana Reminder", L"Other alarm", L"Jorvana Reminder3", L"Jorvana Reminder4",
                          L"jorvana reminder", L"Jorvana Reminder5"})
        ASSERT_NE(Arm(title), nullptr) << title;

    ASSERT_EQ(Run("--remove"), 0);
    // None of the program's reminders can go off once it is gone; the others stay armed.
    EXPECT_EQ(ArmedTitles(), (std::vector<std::wstring>{L"Other alarm", L"jorvana reminder", L"Jorvana Reminder5"}));
    EXPECT_FALSE(fs::exists(Folder()));
    EXPECT_FALSE(fs::exists(Windows() / "jrvhelp.htm"));
    EXPECT_TRUE(fs::exists(Windows() / "peghelp.exe")) << "the viewer belongs to the device";
    for (LPCWSTR store : {L"jrvCities", L"jrvWeather", L"jrvConverters", L"jrvCurrencies"})
        EXPECT_FALSE(StoreExists(store));
    EXPECT_EQ(ReadString(L"Jorvana\\wrldclk", L"clock"), L"<no key>");
    EXPECT_EQ(ReadString(L"Software\\Microsoft\\Today\\Items\\Ondrelpane", L"DLL"), L"<no key>");
    EXPECT_EQ(ReadString(L"SOFTWARE\\Apps\\Quillmoor Jorvana", L"InstallDir"), L"<no key>");
}

// A product removed before the program ever ran has none of its stores: on the headless display
// the setup library's reports of them go to the terminal and are answered, so the removal ends.
TEST_F(DeviceInstallTest, RemovalOfAProductThatNeverRanReportsTheMissingStoresOnTheTerminal) {
    ASSERT_EQ(Run(BuildAndData(BUILD_DIR)), 0);
    const fs::path said = Root() / "said.txt";
    const std::string command = "DEVICE_ROOT='" + Root().string() + "' DEVICE_DISPLAY=headless timeout 30 '" +
                                std::string(DEVICE_INSTALL) + "' --remove >/dev/null 2>'" + said.string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "124: the removal waited for a tap nobody can give";
    const std::string text = ReadHost(said);
    for (const char* line : {"Uninstall Report: Cities Database not found!", "Uninstall Report: Weather Database not found!",
                             "Uninstall Report: Converters Database not found!",
                             "Uninstall Report: Currencies Database not found!"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_FALSE(fs::exists(Folder()));
}

TEST_F(DeviceInstallTest, RefusesAnIncompleteBuildAndARemovalOfNothing) {
    const fs::path empty = Root() / "empty-build";
    fs::create_directories(empty);
    EXPECT_EQ(Run(BuildAndData(empty.string())), 1);
    EXPECT_FALSE(fs::exists(Folder() / "Jorvana.exe"));
    // A build without the help viewer is incomplete too.
    const fs::path noViewer = Root() / "no-viewer-build";
    for (const char* file : {"Jorvana.exe", "today/Ondrelpane.dll", "setup/setup.dll"}) {
        fs::create_directories((noViewer / file).parent_path());
        fs::copy_file(fs::path(BUILD_DIR) / file, noViewer / file);
    }
    EXPECT_EQ(Run(BuildAndData(noViewer.string())), 1);
    EXPECT_FALSE(fs::exists(Folder() / "Jorvana.exe"));
    EXPECT_EQ(Run("--remove"), 1);
    EXPECT_EQ(Run(""), 2);
}

} // namespace
