// Forecast texts and the weather reply: field splitting, the record date, and the records a
// reply writes into the store, with malformed and truncated replies.

#include "WeatherTestSupport.h"

#include "weather/ForecastText.h"

#include <random>

namespace {

using weathertest::Forecast;
using weathertest::WeatherTest;
using weathertest::Wide;

TEST(ForecastFields, SixtyFieldsEachClosedByACaret) {
    auto fields = SplitForecastFields(CString(Wide(Forecast("12/25/2006")).c_str()));
    ASSERT_EQ(fields.size(), 60u);
    EXPECT_EQ(fields[0], L"d0f0");
    EXPECT_EQ(ForecastField(fields, 0, kDayDateText), L"Monday 12/25/2006");
    EXPECT_EQ(ForecastField(fields, 4, kDayVisibilityOrPrecipitation), L"d4f11");
    EXPECT_EQ(ForecastField(fields, 5, 0), L"");
    EXPECT_EQ(ForecastField(fields, 0, 12), L"");

    // A last field without its caret is not a field; missing ones read empty; extra ones are not read.
    std::string cut = Forecast("12/25/2006");
    cut.pop_back();
    auto short59 = SplitForecastFields(CString(Wide(cut).c_str()));
    EXPECT_EQ(short59[58], L"d4f10");
    EXPECT_EQ(short59[59], L"");
    auto few = SplitForecastFields(L"a^^c");
    EXPECT_EQ(few[0], L"a");
    EXPECT_EQ(few[1], L"");
    EXPECT_EQ(few[2], L"");
    EXPECT_EQ(few.size(), 60u);
    auto many = SplitForecastFields(CString(Wide(Forecast("12/25/2006") + "x^y^").c_str()));
    EXPECT_EQ(many.size(), 60u);
    EXPECT_EQ(many[59], L"d4f11");
}

TEST_F(WeatherTest, RecordDateIsTheDateTextRebuiltDayFirstEvenWhenItHoldsNoDate) {
    EXPECT_EQ(ForecastRecordDate(CString(Wide(Forecast("12/25/2006")).c_str())), L"25/12/2006");
    EXPECT_EQ(ForecastRecordDate(CString(Wide(Forecast("01/02/2007")).c_str())), L"02/01/2007");
    EXPECT_EQ(ForecastRecordDate(L"x^y^01/02/2007^"), L"02/01/2007");
    // No date, a short one, or one that is not digits: rebuilt all the same, never today's date.
    EXPECT_EQ(ForecastRecordDate(L"x^y^N/A^"), L"N/A");
    EXPECT_EQ(ForecastRecordDate(L"x^y^1/2/2007^"), L"/201/207");
    EXPECT_EQ(ForecastRecordDate(L"x^y^ab/cd/efgh^"), L"cd/ab/efgh");
    EXPECT_EQ(ForecastRecordDate(L""), L"");
    // A ":" would move the country stored after the date.
    EXPECT_EQ(ForecastRecordDate(L"x^y^Mon 10:30^"), L" 10Mon30");
}

class StoreReplyTest : public WeatherTest {
protected:
    void SetUp() override {
        WeatherTest::SetUp();
        OpenPlaces({"France;Paris;A1", "Norway;Oslo;B2", "Peru;Lima;C3"});
    }
    bool Store(const std::string& reply) { return StoreWeatherReply(m_store, CString(Wide(reply).c_str())); }
};

TEST_F(StoreReplyTest, RecordsOfKnownCodesAreWrittenWithTheirDate) {
    std::string paris = Forecast("12/25/2006");
    EXPECT_TRUE(Store("A1^" + paris + "@\r\n"));
    auto rows = Records();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], L"Lima|C3||01/01/2000:Peru");
    EXPECT_EQ(rows[1], L"Oslo|B2||01/01/2000:Norway");
    EXPECT_EQ(rows[2], L"Paris|A1|" + Wide(paris) + L"|25/12/2006:France");
    // The store is back in its normal (name) order.
    EXPECT_EQ(m_store.GetName(0), L"Lima");
}

