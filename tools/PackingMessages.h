#pragma once
// The private messages the main window sends to the open tool window (through the window under
// the bottom right corner of the work area and its parent) and the ones the tools send back.
// Each value is defined only once, whichever header of the Tools tab comes first.

#include "platform/ui/WinUser.h"

#ifndef WM_APP_LEAVE_TOOL
#define WM_APP_LEAVE_TOOL 0x8066 // "Back to Tools": the tool hides itself and shows the list
#endif
#ifndef WM_APP_SHOW_PACKING_BAR
#define WM_APP_SHOW_PACKING_BAR 0x806F
#endif
#ifndef WM_APP_PACK_ADD_CATEGORY
#define WM_APP_PACK_ADD_CATEGORY 0x8070
#endif
#ifndef WM_APP_PACK_ADD_LIST
#define WM_APP_PACK_ADD_LIST 0x8071
#endif
#ifndef WM_APP_PACK_ADD_ITEMS
#define WM_APP_PACK_ADD_ITEMS 0x8072
#endif
#ifndef WM_APP_PACK_UNCHECK_ALL
#define WM_APP_PACK_UNCHECK_ALL 0x8073
#endif
#ifndef WM_APP_UNDO_OR_DELETE_CATEGORY
#define WM_APP_UNDO_OR_DELETE_CATEGORY 0x8074 // Delete > Current Category in the packing list
#endif
#ifndef WM_APP_PACK_DELETE_LIST
#define WM_APP_PACK_DELETE_LIST 0x8075
#endif
#ifndef WM_APP_PACK_DELETE_ITEM
#define WM_APP_PACK_DELETE_ITEM 0x8076
#endif
#ifndef WM_APP_PACK_DELETE_ALL_ITEMS
#define WM_APP_PACK_DELETE_ALL_ITEMS 0x8077
#endif
#ifndef WM_APP_PACK_SHOW_ALL
#define WM_APP_PACK_SHOW_ALL 0x807A
#endif
#ifndef WM_APP_PACK_SHOW_CHECKED
#define WM_APP_PACK_SHOW_CHECKED 0x807B
#endif
#ifndef WM_APP_PACK_SHOW_UNCHECKED
#define WM_APP_PACK_SHOW_UNCHECKED 0x807C
#endif
