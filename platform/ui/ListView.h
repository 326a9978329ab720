#pragma once
// The list view ("SysListView32"): items with a label, an image, a state and sub-item texts,
// shown as large icons (LVS_ICON), one report row per item under a header (LVS_REPORT), or
// columns of small labels (LVS_LIST). The control keeps its items itself; the parent hears of
// taps, keys and changes through WM_NOTIFY.
//
// [SECTION] Styles
// [SECTION] Messages
// [SECTION] Flags
// [SECTION] Notifications
// [SECTION] Structures
// [SECTION] Helper macros
// [SECTION] Registration

#include "platform/ui/CommonNotify.h"
#include "platform/ui/Header.h"

#define WC_LISTVIEWW L"SysListView32"
#define WC_LISTVIEW WC_LISTVIEWW

// [SECTION] Styles ------------------------------------------------------------------------------

#define LVS_ICON 0x0000u
#define LVS_REPORT 0x0001u
#define LVS_SMALLICON 0x0002u
#define LVS_LIST 0x0003u
#define LVS_TYPEMASK 0x0003u
#define LVS_SINGLESEL 0x0004u
#define LVS_SHOWSELALWAYS 0x0008u
#define LVS_SORTASCENDING 0x0010u
#define LVS_SORTDESCENDING 0x0020u
#define LVS_SHAREIMAGELISTS 0x0040u
#define LVS_NOLABELWRAP 0x0080u
#define LVS_AUTOARRANGE 0x0100u
#define LVS_EDITLABELS 0x0200u
#define LVS_ALIGNTOP 0x0000u
#define LVS_ALIGNLEFT 0x0800u
#define LVS_NOSCROLL 0x2000u
#define LVS_NOCOLUMNHEADER 0x4000u
#define LVS_NOSORTHEADER 0x8000u

#define LVS_EX_GRIDLINES 0x00000001u
#define LVS_EX_SUBITEMIMAGES 0x00000002u
#define LVS_EX_CHECKBOXES 0x00000004u
#define LVS_EX_TRACKSELECT 0x00000008u
#define LVS_EX_HEADERDRAGDROP 0x00000010u
#define LVS_EX_FULLROWSELECT 0x00000020u
#define LVS_EX_ONECLICKACTIVATE 0x00000040u
#define LVS_EX_INFOTIP 0x00000400u
#define LVS_EX_LABELTIP 0x00004000u

// [SECTION] Messages ----------------------------------------------------------------------------

