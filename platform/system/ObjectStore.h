#pragma once
// The device's object-store databases: named databases of records, each record an ordered list
// of properties, traversed through handles in one of the database's sort orders. Kept in
// device.db and shared by every device process (the program, the Today plug-in, the setup
// library), so everything below is identical in every process.
//
// Properties: only strings (CEVT_LPWSTR) are stored; a property of any other type is refused
// with ERROR_NOT_SUPPORTED. A record keeps its properties in the order they were first written:
// rewriting a property keeps its place, a new one goes to the end, CEDB_PROPDELETE removes one.
//
// Collation (the program and the Today plug-in index the same databases by position, so this is
// part of the stored format):
//   - a case-sensitive sort order compares the strings by UTF-16 code unit, as the device does
//     (the same as code point order except that U+E000..U+FFFF sort after the characters beyond
//     U+FFFF);
//   - a CEDB_SORT_CASEINSENSITIVE order compares the same way after lower-casing every character
//     with device::ToLowerChar (simple one-to-one casing);
//   - CEDB_SORT_DESCENDING reverses the comparison of values;
//   - records lacking the sort property come after all others (before them with
//     CEDB_SORT_UNKNOWNFIRST);
//   - records with equal keys keep their creation order (ascending object id; ids only grow).
//   A database created without sort orders is traversed in creation order.
//
// Handles and cursors. A handle (CeOpenDatabase*) belongs to this process and is closed with
// device::CloseObjectStoreHandle (CloseHandle). Its cursor is a place in the handle's traversal
// order, remembered by the sort key and object id of a record:
//   - right after opening, the cursor is before the first record (the first record is current);
//   - a successful seek puts it ON the record found;
//   - a read with CEDB_AUTOINCREMENT puts it JUST AFTER the record read, so the current record
//     is the one that follows it at the time of the next call;
//   - a failed seek or read puts it past the end, where it stays until the next absolute seek.
// Every seek and read first looks at the database as it now is, so writes and deletes made
// through other handles, in this process or another, are seen at once. They never move the
// cursor's place: a cursor ON a record follows it (its index changes when records are added or
// removed before it, or when its key is rewritten); when that record is deleted the cursor is
// on the record that followed it. The "current index" is the number of records before the
// cursor's place, as the database now is.
//
// Buffers returned with CEDB_ALLOWREALLOC come from LocalAlloc/LocalReAlloc and are freed by
// the caller with LocalFree.
//
// Failures return 0 / FALSE / INVALID_HANDLE_VALUE and set GetLastError:
//   ERROR_INVALID_PARAMETER   bad arguments, a name that is empty or longer than
//                             CEDB_MAXDBASENAMELEN - 1 characters, an unknown object id,
//                             a value seek on a property other than the sort property
//   ERROR_INVALID_HANDLE      not an open database handle, or its database was deleted
//   ERROR_FILE_NOT_FOUND      no database of that name
//   ERROR_ALREADY_EXISTS      creating a database whose name is taken (nothing is changed)
//   ERROR_NOT_SUPPORTED       a property type other than CEVT_LPWSTR, an unsupported seek or
//                             sort flag, a heap other than the process heap
//   ERROR_NO_MORE_ITEMS       no record at the place sought or read; the end of an enumeration
//   ERROR_INSUFFICIENT_BUFFER a read buffer too small (its needed size is returned)
//   ERROR_NOT_ENOUGH_MEMORY   an allocation failed
//   ERROR_BADDB               device.db cannot be used

#include "platform/base/WinTypes.h"

// ---- Constants ----

#define CEDB_MAXDBASENAMELEN 32
#define CEDB_MAXSORTORDER 4
#define CEDB_MAXSORTPROP 3

// Property types (the low word of a CEPROPID).
#define CEVT_I2 2
#define CEVT_I4 3
#define CEVT_R8 5
#define CEVT_BOOL 11
#define CEVT_UI2 18
#define CEVT_UI4 19
#define CEVT_LPWSTR 31
#define CEVT_FILETIME 64
#define CEVT_BLOB 65

#define TypeFromPropID(propid) LOWORD(propid)
#define PropIdFromPropID(propid) HIWORD(propid)

// Sort order flags.
#define CEDB_SORT_DESCENDING 0x00000001u
#define CEDB_SORT_CASEINSENSITIVE 0x00000002u
#define CEDB_SORT_UNKNOWNFIRST 0x00000004u
#define CEDB_SORT_GENERICORDER 0x00000008u
#define CEDB_SORT_IGNORENONSPACE 0x00000010u
#define CEDB_SORT_IGNORESYMBOLS 0x00000020u
#define CEDB_SORT_IGNOREKANATYPE 0x00000040u
#define CEDB_SORT_IGNOREWIDTH 0x00000080u
#define CEDB_SORT_STRINGSORT 0x00000100u
#define CEDB_SORT_UNIQUE 0x00000200u
#define CEDB_SORT_NONNULL 0x00000400u

