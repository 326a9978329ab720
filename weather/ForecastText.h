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

// One record of a weather reply.
struct WeatherReplyRecord {
    CString code;
    CString forecast; // without the closing "@"
};
// Takes the next complete record off the front of the remaining reply; false, leaving the
// reply as it is, when no complete record is left.
bool TakeWeatherReplyRecord(CString& remaining, WeatherReplyRecord& record);

// Writes every record of the reply whose code matches a stored place: its forecast and the
// date of the forecast, keeping its name and country. The store is open; it is sorted on the
// code while this runs and back in its normal order afterwards. True when at least one record
// was written: an empty reply, one without a complete record (an HTML page, a cut body) or one
// of unknown codes only is a failed synchronisation.
bool StoreWeatherReply(CWeatherDb& store, const CString& reply);

// The reply's record for one place code (compared exactly; the last one when the code comes
// twice). False when the reply holds no complete record of that code.
bool FindWeatherReplyRecord(const CString& reply, const CString& code, WeatherReplyRecord& found);

// Writes the reply's record of the code (as FindWeatherReplyRecord finds it) into the place
// named name: its forecast and date; the place keeps its name, code and country. False, with
// nothing written, when the reply holds no complete record of the code or no place has the name.
bool StorePlaceWeatherReply(CWeatherDb& store, const CString& name, const CString& code, const CString& reply);
