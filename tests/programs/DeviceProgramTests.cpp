// The device programs as their own processes: no silent start without a display, a clean end
// on SIGTERM (a feed exchange and a busy store included), a device store that is held by another
// program or cannot be opened said with a failure status, and one running copy of the program
// per device.

#include "platform/system/ObjectStore.h"
#include "platform/system/Registry.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/DeviceUi.h"
#include "platform/system/DeviceDb.h"
#include "platform/system/DeviceSettings.h"
#include "platform/system/Notifications.h"
#include "support/FileSizeLimit.h"
#include "support/HostileFeedServers.h"
#include "support/TempDevice.h"
#include "support/WindowedDevice.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string kProgram = std::string(BUILD_DIR) + "/Jorvana.exe";

class DeviceProgramTest : public testsupport::WindowedDevice {
protected:
    // Starts a program with this device root; display: the DEVICE_DISPLAY to give, or "" for none
    // (and no host display either). Its standard error goes to a file.
    // root: the device root to give, or the test's own.
    // extra: more NAME=value settings.
    pid_t Spawn(const std::string& program, const std::vector<std::string>& args, const std::string& display,
                const fs::path& root = {}, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            std::string v = *e;
            if (v.rfind("DEVICE_ROOT=", 0) && v.rfind("DEVICE_DISPLAY=", 0) && v.rfind("DISPLAY=", 0) &&
                v.rfind("WAYLAND_DISPLAY=", 0))
                env.push_back(v);
        }
        env.push_back("DEVICE_ROOT=" + (root.empty() ? Root() : root).string());
        if (!display.empty()) env.push_back("DEVICE_DISPLAY=" + display);
        env.insert(env.end(), extra.begin(), extra.end());
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> a, e;
        for (auto& s : argv) a.push_back(s.data());
        a.push_back(nullptr);
        for (auto& s : env) e.push_back(s.data());
        e.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, ErrorFile().c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        pid_t pid = 0;
        int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, a.data(), e.data());
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0 ? pid : -1;
    }
    fs::path ErrorFile() const { return Root() / "stderr.txt"; }
    std::string ErrorText() const {
        std::ifstream in(ErrorFile());
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    // Waits for a condition, up to a minute (a hung program fails the test, it never passes it).
    template <typename Fn> static bool WaitFor(Fn&& ready) {
        for (int i = 0; i < 600; ++i) {
            if (ready()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    // The exit status of an ended program; -1 when it did not end within the minute, or died of a signal.
    static int ExitStatus(pid_t pid) {
        int status = 0;
        bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; });
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // A program with a screen is up once it listens for the device's broadcasts.
    fs::path SocketOf(pid_t pid) const { return Root() / "ipc" / (std::to_string(pid) + ".sock"); }
    void Install(const fs::path& root = {}) {
        const std::string command = "DEVICE_ROOT='" + (root.empty() ? Root() : root).string() + "' DEVICE_DISPLAY=headless '" +
                                    std::string(DEVICE_INSTALL) + "' '" + BUILD_DIR + "' '" + JORVANA_DATA_DIR +
                                    "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    static bool KeyExists(LPCWSTR path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    static DWORD ReadDword(LPCWSTR path, LPCWSTR name, DWORD missing) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return missing;
        DWORD value = missing, type = 0, size = sizeof value;
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
            value = missing;
        RegCloseKey(key);
        return value;
    }
};

TEST_F(DeviceProgramTest, WithoutADisplayEachProgramSaysSoAndEnds) {
    for (const std::string& program : {kProgram, std::string(TODAY_HOST), std::string(PEGHELP)}) {
        fs::remove(ErrorFile());
        pid_t pid = Spawn(program, {}, "");
        ASSERT_GT(pid, 0) << program;
        EXPECT_EQ(ExitStatus(pid), 2) << program;
        std::string text = ErrorText();
        EXPECT_NE(text.find("no display"), std::string::npos) << program << ": " << text;
        EXPECT_NE(text.find("DEVICE_DISPLAY=headless"), std::string::npos) << program << ": " << text;
    }
    EXPECT_FALSE(KeyExists(L"Jorvana")) << "the program wrote nothing";
}

TEST_F(DeviceProgramTest, SigtermEndsEveryProgramCleanly) {
    Install();
    // At the first start, during the language dialog: the program ends there, with the
    // language written as the dialog writes it and no Home City dialog after it.
    pid_t program = Spawn(kProgram, {}, "headless");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(SocketOf(program)); }));
    ASSERT_TRUE(WaitFor([&] { return ReadDword(L"Jorvana", L"lang", 99) == 0; }));
    kill(program, SIGTERM);
    EXPECT_EQ(ExitStatus(program), 0);
    EXPECT_FALSE(KeyExists(L"Jorvana\\wrldclk")) << "the main window never opened";
    EXPECT_FALSE(fs::exists(SocketOf(program)));

    // The Today host (which shows the program's item) and the help viewer.
    for (const auto& [path, args] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {TODAY_HOST, {}}, {PEGHELP, {"file:jrvhelp.htm"}}}) {
        pid_t pid = Spawn(path, args, "headless");
        ASSERT_TRUE(WaitFor([&] { return fs::exists(SocketOf(pid)); })) << path;
        kill(pid, SIGTERM);
        EXPECT_EQ(ExitStatus(pid), 0) << path;
        EXPECT_FALSE(fs::exists(SocketOf(pid))) << path;
    }

    // The feed server, once it serves.
    fs::remove(ErrorFile());
    pid_t server = Spawn(FEED_SERVER, {"--port", "0"}, "headless");
    ASSERT_TRUE(WaitFor([&] { return ErrorText().find("serving") != std::string::npos; }));
    kill(server, SIGTERM);
    EXPECT_EQ(ExitStatus(server), 0);
}

