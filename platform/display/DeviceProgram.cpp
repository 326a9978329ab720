// Device program start-up: display check, single copy, stop signals, notification raising; the
// messages of a program that cannot go on.

#include "platform/display/DeviceProgram.h"

#include "platform/display/Display.h"
#include "platform/display/DisplayDriver.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceRoot.h"
#include "platform/ui/Broadcast.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/MessageBox.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

namespace device::display {

namespace {

int g_stopPipe[2] = {-1, -1};
volatile sig_atomic_t g_stopSignals = 0;
int g_lockFd = -1;

void OnStopSignal(int sig) {
    // The first signal asks for a clean end; another one while that runs ends the process now.
    if (g_stopSignals > 0) _exit(128 + sig);
    g_stopSignals = 1;
    char c = static_cast<char>(sig);
    if (write(g_stopPipe[1], &c, 1) < 0) {
    }
}

void WatchStopSignals() {
    static bool installed = false;
    if (installed || pipe2(g_stopPipe, O_CLOEXEC) != 0) return;
    installed = true;
    std::thread([] {
        char c;
        for (;;) {
            ssize_t n = read(g_stopPipe[0], &c, 1);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            device::ui::RequestProgramEnd();
        }
    }).detach();
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

// One lock file per program and device: <device root>/ipc/<program>.lock, holding its process id.
std::filesystem::path LockPath(const char* name) { return device::RootFolder() / "ipc" / (std::string(name) + ".lock"); }

// Takes the device's single-copy lock; false when another process holds it (its id in holder).
bool TakeSingleCopyLock(const char* name, int& holder) {
    holder = 0;
    if (g_lockFd >= 0) return true;
    const std::filesystem::path path = LockPath(name);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return true; // no lock to be had: better two copies than none
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        char text[32] = {};
        ssize_t n = pread(fd, text, sizeof text - 1, 0);
        if (n > 0) holder = std::atoi(text);
        close(fd);
        return false;
    }
    std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) < 0) {
    }
    g_lockFd = fd; // held until the process ends
    return true;
}

} // namespace

bool StartDeviceProgram(const ProgramStartOptions& options, int& exitCode) {
    exitCode = 0;
    const std::string wanted = std::getenv("DEVICE_DISPLAY") ? std::getenv("DEVICE_DISPLAY") : "";
    if (wanted.empty() && !kSdlDriver.available()) {
        std::fprintf(stderr,
                     "%s: there is no display to show the device's screen on (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set).\n"
                     "Run it from a desktop session, under a virtual X screen (xvfb-run %s), or with "
                     "DEVICE_DISPLAY=headless to run it without a screen.\n",
                     options.name, options.name);
        exitCode = 2;
        return false;
    }
    if (options.singleCopy) {
        int holder = 0;
        if (!TakeSingleCopyLock(options.name, holder)) {
            // The first copy may still be starting: give it a moment to listen.
            bool asked = false;
            for (int i = 0; i < 30 && !asked && holder > 0; ++i) {
                asked = device::ui::AskProcessToFront(holder);
                if (!asked) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            std::fprintf(stderr, "%s: already running on this device (process %d)%s\n", options.name, holder,
                         asked ? "; brought it to the front" : "");
            exitCode = 0;
            return false;
        }
    }
    WatchStopSignals();
    const char* driver = Start();
    if (wanted != "headless" && std::strcmp(driver, "headless") == 0) {
        std::fprintf(stderr,
                     "%s: the display cannot be opened, so the device's screen cannot be shown.\n"
                     "Check DISPLAY / WAYLAND_DISPLAY, or set DEVICE_DISPLAY=headless to run it without a "
                     "screen.\n",
                     options.name);
        Stop();
        exitCode = 2;
        return false;
    }
    device::ui::EnableNotificationRaising(true);
    return true;
}

int ShowClosingMessage(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    const char* driver = ActiveDriver();
    if (!driver || std::strcmp(driver, "headless") == 0)
        return device::ui::TerminalMessageBox(owner, text, caption, type);
    return MessageBoxW(owner, text, caption, type);
}

bool CheckDeviceStorageAtStart(const char* name, int& exitCode) {
    exitCode = 0;
    const std::wstring program = device::FromUtf8(name);
    device::DeviceStorage storage;
    {
        // The wait for a store another program holds shows the wait cursor.
        const HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        storage = device::CheckDeviceStorage();
        SetCursor(before);
    }
    // Each opens with the sentence the program's own messages give the cause.
    std::wstring text;
    switch (storage) {
    case device::DeviceStorage::Ready:
        return true;
    case device::DeviceStorage::Ending:
        return false;
    case device::DeviceStorage::InUse:
        text = std::wstring(kStorageInUse) + L"\n\n" + program + L" cannot start while it is. Close the other program, then start " +
               program + L" again.";
        break;
    case device::DeviceStorage::Full:
        text = std::wstring(kStorageFull) + L"\n\n" + program +
               L" cannot keep its data there and will close. Make room on the device, then start " + program +
               L" again.";
        break;
    case device::DeviceStorage::CannotOpen:
    case device::DeviceStorage::Damaged:
    case device::DeviceStorage::ReadOnly:
        text = std::wstring(kStorageReadOnly) + L"\n\n" + program + L" cannot keep its data in " +
               device::FromUtf8(device::DatabaseFile().string()) + L" and will close.";
        break;
    }
    ShowClosingMessage(nullptr, text.c_str(), program.c_str(), MB_OK | MB_ICONSTOP);
    exitCode = 1;
    return false;
}

} // namespace device::display
