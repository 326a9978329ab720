#include "platform/programs/feed-server/FeedData.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace feedserver {

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Split(const std::string& line, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t pos; (pos = line.find(sep, start)) != std::string::npos; start = pos + 1)
        parts.push_back(line.substr(start, pos - start));
    parts.push_back(line.substr(start));
    return parts;
}

bool ToNumber(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end && *end == '\0';
}

bool ValidDate(const std::string& d) {
    if (d.size() != 10 || d[4] != '-' || d[7] != '-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (d[i] < '0' || d[i] > '9') return false;
    int month = std::atoi(d.substr(5, 2).c_str()), day = std::atoi(d.substr(8, 2).c_str());
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

} // namespace

std::optional<std::map<std::string, Place>> ParsePlaces(const std::string& text, std::string& error) {
    std::map<std::string, Place> places;
    int number = 0;
    for (const std::string& line : Lines(text)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        auto f = Split(line, ';');
        Place p;
        bool ok = f.size() == 9 && !f[0].empty();
        if (ok) {
            p.code = f[0];
            p.name = f[1];
            p.country = f[2];
            ok = ToNumber(f[3], p.latitude) && ToNumber(f[4], p.longitude) && ToNumber(f[5], p.meanC) &&
                 ToNumber(f[6], p.swingC) && ToNumber(f[7], p.dailyRangeC) && ToNumber(f[8], p.wetShare) &&
                 p.wetShare >= 0 && p.wetShare <= 1 && p.code.find_first_of("^@'") == std::string::npos;
        }
        if (!ok) {
            error = "places: line " + std::to_string(number) +
                    " is not code;name;country;lat;lon;mean;swing;range;wet";
            return std::nullopt;
        }
        places[p.code] = p;
    }
    if (places.empty()) {
        error = "places: no place";
        return std::nullopt;
    }
    return places;
}

std::optional<RateTable> ParseRates(const std::string& text, std::string& error) {
    RateTable table;
    int number = 0;
    for (const std::string& line : Lines(text)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        if (line.compare(0, 5, "date ") == 0) {
            table.date = line.substr(5);
            if (!ValidDate(table.date)) {
                error = "rates: line " + std::to_string(number) + ": the date is not YYYY-MM-DD";
                return std::nullopt;
            }
            continue;
        }
        size_t bar = line.find('_');
        double rate = 0;
        if (bar == std::string::npos || bar == 0 || line.find_first_of("#_", bar + 1) != std::string::npos ||
            !ToNumber(line.substr(bar + 1), rate) || rate <= 0) {
            error = "rates: line " + std::to_string(number) + " is not CODE_rate";
            return std::nullopt;
        }
        table.rates.emplace_back(line.substr(0, bar), line.substr(bar + 1));
    }
    if (table.date.empty() || table.rates.empty()) {
        error = "rates: a date line and at least one rate are needed";
        return std::nullopt;
    }
    return table;
}

std::optional<FeedData> LoadFeedData(const std::string& folder, std::string& error) {
    std::string placesText, ratesText;
    if (!ReadFile(folder + "/places.txt", placesText)) {
        error = "cannot read " + folder + "/places.txt";
        return std::nullopt;
    }
    if (!ReadFile(folder + "/rates.txt", ratesText)) {
        error = "cannot read " + folder + "/rates.txt";
        return std::nullopt;
    }
    auto places = ParsePlaces(placesText, error);
    if (!places) return std::nullopt;
    auto rates = ParseRates(ratesText, error);
    if (!rates) return std::nullopt;
    return FeedData{std::move(*places), std::move(*rates)};
}

} // namespace feedserver
