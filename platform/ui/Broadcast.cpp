// HWND_BROADCAST within this process and across the device's processes, over one Unix socket per
// process under <device root>/ipc. Each request is one packet; a sent broadcast waits for a one-byte
// answer from each process until its time-out, all processes in parallel.

#include "platform/ui/Broadcast.h"

#include "platform/base/Utf8.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/WindowManager.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace device::ui {

namespace {

constexpr uint32_t kMagic = 0x4A52564Eu;
constexpr uint32_t kMaxText = 4096;
constexpr int kConnectTimeoutMs = 200;
// A request of the layer itself, not a window message (window messages stay below 0x10000).
constexpr uint32_t kBringToFrontRequest = 0x4A520001u;
// "Which program are you?": answered with the length and UTF-8 text of the device path of the
// program the process runs.
constexpr uint32_t kIdentifyRequest = 0x4A520002u;
// "Close, as the user would": the program ends as on SIGTERM or its window's close.
constexpr uint32_t kCloseRequest = 0x4A520003u;

struct Packet {
    uint32_t magic;
    uint32_t kind;  // 0 send, 1 post
    uint32_t msg;
    uint32_t textLength;  // bytes of UTF-8 text following; then lParam is that text
    uint64_t wParam;
    int64_t lParam;
    uint32_t timeoutMs;
    uint32_t reserved;
};

struct Listener {
    std::mutex lock;
    std::thread thread;
    int fd = -1;
    int wake[2] = {-1, -1};
    std::filesystem::path path;
    std::atomic<bool> running{false};
    ~Listener();
};

Listener& TheListener() {
    static Listener listener;
    return listener;
}

std::filesystem::path IpcFolder() { return device::RootFolder() / "ipc"; }

bool FillAddress(const std::filesystem::path& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    std::string p = path.string();
    if (p.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, p.c_str(), p.size() + 1);
    return true;
}

bool ReadAll(int fd, void* data, size_t size, int timeoutMs) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, timeoutMs) <= 0) return false;
        ssize_t n = recv(fd, p, size, 0);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                pollfd pfd{fd, POLLOUT, 0};
                if (poll(&pfd, 1, kConnectTimeoutMs) <= 0) return false;
                continue;
            }
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Texts handed to windows with posted broadcasts must outlive the post: the last few are kept.
std::mutex g_textLock;
std::deque<std::wstring> g_postedTexts;

LPARAM KeepText(std::wstring text) {
    std::lock_guard lock(g_textLock);
    g_postedTexts.push_back(std::move(text));
    if (g_postedTexts.size() > 64) g_postedTexts.pop_front();
    return reinterpret_cast<LPARAM>(g_postedTexts.back().c_str());
}

std::vector<HWND> TopLevels() {
    std::lock_guard lock(Wm().lock);
    return Wm().topLevels;
}

void DeliverLocally(UINT msg, WPARAM wParam, LPARAM lParam, BroadcastKind kind, UINT timeoutMs) {
    for (HWND h : TopLevels()) {
        if (!IsWindow(h)) continue;
        if (kind == BroadcastKind::Post) PostMessageW(h, msg, wParam, lParam);
        else SendMessageTimeoutW(h, msg, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, nullptr);
    }
}

void Serve(int client) {
    Packet p{};
    if (!ReadAll(client, &p, sizeof p, 1000) || p.magic != kMagic || p.textLength > kMaxText) return;
    std::string utf8(p.textLength, '\0');
    if (p.textLength && !ReadAll(client, utf8.data(), utf8.size(), 1000)) return;
    LPARAM lParam = static_cast<LPARAM>(p.lParam);
    std::wstring text;
    if (p.textLength) text = device::FromUtf8(utf8);
    UINT timeout = std::min<uint32_t>(p.timeoutMs, 10000);
    if (p.msg == kBringToFrontRequest) {
        RequestBringToFront();
        return;
    }
    if (p.msg == kIdentifyRequest) {
        const std::string path = device::ToUtf8(device::ModuleDevicePath());
        const uint32_t length = static_cast<uint32_t>(std::min<size_t>(path.size(), kMaxText));
        if (WriteAll(client, &length, sizeof length)) WriteAll(client, path.data(), length);
        return;
    }
    if (p.msg == kCloseRequest) {
        RequestProgramEnd();
        return;
    }
    if (p.kind == 1) {
        if (p.textLength) lParam = KeepText(std::move(text));
        DeliverLocally(p.msg, static_cast<WPARAM>(p.wParam), lParam, BroadcastKind::Post, 0);
    } else {
        if (p.textLength) lParam = reinterpret_cast<LPARAM>(text.c_str());
        DeliverLocally(p.msg, static_cast<WPARAM>(p.wParam), lParam, BroadcastKind::Send, timeout);
        char done = 1;
        WriteAll(client, &done, 1);
    }
}

void ListenLoop(Listener* l) {
    while (l->running) {
        pollfd fds[2] = {{l->fd, POLLIN, 0}, {l->wake[0], POLLIN, 0}};
        int n = poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (fds[1].revents & POLLIN)) break;
        if (!(fds[0].revents & POLLIN)) continue;
        int client = accept4(l->fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        Serve(client);
        close(client);
    }
}

Listener::~Listener() { StopBroadcastListener(); }