// Which fields of a CEDBASEINFO(EX) are meant.
#define CEDB_VALIDNAME 0x0001u
#define CEDB_VALIDTYPE 0x0002u
#define CEDB_VALIDSORTSPEC 0x0004u
#define CEDB_VALIDMODTIME 0x0008u
#define CEDB_VALIDDBFLAGS 0x0010u
#define CEDB_VALIDCREATE (CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC | CEDB_VALIDDBFLAGS)
#define CEDB_NOCOMPRESS 0x00010000u
#define CEDB_SYSTEMDB 0x00000002u

// Open flags.
#define CEDB_AUTOINCREMENT 0x00000001u

// Seek types.
#define CEDB_SEEK_CEOID 0x00000001u
#define CEDB_SEEK_BEGINNING 0x00000002u
#define CEDB_SEEK_END 0x00000004u
#define CEDB_SEEK_CURRENT 0x00000008u
#define CEDB_SEEK_VALUESMALLER 0x00000010u
#define CEDB_SEEK_VALUEFIRSTEQUAL 0x00000020u
#define CEDB_SEEK_VALUEGREATER 0x00000040u
#define CEDB_SEEK_VALUENEXTEQUAL 0x00000080u

// Read flags.
#define CEDB_ALLOWREALLOC 0x00000001u

// Property flags (CEPROPVAL::wFlags).
#define CEDB_PROPNOTFOUND 0x0100u
#define CEDB_PROPDELETE 0x0200u

// Object types (CEOIDINFO::wObjType).
#define OBJTYPE_INVALID 0
#define OBJTYPE_FILE 1
#define OBJTYPE_DIRECTORY 2
#define OBJTYPE_DATABASE 3
#define OBJTYPE_RECORD 4

#define SORTORDERSPECEX_VERSION 1
#define CEDBASEINFOEX_VERSION 1

// Local memory flags.
#define LMEM_FIXED 0x0000u
#define LMEM_MOVEABLE 0x0002u
#define LMEM_ZEROINIT 0x0040u
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

// ---- Structures ----

typedef HANDLE HLOCAL;
typedef CEOID* PCEOID;

// The volume a call works on. Only the object store itself exists: pass a null pointer or a
// volume made by CREATE_SYSTEMGUID.
struct CEGUID {
    DWORD Data1;
    DWORD Data2;
    DWORD Data3;
    DWORD Data4;
};
typedef CEGUID* PCEGUID;
#define CREATE_SYSTEMGUID(p) ((p)->Data1 = (p)->Data2 = (p)->Data3 = (p)->Data4 = 0xFFFFFFFFu)
#define CREATE_INVALIDGUID(p) ((p)->Data1 = (p)->Data2 = (p)->Data3 = (p)->Data4 = 0u)

struct CEBLOB {
    DWORD dwCount;
    LPBYTE lpb;
};

union CEVALUNION {
    SHORT iVal;
    USHORT uiVal;
    LONG lVal;
    ULONG ulVal;
    FILETIME filetime;
    LPWSTR lpwstr;
    CEBLOB blob;
    BOOL boolVal;
    double dblVal;
};

struct CEPROPVAL {
    CEPROPID propid; // MAKELONG(type, identifier)
    WORD wLenData;   // on reads: bytes of the string with its terminator (0 when over 65535)
    WORD wFlags;     // CEDB_PROPNOTFOUND on reads, CEDB_PROPDELETE on writes
    CEVALUNION val;
};
typedef CEPROPVAL* PCEPROPVAL;

struct SORTORDERSPEC {
    CEPROPID propid;
    DWORD dwFlags;
};

// A sort order of the extended calls; only one property per order is supported.
struct SORTORDERSPECEX {
    WORD wVersion;
    WORD wNumProps;
    WORD wKeyFlags;
    WORD wReserved;
    CEPROPID rgPropID[CEDB_MAXSORTPROP];
    DWORD rgdwFlags[CEDB_MAXSORTPROP];
};

struct CEDBASEINFO {
    DWORD dwFlags;
    WCHAR szDbaseName[CEDB_MAXDBASENAMELEN];
    DWORD dwDbaseType;
    WORD wNumRecords; // saturates at 65535
    WORD wNumSortOrder;
    DWORD dwSize; // bytes of the record texts, sizeof(WCHAR) per character with terminators
    FILETIME ftLastModified;
    SORTORDERSPEC rgSortSpecs[CEDB_MAXSORTORDER];
};
typedef CEDBASEINFO* PCEDBASEINFO;

