#pragma once
// Small stateless helpers that many screens share: screen shape, colour darkening, numeric entry
// checks, text shortening, combo drop-down sizing, analog clock geometry and temperatures.

#include "platform/base/CString.h"
#include "platform/gdi/WinGdi.h"

#include <vector>

class CButton;
class CComboBox;
class CDC;
class CEdit;
class CListBox;
class CFont;
class CStatic;
class CWnd;
struct MSG;

// The primary screen's shape, read anew on every call so that a rotation is seen at once.
bool IsSquareScreenNot320();
bool IsLandscape();

// The work area as the tab screens lay themselves out in it: its size, the menu bar's height and
// the height left under the menu bar and the 26-pixel tab strip.
struct WorkAreaMetrics {
    int width = 0;
    int height = 0;
    int menuHeight = 0;
    int usableHeight = 0;
};
WorkAreaMetrics ReadWorkAreaMetrics();

// Each channel multiplied by the factor (clamped to 0..1) and truncated; the top byte is 0.
COLORREF ScaleColor(COLORREF color, float factor);

// 1 digit, 2 "e", 3 ".", 4 "-", 0 anything else (an empty or longer text too).
int IsNumericChar(LPCWSTR ch);
// True for an optional leading "-" followed by digits with at most one "e" and one "." among
// them (the empty text too). Otherwise beeps, sets position to the offending character and
// returns false.
bool IsNumericText(LPCWSTR text, int& position);

// Where a decimal point may stand (the text holds no "." yet), a comma typed for it is that
// point: the position of the first comma, or -1 when none is taken. A second separator is left
// for the number's check to refuse.
int CommaTakenAsDecimalPoint(LPCWSTR text);
// The same in a field: that comma becomes "." where it stands, the caret and selection stay.
// True when the field was changed.
bool TakeCommaAsDecimalPoint(CEdit& field);
// The numeric filter of an amount or value field, run at each change of its text: a comma is
// taken as the decimal point where one may stand; the character that breaks the number
// (IsNumericText, with its beep) is removed and the caret goes to the end.
void FilterNumericEntry(CEdit& field);

// True when the whole text, spaces around it aside, is one finite decimal number (as wcstod
// reads it); the number goes to value. An empty or blank text is no number.
bool ReadWholeNumber(LPCWSTR text, double& value);
// True when the whole text, spaces around it aside, is a decimal number in digits above the
// largest a number holds (1e400): a number too large, rather than no number.
bool IsTooLargeNumber(LPCWSTR text);
// True when the whole text, spaces around it aside, is a decimal number above 0 in digits
// below the smallest a number holds in full (1e-400, 1e-310): a number too small to work with,
// rather than 0.
bool IsTooSmallNumber(LPCWSTR text);

// True when the text holds nothing but spaces (or nothing at all).
bool IsBlankText(LPCWSTR text);

// The text with characters dropped from its end until its extent in the DC is below width.
CString FitTextToWidth(HDC dc, const CString& text, int width);
CString FitTextToWidth(CDC* dc, const CString& text, int width);
// The text whole when its extent is below width, else cut to end in "..." within it, so that a
// shortened name reads as shortened ("Sydney (Ca...") rather than as another name.
CString FitTextWithEllipsis(HDC dc, const CString& text, int width);
CString FitTextWithEllipsis(CDC* dc, const CString& text, int width);

// The width of the widest of the texts in the control's font.
int WidestText(CWnd& control, const std::vector<CString>& texts);
// A list draws its texts 2 pixels in from its left side; as much room is kept after them.
constexpr int kListTextMargins = 4;

// Tells a list box the width its widest text needs in its font with kListTextMargins, so that a
// list made with WS_HSCROLL scrolls sideways to the end of every text; returns that width.
int FitListExtentToTexts(CListBox& list);

// Sizes a combo box so that its drop-down list shows n items.
void AdjustComboDropHeight(HWND combo, int n);
void AdjustComboDropHeight(CComboBox* combo, int n);

// Analog clock geometry on a 60-step dial: 0 at the top, growing clockwise, y downward.
double MinutesToAngle(double value);
POINT ClockHandEnd(double value, double lengthFactor, POINT centre, const RECT& rect);
// The points of one hand: kind 0 (hour) and 1 (minute) give four points of a polygon, kind 2
// (second) two points of a line.
void DrawAnalogClock(double value, int kind, POINT centre, const RECT& rect, POINT* points);

double CelsiusToFahrenheit(double celsius);
double FahrenheitToCelsius(double fahrenheit);

// The header band of the program's forms: from (0, top) to (width, bottom), filled light blue
// and outlined in the forms' grey-blue pen.
void PaintFormHeaderBand(CDC& dc, int width, int top, int bottom);

// The tips box of a page: a frame static, the tip text in a read-only edit and the "Hide" button.
struct TipsBox {
    CStatic& frame;
    CEdit& text;
    CButton& hide;
    CFont& textFont;
};
// Shows the tips box at (x, y) of `page` with the text of string `stringId` over `lineCount` lines,
// topmost: as wide as `width`, or, when `fit`, as wide as the text's extent spread over the lines.
// `alignment` 0, 1 and 2 align the text left, centred and right (anything else leaves it). The
// frame takes the focus and the edit shows no caret.
void PlaceTipsBox(CWnd& page, const TipsBox& box, int x, int y, UINT stringId, int lineCount, int alignment, bool fit,
                  int width);
// For a page's PreTranslateMessage: Escape or Return pressed in the page's window (the page, or
// the window it is shown in) while the page and its tips box are up closes the box as a tap on
// "Hide" does (the page hears the button's BN_CLICKED). True when the key was taken.
bool TipsBoxTakesKey(CWnd& page, const TipsBox& box, const MSG& msg);
// The lines a tips text takes in `font` when it wraps at `width` pixels, each of its own lines
// wrapping on its own, with one to spare for the breaks between words.
int TipsLinesNeeded(CWnd& page, CFont& font, UINT stringId, int width);
// The lowest y of `page`'s client area that a raised input panel leaves visible; `bottom` itself
// while the panel is down or when that lies higher.
int BottomAbovePanel(CWnd& page, int bottom);
