// The token reader, the program folder and the weather image mapping.
#include "core/TextFiles.h"

#include "CoreTestSupport.h"
#include "platform/framework/File.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using coretest::InProgramFolder;
using coretest::WriteFile;

class TextFilesTest : public coretest::CoreTest {
protected:
    // Opens a device file written with the given bytes.
    HANDLE Open(const std::string& bytes) {
        WriteFile(L"\\tokens.txt", bytes);
        HANDLE file = OpenTextFile(L"\\tokens.txt", TextFileKind::PackingList);
        EXPECT_NE(file, nullptr);
        m_files.push_back(file);
        return file;
    }
    void TearDown() override {
        for (HANDLE f : m_files)
            CloseHandle(f);
        CoreTest::TearDown();
    }
    std::vector<HANDLE> m_files;
};

TEST_F(TextFilesTest, TokensEndAtTheDelimiterOrTheEndOfTheFile) {
    HANDLE f = Open("*ab**cd*ef");
    EXPECT_EQ(ReadFileToken(f, L"*"), L""); // delimiter first: consumed
    EXPECT_EQ(ReadFileToken(f, L"*"), L"ab");
    EXPECT_EQ(ReadFileToken(f, L"*"), L""); // two in a row
    EXPECT_EQ(ReadFileToken(f, L"*"), L"cd");
    EXPECT_EQ(ReadFileToken(f, L"*"), L"ef"); // last token without a delimiter, each character once
    EXPECT_EQ(ReadFileToken(f, L"*"), L"");   // at the end
    EXPECT_EQ(ReadFileToken(Open(""), L"*"), L"");
}

TEST_F(TextFilesTest, PositionIsLeftJustAfterTheDelimiter) {
    HANDLE f = Open("line one\nline two\n");
    EXPECT_EQ(ReadFileToken(f, L"\n"), L"line one");
    EXPECT_EQ(SetFilePointer(f, 0, nullptr, FILE_CURRENT), 9u);
    // Another reader of the same handle carries on from there.
    char next[4] = {};
    DWORD got = 0;
    ReadFile(f, next, 4, &got, nullptr);
    EXPECT_EQ(std::string(next, got), "line");
}

TEST_F(TextFilesTest, DelimiterOfOtherThanOneCharacterReadsTheRest) {
    EXPECT_EQ(ReadFileToken(Open("a*b<c"), L"*<"), L"a*b<c");
    EXPECT_EQ(ReadFileToken(Open("a*b"), L""), L"a*b");
    EXPECT_EQ(ReadFileToken(Open("a*b"), nullptr), L"a*b");
}

TEST_F(TextFilesTest, EveryByteBecomesOneCharacterOfTheCodePage) {
    std::string bytes("A\0\x80\xE9\xFF", 5);
    CString token = ReadFileToken(Open(bytes), L"<");
    ASSERT_EQ(token.GetLength(), 5);
    EXPECT_EQ(token[1], L'\0');
    EXPECT_EQ(token[2], L'\x20AC'); // euro sign
    EXPECT_EQ(token[3], L'\xE9');
    EXPECT_EQ(token[4], L'\xFF');
}

TEST_F(TextFilesTest, LongTokensAreReadInFull) {
    // Well past the 1499 characters the shipped files stay under.
    std::string big(200000, 'x');
    big[1499] = 'y';
    big += "<tail";
    HANDLE f = Open(big);
    CString token = ReadFileToken(f, L"<");
    ASSERT_EQ(token.GetLength(), 200000);
    EXPECT_EQ(token[1499], L'y');
    EXPECT_EQ(ReadFileToken(f, L"<"), L"tail");
}

TEST_F(TextFilesTest, FrameworkFileReadsTheSameTokens) {
    WriteFile(L"\\tokens.txt", "ab\ncd");
    CFile file;
    ASSERT_TRUE(file.Open(L"\\tokens.txt", CFile::modeRead));
    EXPECT_EQ(ReadFileToken(file, L"\n"), L"ab");
    EXPECT_EQ(file.GetPosition(), 3u);
    EXPECT_EQ(ReadFileToken(file, L"\n"), L"cd");
    EXPECT_EQ(ReadFileToken(file, L"\n"), L"");
}

