#pragma once
// The framework's object-store classes: a property (CCeDBProp), a record as an ordered list of
// properties (CCeDBRecord) and an open database with its cursor (CCeDBDatabase), over the
// device's object-store calls.
//
// Cursor and end flag. CCeDBDatabase keeps the end flag itself: a seek that finds no record sets
// it, one that finds a record clears it. With m_bAutoSeekNext set, reading the current record
// moves the cursor on to the next one; when the record read was the last, the end flag is set.
// Only string properties are stored by the device, so CCeDBProp holds text values.

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"
#include "platform/framework/Object.h"
#include "platform/system/ObjectStore.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CCeDBProp {
public:
    enum {
        Type_String = CEVT_LPWSTR,
    };
    enum {
        Sort_Ascending = 0,
        Sort_Descending = CEDB_SORT_DESCENDING,
        Sort_CaseInsensitive = CEDB_SORT_CASEINSENSITIVE,
        Sort_UnknownFirst = CEDB_SORT_UNKNOWNFIRST,
    };

    CCeDBProp() = default;
    // A string property with identifier wId.
    CCeDBProp(LPCWSTR pwszValue, WORD wId, WORD wFlags = 0);
    CCeDBProp(const CString& value, WORD wId, WORD wFlags = 0);
    // A copy of a property as the device returns it (the text is copied).
    explicit CCeDBProp(const CEPROPVAL& value);

    WORD GetID() const { return m_wId; }
    WORD GetType() const { return static_cast<WORD>(Type_String); }
    WORD GetFlags() const { return m_wFlags; }
    CEPROPID GetPropID() const { return MAKELONG(Type_String, m_wId); }
    // The text; "" for a property the record did not hold (CEDB_PROPNOTFOUND).
    LPCWSTR GetString() const { return m_text.c_str(); }
    BOOL IsFound() const { return (m_wFlags & CEDB_PROPNOTFOUND) == 0; }

    void SetID(WORD wId) { m_wId = wId; }
    void SetFlags(WORD wFlags) { m_wFlags = wFlags; }
    void SetString(LPCWSTR pwszValue) { m_text = pwszValue ? pwszValue : L""; }

    // The device form; points into this object, valid while it lives unchanged.
    CEPROPVAL AsPropVal() const;

private:
    WORD m_wId = 0;
    WORD m_wFlags = 0;
    std::wstring m_text;
};

class CCeDBRecord {
public:
    CCeDBRecord() = default;

    // Appends a copy of the property.
    void AddProp(const CCeDBProp& prop) { m_props.push_back(prop); }
    // Replaces the whole list.
    void SetProps(const CEPROPVAL* pValues, WORD wCount);
    void DeleteAllProps() { m_props.clear(); }

    WORD GetNumProps() const { return static_cast<WORD>(m_props.size()); }
    // The property at a position of the list, or null past its end.
    CCeDBProp* GetPropFromIndex(int nIndex);
    const CCeDBProp* GetPropFromIndex(int nIndex) const;
    // The first property with that identifier that the record holds, or null.
    CCeDBProp* GetPropFromIdent(WORD wId);
    const CCeDBProp* GetPropFromIdent(WORD wId) const;

private:
    std::vector<CCeDBProp> m_props;
};

class CCeDBDatabase : public CObject {
public:
    CCeDBDatabase() = default;
    ~CCeDBDatabase() override;
    CCeDBDatabase(const CCeDBDatabase&) = delete;
    CCeDBDatabase& operator=(const CCeDBDatabase&) = delete;

    // Creates a database with one sort order per entry of pSortSpecs (up to four). FALSE when it
    // cannot be created, among others when the name is taken.
    BOOL Create(LPCWSTR pwszName, DWORD dwType = 0, WORD wNumSortOrders = 0,
                SORTORDERSPEC* pSortSpecs = nullptr);
    // Opens by name, traversed in the first sort order, or in the sort order of pSortProp's
    // identifier (a string property). Closes whatever was open first.
    BOOL Open(LPCWSTR pwszName, const CCeDBProp* pSortProp = nullptr);
    BOOL Open(CEOID oid, const CCeDBProp* pSortProp = nullptr);
    void Close();
    BOOL IsOpen() const { return m_hDatabase != INVALID_HANDLE_VALUE; }
    // Deletes the open database (closing it first).
    BOOL Delete();
    // Deletes a database by name; FALSE when there is none.
    static BOOL Delete(LPCWSTR pwszName);
    static BOOL Exists(LPCWSTR pwszName);

