#include "platform/system/DeviceDb.h"
#include "platform/system/Registry.h"
#include "support/FreshDevice.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

namespace {

using RegistryTest = testsupport::FreshDevice;

HKEY Create(const wchar_t* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, 0, nullptr, &key, disposition), ERROR_SUCCESS);
    return key;
}

LONG SetString(HKEY key, const wchar_t* name, const std::wstring& text, bool withNull) {
    DWORD cb = static_cast<DWORD>((text.size() + (withNull ? 1 : 0)) * sizeof(WCHAR));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), cb);
}

DWORD GetDword(HKEY key, const wchar_t* name, LONG* rc = nullptr) {
    DWORD value = 0, cb = sizeof(value), type = 0;
    LONG r = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb);
    if (rc) *rc = r;
    return value;
}

void SetDword(HKEY key, const wchar_t* name, DWORD value) {
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)), ERROR_SUCCESS);
}

} // namespace

TEST_F(RegistryTest, CreateReportsDispositionAndKeyNamesIgnoreCase) {
    DWORD disposition = 0;
    HKEY a = Create(L"Jorvana\\wrldclk", &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    HKEY b = Create(L"JORVANA\\WrldClk", &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    SetDword(a, L"clock1", 684);
    EXPECT_EQ(GetDword(b, L"clock1"), 684u);

    // The stored name is the one first written.
    HKEY root = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"jorvana", 0, 0, &root), ERROR_SUCCESS);
    WCHAR name[32];
    DWORD cch = 32;
    ASSERT_EQ(RegEnumKeyExW(root, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, L"wrldclk");
    EXPECT_EQ(cch, 7u);
    cch = 32;
    EXPECT_EQ(RegEnumKeyExW(root, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    for (HKEY k : {a, b, root}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
}

TEST_F(RegistryTest, MissingKeyAndMissingValueGiveDifferentCodes) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Nowhere\\Deeper", 0, 0, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    key = Create(L"Jorvana");
    LONG rc = 0;
    GetDword(key, L"absent", &rc);
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExW(key, L"x", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, StringsKeepTheirExactByteCount) {
    HKEY key = Create(L"Jorvana");
    ASSERT_EQ(SetString(key, L"nonull", L"Paris", false), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, L"withnull", L"Paris", true), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, L"empty", L"", false), ERROR_SUCCESS);

    DWORD cb = 0, type = 0;
    ASSERT_EQ(RegQueryValueExW(key, L"nonull", nullptr, &type, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(cb, 5 * sizeof(WCHAR));
    ASSERT_EQ(RegQueryValueExW(key, L"withnull", nullptr, nullptr, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(cb, 6 * sizeof(WCHAR));
    ASSERT_EQ(RegQueryValueExW(key, L"empty", nullptr, nullptr, nullptr, &cb), ERROR_SUCCESS);
    EXPECT_EQ(cb, 0u);

    // A short buffer gets ERROR_MORE_DATA and the size needed, and is not written past.
    WCHAR buf[8];
    std::wmemset(buf, L'#', 8);
    cb = 3 * sizeof(WCHAR);
    EXPECT_EQ(RegQueryValueExW(key, L"nonull", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &cb), ERROR_MORE_DATA);
    EXPECT_EQ(cb, 5 * sizeof(WCHAR));
    EXPECT_EQ(buf[0], L'#');
    cb = sizeof(buf);
    ASSERT_EQ(RegQueryValueExW(key, L"nonull", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &cb), ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(buf, 5), L"Paris");
    EXPECT_EQ(buf[5], L'#');
    RegCloseKey(key);
}

TEST_F(RegistryTest, ValuesAreReplacedInPlaceWhateverTheCaseOfTheirName) {
    HKEY key = Create(L"Jorvana");
    SetDword(key, L"lang", 1);
    SetDword(key, L"font", 2);
    SetDword(key, L"LANG", 3);
    EXPECT_EQ(GetDword(key, L"lang"), 3u);
    WCHAR name[20];
    DWORD cch = 20;
    ASSERT_EQ(RegEnumValueW(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, L"lang"); // first-written name and place kept
    EXPECT_EQ(RegDeleteValueW(key, L"Lang"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, L"lang"), ERROR_FILE_NOT_FOUND);
    cch = 20;
    ASSERT_EQ(RegEnumValueW(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, L"font");
    RegCloseKey(key);
}

TEST_F(RegistryTest, EnumerationReportsNamesTooLongForTheBufferAndGoesOn) {
    HKEY key = Create(L"Jorvana");
    const wchar_t* n19 = L"abcdefghijklmnopqrs";  // 19 characters: fits 20 with its null
    const wchar_t* n20 = L"abcdefghijklmnopqrst"; // 20 characters: does not
    SetDword(key, n20, 20);
    SetDword(key, n19, 19);
    SetDword(key, L"short", 5);

    std::vector<LONG> results;
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        WCHAR name[20];
        DWORD cch = 20;
        LONG rc = RegEnumValueW(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
        results.push_back(rc);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        names.push_back(rc == ERROR_SUCCESS ? std::wstring(name, cch) : L"");
        ASSERT_LT(i, 10u);
    }
    EXPECT_EQ(results, (std::vector<LONG>{ERROR_MORE_DATA, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_NO_MORE_ITEMS}));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"", n19, L"short"}));

    // Data comes along when asked for.
    DWORD type = 0, value = 0, cb = sizeof(value);
    WCHAR name[20];
    DWORD cch = 20;
    ASSERT_EQ(RegEnumValueW(key, 2, name, &cch, nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 5u);
    RegCloseKey(key);
}

TEST_F(RegistryTest, DeletingAKeyTakesItsSubtreeAndStalesOpenHandles) {
    HKEY deep = Create(L"Software\\Microsoft\\Today\\Items\\Ondrelpane\\Options");
    SetDword(deep, L"x", 1);
    HKEY item = Create(L"Software\\Microsoft\\Today\\Items\\Ondrelpane");
    SetDword(item, L"Order", 3);
    HKEY keep = Create(L"Software\\Microsoft\\Today\\Items\\Other");

    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"software\\microsoft\\today\\items\\ondrelpane"), ERROR_SUCCESS);
    HKEY probe = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Today\\Items\\Ondrelpane", 0, 0, &probe), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Today\\Items\\Other", 0, 0, &probe), ERROR_SUCCESS);
    RegCloseKey(probe);
    EXPECT_EQ(RegSetValueExW(deep, L"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>("abcd"), 4), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Today\\Items\\Ondrelpane"), ERROR_FILE_NOT_FOUND);

    // Recreating the key starts empty.
    HKEY again = Create(L"Software\\Microsoft\\Today\\Items\\Ondrelpane");
    DWORD values = 9, subkeys = 9;
    ASSERT_EQ(RegQueryInfoKeyW(again, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(subkeys, 0u);
    for (HKEY k : {deep, item, keep, again}) RegCloseKey(k);
}

TEST_F(RegistryTest, BadArgumentsGiveErrorCodes) {
    HKEY key = nullptr;
    std::wstring longName(300, L'k');
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, longName.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"x", 0, 0, nullptr), ERROR_INVALID_PARAMETER);
    key = Create(L"Jorvana");
    EXPECT_EQ(RegSetValueExW(key, longName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>("abcd"), 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExW(key, L"v", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegEnumValueW(key, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegEnumKeyExW(reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x42)), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryTest, UnusableDeviceDatabaseIsReportedNotCrashed) {
    device::DeviceDb::Close();
    std::filesystem::remove(device::DatabaseFile());
    std::filesystem::create_directory(device::DatabaseFile()); // a folder where the file should be
    testing::internal::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_BADDB);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana", 0, 0, &key), ERROR_BADDB);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("device.db"), std::string::npos);
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kValues = 1000;
    device::DeviceDb::Close();
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            int failures = 0;
            HKEY key = nullptr;
            std::wstring path = L"Jorvana\\proc" + std::to_wstring(c);
            LONG created = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr);
            if (created != ERROR_SUCCESS) {
                std::fprintf(stderr, "child %d: create gave %d\n", c, static_cast<int>(created));
                _exit(2);
            }
            for (int i = 0; i < kValues; ++i) {
                std::wstring name = L"v" + std::to_wstring(i);
                DWORD value = static_cast<DWORD>(c * 100000 + i);
                if (RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4) != ERROR_SUCCESS) ++failures;
            }
            RegCloseKey(key);
            _exit(failures ? 1 : 0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    for (int c = 0; c < 2; ++c) {
        HKEY key = nullptr;
        std::wstring path = L"Jorvana\\proc" + std::to_wstring(c);
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, 0, &key), ERROR_SUCCESS);
        DWORD count = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(count, static_cast<DWORD>(kValues));
        for (int i = 0; i < kValues; i += 97) {
            std::wstring name = L"v" + std::to_wstring(i);
            EXPECT_EQ(GetDword(key, name.c_str()), static_cast<DWORD>(c * 100000 + i));
        }
        RegCloseKey(key);
    }
}

TEST_F(RegistryTest, ReadsSeeWritesOfAnotherProcess) {
    HKEY key = Create(L"Jorvana");
    SetDword(key, L"CurTab", 1);
    EXPECT_EQ(GetDword(key, L"CurTab"), 1u); // read once, so that this process holds it
    device::DeviceDb::Close();
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HKEY k = nullptr;
        DWORD v = 42;
        bool ok = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana", 0, 0, &k) == ERROR_SUCCESS &&
                  RegSetValueExW(k, L"CurTab", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4) == ERROR_SUCCESS &&
                  RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Jorvana\\gone") == ERROR_FILE_NOT_FOUND;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(GetDword(key, L"CurTab"), 42u);
    RegCloseKey(key);
}

// Writing a value the registry holds already changes nothing, so it needs no write: a store
// another program holds for writing takes it at once, while a value that does change waits for
// the store and then fails, the old one kept.
TEST_F(RegistryTest, ARewriteOfTheSameValueNeedsNoWrite) {
    using namespace std::chrono_literals;
    HKEY key = Create(L"Software\\Same");
    SetDword(key, L"n", 5);
    ASSERT_EQ(SetString(key, L"s", L"text", true), ERROR_SUCCESS);
    const auto usualWait = device::BusyStoreWait();
    device::SetBusyStoreWait(200ms);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(device::DatabaseFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const DWORD five = 5, six = 6;
    EXPECT_EQ(RegSetValueExW(key, L"n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&five), sizeof(five)),
              ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, L"s", L"text", true), ERROR_SUCCESS);
    EXPECT_NE(RegSetValueExW(key, L"n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&six), sizeof(six)),
              ERROR_SUCCESS);
    // The same bytes under another type are another value.
    EXPECT_NE(RegSetValueExW(key, L"n", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&five), sizeof(five)),
              ERROR_SUCCESS);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    device::SetBusyStoreWait(usualWait);
    EXPECT_EQ(GetDword(key, L"n"), 5u);
    RegCloseKey(key);
}
