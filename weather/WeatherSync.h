#pragma once
// Fetching forecasts from the feed server: the weather request for every place of the store or
// for one place, and the one-place synchronisation that a tap on a place without data runs.

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

class CWeatherDb;

// Reads the server address of adrs.cfg into serverAddress (always, first) and returns the
// weather request for every place of the store, in the store's order. workWidth and
// workHeight are the sending page's layout size.
CString BuildWeatherQuery(CWeatherDb& store, int workWidth, int workHeight, CString& serverAddress);

// The weather request for one place code.
CString BuildOnePlaceWeatherQuery(const CString& code, int workWidth, int workHeight);

// Fetches the forecast of the place named name (an existing record) and writes the reply's
// record of the place's code into it: its forecast and date; the place keeps its name, code and
// country. True when the place was written (the page then reloads); a failed exchange or a
// reply without a valid record of that code shows "Syncronisation failed" (after saying that
// the forecast was not valid, when the reply held one) and writes nothing.
bool SyncWeatherPlace(CWeatherDb& store, const CString& name, int workWidth, int workHeight, HWND owner);

// Writes the reply's valid record of the code into the place named name (as
// StorePlaceWeatherReply does). When nothing was written, tells the user, owned by owner: that
// the device's storage failed, or else first that the place's forecast was not valid (when the
// reply held one), then "Syncronisation failed". True when the place was written.
bool StorePlaceReplyOrSayFailed(CWeatherDb& store, const CString& name, const CString& code,
                                const CString& reply, HWND owner);
