#include "core/CityTime.h"

#include "core/CoreMessages.h"
#include "platform/system/DeviceTime.h"
#include "resources/resource.h"

#include <cstdlib>
#include <cwchar>

namespace {

// How far a city's clock stands from the device's: whole hours plus a minute part in -59..59.
struct Shift {
    int hours;
    int minutes;
};

Shift CityShift(int offset, int referenceHours, int referenceMinutes) {
    int h = 0;
    int m = 0;
    SplitHhmmOffset(offset, h, m);
    int d = m - referenceMinutes;
    return Shift{h - referenceHours + d / 60, d % 60};
}

// The city's minute and the carry it gives into the hours.
int ShiftedMinute(int minute, const Shift& shift, int& carry) {
    carry = 0;
    int result = minute + shift.minutes;
    if (shift.minutes != 0) {
        if (result >= 60) {
            result -= 60;
            carry = 1;
        } else if (result < 0) {
            result += 60;
            carry = -1;
        }
    }
    return result;
}

// Hours beyond one day either way (zones more than a day apart) wrap by whole days, so the hour
// always lands in 0..23 and the day shift counts every wrap.
int FloorDiv(int a, int b) {
    int q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

const UINT kWeekdayStrings[7] = {IDS_DAY_SUN, IDS_DAY_MON, IDS_DAY_TUE, IDS_DAY_WED,
                                 IDS_DAY_THU, IDS_DAY_FRI, IDS_DAY_SAT};

} // namespace

void SplitHhmmOffset(int offset, int& hours, int& minutes) {
    if (offset >= -100 && offset <= 100) {
        hours = offset;
        minutes = 0;
        return;
    }
    hours = offset / 100;
    minutes = std::abs(offset % 100);
    if (offset < 0) minutes = -minutes;
}

CString FormatCityTime(int offset, int referenceHours, int referenceMinutes) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    Shift shift = CityShift(offset, referenceHours, referenceMinutes);
    int carry = 0;
    int minute = ShiftedMinute(now.wMinute, shift, carry);
    int total = now.wHour + shift.hours + carry;
    int hour = total - 24 * FloorDiv(total, 24);
    WCHAR text[16];
    std::swprintf(text, 16, L"%02d:%02d:%02d", hour, minute, static_cast<int>(now.wSecond));
    return CString(text);
}

CString FormatCityDate(int offset, int referenceHours, int referenceMinutes, int yearFlag, DateTriple& date) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    Shift shift = CityShift(offset, referenceHours, referenceMinutes);
    int carry = 0;
    ShiftedMinute(now.wMinute, shift, carry);
    int k = shift.hours + carry;
    int dayShift = FloorDiv(now.wHour + k, 24);
    date = GetDatePlusDays(now.wYear, now.wMonth, now.wDay, dayShift);

    WCHAR text[48];
    if (yearFlag == 0)
        std::swprintf(text, 48, L"%02d/%02d ", date.day, date.month);
    else
        std::swprintf(text, 48, L"%02d/%02d/%d    ", date.day, date.month, date.year);
    int weekday = (static_cast<int>(now.wDayOfWeek) + dayShift) % 7;
    if (weekday < 0) weekday += 7;
    return CString(text) + LoadCoreString(kWeekdayStrings[weekday]);
}

time_t AddDaysToTime(time_t time, int days) {
    long long seconds = static_cast<long long>(std::llabs(static_cast<long long>(days))) * 86400LL;
    return days >= 0 ? time + static_cast<time_t>(seconds) : time - static_cast<time_t>(seconds);
}

CTime AddDaysToTime(const CTime& time, int days) {
    return CTime(AddDaysToTime(time.GetTime(), days));
}

DateTriple GetDatePlusDays(int year, int month, int day, int days) {
    DateTriple unchanged{day, month, year};
    struct tm fields {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = 1;
    fields.tm_min = 1;
    fields.tm_sec = 1;
    fields.tm_isdst = -1;
    time_t start = device::DeviceMktime(&fields);
    if (start == static_cast<time_t>(-1)) return unchanged;
    struct tm moved {};
    if (!device::DeviceLocaltime(AddDaysToTime(start, days), &moved)) return unchanged;
    return DateTriple{moved.tm_mday, moved.tm_mon + 1, moved.tm_year + 1900};
}
