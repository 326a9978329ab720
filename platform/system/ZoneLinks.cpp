// tzdata's link names, read once from the zone folder's tzdata.zi.
#include "platform/system/ZoneLinks.h"
#include "platform/system/DeviceTime.h"

#include <fstream>
#include <mutex>
#include <sstream>

namespace device {
namespace {

struct LinkTable {
    std::mutex mutex;
    bool loaded = false;
    std::filesystem::path folder; // the folder the table was read from
    std::map<std::string, std::string> links;
};

LinkTable& Table() {
    static LinkTable table;
    return table;
}

// "L TARGET LINK" lines; a link whose target is itself a link is followed to the zone.
std::map<std::string, std::string> ReadLinks(const std::filesystem::path& folder) {
    std::map<std::string, std::string> links;
    std::ifstream in(folder / "tzdata.zi");
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 2 || line[0] != 'L' || line[1] != ' ') continue;
        std::istringstream fields(line.substr(2));
        std::string target, name;
        if (fields >> target >> name && target != name) links[name] = target;
    }
    for (auto& [name, target] : links) {
        // Chains are followed; a walk as long as the table itself would be a loop.
        for (size_t steps = 0; steps < links.size(); ++steps) {
            auto next = links.find(target);
            if (next == links.end() || next->second == name) break;
            target = next->second;
        }
    }
    return links;
}

// A name of the zone folder, never a path out of it.
bool IsFolderName(const std::string& name) {
    if (name.empty() || name.front() == '/') return false;
    for (const auto& part : std::filesystem::path(name))
        if (part == "..") return false;
    return true;
}

} // namespace

const std::map<std::string, std::string>& ZoneLinks() {
    LinkTable& table = Table();
    std::lock_guard lock(table.mutex);
    const std::filesystem::path folder = ZoneFolder();
    if (!table.loaded || table.folder != folder) {
        table.links = ReadLinks(folder);
        table.folder = folder;
        table.loaded = true;
    }
    return table.links;
}

std::string CanonicalZoneName(const std::string& name) {
    const auto& links = ZoneLinks();
    if (auto link = links.find(name); link != links.end()) return link->second;
    if (!IsFolderName(name)) return name;
    // Without tzdata.zi the folder's own symbolic links tell the same (Debian links each old
    // name to its zone's file).
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::canonical(ZoneFolder(), ec);
    if (ec || !std::filesystem::is_symlink(folder / name, ec)) return name;
    const std::filesystem::path file = std::filesystem::canonical(folder / name, ec);
    if (ec) return name;
    const std::filesystem::path inside = file.lexically_relative(folder);
    if (inside.empty() || *inside.begin() == "..") return name;
    return inside.generic_string();
}

} // namespace device
