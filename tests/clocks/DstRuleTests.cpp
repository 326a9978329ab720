// Daylight-saving rules: reading the rule text, the window of a year (northern and southern
// hemisphere), the window that matters for an instant, and shifted offsets.

#include "clocks/DstRule.h"
#include "platform/system/DeviceTime.h"
#include "support/FreshDevice.h"

#include <fstream>
#include <iterator>
#include <string>

namespace {

class DstRuleTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        ASSERT_TRUE(device::SetDeviceZone("UTC"));
    }
    // A rule text read without a list year: its day numbers alike in every year.
    static DstRuleFields Rule(LPCWSTR text) { return ParseDstRule(text, 0); }
    // A UTC instant, which is also the device's local time in the UTC zone.
    static time_t Utc(int y, int mo, int d, int h, int mi = 0) {
        struct tm t {};
        t.tm_year = y - 1900;
        t.tm_mon = mo - 1;
        t.tm_mday = d;
        t.tm_hour = h;
        t.tm_min = mi;
        return timegm(&t);
    }
};

TEST_F(DstRuleTest, RuleTextsAreReadFieldByField) {
    EXPECT_FALSE(ParseDstRule(L"0", 0).hasDst);
    EXPECT_FALSE(ParseDstRule(L"0:90:2:300:3", 0).hasDst); // the first field alone decides
    DstRuleFields f = ParseDstRule(L"-2:280:23:90:3xyz", 0);
    EXPECT_TRUE(f.hasDst);
    EXPECT_EQ(f.shift, -2);
    EXPECT_EQ(f.startDay, 280);
    EXPECT_EQ(f.startHour, 23);
    EXPECT_EQ(f.endDay, 90);
    EXPECT_EQ(f.endHour, 3);
    // "00" is not "0"; missing and non-numeric fields read 0; huge numbers do not overflow.
    f = ParseDstRule(L"00:x:+5", 0);
    EXPECT_TRUE(f.hasDst);
    EXPECT_EQ(f.startDay, 0);
    EXPECT_EQ(f.startHour, 5);
    EXPECT_EQ(ParseDstRule(L"1:99999999999999:0:1:0", 0).startDay, 2147483647);
}

TEST_F(DstRuleTest, NorthernWindowInANonLeapYear) {
    DstWindow w = GetDstWindow(Rule(L"1:90:2:300:3"), 2026);
    ASSERT_TRUE(w.hasDst);
    EXPECT_EQ(w.shift, 1);
    EXPECT_EQ(w.start, Utc(2026, 3, 31, 2));
    EXPECT_EQ(w.end, Utc(2026, 10, 27, 3));
    EXPECT_FALSE(w.Contains(Utc(2026, 3, 31, 1, 59)));
    EXPECT_TRUE(w.Contains(Utc(2026, 3, 31, 2)));
    EXPECT_FALSE(w.Contains(Utc(2026, 10, 27, 3)));
    // Day 60 is 29 February in a leap year; day 0 is 31 December of the year before.
    EXPECT_EQ(GetDstWindow(Rule(L"1:60:0:61:0"), 2028).start, Utc(2028, 2, 29, 0));
    EXPECT_EQ(GetDstWindow(Rule(L"1:0:5:61:0"), 2026).start, Utc(2025, 12, 31, 5));
}

TEST_F(DstRuleTest, WindowBoundsKeepTheirHourWhenTheDevicesOwnClocksChange) {
    // Paris moves its clocks on 29 March 2026; the window still opens at 02:00 on 31 March:
    // the bounds are readings of the city's calendar, untouched by the device's zone.
    ASSERT_TRUE(device::SetDeviceZone("Europe/Paris"));
    DstWindow w = GetDstWindow(Rule(L"1:90:2:300:3"), 2026);
    EXPECT_EQ(w.start, CivilTime(2026, 3, 31, 2));
    EXPECT_EQ(w.end, CivilTime(2026, 10, 27, 3));
    // A bound in the hour the device skips or repeats keeps its place among its neighbours.
    EXPECT_LT(CivilTime(2026, 3, 29, 1, 59), GetDstWindow(Rule(L"1:88:2:0:0"), 2026).start);
    EXPECT_GE(CivilTime(2026, 3, 29, 2), GetDstWindow(Rule(L"1:88:2:0:0"), 2026).start);
}

