// Forecast texts and the weather reply: field splitting, the record date, and the records a
// reply writes into the store, with malformed and truncated replies.

#include "WeatherTestSupport.h"

#include "weather/ForecastText.h"

#include <random>

namespace {

using weathertest::Forecast;
using weathertest::NumericForecast;
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
    bool Store(const std::string& reply, std::vector<CString>* rejected = nullptr) {
        return StoreWeatherReply(m_store, CString(Wide(reply)), rejected);
    }
};

// Forecasts of the device's day (21 June 2009) and the days around it.
std::string Near(const std::string& date, int high = 20) { return NumericForecast(date, high, high - 8); }

TEST_F(StoreReplyTest, RecordsOfKnownCodesAreWrittenWithTheirDate) {
    std::string paris = Near("06/21/2009");
    EXPECT_TRUE(Store("A1^" + paris + "@\r\n"));
    auto rows = Records();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], L"Lima|C3||01/01/2000:Peru");
    EXPECT_EQ(rows[1], L"Oslo|B2||01/01/2000:Norway");
    EXPECT_EQ(rows[2], L"Paris|A1|" + Wide(paris) + L"|21/06/2009:France");
    // The store is back in its normal (name) order.
    EXPECT_EQ(m_store.GetName(0), L"Lima");
}

TEST_F(StoreReplyTest, UnknownCodesAreSkippedAndTheRestStored) {
    std::string lima = Near("06/20/2009");
    std::string oslo = Near("06/22/2009");
    EXPECT_TRUE(Store("C3^" + lima + "@ZZ^" + Near("06/21/2009") + "@B2^" + oslo + "@"));
    auto rows = Records();
    EXPECT_EQ(rows[0], L"Lima|C3|" + Wide(lima) + L"|20/06/2009:Peru");
    EXPECT_EQ(rows[1], L"Oslo|B2|" + Wide(oslo) + L"|22/06/2009:Norway");
    EXPECT_EQ(rows[2], L"Paris|A1||01/01/2000:France");

    // A reply of unknown codes only changes nothing and is no synchronisation.
    EXPECT_FALSE(Store("QQ^" + Near("06/21/2009") + "@"));
    EXPECT_EQ(Records(), rows);
}

TEST_F(StoreReplyTest, EmptyRepliesAndCodesAreMatchedExactly) {
    auto before = Records();
    EXPECT_FALSE(Store(""));
    EXPECT_EQ(Records(), before);
    EXPECT_EQ(m_store.GetName(0), L"Lima");
    EXPECT_FALSE(Store("a1^" + Near("06/21/2009") + "@ A1^" + Near("06/21/2009") + "@"));
    EXPECT_EQ(Records(), before);
}

TEST_F(StoreReplyTest, TruncatedReplyKeepsTheRecordsBeforeIt) {
    std::string lima = Near("06/20/2009");
    EXPECT_TRUE(Store("C3^" + lima + "@B2^" + Near("06/22/2009")));
    EXPECT_FALSE(Store("A1"));
    EXPECT_FALSE(Store("<html><body>Service unavailable</body></html>"));
    auto rows = Records();
    EXPECT_EQ(rows[0], L"Lima|C3|" + Wide(lima) + L"|20/06/2009:Peru");
    EXPECT_EQ(rows[1], L"Oslo|B2||01/01/2000:Norway");
    EXPECT_EQ(rows[2], L"Paris|A1||01/01/2000:France");
}

TEST_F(StoreReplyTest, RepeatedCodeKeepsTheLastAndShortForecastsAreRefused) {
    std::string second = Near("06/23/2009");
    EXPECT_TRUE(Store("B2^" + Near("06/20/2009") + "@B2^" + second + "@"));
    EXPECT_EQ(Records()[1], L"Oslo|B2|" + Wide(second) + L"|23/06/2009:Norway");
    // A later record that is not valid does not undo the valid one before it.
    EXPECT_TRUE(Store("B2^" + Near("06/21/2009") + "@B2^^@"));
    EXPECT_EQ(Records()[1], L"Oslo|B2|" + Wide(Near("06/21/2009")) + L"|21/06/2009:Norway");

    // A forecast too short to hold a date is refused; the record after it is stored.
    std::vector<CString> rejected;
    EXPECT_TRUE(Store("C3^x^@A1^" + Near("06/21/2009") + "@", &rejected));
    auto rows = Records();
    EXPECT_EQ(rows[0], L"Lima|C3||01/01/2000:Peru");
    EXPECT_EQ(rows[2].substr(rows[2].size() - 18), L"|21/06/2009:France");
    EXPECT_EQ(rejected, std::vector<CString>{L"Lima"});
}

