#include "platform/base/CodePage.h"

#include "platform/base/Utf8.h"

#include <algorithm>
#include <cstring>

namespace device {
namespace {

// Characters of bytes 0x80-0x9F. The undefined bytes keep their own value.
constexpr wchar_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

enum class Page { Ansi, Utf8, Unknown };

Page PageOf(UINT codePage) {
    switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case CP_THREAD_ACP:
    case kAnsiCodePage:
        return Page::Ansi;
    case CP_UTF8:
        return Page::Utf8;
    default:
        return Page::Unknown;
    }
}

} // namespace

wchar_t WidenByte(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return static_cast<wchar_t>(byte);
}

std::wstring WidenBytes(std::string_view bytes) {
    std::wstring out;
    out.resize(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = WidenByte(static_cast<unsigned char>(bytes[i]));
    return out;
}

int Cp1252Byte(wchar_t c) {
    if (c >= 0 && (c < 0x80 || (c >= 0xA0 && c <= 0xFF))) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c) return 0x80 + i;
    return -1;
}

std::string NarrowToCp1252(std::wstring_view text, char defaultChar) {
    std::string out;
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        int b = Cp1252Byte(text[i]);
        out[i] = b < 0 ? defaultChar : static_cast<char>(b);
    }
    return out;
}

} // namespace device

namespace {

// Copies a finished conversion to the caller's buffer following the size-query protocol.
template <class Char> int Deliver(const std::basic_string<Char>& result, Char* out, int outSize) {
    int needed = static_cast<int>(result.size());
    if (outSize == 0) return needed;
    if (needed > outSize) {
        std::copy_n(result.data(), outSize, out);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy_n(result.data(), needed, out);
    return needed;
}

} // namespace

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideText, int wideLength, LPSTR out, int outSize,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar) {
    (void)flags;
    auto page = device::PageOf(codePage);
    if (page == device::Page::Unknown || wideText == nullptr || wideLength == 0 || wideLength < -1 ||
        outSize < 0 || (out == nullptr && outSize > 0) ||
        (page == device::Page::Utf8 && (defaultChar != nullptr || usedDefaultChar != nullptr))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = wideLength == -1 ? std::wcslen(wideText) + 1 : static_cast<size_t>(wideLength);
    std::wstring_view text(wideText, length);

    std::string result;
    if (page == device::Page::Utf8) {
        result = device::ToUtf8(text);
    } else {
        char fallback = defaultChar ? defaultChar[0] : '?';
        result.resize(length);
        bool used = false;
        for (size_t i = 0; i < length; ++i) {
            int b = device::Cp1252Byte(text[i]);
            if (b < 0) used = true;
            result[i] = b < 0 ? fallback : static_cast<char>(b);
        }
        if (usedDefaultChar) *usedDefaultChar = used ? TRUE : FALSE;
    }
    return Deliver(result, out, outSize);
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR out, int outSize) {
    (void)flags;
    auto page = device::PageOf(codePage);
    if (page == device::Page::Unknown || text == nullptr || length == 0 || length < -1 || outSize < 0 ||
        (out == nullptr && outSize > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t count = length == -1 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    std::string_view bytes(text, count);
    std::wstring result = page == device::Page::Utf8 ? device::FromUtf8(bytes) : device::WidenBytes(bytes);
    return Deliver(result, out, outSize);
}
