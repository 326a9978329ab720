#pragma once
// The Connection Manager: which network destination serves a URL, the destinations the device
// knows, and connections to them. The simulated device has one destination of its own, the
// host's network; DEVICE_NETWORK=off in the environment takes the device offline, so that every
// connection attempt fails at once (and the internet classes cannot connect either).
//
// The registry carries the HTTP proxy provider key of that destination under
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\ConnMgr\Providers\{EF097F4C-DC4B-4c98-8FF6-AEF805DC0E8E},
// as a configured device does (kHostNetworkProviderKeys).

#include "platform/base/WinTypes.h"

#define CONNMGR_MAX_DESC 128

// dwParams of CONNMGR_CONNECTIONINFO.
#define CONNMGR_PARAM_GUIDDESTNET 0x1
#define CONNMGR_PARAM_MAXCOST 0x2
#define CONNMGR_PARAM_MINRCVBW 0x4
#define CONNMGR_PARAM_MAXCONNLATENCY 0x8

// dwFlags: the proxies the caller can use.
#define CONNMGR_FLAG_PROXY_HTTP 0x1
#define CONNMGR_FLAG_PROXY_WAP 0x2
#define CONNMGR_FLAG_PROXY_SOCKS4 0x4
#define CONNMGR_FLAG_PROXY_SOCKS5 0x8

#define CONNMGR_PRIORITY_USERINTERACTIVE 0x08000
#define CONNMGR_PRIORITY_USERBACKGROUND 0x02000
#define CONNMGR_PRIORITY_LOWBKGND 0x0010

// Connection states reported through pdwStatus.
#define CONNMGR_STATUS_UNKNOWN 0x00
#define CONNMGR_STATUS_CONNECTED 0x10
#define CONNMGR_STATUS_DISCONNECTED 0x20
#define CONNMGR_STATUS_CONNECTIONFAILED 0x21
#define CONNMGR_STATUS_CONNECTIONCANCELED 0x22
#define CONNMGR_STATUS_NOPATHTODESTINATION 0x24
#define CONNMGR_STATUS_WAITINGCONNECTION 0x40

struct CONNMGR_DESTINATION_INFO {
    GUID guid;
    WCHAR szDescription[CONNMGR_MAX_DESC];
    BOOL fSecure;
};

struct CONNMGR_CONNECTIONINFO {
    DWORD cbSize;
    DWORD dwParams;
    DWORD dwFlags;
    DWORD dwPriority;
    BOOL bExclusive;
    BOOL bDisabled;
    GUID guidDestNet;
    HWND hWnd;
    UINT uMsg;
    LPARAM lParam;
    ULONG ulMaxCost;
    ULONG ulMinRcvBw;
    ULONG ulMaxConnLatency;
};

// The destination that serves pwszURL (every URL goes to the host network here); pdwIndex, when
// given, receives its enumeration index. E_INVALIDARG for a null or empty URL or a null pguid.
HRESULT ConnMgrMapURL(LPCWSTR pwszURL, GUID* pguid, DWORD* pdwIndex);

// The destination at nIndex (0 upward); E_FAIL past the last one.
HRESULT ConnMgrEnumDestinations(int nIndex, CONNMGR_DESTINATION_INFO* pDestInfo);

// Connects to the destination named in pConnInfo (its guidDestNet when CONNMGR_PARAM_GUIDDESTNET
// is set, else the host network) within dwTimeout ms. S_OK with CONNMGR_STATUS_CONNECTED and a
// connection handle; otherwise E_FAIL, a null handle and the failure in pdwStatus (offline:
// CONNMGR_STATUS_NOPATHTODESTINATION; a disabled request or an unknown destination:
// CONNMGR_STATUS_CONNECTIONFAILED).
HRESULT ConnMgrEstablishConnectionSync(CONNMGR_CONNECTIONINFO* pConnInfo, HANDLE* phConnection,
                                       DWORD dwTimeout, DWORD* pdwStatus);

// The state of an established connection: CONNECTED, or DISCONNECTED once the device went
// offline. E_INVALIDARG for a handle that is not an open connection.
HRESULT ConnMgrConnectionStatus(HANDLE hConnection, DWORD* pdwStatus);

// Releases a connection; lCache (how long the device may keep the line up) is accepted and
// ignored. E_INVALIDARG for a handle that is not an open connection.
HRESULT ConnMgrReleaseConnection(HANDLE hConnection, LONG lCache);

namespace device {

// False when DEVICE_NETWORK is "off" (or "0", "no", "false"): the device has no network.
bool NetworkOnline();

// The host network destination of the simulated device.
extern const GUID kHostNetworkGuid;
extern const WCHAR kHostNetworkName[];

// The HTTP proxy provider key of the host network under HKEY_LOCAL_MACHINE, as a configured
// device carries it: the destination's GUID after "HTTP-", bare and between braces. A new
// registry holds both from the start (so that a device whose storage later takes no write still
// has them); every call above puts back one that is missing.
extern const wchar_t* const kHostNetworkProviderKeys[2];

} // namespace device
