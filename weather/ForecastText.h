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

// The record date "DD/MM/YYYY" of a forecast: the last ten characters of day 0's date text
// (MM/DD/YYYY; the whole text when shorter) rebuilt day first. A date text that holds no date
// gives a text that is no date either (readers then show no current forecast); a ":" is left out
// so that the country stored after the date keeps its place.
CString ForecastRecordDate(const CString& forecastText);

// How far day 0 of a forecast may lie from the device's date, in days either way.
inline constexpr int kForecastDateSlackDays = 3;

// True when a forecast text is one the store may hold: exactly 60 fields each closed by "^";
// no field longer than 80 characters or holding a control character; a condition code of
// letters, digits, "-" or "/" (a code mapping.cfg does not know shows the unknown icon); each
// day's date text ending with a real MM/DD/YYYY date, day 0 within kForecastDateSlackDays of
// today (the device's local date, wYear/wMonth/wDay) and day k k days after it; temperatures
// from -90 to 60 °C, the feels-like text one or two of them joined by "/"; wind speed 0 to 500
// km/h; day 0's pressure 800 to 1100 mb and visibility 0 to 500 km; the other days' humidity and
// precipitation 0 to 100. "N/A" stands for any value; "-" for the code and the temperatures.
bool IsValidForecast(const CString& forecastText, const SYSTEMTIME& today);

// One record of a weather reply.
struct WeatherReplyRecord {
    CString code;
    CString forecast; // without the closing "@"
};
// Takes the next complete record off the front of the remaining reply; false, leaving the
// reply as it is, when no complete record is left.
bool TakeWeatherReplyRecord(CString& remaining, WeatherReplyRecord& record);

// Writes every valid record (IsValidForecast against the device's date) of the reply whose code
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
