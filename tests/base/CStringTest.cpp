#include "platform/base/CString.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <unordered_set>

namespace {

std::wstring W(const CString& s) {
    return s.Str();
}

} // namespace

TEST(CString, ConstructionFromEveryKindOfText) {
    EXPECT_EQ(W(CString()), L"");
    EXPECT_EQ(W(CString(L"abc")), L"abc");
    EXPECT_EQ(W(CString(static_cast<LPCWSTR>(nullptr))), L"");
    EXPECT_EQ(W(CString(L"abcdef", 3)), L"abc");
    EXPECT_EQ(W(CString(L"abc", -1)), L"");
    EXPECT_EQ(W(CString(L"ab", 50)), L"ab"); // never reads past the terminating null
    EXPECT_EQ(W(CString(L'-', 4)), L"----");
    EXPECT_EQ(W(CString(L'x', 0)), L"");
    EXPECT_EQ(W(CString(L'x', -3)), L"");
    EXPECT_EQ(W(CString(std::wstring(L"std"))), L"std");
    // Narrow text is widened through the code page.
    EXPECT_EQ(W(CString("\xB0"
                        "C - Degree Celsius")),
              L"\u00B0C - Degree Celsius");
    EXPECT_EQ(W(CString("\x80")), L"\u20AC");
    EXPECT_EQ(W(CString(static_cast<LPCSTR>(nullptr))), L"");

    CString s;
    s = L"wide";
    EXPECT_EQ(W(s), L"wide");
    s = "narrow\xE9";
    EXPECT_EQ(W(s), L"narrow\u00E9");
    s = L'c';
    EXPECT_EQ(W(s), L"c");
    s = static_cast<LPCWSTR>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = L"self";
    s = s.GetString(); // assigning its own text
    EXPECT_EQ(W(s), L"self");
}

TEST(CString, LengthAccessAndConversion) {
    CString s(L"Oslo");
    EXPECT_EQ(s.GetLength(), 4);
    EXPECT_FALSE(s.IsEmpty());
    EXPECT_EQ(s.GetAt(0), L'O');
    EXPECT_EQ(s[3], L'o');
    EXPECT_EQ(s.GetAt(4), L'\0');
    EXPECT_EQ(s.GetAt(-1), L'\0');
    s.SetAt(0, L'0');
    s.SetAt(4, L'!');
    s.SetAt(-1, L'!');
    EXPECT_EQ(W(s), L"0slo");
    LPCWSTR p = s;
    EXPECT_STREQ(p, L"0slo");
    EXPECT_EQ(std::wcslen(s), 4u);
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(static_cast<LPCWSTR>(s), L"");
    EXPECT_EQ(testing::PrintToString(CString(L"\u00b0C")), "L\"\xC2\xB0"
                                                           "C\"");
}

TEST(CString, MidLeftRightClampTheirArguments) {
    CString s(L"Jorvana");
    EXPECT_EQ(W(s.Mid(2)), L"rvana");
    EXPECT_EQ(W(s.Mid(2, 3)), L"rva");
    EXPECT_EQ(W(s.Mid(0, 100)), L"Jorvana");
    EXPECT_EQ(W(s.Mid(5, 100)), L"na");
    EXPECT_EQ(W(s.Mid(7)), L"");
    EXPECT_EQ(W(s.Mid(50)), L"");
    EXPECT_EQ(W(s.Mid(-3, 2)), L"Jo");
    EXPECT_EQ(W(s.Mid(2, 0)), L"");
    EXPECT_EQ(W(s.Mid(2, -1)), L"");
    EXPECT_EQ(W(s.Mid(3, 2147483647)), L"vana");
    EXPECT_EQ(W(s.Left(3)), L"Jor");
    EXPECT_EQ(W(s.Left(0)), L"");
    EXPECT_EQ(W(s.Left(-2)), L"");
    EXPECT_EQ(W(s.Left(99)), L"Jorvana");
    EXPECT_EQ(W(s.Right(4)), L"vana");
    EXPECT_EQ(W(s.Right(0)), L"");
    EXPECT_EQ(W(s.Right(-1)), L"");
    EXPECT_EQ(W(s.Right(99)), L"Jorvana");
    EXPECT_EQ(W(CString().Mid(0, 1)), L"");

    // The record date rebuild: last 10 characters of a field, reordered.
    CString field(L"Thu 01/02/2007");
    CString date = field.Right(10);
    EXPECT_EQ(W(date.Mid(3, 3) + date.Left(3) + date.Mid(6)), L"02/01/2007");
    EXPECT_EQ(W(CString(L"1/2").Right(10)), L"1/2");
}

