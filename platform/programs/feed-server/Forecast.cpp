#include "platform/programs/feed-server/Forecast.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace feedserver {

long DaysFromCivil(const CivilDate& d) {
    int y = d.year - (d.month <= 2);
    long era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (d.month + (d.month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

CivilDate CivilFromDays(long z) {
    z += 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned doe = static_cast<unsigned>(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long y = static_cast<long>(yoe) + era * 400;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(y + (m <= 2)), m, d};
}

bool ParseCivilDate(const std::string& text, CivilDate& out) {
    int y, m, d;
    char tail;
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return false;
    CivilDate date{y, m, d};
    CivilDate back = CivilFromDays(DaysFromCivil(date));
    if (back.year != y || back.month != m || back.day != d) return false;
    out = date;
    return true;
}

CivilDate TodayUtc() {
    return CivilFromDays(static_cast<long>(std::time(nullptr) / 86400));
}

namespace {

// A small deterministic generator (splitmix64) seeded from the place and the day.
class Dice {
public:
    Dice(const std::string& code, long day) {
        uint64_t h = 1469598103934665603ull;
        for (unsigned char c : code)
            h = (h ^ c) * 1099511628211ull;
        m_state = h ^ (static_cast<uint64_t>(day) * 0x9E3779B97F4A7C15ull);
    }
    double Next() { // [0, 1)
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return static_cast<double>(z >> 11) / 9007199254740992.0;
    }
    double Between(double lo, double hi) { return lo + (hi - lo) * Next(); }

private:
    uint64_t m_state;
};

const char* const kCompass[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

struct Condition {
    const char* code;
    const char* text;
};

int Round(double v) {
    return static_cast<int>(std::lround(v));
}

// Wind chill below 10 C in wind, a humid-heat rise above 27 C; otherwise the temperature.
int FeelsLike(int t, int windKmh, int humidity) {
    if (t <= 10 && windKmh > 4) {
        double v = std::pow(windKmh, 0.16);
        return Round(13.12 + 0.6215 * t - 11.37 * v + 0.3965 * t * v);
    }
    if (t >= 27) return Round(t + (humidity - 40) * 0.1);
    return t;
}

} // namespace

DayWeather WeatherOf(const Place& place, const CivilDate& day) {
    long days = DaysFromCivil(day);
    Dice dice(place.code, days);
    long dayOfYear = days - DaysFromCivil({day.year, 1, 1});
    const double pi = 3.14159265358979323846;
    // Warmest around 16 July in the north; the swing's sign turns it round in the south.
    double season = std::cos(2 * pi * (dayOfYear - 196) / 365.25);
    double mean = place.meanC + place.swingC / 2 * season + dice.Between(-3, 3);

    DayWeather w;
    w.highC = Round(mean + place.dailyRangeC / 2 + dice.Between(-1, 1));
    w.lowC = Round(mean - place.dailyRangeC / 2 + dice.Between(-1, 1));
    if (w.lowC >= w.highC) w.lowC = w.highC - 1;

    bool wet = dice.Next() < place.wetShare;
    double pick = dice.Next();
    Condition c;
    if (wet) {
        if (w.highC <= 1)
            c = pick < 0.5 ? Condition{"W11", "Snow Showers"} : Condition{"W12", "Snow"};
        else if (w.lowC <= 0 && w.highC <= 4)
            c = pick < 0.6 ? Condition{"W13", "Sleet"} : Condition{"W14", "Freezing Rain"};
        else if (w.highC >= 26 && pick < 0.4)
            c = {"W10", "Thunderstorms"};
        else if (pick < 0.45)
            c = {"W08", "Showers"};
        else if (pick < 0.8)
            c = {"W09", "Rain"};
        else
            c = {"W07", "Drizzle"};
    } else {
        if (pick < 0.3)
            c = {"W01", "Sunny"};
        else if (pick < 0.55)
            c = {"W02", "Mostly Sunny"};
        else if (pick < 0.75)
            c = {"W03", "Partly Cloudy"};
        else if (pick < 0.87)
            c = {"W04", "Mostly Cloudy"};
        else if (pick < 0.93)
            c = {"W05", "Overcast"};
        else if (pick < 0.96)
            c = place.dailyRangeC < 9 ? Condition{"W06", "Fog"} : Condition{"W16", "Haze"};
        else
            c = {"W15", "Windy"};
    }
    w.condition = c.code;
    w.text = c.text;

    double breeze = dice.Next();
    w.windKmh = w.condition == "W15" ? Round(dice.Between(35, 55)) : Round(3 + 27 * breeze * breeze);
    int direction = static_cast<int>(dice.Next() * 16) % 16;
    if (w.windKmh < 4) w.windKmh = 0;
    w.windDirection = w.windKmh == 0 ? "CLM" : kCompass[direction];
    w.gustKmh = w.windKmh == 0 ? 0 : Round(w.windKmh * dice.Between(1.2, 1.6));

    w.humidityPct = wet ? Round(dice.Between(70, 95)) : Round(dice.Between(35, 70));
    w.precipitationPct = wet ? 5 * Round(dice.Between(12, 19)) : 5 * Round(dice.Between(0, 5));
    w.pressureMb = Round(1013 + dice.Between(-8, 8) - (wet ? 8 : 0));
    if (w.condition == "W06")
        w.visibilityKm = "0.5";
    else if (w.condition == "W16")
        w.visibilityKm = "4.0";
    else
        w.visibilityKm = wet ? "6.0" : "10.0";
    w.feelsHighC = FeelsLike(w.highC, w.windKmh, w.humidityPct);
    w.feelsLowC = FeelsLike(w.lowC, w.windKmh, w.humidityPct);
    return w;
}

std::string ForecastText(const Place& place, const CivilDate& day0) {
    static const char* const kWeekday[] = {"Thu", "Fri", "Sat", "Sun",
                                           "Mon", "Tue", "Wed"}; // 1970-01-01 was a Thursday
    std::string text;
    long first = DaysFromCivil(day0);
    for (int k = 0; k < 5; ++k) {
        long days = first + k;
        CivilDate d = CivilFromDays(days);
        DayWeather w = WeatherOf(place, d);
        char date[32];
        std::snprintf(date, sizeof date, "%s %02d/%02d/%04d", kWeekday[((days % 7) + 7) % 7], d.month, d.day,
                      d.year);
        std::string feels = k == 0 ? std::to_string(w.feelsHighC)
                                   : std::to_string(w.feelsHighC) + "/" + std::to_string(w.feelsLowC);
        const std::string fields[12] = {
            w.condition,
            w.text,
            date,
            "06:00", // every forecast is issued at 06:00 GMT
            std::to_string(w.lowC),
            std::to_string(w.highC),
            feels,
            w.windDirection,
            std::to_string(w.gustKmh),
            std::to_string(w.windKmh),
            k == 0 ? std::to_string(w.pressureMb) : std::to_string(w.humidityPct),
            k == 0 ? w.visibilityKm : std::to_string(w.precipitationPct),
        };
        for (const std::string& f : fields) {
            text += f;
            text += '^';
        }
    }
    return text;
}

std::string WeatherReply(const std::vector<std::string>& codes, const std::map<std::string, Place>& places,
                         const CivilDate& day0) {
    std::string reply;
    for (const std::string& code : codes) {
        auto it = places.find(code);
        if (it == places.end()) continue;
        reply += code + "^" + ForecastText(it->second, day0) + "@";
    }
    return reply;
}

std::string RatesReply(const RateTable& table) {
    std::string reply;
    for (const auto& [code, rate] : table.rates)
        reply += code + "_" + rate + "#";
    return reply;
}

} // namespace feedserver
