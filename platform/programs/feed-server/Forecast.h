#pragma once
// Made-up five-day forecasts for the stand-in feed server. Each day's weather depends only on
// the place and that calendar day, so two requests on different days agree about the days they
// share. Temperatures follow the place's mean, its seasonal swing (July against January) and
// its daily range; wet days come at the place's wet share; snow and sleet only when cold.

#include "platform/programs/feed-server/FeedData.h"

#include <string>
#include <vector>

namespace feedserver {

struct CivilDate {
    int year = 2000;
    int month = 1;
    int day = 1;
};

// Days since 1970-01-01, and back.
long DaysFromCivil(const CivilDate& d);
CivilDate CivilFromDays(long days);
// Parses YYYY-MM-DD; false when it is no calendar date.
bool ParseCivilDate(const std::string& text, CivilDate& out);
// The UTC calendar day of now.
CivilDate TodayUtc();

// The weather of one place on one day.
struct DayWeather {
    std::string condition; // W01..W16
    std::string text;
    int lowC = 0, highC = 0;
    int feelsHighC = 0, feelsLowC = 0;
    std::string windDirection; // 16-point compass, or "CLM"
    int windKmh = 0, gustKmh = 0;
    int pressureMb = 0, humidityPct = 0, precipitationPct = 0;
    std::string visibilityKm;
};

DayWeather WeatherOf(const Place& place, const CivilDate& day);

// The 60 fields of a place's forecast from day0 on, each followed by "^".
std::string ForecastText(const Place& place, const CivilDate& day0);

// The weather reply for the codes asked (in their order; unknown codes are left out): for each,
// the code, "^", its forecast text and "@".
std::string WeatherReply(const std::vector<std::string>& codes, const std::map<std::string, Place>& places,
                         const CivilDate& day0);

// The rates reply: CODE_rate# for every rate of the table.
std::string RatesReply(const RateTable& table);

} // namespace feedserver