TEST(CString, FindCharactersAndSubstrings) {
    CString s(L"a@b@c^d");
    EXPECT_EQ(s.Find(L'@'), 1);
    EXPECT_EQ(s.Find(L'@', 2), 3);
    EXPECT_EQ(s.Find(L'@', 4), -1);
    EXPECT_EQ(s.Find(L'z'), -1);
    EXPECT_EQ(s.Find(L'a', -5), 0);
    EXPECT_EQ(s.Find(L'd', 7), -1);
    EXPECT_EQ(s.Find(L'd', 100), -1);
    EXPECT_EQ(s.Find(L'\0'), -1);
    EXPECT_EQ(s.Find(L"b@"), 2);
    EXPECT_EQ(s.Find(L"@", 2), 3);
    EXPECT_EQ(s.Find(L"^d"), 5);
    EXPECT_EQ(s.Find(L"^d", 6), -1);
    EXPECT_EQ(s.Find(L"xyz"), -1);
    EXPECT_EQ(s.Find(L"a@b@c^d!"), -1);
    EXPECT_EQ(s.Find(L""), 0);
    EXPECT_EQ(s.Find(L"", 7), 7);
    EXPECT_EQ(s.Find(L"", 8), -1);
    EXPECT_EQ(s.Find(static_cast<LPCWSTR>(nullptr)), -1);
    EXPECT_EQ(s.Find(L"B@"), -1); // letter case counts
    EXPECT_EQ(CString().Find(L'a'), -1);
    EXPECT_EQ(CString().Find(L"a"), -1);

    // The language lookup searches for the first "1" anywhere in the list text.
    CString list(L"ONDRELDE@21>");
    CString key;
    key.Format(L"%d", 1);
    EXPECT_EQ(list.Find(key), 10);

    EXPECT_EQ(s.ReverseFind(L'@'), 3);
    EXPECT_EQ(s.ReverseFind(L'a'), 0);
    EXPECT_EQ(s.ReverseFind(L'q'), -1);
    EXPECT_EQ(s.ReverseFind(L'\0'), -1);
    EXPECT_EQ(CString(L"\\Program Files\\Jorvana\\x.skn").ReverseFind(L'\\'), 22);

    EXPECT_EQ(s.FindOneOf(L"^@"), 1);
    EXPECT_EQ(s.FindOneOf(L"xyz"), -1);
    EXPECT_EQ(s.FindOneOf(L""), -1);
    EXPECT_EQ(W(CString(L"12ab3").SpanIncluding(L"0123456789")), L"12");
    EXPECT_EQ(W(CString(L"name@value").SpanExcluding(L"@")), L"name");
    EXPECT_EQ(W(CString(L"abc").SpanExcluding(nullptr)), L"abc");
}

TEST(CString, ComparisonsAndCase) {
    CString a(L"Zurich");
    EXPECT_EQ(a.Compare(L"Zurich"), 0);
    EXPECT_LT(a.Compare(L"zurich"), 0); // upper case sorts first
    EXPECT_GT(a.Compare(L"Zuri"), 0);
    EXPECT_LT(a.Compare(L"Zurichs"), 0);
    EXPECT_GT(a.Compare(nullptr), 0);
    EXPECT_EQ(a.CompareNoCase(L"zURICH"), 0);
    EXPECT_LT(a.CompareNoCase(L"zz"), 0);
    EXPECT_EQ(CString(L"\u00C9TAT").CompareNoCase(L"\u00E9tat"), 0);
    // Characters above U+FFFF order after every BMP character.
    EXPECT_GT(CString(L"\U0001F600").Compare(L"\uFFFD"), 0);

    EXPECT_TRUE(a == L"Zurich");
    EXPECT_TRUE(L"Zurich" == a);
    EXPECT_TRUE(a == CString(L"Zurich"));
    EXPECT_TRUE(a != L"zurich");
    EXPECT_TRUE(CString() == static_cast<LPCWSTR>(nullptr));
    EXPECT_TRUE(CString(L"Berlin") < a);
    EXPECT_TRUE(L"Berlin" < a);
    EXPECT_TRUE(a > L"Berlin");
    EXPECT_TRUE(a <= L"Zurich");
    EXPECT_TRUE(a >= L"Zurich");
    EXPECT_FALSE(a < a);

    std::map<CString, int> byName{{L"b", 2}, {L"a", 1}, {L"B", 0}};
    EXPECT_EQ(W(byName.begin()->first), L"B");
    std::unordered_set<CString> names{L"x", L"x", L"y"};
    EXPECT_EQ(names.size(), 2u);

    CString mixed(L"Ondreldeu.dll \u00e9");
    mixed.MakeUpper();
    EXPECT_EQ(W(mixed), L"ONDRELDEU.DLL \u00c9");
    mixed.MakeLower();
    EXPECT_EQ(W(mixed), L"ondreldeu.dll \u00e9");
    EXPECT_EQ(W(CString(L"abc").MakeReverse()), L"cba");
}

