// The clipboard: one opener at a time, ownership of the data blocks, bounded reads.

#include "platform/system/ObjectStore.h"
#include "platform/ui/Controls.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ClipboardTest, RoundTripAndOwnership) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr));  // already open
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    const wchar_t text[] = L"Jorvana";
    HANDLE block = LocalAlloc(LMEM_FIXED, sizeof(text));
    std::memcpy(block, text, sizeof(text));
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), block);
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), block);
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    std::wstring read;
    ASSERT_TRUE(device::ui::GetClipboardText(read));
    EXPECT_EQ(read, L"Jorvana");
    // Emptying frees the block the clipboard owned.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(LocalSize(block), 0u);
}

TEST(ClipboardTest, BadDataAndClosedClipboardAreRefused) {
    wchar_t stack[] = L"not a block";
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);  // not open
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, stack), nullptr);
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, nullptr), nullptr);
    CloseClipboard();
    HANDLE block = LocalAlloc(LMEM_FIXED, 8);
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), nullptr);  // closed
    LocalFree(block);
    // Text without its terminating null is read only as far as its block goes.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HANDLE unterminated = LocalAlloc(LMEM_FIXED, 3 * sizeof(wchar_t));
    std::memcpy(unterminated, L"abc", 3 * sizeof(wchar_t));
    SetClipboardData(CF_UNICODETEXT, unterminated);
    CloseClipboard();
    std::wstring read;
    ASSERT_TRUE(device::ui::GetClipboardText(read));
    EXPECT_EQ(read, L"abc");
}
