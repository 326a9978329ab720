// The stand-in feed server: its data files, its forecasts, and its replies on the wire as the
// program's client reads them.
#include "platform/base/CodePage.h"
#include "platform/framework/Internet.h"
#include "platform/programs/feed-server/FeedServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace feedserver;

const std::string kFeedDir = JORVANA_DATA_DIR "/feed";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::vector<std::string> Fields(const std::string& forecast) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t pos; fields.size() < 60 && (pos = forecast.find('^', start)) != std::string::npos;
         start = pos + 1)
        fields.push_back(forecast.substr(start, pos - start));
    return fields;
}

// A weather reply split the way the program reads it: code up to "^", forecast up to "@".
std::vector<std::pair<std::string, std::string>> WeatherRecords(std::string reply) {
    std::vector<std::pair<std::string, std::string>> records;
    for (;;) {
        size_t caret = reply.find('^');
        if (caret == std::string::npos) break;
        std::string code = reply.substr(0, caret);
        reply.erase(0, caret + 1);
        size_t at = reply.find('@');
        if (at == std::string::npos) break;
        records.emplace_back(code, reply.substr(0, at));
        reply.erase(0, at + 1);
    }
    return records;
}

Place TestPlace(const std::string& code, double lat, double mean, double swing, double range, double wet) {
    return {code, "Test", "Testland", lat, 0, mean, swing, range, wet};
}

const std::set<std::string> kConditions = {"W01", "W02", "W03", "W04", "W05", "W06", "W07", "W08",
                                           "W09", "W10", "W11", "W12", "W13", "W14", "W15", "W16"};

TEST(FeedData, ParsesTheFilesAndNamesTheBadLine) {
    std::string error;
    auto rates = ParseRates("# note\r\ndate 2025-07-15\r\nEUR_1.1\r\nUSD_1\r\n", error);
    ASSERT_TRUE(rates) << error;
    EXPECT_EQ(rates->date, "2025-07-15");
    EXPECT_EQ(RatesReply(*rates), "EUR_1.1#USD_1#");

    EXPECT_FALSE(ParseRates("date 2025-07-15\r\nEUR1.1\r\n", error));
    EXPECT_EQ(error, "rates: line 2 is not CODE_rate");
    EXPECT_FALSE(ParseRates("date 2025-7-15\r\nEUR_1\r\n", error));
    EXPECT_EQ(error, "rates: line 1: the date is not YYYY-MM-DD");
    EXPECT_FALSE(ParseRates("EUR_1\r\n", error));

    auto places =
        ParsePlaces("# head\r\nGB0001;London;United Kingdom;51.50;-0.12;9.7;17.5;11.1;0.35\r\n", error);
    ASSERT_TRUE(places) << error;
    EXPECT_DOUBLE_EQ(places->at("GB0001").swingC, 17.5);
    EXPECT_FALSE(ParsePlaces("# head\nGB0001;London;UK;51.5;x;9.7;17.5;11.1;0.35\n", error));
    EXPECT_EQ(error, "places: line 2 is not code;name;country;lat;lon;mean;swing;range;wet");
    EXPECT_FALSE(ParsePlaces("A^1;London;UK;51.5;0;9.7;17.5;11.1;0.35\n", error));

    EXPECT_FALSE(LoadFeedData("/nonexistent-folder", error));
    EXPECT_EQ(error, "cannot read /nonexistent-folder/places.txt");
}

