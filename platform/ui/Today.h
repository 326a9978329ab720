#pragma once
// The Today screen's item protocol, shared by the Today screen (platform/programs/today-host)
// and the item libraries it loads. An item library is listed under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Today\Items\<name> (value "DLL": its device path); the
// Today screen loads it and calls its entry exported by ordinal 240,
//   HWND InitializeCustomItem(TODAYLISTITEM* item, HWND parent),
// which makes the item's child window of the Today screen. The screen then asks every item
// every few seconds whether it wants to be refreshed and how high it is
// (WM_TODAYCUSTOM_QUERYREFRESHCACHE: TRUE when cyp was changed), and lays the items out
// top-down in their order. WM_SETTINGCHANGE with wParam 0xF2 makes it reload all its items.

#include "platform/ui/WinUser.h"

#define MAX_ITEMNAME 32

enum TODAYLISTITEMTYPE { tlitOwnerInfo = 0, tlitAppointments, tlitMail, tlitTasks, tlitCustom, tlitNil };

struct TODAYLISTITEM {
    WCHAR szName[MAX_ITEMNAME];
    TODAYLISTITEMTYPE tlit;
    DWORD dwOrder;
    DWORD cyp; // the item's height in pixels, set by the item when it answers a query
    BOOL fEnabled;
    BOOL fOptions;
    DWORD grflags;
    WCHAR szDLLPath[MAX_PATH];
    HINSTANCE hinstDLL;
    HWND hwndCustom;
    BOOL fSizeOnDraw;
    BYTE* prgbCachedData;
    DWORD cbCachedData;
};
typedef TODAYLISTITEM* PTODAYLISTITEM;

// Ordinal of the item entry; its type.
#define TODAY_INITIALIZE_ORDINAL 240
typedef HWND (*PFNCUSTOMINITIALIZEITEM)(TODAYLISTITEM*, HWND);

// Sent by the Today screen to an item window. wParam: the item's TODAYLISTITEM.
#define WM_TODAYCUSTOM_CLEARCACHE (WM_USER + 242)
#define WM_TODAYCUSTOM_QUERYREFRESHCACHE (WM_USER + 243)

// Sent by an item to the Today screen (its parent).
#define TODAYM_GETCOLOR (WM_USER + 100)      // wParam a TODAYCOLOR_* -> COLORREF
#define TODAYM_DRAWWATERMARK (WM_USER + 101) // lParam TODAYDRAWWATERMARKINFO*: paints the background

#define TODAYCOLOR_TEXT 0x10000004
#define TODAYCOLOR_HIGHLIGHT 0x10000022
#define TODAYCOLOR_HIGHLIGHTEDTEXT 0x10000023

struct TODAYDRAWWATERMARKINFO {
    HDC hdc;
    RECT rc;   // in the item window's client coordinates
    HWND hwnd; // the item window
};

// The WM_SETTINGCHANGE wParam after which the Today screen reloads its items.
#define TODAY_RELOAD_SETTING 0xF2
