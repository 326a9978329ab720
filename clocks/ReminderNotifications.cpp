#include "clocks/ReminderNotifications.h"

#include "clocks/StoredCityIndexes.h"
#include "core/CityTime.h"
#include "platform/framework/Time.h"
#include "platform/system/DeviceTime.h"

#include <cwctype>
#include <vector>

const LPCWSTR kReminderTitles[kReminderCount] = {L"Jorvana Reminder", L"Jorvana Reminder1", L"Jorvana Reminder2",
                                                 L"Jorvana Reminder3", L"Jorvana Reminder4"};

namespace {

// Every notification handle of the device, in the service's order.
std::vector<HANDLE> AllNotificationHandles() {
    DWORD count = 0;
    if (!::CeGetUserNotificationHandles(nullptr, 0, &count) && count == 0) return {};
    // A notification set between the two calls makes the second fail: ask again with more room.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<HANDLE> handles(count);
        DWORD needed = 0;
        if (::CeGetUserNotificationHandles(handles.data(), count, &needed)) {
            handles.resize(needed < count ? needed : count);
            return handles;
        }
        if (needed <= count) return {};
        count = needed;
    }
    return {};
}

// The notification's header as the service hands it out, in aligned storage that also holds
// the records it points to; empty when it cannot be read.
std::vector<uint64_t> NotificationInfo(HANDLE handle) {
    DWORD needed = 0;
    ::CeGetUserNotification(handle, 0, &needed, nullptr);
    if (needed < sizeof(CE_NOTIFICATION_INFO_HEADER)) return {};
    std::vector<uint64_t> buffer((needed + sizeof(uint64_t) - 1) / sizeof(uint64_t));
    if (!::CeGetUserNotification(handle, needed, &needed, reinterpret_cast<LPBYTE>(buffer.data()))) return {};
    return buffer;
}

// The dialog title (and, when asked, the dialog text) of a notification; false when it has no
// user part or cannot be read.
bool NotificationTitle(HANDLE handle, std::wstring& title, std::wstring* text = nullptr) {
    const std::vector<uint64_t> buffer = NotificationInfo(handle);
    if (buffer.empty()) return false;
    const auto* header = reinterpret_cast<const CE_NOTIFICATION_INFO_HEADER*>(buffer.data());
    if (!header->pceun || !header->pceun->pwszDialogTitle) return false;
    title = header->pceun->pwszDialogTitle;
    if (text) *text = header->pceun->pwszDialogText ? header->pceun->pwszDialogText : L"";
    return true;
}

bool IsCalendarDate(int day, int month, int year) {
    return year >= 1 && year <= 30827 && month >= 1 && month <= 12 && day >= 1 &&
           day <= dstmath::DaysInMonth(year, month);
}

// The part of text between separators (part 0 before the first sep, part 1 after it, ...),
// without the blanks around it.
CString TextPart(const CString& text, WCHAR sep, int part) {
    int start = 0;
    for (int i = 0; i < part; ++i) {
        int at = text.Find(sep, start);
        if (at < 0) return CString();
        start = at + 1;
    }
    int end = text.Find(sep, start);
    CString result = end < 0 ? text.Mid(start) : text.Mid(start, end - start);
    result.TrimLeft();
    result.TrimRight();
    return result;
}

// A non-empty run of digits only.
bool IsDigits(const CString& text) {
    if (text.IsEmpty() || text.GetLength() > 9) return false;
    for (int i = 0; i < text.GetLength(); ++i)
        if (!std::iswdigit(static_cast<wint_t>(text[i]))) return false;
    return true;
}

CString TwoDigits(int value) {
    CString text;
    text.Format(L"%02d", value);
    return text;
}

} // namespace

HANDLE FindReminderNotification(LPCWSTR title, CString* dialogText) {
    std::wstring wanted = title ? title : L"";
    std::wstring found, text;
    for (HANDLE handle : AllNotificationHandles()) {
        if (NotificationTitle(handle, found, dialogText ? &text : nullptr) && found == wanted) {
            if (dialogText) *dialogText = CString(text.c_str());
            return handle;
        }
    }
    return nullptr;
}

HANDLE FindArmedReminderNotification(LPCWSTR title, CString* dialogText) {
    HANDLE handle = FindReminderNotification(title, dialogText);
    return handle && !ReminderHasGoneOff(handle) ? handle : nullptr;
}

