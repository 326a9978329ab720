#include "core/HttpExchange.h"

#include "core/CoreMessages.h"
#include "core/RegistryKey.h"
#include "platform/base/CodePage.h"
#include "platform/base/Utf8.h"
#include "platform/system/Registry.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"
#include "resources/resource.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

const WCHAR kJorvanaKey[] = L"Jorvana";
// Any well-known public address: the Connection Manager only tells which destination serves it.
const WCHAR kPublicTestUrl[] = L"http://www.example.com/";
const WCHAR* const kProviderKeys[] = {
    L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{EF097F4C-DC4B-4c98-8FF6-AEF805DC0E8E}\\HTTP-{",
    L"Comm\\ConnMgr\\Providers\\{EF097F4C-DC4B-4c98-8FF6-AEF805DC0E8E}\\HTTP-{",
};

const GUID kInternetNetwork = {0x436EF144, 0xB4FB, 0x4863, {0xA0, 0x41, 0x8F, 0x90, 0x5A, 0x62, 0xC5, 0x72}};
const GUID kWorkNetwork = {0xA1182988, 0x0D73, 0x439E, {0x87, 0xAD, 0x2A, 0x5B, 0x36, 0x9F, 0x80, 0x8B}};
const GUID kWapNetwork = {0x7022E968, 0x5A97, 0x4051, {0xBC, 0x1C, 0xC5, 0x78, 0xE2, 0xFB, 0xA5, 0xD9}};
const GUID kSecureWapNetwork = {0xF28D1F74, 0x72BE, 0x4394, {0xA4, 0xA7, 0x4E, 0x29, 0x62, 0x19, 0x39, 0x0C}};

bool IsStandardNetwork(const GUID& guid) {
    return guid == kInternetNetwork || guid == kWorkNetwork || guid == kWapNetwork || guid == kSecureWapNetwork;
}

std::mutex g_timeoutLock;
HttpExchangeTimeouts g_timeouts;

CString S(UINT id) { return LoadCoreString(id); }

CString ErrorCaption() { return S(IDS_ERROR_CAPTION); }

void ShowError(HWND owner, const CString& text) {
    ShowCoreMessageBox(owner, text, ErrorCaption(), MB_OK | MB_ICONWARNING);
}

CString Decimal(DWORD value) {
    CString text;
    text.Format(L"%lu", static_cast<unsigned long>(value));
    return text;
}

// "Cannot connect to Server(<code>).\n\nFor more information: Please contact support."
CString CannotConnectText(DWORD code) {
    return S(IDS_CANNOT_CONNECT_SERVER) + L"(" + Decimal(code) + L").\n\n" + S(IDS_MORE_INFORMATION) + L" " +
           S(IDS_CONTACT_SUPPORT);
}

// "<text of id>(<code>).\n\n" and the advice to try again later.
CString TryLaterText(UINT id, DWORD code) {
    return S(id) + L"(" + Decimal(code) + L").\n\n" + S(IDS_TRY_AGAIN_LATER);
}

// End of the header line that starts at or before pos: its "\r" or "\n", or the end.
size_t LineEnd(const std::wstring& text, size_t pos) {
    size_t end = text.find_first_of(L"\r\n", pos);
    return end == std::wstring::npos ? text.size() : end;
}

// The text after name up to the end of its line; false when the name does not occur.
bool HeaderText(const std::wstring& raw, const wchar_t* name, std::wstring& value) {
    size_t at = raw.find(name);
    if (at == std::wstring::npos) return false;
    size_t start = at + std::wcslen(name);
    value = raw.substr(start, LineEnd(raw, start) - start);
    return true;
}

// Connection Manager connections of one exchange, released without caching when it ends.
class ConnectionHandles {
public:
    ~ConnectionHandles() {
        for (HANDLE handle : m_handles)
            ConnMgrReleaseConnection(handle, 0);
    }
    void Add(HANDLE handle) {
        if (handle) m_handles.push_back(handle);
    }

private:
    std::vector<HANDLE> m_handles;
};

// Walks the destinations, connects each one and asks the user to confirm the one that serves the
// public test URL. False (after the box saying so) when none was chosen.
bool ChooseConnection(HWND owner, const GUID& mapped, DWORD timeout, ConnectionHandles& handles) {
    CString others = S(IDS_SET_DEFAULT_CONNECTION);
    bool chosen = false;
    for (int index = 0;; ++index) {
        CONNMGR_DESTINATION_INFO info{};
        if (FAILED(ConnMgrEnumDestinations(index, &info))) break;
        CONNMGR_CONNECTIONINFO request{};
        request.cbSize = sizeof request;
        request.dwParams = CONNMGR_PARAM_GUIDDESTNET;
        request.dwFlags = CONNMGR_FLAG_PROXY_HTTP | CONNMGR_FLAG_PROXY_WAP | CONNMGR_FLAG_PROXY_SOCKS4 |
                          CONNMGR_FLAG_PROXY_SOCKS5;
        request.dwPriority = CONNMGR_PRIORITY_USERINTERACTIVE;
        request.bExclusive = FALSE;
        request.bDisabled = FALSE;
        request.guidDestNet = info.guid;
        // Two attempts one after the other; the second one's outcome counts.
        bool connected = false;
        for (int attempt = 0; attempt < 2; ++attempt) {
            HANDLE handle = nullptr;
            DWORD status = CONNMGR_STATUS_UNKNOWN;
            HRESULT result = ConnMgrEstablishConnectionSync(&request, &handle, timeout, &status);
            handles.Add(handle);
            connected = SUCCEEDED(result) && status == CONNMGR_STATUS_CONNECTED;
        }
        if (!connected) continue;
        CString description(info.szDescription);
        if (info.guid == mapped) {
            CString text;
            text.Format(S(IDS_CONNECTION_WILL_BE_USED), static_cast<LPCWSTR>(description),
                        static_cast<LPCWSTR>(GetConnectionProviderName()));
            if (mapped == kInternetNetwork) text += S(IDS_CONFIGURE_NETWORK);
            if (ShowCoreMessageBox(owner, text, S(IDS_CONFIRMATION), MB_YESNO) == IDYES) chosen = true;
        } else if (!IsStandardNetwork(info.guid)) {
            others += L"- " + description + L"\n";
        }
    }
    if (chosen) return true;
    if (mapped == kInternetNetwork && others.Find(L'-') >= 0) {
        CString cannot = S(IDS_CANNOT_UPDATE);
        int dot = cannot.Find(L'.');
        ShowCoreMessageBox(owner, cannot.Left(dot + 1) + L"\n\n" + others, ErrorCaption(), MB_OK);
    } else {
        ShowError(owner, S(IDS_CANNOT_UPDATE));
    }
    return false;
}

// The session, connection and request of one exchange, closed in that order's reverse.
struct RequestObjects {
    std::unique_ptr<CServerSession> session;
    std::unique_ptr<CHttpConnection> connection;
    std::unique_ptr<CHttpFile> file;

    void CloseRequest() {
        if (file) file->Close();
        file.reset();
        if (connection) connection->Close();
        connection.reset();
    }
    ~RequestObjects() {
        CloseRequest();
        if (session) session->Close();
    }

    // Opens a POST for the object, adds the headers and sends the body; returns the status.
    DWORD Post(const CString& server, INTERNET_PORT port, const CString& object, CString& headers,
               std::string& body) {
        connection.reset(session->GetHttpConnection(server, port));
        file.reset(connection->OpenRequest(CHttpConnection::HTTP_VERB_POST, object, nullptr, 1, nullptr, nullptr,
                                           INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT));
        file->AddRequestHeaders(headers, HTTP_ADDREQ_FLAG_ADD_IF_NEW);
        file->SendRequest(nullptr, 0, body.data(), static_cast<DWORD>(body.size()));
        DWORD status = 0;
        file->QueryInfoStatusCode(status);
        return status;
    }

    CString RawHeaders() const {
        CString raw;
        file->QueryInfo(HTTP_QUERY_RAW_HEADERS_CRLF, raw);
        return raw;
    }
};

bool ParseHttpUrl(const CString& url, CString& server, CString& object, INTERNET_PORT& port) {
    DWORD service = 0;
    return AfxParseURL(url, service, server, object, port) && service == AFX_INET_SERVICE_HTTP;
}

// Keeps the news id and the session id of a reply, as the registry holds them.
void StoreReplyState(const ServerReplyHeaders& reply, const CString& storedSession, bool sessionMissing) {
    CRegistryKey registry;
    CString newsId = registry.ReadString(HKEY_LOCAL_MACHINE, kJorvanaKey, L"newsid");
    if (newsId.IsEmpty()) {
        newsId = L"0";
        registry.WriteString(HKEY_LOCAL_MACHINE, kJorvanaKey, L"newsid", newsId);
    }
    if (reply.hasNewsId)
        registry.WriteDword(HKEY_LOCAL_MACHINE, kJorvanaKey, L"newnews", reply.newsId == newsId ? 0 : 1);
    if (reply.hasSessionId && (sessionMissing || reply.sessionId != storedSession))
        registry.WriteString(HKEY_LOCAL_MACHINE, kJorvanaKey, L"MSSI", reply.sessionId);
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Reads the body in 1024-byte pieces while it stays under the cap: the piece that would reach
// it and everything after it are left out (the reply parsers drop an unfinished last record).
// A byte-order mark in front counts for nothing.
CString ReadBody(CHttpFile& file) {
    file.SetReadBufferSize(2048);
    std::string bytes;
    char piece[1024];
    while (UINT count = file.Read(piece, sizeof piece)) {
        // Whether the body opens with the mark, once this piece is in.
        std::string_view opening(bytes.data(), std::min(bytes.size(), kUtf8Mark.size()));
        std::string start(opening);
        start.append(piece, std::min<size_t>(count, kUtf8Mark.size() - opening.size()));
        const size_t held = bytes.size() + count - (start == kUtf8Mark ? kUtf8Mark.size() : 0);
        if (held >= static_cast<size_t>(kFeedBodyCap)) break;
        bytes.append(piece, count);
    }
    return ReplyBodyText(bytes);
}

} // namespace

CServerSession::CServerSession(HWND owner)
    : CInternetSession(L"Jorvana", reinterpret_cast<DWORD_PTR>(owner), PRE_CONFIG_INTERNET_ACCESS) {}

CServerSession::~CServerSession() { Close(); }

CString ReplyBodyText(std::string_view bytes) {
    if (!bytes.starts_with(kUtf8Mark)) return CString(device::WidenBytes(bytes));
    bytes.remove_prefix(kUtf8Mark.size());
    // Well-formed UTF-8 reads back to the same bytes; anything else (bytes of a single-byte text
    // behind the mark) would not, and is read byte by byte instead.
    std::wstring text = device::FromUtf8(bytes);
    if (device::ToUtf8(text) != bytes) text = device::WidenBytes(bytes);
    return CString(std::move(text));
}

ServerReplyHeaders ParseServerReplyHeaders(const CString& rawHeaders) {
    ServerReplyHeaders reply;
    const std::wstring& raw = rawHeaders.Str();
    std::wstring value;
    // The session id runs to the first "." of its own line, less the blank after the colon.
    if (HeaderText(raw, L"sessionId:", value)) {
        size_t dot = value.find(L'.');
        if (dot != std::wstring::npos && dot > 1) {
            CString id(value.substr(1, dot - 1));
            if (IsUsableSessionId(id)) {
                reply.sessionId = id;
                reply.hasSessionId = true;
            }
        }
    }
    // The code is the four characters after the blank, in the text before the first "C".
    if (HeaderText(raw, L"ServerMSG:", value)) {
        value = value.substr(0, value.find(L'C'));
        if (value.size() > 1) {
            reply.ServerReplyCode = CString(value.substr(1, 4));
            reply.hasReplyCode = true;
        }
    }
    if (HeaderText(raw, L"newsid: ", value)) {
        reply.newsId = CString(value);
        reply.hasNewsId = true;
    }
    return reply;
}

bool IsUsableSessionId(const CString& id) {
    if (id.IsEmpty() || id.GetLength() > 512) return false;
    return std::all_of(id.Str().begin(), id.Str().end(), [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'-' ||
               c == L'_';
    });
}

CString ReplyCodeMessage(DWORD status, const CString& code) {
    // A status that is no success is the server's own error: its number is the HTTP status,
    // whatever feed code the reply's headers carry.
    if (status < 200 || status > 299) return TryLaterText(IDS_SERVER_ERROR, status);
    CString shown = L"(" + code + L").\n\n";
    if (code == L"1001") return S(IDS_INVALID_REQUEST) + shown + S(IDS_TRY_AGAIN_LATER);
    if (code == L"1004") return S(IDS_SERVER_ERROR) + shown + S(IDS_TRY_AGAIN_LATER);
    if (code == L"1006") return S(IDS_CITY_NOT_AVAILABLE) + shown + S(IDS_CONTACT_SUPPORT);
    if (code == L"1007") return S(IDS_NO_UPDATES) + L"(" + code + L").";
    return CString();
}

CString FindConnectionDestination(const GUID& guid) {
    for (int index = 0;; ++index) {
        CONNMGR_DESTINATION_INFO info{};
        if (FAILED(ConnMgrEnumDestinations(index, &info))) return CString();
        if (info.guid == guid) return CString(info.szDescription);
    }
}

CString GetConnectionProviderName() {
    CString name;
    for (int index = 0;; ++index) {
        CONNMGR_DESTINATION_INFO info{};
        if (FAILED(ConnMgrEnumDestinations(index, &info))) break;
        for (const WCHAR* base : kProviderKeys) {
            CString path = CString(base) + FormatGuid(info.guid) + L"}";
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
                RegCloseKey(key);
                name = info.szDescription;
                break;
            }
        }
    }
    return name;
}

