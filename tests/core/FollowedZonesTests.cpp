// Cities that follow the machine's tzdata: which rows of the store follow, the windows a zone
// gives a city (each with its own shift, over the years it keeps whole hours from the city), and
// the machine's tzdata missing, damaged or naming its zones otherwise. Made-up releases only.

#include "CoreTestSupport.h"

#include "core/CitiesDb.h"
#include "core/FollowedZones.h"
#include "platform/system/DeviceClock.h"
#include "support/TzdataFixture.h"

#include <filesystem>
#include <fstream>

namespace {

using namespace dstmath;
using testsupport::CompileZones;
using testsupport::ScopedTzdir;

class FollowedZonesTest : public coretest::CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        device::SetDeviceClock("2026-07-01T12:00:00Z");
    }
    void TearDown() override {
        device::SetDeviceClock("");
        CoreTest::TearDown();
    }
    // Whether the store's city at index reads its zone (as the clocks attach it).
    static bool Follows(CCitiesDb& db, DWORD index) {
        return FollowedSchedule(db.GetFollowList(), db.GetNameCountry(index).Str(), db.GetUtcOffset(index).Str(),
                                db.GetDstRule(index).Str()) != nullptr;
    }
};

TEST_F(FollowedZonesTest, TheCitiesStillAsTheirReleasedListGivesThemFollowAndNoOthers) {
    auto zones = CompileZones(testsupport::kFirstRelease);
    ASSERT_TRUE(zones);
    ScopedTzdir tzdir(zones->Path());
    // Lines ending in CR LF, as the store keeps them, and a city listed twice (the first counts).
    coretest::WriteFile(coretest::InProgramFolder(L"cities.lst"),
                        "List;year 2026;tzdata 2026x\r\n5\r\n"
                        "Test/Dropping;Dropville;Testland;2;48;1;1;88;2;298;2\r\n"
                        "Test/Gaining;Gainville;Testland;-123;49;-8;0;0;0;0;0\r\n"
                        "Test/Hour;Dropville;Testland;2;48;1;1;90;2;300;2\r\n"
                        "Test/Hour;Hourville;Testland;28;47;2;1;88;2;298;3\r\n"
                        "Test/Nowhere;Lostville;Testland;0;0;0;0;0;0;0;0\r\n");
    CCitiesDb db;
    db.Open();
    ASSERT_EQ(db.GetRecordCount(), 4);
    EXPECT_TRUE(Follows(db, 0));  // Dropville
    EXPECT_TRUE(Follows(db, 1));  // Gainville
    EXPECT_TRUE(Follows(db, 2));  // Hourville
    EXPECT_FALSE(Follows(db, 3)); // Lostville: the machine has no such zone

    // A city the user changed, even by its offset's spelling, reads its own rule.
    ASSERT_TRUE(db.DeleteAt(0));
    ASSERT_TRUE(db.AddCity(L"Dropville:Testland", L"2:48", L"1:100:2:290:2\r", L"1"));
    ASSERT_TRUE(db.DeleteAt(1));
    ASSERT_TRUE(db.AddCity(L"Gainville:Testland", L"-123:49", L"0:0:0:0:0\r", L"-08"));
    EXPECT_FALSE(Follows(db, 0));
    EXPECT_FALSE(Follows(db, 1));
    EXPECT_TRUE(Follows(db, 2));

    // A list that names no release: nothing follows; the list is read again once it changed.
    coretest::WriteFile(coretest::InProgramFolder(L"cities.lst"),
                        "List;year 2026;tzdata \n1\nTest/Hour;Hourville;Testland;28;47;2;1;88;2;298;3\n");
    CCitiesDb reopened;
    reopened.Open();
    EXPECT_EQ(reopened.GetFollowList(), nullptr);
}

