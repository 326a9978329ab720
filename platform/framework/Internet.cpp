#include "platform/framework/Internet.h"
#include "platform/base/CaseFold.h"
#include "platform/base/CodePage.h"
#include "platform/system/ConnMgr.h"
#include "platform/system/HostLibrary.h"
#include "platform/system/ProcessEnd.h"

// Calls go through pointers into the loaded library, not through curl.h's checking macros.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

namespace {

// libcurl, loaded the first time a session needs it rather than with the program: it brings
// some thirty libraries of its own, whose loading would otherwise be paid at every start.
#define CURL_FUNCTIONS(X)                                                                                    \
    X(curl_global_init)                                                                                      \
    X(curl_easy_init)                                                                                        \
    X(curl_easy_setopt)                                                                                      \
    X(curl_easy_getinfo)                                                                                     \
    X(curl_easy_cleanup)                                                                                     \
    X(curl_multi_init)                                                                                       \
    X(curl_multi_add_handle)                                                                                 \
    X(curl_multi_remove_handle)                                                                              \
    X(curl_multi_perform)                                                                                    \
    X(curl_multi_poll)                                                                                       \
    X(curl_multi_info_read)                                                                                  \
    X(curl_multi_cleanup)                                                                                    \
    X(curl_slist_append)                                                                                     \
    X(curl_slist_free_all)

DEVICE_HOST_LIBRARY(CurlLibrary, "libcurl.so.4", CURL_FUNCTIONS);

// Null when libcurl cannot be loaded (every request then fails as an internal error).
const CurlLibrary* Curl() {
    static const CurlLibrary library;
    static const bool ready = library.ok && (library.curl_global_init(CURL_GLOBAL_DEFAULT), true);
    return ready ? &library : nullptr;
}

} // namespace

IMPLEMENT_DYNAMIC(CInternetException, CException)
IMPLEMENT_DYNAMIC(CInternetSession, CObject)
IMPLEMENT_DYNAMIC(CHttpConnection, CObject)
IMPLEMENT_DYNAMIC(CHttpFile, CObject)

// ---------------------------------------------------------------------------------------------
// Exceptions

BOOL CInternetException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    const wchar_t* text = nullptr;
    switch (m_dwError) {
    case ERROR_INTERNET_TIMEOUT:
        text = L"The operation timed out";
        break;
    case ERROR_INTERNET_INTERNAL_ERROR:
        text = L"An internal error occurred";
        break;
    case ERROR_INTERNET_INVALID_URL:
        text = L"The URL is invalid";
        break;
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
        text = L"The URL does not use a recognized protocol";
        break;
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
        text = L"The server name could not be resolved";
        break;
    case ERROR_INTERNET_INCORRECT_HANDLE_STATE:
        text = L"The operation is not possible in this state";
        break;
    case ERROR_INTERNET_CANNOT_CONNECT:
        text = L"A connection with the server could not be established";
        break;
    case ERROR_INTERNET_CONNECTION_ABORTED:
        text = L"The connection with the server was terminated";
        break;
    case ERROR_INTERNET_CONNECTION_RESET:
        text = L"The connection with the server was reset";
        break;
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
        text = L"The server response could not be parsed";
        break;
    case ERROR_HTTP_REDIRECT_FAILED:
        text = L"The redirection failed";
        break;
    case ERROR_INTERNET_OPERATION_CANCELLED:
        text = L"The operation was canceled";
        break;
    default:
        break;
    }
    if (text) return framework_detail::CopyErrorText(text, lpszError, nMaxError);
    CString fallback;
    fallback.Format(L"Internet error %u", static_cast<unsigned>(m_dwError));
    return framework_detail::CopyErrorText(fallback, lpszError, nMaxError);
}

void AfxThrowInternetException(DWORD_PTR dwContext, DWORD dwError) {
    auto* e = new CInternetException(dwError ? dwError : GetLastError());
    e->m_dwContext = dwContext;
    throw e;
}