TEST(FeedData, ShippedDataCoversEveryWeatherCityAndCurrency) {
    std::string error;
    auto data = LoadFeedData(kFeedDir, error);
    ASSERT_TRUE(data) << error;

    std::istringstream wet(ReadText(JORVANA_DATA_DIR "/cities.wet"));
    std::string line;
    std::getline(wet, line); // count
    int cities = 0;
    while (std::getline(wet, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::string code = line.substr(line.rfind(';') + 1);
        EXPECT_TRUE(data->places.count(code)) << code;
        ++cities;
    }
    EXPECT_GT(cities, 300);

    std::string reply = RatesReply(data->rates);
    EXPECT_EQ(reply.rfind("AED_0.272294#AFN_0.0143885#ALL_0.0118343#", 0), 0u);
    std::istringstream currs(ReadText(JORVANA_DATA_DIR "/currs.lst"));
    std::getline(currs, line);
    std::getline(currs, line);
    std::istringstream entries(line);
    std::string entry;
    int currencies = 0;
    while (std::getline(entries, entry, '#')) {
        if (entry.size() < 3 || entry.find('_') == std::string::npos) continue;
        std::string code = entry.substr(0, entry.find('_'));
        std::string rate = entry.substr(entry.rfind('_') + 1);
        EXPECT_NE(reply.find(code + "_" + rate + "#"), std::string::npos) << code;
        ++currencies;
    }
    EXPECT_EQ(currencies, 155);
}

TEST(FeedForecast, SixtyFieldsInFiveDatedDays) {
    Place place = TestPlace("TS0001", 48, 11, 18, 9, 0.35);
    std::string text = ForecastText(place, {2026, 12, 30});
    EXPECT_EQ(text.back(), '^');
    EXPECT_EQ(text.find('@'), std::string::npos);
    auto f = Fields(text);
    ASSERT_EQ(f.size(), 60u);
    EXPECT_EQ(text, [&] {
        std::string joined;
        for (auto& x : f)
            joined += x + "^";
        return joined;
    }());
    const char* dates[] = {"Wed 12/30/2026", "Thu 12/31/2026", "Fri 01/01/2027", "Sat 01/02/2027",
                           "Sun 01/03/2027"};
    for (int k = 0; k < 5; ++k) {
        const std::string* day = &f[12 * k];
        EXPECT_EQ(day[2], dates[k]);
        EXPECT_EQ(day[3], "06:00");
        EXPECT_TRUE(kConditions.count(day[0])) << day[0];
        EXPECT_LT(std::stoi(day[4]), std::stoi(day[5]));
        EXPECT_EQ(day[7] == "CLM", day[9] == "0");
        // Day 0 feels like one number; the others a pair.
        EXPECT_EQ(day[6].find('/') != std::string::npos, k > 0) << day[6];
        for (int i = 0; i < 12; ++i)
            EXPECT_FALSE(day[i].empty()) << k << ":" << i;
    }
}

TEST(FeedForecast, EachDayDependsOnlyOnPlaceAndDate) {
    Place place = TestPlace("TS0002", 40, 15, 16, 10, 0.35);
    auto a = Fields(ForecastText(place, {2026, 3, 1}));
    auto b = Fields(ForecastText(place, {2026, 3, 2}));
    EXPECT_EQ(a, Fields(ForecastText(place, {2026, 3, 1})));
    // Day k+1 of one forecast is day k of the next day's: same sky, temperatures and wind.
    for (int k = 0; k < 4; ++k)
        for (int i : {0, 1, 2, 4, 5, 7, 8, 9})
            EXPECT_EQ(a[12 * (k + 1) + i], b[12 * k + i]) << k << ":" << i;
    // Another place has other weather.
    EXPECT_NE(a, Fields(ForecastText(TestPlace("TS0003", 40, 15, 16, 10, 0.35), {2026, 3, 1})));
}

TEST(FeedForecast, SeasonsFollowTheHemisphereAndSnowNeedsCold) {
    auto meanHigh = [](const Place& p, CivilDate from) {
        double sum = 0;
        long first = DaysFromCivil(from);
        for (int d = 0; d < 30; ++d)
            sum += WeatherOf(p, CivilFromDays(first + d)).highC;
        return sum / 30;
    };
    Place north = TestPlace("NO0001", 51.5, 9.7, 17.5, 11.1, 0.35);
    Place south = TestPlace("SO0001", -34.9, 17.7, -12.2, 9.8, 0.35);
    EXPECT_GT(meanHigh(north, {2026, 7, 1}), meanHigh(north, {2026, 1, 1}) + 10);
    EXPECT_GT(meanHigh(south, {2026, 1, 1}), meanHigh(south, {2026, 7, 1}) + 6);

    Place tropic = TestPlace("TR0001", 5.3, 28, 2.7, 7.4, 0.55);
    Place arctic = TestPlace("AR0001", 64.7, 1.8, 20, 12.2, 0.35);
    int snowy = 0;
    long first = DaysFromCivil({2026, 1, 1});
    for (int d = 0; d < 365; ++d) {
        CivilDate day = CivilFromDays(first + d);
        DayWeather t = WeatherOf(tropic, day);
        EXPECT_TRUE(t.condition < "W11" || t.condition > "W14") << t.condition;
        DayWeather a = WeatherOf(arctic, day);
        if (a.condition == "W11" || a.condition == "W12") {
            EXPECT_LE(a.highC, 1);
            ++snowy;
        }
        if (a.condition == "W13" || a.condition == "W14") {
            EXPECT_LE(a.lowC, 0);
        }
    }
    EXPECT_GT(snowy, 10);
}

TEST(FeedProtocol, ParsesTheProgramsFormBody) {
    std::string reason;
    auto weather = ParseFeedBody("inet=Host Network:Host Network&jc=111&c='A1','B2'&os=wince4.20&appver=1.0F2"
                                 "&home=New York&scrsize=240x320&wasize=240x268&'0'",
                                 reason);
    ASSERT_TRUE(weather) << reason;
    EXPECT_EQ(weather->code, 111);
    EXPECT_EQ(weather->cities, (std::vector<std::string>{"A1", "B2"}));
    EXPECT_EQ(weather->fields.at("home"), "New York");
    EXPECT_EQ(weather->fields.at("inet"), "Host Network:Host Network");
    EXPECT_EQ(weather->fields.count("'0'"), 0u);

    auto empty = ParseFeedBody("jc=111&c=&os=wince4.20&'0'", reason);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->cities.empty());
    auto rates = ParseFeedBody("jc=110&os=wince4.20", reason);
    ASSERT_TRUE(rates);
    EXPECT_EQ(rates->code, 110);

    struct Bad {
        const char* body;
        const char* reason;
    } bad[] = {
        {"os=wince4.20", "Bad request: no request code (jc)"},
        {"jc=112", "Bad request: unknown request code jc=112"},
        {"jc=111&os=x", "Bad request: weather request without city codes (c)"},
        {"jc=111&c=A1,B2",
         "Bad request: city codes must be quoted and joined by commas, as 'GB0001','US0001'"},
        {"jc=111&c='A1',",
         "Bad request: city codes must be quoted and joined by commas, as 'GB0001','US0001'"},
        {"jc=111&c=''','",
         "Bad request: city codes must be quoted and joined by commas, as 'GB0001','US0001'"},
    };
    for (const Bad& b : bad) {
        EXPECT_FALSE(ParseFeedBody(b.body, reason)) << b.body;
        EXPECT_EQ(reason, b.reason) << b.body;
    }
}

