// City time and date texts against a fixed device clock and zone.
#include "core/CityTime.h"

#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

namespace {

class CityTimeTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::ReloadDeviceZone();
        ASSERT_TRUE(device::SetDeviceZone("UTC"));
    }
    void TearDown() override {
        device::SetDeviceClock("");
        device::ReloadDeviceZone();
        FreshDevice::TearDown();
    }
    // The date text and triple of a city at the fixed clock.
    CString Date(int offset, int refH, int refM, int flag = 1) {
        return FormatCityDate(offset, refH, refM, flag, m_date);
    }
    DateTriple m_date;
};

TEST(HhmmOffset, SmallValuesAreHoursOthersHoursAndMinutes) {
    struct Case {
        int offset, hours, minutes;
    } cases[] = {{100, 100, 0}, {-100, -100, 0}, {101, 1, 1},  {-101, -1, -1},
                 {530, 5, 30},  {-330, -3, -30}, {545, 5, 45}, {0, 0, 0}};
    for (const Case& c : cases) {
        int h = 0, m = 0;
        SplitHhmmOffset(c.offset, h, m);
        EXPECT_EQ(h, c.hours) << c.offset;
        EXPECT_EQ(m, c.minutes) << c.offset;
    }
}

TEST_F(CityTimeTest, HalfHourReferenceAgainstWholeHourCity) {
    device::SetDeviceClock("2026-03-28T12:40:15Z");
    EXPECT_EQ(FormatCityTime(5, 5, 30), L"12:10:15");
    EXPECT_EQ(FormatCityTime(0, 0, 0), L"12:40:15");
    EXPECT_EQ(FormatCityTime(-5, 0, 0), L"07:40:15");
    EXPECT_EQ(Date(5, 5, 30), L"28/03/2026    Sat");
    EXPECT_EQ(Date(5, 5, 30, 0), L"28/03 Sat");
}

TEST_F(CityTimeTest, MinuteCarryCrossesMidnightAndTheYear) {
    device::SetDeviceClock("2026-12-31T23:45:07Z");
    // City 5:30 against a 5:00 reference: +30 minutes.
    EXPECT_EQ(FormatCityTime(530, 5, 0), L"00:15:07");
    EXPECT_EQ(Date(530, 5, 0), L"01/01/2027    Fri");
    EXPECT_EQ(m_date.day, 1);
    EXPECT_EQ(m_date.month, 1);
    EXPECT_EQ(m_date.year, 2027);
}

TEST_F(CityTimeTest, MinuteBorrowOnlyBelowZero) {
    device::SetDeviceClock("2026-03-29T00:10:00Z");
    // -10 minutes: 00:00, no borrow, same day.
    EXPECT_EQ(FormatCityTime(520, 5, 30), L"00:00:00");
    EXPECT_EQ(Date(520, 5, 30), L"29/03/2026    Sun");
    // -20 minutes: 23:50 the day before; Sunday minus one is Saturday.
    EXPECT_EQ(FormatCityTime(510, 5, 30), L"23:50:00");
    EXPECT_EQ(Date(510, 5, 30), L"28/03/2026    Sat");
}

TEST_F(CityTimeTest, FortyFiveMinuteAndNegativeHalfHourCities) {
    device::SetDeviceClock("2026-03-28T20:30:59Z");
    EXPECT_EQ(FormatCityTime(545, 0, 0), L"02:15:59");
    EXPECT_EQ(Date(545, 0, 0), L"29/03/2026    Sun"); // Saturday plus one
    device::SetDeviceClock("2026-03-01T02:00:00Z");
    EXPECT_EQ(FormatCityTime(-330, 0, 0), L"22:30:00");
    EXPECT_EQ(Date(-330, 0, 0, 0), L"28/02 Sat");
    EXPECT_EQ(m_date.month, 2);
}

TEST_F(CityTimeTest, ZonesMoreThanADayApartStillGiveAClockTime) {
    device::SetDeviceClock("2026-03-28T20:00:00Z");
    // 100 is a hundred hours: four days and four hours ahead.
    EXPECT_EQ(FormatCityTime(100, 0, 0), L"00:00:00");
    EXPECT_EQ(Date(100, 0, 0), L"02/04/2026    Thu");
    EXPECT_EQ(FormatCityTime(-100, 0, 0), L"16:00:00");
    EXPECT_EQ(Date(-100, 0, 0), L"24/03/2026    Tue");
}

TEST_F(CityTimeTest, DayArithmetic) {
    DateTriple d = GetDatePlusDays(2026, 12, 31, 1);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.year, 2027);
    d = GetDatePlusDays(2028, 3, 1, -1);
    EXPECT_EQ(d.day, 29); // leap year
    EXPECT_EQ(d.month, 2);
    d = GetDatePlusDays(2026, 1, 31, 365);
    EXPECT_EQ(d.day, 31);
    EXPECT_EQ(d.year, 2027);

    EXPECT_EQ(AddDaysToTime(1000000, 0), 1000000);
    EXPECT_EQ(AddDaysToTime(1000000, 2), 1000000 + 172800);
    EXPECT_EQ(AddDaysToTime(1000000, -2), 1000000 - 172800);
    CTime start(2026, 12, 30, 1, 1, 1);
    EXPECT_EQ(AddDaysToTime(start, 2).GetYear(), 2027);
}

TEST_F(CityTimeTest, DayArithmeticAcrossDaylightSavingChanges) {
    ASSERT_TRUE(device::SetDeviceZone("Europe/Paris"));
    // Clocks go forward on 29 March and back on 25 October 2026.
    DateTriple d = GetDatePlusDays(2026, 3, 28, 2);
    EXPECT_EQ(d.day, 30);
    d = GetDatePlusDays(2026, 10, 24, 2);
    EXPECT_EQ(d.day, 26);
    d = GetDatePlusDays(2026, 10, 26, -1);
    EXPECT_EQ(d.day, 25);
}

} // namespace
