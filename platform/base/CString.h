#pragma once
// CString: the device framework's wide-character string, kept in a std::wstring.
//
// Positions and counts are in characters. Out-of-range arguments are clamped, never fatal:
// Mid/Left/Right return what lies inside the string, Find returns -1 when the text is absent
// or the start lies past the end (a negative start counts as 0), GetAt returns 0 outside the
// string and SetAt ignores such a position, Insert and Delete clamp their index into the
// string. A null text pointer counts as the empty text; CString(text, length) stops early at a
// null. A "text pointer" below 0x10000 is a string resource id and loads that string.
// Narrow (char) text is widened through the device's code page (Windows-1252), exactly as the
// device's own narrow-to-wide conversion does. Letter case follows the device's case rule.
//
// Format uses the device's wide printf (WideFormat.h): %s takes a wide string, and a CString
// argument may be passed directly, as the device's string class allows.

#include "platform/base/WideFormat.h"
#include "platform/base/WinTypes.h"

#include <cstdarg>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

class CString {
public:
    // Looks up string resource id; true with its text in out when the id exists.
    using StringLoader = bool (*)(UINT id, CString& out);

    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(LPCWSTR text);
    CString(LPCWSTR text, int length);
    CString(WCHAR ch, int repeat = 1);
    CString(LPCSTR text);
    CString(const std::wstring& text) : m_str(text) {}
    CString(std::wstring&& text) noexcept : m_str(std::move(text)) {}

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCWSTR text);
    CString& operator=(WCHAR ch);
    CString& operator=(LPCSTR text);
    CString& operator=(const std::wstring& text);

    // Size and access.
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    WCHAR GetAt(int index) const;
    void SetAt(int index, WCHAR ch);
    WCHAR operator[](int index) const { return GetAt(index); }
    operator LPCWSTR() const { return m_str.c_str(); }
    LPCWSTR GetString() const { return m_str.c_str(); }
    const std::wstring& Str() const { return m_str; }

    // Parts.
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString SpanIncluding(LPCWSTR chars) const;
    CString SpanExcluding(LPCWSTR chars) const;

    // Searching. Results are positions, -1 when absent.
    int Find(WCHAR ch, int start = 0) const;
    int Find(LPCWSTR text, int start = 0) const;
    int ReverseFind(WCHAR ch) const;
    int FindOneOf(LPCWSTR chars) const;

    // Comparison: <0, 0, >0 by code point; CompareNoCase with the device's case rule.
    int Compare(LPCWSTR text) const;
    int CompareNoCase(LPCWSTR text) const;

    // Changes in place.
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    CString& TrimLeft();
    CString& TrimLeft(WCHAR ch);
    CString& TrimLeft(LPCWSTR chars);
    CString& TrimRight();
    CString& TrimRight(WCHAR ch);
    CString& TrimRight(LPCWSTR chars);
    CString& Trim();
    CString& Trim(WCHAR ch);
    CString& Trim(LPCWSTR chars);
    // Each returns how many replacements or removals it made.
    int Replace(WCHAR oldCh, WCHAR newCh);
    int Replace(LPCWSTR oldText, LPCWSTR newText);
    int Remove(WCHAR ch);
    // Each returns the new length.
    int Insert(int index, WCHAR ch);
    int Insert(int index, LPCWSTR text);
    int Delete(int index, int count = 1);

    // Direct buffer access. GetBuffer(n) gives room for at least n characters plus a null;
    // ReleaseBuffer(-1) takes the text up to the first null, ReleaseBuffer(n) keeps n characters.
    LPWSTR GetBuffer();
    LPWSTR GetBuffer(int minLength);
    LPWSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    // printf-style formatting with the device's wide printf.
    template <class... Args> void Format(LPCWSTR format, const Args&... args) {
        FormatList(format, device::VarargOf(args)...);
    }
    template <class... Args> void Format(UINT formatId, const Args&... args) {
        CString format;
        if (format.LoadString(formatId))
            FormatList(format.GetString(), device::VarargOf(args)...);
        else
            Empty();
    }
    template <class... Args> void AppendFormat(LPCWSTR format, const Args&... args) {
        m_str += device::FormatWide(format, args...);
    }
    void FormatV(LPCWSTR format, va_list args);
    void AppendFormatV(LPCWSTR format, va_list args);

    // String resources: the framework installs the loader when resources are available.
    // LoadString returns FALSE, leaving the string unchanged, when there is no loader or no
    // such id.
    BOOL LoadString(UINT id);
    static void SetStringLoader(StringLoader loader);
    static StringLoader GetStringLoader();

    // Concatenation.
    CString& operator+=(const CString& text);
    CString& operator+=(LPCWSTR text);
    CString& operator+=(WCHAR ch);
    CString& operator+=(LPCSTR text);

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, LPCWSTR b);
    friend CString operator+(LPCWSTR a, const CString& b);
    friend CString operator+(const CString& a, WCHAR b);
    friend CString operator+(WCHAR a, const CString& b);

private:
    void FormatList(LPCWSTR format, ...);
    int ClampIndex(int index) const;

    std::wstring m_str;
};

// Comparisons by code point; a null text pointer compares as the empty text.
bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCWSTR b);
bool operator==(LPCWSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCWSTR b);
bool operator!=(LPCWSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, LPCWSTR b);
bool operator<(LPCWSTR a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator>(const CString& a, LPCWSTR b);
bool operator>(LPCWSTR a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator<=(const CString& a, LPCWSTR b);
bool operator<=(LPCWSTR a, const CString& b);
bool operator>=(const CString& a, const CString& b);
bool operator>=(const CString& a, LPCWSTR b);
bool operator>=(LPCWSTR a, const CString& b);

// Test output: the text as L"..." in UTF-8 (found by GoogleTest's value printer).
void PrintTo(const CString& text, std::ostream* os);

template <> struct std::hash<CString> {
    size_t operator()(const CString& s) const noexcept { return std::hash<std::wstring>()(s.Str()); }
};