TEST_F(DstRuleTest, SouthernWindowRunsIntoTheNextYear) {
    DstWindow w = GetDstWindow(Rule(L"1:280:2:90:3"), 2026);
    EXPECT_EQ(w.start, Utc(2026, 10, 7, 2));
    EXPECT_EQ(w.end, Utc(2027, 3, 31, 3)); // the month and day that day 90 has in 2026
    EXPECT_TRUE(w.Contains(Utc(2027, 1, 1, 0)));

    // Before this year's start the window that opened last year is the one that counts: on
    // 15 January the city is inside, after its end in April outside until October.
    DstWindow january = GetDstWindowAt(Rule(L"1:280:2:90:3"), 2026, Utc(2026, 1, 15, 12));
    EXPECT_TRUE(january.Contains(Utc(2026, 1, 15, 12)));
    EXPECT_EQ(january.start, Utc(2025, 10, 7, 2));
    EXPECT_EQ(january.end, Utc(2026, 3, 31, 3));
    DstWindow april = GetDstWindowAt(Rule(L"1:280:2:90:3"), 2026, Utc(2026, 4, 1, 0));
    EXPECT_FALSE(april.Contains(Utc(2026, 4, 1, 0)));
    EXPECT_EQ(april.start, Utc(2026, 10, 7, 2)); // the next window to open
    EXPECT_TRUE(GetDstWindowAt(Rule(L"1:280:2:90:3"), 2026, Utc(2026, 12, 1, 0)).Contains(Utc(2026, 12, 1, 0)));
    // Seen from the new year, a city still on 31 December is inside.
    EXPECT_TRUE(GetDstWindowAt(Rule(L"1:280:2:90:3"), 2027, Utc(2026, 12, 31, 20)).Contains(Utc(2026, 12, 31, 20)));
    // A northern rule is not touched by this.
    EXPECT_FALSE(GetDstWindowAt(Rule(L"1:90:2:300:3"), 2026, Utc(2026, 1, 15, 12)).Contains(Utc(2026, 1, 15, 12)));
}

TEST_F(DstRuleTest, WindowsThatAreNeverOpen) {
    // End in the start's month but before the start day.
    DstWindow w = GetDstWindow(Rule(L"1:100:2:95:3"), 2026);
    EXPECT_TRUE(w.hasDst);
    EXPECT_GT(w.start, w.end);
    EXPECT_FALSE(GetDstWindowAt(Rule(L"1:100:2:95:3"), 2026, Utc(2026, 4, 7, 0)).Contains(Utc(2026, 4, 7, 0)));
    // An empty rule (an unreadable record): every field 0, both bounds 31 December before.
    DstWindow empty = GetDstWindow(Rule(L""), 2026);
    EXPECT_EQ(empty.start, Utc(2025, 12, 31, 0));
    EXPECT_EQ(empty.start, empty.end);
    EXPECT_FALSE(empty.Contains(empty.start));
    EXPECT_FALSE(GetDstWindow(Rule(L"0"), 2026).Contains(Utc(2026, 6, 1, 0)));
}

