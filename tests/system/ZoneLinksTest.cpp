// tzdata's link names: the links of the carried tzdata both ways, chains, and a zone folder
// without tzdata.zi whose symbolic links tell the same.

#include "platform/system/DeviceTime.h"
#include "platform/system/ZoneLinks.h"
#include "support/TempDevice.h"
#include "support/TzdataFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

TEST(ZoneLinks, OldNamesStandForTheirZones) {
    testsupport::UseCarriedTzdir();
    for (const auto& [name, zone] :
         {std::pair{"America/Godthab", "America/Nuuk"}, std::pair{"Asia/Rangoon", "Asia/Yangon"},
          std::pair{"Europe/Kiev", "Europe/Kyiv"}, std::pair{"UTC", "Etc/UTC"}}) {
        EXPECT_EQ(device::ZoneLinks().at(name), zone);
        EXPECT_EQ(device::CanonicalZoneName(name), zone);
        EXPECT_EQ(device::CanonicalZoneName(zone), zone); // a zone stands for itself
    }
    EXPECT_EQ(device::CanonicalZoneName("<+0530>-05:30"), "<+0530>-05:30");
}

TEST(ZoneLinks, ChainsAreFollowedAndFolderLinksServeWithoutTzdataZi) {
    testsupport::TempFolder folder("jorvana-tzdir-");
    const auto& dir = folder.Path();
    std::filesystem::create_directories(dir / "Area");
    std::ofstream(dir / "tzdata.zi")
        << "# version test\nZ Area/New 1 - X\nL Area/New Area/Old\n"
           "L Area/Old Area/Older\nL Area/Loop1 Area/Loop2\nL Area/Loop2 Area/Loop1\n";
    setenv("TZDIR", dir.c_str(), 1);
    EXPECT_EQ(device::CanonicalZoneName("Area/Older"), "Area/New");
    EXPECT_EQ(device::CanonicalZoneName("Area/Old"), "Area/New");
    EXPECT_FALSE(device::CanonicalZoneName("Area/Loop1").empty()); // a loop ends

    std::filesystem::remove(dir / "tzdata.zi");
    std::ofstream(dir / "Area/Zone") << "TZif";
    std::filesystem::create_symlink("Zone", dir / "Area/Alias");
    std::filesystem::create_symlink("../../outside", dir / "Area/Escape");
    setenv("TZDIR", (dir / "Area/..").c_str(), 1); // another spelling of the folder: read again
    EXPECT_TRUE(device::ZoneLinks().empty());
    EXPECT_EQ(device::CanonicalZoneName("Area/Alias"), "Area/Zone");
    EXPECT_EQ(device::CanonicalZoneName("Area/Escape"), "Area/Escape");
    EXPECT_EQ(device::CanonicalZoneName("../Area/Alias"), "../Area/Alias");
    testsupport::UseCarriedTzdir();
}

} // namespace
