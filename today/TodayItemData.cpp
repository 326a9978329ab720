// What the Today item reads before it draws: the program's registry values, the city, weather
// and currency stores (by record position, as the program writes them), each clock line's time
// with its daylight saving, the weather columns, the icon mapping and the rates with their date.
#include "today/TodayItem.h"
#include "today/TodayText.h"

#include "core/DstMath.h"
#include "core/ShippedDefaults.h"

#include "platform/system/DeviceFiles.h"
#include "platform/system/Registry.h"

#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>

using todaytext::Append;
using todaytext::Copy;
using todaytext::Print;

namespace {

const WCHAR kJorvanaKey[] = L"Jorvana";
const WCHAR kClocksKey[] = L"Jorvana\\wrldclk";
const WCHAR kWeatherKey[] = L"Jorvana\\weather";
const WCHAR kCurrenciesKey[] = L"Jorvana\\currencies";
const WCHAR kAppKey[] = L"SOFTWARE\\Apps\\Quillmoor Jorvana";

const CEPROPID kWeatherNameProp = MAKELONG(CEVT_LPWSTR, 201);
const CEPROPID kCityNameProp = MAKELONG(CEVT_LPWSTR, 101);

// Opens the key and tells whether the value is among its values (names compared exactly).
HKEY OpenWithValue(LPCWSTR path, LPCWSTR name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return nullptr;
    for (DWORD i = 0;; ++i) {
        WCHAR found[64];
        DWORD length = 64;
        LONG rc = RegEnumValueW(key, i, found, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_SUCCESS && std::wcscmp(found, name) == 0) return key;
    }
    RegCloseKey(key);
    return nullptr;
}

// A number the program wrote, or fallback when it is missing. One that is not a four-byte number
// is damaged: it reads as missing too (damaged set), as the program reads it; the item writes
// nothing, the program tells the user and mends it.
DWORD ReadDword(LPCWSTR path, LPCWSTR name, DWORD fallback, bool* damaged = nullptr) {
    HKEY key = OpenWithValue(path, name);
    if (!key) return fallback;
    DWORD value = 0, size = 0, type = 0;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof(value))) {
        if (damaged) *damaged = true;
        rc = ERROR_INVALID_DATA;
    }
    if (rc == ERROR_SUCCESS) rc = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? value : fallback;
}

} // namespace

void ReadRegistryText(LPCWSTR path, LPCWSTR name, LPWSTR out, DWORD count) {
    out[0] = L'\0';
    HKEY key = OpenWithValue(path, name);
    if (!key) return;
    DWORD size = count * sizeof(WCHAR), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        out[0] = L'\0';
    else if (size / sizeof(WCHAR) < count)
        out[size / sizeof(WCHAR)] = L'\0'; // stored text need not end in a terminator
    out[count - 1] = L'\0';
    RegCloseKey(key);
}

namespace {

// The record under a handle's cursor, read whole; the properties are taken by position.
class CRecord {
public:
    explicit CRecord(HANDLE db) {
        DWORD size = 0;
        if (!CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &m_count, nullptr, &m_buffer, &size, nullptr)) m_count = 0;
    }
    ~CRecord() {
        if (m_buffer) LocalFree(m_buffer);
    }
    CRecord(const CRecord&) = delete;
    CRecord& operator=(const CRecord&) = delete;
    bool Ok() const { return m_count > 0; }
    LPCWSTR Text(int position) const {
        if (position >= m_count) return L"";
        const CEPROPVAL& p = reinterpret_cast<const CEPROPVAL*>(m_buffer)[position];
        if (TypeFromPropID(p.propid) != CEVT_LPWSTR || (p.wFlags & CEDB_PROPNOTFOUND) || !p.val.lpwstr) return L"";
        return p.val.lpwstr;
    }

private:
    WORD m_count = 0;
    BYTE* m_buffer = nullptr;
};

