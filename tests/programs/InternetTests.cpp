// The internet classes against scripted loopback servers.
#include "platform/base/CodePage.h"
#include "platform/framework/Internet.h"
#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using testsupport::RawReplyServer;
using testsupport::ScriptedReply;
using testsupport::ScriptedServer;

const DWORD kFeedFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;

// One request through the classes, as the program makes it; owns what it opens.
struct Exchange {
    CInternetSession session{L"Jorvana", 7};
    std::unique_ptr<CHttpConnection> connection;
    std::unique_ptr<CHttpFile> file;

    void Open(const std::string& url, DWORD flags = kFeedFlags, int verb = CHttpConnection::HTTP_VERB_POST) {
        DWORD service = 0;
        CString server, object;
        INTERNET_PORT port = 0;
        ASSERT_TRUE(AfxParseURL(CString(url.c_str()), service, server, object, port));
        ASSERT_EQ(service, static_cast<DWORD>(AFX_INET_SERVICE_HTTP));
        connection.reset(session.GetHttpConnection(server, port));
        file.reset(connection->OpenRequest(verb, object, nullptr, 1, nullptr, nullptr, flags));
    }
    // Sends and returns the error number thrown, 0 when none.
    DWORD Send(const std::string& body = "jc=110") {
        try {
            file->SendRequest(nullptr, 0, const_cast<char*>(body.data()), static_cast<DWORD>(body.size()));
            return 0;
        } catch (CInternetException* e) {
            DWORD code = e->m_dwError;
            e->Delete();
            return code;
        }
    }
    DWORD Status() {
        DWORD status = 0;
        EXPECT_TRUE(file->QueryInfoStatusCode(status));
        return status;
    }
    std::string RawHeaders() {
        CString raw;
        EXPECT_TRUE(file->QueryInfo(HTTP_QUERY_RAW_HEADERS_CRLF, raw));
        return device::NarrowToCp1252(raw.Str());
    }
    // Reads the body in 1024-byte pieces; error receives the number thrown, if any.
    std::string ReadAll(DWORD* error = nullptr) {
        std::string body;
        char piece[1024];
        try {
            file->SetReadBufferSize(2048);
            while (UINT n = file->Read(piece, sizeof piece))
                body.append(piece, n);
        } catch (CInternetException* e) {
            if (error) *error = e->m_dwError;
            e->Delete();
        }
        return body;
    }
};

using testsupport::ClosedPort;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(AfxParseURL, SplitsServerObjectAndPort) {
    DWORD service = 0;
    CString server, object;
    INTERNET_PORT port = 0;
    ASSERT_TRUE(AfxParseURL(L"http://127.0.0.1:8765/feed", service, server, object, port));
    EXPECT_EQ(service, static_cast<DWORD>(AFX_INET_SERVICE_HTTP));
    EXPECT_STREQ(server, L"127.0.0.1");
    EXPECT_STREQ(object, L"/feed");
    EXPECT_EQ(port, 8765);

    ASSERT_TRUE(AfxParseURL(L"HTTP://Feed.Example.com", service, server, object, port));
    EXPECT_STREQ(server, L"Feed.Example.com");
    EXPECT_STREQ(object, L"/");
    EXPECT_EQ(port, INTERNET_DEFAULT_HTTP_PORT);

    ASSERT_TRUE(AfxParseURL(L"http://user:pw@h:81?x=1", service, server, object, port));
    EXPECT_STREQ(server, L"h");
    EXPECT_STREQ(object, L"/?x=1");
    EXPECT_EQ(port, 81);

    ASSERT_TRUE(AfxParseURL(L"http://[::1]:8080/a", service, server, object, port));
    EXPECT_STREQ(server, L"[::1]");
    EXPECT_EQ(port, 8080);

    // Parsed, but not HTTP: the program refuses it by the service type.
    ASSERT_TRUE(AfxParseURL(L"https://h/x", service, server, object, port));
    EXPECT_EQ(service, static_cast<DWORD>(AFX_INET_SERVICE_HTTPS));
}

