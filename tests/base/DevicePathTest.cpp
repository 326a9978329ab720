#include "platform/base/DevicePath.h"
#include "support/TempDevice.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using device::DeviceToHostPath;
using device::HostToDevicePath;
using device::SplitDevicePath;

TEST(DevicePath, SplitsAndRefusesWhatCouldLeaveTheRoot) {
    std::vector<std::wstring> parts;
    DWORD err = 0;
    ASSERT_TRUE(SplitDevicePath(L"\\Program Files\\Jorvana\\cities.lst", parts, err));
    EXPECT_EQ(parts, (std::vector<std::wstring>{L"Program Files", L"Jorvana", L"cities.lst"}));
    ASSERT_TRUE(SplitDevicePath(L"\\", parts, err));
    EXPECT_TRUE(parts.empty());
    ASSERT_TRUE(SplitDevicePath(L"/a//b/", parts, err)); // doubled and trailing separators
    EXPECT_EQ(parts, (std::vector<std::wstring>{L"a", L"b"}));

    EXPECT_FALSE(SplitDevicePath(L"\\a\\..\\..\\etc", parts, err));
    EXPECT_EQ(err, static_cast<DWORD>(ERROR_BAD_PATHNAME));
    EXPECT_FALSE(SplitDevicePath(L"\\a\\.\\b", parts, err));
    EXPECT_FALSE(SplitDevicePath(L"relative\\path", parts, err));
    EXPECT_EQ(err, static_cast<DWORD>(ERROR_BAD_PATHNAME));
    EXPECT_FALSE(SplitDevicePath(L"C:\\Windows", parts, err));
    EXPECT_FALSE(SplitDevicePath(L"\\a:b", parts, err));
    EXPECT_EQ(err, static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_FALSE(SplitDevicePath(L"\\what?", parts, err));
    EXPECT_FALSE(SplitDevicePath(std::wstring(L"\\a\x01"), parts, err));
    EXPECT_FALSE(SplitDevicePath(L"\\" + std::wstring(300, L'x'), parts, err));
    EXPECT_EQ(err, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST(DevicePath, LooksUpExistingNamesIgnoringCase) {
    testsupport::TempFolder root;
    fs::create_directories(root.Path() / "Program Files" / "Jorvana");
    std::ofstream(root.Path() / "Program Files" / "Jorvana" / "Cities.LST") << "x";

    fs::path host;
    DWORD err = 0;
    ASSERT_TRUE(DeviceToHostPath(root.Path(), L"\\PROGRAM FILES\\jorvana\\cities.lst", host, err));
    EXPECT_EQ(host, root.Path() / "Program Files" / "Jorvana" / "Cities.LST");
    // Missing components are taken as written, after the part that exists.
    ASSERT_TRUE(DeviceToHostPath(root.Path(), L"\\program files\\New\\File.txt", host, err));
    EXPECT_EQ(host, root.Path() / "Program Files" / "New" / "File.txt");
    // Non-ASCII names fold too.
    fs::create_directories(root.Path() / "\xc3\x89t\xc3\xa9");
    ASSERT_TRUE(DeviceToHostPath(root.Path(), L"\\\u00e9T\u00c9", host, err));
    EXPECT_EQ(host, root.Path() / "\xc3\x89t\xc3\xa9");
}

TEST(DevicePath, HostPathsMapBackOnlyInsideTheRoot) {
    std::wstring dev;
    ASSERT_TRUE(HostToDevicePath("/r/fs", "/r/fs/Program Files/Jorvana/Jorvana.exe", dev));
    EXPECT_EQ(dev, L"\\Program Files\\Jorvana\\Jorvana.exe");
    ASSERT_TRUE(HostToDevicePath("/r/fs", "/r/fs", dev));
    EXPECT_EQ(dev, L"\\");
    EXPECT_FALSE(HostToDevicePath("/r/fs", "/r/fs/../device.db", dev));
    EXPECT_FALSE(HostToDevicePath("/r/fs", "/elsewhere/x", dev));
}