TEST(CString, Trimming) {
    CString s(L" \t 12\u00b0 \r\n");
    EXPECT_EQ(W(CString(s).TrimLeft()), L"12\u00b0 \r\n");
    EXPECT_EQ(W(CString(s).TrimRight()), L" \t 12\u00b0");
    EXPECT_EQ(W(CString(s).Trim()), L"12\u00b0");
    EXPECT_EQ(W(CString(L"   ").Trim()), L"");
    EXPECT_EQ(W(CString(L"xxaxx").TrimLeft(L'x')), L"axx");
    EXPECT_EQ(W(CString(L"xxaxx").TrimRight(L'x')), L"xxa");
    EXPECT_EQ(W(CString(L"xyaxy").Trim(L"xy")), L"a");
    EXPECT_EQ(W(CString(L"line\r").TrimRight(L"\r\n")), L"line");
    EXPECT_EQ(W(CString(L"abc").TrimLeft(static_cast<LPCWSTR>(nullptr))), L"abc");
    // A non-breaking space is text, not a blank.
    EXPECT_EQ(W(CString(L"\u00a0a").TrimLeft()), L"\u00a0a");
}

TEST(CString, ReplaceRemoveInsertDelete) {
    CString s(L"a.b.c");
    EXPECT_EQ(s.Replace(L'.', L','), 2);
    EXPECT_EQ(W(s), L"a,b,c");
    EXPECT_EQ(s.Replace(L'?', L'!'), 0);

    CString t(L"aaa");
    EXPECT_EQ(t.Replace(L"aa", L"b"), 1); // left to right, no overlap
    EXPECT_EQ(W(t), L"ba");
    CString u(L"x^y^z");
    EXPECT_EQ(u.Replace(L"^", L"^^"), 2); // the replacement is not searched again
    EXPECT_EQ(W(u), L"x^^y^^z");
    EXPECT_EQ(u.Replace(L"^^", L""), 2);
    EXPECT_EQ(W(u), L"xyz");
    EXPECT_EQ(u.Replace(L"", L"q"), 0);
    EXPECT_EQ(u.Replace(L"y", nullptr), 1);
    EXPECT_EQ(W(u), L"xz");
    CString self(L"abab");
    EXPECT_EQ(self.Replace(self.GetString(), L"c"), 1); // old text pointing into the string itself
    EXPECT_EQ(W(self), L"c");

    CString r(L"1,234,567");
    EXPECT_EQ(r.Remove(L','), 2);
    EXPECT_EQ(W(r), L"1234567");
    EXPECT_EQ(r.Remove(L'x'), 0);

    CString i(L"ace");
    EXPECT_EQ(i.Insert(1, L'b'), 4);
    EXPECT_EQ(i.Insert(3, L"d"), 5);
    EXPECT_EQ(W(i), L"abcde");
    EXPECT_EQ(i.Insert(100, L"!"), 6);
    EXPECT_EQ(i.Insert(-4, L'>'), 7);
    EXPECT_EQ(W(i), L">abcde!");
    EXPECT_EQ(i.Insert(2, i.GetString()), 14); // inserting its own text
    EXPECT_EQ(W(i), L">a>abcde!bcde!");

    CString d(L"abcdef");
    EXPECT_EQ(d.Delete(1), 5);
    EXPECT_EQ(W(d), L"acdef");
    EXPECT_EQ(d.Delete(2, 100), 2);
    EXPECT_EQ(W(d), L"ac");
    EXPECT_EQ(d.Delete(5, 1), 2);
    EXPECT_EQ(d.Delete(0, 0), 2);
    EXPECT_EQ(d.Delete(2, -1), 2);
    EXPECT_EQ(W(d), L"ac");
    EXPECT_EQ(d.Delete(-1, 1), 1); // a negative index counts from the start
    EXPECT_EQ(W(d), L"c");

    // Cutting a name to fit: drop its last three characters and add "...".
    CString name(L"Saint Petersburg");
    name.Delete(name.GetLength() - 3, 3);
    name += L"...";
    EXPECT_EQ(W(name), L"Saint Petersb...");
}

TEST(CString, BufferAccess) {
    CString s;
    LPWSTR buf = s.GetBuffer(50);
    std::wcscpy(buf, L"written");
    s.ReleaseBuffer();
    EXPECT_EQ(W(s), L"written");
    EXPECT_EQ(s.GetLength(), 7);

    // Filling the buffer to its full size, terminator included.
    buf = s.GetBuffer(4);
    EXPECT_GE(s.GetLength(), 4);
    buf = s.GetBuffer(10);
    for (int k = 0; k < 10; ++k)
        buf[k] = L'0' + k;
    buf[10] = L'\0';
    s.ReleaseBuffer();
    EXPECT_EQ(W(s), L"0123456789");

    buf = s.GetBuffer(0);
    s.ReleaseBuffer(3);
    EXPECT_EQ(W(s), L"012");
    s.GetBuffer(0);
    s.ReleaseBuffer(50); // longer than the text: kept as it is
    EXPECT_EQ(W(s), L"012");

    buf = s.GetBufferSetLength(5);
    buf[3] = L'x';
    buf[4] = L'y';
    s.ReleaseBuffer(5);
    EXPECT_EQ(W(s), L"012xy");

    CString e;
    e.GetBuffer(-5);
    e.ReleaseBuffer();
    EXPECT_TRUE(e.IsEmpty());
}