TEST(AfxParseURL, RefusesWhatIsNoUrl) {
    for (const wchar_t* bad :
         {L"", L"127.0.0.1:8765/feed", L"http://", L"http:///feed", L"http://:80/", L"http://h:/x",
          L"http://h:0/", L"http://h:65536/", L"http://h:8o/", L"http://a b/", L"mailto://x", L"://h/"}) {
        DWORD service = 0;
        CString server = L"old", object = L"old";
        INTERNET_PORT port = 1;
        EXPECT_FALSE(AfxParseURL(bad, service, server, object, port)) << bad;
        EXPECT_EQ(service, static_cast<DWORD>(AFX_INET_SERVICE_UNK)) << bad;
        EXPECT_TRUE(server.IsEmpty()) << bad;
    }
}

TEST(InternetRequest, ServerReceivesHeadersAndBodyAsSent) {
    ScriptedServer server;
    Exchange x;
    x.Open(server.Url("/feed"));
    ASSERT_TRUE(x.file->AddRequestHeaders(L"Content-Type: application/x-www-form-urlencoded\r\n"
                                          L"Cookie: JSESSIONID=ABC123\r\n"));
    // Add-if-new leaves a header that is there; replace changes it.
    EXPECT_FALSE(x.file->AddRequestHeaders(L"Cookie: JSESSIONID=OTHER\r\n"));
    EXPECT_TRUE(x.file->AddRequestHeaders(L"X-Probe: 1\r\n"));
    EXPECT_TRUE(x.file->AddRequestHeaders(L"X-Probe: 2\r\n", HTTP_ADDREQ_FLAG_REPLACE));
    EXPECT_FALSE(x.file->AddRequestHeaders(L"no colon here\r\n"));

    std::string body = "inet=Host Network:Host Network&jc=111&c='GB0001','FR0001'&home=S\xE3o Paulo&'0'";
    ASSERT_EQ(x.Send(body), 0u);
    EXPECT_EQ(x.Status(), 200u);

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path, "/feed");
    EXPECT_EQ(r.body, body);
    EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(r.Header("Cookie"), "JSESSIONID=ABC123");
    EXPECT_EQ(r.Header("X-Probe"), "2");
    EXPECT_EQ(r.Header("User-Agent"), "Jorvana");
    EXPECT_EQ(r.Header("Content-Length"), std::to_string(body.size()));
    EXPECT_FALSE(r.HasHeader("Expect"));
}

