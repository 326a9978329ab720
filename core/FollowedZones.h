#pragma once
// The cities whose clocks follow the machine's tzdata. A city list whose title line names the
// tzdata release it was made from (";tzdata 2025b;") stands for tzdata: a city of the store whose
// offset and rule are still what that list gives it reads its zone (the list's first field) in
// the machine's tzdata, through the device layer's TZif reader. The city keeps its listed
// standard offset; its windows are the times at which the zone's UTC offset differs from it,
// each with that difference as its shift, over the years around now in which the difference is
// whole hours. A city the user changed or added, a list without a release, a zone the machine
// lacks or whose file is damaged: the listed rule as it reads without this. Nothing is written.
//
// Header-only on the device layer, so that the program and the Today plug-in, which share no
// other code, follow alike. The list is read once per process (again when the file changes),
// each zone file at most once, and each zone's windows are built once for a standard offset.

#include "core/DstMath.h"
#include "core/WholeFile.h"
#include "platform/base/CodePage.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/TzFile.h"
#include "platform/system/ZoneLinks.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

namespace dstmath {

// The years a followed schedule can cover. Before the first every zone kept its local mean time.
// A zone with summer time every year is followed for a century and a half from now (built again
// for a device clock beyond that), up to the last year; a zone whose last offset holds for good,
// for every year of the calendar.
constexpr int kFollowFirstYear = 1800;
constexpr int kFollowYearsAhead = 150;
constexpr int kFollowLastYear = 3000;
constexpr int kFollowEndlessYear = 9999;

// A window that tzdata gives no end: the zone's last offset, which holds for good, differs from
// the city's standard offset (a zone on its summer time all year from then on).
inline bool EndsNever(const Window& w) {
    return w.hasDst && w.end > w.start && w.end >= Civil(kFollowEndlessYear + 1, 1, 1, 0);
}

// One city as the list gives it, by its property 101.
struct ListedCity {
    std::string zone;    // the line's first field
    std::wstring offset; // property 108 as an import writes it
    std::wstring rule;   // property 104 as an import writes it
};

struct FollowList {
    std::wstring release; // the tzdata release the title line names
    std::unordered_map<std::wstring, ListedCity> cities;
};
using FollowListPtr = std::shared_ptr<const FollowList>;

// The list file's name in the program folder.
constexpr wchar_t kFollowListName[] = L"cities.lst";
// Far more than the list holds (about 70 KB): a larger file is not read.
constexpr unsigned long kFollowListCap = 4 * 1024 * 1024;

namespace follow_detail {

// The tokens of a list's bytes as the import reads them: each ends at its delimiter or at the end.
class Tokens {
public:
    explicit Tokens(const std::string& bytes) : m_text(bytes) {}
    // The bytes up to the delimiter; complete is false when the end of the text came first.
    std::string_view Next(char delimiter, bool* complete = nullptr) {
        const size_t end = m_text.find(delimiter, m_at);
        const std::string_view token = m_text.substr(m_at, end == std::string_view::npos ? std::string_view::npos : end - m_at);
        if (complete) *complete = end != std::string_view::npos;
        m_at = end == std::string_view::npos ? m_text.size() : end + 1;
        return token;
    }
    bool AtEnd() const { return m_at >= m_text.size(); }

private:
    std::string_view m_text;
    size_t m_at = 0;
};

// Bytes widened one by one, as the import widens them, appended to a text.
inline void Widen(std::wstring& out, std::string_view bytes) {
    for (unsigned char c : bytes) out += device::WidenByte(c);
}

inline std::wstring Widened(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    Widen(text, bytes);
    return text;
}

// A leading decimal integer: blanks, a sign and digits (as the count and offset texts are read).
inline long long LeadingNumber(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9' && value < 100000000; ++i)
        value = value * 10 + (text[i] - L'0');
    return negative ? -value : value;
}

} // namespace follow_detail

// The release a title line names in its field "tzdata NAME" (letters and digits); empty when
// it names none.
inline std::wstring ListReleaseOf(const std::wstring& title) {
    const std::wstring line = L";" + title;
    const size_t at = line.find(L";tzdata ");
    if (at == std::wstring::npos) return {};
    std::wstring release;
    for (size_t i = at + 8; i < line.size() && line[i] != L';' && line[i] != L'\r'; ++i) {
        const wchar_t c = line[i];
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'))) return {};
        release += c;
    }
    return release;
}

// The cities of a list's text as the store's import reads them (the first of two lines with one
// property 101 counts, an end marker ends the list); null for a list that names no release.
inline FollowListPtr ParseFollowList(const std::string& bytes) {
    follow_detail::Tokens in(bytes);
    auto list = std::make_shared<FollowList>();
    list->release = ListReleaseOf(follow_detail::Widened(in.Next('\n')));
    if (list->release.empty()) return nullptr;
    const long long count = follow_detail::LeadingNumber(follow_detail::Widened(in.Next('\n')));
    list->cities.reserve(static_cast<size_t>(std::min<long long>(std::max<long long>(count, 0), 100000)));
    for (long long i = 0; i < count && !in.AtEnd(); ++i) {
        bool whole = true, complete = true;
        const std::string_view zone = in.Next(';', &whole);
        std::string_view f[9];
        for (int k = 0; k < 9; ++k) {
            f[k] = in.Next(';', &complete);
            whole = whole && complete;
            if ((k == 1 || k == 3 || k == 8) && f[k] == ">") return list;
        }
        if (!whole) break;
        const std::string_view rest = in.Next('\n');
        std::wstring key = follow_detail::Widened(f[0]);
        key += L':';
        follow_detail::Widen(key, f[1]);
        if (list->cities.count(key)) continue; // the store keeps the first
        ListedCity city;
        for (unsigned char c : zone) city.zone += c < 0x80 ? static_cast<char>(c) : '?';
        city.offset = follow_detail::Widened(f[4]);
        for (int k = 5; k < 9; ++k) {
            follow_detail::Widen(city.rule, f[k]);
            city.rule += L':';
        }
        follow_detail::Widen(city.rule, rest);
        list->cities.emplace(std::move(key), std::move(city));
    }
    return list;
}

// The list at the device path, read when this process has not read it as it is now; null when
// it is missing, unreadable, too large or names no release.
inline FollowListPtr LoadFollowList(const wchar_t* devicePath) {
    struct Cache {
        std::mutex mutex;
        std::map<std::wstring, std::pair<std::string, FollowListPtr>> lists; // host path -> stamp, list
    };
    static Cache& cache = *new Cache; // kept to the process's end: nothing to take apart at exit
    std::filesystem::path host;
    if (!devicePath || !device::ResolveDevicePath(devicePath, host)) return nullptr;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(devicePath, &found);
    if (find == INVALID_HANDLE_VALUE) return nullptr;
    FindClose(find);
    const std::string stamp = std::to_string(found.ftLastWriteTime.dwHighDateTime) + "." +
                              std::to_string(found.ftLastWriteTime.dwLowDateTime) + "." +
                              std::to_string(found.nFileSizeHigh) + "." + std::to_string(found.nFileSizeLow);
    std::lock_guard lock(cache.mutex);
    auto known = cache.lists.find(host.wstring());
    if (known != cache.lists.end() && known->second.first == stamp) return known->second.second;

    FollowListPtr list;
    std::string bytes;
    if (ReadWholeDeviceFile(devicePath, kFollowListCap, bytes)) list = ParseFollowList(bytes);
    cache.lists[host.wstring()] = {stamp, list};
    return list;
}

// The windows of a zone for a city of the standard offset (minutes east of UTC): the times at
// which the zone's offset differs from it, each with the difference as its shift, adjacent ones
// of one shift joined. They cover the run of years around anchorYear in which the difference
// is always whole hours (the list's offsets and the zones' old local mean times differ by
// minutes), ahead as far as kFollowYearsAhead from it, or for good where the zone's last offset
// holds for good; null when anchorYear itself is not such a year.
inline std::shared_ptr<const Schedule> ScheduleOfZone(const device::TzZone& zone, int standardMinutes,
                                                      long long anchorYear) {
    if (anchorYear < kFollowFirstYear || anchorYear > kFollowLastYear) return nullptr;
    const device::PosixTz* footer = zone.Footer();
    const bool everyYear = footer && footer->HasDaylight();
    const long long horizon = everyYear ? std::min<long long>(anchorYear + kFollowYearsAhead, kFollowLastYear)
                                        : kFollowEndlessYear;
    const long long standard = standardMinutes * 60LL;
    const long long first = Civil(kFollowFirstYear, 1, 1, 0), last = Civil(horizon + 1, 1, 1, 0);
    // The zone's offsets as pieces of the city's standard time.
    struct Piece {
        long long start, end, difference; // civil standard time; seconds
    };
    std::vector<Piece> pieces;
    pieces.reserve(zone.TransitionCount() + (everyYear ? 2 * (horizon - 2000) : 0) + 2);
    pieces.push_back({first, last, zone.TypeAt(first - standard).utcOffset - standard});
    auto changeAt = [&](long long utc, long long offset) {
        const long long difference = offset - standard;
        if (difference == pieces.back().difference) return;
        pieces.back().end = utc + standard;
        pieces.push_back({utc + standard, last, difference});
    };
    // The changes the file lists; after the last of them its footer rule makes two a year,
    // taken straight from the rule (the bulk of a zone's centuries).
    const std::optional<int64_t> lastListed = zone.LastTransition();
    const long long listedEnd = lastListed ? std::min<long long>(*lastListed + 1, last - standard) : first - standard;
    for (const device::TzChange& change : zone.ChangesBetween(first - standard, listedEnd))
        changeAt(change.at, change.after->utcOffset);
    if (everyYear) {
        std::vector<std::pair<long long, long long>> events; // instant, offset from then on
        events.reserve(2 * (horizon - 1900));
        for (long long year = FieldsOf(std::max(listedEnd, first - standard)).year - 1; year <= horizon + 1; ++year) {
            const long long starts = footer->StartUtc(year), ends = footer->EndUtc(year);
            if (starts >= listedEnd && starts < last - standard) events.push_back({starts, footer->Daylight().utcOffset});
            if (ends >= listedEnd && ends < last - standard) events.push_back({ends, footer->Standard().utcOffset});
        }
        std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t i = 0; i < events.size(); ++i) {
            // Two changes at one instant (a summer time all year): the rule says which holds.
            if ((i + 1 < events.size() && events[i + 1].first == events[i].first) ||
                (i > 0 && events[i - 1].first == events[i].first))
                events[i].second = footer->TypeAt(events[i].first).utcOffset;
            changeAt(events[i].first, events[i].second);
        }
    }
    long long firstYear = kFollowFirstYear, lastYear = horizon;
    for (const Piece& piece : pieces) {
        if (piece.difference % 3600 == 0) continue;
        const long long from = FieldsOf(piece.start).year, to = FieldsOf(piece.end - 1).year;
        if (to < anchorYear)
            firstYear = std::max(firstYear, to + 1);
        else if (from > anchorYear)
            lastYear = std::min(lastYear, from - 1);
        else
            return nullptr;
    }
    auto schedule = std::make_shared<Schedule>();
    schedule->firstYear = static_cast<int>(firstYear);
    schedule->lastYear = static_cast<int>(lastYear);
    const long long coverStart = Civil(firstYear, 1, 1, 0), coverEnd = Civil(lastYear + 1, 1, 1, 0);
    for (const Piece& piece : pieces) {
        const long long start = std::max(piece.start, coverStart), end = std::min(piece.end, coverEnd);
        if (piece.difference == 0 || start >= end) continue;
        const int shift = static_cast<int>(piece.difference / 3600);
        auto& spans = schedule->windows;
        if (!spans.empty() && spans.back().end == start && spans.back().shift == shift)
            spans.back().end = end;
        else
            spans.push_back({start, end, shift});
    }
    return schedule;
}