TEST_F(TextFilesTest, ProgramFolderComesFromTheModulePath) {
    EXPECT_EQ(GetProgramFolder(), L"\\Program Files\\Jorvana");
    EXPECT_EQ(GetShippedFilePath(L"mapping.cfg"), L"\\Program Files\\Jorvana\\mapping.cfg");
    EXPECT_EQ(OpenTextFile(L"\\Program Files\\Jorvana", TextFileKind::ImageMapping),
              nullptr); // a folder is not a text file
    EXPECT_EQ(OpenTextFile(L"\\nothing.txt", TextFileKind::ImageMapping), nullptr);
}

TEST_F(TextFilesTest, FilesPastTheirKindsCapOrNoRegularFileAreDamaged) {
    bool damaged = true;
    EXPECT_EQ(OpenTextFile(L"\\nothing.txt", TextFileKind::Skin, &damaged), nullptr);
    EXPECT_FALSE(damaged) << "a missing file is missing, not damaged";
    const std::filesystem::path host = coretest::HostPath(L"\\skin.skn");
    const unsigned long long cap = TextFileCap(TextFileKind::Skin);
    WriteFile(L"\\skin.skn", "[General]");
    std::filesystem::resize_file(host, cap);
    {
        CTextFileHandle file(OpenTextFile(L"\\skin.skn", TextFileKind::Skin, &damaged));
        EXPECT_TRUE(file);
        EXPECT_FALSE(damaged);
    }
    std::filesystem::resize_file(host, cap + 1);
    EXPECT_EQ(OpenTextFile(L"\\skin.skn", TextFileKind::Skin, &damaged), nullptr);
    EXPECT_TRUE(damaged);
    // The same size is fine for a kind that may be larger.
    CTextFileHandle list(OpenTextFile(L"\\skin.skn", TextFileKind::CityList, &damaged));
    EXPECT_TRUE(list);
    EXPECT_FALSE(damaged);
    std::filesystem::remove(host);
    std::filesystem::create_symlink("/dev/zero", host);
    EXPECT_EQ(OpenTextFile(L"\\skin.skn", TextFileKind::Skin, &damaged), nullptr);
    EXPECT_TRUE(damaged);
    // A folder or a missing file is no file to read, not a damaged one.
    std::filesystem::remove(host);
    EXPECT_EQ(OpenTextFile(L"\\skin.skn", TextFileKind::Skin, &damaged), nullptr);
    EXPECT_FALSE(damaged);
    std::filesystem::create_directory(host);
    EXPECT_EQ(OpenTextFile(L"\\skin.skn", TextFileKind::Skin, &damaged), nullptr);
    EXPECT_FALSE(damaged);
}

