#include "platform/system/DeviceDb.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/Notifications.h"
#include "platform/system/ObjectStore.h"
#include "platform/system/Registry.h"
#include "support/FileSizeLimit.h"
#include "support/FreshDevice.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

using testsupport::FreshDevice;

using DeviceDbTest = FreshDevice;

namespace {
// The number a one-row query answers; -1 when it answers none.
int64_t QueryNumber(device::DeviceDb* db, const char* sql) {
    int64_t value = -1;
    db->Read([&](sqlite3* h) {
        device::Statement s(h, sql);
        if (s.Step()) value = s.Int(0);
        return true;
    });
    return value;
}
} // namespace

TEST_F(DeviceDbTest, RollsBackWhenTheWorkFails) {
    auto* db = device::DeviceDb::Get();
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(db->EnsureSchema("CREATE TABLE IF NOT EXISTS t(v INTEGER)"));
    EXPECT_FALSE(db->Write([](sqlite3* h) {
        device::Statement(h, "INSERT INTO t VALUES(1)").Run();
        return false;
    }));
    EXPECT_TRUE(db->Write([](sqlite3* h) {
        // A nested call joins the open transaction.
        device::DeviceDb::Get()->Write([](sqlite3* h2) { return device::Statement(h2, "INSERT INTO t VALUES(2)").Run(); });
        return device::Statement(h, "INSERT INTO t VALUES(3)").Run();
    }));
    EXPECT_EQ(QueryNumber(db, "SELECT sum(v) FROM t"), 5);
}

// Work left for the commit runs inside the transaction, after the rest of it; when it fails
// the whole transaction rolls back, and a rolled-back transaction never runs it.
TEST_F(DeviceDbTest, WorkLeftForTheCommitRunsLastAndOnlyForACommit) {
    auto* db = device::DeviceDb::Get();
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(db->EnsureSchema("CREATE TABLE IF NOT EXISTS c(v INTEGER)"));
    auto insert = [](int v) {
        return [v](sqlite3* h) { return device::Statement(h, "INSERT INTO c VALUES(?)").Bind(1, v).Run(); };
    };
    auto values = [&] {
        std::vector<int64_t> seen;
        db->Read([&](sqlite3* h) {
            device::Statement s(h, "SELECT v FROM c ORDER BY rowid");
            while (s.Step()) seen.push_back(s.Int(0));
            return true;
        });
        return seen;
    };
    int ran = 0;
    EXPECT_TRUE(db->Write([&](sqlite3* h) {
        db->BeforeCommit([&, insert](sqlite3* h2) { ++ran; return insert(9)(h2); });
        return insert(1)(h);
    }));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(values(), (std::vector<int64_t>{1, 9}));

    EXPECT_FALSE(db->Write([&](sqlite3* h) {
        db->BeforeCommit([&](sqlite3*) { ++ran; return true; });
        insert(2)(h);
        return false;
    }));
    EXPECT_EQ(ran, 1) << "dropped with the rolled-back transaction";
    EXPECT_FALSE(db->Write([&](sqlite3* h) {
        db->BeforeCommit([](sqlite3*) { return false; });
        return insert(3)(h);
    }));
    // A write joined to a read transaction commits the same way; nothing left over runs there.
    EXPECT_TRUE(db->Read([&](sqlite3*) {
        return db->Write([&](sqlite3* h) {
            db->BeforeCommit([&, insert](sqlite3* h2) { ++ran; return insert(8)(h2); });
            return insert(4)(h);
        });
    }));
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(values(), (std::vector<int64_t>{1, 9, 4, 8}));
}

