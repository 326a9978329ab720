#pragma once
// The feed request: the form text every synchronising page posts to the feed server, and the
// server address of adrs.cfg. Keys in their fixed order: jc, c (weather only), os, appver,
// home, scrsize, wasize; the weather request ends with "&'0'".

#include "platform/base/CString.h"

#include <vector>

enum FeedRequestCode {
    kFeedCurrencyRates = 110,
    kFeedWeatherForecasts = 111,
};

inline constexpr WCHAR AppVersionString[] = L"1.0F2";

// The values of one request, as they go into the form.
struct FeedQuery {
    FeedRequestCode code = kFeedCurrencyRates;
    CString cityCodes;   // the quoted codes joined by ","; weather only
    CString osVersion;   // "<major>.<minor>"
    CString home;        // registry value hlname
    CString screenSize;  // "<width>x<height>"
    CString workAreaSize; // "<width>x<height>" of the sending page

    // The form text. Values that could break the form are percent-encoded; quotes, commas and
    // blanks pass as they stand.
    CString Text() const;
};

// Each code between single quotes, joined by "," with no trailing comma.
CString QuoteCityCodes(const std::vector<CString>& codes);
// The codes of every place of the weather store, in the store's record order.
std::vector<CString> AllWeatherCityCodes();

// The request of a page from the registry, the system and the page's work area. cityCodes
// (already quoted) is used for the weather request only.
CString BuildFeedQuery(FeedRequestCode code, const CString& cityCodes, int workAreaWidth, int workAreaHeight);

// The server address: adrs.cfg in the program folder up to its first "*". A missing file is
// created empty and gives an empty address.
CString ReadFeedServerUrl();

// Posts the query to the address of adrs.cfg under the wait cursor; the reply body, or an empty
// text when the synchronisation failed (its message already shown).
CString SendFeedQuery(const CString& query, HWND page);