    CEOID GetObjectId() const { return m_oid; }
    // From the device's information on the database; 0 / "" when closed or deleted.
    DWORD GetRecordCount() const;
    WORD GetNumSortOrders() const;
    DWORD GetDatabaseType() const;
    CString GetName() const;
    BOOL GetLastModified(FILETIME& ft) const;
    // Sets the last-modified time; it stays so until the next record write.
    BOOL SetLastModified(const FILETIME& ft);

    // Seeks: TRUE with the cursor on the record found; FALSE sets the end flag.
    BOOL SeekFirst();
    BOOL SeekLast();
    BOOL SeekNext();
    BOOL SeekPrev();
    BOOL SeekToIndex(DWORD dwIndex);
    // First record, from the start of the traversal order, whose sort property equals the value
    // (under the order's case rule); works only on the property of the current sort order.
    BOOL SeekValueFirstEqual(const CCeDBProp& value);
    BOOL IsEOF() const { return m_bEOF; }
    // The index of the cursor's place in the traversal order.
    DWORD GetCurrIndex() const;

    // Reads every property of the record under the cursor into rec. With m_bAutoSeekNext the
    // cursor then moves on (end flag set when the record was the last).
    BOOL ReadCurrRecord(CCeDBRecord& rec);
    // The same for only the properties listed, in that order; one the record lacks comes back
    // marked not found (IsFound false).
    BOOL ReadCurrProps(CCeDBRecord& rec, const WORD* pIds, WORD wCount);
    // Adds rec as a new record; the cursor does not move.
    BOOL AddRecord(const CCeDBRecord& rec);
    // Writes rec's properties into the record under the cursor (existing ones keep their
    // place, new ones are appended).
    BOOL WriteCurrRecord(const CCeDBRecord& rec);
    BOOL DeleteCurrRecord();

    // Reading advances the cursor (the device's auto-increment).
    BOOL m_bAutoSeekNext = FALSE;

    // Runs fn with every database call it makes, through any object, joined in one transaction
    // of the device store: much cheaper than one transaction per call, and other device
    // processes see all of it or none of it. Only this thread may use the store meanwhile.
    // False when the work was undone because the transaction could not be committed; when no
    // transaction can be had, fn runs with a transaction per call.
    static BOOL InOneTransaction(BOOL bWrite, const std::function<void()>& fn);
    // Runs fn in one write transaction of the device store, which holds the registry as well as
    // the databases: every database and registry write fn makes lands at once, or, when fn
    // returns false, the storage fails anywhere in it or the commit fails, none of them does.
    // True when committed; FALSE, without running fn, when the device's store cannot be had. A
    // change made of several writes (a store import and its completion mark, a record replaced
    // and the settings that name it) uses it so that a program killed half-way leaves the whole
    // change or none of it.
    static BOOL AllOrNothing(const std::function<bool()>& fn);
    // How many storage faults (a full device, an I/O error) this process met so far: a write
    // that failed while the number moved failed for want of storage, not for its own reasons.
    static ULONGLONG StorageFaultCount();

private:
    BOOL Seek(DWORD dwSeekType, DWORD_PTR dwValue);
    BOOL Info(CEOIDINFO& info) const;
    void Forget(); // the cursor's index is no longer known
    BOOL Read(CCeDBRecord& rec, CEPROPID* pIds, WORD wCount);

    HANDLE m_hDatabase = INVALID_HANDLE_VALUE;
    CEOID m_oid = 0;
    CEOID m_oidCurrent = 0; // record under the cursor after the last seek, 0 when none
    BOOL m_bEOF = TRUE;
    // The cursor's index as the last seek found it, valid while the device store has not been
    // written since (its generation number is unchanged) and this object wrote nothing.
    DWORD m_dwIndex = 0;
    uint64_t m_indexGeneration = 0;
    uint64_t m_indexRollbacks = 0; // a rolled-back transaction undoes what the seek saw
    bool m_indexKnown = false;
    // The buffer reads are made into, kept from one read to the next.
    LPBYTE m_readBuffer = nullptr;
    DWORD m_readSize = 0;
};
