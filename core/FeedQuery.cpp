#include "core/FeedQuery.h"

#include "core/HttpExchange.h"
#include "core/RegistryKey.h"
#include "core/TextFiles.h"
#include "core/WeatherDb.h"
#include "platform/framework/WaitCursor.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/SystemVersion.h"
#include "platform/ui/WinUser.h"

namespace {

CString Size(int width, int height) {
    CString text;
    text.Format(L"%dx%d", width, height);
    return text;
}

} // namespace

CString FeedQuery::Text() const {
    CString text;
    text.Format(L"jc=%d", static_cast<int>(code));
    if (code == kFeedWeatherForecasts) text += L"&c=" + cityCodes;
    text += L"&os=wince" + EncodeFormValue(osVersion);
    text += CString(L"&appver=") + AppVersionString;
    text += L"&home=" + EncodeFormValue(home);
    text += L"&scrsize=" + EncodeFormValue(screenSize);
    text += L"&wasize=" + EncodeFormValue(workAreaSize);
    if (code == kFeedWeatherForecasts) text += L"&'0'";
    return text;
}

CString QuoteCityCodes(const std::vector<CString>& codes) {
    CString text;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (i) text += L",";
        text += L"'" + EncodeFormValue(codes[i]) + L"'";
    }
    return text;
}

std::vector<CString> AllWeatherCityCodes() {
    CWeatherDb store;
    store.Open();
    std::vector<CString> codes;
    WORD count = store.GetRecordCount();
    for (DWORD index = 0; index < count; ++index)
        codes.push_back(store.GetCode(index));
    return codes;
}

CString BuildFeedQuery(FeedRequestCode code, const CString& cityCodes, int workAreaWidth, int workAreaHeight) {
    FeedQuery query;
    query.code = code;
    query.cityCodes = cityCodes;
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionEx(&version))
        query.osVersion.Format(L"%d.%d", static_cast<int>(version.dwMajorVersion),
                               static_cast<int>(version.dwMinorVersion));
    CRegistryKey registry;
    query.home = registry.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname");
    query.screenSize = Size(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    query.workAreaSize = Size(workAreaWidth, workAreaHeight);
    return query.Text();
}

CString ReadFeedServerUrl() {
    HANDLE file = CreateFileW(GetShippedFilePath(L"adrs.cfg"), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return CString();
    CTextFileHandle handle(file);
    // A file far larger than an address is damaged: no server rather than a huge read.
    if (!FitsTextFileCap(file, TextFileKind::FeedAddresses)) return CString();
    return ReadFileToken(handle.Get(), L"*");
}

CString SendFeedQuery(const CString& query, HWND page) {
    CWaitCursor wait;
    CString url = ReadFeedServerUrl();
    return HttpExchange(url, query, page);
}
