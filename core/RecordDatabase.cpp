#include "core/RecordDatabase.h"

#include "core/RegistryKey.h"
#include "core/StorageFaults.h"

#include <algorithm>

CRecordDatabase::CRecordDatabase() = default;

CRecordDatabase::~CRecordDatabase() {
    Close();
}

void CRecordDatabase::Create(LPCWSTR name, DWORD type, WORD sortOrderCount, const WORD idents[kMaxProps],
                             int mode) {
    if (mode < 0 || mode > 2 || !idents) return;
    SORTORDERSPEC sorts[kMaxProps] = {};
    const WORD count = std::min<WORD>(sortOrderCount, kMaxProps);
    for (WORD i = 0; i < count; ++i) {
        sorts[i].propid = MAKELONG(CEVT_LPWSTR, idents[i]);
        sorts[i].dwFlags =
            (mode == 2 && i == 0) ? CCeDBProp::Sort_CaseInsensitive : CCeDBProp::Sort_Ascending;
    }
    CCeDBDatabase db;
    db.Create(name, type, count, sorts); // an existing database is refused and stays as it is
}

BOOL CRecordDatabase::Open(LPCWSTR name) {
    BOOL ok = m_db.Open(name);
    if (ok) m_propertyCount = std::min<int>(m_db.GetNumSortOrders(), kMaxProps);
    m_db.m_bAutoSeekNext = TRUE;
    return ok;
}

BOOL CRecordDatabase::OpenSorted(LPCWSTR name, WORD ident) {
    CCeDBProp sort(L"", ident);
    BOOL ok = m_db.Open(name, &sort);
    if (ok) m_propertyCount = std::min<int>(m_db.GetNumSortOrders(), kMaxProps);
    m_db.m_bAutoSeekNext = TRUE;
    return ok;
}

void CRecordDatabase::Close() {
    m_db.Close();
}

WORD CRecordDatabase::GetRecordCount() {
    return static_cast<WORD>(std::min<DWORD>(m_db.GetRecordCount(), 0xFFFF));
}

void CRecordDatabase::SeekFirst() {
    m_db.SeekFirst();
}

void CRecordDatabase::SeekToIndex(DWORD index) {
    m_db.SeekToIndex(index);
}

BOOL CRecordDatabase::IsEOF() {
    return m_db.IsEOF();
}

DWORD CRecordDatabase::GetCurrentIndex() {
    return m_db.GetCurrIndex();
}

CString CRecordDatabase::ReadStringAt(DWORD index, WORD ident) {
    CString text;
    CCeDBDatabase::InOneTransaction(FALSE, [&] {
        m_db.SeekToIndex(index);
        CCeDBRecord rec;
        if (!m_db.ReadCurrProps(rec, &ident, 1)) return;
        if (const CCeDBProp* prop = rec.GetPropFromIdent(ident)) text = prop->GetString();
    });
    return text;
}

BOOL CRecordDatabase::SeekValue(WORD ident, LPCWSTR text) {
    return m_db.SeekValueFirstEqual(CCeDBProp(text, ident));
}

BOOL CRecordDatabase::FindByKey(const WORD idents[kMaxProps], LPCWSTR text, int keyPos) {
    if (!idents || keyPos < 0 || keyPos >= kMaxProps) return FALSE;
    SeekFirst();
    return SeekValue(idents[keyPos], text);
}

BOOL CRecordDatabase::AddRecord(const WORD idents[kMaxProps], const CString texts[kMaxProps], int keyPos) {
    // A key outside the record could never be tested for duplicates: refuse rather than guess.
    if (!idents || !texts || keyPos < 0 || keyPos >= m_propertyCount) return FALSE;
    // One transaction: no other process can add the same key between the test and the write.
    CStorageWriteWatch watch;
    BOOL added = FALSE;
    BOOL committed = CCeDBDatabase::InOneTransaction(TRUE, [&] {
        // (A value seek looks from the start of the order wherever the cursor is.)
        if (SeekValue(idents[keyPos], texts[keyPos])) return;
        CCeDBRecord rec;
        for (int p = 0; p < m_propertyCount; ++p)
            rec.AddProp(CCeDBProp(texts[p], idents[p]));
        if (!m_db.AddRecord(rec)) return;
        added = TRUE;
        SeekValue(idents[0], texts[0]);
    });
    watch.Done();
    return added && committed;
}