#define LVM_FIRST 0x1000u
#define LVM_GETBKCOLOR (LVM_FIRST + 0)
#define LVM_SETBKCOLOR (LVM_FIRST + 1)
#define LVM_GETIMAGELIST (LVM_FIRST + 2)
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_GETITEMPOSITION (LVM_FIRST + 16)
#define LVM_HITTEST (LVM_FIRST + 18)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_SCROLL (LVM_FIRST + 20)
#define LVM_REDRAWITEMS (LVM_FIRST + 21)
#define LVM_ARRANGE (LVM_FIRST + 22)
#define LVM_DELETECOLUMN (LVM_FIRST + 28)
#define LVM_GETCOLUMNWIDTH (LVM_FIRST + 29)
#define LVM_SETCOLUMNWIDTH (LVM_FIRST + 30)
#define LVM_GETHEADER (LVM_FIRST + 31)
#define LVM_GETVIEWRECT (LVM_FIRST + 34)
#define LVM_GETTEXTCOLOR (LVM_FIRST + 35)
#define LVM_SETTEXTCOLOR (LVM_FIRST + 36)
#define LVM_GETTEXTBKCOLOR (LVM_FIRST + 37)
#define LVM_SETTEXTBKCOLOR (LVM_FIRST + 38)
#define LVM_GETTOPINDEX (LVM_FIRST + 39)
#define LVM_GETCOUNTPERPAGE (LVM_FIRST + 40)
#define LVM_GETORIGIN (LVM_FIRST + 41)
#define LVM_UPDATE (LVM_FIRST + 42)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_SORTITEMS (LVM_FIRST + 48)
#define LVM_GETSELECTEDCOUNT (LVM_FIRST + 50)
#define LVM_GETITEMSPACING (LVM_FIRST + 51)
#define LVM_SETICONSPACING (LVM_FIRST + 53)
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)
#define LVM_GETSUBITEMRECT (LVM_FIRST + 56)
#define LVM_SUBITEMHITTEST (LVM_FIRST + 57)
#define LVM_GETSELECTIONMARK (LVM_FIRST + 66)
#define LVM_SETSELECTIONMARK (LVM_FIRST + 67)
#define LVM_GETITEMW (LVM_FIRST + 75)
#define LVM_SETITEMW (LVM_FIRST + 76)
#define LVM_INSERTITEMW (LVM_FIRST + 77)
#define LVM_FINDITEMW (LVM_FIRST + 83)
#define LVM_GETSTRINGWIDTHW (LVM_FIRST + 87)
#define LVM_GETCOLUMNW (LVM_FIRST + 95)
#define LVM_SETCOLUMNW (LVM_FIRST + 96)
#define LVM_INSERTCOLUMNW (LVM_FIRST + 97)
#define LVM_GETITEMTEXTW (LVM_FIRST + 115)
#define LVM_SETITEMTEXTW (LVM_FIRST + 116)
#define LVM_GETITEM LVM_GETITEMW
#define LVM_SETITEM LVM_SETITEMW
#define LVM_INSERTITEM LVM_INSERTITEMW
#define LVM_FINDITEM LVM_FINDITEMW
#define LVM_GETSTRINGWIDTH LVM_GETSTRINGWIDTHW
#define LVM_GETCOLUMN LVM_GETCOLUMNW
#define LVM_SETCOLUMN LVM_SETCOLUMNW
#define LVM_INSERTCOLUMN LVM_INSERTCOLUMNW
#define LVM_GETITEMTEXT LVM_GETITEMTEXTW
#define LVM_SETITEMTEXT LVM_SETITEMTEXTW

// [SECTION] Flags -------------------------------------------------------------------------------

// LVITEMW.mask.
#define LVIF_TEXT 0x0001u
#define LVIF_IMAGE 0x0002u
#define LVIF_PARAM 0x0004u
#define LVIF_STATE 0x0008u
#define LVIF_INDENT 0x0010u
#define LVIF_NORECOMPUTE 0x0800u

// Item states. Bits 12-15 hold the state image (1 = unchecked box, 2 = checked box).
#define LVIS_FOCUSED 0x0001u
#define LVIS_SELECTED 0x0002u
#define LVIS_CUT 0x0004u
#define LVIS_DROPHILITED 0x0008u
#define LVIS_OVERLAYMASK 0x0F00u
#define LVIS_STATEIMAGEMASK 0xF000u
#define INDEXTOSTATEIMAGEMASK(i) (static_cast<UINT>(i) << 12)
#define STATEIMAGEMASKTOINDEX(s) ((static_cast<UINT>(s) & LVIS_STATEIMAGEMASK) >> 12)

// LVM_GETNEXTITEM.
#define LVNI_ALL 0x0000u
#define LVNI_FOCUSED 0x0001u
#define LVNI_SELECTED 0x0002u
#define LVNI_CUT 0x0004u
#define LVNI_DROPHILITED 0x0008u
#define LVNI_ABOVE 0x0100u
#define LVNI_BELOW 0x0200u
#define LVNI_TOLEFT 0x0400u
#define LVNI_TORIGHT 0x0800u

// LVM_FINDITEM.
#define LVFI_PARAM 0x0001u
#define LVFI_STRING 0x0002u
#define LVFI_PARTIAL 0x0008u
#define LVFI_WRAP 0x0020u
#define LVFI_NEARESTXY 0x0040u

// LVM_GETITEMRECT.
#define LVIR_BOUNDS 0
#define LVIR_ICON 1
#define LVIR_LABEL 2
#define LVIR_SELECTBOUNDS 3

// LVM_HITTEST.
#define LVHT_NOWHERE 0x0001u
#define LVHT_ONITEMICON 0x0002u
#define LVHT_ONITEMLABEL 0x0004u
#define LVHT_ONITEMSTATEICON 0x0008u
#define LVHT_ONITEM (LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON)
#define LVHT_BELOW 0x0010u
#define LVHT_TORIGHT 0x0020u
#define LVHT_TOLEFT 0x0040u