void FindReminderNotifications(HANDLE handles[kReminderCount]) {
    for (int k = 0; k < kReminderCount; ++k) handles[k] = nullptr;
    std::wstring found;
    for (HANDLE handle : AllNotificationHandles()) {
        if (!NotificationTitle(handle, found)) continue;
        for (int k = 0; k < kReminderCount; ++k) {
            if (found == kReminderTitles[k]) {
                if (!handles[k]) handles[k] = handle;
                break;
            }
        }
    }
}

bool ReminderHasGoneOff(HANDLE handle) {
    const std::vector<uint64_t> buffer = NotificationInfo(handle);
    return !buffer.empty() &&
           (reinterpret_cast<const CE_NOTIFICATION_INFO_HEADER*>(buffer.data())->dwStatus & CNS_SIGNALLED);
}

int ParseLeadingInt(const CString& text) {
    int i = 0;
    const int n = text.GetLength();
    bool negative = false;
    if (i < n && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long value = 0;
    while (i < n && text[i] >= L'0' && text[i] <= L'9') {
        value = value * 10 + (text[i++] - L'0');
        if (value > 2147483647LL) value = 2147483647LL;
    }
    return static_cast<int>(negative ? -value : value);
}

ReminderHome ReminderHomeOf(CCitiesDb& db, DWORD city, bool deviceZone) {
    ReminderHome home;
    home.deviceZone = deviceZone;
    home.standard = ParseLeadingInt(db.GetUtcOffset(city));
    // An unreadable record has no rule: no daylight saving.
    if (!db.GetDstRule(city).IsEmpty()) home.rule = CityDstRule(db, city);
    return home;
}

ReminderHome ReadReminderHome(CCitiesDb& db, CRegistryKey& reg) {
    const DWORD city = reg.ReadDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock");
    return ReminderHomeOf(db, city, reg.ReadDword(HKEY_LOCAL_MACHINE, kClocksKey, L"syncltz") != 0);
}

namespace {

long long StartOfMinute(long long t) {
    return t - ((t % 60) + 60) % 60;
}

// The device's local wall time (civil) at a UTC instant.
bool DeviceWallAt(const ReminderHome& home, long long utc, long long& wall) {
    if (home.deviceZone) {
        struct tm fields {};
        if (!device::DeviceLocaltime(static_cast<time_t>(utc), &fields)) return false;
        wall = CivilTime(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min,
                         fields.tm_sec);
        return true;
    }
    const long long standard = utc + OffsetMinutes(home.standard) * 60LL;
    const DstWindow window = GetDstWindowAt(home.rule, static_cast<time_t>(standard));
    wall = window.Contains(static_cast<time_t>(standard)) ? standard + window.shift * 3600LL : standard;
    return true;
}

// The UTC instant now as the device's clock gives it: for the home city's wall time, the
// instant that wall time stands for.
long long NowUtc(const ReminderHome& home) {
    const long long deviceNow = static_cast<long long>(device::DeviceTimeNow());
    if (home.deviceZone) return deviceNow;
    const long long wall = static_cast<long long>(DeviceWallNow());
    const dstmath::ClockState state = dstmath::WallState(home.rule, OffsetMinutes(home.standard), wall, deviceNow);
    const long long standard = state.inside ? wall - state.shift * 3600LL : wall;
    return standard - OffsetMinutes(home.standard) * 60LL;
}

// The UTC instant of a reminder's time and date in its city, its next one when the city's clocks
// show it twice (the first of the two, or the second when the first is over); false when they do
// not exist.
bool ReminderUtc(CCitiesDb& db, DWORD city, const ReminderHome& home, int hour, int minute, int day,
                 int month, int year, long long& utc) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || !IsCalendarDate(day, month, year)) return false;
    const int standard = ParseLeadingInt(db.GetUtcOffset(city));
    const DstRuleFields rule = CityDstRule(db, city);
    const time_t wall = CivilTime(year, month, day, hour, minute);
    const long long zone = OffsetMinutes(standard) * 60LL;
    const long long first = static_cast<long long>(WallToStandard(rule, wall)) - zone;
    const long long second = static_cast<long long>(WallToStandardLater(rule, wall)) - zone;
    const long long now = StartOfMinute(NowUtc(home));
    utc = first < now && second >= now ? second : first;
    return true;
}

// Whether a notification set for the device's reading of the instant goes off at it. The
// service takes only the reading: it goes off at once when the device's clock has passed it,
// and at its first showing when the clock goes back (by half an hour, one or two hours) between
// now and the instant and so shows it twice.
bool DeviceRaisesAt(const ReminderHome& home, long long utc) {
    long long wall = 0;
    if (!DeviceWallAt(home, utc, wall)) return false;
    if (wall < StartOfMinute(static_cast<long long>(DeviceWallNow()))) return false;
    const long long now = StartOfMinute(NowUtc(home));
    for (const long long back : {30LL, 60LL, 120LL}) {
        long long earlierWall = 0;
        const long long earlier = utc - back * 60;
        if (earlier >= now && DeviceWallAt(home, earlier, earlierWall) && earlierWall == wall) return false;
    }
    return true;
}

} // namespace

