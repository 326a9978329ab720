#pragma once
// A header as the layer's own headers are: declarations the compiler skips, defines it reads.
#include <cstdint>
typedef unsigned long DWORD;
#define WS_POPUP 0x80000000L
#define WS_CAPTION 0x00C00000L
#define WS_VISIBLE 0x10000000L
#define WS_TABSTOP 0x00010000L
#define WS_VSCROLL 0x00200000L
#define ES_AUTOHSCROLL 0x0080
#define CBS_DROPDOWN 0x0002L
#define WM_APP 0x8000
#define WM_APP_SHOW_TOOL_BAR (WM_APP + 0x6A)
#define SOME_MACRO(x) ((x) + 1)
#define NOT_A_NUMBER static_cast<DWORD>(3)
inline int Function() { return 0; }
