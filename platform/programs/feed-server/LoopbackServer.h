#pragma once
// An HTTP server on the loopback interface, in a thread of its own, that hands every request to
// one handler and keeps a copy of each request it received. The feed server and the tests'
// scripted server both run on it.

#include <httplib.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace feedserver {

struct ReceivedRequest {
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The value of the first header of that name (letter case ignored), "" when none.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

// Puts headers on a reply, all but Content-Type, which is returned (default "text/plain") for the
// body's set_content.
std::string SetReplyHeaders(httplib::Response& res, const std::vector<std::pair<std::string, std::string>>& headers);

class LoopbackServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Listens on 127.0.0.1 at port (0: any free port) and serves in the background. False when
    // the port cannot be bound.
    bool Start(int port = 0);
    // Stops serving and wakes handlers sleeping in Pause.
    void Stop();
    int Port() const { return m_port; }
    bool Running() const { return m_thread.joinable(); }
    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    // One line per request ("<UTC time> <client> <method> <path> -> <status> <bytes> bytes
    // [ServerMSG]"); null for none. The stream must outlive the server.
    void SetLog(std::ostream* log);
    // Largest request body taken; a longer one is refused with 413.
    void SetBodyLimit(size_t bytes);

    std::vector<ReceivedRequest> Requests() const;
    void ClearRequests();

    // Sleeps up to ms milliseconds, less when the server stops; for handlers that delay.
    void Pause(int ms);

private:
    void Log(const httplib::Request& req, const httplib::Response& res);

    httplib::Server m_server;
    Handler m_handler;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::ostream* m_log = nullptr;
    std::vector<ReceivedRequest> m_requests;
};

} // namespace feedserver
