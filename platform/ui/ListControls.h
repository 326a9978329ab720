#pragma once
// The list-like controls of the device: list box ("LISTBOX"), combo box ("COMBOBOX" with its
// drop-down list "ComboLBox"), tab strip ("SysTabControl32"), date picker ("SysDateTimePick32")
// and the month calendar it drops down ("SysMonthCal32").
//
// [SECTION] Class names and registration
// [SECTION] List box
// [SECTION] Combo box (and the order of its notifications)
// [SECTION] Tab control
// [SECTION] Date-time picker and month calendar

#include "platform/base/WinTypes.h"
#include "platform/ui/WinUser.h"

// [SECTION] Class names and registration ------------------------------------------------------

#define WC_LISTBOXW L"LISTBOX"
#define WC_COMBOBOXW L"COMBOBOX"
#define WC_COMBOLBOXW L"ComboLBox"
#define WC_TABCONTROLW L"SysTabControl32"
#define DATETIMEPICK_CLASSW L"SysDateTimePick32"
#define MONTHCAL_CLASSW L"SysMonthCal32"
#define WC_LISTBOX WC_LISTBOXW
#define WC_COMBOBOX WC_COMBOBOXW
#define WC_TABCONTROL WC_TABCONTROLW
#define DATETIMEPICK_CLASS DATETIMEPICK_CLASSW
#define MONTHCAL_CLASS MONTHCAL_CLASSW

namespace device::ui {
// Registers LISTBOX, ComboLBox, COMBOBOX, SysTabControl32, SysDateTimePick32 and SysMonthCal32.
// A second call does nothing.
void RegisterListControlClasses();
} // namespace device::ui

// [SECTION] List box ----------------------------------------------------------------------------
//
// Keys: Up/Down/Page/Home/End move the selection (LBN_SELCHANGE). Letters typed less than a
// second apart (on GetTickCount) find the item whose whole text they are, else the first that
// begins with them, case aside; a pause starts a new search, and one letter typed again steps
// through the items of that letter. With WS_HSCROLL and an extent (LB_SETHORIZONTALEXTENT) wider
// than the list, a horizontal bar scrolls the texts, and so do Left and Right.

#define LBS_NOTIFY 0x0001u
#define LBS_SORT 0x0002u
#define LBS_NOREDRAW 0x0004u
#define LBS_MULTIPLESEL 0x0008u
#define LBS_OWNERDRAWFIXED 0x0010u
#define LBS_HASSTRINGS 0x0040u
#define LBS_NOINTEGRALHEIGHT 0x0100u
#define LBS_WANTKEYBOARDINPUT 0x0400u
#define LBS_DISABLENOSCROLL 0x1000u
#define LBS_STANDARD (LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER)

#define LB_OKAY 0
#define LB_ERR (-1)
#define LB_ERRSPACE (-2)

#define LB_ADDSTRING 0x0180
#define LB_INSERTSTRING 0x0181
#define LB_DELETESTRING 0x0182
#define LB_RESETCONTENT 0x0184
#define LB_SETSEL 0x0185
#define LB_SETCURSEL 0x0186
#define LB_GETSEL 0x0187
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_SELECTSTRING 0x018C
#define LB_GETTOPINDEX 0x018E
#define LB_FINDSTRING 0x018F
#define LB_GETSELCOUNT 0x0190
#define LB_GETHORIZONTALEXTENT 0x0193
#define LB_SETHORIZONTALEXTENT 0x0194
#define LB_SETTOPINDEX 0x0197
#define LB_GETITEMRECT 0x0198
#define LB_GETITEMDATA 0x0199
#define LB_SETITEMDATA 0x019A
#define LB_SETCARETINDEX 0x019E
#define LB_GETCARETINDEX 0x019F
#define LB_SETITEMHEIGHT 0x01A0
#define LB_GETITEMHEIGHT 0x01A1
#define LB_FINDSTRINGEXACT 0x01A2
#define LB_ITEMFROMPOINT 0x01A9

