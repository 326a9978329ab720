// Start-up repair of stored positions that lie past the end of their store.

#include "shell/StoredPositions.h"

#include "clocks/StoredCityIndexes.h"
#include "core/HeldPositions.h"
#include "currency/CurrencyLogic.h"

namespace {

// The value as the pages read it: stored, or its default when missing.
DWORD ReadOrDefault(CRegistryKey& reg, LPCWSTR key, LPCWSTR name, DWORD fallback) {
    DWORD value = reg.ReadDword(HKEY_LOCAL_MACHINE, key, name);
    return reg.RegistryStatus == CRegistryKey::kFound ? value : fallback;
}

// Writes replacement when the value (or its default) lies past count; returns the value in use.
DWORD Repair(CRegistryKey& reg, LPCWSTR key, LPCWSTR name, DWORD fallback, DWORD count, DWORD replacement) {
    const DWORD value = ReadOrDefault(reg, key, name, fallback);
    if (value < count) return value;
    reg.WriteDword(HKEY_LOCAL_MACHINE, key, name, replacement);
    return replacement;
}

} // namespace

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
    for (int i = 0; i < 3; ++i)
        Repair(reg, L"Jorvana\\currencies", kNames[i], kDefaultCurrencyIndex[i], currencyCount, 0);
}
