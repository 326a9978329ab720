#include "platform/system/DeviceTime.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/DeviceSettings.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <vector>

namespace device {
namespace {

constexpr const char* kZoneSetting = "TimeZone";
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int64_t kMaxFileTime = INT64_MAX;
constexpr auto kRecheckInterval = std::chrono::seconds(1);

// ---- Loading zones ----

std::mutex g_reportMutex;
std::set<std::string> g_reported; // texts already said on stderr

void SayOnce(const std::string& text) {
    std::lock_guard lock(g_reportMutex);
    if (g_reported.insert(text).second) std::fprintf(stderr, "device: %s\n", text.c_str());
}

// A relative path of plain components: no "..", no leading "/", nothing a rule text contains.
bool IsZoneFileName(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.back() == '/') return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        std::string_view part(name.data() + start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        for (char c : part)
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '+' ||
                  c == '.'))
                return false;
        start = end + 1;
    }
    return true;
}

} // namespace

std::filesystem::path ZoneFolder() {
    const char* dir = std::getenv("TZDIR");
    return dir && *dir ? std::filesystem::path(dir) : std::filesystem::path("/usr/share/zoneinfo");
}

namespace {

std::string Trim(std::string s) {
    const char* ws = " \t\r\n";
    s.erase(s.find_last_not_of(ws) + 1);
    s.erase(0, s.find_first_not_of(ws));
    return s;
}

std::string HostZoneName() {
    std::string error;
    std::ifstream in("/etc/timezone");
    std::string line;
    if (in && std::getline(in, line)) {
        line = Trim(line);
        if (!line.empty() && LoadZoneNamed(line, &error)) return line;
    }
    char target[PATH_MAX];
    ssize_t n = readlink("/etc/localtime", target, sizeof target - 1);
    if (n > 0) {
        std::string link(target, static_cast<size_t>(n));
        size_t at = link.find("zoneinfo/");
        if (at != std::string::npos) {
            std::string name = link.substr(at + 9);
            if (LoadZoneNamed(name, &error)) return name;
        }
    }
    return "UTC";
}

// The zone for a stored name; UTC, said once, when it cannot be read.
std::shared_ptr<const TzZone> LoadOrUtc(const std::string& name) {
    std::string error;
    if (auto zone = LoadZoneNamed(name, &error)) return zone;
    SayOnce("time zone \"" + name + "\" cannot be used (" + error + "); the device uses UTC");
    return TzZone::Utc();
}

// ---- The device zone in force ----

struct ZoneState {
    std::mutex mutex;
    bool loaded = false;
    std::filesystem::path root; // the device root the state belongs to
    std::string name;
    std::shared_ptr<const TzZone> zone;
    std::chrono::steady_clock::time_point checkedAt;
};

ZoneState& State() {
    static ZoneState state;
    return state;
}

// The zone name of a device root this process has not used yet: DEVICE_TZ when set (stored for
// the other processes), else the stored one, else the host's (stored).
std::string FirstUseZoneName() {
    std::optional<std::string> stored = ReadDeviceSetting(kZoneSetting);
    if (const char* env = std::getenv("DEVICE_TZ"); env && *env) {
        std::string error;
        if (LoadZoneNamed(env, &error)) {
            if (stored != env) WriteDeviceSetting(kZoneSetting, env);
            return env;
        }
        SayOnce(std::string("DEVICE_TZ \"") + env + "\" names no time zone (" + error + "); ignored");
    }
    if (stored) return *stored;
    std::string host = HostZoneName();
    WriteDeviceSetting(kZoneSetting, host);
    return host;
}

void Install(ZoneState& st, const std::filesystem::path& root, const std::string& name,
             std::shared_ptr<const TzZone> zone) {
    st.loaded = true;
    st.root = root;
    st.name = name;
    st.zone = std::move(zone);
    st.checkedAt = std::chrono::steady_clock::now();
}

// ---- Conversions ----

int64_t FileTimeValue(const FILETIME& ft) {
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

void SetFileTimeValue(FILETIME& ft, int64_t v) {
    ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(v));
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(v) >> 32);
}