// ---------------------------------------------------------------------------------------------
// URLs

BOOL AfxParseURL(LPCWSTR pstrURL, DWORD& dwServiceType, CString& strServer, CString& strObject,
                 INTERNET_PORT& nPort) {
    dwServiceType = AFX_INET_SERVICE_UNK;
    strServer.Empty();
    strObject.Empty();
    nPort = INTERNET_INVALID_PORT_NUMBER;
    if (!pstrURL) return FALSE;
    std::wstring url(pstrURL);
    size_t sep = url.find(L"://");
    if (sep == std::wstring::npos || sep == 0) return FALSE;

    std::wstring scheme = device::ToLower(url.substr(0, sep));
    DWORD service;
    INTERNET_PORT defaultPort;
    if (scheme == L"http")
        service = AFX_INET_SERVICE_HTTP, defaultPort = INTERNET_DEFAULT_HTTP_PORT;
    else if (scheme == L"https")
        service = AFX_INET_SERVICE_HTTPS, defaultPort = INTERNET_DEFAULT_HTTPS_PORT;
    else if (scheme == L"ftp")
        service = AFX_INET_SERVICE_FTP, defaultPort = 21;
    else if (scheme == L"gopher")
        service = AFX_INET_SERVICE_GOPHER, defaultPort = 70;
    else if (scheme == L"file")
        service = AFX_INET_SERVICE_FILE, defaultPort = 0;
    else
        return FALSE;

    size_t start = sep + 3;
    size_t end = url.find_first_of(L"/?", start);
    std::wstring authority = url.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    std::wstring object = end == std::wstring::npos ? L"/" : url.substr(end);
    if (object[0] == L'?') object.insert(0, 1, L'/');

    size_t at = authority.rfind(L'@');
    if (at != std::wstring::npos) authority.erase(0, at + 1);
    std::wstring host = authority;
    std::wstring portText;
    if (!authority.empty() && authority[0] == L'[') {
        size_t close = authority.find(L']');
        if (close == std::wstring::npos) return FALSE;
        host = authority.substr(0, close + 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != L':') return FALSE;
            portText = authority.substr(close + 2);
            if (portText.empty()) return FALSE;
        }
    } else if (size_t colon = authority.find(L':'); colon != std::wstring::npos) {
        host = authority.substr(0, colon);
        portText = authority.substr(colon + 1);
        if (portText.empty()) return FALSE;
    }
    if (host.empty()) return FALSE;
    for (wchar_t c : host)
        if (c <= L' ' || c == 0x7F) return FALSE;

    unsigned long port = defaultPort;
    if (!portText.empty()) {
        if (portText.size() > 5) return FALSE;
        port = 0;
        for (wchar_t c : portText) {
            if (c < L'0' || c > L'9') return FALSE;
            port = port * 10 + (c - L'0');
        }
        if (port == 0 || port > 65535) return FALSE;
    }
    dwServiceType = service;
    strServer = host;
    strObject = object;
    nPort = static_cast<INTERNET_PORT>(port);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Session and connection

CInternetSession::CInternetSession(LPCWSTR pstrAgent, DWORD_PTR dwContext, DWORD, LPCWSTR, LPCWSTR, DWORD)
    : m_agent(pstrAgent ? pstrAgent : L""), m_dwContext(dwContext) {
}

CInternetSession::~CInternetSession() {
    Close();
}

void CInternetSession::Close() {
    m_open = false;
}

CHttpConnection* CInternetSession::GetHttpConnection(LPCWSTR pstrServer, INTERNET_PORT nPort, LPCWSTR,
                                                     LPCWSTR) {
    if (!m_open) AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    if (!pstrServer || !*pstrServer) AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INVALID_URL);
    if (nPort == INTERNET_INVALID_PORT_NUMBER) nPort = INTERNET_DEFAULT_HTTP_PORT;
    try {
        return new CHttpConnection(this, pstrServer, nPort, m_dwContext);
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
}