TEST_F(DeviceDbTest, CorruptFileIsRefusedAndLeftUntouched) {
    device::DeviceDb::Close();
    {
        std::ofstream f(device::DatabaseFile(), std::ios::binary);
        f << std::string(4096, 'x');
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(device::DeviceDb::Get(), nullptr);
    EXPECT_EQ(device::DeviceDb::Get(), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(device::DatabaseFile().string()), std::string::npos);
    // Said once, not at every call.
    EXPECT_EQ(err.find("device:"), err.rfind("device:"));
    EXPECT_EQ(std::filesystem::file_size(device::DatabaseFile()), 4096u);
}

// A fault of the storage (here a full device) anywhere in a transaction undoes all of it, even
// when the work went on and said it succeeded; the connection counts the fault.
TEST_F(DeviceDbTest, AStorageFaultUndoesTheWholeTransaction) {
    auto* db = device::DeviceDb::Get();
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(db->EnsureSchema("CREATE TABLE IF NOT EXISTS f(v BLOB)"));
    const uint64_t faults = db->StorageFaults();
    bool wrote = false;
    {
        testsupport::FileSizeLimit full(testsupport::RoomForAFewPages(Root()));
        const std::vector<char> blob(4096, 'x');
        EXPECT_FALSE(db->Write([&](sqlite3*) {
            for (int i = 0; i < 2000; ++i)
                device::DeviceDb::Get()->Write([&](sqlite3* h2) {
                    return device::Statement(h2, "INSERT INTO f VALUES(?)")
                        .BindBlob(1, blob.data(), blob.size())
                        .Run();
                });
            wrote = true;
            return true;
        }));
    }
    EXPECT_TRUE(wrote);
    EXPECT_GT(db->StorageFaults(), faults);
    EXPECT_EQ(QueryNumber(db, "SELECT count(*) FROM f"), 0);
    // With room again the same work is kept.
    EXPECT_TRUE(
        db->Write([](sqlite3* h) { return device::Statement(h, "INSERT INTO f VALUES(x'01')").Run(); }));
}

// A store that another connection holds is waited for: freed inside the wait, the write goes
// through; held past it, the write fails as a storage fault and the storage reads as in use.
TEST_F(DeviceDbTest, AStoreHeldElsewhereIsWaitedForThenFailsAsAStorageFault) {
    using namespace std::chrono_literals;
    auto* db = device::DeviceDb::Get();
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(db->EnsureSchema("CREATE TABLE IF NOT EXISTS b(v INTEGER)"));
    const auto usualWait = device::BusyStoreWait();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(device::DatabaseFile().c_str(), &other), SQLITE_OK);
    auto insert = [&] {
        return db->Write([](sqlite3* h) { return device::Statement(h, "INSERT INTO b VALUES(1)").Run(); });
    };
    const uint64_t faults = db->StorageFaults();

    device::SetBusyStoreWait(3000ms);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([&] {
        std::this_thread::sleep_for(200ms);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    });
    EXPECT_TRUE(insert()) << "freed inside the wait";
    release.join();
    EXPECT_EQ(db->StorageFaults(), faults);

    device::SetBusyStoreWait(200ms);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(insert());
    EXPECT_GT(db->StorageFaults(), faults);
    EXPECT_EQ(device::CheckDeviceStorage(), device::DeviceStorage::InUse);
    EXPECT_TRUE(db->EnsureSchema("CREATE TABLE IF NOT EXISTS b(v INTEGER);"))
        << "a table that is there needs no lock";
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(device::CheckDeviceStorage(), device::DeviceStorage::Ready);
    device::SetBusyStoreWait(usualWait);

    EXPECT_EQ(QueryNumber(db, "SELECT count(*) FROM b"), 1);
}

