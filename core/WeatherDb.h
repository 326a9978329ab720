#pragma once
// CWeatherDb: the places whose forecasts the program holds, the object-store database
// jrvWeather. One record (WeatherCityRecord) per place, its properties written in this order
// (the Today plug-in reads positions 2 and 3):
//   201 the place name (the key and the first sort order), 202 the code the feed server knows
//   it by, 203 the last forecast text, 204 the forecast date "dd/mm/yyyy" ":" the country.
// A place's weather-store position is its index in the name order. Opening a missing or empty
// store builds it from cities.wet in the program folder.

#include "core/RecordDatabase.h"

constexpr LPCWSTR kWeatherDbName = L"jrvWeather";
constexpr DWORD kWeatherDbType = 54321;
constexpr WORD kWeatherPropName = 201;
constexpr WORD kWeatherPropCode = 202;
constexpr WORD kWeatherPropForecast = 203;
constexpr WORD kWeatherPropDateCountry = 204;
// The date of a place never downloaded.
constexpr LPCWSTR kNeverUpdatedDate = L"01/01/2000";

class CWeatherDb {
public:
    CWeatherDb() = default;
    virtual ~CWeatherDb() = default;

    // Opens jrvWeather; builds it from cities.wet when it is not built yet (missing, empty, or its
    // list yielded no place before, so that a place added since, as the home city, does not make
    // it look built). A list that yields no place is reported as damaged.
    void Open();
    // The store holds the whole weather list (not only places added, as the home city, while
    // its list yielded none).
    BOOL IsWhole() { return m_db.IsBuilt(kWeatherDbName); }
    // Reopens sorted on property 201 + position (0 to 3), or in the first sort order for -1.
    void ReopenSorted(int sortPosition);

    WORD GetRecordCount() { return m_db.GetRecordCount(); }
    void SeekFirst() { m_db.SeekFirst(); }
    BOOL IsEOF() { return m_db.IsEOF(); }
    DWORD GetCurrentIndex() { return m_db.GetCurrentIndex(); }

    CString GetName(DWORD index);
    CString GetCode(DWORD index);
    CString GetForecast(DWORD index);
    // Property 204 before / after its first ":"; without ":" the date is empty.
    CString GetUpdateDate(DWORD index);
    CString GetCountry(DWORD index);

    BOOL FindByName(LPCWSTR name);
    // Works only while the store is open sorted on the code (ReopenSorted(1)).
    BOOL FindByCode(LPCWSTR code);
    // A new place always starts without forecast: the forecast argument is not stored.
    BOOL AddCity(LPCWSTR name, LPCWSTR code, LPCWSTR forecast, LPCWSTR dateCountry);
    // Finds the place by name (findFlag 1) or by code (any other value) and rewrites all four
    // properties; nothing is written when it is not found. True when the place was rewritten.
    BOOL UpdateCity(LPCWSTR name, LPCWSTR code, LPCWSTR forecast, LPCWSTR dateCountry, int findFlag);
    BOOL DeleteCity(LPCWSTR name);

    // Reads a cities.wet already open at its start into the store; returns the places added.
    // damaged (when given) tells whether the file ended before its count or held lines whose
    // name or country is no text (those are left out). Stops when the program is asked to end.
    int ImportWeatherList(HANDLE file, bool* damaged = nullptr);

private:
    CRecordDatabase m_db;
};
