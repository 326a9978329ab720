// Reminder notifications: a reminder's time in its clock city converted into device time, the
// notification record it is set with, finding it again by title, replacing and clearing it, and
// the daylight saving of the home city and the clock city.

#include "ClockDialogsTestSupport.h"
#include "clocks/ReminderNotifications.h"
#include "clocks/StoredCityIndexes.h"
#include "platform/framework/Time.h"
#include "support/DeviceFileAccess.h"

namespace {

using clocktests::AllNotifications;
using clocktests::ClockDialogTest;
using clocktests::Stamp;

TEST(ReminderTextTest, FirstLineDialogTextAndStoredTexts) {
    EXPECT_EQ(std::wstring(ReminderFirstLine(L"Tokyo", L"09", L"00", 10, 5, 2010)),
              L"Tokyo:  09h00, 10/5/2010   ");
    EXPECT_EQ(std::wstring(ReminderDialogText(L"A", L"B")), L"A\n\n\nB");
    CString longDesc(L'x', 3000);
    EXPECT_EQ(ReminderDialogText(L"Tokyo", longDesc).GetLength(), 1023);

    int h = -1, m = -1, d = -1, mo = -1, y = -1;
    CString ht, mt;
    EXPECT_TRUE(ParseReminderTime(L"7:5", h, m, &ht, &mt));
    EXPECT_EQ(h * 100 + m, 705);
    EXPECT_EQ(std::wstring(ht) + std::wstring(mt), L"0705");
    EXPECT_FALSE(ParseReminderTime(L"", h, m));
    EXPECT_FALSE(ParseReminderTime(L"0900", h, m));
    EXPECT_FALSE(ParseReminderTime(L"ab:cd", h, m));
    EXPECT_TRUE(ParseReminderDate(L"05/03/2010", d, mo, y));
    EXPECT_EQ(d * 1000000 + mo * 10000 + y, 5032010);
    EXPECT_FALSE(ParseReminderDate(L"05/03", d, mo, y));
    EXPECT_FALSE(ParseReminderDate(L"5/x/2010", d, mo, y));
}

// A reminder's due time for cities at fixed offsets, none with daylight saving.
class ReminderDueTimeTest : public ClockDialogTest {
protected:
    void SetUp() override {
        ClockDialogTest::SetUp();
        WriteCities({{"East9", "X", "9"},
                     {"West5", "X", "-5"},
                     {"East1", "X", "1"},
                     {"West1", "X", "-1"},
                     {"East2", "X", "2"},
                     {"East5", "X", "5"},
                     {"East545", "X", "545"},
                     {"East530", "X", "530"}});
        m_db.Open();
    }
    // The device-local instant at which the city at zone shows hour:minute on the date, the
    // device's clock standing for a home at refH:refM.
    std::string Instant(int hour, int minute, int day, int month, int year, int refH, int refM, int zone) {
        ReminderHome home;
        home.standard = refM == 0 ? refH : refH * 100 + refM; // an HhmmOffset
        CString name;
        name.Format(zone < 0 ? L"West%d:X" : L"East%d:X", zone < 0 ? -zone : zone);
        EXPECT_TRUE(m_db.FindCity(name)) << name.Str();
        SYSTEMTIME st{};
        if (!ReminderDueTime(m_db, m_db.GetCurrentIndex(), home, hour, minute, day, month, year, st))
            return "none";
        return Stamp(st);
    }
    CCitiesDb m_db;
};

TEST_F(ReminderDueTimeTest, CityTimeBecomesDeviceTime) {
    // Home reference UTC+1.
    EXPECT_EQ(Instant(9, 0, 10, 5, 2010, 1, 0, 9), "2010-05-10 01:00:00");
    EXPECT_EQ(Instant(9, 0, 10, 5, 2010, 1, 0, -5), "2010-05-10 15:00:00");
    EXPECT_EQ(Instant(9, 0, 10, 5, 2010, 1, 0, 1), "2010-05-10 09:00:00");
    // Across the day, month and year ends.
    EXPECT_EQ(Instant(23, 30, 31, 12, 2010, 1, 0, -1), "2011-01-01 01:30:00");
    EXPECT_EQ(Instant(0, 30, 1, 1, 2011, 1, 0, 2), "2010-12-31 23:30:00");
    EXPECT_EQ(Instant(0, 30, 1, 3, 2012, 1, 0, 2), "2012-02-29 23:30:00");
    // Half hours and quarters: minutes carry into the hour.
    EXPECT_EQ(Instant(10, 30, 10, 5, 2010, 5, 30, 5), "2010-05-10 11:00:00");
    EXPECT_EQ(Instant(10, 0, 10, 5, 2010, -3, -30, 545), "2010-05-10 00:45:00");
    EXPECT_EQ(Instant(10, 0, 10, 5, 2010, -3, -30, 530), "2010-05-10 01:00:00");
    // What no clock shows is refused rather than handed to the service.
    EXPECT_EQ(Instant(24, 0, 10, 5, 2010, 1, 0, 1), "none");
    EXPECT_EQ(Instant(9, 60, 10, 5, 2010, 1, 0, 1), "none");
    EXPECT_EQ(Instant(9, 0, 31, 2, 2010, 1, 0, 1), "none");
    EXPECT_EQ(Instant(9, 0, 29, 2, 2011, 1, 0, 1), "none");
    EXPECT_EQ(Instant(9, 0, 10, 13, 2010, 1, 0, 1), "none");
    // The weekday is the instant's own: 10 May 2010 was a Monday.
    ReminderHome home;
    home.standard = 1;
    ASSERT_TRUE(m_db.FindCity(L"East9:X"));
    SYSTEMTIME st{};
    ASSERT_TRUE(ReminderDueTime(m_db, m_db.GetCurrentIndex(), home, 9, 0, 10, 5, 2010, st));
    EXPECT_EQ(st.wDayOfWeek, 1);
    EXPECT_EQ(st.wSecond, 0);
}

class ReminderNotificationsTest : public ClockDialogTest {
protected:
    void SetUp() override {
        ClockDialogTest::SetUp();
        // Positions: Berlin 0, Delhi 1, Kathmandu 2, NewYork 3, Tokyo 4.
        WriteCities({{"Tokyo", "Japan", "9"},
                     {"Berlin", "Germany", "1", "1:90:2:300:3"},
                     {"NewYork", "USA", "-5"},
                     {"Delhi", "India", "530", "1:1:0:366:0"},
                     {"Kathmandu", "Nepal", "545"}});
        m_db.Open();
    }
    HANDLE SetOther(LPCWSTR title) {
        std::wstring t = title, text = L"other";
        CE_NOTIFICATION_TRIGGER trigger{};
        trigger.dwSize = sizeof trigger;
        trigger.dwType = CNT_TIME;
        trigger.stStartTime = SYSTEMTIME{2011, 1, 0, 1, 8, 0, 0, 0};
        CE_USER_NOTIFICATION user{};
        user.ActionFlags = PUN_DIALOG;
        user.pwszDialogTitle = t.data();
        user.pwszDialogText = text.data();
        return CeSetUserNotificationEx(nullptr, &trigger, &user);
    }
    // A home at a fixed offset, without daylight saving.
    static ReminderHome FixedHome(int offset) {
        ReminderHome home;
        home.standard = offset;
        return home;
    }
    CCitiesDb m_db;
};

TEST_F(ReminderNotificationsTest, ArmReplaceAndClearAReminder) {
    m_reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock", 0); // home: Berlin
    const ReminderHome berlin = ReadReminderHome(m_db, m_reg);
    EXPECT_FALSE(berlin.deviceZone);
    EXPECT_EQ(berlin.standard, 1);
    EXPECT_TRUE(berlin.rule.hasDst);
    EXPECT_EQ(berlin.rule.startDay, 90);
    EXPECT_EQ(berlin.rule.endDay, 300);
    // Here the device's clock stands for UTC+1 all year.
    const ReminderHome home = FixedHome(1);
    HANDLE other = SetOther(L"Jorvana Reminder1 "); // not the title: one blank more

    ASSERT_TRUE(ScheduleReminder(m_db, 1, 4, home, L"09:00", L"10/05/2010", L"Meet"));
    auto all = AllNotifications();
    ASSERT_EQ(all.size(), 2u);
    const auto r = all[1]; // a copy: all is read anew below
    EXPECT_EQ(r.title, L"Jorvana Reminder1");
    EXPECT_EQ(r.text, L"Tokyo:  09h00, 10/5/2010   \n\n\nMeet");
    EXPECT_EQ(r.flags, 23u);
    EXPECT_EQ(r.type, static_cast<DWORD>(CNT_TIME));
    EXPECT_EQ(Stamp(r.start), "2010-05-10 01:00:00");
    EXPECT_EQ(FindReminderNotification(L"Jorvana Reminder1"), r.handle);
    EXPECT_EQ(FindReminderNotification(L"jorvana reminder1"), nullptr);

    // Armed again for New York: the same notification, moved; the other one untouched.
    ASSERT_TRUE(ScheduleReminder(m_db, 1, 3, home, L"09:00", L"10/05/2010", L"Call"));
    all = AllNotifications();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].handle, r.handle);
    EXPECT_EQ(Stamp(all[1].start), "2010-05-10 15:00:00");
    EXPECT_EQ(all[1].text, L"NewYork:  09h00, 10/5/2010   \n\n\nCall");
    EXPECT_EQ(all[0].handle, other);

    // A time that does not exist leaves the armed reminder as it was.
    EXPECT_FALSE(ScheduleReminder(m_db, 1, 3, home, L"25:00", L"10/05/2010", L"Call"));
    EXPECT_FALSE(ScheduleReminder(m_db, 1, 3, home, L"09:00", L"30/02/2010", L"Call"));
    EXPECT_EQ(Stamp(AllNotifications()[1].start), "2010-05-10 15:00:00");

    // Moving only touches an armed reminder.
    EXPECT_FALSE(MoveReminder(m_db, 2, 4, home, L"09:00", L"10/05/2010", L"x"));
    EXPECT_EQ(FindReminderNotification(L"Jorvana Reminder2"), nullptr);
    ASSERT_TRUE(MoveReminder(m_db, 1, 4, home, L"23:30", L"10/05/2010", L"Call"));
    EXPECT_EQ(Stamp(AllNotifications()[1].start), "2010-05-10 15:30:00");
    EXPECT_EQ(AllNotifications()[1].handle, r.handle);

    ClearReminder(2); // none: nothing happens
    ClearReminder(1);
    all = AllNotifications();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].handle, other);
}

