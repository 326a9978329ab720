#pragma once
// Letter case as the device treats it: simple one-to-one lower and upper casing of single
// characters (full Unicode tables of the C.UTF-8 locale, whatever the process locale is).
// Used wherever the device ignores case: file names, registry keys, case-blind sort orders,
// CString::CompareNoCase / MakeLower / MakeUpper.

#include <string>
#include <string_view>

namespace device {

wchar_t ToLowerChar(wchar_t c);
wchar_t ToUpperChar(wchar_t c);
std::wstring ToLower(std::wstring_view text);
std::wstring ToUpper(std::wstring_view text);
// <0, 0, >0 comparing the lower-cased texts by code point.
int CompareNoCase(std::wstring_view a, std::wstring_view b);
bool EqualNoCase(std::wstring_view a, std::wstring_view b);

} // namespace device