// The feed server on a free port, with the shipped data and a fixed day 0.
class FeedServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        auto data = LoadFeedData(kFeedDir, error);
        ASSERT_TRUE(data) << error;
        FeedOptions options;
        options.today = CivilDate{2026, 12, 9};
        m_server = std::make_unique<FeedServer>(std::move(*data), options);
        m_server->Server().SetLog(&m_log);
        ASSERT_TRUE(m_server->Start(0));
    }

    struct Reply {
        DWORD status = 0;
        std::string headers;
        std::string body;
    };

    // One POST through the internet classes, as the program sends it.
    Reply Post(const std::string& body, const std::wstring& headers, const std::string& path = "/feed") {
        CInternetSession session(L"Jorvana");
        std::unique_ptr<CHttpConnection> connection(
            session.GetHttpConnection(L"127.0.0.1", static_cast<INTERNET_PORT>(m_server->Port())));
        std::unique_ptr<CHttpFile> file(connection->OpenRequest(
            CHttpConnection::HTTP_VERB_POST, CString(path.c_str()), nullptr, 1, nullptr, nullptr,
            INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT));
        file->AddRequestHeaders(headers.c_str());
        file->SendRequest(nullptr, 0, const_cast<char*>(body.data()), static_cast<DWORD>(body.size()));
        Reply reply;
        file->QueryInfoStatusCode(reply.status);
        CString raw;
        file->QueryInfo(HTTP_QUERY_RAW_HEADERS_CRLF, raw);
        reply.headers = device::NarrowToCp1252(raw.Str());
        char piece[1024];
        while (UINT n = file->Read(piece, sizeof piece))
            reply.body.append(piece, n);
        return reply;
    }

    // What the program takes from the headers: the session id (after "sessionId:" up to the
    // first ".", less the blank) and the reply code (characters 2 to 5 of the text after
    // "ServerMSG:" up to the first "C").
    static std::string SessionIdOf(const std::string& headers) {
        size_t at = headers.find("sessionId:");
        size_t dot = headers.find('.', at);
        return at == std::string::npos || dot == std::string::npos ? ""
                                                                   : headers.substr(at + 11, dot - at - 11);
    }
    static std::string ReplyCodeOf(const std::string& headers) {
        size_t at = headers.find("ServerMSG:");
        size_t c = headers.find('C', at);
        return at == std::string::npos || c == std::string::npos
                   ? ""
                   : headers.substr(at + 10, c - at - 10).substr(1, 4);
    }

    const std::wstring kForm = L"Content-Type: application/x-www-form-urlencoded\r\n";
    std::ostringstream m_log;
    std::unique_ptr<FeedServer> m_server;
};