TEST_F(ReminderNotificationsTest, OnePassFindsTheFirstOfEachTitle) {
    HANDLE first = SetOther(L"Jorvana Reminder");
    HANDLE second = SetOther(L"Jorvana Reminder");
    HANDLE three = SetOther(L"Jorvana Reminder3");
    SetOther(L"JORVANA REMINDER4");
    HANDLE found[kReminderCount];
    FindReminderNotifications(found);
    EXPECT_EQ(found[0], first);
    EXPECT_EQ(found[1], nullptr);
    EXPECT_EQ(found[2], nullptr);
    EXPECT_EQ(found[3], three);
    EXPECT_EQ(found[4], nullptr);

    // Arming replaces the first of two alike; clearing removes the first and leaves the second.
    ASSERT_TRUE(ScheduleReminder(m_db, 0, 0, ReadReminderHome(m_db, m_reg), L"12:00", L"01/06/2010", L"Lunch"));
    auto all = AllNotifications();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].handle, first);
    EXPECT_EQ(Stamp(all[0].start), "2010-06-01 12:00:00");
    EXPECT_EQ(all[1].text, L"other");
    ClearReminder(0);
    EXPECT_EQ(FindReminderNotification(L"Jorvana Reminder"), second);
}

TEST_F(ReminderNotificationsTest, DaylightSavingOfTheHomeCityAndTheClockCity) {
    // Home Berlin (+1, summer time from 31 March 02:00 to 27 October 03:00 of its standard
    // time): on 1 May the device's clock shows Berlin summer time, UTC+2.
    const ReminderHome home = ReadReminderHome(m_db, m_reg);
    // Delhi (+5:30) in a summer of its own (+6:30): 10:00 there is 03:30 UTC, 05:30 in Berlin.
    ASSERT_TRUE(ScheduleReminder(m_db, 2, 1, home, L"10:00", L"10/05/2010", L"Tea"));
    EXPECT_EQ(Stamp(AllNotifications()[0].start), "2010-05-10 05:30:00");
    // An unreadable city is taken at UTC with an empty name.
    ASSERT_TRUE(ScheduleReminder(m_db, 3, 999, home, L"10:00", L"10/05/2010", L"x"));
    auto all = AllNotifications();
    EXPECT_EQ(Stamp(all[1].start), "2010-05-10 12:00:00");
    EXPECT_EQ(all[1].text, L":  10h00, 10/5/2010   \n\n\nx");
    // With zone synchronisation the device's own zone (UTC here) gives its clock.
    m_reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, L"syncltz", 1);
    ASSERT_TRUE(ScheduleReminder(m_db, 2, 1, ReadReminderHome(m_db, m_reg), L"10:00", L"10/05/2010", L"Tea"));
    EXPECT_EQ(Stamp(AllNotifications()[0].start), "2010-05-10 03:30:00");
}

