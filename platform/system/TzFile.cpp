#include "platform/system/TzFile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>

namespace device {

// ---- Calendar ----

int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& year, int& month, int& day) {
    z += 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2);
}

bool IsLeapYear(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int64_t year, int month) {
    static const int mdays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return mdays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

int WeekdayFromDays(int64_t days) {
    return static_cast<int>(((days % 7) + 11) % 7);
} // 1970-01-01 was a Thursday

namespace {

int64_t YearOfInstant(int64_t utc, int32_t offset) {
    int64_t y;
    int m, d;
    CivilFromDays(FloorDiv(utc + offset, 86400), y, m, d);
    return y;
}

// ---- POSIX rule text ----

class RuleCursor {
public:
    explicit RuleCursor(std::string_view s) : m_s(s) {}
    bool AtEnd() const { return m_i >= m_s.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_s[m_i]; }
    bool Take(char c) {
        if (Peek() != c) return false;
        ++m_i;
        return true;
    }

    // "<+0530>" or an alphabetic name of three letters or more.
    bool Name(std::string& out) {
        if (Take('<')) {
            size_t start = m_i;
            while (!AtEnd() &&
                   (std::isalnum(static_cast<unsigned char>(Peek())) || Peek() == '+' || Peek() == '-'))
                ++m_i;
            size_t len = m_i - start;
            if (!Take('>') || len < 3) return false;
            out = std::string(m_s.substr(start, len));
            return true;
        }
        size_t start = m_i;
        while (!AtEnd() && std::isalpha(static_cast<unsigned char>(Peek())))
            ++m_i;
        if (m_i - start < 3) return false;
        out = std::string(m_s.substr(start, m_i - start));
        return true;
    }

    bool Number(int maxDigits, int& value) {
        int n = 0;
        value = 0;
        while (n < maxDigits && std::isdigit(static_cast<unsigned char>(Peek()))) {
            value = value * 10 + (m_s[m_i++] - '0');
            ++n;
        }
        return n > 0;
    }

    // [+|-]hh[:mm[:ss]] in seconds, hours up to maxHours.
    bool Duration(int maxHours, int32_t& seconds) {
        int sign = 1;
        if (Take('-'))
            sign = -1;
        else
            Take('+');
        int h, m = 0, s = 0;
        if (!Number(3, h) || h > maxHours) return false;
        if (Take(':')) {
            if (!Number(2, m) || m > 59) return false;
            if (Take(':') && (!Number(2, s) || s > 59)) return false;
        }
        seconds = sign * (h * 3600 + m * 60 + s);
        return true;
    }

    bool Date(PosixTz::RuleDate& date) {
        if (Take('J')) {
            date.kind = PosixTz::RuleDate::JulianNoLeap;
            if (!Number(3, date.day) || date.day < 1 || date.day > 365) return false;
        } else if (Take('M')) {
            date.kind = PosixTz::RuleDate::MonthWeekDay;
            if (!Number(2, date.month) || date.month < 1 || date.month > 12) return false;
            if (!Take('.') || !Number(1, date.week) || date.week < 1 || date.week > 5) return false;
            if (!Take('.') || !Number(1, date.day) || date.day > 6) return false;
        } else {
            date.kind = PosixTz::RuleDate::ZeroBasedDay;
            if (!Number(3, date.day) || date.day > 365) return false;
        }
        date.time = 7200;
        if (Take('/')) return Duration(167, date.time); // times may run from -167 to 167 hours
        return true;
    }

private:
    std::string_view m_s;
    size_t m_i = 0;
};

} // namespace

// ---- PosixTz ----

std::optional<PosixTz> PosixTz::Parse(std::string_view text) {
    PosixTz tz;
    RuleCursor c(text);
    int32_t west;
    if (!c.Name(tz.m_std.abbrev) || !c.Duration(24, west)) return std::nullopt;
    tz.m_std.utcOffset = -west;
    if (c.AtEnd()) return tz;
    if (!c.Name(tz.m_dst.abbrev)) return std::nullopt;
    tz.m_hasDst = true;
    tz.m_dst.isDst = true;
    tz.m_dst.utcOffset = tz.m_std.utcOffset + 3600;
    if (!c.AtEnd() && c.Peek() != ',') {
        if (!c.Duration(24, west)) return std::nullopt;
        tz.m_dst.utcOffset = -west;
    }
    if (c.AtEnd()) {
        // A daylight name without dates: the rule tzcode assumes (second Sunday of March to first
        // Sunday of November, at 02:00).
        tz.m_start = RuleDate{RuleDate::MonthWeekDay, 0, 2, 3, 7200};
        tz.m_end = RuleDate{RuleDate::MonthWeekDay, 0, 1, 11, 7200};
        return tz;
    }
    if (!c.Take(',') || !c.Date(tz.m_start) || !c.Take(',') || !c.Date(tz.m_end) || !c.AtEnd())
        return std::nullopt;
    return tz;
}

int PosixTz::YearDay(const RuleDate& date, int64_t year) {
    switch (date.kind) {
    case RuleDate::JulianNoLeap:
        // 29 February is never counted: day 60 is always 1 March.
        return date.day - 1 + (IsLeapYear(year) && date.day >= 60 ? 1 : 0);
    case RuleDate::ZeroBasedDay:
        return std::min(date.day, IsLeapYear(year) ? 365 : 364);
    case RuleDate::MonthWeekDay:
        break;
    }
    const int64_t first = DaysFromCivil(year, date.month, 1);
    int dom = 1 + (date.day - WeekdayFromDays(first) + 7) % 7 + (date.week - 1) * 7;
    while (dom > DaysInMonth(year, date.month))
        dom -= 7;
    return static_cast<int>(first - DaysFromCivil(year, 1, 1)) + dom - 1;
}

int64_t PosixTz::StartUtc(int64_t year) const {
    // The start time is written in standard time, the end time in daylight time.
    return (DaysFromCivil(year, 1, 1) + YearDay(m_start, year)) * 86400 + m_start.time - m_std.utcOffset;
}

int64_t PosixTz::EndUtc(int64_t year) const {
    return (DaysFromCivil(year, 1, 1) + YearDay(m_end, year)) * 86400 + m_end.time - m_dst.utcOffset;
}

const TzType& PosixTz::TypeAt(int64_t utc) const {
    if (!m_hasDst) return m_std;
    utc = std::clamp(utc, -kTzInstantLimit, kTzInstantLimit); // keeps the calendar arithmetic in range
    // The last change at or before the instant, among those of the neighbouring years. At equal
    // instants an end sorts before a start, so a rule whose daylight period covers the whole
    // year ("J1/0,J365/25") stays in daylight time.
    const int64_t y = YearOfInstant(utc, m_std.utcOffset);
    bool found = false, dst = false;
    int64_t best = 0;
    for (int64_t yy = y - 1; yy <= y + 1; ++yy) {
        const int64_t events[2] = {EndUtc(yy), StartUtc(yy)};
        for (int k = 0; k < 2; ++k) {
            if (events[k] > utc) continue;
            if (!found || events[k] > best || (events[k] == best && k == 1)) {
                found = true;
                best = events[k];
                dst = k == 1;
            }
        }
    }
    return dst ? m_dst : m_std;
}

// ---- TzZone ----

namespace {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    size_t Pos() const { return m_pos; }
    size_t Left() const { return m_size - m_pos; }
    bool Skip(uint64_t n) {
        if (n > Left()) return false;
        m_pos += static_cast<size_t>(n);
        return true;
    }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | m_data[m_pos++];
        return v;
    }
    int64_t I64() {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | m_data[m_pos++];
        return static_cast<int64_t>(v);
    }
    uint8_t U8() { return m_data[m_pos++]; }
    const uint8_t* Here() const { return m_data + m_pos; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

struct Header {
    int version = 0;
    uint32_t isutcnt = 0, isstdcnt = 0, leapcnt = 0, timecnt = 0, typecnt = 0, charcnt = 0;

    uint64_t BlockSize(int timeSize) const {
        return uint64_t(timecnt) * timeSize + timecnt + uint64_t(typecnt) * 6 + charcnt +
               uint64_t(leapcnt) * (timeSize + 4) + isstdcnt + isutcnt;
    }
};

bool ReadHeader(ByteReader& r, Header& h, std::string* error) {
    if (r.Left() < 44) {
        *error = "truncated header";
        return false;
    }
    const uint8_t* p = r.Here();
    if (p[0] != 'T' || p[1] != 'Z' || p[2] != 'i' || p[3] != 'f') {
        *error = "not a TZif file";
        return false;
    }
    h.version = p[4] == 0 ? 1 : (p[4] >= '2' && p[4] <= '9' ? p[4] - '0' : -1);
    if (h.version < 0) {
        *error = "unknown TZif version";
        return false;
    }
    r.Skip(20);
    h.isutcnt = r.U32();
    h.isstdcnt = r.U32();
    h.leapcnt = r.U32();
    h.timecnt = r.U32();
    h.typecnt = r.U32();
    h.charcnt = r.U32();
    if (h.typecnt == 0 || h.typecnt > 256 || h.charcnt == 0 || (h.isutcnt != 0 && h.isutcnt != h.typecnt) ||
        (h.isstdcnt != 0 && h.isstdcnt != h.typecnt)) {
        *error = "inconsistent counts in the header";
        return false;
    }
    return true;
}

} // namespace

std::shared_ptr<const TzZone> TzZone::Parse(const uint8_t* data, size_t size, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    if (!data) size = 0;
    ByteReader r(data, size);
    Header h;
    if (!ReadHeader(r, h, error)) return nullptr;
    int timeSize = 4;
    if (h.version >= 2) {
        // The 64-bit block that follows supersedes the 32-bit one.
        if (!r.Skip(h.BlockSize(4))) {
            *error = "truncated data";
            return nullptr;
        }
        const int version = h.version;
        if (!ReadHeader(r, h, error)) return nullptr;
        h.version = version;
        timeSize = 8;
    }
    if (h.BlockSize(timeSize) > r.Left()) {
        *error = "truncated data";
        return nullptr;
    }

    auto zone = std::make_shared<TzZone>();
    zone->m_version = h.version;
    zone->m_times.resize(h.timecnt);
    for (auto& t : zone->m_times)
        t = timeSize == 8 ? r.I64() : static_cast<int32_t>(r.U32());
    for (size_t i = 1; i < zone->m_times.size(); ++i) {
        if (zone->m_times[i] <= zone->m_times[i - 1]) {
            *error = "transition times out of order";
            return nullptr;
        }
    }
    zone->m_typeIdx.resize(h.timecnt);
    for (auto& idx : zone->m_typeIdx) {
        idx = r.U8();
        if (idx >= h.typecnt) {
            *error = "transition to an unknown local time type";
            return nullptr;
        }
    }
    struct RawType {
        int32_t off;
        uint8_t dst;
        uint8_t idx;
    };
    std::vector<RawType> raw(h.typecnt);
    for (auto& t : raw) {
        t.off = static_cast<int32_t>(r.U32());
        t.dst = r.U8();
        t.idx = r.U8();
        if (t.off < -89999 || t.off > 93599 || t.dst > 1 || t.idx >= h.charcnt) {
            *error = "invalid local time type";
            return nullptr;
        }
    }
    const char* chars = reinterpret_cast<const char*>(r.Here());
    for (const auto& t : raw) {
        const void* nul = std::memchr(chars + t.idx, '\0', h.charcnt - t.idx);
        if (!nul) {
            *error = "unterminated abbreviation";
            return nullptr;
        }
        zone->m_types.push_back(
            TzType{t.off, t.dst != 0, std::string(chars + t.idx, static_cast<const char*>(nul))});
    }
    // Leap-second records and the standard/UT indicators do not change civil time: skipped.
    r.Skip(uint64_t(h.charcnt) + uint64_t(h.leapcnt) * (timeSize + 4) + h.isstdcnt + h.isutcnt);

    if (h.version >= 2 && r.Left() > 0) {
        const char* p = reinterpret_cast<const char*>(r.Here());
        const size_t n = r.Left();
        if (p[0] != '\n') {
            *error = "malformed footer";
            return nullptr;
        }
        const void* end = std::memchr(p + 1, '\n', n - 1);
        if (!end) {
            *error = "unterminated footer";
            return nullptr;
        }
        std::string_view text(p + 1, static_cast<size_t>(static_cast<const char*>(end) - (p + 1)));
        if (!text.empty()) zone->m_footer = PosixTz::Parse(text);
    }
    return zone;
}

std::shared_ptr<const TzZone> TzZone::LoadFile(const std::filesystem::path& file, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *error = "cannot open " + file.string();
        return nullptr;
    }
    constexpr size_t kMaxSize = 4 << 20; // real zone files are a few kilobytes
    std::vector<uint8_t> bytes;
    char buf[8192];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buf, buf + in.gcount());
        if (bytes.size() > kMaxSize) {
            *error = file.string() + " is too large for a zone file";
            return nullptr;
        }
    }
    auto zone = Parse(bytes.data(), bytes.size(), error);
    if (!zone) *error = file.string() + ": " + *error;
    return zone;
}

