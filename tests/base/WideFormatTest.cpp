#include "platform/base/WideFormat.h"

#include "platform/base/WinTypes.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>

using device::FormatWide;

namespace {

std::wstring ThroughVaList(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring out = device::FormatWide(format, args);
    va_end(args);
    return out;
}

} // namespace

TEST(WideFormat, FormatsTheProgramsIntegerTexts) {
    EXPECT_EQ(FormatWide(L"%d", 42), L"42");
    EXPECT_EQ(FormatWide(L"%d", -7), L"-7");
    EXPECT_EQ(FormatWide(L"#%d", 3), L"#3");
    EXPECT_EQ(FormatWide(L"%d.%d", 4, 21), L"4.21");
    EXPECT_EQ(FormatWide(L"%dx%d", 240, 320), L"240x320");
    EXPECT_EQ(FormatWide(L"%d/%d/%d - %d/%d/%d", 1, 2, 2007, 31, 12, 2008), L"1/2/2007 - 31/12/2008");
    EXPECT_EQ(FormatWide(L"[%d/%d/%d]", 9, 3, 2006), L"[9/3/2006]");
    EXPECT_EQ(FormatWide(L"0%d:%d", 7, 45), L"07:45");
    EXPECT_EQ(FormatWide(L"%02d", 5), L"05");
    EXPECT_EQ(FormatWide(L"%02d", -5), L"-5");
    EXPECT_EQ(FormatWide(L"%5d|%-5d|%+d|% d", 12, 12, 12, 12), L"   12|12   |+12| 12");
    EXPECT_EQ(FormatWide(L"%i", INT32_MIN), L"-2147483648");
    EXPECT_EQ(FormatWide(L"os=wince%d.%d", 4, 20), L"os=wince4.20");
}

TEST(WideFormat, UnsignedHexAndTheDevicesLengthModifiers) {
    DWORD colour = 255255255u;
    EXPECT_EQ(FormatWide(L"%lu", colour), L"255255255");
    EXPECT_EQ(FormatWide(L"%lu", 4294967295u), L"4294967295");
    EXPECT_EQ(FormatWide(L"%u", static_cast<unsigned>(-1)), L"4294967295");
    // A device LONG is 32 bits: %ld reads exactly that much.
    LONG negative = -12;
    EXPECT_EQ(FormatWide(L"%ld|%d", negative, 5), L"-12|5");
    EXPECT_EQ(FormatWide(L"%x %X %08X %#x %o", 255, 255, 0xBEEF, 16, 8), L"ff FF 0000BEEF 0x10 10");
    EXPECT_EQ(FormatWide(L"%I64d %lld %I64u", INT64_MIN, 1234567890123LL, UINT64_MAX),
              L"-9223372036854775808 1234567890123 18446744073709551615");
    EXPECT_EQ(FormatWide(L"%zu %Iu %I32d", size_t{1} << 40, size_t{7}, -3), L"1099511627776 7 -3");
    EXPECT_EQ(FormatWide(L"%hd %hu %hhd %hhu", 70000, 70000, 300, 300), L"4464 4464 44 44");
}

TEST(WideFormat, FloatingPointTexts) {
    EXPECT_EQ(FormatWide(L"%.2f", 100.0), L"100.00");
    EXPECT_EQ(FormatWide(L"%.2f", 12.0 + 0.0), L"12.00");
    EXPECT_EQ(FormatWide(L"%.8f", 1.0 / 3.0), L"0.33333333");
    EXPECT_EQ(FormatWide(L"%f", 1.5), L"1.500000");
    EXPECT_EQ(FormatWide(L"%f ", 0.9), L"0.900000 ");
    EXPECT_EQ(FormatWide(L"%.15g", 0.1), L"0.1");
    EXPECT_EQ(FormatWide(L"%.15g", 1e21), L"1e+21");
    EXPECT_EQ(FormatWide(L"%.15g", 1234.5678), L"1234.5678");
    EXPECT_EQ(FormatWide(L"%.0f\u00b0%s", 59.0, L"/"), L"59\u00b0/");
    EXPECT_EQ(FormatWide(L"%.0f/%.0f", 21.4, 9.6), L"21/10");
    EXPECT_EQ(FormatWide(L"%8.3f|%-8.1e|%E", 3.14159, 1234.5, 0.5), L"   3.142|1.2e+03 |5.000000E-01");
    EXPECT_EQ(FormatWide(L"%Lf", 2.5L), L"2.500000");
    EXPECT_EQ(FormatWide(L"%f", static_cast<float>(0.25f)), L"0.250000");
}

