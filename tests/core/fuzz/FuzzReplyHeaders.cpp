// libFuzzer target for the feed server's reply head: a loopback server answers every connection
// with the input (status line, headers, body) and closes it, and one feed exchange runs against
// it. "@@" in the input stands for the server's own address, so that a redirect can come back.
// The exchange must end with at most one box after the confirmation, keep only a usable session
// id, and hand back a body under its cap, and only from a success.
#include "FuzzDevice.h"
#include "core/HttpExchange.h"
#include "core/RegistryKey.h"
#include "platform/base/CodePage.h"
#include "platform/framework/Internet.h"
#include "platform/ui/MessageBox.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Answers each connection with the current reply once its request head has come in.
class ReplyServer {
public:
    ReplyServer() {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        FUZZ_CHECK(m_socket >= 0 && bind(m_socket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                   listen(m_socket, 8) == 0 &&
                   getsockname(m_socket, reinterpret_cast<sockaddr*>(&addr), &len) == 0);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~ReplyServer() {
        m_stop = true;
        m_thread.join();
        close(m_socket);
    }
    void SetReply(std::string bytes) {
        std::lock_guard lock(m_lock);
        m_reply = std::move(bytes);
    }
    int Port() const { return m_port; }

private:
    void Run() {
        while (!m_stop) {
            pollfd p{m_socket, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            int client = accept(m_socket, nullptr, nullptr);
            if (client < 0) continue;
            std::string seen;
            char buf[4096];
            while (seen.find("\r\n\r\n") == std::string::npos) {
                pollfd c{client, POLLIN, 0};
                if (poll(&c, 1, 500) <= 0) break;
                ssize_t n = recv(client, buf, sizeof buf, 0);
                if (n <= 0) break;
                seen.append(buf, static_cast<size_t>(n));
            }
            std::string reply;
            {
                std::lock_guard lock(m_lock);
                reply = m_reply;
            }
            for (size_t sent = 0; sent < reply.size();) {
                ssize_t n = send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<size_t>(n);
            }
            close(client);
        }
    }

    int m_socket = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::string m_reply;
    std::thread m_thread;
};

// True when every redirect the exchange could follow leads back to this server: an input may
// not send the exchange to another host or port.
bool RedirectsStayHome(const std::wstring& text, int port) {
    for (size_t at = text.find(L"Location: "); at != std::wstring::npos; at = text.find(L"Location: ", at + 1)) {
        size_t start = at + 10;
        size_t end = text.find_first_of(L"\r\n", start);
        CString url(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        DWORD service = 0;
        CString server, object;
        INTERNET_PORT to = 0;
        if (AfxParseURL(url, service, server, object, to) && service == AFX_INET_SERVICE_HTTP &&
            (server != L"127.0.0.1" || to != port))
            return false;
    }
    return true;
}

ReplyServer& Server() {
    static ReplyServer server;
    return server;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzdevice::EnsureDevice();
    static bool quick = [] {
        HttpExchangeTimeouts timeouts;
        timeouts.connectionMs = 500;
        timeouts.connectMs = 500;
        timeouts.receiveMs = 300;
        timeouts.overallMs = 1000;
        SetHttpExchangeTimeouts(timeouts);
        return true;
    }();
    (void)quick;
    ReplyServer& server = Server();
    std::string reply(reinterpret_cast<const char*>(data), size);
    const std::string home = "127.0.0.1:" + std::to_string(server.Port());
    for (size_t at = reply.find("@@"); at != std::string::npos; at = reply.find("@@", at + home.size()))
        reply.replace(at, 2, home);
    if (!RedirectsStayHome(device::WidenBytes(reply), server.Port())) return 0;
    server.SetReply(reply);

    CRegistryKey registry;
    registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"MSSI", L"STORED1");
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK, IDOK});
    const CString body = HttpExchange(CString(("http://" + home + "/feed").c_str()), L"jc=111", nullptr);

    // The confirmation, then at most one box.
    const auto boxes = device::ui::MessageBoxRecords();
    FUZZ_CHECK(!boxes.empty() && boxes.front().caption == L"Confirmation");
    FUZZ_CHECK(boxes.size() <= 2);
    FUZZ_CHECK(body.GetLength() < kFeedBodyCap);
    const CString session = registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"MSSI");
    FUZZ_CHECK(IsUsableSessionId(session));
    const DWORD news = registry.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"newnews");
    FUZZ_CHECK(news == 0 || news == 1);
    return 0;
}