bool ReminderDueTime(CCitiesDb& db, DWORD city, const ReminderHome& home, int hour, int minute, int day, int month,
                     int year, SYSTEMTIME& instant) {
    long long utc = 0, wall = 0;
    if (!ReminderUtc(db, city, home, hour, minute, day, month, year, utc) || !DeviceWallAt(home, utc, wall))
        return false;
    int y, mo, d, h, mi, sec;
    CivilFields(static_cast<time_t>(wall), y, mo, d, h, mi, sec);
    if (!IsCalendarDate(d, mo, y) || y < 1601) return false;
    instant = SYSTEMTIME{};
    instant.wYear = static_cast<WORD>(y);
    instant.wMonth = static_cast<WORD>(mo);
    instant.wDay = static_cast<WORD>(d);
    instant.wHour = static_cast<WORD>(h);
    instant.wMinute = static_cast<WORD>(mi);
    // 1 January 1970 was a Thursday (Sunday 0).
    const long long days = (wall - h * 3600LL - mi * 60LL - sec) / 86400;
    instant.wDayOfWeek = static_cast<WORD>(((days + 4) % 7 + 7) % 7);
    return true;
}

CString ReminderFirstLine(const CString& cityName, const CString& hoursText, const CString& minutesText, int day,
                          int month, int year) {
    CString line;
    line.Format(L"%s:  %sh%s, %d/%d/%d   ", static_cast<LPCWSTR>(cityName), static_cast<LPCWSTR>(hoursText),
                static_cast<LPCWSTR>(minutesText), day, month, year);
    return line;
}

CString ReminderDialogText(const CString& firstLine, const CString& description) {
    CString text = firstLine + L"\n\n\n" + description;
    if (text.GetLength() > static_cast<int>(kReminderTextCapacity - 1)) text = text.Left(kReminderTextCapacity - 1);
    return text;
}

bool ParseReminderTime(const CString& time, int& hour, int& minute, CString* hoursText, CString* minutesText) {
    if (time.Find(L':') < 0) return false;
    CString h = TextPart(time, L':', 0);
    CString m = TextPart(time, L':', 1);
    if (!IsDigits(h) || !IsDigits(m)) return false;
    hour = ParseLeadingInt(h);
    minute = ParseLeadingInt(m);
    if (hoursText) *hoursText = TwoDigits(hour);
    if (minutesText) *minutesText = TwoDigits(minute);
    return true;
}

bool ParseReminderDate(const CString& date, int& day, int& month, int& year) {
    CString d = TextPart(date, L'/', 0);
    CString m = TextPart(date, L'/', 1);
    CString y = TextPart(date, L'/', 2);
    if (!IsDigits(d) || !IsDigits(m) || !IsDigits(y)) return false;
    day = ParseLeadingInt(d);
    month = ParseLeadingInt(m);
    year = ParseLeadingInt(y);
    return true;
}

namespace {

// Sets reminder n's notification; without an existing one, registers a new one only when asked.
bool SetReminder(CCitiesDb& db, int n, DWORD city, const ReminderHome& home, const CString& time,
                 const CString& date, const CString& description, bool registerNew) {
    if (n < 0 || n >= kReminderCount) return false;
    // A move takes only a reminder still to go off; a new setting replaces whatever is there.
    HANDLE existing = registerNew ? FindReminderNotification(kReminderTitles[n])
                                  : FindArmedReminderNotification(kReminderTitles[n]);
    if (!existing && !registerNew) return false;
    int hour = 0, minute = 0, day = 0, month = 0, year = 0;
    CString hoursText, minutesText;
    if (!ParseReminderTime(time, hour, minute, &hoursText, &minutesText) || !ParseReminderDate(date, day, month, year))
        return false;
    SYSTEMTIME start{};
    if (!ReminderDueTime(db, city, home, hour, minute, day, month, year, start)) return false;

    CE_NOTIFICATION_TRIGGER trigger{};
    trigger.dwSize = 52;
    trigger.dwType = CNT_TIME;
    trigger.stStartTime = start;
    ::GetLocalTime(&trigger.stEndTime);

    std::wstring title = kReminderTitles[n];
    CString text = ReminderDialogText(ReminderFirstLine(db.GetName(city), hoursText, minutesText, day, month, year),
                                      description);
    std::wstring body(static_cast<LPCWSTR>(text));
    CE_USER_NOTIFICATION user{};
    user.ActionFlags = kReminderActionFlags;
    user.pwszDialogTitle = title.data();
    user.pwszDialogText = body.data();

    return ::CeSetUserNotificationEx(existing, &trigger, &user) != nullptr;
}

} // namespace

