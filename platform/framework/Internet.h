#pragma once
// The framework's internet classes over libcurl: a session, an HTTP connection to one server,
// and a request file that sends one request and reads its reply.
//
// As on the device, GetHttpConnection and OpenRequest only describe the request; SendRequest
// performs it. The reply (status, raw headers, body) is taken in whole at that point, bounded by
// kInternetBodyLimit; Read hands the body out in pieces afterwards. A transfer that fails after
// the reply headers arrived (the server closes mid-body, stalls, or sends more than the limit)
// lets SendRequest succeed and makes Read throw once the bytes that did arrive have been read,
// so a reader sees the failure at the same point as on the device.
//
// Failures are thrown as `new CInternetException(code)` with the device's error numbers
// (12029 cannot connect, 12002 time-out, 12030 connection aborted, 12152 invalid reply, 12017
// given up because the process was asked to end ...);
// running out of memory throws a CMemoryException. Redirects are followed only when the request
// was opened without INTERNET_FLAG_NO_AUTO_REDIRECT, at most five times (then 12156).
// An offline device (DEVICE_NETWORK=off) cannot connect: 12029.

#include "platform/base/CString.h"
#include "platform/framework/Exceptions.h"

#include <memory>
#include <string>
#include <vector>

typedef WORD INTERNET_PORT;

#define INTERNET_INVALID_PORT_NUMBER 0
#define INTERNET_DEFAULT_HTTP_PORT 80
#define INTERNET_DEFAULT_HTTPS_PORT 443

// Access types.
#define INTERNET_OPEN_TYPE_PRECONFIG 0
#define INTERNET_OPEN_TYPE_DIRECT 1
#define INTERNET_OPEN_TYPE_PROXY 3
#define PRE_CONFIG_INTERNET_ACCESS INTERNET_OPEN_TYPE_PRECONFIG

// Request flags.
#define INTERNET_FLAG_RELOAD 0x80000000
#define INTERNET_FLAG_NO_CACHE_WRITE 0x04000000
#define INTERNET_FLAG_DONT_CACHE INTERNET_FLAG_NO_CACHE_WRITE
#define INTERNET_FLAG_KEEP_CONNECTION 0x00400000
#define INTERNET_FLAG_NO_AUTO_REDIRECT 0x00200000
#define INTERNET_FLAG_EXISTING_CONNECT 0x20000000

// AddRequestHeaders modes.
#define HTTP_ADDREQ_FLAG_ADD_IF_NEW 0x10000000
#define HTTP_ADDREQ_FLAG_ADD 0x20000000
#define HTTP_ADDREQ_FLAG_REPLACE 0x80000000

// QueryInfo levels.
#define HTTP_QUERY_STATUS_CODE 19
#define HTTP_QUERY_STATUS_TEXT 20
#define HTTP_QUERY_RAW_HEADERS_CRLF 22

// Session options, in milliseconds. The connect time-out bounds the TCP connection, the receive
// time-out (also set by the send time-out) the longest stretch without a byte going either way,
// the overall time-out (this layer's own option) the whole transfer.
#define INTERNET_OPTION_CONNECT_TIMEOUT 2
#define INTERNET_OPTION_SEND_TIMEOUT 5
#define INTERNET_OPTION_RECEIVE_TIMEOUT 6
#define INTERNET_OPTION_OVERALL_TIMEOUT 0x10001

// Service types of AfxParseURL.
#define AFX_INET_SERVICE_FTP 1
#define AFX_INET_SERVICE_GOPHER 2
#define AFX_INET_SERVICE_HTTP 3
#define AFX_INET_SERVICE_UNK 0x1000
#define AFX_INET_SERVICE_FILE (AFX_INET_SERVICE_UNK + 1)
#define AFX_INET_SERVICE_HTTPS (AFX_INET_SERVICE_UNK + 7)

