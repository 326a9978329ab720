#include "tools/TipTaxMath.h"

#include <cmath>
#include <cwchar>

double ReadFigure(const CString& text) {
    const wchar_t* start = text;
    wchar_t* end = nullptr;
    double value = std::wcstod(start, &end);
    // Nothing readable, or a number too large to be an amount ("1e999"), counts as 0.
    return end == start || !std::isfinite(value) ? 0.0 : value;
}

CString FormatAmount(double amount) {
    CString text;
    text.Format(L"%.2f", amount);
    return text;
}

double TipTaxFigures::Total() const {
    double total = amount;
    if (addTax) total += taxPercent * amount * 0.01;
    if (addTip) total += tipPercent * amount * 0.01;
    return total;
}
