#include "platform/system/DeviceDb.h"
#include "platform/system/DeviceRoot.h"
#include "support/FreshDevice.h"

#include <fstream>

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
