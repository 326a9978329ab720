#pragma once
// Menus and the menu bar (command bar) at the bottom of the screen.
//
// [SECTION] Menu flags and tracking flags
// [SECTION] Menu calls
// [SECTION] Pop-up menus
// [SECTION] Command bar: buttons and messages
// [SECTION] Command bar calls
// [SECTION] Registration
//
// A menu is a list of items: strings (with a command id), separators and pop-ups (an item that
// holds another menu). An item is found either by its command id (MF_BYCOMMAND, searching the
// pop-ups too) or by its position (MF_BYPOSITION). Calls that name an item that does not exist
// fail with the documented result (-1, 0 or FALSE) and ERROR_MENU_ITEM_NOT_FOUND; an unknown
// menu handle fails with ERROR_INVALID_MENU_HANDLE.

#include "platform/base/ResourceFormat.h"
#include "platform/ui/WinUser.h"

#include <vector>

// [SECTION] Menu flags and tracking flags -------------------------------------------------------

// MF_STRING, MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_POPUP, MF_SEPARATOR come with the resource
// format (menu templates carry the same flags).
#define MF_INSERT 0x0000u
#define MF_ENABLED 0x0000u
#define MF_UNCHECKED 0x0000u
#define MF_BYCOMMAND 0x0000u
#define MF_BYPOSITION 0x0400u
#define MF_UNHILITE 0x0000u
#define MF_HILITE 0x0080u
#define MF_OWNERDRAW 0x0100u
#define MFT_RADIOCHECK 0x0200u
#define MF_DEFAULT 0x1000u

#define TPM_LEFTALIGN 0x0000u
#define TPM_CENTERALIGN 0x0004u
#define TPM_RIGHTALIGN 0x0008u
#define TPM_TOPALIGN 0x0000u
#define TPM_VCENTERALIGN 0x0010u
#define TPM_BOTTOMALIGN 0x0020u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u

// WM_ENTERIDLE's wParam while a menu is open: the menu loop has emptied its queue.
#define MSGF_MENU 2

#define ERROR_INVALID_MENU_HANDLE 1401L
#define ERROR_MENU_ITEM_NOT_FOUND 1456L
#define ERROR_POPUP_ALREADY_ACTIVE 1446L

struct TPMPARAMS {
    UINT cbSize;
    RECT rcExclude;
};
typedef TPMPARAMS* LPTPMPARAMS;

// [SECTION] Menu calls --------------------------------------------------------------------------

HMENU CreateMenu();
HMENU CreatePopupMenu();
// A menu resource of a module (MAKEINTRESOURCEW(id) or "#id"); null instance: the program's
// resource module. Null with ERROR_RESOURCE_NAME_NOT_FOUND, or ERROR_INVALID_DATA for a damaged
// template.
HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name);
// Destroys the menu and every pop-up it holds.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);

// newItem is the command id, or the pop-up's HMENU with MF_POPUP. Position -1 (0xFFFFFFFF)
// appends; by command, the new item goes before the item with that command.
BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR newItem, LPCWSTR text);
BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR newItem, LPCWSTR text);
// Replaces the item's kind, state, command and text (a pop-up it held is destroyed unless it
// is the one given again).
BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR newItem, LPCWSTR text);
// RemoveMenu takes the item out and leaves its pop-up alive; DeleteMenu destroys the pop-up.
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);

// The previous state (MF_CHECKED / MF_UNCHECKED; MF_ENABLED / MF_GRAYED / MF_DISABLED), or
// 0xFFFFFFFF when the item does not exist.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
// Checks one item of the range first..last as a radio item and unchecks the others.
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);

HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
// The command of the item at a position; 0xFFFFFFFF for a pop-up item or no item.
UINT GetMenuItemID(HMENU menu, int position);
// Copies at most count - 1 characters and a null; returns the characters copied. With a null
// buffer, returns the text's length. 0 when the item does not exist.
int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int count, UINT flags);
// The item's flags (MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_POPUP, MF_HILITE...);
// for a pop-up, its item count in the high byte of the low word. 0xFFFFFFFF for no item.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);

#define LoadMenu LoadMenuW
#define AppendMenu AppendMenuW
#define InsertMenu InsertMenuW
#define ModifyMenu ModifyMenuW
#define GetMenuString GetMenuStringW

// [SECTION] Pop-up menus ------------------------------------------------------------------------

// Shows a pop-up menu at a screen point and runs until the user picks an item or dismisses it
// (a tap outside the menu, Escape). The owner hears WM_INITMENUPOPUP before the menu shows and,
// whenever the menu loop has nothing to do, WM_ENTERIDLE (MSGF_MENU, the menu's window). With
// TPM_RETURNCMD the picked command is returned (0: none); otherwise it is posted to the owner as
// WM_COMMAND and the result is TRUE when something was picked. While one pop-up is open a second
// call fails (0, ERROR_POPUP_ALREADY_ACTIVE).
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* reserved2);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);
// Closes the open pop-up menu, as a tap outside would (used by windows going away).
BOOL EndMenu();

// [SECTION] Command bar: buttons and messages ---------------------------------------------------

#define TBSTATE_CHECKED 0x01u
#define TBSTATE_PRESSED 0x02u
#define TBSTATE_ENABLED 0x04u
#define TBSTATE_HIDDEN 0x08u

#define TBSTYLE_BUTTON 0x00u
#define TBSTYLE_SEP 0x01u
#define TBSTYLE_CHECK 0x02u
#define TBSTYLE_GROUP 0x04u
#define TBSTYLE_DROPDOWN 0x08u
#define TBSTYLE_AUTOSIZE 0x10u

