#pragma once
// Time and date texts of cities in other zones, derived from the device's local clock, and the
// day arithmetic they use.
//
// An HhmmOffset is a signed UTC offset: -100..100 are whole hours (100 is a hundred hours);
// any other value is hours * 100 + minutes, both parts carrying the value's sign
// (530 = +5:30, -330 = -3:-30, 101 = +1:01).

#include "platform/base/CString.h"
#include "platform/framework/Time.h"

#include <ctime>

struct DateTriple {
    int day = 1;   // 1-31
    int month = 1; // 1-12
    int year = 1970;
};

// Splits an HhmmOffset into hours and minutes of the same sign.
void SplitHhmmOffset(int offset, int& hours, int& minutes);

// "HH:MM:SS" of the city now: the device's local time moved by the city's offset less the
// reference zone (the zone the device's clock stands for).
CString FormatCityTime(int offset, int referenceHours, int referenceMinutes);

// "DD/MM Www" (yearFlag 0) or "DD/MM/YYYY    Www" of the city's date now; date receives the
// day, month and year shown.
CString FormatCityDate(int offset, int referenceHours, int referenceMinutes, int yearFlag, DateTriple& date);

// The time moved by whole days (86400 seconds each).
time_t AddDaysToTime(time_t time, int days);
CTime AddDaysToTime(const CTime& time, int days);

// The local date that lies the given number of days after (or before) a date. A date the
// device cannot represent comes back unchanged.
DateTriple GetDatePlusDays(int year, int month, int day, int days);
