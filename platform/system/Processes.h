#pragma once
// Starting device programs. A device path names a host file under the device root; the program
// runs as a new host process of the same device (DEVICE_ROOT is handed to it), with the
// parameters split at blanks. Only programs are started: the device's file associations
// (documents opened by their viewer) are not kept here. Nobody waits for a started program: the
// layer reaps it when it ends, and no process handles are handed out.

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

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// Accepted for the call's shape; nothing in it is used.
struct STARTUPINFOW {
    DWORD cb;
};
typedef STARTUPINFOW* LPSTARTUPINFOW;

struct PROCESS_INFORMATION {
    HANDLE hProcess; // always null
    HANDLE hThread;  // always null
    DWORD dwProcessId;
    DWORD dwThreadId; // always 0
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

// Starts a program as the device does: imageName is the program (a device path, or a bare name,
// which is looked for in \Windows and then in the root folder; ".exe" is added to a name without
// an extension), commandLine holds only the arguments (split at blanks), curDir null or the
// device folder to start in. The security, inheritance, creation flags, environment and start-up
// arguments are ignored. TRUE once the process runs (processInfo, when given, gets its id); FALSE
// with ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED or ERROR_INVALID_PARAMETER as ShellExecuteExW.
BOOL CreateProcessW(LPCWSTR imageName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPWSTR curDir, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInfo);
#define CreateProcess CreateProcessW
