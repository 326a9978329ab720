#include "platform/system/ConnMgr.h"
#include "platform/base/HandleValues.h"
#include "platform/system/Registry.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <set>
#include <string>
#include <strings.h>

namespace device {

const GUID kHostNetworkGuid = {0x8D3F2B61, 0x4C9A, 0x4E17, {0xA5, 0xD0, 0x3B, 0x6E, 0x9C, 0x1F, 0x7A, 0x24}};
const WCHAR kHostNetworkName[] = L"Host Network";
const wchar_t* const kHostNetworkProviderKeys[2] = {
    L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{EF097F4C-DC4B-4c98-8FF6-AEF805DC0E8E}\\"
    L"HTTP-8D3F2B61-4C9A-4E17-A5D0-3B6E9C1F7A24",
    L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{EF097F4C-DC4B-4c98-8FF6-AEF805DC0E8E}\\"
    L"HTTP-{8D3F2B61-4C9A-4E17-A5D0-3B6E9C1F7A24}",
};

bool NetworkOnline() {
    const char* v = std::getenv("DEVICE_NETWORK");
    if (!v) return true;
    for (const char* off : {"off", "0", "no", "false"})
        if (strcasecmp(v, off) == 0) return false;
    return true;
}

} // namespace device

namespace {

std::mutex g_mutex;
std::set<uintptr_t> g_connections;

// Puts back a provider key of the host network that the registry lacks (one made before it held
// them from the start), with its proxy value.
void EnsureProviderKey() {
    for (const wchar_t* path : device::kHostNetworkProviderKeys) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            continue;
        }
        DWORD disposition = 0;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition) == ERROR_SUCCESS) {
            const wchar_t* proxy = L"direct";
            RegSetValueExW(key, L"Proxy", 0, REG_SZ, reinterpret_cast<const BYTE*>(proxy),
                           static_cast<DWORD>((std::wcslen(proxy) + 1) * sizeof(WCHAR)));
            RegCloseKey(key);
        }
    }
}

} // namespace

HRESULT ConnMgrMapURL(LPCWSTR pwszURL, GUID* pguid, DWORD* pdwIndex) {
    EnsureProviderKey();
    if (!pwszURL || !*pwszURL || !pguid) return E_INVALIDARG;
    *pguid = device::kHostNetworkGuid;
    if (pdwIndex) *pdwIndex = 0;
    return S_OK;
}

HRESULT ConnMgrEnumDestinations(int nIndex, CONNMGR_DESTINATION_INFO* pDestInfo) {
    EnsureProviderKey();
    if (!pDestInfo) return E_INVALIDARG;
    if (nIndex != 0) return E_FAIL;
    std::memset(pDestInfo, 0, sizeof(*pDestInfo));
    pDestInfo->guid = device::kHostNetworkGuid;
    std::wcsncpy(pDestInfo->szDescription, device::kHostNetworkName, CONNMGR_MAX_DESC - 1);
    pDestInfo->fSecure = FALSE;
    return S_OK;
}

HRESULT ConnMgrEstablishConnectionSync(CONNMGR_CONNECTIONINFO* pConnInfo, HANDLE* phConnection,
                                       DWORD /*dwTimeout*/, DWORD* pdwStatus) {
    EnsureProviderKey();
    if (phConnection) *phConnection = nullptr;
    if (pdwStatus) *pdwStatus = CONNMGR_STATUS_UNKNOWN;
    // The record must reach at least as far as the destination's GUID; callers built for the
    // device pass its 32-bit size.
    if (!pConnInfo || !phConnection || pConnInfo->cbSize < offsetof(CONNMGR_CONNECTIONINFO, hWnd))
        return E_INVALIDARG;
    auto fail = [&](DWORD status) {
        if (pdwStatus) *pdwStatus = status;
        return E_FAIL;
    };
    if ((pConnInfo->dwParams & CONNMGR_PARAM_GUIDDESTNET) &&
        !(pConnInfo->guidDestNet == device::kHostNetworkGuid))
        return fail(CONNMGR_STATUS_CONNECTIONFAILED);
    if (pConnInfo->bDisabled) return fail(CONNMGR_STATUS_CONNECTIONFAILED);
    // Connecting is immediate when the host has a network, so the time-out never runs out; an
    // offline device has no path at all and says so at once.
    if (!device::NetworkOnline()) return fail(CONNMGR_STATUS_NOPATHTODESTINATION);
    uintptr_t value = device::AllocateHandleValue();
    {
        std::lock_guard lock(g_mutex);
        g_connections.insert(value);
    }
    *phConnection = reinterpret_cast<HANDLE>(value);
    if (pdwStatus) *pdwStatus = CONNMGR_STATUS_CONNECTED;
    return S_OK;
}

HRESULT ConnMgrConnectionStatus(HANDLE hConnection, DWORD* pdwStatus) {
    if (!pdwStatus) return E_INVALIDARG;
    std::lock_guard lock(g_mutex);
    if (!g_connections.count(reinterpret_cast<uintptr_t>(hConnection))) return E_INVALIDARG;
    *pdwStatus = device::NetworkOnline() ? CONNMGR_STATUS_CONNECTED : CONNMGR_STATUS_DISCONNECTED;
    return S_OK;
}

HRESULT ConnMgrReleaseConnection(HANDLE hConnection, LONG /*lCache*/) {
    std::lock_guard lock(g_mutex);
    return g_connections.erase(reinterpret_cast<uintptr_t>(hConnection)) ? S_OK : E_INVALIDARG;
}
