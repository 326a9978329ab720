#include "platform/framework/CeDb.h"

#include "platform/system/DeviceDb.h"

#include <cstring>

// ---- CCeDBProp ----

CCeDBProp::CCeDBProp(LPCWSTR pwszValue, WORD wId, WORD wFlags)
    : m_wId(wId), m_wFlags(wFlags), m_text(pwszValue ? pwszValue : L"") {}

CCeDBProp::CCeDBProp(const CString& value, WORD wId, WORD wFlags)
    : m_wId(wId), m_wFlags(wFlags), m_text(static_cast<LPCWSTR>(value)) {}

CCeDBProp::CCeDBProp(const CEPROPVAL& value)
    : m_wId(static_cast<WORD>(PropIdFromPropID(value.propid))), m_wFlags(value.wFlags) {
    // Only strings are ever stored; anything else (or a missing property) reads as "".
    if (!(value.wFlags & CEDB_PROPNOTFOUND) && TypeFromPropID(value.propid) == CEVT_LPWSTR &&
        value.val.lpwstr)
        m_text = value.val.lpwstr;
}

CEPROPVAL CCeDBProp::AsPropVal() const {
    CEPROPVAL v;
    std::memset(&v, 0, sizeof(v));
    v.propid = GetPropID();
    v.wFlags = m_wFlags;
    v.val.lpwstr = const_cast<LPWSTR>(m_text.c_str());
    return v;
}

// ---- CCeDBRecord ----

void CCeDBRecord::SetProps(const CEPROPVAL* pValues, WORD wCount) {
    m_props.clear();
    if (!pValues) return;
    m_props.reserve(wCount);
    for (WORD i = 0; i < wCount; ++i)
        m_props.emplace_back(pValues[i]);
}

CCeDBProp* CCeDBRecord::GetPropFromIndex(int nIndex) {
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_props.size()) return nullptr;
    return &m_props[static_cast<size_t>(nIndex)];
}

const CCeDBProp* CCeDBRecord::GetPropFromIndex(int nIndex) const {
    return const_cast<CCeDBRecord*>(this)->GetPropFromIndex(nIndex);
}

CCeDBProp* CCeDBRecord::GetPropFromIdent(WORD wId) {
    for (CCeDBProp& p : m_props)
        if (p.GetID() == wId && p.IsFound()) return &p;
    return nullptr;
}

const CCeDBProp* CCeDBRecord::GetPropFromIdent(WORD wId) const {
    return const_cast<CCeDBRecord*>(this)->GetPropFromIdent(wId);
}

// ---- CCeDBDatabase ----

CCeDBDatabase::~CCeDBDatabase() {
    Close();
    LocalFree(m_readBuffer);
}