TEST_F(FeedServerTest, WeatherRequestGetsForecastsOfTheKnownCities) {
    std::string request = "inet=Host Network:Host Network&jc=111&c='GB0001','XX9999','AU0005'&os=wince4.20"
                          "&appver=1.0F2&home=Paris&scrsize=240x320&wasize=240x268&'0'";
    Reply reply = Post(request, kForm + L"Cookie: JSESSIONID=0123456789ABCDEF0123\r\n");
    RecordProperty("request", request);
    RecordProperty("reply", reply.headers + reply.body);

    EXPECT_EQ(reply.status, 200u);
    EXPECT_EQ(reply.headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(reply.headers.find("\r\nsessionId: 0123456789ABCDEF0123.standin\r\n"), std::string::npos);
    EXPECT_NE(reply.headers.find("\r\nServerMSG: 1000 Completed\r\n"), std::string::npos);
    EXPECT_NE(reply.headers.find("\r\nnewsid: 1\r\n"), std::string::npos);
    EXPECT_EQ(SessionIdOf(reply.headers), "0123456789ABCDEF0123");
    EXPECT_EQ(ReplyCodeOf(reply.headers), "1000");

    auto records = WeatherRecords(reply.body);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].first, "GB0001");
    EXPECT_EQ(records[1].first, "AU0005");
    EXPECT_EQ(reply.body.back(), '@');
    for (const auto& [code, forecast] : records) {
        auto f = Fields(forecast);
        ASSERT_EQ(f.size(), 60u) << code;
        EXPECT_EQ(f[2], "Wed 12/09/2026");
        EXPECT_EQ(f[12 * 4 + 2], "Sun 12/13/2026");
    }
    // December: a southern summer and a northern winter.
    EXPECT_GT(std::stoi(Fields(records[1].second)[5]), std::stoi(Fields(records[0].second)[5]));

    auto received = m_server->Server().Requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].body, request);
    m_server->Stop(); // the log line is written after the reply went out
    EXPECT_NE(m_log.str().find(" 127.0.0.1 POST /feed -> 200 "), std::string::npos) << m_log.str();
    EXPECT_NE(m_log.str().find("1000 Completed"), std::string::npos);
}