TEST(WideFormat, ExactHalvesRoundAwayFromZero) {
    EXPECT_EQ(FormatWide(L"%.0f", 0.5), L"1");
    EXPECT_EQ(FormatWide(L"%.0f", 2.5), L"3");
    EXPECT_EQ(FormatWide(L"%.0f", -2.5), L"-3");
    EXPECT_EQ(FormatWide(L"%.2f", 0.125), L"0.13");
    EXPECT_EQ(FormatWide(L"%.2f", -0.125), L"-0.13");
    EXPECT_EQ(FormatWide(L"%.1f", 0.25), L"0.3");
    EXPECT_EQ(FormatWide(L"%.1e", 125.0), L"1.3e+02");
    EXPECT_EQ(FormatWide(L"%.2g", 0.125), L"0.13");
    EXPECT_EQ(FormatWide(L"%.1g", 25.0), L"3e+01");
    EXPECT_EQ(FormatWide(L"%.0e", 9.5), L"1e+01");
    EXPECT_EQ(FormatWide(L"%.2g", 1250.0), L"1.3e+03");
    // Values that only look like halves are printed from their exact binary value.
    EXPECT_EQ(FormatWide(L"%.2f", 2.675), L"2.67");
    EXPECT_EQ(FormatWide(L"%.2f", 1.005), L"1.00");
    // Not at the rounding position: unchanged.
    EXPECT_EQ(FormatWide(L"%.3f", 0.125), L"0.125");
    EXPECT_EQ(FormatWide(L"%.1f", 0.125), L"0.1");
    EXPECT_EQ(FormatWide(L"%.15g", 0.5), L"0.5");
    EXPECT_EQ(FormatWide(L"%.3g", 1250.0), L"1.25e+03");
    EXPECT_EQ(FormatWide(L"%.2g", 1251.0), L"1.3e+03");
    EXPECT_EQ(FormatWide(L"%.2g", 1249.0), L"1.2e+03");
}

TEST(WideFormat, DecimalPointIgnoresTheProcessLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    std::wstring text = FormatWide(L"%.2f", 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, L"1.50");
}

TEST(WideFormat, StringsAndCharactersFollowTheDevicesConventions) {
    EXPECT_EQ(FormatWide(L"%s%s", L"12\u00b0/", L"8\u00b0"), L"12\u00b0/8\u00b0");
    EXPECT_EQ(FormatWide(L"%s\n\n\n%s", L"Title", L"Body"), L"Title\n\n\nBody");
    EXPECT_EQ(FormatWide(L"%S", "narrow \xB0"), L"narrow \u00B0");
    EXPECT_EQ(FormatWide(L"%hs|%ls|%ws", "a", L"b", L"c"), L"a|b|c");
    EXPECT_EQ(FormatWide(L"%c%C", L'\u20AC', static_cast<char>(0x80)), L"\u20AC\u20AC");
    EXPECT_EQ(FormatWide(L"%C", 'A'), L"A");
    EXPECT_EQ(FormatWide(L"%hc%lc%lC", 'x', L'y', L'\u0160'), L"xy\u0160");
    EXPECT_EQ(FormatWide(L"[%5s][%-5s][%.2s][%3c]", L"ab", L"ab", L"abcdef", L'z'),
              L"[   ab][ab   ][ab][  z]");
    EXPECT_EQ(FormatWide(L"[%.3S]", "abcdef"), L"[abc]");
    EXPECT_EQ(FormatWide(L"%s|%S", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr)),
              L"(null)|(null)");
    std::wstring owned = L"owned";
    std::string narrowOwned = "bytes";
    EXPECT_EQ(FormatWide(L"%s %S", owned, narrowOwned), L"owned bytes");
}

TEST(WideFormat, PrecisionStopsReadingAtTheLimit) {
    // An unterminated buffer is safe with a precision: nothing past it is read.
    wchar_t wide[3] = {L'a', L'b', L'c'};
    char narrow[3] = {'x', 'y', 'z'};
    EXPECT_EQ(FormatWide(L"%.3s%.2S", static_cast<const wchar_t*>(wide), static_cast<const char*>(narrow)),
              L"abcxy");
}

TEST(WideFormat, StarWidthAndPrecision) {
    EXPECT_EQ(FormatWide(L"[%*d]", 4, 7), L"[   7]");
    EXPECT_EQ(FormatWide(L"[%*d]", -4, 7), L"[7   ]");
    EXPECT_EQ(FormatWide(L"[%.*f]", 3, 2.0), L"[2.000]");
    EXPECT_EQ(FormatWide(L"[%.*f]", -1, 2.0), L"[2.000000]");
    EXPECT_EQ(FormatWide(L"[%*.*s]", 6, 2, L"abcdef"), L"[    ab]");
}

