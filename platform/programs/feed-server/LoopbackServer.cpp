#include "platform/programs/feed-server/LoopbackServer.h"

#include <sys/socket.h>

#include <chrono>
#include <ctime>
#include <strings.h>

namespace feedserver {

std::string ReceivedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers)
        if (strcasecmp(key.c_str(), name.c_str()) == 0) return value;
    return {};
}

bool ReceivedRequest::HasHeader(const std::string& name) const {
    for (const auto& h : headers)
        if (strcasecmp(h.first.c_str(), name.c_str()) == 0) return true;
    return false;
}

LoopbackServer::LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
    auto serve = [this](const httplib::Request& req, httplib::Response& res) {
        {
            ReceivedRequest copy{req.method, req.path, {}, req.body};
            for (const auto& h : req.headers)
                copy.headers.emplace_back(h.first, h.second);
            std::lock_guard lock(m_mutex);
            m_requests.push_back(std::move(copy));
        }
        m_handler(req, res);
    };
    const char* any = R"(.*)";
    m_server.Get(any, serve);
    m_server.Post(any, serve);
    m_server.Put(any, serve);
    m_server.Patch(any, serve);
    m_server.Delete(any, serve);
    m_server.Options(any, serve);
    m_server.set_keep_alive_timeout(1);
    m_server.set_read_timeout(5);
    m_server.set_payload_max_length(65536);
    // Quick restarts, but never a second live listener on the port (the library's default
    // SO_REUSEPORT would let two servers share it silently).
    m_server.set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    m_server.set_logger([this](const httplib::Request& req, const httplib::Response& res) { Log(req, res); });
}

LoopbackServer::~LoopbackServer() {
    Stop();
}

std::string SetReplyHeaders(httplib::Response& res, const std::vector<std::pair<std::string, std::string>>& headers) {
    std::string type = "text/plain";
    for (const auto& [name, value] : headers) {
        if (name == "Content-Type")
            type = value;
        else
            res.set_header(name, value);
    }
    return type;
}

bool LoopbackServer::Start(int port) {
    if (Running()) return false;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = false;
    }
    if (port == 0) {
        m_port = m_server.bind_to_any_port("127.0.0.1");
        if (m_port <= 0) return false;
    } else {
        if (!m_server.bind_to_port("127.0.0.1", port)) return false;
        m_port = port;
    }
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    // Stop only reaches a server that is already listening: wait until it is.
    for (int i = 0; i < 2000 && !m_server.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void LoopbackServer::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_server.stop();
        m_thread.join();
    }
}

void LoopbackServer::SetLog(std::ostream* log) {
    std::lock_guard lock(m_mutex);
    m_log = log;
}

void LoopbackServer::SetBodyLimit(size_t bytes) {
    m_server.set_payload_max_length(bytes);
}

std::vector<ReceivedRequest> LoopbackServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void LoopbackServer::ClearRequests() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

void LoopbackServer::Pause(int ms) {
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

void LoopbackServer::Log(const httplib::Request& req, const httplib::Response& res) {
    std::lock_guard lock(m_mutex);
    if (!m_log) return;
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    *m_log << stamp << ' ' << (req.remote_addr.empty() ? "-" : req.remote_addr) << ' ' << req.method << ' '
           << req.path << " -> " << res.status << ' ' << res.body.size() << " bytes";
    if (res.has_header("ServerMSG")) *m_log << ' ' << res.get_header_value("ServerMSG");
    *m_log << std::endl;
}

} // namespace feedserver