// A store held for a whole wait is waited for once: the writes after it look only briefly, the
// reads it does not hold go on, and once it is free the first write gets through again. The
// faults are said as the store being in use.
TEST_F(DeviceDbTest, AStoreHeldPastOneWaitIsNotWaitedForAgainByEveryCall) {
    using namespace std::chrono_literals;
    using std::chrono::steady_clock;
    auto* db = device::DeviceDb::Get();
    ASSERT_NE(db, nullptr);
    ASSERT_TRUE(db->EnsureSchema("CREATE TABLE IF NOT EXISTS h(v INTEGER)"));
    const auto usualWait = device::BusyStoreWait();
    device::SetBusyStoreWait(400ms);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(device::DatabaseFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    auto insert = [&] {
        return db->Write([](sqlite3* h) { return device::Statement(h, "INSERT INTO h VALUES(1)").Run(); });
    };
    const auto started = steady_clock::now();
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(insert());
    EXPECT_LT(steady_clock::now() - started, 3 * device::BusyStoreWait()) << "ten writes, each its own wait";
    EXPECT_EQ(device::LastStorageFault(), device::StorageFault::InUse);
    EXPECT_TRUE(device::StoreHeldAgainst(true));
    EXPECT_FALSE(device::StoreHeldAgainst(false));
    EXPECT_EQ(QueryNumber(db, "SELECT count(*) FROM h"), 0) << "readers of the WAL go on";
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(insert());
    EXPECT_FALSE(device::StoreHeldAgainst(true));
    device::SetBusyStoreWait(usualWait);
}

// A device root that cannot be written (a read-only mount, a folder of another user) is told
// from a new device. Root may write anywhere, so the check runs as an unprivileged user then.
TEST_F(DeviceDbTest, AReadOnlyRootIsNotWritable) {
    const std::filesystem::path base = std::filesystem::temp_directory_path() /
                                       ("jorvana-readonly-" + std::to_string(static_cast<long>(getpid())));
    const std::filesystem::path used = base / "used", fresh = base / "fresh";
    std::filesystem::create_directories(fresh);
    device::UseRootFolder(used); // a device that was in use: its database is there
    ASSERT_NE(device::DeviceDb::Get(), nullptr);
    ASSERT_TRUE(device::DeviceDb::Get()->EnsureSchema("CREATE TABLE IF NOT EXISTS r(v INTEGER)"));
    device::UseRootFolder(Root());
    for (const auto& entry : std::filesystem::recursive_directory_iterator(used))
        chmod(entry.path().c_str(), entry.is_directory() ? 0555 : 0444);
    chmod(used.c_str(), 0555);
    chmod(base.c_str(), 0755);
    chmod(fresh.c_str(), 0777);

    auto writableAsUser = [](const std::filesystem::path& root) {
        pid_t child = fork();
        if (child == 0) {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
            device::UseRootFolder(root);
            _exit(device::DeviceStorageWritable() ? 1 : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(writableAsUser(used), 0);
    EXPECT_EQ(writableAsUser(fresh), 1);
    EXPECT_TRUE(device::DeviceStorageWritable()); // this test's own device
    std::filesystem::permissions(used, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(used))
        chmod(entry.path().c_str(), 0755);
    std::filesystem::remove_all(base);
}

// The first use of each store on a new device makes its tables; when that use was inside a
// transaction that rolled back, the tables went with it and the next use makes them again
// (a first start cut short must not leave the registry unusable for the rest of the run).
TEST_F(DeviceDbTest, TablesMadeInARolledBackTransactionAreMadeAgain) {
    auto* db = device::DeviceDb::Get();
    ASSERT_NE(db, nullptr);
    SORTORDERSPEC sort{static_cast<CEPROPID>(MAKELONG(CEVT_LPWSTR, 101)), 0};
    auto useEveryStore = [&] {
        HKEY key = nullptr;
        bool ok = RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\T", 0, nullptr, 0, 0, nullptr, &key, nullptr) ==
                  ERROR_SUCCESS;
        DWORD value = 7;
        ok = ok && RegSetValueExW(key, L"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
                       ERROR_SUCCESS;
        if (key) RegCloseKey(key);
        ok = ok && CeCreateDatabase(L"jrvT", 1, 1, &sort) != 0;
        DWORD needed = 0;
        ok = ok && CeGetUserNotificationHandles(nullptr, 0, &needed);
        return ok;
    };
    EXPECT_FALSE(db->Write([&](sqlite3*) {
        EXPECT_TRUE(useEveryStore());
        return false;
    }));
    EXPECT_TRUE(useEveryStore()) << "the stores made their tables again";
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\T", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD value = 0, cb = sizeof(value), type = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"v", nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb), ERROR_SUCCESS);
    EXPECT_EQ(value, 7u);
    RegCloseKey(key);
    CEOID oid = 0;
    HANDLE h = CeOpenDatabase(&oid, L"jrvT", 0, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// A device.db made before parts were noted: the start notes the parts it holds whole, so that one
// of their tables dropped later is told as damage rather than made again.
TEST_F(DeviceDbTest, AStoreMadeBeforePartsWereNotedHasItsWholePartsNotedAtTheStart) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
    auto raw = [&](const char* sql) {
        device::DeviceDb::Close();
        sqlite3* h = nullptr;
        sqlite3_open(device::DatabaseFile().c_str(), &h);
        sqlite3_exec(h, sql, nullptr, nullptr, nullptr);
        sqlite3_close(h);
    };
    raw("PRAGMA user_version = 0");
    ASSERT_EQ(device::CheckDeviceStorage(), device::DeviceStorage::Ready);
    raw("DROP TABLE reg_value; DROP TABLE reg_key");
    EXPECT_EQ(device::CheckDeviceStorage(), device::DeviceStorage::Damaged);
    EXPECT_EQ(device::DeviceDb::Get()->MissingTables(), (std::vector<std::string>{"reg_key", "reg_value"}));
}