// LVM_SETIMAGELIST.
#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVSIL_STATE 2

// LVCOLUMNW.mask and fmt.
#define LVCF_FMT 0x0001u
#define LVCF_WIDTH 0x0002u
#define LVCF_TEXT 0x0004u
#define LVCF_SUBITEM 0x0008u
#define LVCF_IMAGE 0x0010u
#define LVCF_ORDER 0x0020u
#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002
#define LVCFMT_JUSTIFYMASK 0x0003

// LVM_SETCOLUMNWIDTH special widths.
#define LVSCW_AUTOSIZE (-1)
#define LVSCW_AUTOSIZE_USEHEADER (-2)

// LVM_ARRANGE.
#define LVA_DEFAULT 0x0000
#define LVA_ALIGNLEFT 0x0001
#define LVA_ALIGNTOP 0x0002
#define LVA_SNAPTOGRID 0x0005

// [SECTION] Notifications -----------------------------------------------------------------------

#define LVN_FIRST (0u - 100u)
#define LVN_ITEMCHANGING (LVN_FIRST - 0u)
#define LVN_ITEMCHANGED (LVN_FIRST - 1u)
#define LVN_INSERTITEM (LVN_FIRST - 2u)
#define LVN_DELETEITEM (LVN_FIRST - 3u)
#define LVN_DELETEALLITEMS (LVN_FIRST - 4u)
#define LVN_COLUMNCLICK (LVN_FIRST - 8u)
#define LVN_ITEMACTIVATE (LVN_FIRST - 14u)
#define LVN_KEYDOWN (LVN_FIRST - 55u)
#define LVN_GETINFOTIPW (LVN_FIRST - 58u)
#define LVN_GETINFOTIP LVN_GETINFOTIPW

// [SECTION] Structures --------------------------------------------------------------------------

struct LVITEMW {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
};
typedef LVITEMW LVITEM;
typedef LVITEMW* LPLVITEMW;
typedef LVITEMW LV_ITEM;

struct LVCOLUMNW {
    UINT mask;
    int fmt;
    int cx;
    LPWSTR pszText;
    int cchTextMax;
    int iSubItem;
    int iImage;
    int iOrder;
};
typedef LVCOLUMNW LVCOLUMN;
typedef LVCOLUMNW* LPLVCOLUMNW;
typedef LVCOLUMNW LV_COLUMN;

struct LVFINDINFOW {
    UINT flags;
    LPCWSTR psz;
    LPARAM lParam;
    POINT pt;
    UINT vkDirection;
};
typedef LVFINDINFOW LVFINDINFO;
typedef LVFINDINFOW LV_FINDINFO;

struct LVHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
    int iSubItem;
};
typedef LVHITTESTINFO* LPLVHITTESTINFO;
typedef LVHITTESTINFO LV_HITTESTINFO;

struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};
typedef NMLISTVIEW* LPNMLISTVIEW;
typedef NMLISTVIEW NM_LISTVIEW;

// NM_CLICK and NM_DBLCLK of a list view: the tapped item (-1: none) and the tap in client
// coordinates.
struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
};
typedef NMITEMACTIVATE* LPNMITEMACTIVATE;

struct NMLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
typedef NMLVKEYDOWN* LPNMLVKEYDOWN;
typedef NMLVKEYDOWN LV_KEYDOWN;

struct NMLVGETINFOTIPW {
    NMHDR hdr;
    DWORD dwFlags;
    LPWSTR pszText;
    int cchTextMax;
    int iItem;
    int iSubItem;
    LPARAM lParam;
};
typedef NMLVGETINFOTIPW NMLVGETINFOTIP;

typedef int(CALLBACK* PFNLVCOMPARE)(LPARAM, LPARAM, LPARAM);

// [SECTION] Helper macros -----------------------------------------------------------------------


