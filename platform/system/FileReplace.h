#pragma once
// Renaming a file over another in one step, for writers that must never leave the file missing.

#include "platform/base/WinTypes.h"

#define MOVEFILE_REPLACE_EXISTING 0x00000001

// MoveFileW; with MOVEFILE_REPLACE_EXISTING a file already at the new name is replaced in the
// same step, so a reader (or a program killed meanwhile) finds the old file or the new one,
// never none. A folder or a read-only file at the new name is not replaced (access denied).
BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
