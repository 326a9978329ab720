// pack.dat: the exact bytes of the default set, round trips, the marker rules, and damaged,
// truncated and oversized files, which must neither crash nor lose what can be read.

#include "platform/base/CodePage.h"
#include "support/DeviceFileAccess.h"
#include "support/FreshDevice.h"
#include "tools/PackingListFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring W(const std::string& bytes) { return device::WidenBytes(bytes); }
std::wstring S(const CString& text) { return std::wstring(static_cast<LPCWSTR>(text)); }

PackData Parse(const std::string& bytes, bool expectData = true) {
    PackData data;
    EXPECT_EQ(ParsePackingList(W(bytes), data), expectData);
    return data;
}

TEST(PackingListFile, DefaultSetIsTheTwentyThreeBytes) {
    const std::string bytes = FormatPackingList(DefaultPackingList());
    EXPECT_EQ(bytes, std::string(">\r\nAll\r\n*\r\nAll Items\r\n<"));
    EXPECT_EQ(bytes.size(), 23u);
    PackData back = Parse(bytes);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(S(back[0].name), L"All");
    ASSERT_EQ(back[0].lists.size(), 1u);
    EXPECT_EQ(S(back[0].lists[0].name), L"All Items");
    EXPECT_TRUE(back[0].lists[0].items.empty());
}

TEST(PackingListFile, RoundTripKeepsCategoriesListsItemsAndMarks) {
    PackData data = DefaultPackingList();
    data[0].lists[0].items = {{L"Passport", true}, {L"Socks", false}, {L"", false}, {L"Caf\u00e9 filter", true}};
    PackCategory beach{L"Beach", {{L"All Items", {{L"Towel", false}}}}};
    for (int l = 1; l < kMaxPackLists; ++l) beach.lists.push_back({CString(L"List ") + CString(std::to_wstring(l).c_str()), {{L"x", l % 2 == 0}}});
    data.push_back(beach);
    data.push_back({L"Ski", {{L"All Items", {}}}});

    const std::string bytes = FormatPackingList(data);
    // A checked item followed by an unchecked one: flags right before their CR LF.
    EXPECT_NE(bytes.find("Passport1\r\nSocks0\r\n"), std::string::npos);
    // Characters of the code page are written as their single byte.
    EXPECT_NE(bytes.find("Caf\xe9 filter1\r\n"), std::string::npos);
    PackData back = Parse(bytes);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].lists[0].items.size(), 4u);
    EXPECT_TRUE(back[0].lists[0].items[0].checked);
    EXPECT_EQ(S(back[0].lists[0].items[2].text), L""); // the line "0" alone
    EXPECT_EQ(S(back[0].lists[0].items[3].text), L"Caf\u00e9 filter");
    ASSERT_EQ(back[1].lists.size(), 10u); // all ten lists, nothing of the next category's
    EXPECT_EQ(S(back[1].lists[9].name), L"List 9");
    EXPECT_FALSE(back[1].lists[9].items[0].checked);
    EXPECT_TRUE(back[1].lists[8].items[0].checked);
    EXPECT_EQ(S(back[2].name), L"Ski");
    EXPECT_EQ(back[2].lists.size(), 1u);
    EXPECT_EQ(FormatPackingList(back), bytes);
}

TEST(PackingListFile, LongItemsKeepTheirFlagAtTheEnd) {
    PackData data = DefaultPackingList();
    const CString longText(std::wstring(700, L'a').c_str());
    data[0].lists[0].items = {{longText, true}, {L"b", false}};
    PackData back = Parse(FormatPackingList(data));
    ASSERT_EQ(back[0].lists[0].items.size(), 2u);
    EXPECT_EQ(back[0].lists[0].items[0].text.GetLength(), 700);
    EXPECT_TRUE(back[0].lists[0].items[0].checked);
}

