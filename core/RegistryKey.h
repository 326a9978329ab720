#pragma once
// CRegistryKey: the program's one way to its settings in the registry. Every call names the key
// by root and path, opens (or creates) it, does one thing and closes it again; only the status
// of the last read carries over between calls.
//
// A value that is there but is not what is read (a text read as a number, a number read as a
// text, a number of another size than four bytes) is damaged: it reads as "" or 0 with the
// status kValueDamaged, which every reader takes for a missing value, and it is noted
// (DamagedSettings), so that the user is told of it once; until then nothing is written over it.

#include "platform/base/CString.h"
#include "platform/system/Registry.h"

class CRegistryKey {
public:
    // Outcome of the last read.
    static constexpr LONG kFound = 0;
    static constexpr LONG kValueMissing = -1;
    static constexpr LONG kKeyMissing = -2;
    static constexpr LONG kValueDamaged = -3;

    CRegistryKey() = default;
    virtual ~CRegistryKey() = default;

    // "" (or 0) with the status -1 or -2 when the value or the key is missing, -3 when it is
    // damaged.
    CString ReadString(HKEY root, LPCWSTR path, LPCWSTR name);
    DWORD ReadDword(HKEY root, LPCWSTR path, LPCWSTR name);
    // Create the key when needed; true when the value was written. A failure leaves the
    // registry as it was; a failure of the device's storage (a full device) is reported in one
    // message. A damaged value the user has not been told of yet is left as it is (true).
    bool WriteString(HKEY root, LPCWSTR path, LPCWSTR name, LPCWSTR text);
    bool WriteDword(HKEY root, LPCWSTR path, LPCWSTR name, DWORD value);
    // Removes the value when the key and the value are there; a store that cannot take it keeps
    // it (nothing is said: callers remove what no longer counts).
    static void DeleteValue(HKEY root, LPCWSTR path, LPCWSTR name);

    // 0 found, -1 value missing, -2 key missing, -3 value damaged. Writes leave it unchanged.
    LONG RegistryStatus = kFound;

private:
    // Opens the key and looks the name up among its values (exact letter case, names of at
    // most 19 characters). Returns the open key on a match, else null with the status set.
    HKEY OpenAndFind(HKEY root, LPCWSTR path, LPCWSTR name);
    // The value is damaged: status -3, and noted.
    void Damaged(LPCWSTR path, LPCWSTR name);
};
