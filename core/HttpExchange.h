#pragma once
// The feed exchange: one form POST to the feed server over a Connection Manager connection,
// with the session cookie, at most one redirect, the reply headers the program keeps
// (session id, reply code, news id), the reply code's message and the reply body.
// Every failure is shown to the user once and gives an empty text.

#include "platform/base/CString.h"
#include "platform/framework/Internet.h"
#include "platform/system/ConnMgr.h"
#include "platform/base/WinTypes.h"

#include <string_view>

// The internet session of one exchange: agent "Jorvana", the owner window as its context.
class CServerSession : public CInternetSession {
public:
    explicit CServerSession(HWND owner);
    ~CServerSession() override;
};

// The body handed back holds fewer characters than this; a longer reply is cut to the 1024-byte
// pieces that stay under it.
inline constexpr int kFeedBodyCap = 256000;
// The text of a reply body's bytes. The UTF-8 byte-order mark that many editors put at the start
// of a file is no part of the reply: after it the bytes are read as UTF-8 (when they are
// well-formed UTF-8; else as the bytes of any other body). A body without the mark has each byte
// read as one Windows-1252 character. A body of the mark alone is empty.
CString ReplyBodyText(std::string_view bytes);
// What may stand between a reply's records without being data: line ends (CR LF or LF).
inline constexpr wchar_t kReplyLineEnds[] = L"\r\n";
// The request header text holds at most this many characters.
inline constexpr int kFeedHeaderCap = 2055;

// What the program takes from the raw reply headers. A header that is missing, or whose text
// is not usable, leaves its flag false.
struct ServerReplyHeaders {
    CString sessionId;
    bool hasSessionId = false;
    CString ServerReplyCode; // four characters after "ServerMSG: "
    bool hasReplyCode = false;
    CString newsId;
    bool hasNewsId = false;
};
ServerReplyHeaders ParseServerReplyHeaders(const CString& rawHeaders);

// True for a session id that may go into a Cookie header: 1 to 512 letters, digits, "-" or "_".
bool IsUsableSessionId(const CString& id);

// A form value that cannot break the form: the value as single-byte text, with "%", "&", "=",
// "+" and control characters written as "%XX". Every other byte (quotes, commas, blanks, the
// letters above 0x7F) is sent as it stands.
CString EncodeFormValue(const CString& value);

// The message a reply's status and code call for (status tested first); empty for none.
CString ReplyCodeMessage(DWORD status, const CString& code);

// The description of the destination with that GUID; empty when none.
CString FindConnectionDestination(const GUID& guid);
// The description of the last destination with an HTTP proxy provider key; empty when none.
CString GetConnectionProviderName();
// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", upper case, no braces.
CString FormatGuid(const GUID& guid);

// Time-outs of one exchange, in milliseconds. Tests shorten them.
struct HttpExchangeTimeouts {
    DWORD connectionMs = 30000; // each Connection Manager attempt
    DWORD connectMs = 30000;    // the TCP connection to the server
    DWORD receiveMs = 30000;    // longest silence while sending or receiving
    DWORD overallMs = 30000;    // one whole request: a server that trickles its reply ends here
};
void SetHttpExchangeTimeouts(const HttpExchangeTimeouts& timeouts);
HttpExchangeTimeouts GetHttpExchangeTimeouts();

// Posts "inet=<connection>:<provider>&" + query to the server URL and returns the reply body,
// or an empty text after the failure was shown. Message boxes are owned by owner.
CString HttpExchange(const CString& serverUrl, const CString& query, HWND owner);