bool SeekIndex(HANDLE db, DWORD index) {
    DWORD found = 0;
    return db != INVALID_HANDLE_VALUE && CeSeekDatabase(db, CEDB_SEEK_BEGINNING, index, &found) != 0;
}

int ToInt(LPCWSTR text) { return static_cast<int>(std::wcstol(text, nullptr, 10)); }

SYSTEMTIME Today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

SYSTEMTIME DateOf(int year, int month, int day) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    return t;
}

// Days since 1970-01-01 of a calendar date (the proleptic Gregorian calendar).
long DayNumber(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

long DayNumber(const SYSTEMTIME& t) { return DayNumber(t.wYear, t.wMonth, t.wDay); }

// A file name joined to a folder prefix without doubling the backslash between them.
void JoinPath(LPWSTR out, size_t count, LPCWSTR prefix, LPCWSTR name) {
    Copy(out, count, prefix);
    size_t n = std::wcslen(out);
    if (n > 0 && out[n - 1] == L'\\' && name[0] == L'\\') ++name;
    Append(out, count, name);
}

bool IsNoValue(LPCWSTR text) { return !*text || std::wcscmp(text, L"-") == 0 || std::wcscmp(text, L"N/A") == 0; }

// A measured value the server left out (nothing, or "-" outside the temperatures) of a day the
// forecast holds, and a wind direction left empty, read "N/A", as the program's pages show them,
// never a lone "°", a 0 or a blank wind line.
void MarkMissingValues(WCHAR (&day)[kForecastFields][kForecastFieldLength]) {
    if (!day[2][0]) return; // a day a short forecast does not reach
    for (int field : {4, 5, 6, 7, 9, 10, 11}) {
        LPWSTR text = day[field];
        if (!*text || (field >= 9 && std::wcscmp(text, L"-") == 0)) Copy(text, kForecastFieldLength, L"N/A");
    }
}

// True for a whole number text (blanks around it aside) or a no-value mark other than nothing.
bool IsFeelsLikeHalf(LPCWSTR text) {
    if (*text && IsNoValue(text)) return true;
    WCHAR* end = nullptr;
    std::wcstod(text, &end);
    if (end == text) return false;
    while (*end == L' ')
        ++end;
    return !*end;
}

// The "/" joining the two halves of a feels-like pair ("20/25", "65/-", "N/A/12"), or null.
LPWSTR FeelsLikeSlash(LPWSTR text) {
    for (LPWSTR slash = std::wcschr(text, L'/'); slash; slash = std::wcschr(slash + 1, L'/')) {
        *slash = L'\0';
        const bool pair = IsFeelsLikeHalf(text) && IsFeelsLikeHalf(slash + 1);
        *slash = L'/';
        if (pair) return slash;
    }
    return nullptr;
}

} // namespace

SYSTEMTIME AddDaysToSystemTime(const SYSTEMTIME& date, int days) {
    SYSTEMTIME in = date;
    in.wDayOfWeek = 0;
    FILETIME ft;
    if (!SystemTimeToFileTime(&in, &ft)) return date;
    ULONGLONG v = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    v += static_cast<LONGLONG>(days) * 864000000000LL;
    ft.dwLowDateTime = static_cast<DWORD>(v);
    ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
    SYSTEMTIME out;
    if (!FileTimeToSystemTime(&ft, &out)) return date;
    return out;
}

void FindMappedImage(LPCWSTR condition, LPWSTR out, int outLength) {
    Copy(out, outLength, L"na");
    const WCHAR* entry = g_mapping;
    while (*entry) {
        const WCHAR* end = std::wcschr(entry, L';');
        size_t length = end ? static_cast<size_t>(end - entry) : std::wcslen(entry);
        std::wstring text(entry, length);
        if (text.find(condition) != std::wstring::npos) {
            size_t at = text.find(L'@');
            Copy(out, outLength, text.substr(0, at).c_str());
            return;
        }
        if (!end) break;
        entry = end + 1;
    }
}

