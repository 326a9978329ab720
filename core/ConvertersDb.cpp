#include "core/ConvertersDb.h"

#include "core/BuiltInUnitTable.h"
#include "core/RegistryKey.h"
#include "platform/framework/CeDb.h"

#include <cwchar>

namespace {

const WORD kUnitIdents[CRecordDatabase::kMaxProps] = {kUnitPropCategory, kUnitPropName, kUnitPropFactor, 0};

// Built-in units whose factor an older table had wrong, with that factor and the right one.
struct CorrectedUnit {
    LPCWSTR category, name, oldFactor, factor;
};
const CorrectedUnit kCorrectedUnits[] = {
    {L"1", L"Statue Mile (Mile)", L"1609", L"1609.344"}, // revision 1
};

} // namespace

void CConvertersDb::CorrectBuiltInFactors() {
    CRegistryKey registry;
    if (registry.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", kUnitsRevisionValue) >= kUnitsRevision) return;
    // The rewrites and the note that they were made are kept together: a store that could not
    // take them is tried again at the next opening. Nobody asked for them, so a store that
    // refuses them (full, held) is not told as a change the user lost: the old factor stays.
    CCeDBDatabase::AllOrNothing([&] {
        for (DWORD i = 0;; ++i) {
            const CString category = GetCategory(i);
            if (category.IsEmpty()) break;
            for (const CorrectedUnit& unit : kCorrectedUnits) {
                if (category != unit.category || GetUnitName(i) != unit.name ||
                    GetFactor(i) != unit.oldFactor)
                    continue;
                const CString texts[CRecordDatabase::kMaxProps] = {CString(), unit.name, unit.factor,
                                                                   CString()};
                if (!m_db.UpdateAt(i, kUnitIdents, texts, FALSE)) return false;
            }
        }
        return registry.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", kUnitsRevisionValue, kUnitsRevision);
    });
    m_db.SeekFirst();
}

void CConvertersDb::Open() {
    if (m_db.OpenBuilt(kConvertersDbName, kUnitPropCategory)) {
        CorrectBuiltInFactors();
        return;
    }
    // The store and its units are kept together or not at all.
    m_db.Build(kConvertersDbName, kConvertersDbType, 3, kUnitIdents, 0, kUnitPropCategory, [&] {
        m_db.SeekFirst();
        // Category by category; within one, its last row goes in first, then the others in order.
        int first = 0;
        while (first < kBuiltInUnitCount) {
            int end = first;
            while (end < kBuiltInUnitCount &&
                   std::wcscmp(BuiltInUnitTable[end].category, BuiltInUnitTable[first].category) == 0)
                ++end;
            const BuiltInUnit& last = BuiltInUnitTable[end - 1];
            AddUnit(last.category, last.name, last.factor);
            for (int i = first; i < end - 1; ++i)
                AddUnit(BuiltInUnitTable[i].category, BuiltInUnitTable[i].name, BuiltInUnitTable[i].factor);
            first = end;
        }
        return CRecordDatabase::Filled::Complete;
    });
}

BOOL CConvertersDb::AddUnit(LPCWSTR category, LPCWSTR name, LPCWSTR factor) {
    const CString texts[CRecordDatabase::kMaxProps] = {category, name, factor, CString()};
    return m_db.AddRecord(kUnitIdents, texts, 1);
}

void CConvertersDb::UpdateUnit(DWORD index, LPCWSTR /*category*/, LPCWSTR name, LPCWSTR factor) {
    m_db.SeekToIndex(index);
    if (m_db.IsEOF()) return;
    const DWORD at = m_db.GetCurrentIndex();
    const CString texts[CRecordDatabase::kMaxProps] = {CString(), name, factor, CString()};
    m_db.UpdateAt(at, kUnitIdents, texts, FALSE);
}

BOOL CConvertersDb::DeleteAt(DWORD index) {
    return m_db.DeleteAt(index);
}

CString CConvertersDb::GetCategory(DWORD index) {
    return m_db.ReadStringAt(index, kUnitPropCategory);
}

CString CConvertersDb::GetUnitName(DWORD index) {
    return m_db.ReadStringAt(index, kUnitPropName);
}

CString CConvertersDb::GetFactor(DWORD index) {
    return m_db.ReadStringAt(index, kUnitPropFactor);
}
