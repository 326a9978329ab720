#include "platform/base/WideFormat.h"

#include "platform/base/CodePage.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <locale.h>

namespace device {
namespace {

constexpr int kMaxField = 65535;

enum class Size { Default, Char, Short, Long32, Long64, Pointer, LongDouble };

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    int width = 0;
    int precision = -1; // -1: none given
    Size size = Size::Default;
    bool narrowText = false; // h: narrow string or character
    bool wideText = false;   // l / w: wide string or character
};

// Numbers are printed in the "C" locale whatever the process locale says.
locale_t NumericLocale() {
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// A narrow printf spec for one conversion of the host C library, without length modifier.
std::string NarrowSpec(const Spec& s, const char* lengthModifier, char conversion) {
    std::string out = "%";
    if (s.left) out += '-';
    if (s.plus) out += '+';
    if (s.space) out += ' ';
    if (s.alternate) out += '#';
    if (s.zero) out += '0';
    if (s.width > 0) out += std::to_string(s.width);
    if (s.precision >= 0) out += '.' + std::to_string(s.precision);
    out += lengthModifier;
    out += conversion;
    return out;
}

// Runs snprintf and appends its (ASCII) output to out.
template <class Value> void AppendPrintf(std::wstring& out, const std::string& spec, Value value) {
    char local[512];
    int n = std::snprintf(local, sizeof local, spec.c_str(), value);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof local) {
        out.append(local, local + n);
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), spec.c_str(), value);
    out.append(big.begin(), big.begin() + n);
}

void AppendPadded(std::wstring& out, const Spec& s, std::wstring_view text) {
    size_t width = s.width > 0 ? static_cast<size_t>(s.width) : 0;
    size_t pad = width > text.size() ? width - text.size() : 0;
    if (s.left) {
        out += text;
        out.append(pad, L' ');
    } else {
        out.append(pad, s.zero ? L'0' : L' ');
        out += text;
    }
}

// For an exact half at the rounding position of a conversion, the next value away from zero,
// so that the host's round-half-to-even gives the device's round-half-away-from-zero.
double TieAwayFromZero(double v, char conversion, int precision) {
    if (!std::isfinite(v) || v == 0.0) return v;
    int exponent = 0;
    double mantissa = std::frexp(std::fabs(v), &exponent);
    auto m = static_cast<uint64_t>(std::ldexp(mantissa, 53));
    int e = exponent - 53;
    while ((m & 1u) == 0) {
        m >>= 1;
        ++e;
    }
    // Now |v| = m * 2^e with m odd. |v| is (k + 1/2) * 10^r for a whole k exactly when e == r - 1
    // and m * 2^(e + 1) / 10^r is a whole (odd) number.
    bool tie = false;
    if (conversion == 'f' || conversion == 'F') {
        tie = e == -precision - 1;
    } else {
        int digits =
            conversion == 'e' || conversion == 'E' ? precision + 1 : (precision == 0 ? 1 : precision);
        if (digits > 19) return v;
        int r = e + 1;
        unsigned __int128 q = 0; // 2k + 1
        if (r <= 0) {
            if (r < -27) return v;
            q = m;
            for (int i = 0; i < -r; ++i)
                q *= 5;
        } else {
            if (r > 22) return v;
            uint64_t p5 = 1;
            for (int i = 0; i < r; ++i)
                p5 *= 5;
            if (m % p5 != 0) return v;
            q = m / p5;
        }
        unsigned __int128 k = (q - 1) / 2;
        unsigned __int128 low = 1;
        for (int i = 1; i < digits; ++i)
            low *= 10;
        tie = k >= low && k < low * 10;
    }
    if (!tie) return v;
    return std::nextafter(v, v > 0 ? INFINITY : -INFINITY);
}

void AppendNarrowText(std::wstring& out, const Spec& s, const char* text) {
    if (text == nullptr) text = "(null)";
    size_t n = s.precision >= 0 ? strnlen(text, static_cast<size_t>(s.precision)) : std::strlen(text);
    AppendPadded(out, s, WidenBytes(std::string_view(text, n)));
}

void AppendWideText(std::wstring& out, const Spec& s, const wchar_t* text) {
    if (text == nullptr) text = L"(null)";
    size_t n = s.precision >= 0 ? wcsnlen(text, static_cast<size_t>(s.precision)) : std::wcslen(text);
    AppendPadded(out, s, std::wstring_view(text, n));
}

int ParseNumber(const wchar_t*& p) {
    long long n = 0;
    while (*p >= L'0' && *p <= L'9') {
        n = n * 10 + (*p - L'0');
        if (n > kMaxField) n = kMaxField;
        ++p;
    }
    return static_cast<int>(n);
}

