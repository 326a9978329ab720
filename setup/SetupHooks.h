#pragma once
// The setup library's hooks, called by the device's installer by name. Installing needs
// nothing of them; removing the product takes the Today item off the Today screen before the
// plug-in's file goes, and afterwards deletes the program's registry keys and its four stores.
// Every hook answers "go on" (0); only missing stores are reported, by message box.

#include "platform/base/WinTypes.h"

enum codeINSTALL_INIT { codeINSTALL_INIT_CONTINUE = 0, codeINSTALL_INIT_CANCEL };
enum codeUNINSTALL_INIT { codeUNINSTALL_INIT_CONTINUE = 0, codeUNINSTALL_INIT_CANCEL };
enum codeUNINSTALL_EXIT { codeUNINSTALL_EXIT_DONE = 0 };

extern "C" {
codeINSTALL_INIT Install_Init(HWND parent, BOOL firstCall, BOOL previouslyInstalled, LPCWSTR installDir);
codeUNINSTALL_INIT Uninstall_Init(HWND parent, LPCWSTR installDir);
codeUNINSTALL_EXIT Uninstall_Exit(HWND parent);
}
