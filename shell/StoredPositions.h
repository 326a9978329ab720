#pragma once
// Start-up repair of the store positions the settings keep: a clock's or the map's CityIndex,
// a currency column (the weather page repairs its own places). A position past the end of its
// store (a shorter list than the one it was saved with, or a shipped default into a list cut
// short) would show a clock, place or column without a name; it is moved to a valid entry and
// written back. The currency store is never short for a while: it is built whole or not at all,
// and nothing adds to it later.

#include "core/RegistryKey.h"

// clock, clock1 .. clock4 and mapclock against a city store of cityCount records: the home
// clock falls back to the first city, the other clocks and the map to the home clock's city.
// While the store is not whole (only cities added while its list yielded none) the user's
// positions are held and come back once it is (RepairStoredPosition).
void RepairCityPositions(CRegistryKey& reg, DWORD cityCount, bool storeWhole);
// curp, curp2, curp3 against a currency store of currencyCount records: the first currency.
void RepairCurrencyPositions(CRegistryKey& reg, DWORD currencyCount);
