// The feed request: the exact form text of the currency and weather requests as the server
// receives it, the server address of adrs.cfg, and one real exchange with the stand-in server.

#include "CoreTestSupport.h"

#include "core/FeedQuery.h"
#include "core/HttpExchange.h"
#include "core/RegistryKey.h"
#include "platform/programs/feed-server/FeedServer.h"
#include "platform/ui/Dialog.h"
#include "support/ScriptedServer.h"

#include <fstream>

namespace {

using coretest::CoreTest;
using testsupport::ScriptedServer;

const std::string kTail = "&os=wince4.20&appver=1.0F2&home=New York&scrsize=240x320&wasize=240x268";

class FeedQueryTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname", L"New York");
    }
    void Address(const std::string& text) { coretest::WriteFile(coretest::InProgramFolder(L"adrs.cfg"), text); }
    // Sends with the confirmation answered Yes and any later box OK.
    std::wstring Send(const CString& query) {
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK});
        return SendFeedQuery(query, nullptr).Str();
    }
};

TEST_F(FeedQueryTest, CurrencyAndWeatherRequestsOnTheWire) {
    ScriptedServer server;
    server.Script("/feed", {200, {{"ServerMSG", "1000 Completed"}}, "reply"});
    Address(server.Url("/feed") + "*Address of the feed server\r\n");

    EXPECT_EQ(Send(BuildFeedQuery(kFeedCurrencyRates, L"'ignored'", 240, 268)), L"reply");
    std::string weatherCodes = "'GB0001','US0001','FR0002'";
    EXPECT_EQ(Send(BuildFeedQuery(kFeedWeatherForecasts, QuoteCityCodes({L"GB0001", L"US0001", L"FR0002"}), 240, 268)),
              L"reply");

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string prefix = "inet=Host Network:Host Network&";
    EXPECT_EQ(requests[0].body, prefix + "jc=110" + kTail);
    EXPECT_EQ(requests[1].body, prefix + "jc=111&c=" + weatherCodes + kTail + "&'0'");
    for (const auto& request : requests) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/feed");
        EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_EQ(request.Header("Content-Length"), std::to_string(request.body.size()));
        EXPECT_FALSE(request.HasHeader("Cookie"));
    }
}

TEST_F(FeedQueryTest, ValuesGoOutAsTheyStandButForWhatWouldBreakTheForm) {
    ScriptedServer server;
    server.Script("/feed", {200, {{"ServerMSG", "1000 Completed"}}, "reply"});
    Address(server.Url("/feed") + "*");
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname", L"S\u00E3o Paulo, 'SP' & A=B+1% \u20AC\t");
    EXPECT_EQ(Send(BuildFeedQuery(kFeedCurrencyRates, L"", 240, 268)), L"reply");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].body.find("&home=S\xE3o Paulo, 'SP' %26 A%3DB%2B1%25 \x80%09&scrsize="), std::string::npos)
        << requests[0].body;
}

TEST_F(FeedQueryTest, FullWeatherSyncSendsTheStoreCodesInRecordOrder) {
    coretest::WriteFile(coretest::InProgramFolder(L"cities.wet"),
                        "2\r\nFrance;Paris;FR0002\r\nUnited Kingdom;London;GB0001\r\n");
    EXPECT_EQ(QuoteCityCodes(AllWeatherCityCodes()), L"'GB0001','FR0002'"); // name order: London, Paris
    EXPECT_EQ(QuoteCityCodes({}), L"");
    EXPECT_EQ(QuoteCityCodes({L"A&B"}), L"'A%26B'");
}

TEST_F(FeedQueryTest, MissingAddressFileIsCreatedAndFailsAsABadUrl) {
    EXPECT_TRUE(Send(BuildFeedQuery(kFeedCurrencyRates, L"", 240, 268)).empty());
    auto records = device::ui::MessageBoxRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].text, L"Error with server url");
    std::ifstream created(coretest::HostPath(coretest::InProgramFolder(L"adrs.cfg")));
    EXPECT_TRUE(created.good());
    EXPECT_TRUE(ReadFeedServerUrl().IsEmpty());
}

// One real exchange with the stand-in feed server: its session, reply code and body come back,
// and a home name that would break the form arrives whole.
TEST_F(FeedQueryTest, RealExchangeWithTheStandInServer) {
    std::string error;
    auto data = feedserver::LoadFeedData(JORVANA_FEED_DATA, error);
    ASSERT_TRUE(data) << error;
    feedserver::FeedOptions options;
    options.today = feedserver::CivilDate{2026, 12, 9};
    options.newsId = "3";
    feedserver::FeedServer server(std::move(*data), options);
    ASSERT_TRUE(server.Start(0));
    Address(server.FeedUrl() + "*");
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname", L"Caf\u00E9 & Bar=1%");

    std::wstring body = Send(BuildFeedQuery(kFeedWeatherForecasts, QuoteCityCodes({L"CI0001"}), 240, 268));
    server.Stop();
    EXPECT_EQ(body.rfind(L"CI0001^", 0), 0u);
    EXPECT_EQ(body.back(), L'@');
    EXPECT_EQ(device::ui::MessageBoxRecords().size(), 1u); // the confirmation only: code 1000

    CRegistryKey registry;
    CString session = registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"MSSI");
    EXPECT_TRUE(IsUsableSessionId(session));
    EXPECT_EQ(registry.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"newnews"), 1u);

    auto requests = server.Server().Requests();
    ASSERT_EQ(requests.size(), 1u);
    std::string reason;
    auto parsed = feedserver::ParseFeedBody(requests[0].body, reason);
    ASSERT_TRUE(parsed) << reason;
    EXPECT_EQ(parsed->fields.at("home"), "Caf\xE9 & Bar=1%");
    EXPECT_EQ(parsed->cities, std::vector<std::string>{"CI0001"});
    EXPECT_EQ(parsed->fields.at("wasize"), "240x268");
}

} // namespace
