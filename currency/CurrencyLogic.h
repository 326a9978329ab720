#pragma once
// The Currencies page's arithmetic and texts, apart from its windows: the conversion between
// two rates, the totals' and fields' number texts, the rate server's reply, the last-update
// date, and where every control of the page goes for each screen shape.

#include "core/ShippedDefaults.h"
#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

#include <functional>
#include <map>
#include <vector>

// At most this many amount lines; three of them are on screen at a time.
inline constexpr int kMaxCurrencyLines = 10;
// Selected currencies when the registry holds none: columns 1, 2 and 3 (US dollar, euro and
// pound sterling at their places in the shipped list).
inline constexpr DWORD kDefaultCurrencyIndex[3] = {shipped::kCurrency[0], shipped::kCurrency[1],
                                                   shipped::kCurrency[2]};

// The value of an amount of one currency in another: amount x rate(from) / rate(to). False when
// either rate is not a positive number (ReadRate gives 0 for an unusable one) or the result is not
// finite: the field stays empty.
bool ConvertAmount(double amount, double rateFrom, double rateTo, double& result);
// A field's or a rate's text read as a number; text wcstod cannot read counts 0.
double ReadAmount(const CString& text);
// A rate as the store may hold it: the whole text, as wcstod reads it, is one decimal number
// (digits with an optional fraction and an optional exponent; blanks around it and a leading "+"
// allowed; no hexadecimal, inf or nan) whose value lies from kMinRate to kMaxRate. Anything else
// (nonsense, 0, a negative, 1e308, a number followed by other text) would show as blank, "-0" or a
// nonsense amount in every converted line. The value goes to rate.
inline constexpr double kMinRate = 1e-9;
inline constexpr double kMaxRate = 1e9;
bool ReadValidRate(const CString& text, double& rate);
bool IsValidRate(const CString& text);
// The text a valid rate is stored as: the shortest text that reads back as the same number (at
// most 24 characters, so that every reader holds it whole); empty for a text that is no valid rate.
CString StoredRateText(const CString& text);
// The rate's value, or 0 (no conversion, the fields stay empty) for a text that is no valid rate.
double ReadRate(const CString& text);
// "%.8f", the converted field's text; empty for a result ConvertAmount refused.
CString FormatConverted(double amount, double rateFrom, double rateTo);
// "%.2f" of the sum of the texts, added in order (empty and unreadable texts count 0).
CString FormatTotal(const std::vector<CString>& texts);
// The texts a total of sum can be shown as, the truest first: "%.2f"; rounded to one decimal and
// to whole units; then rounded to fewer and fewer significant digits as a mantissa and a power of
// ten, written as the amount fields take them ("3.725e9", "-4e12": no "+", no leading zeros in
// the exponent). Each reads as the sum rounded at its last digit, never cut, and none claims more
// significant digits than a number holds true (15). None for a sum that is no number (beyond
// what a number holds).
std::vector<CString> TotalForms(double sum);
// The total as its cell can show it (fits says whether a text does): the first of TotalForms that
// fits, else "Too large".
// Pixels a total keeps free at each side of its cell: the column line over the outer pixel and
// two clear pixels beside it.
inline constexpr int kTotalMargin = 3;
// The smallest font height a total is drawn in when its usual font cannot show it whole.
inline constexpr int kSmallestTotalHeight = 9;
CString FormatTotalToFit(const std::vector<CString>& texts, const std::function<bool(const CString&)>& fits);

// One record of a currency rate reply: "code_rate#".
struct CurrencyFeedRecord {
    CString code;
    CString rate;
};
// The records of a reply, in order. Text between a "#" and the next "_" is the next code (so a
// line break before a code stays part of it, and a record without "_" is dropped); a last record
// without its "#" is dropped.
std::vector<CurrencyFeedRecord> ParseCurrencyFeedReply(const CString& reply);

// The date of a store time stamp as "day/month/year" without leading zeros, the time taken as
// it stands (no conversion to local time).
CString FormatUpdateDate(const FILETIME& stamp);
// True when the stamp means the rates were never updated: zero, before 1900, or a year later
// than the current one.
bool IsNeverUpdated(const FILETIME& stamp, int currentYear);
// True when the last-update label uses the long word: a work area taller than wide, or more
// than 244 pixels available under the tabs.
bool UsesLongUpdateWord(int workWidth, int workHeight, int available);

// Screen shapes of the page, tested in this order: square (a square screen other than
// 320 x 320), tall (taller than wide, or more than 244 pixels available), low.
enum class CurrencyShape { Tall, Low, Square };
CurrencyShape ChooseCurrencyShape(bool squareNot320, int workWidth, int workHeight, int available);

// Where one control goes: its position, and its size unless only moved.
struct CurrencyPlace {
    int x = 0, y = 0, cx = 0, cy = 0;
    bool moveOnly = false;
};
// The places of every fixed control (by control ID) for a shape. comboWidth is the width of
// the cross-rate list once placed (it is placed first and has a fixed width per shape);
// settingChange marks the pass a settings change runs, which puts two controls 1 or 2 pixels
// further left.
std::map<int, CurrencyPlace> ComputeCurrencyLayout(CurrencyShape shape, int workWidth, int comboWidth,
                                                   bool settingChange);
// The width the layout gives the cross-rate list for a shape.
int CurrencyRateComboWidth(CurrencyShape shape);
// The field of column 0, 1 or 2 in row 0, 1 or 2 of the line window.
CurrencyPlace CurrencyFieldPlace(int workWidth, int column, int row);
