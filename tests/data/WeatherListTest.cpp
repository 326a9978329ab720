// cities.wet, the weatcs country files and the stand-in server's place data,
// read as the weather store, the home-city step and the city dialogs read them.
#include "ShippedFiles.h"
#include "core/ShippedDefaults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

using namespace shippedtest;
namespace fs = std::filesystem;

namespace {

struct Place {
    std::string country, name, code;
};

std::vector<Place> ReadWeatherList(int* count) {
    TokenReader in(ReadAll(DataDir() / "cities.wet"));
    *count = std::atoi(in.Next('\n').c_str());
    std::vector<Place> places;
    for (int i = 0; i < *count && !in.AtEnd(); ++i) {
        Place p;
        p.country = in.Next(';');
        p.name = in.Next(';');
        p.code = in.Next('\n');
        if (p.code.find('\r') != std::string::npos) p.code.pop_back();
        places.push_back(p);
    }
    EXPECT_TRUE(in.AtEnd()) << "text after the counted places";
    return places;
}

// The home-city step: the first line holding name + ";" before a ">" line.
std::string FindCode(const std::string& countryFile, const std::string& name, bool* found) {
    TokenReader in(countryFile);
    *found = false;
    while (!in.AtEnd()) {
        std::string line = in.Next('\n');
        if (line.find('>') != std::string::npos) return "";
        if (line.find(name + ";") != std::string::npos) {
            *found = true;
            std::string code = line.substr(line.find(';') + 1);
            if (line.find('\r') != std::string::npos) code.pop_back();
            return code;
        }
    }
    return "";
}

// Name and country of every city of cities.lst (its second and third fields).
std::vector<std::pair<std::string, std::string>> ListedCities() {
    TokenReader in(ReadAll(DataDir() / "cities.lst"));
    in.Next('\n');
    int count = std::atoi(in.Next('\n').c_str());
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < count; ++i) {
        std::vector<std::string> f = Split(in.Next('\n'), ';');
        if (f.size() > 2) out.emplace_back(f[1], f[2]);
    }
    return out;
}

}  // namespace

TEST(WeatherList, ParsesAndHoldsUniqueNamesAndCodes) {
    int count = 0;
    std::vector<Place> places = ReadWeatherList(&count);
    ASSERT_EQ(static_cast<int>(places.size()), count);
    EXPECT_GE(count, 200);
    std::set<std::string> names, codes;
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        EXPECT_FALSE(p.country.empty());
        EXPECT_TRUE(names.insert(p.name).second) << "the store keys places by name";
        EXPECT_TRUE(codes.insert(p.code).second);
        EXPECT_EQ(p.code.find_first_of("'\",& ^@"), std::string::npos) << "code goes into the query";
        EXPECT_FALSE(p.code.empty());
    }
}

TEST(WeatherList, DefaultPlacePositionsNameTheirPlaces) {
    int count = 0;
    std::vector<Place> places = ReadWeatherList(&count);
    std::vector<std::string> names;
    for (const Place& p : places) names.push_back(p.name);
    std::sort(names.begin(), names.end());  // store order: by name, case-sensitive
    ASSERT_EQ(shipped::kWeatherPlaceCount, names.size());
    const char* expected[3] = {"London", "New York", "Tokyo"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_LT(shipped::kWeatherPlace[i], names.size());
        EXPECT_EQ(names[shipped::kWeatherPlace[i]], expected[i]);
    }
    ASSERT_LT(shipped::kSpareWeatherPlace, names.size());
    EXPECT_EQ(names[shipped::kSpareWeatherPlace], "Paris");
}

TEST(WeatherList, EveryCountryFileBelongsToTheCityListAndEndsWithMarker) {
    std::set<std::string> countries;
    for (auto& [name, country] : ListedCities()) countries.insert(country);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(DataDir() / "weatcs")) {
        std::string country = entry.path().filename().string();
        SCOPED_TRACE(country);
        ++files;
        EXPECT_TRUE(entry.is_regular_file());
        EXPECT_EQ(countries.count(country), 1u) << "country not in cities.lst";
        std::string text = ReadAll(entry.path());
        ASSERT_GE(text.size(), 3u);
        EXPECT_EQ(text.substr(text.size() - 3), ">\r\n");
        std::set<std::string> names;
        for (const std::string& line : Split(text.substr(0, text.size() - 3), '\n')) {
            if (line.empty()) continue;
            EXPECT_EQ(std::count(line.begin(), line.end(), ';'), 1) << line;
            EXPECT_TRUE(names.insert(line.substr(0, line.find(';'))).second) << "listed twice: " << line;
            EXPECT_EQ(line.back(), '\r');
        }
    }
    EXPECT_EQ(static_cast<size_t>(files), countries.size()) << "a country of cities.lst has no file";
}

TEST(WeatherList, EveryListedCityFindsItsOwnCodeInItsCountryFile) {
    std::map<std::string, std::string> files;
    std::set<std::string> allCodes;
    for (auto& [name, country] : ListedCities()) {
        SCOPED_TRACE(name + ":" + country);
        if (!files.count(country)) files[country] = ReadAll(DataDir() / "weatcs" / country);
        bool found = false;
        std::string code = FindCode(files[country], name, &found);
        ASSERT_TRUE(found);
        // the line found is the city's own line, not one whose name ends with it
        std::string own = name + ";" + code + "\r\n";
        EXPECT_TRUE(files[country].rfind(own, 0) == 0 || files[country].find("\n" + own) != std::string::npos);
        EXPECT_TRUE(allCodes.insert(code).second) << "code " << code << " used twice";
    }
}

TEST(WeatherList, PlacesUseTheCodesOfTheirCountryFilesAndTheServerKnowsThem) {
    int count = 0;
    std::set<std::string> serverCodes;
    TokenReader feed(ReadAll(DataDir() / "feed" / "places.txt"));
    while (!feed.AtEnd()) {
        std::string line = feed.Next('\n');
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = Split(line, ';');
        ASSERT_EQ(f.size(), 9u) << line;
        serverCodes.insert(f[0]);
    }
    for (const Place& p : ReadWeatherList(&count)) {
        SCOPED_TRACE(p.name);
        bool found = false;
        EXPECT_EQ(FindCode(ReadAll(DataDir() / "weatcs" / p.country), p.name, &found), p.code);
        EXPECT_TRUE(found);
        EXPECT_EQ(serverCodes.count(p.code), 1u);
    }
}
