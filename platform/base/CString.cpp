#include "platform/base/CString.h"

#include "platform/base/CaseFold.h"
#include "platform/base/CodePage.h"
#include "platform/base/Utf8.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwchar>
#include <ostream>

namespace {

std::atomic<CString::StringLoader> g_stringLoader{nullptr};

// A "text pointer" below 0x10000 is a string resource id, as the device's resource calls
// accept; such values are never dereferenced.
bool IsResourceId(LPCWSTR text) {
    auto v = reinterpret_cast<uintptr_t>(text);
    return v != 0 && v < 0x10000;
}

std::wstring_view ViewOf(LPCWSTR text) {
    if (text == nullptr || IsResourceId(text)) return {};
    return std::wstring_view(text);
}

bool IsBlank(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

int CompareViews(std::wstring_view a, std::wstring_view b) {
    // wchar_t is signed here; compare as code points.
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        auto x = static_cast<uint32_t>(a[i]);
        auto y = static_cast<uint32_t>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace

// --- Construction and assignment -----------------------------------------------------------

CString::CString(LPCWSTR text) {
    if (IsResourceId(text))
        LoadString(static_cast<UINT>(reinterpret_cast<uintptr_t>(text)));
    else if (text)
        m_str = text;
}

CString::CString(LPCWSTR text, int length) {
    // Stops at a null inside the given length rather than reading past the caller's text.
    if (text && length > 0 && !IsResourceId(text))
        m_str.assign(text, wcsnlen(text, static_cast<size_t>(length)));
}

CString::CString(WCHAR ch, int repeat) {
    if (repeat > 0) m_str.assign(static_cast<size_t>(repeat), ch);
}

CString::CString(LPCSTR text) {
    if (text) m_str = device::WidenBytes(text);
}

CString& CString::operator=(LPCWSTR text) {
    if (IsResourceId(text)) {
        CString loaded;
        loaded.LoadString(static_cast<UINT>(reinterpret_cast<uintptr_t>(text)));
        m_str = std::move(loaded.m_str);
    } else if (text) {
        m_str.assign(text); // assign copes with text pointing into m_str
    } else {
        m_str.clear();
    }
    return *this;
}

CString& CString::operator=(WCHAR ch) {
    m_str.assign(1, ch);
    return *this;
}

CString& CString::operator=(LPCSTR text) {
    m_str = text ? device::WidenBytes(text) : std::wstring();
    return *this;
}

CString& CString::operator=(const std::wstring& text) {
    m_str = text;
    return *this;
}

// --- Access ----------------------------------------------------------------------------------

WCHAR CString::GetAt(int index) const {
    if (index < 0 || index >= GetLength()) return 0;
    return m_str[static_cast<size_t>(index)];
}

void CString::SetAt(int index, WCHAR ch) {
    if (index < 0 || index >= GetLength()) return;
    m_str[static_cast<size_t>(index)] = ch;
}

int CString::ClampIndex(int index) const {
    return std::clamp(index, 0, GetLength());
}

// --- Parts -----------------------------------------------------------------------------------

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    int start = ClampIndex(first);
    if (count <= 0) return CString();
    int end = count > GetLength() - start ? GetLength() : start + count;
    return CString(m_str.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
}

CString CString::Left(int count) const {
    return Mid(0, count);
}

CString CString::Right(int count) const {
    if (count <= 0) return CString();
    if (count >= GetLength()) return *this;
    return CString(m_str.substr(m_str.size() - static_cast<size_t>(count)));
}

CString CString::SpanIncluding(LPCWSTR chars) const {
    auto set = ViewOf(chars);
    size_t n = 0;
    while (n < m_str.size() && set.find(m_str[n]) != std::wstring_view::npos)
        ++n;
    return CString(m_str.substr(0, n));
}

CString CString::SpanExcluding(LPCWSTR chars) const {
    auto set = ViewOf(chars);
    size_t n = 0;
    while (n < m_str.size() && set.find(m_str[n]) == std::wstring_view::npos)
        ++n;
    return CString(m_str.substr(0, n));
}

// --- Searching -------------------------------------------------------------------------------

int CString::Find(WCHAR ch, int start) const {
    if (ch == 0) return -1;
    start = std::max(start, 0);
    if (start >= GetLength()) return -1;
    size_t at = m_str.find(ch, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCWSTR text, int start) const {
    if (text == nullptr || IsResourceId(text)) return -1;
    start = std::max(start, 0);
    if (start > GetLength()) return -1;
    size_t at = m_str.find(text, static_cast<size_t>(start));
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(WCHAR ch) const {
    if (ch == 0) return -1;
    size_t at = m_str.rfind(ch);
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(LPCWSTR chars) const {
    auto set = ViewOf(chars);
    if (set.empty()) return -1;
    size_t at = m_str.find_first_of(set.data(), 0, set.size());
    return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

// --- Comparison ------------------------------------------------------------------------------

int CString::Compare(LPCWSTR text) const {
    return CompareViews(m_str, ViewOf(text));
}

int CString::CompareNoCase(LPCWSTR text) const {
    return device::CompareNoCase(m_str, ViewOf(text));
}

// --- Changes in place ------------------------------------------------------------------------

CString& CString::MakeUpper() {
    m_str = device::ToUpper(m_str);
    return *this;
}

CString& CString::MakeLower() {
    m_str = device::ToLower(m_str);
    return *this;
}

CString& CString::MakeReverse() {
    std::reverse(m_str.begin(), m_str.end());
    return *this;
}

CString& CString::TrimLeft() {
    auto it = std::find_if_not(m_str.begin(), m_str.end(), IsBlank);
    m_str.erase(m_str.begin(), it);
    return *this;
}

CString& CString::TrimLeft(WCHAR ch) {
    size_t n = 0;
    while (n < m_str.size() && m_str[n] == ch)
        ++n;
    m_str.erase(0, n);
    return *this;
}

CString& CString::TrimLeft(LPCWSTR chars) {
    auto set = ViewOf(chars);
    size_t n = 0;
    while (n < m_str.size() && set.find(m_str[n]) != std::wstring_view::npos)
        ++n;
    m_str.erase(0, n);
    return *this;
}

CString& CString::TrimRight() {
    while (!m_str.empty() && IsBlank(m_str.back()))
        m_str.pop_back();
    return *this;
}

CString& CString::TrimRight(WCHAR ch) {
    while (!m_str.empty() && m_str.back() == ch)
        m_str.pop_back();
    return *this;
}

CString& CString::TrimRight(LPCWSTR chars) {
    auto set = ViewOf(chars);
    while (!m_str.empty() && set.find(m_str.back()) != std::wstring_view::npos)
        m_str.pop_back();
    return *this;
}

CString& CString::Trim() {
    return TrimRight().TrimLeft();
}
CString& CString::Trim(WCHAR ch) {
    return TrimRight(ch).TrimLeft(ch);
}
CString& CString::Trim(LPCWSTR chars) {
    return TrimRight(chars).TrimLeft(chars);
}

int CString::Replace(WCHAR oldCh, WCHAR newCh) {
    int count = 0;
    for (auto& c : m_str) {
        if (c == oldCh) {
            c = newCh;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCWSTR oldText, LPCWSTR newText) {
    // Copies first: either text may point into this string.
    std::wstring from(ViewOf(oldText));
    std::wstring to(ViewOf(newText));
    if (from.empty()) return 0;
    int count = 0;
    std::wstring out;
    size_t pos = 0;
    for (;;) {
        size_t at = m_str.find(from, pos);
        if (at == std::wstring::npos) break;
        out.append(m_str, pos, at - pos);
        out += to;
        pos = at + from.size();
        ++count;
    }
    if (count == 0) return 0;
    out.append(m_str, pos, std::wstring::npos);
    m_str = std::move(out);
    return count;
}

int CString::Remove(WCHAR ch) {
    size_t before = m_str.size();
    std::erase(m_str, ch);
    return static_cast<int>(before - m_str.size());
}

int CString::Insert(int index, WCHAR ch) {
    m_str.insert(static_cast<size_t>(ClampIndex(index)), 1, ch);
    return GetLength();
}

int CString::Insert(int index, LPCWSTR text) {
    std::wstring piece(ViewOf(text));
    m_str.insert(static_cast<size_t>(ClampIndex(index)), piece);
    return GetLength();
}

int CString::Delete(int index, int count) {
    index = std::max(index, 0);
    if (count <= 0 || index >= GetLength()) return GetLength();
    m_str.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

// --- Buffer ----------------------------------------------------------------------------------

LPWSTR CString::GetBuffer() {
    return m_str.data();
}

LPWSTR CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_str.resize(static_cast<size_t>(minLength));
    return m_str.data();
}

LPWSTR CString::GetBufferSetLength(int length) {
    m_str.resize(static_cast<size_t>(std::max(length, 0)));
    return m_str.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) newLength = static_cast<int>(wcsnlen(m_str.c_str(), m_str.size()));
    if (newLength < GetLength()) m_str.resize(static_cast<size_t>(newLength));
}

// --- Formatting ------------------------------------------------------------------------------

void CString::FormatList(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(LPCWSTR format, va_list args) {
    m_str = device::FormatWideV(format, args);
}

void CString::AppendFormatV(LPCWSTR format, va_list args) {
    m_str += device::FormatWideV(format, args);
}

// --- Resources -------------------------------------------------------------------------------

BOOL CString::LoadString(UINT id) {
    StringLoader loader = g_stringLoader.load();
    if (loader == nullptr) return FALSE;
    CString text;
    if (!loader(id, text)) return FALSE;
    m_str = std::move(text.m_str);
    return TRUE;
}

void CString::SetStringLoader(StringLoader loader) {
    g_stringLoader.store(loader);
}

CString::StringLoader CString::GetStringLoader() {
    return g_stringLoader.load();
}

// --- Concatenation ---------------------------------------------------------------------------

CString& CString::operator+=(const CString& text) {
    m_str += text.m_str;
    return *this;
}

CString& CString::operator+=(LPCWSTR text) {
    m_str.append(ViewOf(text)); // append copes with text pointing into m_str
    return *this;
}

CString& CString::operator+=(WCHAR ch) {
    m_str += ch;
    return *this;
}

CString& CString::operator+=(LPCSTR text) {
    if (text) m_str += device::WidenBytes(text);
    return *this;
}

CString operator+(const CString& a, const CString& b) {
    return CString(a.m_str + b.m_str);
}
CString operator+(const CString& a, LPCWSTR b) {
    std::wstring out = a.m_str;
    out.append(ViewOf(b));
    return CString(std::move(out));
}
CString operator+(LPCWSTR a, const CString& b) {
    std::wstring out(ViewOf(a));
    out += b.m_str;
    return CString(std::move(out));
}
CString operator+(const CString& a, WCHAR b) {
    return CString(a.m_str + b);
}
CString operator+(WCHAR a, const CString& b) {
    return CString(a + b.m_str);
}

// --- Comparison operators --------------------------------------------------------------------

bool operator==(const CString& a, const CString& b) {
    return a.Str() == b.Str();
}
bool operator==(const CString& a, LPCWSTR b) {
    return std::wstring_view(a.Str()) == ViewOf(b);
}
bool operator==(LPCWSTR a, const CString& b) {
    return b == a;
}
bool operator!=(const CString& a, const CString& b) {
    return !(a == b);
}
bool operator!=(const CString& a, LPCWSTR b) {
    return !(a == b);
}
bool operator!=(LPCWSTR a, const CString& b) {
    return !(b == a);
}
bool operator<(const CString& a, const CString& b) {
    return CompareViews(a.Str(), b.Str()) < 0;
}
bool operator<(const CString& a, LPCWSTR b) {
    return CompareViews(a.Str(), ViewOf(b)) < 0;
}
bool operator<(LPCWSTR a, const CString& b) {
    return CompareViews(ViewOf(a), b.Str()) < 0;
}
bool operator>(const CString& a, const CString& b) {
    return CompareViews(a.Str(), b.Str()) > 0;
}
bool operator>(const CString& a, LPCWSTR b) {
    return CompareViews(a.Str(), ViewOf(b)) > 0;
}
bool operator>(LPCWSTR a, const CString& b) {
    return CompareViews(ViewOf(a), b.Str()) > 0;
}
bool operator<=(const CString& a, const CString& b) {
    return !(a > b);
}
bool operator<=(const CString& a, LPCWSTR b) {
    return !(a > b);
}
bool operator<=(LPCWSTR a, const CString& b) {
    return !(a > b);
}
bool operator>=(const CString& a, const CString& b) {
    return !(a < b);
}
bool operator>=(const CString& a, LPCWSTR b) {
    return !(a < b);
}
bool operator>=(LPCWSTR a, const CString& b) {
    return !(a < b);
}

void PrintTo(const CString& text, std::ostream* os) {
    *os << "L\"" << device::ToUtf8(text.Str()) << '"';
}
