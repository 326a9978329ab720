// The city information text: its six lines, the daylight-saving state judged at the given
// instant against the city's own window, the offset texts, a missing record, and its box.

#include "WorldMapTestSupport.h"

#include "worldmap/CityInfoText.h"

namespace {

using worldmaptest::WorldMapTest;

class CityInfoTextTest : public WorldMapTest {
protected:
    void SetUp() override {
        WorldMapTest::SetUp();
        OpenCities({"London;United Kingdom;0;51;0;1;88;1;298;2", "Delhi;India;77;28;530;0;0;0;0;0",
                    "Santiago;Chile;-70;-33;-4;1;280;0;90;0"});
    }
    CityDstWindow LondonWindow() { return CityDstWindow{true, 1, Local(2009, 3, 29, 1), Local(2009, 10, 25, 2)}; }
};

TEST_F(CityInfoTextTest, ObservingCityShowsItsWindowAndShift) {
    CString text = BuildCityInfoText(m_cities, IndexOf(L"London:United Kingdom"), LondonWindow(), Local(2009, 6, 21, 14));
    EXPECT_EQ(text, L"City: London\n"
                    L"Country: United Kingdom\n"
                    L"Long: 0 Lat: 51\n"
                    L"Daylight saving: Observing now\n"
                    L"DST start/end: 29/3/2009 - 25/10/2009\n"
                    L"Gmt: 0h + 1h (DST)");

    // The window's end is already outside it.
    CString after = BuildCityInfoText(m_cities, IndexOf(L"London:United Kingdom"), LondonWindow(), Local(2009, 10, 25, 2));
    EXPECT_NE(after.Find(L"Daylight saving: Not observing now\n"), -1) << after.Str();
    EXPECT_NE(after.Find(L"DST start/end: 29/3/2009 - 25/10/2009\n"), -1) << after.Str();
    EXPECT_EQ(after.Right(7), L"Gmt: 0h");
}

TEST_F(CityInfoTextTest, CityWithoutDaylightSavingNeverObserves) {
    CString text = BuildCityInfoText(m_cities, IndexOf(L"Delhi:India"), CityDstWindow{}, Local(2009, 6, 21, 14));
    EXPECT_EQ(text, L"City: Delhi\nCountry: India\nLong: 77 Lat: 28\nDaylight saving: Never observing\n"
                    L"DST start/end: -\nGmt: 5h30");
    // A rule that is just "0" reads the same way, whatever window the caller holds.
    m_cities.AddCity(L"Honolulu:USA", L"-158:21", L"0", L"-10");
    CString plain = BuildCityInfoText(m_cities, IndexOf(L"Honolulu:USA"), LondonWindow(), Local(2009, 6, 21, 14));
    EXPECT_NE(plain.Find(L"Never observing\nDST start/end: -\nGmt: -10h"), -1) << plain.Str();
}

TEST_F(CityInfoTextTest, WindowAcrossTheNewYearIsOutsideInEarlyJanuary) {
    CityDstWindow southern{true, 1, Local(2009, 10, 7, 0), Local(2010, 3, 31, 0)};
    DWORD santiago = IndexOf(L"Santiago:Chile");
    CString january = BuildCityInfoText(m_cities, santiago, southern, Local(2009, 1, 10, 12));
    EXPECT_NE(january.Find(L"Not observing now\nDST start/end: 7/10/2009 - 31/3/2010\nGmt: -4h"), -1) << january.Str();
    CString december = BuildCityInfoText(m_cities, santiago, southern, Local(2009, 12, 10, 12));
    EXPECT_NE(december.Find(L"Observing now\nDST start/end: 7/10/2009 - 31/3/2010\nGmt: -4h + 1h (DST)"), -1)
        << december.Str();
}

TEST(CityInfoOffsets, HoursAndMinutesOfTheStoredText) {
    EXPECT_EQ(FormatOffsetText(L"-12"), L"-12h");
    EXPECT_EQ(FormatOffsetText(L"12"), L"12h");
    EXPECT_EQ(FormatOffsetText(L"100"), L"100h");
    EXPECT_EQ(FormatOffsetText(L"545"), L"5h45");
    EXPECT_EQ(FormatOffsetText(L"-930"), L"-9h30");
    EXPECT_EQ(FormatOffsetText(L""), L"h");
}

TEST_F(CityInfoTextTest, MissingCityGivesEmptyTextsAndTheBoxShowsIt) {
    CityDstWindow empty{false, 0, Local(2008, 12, 31, 0), Local(2008, 12, 31, 0)};
    CString text = BuildCityInfoText(m_cities, 500, empty, Local(2009, 6, 21, 14));
    EXPECT_EQ(text, L"City: \nCountry: \nLong:  Lat: \nDaylight saving: Not observing now\n"
                    L"DST start/end: 31/12/2008 - 31/12/2008\nGmt: h");

    device::ui::ScriptMessageBoxAnswers({IDOK});
    ShowCityInfoText(nullptr, text);
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text.Str());
    EXPECT_EQ(boxes[0].caption, L"City information");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

} // namespace