BOOL CCeDBDatabase::Create(LPCWSTR pwszName, DWORD dwType, WORD wNumSortOrders, SORTORDERSPEC* pSortSpecs) {
    if (!pwszName || wNumSortOrders > CEDB_MAXSORTORDER || (wNumSortOrders > 0 && !pSortSpecs)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return CeCreateDatabase(pwszName, dwType, wNumSortOrders, pSortSpecs) != 0;
}

BOOL CCeDBDatabase::Open(LPCWSTR pwszName, const CCeDBProp* pSortProp) {
    Close();
    if (!pwszName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CEOID oid = 0;
    HANDLE h = CeOpenDatabase(&oid, pwszName, pSortProp ? pSortProp->GetPropID() : 0, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FALSE;
    m_hDatabase = h;
    m_oid = oid;
    m_bEOF = FALSE;
    return TRUE;
}

BOOL CCeDBDatabase::Open(CEOID oid, const CCeDBProp* pSortProp) {
    Close();
    CEOID id = oid;
    HANDLE h = CeOpenDatabase(&id, nullptr, pSortProp ? pSortProp->GetPropID() : 0, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FALSE;
    m_hDatabase = h;
    m_oid = oid;
    m_bEOF = FALSE;
    return TRUE;
}

void CCeDBDatabase::Close() {
    if (m_hDatabase != INVALID_HANDLE_VALUE) device::CloseObjectStoreHandle(m_hDatabase);
    m_hDatabase = INVALID_HANDLE_VALUE;
    m_oid = 0;
    m_oidCurrent = 0;
    m_bEOF = TRUE;
    Forget();
}

BOOL CCeDBDatabase::Delete() {
    if (!IsOpen()) return FALSE;
    CEOID oid = m_oid;
    Close();
    return CeDeleteDatabase(oid);
}

BOOL CCeDBDatabase::Delete(LPCWSTR pwszName) {
    CCeDBDatabase db;
    return db.Open(pwszName) && db.Delete();
}

BOOL CCeDBDatabase::Exists(LPCWSTR pwszName) {
    CCeDBDatabase db;
    return db.Open(pwszName);
}

BOOL CCeDBDatabase::Info(CEOIDINFO& info) const {
    if (!IsOpen()) return FALSE;
    std::memset(&info, 0, sizeof(info));
    return CeOidGetInfo(m_oid, &info) && info.wObjType == OBJTYPE_DATABASE;
}

DWORD CCeDBDatabase::GetRecordCount() const {
    CEOIDINFO info;
    return Info(info) ? info.infDatabase.wNumRecords : 0;
}

WORD CCeDBDatabase::GetNumSortOrders() const {
    CEOIDINFO info;
    return Info(info) ? info.infDatabase.wNumSortOrder : 0;
}

DWORD CCeDBDatabase::GetDatabaseType() const {
    CEOIDINFO info;
    return Info(info) ? info.infDatabase.dwDbaseType : 0;
}

CString CCeDBDatabase::GetName() const {
    CEOIDINFO info;
    return Info(info) ? CString(info.infDatabase.szDbaseName) : CString();
}

BOOL CCeDBDatabase::GetLastModified(FILETIME& ft) const {
    CEOIDINFO info;
    if (!Info(info)) {
        ft = FILETIME{};
        return FALSE;
    }
    ft = info.infDatabase.ftLastModified;
    return TRUE;
}

BOOL CCeDBDatabase::SetLastModified(const FILETIME& ft) {
    if (!IsOpen()) return FALSE;
    CEDBASEINFO info;
    std::memset(&info, 0, sizeof(info));
    info.dwFlags = CEDB_VALIDMODTIME;
    info.ftLastModified = ft;
    return CeSetDatabaseInfo(m_oid, &info);
}

namespace {

uint64_t StoreGeneration() {
    device::DeviceDb* db = device::DeviceDb::Get();
    return db ? db->Generation() : 0;
}

uint64_t StoreRollbacks() {
    device::DeviceDb* db = device::DeviceDb::Get();
    return db ? db->Rollbacks() : 0;
}

} // namespace

BOOL CCeDBDatabase::InOneTransaction(BOOL bWrite, const std::function<void()>& fn) {
    device::DeviceDb* db = device::DeviceDb::Get();
    bool ran = false;
    auto body = [&](sqlite3*) {
        ran = true;
        fn();
        return true;
    };
    bool committed = db && (bWrite ? db->Write(body) : db->Read(body));
    if (!ran) fn();
    return committed || !ran;
}

BOOL CCeDBDatabase::AllOrNothing(const std::function<bool()>& fn) {
    device::DeviceDb* db = device::DeviceDb::Get();
    // Without the device store nothing can be written at all: fn does not run.
    if (!db) return FALSE;
    if (db->InOpenTransaction()) {
        // Joined to a transaction the caller already has open: a false return must undo what
        // fn wrote, which only the outer transaction can do, so it is made to fail.
        bool ok = fn();
        if (!ok) db->BeforeCommit([](sqlite3*) { return false; });
        return ok;
    }
    return db->Write([&](sqlite3*) { return fn(); }) ? TRUE : FALSE;
}

ULONGLONG CCeDBDatabase::StorageFaultCount() {
    device::DeviceDb* db = device::DeviceDb::Get();
    return db ? db->StorageFaults() : 0;
}

void CCeDBDatabase::Forget() {
    m_indexKnown = false;
}

BOOL CCeDBDatabase::Seek(DWORD dwSeekType, DWORD_PTR dwValue) {
    if (!IsOpen()) {
        m_bEOF = TRUE;
        return FALSE;
    }
    // The generation is taken first: a write landing during the seek makes the index stale.
    const uint64_t generation = StoreGeneration();
    const uint64_t rollbacks = StoreRollbacks();
    DWORD index = 0;
    m_oidCurrent = CeSeekDatabase(m_hDatabase, dwSeekType, dwValue, &index);
    m_bEOF = m_oidCurrent == 0;
    m_indexKnown = !m_bEOF;
    m_dwIndex = index;
    m_indexGeneration = generation;
    m_indexRollbacks = rollbacks;
    return !m_bEOF;
}

BOOL CCeDBDatabase::SeekFirst() {
    return Seek(CEDB_SEEK_BEGINNING, 0);
}

BOOL CCeDBDatabase::SeekLast() {
    return Seek(CEDB_SEEK_END, 0);
}

BOOL CCeDBDatabase::SeekNext() {
    return Seek(CEDB_SEEK_CURRENT, 1);
}

BOOL CCeDBDatabase::SeekPrev() {
    return Seek(CEDB_SEEK_CURRENT, static_cast<DWORD>(-1));
}

BOOL CCeDBDatabase::SeekToIndex(DWORD dwIndex) {
    return Seek(CEDB_SEEK_BEGINNING, dwIndex);
}

BOOL CCeDBDatabase::SeekValueFirstEqual(const CCeDBProp& value) {
    CEPROPVAL v = value.AsPropVal();
    return Seek(CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&v));
}

DWORD CCeDBDatabase::GetCurrIndex() const {
    if (!IsOpen()) return 0;
    // Writes through other handles shift the index: unless nothing was written since the
    // last seek, the device is asked.
    if (m_indexKnown && m_indexGeneration == StoreGeneration() && m_indexRollbacks == StoreRollbacks())
        return m_dwIndex;
    DWORD index = 0;
    if (!m_bEOF && CeSeekDatabase(m_hDatabase, CEDB_SEEK_CURRENT, 0, &index)) return index;
    return GetRecordCount();
}

BOOL CCeDBDatabase::ReadCurrRecord(CCeDBRecord& rec) {
    return Read(rec, nullptr, 0);
}

BOOL CCeDBDatabase::ReadCurrProps(CCeDBRecord& rec, const WORD* pIds, WORD wCount) {
    if (!pIds || wCount == 0) {
        rec.DeleteAllProps();
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CEPROPID few[8];
    std::vector<CEPROPID> many;
    CEPROPID* ids = few;
    if (wCount > 8) {
        many.resize(wCount);
        ids = many.data();
    }
    for (WORD i = 0; i < wCount; ++i)
        ids[i] = MAKELONG(CCeDBProp::Type_String, pIds[i]);
    return Read(rec, ids, wCount);
}

BOOL CCeDBDatabase::Read(CCeDBRecord& rec, CEPROPID* pIds, WORD wCount) {
    rec.DeleteAllProps();
    if (!IsOpen() || m_bEOF) return FALSE;
    WORD count = wCount;
    CEOID oid = CeReadRecordProps(m_hDatabase, CEDB_ALLOWREALLOC, &count, pIds, &m_readBuffer, &m_readSize);
    if (oid) rec.SetProps(reinterpret_cast<const CEPROPVAL*>(m_readBuffer), count);
    if (!oid) {
        m_bEOF = TRUE;
        m_oidCurrent = 0;
        return FALSE;
    }
    if (m_bAutoSeekNext) SeekNext(); // sets the end flag after the last record
    m_oidCurrent = oid;              // the record read stays the one writes go to
    return TRUE;
}

BOOL CCeDBDatabase::AddRecord(const CCeDBRecord& rec) {
    if (!IsOpen()) return FALSE;
    std::vector<CEPROPVAL> values;
    values.reserve(rec.GetNumProps());
    for (int i = 0; i < rec.GetNumProps(); ++i)
        values.push_back(rec.GetPropFromIndex(i)->AsPropVal());
    Forget();
    return CeWriteRecordProps(m_hDatabase, 0, static_cast<WORD>(values.size()), values.data()) != 0;
}

BOOL CCeDBDatabase::WriteCurrRecord(const CCeDBRecord& rec) {
    if (!IsOpen() || !m_oidCurrent) return FALSE;
    std::vector<CEPROPVAL> values;
    values.reserve(rec.GetNumProps());
    for (int i = 0; i < rec.GetNumProps(); ++i)
        values.push_back(rec.GetPropFromIndex(i)->AsPropVal());
    Forget();
    return CeWriteRecordProps(m_hDatabase, m_oidCurrent, static_cast<WORD>(values.size()), values.data()) !=
           0;
}

BOOL CCeDBDatabase::DeleteCurrRecord() {
    if (!IsOpen() || !m_oidCurrent) return FALSE;
    Forget();
    if (!CeDeleteRecord(m_hDatabase, m_oidCurrent)) return FALSE;
    m_oidCurrent = 0;
    return TRUE;
}
