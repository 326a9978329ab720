#include "core/CitiesDb.h"

#include "core/ListFileReader.h"
#include "core/RegistryKey.h"
#include "core/TextFiles.h"
#include "platform/ui/DeviceProgram.h"
#include "resources/resource.h"

namespace {

const WORD kCityIdents[CRecordDatabase::kMaxProps] = {kCityPropName, kCityPropPosition, kCityPropOffset,
                                                      kCityPropDstRule};

// Text before / after the first ":"; without ":" the first part is empty, the second the whole.
CString BeforeColon(const CString& text) {
    int at = text.Find(L':');
    return at < 0 ? CString() : text.Left(at);
}

CString AfterColon(const CString& text) {
    int at = text.Find(L':');
    return at < 0 ? text : text.Mid(at + 1);
}

} // namespace

int ListYearOf(const CString& titleLine) {
    const CString line = L";" + titleLine;
    const int at = line.Find(L";year ");
    if (at < 0) return 0;
    int year = 0, digits = 0, i = at + 6;
    for (; i < line.GetLength() && line[i] >= L'0' && line[i] <= L'9' && digits < 5; ++i, ++digits)
        year = year * 10 + (line[i] - L'0');
    // Four digits that end the field, a year of the calendars the clocks reckon with.
    const bool fieldEnds = i == line.GetLength() || line[i] == L';' || line[i] == L'\r' || line[i] == L' ';
    return digits == 4 && fieldEnds && year >= 1601 ? year : 0;
}

void CCitiesDb::Open() {
    BuildFromShippedList(m_db, kCitiesDbName, kCitiesDbType, kCityIdents,
                         {L"cities.lst", TextFileKind::CityList, IDS_CITIES_FILE_NOT_FOUND,
                          IDS_CITIES_FILE_NO_CITY, IDS_CITIES_FILE_DAMAGED},
                         [this](HANDLE file, bool* damaged) { return ImportCityList(file, damaged); });
    CRegistryKey registry;
    const DWORD year = registry.ReadDword(HKEY_LOCAL_MACHINE, kRulesYearKey, kRulesYearValue);
    m_rulesYear = registry.RegistryStatus == CRegistryKey::kFound && year <= 9999 ? static_cast<int>(year) : 0;
    m_dstSchedules = dstmath::LoadSchedules(GetShippedFilePath(dstmath::kScheduleFileName));
    m_followList = dstmath::LoadFollowList(GetShippedFilePath(dstmath::kFollowListName));
}

int CCitiesDb::ImportCityList(HANDLE file, bool* damaged) {
    if (damaged) *damaged = false;
    CListFileReader in(file);
    // The title line names the year of the rules; written with the records (a build writes
    // both in one transaction), 0 for a list that names none.
    m_rulesYear = ListYearOf(in.Next(L"\n"));
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, kRulesYearKey, kRulesYearValue, static_cast<DWORD>(m_rulesYear));
    const int count = ParseListCount(in.Next(L"\n"));
    int added = 0;
    for (int i = 0; i < count; ++i) {
        // The program asked to end (SIGTERM, its window closed): stop here.
        if (device::ui::IsProgramEnding()) break;
        // The count may promise more lines than the file holds: stop at its end. A list that
        // ends before its count and its end marker was cut short.
        if (in.AtEnd()) {
            if (damaged) *damaged = true;
            break;
        }
        in.Next(L";"); // line number
        CString f[9];
        bool whole = in.LastComplete();
        for (int k = 0; k < 9; ++k) {
            f[k] = in.Next(L";");
            whole = whole && in.LastComplete();
            if ((k == 1 || k == 3 || k == 8) && f[k] == L">") return added;
        }
        // A line cut short by the end of the file is no city.
        if (!whole) {
            if (damaged) *damaged = true;
            break;
        }
        CString rest = in.Next(L"\n");
        // A name or country of control characters or symbols is no city (binary bytes).
        if (!IsTextName(f[0]) || (!f[1].IsEmpty() && !IsTextName(f[1]))) {
            if (damaged) *damaged = true;
            continue;
        }
        if (AddCity(f[0] + L":" + f[1], f[2] + L":" + f[3],
                    f[5] + L":" + f[6] + L":" + f[7] + L":" + f[8] + L":" + rest, f[4]))
            ++added;
    }
    return added;
}

CString CCitiesDb::GetName(DWORD index) {
    return BeforeColon(m_db.ReadStringAt(index, kCityPropName));
}

CString CCitiesDb::GetNameCountry(DWORD index) {
    return m_db.ReadStringAt(index, kCityPropName);
}

CString CCitiesDb::GetCountry(DWORD index) {
    return AfterColon(m_db.ReadStringAt(index, kCityPropName));
}

CString CCitiesDb::GetLongitude(DWORD index) {
    return BeforeColon(m_db.ReadStringAt(index, kCityPropPosition));
}

CString CCitiesDb::GetLatitude(DWORD index) {
    return AfterColon(m_db.ReadStringAt(index, kCityPropPosition));
}

CString CCitiesDb::GetUtcOffset(DWORD index) {
    return m_db.ReadStringAt(index, kCityPropOffset);
}

CString CCitiesDb::GetDstRule(DWORD index) {
    return m_db.ReadStringAt(index, kCityPropDstRule);
}

BOOL CCitiesDb::AddCity(LPCWSTR nameCountry, LPCWSTR position, LPCWSTR dstRule, LPCWSTR utcOffset) {
    const CString texts[CRecordDatabase::kMaxProps] = {nameCountry, position, utcOffset, dstRule};
    return m_db.AddRecord(kCityIdents, texts, 0);
}

BOOL CCitiesDb::FindCity(LPCWSTR nameCountry) {
    return m_db.FindByKey(kCityIdents, nameCountry, 0);
}

BOOL CCitiesDb::DeleteAt(DWORD index) {
    return m_db.DeleteAt(index);
}
