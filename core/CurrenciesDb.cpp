#include "core/CurrenciesDb.h"

#include "platform/ui/Broadcast.h"

namespace {

const WORD kCurrencyIdents[CRecordDatabase::kMaxProps] = {kCurrencyPropName, kCurrencyPropCode,
                                                          kCurrencyPropRate, 0};

} // namespace

void CCurrenciesDb::Open() {
    m_built = false;
    if (m_db.OpenBuilt(kCurrenciesDbName)) return;
    m_built = true;
    // The store, its currencies and its time stamp are kept together or not at all.
    const BOOL stored = m_db.Build(kCurrenciesDbName, kCurrenciesDbType, 3, kCurrencyIdents, 2, 0, [&] {
        for (int i = 0; m_list && i < m_listCount; ++i) {
            const CurrencyListEntry* entry = m_list[i];
            if (entry) AddCurrency(entry->name, entry->code, entry->rate);
        }
        m_db.SetLastModified(FILETIME{}); // no rate downloaded yet
        return m_db.GetRecordCount() > 0 ? CRecordDatabase::Filled::Complete
                                         : CRecordDatabase::Filled::Incomplete;
    });
    if (!stored) {
        m_built = false;
        return;
    }
    // Sent, not posted: the Today screen has reloaded before Open returns. Each other process
    // gets a bounded time, so a hung one cannot hold the program.
    device::ui::BroadcastMessage(WM_SETTINGCHANGE, kCurrencyStoreBuiltSetting, 0,
                                 device::ui::BroadcastKind::Send, device::ui::kBroadcastSendTimeoutMs);
}

BOOL CCurrenciesDb::AddCurrency(LPCWSTR name, LPCWSTR code, LPCWSTR rate) {
    const CString texts[CRecordDatabase::kMaxProps] = {name, code, rate, CString()};
    return m_db.AddRecord(kCurrencyIdents, texts, 0);
}

BOOL CCurrenciesDb::FindByName(LPCWSTR name) {
    return m_db.FindByKey(kCurrencyIdents, name, 0);
}

void CCurrenciesDb::UpdateRate(LPCWSTR name, LPCWSTR code, LPCWSTR rate) {
    if (!FindByName(name)) return;
    const CString texts[CRecordDatabase::kMaxProps] = {name, code, rate, CString()};
    m_db.UpdateAt(m_db.GetCurrentIndex(), kCurrencyIdents, texts, TRUE);
}

CString CCurrenciesDb::GetName(DWORD index) {
    return m_db.ReadStringAt(index, kCurrencyPropName);
}

CString CCurrenciesDb::GetCode(DWORD index) {
    return m_db.ReadStringAt(index, kCurrencyPropCode);
}

CString CCurrenciesDb::GetRate(DWORD index) {
    return m_db.ReadStringAt(index, kCurrencyPropRate);
}
