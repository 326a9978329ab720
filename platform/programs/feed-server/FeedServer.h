#pragma once
// The stand-in feed server: answers the program's form POST to /feed. Request code 110 gets the
// currency rates (CODE_rate# records), 111 the five-day forecasts of the quoted city codes
// (code^60 fields@ records). Every reply carries "sessionId: <id>.standin" (the id echoed
// from the JSESSIONID cookie when the client sends a well-formed one), "ServerMSG: <code> <text>"
// and "newsid: <id>". Server codes: 1000 done, 1006 none of the cities asked for is known,
// 1007 no city asked for. Whatever is not that protocol gets 400 with a one-line reason
// (404 for another path).

#include "platform/programs/feed-server/FeedData.h"
#include "platform/programs/feed-server/Forecast.h"
#include "platform/programs/feed-server/LoopbackServer.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace feedserver {

struct FeedRequest {
    int code = 0;                              // jc
    std::vector<std::string> cities;           // c, without their quotes
    std::map<std::string, std::string> fields; // every key=value of the body as sent
};

struct FeedReply {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

// Splits the body, turns each "%XX" of a key or value into its byte (the program encodes what
// would break the form and sends everything else as it stands) and checks it. nullopt with a reason when it is not a feed request.
std::optional<FeedRequest> ParseFeedBody(const std::string& body, std::string& reason);

struct FeedOptions {
    std::optional<CivilDate> today; // day 0 of every forecast; the UTC day when unset
    std::string newsId = "1";
    bool byteOrderMark = false; // every feed body opens with the UTF-8 byte-order mark
};

class FeedServer {
public:
    explicit FeedServer(FeedData data, FeedOptions options = {});

    // The reply to one request; the session id is taken from the cookie or made up.
    FeedReply Answer(const std::string& method, const std::string& path, const std::string& contentType,
                     const std::string& cookie, const std::string& body);

    bool Start(int port = 0) { return m_server.Start(port); }
    void Stop() { m_server.Stop(); }
    int Port() const { return m_server.Port(); }
    std::string FeedUrl() const { return m_server.BaseUrl() + "/feed"; }
    LoopbackServer& Server() { return m_server; }

private:
    std::string SessionId(const std::string& cookie);

    FeedData m_data;
    FeedOptions m_options;
    std::mutex m_mutex;
    uint64_t m_sessionSeed;
    LoopbackServer m_server;
};

} // namespace feedserver
