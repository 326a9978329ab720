#pragma once
// The unit converter's data and arithmetic, apart from its window: the six unit tables read
// from the converters store, the five fixed temperature units, and the two ways of converting
// (by factor through the category's base unit, by formula through Kelvin).

#include "core/ConvertersDb.h"
#include "platform/base/CString.h"

// The categories of the converter's combo, which are also the store's category keys.
constexpr int kTemperatureCategory = 4;
constexpr int kUnitCategoryCount = 7;
// Units a category may hold; the loader reads no more and the editor adds no more.
constexpr int kUnitTableSize = 150;
constexpr int kTemperatureUnitCount = 5;

struct UnitEntry {
    CString name;
    CString factor; // the size of one unit in the category's base unit, as decimal text
};

struct UnitTable {
    UnitEntry entries[kUnitTableSize];
    int count = 0;
};

// One table per category 0, 1, 2, 3, 5, 6, shared by every converter.
extern UnitTable UnitTables[6];

// The table of a category, or null for the temperatures and for anything out of range.
UnitTable* UnitTableOfCategory(int category);

// Walks the store in category order and fills the six tables. A category holding more than
// kUnitTableSize units keeps its first kUnitTableSize; the temperature records are counted and
// stepped over.
void LoadUnitTables(CConvertersDb& db);

// "°C - Degree Celsius", "°F - Degree Fahrenheit", "Degree Rankine", "Degree Reaumur",
// "K - Kelvin": built from Windows-1252 text when the program starts.
extern const CString TemperatureUnitNames[kTemperatureUnitCount];

// value × factor(from) / factor(to), multiplied first. Factor texts that are not numbers read
// as 0.
double ConvertByFactor(double value, LPCWSTR fromFactor, LPCWSTR toFactor);
// Temperature unit index (as in TemperatureUnitNames) to and from Kelvin.
double TemperatureToKelvin(int unit, double value);
double KelvinToTemperature(int unit, double kelvin);
// False when the value lies below absolute zero (result left alone).
bool ConvertTemperature(int fromUnit, int toUnit, double value, double& result);

// A decimal text as a number, the way the converter reads its fields: the longest leading
// number, 0 when there is none.
double ReadDecimal(LPCWSTR text);
