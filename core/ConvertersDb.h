#pragma once
// CConvertersDb: the unit converter's units, the object-store database jrvConverters. One
// record (UnitRecord) per unit, its properties written in this order:
//   301 the category key "0" to "6", 302 the unit name, 303 the factor as decimal text ("-"
//   for temperatures).
// Always opened sorted on the category (301): every index it hands out or takes counts in that
// order. Opening a missing or empty store fills it with BuiltInUnitTable.
//
// A device that cannot take the store (full, held by another program, read-only) still gets the
// built-in units: they are served from memory, in the order the store would hold them, and the
// user is told once that they could not be stored. A change of the units then first stores them
// (the device may have room by now); where it still cannot, the change is refused and said.
//
// A store an older program filled may hold a built-in factor since corrected (the statute mile
// was 1609 m): the first opening on the device rewrites each such unit that still is exactly as
// that program stored it, and notes it (kUnitsRevisionValue under Jorvana) so that it never
// happens again. A unit the user renamed, re-valued or deleted stays as the user left it, and so
// does one the user sets back to the old factor later.

#include "core/RecordDatabase.h"

#include <vector>

struct BuiltInUnit;

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
    // Rewrites name and factor of the unit at the index; a unit never changes category. True
    // when it was rewritten.
    BOOL UpdateUnit(DWORD index, LPCWSTR category, LPCWSTR name, LPCWSTR factor);
    BOOL DeleteAt(DWORD index);

    void SeekFirst();
    void SeekToIndex(DWORD index);
    BOOL IsEOF();
    DWORD GetCurrentIndex();
    CString GetCategory(DWORD index);
    CString GetUnitName(DWORD index);
    CString GetFactor(DWORD index);

    // The units come from memory: the device could not store them.
    bool ServedFromMemory() const { return !m_builtIn.empty(); }
    // Units served from memory give way to the store once another opener stored them (the
    // unit editor, once the device had room).
    void FollowStore();

private:
    void CorrectBuiltInFactors();
    // Builds the store from the built-in table; false when the device could not take it (not
    // said here).
    bool BuildStore();
    // Before a change: the units served from memory are stored first. False, and the storage
    // fault said, when the device still cannot take them.
    bool StoreForChange();
    // A field (0 category, 1 name, 2 factor) of the unit at the index in memory, moving the
    // cursor past it as a store read does.
    CString MemoryField(DWORD index, int field);

    CRecordDatabase m_db;
    std::vector<const BuiltInUnit*> m_builtIn; // in the store's order, while served from memory
    DWORD m_cursor = 0;
    bool m_end = false;
};
