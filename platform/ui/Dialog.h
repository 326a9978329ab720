#pragma once
// The dialog manager: dialogs built from templates (compiled DIALOG resources, or a template record
// in memory), modal and modeless, the default dialog procedure, keyboard navigation between
// controls, dialog units, and the shell's dialog conventions (full-screen dialogs, the OK button
// in the caption, the input panel lowered).
//
// A dialog's controls are created in template order, so the first control is the first child
// and tab order follows the template. Template coordinates are dialog units: x * baseX / 4 and
// y * baseY / 8, with baseX the average width of the dialog font's letters and baseY its height.

#include "platform/base/ResourceFormat.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WinUser.h"

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// A dialog template in memory: the record a DIALOG resource holds (FindResourceW / LoadResource /
// LockResource give a pointer to one), opaque to callers.
struct DLGTEMPLATE;
typedef const DLGTEMPLATE* LPCDLGTEMPLATEW;
typedef LPCDLGTEMPLATEW LPCDLGTEMPLATE;

// Dialog styles (template STYLE).
#define DS_ABSALIGN 0x0001u
#define DS_SYSMODAL 0x0002u
#define DS_LOCALEDIT 0x0020u
#define DS_SETFONT 0x0040u
#define DS_MODALFRAME 0x0080u
#define DS_NOIDLEMSG 0x0100u
#define DS_SETFOREGROUND 0x0200u
#define DS_3DLOOK 0x0004u
#define DS_FIXEDSYS 0x0008u
#define DS_NOFAILCREATE 0x0010u
#define DS_CONTROL 0x0400u
#define DS_CENTER 0x0800u
#define DS_CENTERMOUSE 0x1000u
#define DS_CONTEXTHELP 0x2000u

// Standard command ids (also the answers of MessageBoxW).
#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#endif

// The default push button.
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534B

// Button and list messages the dialog manager sends to controls (the controls' own headers give
// the same values).
#ifndef BM_GETCHECK
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5
#endif
#ifndef BST_UNCHECKED
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#endif
#ifndef BN_CLICKED
#define BN_CLICKED 0
#endif
#ifndef BS_PUSHBUTTON
#define BS_PUSHBUTTON 0x00000000u
#define BS_DEFPUSHBUTTON 0x00000001u
#endif
#ifndef EM_SETSEL
#define EM_SETSEL 0x00B1
#endif
#ifndef LB_ADDSTRING
#define LB_ADDSTRING 0x0180
#endif
#ifndef CB_ADDSTRING
#define CB_ADDSTRING 0x0143
#endif

#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_DLG_NOT_FOUND 1420L

// The class of dialogs whose template names none.
#define WC_DIALOG L"#32770"

// [SECTION] Creating and ending dialogs

// Modeless: the dialog window, or null when the template is missing or malformed, or a control
// of an unknown class makes creation fail (nothing is left behind).
HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param);
HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND parent, DLGPROC proc,
                                LPARAM param);
#define CreateDialogW(i, t, p, f) CreateDialogParamW(i, t, p, f, 0)
#define CreateDialogIndirectW(i, t, p, f) CreateDialogIndirectParamW(i, t, p, f, 0)
#define CreateDialogParam CreateDialogParamW
#define CreateDialogIndirectParam CreateDialogIndirectParamW
#define CreateDialog CreateDialogW
#define CreateDialogIndirect CreateDialogIndirectW

// Modal: runs the dialog's own message loop until EndDialog and returns its result; -1 when the
// dialog could not be created. The owner (its top-level window) is disabled meanwhile. Modal
// dialogs may run inside each other to any depth. A WM_QUIT ends the loop and is posted again.
INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC proc, LPARAM param);
INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner, DLGPROC proc,
                                LPARAM param);
#define DialogBoxW(i, t, o, f) DialogBoxParamW(i, t, o, f, 0)
#define DialogBoxIndirectW(i, t, o, f) DialogBoxIndirectParamW(i, t, o, f, 0)
#define DialogBoxParam DialogBoxParamW
#define DialogBoxIndirectParam DialogBoxIndirectParamW
#define DialogBox DialogBoxW
#define DialogBoxIndirect DialogBoxIndirectW

// Ends a modal dialog with a result (its loop returns it once the current message is handled);
// a modeless dialog is hidden. FALSE for a window that is not a dialog.
BOOL EndDialog(HWND dialog, INT_PTR result);

// The default procedure of dialog windows: calls the dialog procedure (DWL_DLGPROC) and does the
// dialog's own handling of what the procedure leaves (returns FALSE for).
LRESULT CALLBACK DefDlgProcW(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
#define DefDlgProc DefDlgProcW

// [SECTION] Controls of a dialog (CheckDlgButton and the other button calls are in Controls.h)

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int count);
BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
// The control's text as a number: optional blanks, an optional '-' when isSigned, digits, optional
// blanks. 0 and *translated FALSE for anything else or a value out of range.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam);
#define GetDlgItemText GetDlgItemTextW
#define SetDlgItemText SetDlgItemTextW
#define SendDlgItemMessage SendDlgItemMessageW

// [SECTION] Keyboard navigation

// The next (or previous) visible, enabled control with WS_TABSTOP after control, wrapping round;
// control null starts at the beginning (or end). Null when the dialog has none.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
// The next (or previous) visible, enabled control of control's group (WS_GROUP starts a group).
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
// Handles a message meant for the dialog or one of its controls as the dialog's keyboard
// interface does (Tab / Shift+Tab, arrows in a group, Enter -> the default button or IDOK,
// Esc -> IDCANCEL, each unless the control asks for the key by WM_GETDLGCODE) and dispatches
// the rest. FALSE when the message is not for this dialog.
BOOL IsDialogMessageW(HWND dialog, LPMSG msg);
#define IsDialogMessage IsDialogMessageW

// [SECTION] Dialog units

// Template units to pixels with the dialog's own font.
BOOL MapDialogRect(HWND dialog, LPRECT rect);
// The base units of the system font: MAKELONG(baseX, baseY).
LONG GetDialogBaseUnits();

// [SECTION] The shell's dialog conventions

#define SHIDIM_FLAGS 0x0001u

#define SHIDIF_DONEBUTTON 0x0001u
#define SHIDIF_SIZEDLG 0x0002u
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004u
#define SHIDIF_SIPDOWN 0x0008u
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010u
#define SHIDIF_EMPTYMENU 0x0020u
#define SHIDIF_WANTSCROLLBAR 0x0040u

struct SHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};
typedef SHINITDLGINFO* PSHINITDLGINFO;

// SHIDIF_DONEBUTTON: the OK button in the caption (WS_EX_CAPTIONOKBTN); SHIDIF_SIZEDLG: the dialog
// fills the part of the work area the input panel leaves; SHIDIF_SIZEDLGFULLSCREEN (and
// SHIDIF_FULLSCREENNOMENUBAR): the whole work area; SHIDIF_SIPDOWN: the input panel goes down.
BOOL SHInitDialog(PSHINITDLGINFO info);

#define SHDB_SHOW 0x0001u
#define SHDB_HIDE 0x0002u
// Shows or hides the OK button of a dialog's caption.
BOOL SHDoneButton(HWND dialog, DWORD state);

namespace device::ui {

// Registers the dialog class (WC_DIALOG) and the layer's private message box button class.
// Calling it again does nothing.
void RegisterDialogClasses();

// The rectangle of the OK button of a dialog's caption, in screen coordinates; empty when the
// dialog shows none.
RECT CaptionOkButtonRect(HWND dialog);

} // namespace device::ui