std::shared_ptr<const TzZone> TzZone::FromPosix(const PosixTz& rule) {
    auto zone = std::make_shared<TzZone>();
    zone->m_types.push_back(rule.Standard());
    zone->m_footer = rule;
    return zone;
}

std::shared_ptr<const TzZone> TzZone::Utc() {
    static const std::shared_ptr<const TzZone> utc = [] {
        auto zone = std::make_shared<TzZone>();
        zone->m_types.push_back(TzType{0, false, "UTC"});
        return zone;
    }();
    return utc;
}

const TzType& TzZone::TypeAt(int64_t utc) const {
    if (UsesFooter(utc)) return m_footer->TypeAt(utc);
    // Before the first transition the first type holds.
    auto it = std::upper_bound(m_times.begin(), m_times.end(), utc);
    if (it == m_times.begin()) return m_types[0];
    return m_types[m_typeIdx[static_cast<size_t>(it - m_times.begin()) - 1]];
}

std::vector<TzChange> TzZone::ChangesBetween(int64_t from, int64_t to) const {
    from = std::clamp(from, -kTzInstantLimit, kTzInstantLimit);
    to = std::clamp(to, -kTzInstantLimit, kTzInstantLimit);
    std::vector<int64_t> instants;
    for (auto it = std::lower_bound(m_times.begin(), m_times.end(), from); it != m_times.end() && *it < to;
         ++it)
        instants.push_back(*it);
    if (m_footer && m_footer->HasDaylight() && from < to) {
        const int64_t last = m_times.empty() ? INT64_MIN : m_times.back();
        const int64_t firstYear = YearOfInstant(std::max(from, last == INT64_MIN ? from : last), 0) - 1;
        const int64_t lastYear = YearOfInstant(to, 0) + 1;
        for (int64_t y = firstYear; y <= lastYear; ++y) {
            for (int64_t at : {m_footer->StartUtc(y), m_footer->EndUtc(y)})
                if (at > last && at >= from && at < to) instants.push_back(at);
        }
    }
    std::sort(instants.begin(), instants.end());
    instants.erase(std::unique(instants.begin(), instants.end()), instants.end());
    std::vector<TzChange> changes;
    for (int64_t at : instants) {
        const TzType& before = TypeAt(at - 1);
        const TzType& after = TypeAt(at);
        if (before.utcOffset == after.utcOffset && before.isDst == after.isDst &&
            before.abbrev == after.abbrev)
            continue;
        const bool fromFooter = !std::binary_search(m_times.begin(), m_times.end(), at);
        changes.push_back(TzChange{at, &before, &after, fromFooter});
    }
    return changes;
}

} // namespace device
