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

// The record date "DD/MM/YYYY" of a forecast: day 0's date text, whose last ten characters are
// MM/DD/YYYY, turned day first. A date text that does not end in such a date gives today's
// device date instead, so the stored date always has its fixed shape.
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
// code while this runs and back in its normal order afterwards. True when the reply is not
// empty, whatever it held.
bool StoreWeatherReply(CWeatherDb& store, const CString& reply);