#define ListView_GetItemCount(h) device::ui::ctl::Send<int>(h, LVM_GETITEMCOUNT, 0, 0)
#define ListView_InsertItem(h, pitem) device::ui::ctl::Send<int>(h, LVM_INSERTITEMW, 0, pitem)
#define ListView_DeleteItem(h, i) device::ui::ctl::Send<BOOL>(h, LVM_DELETEITEM, i, 0)
#define ListView_DeleteAllItems(h) device::ui::ctl::Send<BOOL>(h, LVM_DELETEALLITEMS, 0, 0)
#define ListView_GetItem(h, pitem) device::ui::ctl::Send<BOOL>(h, LVM_GETITEMW, 0, pitem)
#define ListView_SetItem(h, pitem) device::ui::ctl::Send<BOOL>(h, LVM_SETITEMW, 0, pitem)
#define ListView_GetNextItem(h, i, flags) device::ui::ctl::Send<int>(h, LVM_GETNEXTITEM, (int)(i), flags)
#define ListView_FindItem(h, start, plvfi) device::ui::ctl::Send<int>(h, LVM_FINDITEMW, (int)(start), plvfi)
#define ListView_GetItemRect(h, i, prc, code) device::ui::lvdetail::GetItemRect((h), (i), (prc), (code))
#define ListView_HitTest(h, pinfo) device::ui::ctl::Send<int>(h, LVM_HITTEST, 0, pinfo)
#define ListView_SubItemHitTest(h, pinfo) device::ui::ctl::Send<int>(h, LVM_SUBITEMHITTEST, 0, pinfo)
#define ListView_EnsureVisible(h, i, partial) \
    device::ui::ctl::Send<BOOL>(h, LVM_ENSUREVISIBLE, (int)(i), (BOOL)(partial))
#define ListView_Scroll(h, dx, dy) device::ui::ctl::Send<BOOL>(h, LVM_SCROLL, (int)(dx), (int)(dy))
#define ListView_RedrawItems(h, first, last) \
    device::ui::ctl::Send<BOOL>(h, LVM_REDRAWITEMS, (int)(first), (int)(last))
#define ListView_Arrange(h, code) device::ui::ctl::Send<BOOL>(h, LVM_ARRANGE, code, 0)
#define ListView_GetColumn(h, i, pcol) device::ui::ctl::Send<BOOL>(h, LVM_GETCOLUMNW, i, pcol)
#define ListView_SetColumn(h, i, pcol) device::ui::ctl::Send<BOOL>(h, LVM_SETCOLUMNW, i, pcol)
#define ListView_InsertColumn(h, i, pcol) device::ui::ctl::Send<int>(h, LVM_INSERTCOLUMNW, i, pcol)
#define ListView_DeleteColumn(h, i) device::ui::ctl::Send<BOOL>(h, LVM_DELETECOLUMN, i, 0)
#define ListView_GetColumnWidth(h, i) device::ui::ctl::Send<int>(h, LVM_GETCOLUMNWIDTH, i, 0)
#define ListView_SetColumnWidth(h, i, cx) device::ui::ctl::Send<BOOL>(h, LVM_SETCOLUMNWIDTH, i, (int)(cx))
#define ListView_GetHeader(h) device::ui::ctl::Send<HWND>(h, LVM_GETHEADER, 0, 0)
#define ListView_SetImageList(h, himl, which) \
    device::ui::ctl::Send<HIMAGELIST>(h, LVM_SETIMAGELIST, which, himl)