TEST(CString, ConcatenationOperators) {
    CString a(L"ab");
    EXPECT_EQ(W(a + L"cd"), L"abcd");
    EXPECT_EQ(W(L"<" + a), L"<ab");
    EXPECT_EQ(W(a + CString(L"!")), L"ab!");
    EXPECT_EQ(W(a + L'c'), L"abc");
    EXPECT_EQ(W(L'>' + a), L">ab");
    EXPECT_EQ(W(a + static_cast<LPCWSTR>(nullptr)), L"ab");
    a += L"c";
    a += L'd';
    a += CString(L"e");
    a += "f\xB0";
    EXPECT_EQ(W(a), L"abcdef\u00b0");
    a += a; // appending itself
    EXPECT_EQ(W(a), L"abcdef\u00b0abcdef\u00b0");
    a += a.GetString() + 5;
    EXPECT_EQ(a.GetLength(), 14 + 9);
}

TEST(CString, FormatWithTheDevicesConventions) {
    CString s;
    s.Format(L"%d", 7);
    EXPECT_EQ(W(s), L"7");
    CString name(L"Kyiv");
    s.Format(L"%s: %d", name, 5); // a CString argument passes its text
    EXPECT_EQ(W(s), L"Kyiv: 5");
    s.Format(L"%s", static_cast<LPCWSTR>(name));
    EXPECT_EQ(W(s), L"Kyiv");
    s.Format(L"%.2f", 88.0);
    EXPECT_EQ(W(s), L"88.00");
    s.Format(L"%.15g", 0.30000000000000004);
    EXPECT_EQ(W(s), L"0.3");
    s.Format(L"%S %C", "n", 'c');
    EXPECT_EQ(W(s), L"n c");
    s.Format(L"[%s]", s); // formatting with its own text
    EXPECT_EQ(W(s), L"[n c]");
    CString fmt(L"%d/%d");
    s.Format(fmt, 3, 4);
    EXPECT_EQ(W(s), L"3/4");
    s.AppendFormat(L"-%02d", 9);
    EXPECT_EQ(W(s), L"3/4-09");
    s.AppendFormat(L"%s", name);
    EXPECT_EQ(W(s), L"3/4-09Kyiv");
}

namespace {

void FormatThroughVaList(CString& out, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    out.FormatV(format, args);
    va_end(args);
}

bool TestLoader(UINT id, CString& out) {
    if (id == 33021) {
        out = L"Weather background image not found!";
        return true;
    }
    if (id == 100) {
        out = L"%d cities";
        return true;
    }
    return false;
}

class CStringResources : public ::testing::Test {
protected:
    void SetUp() override { m_previous = CString::GetStringLoader(); }
    void TearDown() override { CString::SetStringLoader(m_previous); }
    CString::StringLoader m_previous = nullptr;
};

} // namespace

TEST(CString, FormatV) {
    CString s(L"old");
    FormatThroughVaList(s, L"%s=%u", L"n", 12u);
    EXPECT_EQ(W(s), L"n=12");
}

TEST_F(CStringResources, LoadStringWithoutALoaderFails) {
    CString::SetStringLoader(nullptr);
    CString s(L"kept");
    EXPECT_FALSE(s.LoadString(33021));
    EXPECT_EQ(W(s), L"kept");
}

TEST_F(CStringResources, LoadStringThroughTheLoader) {
    CString::SetStringLoader(TestLoader);
    CString s(L"kept");
    EXPECT_FALSE(s.LoadString(1));
    EXPECT_EQ(W(s), L"kept");
    EXPECT_TRUE(s.LoadString(33021));
    EXPECT_EQ(W(s), L"Weather background image not found!");
    s.Format(100u, 12);
    EXPECT_EQ(W(s), L"12 cities");
    s.Format(101u, 12);
    EXPECT_TRUE(s.IsEmpty());
    // A resource id in place of a text pointer loads the string.
    CString byId(reinterpret_cast<LPCWSTR>(uintptr_t{33021}));
    EXPECT_EQ(W(byId), L"Weather background image not found!");
    CString missing(reinterpret_cast<LPCWSTR>(uintptr_t{7}));
    EXPECT_TRUE(missing.IsEmpty());
}
