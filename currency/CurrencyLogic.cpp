#include "currency/CurrencyLogic.h"

#include "core/CommonHelpers.h"
#include "core/HttpExchange.h"
#include "platform/system/DeviceTime.h"
#include "resources/resource.h"

#include <charconv>
#include <cmath>
#include <cwchar>
#include <limits>

bool ConvertAmount(double amount, double rateFrom, double rateTo, double& result) {
    // A rate that is no positive number (ReadRate's 0 for an unusable one) converts nothing: an
    // amount would otherwise show as 0, "-0" or a sign the currencies cannot have.
    if (!(rateFrom > 0) || !(rateTo > 0)) {
        result = 0;
        return false;
    }
    result = amount * rateFrom / rateTo;
    return std::isfinite(result);
}

double ReadAmount(const CString& text) {
    LPCWSTR start = text;
    return std::wcstod(start, nullptr);
}

bool ReadValidRate(const CString& text, double& rate) {
    // Blanks around the number and a leading "+" are read by wcstod as by every other reader.
    CString trimmed = text;
    trimmed.Trim();
    const std::wstring& t = trimmed.Str();
    const size_t start = !t.empty() && t[0] == L'+' ? 1 : 0;
    // Digits, a point and an exponent only, starting with a digit or the point: no other sign,
    // hexadecimal, "inf" or "nan" reaches the number reader.
    if (start >= t.size() || (t[start] != L'.' && (t[start] < L'0' || t[start] > L'9')) ||
        t.find_first_not_of(L"0123456789.eE+-", start) != std::wstring::npos)
        return false;
    double value = 0;
    if (!ReadWholeNumber(t.c_str(), value) || value < kMinRate || value > kMaxRate) return false;
    rate = value;
    return true;
}

bool IsValidRate(const CString& text) {
    double rate = 0;
    return ReadValidRate(text, rate);
}

CString StoredRateText(const CString& text) {
    double rate = 0;
    if (!ReadValidRate(text, rate)) return CString();
    // The shortest form that reads back exactly; 17 digits, a point and "e-308" at most.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), rate);
    return CString(std::wstring(buffer, result.ptr).c_str());
}

double ReadRate(const CString& text) {
    double rate = 0;
    return ReadValidRate(text, rate) ? rate : 0.0;
}

CString FormatConverted(double amount, double rateFrom, double rateTo) {
    double value = 0;
    CString text;
    if (ConvertAmount(amount, rateFrom, rateTo, value)) text.Format(L"%.8f", value);
    return text;
}

namespace {
double SumAmounts(const std::vector<CString>& texts) {
    double sum = 0;
    for (const CString& text : texts) sum += ReadAmount(text);
    return sum;
}

// The significant digits a number holds true: a text with more shows digits of the number's
// binary value that no amount has (37250052159876543 reading as 37250052159876544).
constexpr int kTrueDigits = std::numeric_limits<double>::digits10;

// The significant digits a fixed-point text claims: from its first non-zero digit to its end;
// the zeros that end a text without a point only stand in for the units.
int ClaimedDigits(const CString& text) {
    const std::wstring& t = text.Str();
    const size_t first = t.find_first_of(L"123456789");
    if (first == std::wstring::npos) return 0;
    size_t end = t.size();
    if (t.find(L'.') == std::wstring::npos)
        while (end > first && t[end - 1] == L'0') --end;
    int digits = 0;
    for (size_t i = first; i < end; ++i)
        if (t[i] >= L'0' && t[i] <= L'9') ++digits;
    return digits;
}
} // namespace

CString FormatTotal(const std::vector<CString>& texts) {
    const double sum = SumAmounts(texts);
    CString total;
    // Amounts beyond what a number holds would sum to "inf" or "nan": a short word says so.
    if (std::isfinite(sum))
        total.Format(L"%.2f", sum);
    else
        total.LoadString(IDS_RESULT_TOO_LARGE);
    return total;
}

std::vector<CString> TotalForms(double sum) {
    std::vector<CString> forms;
    if (!std::isfinite(sum)) return forms;
    auto add = [&](const CString& text) {
        if (forms.empty() || forms.back() != text) forms.push_back(text);
    };
    CString text;
    for (int decimals = 2; decimals >= 0; --decimals) {
        text.Format(L"%.*f", decimals, sum);
        if (ClaimedDigits(text) <= kTrueDigits) add(text);
    }
    // A mantissa of fewer and fewer digits, rounded as the fixed forms are.
    for (int digits = kTrueDigits - 1; digits >= 0; --digits) {
        text.Format(L"%.*e", digits, sum);
        const int e = text.Find(L'e');
        if (e < 0) continue;
        const int power = std::wcstol(static_cast<LPCWSTR>(text) + e + 1, nullptr, 10);
        if (power <= 0) continue; // small totals have their fixed forms
        CString mantissa = text.Left(e);
        // Trailing zeros say nothing the shorter mantissa does not.
        if (mantissa.Find(L'.') >= 0) {
            mantissa.TrimRight(L'0');
            mantissa.TrimRight(L'.');
        }
        CString form;
        form.Format(L"%se%d", static_cast<LPCWSTR>(mantissa), power);
        add(form);
    }
    return forms;
}

