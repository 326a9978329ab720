#pragma once
// Single-byte text of the device: its ANSI code page is Windows-1252.
//
// Files the program ships and saves are single-byte text. Reading widens each byte to one
// character (WidenByte / WidenBytes); writing converts each character back to one byte
// (NarrowToCp1252, or WideCharToMultiByte with CP_ACP). Bytes 0x00-0x7F and 0xA0-0xFF are the
// Latin-1 characters of the same value; 0x80-0x9F follow Windows-1252 (0x80 is the euro sign),
// and the five bytes Windows-1252 leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) become the
// control character of the same value, so every byte survives a read and a write unchanged.

#include "platform/base/WinTypes.h"

#include <string>
#include <string_view>

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

// Accepted and ignored: the conversions below have no composed or best-fit variants.
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_COMPOSITECHECK 0x00000200
#define WC_DEFAULTCHAR 0x00000040
#define WC_NO_BEST_FIT_CHARS 0x00000400

namespace device {

// The device's ANSI code page number.
constexpr UINT kAnsiCodePage = 1252;

// One byte of single-byte text as a character.
wchar_t WidenByte(unsigned char byte);
std::wstring WidenBytes(std::string_view bytes);

// The Windows-1252 byte of a character, or -1 when the code page has none.
int Cp1252Byte(wchar_t c);

// Wide text as Windows-1252 bytes; characters without a byte become defaultChar.
std::string NarrowToCp1252(std::wstring_view text, char defaultChar = '?');

} // namespace device

// The device's conversions between wide and multibyte text. Code pages: CP_ACP (= Windows-1252
// here, also CP_OEMCP, CP_THREAD_ACP and 1252 itself) and CP_UTF8. A length of -1 means the
// input runs to its null, which is converted too. An output size of 0 asks for the size needed.
// Failures return 0 with GetLastError: ERROR_INVALID_PARAMETER for bad arguments or an
// unknown code page, ERROR_INSUFFICIENT_BUFFER when the output is too short (the part that
// fits is written).
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideText, int wideLength, LPSTR out, int outSize,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR out, int outSize);
