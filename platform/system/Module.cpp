#include "platform/system/Module.h"
#include "platform/base/DevicePath.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceRoot.h"

#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <mutex>

namespace device {
namespace {

std::mutex g_mutex;
std::wstring g_override;

std::wstring DefaultPath() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::wstring device;
    if (!ec && HostToDevicePath(FileSystemFolder(), exe, device)) return device;
    if (const char* env = std::getenv("DEVICE_MODULE_PATH"); env && *env) return FromUtf8(env);
    return L"\\Program Files\\Jorvana\\" + FromUtf8(ec ? "Jorvana.exe" : exe.filename().string());
}

} // namespace

std::wstring ModuleDevicePath() {
    std::lock_guard lock(g_mutex);
    return g_override.empty() ? DefaultPath() : g_override;
}

void SetModuleDevicePath(const std::wstring& devicePath) {
    std::lock_guard lock(g_mutex);
    g_override = devicePath;
}

} // namespace device

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    if (hModule != nullptr) {
        SetLastError(ERROR_INVALID_HANDLE); // loaded modules report their paths once modules exist
        return 0;
    }
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::wstring path = device::ModuleDevicePath();
    if (path.size() + 1 > nSize) {
        std::wmemcpy(lpFilename, path.c_str(), nSize - 1);
        lpFilename[nSize - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::wmemcpy(lpFilename, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}