BOOL CInternetSession::SetOption(DWORD dwOption, DWORD dwValue, DWORD) {
    switch (dwOption) {
    case INTERNET_OPTION_CONNECT_TIMEOUT:
        m_connectTimeout = dwValue;
        return TRUE;
    case INTERNET_OPTION_SEND_TIMEOUT:
    case INTERNET_OPTION_RECEIVE_TIMEOUT:
        m_receiveTimeout = dwValue;
        return TRUE;
    case INTERNET_OPTION_OVERALL_TIMEOUT:
        m_overallTimeout = dwValue;
        return TRUE;
    default:
        SetLastError(ERROR_INTERNET_INVALID_OPTION);
        return FALSE;
    }
}

BOOL CInternetSession::QueryOption(DWORD dwOption, DWORD& dwValue) const {
    switch (dwOption) {
    case INTERNET_OPTION_CONNECT_TIMEOUT:
        dwValue = m_connectTimeout;
        return TRUE;
    case INTERNET_OPTION_SEND_TIMEOUT:
    case INTERNET_OPTION_RECEIVE_TIMEOUT:
        dwValue = m_receiveTimeout;
        return TRUE;
    case INTERNET_OPTION_OVERALL_TIMEOUT:
        dwValue = m_overallTimeout;
        return TRUE;
    default:
        SetLastError(ERROR_INTERNET_INVALID_OPTION);
        return FALSE;
    }
}

CHttpConnection::CHttpConnection(CInternetSession* pSession, LPCWSTR pstrServer, INTERNET_PORT nPort,
                                 DWORD_PTR dwContext)
    : m_pSession(pSession), m_server(pstrServer), m_port(nPort), m_dwContext(dwContext) {}

CHttpConnection::~CHttpConnection() {
    Close();
}

void CHttpConnection::Close() {
    m_open = false;
}

CHttpFile* CHttpConnection::OpenRequest(int nVerb, LPCWSTR pstrObjectName, LPCWSTR pstrReferer,
                                        DWORD_PTR dwContext, LPCWSTR* ppstrAcceptTypes, LPCWSTR pstrVersion,
                                        DWORD dwFlags) {
    static const wchar_t* const kVerbs[] = {L"POST", L"GET", L"HEAD", L"PUT", L"LINK", L"DELETE", L"UNLINK"};
    if (nVerb < _HTTP_VERB_MIN || nVerb > _HTTP_VERB_MAX)
        AfxThrowInternetException(dwContext, ERROR_INTERNET_INVALID_OPTION);
    return OpenRequest(kVerbs[nVerb], pstrObjectName, pstrReferer, dwContext, ppstrAcceptTypes, pstrVersion,
                       dwFlags);
}

