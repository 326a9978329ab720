// A device started on one made-up tzdata release and started again on the next: the clocks, the
// home reference, the city information and a reminder's instant read the release of each start,
// and a city whose rule the user changed keeps it.

#include "ClockDialogsTestSupport.h"
#include "ClocksPageSupport.h"

#include "clocks/ClockCityInfo.h"
#include "clocks/ReminderNotifications.h"
#include "support/TzdataFixture.h"

#include <optional>

namespace {

using clockstest::ClocksPageTest;
using namespace testsupport;

class FollowedTzdataTest : public ClocksPageTest {
protected:
    void SetUp() override {
        ClocksPageTest::SetUp();
        m_first = CompileZones(kFirstRelease);
        m_second = CompileZones(kSecondRelease);
        ASSERT_TRUE(m_first && m_second);
        WriteDeviceFile(InProgramFolder(L"cities.lst"), kFirstReleaseList);
        // The user changed Keepville's rule in Edit cities: summer time from day 100 to day 290.
        CCitiesDb cities;
        cities.Open();
        ASSERT_TRUE(cities.DeleteAt(Keepville));
        ASSERT_TRUE(cities.AddCity(L"Keepville:Testland", L"2:48", L"1:100:2:290:2", L"1"));
    }
    void TearDown() override {
        DestroyPage();
        m_tzdir.reset();
        ClocksPageTest::TearDown();
    }
    // The machine's tzdata is the release's from here on; the device's clock shows Gainville's.
    void StartOn(const TempFolder& release) {
        DestroyPage();
        m_tzdir.reset();
        m_tzdir.emplace(release.Path());
        ASSERT_TRUE(device::SetDeviceZone("Test/Gaining"));
    }

    std::unique_ptr<TempFolder> m_first, m_second;
    std::optional<ScopedTzdir> m_tzdir;
};

TEST_F(FollowedTzdataTest, TheClocksTheHomeReferenceAndTheCityInformationReadTheTzdataOfEachStart) {
    device::SetDeviceClock("2027-07-01T12:00:00Z");
    WriteClockSettings(Gainville, Dropville, Hourville, Keepville, Gainville);

    StartOn(*m_first);
    CWorldClocksDlg* page = &CreatePage();
    EXPECT_EQ(page->m_refHours, -8);
    EXPECT_EQ(page->m_timeText[0], L"04:00:00");
    EXPECT_EQ(page->m_timeText[1], L"14:00:00"); // Dropville on its summer time
    EXPECT_EQ(page->m_timeText[2], L"15:00:00");
    EXPECT_EQ(page->m_timeText[3], L"14:00:00");
    EXPECT_EQ(BuildClockCityFacts(page->m_cities, Gainville, page->m_refHours, page->m_refMinutes).observing,
              L"Never observing");
    EXPECT_EQ(BuildClockCityFacts(page->m_cities, Foreverville, page->m_refHours, page->m_refMinutes).period,
              L"14/3/2027 - 7/11/2027");

    // The second release: Dropville keeps its standard time, Gainville has summer time, and the
    // device's clock, which shows Gainville's, stands for -7.
    StartOn(*m_second);
    page = &CreatePage();
    EXPECT_EQ(page->m_refHours, -7);
    EXPECT_EQ(page->m_timeText[0], L"05:00:00");
    EXPECT_EQ(page->m_timeText[1], L"13:00:00");
    EXPECT_EQ(page->m_timeText[2], L"15:00:00");
    EXPECT_EQ(page->m_timeText[3], L"14:00:00"); // Keepville: the user's rule, as before
    const ClockCityFacts gainville = BuildClockCityFacts(page->m_cities, Gainville, page->m_refHours, page->m_refMinutes);
    EXPECT_EQ(gainville.observing, L"Observing now");
    EXPECT_EQ(gainville.period, L"14/3/2027 - 7/11/2027");
    EXPECT_EQ(gainville.offsetText, L"-8h + 1h (DST)");
    EXPECT_EQ(gainville.currentOffset, L"-7");
    const ClockCityFacts dropville = BuildClockCityFacts(page->m_cities, Dropville, page->m_refHours, page->m_refMinutes);
    EXPECT_EQ(dropville.observing, L"Never observing");
    EXPECT_EQ(dropville.offsetText, L"1h");
    // On its summer time for good: the window has a start and no end.
    const ClockCityFacts forever = BuildClockCityFacts(page->m_cities, Foreverville, page->m_refHours, page->m_refMinutes);
    EXPECT_EQ(forever.observing, L"Observing now");
    EXPECT_EQ(forever.period, L"14/3/2027 -");
}

TEST_F(FollowedTzdataTest, AReminderStillToGoOffIsSetAgainAtTheStartAfterTheMachinesTzdataChanged) {
    device::SetDeviceClock("2027-06-30T12:00:00Z");
    WriteClockSettings(Gainville, Dropville, Hourville, Keepville, Gainville);
    StartOn(*m_first);
    CRegistryKey reg;
    reg.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, L"clock1", L"12:00");
    reg.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, L"date1", L"01/07/2027");
    reg.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, L"desc1", L"Meet");
    {
        CCitiesDb cities;
        cities.Open();
        ASSERT_TRUE(ScheduleReminder(cities, 1, Dropville, ReadReminderHome(cities, reg), L"12:00", L"01/07/2027",
                                     L"Meet"));
        // 12:00 in Dropville on summer time is 10:00 UTC, 02:00 on the device.
        EXPECT_EQ(clocktests::Stamp(clocktests::AllNotifications().at(0).start), "2027-07-01 02:00:00");
        EXPECT_EQ(RefreshArmedReminders(cities, reg), 0);
    }

    // Started again on the second release: 12:00 in Dropville is 11:00 UTC, 04:00 on the device.
    StartOn(*m_second);
    CCitiesDb cities;
    cities.Open();
    EXPECT_EQ(RefreshArmedReminders(cities, reg), 1);
    const auto notifications = clocktests::AllNotifications();
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(clocktests::Stamp(notifications[0].start), "2027-07-01 04:00:00");
    EXPECT_EQ(notifications[0].title, L"Jorvana Reminder1");
    EXPECT_EQ(RefreshArmedReminders(cities, reg), 0);

    // Clock 1 on Hourville without the reminder (its move declined): it stays Dropville's.
    StartOn(*m_first);
    reg.WriteDword(HKEY_LOCAL_MACHINE, clockstest::kClockKey, L"clock1", Hourville);
    EXPECT_EQ(RefreshArmedReminders(cities, reg), 0);
    EXPECT_EQ(clocktests::Stamp(clocktests::AllNotifications().at(0).start), "2027-07-01 04:00:00");
}

} // namespace
