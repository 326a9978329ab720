// The feed exchange against scripted loopback servers: the request on the wire, the session
// cookie and news flags kept in the registry, each reply's message as the user saw it, the one
// redirect, and every way the transfer can fail.

#include "CoreTestSupport.h"

#include "core/HttpExchange.h"
#include "core/RegistryKey.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WinUser.h"
#include "support/ScriptedServer.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace {

using coretest::CoreTest;
using device::ui::MessageBoxRecord;
using testsupport::RawReplyServer;
using testsupport::ScriptedReply;
using testsupport::ScriptedServer;

const std::wstring kCannotUpdate = L"Cannot update.\n\nPlease check your Internet connection.";
const std::wstring kPrefix = L"inet=Host Network:Host Network&";

using testsupport::ClosedPort;

ScriptedReply Reply(int status, std::vector<std::pair<std::string, std::string>> headers, std::string body = "OK") {
    ScriptedReply reply;
    reply.status = status;
    reply.headers = std::move(headers);
    reply.body = std::move(body);
    return reply;
}

class HttpExchangeTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        HttpExchangeTimeouts quick;
        quick.connectionMs = 1000;
        quick.connectMs = 1000;
        quick.receiveMs = 400;
        quick.overallMs = 2000;
        SetHttpExchangeTimeouts(quick);
        WNDCLASSW wc{};
        wc.lpszClassName = L"FeedOwner";
        wc.lpfnWndProc = DefWindowProcW;
        RegisterClassW(&wc);
        m_owner = CreateWindowExW(0, L"FeedOwner", L"Owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);
        ASSERT_TRUE(m_owner);
    }
    void TearDown() override {
        DestroyWindow(m_owner);
        SetHttpExchangeTimeouts(HttpExchangeTimeouts{});
        CoreTest::TearDown();
    }

    // One exchange with the confirmation answered Yes and every later box OK; the boxes of
    // earlier exchanges (and their unused answers) are forgotten first.
    std::wstring Run(const std::string& url, const CString& query = L"jc=110") {
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK});
        return HttpExchange(CString(url.c_str()), query, m_owner).Str();
    }
    // The boxes after the confirmation.
    std::vector<MessageBoxRecord> Boxes() {
        auto records = device::ui::MessageBoxRecords();
        if (!records.empty() && records.front().caption == L"Confirmation") records.erase(records.begin());
        return records;
    }
    std::wstring OnlyMessage() {
        auto boxes = Boxes();
        EXPECT_EQ(boxes.size(), 1u);
        return boxes.empty() ? std::wstring() : boxes.front().text;
    }
    CString Reg(LPCWSTR name) { return m_registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", name); }

    HWND m_owner = nullptr;
    CRegistryKey m_registry;
};

TEST_F(HttpExchangeTest, PostsPrefixedQueryAfterConfirmationAndReturnsBody) {
    ScriptedServer server;
    server.Script("/feed", Reply(200, {{"ServerMSG", "1000 Completed"}}, "GBP_1.5#"));
    EXPECT_EQ(Run(server.Url("/feed"), L"jc=110&home=Paris"), L"GBP_1.5#");

    auto records = device::ui::MessageBoxRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, L"The connection <Host Network: Host Network> will be used.");
    EXPECT_EQ(records[0].caption, L"Confirmation");
    EXPECT_EQ(records[0].type & 0xF, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(records[0].owner, m_owner);

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, "inet=Host Network:Host Network&jc=110&home=Paris");
    EXPECT_EQ(requests[0].Header("User-Agent"), "Jorvana");
}

