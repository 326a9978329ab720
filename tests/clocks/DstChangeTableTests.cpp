// The clocks at every clock change of the shipped cities, in the list's year and the four years
// after it: each city with a daylight-saving rule as the home city, on a device in its own zone,
// a minute before and after each change and half an hour before the end of its summer time;
// four city clocks must read what tzdata says (DstChangeTable.txt, made by
// scripts/data/gen_dst_table.py).

#include "ClocksPageSupport.h"
#include "support/DstChangeTable.h"

#include <ctime>
#include <memory>

namespace {

using namespace clockstest;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

class DstChangeTableTest : public ClocksPageTest {
protected:
    void SetUp() override {
        ClocksPageTest::SetUp();
        testsupport::CopyToDevice(std::string(JORVANA_DATA_DIR) + "/cities.lst", testsupport::InProgramFolder(L"cities.lst"));
        testsupport::CopyToDevice(std::string(JORVANA_DATA_DIR) + "/dstyears.lst",
                                  testsupport::InProgramFolder(L"dstyears.lst"));
    }
    DWORD IndexOf(CCitiesDb& cities, const std::wstring& nameCountry) {
        EXPECT_TRUE(cities.FindCity(nameCountry.c_str())) << nameCountry;
        return cities.GetCurrentIndex();
    }
};

TEST_F(DstChangeTableTest, EveryClockReadsTzdataAroundEveryChangeOfEveryHomeCity) {
    const testsupport::DstTable table = testsupport::ReadDstTable(std::string(JORVANA_TESTS_DIR) + "/clocks/DstChangeTable.txt");
    const std::vector<std::wstring>& clockCities = table.clockCities;
    const std::vector<testsupport::DstTableRow>& rows = table.rows;
    ASSERT_GT(rows.size(), 1000u);
    ASSERT_EQ(clockCities.size(), 4u);

    WriteStandardClocks(0);
    CWorldClocksDlg& page = CreatePage();
    DWORD clocks[4];
    for (int i = 0; i < 4; ++i) clocks[i] = IndexOf(page.m_cities, clockCities[i]);

    std::string zone;
    std::wstring home;
    time_t previous = 0;
    int failures = 0;
    for (const testsupport::DstTableRow& row : rows) {
        device::SetDeviceClock(row.instant);
        const time_t now = static_cast<time_t>(device::DeviceTimeNow());
        // A new home city (or a jump of more than an hour) starts afresh, as the page does when
        // it starts; otherwise the page only ticks, and must notice the change by itself.
        if (row.zone != zone || row.home != home || now < previous || now - previous > 3600) {
            if (row.zone != zone) {
                ASSERT_TRUE(device::SetDeviceZone(row.zone)) << row.zone;
            }
            zone = row.zone;
            home = row.home;
            const DWORD homeIndex = IndexOf(page.m_cities, home);
            page.LoadClockZones(homeIndex, clocks[0], clocks[1], clocks[2], clocks[3]);
            page.ComputeHomeZone(page.m_refHours, page.m_refMinutes);
            page.LoadClockZones(homeIndex, clocks[0], clocks[1], clocks[2], clocks[3]);
        }
        previous = now;
        page.SendMessage(WM_TIMER, 0, 0);
        for (int i = 0; i < 4; ++i) {
            const std::string shown =
                Narrow(page.m_timeText[i + 1].Str()) + " " + Narrow(page.m_dateText[i + 1].Left(5).Str());
            if (shown != row.texts[i] && ++failures <= 20)
                ADD_FAILURE() << "home " << Narrow(home) << " at " << row.instant << ": " << Narrow(clockCities[i])
                              << " shows " << shown << ", tzdata " << row.texts[i];
        }
    }
    EXPECT_EQ(failures, 0);
}

// The same instants with each home city of the table as clock 1 on a device in UTC whose clock is
// the reference: the city's own clock must read tzdata's time in its zone.
TEST_F(DstChangeTableTest, EveryCityOfTheTableAsACityClockReadsTzdataAroundItsChanges) {
    const testsupport::DstTable table =
        testsupport::ReadDstTable(std::string(JORVANA_TESTS_DIR) + "/clocks/DstChangeTable.txt");
    ASSERT_GT(table.rows.size(), 1000u);
    WriteStandardClocks(1);
    CWorldClocksDlg& page = CreatePage();
    const DWORD london = IndexOf(page.m_cities, L"London:United Kingdom");
    std::wstring city;
    std::shared_ptr<const device::TzZone> zone;
    time_t previous = 0;
    int failures = 0;
    for (const testsupport::DstTableRow& row : table.rows) {
        device::SetDeviceClock(row.instant);
        const time_t now = static_cast<time_t>(device::DeviceTimeNow());
        if (row.home != city || now < previous || now - previous > 3600) {
            if (row.home != city) {
                std::string error;
                zone = device::LoadZoneNamed(row.zone, &error);
                ASSERT_TRUE(zone) << row.zone << ": " << error;
            }
            city = row.home;
            const DWORD index = IndexOf(page.m_cities, city);
            page.ComputeHomeZone(page.m_refHours, page.m_refMinutes);
            page.LoadClockZones(london, index, index, index, index);
        }
        previous = now;
        page.SendMessage(WM_TIMER, 0, 0);
        struct tm local {};
        ASSERT_TRUE(device::LocalFromUtc(*zone, now, &local));
        char expected[32];
        std::strftime(expected, sizeof(expected), "%H:%M:%S %d/%m", &local);
        const std::string shown =
            Narrow(page.m_timeText[1].Str()) + " " + Narrow(page.m_dateText[1].Left(5).Str());
        if (shown != expected && ++failures <= 20)
            ADD_FAILURE() << Narrow(city) << " at " << row.instant << " shows " << shown << ", tzdata "
                          << expected;
    }
    EXPECT_EQ(failures, 0);
}

} // namespace
