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
    const std::array<DWORD, 5> candidates = {shipped::kClockCity[0], shipped::kClockCity[1],
                                             shipped::kClockCity[2], shipped::kClockCity[3],
                                             shipped::kSpareClockCity};
    return FirstOtherThan<4>(candidates, homeCity);
}

std::array<DWORD, 4> ShippedWeatherPlaces(const std::function<std::optional<DWORD>(LPCWSTR name)>& findPlace,
                                          std::optional<DWORD> homeAddedAt) {
    const LPCWSTR names[4] = {shipped::kWeatherPlaceName[0], shipped::kWeatherPlaceName[1],
                              shipped::kWeatherPlaceName[2], shipped::kSpareWeatherPlaceName};
    const DWORD positions[4] = {shipped::kWeatherPlace[0], shipped::kWeatherPlace[1],
                                shipped::kWeatherPlace[2], shipped::kSpareWeatherPlace};
    std::array<DWORD, 4> places{};
    for (int i = 0; i < 4; ++i) {
        if (const std::optional<DWORD> found = findPlace(names[i]))
            places[i] = *found;
        else
            places[i] = positions[i] + (homeAddedAt && positions[i] >= *homeAddedAt ? 1 : 0);
    }
    return places;
}

std::array<DWORD, 4> FirstRunWeatherPlaces(std::optional<DWORD> homePlace,
                                           const std::array<DWORD, 4>& shippedPlaces) {
    if (!homePlace) return shippedPlaces;
    const std::array<DWORD, 3> others = FirstOtherThan<3>(shippedPlaces, homePlace);
    return {*homePlace, others[0], others[1], others[2]};
}
