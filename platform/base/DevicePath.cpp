#include "platform/base/DevicePath.h"
#include "platform/base/CaseFold.h"
#include "platform/base/Utf8.h"

#include <sys/stat.h>

#include <ctime>
#include <mutex>
#include <system_error>
#include <unordered_map>

namespace device {
namespace fs = std::filesystem;

namespace {

// Folder listings by folded name, kept while the folder's change time stays the same: a name
// whose case differs from the stored one is then found without reading the folder again.
struct Listing {
    struct timespec mtime;
    bool settled = false; // read when the folder had not changed for a while
    std::unordered_map<std::wstring, std::string> byFoldedName;
};
std::mutex g_listingMutex;
std::unordered_map<std::string, Listing> g_listings;

bool FindIgnoringCase(const fs::path& folder, const std::wstring& name, std::string& found) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    std::lock_guard lock(g_listingMutex);
    Listing& listing = g_listings[folder.string()];
    if (listing.mtime.tv_sec != st.st_mtim.tv_sec || listing.mtime.tv_nsec != st.st_mtim.tv_nsec ||
        !listing.settled) {
        if (g_listings.size() > 256) { // a bounded cache: start again rather than grow without end
            g_listings.clear();
            return FindIgnoringCase(folder, name, found);
        }
        listing.byFoldedName.clear();
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::string entry = it->path().filename().string();
            listing.byFoldedName.emplace(ToLower(FromUtf8(entry)), entry);
        }
        listing.mtime = st.st_mtim;
        // Change times are coarse (a few milliseconds): a folder changed just now may change
        // again without a new time, so its listing is used once and read again next time.
        struct timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        double age = static_cast<double>(now.tv_sec - st.st_mtim.tv_sec) + (now.tv_nsec - st.st_mtim.tv_nsec) / 1e9;
        listing.settled = age > 0.1;
    }
    auto it = listing.byFoldedName.find(ToLower(name));
    if (it == listing.byFoldedName.end()) return false;
    found = it->second;
    return true;
}

} // namespace

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
            std::string entry;
            if (FindIgnoringCase(current, part, entry)) {
                current /= entry;
                continue;
            }
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
