#pragma once
// Stored store positions (a clock's CityIndex, a weather place) checked against their store. A
// position past the end is replaced by a valid one and written back, so that every reader of the
// setting (pages, the Today item) finds a record there. While the store is not whole (its list
// yielded nothing and it holds only what was added since, such as the home city) the user's value
// is held beside the setting, as "<name>held", and put back once the store is whole again.

#include "core/RegistryKey.h"

// The position in use for the DWORD value name under key (HKEY_LOCAL_MACHINE), or fallback when
// the value is missing, against a store of count records; nothing changes for an empty store.
// A position past the end becomes replacement. With storeWhole false the value it replaces is
// held; with storeWhole true a held value that fits the store is put back, unless the setting
// was changed since it was replaced (the user's later choice wins).
DWORD RepairStoredPosition(CRegistryKey& reg, LPCWSTR key, LPCWSTR name, DWORD fallback, DWORD count,
                           DWORD replacement, bool storeWhole);
