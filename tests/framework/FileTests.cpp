// Files through the framework: open modes against existing and missing files, reading and
// writing bytes, seeking, lengths, and the exceptions with their causes.

#include "platform/framework/File.h"
#include "platform/system/DeviceFiles.h"
#include "platform/ui/MessageBox.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

class FileTest : public testsupport::FreshDevice {
protected:
    std::string HostBytes(const char* name) {
        std::ifstream in(Root() / "fs" / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void PutHost(const char* name, const std::string& bytes) {
        std::filesystem::create_directories(Root() / "fs");
        std::ofstream(Root() / "fs" / name, std::ios::binary) << bytes;
    }
};

TEST_F(FileTest, OpenModesOnMissingAndExistingFiles) {
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(L"\\missing.cfg", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(error.m_strFileName, L"\\missing.cfg");
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);

    EXPECT_FALSE(file.Open(L"\\no folder\\x.txt", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);

    // Create without truncation for reading: a missing file appears empty, an existing one keeps
    // its bytes.
    ASSERT_TRUE(file.Open(L"\\adrs.cfg", CFile::modeCreate | CFile::modeNoTruncate | CFile::modeRead));
    EXPECT_EQ(file.GetLength(), 0u);
    file.Close();
    EXPECT_TRUE(std::filesystem::exists(Root() / "fs" / "adrs.cfg"));
    PutHost("adrs.cfg", "http://x*rest");
    ASSERT_TRUE(file.Open(L"\\ADRS.CFG", CFile::modeCreate | CFile::modeNoTruncate | CFile::modeRead));
    EXPECT_EQ(file.GetLength(), 13u);
    file.Close();

    // Create alone truncates.
    ASSERT_TRUE(file.Open(L"\\adrs.cfg", CFile::modeCreate | CFile::modeWrite));
    file.Close();
    EXPECT_EQ(HostBytes("adrs.cfg"), "");

    // A file opened for reading refuses writes with an exception.
    PutHost("ro.txt", "abc");
    ASSERT_TRUE(file.Open(L"\\ro.txt", CFile::modeRead));
    try {
        file.Write("x", 1);
        ADD_FAILURE() << "write to a read-only open did not throw";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::accessDenied);
        e->Delete();
    }
    EXPECT_EQ(HostBytes("ro.txt"), "abc");
}

TEST_F(FileTest, ReadWriteSeekAndLength) {
    {
        CFile out(L"\\pack.dat", CFile::modeCreate | CFile::modeWrite);
        out.Write(">\r\n", 3);
        out.Write("All\r\n", 5);
        out.Write("<", 1);
        EXPECT_EQ(out.GetPosition(), 9u);
    } // the destructor closes
    EXPECT_EQ(HostBytes("pack.dat"), ">\r\nAll\r\n<");

    CFile in(L"\\pack.dat", CFile::modeRead);
    EXPECT_STREQ(in.GetFileName(), L"pack.dat");
    EXPECT_STREQ(in.GetFileTitle(), L"pack");
    EXPECT_EQ(in.GetLength(), 9u);
    char byte = 0;
    std::string seen;
    while (in.Read(&byte, 1) == 1) seen += byte;
    EXPECT_EQ(seen, ">\r\nAll\r\n<");
    EXPECT_EQ(in.Read(&byte, 1), 0u); // the end of the file is not an error

    EXPECT_EQ(in.Seek(3, CFile::begin), 3u);
    char word[3];
    ASSERT_EQ(in.Read(word, 3), 3u);
    EXPECT_EQ(std::string(word, 3), "All");
    EXPECT_EQ(in.Seek(-1, CFile::end), 8u);
    EXPECT_EQ(in.Seek(-2, CFile::current), 6u);
    EXPECT_EQ(in.SeekToEnd(), 9u);
    try {
        in.Seek(-20, CFile::current);
        ADD_FAILURE() << "seek before the start did not throw";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badSeek);
        e->Delete();
    }
    EXPECT_EQ(in.GetPosition(), 9u); // a failed seek leaves the position
    in.Close();
    EXPECT_EQ(in.m_hFile, CFile::hFileNull);
    in.Close(); // closing twice is harmless

    CFile rw(L"\\pack.dat", CFile::modeReadWrite);
    rw.SetLength(3);
    rw.SeekToEnd();
    rw.Write("*", 1);
    rw.Close();
    EXPECT_EQ(HostBytes("pack.dat"), ">\r\n*");
}

TEST_F(FileTest, ThrowingConstructorAndReportedErrors) {
    try {
        CFile file(L"\\weatcs\\France.txt", CFile::modeRead);
        ADD_FAILURE() << "opening a missing file did not throw";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::badPath);
        wchar_t text[200];
        ASSERT_TRUE(e->GetErrorMessage(text, 200));
        EXPECT_NE(std::wcsstr(text, L"\\weatcs\\France.txt"), nullptr);

        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK});
        EXPECT_EQ(e->ReportError(), IDOK);
        auto records = device::ui::MessageBoxRecords();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].text, text);
        EXPECT_EQ(records[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));

        // A string-table text replaces the description when there is one.
        CString::StringLoader previous = CString::GetStringLoader();
        CString::SetStringLoader([](UINT id, CString& out) {
            if (id != 40001) return false;
            out = L"Country file not found";
            return true;
        });
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
        e->ReportError(MB_OK, 40001);
        e->ReportError(MB_OK, 40002); // no such string: the description again
        CString::SetStringLoader(previous);
        records = device::ui::MessageBoxRecords();
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[1].text, L"Country file not found");
        EXPECT_EQ(records[2].text, text);
        e->Delete();
    }

    // A handle from the file API stays the caller's: the object leaves it open.
    HANDLE h = CreateFileW(L"\\raw.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    {
        CFile file(h);
        file.Write("\x01\x02", 2);
    }
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(HostBytes("raw.bin"), std::string("\x01\x02"));

    // Opening an open file again closes the first handle.
    CFile file;
    ASSERT_TRUE(file.Open(L"\\raw.bin", CFile::modeRead));
    HANDLE first = file.m_hFile;
    ASSERT_TRUE(file.Open(L"\\raw.bin", CFile::modeRead));
    EXPECT_FALSE(CloseHandle(first));
}

} // namespace