// [SECTION] Creation and settings

LRESULT CTodayItem::OnCreate(LPARAM) {
    m_viewIndex = -1;
    m_detailsAvailable = 0;
    m_citiesDb = CeOpenDatabase(&m_citiesId, L"jrvCities", 0, 0, nullptr);
    g_citiesOpen = m_citiesDb != INVALID_HANDLE_VALUE;
    m_weatherDb = CeOpenDatabase(&m_weatherId, L"jrvWeather", kWeatherNameProp, 0, nullptr);
    g_weatherOpen = m_weatherDb != INVALID_HANDLE_VALUE;
    m_currenciesDb = CeOpenDatabase(&m_currenciesId, L"jrvCurrencies", 0, 0, nullptr);
    g_currenciesOpen = m_currenciesDb != INVALID_HANDLE_VALUE;
    LoadMapping();
    LoadDstSchedules();

    DWORD lines = ReadDword(kJorvanaKey, L"todaynbcs", 3);
    // The program writes 1 to 5; anything above shows the five lines there are.
    m_lineCount = lines == 0 ? 1 : (lines > kTodayLineCount ? kTodayLineCount : static_cast<int>(lines));
    m_showCurrencies = ReadDword(kJorvanaKey, L"todayscur", 1) != 0;
    m_previousLineCount = m_paintedLineCount = m_lineCount;
    m_previousShowCurrencies = m_paintedShowCurrencies = m_showCurrencies;
    if (m_lineCount != 3) {
        SetHeightByFormula();
        m_heightChanged = TRUE;
    }
    return 0;
}

void CTodayItem::SetHeightByFormula() {
    m_height = m_lineCount * 22 + (m_showCurrencies ? g_stripHeight : 0);
}

void CTodayItem::LoadSettings() {
    m_previousLineCount = m_lineCount;
    m_previousShowCurrencies = m_showCurrencies;
    DWORD lines = ReadDword(kJorvanaKey, L"todaynbcs", 3);
    m_lineCount = lines == 0 ? 1 : (lines > kTodayLineCount ? kTodayLineCount : static_cast<int>(lines));
    m_showCurrencies = ReadDword(kJorvanaKey, L"todayscur", 1) != 0;
    m_twelveHour = ReadDword(kJorvanaKey, L"twelvehour", 0) != 0;
    m_syncLocalZone = ReadDword(kClocksKey, L"syncltz", 0) != 0;
    const DWORD rulesYear = ReadDword(kJorvanaKey, L"dstyear", 0);
    m_rulesYear = rulesYear <= 9999 ? static_cast<int>(rulesYear) : 0;
    bool homeDamaged = false;
    DWORD index[kTodayLineCount] = {
        ReadDword(kClocksKey, L"clock", 0, &homeDamaged), ReadDword(kClocksKey, L"clock1", 684),
        ReadDword(kClocksKey, L"clock2", 756), ReadDword(kClocksKey, L"clock3", 565),
        ReadDword(kClocksKey, L"clock4", 988)};
    // A damaged home city is the one the home location names, as the program takes it back.
    if (homeDamaged) index[0] = HomeOfLocation(0);
    m_homeIndex = m_storedHomeIndex = index[0];
    DWORD fahrenheit = ReadDword(kJorvanaKey, L"fara", 0);

    RotateClocks(m_viewIndex, index[0], index[1], index[2], index[3], index[4]);
    m_homeIndex = index[0];

    // The zone the device's clock stands for, read once for every line's daylight saving.
    int devHours = 0, devMinutes = 0;
    GetLocalUtcOffset(devHours, devMinutes);
    for (int i = 0; i < m_lineCount; ++i) {
        TodayClockLine& line = m_lines[i];
        line = TodayClockLine{};
        WCHAR nameCountry[160], offset[20], rule[80];
        if (!ReadCity(index[i], nameCountry, offset, rule)) continue; // nothing at that place
        const WCHAR* colon = std::wcsrchr(nameCountry, L':');
        std::wstring name = colon ? std::wstring(nameCountry, static_cast<size_t>(colon - nameCountry)) : std::wstring(nameCountry);
        Copy(line.name, name.c_str());
        Copy(line.title, name.c_str());
        Append(line.title, L", ");
        Append(line.title, colon ? colon + 1 : L"");
        Copy(line.offset, offset);
        int value = ToInt(offset);
        FormatTime(value, line.time);
        int shifted = ApplyDaylightSaving(nameCountry, offset, rule, &line, devHours, devMinutes);
        if (shifted != value) FormatTime(shifted, line.time);
    }

    LPCWSTR names[kTodayLineCount];
    for (int i = 0; i < kTodayLineCount; ++i) names[i] = m_lines[i].name;
    LoadWeather(names);

    g_fahrenheit = fahrenheit == 1;
    if (g_fahrenheit) ConvertTemperatures();
    ReadCurrencies();
}

