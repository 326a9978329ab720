#pragma once
// The four weather places' stored positions (wetp .. wetp4 under Jorvana\weather) kept on their
// cities while the weather store gains or loses a city: a place is a position in the store's name
// order, so a city added or removed before it would make it name another city.

#include "core/RegistryKey.h"
#include "core/WeatherDb.h"

constexpr LPCWSTR kWeatherPlacesKey = L"Jorvana\\weather";
constexpr LPCWSTR kWeatherPlaceValues[4] = {L"wetp", L"wetp2", L"wetp3", L"wetp4"};

// Adds a city never synchronised to the store and moves each stored place at or after it one on;
// shifted (when given) marks the places moved. False when the store holds the city already or a
// write failed: run inside an all-or-nothing change (StoreAllOrNothing), which undoes the rest.
bool AddWeatherCityKeepingPlaces(CWeatherDb& store, CRegistryKey& reg, LPCWSTR name, LPCWSTR code,
                                 LPCWSTR country, BOOL shifted[4] = nullptr);

// Deletes a city from the store: each stored place after it moves one back, a place on it goes
// to the first city. False when the store holds no such city or a write failed, as above.
bool DeleteWeatherCityKeepingPlaces(CWeatherDb& store, CRegistryKey& reg, LPCWSTR name);
