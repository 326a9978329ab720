// The weather synchronisation dialog: one exchange with the feed server for every weather city.
#include "weather/SyncDlg.h"

#include "core/CoreMessages.h"
#include "core/HttpExchange.h"
#include "core/StorageFaults.h"
#include "platform/framework/WaitCursor.h"
#include "resources/resource.h"
#include "weather/ForecastText.h"

BEGIN_MESSAGE_MAP(CSyncDlg, CDialog)
    ON_BN_CLICKED(IDC_WEATHER_SYNC, &CSyncDlg::SyncWeather)
END_MESSAGE_MAP()

CSyncDlg::CSyncDlg(CWnd* pParent) : CDialog(IDD_WEATHER_SYNC, pParent) {
    m_bFullScreen = FALSE;
}

void CSyncDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_WEATHER_SYNC, m_syncButton);
    DDX_Control(pDX, IDOK, m_laterButton);
    DDX_Control(pDX, IDC_WEATHER_SYNC_STATUS, m_status);
}

BOOL CSyncDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_store.Open();
    return TRUE;
}

CString& CSyncDlg::Load(UINT id) {
    m_text.LoadString(id);
    return m_text;
}

void CSyncDlg::ShowStatus(const CString& text) {
    m_status.SetWindowText(text);
    // The exchange blocks the thread: the status is painted now, not at the next idle moment.
    m_status.UpdateWindow();
}

bool CSyncDlg::StoreWeatherReply(const CString& reply, std::vector<CString>* rejected) {
    CWaitCursor wait;
    return ::StoreWeatherReply(m_store, reply, rejected);
}

void CSyncDlg::SyncWeather() {
    ShowStatus(Load(IDS_SYNC_DOWNLOADING) + L" ...");
    SetWindowText(Load(IDS_SYNC_PLEASE_WAIT) + L" ...");
    {
        CWaitCursor wait;
        m_reply = HttpExchange(m_serverAddress ? *m_serverAddress : CString(), m_query, m_hWnd);
        ShowStatus(Load(IDS_SYNC_UPDATING) + L" ...");
        SetWindowText(Load(IDS_SYNC_DOWNLOAD_COMPLETE) + L" ...");
    }
    CString reply = m_reply;
    std::vector<CString> rejected;
    // A reply the storage could not take is said as such: the forecasts stay as they were.
    CStorageWriteWatch watch;
    const bool stored = StoreWeatherReply(reply, &rejected);
    watch.Done();
    // Places whose forecasts were not valid kept theirs: the user is told which, whether or not
    // other places were updated.
    if (!rejected.empty()) ShowNamesMessage(m_hWnd, IDS_FORECASTS_NOT_VALID, rejected);
    // Forecasts far from the device's date were stored: the device's clock is the likely fault.
    if (stored) SayWhenForecastDatesFarOff(m_hWnd, reply);
    if (stored && !m_reply.IsEmpty()) {
        ShowStatus(Load(IDS_SYNC_COMPLETE) + L"!");
        m_laterButton.SetWindowText(Load(IDS_SYNC_OK));
        m_laterButton.UpdateWindow();
        SetWindowText(Load(IDS_SYNC_DONE));
        m_syncButton.ShowWindow(SW_HIDE);
        m_reply = L"yes";
    } else {
        ShowStatus(Load(IDS_SYNC_FAILED) + L"!");
        SetWindowText(Load(IDS_SYNC_RETRY) + L" ?");
        m_reply = L"no";
    }
    // The connection question and any message box closed over the dialog during the exchange:
    // the dialog and its buttons are painted again now, the buttons after the dialog's
    // background, so that none is left half covered.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