TEST_F(FollowedZonesTest, AZonesWindowsCarryTheirOwnShiftsOverTheYearsItKeepsWholeHours) {
    // A summer of two hours within summer time in 2021, a half-hour offset in 2030, local mean
    // time before 1900, and a zone that keeps its summer time for good.
    auto zones = CompileZones(R"(Rule	Dbl	2020	max	-	Mar	lastSun	1:00u	1:00	S
Rule	Dbl	2020	max	-	Oct	lastSun	1:00u	0	-
Rule	Dbl	2021	only	-	May	2	1:00u	2:00	M
Rule	Dbl	2021	only	-	Aug	1	1:00u	1:00	S
Zone	Test/Double	0:14:45	-	LMT	1900
			1:00	Dbl	CE%sT	2030
			1:30	-	XT	2031
			1:00	-	CET
Zone	Test/Forever	-8:00	-	PST	2026 Mar 8 2:00
			-7:00	-	MST
)");
    ASSERT_TRUE(zones);
    const auto zone = device::TzZone::LoadFile(zones->Path() / "Test/Double", nullptr);
    ASSERT_TRUE(zone);
    Rule rule;
    rule.schedule = ScheduleOfZone(*zone, 60, 2026);
    ASSERT_TRUE(rule.schedule);
    EXPECT_EQ(rule.schedule->firstYear, 1901); // local mean time until 00:45 of 1900 (standard time)
    EXPECT_EQ(rule.schedule->lastYear, 2029);
    EXPECT_EQ(ScheduleOfZone(*zone, 60, 2030), nullptr); // the year itself is not whole hours

    // Every three hours of the covered years the city's clock shows the zone's offset.
    int wrong = 0;
    for (long long utc = Civil(2019, 1, 1, 0); utc < Civil(2030, 1, 1, 0) - 3600; utc += 3 * 3600)
        wrong += MinutesAt(rule, 60, utc + 3600) * 60 != zone->TypeAt(utc).utcOffset;
    EXPECT_EQ(wrong, 0);

    const Window two = WindowAt(rule, Civil(2021, 6, 1, 12));
    EXPECT_EQ(two.shift, 2);
    EXPECT_EQ(two.start, Civil(2021, 5, 2, 2));
    EXPECT_EQ(two.end, Civil(2021, 8, 1, 2));
    // On 2 May the clocks jump from 03:00 to 04:00: 03:30 is read with the shift from before.
    EXPECT_EQ(WallToStandard(rule, Civil(2021, 5, 2, 3, 30)), Civil(2021, 5, 2, 2, 30));
    // On 1 August they go back from 04:00 to 03:00: 03:30 comes twice, an hour apart.
    EXPECT_EQ(WallToStandard(rule, Civil(2021, 8, 1, 3, 30)), Civil(2021, 8, 1, 1, 30));
    EXPECT_EQ(WallToStandardLater(rule, Civil(2021, 8, 1, 3, 30)), Civil(2021, 8, 1, 2, 30));
    // The device's clock at 12:00 on 1 June shows the city's wall time: two hours of summer.
    const ClockState june = WallState(rule, 60, Civil(2021, 6, 1, 12), Civil(2021, 6, 1, 9));
    EXPECT_TRUE(june.inside);
    EXPECT_EQ(june.shift, 2);

    // After the half-hour year the city's own rule reads again.
    rule = Rule{true, 1, 88, 2, 298, 2, 2026, rule.schedule};
    EXPECT_TRUE(InsideAt(rule, Civil(2033, 7, 1, 0)));

    const auto forever = device::TzZone::LoadFile(zones->Path() / "Test/Forever", nullptr);
    ASSERT_TRUE(forever);
    const Rule mountain{false, 0, 0, 0, 0, 0, 0, ScheduleOfZone(*forever, -480, 2026)};
    const Window open = WindowAt(mountain, Civil(2090, 1, 1, 0));
    EXPECT_EQ(open.start, Civil(2026, 3, 8, 2));
    EXPECT_TRUE(EndsNever(open));
    EXPECT_FALSE(EndsNever(two));
}

TEST_F(FollowedZonesTest, AZoneTheMachineCannotGiveLeavesTheListedRuleAndLinkNamesFindTheirZone) {
    // tzdata.zi writes its links "L TARGET NAME", as zic reads them too.
    const std::string hour = "Zone	Test/Hour	2:00	-	EET\nL Test/Hour Test/Old_Hour\n";
    auto usable = [](const std::filesystem::path& folder, const std::string& name) {
        ScopedTzdir tzdir(folder);
        return FollowedZoneSchedule(name, 120) != nullptr;
    };
    auto whole = CompileZones(hour);
    ASSERT_TRUE(whole);
    EXPECT_TRUE(usable(whole->Path(), "Test/Hour"));
    EXPECT_FALSE(usable(whole->Path(), "Test/None"));
    testsupport::TempFolder empty("jorvana-zones-");
    EXPECT_FALSE(usable(empty.Path(), "Test/Hour"));
    EXPECT_FALSE(usable(empty.Path() / "missing", "Test/Hour"));

    // A file cut short, one that is no zone file at all, the list's old name on a machine that
    // has only the new one, and the reverse.
    std::unique_ptr<testsupport::TempFolder> cases[4];
    for (auto& folder : cases) ASSERT_TRUE(folder = CompileZones(hour));
    const auto file = cases[0]->Path() / "Test/Hour";
    std::filesystem::resize_file(file, std::filesystem::file_size(file) - 20);
    std::ofstream(cases[1]->Path() / "Test/Hour", std::ios::binary | std::ios::trunc) << "TZif2 but nothing more";
    std::filesystem::remove(cases[2]->Path() / "Test/Old_Hour");
    std::filesystem::remove(cases[3]->Path() / "Test/Old_Hour");
    std::filesystem::rename(cases[3]->Path() / "Test/Hour", cases[3]->Path() / "Test/Old_Hour");
    EXPECT_FALSE(usable(cases[0]->Path(), "Test/Hour"));
    EXPECT_FALSE(usable(cases[1]->Path(), "Test/Hour"));
    EXPECT_TRUE(usable(cases[2]->Path(), "Test/Old_Hour"));
    EXPECT_TRUE(usable(cases[3]->Path(), "Test/Hour"));

    // A release whose tzdata.zi names no version is read all the same, and far ahead too.
    const std::string release = testsupport::kFirstRelease;
    auto unnamed = CompileZones(release.substr(release.find('\n') + 1));
    ASSERT_TRUE(unnamed);
    for (const char* clock : {"2037-07-01T12:00:00Z", "2100-07-01T12:00:00Z"}) {
        device::SetDeviceClock(clock);
        ScopedTzdir tzdir(unnamed->Path());
        const Rule rule{false, 0, 0, 0, 0, 0, 0, FollowedZoneSchedule("Test/Dropping", 60)};
        ASSERT_TRUE(rule.schedule) << clock;
        EXPECT_EQ(MinutesAt(rule, 60, static_cast<long long>(device::DeviceTimeNow()) + 3600), 120) << clock;
    }
}

} // namespace
