#include "platform/programs/feed-server/FeedServer.h"

#include <cctype>
#include <cstdio>
#include <random>

namespace feedserver {

namespace {

const char kPlain[] = "text/plain; charset=windows-1252";

FeedReply Refuse(int status, const std::string& reason) {
    return {status, {{"Content-Type", "text/plain"}}, reason + "\n"};
}

std::string LastModified(const std::string& date) {
    static const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    CivilDate d;
    if (!ParseCivilDate(date, d)) return {};
    long days = DaysFromCivil(d);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d 00:00:00 GMT", kDays[((days % 7) + 7) % 7], d.day,
                  kMonths[d.month - 1], d.year);
    return text;
}

// Turns each "%XX" into its byte; anything else, a "+" or a stray "%" included, stays as sent.
std::string PercentDecode(const std::string& text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        int high = -1, low = -1;
        if (text[i] == '%' && i + 2 < text.size() && (high = hex(text[i + 1])) >= 0 &&
            (low = hex(text[i + 2])) >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::optional<FeedRequest> ParseFeedBody(const std::string& body, std::string& reason) {
    FeedRequest request;
    size_t start = 0;
    while (start <= body.size()) {
        size_t amp = body.find('&', start);
        std::string pair = body.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        size_t eq = pair.find('=');
        // Pieces without "=" (the weather request's closing '0') carry nothing.
        if (eq != std::string::npos)
            request.fields.emplace(PercentDecode(pair.substr(0, eq)), PercentDecode(pair.substr(eq + 1)));
        if (amp == std::string::npos) break;
        start = amp + 1;
    }
    auto jc = request.fields.find("jc");
    if (jc == request.fields.end()) {
        reason = "Bad request: no request code (jc)";
        return std::nullopt;
    }
    if (jc->second == "110")
        request.code = 110;
    else if (jc->second == "111")
        request.code = 111;
    else {
        reason = "Bad request: unknown request code jc=" + jc->second.substr(0, 16);
        return std::nullopt;
    }
    if (request.code == 111) {
        auto c = request.fields.find("c");
        if (c == request.fields.end()) {
            reason = "Bad request: weather request without city codes (c)";
            return std::nullopt;
        }
        const std::string& list = c->second;
        size_t pos = 0;
        while (pos < list.size()) {
            size_t comma = list.find(',', pos);
            std::string item = list.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
            if (item.size() < 2 || item.front() != '\'' || item.back() != '\'') {
                reason = "Bad request: city codes must be quoted and joined by commas, as 'GB0001','US0001'";
                return std::nullopt;
            }
            request.cities.push_back(item.substr(1, item.size() - 2));
            if (comma == std::string::npos) break;
            pos = comma + 1;
            if (pos == list.size()) {
                reason = "Bad request: city codes must be quoted and joined by commas, as 'GB0001','US0001'";
                return std::nullopt;
            }
        }
    }
    return request;
}

FeedServer::FeedServer(FeedData data, FeedOptions options)
    : m_data(std::move(data)), m_options(std::move(options)), m_sessionSeed(std::random_device{}()),
      m_server([this](const httplib::Request& req, httplib::Response& res) {
          FeedReply reply = Answer(req.method, req.path, req.get_header_value("Content-Type"),
                                   req.get_header_value("Cookie"), req.body);
          res.status = reply.status;
          std::string type = SetReplyHeaders(res, reply.headers);
          res.set_header("Server", "Jorvana stand-in feed");
          res.set_content(reply.body, type.c_str());
      }) {}

std::string FeedServer::SessionId(const std::string& cookie) {
    size_t at = cookie.find("JSESSIONID=");
    if (at != std::string::npos) {
        size_t start = at + 11;
        size_t end = cookie.find(';', start);
        std::string id = cookie.substr(start, end == std::string::npos ? std::string::npos : end - start);
        bool ok = id.size() >= 16 && id.size() <= 64;
        for (unsigned char ch : id)
            ok = ok && std::isalnum(ch);
        if (ok) return id;
    }
    std::lock_guard lock(m_mutex);
    std::mt19937_64 dice(m_sessionSeed++);
    static const char kHex[] = "0123456789ABCDEF";
    std::string id;
    for (int i = 0; i < 24; ++i)
        id += kHex[dice() & 15];
    return id;
}

FeedReply FeedServer::Answer(const std::string& method, const std::string& path,
                             const std::string& contentType, const std::string& cookie,
                             const std::string& body) {
    if (path != "/feed") return Refuse(404, "Not found: the feed is at /feed");
    if (method != "POST") return Refuse(400, "Bad request: the feed takes a form POST");
    std::string type = contentType.substr(0, contentType.find(';'));
    while (!type.empty() && type.back() == ' ')
        type.pop_back();
    if (type != "application/x-www-form-urlencoded")
        return Refuse(400, "Bad request: the body must be application/x-www-form-urlencoded");
    std::string reason;
    auto request = ParseFeedBody(body, reason);
    if (!request) return Refuse(400, reason);

    FeedReply reply;
    std::string message = "1000 Completed";
    if (request->code == 110) {
        reply.body = RatesReply(m_data.rates);
        std::string modified = LastModified(m_data.rates.date);
        if (!modified.empty()) reply.headers.emplace_back("Last-Modified", modified);
    } else {
        CivilDate day0 = m_options.today ? *m_options.today : TodayUtc();
        reply.body = WeatherReply(request->cities, m_data.places, day0);
        if (request->cities.empty())
            message = "1007 Current forecasts: no city asked for";
        else if (reply.body.empty())
            message = "1006 City not available";
    }
    // As a file saved by many editors begins: the program must read the reply without it.
    if (m_options.byteOrderMark) reply.body.insert(0, "\xEF\xBB\xBF");
    reply.headers.emplace_back("Content-Type", kPlain);
    reply.headers.emplace_back("sessionId", SessionId(cookie) + ".standin");
    reply.headers.emplace_back("ServerMSG", message);
    reply.headers.emplace_back("newsid", m_options.newsId);
    return reply;
}

} // namespace feedserver