void SystemTimeFromTicks(int64_t ticks, SYSTEMTIME& st) {
    const int64_t secs = ticks / kTicksPerSecond;
    const int64_t days = secs / 86400 - kSecondsFrom1601To1970 / 86400; // days since 1970
    const int64_t sod = secs % 86400;
    int64_t y;
    int m, d;
    CivilFromDays(days, y, m, d);
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wDayOfWeek = static_cast<WORD>(WeekdayFromDays(days));
    st.wHour = static_cast<WORD>(sod / 3600);
    st.wMinute = static_cast<WORD>(sod / 60 % 60);
    st.wSecond = static_cast<WORD>(sod % 60);
    st.wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / 10000);
}

// UTC ticks to local ticks in the device zone, kept within the FILETIME range.
int64_t LocalTicks(int64_t utcTicks) {
    const int64_t unix = utcTicks / kTicksPerSecond - kSecondsFrom1601To1970;
    const int64_t off = DeviceZone()->TypeAt(unix).utcOffset * kTicksPerSecond;
    if (off < 0 && utcTicks < -off) return 0;
    if (off > 0 && utcTicks > kMaxFileTime - off) return kMaxFileTime;
    return utcTicks + off;
}

std::mutex g_abbrevMutex;
std::set<std::string> g_abbrevs; // never shrinks: tm_zone points into it

const char* InternAbbrev(const std::string& abbrev) {
    std::lock_guard lock(g_abbrevMutex);
    return g_abbrevs.insert(abbrev).first->c_str();
}

SYSTEMTIME DayInMonthFromRule(const PosixTz::RuleDate& date) {
    SYSTEMTIME st{};
    st.wMonth = static_cast<WORD>(date.month);
    st.wDayOfWeek = static_cast<WORD>(date.day);
    st.wDay = static_cast<WORD>(date.week);
    st.wHour = static_cast<WORD>(date.time / 3600);
    st.wMinute = static_cast<WORD>(date.time / 60 % 60);
    st.wSecond = static_cast<WORD>(date.time % 60);
    return st;
}

// The day-in-month form of a wall-clock moment; the last such weekday of its month is week 5.
SYSTEMTIME DayInMonthFromWall(int64_t wall) {
    const int64_t days = FloorDiv(wall, 86400);
    const int64_t sod = wall - days * 86400;
    int64_t y;
    int m, d;
    CivilFromDays(days, y, m, d);
    SYSTEMTIME st{};
    st.wMonth = static_cast<WORD>(m);
    st.wDayOfWeek = static_cast<WORD>(WeekdayFromDays(days));
    st.wDay = static_cast<WORD>(d + 7 > DaysInMonth(y, m) ? 5 : (d - 1) / 7 + 1);
    st.wHour = static_cast<WORD>(sod / 3600);
    st.wMinute = static_cast<WORD>(sod / 60 % 60);
    st.wSecond = static_cast<WORD>(sod % 60);
    return st;
}

bool UsableRuleDate(const PosixTz::RuleDate& date) {
    return date.kind == PosixTz::RuleDate::MonthWeekDay && date.time >= 0 && date.time < 86400;
}

void CopyName(WCHAR (&dest)[32], const std::string& abbrev) {
    std::wstring w = FromUtf8(abbrev);
    size_t n = std::min<size_t>(w.size(), 31);
    std::copy_n(w.begin(), n, dest);
    dest[n] = 0;
}

bool ValidDayInMonth(const SYSTEMTIME& d) {
    return d.wYear == 0 && d.wMonth >= 1 && d.wMonth <= 12 && d.wDay >= 1 && d.wDay <= 5 &&
           d.wDayOfWeek <= 6 && d.wHour < 24 && d.wMinute < 60 && d.wSecond < 60;
}

