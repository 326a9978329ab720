#pragma once
// Modules and their resources. A module is the program itself or a shared object loaded by
// device path (the Today plug-in, a language module); each carries its compiled resource table,
// handed out by its exported function JorvanaResourceTable. Resource ids are numbers; a name
// written "#318" is the id 318.
//
// The resource module is the module every later string, dialog and menu load of the framework
// goes to: the program until start-up makes a language module the resource module.

#include "platform/base/WinTypes.h"

#include <string>


#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_DLGINIT MAKEINTRESOURCEW(240)
#define RT_TOOLBAR MAKEINTRESOURCEW(241)

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_BAD_EXE_FORMAT 193L
#define ERROR_DLL_INIT_FAILED 1114L

// Reasons of a module's entry DllMain (an exported extern "C" function
// BOOL DllMain(HINSTANCE, DWORD reason, LPVOID reserved), when the module has one): called with
// DLL_PROCESS_ATTACH when it is first loaded (FALSE refuses the load) and DLL_PROCESS_DETACH
// before it is unloaded.
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// A bare file name is looked for in the program's folder; otherwise a device path. Loading a
// module already loaded gives the same handle and counts one more use.
HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
BOOL FreeLibrary(HMODULE hLibModule);
// Null gives the program; otherwise a loaded module by its file name (letter case ignored).
HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
// The address of an exported function or variable of a loaded module (or of the program).
// MAKEINTRESOURCEW(n) asks for the function exported by ordinal n: ELF has no ordinals, so a
// module lists those in the table its exported function JorvanaOrdinalTable hands out
// (device::OrdinalExport entries ended by ordinal 0; DEVICE_EXPORT_ORDINALS below).
void* GetProcAddressW(HMODULE hModule, LPCWSTR lpProcName);

// hModule null is the program itself. Copies at most nSize - 1 characters and a null; a path that
// does not fit is cut, with ERROR_INSUFFICIENT_BUFFER and nSize returned.
DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);

// Calls lpEnumFunc with MAKEINTRESOURCEW(id) for every resource of the type in the module, in
// ascending id order, until it returns FALSE. Strings are resources of their own here (one id
// each), not blocks of sixteen. FALSE when the module holds none of that type.
typedef BOOL(CALLBACK* ENUMRESNAMEPROCW)(HMODULE hModule, LPCWSTR lpType, LPWSTR lpName, LONG_PTR lParam);
BOOL EnumResourceNamesW(HMODULE hModule, LPCWSTR lpType, ENUMRESNAMEPROCW lpEnumFunc, LONG_PTR lParam);

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
// Copies at most cchBufferMax - 1 characters and a null; returns the characters copied (0 when
// the string does not exist). With cchBufferMax 0, lpBuffer receives a pointer to the string
// itself (null-terminated, read-only).
int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);

namespace device {

struct OrdinalExport {
    WORD ordinal; // 0 ends the table
    void* proc;
};

// The data and size of a resource, or false.
bool FindResourceData(HMODULE module, DWORD type, DWORD id, const void*& data, size_t& size);
// The device path of a loaded module (empty for an unknown handle); the program's is the one
// of ProgramPath.h.
std::wstring ModulePath(HMODULE module);

HINSTANCE ResourceModule();
void SetResourceModule(HINSTANCE module); // null: the program again

} // namespace device

// In one source file of a module: its ordinal table, e.g.
//   DEVICE_EXPORT_ORDINALS({240, reinterpret_cast<void*>(&InitializeCustomItem)})
#define DEVICE_EXPORT_ORDINALS(...)                                                                \
    extern "C" __attribute__((visibility("default"))) const device::OrdinalExport* JorvanaOrdinalTable() { \
        static const device::OrdinalExport table[] = {__VA_ARGS__, {0, nullptr}};                  \
        return table;                                                                             \
    }
