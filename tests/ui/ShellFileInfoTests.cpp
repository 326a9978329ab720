// The shell's file information call: the system small icon of a folder or a file, by its
// attributes on the device or as the caller gives them, and refusals of what it does not offer.
#include "platform/ui/ShellFileInfo.h"
#include "platform/system/DeviceFiles.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class ShellFileInfoTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        std::filesystem::path host;
        ASSERT_TRUE(device::ResolveDevicePath(L"\\Skins", host));
        std::filesystem::create_directories(host);
        std::ofstream(host / "a.skn") << "x";
    }
};

TEST_F(ShellFileInfoTest, FolderAndFileIconsOfTheSystemList) {
    SHFILEINFOW info{};
    DWORD_PTR list = SHGetFileInfoW(L"\\Skins", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_DISPLAYNAME);
    EXPECT_EQ(list, reinterpret_cast<DWORD_PTR>(device::ui::SystemSmallImageList()));
    EXPECT_EQ(info.iIcon, device::ui::kSystemIconFolder);
    EXPECT_STREQ(info.szDisplayName, L"Skins");

    ASSERT_NE(SHGetFileInfoW(L"\\Skins\\a.skn", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON), 0u);
    EXPECT_EQ(info.iIcon, device::ui::kSystemIconFile);

    // Attributes given by the caller: the path need not exist.
    ASSERT_NE(SHGetFileInfoW(L"\\Nowhere", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                             SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES),
              0u);
    EXPECT_EQ(info.iIcon, device::ui::kSystemIconFolder);
}

TEST_F(ShellFileInfoTest, MissingPathsAndUnofferedRequestsGiveNothing) {
    SHFILEINFOW info{};
    info.iIcon = 7;
    EXPECT_EQ(SHGetFileInfoW(L"\\Nowhere", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON), 0u);
    EXPECT_EQ(info.iIcon, 7);
    EXPECT_EQ(SHGetFileInfoW(L"\\Skins", 0, &info, sizeof(info), SHGFI_ICON), 0u);
    EXPECT_EQ(SHGetFileInfoW(L"\\Skins", 0, &info, sizeof(info) - 1, SHGFI_SYSICONINDEX), 0u);
    EXPECT_EQ(SHGetFileInfoW(nullptr, 0, &info, sizeof(info), SHGFI_SYSICONINDEX), 0u);
}

} // namespace
