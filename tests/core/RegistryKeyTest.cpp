// The settings helper: status rules, exact name matching and the stored form of its writes.
#include "core/RegistryKey.h"

#include "core/DamagedSettings.h"
#include "platform/ui/MessageBox.h"

#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using RegistryKeyTest = testsupport::FreshDevice;

const wchar_t* kKey = L"Jorvana\\wrldclk";

void SetRaw(LPCWSTR name, DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, 0, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes);
    RegCloseKey(key);
}

TEST_F(RegistryKeyTest, StatusTellsFoundMissingValueAndMissingKeyApart) {
    CRegistryKey reg;
    EXPECT_EQ(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, L"clock"), 0u);
    EXPECT_EQ(reg.RegistryStatus, -2);
    EXPECT_EQ(reg.ReadString(HKEY_LOCAL_MACHINE, kKey, L"clock"), L"");
    EXPECT_EQ(reg.RegistryStatus, -2);

    // Writing creates the key; the failed read's status stays until the next read.
    reg.WriteDword(HKEY_LOCAL_MACHINE, kKey, L"clock", 754);
    EXPECT_EQ(reg.RegistryStatus, -2);
    EXPECT_EQ(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, L"clock"), 754u);
    EXPECT_EQ(reg.RegistryStatus, 0);

    EXPECT_EQ(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, L"clock1"), 0u);
    EXPECT_EQ(reg.RegistryStatus, -1);
    reg.WriteString(HKEY_LOCAL_MACHINE, kKey, L"hlname", L"Paris");
    EXPECT_EQ(reg.RegistryStatus, -1);
}

TEST_F(RegistryKeyTest, EmptyStringIsFoundNotMissing) {
    CRegistryKey reg;
    reg.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"");
    EXPECT_EQ(reg.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin"), L"");
    EXPECT_EQ(reg.RegistryStatus, 0);
}

TEST_F(RegistryKeyTest, NamesMatchExactlyAndOnlyUpTo19Characters) {
    CRegistryKey reg;
    reg.WriteDword(HKEY_LOCAL_MACHINE, kKey, L"Clock", 3);
    EXPECT_EQ(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, L"clock"), 0u);
    EXPECT_EQ(reg.RegistryStatus, -1);
    EXPECT_EQ(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, L"Clock"), 3u);

    const wchar_t* n19 = L"abcdefghijklmnopqrs";
    const wchar_t* n20 = L"abcdefghijklmnopqrst";
    reg.WriteString(HKEY_LOCAL_MACHINE, kKey, n20, L"long");
    reg.WriteString(HKEY_LOCAL_MACHINE, kKey, n19, L"fits");
    // The long name before it in the walk does not stop the search.
    EXPECT_EQ(reg.ReadString(HKEY_LOCAL_MACHINE, kKey, n19), L"fits");
    EXPECT_EQ(reg.RegistryStatus, 0);
    EXPECT_EQ(reg.ReadString(HKEY_LOCAL_MACHINE, kKey, n20), L"");
    EXPECT_EQ(reg.RegistryStatus, -1);
}

TEST_F(RegistryKeyTest, StringIsStoredWithoutTerminatorAndReadsBackEitherWay) {
    CRegistryKey reg;
    reg.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"font", L"Arial");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana", 0, 0, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(key, L"font", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 5 * sizeof(WCHAR));
    EXPECT_EQ(reg.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"font"), L"Arial");

    // A value written by someone else with its null reads the same.
    const wchar_t withNull[] = L"Tahoma";
    SetRaw(L"face", REG_SZ, withNull, sizeof(withNull));
    EXPECT_EQ(reg.ReadString(HKEY_LOCAL_MACHINE, kKey, L"face"), L"Tahoma");
}

// A value of another type or size than the read takes is damaged: it reads as missing (-3), is
// named to the user once however often it is read, and is not written over until then.
TEST_F(RegistryKeyTest, DamagedValuesReadAsMissingAndAreKeptUntilTheUserIsTold) {
    CRegistryKey reg;
    const wchar_t text[] = L"12";
    const DWORD number = 0x41;
    const uint64_t wide = 7;
    SetRaw(L"clock", REG_SZ, text, sizeof(text));
    SetRaw(L"hlname", REG_DWORD, &number, sizeof(number));
    SetRaw(L"clock1", REG_DWORD, &wide, sizeof(wide));
    SetRaw(L"clock2", REG_BINARY, &number, sizeof(number));
    for (LPCWSTR name : {L"clock", L"clock1", L"clock2", L"clock"}) {
        EXPECT_EQ(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, name), 0u) << name;
        EXPECT_EQ(reg.RegistryStatus, CRegistryKey::kValueDamaged) << name;
    }
    EXPECT_EQ(reg.ReadString(HKEY_LOCAL_MACHINE, kKey, L"hlname"), L"");
    EXPECT_EQ(reg.RegistryStatus, CRegistryKey::kValueDamaged);

    EXPECT_TRUE(reg.WriteDword(HKEY_LOCAL_MACHINE, kKey, L"clock", 3));
    EXPECT_EQ(reg.ReadString(HKEY_LOCAL_MACHINE, kKey, L"clock"), L"12") << "kept until told";
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK});
    TellDamagedSettings(nullptr);
    TellDamagedSettings(nullptr);
    const auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"damaged: World Clocks: clock, World Clocks: clock1, World Clocks: clock2, World "
                                 L"Clocks: hlname."),
              std::wstring::npos);
    EXPECT_TRUE(reg.WriteDword(HKEY_LOCAL_MACHINE, kKey, L"clock", 3));
    EXPECT_EQ(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, L"clock"), 3u);
}

} // namespace
