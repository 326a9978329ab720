// The weather places' stored positions following the weather store's additions and removals.
#include "core/WeatherPlaces.h"

namespace {

// Rewrites each stored place that moved: moved gives a stored position's new one.
template <class Move>
bool MovePlaces(CRegistryKey& reg, Move moved, BOOL shifted[4]) {
    for (int i = 0; i < 4; ++i) {
        const DWORD stored = reg.ReadDword(HKEY_LOCAL_MACHINE, kWeatherPlacesKey, kWeatherPlaceValues[i]);
        if (reg.RegistryStatus != CRegistryKey::kFound) continue; // a place never stored keeps its default
        const DWORD now = moved(stored);
        if (now == stored) continue;
        if (!reg.WriteDword(HKEY_LOCAL_MACHINE, kWeatherPlacesKey, kWeatherPlaceValues[i], now)) return false;
        if (shifted) shifted[i] = TRUE;
    }
    return true;
}

} // namespace

bool AddWeatherCityKeepingPlaces(CWeatherDb& store, CRegistryKey& reg, LPCWSTR name, LPCWSTR code,
                                 LPCWSTR country, BOOL shifted[4]) {
    if (!store.AddCity(name, code, L"", CString(kNeverUpdatedDate) + L":" + country)) return false;
    if (!store.FindByName(name)) return false;
    const DWORD position = store.GetCurrentIndex();
    return MovePlaces(reg, [position](DWORD stored) { return stored < position ? stored : stored + 1; }, shifted);
}

bool DeleteWeatherCityKeepingPlaces(CWeatherDb& store, CRegistryKey& reg, LPCWSTR name) {
    if (!store.FindByName(name)) return false;
    const DWORD position = store.GetCurrentIndex();
    if (!store.DeleteCity(name)) return false;
    return MovePlaces(
        reg, [position](DWORD stored) { return stored < position ? stored : stored == position ? 0 : stored - 1; },
        nullptr);
}