// Command bar window styles.
#define CCS_TOP 0x00000001u
#define CCS_NOMOVEY 0x00000002u
#define CCS_BOTTOM 0x00000003u
#define CCS_NORESIZE 0x00000004u
#define CCS_NOPARENTALIGN 0x00000008u
#define CCS_NODIVIDER 0x00000040u
#define TBSTYLE_TOOLTIPS 0x00000100u
#define TBSTYLE_WRAPABLE 0x00000200u
#define TBSTYLE_FLAT 0x00000800u

struct TBBUTTON {
    int iBitmap;
    int idCommand;
    BYTE fsState;
    BYTE fsStyle;
    BYTE bReserved[2];
    DWORD_PTR dwData;
    INT_PTR iString;
};
typedef TBBUTTON* LPTBBUTTON;
typedef const TBBUTTON* LPCTBBUTTON;

#define TB_ENABLEBUTTON (WM_USER + 1)
#define TB_CHECKBUTTON (WM_USER + 2)
#define TB_PRESSBUTTON (WM_USER + 3)
#define TB_HIDEBUTTON (WM_USER + 4)
#define TB_ISBUTTONENABLED (WM_USER + 9)
#define TB_ISBUTTONCHECKED (WM_USER + 10)
#define TB_ISBUTTONHIDDEN (WM_USER + 12)
#define TB_SETSTATE (WM_USER + 17)
#define TB_GETSTATE (WM_USER + 18)
#define TB_ADDBUTTONSW (WM_USER + 20)
#define TB_INSERTBUTTONW (WM_USER + 21)
#define TB_DELETEBUTTON (WM_USER + 22)
#define TB_GETBUTTON (WM_USER + 23)
#define TB_BUTTONCOUNT (WM_USER + 24)
#define TB_COMMANDTOINDEX (WM_USER + 25)
#define TB_GETITEMRECT (WM_USER + 29)
#define TB_AUTOSIZE (WM_USER + 33)
#define TB_ADDBUTTONS TB_ADDBUTTONSW
#define TB_INSERTBUTTON TB_INSERTBUTTONW

// Adornments (CommandBar_AddAdornments): OK and help on request; the device's bars have no close box.
#define CMDBAR_HELP 0x0001u
#define CMDBAR_OK 0x0002u

// [SECTION] Command bar calls -------------------------------------------------------------------

// A visible menu bar across the bottom of the parent's client area, SM_CYMENU high, with the
// control id given. Taps on its items reach the parent: a menu item opens its pop-up upward
// (the parent hears WM_INITMENUPOPUP first) and the picked command comes as WM_COMMAND; a
// button sends WM_COMMAND with its command; the OK adornment sends IDOK, help posts WM_HELP.
HWND CommandBar_Create(HINSTANCE instance, HWND parent, int id);
// Inserts a menu resource before button index `button` (past the end: at the end). Each of the
// menu's top-level pop-ups becomes one item of the bar. Several menus may share a bar.
BOOL CommandBar_InsertMenubar(HWND bar, HINSTANCE instance, WORD menuId, WORD button);
BOOL CommandBar_InsertMenubarEx(HWND bar, HINSTANCE instance, LPCWSTR menuName, WORD button);
// The menu a bar item belongs to: the menu of the item at that index, or the bar's first menu
// when that item is not a menu item; null when the bar has no menu.
HMENU CommandBar_GetMenu(HWND bar, WORD button);
// Adds images (a bitmap resource cut into `count` images of width x height) and returns the
// index of the first, or -1.
int CommandBar_AddBitmap(HWND bar, HINSTANCE instance, int bitmapId, int count, int width, int height);
BOOL CommandBar_AddButtons(HWND bar, UINT count, LPCTBBUTTON buttons);
BOOL CommandBar_InsertButton(HWND bar, int index, LPCTBBUTTON button);
// Tooltips are accepted and kept (the caller's texts must stay valid) but never shown.
BOOL CommandBar_AddToolTips(HWND bar, UINT count, LPWSTR* texts);
BOOL CommandBar_AddAdornments(HWND bar, DWORD flags, DWORD reserved);
BOOL CommandBar_DrawMenuBar(HWND bar, WORD button);
int CommandBar_Height(HWND bar);
BOOL CommandBar_Show(HWND bar, BOOL show);
BOOL CommandBar_IsVisible(HWND bar);
void CommandBar_Destroy(HWND bar);

// [SECTION] Registration ------------------------------------------------------------------------

namespace device::ui {

// Window classes of this family.
inline constexpr const wchar_t* kCommandBarClass = L"CommandBar";
inline constexpr const wchar_t* kPopupMenuClass = L"PopupMenu";

// Registers the menu bar class, the pop-up menu class and the HTML viewer class (idempotent).
void RegisterMenuAndViewerClasses();

// The menu shown by the open pop-up, and its window (null when none is open). For tests and the
// display's own checks.
HMENU OpenPopupMenu();
HWND OpenPopupWindow();
// The screen rectangle of item `position` of the open pop-up; false when none.
bool OpenPopupItemRect(int position, RECT& screen);
// The client rectangle of a bar item: for a menu item, its top-level entry `entry` (-1: the
// first); false when there is no such item.
bool CommandBarEntryRect(HWND bar, int button, int entry, RECT& rect);

// The menu keys (F10, Alt alone) pressed in a window: the visible command bar of its top-level
// window opens its first menu, or highlights its first button, and takes the keys until a pick,
// a press, Escape or a tap ends it (Left and Right go round the bar's menus and buttons). False,
// and nothing happens, when that window shows no bar with anything to open or press, or while a
// window holds the stylus capture (an open drop-down list or calendar takes the keys itself).
bool OpenCommandBarFromKeys(HWND window);
// The item (as TB_GETBUTTON counts) of a bar that the keys highlight, -1 when none (tests).
int CommandBarKeyHighlight(HWND bar);

} // namespace device::ui
