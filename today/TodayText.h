#pragma once
// Text helpers of the plug-in: its texts live in fixed-size buffers, and every write is cut to
// the buffer's size (the terminator included).

#include "platform/base/WideFormat.h"

#include <cstdarg>
#include <cwchar>

namespace todaytext {

inline void Copy(LPWSTR out, size_t count, LPCWSTR text) {
    if (count == 0) return;
    size_t n = text ? std::wcslen(text) : 0;
    if (n > count - 1) n = count - 1;
    if (n) std::wmemmove(out, text, n);
    out[n] = L'\0';
}

inline void Append(LPWSTR out, size_t count, LPCWSTR text) {
    size_t used = std::wcslen(out);
    if (used + 1 >= count) return;
    Copy(out + used, count - used, text);
}

// Formats with the device's conventions.
inline void Print(LPWSTR out, size_t count, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = device::FormatWideV(format, args);
    va_end(args);
    Copy(out, count, text.c_str());
}

template <size_t N> void Copy(WCHAR (&out)[N], LPCWSTR text) { Copy(out, N, text); }
template <size_t N> void Append(WCHAR (&out)[N], LPCWSTR text) { Append(out, N, text); }

} // namespace todaytext