TEST_F(HttpExchangeTest, RefusedConfirmationOrOfflineDeviceSendsNothing) {
    ScriptedServer server;
    device::ui::ScriptMessageBoxAnswers({IDNO, IDOK});
    EXPECT_TRUE(HttpExchange(CString(server.Url("/feed").c_str()), L"jc=110", m_owner).IsEmpty());
    EXPECT_EQ(OnlyMessage(), kCannotUpdate);
    EXPECT_EQ(Boxes()[0].caption, L"Error!");
    EXPECT_TRUE(Boxes()[0].type & MB_ICONWARNING);

    device::ui::ClearMessageBoxRecords();
    setenv("DEVICE_NETWORK", "off", 1);
    std::wstring body = Run(server.Url("/feed"));
    unsetenv("DEVICE_NETWORK");
    EXPECT_TRUE(body.empty());
    auto records = device::ui::MessageBoxRecords();
    ASSERT_EQ(records.size(), 1u); // no confirmation: nothing connected
    EXPECT_EQ(records[0].text, kCannotUpdate);
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(HttpExchangeTest, CookieSentOnlyForAStoredUsableSession) {
    ScriptedServer server;
    server.Script("/feed", Reply(200, {{"sessionId", "NEWSESSION42.node1"}}));
    Run(server.Url("/feed"));
    EXPECT_EQ(Reg(L"MSSI"), L"NEWSESSION42"); // stored: there was none

    Run(server.Url("/feed"));
    EXPECT_EQ(server.Requests().back().Header("Cookie"), "JSESSIONID=NEWSESSION42");

    // A stored id that would inject a header line is not sent and gets replaced.
    m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"MSSI", L"X\r\nX-Evil: 1");
    Run(server.Url("/feed"));
    EXPECT_FALSE(server.Requests().back().HasHeader("Cookie"));
    EXPECT_FALSE(server.Requests().back().HasHeader("X-Evil"));
    EXPECT_EQ(Reg(L"MSSI"), L"NEWSESSION42");

    // A changed id replaces the stored one; a reply without one leaves it.
    server.Script("/feed", Reply(200, {{"sessionId", "OTHER7.node2"}}));
    Run(server.Url("/feed"));
    EXPECT_EQ(Reg(L"MSSI"), L"OTHER7");
    server.Script("/feed", Reply(200, {}));
    Run(server.Url("/feed"));
    EXPECT_EQ(Reg(L"MSSI"), L"OTHER7");
}

TEST_F(HttpExchangeTest, SessionIdStopsAtItsLineAndMustBeClean) {
    // No "." on the session line: the "." of a later header must not be taken.
    RawReplyServer noDot("HTTP/1.1 200 OK\r\nsessionId: ABC\r\nX-Host: evil.example\r\nContent-Length: 2\r\n\r\nok");
    EXPECT_EQ(Run(noDot.Url("/feed")), L"ok");
    EXPECT_TRUE(Reg(L"MSSI").IsEmpty());

    RawReplyServer dirty("HTTP/1.1 200 OK\r\nsessionId: AB;Path=/x.y\r\nContent-Length: 2\r\n\r\nok");
    Run(dirty.Url("/feed"));
    EXPECT_TRUE(Reg(L"MSSI").IsEmpty());
}

TEST_F(HttpExchangeTest, NewsIdSetsNewNewsOnlyWhenTheReplyNamesOne) {
    ScriptedServer server;
    server.Script("/feed", Reply(200, {{"newsid", "5"}}));
    Run(server.Url("/feed"));
    EXPECT_EQ(Reg(L"newsid"), L"0"); // empty: "0" stored and compared
    EXPECT_EQ(m_registry.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"newnews"), 1u);

    m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"newsid", L"5");
    Run(server.Url("/feed"));
    EXPECT_EQ(m_registry.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"newnews"), 0u);

    m_registry.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"newnews", 7);
    server.Script("/feed", Reply(200, {}));
    Run(server.Url("/feed"));
    EXPECT_EQ(m_registry.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"newnews"), 7u);
}

