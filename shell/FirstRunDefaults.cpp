// The clock cities and weather places a first start derives from the home city.

#include "shell/FirstRunDefaults.h"

#include "core/ShippedDefaults.h"

namespace {

// The first M candidates other than the excluded one (the candidates are distinct, so one more
// than M always leaves M).
template <size_t M, size_t N>
std::array<DWORD, M> FirstOtherThan(const std::array<DWORD, N>& candidates, std::optional<DWORD> excluded) {
    static_assert(N > M);
    std::array<DWORD, M> chosen{};
    size_t n = 0;
    for (DWORD candidate : candidates)
        if (n < M && candidate != excluded) chosen[n++] = candidate;
    return chosen;
}

} // namespace

std::array<DWORD, 4> FirstRunClockCities(DWORD homeCity) {
    const std::array<DWORD, 5> candidates = {shipped::kClockCity[0], shipped::kClockCity[1], shipped::kClockCity[2],
                                             shipped::kClockCity[3], shipped::kSpareClockCity};
    return FirstOtherThan<4>(candidates, homeCity);
}

std::array<DWORD, 4> FirstRunWeatherPlaces(std::optional<DWORD> homePlace, bool homeAdded) {
    std::array<DWORD, 4> places = {shipped::kWeatherPlace[0], shipped::kWeatherPlace[1], shipped::kWeatherPlace[2],
                                   shipped::kSpareWeatherPlace};
    if (!homePlace) return places;
    if (homeAdded)
        for (DWORD& place : places)
            if (place >= *homePlace) ++place;
    const std::array<DWORD, 3> others = FirstOtherThan<3>(places, homePlace);
    return {*homePlace, others[0], others[1], others[2]};
}
