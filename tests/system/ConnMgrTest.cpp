#include "platform/system/ConnMgr.h"
#include "platform/system/Registry.h"
#include "support/FreshDevice.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class ConnMgrTest : public testsupport::FreshDevice {
protected:
    void TearDown() override {
        unsetenv("DEVICE_NETWORK");
        FreshDevice::TearDown();
    }

    // A connection request as the program fills it: 64 bytes on the device, destination given,
    // all four proxy kinds, user-interactive.
    static CONNMGR_CONNECTIONINFO Request(const GUID& destination) {
        CONNMGR_CONNECTIONINFO info{};
        info.cbSize = 64;
        info.dwParams = CONNMGR_PARAM_GUIDDESTNET;
        info.dwFlags = CONNMGR_FLAG_PROXY_HTTP | CONNMGR_FLAG_PROXY_WAP | CONNMGR_FLAG_PROXY_SOCKS4 |
                       CONNMGR_FLAG_PROXY_SOCKS5;
        info.dwPriority = CONNMGR_PRIORITY_USERINTERACTIVE;
        info.guidDestNet = destination;
        return info;
    }

    // The GUID as 8-4-4-4-12 upper-case hex digits, as key paths name it.
    static std::wstring GuidText(const GUID& g) {
        wchar_t text[40];
        std::swprintf(text, 40, L"%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g.Data1, g.Data2,
                      g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                      g.Data4[6], g.Data4[7]);
        return text;
    }
};

TEST_F(ConnMgrTest, OneDestinationThatServesEveryUrl) {
    CONNMGR_DESTINATION_INFO info{};
    ASSERT_EQ(ConnMgrEnumDestinations(0, &info), S_OK);
    EXPECT_STREQ(info.szDescription, L"Host Network");
    EXPECT_EQ(ConnMgrEnumDestinations(1, &info), E_FAIL);
    EXPECT_EQ(ConnMgrEnumDestinations(-1, &info), E_FAIL);

    GUID mapped{};
    DWORD index = 99;
    ASSERT_EQ(ConnMgrMapURL(L"http://www.example.com/", &mapped, &index), S_OK);
    EXPECT_TRUE(mapped == info.guid);
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(ConnMgrMapURL(L"", &mapped, &index), E_INVALIDARG);
    EXPECT_EQ(ConnMgrMapURL(nullptr, &mapped, &index), E_INVALIDARG);
}

TEST_F(ConnMgrTest, HttpProviderKeyOfTheDestinationOpens) {
    CONNMGR_DESTINATION_INFO info{};
    ASSERT_EQ(ConnMgrEnumDestinations(0, &info), S_OK);
    std::wstring path =
        L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{EF097F4C-DC4B-4c98-8FF6-AEF805DC0E8E}\\HTTP-" +
        GuidText(info.guid);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    // No key for a destination the device does not have.
    std::wstring other = L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{EF097F4C-DC4B-4c98-8FF6-AEF805DC0E8E}\\"
                         L"HTTP-436EF144-B4FB-4863-A041-8F905A62C572";
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, other.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(ConnMgrTest, ConnectsAndReleasesOnce) {
    CONNMGR_CONNECTIONINFO request = Request(device::kHostNetworkGuid);
    HANDLE first = nullptr, second = nullptr;
    DWORD status = 0;
    ASSERT_EQ(ConnMgrEstablishConnectionSync(&request, &first, 30000, &status), S_OK);
    EXPECT_EQ(status, static_cast<DWORD>(CONNMGR_STATUS_CONNECTED));
    ASSERT_NE(first, nullptr);
    // The program asks twice in a row; both are live connections of their own.
    ASSERT_EQ(ConnMgrEstablishConnectionSync(&request, &second, 30000, &status), S_OK);
    EXPECT_NE(first, second);

    EXPECT_EQ(ConnMgrConnectionStatus(first, &status), S_OK);
    EXPECT_EQ(status, static_cast<DWORD>(CONNMGR_STATUS_CONNECTED));
    EXPECT_EQ(ConnMgrReleaseConnection(first, 0), S_OK);
    EXPECT_EQ(ConnMgrReleaseConnection(first, 0), E_INVALIDARG);
    EXPECT_EQ(ConnMgrConnectionStatus(first, &status), E_INVALIDARG);
    EXPECT_EQ(ConnMgrReleaseConnection(second, 0), S_OK);
}

TEST_F(ConnMgrTest, RefusesOtherDestinationsAndBadRequests) {
    const GUID internet = {0x436EF144, 0xB4FB, 0x4863, {0xA0, 0x41, 0x8F, 0x90, 0x5A, 0x62, 0xC5, 0x72}};
    CONNMGR_CONNECTIONINFO request = Request(internet);
    HANDLE connection = reinterpret_cast<HANDLE>(1);
    DWORD status = 0;
    EXPECT_EQ(ConnMgrEstablishConnectionSync(&request, &connection, 30000, &status), E_FAIL);
    EXPECT_EQ(status, static_cast<DWORD>(CONNMGR_STATUS_CONNECTIONFAILED));
    EXPECT_EQ(connection, nullptr);

    request = Request(device::kHostNetworkGuid);
    request.bDisabled = TRUE;
    EXPECT_EQ(ConnMgrEstablishConnectionSync(&request, &connection, 30000, &status), E_FAIL);

    request = Request(device::kHostNetworkGuid);
    request.cbSize = 8;
    EXPECT_EQ(ConnMgrEstablishConnectionSync(&request, &connection, 30000, &status), E_INVALIDARG);
}

TEST_F(ConnMgrTest, OfflineDeviceHasNoPath) {
    CONNMGR_CONNECTIONINFO request = Request(device::kHostNetworkGuid);
    HANDLE before = nullptr, after = reinterpret_cast<HANDLE>(1);
    DWORD status = 0;
    ASSERT_EQ(ConnMgrEstablishConnectionSync(&request, &before, 30000, &status), S_OK);

    setenv("DEVICE_NETWORK", "off", 1);
    EXPECT_FALSE(device::NetworkOnline());
    EXPECT_EQ(ConnMgrEstablishConnectionSync(&request, &after, 30000, &status), E_FAIL);
    EXPECT_EQ(status, static_cast<DWORD>(CONNMGR_STATUS_NOPATHTODESTINATION));
    EXPECT_EQ(after, nullptr);
    // The destinations are still known; a connection made before reads as disconnected.
    CONNMGR_DESTINATION_INFO info{};
    EXPECT_EQ(ConnMgrEnumDestinations(0, &info), S_OK);
    EXPECT_EQ(ConnMgrConnectionStatus(before, &status), S_OK);
    EXPECT_EQ(status, static_cast<DWORD>(CONNMGR_STATUS_DISCONNECTED));
    EXPECT_EQ(ConnMgrReleaseConnection(before, 0), S_OK);

    setenv("DEVICE_NETWORK", "on", 1);
    EXPECT_TRUE(device::NetworkOnline());
}

} // namespace
