#include "platform/system/SystemVersion.h"

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) return FALSE;
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 20;
    info->dwBuildNumber = 1081;
    info->dwPlatformId = VER_PLATFORM_WIN32_CE;
    info->szCSDVersion[0] = 0;
    return TRUE;
}
