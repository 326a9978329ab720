#include "weather/WeatherSync.h"

#include "core/CoreMessages.h"
#include "core/FeedQuery.h"
#include "core/HttpExchange.h"
#include "core/StorageFaults.h"
#include "core/WeatherDb.h"
#include "platform/framework/WaitCursor.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"
#include "weather/ForecastText.h"

#include <vector>

CString BuildWeatherQuery(CWeatherDb& store, int workWidth, int workHeight, CString& serverAddress) {
    serverAddress = ReadFeedServerUrl();
    std::vector<CString> codes;
    // Reading a code moves the cursor to the next place; a read that does not move it (a record
    // the store cannot read) ends the walk instead of repeating forever.
    store.SeekFirst();
    while (!store.IsEOF()) {
        DWORD index = store.GetCurrentIndex();
        codes.push_back(store.GetCode(index));
        if (store.GetCurrentIndex() <= index) break;
    }
    return BuildFeedQuery(kFeedWeatherForecasts, QuoteCityCodes(codes), workWidth, workHeight);
}

CString BuildOnePlaceWeatherQuery(const CString& code, int workWidth, int workHeight) {
    return BuildFeedQuery(kFeedWeatherForecasts, QuoteCityCodes({code}), workWidth, workHeight);
}

bool SyncWeatherPlace(CWeatherDb& store, const CString& name, int workWidth, int workHeight, HWND owner) {
    CString code;
    if (store.FindByName(name)) code = store.GetCode(store.GetCurrentIndex());

    CString reply;
    {
        CWaitCursor wait;
        CString serverAddress = ReadFeedServerUrl();
        reply = HttpExchange(serverAddress, BuildOnePlaceWeatherQuery(code, workWidth, workHeight), owner);
    }
    CWaitCursor wait;
    return StorePlaceReplyOrSayFailed(store, name, code, reply, owner);
}

bool StorePlaceReplyOrSayFailed(CWeatherDb& store, const CString& name, const CString& code,
                                const CString& reply, HWND owner) {
    bool notValid = false;
    // A reply the storage could not take was said as such (the place keeps its forecast): it
    // is no failure of the synchronisation.
    CStorageWriteWatch watch;
    const bool stored = StorePlaceWeatherReply(store, name, code, reply, &notValid);
    if (watch.Done()) return stored;
    if (stored) {
        SayWhenForecastDatesFarOff(owner, reply, &code);
        return true;
    }
    // The reply's forecast of the place was no forecast: say so before the failure.
    if (notValid) ShowNamesMessage(owner, IDS_FORECASTS_NOT_VALID, {name});
    CString failed;
    failed.LoadString(IDS_SYNC_FAILED);
    ::MessageBoxW(owner, failed, nullptr, MB_OK);
    return false;
}
