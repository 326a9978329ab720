#include "clocks/StoredCityIndexes.h"

const LPCWSTR kClockValueNames[kClockCount] = {L"clock", L"clock1", L"clock2", L"clock3", L"clock4"};
const DWORD kClockDefaultCities[kClockCount] = {0, 684, 756, 565, 988};

void ReadClockCityIndexes(CRegistryKey& reg, int32_t clocks[kClockCount], bool writeDefaults) {
    // The first write-back creates the key: whether it was missing is known from the first read.
    bool keyMissing = false;
    for (int i = 0; i < kClockCount; ++i) {
        DWORD value = reg.ReadDword(HKEY_LOCAL_MACHINE, kClocksKey, kClockValueNames[i]);
        if (i == 0) keyMissing = reg.RegistryStatus == CRegistryKey::kKeyMissing;
        if (reg.RegistryStatus != CRegistryKey::kFound) {
            value = kClockDefaultCities[i];
            if (keyMissing || writeDefaults)
                reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, kClockValueNames[i], value);
        }
        clocks[i] = static_cast<int32_t>(value);
    }
}

void StoredCityIndexes::Read(CRegistryKey& reg) {
    map = static_cast<int32_t>(reg.ReadDword(HKEY_LOCAL_MACHINE, kMapKey, L"mapclock"));
    ReadClockCityIndexes(reg, clocks);
}

bool StoredCityIndexes::Write(CRegistryKey& reg) const {
    for (int i = 0; i < kClockCount; ++i)
        if (!reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, kClockValueNames[i],
                            static_cast<DWORD>(clocks[i])))
            return false;
    return reg.WriteDword(HKEY_LOCAL_MACHINE, kMapKey, L"mapclock", static_cast<DWORD>(map));
}

void StoredCityIndexes::ShiftAfterAdd(int32_t p) {
    ForEach([p](int32_t& v) {
        if (v >= p) ++v;
    });
}

void StoredCityIndexes::ShiftAfterDelete(int32_t s) {
    ForEach([s](int32_t& v) {
        if (v > s || (v == s && s > 0)) --v;
    });
}

void StoredCityIndexes::ShiftAfterMove(int32_t s, int32_t p) {
    ForEach([s, p](int32_t& v) {
        if (v == s)
            v = p;
        else if (s < v && v <= p)
            --v;
        else if (p <= v && v < s)
            ++v;
    });
}
