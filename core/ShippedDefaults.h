#pragma once
// Positions of the first-start defaults in the shipped lists: the four city
// clocks in cities.lst (CityIndex: order of "name:country", case-sensitive),
// weather places 2 to 4 in cities.wet (order of names, case-sensitive) and the
// three converter columns in currs.lst (order of names, letter case ignored).
// Written by scripts/data/gen_lists.py together with those lists; regenerate
// rather than edit, or the positions stop matching the lists.
// Lists of 2027, tzdata 2026f.

namespace shipped {

// clock1..clock4: New York (United States of America), Paris (France), London (United Kingdom), Tokyo (Japan)
inline constexpr unsigned long kClockCity[4] = {684, 756, 565, 988};
// The clock city that takes the place of a default one chosen as the home city: Sydney (Australia)
inline constexpr unsigned long kSpareClockCity = 949;

// wetp2..wetp4: London, New York, Tokyo. When the first start adds the home
// city at a position at most kWeatherPlace[i], that place moves to kWeatherPlace[i] + 1.
inline constexpr unsigned long kWeatherPlace[3] = {175, 219, 323};
// The place that takes the place of a default one that is the home city (moved
// past an added home city in the same way): Paris
inline constexpr unsigned long kSpareWeatherPlace = 243;
// The names of these places, by which they are found in a store that holds places
// added before them.
inline constexpr const wchar_t* kWeatherPlaceName[3] = {L"London", L"New York", L"Tokyo"};
inline constexpr const wchar_t* kSpareWeatherPlaceName = L"Paris";

// curp, curp2, curp3: US Dollar (USD), Euro (EUR), Pound Sterling (GBP)
inline constexpr unsigned long kCurrency[3] = {145, 48, 105};

inline constexpr unsigned long kCityCount = 1200;
inline constexpr unsigned long kWeatherPlaceCount = 360;
inline constexpr unsigned long kCurrencyCount = 155;

} // namespace shipped
