// device-install: puts the product on the device and takes it off again, as the device's
// installer does: the setup library's hooks are asked first, then the files are copied into
// (or removed from) the installation folder (the language modules into its LangsRes folder) and the installer's own registry entries (the
// installation folder, the Today item) are written. The device's help viewer (peghelp.exe) and
// the program's help file (jrvhelp.htm) go into \Windows, where the viewer finds help files;
// removal takes the help file away and leaves the viewer, which belongs to the device.
//
//   device-install <build folder> <data folder>   install (again)
//   device-install --remove                        remove
//
// The device is the one DEVICE_ROOT names (or the default root).
//
// A program of the product that runs while it is removed (one whose executable is a file of the
// installation folder) is first asked to close as the user would close it, and the removal waits
// for it to end, so that it cannot write its settings back after they are gone; one that does
// not end in time makes the removal stop before anything is removed.

#include "platform/display/DeviceProgram.h"
#include "platform/display/Display.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/Modules.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/Registry.h"
#include "platform/ui/Broadcast.h"
#include "platform/ui/MessageBox.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <thread>
#include <vector>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr WCHAR kInstallDir[] = L"\\Program Files\\Jorvana";
constexpr WCHAR kAppKey[] = L"SOFTWARE\\Apps\\Quillmoor Jorvana";
constexpr WCHAR kTodayItemKey[] = L"Software\\Microsoft\\Today\\Items\\Ondrelpane";
// What the build makes that goes on the device, beside the shipped data files.
constexpr const char* kBuiltFiles[] = {"Jorvana.exe", "today/Ondrelpane.dll", "setup/setup.dll"};
// The language modules the build makes, installed in the program's LangsRes folder that
// langs.dat lists them from.
constexpr char kLanguageFolder[] = "LangsRes";
constexpr const char* kLanguageModules[] = {"OndrelDeutsch.dll"};
constexpr WCHAR kWindowsDir[] = L"\\Windows";
// The device's help viewer, built beside the program.
constexpr char kHelpViewer[] = "peghelp.exe";
// The program's help file: shipped with the data but installed in \Windows.
constexpr char kHelpFile[] = "jrvhelp.htm";

using InstallInit = int (*)(HWND, BOOL, BOOL, LPCWSTR);
using UninstallInit = int (*)(HWND, LPCWSTR);
using UninstallExit = int (*)(HWND);

bool HostFolder(fs::path& host, LPCWSTR devicePath = kInstallDir) {
    if (!device::ResolveDevicePath(devicePath, host)) {
        std::fprintf(stderr, "device-install: the folder %ls has no place on this device\n", devicePath);
        return false;
    }
    return true;
}

