#pragma once
// The defaults a first start derives from the home city: the four clock cities and the four
// weather places, each a different city and none of them the home city. The main window writes
// them, with the rest of the first start's values, in one transaction (CMainDlg::RunFirstStart).

#include "platform/base/WinTypes.h"

#include <array>
#include <functional>
#include <optional>

// clock1 .. clock4: the shipped clock cities in order; one that is the home city is passed over
// and the spare clock city closes the list.
std::array<DWORD, 4> FirstRunClockCities(DWORD homeCity);

// Where the shipped weather places (those of wetp2 .. wetp4, then the spare) stand in the
// weather store: found by name (findPlace gives a name's position), so that places added before
// them do not matter; a store without them (a list other than the shipped one) has them at
// their shipped positions, those at or after a home city just added there (homeAddedAt) one on.
std::array<DWORD, 4> ShippedWeatherPlaces(const std::function<std::optional<DWORD>(LPCWSTR name)>& findPlace,
                                          std::optional<DWORD> homeAddedAt);

// wetp .. wetp4: the home city's place, then the shipped places in order, the home city's own
// passed over and the spare closing the list; when the home city is no weather place, the four
// shipped places.
std::array<DWORD, 4> FirstRunWeatherPlaces(std::optional<DWORD> homePlace,
                                           const std::array<DWORD, 4>& shippedPlaces);