TEST(InternetRequest, StatusAndRawHeadersAsTheServerSentThem) {
    ScriptedServer server;
    server.Script("/feed", {200, {{"sessionId", "5F2A.standin"}, {"ServerMSG", "1007 Current"}}, "EUR_1.1#"});
    server.Script("/gone", {404, {}, "no such page\n"});
    server.Script("/broken", {500, {{"ServerMSG", "1006 City"}}, "oops\n"});
    server.Script("/secret", {401, {}, ""});

    Exchange ok;
    ok.Open(server.Url("/feed"));
    ASSERT_EQ(ok.Send(), 0u);
    EXPECT_EQ(ok.Status(), 200u);
    std::string raw = ok.RawHeaders();
    EXPECT_EQ(raw.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << raw;
    EXPECT_NE(raw.find("\r\nsessionId: 5F2A.standin\r\n"), std::string::npos) << raw;
    EXPECT_NE(raw.find("\r\nServerMSG: 1007 Current\r\n"), std::string::npos) << raw;
    EXPECT_EQ(raw.substr(raw.size() - 4), "\r\n\r\n");
    EXPECT_EQ(raw.find('\n', 0), raw.find("\r\n") + 1); // every line ends in CRLF
    EXPECT_EQ(ok.ReadAll(), "EUR_1.1#");

    for (auto [path, status, body] :
         {std::tuple{"/gone", 404u, "no such page\n"}, std::tuple{"/broken", 500u, "oops\n"},
          std::tuple{"/secret", 401u, ""}}) {
        Exchange x;
        x.Open(server.Url(path));
        ASSERT_EQ(x.Send(), 0u) << path;
        EXPECT_EQ(x.Status(), status) << path;
        EXPECT_EQ(x.ReadAll(), body) << path;
    }
}

TEST(InternetRequest, ReadsTheBodyInPieces) {
    ScriptedServer server;
    std::string body(2500, 'w');
    body[0] = 'A';
    body[2499] = 'Z';
    server.Script("/feed", {200, {}, body});
    Exchange x;
    x.Open(server.Url("/feed"));
    ASSERT_EQ(x.Send(), 0u);
    char piece[1024];
    EXPECT_EQ(x.file->Read(piece, 1024), 1024u);
    EXPECT_EQ(piece[0], 'A');
    EXPECT_EQ(x.file->Read(piece, 1024), 1024u);
    EXPECT_EQ(x.file->Read(piece, 1024), 452u);
    EXPECT_EQ(piece[451], 'Z');
    EXPECT_EQ(x.file->Read(piece, 1024), 0u);
    EXPECT_EQ(x.file->Read(piece, 1024), 0u);
    // No content type of the library's own when the caller gives none.
    EXPECT_FALSE(server.Requests().at(0).HasHeader("Content-Type"));
}

TEST(InternetRequest, RedirectIsNotFollowedWhenAskedNotTo) {
    ScriptedServer server;
    server.Redirect("/feed", server.Url("/moved"));
    server.Script("/moved", {200, {}, "moved here"});
    Exchange x;
    x.Open(server.Url("/feed"));
    ASSERT_EQ(x.Send(), 0u);
    EXPECT_EQ(x.Status(), 302u);
    EXPECT_NE(x.RawHeaders().find("\r\nLocation: " + server.Url("/moved") + "\r\n"), std::string::npos);
    EXPECT_EQ(server.Requests().size(), 1u);

    // A redirect loop is just one 302 to such a request.
    server.Redirect("/loop", server.Url("/loop"));
    Exchange loop;
    loop.Open(server.Url("/loop"));
    ASSERT_EQ(loop.Send(), 0u);
    EXPECT_EQ(loop.Status(), 302u);
}

TEST(InternetRequest, RedirectsFollowedOnlyWithoutTheFlagAndNotForever) {
    ScriptedServer server;
    server.Redirect("/feed", server.Url("/moved"), 301);
    server.Script("/moved", {200, {{"ServerMSG", "1000 Completed"}}, "moved here"});
    Exchange x;
    x.Open(server.Url("/feed"), INTERNET_FLAG_NO_CACHE_WRITE);
    ASSERT_EQ(x.Send(), 0u);
    EXPECT_EQ(x.Status(), 200u);
    EXPECT_EQ(x.RawHeaders().rfind("HTTP/1.1 200 OK\r\n", 0), 0u); // the last reply's headers only
    EXPECT_EQ(x.ReadAll(), "moved here");

    server.Redirect("/loop", server.Url("/loop"));
    Exchange loop;
    loop.Open(server.Url("/loop"), 0);
    EXPECT_EQ(loop.Send(), static_cast<DWORD>(ERROR_HTTP_REDIRECT_FAILED));
}

TEST(InternetFailures, RefusedConnectionIs12029) {
    Exchange x;
    x.Open("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/feed");
    EXPECT_EQ(x.Send(), 12029u);
    DWORD status = 0;
    EXPECT_FALSE(x.file->QueryInfoStatusCode(status));
}

TEST(InternetFailures, SlowServerTimesOutWith12002) {
    ScriptedServer server;
    server.Script("/slow", {200, {}, "late", 5000});
    Exchange x;
    x.session.SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 1000);
    x.Open(server.Url("/slow"));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(x.Send(), 12002u);
    EXPECT_LT(SecondsSince(start), 3.5);

    Exchange overall;
    overall.session.SetOption(INTERNET_OPTION_OVERALL_TIMEOUT, 300);
    overall.Open(server.Url("/slow"));
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(overall.Send(), 12002u);
    EXPECT_LT(SecondsSince(start), 1.5);
}