TEST_F(StoreReplyTest, UnknownCodesAreSkippedAndTheRestStored) {
    std::string lima = Forecast("01/02/2007");
    std::string oslo = Forecast("03/04/2007");
    EXPECT_TRUE(Store("C3^" + lima + "@ZZ^" + Forecast("05/06/2007") + "@B2^" + oslo + "@"));
    auto rows = Records();
    EXPECT_EQ(rows[0], L"Lima|C3|" + Wide(lima) + L"|02/01/2007:Peru");
    EXPECT_EQ(rows[1], L"Oslo|B2|" + Wide(oslo) + L"|04/03/2007:Norway");
    EXPECT_EQ(rows[2], L"Paris|A1||01/01/2000:France");

    // A reply of unknown codes only changes nothing and is no synchronisation.
    EXPECT_FALSE(Store("QQ^" + Forecast("05/06/2007") + "@"));
    EXPECT_EQ(Records(), rows);
}

TEST_F(StoreReplyTest, EmptyRepliesAndCodesAreMatchedExactly) {
    auto before = Records();
    EXPECT_FALSE(Store(""));
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(m_store.GetName(0), L"Lima");
    EXPECT_FALSE(Store("a1^" + Forecast("05/06/2007") + "@ A1^" + Forecast("05/06/2007") + "@"));
    EXPECT_EQ(Records(), before);
}

TEST_F(StoreReplyTest, TruncatedReplyKeepsTheRecordsBeforeIt) {
    std::string lima = Forecast("01/02/2007");
    EXPECT_TRUE(Store("C3^" + lima + "@B2^" + Forecast("03/04/2007")));
    EXPECT_FALSE(Store("A1"));
    EXPECT_FALSE(Store("<html><body>Service unavailable</body></html>"));
    auto rows = Records();
    EXPECT_EQ(rows[0], L"Lima|C3|" + Wide(lima) + L"|02/01/2007:Peru");
    EXPECT_EQ(rows[1], L"Oslo|B2||01/01/2000:Norway");
    EXPECT_EQ(rows[2], L"Paris|A1||01/01/2000:France");
}

TEST_F(StoreReplyTest, RepeatedCodeKeepsTheLastAndShortForecastsKeepTheirOwnDate) {
    std::string second = Forecast("09/10/2008");
    EXPECT_TRUE(Store("B2^" + Forecast("01/02/2007") + "@B2^" + second + "@"));
    EXPECT_EQ(Records()[1], L"Oslo|B2|" + Wide(second) + L"|10/09/2008:Norway");

    // A forecast too short to hold a date never takes the date of the record after it, nor
    // today's: the place then has no current forecast.
    EXPECT_TRUE(Store("C3^x^@A1^" + Forecast("12/25/2006") + "@"));
    auto rows = Records();
    EXPECT_EQ(rows[0], L"Lima|C3|x^|:Peru");
    EXPECT_EQ(rows[2].substr(rows[2].size() - 18), L"|25/12/2006:France");
}

TEST_F(StoreReplyTest, GarbageRepliesNeverLoseTheStoredPlaces) {
    std::mt19937 random(7);
    const std::string alphabet = "^@A1B2C3x/:\r\n0";
    for (int round = 0; round < 200; ++round) {
        std::string reply;
        int length = static_cast<int>(random() % 120);
        for (int i = 0; i < length; ++i) reply += alphabet[random() % alphabet.size()];
        Store(reply);
    }
    auto rows = Records();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].substr(0, 8), L"Lima|C3|");
    EXPECT_EQ(rows[1].substr(0, 8), L"Oslo|B2|");
    EXPECT_EQ(rows[2].substr(0, 9), L"Paris|A1|");
    // Whatever the date texts held, every place keeps its country.
    EXPECT_EQ(rows[0].substr(rows[0].size() - 5), L":Peru");
    EXPECT_EQ(rows[1].substr(rows[1].size() - 7), L":Norway");
    EXPECT_EQ(rows[2].substr(rows[2].size() - 7), L":France");
}

} // namespace
