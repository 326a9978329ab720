#include "platform/system/DeviceFiles.h"
#include "platform/system/FileReplace.h"
#include "platform/system/ObjectStore.h"
#include "platform/system/Modules.h"
#include "platform/system/ProgramPath.h"
#include "support/FreshDevice.h"

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class DeviceFilesTest : public testsupport::FreshDevice {
protected:
    fs::path Host(const std::string& rel) { return Root() / "fs" / rel; }
    void Put(const std::string& rel, const std::string& content) {
        fs::create_directories(Host(rel).parent_path());
        std::ofstream(Host(rel), std::ios::binary) << content;
    }
    std::string Slurp(const std::string& rel) {
        std::ifstream in(Host(rel), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

std::string ReadAll(HANDLE h) {
    std::string out;
    char buf[7];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got) out.append(buf, got);
    return out;
}

HANDLE Open(const wchar_t* path, DWORD access, DWORD disposition) {
    return CreateFileW(path, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Write(HANDLE h, const std::string& s) {
    DWORD put = 0;
    ASSERT_TRUE(WriteFile(h, s.data(), static_cast<DWORD>(s.size()), &put, nullptr));
    ASSERT_EQ(put, s.size());
}

std::vector<std::wstring> Find(const wchar_t* pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(pattern, &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.emplace_back(data.cFileName);
    while (FindNextFileW(h, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    FindClose(h);
    return names;
}

} // namespace

TEST_F(DeviceFilesTest, EveryCreationDispositionBehavesAsOnTheDevice) {
    // CREATE_NEW: only when missing.
    HANDLE h = Open(L"\\a.txt", GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Write(h, "first");
    CloseHandle(h);
    EXPECT_EQ(Open(L"\\A.TXT", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

    // OPEN_ALWAYS on an existing file keeps it and says so.
    h = Open(L"\\a.txt", GENERIC_READ, OPEN_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadAll(h), "first");
    CloseHandle(h);
    // ...and creates an empty one when missing.
    h = Open(L"\\pack.dat", GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);

    // CREATE_ALWAYS truncates an existing file, reporting that it existed.
    h = Open(L"\\a.txt", GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    Write(h, "2nd");
    CloseHandle(h);
    EXPECT_EQ(Slurp("a.txt"), "2nd");

    // OPEN_EXISTING and TRUNCATE_EXISTING need the file; the second needs write access.
    EXPECT_EQ(Open(L"\\missing.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Open(L"\\nodir\\missing.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Open(L"\\missing.txt", GENERIC_WRITE, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(L"\\a.txt", GENERIC_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    h = Open(L"\\a.txt", GENERIC_WRITE, TRUNCATE_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(Slurp("a.txt"), "");
}

TEST_F(DeviceFilesTest, ReadsWritesAndSeeksByteExactly) {
    HANDLE h = Open(L"\\data.bin", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    Write(h, bytes);
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 256u);
    EXPECT_EQ(SetFilePointer(h, -6, nullptr, FILE_END), 250u);
    char tail[10];
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(h, tail, 10, &got, nullptr));
    EXPECT_EQ(got, 6u);
    EXPECT_EQ(static_cast<unsigned char>(tail[0]), 250);
    ASSERT_TRUE(ReadFile(h, tail, 10, &got, nullptr)); // at the end: success, nothing read
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(SetFilePointer(h, 10, nullptr, FILE_BEGIN), 10u);
    ASSERT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 10u);
    CloseHandle(h);
    EXPECT_EQ(Slurp("data.bin"), bytes.substr(0, 10));

    // Access is enforced per handle.
    h = Open(L"\\data.bin", GENERIC_READ, OPEN_EXISTING);
    DWORD put = 0;
    EXPECT_FALSE(WriteFile(h, "x", 1, &put, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(h);
}

TEST_F(DeviceFilesTest, InvalidHandlesAndPathsFailWithCodes) {
    HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1234));
    char buf[4];
    DWORD n = 0;
    EXPECT_FALSE(ReadFile(bogus, buf, 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(bogus));
    EXPECT_EQ(GetFileSize(INVALID_HANDLE_VALUE, nullptr), INVALID_FILE_SIZE);
    EXPECT_FALSE(FindNextFileW(bogus, nullptr));

    EXPECT_EQ(Open(L"\\..\\device.db", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_PATHNAME));
    EXPECT_EQ(Open(nullptr, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(L"\\bad|name", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(Open(L"\\x", GENERIC_READ, 9), INVALID_HANDLE_VALUE);
    // The device root's own files stay out of reach.
    EXPECT_EQ(GetFileAttributesW(L"\\..\\device.db"), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(CreateDirectoryW(L"\\dir", nullptr));
    EXPECT_EQ(Open(L"\\DIR", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE); // a folder is not a file
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(DeviceFilesTest, FoldersCopiesAndMoves) {
    ASSERT_TRUE(CreateDirectoryW(L"\\Program Files", nullptr));
    EXPECT_FALSE(CreateDirectoryW(L"\\program files", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryW(L"\\a\\b", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    Put("Program Files/src.txt", "payload");
    ASSERT_TRUE(CopyFileW(L"\\program files\\SRC.txt", L"\\Program Files\\dst.txt", TRUE));
    EXPECT_EQ(Slurp("Program Files/dst.txt"), "payload");
    Put("Program Files/src.txt", "newer");
    EXPECT_FALSE(CopyFileW(L"\\Program Files\\src.txt", L"\\Program Files\\DST.TXT", TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    ASSERT_TRUE(CopyFileW(L"\\Program Files\\src.txt", L"\\Program Files\\DST.TXT", FALSE));
    EXPECT_EQ(Slurp("Program Files/dst.txt"), "newer"); // overwrote the same file, kept its name
    EXPECT_FALSE(fs::exists(Host("Program Files/DST.TXT")));

    EXPECT_FALSE(MoveFileW(L"\\Program Files\\src.txt", L"\\Program Files\\dst.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_TRUE(MoveFileW(L"\\Program Files\\src.txt", L"\\moved.txt"));
    EXPECT_EQ(Slurp("moved.txt"), "newer");
    ASSERT_TRUE(MoveFileW(L"\\moved.txt", L"\\MOVED.txt")); // a change of case only
    EXPECT_EQ(Find(L"\\mov*"), (std::vector<std::wstring>{L"MOVED.txt"}));

    EXPECT_FALSE(RemoveDirectoryW(L"\\Program Files"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    ASSERT_TRUE(DeleteFileW(L"\\program files\\dst.txt"));
    EXPECT_FALSE(DeleteFileW(L"\\program files\\dst.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(RemoveDirectoryW(L"\\Program Files"));
    EXPECT_FALSE(RemoveDirectoryW(L"\\"));
}

TEST_F(DeviceFilesTest, MoveWithReplaceSwapsOnlyFilesThatMayBeWritten) {
    Put("a.txt", "fresh");
    Put("b.txt", "stale");
    EXPECT_FALSE(MoveFileExW(L"\\a.txt", L"\\b.txt", 0)); // without the flag: MoveFileW
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_TRUE(MoveFileExW(L"\\a.txt", L"\\B.TXT", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(Slurp("b.txt"), "fresh");
    EXPECT_EQ(GetFileAttributesW(L"\\a.txt"), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(MoveFileExW(L"\\b.txt", L"\\c.txt", MOVEFILE_REPLACE_EXISTING)); // no target yet
    EXPECT_EQ(Slurp("c.txt"), "fresh");

    Put("d.txt", "kept");
    ASSERT_TRUE(SetFileAttributesW(L"\\d.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(MoveFileExW(L"\\c.txt", L"\\d.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Slurp("d.txt"), "kept");
    ASSERT_TRUE(CreateDirectoryW(L"\\dir", nullptr));
    EXPECT_FALSE(MoveFileExW(L"\\c.txt", L"\\dir", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(Slurp("c.txt"), "fresh");
}

TEST_F(DeviceFilesTest, AttributesAreKeptAndEnforced) {
    Put("skin.skn", "x");
    ASSERT_TRUE(CreateDirectoryW(L"\\images", nullptr));
    EXPECT_EQ(GetFileAttributesW(L"\\images"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesW(L"\\SKIN.skn"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesW(L"\\none"), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(SetFileAttributesW(L"\\images", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesW(L"\\images"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(SetFileAttributesW(L"\\skin.skn", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesW(L"\\skin.skn"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);

    // Read-only holds even for a process running as root.
    EXPECT_EQ(Open(L"\\skin.skn", GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileW(L"\\skin.skn"));
    HANDLE h = Open(L"\\skin.skn", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    ASSERT_TRUE(SetFileAttributesW(L"\\skin.skn", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileW(L"\\skin.skn"));
}

TEST_F(DeviceFilesTest, SearchPatternsMatchIgnoringCaseInNameOrder) {
    for (const char* name : {"b.skn", "A.SKN", "c.jpg", "toolbar1", "Toolbar2", "wiconset_a", "noext"}) Put(std::string("d/") + name, "");
    fs::create_directories(Host("d/sub"));
    EXPECT_EQ(Find(L"\\d\\*.skn"), (std::vector<std::wstring>{L"A.SKN", L"b.skn"}));
    EXPECT_EQ(Find(L"\\d\\toolbar*"), (std::vector<std::wstring>{L"toolbar1", L"Toolbar2"}));
    EXPECT_EQ(Find(L"\\d\\?.jpg"), (std::vector<std::wstring>{L"c.jpg"}));
    EXPECT_EQ(Find(L"\\D\\*.*").size(), 8u); // every entry, folders and names without a dot too
    EXPECT_EQ(Find(L"\\d\\*.bmp"), std::vector<std::wstring>{});
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(L"\\d\\*.bmp", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileW(L"\\nowhere\\*.*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    HANDLE h = FindFirstFileW(L"\\d\\sub", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    FindClose(h);
}

TEST_F(DeviceFilesTest, OtherServicesCloseTheirHandlesThroughCloseHandle) {
    static HANDLE s_closed = nullptr;
    device::AddHandleCloser([](HANDLE h) {
        if (h != reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x77770))) return false;
        s_closed = h;
        return true;
    });
    EXPECT_TRUE(CloseHandle(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x77770))));
    EXPECT_EQ(s_closed, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x77770)));
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x77774))));
}

TEST_F(DeviceFilesTest, ModuleFileNameIsADevicePath) {
    device::SetModuleDevicePath(L"\\Program Files\\Jorvana\\Jorvana.exe");
    WCHAR buf[1024];
    EXPECT_EQ(GetModuleFileNameW(nullptr, buf, 1024), 34u);
    EXPECT_STREQ(buf, L"\\Program Files\\Jorvana\\Jorvana.exe");
    WCHAR small[8];
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 8), 8u);
    EXPECT_STREQ(small, L"\\Progra");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    // A program lying in the device file system reports where it lies there.
    device::SetModuleDevicePath(L"");
    std::wstring path = device::ModuleDevicePath();
    EXPECT_EQ(path.rfind(L"\\Program Files\\Jorvana\\", 0), 0u);
}

TEST_F(DeviceFilesTest, CloseHandleClosesDatabaseHandlesToo) {
    SORTORDERSPEC sort{static_cast<CEPROPID>(MAKELONG(CEVT_LPWSTR, 101)), 0};
    ASSERT_NE(CeCreateDatabase(L"jrvCities", 12345, 1, &sort), 0u);
    CEOID oid = 0;
    HANDLE db = CeOpenDatabase(&oid, L"jrvCities", 0, CEDB_AUTOINCREMENT, nullptr);
    ASSERT_NE(db, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(db));
    EXPECT_FALSE(CloseHandle(db));
    DWORD index = 0;
    EXPECT_EQ(CeSeekDatabase(db, CEDB_SEEK_BEGINNING, 0, &index), 0u);
}
