#pragma once
// The device's wide printf.
//
// Formats follow the device's conventions for wide formatting, not the host C library's:
//   %s  a wide string (const wchar_t*)        %S  a narrow string (const char*)
//   %c  a wide character                       %C  a narrow character
//   %ls %ws %lc %wc always wide, %hs %hc always narrow.
// Narrow strings and characters are widened through the device's code page (Windows-1252).
// A null string prints "(null)". Flags - + space # 0, width and precision (numbers or *),
// length modifiers hh h l ll L I I32 I64 j z t, conversions d i u o x X c C s S f F e E g G a A
// p n %. The device's long is 32 bits: %ld / %lu / %lx read a 32-bit value, %lld and %I64d a
// 64-bit one, %zu / %Iu a size_t. %p prints the pointer as upper-case hex, all digits. %n stores
// nothing (its pointer is skipped). A conversion the device does not know is copied as written.
// Floating-point conversions round an exact half away from zero (0.125 with "%.2f" gives
// "0.13"), always use "." as the decimal point, and print inf / nan as the host does.
// Widths and precisions above 65535 are taken as 65535.

#include <cstdarg>
#include <string>
#include <type_traits>

namespace device {

std::wstring FormatWideV(const wchar_t* format, va_list args);
inline std::wstring FormatWide(const wchar_t* format, va_list args) {
    return FormatWideV(format, args);
}

// C-style variadic form; callers from C++ use FormatWide(format, args...) below.
std::wstring FormatWideList(const wchar_t* format, ...);

// What an argument of the variadic forms becomes on its way into "...": string objects
// (CString, std::wstring, std::string) pass their text pointer, as the device's string class
// does; other objects cannot be formatted and are refused at compile time.
template <class T> auto VarargOf(const T& value) {
    if constexpr (std::is_same_v<T, std::wstring> || std::is_same_v<T, std::string>) {
        return value.c_str();
    } else if constexpr (std::is_class_v<T> && std::is_convertible_v<const T&, const wchar_t*>) {
        return static_cast<const wchar_t*>(value);
    } else {
        static_assert(!std::is_class_v<T> && !std::is_union_v<T>, "this type cannot be passed to a format");
        return value;
    }
}

template <class... Args> std::wstring FormatWide(const wchar_t* format, const Args&... args) {
    return FormatWideList(format, VarargOf(args)...);
}

} // namespace device