// Copies the data folder's contents into the installation folder, all but the help file.
void CopyData(const fs::path& data, const fs::path& folder, std::error_code& ec) {
    for (const fs::directory_entry& entry : fs::directory_iterator(data, ec)) {
        if (entry.path().filename() == kHelpFile) continue;
        fs::copy(entry.path(), folder / entry.path().filename(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
        if (ec) return;
    }
}

// The help viewer and the help file into \Windows.
bool InstallHelp(const fs::path& build, const fs::path& data) {
    fs::path windows;
    if (!HostFolder(windows, kWindowsDir)) return false;
    std::error_code ec;
    fs::create_directories(windows, ec);
    fs::copy_file(build / kHelpViewer, windows / kHelpViewer, fs::copy_options::overwrite_existing, ec);
    if (!ec && fs::is_regular_file(data / kHelpFile))
        fs::copy_file(data / kHelpFile, windows / kHelpFile, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::fprintf(stderr, "device-install: cannot copy the help into %s: %s\n", windows.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

bool WriteString(HKEY key, LPCWSTR name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR))) == ERROR_SUCCESS;
}

bool WriteDword(HKEY key, LPCWSTR name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

bool WriteInstallerEntries() {
    HKEY app = nullptr, item = nullptr;
    bool ok = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAppKey, 0, nullptr, 0, 0, nullptr, &app, nullptr) == ERROR_SUCCESS &&
              WriteString(app, L"InstallDir", kInstallDir);
    if (app) RegCloseKey(app);
    ok = ok &&
         RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTodayItemKey, 0, nullptr, 0, 0, nullptr, &item, nullptr) == ERROR_SUCCESS &&
         WriteString(item, L"DLL", std::wstring(kInstallDir) + L"\\Ondrelpane.dll") && WriteDword(item, L"Order", 0) &&
         WriteDword(item, L"Enabled", 1);
    if (item) RegCloseKey(item);
    return ok;
}

bool WasInstalled() {
    HKEY app = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppKey, 0, 0, &app) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    bool found = RegQueryValueExW(app, L"InstallDir", nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    RegCloseKey(app);
    return found;
}

// The setup library as it lies in the installation folder.
HMODULE LoadSetupLibrary() {
    HMODULE setup = LoadLibraryW((std::wstring(kInstallDir) + L"\\setup.dll").c_str());
    if (!setup) std::fprintf(stderr, "device-install: the setup library could not be loaded\n");
    return setup;
}

int Install(const fs::path& build, const fs::path& data) {
    fs::path folder;
    if (!HostFolder(folder)) return 1;
    for (const char* file : kBuiltFiles) {
        if (!fs::is_regular_file(build / file)) {
            std::fprintf(stderr, "device-install: %s is not built in %s\n", file, build.c_str());
            return 1;
        }
    }
    if (!fs::is_regular_file(build / kHelpViewer)) {
        std::fprintf(stderr, "device-install: %s is not built in %s\n", kHelpViewer, build.c_str());
        return 1;
    }
    for (const char* file : kLanguageModules) {
        if (!fs::is_regular_file(build / kLanguageFolder / file)) {
            std::fprintf(stderr, "device-install: %s/%s is not built in %s\n", kLanguageFolder, file, build.c_str());
            return 1;
        }
    }
    if (!fs::is_directory(data)) {
        std::fprintf(stderr, "device-install: no data folder at %s\n", data.c_str());
        return 1;
    }
    const bool again = WasInstalled();
    std::error_code ec;
    fs::create_directories(folder, ec);
    // The setup library goes first: the installer runs its hooks from the installation folder.
    fs::copy_file(build / "setup/setup.dll", folder / "setup.dll", fs::copy_options::overwrite_existing, ec);
    if (ec) {
        std::fprintf(stderr, "device-install: cannot copy into %s: %s\n", folder.c_str(), ec.message().c_str());
        return 1;
    }
    HMODULE setup = LoadSetupLibrary();
    if (!setup) return 1;
    auto init = reinterpret_cast<InstallInit>(GetProcAddressW(setup, L"Install_Init"));
    if (init && init(nullptr, TRUE, again ? TRUE : FALSE, kInstallDir) != 0) {
        std::fprintf(stderr, "device-install: the setup library cancelled the installation\n");
        FreeLibrary(setup);
        return 1;
    }
    FreeLibrary(setup);
    for (const char* file : kBuiltFiles)
        fs::copy_file(build / file, folder / fs::path(file).filename(), fs::copy_options::overwrite_existing, ec);
    if (!ec) CopyData(data, folder, ec);
    if (!ec) fs::create_directories(folder / kLanguageFolder, ec);
    for (const char* file : kLanguageModules) {
        if (ec) break;
        fs::copy_file(build / kLanguageFolder / file, folder / kLanguageFolder / file,
                      fs::copy_options::overwrite_existing, ec);
    }
    if (ec) {
        std::fprintf(stderr, "device-install: copying the files failed: %s\n", ec.message().c_str());
        return 1;
    }
    if (!InstallHelp(build, data)) return 1;
    if (!WriteInstallerEntries()) {
        std::fprintf(stderr, "device-install: the registry entries could not be written\n");
        return 1;
    }
    std::printf("device-install: installed in %s\n", folder.c_str());
    return 0;
}

// A running program is the product's when its executable is a file of the installation folder.
bool IsProductProgram(const std::wstring& program) {
    std::wstring folder = std::wstring(kInstallDir) + L"\\";
    if (program.size() <= folder.size()) return false;
    for (size_t i = 0; i < folder.size(); ++i)
        if (std::towlower(program[i]) != std::towlower(folder[i])) return false;
    fs::path host;
    return device::ResolveDevicePath(program.c_str(), host) && fs::is_regular_file(host);
}

// The single-copy lock files of the programs of the installation folder (<root>/ipc/<program>.lock).
std::vector<fs::path> ProductLockFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(device::RootFolder() / "ipc", ec))
        if (entry.path().extension() == ".lock" && fs::is_regular_file(folder / entry.path().stem()))
            files.push_back(entry.path());
    return files;
}

// The processes holding the single-copy lock of a program of the installation folder: a copy
// that is still starting has no listener yet but holds its lock.
std::vector<int> LockedProductCopies(const fs::path& folder) {
    std::vector<int> pids;
    for (const fs::path& file : ProductLockFiles(folder)) {
        int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
            flock(fd, LOCK_UN); // nobody holds it: no copy runs
        } else {
            char text[32] = {};
            if (pread(fd, text, sizeof text - 1, 0) > 0 && std::atoi(text) > 0) pids.push_back(std::atoi(text));
        }
        close(fd);
    }
    return pids;
}