TEST(WideFormat, PercentPointerAndUnknownConversions) {
    EXPECT_EQ(FormatWide(L"100%%"), L"100%");
    EXPECT_EQ(FormatWide(L"50%"), L"50%");     // a lone trailing % is kept
    EXPECT_EQ(FormatWide(L"%y%d", 3), L"%y3"); // unknown conversion kept, no argument taken
    EXPECT_EQ(FormatWide(L"a%5"), L"a%5");
    int stored = 99;
    EXPECT_EQ(FormatWide(L"x%ny%d", &stored, 1), L"xy1");
    EXPECT_EQ(stored, 99); // %n never writes
    std::wstring p = FormatWide(L"%p", reinterpret_cast<void*>(uintptr_t{0xABC}));
    EXPECT_EQ(p.size(), 2 * sizeof(void*));
    EXPECT_EQ(p.substr(p.size() - 4), L"0ABC");
    EXPECT_EQ(p.find_first_not_of(L"0ABC"), std::wstring::npos);
    EXPECT_EQ(FormatWide(nullptr), L"");
    EXPECT_EQ(FormatWide(L"no conversions"), L"no conversions");
}

TEST(WideFormat, HugeFieldsAreBoundedAndLongOutputIsComplete) {
    std::wstring wide = FormatWide(L"%99999999d", 1);
    EXPECT_EQ(wide.size(), 65535u);
    EXPECT_EQ(wide.back(), L'1');
    std::wstring big = FormatWide(L"%.2f", 1e300);
    EXPECT_EQ(big.size(), 301u + 3u);
    EXPECT_EQ(big.substr(0, 3), L"100");
    EXPECT_EQ(big.substr(big.size() - 3), L".00");
    std::wstring longText(5000, L'q');
    EXPECT_EQ(FormatWide(L"<%s>", longText.c_str()), L"<" + longText + L">");
}

TEST(WideFormat, VaListForm) {
    EXPECT_EQ(ThroughVaList(L"%d-%s-%.1f", 3, L"x", 0.25), L"3-x-0.3");
}

namespace {

// Rounds the decimal digits of a magnitude half away from zero after `keep` digits, from a
// long exact expansion. Returns true when the rounding carried out of the first digit.
bool RoundDigits(std::string& digits, size_t keep) {
    bool up = digits.size() > keep && digits[keep] >= '5';
    digits.resize(keep);
    if (!up) return false;
    for (size_t i = keep; i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

std::wstring ReferenceFixed(double v, int precision) {
    char exact[128];
    std::snprintf(exact, sizeof exact, "%.60f", v < 0 ? -v : v); // exact for these values
    std::string text = exact;
    size_t point = text.find('.');
    std::string digits = text.substr(0, point) + text.substr(point + 1);
    size_t integerDigits = point;
    if (RoundDigits(digits, integerDigits + precision)) ++integerDigits;
    std::string out = digits.substr(0, integerDigits);
    if (precision > 0) {
        out += '.';
        out += digits.substr(integerDigits);
    }
    if (v < 0) out = "-" + out; // "-0.00" included, as printf writes it
    return std::wstring(out.begin(), out.end());
}

std::wstring ReferenceExponent(double v, int precision) {
    char exact[128];
    std::snprintf(exact, sizeof exact, "%.60e", v < 0 ? -v : v);
    std::string text = exact;
    size_t e = text.find('e');
    int exponent = std::stoi(text.substr(e + 1));
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    if (RoundDigits(digits, static_cast<size_t>(precision) + 1)) {
        ++exponent;
        digits.pop_back();
    }
    std::string out = digits.substr(0, 1);
    if (precision > 0) {
        out += '.';
        out += digits.substr(1);
    }
    char tail[16];
    std::snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+',
                  exponent < 0 ? -exponent : exponent);
    out += tail;
    if (v < 0) out = "-" + out;
    return std::wstring(out.begin(), out.end());
}

} // namespace

TEST(WideFormat, RoundingMatchesDecimalHalfUpOnManyValues) {
    for (int k = -3000; k <= 3000; ++k) {
        if (k == 0) continue;
        double v = k / 64.0; // many exact halves at one to six decimals
        for (int precision = 0; precision <= 7; ++precision) {
            ASSERT_EQ(FormatWide(L"%.*f", precision, v), ReferenceFixed(v, precision))
                << v << " %." << precision << "f";
            ASSERT_EQ(FormatWide(L"%.*e", precision, v), ReferenceExponent(v, precision))
                << v << " %." << precision << "e";
        }
        double big = k * 125.0; // integer halves such as 1.25e+04 with %.1e
        for (int precision = 0; precision <= 4; ++precision)
            ASSERT_EQ(FormatWide(L"%.*e", precision, big), ReferenceExponent(big, precision)) << big;
    }
}
