#include "core/ConvertersDb.h"

#include "core/BuiltInUnitTable.h"

#include <cwchar>

namespace {

const WORD kUnitIdents[CRecordDatabase::kMaxProps] = {kUnitPropCategory, kUnitPropName, kUnitPropFactor, 0};

} // namespace

void CConvertersDb::Open() {
    if (m_db.OpenBuilt(kConvertersDbName, kUnitPropCategory)) return;
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
