#include "platform/system/ProgramPath.h"
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