// Records judged by what they mean: real data is stored as it came (unusual weather, values left
// out or marked as missing, short forecasts, dates far from the device's), nonsense is refused
// and the place keeps its forecast; a reply of refused records alone is no synchronisation.
TEST_F(StoreReplyTest, RealDataIsStoredAndNonsenseRefused) {
    const std::string good = Near("06/21/2009");
    // The good forecast with some fields (day, field, value) replaced.
    struct Change {
        int day, field;
        std::string value;
    };
    auto changed = [&](std::initializer_list<Change> changes) {
        std::string text;
        size_t at = 0;
        for (int i = 0; i < 60; ++i) {
            size_t caret = good.find('^', at);
            std::string field = good.substr(at, caret - at);
            for (const Change& c : changes)
                if (i == c.day * 12 + c.field) field = c.value;
            text += field + "^";
            at = caret + 1;
        }
        return text;
    };
    auto with = [&](int day, int field, const std::string& value) { return changed({{day, field, value}}); };
    const struct {
        const char* name;
        std::string forecast;
        bool stored;
        std::string kept = ""; // what the store holds, when not the forecast as it came
    } cases[] = {
        {"feels like 65 (Gulf summer)", with(0, 6, "65"), true},
        {"feels like 38/65", with(1, 6, "38/65"), true},
        {"high 61", with(2, 5, "61"), true},
        {"the limits",
         changed({{0, 4, "-95"},
                  {0, 5, "70"},
                  {0, 6, "-110/100"},
                  {0, 9, "0"},
                  {0, 10, "800"},
                  {1, 10, "0"},
                  {0, 11, "0"}}),
         true},
        {"the other limits",
         changed({{1, 4, "70"}, {0, 9, "500"}, {0, 10, "1100"}, {0, 11, "500"}, {1, 11, "100"}}), true},
        {"empty low", with(3, 4, ""), true},
        {"empty wind speed", with(0, 9, ""), true},
        {"wind speed -", with(4, 9, "-"), true},
        {"empty code", with(0, 0, ""), true},
        {"N/A code", with(0, 0, "N/A"), true},
        {"temperature -", with(2, 4, "-"), true},
        {"feels like -3/-12", with(1, 6, "-3/-12"), true},
        {"pressure N/A", with(0, 10, "N/A"), true},
        {"blanks around a value", with(1, 5, " 25 "), true, with(1, 5, "25")},
        {"blanks in a pair", with(1, 6, " 38 /  30 "), true, with(1, 6, "38/30")},
        {"high +20", with(0, 5, "+20"), true},
        {"signed and padded", changed({{0, 5, " +20"}, {0, 9, "+12 "}}), true,
         changed({{0, 5, "+20"}, {0, 9, "+12"}})},
        {"feels like 65/-", with(0, 6, "65/-"), true},
        {"feels like -/12 and N/A/-3", changed({{1, 6, "-/12"}, {2, 6, "N/A/-3"}}), true},
        {"empty wind direction", with(0, 7, ""), true},
        {"high + 20", with(0, 5, "+ 20"), false},
        {"high +-20", with(0, 5, "+-20"), false},
        {"feels like 65/", with(0, 6, "65/"), false},
        {"feels like 65/x", with(0, 6, "65/x"), false},
        {"59 fields", good.substr(0, good.size() - 3), true},
        {"59 fields and an unclosed one", good.substr(0, good.size() - 1), true},
        {"day 0 only", good.substr(0, good.find("^", good.find("Day ")) + 1), true},
        {"a year old", Near("06/21/2008"), true},
        {"a week ahead", Near("06/28/2009"), true},
        {"only separators", std::string(60, '^'), false},
        {"no date", "W01^Sunny^", false},
        {"date 99/99/9999", with(0, 2, "Day 99/99/9999"), false},
        {"30 February", with(0, 2, "Day 02/30/2009"), false},
        {"day 1 not the next day", with(1, 2, "Day 06/21/2009"), false},
        {"cut at a NUL byte", with(0, 1, std::string("Sun\0ny", 6)), false},
        {"control byte", with(2, 7, "N\x1b"), false},
        {"high 71", with(0, 5, "71"), false},
        {"low -96", with(1, 4, "-96"), false},
        {"high 999", with(0, 5, "999"), false},
        {"low nan", with(3, 4, "nan"), false},
        {"feels like 101", with(0, 6, "101"), false},
        {"feels like 38/101", with(0, 6, "38/101"), false},
        {"feels like 1e9", with(1, 6, "1e9/2"), false},
        {"humidity 150", with(2, 10, "150"), false},
        {"pressure 5", with(0, 10, "5"), false},
        {"pressure 1101", with(0, 10, "1101"), false},
        {"wind -5", with(4, 9, "-5"), false},
        {"wind 501", with(4, 9, "501"), false},
        {"code of signs", with(0, 0, "<b>"), false},
        {"61 fields", good + "x^", false},
        {"text after the last field", good + "x", false},
        {"field of 81 characters", with(0, 1, std::string(81, 'a')), false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Store("A1^" + good + "@"));
        const auto before = Records();
        std::vector<CString> rejected;
        EXPECT_EQ(Store("A1^" + c.forecast + "@", &rejected), c.stored) << c.name;
        const auto after = Records();
        if (c.stored) {
            EXPECT_TRUE(rejected.empty()) << c.name;
            const std::string& kept = c.kept.empty() ? c.forecast : c.kept;
            EXPECT_EQ(after[2], L"Paris|A1|" + Wide(kept) + L"|" +
                                    ForecastRecordDate(Wide(c.forecast).c_str()).Str() + L":France")
                << c.name;
        } else {
            EXPECT_EQ(rejected, std::vector<CString>{L"Paris"}) << c.name;
            EXPECT_EQ(after, before) << c.name;
        }
    }
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
