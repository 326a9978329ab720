// langs.dat: the start-up's module lookup, the dialog's entry reader and the writer, with
// malformed and missing files.
#include "ShellTestSupport.h"
#include "shell/LanguageList.h"

#include <gtest/gtest.h>

using namespace shelltest;

TEST(LanguageModuleLookup, FirstOccurrenceOfTheIndexTextAndMalformedEntries) {
    CString list = L"0,English,none@1,Deutsch,OndrelDeutsch.dll@2,Francais,OndrelFrancais.dll@";
    EXPECT_EQ(FindLanguageModuleName(list, 2), CString(L"OndrelFrancais.dll"));
    EXPECT_EQ(FindLanguageModuleName(list, 7), CString(L"none")); // absent index: first entry
    // A plain substring search: a "1" inside an earlier module name is where the lookup begins.
    EXPECT_EQ(FindLanguageModuleName(L"0,English,Ondrel1.dll@1,X,b.dll@", 1), CString(L"1.dll"));
    EXPECT_EQ(FindLanguageModuleName(L"0,English,none", 0), CString()); // no "@"
    EXPECT_EQ(FindLanguageModuleName(L"1Deutsch@", 1), CString(L"1Deutsch"));
}

class LanguageListFileTest : public ShellTest {};

TEST_F(LanguageListFileTest, ReadersStopAtTheCloseMark) {
    WriteDeviceFile(InProgramFolder(L"langs.dat"), "0,English,none@1,Deutsch,OndrelDeutsch.dll@>\r\n2,C,d.dll@");
    EXPECT_EQ(ReadLanguageListText(GetLanguageListPath()), CString(L"0,English,none@1,Deutsch,OndrelDeutsch.dll@"));
    auto entries = ReadLanguageEntries(GetLanguageListPath());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(LanguageDisplayName(entries[1]), CString(L"Deutsch"));
    EXPECT_EQ(LanguageDisplayName(L"3,Only"), CString(L"Only"));
}

TEST_F(LanguageListFileTest, MalformedAndMissingFiles) {
    EXPECT_EQ(ReadLanguageListText(GetLanguageListPath()), CString());
    EXPECT_TRUE(ReadLanguageEntries(GetLanguageListPath()).empty());
    // No close mark: every entry up to the end of the file, the unclosed tail too.
    WriteDeviceFile(InProgramFolder(L"langs.dat"), "0,English,none@1,Cut");
    auto entries = ReadLanguageEntries(GetLanguageListPath());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1], CString(L"1,Cut"));
    WriteDeviceFile(InProgramFolder(L"langs.dat"), std::string(200000, 'x'));
    entries = ReadLanguageEntries(GetLanguageListPath());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].GetLength(), 200000);
}

TEST_F(LanguageListFileTest, WriterUpperCasesInTheSingleByteCodePage) {
    ASSERT_TRUE(WriteLanguageList(GetLanguageListPath(), L"0,English,none@1,Fran\u00e7ais,OndrelFr.dll@"));
    EXPECT_EQ(ReadDeviceFile(InProgramFolder(L"langs.dat")), "0,ENGLISH,NONE@1,FRAN\xc7" "AIS,ONDRELFR.DLL@>");
}

TEST_F(LanguageListFileTest, DamagedListsOfferEnglishAlone) {
    bool damaged = true;
    EXPECT_TRUE(ReadOfferedLanguages(GetLanguageListPath(), damaged).empty()); // no list: nothing, no damage
    EXPECT_FALSE(damaged);
    WriteDeviceFile(InProgramFolder(L"langs.dat"), "0,English,none@1,Deutsch,OndrelDeutsch.dll@>");
    EXPECT_EQ(ReadOfferedLanguages(GetLanguageListPath(), damaged).size(), 2u);
    EXPECT_FALSE(damaged);
    // Empty, binary, UTF-16, and a link to an endless device.
    for (const std::string& bytes :
         {std::string(), std::string("0,\x01\x9b\xae,none@>"), std::string("0\0,\0E\0n\0,\0n\0@\0>\0", 16)}) {
        WriteDeviceFile(InProgramFolder(L"langs.dat"), bytes);
        auto entries = ReadOfferedLanguages(GetLanguageListPath(), damaged);
        EXPECT_TRUE(damaged) << bytes.size();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(LanguageDisplayName(entries[0]), CString(L"English"));
        EXPECT_EQ(FindLanguageModuleName(entries[0] + L"@", 0), CString(L"none"));
    }
    const std::filesystem::path host = testsupport::HostPath(InProgramFolder(L"langs.dat"));
    std::filesystem::remove(host);
    std::filesystem::create_symlink("/dev/zero", host);
    EXPECT_EQ(ReadOfferedLanguages(GetLanguageListPath(), damaged).size(), 1u);
    EXPECT_TRUE(damaged);
    EXPECT_EQ(ReadLanguageListText(GetLanguageListPath()), CString()); // start-up keeps its own resources
}
