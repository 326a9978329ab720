#include "platform/base/CaseFold.h"

#include <locale.h>
#include <wctype.h>

namespace device {
namespace {

locale_t CaseLocale() {
    static locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l;
    }();
    return loc;
}

} // namespace

wchar_t ToLowerChar(wchar_t c) {
    if (c < 0x80) return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    locale_t loc = CaseLocale();
    return loc ? static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), loc)) : c;
}

wchar_t ToUpperChar(wchar_t c) {
    if (c < 0x80) return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
    locale_t loc = CaseLocale();
    return loc ? static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), loc)) : c;
}

std::wstring ToLower(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) c = ToLowerChar(c);
    return out;
}

std::wstring ToUpper(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) c = ToUpperChar(c);
    return out;
}

int CompareNoCase(std::wstring_view a, std::wstring_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        auto x = static_cast<uint32_t>(ToLowerChar(a[i]));
        auto y = static_cast<uint32_t>(ToLowerChar(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

} // namespace device