TEST_F(ReminderNotificationsTest, AReminderSetBeforeAChangeForATimeAfterItIsDueAtThatTime) {
    // Home Tokyo (+9, no summer time) on a Tokyo device. Berlin is two minutes before its
    // clocks go forward (01:58 standard time, 00:58 UTC).
    m_reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock", 4);
    ASSERT_TRUE(device::SetDeviceZone("Asia/Tokyo"));
    device::SetDeviceClock("2010-03-31T00:58:00Z");
    const ReminderHome home = ReadReminderHome(m_db, m_reg);
    struct Case {
        const wchar_t* berlin;
        const char* tokyo;
    };
    // 03:01 summer time is 01:01 UTC; the skipped 02:30 goes off when the clocks have moved on
    // (01:30 UTC); on 27 October 03:30 comes twice, and the first is meant (summer time).
    for (const Case& c : {Case{L"03:01 31/03/2010", "2010-03-31 10:01:00"},
                          Case{L"02:30 31/03/2010", "2010-03-31 10:30:00"},
                          Case{L"03:30 27/10/2010", "2010-10-27 10:30:00"},
                          Case{L"04:30 27/10/2010", "2010-10-27 12:30:00"}}) {
        const CString text(c.berlin);
        ASSERT_TRUE(ScheduleReminder(m_db, 1, 0, home, text.Left(5), text.Mid(6), L"x"));
        EXPECT_EQ(Stamp(AllNotifications()[0].start), c.tokyo) << text.Str().c_str();
    }
    // Already over: the minutes before the current one; not yet: the current one and after.
    EXPECT_TRUE(ReminderIsPast(m_db, 0, home, L"01:57", L"31/03/2010"));
    EXPECT_FALSE(ReminderIsPast(m_db, 0, home, L"01:58", L"31/03/2010"));
    EXPECT_FALSE(ReminderIsPast(m_db, 0, home, L"03:00", L"31/03/2010"));
    // Tokyo's own clock: 09:58 now.
    EXPECT_TRUE(ReminderIsPast(m_db, 4, home, L"09:57", L"31/03/2010"));
    EXPECT_FALSE(ReminderIsPast(m_db, 4, home, L"09:58", L"31/03/2010"));
}

