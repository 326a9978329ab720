#pragma once
// CConvertersDb: the unit converter's units, the object-store database jrvConverters. One
// record (UnitRecord) per unit, its properties written in this order:
//   301 the category key "0" to "6", 302 the unit name, 303 the factor as decimal text ("-"
//   for temperatures).
// Always opened sorted on the category (301): every index it hands out or takes counts in that
// order. Opening a missing or empty store fills it with BuiltInUnitTable.
//
// A store an older program filled may hold a built-in factor since corrected (the statute mile
// was 1609 m): the first opening on the device rewrites each such unit that still is exactly as
// that program stored it, and notes it (kUnitsRevisionValue under Jorvana) so that it never
// happens again. A unit the user renamed, re-valued or deleted stays as the user left it, and so
// does one the user sets back to the old factor later.

#include "core/RecordDatabase.h"

constexpr LPCWSTR kConvertersDbName = L"jrvConverters";
constexpr DWORD kConvertersDbType = 56789;
constexpr WORD kUnitPropCategory = 301;
constexpr WORD kUnitPropName = 302;
constexpr WORD kUnitPropFactor = 303;
// The display name of category key k is string kUnitCategoryFirstString + k.
constexpr UINT kUnitCategoryFirstString = 32916;
// DWORD under HKEY_LOCAL_MACHINE\Jorvana: the corrections of built-in factors the store has had.
constexpr LPCWSTR kUnitsRevisionValue = L"unitsrev";
constexpr DWORD kUnitsRevision = 1;

class CConvertersDb {
public:
    CConvertersDb() = default;
    virtual ~CConvertersDb() = default;

    // Opens jrvConverters sorted on the category; fills it when it is missing or empty.
    void Open();

    // Unit names are not unique: every call adds a record. Afterwards the cursor is on the
    // first unit of the record's category.
    BOOL AddUnit(LPCWSTR category, LPCWSTR name, LPCWSTR factor);
    BOOL InsertUnit(LPCWSTR category, LPCWSTR name, LPCWSTR factor) {
        return AddUnit(category, name, factor);
    }
    // Rewrites name and factor of the unit at the index; a unit never changes category.
    void UpdateUnit(DWORD index, LPCWSTR category, LPCWSTR name, LPCWSTR factor);
    BOOL DeleteAt(DWORD index);

    void SeekFirst() { m_db.SeekFirst(); }
    void SeekToIndex(DWORD index) { m_db.SeekToIndex(index); }
    BOOL IsEOF() { return m_db.IsEOF(); }
    DWORD GetCurrentIndex() { return m_db.GetCurrentIndex(); }
    CString GetCategory(DWORD index);
    CString GetUnitName(DWORD index);
    CString GetFactor(DWORD index);

private:
    void CorrectBuiltInFactors();

    CRecordDatabase m_db;
};