// "<+0530>" for 330 minutes east; "<-03>" for 180 minutes west.
std::string PosixName(int east) {
    char buf[16];
    const int a = std::abs(east);
    if (a % 60)
        std::snprintf(buf, sizeof buf, "<%c%02d%02d>", east < 0 ? '-' : '+', a / 60, a % 60);
    else
        std::snprintf(buf, sizeof buf, "<%c%02d>", east < 0 ? '-' : '+', a / 60);
    return buf;
}

// A POSIX offset: minutes west of UTC.
std::string PosixOffset(int west) {
    char buf[16];
    const int a = std::abs(west);
    std::snprintf(buf, sizeof buf, "%s%d:%02d", west < 0 ? "-" : "", a / 60, a % 60);
    return buf;
}

std::string PosixDate(const SYSTEMTIME& d) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "M%u.%u.%u/%u:%02u:%02u", d.wMonth, d.wDay, d.wDayOfWeek, d.wHour,
                  d.wMinute, d.wSecond);
    return buf;
}

} // namespace

// ---- Zones ----

std::shared_ptr<const TzZone> LoadZoneNamed(const std::string& name, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    if (name.empty()) {
        *error = "empty zone name";
        return nullptr;
    }
    if (IsZoneFileName(name)) {
        const std::filesystem::path file = ZoneFolder() / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(file, ec)) return TzZone::LoadFile(file, error);
        if (name == "UTC" || name == "Etc/UTC") return TzZone::Utc(); // no tzdata installed
    }
    if (auto rule = PosixTz::Parse(name)) return TzZone::FromPosix(*rule);
    *error = "no zone file " + (ZoneFolder() / name).string();
    return nullptr;
}

std::shared_ptr<const TzZone> DeviceZone() {
    ZoneState& st = State();
    const std::filesystem::path root = RootFolder();
    bool firstUse;
    std::string current;
    {
        std::lock_guard lock(st.mutex);
        firstUse = !st.loaded || st.root != root;
        if (!firstUse && std::chrono::steady_clock::now() - st.checkedAt < kRecheckInterval) return st.zone;
        current = st.name;
    }
    // Read the setting outside the lock: the database has locks of its own.
    std::string name;
    if (firstUse) {
        name = FirstUseZoneName();
    } else {
        name = ReadDeviceSetting(kZoneSetting).value_or(current);
    }
    std::lock_guard lock(st.mutex);
    if (!firstUse && st.loaded && st.root == root && st.name == name) {
        st.checkedAt = std::chrono::steady_clock::now();
        return st.zone;
    }
    Install(st, root, name, LoadOrUtc(name));
    return st.zone;
}