void CTodayItem::RotateClocks(int viewIndex, DWORD& home, DWORD& clock1, DWORD& clock2, DWORD& clock3,
                              DWORD& clock4) {
    m_storedHomeIndex = home;
    if (viewIndex < 0) return;
    for (int turn = 0; turn <= viewIndex; ++turn) {
        DWORD last = clock4;
        clock4 = clock3;
        clock3 = clock2;
        clock2 = clock1;
        clock1 = home;
        home = last;
    }
}

DWORD CTodayItem::HomeOfLocation(DWORD fallback) {
    WCHAR location[160];
    ReadRegistryText(kJorvanaKey, L"hlname", location, 160);
    if (!g_citiesOpen || !location[0]) return fallback;
    CEPROPVAL key{};
    key.propid = kCityNameProp;
    key.val.lpwstr = location;
    DWORD index = 0;
    if (CeSeekDatabase(m_citiesDb, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&key), &index) == 0)
        return fallback;
    return index;
}

BOOL CTodayItem::ReadCity(DWORD index, WCHAR nameCountry[160], WCHAR offset[20], WCHAR rule[80]) {
    nameCountry[0] = offset[0] = rule[0] = L'\0';
    if (!g_citiesOpen || !SeekIndex(m_citiesDb, index)) return FALSE;
    CRecord record(m_citiesDb);
    if (!record.Ok()) return FALSE;
    Copy(nameCountry, 160, record.Text(0));
    Copy(offset, 20, record.Text(2));
    Copy(rule, 80, record.Text(3));
    return TRUE;
}

// [SECTION] Times and dates

dstmath::Rule CTodayItem::ReadRule(LPCWSTR nameCountry, LPCWSTR offsetText, LPCWSTR rawRule,
                                   TodayClockLine* line) const {
    dstmath::Rule result;
    result.year = m_rulesYear;
    // A city still as the list gives it follows the machine's tzdata, whatever its rule reads.
    auto followed = [&](dstmath::Rule rule) {
        dstmath::AttachFollowed(rule, m_followList.get(), nameCountry, offsetText, rawRule);
        return rule;
    };
    // A rule stored with the end of its line keeps it as its last character: it is left out.
    // The shipped list ends its lines in LF alone, so a rule ending in a digit is whole.
    std::wstring rule = rawRule;
    while (!rule.empty() && std::iswspace(static_cast<wint_t>(rule.back()))) rule.pop_back();
    size_t cut[4];
    size_t from = 0;
    for (int k = 0; k < 4; ++k) {
        cut[k] = rule.find(L':', from);
        if (cut[k] == std::wstring::npos) return followed(result); // "0": no daylight saving
        from = cut[k] + 1;
    }
    std::wstring shift = rule.substr(0, cut[0]);
    std::wstring startDay = rule.substr(cut[0] + 1, cut[1] - cut[0] - 1);
    std::wstring startHour = rule.substr(cut[1] + 1, cut[2] - cut[1] - 1);
    std::wstring endDay = rule.substr(cut[2] + 1, cut[3] - cut[2] - 1);
    std::wstring endHour = rule.substr(cut[3] + 1);
    if (line) {
        Copy(line->shift, shift.c_str());
        Copy(line->startDay, startDay.c_str());
        Copy(line->startHour, startHour.c_str());
        Copy(line->endDay, endDay.c_str());
        Copy(line->endHour, endHour.c_str());
    }
    result.hasDst = true;
    result.shift = ToInt(shift.c_str());
    result.startDay = ToInt(startDay.c_str());
    result.startHour = ToInt(startHour.c_str());
    result.endDay = ToInt(endDay.c_str());
    result.endHour = ToInt(endHour.c_str());
    dstmath::AttachSchedule(result, m_dstSchedules);
    return followed(result);
}

