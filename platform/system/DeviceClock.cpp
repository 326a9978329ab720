#include "platform/system/DeviceClock.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace device {
namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

struct ClockSetting {
    bool fixed = false;
    bool ticking = false;
    uint64_t start = 0;                                // device time at the moment of setting
    std::chrono::steady_clock::time_point setAt;       // host moment of setting
};

std::mutex g_mutex;
bool g_loaded = false;
ClockSetting g_clock;

uint64_t HostNow() {
    auto since = std::chrono::system_clock::now().time_since_epoch();
    return kUnixEpochAsFileTime + static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100);
}

void Apply(std::string_view text) {
    g_clock = ClockSetting{};
    if (text.empty()) return;
    bool ticking = text.back() == '+';
    if (ticking) text.remove_suffix(1);
    auto parsed = ParseIsoUtc(text);
    if (!parsed) {
        std::fprintf(stderr, "device: DEVICE_CLOCK \"%.*s\" is not an ISO 8601 UTC time; using the host clock\n",
                     static_cast<int>(text.size()), text.data());
        return;
    }
    g_clock.fixed = true;
    g_clock.ticking = ticking;
    g_clock.start = *parsed;
    g_clock.setAt = std::chrono::steady_clock::now();
}

// Days from 1601-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFrom1601(int y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t daysFrom1970 = era * 146097 + doe - 719468;
    return daysFrom1970 + 134774; // 1601-01-01 to 1970-01-01
}

} // namespace

std::optional<uint64_t> ParseIsoUtc(std::string_view text) {
    int y, mo, d, h, mi, s, n = 0;
    std::string str(text);
    if (std::sscanf(str.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &s, &n) != 6) return std::nullopt;
    uint64_t frac = 0;
    size_t pos = static_cast<size_t>(n);
    if (pos < str.size() && str[pos] == '.') {
        uint64_t scale = 1000000; // digits past the 7th are dropped
        ++pos;
        while (pos < str.size() && std::isdigit(static_cast<unsigned char>(str[pos]))) {
            frac += static_cast<uint64_t>(str[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
    }
    if (pos < str.size() && str[pos] == 'Z') ++pos;
    if (pos != str.size()) return std::nullopt;
    if (y < 1601 || y > 30827 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    static const int mdays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > mdays[mo - 1] + (mo == 2 && leap ? 1 : 0)) return std::nullopt;
    uint64_t secs = static_cast<uint64_t>(DaysFrom1601(y, mo, d)) * 86400 + h * 3600 + mi * 60 + s;
    return secs * 10000000ull + frac;
}

uint64_t CurrentUtcFileTime() {
    std::lock_guard lock(g_mutex);
    if (!g_loaded) {
        g_loaded = true;
        const char* env = std::getenv("DEVICE_CLOCK");
        Apply(env ? env : "");
    }
    if (!g_clock.fixed) return HostNow();
    if (!g_clock.ticking) return g_clock.start;
    auto elapsed = std::chrono::steady_clock::now() - g_clock.setAt;
    return g_clock.start + static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count() / 100);
}

void SetDeviceClock(std::string_view iso8601) {
    std::lock_guard lock(g_mutex);
    g_loaded = true;
    if (iso8601.empty()) {
        const char* env = std::getenv("DEVICE_CLOCK");
        Apply(env ? env : "");
    } else {
        Apply(iso8601);
    }
}

namespace {
std::mutex g_tickMutex;
std::optional<DWORD> g_heldTicks;
const std::chrono::steady_clock::time_point g_started = std::chrono::steady_clock::now();
} // namespace

void HoldTickCount(std::optional<DWORD> milliseconds) {
    std::lock_guard lock(g_tickMutex);
    g_heldTicks = milliseconds;
}

} // namespace device

DWORD GetTickCount() {
    {
        std::lock_guard lock(device::g_tickMutex);
        if (device::g_heldTicks) return *device::g_heldTicks;
    }
    const auto elapsed = std::chrono::steady_clock::now() - device::g_started;
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}
