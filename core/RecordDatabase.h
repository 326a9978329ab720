#pragma once
// CRecordDatabase: one object-store database whose records are short lists of string properties,
// each property also one of the database's sort orders. Records are addressed by their position
// ("index") in the order the database is open in, and properties by identifier.
//
// The Today plug-in reads these databases by record and property position and the setup library
// deletes them, so the sort orders, the traversal order and the order properties are written in
// are a stored format shared with them.

#include "platform/base/CString.h"
#include "platform/framework/CeDb.h"

#include <functional>

class CRecordDatabase {
public:
    // Identifier and text arrays hold this many entries; those past the property count are
    // ignored.
    static constexpr int kMaxProps = 4;

    CRecordDatabase();
    virtual ~CRecordDatabase();
    CRecordDatabase(const CRecordDatabase&) = delete;
    CRecordDatabase& operator=(const CRecordDatabase&) = delete;

    // Creates the database with one ascending sort order per listed identifier. Mode 0 and 1:
    // every order case-sensitive; mode 2: the first case-insensitive; any other mode creates
    // nothing. A database that already exists is left as it is; nothing is reported.
    void Create(LPCWSTR name, DWORD type, WORD sortOrderCount, const WORD idents[kMaxProps], int mode);
    // Opens traversed in the first sort order / in the sort order of that property. Both set the
    // property count from the database's number of sort orders and switch auto-advance on.
    BOOL Open(LPCWSTR name);
    BOOL OpenSorted(LPCWSTR name, WORD ident);
    void Close();

    WORD GetRecordCount();
    void SeekFirst();
    void SeekToIndex(DWORD index);
    // True after a seek or an advance found no record.
    BOOL IsEOF();
    DWORD GetCurrentIndex();
    int GetPropertyCount() const { return m_propertyCount; }

    // The property of the record at the index; "" when there is no such record or property.
    // The read advances the cursor past the record.
    CString ReadStringAt(DWORD index, WORD ident);
    // Cursor to the first record whose value equals text; only on the current sort property.
    BOOL SeekValue(WORD ident, LPCWSTR text);
    BOOL FindByKey(const WORD idents[kMaxProps], LPCWSTR text, int keyPos);
    // Adds a record of the first property-count entries, in array order, unless a record with
    // the same key is found (only found while open sorted on the key property). Afterwards the
    // cursor is on the first record whose first property equals the new one's.
    BOOL AddRecord(const WORD idents[kMaxProps], const CString texts[kMaxProps], int keyPos);
    // Rewrites the properties of the record at the index one by one, in array order, from
    // position 0 (includeKey) or 1. Nothing is written when there is no record there. True when
    // the record was rewritten.
    BOOL UpdateAt(DWORD index, const WORD idents[kMaxProps], const CString texts[kMaxProps], BOOL includeKey);
    BOOL DeleteByValue(WORD ident, LPCWSTR text);
    BOOL DeleteAt(DWORD index);

    void SetLastModified(FILETIME time);
    FILETIME GetLastModified();

    // What the work of a build came to.
    enum class Filled {
        Complete,   // the records are in: the database is built
        Incomplete, // nothing could be added (a missing or damaged list): kept, built again later
        Abandoned,  // given up (the program ending): undone
    };
    // Opens the database (in the first sort order, or sorted on sortIdent when not 0); true when
    // it is built: it holds records and no build of it is unfinished. A store whose build was
    // unfinished (its list yielded nothing, a place was added since) is built again.
    BOOL OpenBuilt(LPCWSTR name, WORD sortIdent = 0);
    // The open database holds records and no build of it is unfinished: it is whole. A store
    // whose list yielded nothing yet may hold places added since and still not be whole.
    BOOL IsBuilt(LPCWSTR name);
    // Builds a database that is not built yet, in one write transaction: creates it (as Create)
    // when it is missing, opens it and runs fill, which adds the records, and notes whether the
    // build is finished. All of it is kept only once it committed: when fill gives up, or the
    // storage fails anywhere in it (a full device), all of it is undone and the next opening
    // builds it again. A storage fault is reported (once per user action). The database is open
    // afterwards as far as it exists. True when the build was committed. tellFault false: the
    // caller tells of a storage fault itself.
    BOOL Build(LPCWSTR name, DWORD type, WORD sortOrderCount, const WORD idents[kMaxProps], int mode,
               WORD sortIdent, const std::function<Filled()>& fill, bool tellFault = true);

private:
    CCeDBDatabase m_db;
    int m_propertyCount = 0;
};
