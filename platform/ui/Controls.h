#pragma once
// The device's basic controls: static texts and pictures, buttons, edit fields, scroll bars (of
// windows and as controls), trackbars, image lists, the caret and the clipboard.
//
// [SECTION] Class names and registration
// [SECTION] Static
// [SECTION] Button
// [SECTION] Edit
// [SECTION] Caret
// [SECTION] Clipboard
// [SECTION] Scroll bars
// [SECTION] Trackbar
// [SECTION] Image lists
// [SECTION] Helpers shared by the controls

#include "platform/base/WinTypes.h"
#include "platform/gdi/WinGdi.h"
#include "platform/ui/WinUser.h"

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

// [SECTION] Class names and registration ---------------------------------------------------------

#define WC_STATICW L"STATIC"
#define WC_BUTTONW L"BUTTON"
#define WC_EDITW L"EDIT"
#define WC_SCROLLBARW L"SCROLLBAR"
#define TRACKBAR_CLASSW L"msctls_trackbar32"
#define TRACKBAR_CLASS TRACKBAR_CLASSW

namespace device::ui {

// Registers STATIC, BUTTON, EDIT, SCROLLBAR and msctls_trackbar32; a second call does nothing.
void RegisterBasicControlClasses();
// The class names above, null-terminated (for the table of standard classes).
extern const wchar_t* const kBasicControlClassNames[];

} // namespace device::ui

// [SECTION] Static -------------------------------------------------------------------------------

#define SS_LEFT 0x00000000u
#define SS_CENTER 0x00000001u
#define SS_RIGHT 0x00000002u
#define SS_ICON 0x00000003u
#define SS_LEFTNOWORDWRAP 0x0000000Cu
#define SS_BITMAP 0x0000000Eu
#define SS_TYPEMASK 0x0000001Fu
#define SS_NOPREFIX 0x00000080u
#define SS_NOTIFY 0x00000100u
#define SS_CENTERIMAGE 0x00000200u

#define STM_SETICON 0x0170
#define STM_GETICON 0x0171
#define STM_SETIMAGE 0x0172
#define STM_GETIMAGE 0x0173
#define STN_CLICKED 0
#define STN_DBLCLK 1
#define STN_ENABLE 2
#define STN_DISABLE 3

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1

// [SECTION] Button -------------------------------------------------------------------------------

#define BS_PUSHBUTTON 0x00000000u
#define BS_DEFPUSHBUTTON 0x00000001u
#define BS_CHECKBOX 0x00000002u
#define BS_AUTOCHECKBOX 0x00000003u
#define BS_RADIOBUTTON 0x00000004u
#define BS_3STATE 0x00000005u
#define BS_AUTO3STATE 0x00000006u
#define BS_GROUPBOX 0x00000007u
#define BS_AUTORADIOBUTTON 0x00000009u
#define BS_OWNERDRAW 0x0000000Bu
#define BS_TYPEMASK 0x0000000Fu
#define BS_LEFTTEXT 0x00000020u
#define BS_LEFT 0x00000100u
#define BS_RIGHT 0x00000200u
#define BS_CENTER 0x00000300u
#define BS_TOP 0x00000400u
#define BS_BOTTOM 0x00000800u
#define BS_VCENTER 0x00000C00u
#define BS_PUSHLIKE 0x00001000u
#define BS_MULTILINE 0x00002000u
#define BS_NOTIFY 0x00004000u
#define BS_FLAT 0x00008000u

#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5

#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002
#define BST_PUSHED 0x0004
#define BST_FOCUS 0x0008

#define BN_CLICKED 0
#define BN_PAINT 1
#define BN_HILITE 2
#define BN_UNHILITE 3
#define BN_DISABLE 4
#define BN_DOUBLECLICKED 5
#define BN_SETFOCUS 6
#define BN_KILLFOCUS 7

BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks the button idCheck and unchecks the other buttons first..last.
BOOL CheckRadioButton(HWND dialog, int first, int last, int idCheck);

// [SECTION] Edit ---------------------------------------------------------------------------------

#define ES_LEFT 0x0000u
#define ES_CENTER 0x0001u
#define ES_RIGHT 0x0002u
#define ES_MULTILINE 0x0004u
#define ES_UPPERCASE 0x0008u
#define ES_LOWERCASE 0x0010u
#define ES_PASSWORD 0x0020u
#define ES_AUTOVSCROLL 0x0040u
#define ES_AUTOHSCROLL 0x0080u
#define ES_NOHIDESEL 0x0100u
#define ES_COMBOBOX 0x0200u
#define ES_OEMCONVERT 0x0400u
#define ES_READONLY 0x0800u
#define ES_WANTRETURN 0x1000u
#define ES_NUMBER 0x2000u

#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400
#define EN_ERRSPACE 0x0500
#define EN_MAXTEXT 0x0501
#define EN_HSCROLL 0x0601
#define EN_VSCROLL 0x0602

#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_GETRECT 0x00B2
#define EM_SETMARGINS 0x00D3
#define EM_GETMARGINS 0x00D4
#define EC_LEFTMARGIN 0x0001
#define EC_RIGHTMARGIN 0x0002
#define EM_SETRECT 0x00B3
#define EM_SETRECTNP 0x00B4
#define EM_SCROLL 0x00B5
#define EM_LINESCROLL 0x00B6
#define EM_SCROLLCARET 0x00B7
#define EM_GETMODIFY 0x00B8
#define EM_SETMODIFY 0x00B9
#define EM_GETLINECOUNT 0x00BA
#define EM_LINEINDEX 0x00BB
#define EM_LINELENGTH 0x00C1
#define EM_REPLACESEL 0x00C2
#define EM_GETLINE 0x00C4
#define EM_LIMITTEXT 0x00C5
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_CANUNDO 0x00C6
#define EM_UNDO 0x00C7
#define EM_LINEFROMCHAR 0x00C9
#define EM_SETPASSWORDCHAR 0x00CC
#define EM_EMPTYUNDOBUFFER 0x00CD
#define EM_GETFIRSTVISIBLELINE 0x00CE
#define EM_SETREADONLY 0x00CF
#define EM_GETPASSWORDCHAR 0x00D2
#define EM_GETLIMITTEXT 0x00D5
#define EM_POSFROMCHAR 0x00D6
#define EM_CHARFROMPOS 0x00D7

// [SECTION] Caret --------------------------------------------------------------------------------
// One caret for the whole device. Its owner draws it (the edit control does, at the end of its
// painting); the calls below keep its state and ask the owner to repaint where it changed.

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(LPPOINT point);
UINT GetCaretBlinkTime();

namespace device::ui {
// The caret's rectangle in hwnd's client coordinates when hwnd owns it and it is showing.
bool VisibleCaretRect(HWND hwnd, RECT& rect);
} // namespace device::ui

// [SECTION] Clipboard ----------------------------------------------------------------------------
// One clipboard for the device. Data handed to SetClipboardData is a LocalAlloc block, which the
// clipboard then owns (EmptyClipboard frees it); GetClipboardData returns that block.

#define CF_TEXT 1
#define CF_UNICODETEXT 13

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
HANDLE SetClipboardData(UINT format, HANDLE data);
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
HWND GetClipboardOwner();

namespace device::ui {
// Clipboard text in one call (opens, reads or writes, closes); false when the clipboard is busy.
bool SetClipboardText(HWND owner, const std::wstring& text);
bool GetClipboardText(std::wstring& text);
} // namespace device::ui

// [SECTION] Scroll bars --------------------------------------------------------------------------

#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_BOTH 3

#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8