// Asks every running program of the product to close and waits for each to end. False, with a
// message saying which one still runs, when one does not answer or does not end in time.
bool CloseProductPrograms(const fs::path& folder) {
    using namespace std::chrono;
    std::vector<device::ui::DeviceProcess> running;
    std::vector<int> unanswered;
    // A copy that holds its lock but does not listen yet is given a moment to start listening.
    const auto listenDeadline = steady_clock::now() + seconds(3);
    for (;;) {
        running.clear();
        for (const device::ui::DeviceProcess& process : device::ui::RunningDeviceProcesses())
            if (IsProductProgram(process.program)) running.push_back(process);
        unanswered.clear();
        for (int pid : LockedProductCopies(folder)) {
            bool listed = std::any_of(running.begin(), running.end(), [pid](const auto& p) { return p.pid == pid; });
            if (!listed && device::ui::DeviceProcessRunning(pid)) unanswered.push_back(pid);
        }
        if (unanswered.empty() || steady_clock::now() > listenDeadline) break;
        std::this_thread::sleep_for(milliseconds(100));
    }
    if (!unanswered.empty()) {
        std::fprintf(stderr,
                     "device-install: a program of the product (process %d) is running and does not answer; close it, "
                     "then run the removal again. Nothing was removed.\n",
                     unanswered.front());
        return false;
    }
    for (const device::ui::DeviceProcess& process : running) {
        std::printf("device-install: closing %ls (process %d)\n", process.program.c_str(), process.pid);
        device::ui::AskProcessToClose(process.pid);
    }
    // Closing saves the program's settings and may take a moment on a slow device.
    const auto endDeadline = steady_clock::now() + seconds(15);
    for (const device::ui::DeviceProcess& process : running) {
        while (device::ui::DeviceProcessRunning(process.pid) && steady_clock::now() < endDeadline)
            std::this_thread::sleep_for(milliseconds(50));
        if (device::ui::DeviceProcessRunning(process.pid)) {
            std::fprintf(stderr,
                         "device-install: %ls (process %d) did not close; close it, then run the removal again. "
                         "Nothing was removed.\n",
                         process.program.c_str(), process.pid);
            return false;
        }
    }
    return true;
}

int Remove() {
    fs::path folder;
    if (!HostFolder(folder)) return 1;
    if (!WasInstalled() && !fs::exists(folder)) {
        std::fprintf(stderr, "device-install: the product is not installed\n");
        return 1;
    }
    // Before the hooks: a program still running would write its settings back after them.
    if (!CloseProductPrograms(folder)) return 1;
    HMODULE setup = LoadSetupLibrary();
    auto init = setup ? reinterpret_cast<UninstallInit>(GetProcAddressW(setup, L"Uninstall_Init")) : nullptr;
    auto exit = setup ? reinterpret_cast<UninstallExit>(GetProcAddressW(setup, L"Uninstall_Exit")) : nullptr;
    if (init && init(nullptr, kInstallDir) != 0) {
        std::fprintf(stderr, "device-install: the setup library cancelled the removal\n");
        FreeLibrary(setup);
        return 1;
    }
    // The hooks of the library run before its own file goes, as on the device.
    if (exit) exit(nullptr);
    if (setup) FreeLibrary(setup);
    // The lock files the product's programs made go with them (no copy runs any more); the rest
    // of the device root (device.db, the other programs' files) is the device's.
    const std::vector<fs::path> locks = ProductLockFiles(folder);
    std::error_code ec;
    fs::remove_all(folder, ec);
    for (const fs::path& lock : locks) {
        std::error_code lockEc;
        fs::remove(lock, lockEc);
    }
    fs::path windows;
    std::error_code helpEc;
    if (device::ResolveDevicePath(kWindowsDir, windows)) fs::remove(windows / kHelpFile, helpEc);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTodayItemKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAppKey);
    if (ec) {
        std::fprintf(stderr, "device-install: removing %s failed: %s\n", folder.c_str(), ec.message().c_str());
        return 1;
    }
    std::printf("device-install: removed\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // On the headless display nobody sees the setup library's boxes (a store that was never
    // made): they are said on the terminal and answered, rather than waited for.
    if (std::strcmp(device::display::Start(), "headless") == 0) device::ui::AnswerMessageBoxesOnTerminal(true);
    // Installing and removing both write the device's store: one that is held by another program
    // or cannot be opened is said before anything is copied or removed.
    int exitCode = 0;
    if ((argc == 2 || argc == 3) && !device::display::CheckDeviceStorageAtStart("device-install", exitCode))
        return exitCode;
    if (argc == 2 && std::string(argv[1]) == "--remove") return Remove();
    if (argc == 3) return Install(argv[1], argv[2]);
    std::fprintf(stderr, "usage: device-install <build folder> <data folder>\n       device-install --remove\n");
    return 2;
}
