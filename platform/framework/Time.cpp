#include "platform/framework/Time.h"

#include "platform/system/DeviceTime.h"
#include "platform/system/TzFile.h"

#include <cstdio>
#include <cwchar>

namespace {

const wchar_t* const kDayNames[] = {L"Sunday", L"Monday", L"Tuesday", L"Wednesday",
                                    L"Thursday", L"Friday", L"Saturday"};
const wchar_t* const kMonthNames[] = {L"January", L"February", L"March",     L"April",   L"May",      L"June",
                                      L"July",    L"August",   L"September", L"October", L"November", L"December"};

// Instants the class accepts from fields: 1970 to the end of 3000.
constexpr time_t kLastTime = 32535215999; // 3000-12-31 23:59:59 UTC

void AppendNumber(std::wstring& out, long value, int width, bool dropZeros) {
    wchar_t buf[32];
    std::swprintf(buf, 32, L"%0*ld", dropZeros ? 1 : width, value);
    out += buf;
}

int WeekOfYear(const struct tm& t, int firstWeekday) {
    // Weeks start on firstWeekday (0 Sunday, 1 Monday); days before the first such day are week 0.
    int wday = (t.tm_wday - firstWeekday + 7) % 7;
    return (t.tm_yday + 7 - wday) / 7;
}

std::wstring FormatTm(const wchar_t* format, const struct tm& t) {
    std::wstring out;
    if (!format) return out;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') {
            out += *p;
            continue;
        }
        const wchar_t* start = p;
        bool dropZeros = false;
        if (p[1] == L'#') {
            dropZeros = true;
            ++p;
        }
        wchar_t code = *++p;
        int hour12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
        switch (code) {
        case L'a': out.append(kDayNames[t.tm_wday], 3); break;
        case L'A': out += kDayNames[t.tm_wday]; break;
        case L'b': out.append(kMonthNames[t.tm_mon], 3); break;
        case L'B': out += kMonthNames[t.tm_mon]; break;
        case L'c':
            out += FormatTm(dropZeros ? L"%#m/%#d/%Y %#H:%M:%S" : L"%m/%d/%y %H:%M:%S", t);
            break;
        case L'd': AppendNumber(out, t.tm_mday, 2, dropZeros); break;
        case L'H': AppendNumber(out, t.tm_hour, 2, dropZeros); break;
        case L'I': AppendNumber(out, hour12, 2, dropZeros); break;
        case L'j': AppendNumber(out, t.tm_yday + 1, 3, dropZeros); break;
        case L'm': AppendNumber(out, t.tm_mon + 1, 2, dropZeros); break;
        case L'M': AppendNumber(out, t.tm_min, 2, dropZeros); break;
        case L'p': out += t.tm_hour < 12 ? L"AM" : L"PM"; break;
        case L'S': AppendNumber(out, t.tm_sec, 2, dropZeros); break;
        case L'U': AppendNumber(out, WeekOfYear(t, 0), 2, dropZeros); break;
        case L'w': AppendNumber(out, t.tm_wday, 1, false); break;
        case L'W': AppendNumber(out, WeekOfYear(t, 1), 2, dropZeros); break;
        case L'x':
            out += FormatTm(dropZeros ? L"%A, %B %#d, %Y" : L"%m/%d/%y", t);
            break;
        case L'X': out += FormatTm(L"%H:%M:%S", t); break;
        case L'y': AppendNumber(out, (t.tm_year + 1900) % 100, 2, dropZeros); break;
        case L'Y': AppendNumber(out, t.tm_year + 1900, 4, dropZeros); break;
        case L'z':
        case L'Z':
            if (t.tm_zone)
                for (const char* z = t.tm_zone; *z; ++z) out += static_cast<wchar_t>(static_cast<unsigned char>(*z));
            break;
        case L'%': out += L'%'; break;
        case L'\0':
            // A lone "%" at the end is kept as written.
            out.append(start);
            return out;
        default:
            // Unknown codes are copied as written.
            out.append(start, p + 1);
            break;
        }
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CTimeSpan

CString CTimeSpan::Format(LPCWSTR pFormat) const {
    std::wstring out;
    if (!pFormat) return CString();
    for (const wchar_t* p = pFormat; *p; ++p) {
        if (*p != L'%' || !p[1]) {
            out += *p;
            continue;
        }
        switch (*++p) {
        case L'D': AppendNumber(out, static_cast<long>(GetDays()), 1, false); break;
        case L'H': AppendNumber(out, GetHours(), 2, false); break;
        case L'M': AppendNumber(out, GetMinutes(), 2, false); break;
        case L'S': AppendNumber(out, GetSeconds(), 2, false); break;
        case L'%': out += L'%'; break;
        default:
            out += L'%';
            out += *p;
            break;
        }
    }
    return CString(std::move(out));
}

// ---------------------------------------------------------------------------------------------
// CTime

CTime CTime::GetCurrentTime() { return CTime(device::DeviceTimeNow()); }

BOOL CTime::IsValidFILETIME(const FILETIME& ft) {
    SYSTEMTIME st;
    return FileTimeToSystemTime(&ft, &st);
}

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
    m_time = -1;
    if (nYear < 1970 || nYear > 3000 || nMonth < 1 || nMonth > 12 || nDay < 1 ||
        nDay > device::DaysInMonth(nYear, nMonth) || nHour < 0 || nHour > 23 || nMin < 0 || nMin > 59 ||
        nSec < 0 || nSec > 59)
        return;
    struct tm t {};
    t.tm_year = nYear - 1900;
    t.tm_mon = nMonth - 1;
    t.tm_mday = nDay;
    t.tm_hour = nHour;
    t.tm_min = nMin;
    t.tm_sec = nSec;
    t.tm_isdst = nDST < 0 ? -1 : nDST > 0 ? 1 : 0;
    time_t value = device::DeviceMktime(&t);
    if (value >= 0 && value <= kLastTime) m_time = value;
}