TEST_F(DeviceProgramTest, EndlessShippedFilesNeverHoldTheStartAndSigtermEndsIt) {
    Install();
    // Files that never end: each is taken for a damaged file (a message) and never read.
    const fs::path folder = Root() / "fs" / "Program Files" / "Jorvana";
    for (const char* name : {"cities.lst", "cities.wet", "default.skn", "langs.dat"}) {
        fs::remove(folder / name);
        fs::create_symlink("/dev/zero", folder / name);
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana", 0, nullptr, 0, 0, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD english = 0;
    RegSetValueExW(key, L"lang", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&english), sizeof english);
    RegCloseKey(key);
    pid_t program = Spawn(kProgram, {}, "headless");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(SocketOf(program)); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // into the stores' start-up
    kill(program, SIGTERM);
    EXPECT_EQ(ExitStatus(program), 0) << ErrorText();
}

// Another program holding the device's store: its own connection with an exclusive transaction
// open (writers wait; readers of the WAL go on), or, readersToo, in exclusive locking mode after
// a write (readers wait too), until Release.
class StoreHolder {
public:
    explicit StoreHolder(const fs::path& file, bool readersToo = false) {
        const char* hold = readersToo ? "PRAGMA locking_mode=EXCLUSIVE; BEGIN IMMEDIATE; CREATE TABLE IF NOT "
                                        "EXISTS held(v); INSERT INTO held VALUES(1); COMMIT"
                                      : "BEGIN EXCLUSIVE";
        m_holding = sqlite3_open(file.c_str(), &m_db) == SQLITE_OK &&
                    sqlite3_exec(m_db, hold, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~StoreHolder() {
        Release();
        sqlite3_close(m_db);
    }
    bool Holding() const { return m_holding; }
    void Release() {
        if (m_holding) sqlite3_exec(m_db, sqlite3_get_autocommit(m_db) ? "PRAGMA locking_mode=NORMAL; SELECT 1 FROM held" : "ROLLBACK",
                                    nullptr, nullptr, nullptr);
        m_holding = false;
    }

private:
    sqlite3* m_db = nullptr;
    bool m_holding = false;
};

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(DeviceProgramTest, AStoreHeldByAnotherProgramIsWaitedForThenReported) {
    Install();
    StoreHolder holder(Root() / "device.db");
    ASSERT_TRUE(holder.Holding());

    // Each waits for the store a few seconds, then says so and ends with a failure status.
    std::vector<pid_t> pids{Spawn(kProgram, {}, "headless"), Spawn(TODAY_HOST, {}, "headless"),
                            Spawn(DEVICE_INSTALL, {"--remove"}, "headless")};
    for (pid_t pid : pids)
        EXPECT_EQ(ExitStatus(pid), 1);
    EXPECT_EQ(Occurrences(ErrorText(), "storage is in use by another program"), 3u) << ErrorText();
    EXPECT_TRUE(fs::exists(Root() / "fs" / "Program Files" / "Jorvana" / "Jorvana.exe")) << "nothing removed";

    // SIGTERM during the wait ends the program there, before it has anything to say. The program
    // waits once it holds its single-copy lock (it has no window yet).
    auto holdsItsLock = [&](pid_t pid) {
        std::ifstream in(Root() / "ipc" / "Jorvana.exe.lock");
        std::string text;
        return std::getline(in, text) && text == std::to_string(pid);
    };
    fs::remove(ErrorFile());
    pid_t program = Spawn(kProgram, {}, "headless");
    ASSERT_TRUE(WaitFor([&] { return holdsItsLock(program); }));
    kill(program, SIGTERM);
    EXPECT_EQ(ExitStatus(program), 0);
    EXPECT_EQ(ErrorText().find("in use"), std::string::npos) << ErrorText();

    // A store freed inside the wait: the program goes on to its first start.
    program = Spawn(kProgram, {}, "headless");
    ASSERT_TRUE(WaitFor([&] { return holdsItsLock(program); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // into the wait
    holder.Release();
    EXPECT_TRUE(WaitFor([&] { return ReadDword(L"Jorvana", L"lang", 99) == 0; }))
        << "the language dialog runs";
    kill(program, SIGTERM);
    EXPECT_EQ(ExitStatus(program), 0);
    EXPECT_EQ(ErrorText().find("in use"), std::string::npos) << ErrorText();
}

// Readers blocked too: the program and the Today host tell it within one wait of the store, on a
// screen (SDL's dummy driver; the box is answered once it is up and painted) as headless, where
// each of the many reads of the box's loop used to wait its own wait, nearly a minute in all.
// SIGTERM during the wait ends either at once.
TEST_F(DeviceProgramTest, AStoreHeldAgainstReadersIsToldWithinOneWaitOnAScreenAndHeadless) {
    using std::chrono::steady_clock;
    // A device for the headless runs and one for those on a screen (the program runs once per
    // device), both held.
    testsupport::TempFolder onScreen("jorvana-device-");
    Install();
    Install(onScreen.Path());
    device::DeviceDb::Close(); // this process's own connection would keep the holder out
    StoreHolder holder(Root() / "device.db", true), screenHolder(onScreen.Path() / "device.db", true);
    ASSERT_TRUE(holder.Holding() && screenHolder.Holding());
    const std::vector<std::string> screen{"DISPLAY=:dummy", "SDL_VIDEODRIVER=dummy", "DEVICE_QUIT_AT_IDLE=1",
                                          "DEVICE_ANSWER_AT_IDLE=1"};
    struct Run {
        std::string what;
        pid_t pid;
    };
    const auto started = steady_clock::now();
    std::vector<Run> runs;
    for (const std::string& program : {kProgram, std::string(TODAY_HOST)}) {
        runs.push_back({program + " headless", Spawn(program, {}, "headless")});
        runs.push_back({program + " on a screen", Spawn(program, {}, "sdl", onScreen.Path(), screen)});
    }
    const auto wait = device::BusyStoreWait();
    for (const Run& run : runs) {
        EXPECT_EQ(ExitStatus(run.pid), 1) << run.what << ": " << ErrorText();
        EXPECT_LT(steady_clock::now() - started, 2 * wait) << run.what;
    }
    EXPECT_EQ(Occurrences(ErrorText(), "The device's storage is in use by another program!"), 2u) << ErrorText();

    for (const std::string& program : {kProgram, std::string(TODAY_HOST)}) {
        const pid_t pid = Spawn(program, {}, "sdl", onScreen.Path(), screen);
        auto waiting = [&] {
            std::ifstream lock(onScreen.Path() / "ipc" / "Jorvana.exe.lock");
            std::string holder;
            return fs::exists(onScreen.Path() / "ipc" / (std::to_string(pid) + ".sock")) ||
                   (std::getline(lock, holder) && holder == std::to_string(pid));
        };
        ASSERT_TRUE(WaitFor(waiting)) << program;
        std::this_thread::sleep_for(std::chrono::milliseconds(500)); // into the wait
        const auto asked = steady_clock::now();
        kill(pid, SIGTERM);
        EXPECT_EQ(ExitStatus(pid), 0) << program;
        EXPECT_LT(steady_clock::now() - asked, wait / 2) << program;
    }
}

// A device with no room left: the program and the Today host say that it is full, not that it
// is damaged or in use, and end with a failure status.
TEST_F(DeviceProgramTest, AFullDeviceIsToldAsFullWithAFailureStatus) {
    std::vector<pid_t> pids;
    {
        // No file of the new device's store can grow past a few bytes (standard error may).
        testsupport::FileSizeLimit full(2048);
        pids = {Spawn(kProgram, {}, "headless"), Spawn(TODAY_HOST, {}, "headless")};
    }
    for (pid_t pid : pids)
        EXPECT_EQ(ExitStatus(pid), 1) << ErrorText();
    EXPECT_EQ(Occurrences(ErrorText(), "The device's storage is full!"), 2u) << ErrorText();
    EXPECT_EQ(ErrorText().find("read-only"), std::string::npos) << ErrorText();
    EXPECT_EQ(ErrorText().find("in use"), std::string::npos) << ErrorText();
}

TEST_F(DeviceProgramTest, AStoreThatCannotBeOpenedIsReportedWithAFailureStatus) {
    testsupport::TempFolder bad;
    const fs::path folderInItsPlace = bad.Path() / "folder", damaged = bad.Path() / "damaged",
                   fileForRoot = bad.Path() / "file";
    fs::create_directories(folderInItsPlace / "device.db");
    fs::create_directories(damaged);
    std::ofstream(damaged / "device.db") << std::string(4096, 'x');
    std::ofstream(fileForRoot) << "not a folder";
    for (const fs::path& root : {folderInItsPlace, damaged, fileForRoot}) {
        fs::remove(ErrorFile());
        for (const auto& [program, args] : std::vector<std::pair<std::string, std::vector<std::string>>>{
                 {kProgram, {}}, {TODAY_HOST, {}}, {DEVICE_INSTALL, {"--remove"}}}) {
            pid_t pid = Spawn(program, args, "headless", root);
            ASSERT_GT(pid, 0);
            EXPECT_EQ(ExitStatus(pid), 1) << program << " on " << root;
        }
        EXPECT_EQ(Occurrences(ErrorText(), "storage is read-only or damaged"), 3u) << root << ": " << ErrorText();
    }
    EXPECT_EQ(fs::file_size(damaged / "device.db"), 4096u) << "left as it was";
}

// A device store that lost one of its tables (each dropped in turn) is a damaged store, told as
// one that cannot be opened is: the program, the Today host and the removal end with a failure
// status, and none of them makes the table afresh (a new device's empty one) over the user's data.
TEST_F(DeviceProgramTest, AStoreMissingATableIsToldAsDamagedAndNotMadeAgain) {
    Install();
    ASSERT_NE(CeCreateDatabase(L"jrvCities", 12345, 0, nullptr), 0u);
    DWORD handles = 0;
    CeGetUserNotificationHandles(nullptr, 0, &handles);
    ASSERT_TRUE(device::WriteDeviceSetting("zone", "Europe/Berlin"));
    device::DeviceDb::Close();
    const fs::path db = Root() / "device.db", kept = Root() / "kept.db";
    fs::copy_file(db, kept);
    auto run = [](const fs::path& file, const std::string& sql) {
        sqlite3* h = nullptr;
        sqlite3_open(file.c_str(), &h);
        std::string found;
        sqlite3_exec(
            h, sql.c_str(), [](void* out, int, char** v, char**) {
                *static_cast<std::string*>(out) += v[0] ? v[0] : "";
                return 0;
            },
            &found, nullptr);
        sqlite3_close(h);
        return found;
    };
    for (auto part : {device::StorePart::Registry, device::StorePart::ObjectStore, device::StorePart::Notifications,
                      device::StorePart::Settings}) {
        for (const char* table : device::StorePartTables(part)) {
            fs::remove(ErrorFile());
            for (const char* suffix : {"-wal", "-shm"}) fs::remove(db.string() + suffix);
            fs::copy_file(kept, db, fs::copy_options::overwrite_existing);
            run(db, std::string("DROP TABLE ") + table);
            for (const auto& [program, args] : std::vector<std::pair<std::string, std::vector<std::string>>>{
                     {kProgram, {}}, {TODAY_HOST, {}}, {DEVICE_INSTALL, {"--remove"}}})
                EXPECT_EQ(ExitStatus(Spawn(program, args, "headless")), 1) << program << " without " << table;
            EXPECT_EQ(Occurrences(ErrorText(), "storage is read-only or damaged"), 3u) << table << ": " << ErrorText();
            EXPECT_NE(ErrorText().find(std::string("its table ") + table + " is missing"), std::string::npos)
                << ErrorText();
            EXPECT_EQ(run(db, std::string("SELECT name FROM sqlite_master WHERE name = '") + table + "'"), "")
                << table << " was made again";
            EXPECT_TRUE(fs::exists(Root() / "fs" / "Program Files" / "Jorvana" / "Jorvana.exe")) << "not removed";
        }
    }
}

// The exchange is given up as a failed one while the server still sends, and nothing of the
// reply is kept.
TEST_F(DeviceProgramTest, SigtermEndsAFeedExchangeThatWaitsOnTheServer) {
    const std::string reply =
        "HTTP/1.1 200 OK\r\nsessionId: trickled.\r\nServerMSG: 1000 Completed\r\nContent-Length: 2\r\n\r\nok";
    testsupport::TricklingServer server(reply, 150);
    pid_t child = Spawn(FEED_EXCHANGE_CHILD, {server.Url("/feed")}, "headless");
    ASSERT_TRUE(WaitFor([&] { return server.BytesSent() > 0; })) << "the request is in and the reply comes";
    kill(child, SIGTERM);
    EXPECT_EQ(ExitStatus(child), 3) << ErrorText();
    EXPECT_LT(server.BytesSent(), reply.size());
    EXPECT_FALSE(KeyExists(L"Jorvana")) << "no session id or news mark stored";
}

TEST_F(DeviceProgramTest, ASecondStartBringsTheRunningCopyForward) {
    // This process plays the running copy: it holds the program's lock and shows a window.
    fs::create_directories(Root() / "ipc");
    int lock = open((Root() / "ipc" / "Jorvana.exe.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
    std::string pid = std::to_string(getpid());
    ASSERT_EQ(write(lock, pid.data(), pid.size()), static_cast<ssize_t>(pid.size()));
    HWND main = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP | WS_VISIBLE, 0, 0, 240, 294, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_TRUE(main);
    const int before = device::ui::BringToFrontCount();

    // The second start, with no language chosen yet: had it gone on, it would sit in the
    // language dialog and write the registry.
    pid_t second = Spawn(kProgram, {}, "headless");
    ASSERT_GT(second, 0);
    EXPECT_EQ(ExitStatus(second), 0);
    EXPECT_NE(ErrorText().find("already running"), std::string::npos) << ErrorText();
    EXPECT_FALSE(KeyExists(L"Jorvana"));
    ASSERT_TRUE(WaitFor([&] {
        device::ui::PumpUntilIdle();
        return device::ui::BringToFrontCount() > before;
    }));
    EXPECT_EQ(GetActiveWindow(), main) << "the front window of the running copy";
    DestroyWindow(main);
    close(lock);
}

// Removal while the program and the Today host run: the program is asked to close as the user
// would, ends, and only then is the product removed, so nothing is written back after it; the
// Today host lets the item go and goes on. A copy that cannot be asked stops the removal.
TEST_F(DeviceProgramTest, RemovalWhileTheProgramRunsClosesItFirstOrRefuses) {
    Install();
    // A device where the program ran before: language and home city chosen, its stores there.
    for (auto [path, name] : {std::pair{L"Jorvana", L"lang"}, {L"Jorvana\\wrldclk", L"clock"}}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
        const DWORD zero = 0;
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
        RegCloseKey(key);
    }
    ASSERT_NE(CeCreateDatabase(L"jrvConverters", 0, 0, nullptr), 0u);
    const fs::path folder = Root() / "fs" / "Program Files" / "Jorvana";
    const std::string remove = "DEVICE_ROOT='" + Root().string() + "' DEVICE_DISPLAY=headless '" +
                               std::string(DEVICE_INSTALL) + "' --remove >'" + (Root() / "removal.txt").string() +
                               "' 2>&1";
    auto removalText = [&] {
        std::ifstream in(Root() / "removal.txt");
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    };

    // A copy holding the program's lock that cannot be asked (this process holds it): refused.
    fs::create_directories(Root() / "ipc");
    int lock = open((Root() / "ipc" / "Jorvana.exe.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
    const std::string self = std::to_string(getpid());
    ASSERT_EQ(write(lock, self.data(), self.size()), static_cast<ssize_t>(self.size()));
    EXPECT_EQ(WEXITSTATUS(std::system(remove.c_str())), 1);
    EXPECT_NE(removalText().find("Nothing was removed"), std::string::npos) << removalText();
    EXPECT_TRUE(fs::exists(folder / "Jorvana.exe"));
    EXPECT_TRUE(KeyExists(L"Software\\Microsoft\\Today\\Items\\Ondrelpane"));
    close(lock);

    const pid_t program = Spawn(kProgram, {}, "headless");
    const pid_t today = Spawn(TODAY_HOST, {}, "headless");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(SocketOf(program)) && fs::exists(SocketOf(today)); }));
    ASSERT_TRUE(WaitFor([&] { return ReadDword(L"Jorvana", L"CurTab", 99) != 99; })) << "the main window is up";

    EXPECT_EQ(WEXITSTATUS(std::system(remove.c_str())), 0) << removalText();
    EXPECT_NE(removalText().find("closing \\Program Files\\Jorvana\\Jorvana.exe"), std::string::npos) << removalText();
    EXPECT_EQ(ExitStatus(program), 0);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_FALSE(fs::exists(Root() / "ipc" / "Jorvana.exe.lock")) << "the program's lock goes with it";
    EXPECT_FALSE(KeyExists(L"Jorvana")) << "written back after the removal";
    EXPECT_FALSE(KeyExists(L"Software\\Microsoft\\Today\\Items\\Ondrelpane"));
    // The Today host is the device's: it runs on without the item and still ends cleanly.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(waitpid(today, nullptr, WNOHANG), 0) << "the Today host ended";
    kill(today, SIGTERM);
    EXPECT_EQ(ExitStatus(today), 0);
    EXPECT_FALSE(KeyExists(L"Jorvana"));
}

} // namespace