TEST_F(FeedServerTest, RatesRequestGetsTheWholeTable) {
    Reply reply = Post("inet=Host Network:Host Network&jc=110&os=wince4.20&appver=1.0F2&home=&scrsize=240x320"
                       "&wasize=240x268",
                       kForm);
    EXPECT_EQ(reply.status, 200u);
    EXPECT_EQ(ReplyCodeOf(reply.headers), "1000");
    EXPECT_NE(reply.headers.find("\r\nLast-Modified: Tue, 15 Jul 2025 00:00:00 GMT\r\n"), std::string::npos);
    EXPECT_EQ(reply.body.rfind("AED_0.272294#AFN_0.0143885#", 0), 0u);
    EXPECT_NE(reply.body.find("#EUR_1.1655#"), std::string::npos);
    EXPECT_EQ(reply.body.substr(reply.body.size() - 14), "ZWG_0.0371747#");
    EXPECT_EQ(std::count(reply.body.begin(), reply.body.end(), '#'), 155);
}

TEST_F(FeedServerTest, SessionsAreMadeUpForNewClientsAndKeptForKnownOnes) {
    Reply first = Post("jc=110", kForm);
    Reply second = Post("jc=110", kForm);
    std::string a = SessionIdOf(first.headers), b = SessionIdOf(second.headers);
    EXPECT_EQ(a.size(), 24u);
    EXPECT_NE(a, b);
    Reply again = Post("jc=110", kForm + L"Cookie: JSESSIONID=" + std::wstring(a.begin(), a.end()) + L"\r\n");
    EXPECT_EQ(SessionIdOf(again.headers), a);
    // A cookie that is no session id of ours gets a new one.
    Reply odd = Post("jc=110", kForm + L"Cookie: JSESSIONID=<script>\r\n");
    EXPECT_EQ(SessionIdOf(odd.headers).size(), 24u);
}

TEST_F(FeedServerTest, ServerCodesForUnknownAndMissingCities) {
    Reply unknown = Post("jc=111&c='XX0001'&'0'", kForm);
    EXPECT_EQ(unknown.status, 200u);
    EXPECT_EQ(ReplyCodeOf(unknown.headers), "1006");
    EXPECT_EQ(unknown.body, "");
    Reply none = Post("jc=111&c=&os=wince4.20&'0'", kForm);
    EXPECT_EQ(ReplyCodeOf(none.headers), "1007");
    EXPECT_EQ(none.body, "");
}

TEST_F(FeedServerTest, WhatIsNotTheProtocolGets400WithAReason) {
    Reply noForm = Post("jc=110", L"Content-Type: text/plain\r\n");
    EXPECT_EQ(noForm.status, 400u);
    EXPECT_EQ(noForm.body, "Bad request: the body must be application/x-www-form-urlencoded\n");
    EXPECT_EQ(noForm.headers.find("ServerMSG"), std::string::npos);

    Reply badCode = Post("jc=999", kForm);
    EXPECT_EQ(badCode.status, 400u);
    EXPECT_EQ(badCode.body, "Bad request: unknown request code jc=999\n");

    Reply elsewhere = Post("jc=110", kForm, "/other");
    EXPECT_EQ(elsewhere.status, 404u);
    EXPECT_EQ(elsewhere.body, "Not found: the feed is at /feed\n");

    FeedReply get = m_server->Answer("GET", "/feed", "", "", "");
    EXPECT_EQ(get.status, 400);
    EXPECT_EQ(get.body, "Bad request: the feed takes a form POST\n");

    Reply huge = Post(std::string(100000, 'x'), kForm);
    EXPECT_EQ(huge.status, 413u);
}

TEST_F(FeedServerTest, PortInUseIsRefused) {
    LoopbackServer second([](const httplib::Request&, httplib::Response& res) { res.status = 500; });
    EXPECT_FALSE(second.Start(m_server->Port()));
    EXPECT_EQ(Post("jc=110", kForm).status, 200u);
}

} // namespace
