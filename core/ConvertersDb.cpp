#include "core/ConvertersDb.h"

#include "core/BuiltInUnitTable.h"
#include "core/RegistryKey.h"
#include "core/CoreMessages.h"
#include "core/StorageFaults.h"
#include "platform/framework/CeDb.h"
#include "platform/framework/WinApp.h"
#include "platform/system/DeviceDb.h"
#include "platform/ui/DeviceProgram.h"
#include "resources/resource.h"


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

// The built-in units in the order the store holds them: category by category, and within one,
// its last row first and then the others in order (the order they are added in; records of one
// category keep the order they were added in).
std::vector<const BuiltInUnit*> BuiltInUnitsInStoreOrder() {
    std::vector<const BuiltInUnit*> units;
    int first = 0;
    while (first < kBuiltInUnitCount) {
        int end = first;
        while (end < kBuiltInUnitCount && std::wcscmp(BuiltInUnitTable[end].category, BuiltInUnitTable[first].category) == 0)
            ++end;
        units.push_back(&BuiltInUnitTable[end - 1]);
        for (int i = first; i < end - 1; ++i) units.push_back(&BuiltInUnitTable[i]);
        first = end;
    }
    return units;
}

// Says once for each device (not at every opening of the converter or its editor) that the
// units could not be stored, with the cause the store met.
void TellUnitsNotStored() {
    static uint64_t toldFor = 0;
    device::DeviceDb* db = device::DeviceDb::Get();
    const uint64_t connection = db ? db->Serial() : 0;
    if (connection != 0 && connection == toldFor) return;
    toldFor = connection;
    if (device::ui::IsProgramEnding()) return;
    AfxMessageBox(LoadCoreString(StorageCauseTextId(LastStorageCause())) + L"\n\n" + LoadCoreString(IDS_UNITS_NOT_STORED),
                  MB_OK | MB_ICONWARNING);
}

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

bool CConvertersDb::BuildStore() {
    // The store and its units are kept together or not at all.
    return m_db.Build(
               kConvertersDbName, kConvertersDbType, 3, kUnitIdents, 0, kUnitPropCategory,
               [&] {
                   m_db.SeekFirst();
                   for (const BuiltInUnit* unit : BuiltInUnitsInStoreOrder()) {
                       const CString texts[CRecordDatabase::kMaxProps] = {unit->category, unit->name, unit->factor,
                                                                          CString()};
                       m_db.AddRecord(kUnitIdents, texts, 1);
                   }
                   return CRecordDatabase::Filled::Complete;
               },
               false) != FALSE;
}

void CConvertersDb::Open() {
    m_builtIn.clear();
    if (m_db.OpenBuilt(kConvertersDbName, kUnitPropCategory)) {
        CorrectBuiltInFactors();
        return;
    }
    if (BuildStore()) return;
    // The device cannot take the units: the converter still has them, from memory.
    m_builtIn = BuiltInUnitsInStoreOrder();
    SeekFirst();
    TellUnitsNotStored();
}

void CConvertersDb::FollowStore() {
    if (ServedFromMemory() && m_db.OpenBuilt(kConvertersDbName, kUnitPropCategory)) m_builtIn.clear();
}

bool CConvertersDb::StoreForChange() {
    if (!ServedFromMemory()) return true;
    // Another opener may have stored them meanwhile.
    if (!m_db.OpenBuilt(kConvertersDbName, kUnitPropCategory) && !BuildStore()) {
        ReportStorageFault();
        return false;
    }
    m_builtIn.clear();
    return true;
}

BOOL CConvertersDb::AddUnit(LPCWSTR category, LPCWSTR name, LPCWSTR factor) {
    if (!StoreForChange()) return FALSE;
    const CString texts[CRecordDatabase::kMaxProps] = {category, name, factor, CString()};
    return m_db.AddRecord(kUnitIdents, texts, 1);
}

BOOL CConvertersDb::UpdateUnit(DWORD index, LPCWSTR /*category*/, LPCWSTR name, LPCWSTR factor) {
    if (!StoreForChange()) return FALSE;
    m_db.SeekToIndex(index);
    if (m_db.IsEOF()) return FALSE;
    const DWORD at = m_db.GetCurrentIndex();
    const CString texts[CRecordDatabase::kMaxProps] = {CString(), name, factor, CString()};
    return m_db.UpdateAt(at, kUnitIdents, texts, FALSE);
}

BOOL CConvertersDb::DeleteAt(DWORD index) {
    if (!StoreForChange()) return FALSE;
    return m_db.DeleteAt(index);
}

void CConvertersDb::SeekFirst() {
    if (!ServedFromMemory()) return m_db.SeekFirst();
    SeekToIndex(0);
}

void CConvertersDb::SeekToIndex(DWORD index) {
    if (!ServedFromMemory()) return m_db.SeekToIndex(index);
    m_cursor = index;
    m_end = index >= m_builtIn.size();
}

BOOL CConvertersDb::IsEOF() {
    return ServedFromMemory() ? m_end : m_db.IsEOF();
}

DWORD CConvertersDb::GetCurrentIndex() {
    return ServedFromMemory() ? m_cursor : m_db.GetCurrentIndex();
}

CString CConvertersDb::MemoryField(DWORD index, int field) {
    SeekToIndex(index);
    if (m_end) return CString();
    const BuiltInUnit& unit = *m_builtIn[index];
    SeekToIndex(index + 1);
    return field == 0 ? unit.category : field == 1 ? unit.name : unit.factor;
}

CString CConvertersDb::GetCategory(DWORD index) {
    return ServedFromMemory() ? MemoryField(index, 0) : m_db.ReadStringAt(index, kUnitPropCategory);
}

CString CConvertersDb::GetUnitName(DWORD index) {
    return ServedFromMemory() ? MemoryField(index, 1) : m_db.ReadStringAt(index, kUnitPropName);
}

CString CConvertersDb::GetFactor(DWORD index) {
    return ServedFromMemory() ? MemoryField(index, 2) : m_db.ReadStringAt(index, kUnitPropFactor);
}
