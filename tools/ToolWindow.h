#pragma once
// What the Tools page and its tool windows share: the work-area metrics they lay out on, the
// program-wide font settings, leaving a tool for the Tools list, hiding the Tools list shown
// over a tool, and the reading of their skin values from the current skin.

#include "core/SkinFile.h"
#include "platform/framework/GdiObjects.h"
#include "platform/framework/Wnd.h"

// The program's registry key under HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t* kToolsRegistryKey = L"Jorvana";

namespace toolwin {

// The work area and the height a tool window has below the tab row.
struct ToolMetrics {
    int width = 0;      // work-area width
    int height = 0;     // work-area height
    int menuHeight = 0; // the system's menu-bar height
    int pageHeight = 0; // height - menuHeight - 26 (the tab row)
    bool Portrait() const { return width < height; }
};
ToolMetrics ReadToolMetrics();

// The font size base and face every page adds to and uses when it creates fonts: the
// program-wide values the main window read at start-up (`fontbase`, `font`).
int ToolFontBase();
CString ToolFontFace();

// A font of the given height, weight, quality and pitch-and-family, default character set; the
// font's previous object, if any, is released first.
BOOL CreateToolFont(CFont& font, int height, int weight, LPCWSTR face, BYTE quality = 4, BYTE pitchAndFamily = 0);

// "Back to Tools": hides the tool window and shows its owner, the Tools list. Returns 1.
LRESULT LeaveToolWindow(CWnd* tool);

// A tap on a tool: when the Tools list is shown over the open tool (the page container's
// Tools-list flag), the container hides it and moves the tab focus to the Tools tab. Nothing
// when the tool's parent is not the page container.
void HideToolsList(CWnd* tool);

// The current skin as a tool reads it: the chosen file, or default.skn when the chosen one
// cannot be opened ("Skin File corrupted..." shown and `skin` set to the default file's path);
// "Default Skin file corrupted..." when no file could be read, and then loaded is false and the
// tool keeps its values.
struct ToolSkin {
    bool loaded = false;
    CString name;     // the skin file's name
    CString text;     // the whole skin text
    CString folder;   // where the skin's folders lie
    CString portrait; // "Common Folders" P
    CString tools;    // the "Tools" section text
    COLORREF Color(LPCWSTR key) const;
    // The portrait image named by a key of the Tools section (null when it does not load).
    HBITMAP LoadPortraitImage(LPCWSTR key) const;
};
ToolSkin ReadToolSkin();

// Replaces a kept bitmap with a newly loaded one (which may be null).
void ReplaceBitmap(CBitmap& kept, HBITMAP loaded);
// Stretches a bitmap over (0, 0)-(width, height) of the DC; nothing for an empty bitmap.
void StretchBitmap(CDC* dc, CBitmap& bitmap, int width, int height);

// Vertical scrolling of a tool window taller than its room (input panel up): the offset after a
// scroll-bar request (a line is range / 20, a page range / 10; track and end change nothing).
int NextScrollOffset(UINT request, int offset, int range, int thumb);
// Sets the scroll bar to 0..range (page range / 10) at position 0.
void ResetToolScrollBar(CWnd* tool, int range);
// Moves the window's contents, child controls included, from offset to newOffset and sets the
// scroll bar's position; offset becomes newOffset.
void ScrollToolWindow(CWnd* tool, int& offset, int newOffset);

// The input panel raised or lowered while a tool is open: the tool keeps the place the Tools
// page gave it and, while the panel is up, gives up the panel's 80 pixels at its bottom.
class CToolPanelPlacement {
public:
    bool PanelUp() const;
    // Shrinks the window for a raised panel (remembering its place) or puts it back.
    void Apply(CWnd* tool, bool panelUp);

private:
    bool m_bShrunk = false;
    CRect m_rcFull; // in the parent's client coordinates
};
// A tool window that the Tools page ends at the raised input panel's top edge, and that then
// scrolls its controls when they need more room than is left; with the panel down it shows no
// scroll bar and lays out as before.
class CToolScroll {
public:
    // Before the controls are placed from the top for content of this height: the offset is 0
    // again and the window's bar is shown or hidden. Returns the width to place the controls
    // in: the client area's beside a shown bar, else workWidth.
    int Prepare(CWnd* tool, int contentHeight, int workWidth);
    // A scroll-bar request: moves the controls and the bar's thumb.
    void OnVScroll(CWnd* tool, UINT code, UINT thumb);
    // Moves the controls up by offset (kept within the range).
    void ScrollTo(CWnd* tool, int offset);
    // How far the controls are moved up.
    int Offset() const { return m_nOffset; }
    // How far they can be moved up: 0 while the window shows no scroll bar.
    int Range(CWnd* tool) const;

private:
    int m_nOffset = 0;
    int m_nContent = 0;
    bool m_bBusy = false;
};

// The height a window whose top lies at screen y top may have and still end above the raised
// input panel (0 when its top is under the panel).
int HeightAbovePanel(int top);

// After a settings change: hides the tool's owner, the Tools list, when the tool is on show and
// has an owner of its own.
void HideToolsListUnder(CWnd* tool);

} // namespace toolwin
