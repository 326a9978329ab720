#include "platform/base/CodePage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>

using device::NarrowToCp1252;
using device::WidenByte;
using device::WidenBytes;

namespace {

std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

} // namespace

TEST(CodePage, WidensEachByteToItsWindows1252Character) {
    EXPECT_EQ(WidenByte('A'), L'A');
    EXPECT_EQ(WidenByte(0x00), L'\0');
    EXPECT_EQ(WidenByte(0x7F), static_cast<wchar_t>(0x7F));
    EXPECT_EQ(WidenByte(0x80), L'\u20AC'); // euro sign
    EXPECT_EQ(WidenByte(0x85), L'\u2026'); // ellipsis
    EXPECT_EQ(WidenByte(0x92), L'\u2019'); // right single quote
    EXPECT_EQ(WidenByte(0x9F), L'\u0178'); // Y with diaeresis
    EXPECT_EQ(WidenByte(0xA0), L'\u00A0');
    EXPECT_EQ(WidenByte(0xB0), L'\u00B0'); // degree sign
    EXPECT_EQ(WidenByte(0xFF), L'\u00FF');
    for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(WidenByte(undefined), static_cast<wchar_t>(undefined)) << int(undefined);
}

TEST(CodePage, AllBytesSurviveReadAndWrite) {
    std::string bytes = AllBytes();
    std::wstring wide = WidenBytes(bytes);
    ASSERT_EQ(wide.size(), 256u);
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(wide[b], WidenByte(static_cast<unsigned char>(b))) << b;
        EXPECT_EQ(device::Cp1252Byte(wide[b]), b) << b;
    }
    EXPECT_EQ(NarrowToCp1252(wide), bytes);

    // The same through the device calls, with an explicit length (the null byte is data).
    std::wstring viaCall(256, L'\0');
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes.data(), 256, viaCall.data(), 256), 256);
    EXPECT_EQ(viaCall, wide);
    std::string back(256, '\0');
    BOOL usedDefault = TRUE;
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide.data(), 256, back.data(), 256, nullptr, &usedDefault), 256);
    EXPECT_EQ(back, bytes);
    EXPECT_FALSE(usedDefault);
}

TEST(CodePage, EveryByteMapsToADistinctCharacter) {
    std::wstring wide = WidenBytes(AllBytes());
    std::sort(wide.begin(), wide.end());
    EXPECT_EQ(std::adjacent_find(wide.begin(), wide.end()), wide.end());
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeTheDefault) {
    EXPECT_EQ(NarrowToCp1252(L"\u00B0C"), "\xB0"
                                          "C");
    EXPECT_EQ(NarrowToCp1252(L"\u20AC5"), "\x80"
                                          "5");
    EXPECT_EQ(NarrowToCp1252(L"a\u0100b\U0001F600c\u4E2D"), "a?b?c?");
    EXPECT_EQ(NarrowToCp1252(L"\u0100", '#'), "#");
    // Code points of 0x80-0x9F that Windows-1252 uses for other characters have no byte.
    EXPECT_EQ(NarrowToCp1252(std::wstring(1, static_cast<wchar_t>(0x80))), "?");
    EXPECT_EQ(NarrowToCp1252(std::wstring(1, static_cast<wchar_t>(-5))), "?");
    EXPECT_EQ(device::Cp1252Byte(L'\u2122'), 0x99);

    char out[8] = {};
    BOOL usedDefault = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"x\u0100", -1, out, 8, "*", &usedDefault), 3);
    EXPECT_STREQ(out, "x*");
    EXPECT_TRUE(usedDefault);
}

TEST(CodePage, SizeQueryAndNullTerminatedInput) {
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", 3, nullptr, 0, nullptr, nullptr), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u00e9\u20ac", -1, nullptr, 0, nullptr, nullptr), 6);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xc3\xa9\xe2\x82\xac", -1, nullptr, 0), 3);

    wchar_t wide[4];
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0,
                                  "\xB0"
                                  "C",
                                  -1, wide, 4),
              3);
    EXPECT_STREQ(wide, L"\u00B0C");
}

TEST(CodePage, ShortOutputFailsWithInsufficientBuffer) {
    char out[3] = {'z', 'z', 'z'};
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, out, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    wchar_t wide[2] = {L'z', L'z'};
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, wide, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    // Exactly enough room succeeds.
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", 3, out, 3, nullptr, nullptr), 3);
    EXPECT_EQ(std::string(out, 3), "abc");
}

TEST(CodePage, BadArgumentsAreRefused) {
    char out[8];
    wchar_t wide[8];
    auto refused = [](int result) {
        return result == 0 && GetLastError() == static_cast<DWORD>(ERROR_INVALID_PARAMETER);
    };
    SetLastError(0);
    EXPECT_TRUE(refused(WideCharToMultiByte(437, 0, L"a", -1, out, 8, nullptr, nullptr)));
    EXPECT_TRUE(refused(WideCharToMultiByte(CP_ACP, 0, nullptr, -1, out, 8, nullptr, nullptr)));
    EXPECT_TRUE(refused(WideCharToMultiByte(CP_ACP, 0, L"a", 0, out, 8, nullptr, nullptr)));
    EXPECT_TRUE(refused(WideCharToMultiByte(CP_ACP, 0, L"a", -2, out, 8, nullptr, nullptr)));
    EXPECT_TRUE(refused(WideCharToMultiByte(CP_ACP, 0, L"a", 1, nullptr, 8, nullptr, nullptr)));
    EXPECT_TRUE(refused(WideCharToMultiByte(CP_ACP, 0, L"a", 1, out, -1, nullptr, nullptr)));
    // UTF-8 has no default character.
    EXPECT_TRUE(refused(WideCharToMultiByte(CP_UTF8, 0, L"a", 1, out, 8, "?", nullptr)));
    BOOL used;
    EXPECT_TRUE(refused(WideCharToMultiByte(CP_UTF8, 0, L"a", 1, out, 8, nullptr, &used)));
    EXPECT_TRUE(refused(MultiByteToWideChar(932, 0, "a", -1, wide, 8)));
    EXPECT_TRUE(refused(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 8)));
    EXPECT_TRUE(refused(MultiByteToWideChar(CP_ACP, 0, "a", 0, wide, 8)));
    EXPECT_TRUE(refused(MultiByteToWideChar(CP_ACP, 0, "a", 1, nullptr, 4)));
}

TEST(CodePage, Utf8RoundTripAndBrokenInput) {
    const wchar_t* text = L"Z\u00fcrich \u20ac \U0001F600";
    char utf8[32];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    ASSERT_GT(n, 0);
    EXPECT_STREQ(utf8, "Z\xc3\xbcrich \xe2\x82\xac \xf0\x9f\x98\x80");
    wchar_t back[32];
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, back, 32), static_cast<int>(wcslen(text)) + 1);
    EXPECT_STREQ(back, text);

    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xff", 2, back, 32), 2);
    EXPECT_EQ(back[1], L'\xFFFD');
}
