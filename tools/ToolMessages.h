#pragma once
// The private messages between the main window, the Tools page and the tool windows. The main
// window's own header will hold them once it exists; until then the Tools tab keeps them here.

#include "platform/ui/WinUser.h"

// A tool window hides itself and shows the Tools list again ("Back to Tools").
#define WM_APP_LEAVE_TOOL 0x8066
// Command-bar requests to the main window.
#define WM_APP_SHOW_MENU_BAR 0x8068
#define WM_APP_SHOW_EDIT_BAR 0x8069
#define WM_APP_SHOW_TOOL_BAR 0x806A // wParam 2 area codes, 3 clothing, 5 news
#define WM_APP_SHOW_PACKING_BAR 0x806F
// The Edit menu, sent to the open tool.
#define WM_APP_EDIT_CUT 0x806B
#define WM_APP_EDIT_COPY 0x806C
#define WM_APP_EDIT_PASTE 0x806D
#define WM_APP_EDIT_SELECT_ALL 0x806E
// Undo in the unit converter; Delete > Current Category in the packing list.
#define WM_APP_UNDO_OR_DELETE_CATEGORY 0x8074
// A tab page still showing under a tool hides itself.
#define WM_APP_HIDE_PAGE 0x8083