TEST_F(ReminderNotificationsTest, InTheHourThatComesTwiceAReminderSetInTheSecondPassIsForItsSecondTime) {
    // Home Tokyo on a Tokyo device; Berlin's clocks went back from 03:00 summer time to 02:00
    // standard time (01:00 UTC) and show 03:10 for the second time (02:10 UTC).
    m_reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock", 4);
    ASSERT_TRUE(device::SetDeviceZone("Asia/Tokyo"));
    device::SetDeviceClock("2010-10-27T02:10:00Z");
    const ReminderHome home = ReadReminderHome(m_db, m_reg);
    // 03:30 is still to come (02:30 UTC, 11:30 in Tokyo); 03:05 is over both times.
    EXPECT_FALSE(ReminderIsPast(m_db, 0, home, L"03:30", L"27/10/2010"));
    ASSERT_TRUE(ScheduleReminder(m_db, 1, 0, home, L"03:30", L"27/10/2010", L"x"));
    EXPECT_EQ(Stamp(AllNotifications()[0].start), "2010-10-27 11:30:00");
    EXPECT_TRUE(ReminderIsPast(m_db, 0, home, L"03:05", L"27/10/2010"));
    // In the first pass (03:10 summer time, 01:10 UTC) the first 03:30 is meant, and 03:05 is
    // the one still to come.
    device::SetDeviceClock("2010-10-27T01:10:00Z");
    ASSERT_TRUE(ScheduleReminder(m_db, 1, 0, home, L"03:30", L"27/10/2010", L"x"));
    EXPECT_EQ(Stamp(AllNotifications()[0].start), "2010-10-27 10:30:00");
    EXPECT_FALSE(ReminderIsPast(m_db, 0, home, L"03:05", L"27/10/2010"));

    // Home Berlin, whose wall time the device's clock shows: in the second pass (03:10, 02:10
    // UTC) the reminder at 03:30 goes off when the clock shows 03:30 again.
    m_reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock", 0);
    ASSERT_TRUE(device::SetDeviceZone("UTC"));
    device::SetDeviceClock("2010-10-27T03:10:00Z"); // read as Berlin's 03:10, the second one
    const ReminderHome berlin = ReadReminderHome(m_db, m_reg);
    EXPECT_FALSE(ReminderIsPast(m_db, 0, berlin, L"03:30", L"27/10/2010"));
    ASSERT_TRUE(ScheduleReminder(m_db, 0, 0, berlin, L"03:30", L"27/10/2010", L"x"));
    EXPECT_EQ(Stamp(AllNotifications()[1].start), "2010-10-27 03:30:00");
}

