#pragma once
// Loopback servers whose replies a test scripts.
//   ScriptedServer: on the feed server's loopback server; per path a status, headers, body, a
//     delay before the reply, or a connection dropped partway through the body.
//   RawReplyServer: answers every connection with fixed bytes and closes it, for replies that
//     are not HTTP at all or a close before any reply.

#include "platform/programs/feed-server/LoopbackServer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

// A loopback port that nothing listens on.
inline int ClosedPort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    close(s);
    return ntohs(addr.sin_port);
}

struct ScriptedReply {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    int delayMs = 0; // wait before answering
    size_t dropAfter =
        std::string::npos; // close after this many body bytes (the length sent is the whole body's)
    int stallMs = 0;       // with dropAfter: wait this long before closing
};

class ScriptedServer {
public:
    ScriptedServer()
        : m_server([this](const httplib::Request& req, httplib::Response& res) { Serve(req, res); }) {
        m_server.Start(0);
    }

    // The reply for a path; paths without one get the default reply (200, empty body).
    void Script(const std::string& path, ScriptedReply reply) {
        std::lock_guard lock(m_mutex);
        m_replies[path] = std::move(reply);
    }
    void Redirect(const std::string& path, const std::string& location, int status = 302) {
        Script(path, {status, {{"Location", location}}, "moved\n"});
    }

    std::string Url(const std::string& path) const { return m_server.BaseUrl() + path; }
    int Port() const { return m_server.Port(); }
    std::vector<feedserver::ReceivedRequest> Requests() const { return m_server.Requests(); }

private:
    void Serve(const httplib::Request& req, httplib::Response& res) {
        ScriptedReply reply;
        {
            std::lock_guard lock(m_mutex);
            if (auto it = m_replies.find(req.path); it != m_replies.end()) reply = it->second;
        }
        if (reply.delayMs) m_server.Pause(reply.delayMs);
        res.status = reply.status;
        std::string type = feedserver::SetReplyHeaders(res, reply.headers);
        if (reply.dropAfter == std::string::npos) {
            res.set_content(reply.body, type.c_str());
            return;
        }
        auto body = std::make_shared<std::string>(reply.body);
        size_t cut = std::min(reply.dropAfter, body->size());
        int stall = reply.stallMs;
        res.set_content_provider(body->size(), type,
                                 [this, body, cut, stall](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset < cut) sink.write(body->data() + offset, cut - offset);
                                     if (stall) m_server.Pause(stall);
                                     return false; // closes the connection short of the announced length
                                 });
    }

    mutable std::mutex m_mutex;
    std::map<std::string, ScriptedReply> m_replies;
    feedserver::LoopbackServer m_server;
};

// A listening socket on a free loopback port (its number in port), or -1.
inline int ListenOnLoopback(int& port) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 8) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (listener >= 0) close(listener);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return listener;
}

// Takes in a request head (and whatever body came with it), waiting at most waitMs for each
// piece; what came, head or not.
inline std::string ReadRequestHead(int client, int waitMs) {
    std::string seen;
    char buf[4096];
    while (seen.find("\r\n\r\n") == std::string::npos) {
        pollfd c{client, POLLIN, 0};
        if (poll(&c, 1, waitMs) <= 0) break;
        ssize_t n = recv(client, buf, sizeof buf, 0);
        if (n <= 0) break;
        seen.append(buf, static_cast<size_t>(n));
    }
    return seen;
}

class RawReplyServer {
public:
    explicit RawReplyServer(std::string bytes) : m_bytes(std::move(bytes)) {
        m_socket = ListenOnLoopback(m_port);
        if (m_socket < 0) return;
        m_thread = std::thread([this] { Run(); });
    }
    ~RawReplyServer() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        if (m_socket >= 0) close(m_socket);
    }
    RawReplyServer(const RawReplyServer&) = delete;
    RawReplyServer& operator=(const RawReplyServer&) = delete;

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    int Connections() const { return m_connections; }

private:
    void Run() {
        while (!m_stop) {
            pollfd p{m_socket, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            int client = accept(m_socket, nullptr, nullptr);
            if (client < 0) continue;
            ++m_connections;
            // Take in the request head (and whatever body came with it) before answering.
            ReadRequestHead(client, 1000);
            if (!m_bytes.empty()) send(client, m_bytes.data(), m_bytes.size(), MSG_NOSIGNAL);
            close(client);
        }
    }

    std::string m_bytes;
    int m_socket = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

} // namespace testsupport