bool ProcessAlive(pid_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

} // namespace

void StartBroadcastListener() {
    Listener& l = TheListener();
    std::lock_guard lock(l.lock);
    if (l.running) return;
    std::error_code ec;
    std::filesystem::create_directories(IpcFolder(), ec);
    l.path = IpcFolder() / (std::to_string(getpid()) + ".sock");
    sockaddr_un addr;
    if (!FillAddress(l.path, addr)) return;  // a device root too deep for a socket: no broadcasts in
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    unlink(l.path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || listen(fd, 16) < 0 || pipe2(l.wake, O_CLOEXEC) < 0) {
        close(fd);
        return;
    }
    l.fd = fd;
    l.running = true;
    l.thread = std::thread(ListenLoop, &l);
}

void StopBroadcastListener() {
    Listener& l = TheListener();
    std::lock_guard lock(l.lock);
    if (!l.running) return;
    l.running = false;
    char c = 0;
    if (write(l.wake[1], &c, 1) < 0) {
    }
    if (l.thread.joinable()) l.thread.join();
    close(l.fd);
    close(l.wake[0]);
    close(l.wake[1]);
    l.fd = l.wake[0] = l.wake[1] = -1;
    unlink(l.path.c_str());
}

namespace {

// Connects to the listener of process pid and sends it one of the layer's own requests; the
// open connection (for an answer) or -1.
int SendRequest(int pid, uint32_t request) {
    sockaddr_un addr;
    if (!FillAddress(IpcFolder() / (std::to_string(pid) + ".sock"), addr)) return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    Packet p{kMagic, 1u, request, 0, 0, 0, 0, 0};
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || !WriteAll(fd, &p, sizeof p)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendOnly(int pid, uint32_t request) {
    int fd = SendRequest(pid, request);
    if (fd < 0) return false;
    close(fd);
    return true;
}

} // namespace

bool AskProcessToFront(int pid) { return SendOnly(pid, kBringToFrontRequest); }

bool AskProcessToClose(int pid) { return SendOnly(pid, kCloseRequest); }

std::vector<DeviceProcess> RunningDeviceProcesses() {
    std::vector<DeviceProcess> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(IpcFolder(), ec)) {
        if (entry.path().extension() != ".sock") continue;
        const int pid = std::atoi(entry.path().stem().c_str());
        if (pid <= 0 || pid == getpid() || !ProcessAlive(pid)) continue;
        int fd = SendRequest(pid, kIdentifyRequest);
        if (fd < 0) continue;
        uint32_t length = 0;
        std::string path;
        if (ReadAll(fd, &length, sizeof length, 1000) && length <= kMaxText) {
            path.resize(length);
            if (length && !ReadAll(fd, path.data(), length, 1000)) path.clear();
        }
        close(fd);
        if (!path.empty()) found.push_back({pid, device::FromUtf8(path)});
    }
    return found;
}

bool DeviceProcessRunning(int pid) {
    if (!ProcessAlive(pid)) return false;
    // A process that has ended but whose parent has not yet collected it runs no more.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const size_t close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() || text[close + 2] != 'Z';
}

void BroadcastMessage(UINT msg, WPARAM wParam, LPARAM lParam, BroadcastKind kind, UINT timeoutMs) {
    std::string text;
    bool hasText = (msg == WM_SETTINGCHANGE) && lParam != 0;
    if (hasText) {
        text = device::ToUtf8(reinterpret_cast<LPCWSTR>(lParam));
        if (text.size() > kMaxText) text.resize(kMaxText);
    }
    // Other processes first, so they work while this one delivers its own.
    std::vector<int> waiting;
    std::error_code ec;
    std::string own = std::to_string(getpid()) + ".sock";
    for (const auto& entry : std::filesystem::directory_iterator(IpcFolder(), ec)) {
        std::string name = entry.path().filename().string();
        if (name == own || entry.path().extension() != ".sock") continue;
        pid_t pid = static_cast<pid_t>(std::atol(name.c_str()));
        sockaddr_un addr;
        if (!FillAddress(entry.path(), addr)) continue;
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) continue;
        if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) {
            bool pending = errno == EINPROGRESS || errno == EAGAIN;
            pollfd pfd{fd, POLLOUT, 0};
            if (!pending || poll(&pfd, 1, kConnectTimeoutMs) <= 0) {
                // Nobody listens any more: a process that died leaves its socket behind.
                if (!ProcessAlive(pid)) std::filesystem::remove(entry.path(), ec);
                close(fd);
                continue;
            }
        }
        Packet p{kMagic, kind == BroadcastKind::Post ? 1u : 0u, msg, static_cast<uint32_t>(hasText ? text.size() : 0),
                 static_cast<uint64_t>(wParam), hasText ? 0 : static_cast<int64_t>(lParam), timeoutMs, 0};
        if (!WriteAll(fd, &p, sizeof p) || (hasText && !WriteAll(fd, text.data(), text.size())) ||
            kind == BroadcastKind::Post) {
            close(fd);
            continue;
        }
        waiting.push_back(fd);
    }
    DeliverLocally(msg, wParam, lParam, kind, timeoutMs);
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (int fd : waiting) {
        int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
        char done;
        ReadAll(fd, &done, 1, std::max(left, 0));
        close(fd);
    }
}

} // namespace device::ui