CHttpFile* CHttpConnection::OpenRequest(LPCWSTR pstrVerb, LPCWSTR pstrObjectName, LPCWSTR pstrReferer,
                                        DWORD_PTR dwContext, LPCWSTR* ppstrAcceptTypes, LPCWSTR pstrVersion,
                                        DWORD dwFlags) {
    if (!m_open || !m_pSession->IsOpen())
        AfxThrowInternetException(dwContext, ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    CString object = pstrObjectName && *pstrObjectName ? CString(pstrObjectName) : CString(L"/");
    if (object[0] != L'/') object = L"/" + object;
    CHttpFile* file = nullptr;
    try {
        file = new CHttpFile(this, pstrVerb && *pstrVerb ? CString(pstrVerb) : CString(L"GET"), object,
                             pstrVersion ? CString(pstrVersion) : CString(), dwFlags, dwContext);
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
    if (pstrReferer && *pstrReferer) file->AddRequestHeaders(CString(L"Referer: ") + pstrReferer + L"\r\n");
    if (ppstrAcceptTypes && *ppstrAcceptTypes) {
        CString accept;
        for (LPCWSTR* t = ppstrAcceptTypes; *t; ++t)
            accept += (accept.IsEmpty() ? L"" : L", ") + CString(*t);
        file->AddRequestHeaders(L"Accept: " + accept + L"\r\n", HTTP_ADDREQ_FLAG_REPLACE);
    }
    return file;
}

// ---------------------------------------------------------------------------------------------
// The request file

struct CHttpFile::Transfer {
    DWORD status = 0;
    std::string statusText;
    std::string rawHeaders; // CRLF-separated, as bytes
    bool headersComplete = false;
    std::string body;
    size_t readOffset = 0;
    bool overLimit = false;
    DWORD deferredError = 0; // thrown by Read once the body that came is read

    // Receive time-out: the longest stretch without a byte moving either way.
    std::chrono::steady_clock::time_point lastActivity = std::chrono::steady_clock::now();
    curl_off_t lastSent = 0;
    std::chrono::milliseconds idleLimit{30000};
    bool idleTimedOut = false;
    void Touch() { lastActivity = std::chrono::steady_clock::now(); }
};

namespace {

std::string HeaderName(const std::string& line) {
    std::string name = line.substr(0, line.find(':'));
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.pop_back();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name;
}

// Splits CRLF- or LF-separated header text into lines without their line ends.
std::vector<std::string> HeaderLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        if (nl == std::string::npos) break;
        pos = nl + 1;
    }
    return lines;
}

// A URL path with blanks, controls and bytes above 0x7F escaped, so that it is one valid token.
std::string EscapeObject(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<CHttpFile::Transfer*>(user);
    size_t n = size * count;
    try {
        std::string line(data, n);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line.compare(0, 5, "HTTP/") == 0) {
            // A new reply (after an interim one or a followed redirect) starts afresh.
            t->rawHeaders.clear();
            t->headersComplete = false;
            size_t sp = line.find(' ');
            t->statusText.clear();
            if (sp != std::string::npos) {
                size_t sp2 = line.find(' ', sp + 1);
                if (sp2 != std::string::npos) t->statusText = line.substr(sp2 + 1);
            }
        }
        t->Touch();
        t->rawHeaders += line;
        t->rawHeaders += "\r\n";
        if (line.empty()) t->headersComplete = true;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<CHttpFile::Transfer*>(user);
    size_t n = size * count;
    t->Touch();
    size_t room = kInternetBodyLimit - t->body.size();
    try {
        t->body.append(data, std::min(n, room));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (n > room) {
        t->overLimit = true;
        return 0; // stops the transfer
    }
    return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
    auto* t = static_cast<CHttpFile::Transfer*>(user);
    if (sent != t->lastSent) {
        t->lastSent = sent;
        t->Touch();
    }
    if (std::chrono::steady_clock::now() - t->lastActivity > t->idleLimit) {
        t->idleTimedOut = true;
        return 1; // ends the transfer
    }
    return 0;
}

DWORD MapCurlError(CURLcode code) {
    switch (code) {
    case CURLE_COULDNT_CONNECT:
        return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_INTERNET_TIMEOUT;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_URL_MALFORMAT:
        return ERROR_INTERNET_INVALID_URL;
    case CURLE_TOO_MANY_REDIRECTS:
        return ERROR_HTTP_REDIRECT_FAILED;
    // A reply that is not HTTP at all (HTTP/0.9 is refused), or no reply before the close.
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING:
    case CURLE_BAD_CONTENT_ENCODING:
        return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_PARTIAL_FILE:
    case CURLE_WRITE_ERROR:
    case CURLE_ABORTED_BY_CALLBACK:
        return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        return ERROR_INTERNET_CONNECTION_RESET;
    default:
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
}

struct CurlHandle {
    const CurlLibrary* lib = Curl();
    CURL* h = lib ? lib->curl_easy_init() : nullptr;
    curl_slist* headers = nullptr;
    ~CurlHandle() {
        if (!lib) return;
        lib->curl_slist_free_all(headers);
        if (h) lib->curl_easy_cleanup(h);
    }
    bool AddHeader(const std::string& line) {
        curl_slist* next = lib->curl_slist_append(headers, line.c_str());
        if (!next) return false;
        headers = next;
        return true;
    }
};

// How often a transfer looks whether the process was asked to end.
constexpr int kEndCheckMs = 100;

// Runs the transfer to its end, or until the process is asked to end (cancelled is then set and
// the transfer given up), whatever the server does meanwhile.
CURLcode RunTransfer(const CurlHandle& curl, bool& cancelled) {
    const CurlLibrary& lib = *curl.lib;
    CURLM* multi = lib.curl_multi_init();
    if (!multi) return CURLE_OUT_OF_MEMORY;
    if (lib.curl_multi_add_handle(multi, curl.h) != CURLM_OK) {
        lib.curl_multi_cleanup(multi);
        return CURLE_FAILED_INIT;
    }
    CURLcode rc = CURLE_OK;
    for (;;) {
        int running = 0;
        const CURLMcode mc = lib.curl_multi_perform(multi, &running);
        if (mc != CURLM_OK) {
            rc = mc == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY : CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int left = 0;
            for (CURLMsg* msg; (msg = lib.curl_multi_info_read(multi, &left)) != nullptr;)
                if (msg->msg == CURLMSG_DONE) rc = msg->data.result;
            break;
        }
        if (device::ProcessEndRequested()) {
            cancelled = true;
            rc = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        lib.curl_multi_poll(multi, nullptr, 0, kEndCheckMs, nullptr);
    }
    lib.curl_multi_remove_handle(multi, curl.h);
    lib.curl_multi_cleanup(multi);
    return rc;
}

} // namespace

CHttpFile::CHttpFile(CHttpConnection* pConnection, const CString& verb, const CString& object,
                     const CString& version, DWORD dwFlags, DWORD_PTR dwContext)
    : m_pConnection(pConnection), m_verb(verb), m_object(object), m_version(version), m_dwFlags(dwFlags),
      m_dwContext(dwContext) {}

CHttpFile::~CHttpFile() = default;

void CHttpFile::Close() {
    m_open = false;
    m_transfer.reset();
}

BOOL CHttpFile::AddRequestHeaders(CString& str, DWORD dwFlags) {
    return AddRequestHeaders(str.GetString(), dwFlags);
}

BOOL CHttpFile::AddRequestHeaders(LPCWSTR pstrHeaders, DWORD dwFlags, int dwHeadersLen) {
    if (!pstrHeaders || !m_open || m_transfer) return FALSE;
    std::wstring text = dwHeadersLen < 0 ? std::wstring(pstrHeaders)
                                         : std::wstring(pstrHeaders, wcsnlen(pstrHeaders, dwHeadersLen));
    BOOL all = TRUE;
    try {
        for (const std::string& line : HeaderLines(device::NarrowToCp1252(text))) {
            size_t colon = line.find(':');
            if (colon == std::string::npos || HeaderName(line).empty()) {
                all = FALSE;
                continue;
            }
            std::string name = HeaderName(line);
            auto same = [&](const std::string& h) { return HeaderName(h) == name; };
            auto found = std::find_if(m_headers.begin(), m_headers.end(), same);
            if (dwFlags & HTTP_ADDREQ_FLAG_REPLACE) {
                m_headers.erase(std::remove_if(m_headers.begin(), m_headers.end(), same), m_headers.end());
                m_headers.push_back(line);
            } else if ((dwFlags & HTTP_ADDREQ_FLAG_ADD) || found == m_headers.end()) {
                m_headers.push_back(line);
            } else {
                SetLastError(ERROR_HTTP_HEADER_ALREADY_EXISTS);
                all = FALSE;
            }
        }
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
    return all;
}

BOOL CHttpFile::SendRequest(CString& strHeaders, LPVOID lpOptional, DWORD dwOptionalLen) {
    return SendRequest(strHeaders.GetString(), static_cast<DWORD>(strHeaders.GetLength()), lpOptional,
                       dwOptionalLen);
}

BOOL CHttpFile::SendRequest(LPCWSTR pstrHeaders, DWORD dwHeadersLen, LPVOID lpOptional, DWORD dwOptionalLen) {
    CInternetSession* session = m_pConnection->GetSession();
    if (!m_open || m_transfer || !session->IsOpen())
        AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    if (pstrHeaders && *pstrHeaders)
        AddRequestHeaders(pstrHeaders, HTTP_ADDREQ_FLAG_ADD,
                          dwHeadersLen ? static_cast<int>(dwHeadersLen) : -1);
    if (!device::NetworkOnline()) AfxThrowInternetException(m_dwContext, ERROR_INTERNET_CANNOT_CONNECT);
    // A program that is ending starts no request.
    if (device::ProcessEndRequested())
        AfxThrowInternetException(m_dwContext, ERROR_INTERNET_OPERATION_CANCELLED);

    DWORD error = 0;
    bool noMemory = false;
    try {
        auto transfer = std::make_unique<Transfer>();
        CurlHandle curl;
        if (!curl.lib) AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INTERNAL_ERROR);
        if (!curl.h) AfxThrowMemoryException();
        CURL* h = curl.h;
        auto setopt = curl.lib->curl_easy_setopt;

        std::string url = "http://" + device::NarrowToCp1252(m_pConnection->GetServerName().Str()) + ":" +
                          std::to_string(m_pConnection->GetPort()) +
                          EscapeObject(device::NarrowToCp1252(m_object.Str()));
        setopt(h, CURLOPT_URL, url.c_str());
        setopt(h, CURLOPT_NOSIGNAL, 1L);
        setopt(h, CURLOPT_PROXY, ""); // never through a host proxy named in the environment
        std::string agent = device::NarrowToCp1252(session->GetUserAgent().Str());
        setopt(h, CURLOPT_USERAGENT, agent.c_str());

        std::string verb = device::NarrowToCp1252(m_verb.Str());
        static const char kEmpty[] = "";
        const char* body = lpOptional ? static_cast<const char*>(lpOptional) : kEmpty;
        curl_off_t bodyLen = lpOptional ? dwOptionalLen : 0;
        if (verb == "GET") {
            setopt(h, CURLOPT_HTTPGET, 1L);
        } else if (verb == "HEAD") {
            setopt(h, CURLOPT_NOBODY, 1L);
        } else {
            setopt(h, CURLOPT_POSTFIELDS, body);
            setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, bodyLen);
            if (verb != "POST") setopt(h, CURLOPT_CUSTOMREQUEST, verb.c_str());
        }

        bool hasContentType = false;
        long version = m_version.Compare(L"HTTP/1.0") == 0 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1;
        for (const std::string& line : m_headers) {
            if (HeaderName(line) == "content-type") hasContentType = true;
            if (!curl.AddHeader(line)) AfxThrowMemoryException();
        }
        // Only the headers the caller gave: no form content type of libcurl's own, no
        // "Expect: 100-continue" round trip before a larger body.
        if ((!hasContentType && !curl.AddHeader("Content-Type:")) || !curl.AddHeader("Expect:"))
            AfxThrowMemoryException();
        setopt(h, CURLOPT_HTTPHEADER, curl.headers);
        setopt(h, CURLOPT_HTTP_VERSION, version);

        bool follow = !(m_dwFlags & INTERNET_FLAG_NO_AUTO_REDIRECT);
        setopt(h, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L);
        setopt(h, CURLOPT_MAXREDIRS, 5L);
        setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(std::max<DWORD>(session->m_connectTimeout, 1)));
        setopt(h, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(std::max<DWORD>(session->m_overallTimeout, 1)));
        transfer->idleLimit = std::chrono::milliseconds(session->m_receiveTimeout);
        setopt(h, CURLOPT_NOPROGRESS, 0L);
        setopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
        setopt(h, CURLOPT_XFERINFODATA, transfer.get());

        setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
        setopt(h, CURLOPT_HEADERDATA, transfer.get());
        setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
        setopt(h, CURLOPT_WRITEDATA, transfer.get());

        // The silence is counted from the transfer's start, not from the loading of libcurl.
        transfer->Touch();
        bool cancelled = false;
        CURLcode rc = RunTransfer(curl, cancelled);
        long status = 0;
        curl.lib->curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        // libcurl takes a connection closed inside the reply head for a whole, empty reply: a
        // head that never reached its blank line is no reply.
        if (rc == CURLE_OK && !transfer->headersComplete) rc = CURLE_WEIRD_SERVER_REPLY;
        if (cancelled) {
            error = ERROR_INTERNET_OPERATION_CANCELLED;
        } else if (rc == CURLE_OUT_OF_MEMORY) {
            noMemory = true;
        } else if (rc != CURLE_OK) {
            DWORD mapped = transfer->overLimit      ? ERROR_INTERNET_CONNECTION_ABORTED
                           : transfer->idleTimedOut ? ERROR_INTERNET_TIMEOUT
                                                    : MapCurlError(rc);
            // A failure after a complete reply head shows when the body is read; a followed
            // redirect that went wrong fails the send.
            if (transfer->headersComplete && status > 0 && rc != CURLE_TOO_MANY_REDIRECTS)
                transfer->deferredError = mapped;
            else
                error = mapped;
        }
        if (!noMemory && !error) {
            transfer->status = static_cast<DWORD>(status);
            m_transfer = std::move(transfer);
        }
    } catch (const std::bad_alloc&) {
        noMemory = true;
    }
    if (noMemory) AfxThrowMemoryException();
    if (error) AfxThrowInternetException(m_dwContext, error);
    return TRUE;
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& dwStatusCode) const {
    if (!m_transfer) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
        return FALSE;
    }
    dwStatusCode = m_transfer->status;
    return TRUE;
}