CString FormatTotalToFit(const std::vector<CString>& texts, const std::function<bool(const CString&)>& fits) {
    // Rounded, never cut: a total that lost digits still reads as its own value (3725005215.99
    // as 3725005216, not 3725005215), and only one no form fits says it is too large.
    for (const CString& form : TotalForms(SumAmounts(texts)))
        if (fits(form)) return form;
    CString tooLarge;
    tooLarge.LoadString(IDS_RESULT_TOO_LARGE);
    return tooLarge;
}

std::vector<CurrencyFeedRecord> ParseCurrencyFeedReply(const CString& reply) {
    std::vector<CurrencyFeedRecord> records;
    CString rest = reply;
    for (;;) {
        const int p = rest.Find(L'_');
        if (p < 0) break;
        CurrencyFeedRecord record;
        record.code = rest.Left(p);
        // A record that lost its "_" ends at its "#": the code starts after it, so the next
        // good record keeps its rate.
        const int broken = record.code.ReverseFind(L'#');
        if (broken >= 0) record.code = record.code.Mid(broken + 1);
        // A server that ends its records with line breaks (CR LF or LF) still names its codes:
        // no code holds a line end, so it is no part of the next code.
        record.code.Trim(kReplyLineEnds);
        rest = rest.Mid(p + 1);
        const int q = rest.Find(L'#');
        if (q < 0) break; // an unfinished last record
        record.rate = rest.Left(q);
        rest = rest.Mid(q + 1);
        records.push_back(record);
    }
    return records;
}

CString FormatUpdateDate(const FILETIME& stamp) {
    SYSTEMTIME time{};
    CString text;
    if (!::FileTimeToSystemTime(&stamp, &time)) return text;
    text.Format(L"%d/%d/%d", static_cast<int>(time.wDay), static_cast<int>(time.wMonth),
                static_cast<int>(time.wYear));
    return text;
}

bool IsNeverUpdated(const FILETIME& stamp, int currentYear) {
    if (stamp.dwLowDateTime == 0 && stamp.dwHighDateTime == 0) return true;
    SYSTEMTIME time{};
    if (!::FileTimeToSystemTime(&stamp, &time)) return true;
    return time.wYear < 1900 || time.wYear > currentYear;
}

bool UsesLongUpdateWord(int workWidth, int workHeight, int available) {
    return workWidth < workHeight || available > 244;
}

CurrencyShape ChooseCurrencyShape(bool squareNot320, int workWidth, int workHeight, int available) {
    if (squareNot320) return CurrencyShape::Square;
    if (workWidth < workHeight || available > 244) return CurrencyShape::Tall;
    return CurrencyShape::Low;
}

int CurrencyRateComboWidth(CurrencyShape shape) {
    switch (shape) {
    case CurrencyShape::Tall: return 70;
    case CurrencyShape::Low: return 60;
    default: return 50;
    }
}

CurrencyPlace CurrencyFieldPlace(int W, int column, int row) {
    CurrencyPlace place;
    place.y = 21 + 21 * row;
    place.cy = 20;
    switch (column) {
    case 0: place.x = 0; place.cx = W / 3; break;
    case 1: place.x = W / 3 + 1; place.cx = W / 3; break;
    default: place.x = (2 * W) / 3 + 1; place.cx = W / 3 - 2; break;
    }
    return place;
}

namespace {

CurrencyPlace At(int x, int y, int cx, int cy) { return CurrencyPlace{x, y, cx, cy, false}; }
CurrencyPlace MovedTo(int x, int y) { return CurrencyPlace{x, y, 0, 0, true}; }

} // namespace