#define SIF_RANGE 0x0001u
#define SIF_PAGE 0x0002u
#define SIF_POS 0x0004u
#define SIF_DISABLENOSCROLL 0x0008u
#define SIF_TRACKPOS 0x0010u
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)

#define SBS_HORZ 0x0000u
#define SBS_VERT 0x0001u

#define SBM_SETPOS 0x00E0
#define SBM_GETPOS 0x00E1
#define SBM_SETRANGE 0x00E2
#define SBM_GETRANGE 0x00E3
#define SBM_SETRANGEREDRAW 0x00E6
#define SBM_SETSCROLLINFO 0x00E9
#define SBM_GETSCROLLINFO 0x00EA

#define ESB_ENABLE_BOTH 0x0000u
#define ESB_DISABLE_BOTH 0x0003u

struct SCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
};
typedef SCROLLINFO* LPSCROLLINFO;
typedef const SCROLLINFO* LPCSCROLLINFO;

// bar: SB_HORZ / SB_VERT for a window's own bars, SB_CTL for a SCROLLBAR control.
int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info);
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
BOOL SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, LPINT min, LPINT max);
// Adds or removes the window's own bars (the style bits), which changes its client area.
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows);

namespace device::ui {
// Window scroll bars as the default window procedure uses them: drawn in the non-client area,
// and driven by the stylus there. The mouse hook returns true when it handled the message.
void DrawWindowScrollBars(HWND hwnd, HDC windowDc);
bool WindowScrollBarMouse(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// HTVSCROLL or HTHSCROLL when a screen point lies on one of the window's own scroll bars, else
// HTNOWHERE: a tap there is a non-client tap, which the window's own tap handling never sees.
int WindowScrollBarHit(HWND hwnd, POINT screen);
} // namespace device::ui

// [SECTION] Trackbar -----------------------------------------------------------------------------

#define TBS_AUTOTICKS 0x0001u
#define TBS_VERT 0x0002u
#define TBS_HORZ 0x0000u
#define TBS_TOP 0x0004u
#define TBS_BOTTOM 0x0000u
#define TBS_LEFT 0x0004u
#define TBS_RIGHT 0x0000u
#define TBS_BOTH 0x0008u
#define TBS_NOTICKS 0x0010u
#define TBS_ENABLESELRANGE 0x0020u
#define TBS_FIXEDLENGTH 0x0040u
#define TBS_NOTHUMB 0x0080u

#define TBM_GETPOS (WM_USER)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_GETTIC (WM_USER + 3)
#define TBM_SETTIC (WM_USER + 4)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TBM_SETRANGEMIN (WM_USER + 7)
#define TBM_SETRANGEMAX (WM_USER + 8)
#define TBM_CLEARTICS (WM_USER + 9)
#define TBM_SETTICFREQ (WM_USER + 20)
#define TBM_SETPAGESIZE (WM_USER + 21)
#define TBM_GETPAGESIZE (WM_USER + 22)
#define TBM_SETLINESIZE (WM_USER + 23)
#define TBM_GETLINESIZE (WM_USER + 24)
#define TBM_GETTHUMBRECT (WM_USER + 25)
#define TBM_GETCHANNELRECT (WM_USER + 26)

#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8

// [SECTION] Image lists --------------------------------------------------------------------------

DEVICE_DECLARE_HANDLE(HIMAGELIST);

#define ILC_MASK 0x0001u
#define ILC_COLOR 0x0000u
#define ILC_COLORDDB 0x00FEu
#define ILC_COLOR4 0x0004u
#define ILC_COLOR8 0x0008u
#define ILC_COLOR16 0x0010u
#define ILC_COLOR24 0x0018u
#define ILC_COLOR32 0x0020u

#define ILD_NORMAL 0x0000u
#define ILD_TRANSPARENT 0x0001u
#define ILD_MASK 0x0010u
#define ILD_IMAGE 0x0020u
#define ILD_BLEND25 0x0002u
#define ILD_BLEND50 0x0004u
#define ILD_SELECTED ILD_BLEND50
#define ILD_FOCUS ILD_BLEND25

#define CLR_NONE 0xFFFFFFFFu
#define CLR_DEFAULT 0xFF000000u

// initial: room made at once; grow: how many more each time it fills up.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
// Refused (FALSE) for the shell's system list, which lives as long as the device.
BOOL ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_SetImageCount(HIMAGELIST list, UINT count);
// Every whole image of the bitmap's width is added; mask: 1 where the image is transparent.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// Pixels of the key colour become transparent.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF key);
// index -1 appends; returns the index replaced or added, -1 on failure.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
#define ImageList_AddIcon(list, icon) ImageList_ReplaceIcon(list, -1, icon)
BOOL ImageList_Replace(HIMAGELIST list, int index, HBITMAP image, HBITMAP mask);
// index -1 removes every image.
BOOL ImageList_Remove(HIMAGELIST list, int index);
#define ImageList_RemoveAll(list) ImageList_Remove(list, -1)
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
// width/height 0: the image's own size. background CLR_NONE: transparent where masked;
// CLR_DEFAULT: the list's background colour.
BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int width, int height, COLORREF background,
                      COLORREF foreground, UINT style);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