CString FormatGuid(const GUID& guid) {
    CString text;
    text.Format(L"%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", static_cast<unsigned long>(guid.Data1),
                guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

CString EncodeFormValue(const CString& value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string bytes = device::NarrowToCp1252(value.Str());
    std::wstring out;
    for (unsigned char byte : bytes) {
        // Bytes above 0x7F go out as they stand: the server reads the values as single-byte text.
        if (byte < 0x20 || byte == 0x7F || byte == '%' || byte == '&' || byte == '=' || byte == '+') {
            out += L'%';
            out += static_cast<wchar_t>(kHex[byte >> 4]);
            out += static_cast<wchar_t>(kHex[byte & 15]);
        } else {
            out += device::WidenByte(byte);
        }
    }
    return CString(std::move(out));
}

void SetHttpExchangeTimeouts(const HttpExchangeTimeouts& timeouts) {
    std::lock_guard lock(g_timeoutLock);
    g_timeouts = timeouts;
}

HttpExchangeTimeouts GetHttpExchangeTimeouts() {
    std::lock_guard lock(g_timeoutLock);
    return g_timeouts;
}

CString HttpExchange(const CString& serverUrl, const CString& query, HWND owner) {
    HttpExchangeTimeouts timeouts = GetHttpExchangeTimeouts();
    ConnectionHandles connections;
    GUID mapped{};
    ConnMgrMapURL(kPublicTestUrl, &mapped, nullptr);
    if (!ChooseConnection(owner, mapped, timeouts.connectionMs, connections)) return CString();

    CString text = L"inet=" + EncodeFormValue(FindConnectionDestination(mapped)) + L":" +
                   EncodeFormValue(GetConnectionProviderName()) + L"&" + query;
    std::string body = device::NarrowToCp1252(text.Str());

    CRegistryKey registry;
    CString session = registry.ReadString(HKEY_LOCAL_MACHINE, kJorvanaKey, L"MSSI");
    // A stored id that could not stand in a Cookie header is treated as none, so that the
    // server's next id replaces it.
    bool sessionMissing = session.IsEmpty() || !IsUsableSessionId(session);

    // A usable id is at most 512 characters, so the header text stays within its cap.
    static_assert(49 + 19 + 512 + 2 <= kFeedHeaderCap);
    CString headers = L"Content-Type: application/x-www-form-urlencoded\r\n";
    if (!sessionMissing) headers += L"Cookie: JSESSIONID=" + session + L"\r\n";

    // A reply code's message may come before the body is read; a failure while reading it then
    // shows nothing more, so that one exchange never shows more than one box.
    bool messageShown = false;
    // Set once the server has answered with a status: a transfer broken off after that is a cut
    // reply, not a connection that could not be made.
    bool answered = false;
    try {
        RequestObjects request;
        request.session = std::make_unique<CServerSession>(owner);
        request.session->SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, timeouts.connectMs);
        request.session->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts.receiveMs);
        request.session->SetOption(INTERNET_OPTION_OVERALL_TIMEOUT, timeouts.overallMs);

        CString server, object;
        INTERNET_PORT port = 0;
        if (!ParseHttpUrl(serverUrl, server, object, port)) {
            ShowError(owner, S(IDS_SERVER_URL_ERROR));
            return CString();
        }
        DWORD status = request.Post(server, port, object, headers, body);
        if (status == 301 || status == 302 || status == 303) {
            std::wstring location;
            if (!HeaderText(request.RawHeaders().Str(), L"Location: ", location)) {
                ShowError(owner, S(IDS_REDIRECT_NO_LOCATION));
                return CString();
            }
            request.CloseRequest();
            if (!ParseHttpUrl(CString(location), server, object, port)) {
                ShowError(owner, S(IDS_REDIRECTED_URL_ERROR));
                return CString();
            }
            // One redirect only: a redirected request that is sent on again (a loop, or a chain)
            // ends here, saying so.
            status = request.Post(server, port, object, headers, body);
            if (status == 301 || status == 302 || status == 303) {
                ShowError(owner, TryLaterText(IDS_TOO_MANY_REDIRECTS, status));
                return CString();
            }
        }
        if (status == 401) {
            ShowError(nullptr, S(IDS_ACCESS_DENIED));
            return CString();
        }
        answered = true;

        ServerReplyHeaders reply = ParseServerReplyHeaders(request.RawHeaders());
        StoreReplyState(reply, session, sessionMissing);
        CString message = ReplyCodeMessage(status, reply.hasReplyCode ? reply.ServerReplyCode : CString());
        if (!message.IsEmpty()) {
            ShowCoreMessageBox(owner, message, L"Jorvana", MB_OK | MB_ICONWARNING);
            messageShown = true;
        }
        // A reply that is not a success carries no feed, whatever its body holds.
        if (status < 200 || status > 299) return CString();

        return ReadBody(*request.file);
    } catch (CInternetException* e) {
        DWORD code = e->m_dwError;
        e->Delete();
        // Given up because the program is ending: a failed exchange with nothing to say.
        if (messageShown || code == ERROR_INTERNET_OPERATION_CANCELLED) return CString();
        if (code == ERROR_INTERNET_CANNOT_CONNECT)
            ShowError(owner, S(IDS_CANNOT_UPDATE));
        else if (code == ERROR_INTERNET_TIMEOUT)
            // The connection was made; the server kept silent past the time-out.
            ShowError(owner, TryLaterText(IDS_SERVER_NO_ANSWER, code));
        else if (code == ERROR_HTTP_INVALID_SERVER_RESPONSE ||
                 (answered && (code == ERROR_INTERNET_CONNECTION_ABORTED || code == ERROR_INTERNET_CONNECTION_RESET)))
            // The server took the request and closed before a whole reply head, sent no HTTP, or
            // broke its body off short of the length it announced.
            ShowError(owner, TryLaterText(IDS_SERVER_REPLY_CUT, code));
        else if (code < 0x10000000)
            ShowError(owner, CannotConnectText(code));
    } catch (CMemoryException* e) {
        e->Delete();
        if (!messageShown) ShowError(owner, S(IDS_NOT_ENOUGH_MEMORY));
    } catch (const std::bad_alloc&) {
        if (!messageShown) ShowError(owner, S(IDS_NOT_ENOUGH_MEMORY));
    }
    return CString();
}
