#pragma once
// CCitiesDb: the store of the world's cities, the object-store database jrvCities. One record
// (CityRecord) per city, its properties written in this order (the Today plug-in reads them by position):
//   101 name ":" country (the key and the first sort order), 103 longitude ":" latitude,
//   108 the standard-time UTC offset, 104 the daylight-saving rule.
// A city's CityIndex is its position in the first sort order (property 101, case-sensitive).
// Opening a missing or empty store builds it from cities.lst in the program folder.
//
// The day numbers of the rules are dates of one year: the year that line 1 of the list names
// ("...;year 2026;..."). The build keeps it as dstyear under Jorvana, where the Today plug-in
// reads it too; a store built from a list without a year (or by an older build) has none, and
// its rules read their day numbers alike in every year. The zones whose windows follow no
// weekday (dstyears.lst beside the program, core/DstSchedule.h) are read when the store opens,
// and so is the list itself where it names its tzdata release: the cities still as it gives them
// follow the machine's tzdata (core/FollowedZones.h).

#include "core/DstSchedule.h"
#include "core/FollowedZones.h"
#include "core/RecordDatabase.h"

constexpr LPCWSTR kCitiesDbName = L"jrvCities";
constexpr DWORD kCitiesDbType = 12345;
constexpr WORD kCityPropName = 101;     // name ":" country
constexpr WORD kCityPropPosition = 103; // longitude ":" latitude
constexpr WORD kCityPropOffset = 108;
constexpr WORD kCityPropDstRule = 104;
constexpr LPCWSTR kRulesYearKey = L"Jorvana";
constexpr LPCWSTR kRulesYearValue = L"dstyear";

// The year a city list's title line names in its field "year YYYY"; 0 when it names none.
int ListYearOf(const CString& titleLine);

class CCitiesDb {
public:
    CCitiesDb() = default;
    virtual ~CCitiesDb() = default;

    // Opens jrvCities; builds it from cities.lst when it is not built yet (missing, empty, or its
    // list yielded no city before). A list that yields no city is reported as damaged.
    void Open();
    // The store holds the whole city list (not only cities added while its list yielded none).
    BOOL IsWhole() { return m_db.IsBuilt(kCitiesDbName); }

    WORD GetRecordCount() { return m_db.GetRecordCount(); }
    void SeekFirst() { m_db.SeekFirst(); }
    BOOL IsEOF() { return m_db.IsEOF(); }
    // After AddCity or FindCity: the CityIndex of that city.
    DWORD GetCurrentIndex() { return m_db.GetCurrentIndex(); }

    CString GetName(DWORD index);
    // Property 101 whole: name ":" country.
    CString GetNameCountry(DWORD index);
    CString GetCountry(DWORD index);
    CString GetLongitude(DWORD index);
    CString GetLatitude(DWORD index);
    CString GetUtcOffset(DWORD index);
    CString GetDstRule(DWORD index);
    // The year whose dates the rules' day numbers are, as read when the store was opened or
    // built; 0 when the store was built without one.
    int GetRulesYear() const { return m_rulesYear; }
    // The per-year windows of dstyears.lst, as read when the store was opened; empty when the
    // file is missing or damaged.
    const dstmath::ScheduleList& GetDstSchedules() const { return m_dstSchedules; }
    // The city list beside the program as the store's cities follow tzdata by it, as read when
    // the store was opened; null when it names no tzdata release (or is missing).
    const dstmath::FollowList* GetFollowList() const { return m_followList.get(); }

    // Note the order: the rule comes before the offset, the record stores the offset first.
    BOOL AddCity(LPCWSTR nameCountry, LPCWSTR position, LPCWSTR dstRule, LPCWSTR utcOffset);
    BOOL FindCity(LPCWSTR nameCountry);
    BOOL DeleteAt(DWORD index);

    // Reads a cities.lst already open at its start into the store; returns the records added.
    // damaged (when given) tells whether the file ended before its count and its end marker, or
    // held lines whose name or country is no text (those are left out). Stops when the program
    // is asked to end. Keeps the year of the list's title line (or none) as the rules' year.
    int ImportCityList(HANDLE file, bool* damaged = nullptr);

private:
    CRecordDatabase m_db;
    int m_rulesYear = 0;
    dstmath::ScheduleList m_dstSchedules;
    dstmath::FollowListPtr m_followList;
};