// Notifications (WM_COMMAND to the parent, HIWORD(wParam)); only with LBS_NOTIFY.
#define LBN_ERRSPACE (-2)
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define LBN_SELCANCEL 3
#define LBN_SETFOCUS 4
#define LBN_KILLFOCUS 5

// [SECTION] Combo box ---------------------------------------------------------------------------
//
// The combo box keeps its window as high as its selection field; the height it is given beyond
// that (at creation or by a later move or resize) is the height of its drop-down list, which opens
// under the field (above it when the screen has no room below) and scrolls.
//
// Order of the notifications (WM_COMMAND to the parent, HIWORD(wParam)):
// - Stylus pick: a tap on the field or its arrow: CBN_SETFOCUS (when it gets the focus), then
//   CBN_DROPDOWN before the list shows. Lifting the stylus on an item of the list: CBN_SELCHANGE
//   (only when the item differs from the selection; the edit field already shows the new text),
//   CBN_SELENDOK, then the list hides and CBN_CLOSEUP follows.
//   A tap outside the open list: CBN_SELENDCANCEL, the list hides, CBN_CLOSEUP (the tap itself is
//   consumed by the closing list).
// - Keyboard change: Up/Down/Home/End/Page keys move the selection and send CBN_SELCHANGE at once,
//   open or closed. With the list open, Return sends CBN_SELENDOK and Escape CBN_SELENDCANCEL,
//   each followed by the list hiding and CBN_CLOSEUP.
// - The user's cancel (Escape, a tap outside the open list) puts back the selection and the
//   field's text that the list opened with before CBN_SELENDCANCEL, and sends no CBN_SELCHANGE
//   for it; a tap outside keeps a text the user typed since the list opened (and the highlight
//   that followed it). A parent that takes CBN_SELCHANGE while the list is open either holds it
//   until the list closes with CBN_SELENDOK or takes the selection again on CBN_SELENDCANCEL.
//   A list the program closes (the focus moved away, the combo hidden) puts nothing back.
// - Focus change: CBN_KILLFOCUS goes first, while the list is still open (a handler may close it
//   with CB_SHOWDROPDOWN); a list still open afterwards closes with CBN_SELENDCANCEL and
//   CBN_CLOSEUP.
// - CB_SHOWDROPDOWN: TRUE sends CBN_DROPDOWN then shows the list; FALSE hides it and sends
//   CBN_CLOSEUP. Nothing is sent when the list already is in the asked state.
// - Typing in the edit field (CBS_DROPDOWN): CBN_EDITUPDATE then CBN_EDITCHANGE for every change.
//   While the list is open the item the text names whole (no case), else the first item starting
//   with the text, is highlighted and becomes the selection; with the list closed the selection
//   is cleared (the text names no item yet). The parent hears CBN_EDITCHANGE after the highlight
//   moved, and may move it on to an item it knows the text names (through the list that
//   GetComboBoxInfo gives, which leaves the typed text alone).
// - Typing on a drop-down list's field (CBS_DROPDOWNLIST), open or closed: letters typed less
//   than a second apart find the item whose text they are or begin; a pause starts again; one
//   letter typed again steps through the items of that letter. The move is a keyboard change.
// - CB_SETCURSEL, CB_SELECTSTRING and the other messages send nothing.

#define CBS_SIMPLE 0x0001u
#define CBS_DROPDOWN 0x0002u
#define CBS_DROPDOWNLIST 0x0003u
#define CBS_OWNERDRAWFIXED 0x0010u
#define CBS_AUTOHSCROLL 0x0040u
#define CBS_OEMCONVERT 0x0080u
#define CBS_SORT 0x0100u
#define CBS_HASSTRINGS 0x0200u
#define CBS_NOINTEGRALHEIGHT 0x0400u
#define CBS_DISABLENOSCROLL 0x0800u
#define CBS_UPPERCASE 0x2000u
#define CBS_LOWERCASE 0x4000u

