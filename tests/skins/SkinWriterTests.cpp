// The skin file writer: lines copied or rewritten in place, the end marker, the texts it refuses
// to rewrite, and a file replaced only when the whole new text could be written.
#include "SkinsTestSupport.h"
#include "skins/SkinWriter.h"

#include <gtest/gtest.h>

using namespace skinstest;

namespace {

const wchar_t* kSkin = L"[Description]\r\nN@Test\r\n>\r\n"
                       L"[General]\r\nTBC@1\r\nPTC@0\r\nIF@\\toolbar\\\r\n>\r\n"
                       L"[Clocks]\r\nBP@\\old.jpg\r\n   CMD@12\r\nCMDC@5\r\nCMSC@7\r\n>\r\n"
                       L"[Tools]\r\nBC@\\old.jpg\r\nBS@\\c.jpg\r\nPCS@3\r\n>\r\n"
                       L"*\r\n\r\nleft over\r\n<";

SkinSectionEdit General(bool shown) {
    return {L"[General]", shown, {}, {{L"IF", L"\\toolbar2\\"}, {L"TBC", L"9"}, {L"PC", L"8"}, {L"PTC", L"1002003"}}};
}
SkinSectionEdit Clocks(bool shown) {
    return {L"[Clocks]", shown, {}, {{L"BP", L"\\new.jpg"}, {L"CMDC", L"111"}, {L"CMD", L"222"}, {L"CMSC", L"333"}}};
}
SkinSectionEdit Tools(bool shown) {
    return {L"[Tools]", shown, {{L"BC", L"\\conv.jpg"}, {L"BS", L"\\clo.jpg"}}, {{L"PCS", L"444"}}};
}

} // namespace

TEST(SkinWriter, NoSectionShownCopiesEveryLineUpToTheStarThenTheEndMarker) {
    std::string out = ComposeSkinFile(kSkin, {General(false), Clocks(false), Tools(false)});
    EXPECT_EQ(out, "[Description]\r\nN@Test\r\n>\r\n[General]\r\nTBC@1\r\nPTC@0\r\nIF@\\toolbar\\\r\n>\r\n"
                   "[Clocks]\r\nBP@\\old.jpg\r\n   CMD@12\r\nCMDC@5\r\nCMSC@7\r\n>\r\n"
                   "[Tools]\r\nBC@\\old.jpg\r\nBS@\\c.jpg\r\nPCS@3\r\n>\r\n*\r\n\n<");
}

TEST(SkinWriter, ShownSectionsAreRewrittenInPlaceByTheirOwnKeysOnly) {
    std::string out = ComposeSkinFile(kSkin, {General(true), Clocks(true), Tools(true)});
    // First match in table order: CMDC is not taken for CMD; leading blanks go with the old line.
    EXPECT_NE(out.find("[General]\r\nTBC@9\r\nPTC@1002003\r\nIF@\\toolbar2\\\r\n>"), std::string::npos) << out;
    EXPECT_NE(out.find("[Clocks]\r\nBP@\\new.jpg\r\nCMD@222\r\nCMDC@111\r\nCMSC@333\r\n>"), std::string::npos) << out;
    EXPECT_NE(out.find("[Tools]\r\nBC@\\conv.jpg\r\nBS@\\clo.jpg\r\nPCS@444\r\n>"), std::string::npos) << out;
    // A key the text lacks (PC) is not added, the description is copied.
    EXPECT_EQ(out.find("PC@8"), std::string::npos);
    EXPECT_EQ(out.rfind("[Description]\r\nN@Test\r\n>\r\n", 0), 0u);

    // Only the shown section changes; Tools' BS is not the Clocks key of the same name.
    std::string clocksOnly = ComposeSkinFile(kSkin, {General(false), Clocks(true), Tools(false)});
    EXPECT_NE(clocksOnly.find("TBC@1\r\nPTC@0\r\n"), std::string::npos);
    EXPECT_NE(clocksOnly.find("BC@\\old.jpg\r\nBS@\\c.jpg\r\nPCS@3\r\n"), std::string::npos);
}

// A key line that also holds the section's ">" ends the section for the readers: it stays as it
// was, and neither it nor the keys after it (outside the section as read) are rewritten.
TEST(SkinWriter, TheLineThatClosesASectionIsKeptAndEndsIt) {
    const CString text = L"[General]\r\nTBC@1>\r\nPTC@0\r\n[Clocks]\r\nCMD@12\r\n>\r\nCMSC@7\r\n*\r\n";
    EXPECT_EQ(ComposeSkinFile(text, {General(true), Clocks(true)}),
              "[General]\r\nTBC@1>\r\nPTC@0\r\n[Clocks]\r\nCMD@222\r\n>\r\nCMSC@7\r\n*\r\n\n<");
}

TEST(SkinWriter, TextsThatCannotBeRewrittenSafelyGiveNothing) {
    const std::vector<SkinSectionEdit> all = {General(true), Clocks(true), Tools(true)};
    EXPECT_EQ(ComposeSkinFile(L"", all), "");                                        // unreadable file
    EXPECT_EQ(ComposeSkinFile(L"[General]\r\nTBC@1\r\n>\r\n", all), "");             // no "*" line
    EXPECT_EQ(ComposeSkinFile(L"[General]\nTBC@1\nPTC@0\n>\n*\n", all), "");          // LF line ends
    EXPECT_EQ(ComposeSkinFile(L"[General]\r\nTBC@1\rPTC@0\r\n*\r\n", all), "");        // a lone CR
    // A "*" in a last line without its CR LF still ends the file properly.
    EXPECT_EQ(ComposeSkinFile(L"[General]\r\nTBC@1\r\n*", all), "[General]\r\nTBC@9\r\n*\r\n\n<");
}

TEST_F(SkinsTest, ReplacingAFileKeepsTheOldOneWhenItCannotBeWritten) {
    const std::wstring file = L"\\Skins\\a.skn";
    WriteDeviceFile(file, "old text");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(ReplaceSkinFile(file.c_str(), "new text"));
    EXPECT_EQ(ReadDeviceFile(file), "old text");

    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(ReplaceSkinFile(file.c_str(), ""));
    EXPECT_EQ(ReadDeviceFile(file), "old text");
    EXPECT_FALSE(ReplaceSkinFile(L"\\Gone\\b.skn", "new text"));
    EXPECT_FALSE(DeviceFileExists(L"\\Gone"));

    EXPECT_TRUE(ReplaceSkinFile(file.c_str(), "new text"));
    EXPECT_EQ(ReadDeviceFile(file), "new text");
    EXPECT_FALSE(DeviceFileExists(file + L".new"));
    EXPECT_FALSE(DeviceFileExists(file + L".old"));
}
