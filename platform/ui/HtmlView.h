#pragma once
// The HTML viewer control ("DISPLAYCLASS"): shows an HTML page given as text or read from a local
// file, with zoom levels, vertical scrolling by stylus, keys and its scroll bar, and local links.
// It never reaches the network: only file addresses (and bare device paths) are opened.
//
// Messages:
//   WM_SETTEXT          replaces the content with the text (HTML); an empty text clears the view
//   DTM_ADDTEXTW        appends text; wParam FALSE: HTML, TRUE: plain text (shown as written)
//   DTM_ENDOFSOURCE     the text is complete: the page is laid out, NM_DOCUMENTCOMPLETE follows
//   DTM_NAVIGATE        lParam: the address ("file://" + device path); the parent hears
//                       NM_BEFORENAVIGATE (a nonzero answer cancels), then NM_DOCUMENTCOMPLETE
//   DTM_ZOOMLEVEL       lParam: 0 (smallest) .. 4 (largest); 2 is the default
//   DTM_ENABLESHRINK    lParam: nonzero shrinks pictures wider than the view to its width
//   DTM_CLEAR           same as an empty WM_SETTEXT

#include "platform/ui/CommonNotify.h"
#include "platform/ui/WinUser.h"

#define DISPLAYCLASS L"DISPLAYCLASS"
#define WC_HTML DISPLAYCLASS

#define DTM_ADDTEXT (WM_USER + 101)
#define DTM_ADDTEXTW (WM_USER + 102)
#define DTM_ENDOFSOURCE (WM_USER + 104)
#define DTM_CLEAR (WM_USER + 113)
#define DTM_ZOOMLEVEL (WM_USER + 116)
#define DTM_NAVIGATE (WM_USER + 120)
#define DTM_ENABLESHRINK (WM_USER + 127)

#define NM_HOTSPOT (WM_USER + 101)
#define NM_BEFORENAVIGATE (WM_USER + 109)
#define NM_DOCUMENTCOMPLETE (WM_USER + 111)

// What the viewer's notifications carry (WM_NOTIFY, lParam).
struct NM_HTMLVIEWW {
    NMHDR hdr;
    LPCWSTR szTarget; // the address
    LPCWSTR szData;
    DWORD dwCookie;
    LPCWSTR szExInfo;
};
typedef NM_HTMLVIEWW NM_HTMLVIEW;

// Registers the viewer's window class for the program; nonzero on success.
BOOL InitHTMLControl(HINSTANCE instance);

namespace device::ui {

// Test and diagnostics view of a viewer window.
struct HtmlViewState {
    int zoom = 2;
    bool shrink = false;
    int scroll = 0;          // first shown document row
    int documentHeight = 0;  // laid-out height of the page
    int defaultFontSize = 0; // pixels, from the zoom level
    std::wstring address;    // the page's address, empty for added text
    std::wstring caption;    // the page's <title>
};
bool GetHtmlViewState(HWND viewer, HtmlViewState& state);

} // namespace device::ui
