#pragma once
// What the World Clocks page shows for a clock's city: the summary of its facts (with the city
// information dialog on request) and its five-day forecast.

#include "clocks/DstRule.h"
#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

#include <ctime>

class CCitiesDb;
class CWeatherDb;
class CWnd;

// The facts of a city as the summary and the city information dialog show them.
struct ClockCityFacts {
    CString name;
    CString country;
    CString longitude;
    CString latitude;
    CString observing;     // "Observing now", "Not observing now" or "Never observing"
    CString period;        // "d/m/yyyy - d/m/yyyy" of the daylight-saving window, or "-"
    CString offsetText;    // "5h30", "-10h"... followed by " + <shift>h (DST)" inside the window
    CString currentOffset; // the offset in force, as a decimal integer text
    int standardOffset = 0; // the city's HhmmOffset without daylight saving
    DstRuleFields rule;     // its rule as its clock reads it
    CString summary;       // the message box text
};

// The facts of the city at cityIndex of the store, its daylight saving judged at the city's
// current standard time against the home reference zone.
ClockCityFacts BuildClockCityFacts(CCitiesDb& cities, DWORD cityIndex, int referenceHours, int referenceMinutes);

// The date of a clock's date text: day from its first two characters, month from its fourth and
// fifth, year from its seventh to tenth when the text holds a year ("/2" or "/3"), otherwise
// currentYear.
void ClockDateFromText(const CString& dateText, int currentYear, int& day, int& month, int& year);

// Whether a forecast dated "dd/mm/yyyy" is still current at now: until that day's 23:59:59
// local time plus four days. A date that cannot be read is not current.
bool IsForecastCurrent(const CString& updateDate, time_t now);

// The [i] button of a clock: the summary in a Yes/No message box over the page and, on Yes,
// the city information dialog for the clock's date.
void ShowClockCityInfo(CWnd* page, CCitiesDb& cities, DWORD cityIndex, const CString& dateText, int referenceHours,
                       int referenceMinutes);

// The sun icon of a clock: the forecast view of the city when the weather store holds a
// current forecast for it, otherwise "Synchronize before to get updated forecast".
void ShowClockCityWeather(CWnd* page, CWeatherDb& weather, const CString& cityName, const CString& homeName);