// Reminders with the shipped city list, whose rules are those of its year, on a device in the
// home city's zone (Berlin): due instants against tzdata.
class ShippedListReminderTest : public ClockDialogTest {
protected:
    void SetUp() override {
        ClockDialogTest::SetUp();
        testsupport::CopyToDevice(std::string(JORVANA_DATA_DIR) + "/cities.lst",
                                  testsupport::InProgramFolder(L"cities.lst"));
        testsupport::CopyToDevice(std::string(JORVANA_DATA_DIR) + "/dstyears.lst",
                                  testsupport::InProgramFolder(L"dstyears.lst"));
        m_db.Open();
        ASSERT_TRUE(device::SetDeviceZone("Europe/Berlin"));
        m_reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, L"clock", City(L"Berlin:Germany"));
        m_reg.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, L"syncltz", 0);
    }
    DWORD City(LPCWSTR nameCountry) {
        EXPECT_TRUE(m_db.FindCity(nameCountry));
        return m_db.GetCurrentIndex();
    }
    // What tzdata makes of a wall time in a zone: the device's wall time at that instant.
    static std::string TzdataDeviceTime(const std::string& zone, int y, int mo, int d, int h, int mi) {
        std::string error;
        const auto cityZone = device::LoadZoneNamed(zone, &error);
        struct tm wall {};
        wall.tm_year = y - 1900;
        wall.tm_mon = mo - 1;
        wall.tm_mday = d;
        wall.tm_hour = h;
        wall.tm_min = mi;
        wall.tm_isdst = -1;
        int64_t utc = 0;
        struct tm local {};
        if (!cityZone || !device::UtcFromLocal(*cityZone, &wall, &utc) || !device::LocalFromUtc(*device::DeviceZone(), utc, &local))
            return "no tzdata for " + zone;
        char text[40];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
        return text;
    }
    CCitiesDb m_db;
};