#define ListView_GetImageList(h, which) device::ui::ctl::Send<HIMAGELIST>(h, LVM_GETIMAGELIST, which, 0)
#define ListView_SetBkColor(h, c) device::ui::ctl::Send<BOOL>(h, LVM_SETBKCOLOR, 0, (COLORREF)(c))
#define ListView_GetBkColor(h) device::ui::ctl::Send<COLORREF>(h, LVM_GETBKCOLOR, 0, 0)
#define ListView_SetTextColor(h, c) device::ui::ctl::Send<BOOL>(h, LVM_SETTEXTCOLOR, 0, (COLORREF)(c))
#define ListView_GetTextColor(h) device::ui::ctl::Send<COLORREF>(h, LVM_GETTEXTCOLOR, 0, 0)
#define ListView_SetTextBkColor(h, c) device::ui::ctl::Send<BOOL>(h, LVM_SETTEXTBKCOLOR, 0, (COLORREF)(c))
#define ListView_GetTextBkColor(h) device::ui::ctl::Send<COLORREF>(h, LVM_GETTEXTBKCOLOR, 0, 0)
#define ListView_GetTopIndex(h) device::ui::ctl::Send<int>(h, LVM_GETTOPINDEX, 0, 0)
#define ListView_GetCountPerPage(h) device::ui::ctl::Send<int>(h, LVM_GETCOUNTPERPAGE, 0, 0)
#define ListView_GetSelectedCount(h) device::ui::ctl::Send<UINT>(h, LVM_GETSELECTEDCOUNT, 0, 0)
#define ListView_GetSelectionMark(h) device::ui::ctl::Send<int>(h, LVM_GETSELECTIONMARK, 0, 0)
#define ListView_SetSelectionMark(h, i) device::ui::ctl::Send<int>(h, LVM_SETSELECTIONMARK, 0, (int)(i))
#define ListView_SetIconSpacing(h, cx, cy) \
    device::ui::ctl::Send<DWORD>(h, LVM_SETICONSPACING, 0, MAKELONG((cx), (cy)))
#define ListView_GetItemSpacing(h, small) device::ui::ctl::Send<DWORD>(h, LVM_GETITEMSPACING, small, 0)
#define ListView_SetExtendedListViewStyle(h, ex) \
    device::ui::ctl::Send<DWORD>(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, ex)
#define ListView_SetExtendedListViewStyleEx(h, mask, ex) \
    device::ui::ctl::Send<DWORD>(h, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, ex)
#define ListView_GetExtendedListViewStyle(h) device::ui::ctl::Send<DWORD>(h, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)
#define ListView_SortItems(h, pfn, lsort) device::ui::ctl::Send<BOOL>(h, LVM_SORTITEMS, lsort, pfn)
#define ListView_GetStringWidth(h, psz) device::ui::ctl::Send<int>(h, LVM_GETSTRINGWIDTHW, 0, psz)

namespace device::ui::lvdetail {
inline BOOL SetItemState(HWND h, int i, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    return static_cast<BOOL>(SendMessageW(h, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)));
}
inline void GetItemText(HWND h, int i, int sub, LPWSTR text, int max) {
    LVITEMW item{};
    item.iSubItem = sub;
    item.pszText = text;
    item.cchTextMax = max;
    SendMessageW(h, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
}
inline BOOL SetItemText(HWND h, int i, int sub, LPCWSTR text) {
    LVITEMW item{};
    item.iSubItem = sub;
    item.pszText = const_cast<LPWSTR>(text);
    return static_cast<BOOL>(SendMessageW(h, LVM_SETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)));
}
inline BOOL GetItemRect(HWND h, int i, RECT* rect, int code) {
    if (rect) rect->left = code;
    return static_cast<BOOL>(SendMessageW(h, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(rect)));
}
inline BOOL GetCheckState(HWND h, int i) {
    UINT state = static_cast<UINT>(SendMessageW(h, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK));
    return STATEIMAGEMASKTOINDEX(state) == 2;
}
} // namespace device::ui::lvdetail

#define ListView_SetItemState(h, i, data, mask) device::ui::lvdetail::SetItemState((h), (i), (data), (mask))
#define ListView_GetItemState(h, i, mask) \
    device::ui::ctl::Send<UINT>(h, LVM_GETITEMSTATE, (int)(i), mask)
#define ListView_GetItemText(h, i, sub, text, max) device::ui::lvdetail::GetItemText((h), (i), (sub), (text), (max))
#define ListView_SetItemText(h, i, sub, text) device::ui::lvdetail::SetItemText((h), (i), (sub), (text))
#define ListView_SetCheckState(h, i, check) \
    ListView_SetItemState(h, i, INDEXTOSTATEIMAGEMASK((check) ? 2 : 1), LVIS_STATEIMAGEMASK)
#define ListView_GetCheckState(h, i) device::ui::lvdetail::GetCheckState((h), (i))

// [SECTION] Registration ------------------------------------------------------------------------

namespace device::ui {

// Registers "SysListView32" and "SysHeader32"; a second call does nothing.
void RegisterListViewClasses();

} // namespace device::ui
