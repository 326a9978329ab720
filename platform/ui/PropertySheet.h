#pragma once
// Property sheets: a full-screen dialog whose pages (child dialogs from templates) are chosen by
// a tab strip along the bottom; the OK button sits in the caption.
//
// [SECTION] Structures and flags
// [SECTION] Messages and notifications
// [SECTION] Calls
//
// Pages are created the first time they are shown, the start page first. Each page hears
// WM_INITDIALOG with lParam pointing at the sheet's own copy of its PROPSHEETPAGEW (so lParam of
// that structure reaches the page), and then, through WM_NOTIFY (a PSHNOTIFY):
//   PSN_SETACTIVE   when it becomes the current page
//   PSN_KILLACTIVE  before another page replaces it, or before OK; a nonzero answer
//                   (DWL_MSGRESULT) keeps it current
//   PSN_APPLY       OK: every page created so far, in page order; PSNRET_INVALID or
//                   PSNRET_INVALID_NOCHANGEPAGE keeps the sheet open on that page
//   PSN_QUERYCANCEL Cancel (Esc, WM_CLOSE): a nonzero answer from the current page keeps it open
//   PSN_RESET       Cancel: every page created so far
// A modal sheet's window is destroyed before PropertySheetW returns: 1 after OK, 0 after Cancel,
// -1 when it could not be shown (no page whose template can be made).

#include "platform/ui/CommonNotify.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WinUser.h"

// [SECTION] Structures and flags ----------------------------------------------------------------

struct PROPSHEETPAGEW;
typedef struct PropSheetPage* HPROPSHEETPAGE;
typedef UINT(CALLBACK* LPFNPSPCALLBACKW)(HWND, UINT, PROPSHEETPAGEW*);
typedef int(CALLBACK* PFNPROPSHEETCALLBACK)(HWND, UINT, LPARAM);

#define PSP_DEFAULT 0x0000u
#define PSP_DLGINDIRECT 0x0001u
#define PSP_USEHICON 0x0002u
#define PSP_USEICONID 0x0004u
#define PSP_USETITLE 0x0008u
#define PSP_RTLREADING 0x0010u
#define PSP_HASHELP 0x0020u
#define PSP_USEREFPARENT 0x0040u
#define PSP_USECALLBACK 0x0080u
#define PSP_PREMATURE 0x0400u

// Page callback (PSP_USECALLBACK): PSPCB_CREATE before the page window is made (0: do not make
// it), PSPCB_RELEASE when the sheet lets the page go.
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

struct PROPSHEETPAGEW {
    DWORD dwSize;
    DWORD dwFlags;
    HINSTANCE hInstance;
    union {
        LPCWSTR pszTemplate;
        LPCDLGTEMPLATEW pResource; // PSP_DLGINDIRECT
    };
    union {
        HICON hIcon;
        LPCWSTR pszIcon;
    };
    LPCWSTR pszTitle; // PSP_USETITLE: the tab's text (else the template's caption)
    DLGPROC pfnDlgProc;
    LPARAM lParam;
    LPFNPSPCALLBACKW pfnCallback;
    UINT* pcRefParent;
};
typedef PROPSHEETPAGEW* LPPROPSHEETPAGEW;
typedef const PROPSHEETPAGEW* LPCPROPSHEETPAGEW;
typedef PROPSHEETPAGEW PROPSHEETPAGE;
typedef LPPROPSHEETPAGEW LPPROPSHEETPAGE;
typedef LPCPROPSHEETPAGEW LPCPROPSHEETPAGE;

#define PSH_DEFAULT 0x0000u
#define PSH_PROPTITLE 0x0001u
#define PSH_USEHICON 0x0002u
#define PSH_USEICONID 0x0004u
#define PSH_PROPSHEETPAGE 0x0008u // ppsp: an array of PROPSHEETPAGEW (each dwSize long)
#define PSH_NOAPPLYNOW 0x0080u
#define PSH_USECALLBACK 0x0100u
#define PSH_MODELESS 0x0400u
#define PSH_USEPSTARTPAGE 0x0800u // pStartPage: the title of the start page
#define PSH_MAXIMIZE 0x2000u       // the sheet fills the work area (it always does on this device)

// Sheet callback (PSH_USECALLBACK): PSCB_PRECREATE before the sheet window is made (lParam 0),
// PSCB_INITIALIZED once it exists, before its first page is made.
#define PSCB_INITIALIZED 1
#define PSCB_PRECREATE 2

