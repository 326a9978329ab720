#pragma once
// The city positions (CityIndex) that the settings keep: the home clock, clocks 1 to 4 and the
// map's selected city. A CityIndex is a position in the city store's order, so every city added
// to or removed from the store shifts the positions after it; the edit cities dialog keeps these
// values on the same cities with the three Shift functions and writes them back.

#include "core/RegistryKey.h"

#include <cstdint>

constexpr LPCWSTR kClocksKey = L"Jorvana\\wrldclk";
constexpr LPCWSTR kMapKey = L"Jorvana\\map";
constexpr int kClockCount = 5;

// Value names and first-run cities of the home clock (0) and clocks 1 to 4.
extern const LPCWSTR kClockValueNames[kClockCount];
extern const DWORD kClockDefaultCities[kClockCount];

// The five clock cities under Jorvana\wrldclk. A missing value gives its default; when the key
// itself is missing each default is also written back. A caller that has already created the
// key (a first start it noticed itself) passes writeDefaults to have every default written back.
void ReadClockCityIndexes(CRegistryKey& reg, int32_t clocks[kClockCount], bool writeDefaults = false);

struct StoredCityIndexes {
    int32_t map = 0;                 // mapclock under Jorvana\map (missing reads 0)
    int32_t clocks[kClockCount] = {}; // clock, clock1 .. clock4 under Jorvana\wrldclk

    void Read(CRegistryKey& reg);
    // Writes the five clocks, then the map city; true when every value was written.
    bool Write(CRegistryKey& reg) const;

    // A city was added at position p: every value at p or after moves up by one.
    void ShiftAfterAdd(int32_t p);
    // City s was removed: values after it move down by one; a value on it moves to the city
    // before it, or stays 0 (the new first city) when s was the first.
    void ShiftAfterDelete(int32_t s);
    // City s was rewritten and now stands at p: a value on it follows it to p, the values
    // between close the gap it left and open the one it takes.
    void ShiftAfterMove(int32_t s, int32_t p);

private:
    template <typename F> void ForEach(F f) {
        f(map);
        for (int32_t& v : clocks) f(v);
    }
};