TEST(InternetFailures, StallMidBodyTimesOutWhenReading) {
    ScriptedServer server;
    ScriptedReply reply{200, {}, std::string(10000, 's')};
    reply.dropAfter = 3000;
    reply.stallMs = 5000;
    server.Script("/stall", reply);
    Exchange x;
    x.session.SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 500);
    x.Open(server.Url("/stall"));
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(x.Send(), 0u);
    EXPECT_EQ(x.Status(), 200u);
    DWORD error = 0;
    EXPECT_EQ(x.ReadAll(&error).size(), 3000u);
    EXPECT_EQ(error, 12002u);
    EXPECT_LT(SecondsSince(start), 2.5);
}

TEST(InternetFailures, BodyBeyondTheCapIsCutAndReported) {
    ScriptedServer server;
    server.Script("/huge", {200, {}, std::string(3 * kInternetBodyLimit, 'h')});
    Exchange x;
    x.Open(server.Url("/huge"));
    ASSERT_EQ(x.Send(), 0u);
    EXPECT_EQ(x.Status(), 200u);
    DWORD error = 0;
    std::string body = x.ReadAll(&error);
    EXPECT_EQ(body.size(), kInternetBodyLimit);
    EXPECT_EQ(error, 12030u);
}

TEST(InternetFailures, ConnectionDroppedMidBodyShowsWhenReading) {
    ScriptedServer server;
    ScriptedReply reply{200, {}, std::string(10000, 'd')};
    reply.dropAfter = 4000;
    server.Script("/drop", reply);
    Exchange x;
    x.Open(server.Url("/drop"));
    ASSERT_EQ(x.Send(), 0u);
    EXPECT_EQ(x.Status(), 200u);
    DWORD error = 0;
    EXPECT_EQ(x.ReadAll(&error).size(), 4000u);
    EXPECT_EQ(error, 12030u);
}

TEST(InternetFailures, GarbageOrNoReplyIsAnInvalidResponse) {
    RawReplyServer garbage("\x01\x02 certainly not HTTP \xff\r\n\r\nmore");
    Exchange x;
    x.Open(garbage.Url("/feed"));
    EXPECT_EQ(x.Send(), static_cast<DWORD>(ERROR_HTTP_INVALID_SERVER_RESPONSE));

    RawReplyServer silent("");
    Exchange y;
    y.Open(silent.Url("/feed"));
    EXPECT_EQ(y.Send(), static_cast<DWORD>(ERROR_HTTP_INVALID_SERVER_RESPONSE));
    EXPECT_EQ(silent.Connections(), 1);

    // A close inside the head is no reply either, whatever status line came before it.
    RawReplyServer cut("HTTP/1.1 200 OK\r\nServerMSG: 1000 Comp");
    Exchange z;
    z.Open(cut.Url("/feed"));
    EXPECT_EQ(z.Send(), static_cast<DWORD>(ERROR_HTTP_INVALID_SERVER_RESPONSE));
}

TEST(InternetFailures, OfflineDeviceCannotConnect) {
    ScriptedServer server;
    setenv("DEVICE_NETWORK", "off", 1);
    Exchange x;
    x.Open(server.Url("/feed"));
    DWORD error = x.Send();
    unsetenv("DEVICE_NETWORK");
    EXPECT_EQ(error, 12029u);
    EXPECT_TRUE(server.Requests().empty());
}

TEST(InternetFailures, ExceptionsCarryTheContextAndDescribeThemselves) {
    Exchange x;
    x.Open("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/feed");
    try {
        x.file->SendRequest();
        FAIL() << "no exception";
    } catch (CException* e) {
        ASSERT_TRUE(e->IsKindOf(RUNTIME_CLASS(CInternetException)));
        auto* inet = static_cast<CInternetException*>(e);
        EXPECT_EQ(inet->m_dwError, 12029u);
        EXPECT_EQ(inet->m_dwContext, 1u);
        wchar_t text[16];
        EXPECT_TRUE(e->GetErrorMessage(text, 16));
        EXPECT_EQ(std::wcslen(text), 15u);
        e->Delete();
    }
}

} // namespace
