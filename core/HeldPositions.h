#pragma once
// Stored store positions (a clock's CityIndex, a weather place) checked against their store. A
// position past the end is replaced by a valid one and written back, so that every reader of the
// setting (pages, the Today item) finds a record there. While the store is not whole (its list
// yielded nothing and it holds only what was added since, such as the home city) the user's value
// is held beside the setting, as "<name>held", and put back once the store is whole again.

#include "core/RegistryKey.h"

#include <functional>

// The position a record name has in the store now; false when the store holds no such record.
using FindPositionByName = std::function<bool(const CString& recordName, DWORD& position)>;

// The position in use for the DWORD value name under key (HKEY_LOCAL_MACHINE), or fallback when
// the value is missing, against a store of count records; nothing changes for an empty store.
// A position past the end becomes replacement. With storeWhole false the value it replaces is
// held; with storeWhole true a held value that fits the store is put back, unless the setting
// was changed since it was replaced (the user's later choice wins). A position held by its
// record's name (HoldPositionOfRecord) comes back as that record's position, through find.
DWORD RepairStoredPosition(CRegistryKey& reg, LPCWSTR key, LPCWSTR name, DWORD fallback, DWORD count,
                           DWORD replacement, bool storeWhole, const FindPositionByName& find = {});

// A position written now, into a store that is not whole, for the record recordName: once the
// whole list is in, the record stands elsewhere, and RepairStoredPosition moves the setting to
// it (unless the setting was changed meanwhile).
void HoldPositionOfRecord(CRegistryKey& reg, LPCWSTR key, LPCWSTR name, const CString& recordName,
                          DWORD position);