TEST_F(TextFilesTest, MappingGivesTheImageOfTheFirstLineHoldingTheKey) {
    WriteFile(InProgramFolder(L"mapping.cfg"), "sunny@32 36\r\n"
                                               "cloudy@26 27 28\r\n"
                                               "rain@11 12 40\r\n"
                                               ">\n"
                                               "snow@99\n");
    EXPECT_EQ(LookupImageMapping(L"36"), L"sunny");
    EXPECT_EQ(LookupImageMapping(L"27"), L"cloudy");
    // A short key is found inside a longer one on an earlier line.
    EXPECT_EQ(LookupImageMapping(L"2"), L"sunny");
    // Lines after ">" are never read.
    EXPECT_EQ(LookupImageMapping(L"99"), L"na");
    EXPECT_EQ(LookupImageMapping(L"77"), L"na");
    // The image name itself is searched too.
    EXPECT_EQ(LookupImageMapping(L"rai"), L"rain");
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(TextFilesTest, MappingEdgeFiles) {
    WriteFile(InProgramFolder(L"mapping.cfg"), ">\nsunny@32\n");
    EXPECT_EQ(LookupImageMapping(L"32"), L"na");

    // No ">", key absent: the whole file is read, blank lines included.
    WriteFile(InProgramFolder(L"mapping.cfg"), "sunny@32\n\n\nfog@20");
    EXPECT_EQ(LookupImageMapping(L"77"), L"na");
    EXPECT_EQ(LookupImageMapping(L"20"), L"fog");

    // A line with ">" and the key ends the search first; a line without "@" gives "".
    WriteFile(InProgramFolder(L"mapping.cfg"), "plain 5\nx@5>\n");
    EXPECT_EQ(LookupImageMapping(L"5"), L"");
    WriteFile(InProgramFolder(L"mapping.cfg"), "x@5>\n");
    EXPECT_EQ(LookupImageMapping(L"5"), L"na");

    // Binary junk neither crashes nor matches.
    WriteFile(InProgramFolder(L"mapping.cfg"), std::string("\0\xFF\x01\n\x80@", 7));
    EXPECT_EQ(LookupImageMapping(L"77"), L"na");
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(TextFilesTest, MappingNeverNamesAnImageOutsideItsFolder) {
    WriteFile(InProgramFolder(L"mapping.cfg"), "..\\..\\secret@40\nsub/x@41\nok@42\n");
    EXPECT_EQ(LookupImageMapping(L"40"), L"na");
    EXPECT_EQ(LookupImageMapping(L"41"), L"na");
    EXPECT_EQ(LookupImageMapping(L"42"), L"ok");
}

TEST_F(TextFilesTest, MissingMappingFileSaysSoAndGivesNa) {
    device::ui::ScriptMessageBoxAnswers({IDOK});
    EXPECT_EQ(LookupImageMapping(L"32"), L"na");
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(MessageTexts()[0], L"Weather background image not found!");
}

TEST(NameInsideFolder, RefusesEveryWayOut) {
    EXPECT_TRUE(IsNameInsideFolder(L"\\portrait\\bg.jpg"));
    EXPECT_TRUE(IsNameInsideFolder(L"a..b\\c.jpg"));
    EXPECT_TRUE(IsNameInsideFolder(L""));
    EXPECT_FALSE(IsNameInsideFolder(L"\\..\\x"));
    EXPECT_FALSE(IsNameInsideFolder(L".."));
    EXPECT_FALSE(IsNameInsideFolder(L"a/../b"));
    EXPECT_FALSE(IsNameInsideFolder(L"C:\\x"));
}

// A writer killed anywhere while it replaces a file leaves the old text or the new one, whole:
// never no file, never a mix.
TEST_F(TextFilesTest, KilledWriterLeavesOneWholeVersion) {
    const std::string versions[2] = {std::string(3000, 'a') + "<", std::string(70000, 'b') + "<"};
    const CString path = InProgramFolder(L"pack.dat");
    ASSERT_TRUE(ReplaceFileBytes(path, versions[0]));
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (int i = 1;; ++i) ReplaceFileBytes(path, versions[i % 2]);
        }
        // Readers look at the file while it is being replaced, then the writer is killed.
        bool missing = false;
        for (int look = 2000 + static_cast<int>(random() % 2000); look >= 0 && !missing; --look)
            missing = GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES;
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);
        ASSERT_FALSE(missing) << "the file was missing while it was replaced";
        CTextFileHandle file(OpenTextFile(path, TextFileKind::PackingList));
        ASSERT_TRUE(file);
        const CString text = ReadFileToken(file.Get(), L"<");
        EXPECT_TRUE(text.GetLength() == 3000 || text.GetLength() == 70000) << text.GetLength();
        EXPECT_EQ(text.FindOneOf(text.GetLength() == 3000 ? L"b<" : L"a<"), -1);
    }
}

} // namespace