TEST(PackingListFile, MarkersAreKnownByTheirFirstCharacter) {
    // An item beginning with "*" starts a list; one beginning with "<" ends the data.
    PackData data = Parse(">\r\nAll\r\n*\r\nAll Items\r\nTent1\r\n*pegs0\r\nRope0\r\n<rest0\r\nLost1\r\n<");
    ASSERT_EQ(data.size(), 1u);
    ASSERT_EQ(data[0].lists.size(), 2u);
    EXPECT_EQ(S(data[0].lists[1].name), L"Rope0");
    EXPECT_TRUE(data[0].lists[1].items.empty());
    // Bare LF line ends: every name loses its last character and flags come from the text.
    data = Parse(">\nAll\n*\nAll Items\nHat\n<");
    EXPECT_EQ(S(data[0].name), L"Al");
    EXPECT_EQ(S(data[0].lists[0].name), L"All Item");
    EXPECT_EQ(S(data[0].lists[0].items[0].text), L"H");
    EXPECT_FALSE(data[0].lists[0].items[0].checked);
}

TEST(PackingListFile, DamagedFilesKeepWhatCanBeRead) {
    // No data at all.
    Parse("", false);
    Parse("All\r\n*\r\nAll Items\r\n<", false);
    Parse("\x00\xff\x10garbage", false);
    // A category without a list line, after a complete one.
    PackData data = Parse(">\r\nAll\r\n*\r\nAll Items\r\nMap1\r\n>\r\nWork\r\nLaptop0\r\n<");
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(S(data[0].lists[0].items[0].text), L"Map");
    EXPECT_EQ(S(data[1].name), L"Work");
    ASSERT_EQ(data[1].lists.size(), 1u);
    EXPECT_EQ(S(data[1].lists[0].name), L"All Items");
    // "*" followed by ">", and ">" followed by "<".
    data = Parse(">\r\nAll\r\n*\r\nAll Items\r\nMap1\r\n*\r\n>\r\nX\r\n<");
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0].lists.size(), 1u);
    data = Parse(">\r\nAll\r\n*\r\nAll Items\r\nMap1\r\n>\r\n<");
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0].lists[0].items.size(), 1u);
    // Cut off in the middle of an item, and without the final "<".
    data = Parse(">\r\nAll\r\n*\r\nAll Items\r\nMap1\r\nSun");
    ASSERT_EQ(data[0].lists[0].items.size(), 2u);
    EXPECT_EQ(S(data[0].lists[0].items[1].text), L"S");
    data = Parse(">\r\nAll\r\n*\r\nAll Items\r\nMap1\r\n");
    EXPECT_EQ(data[0].lists[0].items.size(), 1u);
    data = Parse(">\r\nAll");
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(S(data[0].lists[0].name), L"All Items");
}

TEST(PackingListFile, CategoriesAndListsBeyondTheLimitsAreLeftOut) {
    std::string bytes;
    for (int c = 0; c < 12; ++c) {
        bytes += ">\r\nC" + std::to_string(c) + "\r\n";
        for (int l = 0; l < 12; ++l) bytes += "*\r\nL" + std::to_string(l) + "\r\nitem" + std::to_string(l) + "1\r\n";
    }
    bytes += "<";
    PackData data = Parse(bytes);
    ASSERT_EQ(data.size(), 10u);
    for (const PackCategory& category : data) EXPECT_EQ(category.lists.size(), 10u);
    EXPECT_EQ(S(data[9].name), L"C9");
    EXPECT_EQ(S(data[0].lists[9].items[0].text), L"item9");
}

class PackingListFileOnDevice : public testsupport::FreshDevice {};

TEST_F(PackingListFileOnDevice, MissingFileIsCreatedEmptyAndWritesGoThroughWhole) {
    const std::wstring path = L"\\Program Files\\Jorvana\\pack.dat";
    testsupport::MakeFolder(L"\\Program Files\\Jorvana");
    PackData data;
    EXPECT_FALSE(ReadPackingListFile(path.c_str(), data));
    EXPECT_TRUE(testsupport::DeviceFileExists(path));
    EXPECT_EQ(testsupport::ReadDeviceFile(path), "");

    data = DefaultPackingList();
    data[0].lists[0].items.push_back({L"Boots", true});
    ASSERT_TRUE(WritePackingListFile(path.c_str(), data));
    EXPECT_EQ(testsupport::ReadDeviceFile(path), ">\r\nAll\r\n*\r\nAll Items\r\nBoots1\r\n<");
    PackData back;
    ASSERT_TRUE(ReadPackingListFile(path.c_str(), back));
    EXPECT_TRUE(back[0].lists[0].items[0].checked);
    // A folder that does not exist: the write fails and says so.
    EXPECT_FALSE(WritePackingListFile(L"\\No Such Folder\\pack.dat", data));
}

} // namespace
