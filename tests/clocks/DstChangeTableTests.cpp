// The clocks at every clock change of the shipped cities: each city with a daylight-saving rule
// as the home city, on a device in its own zone, a minute before and after each change and half
// an hour before the end of its summer time; four city clocks must read what tzdata says
// (DstChangeTable.txt, made by scripts/data/gen_dst_table.py).

#include "ClocksPageSupport.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace {

using namespace clockstest;

struct TableRow {
    std::wstring home;
    std::string zone;
    std::string instant;
    std::string texts[4]; // "HH:MM:SS DD/MM"
};

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }
std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::vector<std::string> Split(const std::string& line, char sep) {
    std::vector<std::string> parts;
    std::stringstream in(line);
    std::string part;
    while (std::getline(in, part, sep)) parts.push_back(part);
    return parts;
}

std::vector<TableRow> ReadTable(std::vector<std::wstring>& clockCities) {
    std::ifstream in(std::string(JORVANA_TESTS_DIR) + "/clocks/DstChangeTable.txt");
    std::vector<TableRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("# device zone", 0) == 0) {
            // "...time and date of A:a, B:b, C:c, D:d."
            std::string list = line.substr(line.find(" of ") + 4);
            list.pop_back();
            for (const std::string& city : Split(list, ','))
                clockCities.push_back(Widen(city.substr(city.find_first_not_of(' '))));
        }
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = Split(line, ';');
        if (f.size() != 7) continue;
        TableRow row{Widen(f[0]), f[1], f[2], {f[3], f[4], f[5], f[6]}};
        rows.push_back(row);
    }
    return rows;
}

class DstChangeTableTest : public ClocksPageTest {
protected:
    void SetUp() override {
        ClocksPageTest::SetUp();
        std::ifstream list(std::string(JORVANA_DATA_DIR) + "/cities.lst", std::ios::binary);
        std::stringstream text;
        text << list.rdbuf();
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.lst"), text.str());
    }
    DWORD IndexOf(CCitiesDb& cities, const std::wstring& nameCountry) {
        EXPECT_TRUE(cities.FindCity(nameCountry.c_str())) << nameCountry;
        return cities.GetCurrentIndex();
    }
};

TEST_F(DstChangeTableTest, EveryClockReadsTzdataAroundEveryChangeOfEveryHomeCity) {
    std::vector<std::wstring> clockCities;
    const std::vector<TableRow> rows = ReadTable(clockCities);
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
    for (const TableRow& row : rows) {
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

} // namespace