namespace {

// The device's local wall time now as a civil time.
long long WallNow() {
    const SYSTEMTIME now = Today();
    return dstmath::Civil(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

} // namespace

int CTodayItem::ApplyDaylightSaving(LPCWSTR nameCountry, LPCWSTR offsetText, LPCWSTR rawRule, TodayClockLine* line,
                                    int devHours, int devMinutes) {
    const int offset = ToInt(offsetText);
    const dstmath::Rule rule = ReadRule(nameCountry, offsetText, rawRule, line);
    if (!dstmath::Observes(rule)) return offset;
    // The city's standard time now, from the device's clock and the zone it stands for, is
    // tested against the window, whose bounds are in the city's standard time, to the minute.
    const long long standard =
        WallNow() + (dstmath::OffsetMinutes(offset) - (60LL * devHours + devMinutes)) * 60;
    return dstmath::AddShift(offset, dstmath::ShiftAt(rule, standard));
}

void CTodayItem::GetLocalUtcOffset(int& hours, int& minutes) {
    if (!m_syncLocalZone) {
        WCHAR nameCountry[160], offsetText[20], rule[80];
        if (ReadCity(m_storedHomeIndex, nameCountry, offsetText, rule)) {
            // The device's clock shows the home city's wall time: its summer time while the
            // window is open.
            int offset = ToInt(offsetText);
            const dstmath::Rule homeRule = ReadRule(nameCountry, offsetText, rule, nullptr);
            const dstmath::ClockState state = dstmath::WallState(homeRule, dstmath::OffsetMinutes(offset), WallNow(),
                                                                 static_cast<long long>(device::DeviceTimeNow()));
            if (state.inside) offset = dstmath::AddShift(offset, state.shift);
            if (offset >= -100 && offset <= 100) {
                hours = offset;
                minutes = 0;
            } else {
                hours = offset / 100;
                minutes = offset % 100;
            }
            return;
        }
        // Without the home city record the device's own zone stands in.
    }
    // The zone the device's clock shows: its daylight bias counts while it observes summer time.
    TIME_ZONE_INFORMATION tz{};
    const DWORD period = GetTimeZoneInformation(&tz);
    const int east =
        -static_cast<int>(tz.Bias + (period == TIME_ZONE_ID_DAYLIGHT ? tz.DaylightBias : tz.StandardBias));
    hours = east / 60;
    minutes = east % 60;
}

namespace {

// The shift of a city against the device's local time, as hours and minutes.
struct CityShift {
    int dh, dm;
};

CityShift ShiftOf(int offset, int devH, int devM) {
    CityShift s{};
    if (offset >= -100 && offset <= 100) {
        s.dm = (-devM) % 60;
        s.dh = (-devM) / 60 - devH + offset;
    } else {
        int h = offset / 100;
        int m = (offset < 0 ? -offset : offset) % 100;
        if (offset < -100) m = -m;
        int x = m - devM;
        s.dm = x % 60;
        s.dh = x / 60 - devH + h;
    }
    return s;
}

// The city's clock now from the device clock, the device's UTC offset and the city's offset: the
// minute (0..59, its carry taken into the hour) and the hour, still to be brought into 0..23
// (below 0 the city is a day behind, from 24 a day ahead).
struct CityClock {
    SYSTEMTIME now; // the device's local time it was taken from
    int hour;
    int minute;
};

CityClock CityClockNow(int offset, int devH, int devM) {
    CityClock clock{};
    GetLocalTime(&clock.now);
    CityShift s = ShiftOf(offset, devH, devM);
    clock.minute = clock.now.wMinute + s.dm;
    int carry = 0;
    if (clock.minute > 59) {
        clock.minute -= 60;
        carry = 1;
    } else if (clock.minute < 0) {
        clock.minute += 60;
        carry = -1;
    }
    clock.hour = clock.now.wHour + carry + s.dh;
    return clock;
}

} // namespace

void CTodayItem::FormatTime(int offset, LPWSTR text) {
    int devH = 0, devM = 0;
    GetLocalUtcOffset(devH, devM);
    const CityClock clock = CityClockNow(offset, devH, devM);
    const int minute = clock.minute;
    // Far apart zones can put the city more than a day away: whole days are taken off.
    const int hour = ((clock.hour % 24) + 24) % 24;
    if (hour < 10 && minute < 10) Print(text, 10, L"0%d:0%d", hour, minute);
    else if (hour < 10) Print(text, 10, L"0%d:%d", hour, minute);
    else if (minute < 10) Print(text, 10, L"%d:0%d", hour, minute);
    else Print(text, 10, L"%d:%d", hour, minute);
}

void CTodayItem::ComputeCityDate(int offset, int& day, int& month, int& year) {
    int devH = 0, devM = 0;
    GetLocalUtcOffset(devH, devM);
    const CityClock clock = CityClockNow(offset, devH, devM);
    const SYSTEMTIME& now = clock.now;
    // Whole days ahead or behind the device's date (rounded down: hour -1 is a day behind).
    const int shift = clock.hour >= 0 ? clock.hour / 24 : -((23 - clock.hour) / 24);
    SYSTEMTIME date = AddDays(DateOf(now.wYear, now.wMonth, now.wDay), shift);
    day = date.wDay;
    month = date.wMonth;
    year = date.wYear;
}

SYSTEMTIME CTodayItem::AddDays(const SYSTEMTIME& date, int days) { return AddDaysToSystemTime(date, days); }

int CTodayItem::DaysBetween(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return static_cast<int>(DayNumber(a) - DayNumber(b));
}

BOOL CTodayItem::IsLaterDate(const SYSTEMTIME& a, const SYSTEMTIME& b) { return DayNumber(a) > DayNumber(b); }

// [SECTION] Weather

void CTodayItem::SplitForecastText(LPCWSTR text,
                                   WCHAR table[kForecastDays][kForecastFields][kForecastFieldLength]) {
    const WCHAR* p = text;
    for (int day = 0; day < kForecastDays; ++day) {
        for (int field = 0; field < kForecastFields; ++field) {
            const WCHAR* end = std::wcschr(p, L'^');
            if (!end) return;
            std::wstring value(p, end);
            Copy(table[day][field], kForecastFieldLength, value.c_str());
            p = end + 1;
        }
    }
}

void CTodayItem::LoadWeather(const LPCWSTR names[kTodayLineCount]) {
    WCHAR prefix[256];
    ReadRegistryText(kWeatherKey, L"icondir", prefix, 256);
    SYSTEMTIME today = Today();
    today = DateOf(today.wYear, today.wMonth, today.wDay);
    for (int i = 0; i < kTodayLineCount; ++i) {
        TodayWeatherView& w = m_weather[i];
        w.found = 0;
        if (!g_weatherOpen || !names[i] || !names[i][0]) continue;
        CEPROPVAL key{};
        key.propid = kWeatherNameProp;
        key.val.lpwstr = const_cast<LPWSTR>(names[i]);
        DWORD index = 0;
        if (CeSeekDatabase(m_weatherDb, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&key), &index) == 0)
            continue;
        CRecord record(m_weatherDb);
        if (!record.Ok()) continue;
        int day = 0, month = 0, year = 0;
        // A record whose date cannot be read has no usable forecast.
        if (std::swscanf(record.Text(3), L"%d/%d/%d", &day, &month, &year) != 3 || month < 1 || month > 12 ||
            day < 1 || day > 31 || year < 1601)
            continue;
        Print(w.dateText, 32, L"%d/%d/%d", day, month, year);
        SYSTEMTIME date = DateOf(year, month, day);
        w.notYetValid = IsLaterDate(date, today) ? 1 : 0;
        SYSTEMTIME last = AddDays(date, 4);
        w.daysLeft = DaysBetween(last, today);
        w.dayIndex = 4 - w.daysLeft;
        m_lines[i].daysLeft = w.daysLeft;
        if (IsLaterDate(today, last)) continue; // outdated
        // Fields the text leaves out are empty rather than another city's.
        std::wmemset(&w.forecast[0][0][0], 0, sizeof(w.forecast) / sizeof(WCHAR));
        SplitForecastText(record.Text(2), w.forecast);
        for (auto& day : w.forecast) MarkMissingValues(day);
        Append(w.dateText, L", ");
        if (w.dayIndex >= 0 && w.dayIndex < kForecastDays) Append(w.dateText, w.forecast[w.dayIndex][3]);
        Append(w.dateText, L" GMT");
        for (int c = 0; c < kWeatherColumns; ++c) {
            w.image[c][0] = w.high[c][0] = w.low[c][0] = L'\0';
            if (w.dayIndex >= kForecastDays || w.daysLeft - c < 0 || w.dayIndex < 0) continue;
            const int d = w.dayIndex + c;
            if (!w.forecast[d][2][0]) continue; // the forecast ends before this day
            Copy(w.high[c], w.forecast[d][5]);
            Copy(w.low[c], w.forecast[d][4]);
            LPCWSTR condition = w.forecast[d][0];
            if (std::wcscmp(condition, L"N/A") == 0 || std::wcscmp(condition, L"-") == 0) {
                JoinPath(w.image[c], 256, prefix, L"\\na.bmp");
            } else {
                WCHAR name[64];
                FindMappedImage(condition, name, 64);
                JoinPath(w.image[c], 256, prefix, name);
                Append(w.image[c], L".bmp");
            }
        }
        w.found = 1;
    }
}

void CTodayItem::LoadDstSchedules() {
    WCHAR folder[MAX_PATH], path[MAX_PATH];
    ReadRegistryText(kAppKey, L"InstallDir", folder, MAX_PATH);
    JoinPath(path, MAX_PATH, folder, (std::wstring(L"\\") + dstmath::kScheduleFileName).c_str());
    m_dstSchedules = dstmath::LoadSchedules(path);
    JoinPath(path, MAX_PATH, folder, (std::wstring(L"\\") + dstmath::kFollowListName).c_str());
    m_followList = dstmath::LoadFollowList(path);
}

void CTodayItem::LoadMapping() {
    g_mapping[0] = L'\0';
    WCHAR folder[MAX_PATH], path[MAX_PATH];
    ReadRegistryText(kAppKey, L"InstallDir", folder, MAX_PATH);
    JoinPath(path, MAX_PATH, folder, L"\\mapping.cfg");
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string bytes;
    char chunk[1024];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    size_t at = 0;
    while (at < bytes.size()) {
        while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        size_t end = at;
        while (end < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[end]))) ++end;
        if (end == at) break;
        std::string token = bytes.substr(at, end - at);
        if (token.find('>') != std::string::npos) break;
        std::wstring wide;
        for (unsigned char ch : token) wide += static_cast<WCHAR>(ch); // single-byte text, widened
        wide += L';';
        if (std::wcslen(g_mapping) + wide.size() >= sizeof(g_mapping) / sizeof(WCHAR)) break;
        Append(g_mapping, wide.c_str());
        at = end;
    }
}