BOOL ImageList_SetIconSize(HIMAGELIST list, int cx, int cy);
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF colour);
COLORREF ImageList_GetBkColor(HIMAGELIST list);
HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);

namespace device::ui {
// The shell's list of small (16x16) system icons, shared by every caller and never destroyed.
HIMAGELIST SystemSmallImageList();
// Its images: a folder and a file.
constexpr int kSystemIconFolder = 0;
constexpr int kSystemIconFile = 1;
} // namespace device::ui

// [SECTION] Helpers shared by the controls ----------------------------------------------------------

namespace device::ui::controls {

// Per-window state of a control class. Callers hold a shared_ptr while they work, so a handler
// that destroys the control inside one of its notifications leaves the running code a live object.
template <class T> class StateTable {
public:
    std::shared_ptr<T> Get(HWND hwnd) {
        std::lock_guard lock(m_lock);
        auto it = m_states.find(hwnd);
        return it == m_states.end() ? nullptr : it->second;
    }
    std::shared_ptr<T> Create(HWND hwnd) {
        auto state = std::make_shared<T>();
        std::lock_guard lock(m_lock);
        m_states[hwnd] = state;
        return state;
    }
    void Remove(HWND hwnd) {
        std::shared_ptr<T> gone;  // released after the lock
        std::lock_guard lock(m_lock);
        auto it = m_states.find(hwnd);
        if (it == m_states.end()) return;
        gone = std::move(it->second);
        m_states.erase(it);
    }
    size_t Size() {
        std::lock_guard lock(m_lock);
        return m_states.size();
    }

private:
    std::mutex m_lock;
    std::unordered_map<HWND, std::shared_ptr<T>> m_states;
};

// WM_COMMAND to the parent with the control's id and a notification code.
inline void NotifyParent(HWND hwnd, WORD code) {
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

// The parent's colours for the control (WM_CTLCOLOR*): sets the DC's text and background colours
// and returns the background brush; the default colours when the parent gives none.
inline HBRUSH ControlColours(HWND hwnd, HDC dc, UINT msg) {
    HWND parent = GetParent(hwnd);
    HBRUSH brush = nullptr;
    if (parent) brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, msg, reinterpret_cast<WPARAM>(dc),
                                                              reinterpret_cast<LPARAM>(hwnd)));
    if (!brush) brush = reinterpret_cast<HBRUSH>(DefWindowProcW(hwnd, msg, reinterpret_cast<WPARAM>(dc),
                                                                reinterpret_cast<LPARAM>(hwnd)));
    return brush;
}

// The window procedures of the classes RegisterBasicControlClasses registers.
LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TrackbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

inline DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

} // namespace device::ui::controls
