// Start-up repair of stored positions that lie past the end of their store.

#include "shell/StoredPositions.h"

#include "clocks/StoredCityIndexes.h"
#include "core/HeldPositions.h"
#include "currency/CurrencyLogic.h"

void RepairCityPositions(CRegistryKey& reg, DWORD cityCount, bool storeWhole) {
    // An empty store has no valid entry: nothing to move to.
    if (cityCount == 0) return;
    const DWORD home = RepairStoredPosition(reg, kClocksKey, kClockValueNames[0], kClockDefaultCities[0],
                                            cityCount, 0, storeWhole);
    for (int i = 1; i < kClockCount; ++i)
        RepairStoredPosition(reg, kClocksKey, kClockValueNames[i], kClockDefaultCities[i], cityCount, home,
                             storeWhole);
    RepairStoredPosition(reg, kMapKey, L"mapclock", 0, cityCount, home, storeWhole);
}

void RepairCurrencyPositions(CRegistryKey& reg, DWORD currencyCount) {
    if (currencyCount == 0) return;
    constexpr LPCWSTR kNames[3] = {L"curp", L"curp2", L"curp3"};
    // The currency store is built whole or not at all: nothing to hold.
    for (int i = 0; i < 3; ++i)
        RepairStoredPosition(reg, L"Jorvana\\currencies", kNames[i], kDefaultCurrencyIndex[i], currencyCount,
                             0, true);
}