BOOL CRecordDatabase::UpdateAt(DWORD index, const WORD idents[kMaxProps], const CString texts[kMaxProps],
                               BOOL includeKey) {
    if (!idents || !texts) return FALSE;
    CStorageWriteWatch watch;
    bool written = false;
    const BOOL committed = CCeDBDatabase::InOneTransaction(TRUE, [&] {
        m_db.SeekToIndex(index);
        CCeDBRecord rec;
        if (!m_db.ReadCurrRecord(rec)) return;
        // One property per write, in array order; each goes to the record that was read.
        for (int p = includeKey ? 0 : 1; p < m_propertyCount; ++p) {
            CCeDBRecord one;
            one.AddProp(CCeDBProp(texts[p], idents[p]));
            if (!m_db.WriteCurrRecord(one)) return;
        }
        written = true;
    });
    watch.Done();
    return written && committed;
}

BOOL CRecordDatabase::DeleteByValue(WORD ident, LPCWSTR text) {
    CStorageWriteWatch watch;
    BOOL deleted = FALSE;
    BOOL committed = CCeDBDatabase::InOneTransaction(
        TRUE, [&] { deleted = SeekValue(ident, text) && m_db.DeleteCurrRecord(); });
    watch.Done();
    return deleted && committed;
}

BOOL CRecordDatabase::DeleteAt(DWORD index) {
    CStorageWriteWatch watch;
    BOOL deleted = FALSE;
    BOOL committed = CCeDBDatabase::InOneTransaction(
        TRUE, [&] { deleted = m_db.SeekToIndex(index) && m_db.DeleteCurrRecord(); });
    watch.Done();
    return deleted && committed;
}

void CRecordDatabase::SetLastModified(FILETIME time) {
    m_db.SetLastModified(time);
}

FILETIME CRecordDatabase::GetLastModified() {
    FILETIME time{};
    m_db.GetLastModified(time);
    return time;
}

namespace {

// An unfinished build of a database: a DWORD 1 named after the database. Kept in the device's
// registry, which lives in the same store, so it is written in the build's own transaction.
constexpr LPCWSTR kBuildsKey = L"Jorvana\\Builds";

bool BuildUnfinished(LPCWSTR name) {
    CRegistryKey registry;
    return registry.ReadDword(HKEY_LOCAL_MACHINE, kBuildsKey, name) == 1 &&
           registry.RegistryStatus == CRegistryKey::kFound;
}

} // namespace

BOOL CRecordDatabase::OpenBuilt(LPCWSTR name, WORD sortIdent) {
    const BOOL opened = sortIdent ? OpenSorted(name, sortIdent) : Open(name);
    return opened && IsBuilt(name);
}

BOOL CRecordDatabase::IsBuilt(LPCWSTR name) {
    return GetRecordCount() > 0 && !BuildUnfinished(name);
}

BOOL CRecordDatabase::Build(LPCWSTR name, DWORD type, WORD sortOrderCount, const WORD idents[kMaxProps],
                            int mode, WORD sortIdent, const std::function<Filled()>& fill, bool tellFault) {
    auto open = [&] { return sortIdent ? OpenSorted(name, sortIdent) : Open(name); };
    CStorageWriteWatch watch;
    Filled filled = Filled::Abandoned;
    const BOOL committed = CCeDBDatabase::AllOrNothing([&] {
        Create(name, type, sortOrderCount, idents, mode);
        if (!open()) return false;
        filled = fill();
        if (filled == Filled::Abandoned) return false;
        CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, kBuildsKey, name, filled == Filled::Incomplete ? 1 : 0);
        return true;
    });
    if (committed) return TRUE;
    // What the undone transaction created is gone: open what is there now.
    Close();
    open();
    // A build that the work itself gave up (the program ending) is no fault of the storage.
    if (tellFault && (filled != Filled::Abandoned || watch.Faulted())) ReportStorageFault();
    return FALSE;
}