bool SetDeviceZone(const std::string& name) {
    std::string error;
    auto zone = LoadZoneNamed(name, &error);
    if (!zone || !WriteDeviceSetting(kZoneSetting, name)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    ZoneState& st = State();
    const std::filesystem::path root = RootFolder();
    std::lock_guard lock(st.mutex);
    Install(st, root, name, std::move(zone));
    return true;
}

std::string DeviceZoneName() {
    DeviceZone();
    ZoneState& st = State();
    std::lock_guard lock(st.mutex);
    return st.name;
}

void ReloadDeviceZone() {
    ZoneState& st = State();
    std::lock_guard lock(st.mutex);
    st.loaded = false;
    st.zone.reset();
}

// ---- C-runtime local time ----

time_t DeviceTimeNow() {
    return static_cast<time_t>(static_cast<int64_t>(CurrentUtcFileTime() / kTicksPerSecond) -
                               kSecondsFrom1601To1970);
}

bool LocalFromUtc(const TzZone& zone, int64_t utc, struct tm* out) {
    if (!out || utc > kTzInstantLimit || utc < -kTzInstantLimit) return false;
    const TzType& type = zone.TypeAt(utc);
    const int64_t local = utc + type.utcOffset;
    const int64_t days = FloorDiv(local, 86400);
    const int64_t sod = local - days * 86400;
    int64_t y;
    int m, d;
    CivilFromDays(days, y, m, d);
    if (y - 1900 > INT_MAX || y - 1900 < INT_MIN) return false;
    struct tm t {};
    t.tm_year = static_cast<int>(y - 1900);
    t.tm_mon = m - 1;
    t.tm_mday = d;
    t.tm_hour = static_cast<int>(sod / 3600);
    t.tm_min = static_cast<int>(sod / 60 % 60);
    t.tm_sec = static_cast<int>(sod % 60);
    t.tm_wday = WeekdayFromDays(days);
    t.tm_yday = static_cast<int>(days - DaysFromCivil(y, 1, 1));
    t.tm_isdst = type.isDst ? 1 : 0;
    t.tm_gmtoff = type.utcOffset;
    t.tm_zone = InternAbbrev(type.abbrev);
    *out = t;
    return true;
}

bool UtcFromLocal(const TzZone& zone, struct tm* tm, int64_t* utc) {
    if (!tm) return false;
    // Normalise the fields the way mktime does: any of them may be out of range.
    const int64_t year = tm->tm_year + int64_t(1900) + FloorDiv(tm->tm_mon, 12);
    const int mon = static_cast<int>(tm->tm_mon - FloorDiv(tm->tm_mon, 12) * 12);
    const int64_t days = DaysFromCivil(year, mon + 1, 1) + tm->tm_mday - 1;
    const int64_t wall = days * 86400 + tm->tm_hour * int64_t(3600) + tm->tm_min * int64_t(60) + tm->tm_sec;

    // The offsets in force within a day and a half either side of the wall time.
    constexpr int64_t kSpan = 2 * 86400;
    std::vector<const TzType*> types{&zone.TypeAt(wall)};
    const auto changes = zone.ChangesBetween(wall - kSpan, wall + kSpan);
    for (const auto& c : changes) {
        types.push_back(c.before);
        types.push_back(c.after);
    }
    std::vector<int64_t> valid;
    for (const TzType* t : types) {
        const int64_t candidate = wall - t->utcOffset;
        if (zone.TypeAt(candidate).utcOffset == t->utcOffset) valid.push_back(candidate);
    }
    std::sort(valid.begin(), valid.end());
    valid.erase(std::unique(valid.begin(), valid.end()), valid.end());

    int64_t result;
    if (valid.empty()) {
        // Clocks went forward over this wall time: read it with the offset before the change.
        result = wall - zone.TypeAt(wall).utcOffset;
        for (const auto& c : changes) {
            if (c.after->utcOffset > c.before->utcOffset && wall >= c.at + c.before->utcOffset &&
                wall < c.at + c.after->utcOffset) {
                result = wall - c.before->utcOffset;
                break;
            }
        }
    } else if (tm->tm_isdst < 0) {
        result = valid.front(); // a repeated hour is its first occurrence
    } else {
        const bool wantDst = tm->tm_isdst > 0;
        auto match = std::find_if(valid.begin(), valid.end(),
                                  [&](int64_t t) { return zone.TypeAt(t).isDst == wantDst; });
        if (match != valid.end()) {
            result = *match;
        } else {
            // The zone has no such period at this time: read the fields with the offset of the
            // asked kind nearest in time (within a year), as mktime does.
            result = valid.front();
            const TzType* nearest = nullptr;
            int64_t distance = 0;
            for (const auto& c : zone.ChangesBetween(wall - 366 * 86400, wall + 366 * 86400)) {
                for (const TzType* t : {c.before, c.after}) {
                    const int64_t d = c.at > wall ? c.at - wall : wall - c.at;
                    if (t->isDst == wantDst && (!nearest || d < distance)) {
                        nearest = t;
                        distance = d;
                    }
                }
            }
            if (nearest) result = wall - nearest->utcOffset;
        }
    }
    struct tm filled {};
    if (!LocalFromUtc(zone, result, &filled)) return false;
    *tm = filled;
    *utc = result;
    return true;
}

bool DeviceLocaltime(time_t utc, struct tm* out) {
    return LocalFromUtc(*DeviceZone(), utc, out);
}

time_t DeviceMktime(struct tm* tm) {
    int64_t utc;
    if (!UtcFromLocal(*DeviceZone(), tm, &utc)) {
        errno = EOVERFLOW;
        return static_cast<time_t>(-1);
    }
    return static_cast<time_t>(utc);
}

// ---- Time-zone information ----

DWORD ZoneInformationAt(const TzZone& zone, int64_t utc, TIME_ZONE_INFORMATION* info) {
    if (!info) return TIME_ZONE_ID_INVALID;
    *info = TIME_ZONE_INFORMATION{};
    const TzType& now = zone.TypeAt(utc);
    const int64_t year = [&] {
        int64_t y;
        int m, d;
        CivilFromDays(FloorDiv(utc + now.utcOffset, 86400), y, m, d);
        return y;
    }();
    // The offset changes whose wall-clock moment (before the change) falls in this year.
    std::vector<TzChange> changes;
    const int64_t from = DaysFromCivil(year, 1, 1) * 86400 - 2 * 86400;
    const int64_t to = DaysFromCivil(year + 1, 1, 1) * 86400 + 2 * 86400;
    for (const auto& c : zone.ChangesBetween(from, to)) {
        if (c.before->utcOffset == c.after->utcOffset) continue;
        int64_t y;
        int m, d;
        CivilFromDays(FloorDiv(c.at + c.before->utcOffset, 86400), y, m, d);
        if (y == year) changes.push_back(c);
    }
    const bool seasonal = changes.size() == 2 &&
                          changes[0].before->utcOffset == changes[1].after->utcOffset &&
                          changes[0].after->utcOffset == changes[1].before->utcOffset;
    if (!seasonal) {
        info->Bias = -now.utcOffset / 60;
        CopyName(info->StandardName, now.abbrev);
        CopyName(info->DaylightName, now.abbrev);
        return TIME_ZONE_ID_UNKNOWN;
    }
    const TzChange& intoHigh =
        changes[0].after->utcOffset > changes[0].before->utcOffset ? changes[0] : changes[1];
    const TzChange& intoLow = &intoHigh == &changes[0] ? changes[1] : changes[0];
    const TzType& low = *intoHigh.before;
    const TzType& high = *intoHigh.after;
    info->Bias = -low.utcOffset / 60;
    info->StandardBias = 0;
    info->DaylightBias = -(high.utcOffset - low.utcOffset) / 60;
    CopyName(info->StandardName, low.abbrev);
    CopyName(info->DaylightName, high.abbrev);

    // The footer rule says it in the device's own words when it made both changes.
    const PosixTz* rule = zone.Footer();
    if (rule && intoHigh.fromFooter && intoLow.fromFooter) {
        const bool dstIsHigh = rule->Daylight().utcOffset > rule->Standard().utcOffset;
        const auto& highStart = dstIsHigh ? rule->Start() : rule->End();
        const auto& lowStart = dstIsHigh ? rule->End() : rule->Start();
        info->DaylightDate = UsableRuleDate(highStart) ? DayInMonthFromRule(highStart)
                                                       : DayInMonthFromWall(intoHigh.at + low.utcOffset);
        info->StandardDate = UsableRuleDate(lowStart) ? DayInMonthFromRule(lowStart)
                                                      : DayInMonthFromWall(intoLow.at + high.utcOffset);
    } else {
        info->DaylightDate = DayInMonthFromWall(intoHigh.at + low.utcOffset);
        info->StandardDate = DayInMonthFromWall(intoLow.at + high.utcOffset);
    }
    return now.utcOffset == high.utcOffset ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

} // namespace device

// ---- System calls ----

void GetSystemTime(LPSYSTEMTIME time) {
    if (!time) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return;
    }
    device::SystemTimeFromTicks(static_cast<int64_t>(device::CurrentUtcFileTime()), *time);
}