TEST_F(HttpExchangeTest, ReplyCodesShowTheirMessages) {
    const std::wstring later = L"Please try again later.\n\nIf the problem persist please contact support.";
    struct Case {
        int status;
        std::string serverMsg;
        std::wstring message; // empty: no box
        bool bodyReturned;
    } cases[] = {
        {200, "1000 Completed", L"", true},
        {200, "1001 Client error", L"Invalid request(1001).\n\n" + later, true},
        {200, "1004 Crash", L"Server error(1004).\n\n" + later, true},
        {200, "1006 City not available", L"Requested city not available(1006).\n\nPlease contact support.", true},
        {200, "1007 Current forecasts", L"There are no Updates available(1007).", true},
        // An HTTP error is named by its status, never by the feed code its headers carry.
        {500, "1006 City not available", L"Server error(500).\n\n" + later, false},
        {500, "1000 Completed", L"Server error(500).\n\n" + later, false},
        {404, "1000 Completed", L"Server error(404).\n\n" + later, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serverMsg + " status " + std::to_string(c.status));
        ScriptedServer server;
        server.Script("/feed", Reply(c.status, {{"ServerMSG", c.serverMsg}}, "BODY"));
        std::wstring body = Run(server.Url("/feed"));
        EXPECT_EQ(body, c.bodyReturned ? L"BODY" : L"");
        auto boxes = Boxes();
        if (c.message.empty()) {
            EXPECT_TRUE(boxes.empty());
            continue;
        }
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_EQ(boxes[0].caption, L"Jorvana");
        EXPECT_EQ(boxes[0].owner, m_owner);
        EXPECT_TRUE(boxes[0].type & MB_ICONWARNING);
    }
}

TEST_F(HttpExchangeTest, NonSuccessStatusIsAFailureNotABody) {
    ScriptedServer server;
    server.Script("/feed", Reply(404, {}, "GBP_1.5#"));
    EXPECT_TRUE(Run(server.Url("/feed")).empty());
    EXPECT_EQ(OnlyMessage(), L"Server error(404).\n\nPlease try again later.\n\nIf the problem persist please contact support.");

    server.Script("/feed", Reply(401, {}));
    EXPECT_TRUE(Run(server.Url("/feed")).empty());
    EXPECT_EQ(OnlyMessage(), L"Access to the secured http site is denied!");
    EXPECT_EQ(Boxes()[0].owner, nullptr);
}

TEST_F(HttpExchangeTest, FollowsOneRedirectWithTheSameRequest) {
    ScriptedServer server;
    server.Redirect("/old", server.Url("/feed"), 302);
    server.Script("/feed", Reply(200, {}, "moved body"));
    m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"MSSI", L"SESSION1");
    EXPECT_EQ(Run(server.Url("/old"), L"jc=111&c='A'"), L"moved body");
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].path, "/feed");
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].body, requests[0].body);
    EXPECT_EQ(requests[1].Header("Cookie"), "JSESSIONID=SESSION1");

    // A second redirect, or a loop, ends the exchange saying so; an error after the one redirect
    // is the server's error.
    const std::wstring later = L".\n\nPlease try again later.\n\nIf the problem persist please contact support.";
    server.Redirect("/a", server.Url("/b"), 301);
    server.Redirect("/b", server.Url("/c"), 303);
    EXPECT_TRUE(Run(server.Url("/a")).empty());
    EXPECT_EQ(OnlyMessage(), L"The server redirected the request too many times(303)" + later);
    for (const auto& r : server.Requests())
        EXPECT_NE(r.path, "/c");
    server.Redirect("/loop", server.Url("/loop"), 302);
    EXPECT_TRUE(Run(server.Url("/loop")).empty());
    EXPECT_EQ(OnlyMessage(), L"The server redirected the request too many times(302)" + later);
    server.Redirect("/gone", server.Url("/missing"), 302);
    server.Script("/missing", Reply(404, {}, "EUR_1#"));
    EXPECT_TRUE(Run(server.Url("/gone")).empty());
    EXPECT_EQ(OnlyMessage(), L"Server error(404)" + later);
    server.Redirect("/locked", server.Url("/secret"), 302);
    server.Script("/secret", Reply(401, {}));
    EXPECT_TRUE(Run(server.Url("/locked")).empty());
    EXPECT_EQ(OnlyMessage(), L"Access to the secured http site is denied!");
}

