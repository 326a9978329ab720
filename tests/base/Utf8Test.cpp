#include "platform/base/Utf8.h"

#include <gtest/gtest.h>

using device::FromUtf8;
using device::ToUtf8;

TEST(Utf8, RoundTripsEveryPlane) {
    std::wstring text = L"a\u00e9\u20ac\U0001F600\u203a";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(L"\u00b0"), "\xc2\xb0");
}

TEST(Utf8, BrokenInputBecomesReplacementCharacters) {
    EXPECT_EQ(FromUtf8("a\xff" "b"), L"a\xFFFD" L"b");
    EXPECT_EQ(FromUtf8("\xe2\x82"), L"\xFFFD\xFFFD");  // truncated sequence
    EXPECT_EQ(FromUtf8("\xc0\xaf"), L"\xFFFD");         // overlong slash
    EXPECT_EQ(ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xef\xbf\xbd");
}