TEST_F(ShippedListReminderTest, InTheYearAfterTheListsYearRemindersAreDueWhenTzdataSays) {
    device::SetDeviceClock("2028-01-15T12:00:00Z");
    const ReminderHome home = ReadReminderHome(m_db, m_reg);
    struct Case {
        LPCWSTR city;
        const char* zone;
        int day, month, hour, minute;
    };
    // Each side of the US changes (12 March, 5 November 2028), Sydney's end (2 April), the EU's
    // (29 October) and Auckland's start (24 September); Havana's summer (12 March - 5
    // November), which the moved weekdays would open on 7 January; all in 2028.
    const Case cases[] = {{L"Chicago:United States of America", "America/Chicago", 10, 3, 9, 0},
                          {L"Chicago:United States of America", "America/Chicago", 15, 3, 9, 0},
                          {L"New York:United States of America", "America/New_York", 28, 10, 21, 30},
                          {L"New York:United States of America", "America/New_York", 3, 11, 9, 0},
                          {L"New York:United States of America", "America/New_York", 6, 11, 9, 0},
                          {L"Sydney:Australia", "Australia/Sydney", 1, 4, 9, 0},
                          {L"Sydney:Australia", "Australia/Sydney", 3, 4, 9, 0},
                          {L"Auckland:New Zealand", "Pacific/Auckland", 23, 9, 12, 0},
                          {L"Auckland:New Zealand", "Pacific/Auckland", 25, 9, 12, 0},
                          {L"Berlin:Germany", "Europe/Berlin", 25, 3, 12, 0},
                          {L"Berlin:Germany", "Europe/Berlin", 27, 3, 12, 0},
                          {L"Havana:Cuba", "America/Havana", 10, 2, 12, 0},
                          {L"Havana:Cuba", "America/Havana", 15, 3, 12, 0}};
    for (const Case& c : cases) {
        CString time, date;
        time.Format(L"%02d:%02d", c.hour, c.minute);
        date.Format(L"%02d/%02d/2028", c.day, c.month);
        ASSERT_TRUE(ScheduleReminder(m_db, 1, City(c.city), home, time, date, L"x"));
        EXPECT_EQ(Stamp(AllNotifications().at(0).start), TzdataDeviceTime(c.zone, 2028, c.month, c.day, c.hour, c.minute))
            << c.zone << " " << time.Str().c_str() << " " << date.Str().c_str();
    }
}

TEST_F(ShippedListReminderTest, AReminderForAReadingTheDevicesClockShowsTwiceIsArmedOnlyWhereItGoesOffThen) {
    const ReminderHome home = ReadReminderHome(m_db, m_reg);
    const DWORD berlin = City(L"Berlin:Germany"), newYork = City(L"New York:United States of America");
    struct Case {
        const char* now;
        DWORD city;
        LPCWSTR time, date;
        ReminderTiming timing;
    };
    // Berlin's clocks go back from 03:00 summer time to 02:00 on 25 October 2026 (01:00 UTC).
    const Case cases[] = {
        // In the first pass (02:40): 02:50 is still to come; 02:30 comes again, but the device's
        // clock has passed that reading; 02:00 comes again as well.
        {"2026-10-25T00:40:00Z", berlin, L"02:50", L"25/10/2026", ReminderTiming::Due},
        {"2026-10-25T00:40:00Z", berlin, L"02:30", L"25/10/2026", ReminderTiming::RepeatedReading},
        {"2026-10-25T00:40:00Z", berlin, L"01:30", L"25/10/2026", ReminderTiming::Past},
        // After the clocks went back (02:10 again): the second 02:30 goes off when it comes.
        {"2026-10-25T01:10:00Z", berlin, L"02:30", L"25/10/2026", ReminderTiming::Due},
        {"2026-10-25T01:10:00Z", berlin, L"02:05", L"25/10/2026", ReminderTiming::Past},
        // The day before: New York's 21:30 is 01:30 UTC, Berlin's second 02:30, which the
        // device's clock shows an hour earlier too; 22:00 is 03:00, shown once.
        {"2026-10-24T12:00:00Z", newYork, L"21:30", L"24/10/2026", ReminderTiming::RepeatedReading},
        {"2026-10-24T12:00:00Z", newYork, L"20:30", L"24/10/2026", ReminderTiming::Due},
        {"2026-10-24T12:00:00Z", newYork, L"22:00", L"24/10/2026", ReminderTiming::Due},
        // Once Berlin's clocks went back, New York's 21:30 can be armed.
        {"2026-10-25T01:05:00Z", newYork, L"21:30", L"24/10/2026", ReminderTiming::Due},
    };
    for (const Case& c : cases) {
        device::SetDeviceClock(c.now);
        EXPECT_EQ(ReminderTimingOf(m_db, c.city, home, c.time, c.date), c.timing)
            << c.now << " " << CString(c.time).Str().c_str();
    }
    // Armed in the second pass, the second 02:30 is handed over as 02:30 and goes off at 01:30
    // UTC, not before.
    device::SetDeviceClock("2026-10-25T01:10:00Z");
    ASSERT_TRUE(ScheduleReminder(m_db, 0, berlin, home, L"02:30", L"25/10/2026", L"x"));
    EXPECT_EQ(Stamp(AllNotifications().at(0).start), "2026-10-25 02:30:00");
}

} // namespace
