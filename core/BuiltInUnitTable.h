#pragma once
// The unit converter's built-in units: 350 rows in seven categories, the category key ("0" to
// "6") first, then the unit name and its factor (base units of the category per unit; "-" for
// temperatures, which are converted by formula). Rows of a category follow each other.

#include "platform/base/WinTypes.h"

struct BuiltInUnit {
    LPCWSTR category;
    LPCWSTR name;
    LPCWSTR factor;
};

constexpr int kBuiltInUnitCount = 350;
extern const BuiltInUnit BuiltInUnitTable[kBuiltInUnitCount];
