#pragma once
// The figures of the tip and tax calculator: both percentages apply to the bill amount alone.

#include "platform/base/CString.h"

// A figure as typed: the longest leading part that reads as a decimal number, else 0.
double ReadFigure(const CString& text);
// "%.2f" of an amount.
CString FormatAmount(double amount);

struct TipTaxFigures {
    double amount = 0;
    double tipPercent = 0;
    double taxPercent = 0;
    bool addTip = true;
    bool addTax = true;

    double TipAmount() const { return amount * tipPercent * 0.01; }
    double TaxAmount() const { return amount * taxPercent * 0.01; }
    // The bill with the tip and the tax whose boxes are checked.
    double Total() const;
};

// A percentage is accepted from 0 to 100, both included.
inline bool IsPercentInRange(double percent) { return percent >= 0 && percent <= 100; }