BOOL CHttpFile::QueryInfo(DWORD dwInfoLevel, CString& str, LPDWORD) const {
    if (!m_transfer) {
        SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
        return FALSE;
    }
    switch (dwInfoLevel) {
    case HTTP_QUERY_RAW_HEADERS_CRLF:
        str = CString(device::WidenBytes(m_transfer->rawHeaders));
        return TRUE;
    case HTTP_QUERY_STATUS_CODE:
        str.Format(L"%u", static_cast<unsigned>(m_transfer->status));
        return TRUE;
    case HTTP_QUERY_STATUS_TEXT:
        str = CString(device::WidenBytes(m_transfer->statusText));
        return TRUE;
    default:
        SetLastError(ERROR_HTTP_HEADER_NOT_FOUND);
        return FALSE;
    }
}

BOOL CHttpFile::SetReadBufferSize(UINT nReadSize) {
    m_readBufferSize = nReadSize;
    return TRUE;
}

UINT CHttpFile::Read(void* lpBuf, UINT nCount) {
    if (!m_transfer) AfxThrowInternetException(m_dwContext, ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    Transfer& t = *m_transfer;
    size_t n = std::min<size_t>(nCount, t.body.size() - t.readOffset);
    if (n == 0) {
        if (t.deferredError && nCount) AfxThrowInternetException(m_dwContext, t.deferredError);
        return 0;
    }
    std::memcpy(lpBuf, t.body.data() + t.readOffset, n);
    t.readOffset += n;
    return static_cast<UINT>(n);
}
