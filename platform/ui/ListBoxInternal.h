#pragma once
// Shared by the list controls' own files: the list box engine the combo box reuses for its
// drop-down list, the small scroll bar the lists draw in their scroll-bar strip, and helpers for
// fonts and parent notifications.

#include "platform/ui/ListControls.h"

#include <functional>
#include <string>

namespace device::ui::lists {

// Messages a combo box and its drop-down list exchange (private to the two classes).
// List -> combo: the stylus was lifted on item wParam (-1: outside the list).
constexpr UINT kListPicked = WM_USER + 0x3F0;
// List -> combo: the stylus went down outside the open list.
constexpr UINT kListCancelled = WM_USER + 0x3F1;
// List -> combo: a key reached the open list (wParam: the virtual key).
constexpr UINT kListKey = WM_USER + 0x3F2;

// Month calendar -> its owner (the date picker that dropped it down): the stylus went down outside
// the calendar.
constexpr UINT kCalendarCancelled = WM_USER + 0x3F3;

// Calendar arithmetic (Gregorian).
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// 0 = Sunday ... 6 = Saturday.
int DayOfWeek(int year, int month, int day);
// A SYSTEMTIME whose date and time fields are in range (years 1601-30827).
bool IsValidSystemTime(const SYSTEMTIME& st);

// Typed search in a list (a list box, a drop-down list's field): characters typed less than
// kTypedSearchPause apart on the device's tick count make one text, and the item whose whole
// text it is, else the first that begins with it, is found, letter case aside. A pause starts a
// new text. One letter typed again and again steps on to the next item of that letter.
constexpr DWORD kTypedSearchPause = 1000;

class TypedSearch {
public:
    // Finds an item: after `start` (-1: from the first) and wrapping round, the first whose text
    // is `text` (exact) or begins with it; -1 for none.
    using Finder = std::function<int(int start, const std::wstring& text, bool exact)>;
    // The item the typed character leads to from the current one, or -1 when none fits.
    int Next(wchar_t ch, int current, const Finder& find);
    // The next character begins a new text (the user moved by other keys or left the list).
    void Reset() { m_text.clear(); }

private:
    std::wstring m_text;
    DWORD m_last = 0;
};

// Registration of each family member (each idempotent); RegisterListControlClasses calls them.
void RegisterListBoxClasses();
void RegisterComboBoxClass();
void RegisterTabControlClass();
void RegisterDateTimeClasses();
void RegisterMonthCalendarClass();

// The font a control draws with: its own, or the system font.
HFONT ControlFont(HFONT font);
// Height of a font's characters in pixels (tmHeight).
int FontHeight(HFONT font);
// Sends WM_COMMAND (id, code, hwnd) to the control's parent; false when the control went away
// while the parent handled it.
bool NotifyParent(HWND control, int code);
// Sends WM_NOTIFY to the control's parent with a header the caller started (hwndFrom, idFrom and
// code are filled here).
LRESULT NotifyParentNm(HWND control, NMHDR* header, UINT code);

// A vertical scroll bar drawn inside a control: arrows at both ends, a thumb in between.
struct ScrollState {
    int pos = 0;    // first visible line
    int page = 1;   // lines visible at once
    int count = 0;  // lines in all
};
void DrawVScroll(HDC dc, const RECT& bar, const ScrollState& s);
// What a point inside the bar hits: SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, or
// SB_THUMBTRACK with *thumbPos set to the line the point stands for.
int HitVScroll(const RECT& bar, const ScrollState& s, POINT pt, int* thumbPos);

// The keys that open and close a drop-down: F4, and alt with Down or Up.
inline bool IsDropDownKey(UINT vk) {
    return vk == VK_F4 || ((vk == VK_DOWN || vk == VK_UP) && GetKeyState(VK_MENU) < 0);
}

// Scroll codes (WM_VSCROLL LOWORD(wParam)), as the scroll bars of the device send them.
constexpr int kSbLineUp = 0;
constexpr int kSbLineDown = 1;
constexpr int kSbPageUp = 2;
constexpr int kSbPageDown = 3;
constexpr int kSbThumbPosition = 4;
constexpr int kSbThumbTrack = 5;
constexpr int kSbTop = 6;
constexpr int kSbBottom = 7;
constexpr int kSbEndScroll = 8;

} // namespace device::ui::lists