// [SECTION] Fahrenheit

double CTodayItem::CelsiusToFahrenheit(double t) { return (t + 273.15 - 273.15) * 1.8 + 32; }

double CTodayItem::FahrenheitToCelsius(double t) { return (t - 32) * 5 / 9 + 273.15 - 273.15; }

void CTodayItem::ConvertTemperatures() {
    auto convert = [this](LPWSTR text) {
        if (IsNoValue(text)) return;
        Print(text, kForecastFieldLength, L"%.0f", CelsiusToFahrenheit(std::wcstod(text, nullptr)));
    };
    for (int i = 0; i < kTodayLineCount; ++i) {
        TodayWeatherView& w = m_weather[i];
        if (!w.found) continue;
        for (int c = 0; c < kWeatherColumns; ++c) {
            convert(w.high[c]);
            convert(w.low[c]);
        }
        for (int d = w.dayIndex + 3; d <= w.dayIndex + 4; ++d) {
            if (d < 0 || d >= kForecastDays) continue;
            convert(w.forecast[d][4]);
            convert(w.forecast[d][5]);
        }
        for (int d = w.dayIndex; d <= w.dayIndex + 4; ++d) {
            if (d < 0 || d >= kForecastDays) continue;
            LPWSTR felt = w.forecast[d][6];
            LPWSTR slash = IsNoValue(felt) ? nullptr : FeelsLikeSlash(felt);
            if (!slash) {
                convert(felt);
            } else {
                // Each half converted on its own: a missing one ("65/-") stays, never 32.
                WCHAR left[kForecastFieldLength], right[kForecastFieldLength];
                *slash = L'\0';
                Copy(left, kForecastFieldLength, felt);
                Copy(right, kForecastFieldLength, slash + 1);
                convert(left);
                convert(right);
                Print(felt, kForecastFieldLength, L"%ls/%ls", left, right);
            }
        }
    }
}