std::map<int, CurrencyPlace> ComputeCurrencyLayout(CurrencyShape shape, int W, int cw, bool settingChange) {
    std::map<int, CurrencyPlace> p;
    const bool tall = shape == CurrencyShape::Tall;
    const int third = W / 3;
    const int twoThirds = (2 * W) / 3;

    // The column skeleton.
    p[IDC_CUR_PAIR1] = At(0, 0, third, 20);
    p[IDC_CUR_PAIR2] = At(third + 1, 0, third - 1, 20);
    p[IDC_CUR_PAIR3] = At(twoThirds + 1, 0, tall ? third - 1 : third - 3, 20);
    p[IDC_CUR_RULE_TOP] = At(0, 20, W, 1);
    const int buttonsY = tall ? 105 : 84;
    p[IDC_CUR_ADD_LINE] = At(third + 1, buttonsY, W / 6 - 1, 17);
    p[IDC_CUR_BACK_LINE] = At(third + W / 6 + 1, buttonsY, W / 6 - 1, 17);
    const int totalsY = tall ? 122 : 102;
    p[IDC_CUR_RULE_TOTALS_TOP] = At(0, totalsY, W, 1);
    p[IDC_CUR_TOTAL1] = At(0, totalsY, third, 20);
    p[IDC_CUR_TOTAL2] = At(third, totalsY, third, 20);
    p[IDC_CUR_TOTAL3] = At(twoThirds, totalsY, third - 2, 20);
    p[IDC_CUR_RULE_TOTALS_BOTTOM] = At(0, totalsY + 20, W, 1);
    p[IDC_CUR_SEPARATOR1] = At(third, 0, 1, totalsY + 20);
    p[IDC_CUR_SEPARATOR2] = At(twoThirds, 0, 1, totalsY + 20);

    // The cross-rate band.
    switch (shape) {
    case CurrencyShape::Tall:
        p[IDC_CUR_RATE_BASE] = At(5, 162, 70, 20);
        p[IDC_CUR_FRAME1] = MovedTo(cw + 30, 149);
        p[IDC_CUR_FRAME2] = MovedTo(cw + 30, 174);
        p[IDC_CUR_EQUALS] = MovedTo(cw + 10, 165);
        p[IDC_CUR_RATE1] = At(cw + 34, 153, 107, 16);
        p[IDC_CUR_RATE2] = At(cw + 34, 178, 107, 16);
        p[IDC_CUR_CODE1] = At(2 * (cw + 38), 156, 70, 20);
        p[IDC_CUR_CODE2] = At(2 * (cw + 38), 180, 70, 20);
        break;
    case CurrencyShape::Low:
        p[IDC_CUR_RATE_BASE] = At(5, 124, 60, 18);
        p[IDC_CUR_EQUALS] = MovedTo(cw + 10, 128);
        p[IDC_CUR_RATE1] = At(cw + 34, 127, W / 4 - 2, 13);
        p[IDC_CUR_RATE2] = At(2 * cw + 89, 127, 84, 13);
        p[IDC_CUR_CODE1] = At(2 * cw + 61, 127, 22, 18);
        p[IDC_CUR_CODE2] = At(3 * cw + 116, 127, 22, 18);
        break;
    case CurrencyShape::Square:
        p[IDC_CUR_RATE_BASE] = At(5, 124, 50, 18);
        p[IDC_CUR_EQUALS] = At(cw + 10, 128, 8, 18);
        p[IDC_CUR_RATE1] = At(cw + 25, 128, W / 5 + 6, 13);
        p[IDC_CUR_RATE2] = At(cw + W / 5 + (settingChange ? 65 : 66), 128, W / 5 + 6, 13);
        p[IDC_CUR_CODE1] = At(cw + W / 5 + 38, 127, 21, 18);
        p[IDC_CUR_CODE2] = At(cw + (2 * W) / 5 + 73, 127, 21, 18);
        break;
    }
    if (!tall) {
        p[IDC_CUR_FRAME1] = At(cw + 30, 123, W / 4, 20);
        p[IDC_CUR_FRAME2] = At(2 * cw + 70, 123, 86, 20);
    }

    // The bottom band.
    switch (shape) {
    case CurrencyShape::Tall:
        p[IDC_CUR_BAND] = At(0, 205, W, 30);
        p[IDC_CUR_RULE_BAND_TOP] = At(0, 205, W, 1);
        p[IDC_CUR_RULE_BAND_BOTTOM] = At(0, 235, W, 1);
        p[IDC_CUR_UPDATE_ALL] = At(5, 210, 80, 20);
        p[IDC_CUR_CLEAR_ALL] = At(W - (settingChange ? 87 : 85), 210, 80, 20);
        p[IDC_CUR_LAST_UPDATE] = At(W / 2 - 35, 208, 70, 25);
        break;
    case CurrencyShape::Low:
        p[IDC_CUR_BAND] = At(0, 144, W, 22);
        p[IDC_CUR_RULE_BAND_TOP] = At(0, 144, W, 1);
        p[IDC_CUR_RULE_BAND_BOTTOM] = At(0, 166, W, 1);
        p[IDC_CUR_UPDATE_ALL] = At(W - 174, 146, 80, 18);
        p[IDC_CUR_CLEAR_ALL] = At(W - 87, 146, 80, 18);
        p[IDC_CUR_LAST_UPDATE] = At(3, 147, 140, 21);
        break;
    case CurrencyShape::Square:
        p[IDC_CUR_BAND] = At(0, 145, W, 21);
        p[IDC_CUR_RULE_BAND_TOP] = At(0, 145, W, 1);
        p[IDC_CUR_RULE_BAND_BOTTOM] = At(0, 166, W, 1);
        p[IDC_CUR_UPDATE_ALL] = At(1, 146, 72, 20);
        p[IDC_CUR_CLEAR_ALL] = At(W - 73, 146, 72, 20);
        p[IDC_CUR_LAST_UPDATE] = At(W / 2 - 45, 149, 90, 25);
        break;
    }
    return p;
}