struct CEDBASEINFOEX {
    WORD wVersion;
    WORD wNumSortOrder;
    DWORD dwFlags;
    WCHAR szDbaseName[CEDB_MAXDBASENAMELEN];
    DWORD dwDbaseType;
    DWORD dwNumRecords;
    DWORD dwSize;
    FILETIME ftLastModified;
    SORTORDERSPECEX rgSortSpecs[CEDB_MAXSORTORDER];
};
typedef CEDBASEINFOEX* PCEDBASEINFOEX;

struct CEFILEINFO {
    DWORD dwAttributes;
    CEOID oidParent;
    WCHAR szFileName[MAX_PATH];
    FILETIME ftLastChanged;
    DWORD dwLength;
};

struct CEDIRINFO {
    DWORD dwAttributes;
    CEOID oidParent;
    WCHAR szDirName[MAX_PATH];
};

struct CERECORDINFO {
    CEOID oidParent;
};

struct CEOIDINFO {
    WORD wObjType;
    WORD wPad;
    union {
        CEFILEINFO infFile;
        CEDIRINFO infDirectory;
        CEDBASEINFO infDatabase;
        CERECORDINFO infRecord;
    };
};

struct CEOIDINFOEX {
    WORD wVersion;
    WORD wObjType;
    union {
        CEFILEINFO infFile;
        CEDIRINFO infDirectory;
        CEDBASEINFOEX infDatabase;
        CERECORDINFO infRecord;
    };
};
#define CEOIDINFOEX_VERSION 1

// Change notifications are not posted; the request is accepted and ignored.
struct CENOTIFYREQUEST {
    DWORD dwSize;
    HWND hwnd;
    DWORD dwFlags;
    HANDLE hHeap;
    DWORD dwParam;
};

// ---- Local memory (the allocator of CEDB_ALLOWREALLOC buffers) ----

// Blocks are tracked, so a pointer that is not a live block is refused with
// ERROR_INVALID_HANDLE instead of corrupting the heap.
HLOCAL LocalAlloc(UINT uFlags, size_t uBytes);
// Grows or shrinks a block; with LMEM_ZEROINIT the added bytes are zero. The block may move
// whatever the flags say. A null block is allocated afresh.
HLOCAL LocalReAlloc(HLOCAL hMem, size_t uBytes, UINT uFlags);
// Null on success (and for null); the block itself when it is not a live block.
HLOCAL LocalFree(HLOCAL hMem);
// The block's size; 0 for anything else.
size_t LocalSize(HLOCAL hMem);

// ---- Databases ----

// Creates a database with wNumSortOrder (0 to 4) sort orders on string properties. Returns
// its object id, or 0.
CEOID CeCreateDatabase(LPCWSTR lpszName, DWORD dwDbaseType, WORD wNumSortOrder, SORTORDERSPEC* rgSortSpecs);
// pInfo->dwFlags tells which fields to use; CEDB_VALIDNAME is required. CEDB_VALIDMODTIME sets
// the first last-modified time (otherwise "now").
CEOID CeCreateDatabaseEx(PCEGUID pguid, CEDBASEINFO* pInfo);
CEOID CeCreateDatabaseEx2(PCEGUID pguid, CEDBASEINFOEX* pInfo);

// Opens by name (lpszName, then *poid receives the id) or by id (lpszName null, *poid given).
// propid 0 traverses the first sort order; otherwise the first sort order on that property
// (a property without a sort order fails with ERROR_INVALID_PARAMETER). INVALID_HANDLE_VALUE on
// failure.
HANDLE CeOpenDatabase(PCEOID poid, LPCWSTR lpszName, CEPROPID propid, DWORD dwFlags, HWND hwndNotify);
HANDLE CeOpenDatabaseEx(PCEGUID pguid, PCEOID poid, LPCWSTR lpszName, CEPROPID propid, DWORD dwFlags,
                        CENOTIFYREQUEST* pRequest);
// pSort null: the first sort order; otherwise one equal to a sort order of the database.
HANDLE CeOpenDatabaseEx2(PCEGUID pguid, PCEOID poid, LPCWSTR lpszName, SORTORDERSPECEX* pSort, DWORD dwFlags,
                         CENOTIFYREQUEST* pRequest);

