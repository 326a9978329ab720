#pragma once
// CSyncDlg: the weather synchronisation dialog. Nothing is fetched until the user taps
// "Sync."; the exchange then runs with the status and caption telling how far it got, and the
// reply is written into the dialog's own weather store. The caller reads m_reply after the
// dialog has closed: empty when nothing was tried, "yes" after a successful synchronisation,
// "no" after a failed one.

#include "core/WeatherDb.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/Dlg.h"

#include <vector>

class CSyncDlg : public CDialog {
public:
    explicit CSyncDlg(CWnd* pParent = nullptr);

    CString m_reply;
    const CString* m_serverAddress = nullptr; // the weather page's address, set by the caller
    CString m_query;                          // the weather request, set by the caller
    CButton m_syncButton;
    CButton m_laterButton;
    CStatic m_status;
    CString m_text; // string-table texts as loaded
    CWeatherDb m_store;

    // The "Sync." handler: one exchange, then the reply into the store.
    afx_msg void SyncWeather();
    // Writes the reply into the dialog's store under the wait cursor; true when a forecast was
    // stored. rejected (when given) receives the places whose forecasts were not valid.
    bool StoreWeatherReply(const CString& reply, std::vector<CString>* rejected = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()

private:
    CString& Load(UINT id);
    void ShowStatus(const CString& text);
};