namespace follow_detail {

// The file of a zone name in the machine's tzdata: its own; else that of the zone a link name
// stands for (a list's America/Godthab on a machine with America/Nuuk only); else that of a link
// name standing for it (the reverse). Empty when the machine has none.
inline std::filesystem::path ZoneFile(const std::string& name) {
    std::error_code ec;
    const std::filesystem::path folder = device::ZoneFolder();
    auto usable = [&](const std::string& candidate) {
        if (candidate.empty() || candidate.front() == '/' || candidate.find("..") != std::string::npos) return false;
        return std::filesystem::is_regular_file(folder / candidate, ec);
    };
    if (usable(name)) return folder / name;
    const std::string canonical = device::CanonicalZoneName(name);
    if (canonical != name && usable(canonical)) return folder / canonical;
    for (const auto& [link, target] : device::ZoneLinks())
        if ((target == name || target == canonical) && usable(link)) return folder / link;
    return {};
}

struct ZoneCache {
    std::mutex mutex;
    std::map<std::string, std::filesystem::path> files;                   // folder and name -> file
    std::map<std::string, std::shared_ptr<const device::TzZone>> zones;  // file -> zone (null: unreadable)
    std::map<std::pair<std::string, int>, std::vector<std::pair<long long, std::shared_ptr<const Schedule>>>>
        schedules; // file and standard offset -> (anchor year, schedule) as built
};

inline ZoneCache& Zones() {
    static ZoneCache& cache = *new ZoneCache; // kept to the process's end, as the zones are
    return cache;
}

} // namespace follow_detail

