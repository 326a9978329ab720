#pragma once
// The system's version numbers, as programs ask for them with GetVersionEx. The simulated
// device reports Windows CE 4.20.

#include "platform/base/WinTypes.h"

struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};
typedef OSVERSIONINFOW OSVERSIONINFO;
typedef OSVERSIONINFOW* LPOSVERSIONINFOW;
typedef OSVERSIONINFOW* LPOSVERSIONINFO;

#define VER_PLATFORM_WIN32_CE 3

// FALSE for a null record or one whose dwOSVersionInfoSize is not the record's size.
BOOL GetVersionExW(LPOSVERSIONINFOW info);
#define GetVersionEx GetVersionExW