// Reads one conversion at p (just after the '%'); returns false when it is not one the device
// knows, leaving p after the offending character.
bool FormatOne(std::wstring& out, const wchar_t*& p, va_list& args) {
    Spec s;
    for (;; ++p) {
        if (*p == L'-')
            s.left = true;
        else if (*p == L'+')
            s.plus = true;
        else if (*p == L' ')
            s.space = true;
        else if (*p == L'#')
            s.alternate = true;
        else if (*p == L'0')
            s.zero = true;
        else
            break;
    }
    if (*p == L'*') {
        ++p;
        int w = va_arg(args, int);
        if (w < 0) {
            s.left = true;
            w = w == INT32_MIN ? kMaxField : -w;
        }
        s.width = w > kMaxField ? kMaxField : w;
    } else {
        s.width = ParseNumber(p);
    }
    if (*p == L'.') {
        ++p;
        if (*p == L'*') {
            ++p;
            int prec = va_arg(args, int);
            s.precision = prec < 0 ? -1 : (prec > kMaxField ? kMaxField : prec);
        } else {
            s.precision = ParseNumber(p);
        }
    }
    switch (*p) {
    case L'h':
        ++p;
        s.narrowText = true;
        s.size = Size::Short;
        if (*p == L'h') {
            ++p;
            s.size = Size::Char;
        }
        break;
    case L'l':
        ++p;
        s.wideText = true;
        s.size = Size::Long32;
        if (*p == L'l') {
            ++p;
            s.size = Size::Long64;
        }
        break;
    case L'w':
        ++p;
        s.wideText = true;
        break;
    case L'L':
        ++p;
        s.size = Size::LongDouble;
        break;
    case L'q':
    case L'j':
        ++p;
        s.size = Size::Long64;
        break;
    case L'z':
    case L't':
        ++p;
        s.size = Size::Pointer;
        break;
    case L'I':
        ++p;
        if (p[0] == L'6' && p[1] == L'4') {
            p += 2;
            s.size = Size::Long64;
        } else if (p[0] == L'3' && p[1] == L'2') {
            p += 2;
            s.size = Size::Long32;
        } else {
            s.size = Size::Pointer;
        }
        break;
    default:
        break;
    }

    wchar_t conversion = *p;
    if (conversion == 0) return false;
    ++p;
    switch (conversion) {
    case L'd':
    case L'i': {
        long long v;
        switch (s.size) {
        case Size::Char:
            v = static_cast<signed char>(va_arg(args, int));
            break;
        case Size::Short:
            v = static_cast<short>(va_arg(args, int));
            break;
        case Size::Long64:
            v = va_arg(args, long long);
            break;
        case Size::Pointer:
            v = static_cast<long long>(va_arg(args, intptr_t));
            break;
        default:
            v = va_arg(args, int);
            break;
        }
        AppendPrintf(out, NarrowSpec(s, "ll", 'd'), v);
        return true;
    }
    case L'u':
    case L'o':
    case L'x':
    case L'X': {
        unsigned long long v;
        switch (s.size) {
        case Size::Char:
            v = static_cast<unsigned char>(va_arg(args, unsigned));
            break;
        case Size::Short:
            v = static_cast<unsigned short>(va_arg(args, unsigned));
            break;
        case Size::Long64:
            v = va_arg(args, unsigned long long);
            break;
        case Size::Pointer:
            v = static_cast<unsigned long long>(va_arg(args, uintptr_t));
            break;
        default:
            v = va_arg(args, unsigned);
            break;
        }
        s.plus = s.space = false;
        AppendPrintf(out, NarrowSpec(s, "ll", static_cast<char>(conversion)), v);
        return true;
    }
    case L'f':
    case L'F':
    case L'e':
    case L'E':
    case L'g':
    case L'G':
    case L'a':
    case L'A': {
        char c = static_cast<char>(conversion);
        locale_t previous = uselocale(NumericLocale());
        if (s.size == Size::LongDouble) {
            AppendPrintf(out, NarrowSpec(s, "L", c), va_arg(args, long double));
        } else {
            double v = va_arg(args, double);
            if (c != 'a' && c != 'A') v = TieAwayFromZero(v, c, s.precision < 0 ? 6 : s.precision);
            AppendPrintf(out, NarrowSpec(s, "", c), v);
        }
        uselocale(previous);
        return true;
    }
    case L'c':
    case L'C': {
        int v = va_arg(args, int);
        bool narrow = s.narrowText || (conversion == L'C' && !s.wideText);
        wchar_t ch = narrow ? WidenByte(static_cast<unsigned char>(v)) : static_cast<wchar_t>(v);
        Spec padding = s;
        padding.precision = -1;
        AppendPadded(out, padding, std::wstring_view(&ch, 1));
        return true;
    }
    case L's':
    case L'S': {
        bool narrow = s.narrowText || (conversion == L'S' && !s.wideText);
        if (narrow)
            AppendNarrowText(out, s, va_arg(args, const char*));
        else
            AppendWideText(out, s, va_arg(args, const wchar_t*));
        return true;
    }
    case L'p': {
        auto v = reinterpret_cast<uintptr_t>(va_arg(args, void*));
        wchar_t digits[2 * sizeof(void*)];
        for (size_t i = 0; i < 2 * sizeof(void*); ++i)
            digits[i] = L"0123456789ABCDEF"[(v >> (4 * (2 * sizeof(void*) - 1 - i))) & 0xF];
        Spec padding = s;
        padding.zero = false;
        AppendPadded(out, padding, std::wstring_view(digits, 2 * sizeof(void*)));
        return true;
    }
    case L'n':
        (void)va_arg(args, void*);
        return true;
    case L'%':
        out += L'%';
        return true;
    default:
        return false;
    }
}

} // namespace

std::wstring FormatWideV(const wchar_t* format, va_list args) {
    std::wstring out;
    if (format == nullptr) return out;
    va_list ap;
    va_copy(ap, args);
    const wchar_t* p = format;
    while (*p) {
        if (*p != L'%') {
            const wchar_t* run = p;
            while (*p && *p != L'%')
                ++p;
            out.append(run, p);
            continue;
        }
        const wchar_t* start = p;
        ++p;
        if (!FormatOne(out, p, ap)) out.append(start, p);
    }
    va_end(ap);
    return out;
}

std::wstring FormatWideList(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring out = FormatWideV(format, args);
    va_end(args);
    return out;
}

} // namespace device
