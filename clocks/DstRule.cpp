#include "clocks/DstRule.h"

#include "core/CityTime.h"
#include "platform/system/DeviceTime.h"

#include <climits>

namespace {

// Day numbers are not range-checked by the rule's authors; ones this far out only keep the
// calendar arithmetic inside the years the device can represent.
constexpr int kDayLimit = 36600;

int ClampDay(int day) { return day < -kDayLimit ? -kDayLimit : (day > kDayLimit ? kDayLimit : day); }

// Month (1-12) of a local time value; 0 when the device cannot tell.
int LocalMonth(time_t t) {
    struct tm fields {};
    if (!device::DeviceLocaltime(t, &fields)) return 0;
    return fields.tm_mon + 1;
}

int LocalDay(time_t t) {
    struct tm fields {};
    if (!device::DeviceLocaltime(t, &fields)) return 1;
    return fields.tm_mday;
}

} // namespace

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

DstRuleFields ParseDstRule(const CString& rule) {
    DstRuleFields fields;
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
    return fields;
}

time_t LocalHourTime(int year, int month, int day, int hour) {
    struct tm fields {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_isdst = -1;
    return device::DeviceMktime(&fields);
}

DstWindow GetDstWindow(const CString& rule, int year) {
    DstWindow window;
    DstRuleFields fields = ParseDstRule(rule);
    if (!fields.hasDst) return window;
    window.hasDst = true;
    window.shift = fields.shift;
    // Day n of the year is counted on the calendar (1 January plus n - 1 days at the given hour),
    // so the hour stays the rule's hour even when the device's own clocks change in between.
    window.start = LocalHourTime(year, 1, ClampDay(fields.startDay), fields.startHour);
    window.end = LocalHourTime(year, 1, ClampDay(fields.endDay), fields.endHour);
    if (window.start == static_cast<time_t>(-1) || window.end == static_cast<time_t>(-1)) {
        window.start = window.end = 0; // a date the device cannot represent: never open
        return window;
    }
    int startMonth = LocalMonth(window.start);
    int endMonth = LocalMonth(window.end);
    if (endMonth < startMonth) {
        time_t moved = LocalHourTime(year + 1, endMonth, LocalDay(window.end), fields.endHour);
        if (moved != static_cast<time_t>(-1)) window.end = moved;
    }
    return window;
}

DstWindow GetDstWindowAt(const CString& rule, int year, time_t t) {
    DstWindow window = GetDstWindow(rule, year);
    if (!window.hasDst || t >= window.start) return window;
    DstWindow previous = GetDstWindow(rule, year - 1);
    // Only a window that runs into this year can still be open before this year's start.
    if (t < previous.end && previous.end > previous.start && LocalMonth(previous.end) < LocalMonth(previous.start))
        return previous;
    return window;
}

int AddDstShift(int offset, int shift) {
    if (offset >= -100 && offset <= 100) return offset + shift;
    return offset + shift * 100;
}

time_t CityStandardHour(int offset, int referenceHours, int referenceMinutes) {
    DateTriple date;
    FormatCityDate(offset, referenceHours, referenceMinutes, 0, date);
    CString time = FormatCityTime(offset, referenceHours, referenceMinutes);
    int colon = time.Find(L':');
    int hour = ReadLeadingInt(colon < 0 ? time : time.Left(colon));
    return LocalHourTime(date.year, date.month, date.day, hour);
}