TEST_F(HttpExchangeTest, BadAddressesAndRedirectsShowTheirErrors) {
    EXPECT_TRUE(Run("").empty());
    EXPECT_EQ(OnlyMessage(), L"Error with server url");

    RawReplyServer noLocation("HTTP/1.1 302 Found\r\nContent-Length: 0\r\n\r\n");
    EXPECT_TRUE(Run(noLocation.Url("/feed")).empty());
    EXPECT_EQ(OnlyMessage(), L"Redirection with no new location");

    ScriptedServer server;
    server.Redirect("/feed", "ftp://127.0.0.1/feed");
    EXPECT_TRUE(Run(server.Url("/feed")).empty());
    EXPECT_EQ(OnlyMessage(), L"Error with redirected url");
}

TEST_F(HttpExchangeTest, DeadOrSlowServersFailWithinTheTimeouts) {
    EXPECT_TRUE(Run("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/feed").empty());
    EXPECT_EQ(OnlyMessage(), kCannotUpdate);

    ScriptedServer server;
    ScriptedReply slow = Reply(200, {}, "late");
    slow.delayMs = 3000;
    server.Script("/feed", slow);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Run(server.Url("/feed")).empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    // The connection was made: the server is said to be silent, not out of reach.
    EXPECT_EQ(OnlyMessage(), L"The server did not answer in time(12002).\n\nPlease try again later.\n\nIf the "
                             L"problem persist please contact support.");

    ScriptedReply broken = Reply(200, {}, std::string(5000, 'x'));
    broken.dropAfter = 1000;
    server.Script("/feed", broken);
    EXPECT_TRUE(Run(server.Url("/feed")).empty());
    // The server answered and broke its body off: a cut reply, not a connection failure.
    EXPECT_EQ(OnlyMessage(), L"The server's reply was cut off or could not be read(12030).\n\nPlease try again "
                             L"later.\n\nIf the problem persist please contact support.");

    // A reply code's message, once shown, stays the only box when the body then breaks off.
    broken.headers = {{"ServerMSG", "1007 Code"}};
    server.Script("/feed", broken);
    EXPECT_TRUE(Run(server.Url("/feed")).empty());
    EXPECT_EQ(OnlyMessage(), L"There are no Updates available(1007).");
}

TEST_F(HttpExchangeTest, BodyAtTheCapIsCutToThePiecesThatStayUnderIt) {
    ScriptedServer server;
    server.Script("/feed", Reply(200, {}, std::string(kFeedBodyCap - 1, 'r')));
    EXPECT_EQ(Run(server.Url("/feed")).size(), static_cast<size_t>(kFeedBodyCap - 1));
    EXPECT_TRUE(Boxes().empty());

    // Read in pieces of 1024: the 250th would bring the total to 256000, so 249 pieces remain.
    for (size_t size : {static_cast<size_t>(kFeedBodyCap), size_t{300000}}) {
        server.Script("/feed", Reply(200, {}, std::string(size, 'r')));
        EXPECT_EQ(Run(server.Url("/feed")).size(), 249u * 1024u) << size;
        EXPECT_TRUE(Boxes().empty()) << size;
    }
}

TEST(HttpExchangeHelpers, GuidTextsAndDestinations) {
    GUID internet = {0x436EF144, 0xB4FB, 0x4863, {0xA0, 0x41, 0x8F, 0x90, 0x5A, 0x62, 0xC5, 0x72}};
    EXPECT_EQ(FormatGuid(internet), L"436EF144-B4FB-4863-A041-8F905A62C572");
    GUID small = {0x1, 0x2, 0x3, {0, 0, 0, 0, 0, 0, 0, 0xAB}};
    EXPECT_EQ(FormatGuid(small), L"00000001-0002-0003-0000-0000000000AB");
    EXPECT_EQ(FindConnectionDestination(device::kHostNetworkGuid), L"Host Network");
    EXPECT_TRUE(FindConnectionDestination(internet).IsEmpty());
    EXPECT_EQ(GetConnectionProviderName(), L"Host Network");
}

} // namespace