void GetLocalTime(LPSYSTEMTIME time) {
    if (!time) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return;
    }
    device::SystemTimeFromTicks(device::LocalTicks(static_cast<int64_t>(device::CurrentUtcFileTime())),
                                *time);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* time, LPFILETIME fileTime) {
    if (!time || !fileTime || time->wYear < 1601 || time->wYear > 30827 || time->wMonth < 1 ||
        time->wMonth > 12 || time->wDay < 1 || time->wDay > device::DaysInMonth(time->wYear, time->wMonth) ||
        time->wHour > 23 || time->wMinute > 59 || time->wSecond > 59 || time->wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int64_t days =
        device::DaysFromCivil(time->wYear, time->wMonth, time->wDay) - device::DaysFromCivil(1601, 1, 1);
    const int64_t secs = days * 86400 + time->wHour * 3600 + time->wMinute * 60 + time->wSecond;
    device::SetFileTimeValue(*fileTime,
                             secs * device::kTicksPerSecond + time->wMilliseconds * int64_t(10000));
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME time) {
    if (!fileTime || !time || (fileTime->dwHighDateTime & 0x80000000u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    device::SystemTimeFromTicks(device::FileTimeValue(*fileTime), *time);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime) {
    if (!fileTime || !localFileTime || (fileTime->dwHighDateTime & 0x80000000u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    device::SetFileTimeValue(*localFileTime, device::LocalTicks(device::FileTimeValue(*fileTime)));
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime) {
    if (!localFileTime || !fileTime || (localFileTime->dwHighDateTime & 0x80000000u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int64_t ticks = device::FileTimeValue(*localFileTime);
    const int64_t wall = ticks / device::kTicksPerSecond - device::kSecondsFrom1601To1970;
    struct tm tm {};
    tm.tm_year = 1970 - 1900;
    tm.tm_mday = 1;
    tm.tm_isdst = -1;
    // Whole days keep the fields small; mktime normalises them.
    tm.tm_mday += static_cast<int>(device::FloorDiv(wall, 86400));
    tm.tm_sec = static_cast<int>(wall - device::FloorDiv(wall, 86400) * 86400);
    int64_t utc;
    if (!device::UtcFromLocal(*device::DeviceZone(), &tm, &utc)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int64_t result =
        (utc + device::kSecondsFrom1601To1970) * device::kTicksPerSecond + ticks % device::kTicksPerSecond;
    if (result < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    device::SetFileTimeValue(*fileTime, result);
    return TRUE;
}

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    return device::ZoneInformationAt(*device::DeviceZone(), device::DeviceTimeNow(), info);
}

BOOL SetTimeZoneInformation(const TIME_ZONE_INFORMATION* info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int64_t stdWest = int64_t(info->Bias) + info->StandardBias;
    const int64_t dstWest = int64_t(info->Bias) + info->DaylightBias;
    const bool daylight = info->DaylightDate.wMonth != 0 && info->StandardDate.wMonth != 0;
    if (std::llabs(stdWest) > 24 * 60 || std::llabs(dstWest) > 24 * 60 ||
        (daylight &&
         (!device::ValidDayInMonth(info->DaylightDate) || !device::ValidDayInMonth(info->StandardDate)))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string rule =
        device::PosixName(static_cast<int>(-stdWest)) + device::PosixOffset(static_cast<int>(stdWest));
    if (daylight) {
        rule += device::PosixName(static_cast<int>(-dstWest)) +
                device::PosixOffset(static_cast<int>(dstWest)) + "," + device::PosixDate(info->DaylightDate) +
                "," + device::PosixDate(info->StandardDate);
    }
    return device::SetDeviceZone(rule) ? TRUE : FALSE;
}
