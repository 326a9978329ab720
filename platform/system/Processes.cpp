#include "platform/system/Processes.h"
#include "platform/base/CaseFold.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/DeviceRoot.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

std::vector<std::string> SplitArguments(LPCWSTR parameters) {
    std::vector<std::string> out;
    if (!parameters) return out;
    std::wstring current;
    for (const WCHAR* p = parameters;; ++p) {
        if (*p == L'\0' || *p == L' ' || *p == L'\t') {
            if (!current.empty()) out.push_back(device::ToUtf8(current));
            current.clear();
            if (*p == L'\0') break;
        } else {
            current += *p;
        }
    }
    return out;
}

// The environment of the child: this one, with DEVICE_ROOT naming this process's device.
std::vector<std::string> ChildEnvironment() {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e)
        if (std::string(*e).rfind("DEVICE_ROOT=", 0) != 0) env.emplace_back(*e);
    env.push_back("DEVICE_ROOT=" + device::RootFolder().string());
    return env;
}

BOOL Fail(LPSHELLEXECUTEINFOW info, DWORD error) {
    if (info) info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(error));
    SetLastError(error);
    return FALSE;
}

// Spawns the program at a host path with the arguments, in the folder when one is given; 0 on
// success, else the device error.
DWORD Spawn(const std::filesystem::path& host, LPCWSTR parameters, const std::filesystem::path& folder,
            pid_t& started) {
    if (access(host.c_str(), X_OK) != 0) return ERROR_ACCESS_DENIED;
    std::vector<std::string> args{host.string()};
    for (auto& a : SplitArguments(parameters)) args.push_back(std::move(a));
    std::vector<std::string> env = ChildEnvironment();
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    int rc = posix_spawn(&pid, host.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return ERROR_ACCESS_DENIED;

    // Nobody waits for the program: a detached waiter keeps it from lingering as a zombie.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    started = pid;
    return ERROR_SUCCESS;
}

// The host folder of an optional device folder; false when one is named but is not there.
bool StartFolder(LPCWSTR devicePath, std::filesystem::path& folder) {
    folder.clear();
    if (!devicePath || !*devicePath) return true;
    std::error_code ec;
    return device::ResolveDevicePath(devicePath, folder) && std::filesystem::is_directory(folder, ec);
}

bool IsProgramFile(const std::wstring& devicePath, std::filesystem::path& host) {
    std::error_code ec;
    return device::ResolveDevicePath(devicePath.c_str(), host) && std::filesystem::is_regular_file(host, ec);
}

// The program file CreateProcess means by a name: a bare name is looked for in \Windows, then
// in the root folder; a name without an extension is also tried with ".exe".
bool FindImage(const std::wstring& name, std::filesystem::path& host) {
    std::vector<std::wstring> places;
    if (name.find(L'\\') == std::wstring::npos) {
        places = {L"\\Windows\\" + name, L"\\" + name};
    } else {
        places = {name};
    }
    const bool hasExtension = name.find(L'.', name.find_last_of(L'\\') + 1) != std::wstring::npos;
    for (const auto& place : places) {
        if (IsProgramFile(place, host)) return true;
        if (!hasExtension && IsProgramFile(place + L".exe", host)) return true;
    }
    return false;
}

} // namespace

BOOL ShellExecuteExW(LPSHELLEXECUTEINFOW info) {
    if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOW) || !info->lpFile || !*info->lpFile)
        return Fail(info, ERROR_INVALID_PARAMETER);
    info->hProcess = nullptr;
    if (info->lpVerb && *info->lpVerb && !device::EqualNoCase(info->lpVerb, L"open"))
        return Fail(info, ERROR_NO_ASSOCIATION);

    std::filesystem::path host, folder;
    if (!IsProgramFile(info->lpFile, host)) return Fail(info, ERROR_FILE_NOT_FOUND);
    if (!StartFolder(info->lpDirectory, folder)) return Fail(info, ERROR_FILE_NOT_FOUND);
    pid_t pid = 0;
    if (DWORD error = Spawn(host, info->lpParameters, folder, pid)) return Fail(info, error);
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(42));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL CreateProcessW(LPCWSTR imageName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                    DWORD, LPVOID, LPWSTR curDir, LPSTARTUPINFOW, LPPROCESS_INFORMATION processInfo) {
    if (processInfo) *processInfo = PROCESS_INFORMATION{};
    if (!imageName || !*imageName) return Fail(nullptr, ERROR_INVALID_PARAMETER);
    std::filesystem::path host, folder;
    if (!FindImage(imageName, host) || !StartFolder(curDir, folder)) return Fail(nullptr, ERROR_FILE_NOT_FOUND);
    pid_t pid = 0;
    if (DWORD error = Spawn(host, commandLine, folder, pid)) return Fail(nullptr, error);
    if (processInfo) processInfo->dwProcessId = static_cast<DWORD>(pid);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
