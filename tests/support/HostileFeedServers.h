#pragma once
// Feed servers that lie or stall, for the synchronisation tests:
//   TricklingServer: takes the request and then sends its reply a byte at a time, or nothing.
//   HostileFeedServers: the servers that never answer, trickle, send far too much, redirect in
//     a loop or close inside the reply head, with the box the exchange shows for each.

#include "core/HttpExchange.h"
#include "support/ScriptedServer.h"

#include <string>
#include <vector>

namespace testsupport {

// Takes each connection and its request head, then sends the reply one byte every intervalMs
// while the client stays; with an empty reply it keeps the connection open and silent. The
// connection closes when the reply is out, when the client leaves or when the server stops.
class TricklingServer {
public:
    TricklingServer(std::string reply, int intervalMs) : m_reply(std::move(reply)), m_intervalMs(intervalMs) {
        m_socket = ListenOnLoopback(m_port);
        if (m_socket < 0) return;
        m_thread = std::thread([this] { Run(); });
    }
    ~TricklingServer() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        if (m_socket >= 0) close(m_socket);
    }
    TricklingServer(const TricklingServer&) = delete;
    TricklingServer& operator=(const TricklingServer&) = delete;

    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }
    // Reply bytes sent so far, over every connection.
    size_t BytesSent() const { return m_sent; }

private:
    void Run() {
        while (!m_stop) {
            pollfd p{m_socket, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            int client = accept(m_socket, nullptr, nullptr);
            if (client < 0) continue;
            ReadRequestHead(client, 1000);
            char buf[4096];
            const int wait = m_reply.empty() ? 50 : m_intervalMs;
            for (size_t next = 0; !m_stop && (m_reply.empty() || next < m_reply.size());) {
                pollfd c{client, POLLIN, 0};
                int ready = poll(&c, 1, wait);
                if (ready > 0 && recv(client, buf, sizeof buf, 0) <= 0) break; // the client left
                if (ready != 0 || m_reply.empty()) continue;
                if (send(client, m_reply.data() + next, 1, MSG_NOSIGNAL) != 1) break;
                ++next;
                ++m_sent;
            }
            close(client);
        }
    }

    std::string m_reply;
    int m_intervalMs;
    int m_socket = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_sent{0};
    std::thread m_thread;
};

// The feed servers a synchronisation must survive. Each case names its server's address and
// the box the exchange shows for it (empty: none; the caller then shows its own failure). The
// trickled reply is a whole, valid one (body given by the caller), so that only the time-out
// keeps it out of the stores.
class HostileFeedServers {
public:
    struct Case {
        const char* name;
        std::string url;
        std::wstring message;
    };

    explicit HostileFeedServers(const std::string& validBody)
        : m_silent("", 0),
          m_trickle("HTTP/1.1 200 OK\r\nServerMSG: 1000 Completed\r\nContent-Length: " +
                        std::to_string(validBody.size()) + "\r\n\r\n" + validBody,
                    1000),
          m_cutHead("HTTP/1.1 200 OK\r\nServerMSG: 1000 Comp") {
        m_scripted.Script("/huge", {200, {{"ServerMSG", "1000 Completed"}}, std::string(4 << 20, 'x')});
        m_scripted.Redirect("/loop", m_scripted.Url("/loop"));
    }

    // Time-outs short enough for a test: the trickle's byte a second never lets the receive
    // time-out end the exchange, only the limit on the whole request does.
    static HttpExchangeTimeouts Timeouts() {
        HttpExchangeTimeouts t;
        t.connectionMs = 1000;
        t.connectMs = 1000;
        t.receiveMs = 1500;
        t.overallMs = 3000;
        return t;
    }

    std::vector<Case> Cases() const {
        const std::wstring later = L".\n\nPlease try again later.\n\nIf the problem persist please contact support.";
        const std::wstring silent = L"The server did not answer in time(12002)" + later;
        return {
            {"never answers", m_silent.Url("/feed"), silent},
            {"a byte a second", m_trickle.Url("/feed"), silent},
            {"body far over the limit", m_scripted.Url("/huge"), L""},
            {"redirect loop", m_scripted.Url("/loop"), L"The server redirected the request too many times(302)" + later},
            {"closes inside the head", m_cutHead.Url("/feed"),
             L"The server's reply was cut off or could not be read(12152)" + later},
        };
    }
    size_t TrickledBytes() const { return m_trickle.BytesSent(); }

private:
    TricklingServer m_silent;
    TricklingServer m_trickle;
    RawReplyServer m_cutHead;
    ScriptedServer m_scripted;
};

} // namespace testsupport
