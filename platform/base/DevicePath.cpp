#include "platform/base/DevicePath.h"
#include "platform/base/CaseFold.h"
#include "platform/base/Utf8.h"

#include <system_error>

namespace device {
namespace fs = std::filesystem;

bool IsValidDeviceName(std::wstring_view name, bool allowWildcards) {
    if (name.empty() || name == L"." || name == L"..") return false;
    for (wchar_t c : name) {
        if (c < 0x20) return false;
        switch (c) {
        case L'<': case L'>': case L':': case L'"': case L'|': case L'\\': case L'/':
            return false;
        case L'*': case L'?':
            if (!allowWildcards) return false;
            break;
        default:
            break;
        }
    }
    return true;
}

bool SplitDevicePath(std::wstring_view path, std::vector<std::wstring>& parts, DWORD& error) {
    parts.clear();
    if (path.size() > kMaxDevicePath) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    if (path.empty() || (path[0] != L'\\' && path[0] != L'/')) {
        error = ERROR_BAD_PATHNAME;
        return false;
    }
    size_t start = 1;
    while (start <= path.size()) {
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring_view::npos) end = path.size();
        std::wstring_view part = path.substr(start, end - start);
        if (!part.empty()) {
            if (!IsValidDeviceName(part)) {
                error = (part == L"." || part == L"..") ? ERROR_BAD_PATHNAME : ERROR_INVALID_NAME;
                return false;
            }
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    error = ERROR_SUCCESS;
    return true;
}

bool DeviceToHostPath(const fs::path& fsRoot, std::wstring_view devicePath, fs::path& host, DWORD& error) {
    std::vector<std::wstring> parts;
    if (!SplitDevicePath(devicePath, parts, error)) return false;
    fs::path current = fsRoot;
    bool exists = true; // whether `current` exists, so that lookups stop after the first miss
    for (const auto& part : parts) {
        std::string name = ToUtf8(part);
        if (exists) {
            std::error_code ec;
            fs::path exact = current / name;
            if (fs::exists(fs::symlink_status(exact, ec))) {
                current = std::move(exact);
                continue;
            }
            bool found = false;
            for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
                std::string entry = it->path().filename().string();
                if (EqualNoCase(FromUtf8(entry), part)) {
                    current /= entry;
                    found = true;
                    break;
                }
            }
            if (found) continue;
            exists = false;
        }
        current /= name;
    }
    host = std::move(current);
    error = ERROR_SUCCESS;
    return true;
}

bool HostToDevicePath(const fs::path& fsRoot, const fs::path& host, std::wstring& devicePath) {
    fs::path root = fsRoot.lexically_normal();
    fs::path rel = host.lexically_normal().lexically_relative(root);
    if (rel.empty() || *rel.begin() == "..") return false;
    devicePath.clear();
    for (const auto& part : rel) {
        std::string s = part.string();
        if (s.empty() || s == ".") continue;
        devicePath += L'\\';
        devicePath += FromUtf8(s);
    }
    if (devicePath.empty()) devicePath = L"\\";
    return true;
}

} // namespace device
