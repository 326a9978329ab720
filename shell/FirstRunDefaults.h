#pragma once
// The defaults a first start derives from the home city: the four clock cities and the four
// weather places, each a different city and none of them the home city. The main window writes
// them, with the rest of the first start's values, in one transaction (CMainDlg::RunFirstStart).

#include "platform/base/WinTypes.h"

#include <array>
#include <optional>

// clock1 .. clock4: the shipped clock cities in order; one that is the home city is passed over
// and the spare clock city closes the list.
std::array<DWORD, 4> FirstRunClockCities(DWORD homeCity);

// wetp .. wetp4 as weather-store positions: the home city's place, then the shipped places in
// order, the home city's own passed over and the spare closing the list. When the home city is no
// weather place, the four shipped places. homeAdded: the first start has just added the home
// city to the store at homePlace, which moved the shipped places at or after it one down.
std::array<DWORD, 4> FirstRunWeatherPlaces(std::optional<DWORD> homePlace, bool homeAdded);