#define CB_OKAY 0
#define CB_ERR (-1)
#define CB_ERRSPACE (-2)

#define CB_GETEDITSEL 0x0140
#define CB_LIMITTEXT 0x0141
#define CB_SETEDITSEL 0x0142
#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_FINDSTRING 0x014C
#define CB_SELECTSTRING 0x014D
#define CB_SETCURSEL 0x014E
#define CB_SHOWDROPDOWN 0x014F
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CB_GETDROPPEDCONTROLRECT 0x0152
#define CB_SETITEMHEIGHT 0x0153
#define CB_GETITEMHEIGHT 0x0154
#define CB_SETEXTENDEDUI 0x0155
#define CB_GETEXTENDEDUI 0x0156
#define CB_GETDROPPEDSTATE 0x0157
#define CB_FINDSTRINGEXACT 0x0158
#define CB_GETTOPINDEX 0x015B
#define CB_SETTOPINDEX 0x015C
#define CB_GETDROPPEDWIDTH 0x015F
#define CB_SETDROPPEDWIDTH 0x0160

#define CB_GETCOMBOBOXINFO 0x0164

// What GetComboBoxInfo tells of a combo box's parts (cbSize set by the caller).
struct COMBOBOXINFO {
    DWORD cbSize;
    RECT rcItem;    // the selection field, in the combo's client coordinates
    RECT rcButton;  // the arrow button
    DWORD stateButton; // 0x8 (pressed) while the list is open
    HWND hwndCombo;
    HWND hwndItem;  // the edit field (CBS_DROPDOWN), else the combo itself
    HWND hwndList;  // the drop-down list
};
typedef COMBOBOXINFO* PCOMBOBOXINFO;
BOOL GetComboBoxInfo(HWND combo, PCOMBOBOXINFO info);

#define CBN_ERRSPACE (-1)
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_EDITUPDATE 6
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10

// Identifier of the edit field inside a CBS_DROPDOWN combo box.
#define IDC_COMBOEDIT 1001

// [SECTION] Tab control -------------------------------------------------------------------------
//
// A tap on a tab is handled inside the control's default WM_LBUTTONDOWN processing: the parent
// hears TCN_SELCHANGING (a nonzero result keeps the current tab), the tab becomes the selection
// and the focus item, and the parent hears TCN_SELCHANGE, all before that processing returns.
// TCM_SETCURFOCUS moves to a tab the same way (with both notifications); TCM_SETCURSEL changes
// the tab without notifying. The first tab inserted becomes the current one.

#define TCS_BOTTOM 0x0002u
#define TCS_TABS 0x0000u
#define TCS_SINGLELINE 0x0000u
#define TCS_RIGHTJUSTIFY 0x0000u
#define TCS_FORCEICONLEFT 0x0010u
#define TCS_FORCELABELLEFT 0x0020u
#define TCS_FIXEDWIDTH 0x0400u
#define TCS_FOCUSONBUTTONDOWN 0x1000u
#define TCS_OWNERDRAWFIXED 0x2000u
#define TCS_FOCUSNEVER 0x8000u

#define TCIF_TEXT 0x0001u
#define TCIF_IMAGE 0x0002u
#define TCIF_PARAM 0x0008u
#define TCIF_STATE 0x0010u

#define TCIS_BUTTONPRESSED 0x0001u
#define TCIS_HIGHLIGHTED 0x0002u