struct PROPSHEETHEADERW {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;
    HINSTANCE hInstance;
    union {
        HICON hIcon;
        LPCWSTR pszIcon;
    };
    LPCWSTR pszCaption;
    UINT nPages;
    union {
        UINT nStartPage;
        LPCWSTR pStartPage;
    };
    union {
        LPCPROPSHEETPAGEW ppsp;
        HPROPSHEETPAGE* phpage;
    };
    PFNPROPSHEETCALLBACK pfnCallback;
};
typedef PROPSHEETHEADERW* LPPROPSHEETHEADERW;
typedef const PROPSHEETHEADERW* LPCPROPSHEETHEADERW;
typedef PROPSHEETHEADERW PROPSHEETHEADER;
typedef LPCPROPSHEETHEADERW LPCPROPSHEETHEADER;

// [SECTION] Messages and notifications ----------------------------------------------------------

#define PSN_FIRST (0U - 200U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)

#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

struct PSHNOTIFY {
    NMHDR hdr; // hwndFrom: the sheet
    LPARAM lParam;
};
typedef PSHNOTIFY* LPPSHNOTIFY;

#define PSM_SETCURSEL (WM_USER + 101)         // wParam index or lParam HPROPSHEETPAGE
#define PSM_REMOVEPAGE (WM_USER + 102)        // wParam index or lParam HPROPSHEETPAGE
#define PSM_ADDPAGE (WM_USER + 103)           // lParam HPROPSHEETPAGE
#define PSM_CHANGED (WM_USER + 104)           // wParam the page window
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_QUERYSIBLINGS (WM_USER + 108)     // passed to each page until one answers nonzero
#define PSM_UNCHANGED (WM_USER + 109)         // wParam the page window
#define PSM_APPLY (WM_USER + 110)             // PSN_APPLY to the pages, the sheet stays
#define PSM_PRESSBUTTON (WM_USER + 113)       // wParam PSBTN_*
#define PSM_SETCURSELID (WM_USER + 114)       // lParam the page's template id
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_ISDIALOGMESSAGE (WM_USER + 117)   // lParam MSG*
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSM_SETTITLEW (WM_USER + 120)         // lParam the caption
#define PSM_SETTITLE PSM_SETTITLEW

#define PSBTN_OK 1
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5

#define PropSheet_SetCurSel(s, hpage, index) SendMessageW(s, PSM_SETCURSEL, (WPARAM)(index), (LPARAM)(hpage))
#define PropSheet_Changed(s, page) SendMessageW(s, PSM_CHANGED, (WPARAM)(page), 0)
#define PropSheet_UnChanged(s, page) SendMessageW(s, PSM_UNCHANGED, (WPARAM)(page), 0)
#define PropSheet_GetCurrentPageHwnd(s) ((HWND)SendMessageW(s, PSM_GETCURRENTPAGEHWND, 0, 0))
#define PropSheet_GetTabControl(s) ((HWND)SendMessageW(s, PSM_GETTABCONTROL, 0, 0))
#define PropSheet_PressButton(s, b) PostMessageW(s, PSM_PRESSBUTTON, (WPARAM)(b), 0)

// [SECTION] Calls -------------------------------------------------------------------------------

// A page handle holding a copy of the description (dwSize bytes). Null for a bad description.
HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page);
// Frees a page handle that no sheet took (a sheet frees its pages itself).
BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page);
// Runs a modal sheet (see the top of this file), or with PSH_MODELESS creates it and returns its
// window.
INT_PTR PropertySheetW(LPCPROPSHEETHEADERW header);
#define CreatePropertySheetPage CreatePropertySheetPageW
#define PropertySheet PropertySheetW

namespace device::ui {

// The sheet window's class.
inline constexpr const wchar_t* kPropertySheetClass = L"PropertySheet";

// Registers the sheet class (idempotent).
void RegisterPropertySheetClasses();

// The window of page `index` of a sheet, null when it has not been made (tests).
HWND PropertySheetPageWindow(HWND sheet, int index);
// Whether PSM_CHANGED marked page `index` and no PSM_UNCHANGED or apply cleared it (tests).
bool PropertySheetPageChanged(HWND sheet, int index);

} // namespace device::ui