CTime::CTime(const SYSTEMTIME& st, int nDST)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST) {}

CTime::CTime(const FILETIME& ft, int) {
    // FILETIME counts 100 ns from 1601-01-01 UTC.
    constexpr uint64_t kEpochDelta = 116444736000000000ull;
    uint64_t value = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    m_time = value < kEpochDelta ? -1 : static_cast<time_t>((value - kEpochDelta) / 10000000ull);
}

struct tm* CTime::GetLocalTm(struct tm* ptm) const {
    if (!ptm || m_time < 0) return nullptr;
    return device::DeviceLocaltime(m_time, ptm) ? ptm : nullptr;
}

struct tm* CTime::GetGmtTm(struct tm* ptm) const {
    if (!ptm || m_time < 0) return nullptr;
    return ::gmtime_r(&m_time, ptm);
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const {
    struct tm t;
    if (!GetLocalTm(&t)) return FALSE;
    st.wYear = static_cast<WORD>(t.tm_year + 1900);
    st.wMonth = static_cast<WORD>(t.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(t.tm_wday);
    st.wDay = static_cast<WORD>(t.tm_mday);
    st.wHour = static_cast<WORD>(t.tm_hour);
    st.wMinute = static_cast<WORD>(t.tm_min);
    st.wSecond = static_cast<WORD>(t.tm_sec);
    st.wMilliseconds = 0;
    return TRUE;
}

namespace {
struct tm LocalOrZero(const CTime& time) {
    struct tm t {};
    if (!time.GetLocalTm(&t)) {
        // An invalid time reads as zero in every field.
        t = {};
        t.tm_year = -1900;
        t.tm_mon = -1;
        t.tm_wday = -1;
    }
    return t;
}
} // namespace

int CTime::GetYear() const { struct tm t = LocalOrZero(*this); return t.tm_year + 1900; }
int CTime::GetMonth() const { struct tm t = LocalOrZero(*this); return t.tm_mon + 1; }
int CTime::GetDay() const { return LocalOrZero(*this).tm_mday; }
int CTime::GetHour() const { return LocalOrZero(*this).tm_hour; }
int CTime::GetMinute() const { return LocalOrZero(*this).tm_min; }
int CTime::GetSecond() const { return LocalOrZero(*this).tm_sec; }
int CTime::GetDayOfWeek() const { return LocalOrZero(*this).tm_wday + 1; }

CString CTime::Format(LPCWSTR pFormat) const {
    struct tm t;
    if (!GetLocalTm(&t)) return CString();
    return CString(FormatTm(pFormat, t));
}

CString CTime::Format(UINT nFormatID) const {
    CString format;
    if (!format.LoadString(nFormatID)) return CString();
    return Format(format.GetString());
}

CString CTime::FormatGmt(LPCWSTR pFormat) const {
    struct tm t;
    if (!GetGmtTm(&t)) return CString();
    t.tm_zone = "UTC";
    return CString(FormatTm(pFormat, t));
}
