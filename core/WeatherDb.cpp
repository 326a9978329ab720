#include "core/WeatherDb.h"

#include "core/ListFileReader.h"
#include "platform/ui/DeviceProgram.h"
#include "resources/resource.h"

namespace {

const WORD kWeatherIdents[CRecordDatabase::kMaxProps] = {kWeatherPropName, kWeatherPropCode,
                                                         kWeatherPropForecast, kWeatherPropDateCountry};

} // namespace

void CWeatherDb::Open() {
    BuildFromShippedList(m_db, kWeatherDbName, kWeatherDbType, kWeatherIdents,
                         {L"cities.wet", TextFileKind::WeatherList, IDS_WEATHER_CITIES_FILE_NOT_FOUND,
                          IDS_WEATHER_CITIES_FILE_NO_CITY, IDS_WEATHER_CITIES_FILE_DAMAGED},
                         [this](HANDLE file, bool* damaged) { return ImportWeatherList(file, damaged); });
}

int CWeatherDb::ImportWeatherList(HANDLE file, bool* damaged) {
    if (damaged) *damaged = false;
    CListFileReader in(file);
    const int count = ParseListCount(in.Next(L"\n"));
    int added = 0;
    for (int i = 0; i < count; ++i) {
        // The program asked to end (SIGTERM, its window closed): stop here.
        if (device::ui::IsProgramEnding()) break;
        // The count may promise more lines than the file holds: stop at its end, which comes
        // too early.
        if (in.AtEnd()) {
            if (damaged) *damaged = true;
            break;
        }
        CString country = in.Next(L";");
        bool whole = in.LastComplete();
        CString name = in.Next(L";");
        whole = whole && in.LastComplete();
        // A line cut short by the end of the file is no place.
        if (!whole) {
            if (damaged) *damaged = true;
            break;
        }
        CString code = in.Next(L"\n");
        if (code.Find(L'\r') >= 0) code = code.Left(code.GetLength() - 1);
        // Names of control characters or symbols (binary bytes) are no place to show.
        if (!IsTextName(name) || !IsTextName(country)) {
            if (damaged) *damaged = true;
            continue;
        }
        if (AddCity(name, code, L"", CString(kNeverUpdatedDate) + L":" + country)) ++added;
    }
    return added;
}

void CWeatherDb::ReopenSorted(int sortPosition) {
    m_db.Close();
    if (sortPosition >= 0 && sortPosition < CRecordDatabase::kMaxProps)
        m_db.OpenSorted(kWeatherDbName, kWeatherIdents[sortPosition]);
    else
        m_db.Open(kWeatherDbName);
}

CString CWeatherDb::GetName(DWORD index) {
    return m_db.ReadStringAt(index, kWeatherPropName);
}

CString CWeatherDb::GetCode(DWORD index) {
    return m_db.ReadStringAt(index, kWeatherPropCode);
}

CString CWeatherDb::GetForecast(DWORD index) {
    return m_db.ReadStringAt(index, kWeatherPropForecast);
}

CString CWeatherDb::GetUpdateDate(DWORD index) {
    CString text = m_db.ReadStringAt(index, kWeatherPropDateCountry);
    int at = text.Find(L':');
    return at < 0 ? CString() : text.Left(at);
}

CString CWeatherDb::GetCountry(DWORD index) {
    CString text = m_db.ReadStringAt(index, kWeatherPropDateCountry);
    int at = text.Find(L':');
    return at < 0 ? text : text.Mid(at + 1);
}

BOOL CWeatherDb::FindByName(LPCWSTR name) {
    return m_db.FindByKey(kWeatherIdents, name, 0);
}

BOOL CWeatherDb::FindByCode(LPCWSTR code) {
    return m_db.FindByKey(kWeatherIdents, code, 1);
}

BOOL CWeatherDb::AddCity(LPCWSTR name, LPCWSTR code, LPCWSTR /*forecast*/, LPCWSTR dateCountry) {
    const CString texts[CRecordDatabase::kMaxProps] = {name, code, CString(), dateCountry};
    return m_db.AddRecord(kWeatherIdents, texts, 0);
}

BOOL CWeatherDb::UpdateCity(LPCWSTR name, LPCWSTR code, LPCWSTR forecast, LPCWSTR dateCountry, int findFlag) {
    BOOL found = findFlag == 1 ? FindByName(name) : FindByCode(code);
    if (!found) return FALSE;
    const CString texts[CRecordDatabase::kMaxProps] = {name, code, forecast, dateCountry};
    return m_db.UpdateAt(m_db.GetCurrentIndex(), kWeatherIdents, texts, TRUE);
}

BOOL CWeatherDb::DeleteCity(LPCWSTR name) {
    return m_db.DeleteByValue(kWeatherPropName, name);
}