TEST_F(DstRuleTest, InOtherYearsEachBoundKeepsItsWeekdayOfTheMonth) {
    struct Case {
        LPCWSTR rule; // day numbers of 2026
        int year;
        time_t start, end;
    };
    const Case cases[] = {
        // Last Sunday of March to last Sunday of October (29 March and 25 October 2026).
        {L"1:88:2:298:3", 2026, Utc(2026, 3, 29, 2), Utc(2026, 10, 25, 3)},
        {L"1:88:2:298:3", 2027, Utc(2027, 3, 28, 2), Utc(2027, 10, 31, 3)},
        {L"1:88:2:298:3", 2030, Utc(2030, 3, 31, 2), Utc(2030, 10, 27, 3)},
        // Second Sunday of March to first Sunday of November (8 March and 1 November 2026).
        {L"1:67:2:305:1", 2027, Utc(2027, 3, 14, 2), Utc(2027, 11, 7, 1)},
        {L"1:67:2:305:1", 2025, Utc(2025, 3, 9, 2), Utc(2025, 11, 2, 1)},
        // Last Sunday of September to first Sunday of April of the next year: the end is
        // moved in its own year (4 April 2027, not the 5th that day 95 is in 2026).
        {L"1:270:2:95:2", 2026, Utc(2026, 9, 27, 2), Utc(2027, 4, 4, 2)},
        {L"1:270:2:95:2", 2028, Utc(2028, 9, 24, 2), Utc(2029, 4, 1, 2)},
        // Hours past the day carry on from the moved day (the Saturday before the second
        // Sunday, at 24:00: 5 September 2026 is the first Saturday).
        {L"1:248:24:94:23", 2030, Utc(2030, 9, 8, 0), Utc(2031, 4, 5, 23)},
    };
    for (const Case& c : cases) {
        const DstWindow w = GetDstWindow(ParseDstRule(c.rule, 2026), c.year);
        EXPECT_EQ(w.start, c.start) << c.rule << " " << c.year;
        EXPECT_EQ(w.end, c.end) << c.rule << " " << c.year;
    }
    // Without a year the day numbers are the same dates' numbers every year.
    EXPECT_EQ(GetDstWindow(Rule(L"1:88:2:298:3"), 2027).start, Utc(2027, 3, 29, 2));
}

// The per-year windows are taken only by the shipped rule of their zones read with the list's
// year: a rule the user changed, or one of a store without a year, keeps its own reading. A file
// cut anywhere before its end marker is not used at all.
TEST_F(DstRuleTest, PerYearWindowsBelongOnlyToTheirZonesShippedRuleAndAWholeFile) {
    std::ifstream in(std::string(JORVANA_DATA_DIR) + "/dstyears.lst", std::ios::binary);
    const std::string shipped((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const dstmath::ScheduleList list = dstmath::ParseSchedules(shipped);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_GE(list[0]->lastYear, 2037);

    // Cuba's rule of 2027: its summer of 2026 goes on from 1 January to 7 November.
    const DstRuleFields havana = ParseDstRule(L"1:1:0:311:0", 2027, &list);
    ASSERT_TRUE(havana.schedule);
    // 2028: tzdata's 12 March - 5 November, where the moved weekdays give 7 January - 5 November.
    const DstWindow window = GetDstWindow(havana, 2028);
    EXPECT_EQ(window.start, CivilTime(2028, 3, 12, 0));
    EXPECT_EQ(window.end, CivilTime(2028, 11, 5, 0));
    EXPECT_EQ(GetDstWindow(ParseDstRule(L"1:1:0:311:0", 2027), 2028).start, CivilTime(2028, 1, 7, 0));
    // The year before the list's: the summer that began on 8 March 2026 is open at its end.
    EXPECT_TRUE(GetDstWindowAt(havana, CivilTime(2026, 12, 11, 15)).Contains(CivilTime(2026, 12, 11, 15)));
    EXPECT_FALSE(GetDstWindowAt(havana, CivilTime(2026, 3, 7, 23)).Contains(CivilTime(2026, 3, 7, 23)));
    for (LPCWSTR edited : {L"1:2:0:311:0", L"1:1:0:311:1", L"-1:1:0:311:0", L"1:67:0:305:0"})
        EXPECT_FALSE(ParseDstRule(edited, 2027, &list).schedule) << edited;
    EXPECT_FALSE(ParseDstRule(L"1:1:0:311:0", 0, &list).schedule);

    for (size_t cut = 0; cut + 1 < shipped.size(); cut += 7)
        EXPECT_TRUE(dstmath::ParseSchedules(shipped.substr(0, cut)).empty()) << cut;
}

TEST_F(DstRuleTest, ShiftsOnBothOffsetForms) {
    EXPECT_EQ(AddDstShift(5, 1), 6);
    EXPECT_EQ(AddDstShift(530, 1), 630);
    EXPECT_EQ(AddDstShift(-330, 1), -230);
}

} // namespace