// The device's internet error numbers.
#define INTERNET_ERROR_BASE 12000
#define ERROR_INTERNET_TIMEOUT 12002
#define ERROR_INTERNET_INTERNAL_ERROR 12004
#define ERROR_INTERNET_INVALID_URL 12005
#define ERROR_INTERNET_UNRECOGNIZED_SCHEME 12006
#define ERROR_INTERNET_NAME_NOT_RESOLVED 12007
#define ERROR_INTERNET_OPERATION_CANCELLED 12017
#define ERROR_INTERNET_INVALID_OPTION 12009
#define ERROR_INTERNET_INCORRECT_HANDLE_STATE 12019
#define ERROR_INTERNET_CANNOT_CONNECT 12029
#define ERROR_INTERNET_CONNECTION_ABORTED 12030
#define ERROR_INTERNET_CONNECTION_RESET 12031
#define ERROR_HTTP_HEADER_NOT_FOUND 12150
#define ERROR_HTTP_INVALID_SERVER_RESPONSE 12152
#define ERROR_HTTP_INVALID_HEADER 12153
#define ERROR_HTTP_HEADER_ALREADY_EXISTS 12155
#define ERROR_HTTP_REDIRECT_FAILED 12156

// The most body bytes one request takes in; a longer reply is cut there and reading past the
// cut throws ERROR_INTERNET_CONNECTION_ABORTED.
inline constexpr size_t kInternetBodyLimit = 1048576;

class CInternetException : public CException {
    DECLARE_DYNAMIC(CInternetException)
public:
    explicit CInternetException(DWORD dwError) : m_dwError(dwError) {}
    BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;

    DWORD_PTR m_dwContext = 0;
    DWORD m_dwError;
};

// Throws a new CInternetException; dwError 0 takes the calling thread's last error.
[[noreturn]] void AfxThrowInternetException(DWORD_PTR dwContext, DWORD dwError = 0);

// Splits an absolute URL into its service, server, object (path and query, "/" when none) and
// port (the service's default when none). FALSE, with AFX_INET_SERVICE_UNK, when the text is not
// of the form scheme://server[:port][/object] or the port is not a number from 1 to 65535.
BOOL AfxParseURL(LPCWSTR pstrURL, DWORD& dwServiceType, CString& strServer, CString& strObject,
                 INTERNET_PORT& nPort);

class CHttpConnection;

class CInternetSession : public CObject {
    DECLARE_DYNAMIC(CInternetSession)
public:
    CInternetSession(LPCWSTR pstrAgent = nullptr, DWORD_PTR dwContext = 1,
                     DWORD dwAccessType = PRE_CONFIG_INTERNET_ACCESS, LPCWSTR pstrProxyName = nullptr,
                     LPCWSTR pstrProxyBypass = nullptr, DWORD dwFlags = 0);
    ~CInternetSession() override;
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // A new connection object for the server (the caller deletes it). Nothing is sent yet.
    // Throws ERROR_INTERNET_INVALID_URL for an empty server name, INCORRECT_HANDLE_STATE after Close.
    CHttpConnection* GetHttpConnection(LPCWSTR pstrServer, INTERNET_PORT nPort = INTERNET_INVALID_PORT_NUMBER,
                                       LPCWSTR pstrUserName = nullptr, LPCWSTR pstrPassword = nullptr);

    // Time-outs (INTERNET_OPTION_*_TIMEOUT, milliseconds); FALSE for another option.
    BOOL SetOption(DWORD dwOption, DWORD dwValue, DWORD dwFlags = 0);
    BOOL QueryOption(DWORD dwOption, DWORD& dwValue) const;

    virtual void Close();
    DWORD_PTR GetContext() const { return m_dwContext; }
    CString GetUserAgent() const { return m_agent; }
    bool IsOpen() const { return m_open; }

    DWORD m_connectTimeout = 30000;
    DWORD m_receiveTimeout = 30000;
    DWORD m_overallTimeout = 120000;

private:
    CString m_agent;
    DWORD_PTR m_dwContext;
    bool m_open = true;
};

class CHttpFile;

class CHttpConnection : public CObject {
    DECLARE_DYNAMIC(CHttpConnection)
public:
    enum {
        _HTTP_VERB_MIN = 0,
        HTTP_VERB_POST = 0,
        HTTP_VERB_GET = 1,
        HTTP_VERB_HEAD = 2,
        HTTP_VERB_PUT = 3,
        HTTP_VERB_LINK = 4,
        HTTP_VERB_DELETE = 5,
        HTTP_VERB_UNLINK = 6,
        _HTTP_VERB_MAX = 6
    };

