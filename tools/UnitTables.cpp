#include "tools/UnitTables.h"

#include "platform/base/CodePage.h"
#include "platform/framework/WaitCursor.h"

#include <cwchar>

UnitTable UnitTables[6];

namespace {

// Table index of each category key; -1 for the temperatures.
constexpr int kTableOfCategory[kUnitCategoryCount] = {0, 1, 2, 3, -1, 4, 5};

CString Widen1252(const char* bytes) {
    WCHAR wide[64] = {};
    ::MultiByteToWideChar(CP_ACP, 0, bytes, -1, wide, 64);
    return CString(wide);
}

// "\xB0" is the degree sign in Windows-1252.
CString BuildTemperatureName(int index) {
    static const char* const kNames[kTemperatureUnitCount] = {
        "\xB0" "C - Degree Celsius", "\xB0" "F - Degree Fahrenheit", "Degree Rankine", "Degree Reaumur", "K - Kelvin"};
    return Widen1252(kNames[index]);
}

constexpr double kFiveNinths = 0.5555555555555556;

} // namespace

const CString TemperatureUnitNames[kTemperatureUnitCount] = {BuildTemperatureName(0), BuildTemperatureName(1),
                                                             BuildTemperatureName(2), BuildTemperatureName(3),
                                                             BuildTemperatureName(4)};

UnitTable* UnitTableOfCategory(int category) {
    if (category < 0 || category >= kUnitCategoryCount || kTableOfCategory[category] < 0) return nullptr;
    return &UnitTables[kTableOfCategory[category]];
}

void LoadUnitTables(CConvertersDb& db) {
    CWaitCursor wait;
    DWORD start = 0;
    db.SeekFirst();
    for (int category = 0; category < kUnitCategoryCount; ++category) {
        CString key;
        key.Format(L"%d", category);
        // Count the category's records: they end at the first record of another key, or at the
        // end of the store (a read past the last record gives an empty key).
        int count = 0;
        for (;;) {
            DWORD index = db.GetCurrentIndex();
            if (db.GetCategory(index) != key) break;
            ++count;
            if (db.IsEOF()) break;
        }
        UnitTable* table = UnitTableOfCategory(category);
        if (table) {
            int kept = count < kUnitTableSize ? count : kUnitTableSize;
            db.SeekToIndex(start);
            for (int i = 0; i < kept; ++i) {
                DWORD index = db.GetCurrentIndex();
                if (db.GetCategory(index) == key) {
                    table->entries[i].name = db.GetUnitName(index);
                    table->entries[i].factor = db.GetFactor(index);
                } else {
                    table->entries[i] = UnitEntry{};
                }
            }
            table->count = kept;
        }
        start += static_cast<DWORD>(count);
        db.SeekToIndex(start);
    }
}

double ReadDecimal(LPCWSTR text) { return text ? std::wcstod(text, nullptr) : 0.0; }

double ConvertByFactor(double value, LPCWSTR fromFactor, LPCWSTR toFactor) {
    return value * ReadDecimal(fromFactor) / ReadDecimal(toFactor);
}

double TemperatureToKelvin(int unit, double v) {
    switch (unit) {
    case 0: return v + 273.15;
    case 1: return (v - 32) * kFiveNinths + 273.15;
    case 2: return v * kFiveNinths;
    case 3: return v * 1.25 + 273.15;
    default: return v;
    }
}

double KelvinToTemperature(int unit, double k) {
    switch (unit) {
    case 0: return k - 273.15;
    case 1: return (k - 273.15) * 1.8 + 32;
    case 2: return k * 1.8;
    case 3: return (k - 273.15) * 0.8;
    default: return k;
    }
}

bool ConvertTemperature(int fromUnit, int toUnit, double value, double& result) {
    double kelvin = TemperatureToKelvin(fromUnit, value);
    if (kelvin < 0) return false;
    result = KelvinToTemperature(toUnit, kelvin);
    return true;
}