// The windows of the named zone of the machine's tzdata for a city of the standard offset
// (minutes east of UTC), covering the device's current year; null when the machine has no
// readable file for the zone or the year is not whole hours from the offset.
inline std::shared_ptr<const Schedule> FollowedZoneSchedule(const std::string& name, int standardMinutes) {
    follow_detail::ZoneCache& cache = follow_detail::Zones();
    const long long anchorYear = FieldsOf(static_cast<long long>(device::DeviceTimeNow()) + standardMinutes * 60LL).year;
    std::lock_guard lock(cache.mutex);
    const std::string key = device::ZoneFolder().string() + "\n" + name;
    auto file = cache.files.find(key);
    if (file == cache.files.end()) file = cache.files.emplace(key, follow_detail::ZoneFile(name)).first;
    if (file->second.empty()) return nullptr;
    const std::string path = file->second.string();
    auto zone = cache.zones.find(path);
    if (zone == cache.zones.end()) zone = cache.zones.emplace(path, device::TzZone::LoadFile(file->second, nullptr)).first;
    if (!zone->second) return nullptr;
    auto& built = cache.schedules[{path, standardMinutes}];
    for (const auto& [anchor, schedule] : built)
        if (schedule ? schedule->Covers(anchorYear) : anchor == anchorYear) return schedule;
    built.emplace_back(anchorYear, ScheduleOfZone(*zone->second, standardMinutes, anchorYear));
    return built.back().second;
}

// The followed windows of a city of the store, from its property 101, 108 and 104 texts: null
// unless the list names a release, holds the city, and gives it exactly this offset and rule,
// and the machine's tzdata has a readable file for its zone.
inline std::shared_ptr<const Schedule> FollowedSchedule(const FollowList* list, const std::wstring& nameCountry,
                                                        const std::wstring& offset, const std::wstring& rule) {
    if (!list) return nullptr;
    const auto city = list->cities.find(nameCountry);
    if (city == list->cities.end() || city->second.offset != offset || city->second.rule != rule) return nullptr;
    const long long hhmm = follow_detail::LeadingNumber(offset);
    if (hhmm < -2400 || hhmm > 2400) return nullptr;
    return FollowedZoneSchedule(city->second.zone, OffsetMinutes(static_cast<int>(hhmm)));
}

// The rule of such a city with its zone's windows, which then take the place of its own.
inline void AttachFollowed(Rule& rule, const FollowList* list, const std::wstring& nameCountry,
                           const std::wstring& offset, const std::wstring& ruleText) {
    if (auto schedule = FollowedSchedule(list, nameCountry, offset, ruleText)) rule.schedule = std::move(schedule);
}

} // namespace dstmath