bool ScheduleReminder(CCitiesDb& db, int n, DWORD city, const ReminderHome& home, const CString& time,
                      const CString& date, const CString& description) {
    return SetReminder(db, n, city, home, time, date, description, true);
}

bool MoveReminder(CCitiesDb& db, int n, DWORD city, const ReminderHome& home, const CString& time,
                  const CString& date, const CString& description) {
    return SetReminder(db, n, city, home, time, date, description, false);
}

ReminderTiming ReminderTimingOf(CCitiesDb& db, DWORD city, const ReminderHome& home, const CString& time,
                                const CString& date) {
    int hour = 0, minute = 0, day = 0, month = 0, year = 0;
    if (!ParseReminderTime(time, hour, minute) || !ParseReminderDate(date, day, month, year))
        return ReminderTiming::Due;
    long long due = 0;
    if (!ReminderUtc(db, city, home, hour, minute, day, month, year, due)) return ReminderTiming::Due;
    // An earlier minute than the current one: the current minute itself still goes off.
    if (due < StartOfMinute(NowUtc(home))) return ReminderTiming::Past;
    return DeviceRaisesAt(home, due) ? ReminderTiming::Due : ReminderTiming::RepeatedReading;
}

bool ReminderIsPast(CCitiesDb& db, DWORD city, const ReminderHome& home, const CString& time, const CString& date) {
    return ReminderTimingOf(db, city, home, time, date) == ReminderTiming::Past;
}

void ClearReminder(int n) {
    if (n < 0 || n >= kReminderCount) return;
    if (HANDLE handle = FindReminderNotification(kReminderTitles[n])) ::CeClearUserNotification(handle);
}

int RefreshArmedReminders(CCitiesDb& db, CRegistryKey& reg) {
    static const LPCWSTR kStems[3] = {L"clock", L"date", L"desc"};
    HANDLE handles[kReminderCount];
    FindReminderNotifications(handles);
    int32_t cities[kClockCount] = {};
    bool any = false;
    for (HANDLE handle : handles) any = any || handle;
    if (!any) return 0;
    ReadClockCityIndexes(reg, cities);
    const ReminderHome home = ReadReminderHome(db, reg);
    int remade = 0;
    for (int n = 0; n < kReminderCount; ++n) {
        if (!handles[n] || ReminderHasGoneOff(handles[n])) continue;
        // A reminder the user chose not to move when its clock took another city is still its
        // first city's, which its text names: the clock's city does not tell its zone then.
        const DWORD city = static_cast<DWORD>(cities[n]);
        std::wstring title, shown;
        if (!NotificationTitle(handles[n], title, &shown) ||
            CString(shown.substr(0, shown.find(L':')).c_str()) != db.GetName(city))
            continue;
        CString texts[3];
        for (int stem = 0; stem < 3; ++stem) {
            CString name = kStems[stem];
            if (n > 0) name.AppendFormat(L"%d", n);
            texts[stem] = reg.ReadString(HKEY_LOCAL_MACHINE, kRemindersKey, name);
        }
        int hour = 0, minute = 0, day = 0, month = 0, year = 0;
        SYSTEMTIME due{};
        if (!ParseReminderTime(texts[0], hour, minute) || !ParseReminderDate(texts[1], day, month, year) ||
            !ReminderDueTime(db, city, home, hour, minute, day, month, year, due))
            continue;
        const std::vector<uint64_t> info = NotificationInfo(handles[n]);
        if (info.empty()) continue;
        const auto* header = reinterpret_cast<const CE_NOTIFICATION_INFO_HEADER*>(info.data());
        if (!header->pcent) continue;
        const SYSTEMTIME& armed = header->pcent->stStartTime;
        if (armed.wYear == due.wYear && armed.wMonth == due.wMonth && armed.wDay == due.wDay &&
            armed.wHour == due.wHour && armed.wMinute == due.wMinute)
            continue;
        if (ReminderTimingOf(db, city, home, texts[0], texts[1]) == ReminderTiming::RepeatedReading) continue;
        if (MoveReminder(db, n, city, home, texts[0], texts[1], texts[2])) ++remade;
    }
    return remade;
}
