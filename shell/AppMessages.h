#pragma once
// The program's private window messages. The page container and the Tools page tell the main
// window which command bar to show; the main window forwards the open tool's menu commands to
// the tool window; a page or a tool window is told to hide itself. wParam and lParam are 0
// unless a message says otherwise.

#include "platform/ui/WinUser.h"

// The open tool window hides itself and shows the Tools list again.
#define WM_APP_LEAVE_TOOL 0x8066
// Command bars: each makes its bar the only visible one of the main window's seven.
#define WM_APP_SHOW_MENU_BAR 0x8068
#define WM_APP_SHOW_EDIT_BAR 0x8069
// wParam: the tool (2 area codes, 3 clothing sizes, 5 news).
#define WM_APP_SHOW_TOOL_BAR 0x806A
// The unit converter's value field.
#define WM_APP_EDIT_CUT 0x806B
#define WM_APP_EDIT_COPY 0x806C
#define WM_APP_EDIT_PASTE 0x806D
#define WM_APP_EDIT_SELECT_ALL 0x806E
#define WM_APP_SHOW_PACKING_BAR 0x806F
// The packing list.
#define WM_APP_PACK_ADD_CATEGORY 0x8070
#define WM_APP_PACK_ADD_LIST 0x8071
#define WM_APP_PACK_ADD_ITEMS 0x8072
#define WM_APP_PACK_UNCHECK_ALL 0x8073
// Undo in the unit converter; delete the current category in the packing list.
#define WM_APP_UNDO_OR_DELETE_CATEGORY 0x8074
#define WM_APP_PACK_DELETE_LIST 0x8075
#define WM_APP_PACK_DELETE_ITEM 0x8076
#define WM_APP_PACK_DELETE_ALL_ITEMS 0x8077
#define WM_APP_SHOW_CLOCKS_BAR 0x8078
#define WM_APP_PACK_SHOW_ALL 0x807A
#define WM_APP_PACK_SHOW_CHECKED 0x807B
#define WM_APP_PACK_SHOW_UNCHECKED 0x807C
#define WM_APP_SHOW_WEATHER_BAR 0x807D
#define WM_APP_SHOW_MAP_BAR 0x8082
// The receiving tab page hides itself.
#define WM_APP_HIDE_PAGE 0x8083
