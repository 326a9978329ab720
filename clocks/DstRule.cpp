#include "clocks/DstRule.h"

#include "core/CitiesDb.h"
#include "core/CityTime.h"
#include "platform/system/DeviceTime.h"

#include <climits>

int ReadLeadingInt(const CString& text) {
    LPCWSTR p = text;
    bool negative = false;
    if (*p == L'-' || *p == L'+') {
        negative = (*p == L'-');
        ++p;
    }
    long long value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        value = value * 10 + (*p - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return static_cast<int>(value);
}

DstRuleFields ParseDstRule(const CString& rule, int ruleYear, const dstmath::ScheduleList* schedules) {
    DstRuleFields fields;
    fields.year = ruleYear;
    int colon = rule.Find(L':');
    CString first = colon < 0 ? rule : rule.Left(colon);
    if (first == L"0") return fields;
    fields.hasDst = true;

    // Successive fields end at the next ":"; the fifth runs to the end of the text.
    int values[5] = {0, 0, 0, 0, 0};
    int begin = 0;
    for (int i = 0; i < 5 && begin <= rule.GetLength(); ++i) {
        int end = (i < 4) ? rule.Find(L':', begin) : -1;
        if (end < 0) end = rule.GetLength();
        values[i] = ReadLeadingInt(rule.Mid(begin, end - begin));
        if (end >= rule.GetLength()) break; // fewer than five fields: the rest read 0
        begin = end + 1;
    }
    fields.shift = values[0];
    fields.startDay = values[1];
    fields.startHour = values[2];
    fields.endDay = values[3];
    fields.endHour = values[4];
    if (schedules) dstmath::AttachSchedule(fields, *schedules);
    return fields;
}

DstRuleFields CityDstRule(CCitiesDb& cities, DWORD index) {
    const CString rule = cities.GetDstRule(index);
    DstRuleFields fields = ParseDstRule(rule, cities.GetRulesYear(), &cities.GetDstSchedules());
    // A city still as its list gives it reads its zone in the machine's tzdata.
    if (const dstmath::FollowList* list = cities.GetFollowList())
        dstmath::AttachFollowed(fields, list, cities.GetNameCountry(index).Str(), cities.GetUtcOffset(index).Str(),
                                rule.Str());
    return fields;
}

time_t CivilTime(int year, int month, int day, int hour, int minute, int second) {
    return static_cast<time_t>(dstmath::Civil(year, month, day, hour, minute, second));
}

void CivilFields(time_t civil, int& year, int& month, int& day, int& hour, int& minute, int& second) {
    const dstmath::Fields f = dstmath::FieldsOf(static_cast<long long>(civil));
    year = static_cast<int>(f.year);
    month = f.month;
    day = f.day;
    hour = f.hour;
    minute = f.minute;
    second = f.second;
}

time_t DeviceWallNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return CivilTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

time_t LocalHourTime(int year, int month, int day, int hour) { return CivilTime(year, month, day, hour); }

DstWindow GetDstWindow(const DstRuleFields& rule, int year) {
    return dstmath::WindowOfYear(rule, year);
}

DstWindow GetDstWindowAt(const DstRuleFields& rule, time_t t) {
    return dstmath::WindowAt(rule, static_cast<long long>(t));
}

DstWindow GetDstWindowAt(const DstRuleFields& rule, int year, time_t t) {
    return dstmath::WindowAt(rule, year, static_cast<long long>(t));
}

int AddDstShift(int offset, int shift) {
    return dstmath::AddShift(offset, shift);
}

int OffsetMinutes(int offset) {
    return dstmath::OffsetMinutes(offset);
}

time_t CityStandardHour(int offset, int referenceHours, int referenceMinutes) {
    const long long shift = (static_cast<long long>(OffsetMinutes(offset)) - (60LL * referenceHours + referenceMinutes)) * 60;
    const long long t = static_cast<long long>(DeviceWallNow()) + shift;
    return static_cast<time_t>(t - (t % 3600 + 3600) % 3600);
}

bool WallTimeInsideWindow(const DstRuleFields& rule, int standardOffset, time_t wall, time_t utc) {
    return dstmath::WallInside(rule, OffsetMinutes(standardOffset), wall, utc);
}

bool WallTimeInsideWindowNow(const DstRuleFields& rule, int standardOffset) {
    return WallTimeInsideWindow(rule, standardOffset, DeviceWallNow(), device::DeviceTimeNow());
}

time_t WallToStandard(const DstRuleFields& rule, time_t wall) {
    return static_cast<time_t>(dstmath::WallToStandard(rule, wall));
}

time_t WallToStandardLater(const DstRuleFields& rule, time_t wall) {
    return static_cast<time_t>(dstmath::WallToStandardLater(rule, wall));
}

CString DstWindowDates(const DstWindow& window) {
    int year, month, day, hour, minute, second;
    CivilFields(static_cast<time_t>(window.start), year, month, day, hour, minute, second);
    CString text;
    text.Format(L"%d/%d/%d -", day, month, year);
    if (dstmath::EndsNever(window)) return text;
    CivilFields(static_cast<time_t>(window.end), year, month, day, hour, minute, second);
    CString end;
    end.Format(L" %d/%d/%d", day, month, year);
    return text + end;
}

CString DstShiftText(const CString& rule, int shift) {
    const int colon = rule.Find(L':');
    const CString field = colon >= 0 ? rule.Left(colon) : rule;
    if (ReadLeadingInt(field) == shift) return field;
    CString text;
    text.Format(L"%d", shift);
    return text;
}

namespace {

// The zone the device's clock shows now, in minutes east of UTC.
int DeviceZoneMinutesNow() {
    // The offset in force now is one look-up in the device's zone; the clocks take it every tick.
    struct tm fields {};
    if (device::DeviceLocaltime(device::DeviceTimeNow(), &fields))
        return static_cast<int>(fields.tm_gmtoff / 60);
    TIME_ZONE_INFORMATION info{};
    const DWORD period = ::GetTimeZoneInformation(&info);
    const long bias = info.Bias + (period == TIME_ZONE_ID_DAYLIGHT ? info.DaylightBias : info.StandardBias);
    return -static_cast<int>(bias);
}

} // namespace

void DeviceZoneReferenceNow(int& hours, int& minutes) {
    const int east = DeviceZoneMinutesNow();
    hours = east / 60;
    minutes = east - 60 * hours;
}

bool HomeCityReferenceNow(const DstRuleFields& rule, int standardOffset, int& hours, int& minutes) {
    const dstmath::ClockState state = dstmath::WallState(rule, OffsetMinutes(standardOffset), DeviceWallNow(),
                                                         device::DeviceTimeNow());
    SplitHhmmOffset(state.inside ? AddDstShift(standardOffset, state.shift) : standardOffset, hours, minutes);
    return state.inside;
}
