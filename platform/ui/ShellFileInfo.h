#pragma once
// The shell's file information call, for the parts that show files and folders with the
// system's small icons: the icon index of a path in the shared system list (a folder or a file),
// and the list itself.

#include "platform/ui/Controls.h"

#define SHGFI_ICON 0x000000100u
#define SHGFI_DISPLAYNAME 0x000000200u
#define SHGFI_TYPENAME 0x000000400u
#define SHGFI_ATTRIBUTES 0x000000800u
#define SHGFI_SYSICONINDEX 0x000004000u
#define SHGFI_LARGEICON 0x000000000u
#define SHGFI_SMALLICON 0x000000001u
#define SHGFI_USEFILEATTRIBUTES 0x000000010u

struct SHFILEINFOW {
    HICON hIcon;
    int iIcon;
    DWORD dwAttributes;
    WCHAR szDisplayName[MAX_PATH];
    WCHAR szTypeName[80];
};
typedef SHFILEINFOW SHFILEINFO;

// With SHGFI_SYSICONINDEX: returns the system small image list (as a number) and sets iIcon to
// the folder or file icon of the path (its attributes, or fileAttributes with
// SHGFI_USEFILEATTRIBUTES); 0 when the path does not exist. SHGFI_DISPLAYNAME gives the last
// part of the path. Other flags are not offered: the call then returns 0.
DWORD_PTR SHGetFileInfoW(LPCWSTR path, DWORD fileAttributes, SHFILEINFOW* info, UINT infoSize, UINT flags);
#define SHGetFileInfo SHGetFileInfoW