// [SECTION] Currencies

void CTodayItem::ReadCurrencies() {
    DWORD positions[3] = {ReadDword(kCurrenciesKey, L"curp", shipped::kCurrency[0]),
                          ReadDword(kCurrenciesKey, L"curp2", shipped::kCurrency[1]),
                          ReadDword(kCurrenciesKey, L"curp3", shipped::kCurrency[2])};
    for (int k = 0; k < 3; ++k) {
        m_currencies.code[k][0] = L'\0';
        m_currencies.rate[k] = 0;
        if (!g_currenciesOpen || !SeekIndex(m_currenciesDb, positions[k])) continue;
        CRecord record(m_currenciesDb);
        if (!record.Ok()) continue;
        Copy(m_currencies.code[k], record.Text(1));
        m_currencies.rate[k] = std::wcstod(record.Text(2), nullptr);
    }
    Copy(m_currencies.dateText, L"[../../....]");
    CEOIDINFO info{};
    if (!g_currenciesOpen || !CeOidGetInfo(m_currenciesId, &info) || info.wObjType != OBJTYPE_DATABASE) return;
    const FILETIME& modified = info.infDatabase.ftLastModified;
    if (modified.dwLowDateTime == 0 && modified.dwHighDateTime == 0) return;
    SYSTEMTIME date;
    if (!FileTimeToSystemTime(&modified, &date)) return;
    if (date.wYear < 1900 || date.wYear > Today().wYear) return;
    Print(m_currencies.dateText, 16, L"[%d/%d/%d]", date.wDay, date.wMonth, date.wYear);
}
