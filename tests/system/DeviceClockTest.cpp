#include "platform/system/DeviceClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t k1970 = 116444736000000000ull;

class DeviceClockTest : public ::testing::Test {
protected:
    void TearDown() override { device::SetDeviceClock(""); }
};

} // namespace

TEST_F(DeviceClockTest, ParsesIsoUtcTimes) {
    EXPECT_EQ(device::ParseIsoUtc("1970-01-01T00:00:00Z"), k1970);
    EXPECT_EQ(device::ParseIsoUtc("1601-01-01T00:00:00"), 0u);
    EXPECT_EQ(device::ParseIsoUtc("1970-01-01T00:00:01.25Z"), k1970 + kTicksPerSecond + 2500000);
    EXPECT_EQ(device::ParseIsoUtc("2024-02-29T12:00:00Z"),
              k1970 + (19782ull * 86400 + 43200) * kTicksPerSecond);
    for (const char* bad : {"", "2026-02-29T00:00:00Z", "2026-04-31T00:00:00Z", "2026-13-01T00:00:00Z",
                            "2026-01-01T24:00:00Z", "2026-01-01T00:60:00Z", "2026-01-01 00:00:00Z",
                            "2026-01-01T00:00:00Zjunk", "1600-12-31T23:59:59Z", "yesterday"}) {
        EXPECT_FALSE(device::ParseIsoUtc(bad)) << bad;
    }
}

TEST_F(DeviceClockTest, FixedClockStandsStill) {
    device::SetDeviceClock("2026-03-29T00:59:30Z");
    const uint64_t first = device::CurrentUtcFileTime();
    EXPECT_EQ(first, *device::ParseIsoUtc("2026-03-29T00:59:30Z"));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(device::CurrentUtcFileTime(), first);
}

TEST_F(DeviceClockTest, TickingClockStartsThereAndMoves) {
    device::SetDeviceClock("2026-03-29T00:59:30Z+");
    const uint64_t start = *device::ParseIsoUtc("2026-03-29T00:59:30Z");
    const uint64_t first = device::CurrentUtcFileTime();
    EXPECT_GE(first, start);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const uint64_t later = device::CurrentUtcFileTime();
    EXPECT_GE(later - start, 50 * kTicksPerSecond / 1000);
    EXPECT_LT(later - start, 30 * kTicksPerSecond); // still near its start, not the host's date
}

TEST_F(DeviceClockTest, BadSettingFallsBackToTheHostClock) {
    testing::internal::CaptureStderr();
    device::SetDeviceClock("next Tuesday");
    const uint64_t now = device::CurrentUtcFileTime();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("next Tuesday"), std::string::npos);
    const auto host = std::chrono::system_clock::now().time_since_epoch();
    const uint64_t hostTicks =
        k1970 + std::chrono::duration_cast<std::chrono::nanoseconds>(host).count() / 100;
    EXPECT_LT(hostTicks - now, 5 * kTicksPerSecond);
}