    CHttpConnection(CInternetSession* pSession, LPCWSTR pstrServer, INTERNET_PORT nPort, DWORD_PTR dwContext);
    ~CHttpConnection() override;

    // A new request file for the object (the caller deletes it). pstrVersion defaults to HTTP/1.1.
    CHttpFile* OpenRequest(int nVerb, LPCWSTR pstrObjectName, LPCWSTR pstrReferer = nullptr,
                           DWORD_PTR dwContext = 1, LPCWSTR* ppstrAcceptTypes = nullptr,
                           LPCWSTR pstrVersion = nullptr, DWORD dwFlags = INTERNET_FLAG_EXISTING_CONNECT);
    CHttpFile* OpenRequest(LPCWSTR pstrVerb, LPCWSTR pstrObjectName, LPCWSTR pstrReferer = nullptr,
                           DWORD_PTR dwContext = 1, LPCWSTR* ppstrAcceptTypes = nullptr,
                           LPCWSTR pstrVersion = nullptr, DWORD dwFlags = INTERNET_FLAG_EXISTING_CONNECT);

    virtual void Close();
    CInternetSession* GetSession() const { return m_pSession; }
    CString GetServerName() const { return m_server; }
    INTERNET_PORT GetPort() const { return m_port; }

private:
    CInternetSession* m_pSession;
    CString m_server;
    INTERNET_PORT m_port;
    DWORD_PTR m_dwContext;
    bool m_open = true;
};

class CHttpFile : public CObject {
    DECLARE_DYNAMIC(CHttpFile)
public:
    CHttpFile(CHttpConnection* pConnection, const CString& verb, const CString& object,
              const CString& version, DWORD dwFlags, DWORD_PTR dwContext);
    ~CHttpFile() override;

    // Adds CRLF-separated "Name: value" lines. ADD_IF_NEW (the default) skips a line whose name
    // is already present (and returns FALSE), REPLACE replaces it, ADD appends. FALSE for a line
    // without a name and colon, or once the request was sent.
    BOOL AddRequestHeaders(LPCWSTR pstrHeaders, DWORD dwFlags = HTTP_ADDREQ_FLAG_ADD_IF_NEW,
                           int dwHeadersLen = -1);
    BOOL AddRequestHeaders(CString& str, DWORD dwFlags = HTTP_ADDREQ_FLAG_ADD_IF_NEW);

    // Sends the request with extra header lines and the optional body (sent as the bytes given)
    // and takes in the reply. TRUE, or throws a CInternetException / CMemoryException.
    BOOL SendRequest(LPCWSTR pstrHeaders = nullptr, DWORD dwHeadersLen = 0, LPVOID lpOptional = nullptr,
                     DWORD dwOptionalLen = 0);
    BOOL SendRequest(CString& strHeaders, LPVOID lpOptional = nullptr, DWORD dwOptionalLen = 0);

    // FALSE before the reply arrived.
    BOOL QueryInfoStatusCode(DWORD& dwStatusCode) const;
    // HTTP_QUERY_RAW_HEADERS_CRLF: the status line and every header line, each ended by "\r\n",
    // then an empty line; STATUS_CODE and STATUS_TEXT as text. FALSE for other levels.
    BOOL QueryInfo(DWORD dwInfoLevel, CString& str, LPDWORD lpdwIndex = nullptr) const;

    // A buffering hint, kept for the device's callers; TRUE.
    BOOL SetReadBufferSize(UINT nReadSize);
    // Copies up to nCount body bytes; 0 at the end of the body. Throws when the transfer broke
    // off and everything that came has been read.
    UINT Read(void* lpBuf, UINT nCount);

    virtual void Close();
    CString GetVerb() const { return m_verb; }
    CString GetObject() const { return m_object; }

    struct Transfer; // the reply of a sent request

private:
    CHttpConnection* m_pConnection;
    CString m_verb;
    CString m_object;
    CString m_version;
    DWORD m_dwFlags;
    DWORD_PTR m_dwContext;
    std::vector<std::string> m_headers; // "Name: value", as bytes
    std::unique_ptr<Transfer> m_transfer;
    UINT m_readBufferSize = 4096;
    bool m_open = true;
};
