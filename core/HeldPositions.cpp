// Stored store positions repaired against a store that may be only temporarily short.

#include "core/HeldPositions.h"

#include "platform/system/Registry.h"

#include <cwchar>

namespace {

CString HeldName(LPCWSTR name) {
    return CString(name) + L"held";
}
CString HeldRecordName(LPCWSTR name) {
    return CString(name) + L"heldname";
}

// "<held>:<replacement>" as written when the value was replaced; false when there is none.
bool ReadHeld(CRegistryKey& reg, LPCWSTR key, LPCWSTR name, DWORD& held, DWORD& replacement) {
    const CString text = reg.ReadString(HKEY_LOCAL_MACHINE, key, HeldName(name));
    if (reg.RegistryStatus != CRegistryKey::kFound) return false;
    unsigned long a = 0, b = 0;
    if (swscanf(text.GetString(), L"%lu:%lu", &a, &b) != 2) return false;
    held = static_cast<DWORD>(a);
    replacement = static_cast<DWORD>(b);
    return true;
}

// "<position written>:<record name>" as HoldPositionOfRecord wrote it.
bool ReadHeldRecord(CRegistryKey& reg, LPCWSTR key, LPCWSTR name, DWORD& written, CString& recordName) {
    const CString text = reg.ReadString(HKEY_LOCAL_MACHINE, key, HeldRecordName(name));
    if (reg.RegistryStatus != CRegistryKey::kFound) return false;
    const int colon = text.Find(L':');
    if (colon <= 0) return false;
    written = static_cast<DWORD>(wcstoul(text.Left(colon).GetString(), nullptr, 10));
    recordName = text.Mid(colon + 1);
    return true;
}

void ForgetHeld(LPCWSTR key, LPCWSTR name) {
    CRegistryKey::DeleteValue(HKEY_LOCAL_MACHINE, key, HeldName(name));
}

} // namespace

DWORD RepairStoredPosition(CRegistryKey& reg, LPCWSTR key, LPCWSTR name, DWORD fallback, DWORD count,
                           DWORD replacement, bool storeWhole, const FindPositionByName& find) {
    DWORD value = reg.ReadDword(HKEY_LOCAL_MACHINE, key, name);
    if (reg.RegistryStatus != CRegistryKey::kFound) value = fallback;
    if (count == 0) return value;

    DWORD written = 0;
    CString recordName;
    if (storeWhole && ReadHeldRecord(reg, key, name, written, recordName)) {
        CRegistryKey::DeleteValue(HKEY_LOCAL_MACHINE, key, HeldRecordName(name));
        DWORD position = 0;
        if (value == written && find && find(recordName, position) && position < count) {
            if (position != value) reg.WriteDword(HKEY_LOCAL_MACHINE, key, name, position);
            return position;
        }
    }

    DWORD held = 0, replaced = 0;
    const bool isHeld = ReadHeld(reg, key, name, held, replaced);
    if (isHeld && storeWhole) {
        // The store is whole again: the user's own value comes back where it fits and the
        // setting still holds what stood in for it.
        ForgetHeld(key, name);
        if (value == replaced && held < count) {
            reg.WriteDword(HKEY_LOCAL_MACHINE, key, name, held);
            return held;
        }
    }
    if (value < count) return value;
    if (!storeWhole) {
        // What is held is the user's value: the one held already while the setting still holds
        // its stand-in, else the one replaced now.
        const DWORD original = isHeld && value == replaced ? held : value;
        CString text;
        text.Format(L"%lu:%lu", static_cast<unsigned long>(original),
                    static_cast<unsigned long>(replacement));
        reg.WriteString(HKEY_LOCAL_MACHINE, key, HeldName(name), text);
    }
    reg.WriteDword(HKEY_LOCAL_MACHINE, key, name, replacement);
    return replacement;
}

void HoldPositionOfRecord(CRegistryKey& reg, LPCWSTR key, LPCWSTR name, const CString& recordName,
                          DWORD position) {
    CString text;
    text.Format(L"%lu:", static_cast<unsigned long>(position));
    reg.WriteString(HKEY_LOCAL_MACHINE, key, HeldRecordName(name), text + recordName);
}