#define TCM_FIRST 0x1300
#define TCM_GETIMAGELIST (TCM_FIRST + 2)
#define TCM_SETIMAGELIST (TCM_FIRST + 3)
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_DELETEITEM (TCM_FIRST + 8)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_HITTEST (TCM_FIRST + 13)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)
#define TCM_SETITEMSIZE (TCM_FIRST + 41)
#define TCM_GETCURFOCUS (TCM_FIRST + 47)
#define TCM_SETCURFOCUS (TCM_FIRST + 48)
#define TCM_GETITEMW (TCM_FIRST + 60)
#define TCM_SETITEMW (TCM_FIRST + 61)
#define TCM_INSERTITEMW (TCM_FIRST + 62)
#define TCM_GETITEM TCM_GETITEMW
#define TCM_SETITEM TCM_SETITEMW
#define TCM_INSERTITEM TCM_INSERTITEMW

#define TCN_FIRST (0U - 550U)
#define TCN_KEYDOWN (TCN_FIRST - 0)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)

#define TCHT_NOWHERE 0x0001u
#define TCHT_ONITEMICON 0x0002u
#define TCHT_ONITEMLABEL 0x0004u
#define TCHT_ONITEM (TCHT_ONITEMICON | TCHT_ONITEMLABEL)

struct TCITEMW {
    UINT mask;
    DWORD dwState;
    DWORD dwStateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
typedef TCITEMW TCITEM;
typedef TCITEMW* LPTCITEMW;
typedef TCITEMW* LPTCITEM;

struct TCHITTESTINFO {
    POINT pt;
    UINT flags;
};
typedef TCHITTESTINFO* LPTCHITTESTINFO;

// [SECTION] Date-time picker and month calendar -------------------------------------------------
//
// The picker shows its date as fields (day, month, year in the short date "dd/MM/yyyy"; hours,
// minutes, seconds with DTS_TIMEFORMAT "HH:mm:ss"). A tap selects the field under the stylus; Up
// and Down (or typed digits) change the selected field; Left and Right move between fields. A tap
// on the arrow at the right (date formats) drops down a month calendar; a tap on a day takes it.
// Every change of the value sends DTN_DATETIMECHANGE (WM_NOTIFY) to the parent; DTM_SETSYSTEMTIME
// sends nothing.

#define DTS_UPDOWN 0x0001u
#define DTS_SHOWNONE 0x0002u
#define DTS_SHORTDATEFORMAT 0x0000u
#define DTS_LONGDATEFORMAT 0x0004u
#define DTS_TIMEFORMAT 0x0009u
#define DTS_APPCANPARSE 0x0010u
#define DTS_RIGHTALIGN 0x0020u

#define GDT_ERROR (-1)
#define GDT_VALID 0
#define GDT_NONE 1

#define DTM_FIRST 0x1000
#define DTM_GETSYSTEMTIME (DTM_FIRST + 1)
#define DTM_SETSYSTEMTIME (DTM_FIRST + 2)
#define DTM_GETRANGE (DTM_FIRST + 3)
#define DTM_SETRANGE (DTM_FIRST + 4)
#define DTM_GETMONTHCAL (DTM_FIRST + 8)

#define GDTR_MIN 0x0001u
#define GDTR_MAX 0x0002u

#define DTN_FIRST (0U - 760U)
#define DTN_DATETIMECHANGE (DTN_FIRST + 1)
#define DTN_DROPDOWN (DTN_FIRST + 6)
#define DTN_CLOSEUP (DTN_FIRST + 7)

struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    DWORD dwFlags;  // GDT_VALID or GDT_NONE
    SYSTEMTIME st;
};
typedef NMDATETIMECHANGE* LPNMDATETIMECHANGE;

#define MCM_FIRST 0x1000
#define MCM_GETCURSEL (MCM_FIRST + 1)
#define MCM_SETCURSEL (MCM_FIRST + 2)

#define MCN_FIRST (0U - 750U)
#define MCN_SELCHANGE (MCN_FIRST + 1)
#define MCN_SELECT (MCN_FIRST + 4)

struct NMSELCHANGE {
    NMHDR nmhdr;
    SYSTEMTIME stSelStart;
    SYSTEMTIME stSelEnd;
};
typedef NMSELCHANGE NMSELECT;
typedef NMSELCHANGE* LPNMSELCHANGE;
