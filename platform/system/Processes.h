#pragma once
// Starting device programs. A device path names a host file under the device root; the program
// runs as a new host process of the same device (DEVICE_ROOT is handed to it), with the
// parameters split at blanks. Only programs are started: the device's file associations
// (documents opened by their viewer) are not kept here.

#include "platform/base/WinTypes.h"

#define SEE_MASK_NOCLOSEPROCESS 0x00000040u
#define SEE_MASK_FLAG_NO_UI 0x00000400u

#define ERROR_NO_ASSOCIATION 1155L

struct SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;       // null or "open"
    LPCWSTR lpFile;       // device path of the program
    LPCWSTR lpParameters; // null or blank-separated arguments
    LPCWSTR lpDirectory;  // null, or the device folder the program starts in
    int nShow;
    HINSTANCE hInstApp; // > 32 on success, else an error number
    LPVOID lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    HANDLE hIcon;
    HANDLE hProcess; // always null: no process handles are handed out
};
typedef SHELLEXECUTEINFOW* LPSHELLEXECUTEINFOW;
typedef SHELLEXECUTEINFOW SHELLEXECUTEINFO;

// TRUE once the process runs. FALSE with ERROR_FILE_NOT_FOUND for a missing file,
// ERROR_NO_ASSOCIATION for a verb other than "open", ERROR_ACCESS_DENIED for a file that
// cannot be run, ERROR_INVALID_PARAMETER for a bad structure. The child is reaped when it ends.
BOOL ShellExecuteExW(LPSHELLEXECUTEINFOW info);
#define ShellExecuteEx ShellExecuteExW
