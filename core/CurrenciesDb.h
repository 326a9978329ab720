#pragma once
// CCurrenciesDb: currencies and their exchange rates, the object-store database jrvCurrencies.
// One record (CurrencyRecord) per currency, its properties written in this order (the Today
// plug-in reads positions 1 and 2):
//   402 the name (the key; the first sort order, letter case ignored), 401 the code the rate
//   server knows it by, 403 the rate as decimal text.
// The database's last-modified time is the date of the last rate update (zero: never).
// Opening a missing or empty store builds it from the owner's currency list, then tells every
// top-level window of the device (the Today screen among them) to reload.

#include "core/RecordDatabase.h"

constexpr LPCWSTR kCurrenciesDbName = L"jrvCurrencies";
constexpr DWORD kCurrenciesDbType = 98765;
constexpr WORD kCurrencyPropName = 402;
constexpr WORD kCurrencyPropCode = 401;
constexpr WORD kCurrencyPropRate = 403;
// wParam of the WM_SETTINGCHANGE sent after the store was built.
constexpr WPARAM kCurrencyStoreBuiltSetting = 0xF2;

// One line of currs.lst, read by the main window.
struct CurrencyListEntry {
    CString code;
    CString name;
    CString rate;
};

class CCurrenciesDb {
public:
    CCurrenciesDb() = default;
    virtual ~CCurrenciesDb() = default;

    // The owner's list, used only when Open has to build the store; neither copied nor freed.
    void SetCurrencyList(CurrencyListEntry* const* entries, int count) {
        m_list = entries;
        m_listCount = count;
    }

    // Opens jrvCurrencies; builds it from the currency list when it is missing or empty.
    void Open();
    // The last Open built the store from the currency list.
    bool WasBuilt() const { return m_built; }

    // False when the name is stored already in any letter case, or the write fails.
    BOOL AddCurrency(LPCWSTR name, LPCWSTR code, LPCWSTR rate);
    BOOL FindByName(LPCWSTR name);
    // Rewrites name, code and rate of the currency of that name; nothing when it is not stored.
    void UpdateRate(LPCWSTR name, LPCWSTR code, LPCWSTR rate);

    WORD GetRecordCount() { return m_db.GetRecordCount(); }
    void SeekFirst() { m_db.SeekFirst(); }
    BOOL IsEOF() { return m_db.IsEOF(); }
    DWORD GetCurrentIndex() { return m_db.GetCurrentIndex(); }
    CString GetName(DWORD index);
    CString GetCode(DWORD index);
    CString GetRate(DWORD index);
    FILETIME GetLastModified() { return m_db.GetLastModified(); }

private:
    CRecordDatabase m_db;
    CurrencyListEntry* const* m_list = nullptr;
    int m_listCount = 0;
    bool m_built = false;
};
