// The Currencies page: the rate request, "Update All", storing a rate reply, and the label with
// the date of the last update.

#include "currency/CurrencyPanel.h"

#include "core/CoreMessages.h"
#include "core/FeedQuery.h"
#include "core/HttpExchange.h"
#include "core/StorageFaults.h"
#include "platform/framework/CeDb.h"
#include "platform/framework/WaitCursor.h"
#include "platform/system/DeviceTime.h"
#include "resources/resource.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The server address buffer holds at most this many characters.
constexpr int kServerChars = 511;

} // namespace

CString CCurrencyPanel::BuildCurrencyQuery() {
    m_strServer = ReadFeedServerUrl().Left(kServerChars);
    RECT area{};
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    return BuildFeedQuery(kFeedCurrencyRates, CString(), area.right - area.left, area.bottom - area.top);
}

CString CCurrencyPanel::UpdateWord() const {
    CString word;
    word.LoadString(UsesLongUpdateWord(m_nWidth, m_nHeight, m_nAvailable) ? IDS_CUR_LAST_UPDATE
                                                                          : IDS_CUR_UPDATE_SHORT);
    return word;
}

CString CCurrencyPanel::UpdateTail() {
    const FILETIME stamp = m_store.GetLastModified();
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    if (IsNeverUpdated(stamp, now.wYear)) {
        CString never;
        never.LoadString(IDS_CUR_NEVER);
        return never;
    }
    m_strUpdateDate = FormatUpdateDate(stamp);
    return m_strUpdateDate;
}

void CCurrencyPanel::SetUpdateLabel(const CString& tail) {
    m_strUpdateTail = tail;
    m_lastUpdate.SetWindowText(UpdateWord() + L" " + tail + L" ");
}

void CCurrencyPanel::FollowShapeInUpdateLabel() {
    if (m_strUpdateTail.IsEmpty() || !m_lastUpdate.m_hWnd) return;
    // The label word belongs to the shape: after a rotation the label takes the new one's word,
    // or a landscape page would keep the two-line portrait form with its date below the band.
    const CString text = UpdateWord() + L" " + m_strUpdateTail + L" ";
    CString shown;
    m_lastUpdate.GetWindowText(shown);
    if (shown != text) m_lastUpdate.SetWindowText(text);
}

void CCurrencyPanel::SetUpdateLabelAtStart() {
    SetUpdateLabel(UpdateTail());
}

void CCurrencyPanel::ShowLastUpdate() {
    if (!m_hWnd) return;
    m_strUpdateDate = FormatUpdateDate(m_store.GetLastModified());
    SetUpdateLabel(m_strUpdateDate);
    OnSelChangePair1();
}

void CCurrencyPanel::OnUpdateAll() {
    const CString before = FormatUpdateDate(m_store.GetLastModified());
    const CString query = BuildCurrencyQuery();
    CString reply;
    {
        CWaitCursor wait;
        reply = HttpExchange(m_strServer, query, m_hWnd);
    }
    // An empty reply follows the exchange's own message. Rates that are no valid number were
    // left out: the user is told which currencies kept their rate of before. A body without a
    // single valid rate of a listed currency (an HTML page, a cut body, nonsense) has updated
    // nothing: that is a failure too.
    std::vector<CString> rejected;
    CStorageWriteWatch watch;
    const bool stored = !reply.IsEmpty() && StoreRates(reply, &rejected);
    if (!rejected.empty()) ShowNamesMessage(m_hWnd, IDS_RATES_NOT_VALID, rejected);
    // Rates the storage could not take are said as such (the rates of before are kept): that
    // is no failure of the synchronisation.
    const bool storageFailed = watch.Done();
    if (!stored) {
        if (!storageFailed) ShowCoreMessage(IDS_SYNC_FAILED);
        return;
    }
    const CString after = FormatUpdateDate(m_store.GetLastModified());
    m_strUpdateDate = after;
    if (after != before) SetUpdateLabel(after);
}

bool CCurrencyPanel::StoreRates(const CString& reply, std::vector<CString>* rejected) {
    bool stored = false;
    {
        CWaitCursor wait;
        stored = StoreCurrencyReply(m_store, m_pCurrencyList, m_nCurrencyCount, reply, rejected);
    }
    OnSelChangePair1();
    return stored;
}

bool StoreCurrencyReply(CCurrenciesDb& store, CurrencyListEntry* const* list, int count, const CString& reply,
                        std::vector<CString>* rejected) {
    bool stored = false;
    std::vector<CString> invalid;     // names of currencies whose rates were all invalid
    std::vector<CString> written;     // names of currencies this reply has given a valid rate
    store.SeekFirst();
    const BOOL committed = CCeDBDatabase::InOneTransaction(TRUE, [&] {
        for (const CurrencyFeedRecord& record : ParseCurrencyFeedReply(reply)) {
            CString name;
            bool found = false;
            for (int i = 0; list && i < count; ++i) {
                const CurrencyListEntry* entry = list[i];
                if (entry && entry->code == record.code) {
                    name = entry->name;
                    found = true;
                }
            }
            if (!found || !store.FindByName(name)) continue;
            if (!IsValidRate(record.rate)) {
                if (std::find(written.begin(), written.end(), name) == written.end() &&
                    std::find(invalid.begin(), invalid.end(), name) == invalid.end())
                    invalid.push_back(name);
                continue;
            }
            // Each record rewrites its currency: of a code sent twice the last valid rate stays.
            store.UpdateRate(name, record.code, StoredRateText(record.rate));
            written.push_back(name);
            // A later valid rate makes up for an invalid one before it.
            invalid.erase(std::remove(invalid.begin(), invalid.end(), name), invalid.end());
            stored = true;
        }
    });
    if (rejected) *rejected = std::move(invalid);
    return stored && committed;
}
