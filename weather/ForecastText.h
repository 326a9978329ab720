#pragma once
// The forecast of a weather place and the feed server's weather reply.
//
// A forecast text is 60 fields, each followed by "^": five days of 12 fields, day 0 being the
// day of the record's date. Field i of day k is field 12k + i. Text after the last "^" is never
// a field; fields the text does not reach read as empty.
//
// The weather reply is a run of records "<code>^<forecast text>@"; whatever follows the last
// complete record is ignored.

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

#include <vector>

class CWeatherDb;

inline constexpr int kForecastDays = 5;
inline constexpr int kForecastDayFields = 12;
inline constexpr int kForecastFields = kForecastDays * kForecastDayFields;

// Fields of one forecast day.
enum ForecastDayField {
    kDayConditionCode = 0,
    kDayConditionText = 1,
    kDayDateText = 2, // ends with the day's date MM/DD/YYYY
    kDayTimeText = 3,
    kDayLow = 4,
    kDayHigh = 5,
    kDayFeelsLike = 6,
    kDayWindDirection = 7,
    kDayUnused = 8,
    kDayWindSpeed = 9,
    kDayPressureOrHumidity = 10,
    kDayVisibilityOrPrecipitation = 11,
};

// Always 60 fields, the missing ones empty.
std::vector<CString> SplitForecastFields(const CString& forecastText);
// Field i of day k, or an empty text.
CString ForecastField(const std::vector<CString>& fields, int day, int field);
// True when the forecast holds day k: a short forecast may end before a day's date text.
bool ForecastReachesDay(const std::vector<CString>& fields, int day);

// The record date "DD/MM/YYYY" of a forecast: the last ten characters of day 0's date text
// (MM/DD/YYYY; the whole text when shorter) rebuilt day first. A date text that holds no date
// gives a text that is no date either (readers then show no current forecast); a ":" is left out
// so that the country stored after the date keeps its place.
CString ForecastRecordDate(const CString& forecastText);

// Physical limits of the measured fields of a forecast: what the weather on Earth can give.
inline constexpr double kMinTemperature = -95;  // °C, low and high
inline constexpr double kMaxTemperature = 70;
inline constexpr double kMinFeelsLike = -110;   // °C
inline constexpr double kMaxFeelsLike = 100;
inline constexpr double kMaxWindSpeed = 500;    // km/h
inline constexpr double kMinPressure = 800;     // mb, day 0
inline constexpr double kMaxPressure = 1100;
inline constexpr double kMaxVisibility = 500;   // km, day 0
inline constexpr double kMaxPercentage = 100;   // humidity and precipitation, days 1-4

// The "/" that joins the two halves of a feels-like pair, each a number or a no-data mark
// ("20/25", "65/-", "N/A/12"); -1 when the text is no such pair.
int FeelsLikeSlash(const CString& text);
// True for the fields that hold a measured value: the temperatures, feels-like, wind speed,
// pressure or humidity, visibility or precipitation.
bool IsMeasuredForecastField(int field);
// True when a measured field's text means no data: "N/A", "-" or nothing at all.
bool IsNoForecastData(const CString& text);
// The text a page shows for field i of a day: a measured field without the blanks around its
// number(s); one without data, and an empty wind direction, read "N/A", as the server marks a
// missing value, except that "-" stays in the temperatures (it is shown as it came there); every
// other text as it came.
CString ShownForecastField(const CString& text, int field);
// The forecast text as it is stored: each measured field without the blanks around its number
// (each number of a feels-like pair), every other field and the text after the last "^" as they
// came.
CString NormalizedForecast(const CString& forecastText);

// True when a forecast text is one the store may hold. It is stored as it came, also when it has
// fewer than 60 fields, provided the fields it has make sense: at least day 0's date; at most 60
// fields, each closed by "^" (an unclosed text after the last one is no field and is allowed
// only when fewer than 60 came); no field longer than 80 characters or holding a control
// character; a condition code of letters, digits, "-" or "/" (or none: a code mapping.cfg does
// not know shows the unknown icon); each date text that came ending with a real MM/DD/YYYY
// date, day k k days after day 0; every measured field without data (IsNoForecastData) or a
// number inside the physical limits above (a leading "+" and blanks around it allowed), the
// feels-like one or two of them joined by "/", of which one may be a no-data mark ("65/-").
// Day 0 may lie on any date: a device whose clock is off is told so (FarOffForecastDates).
bool IsValidForecast(const CString& forecastText);

// How far day 0 of a forecast may lie from the device's date, in days either way, before the
// user is told that the dates disagree.
inline constexpr int kForecastDateSlackDays = 3;
// The record dates (DD/MM/YYYY, each once) of the reply's valid records whose day 0 lies more
// than kForecastDateSlackDays from today (the device's local date); only the records of code
// when it is given.
std::vector<CString> FarOffForecastDates(const CString& reply, const SYSTEMTIME& today,
                                         const CString* code = nullptr);
// Says, owned by owner, that the reply's forecasts are dated far from the device's date and that
// the device's date is the likely cause, naming both dates; nothing when they agree.
void SayWhenForecastDatesFarOff(HWND owner, const CString& reply, const CString* code = nullptr);

// One record of a weather reply.
struct WeatherReplyRecord {
    CString code;
    CString forecast; // without the closing "@"
};
// Takes the next complete record off the front of the remaining reply; false, leaving the
// reply as it is, when no complete record is left.
bool TakeWeatherReplyRecord(CString& remaining, WeatherReplyRecord& record);

// Writes every valid record (IsValidForecast) of the reply whose code
// matches a stored place: its forecast and the date of the forecast, keeping its name and
// country; a place whose record is not valid keeps its forecast. The store is open; it is sorted
// on the code while this runs and back in its normal order afterwards. True when at least one
// record was written: an empty reply, one without a complete record (an HTML page, a cut body),
// one of unknown codes only or one of invalid records only is a failed synchronisation.
// rejected (when given) receives the names of the places whose records were all invalid.
bool StoreWeatherReply(CWeatherDb& store, const CString& reply, std::vector<CString>* rejected = nullptr);

// Writes the reply's last valid record of the code (compared exactly) into the place named name:
// its forecast and date; the place keeps its name, code and country. False, with nothing
// written, when the reply holds no valid record of the code, no place has the name or the place
// could not be written; notValid
// (when given) then says whether the reply did hold records of the code, none of them valid.
bool StorePlaceWeatherReply(CWeatherDb& store, const CString& name, const CString& code, const CString& reply,
                            bool* notValid = nullptr);
