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

} // namespace

BOOL ShellExecuteExW(LPSHELLEXECUTEINFOW info) {
    if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOW) || !info->lpFile || !*info->lpFile)
        return Fail(info, ERROR_INVALID_PARAMETER);
    info->hProcess = nullptr;
    if (info->lpVerb && *info->lpVerb && !device::EqualNoCase(info->lpVerb, L"open"))
        return Fail(info, ERROR_NO_ASSOCIATION);

    std::filesystem::path host;
    std::error_code ec;
    if (!device::ResolveDevicePath(info->lpFile, host) || !std::filesystem::is_regular_file(host, ec))
        return Fail(info, ERROR_FILE_NOT_FOUND);
    if (access(host.c_str(), X_OK) != 0) return Fail(info, ERROR_ACCESS_DENIED);
    std::filesystem::path folder;
    if (info->lpDirectory && *info->lpDirectory &&
        (!device::ResolveDevicePath(info->lpDirectory, folder) || !std::filesystem::is_directory(folder, ec)))
        return Fail(info, ERROR_FILE_NOT_FOUND);

    std::vector<std::string> args{host.string()};
    for (auto& a : SplitArguments(info->lpParameters)) args.push_back(std::move(a));
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
    if (rc != 0) return Fail(info, ERROR_ACCESS_DENIED);

    // Nobody waits for the program: a detached waiter keeps it from lingering as a zombie.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(42));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
