#include "platform/system/DeviceDb.h"
#include "platform/system/DeviceRoot.h"
#include "support/FreshDevice.h"

#include <fstream>
#include <vector>

using testsupport::FreshDevice;

using DeviceDbTest = FreshDevice;

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
    int64_t sum = -1;
    db->Read([&](sqlite3* h) {
        device::Statement s(h, "SELECT sum(v) FROM t");
        if (s.Step()) sum = s.Int(0);
        return true;
    });
    EXPECT_EQ(sum, 5);
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