// Moves the cursor; returns the object id of the record found (0 when none) and its index.
// dwValue: the index (CEDB_SEEK_BEGINNING), a signed offset (CEDB_SEEK_CURRENT), the number of
// records back from the last, sign ignored (CEDB_SEEK_END), a record id (CEDB_SEEK_CEOID) or a CEPROPVAL*
// (CEDB_SEEK_VALUEFIRSTEQUAL: the first record, from the start of the order, whose sort property
// equals the value under the order's case rule; VALUENEXTEQUAL: the record after the cursor when
// its value is equal; VALUESMALLER / VALUEGREATER: the nearest record below / above the value).
// It is pointer-sized so that a CEPROPVAL* fits.
CEOID CeSeekDatabase(HANDLE hDatabase, DWORD dwSeekType, DWORD_PTR dwValue, LPDWORD lpdwIndex);
CEOID CeSeekDatabaseEx(HANDLE hDatabase, DWORD dwSeekType, DWORD_PTR dwValue, WORD wNumVals,
                       LPDWORD lpdwIndex);

// Reads the record under the cursor: all its properties (rgPropID null; *lpcPropID receives
// their count) or the listed ones, in that order (a missing one comes back with
// CEDB_PROPNOTFOUND). The buffer holds the CEPROPVAL array followed by the strings it points
// to. Without CEDB_ALLOWREALLOC a buffer that is too small (or none) fails with
// ERROR_INSUFFICIENT_BUFFER, *lpcbBuffer receiving the size needed, and the cursor stays; with
// it the buffer is allocated or grown with LocalReAlloc and *lplpBuffer / *lpcbBuffer updated.
// Returns the record's id, or 0.
CEOID CeReadRecordProps(HANDLE hDbase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID* rgPropID,
                        LPBYTE* lplpBuffer, LPDWORD lpcbBuffer);
// hHeap must be null (the process heap).
CEOID CeReadRecordPropsEx(HANDLE hDbase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID* rgPropID,
                          LPBYTE* lplpBuffer, LPDWORD lpcbBuffer, HANDLE hHeap);

// oidRecord 0 adds a record of the given properties, in array order; otherwise sets the given
// properties of that record of this database. Returns the record's id, or 0 (nothing written).
// The database's last-modified time becomes the device's "now". The cursor is not moved.
CEOID CeWriteRecordProps(HANDLE hDbase, CEOID oidRecord, WORD cPropID, CEPROPVAL* rgPropVal);

// Deletes a record of the handle's database; its last-modified time becomes "now".
BOOL CeDeleteRecord(HANDLE hDatabase, CEOID oidRecord);

// Deletes a database and its records. Handles still open on it fail from then on with
// ERROR_INVALID_HANDLE.
BOOL CeDeleteDatabase(CEOID oid);
BOOL CeDeleteDatabaseEx(PCEGUID pguid, CEOID oid);

// Information on a database (OBJTYPE_DATABASE) or a record (OBJTYPE_RECORD, its database).
BOOL CeOidGetInfo(CEOID oid, CEOIDINFO* oidInfo);
BOOL CeOidGetInfoEx(PCEGUID pguid, CEOID oid, CEOIDINFO* oidInfo);
BOOL CeOidGetInfoEx2(PCEGUID pguid, CEOID oid, CEOIDINFOEX* oidInfo);

// Changes what pNewInfo->dwFlags names: the name (CEDB_VALIDNAME, must stay unique), the type,
// the sort orders (CEDB_VALIDSORTSPEC; open handles keep the order they were opened in) and the
// last-modified time (CEDB_VALIDMODTIME: it stays as set until the next record write).
BOOL CeSetDatabaseInfo(CEOID oidDbase, CEDBASEINFO* pNewInfo);
BOOL CeSetDatabaseInfoEx(PCEGUID pguid, CEOID oidDbase, CEDBASEINFO* pNewInfo);
BOOL CeSetDatabaseInfoEx2(PCEGUID pguid, CEOID oidDbase, CEDBASEINFOEX* pNewInfo);

// Enumerates the databases of a type (0: all) in creation order, as they were at the first
// call. The handle is closed with device::CloseObjectStoreHandle (CloseHandle).
HANDLE CeFindFirstDatabase(DWORD dwDbaseType);
HANDLE CeFindFirstDatabaseEx(PCEGUID pguid, DWORD dwDbaseType);
CEOID CeFindNextDatabase(HANDLE hEnum);
CEOID CeFindNextDatabaseEx(HANDLE hEnum, PCEGUID pguid);

namespace device {

// Closes a database or enumeration handle of this process; false (and nothing done) for a
// handle that is not one. CloseHandle calls it.
bool CloseObjectStoreHandle(HANDLE h);

} // namespace device
