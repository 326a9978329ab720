// HWND_BROADCAST across device processes: a second process (this test program started again,
// running only the receiver below) hears a sent WM_SETTINGCHANGE 0xF2 before the send returns;
// dead and hung processes never hold the sender.

#include "UiTestSupport.h"

#include "platform/system/DeviceRoot.h"
#include "support/FreshDevice.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace std::chrono_literals;

namespace {

const char* kReceiverEnv = "JORVANA_BROADCAST_RECEIVER";
const char* kRootEnv = "JORVANA_BROADCAST_ROOT";

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return s;
}

// The second process: a top-level window that writes down every WM_SETTINGCHANGE it gets and
// ends on WM_APP + 7. Skipped in a normal run.
TEST(BroadcastReceiver, Run) {
    const char* out = std::getenv(kReceiverEnv);
    const char* root = std::getenv(kRootEnv);
    if (!out || !root) GTEST_SKIP() << "runs only as the second process of the broadcast test";
    device::UseRootFolder(root);
    static std::string s_out = out;
    WNDCLASSW wc{};
    wc.lpszClassName = L"BroadcastReceiver";
    wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == WM_SETTINGCHANGE) {
            std::ofstream(s_out, std::ios::app) << wParam << (lParam ? " text" : "") << "\n";
            return 0;
        }
        if (msg == WM_APP + 7) {
            DestroyWindow(h);
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcW(h, msg, wParam, lParam);
    };
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, L"BroadcastReceiver", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(w);
    // The window exists: the sender may broadcast now.
    std::ofstream(s_out + ".ready") << "ready\n";
    SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(1); });
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
}

class Broadcast : public testsupport::FreshDevice {};

TEST_F(Broadcast, ReachesTheTopLevelWindowsOfAnotherProcess) {
    auto out = Root() / "received.txt";
    std::string receiverEnv = std::string(kReceiverEnv) + "=" + out.string();
    std::string rootEnv = std::string(kRootEnv) + "=" + Root().string();
    std::vector<std::string> env{receiverEnv, rootEnv};
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=BroadcastReceiver.Run";
    char* argv[] = {self.data(), filter.data(), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, envp.data()), 0);

    // The socket can appear before the receiver's window does; wait for both.
    auto socket = Root() / "ipc" / (std::to_string(child) + ".sock");
    auto ready = out.string() + ".ready";
    auto start = std::chrono::steady_clock::now();
    while (!(std::filesystem::exists(socket) && std::filesystem::exists(ready)) &&
           std::chrono::steady_clock::now() - start < 10s)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(std::filesystem::exists(socket)) << "the second process is listening";
    ASSERT_TRUE(std::filesystem::exists(ready)) << "the second process has its window";

    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0xF2, 0, SMTO_ABORTIFHUNG, 3000, &result));
    EXPECT_EQ(ReadFile(out), "242\n") << "handled before the send returned";
    SendMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    EXPECT_EQ(ReadFile(out), "242\n0 text\n");

    PostMessageW(HWND_BROADCAST, WM_APP + 7, 0, 0);
    int status = -1;
    for (int i = 0; i < 500 && waitpid(child, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(WIFEXITED(status)) << "the posted broadcast ended the second process";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(Broadcast, DeadAndHungProcessesDoNotHoldTheSender) {
    auto ipc = Root() / "ipc";
    std::filesystem::create_directories(ipc);
    // A dead process's socket: nobody listens, and its pid is gone.
    auto dead = ipc / "999999999.sock";
    {
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, dead.c_str(), sizeof addr.sun_path - 1);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        close(fd);  // the file stays, the listener is gone
    }
    // A hung process: it listens (the parent of this test, alive) but never answers.
    auto hung = ipc / (std::to_string(getppid()) + ".sock");
    int hungFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, hung.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(hungFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(hungFd, 4), 0);

    auto start = std::chrono::steady_clock::now();
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0xF2, 0, SMTO_ABORTIFHUNG, 300, nullptr);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, 1500ms);
    EXPECT_FALSE(std::filesystem::exists(dead)) << "a dead process's socket is cleared away";
    EXPECT_TRUE(std::filesystem::exists(hung)) << "a live one stays";
    close(hungFd);
}

} // namespace
