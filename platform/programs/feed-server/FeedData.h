#pragma once
// The stand-in feed server's data: the weather places with their climate figures
// (data/feed/places.txt) and the currency rate table with its date (data/feed/rates.txt).

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace feedserver {

struct Place {
    std::string code;
    std::string name;
    std::string country;
    double latitude = 0;
    double longitude = 0;
    double meanC = 0;       // yearly mean temperature
    double swingC = 0;      // July minus January mean (negative south of the equator)
    double dailyRangeC = 0; // typical high minus low
    double wetShare = 0;    // share of days with precipitation, 0 to 1
};

struct RateTable {
    std::string date;                                       // YYYY-MM-DD
    std::vector<std::pair<std::string, std::string>> rates; // code, rate text, in file order
};

struct FeedData {
    std::map<std::string, Place> places; // by code
    RateTable rates;
};

// Reads the text of places.txt: "#" comment lines, then one place a line,
// code;name;country;latitude;longitude;mean;swing;range;wet. On a malformed line, nullopt and a
// message naming the line in error.
std::optional<std::map<std::string, Place>> ParsePlaces(const std::string& text, std::string& error);

// Reads the text of rates.txt: "#" comment lines, a "date YYYY-MM-DD" line, then CODE_rate lines.
std::optional<RateTable> ParseRates(const std::string& text, std::string& error);

// Both files of a data folder; nullopt and a message when either is missing or malformed.
std::optional<FeedData> LoadFeedData(const std::string& folder, std::string& error);

} // namespace feedserver
