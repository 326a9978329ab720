#pragma once
// The header control ("SysHeader32"): the row of column titles above a report list. Items are
// buttons laid side by side; a tap on one tells the parent (HDN_ITEMCLICKW); items with
// HDF_OWNERDRAW are painted by the parent through WM_DRAWITEM (ODT_HEADER).

#include "platform/ui/CommonNotify.h"

#define WC_HEADERW L"SysHeader32"
#define WC_HEADER WC_HEADERW

// Styles.
#define HDS_HORZ 0x0000u
#define HDS_BUTTONS 0x0002u
#define HDS_HIDDEN 0x0008u

// Messages.
#define HDM_FIRST 0x1200u
#define HDM_GETITEMCOUNT (HDM_FIRST + 0)
#define HDM_DELETEITEM (HDM_FIRST + 2)
#define HDM_LAYOUT (HDM_FIRST + 5)
#define HDM_HITTEST (HDM_FIRST + 6)
#define HDM_GETITEMRECT (HDM_FIRST + 7)
#define HDM_INSERTITEMW (HDM_FIRST + 10)
#define HDM_GETITEMW (HDM_FIRST + 11)
#define HDM_SETITEMW (HDM_FIRST + 12)
#define HDM_INSERTITEM HDM_INSERTITEMW
#define HDM_GETITEM HDM_GETITEMW
#define HDM_SETITEM HDM_SETITEMW

// Notifications.
#define HDN_FIRST (0u - 300u)
#define HDN_ITEMCHANGINGW (HDN_FIRST - 20u)
#define HDN_ITEMCHANGEDW (HDN_FIRST - 21u)
#define HDN_ITEMCLICKW (HDN_FIRST - 22u)
#define HDN_ITEMDBLCLICKW (HDN_FIRST - 23u)
#define HDN_ITEMCLICKA (HDN_FIRST - 2u)
#define HDN_ITEMCLICK HDN_ITEMCLICKW
#define HDN_ITEMCHANGED HDN_ITEMCHANGEDW

// HDITEMW.mask.
#define HDI_WIDTH 0x0001u
#define HDI_HEIGHT HDI_WIDTH
#define HDI_TEXT 0x0002u
#define HDI_FORMAT 0x0004u
#define HDI_LPARAM 0x0008u
#define HDI_BITMAP 0x0010u
#define HDI_IMAGE 0x0020u
#define HDI_ORDER 0x0080u

// HDITEMW.fmt.
#define HDF_LEFT 0x0000
#define HDF_RIGHT 0x0001
#define HDF_CENTER 0x0002
#define HDF_JUSTIFYMASK 0x0003
#define HDF_IMAGE 0x0800
#define HDF_BITMAP 0x2000
#define HDF_STRING 0x4000
#define HDF_OWNERDRAW 0x8000

// HDHITTESTINFO.flags.
#define HHT_NOWHERE 0x0001u
#define HHT_ONHEADER 0x0002u
#define HHT_ONDIVIDER 0x0004u
#define HHT_TORIGHT 0x0800u
#define HHT_TOLEFT 0x0800u

struct HDITEMW {
    UINT mask;
    int cxy;
    LPWSTR pszText;
    HBITMAP hbm;
    int cchTextMax;
    int fmt;
    LPARAM lParam;
    int iImage;
    int iOrder;
};
typedef HDITEMW HDITEM;
typedef HDITEMW* LPHDITEMW;
typedef HDITEMW HD_ITEM;

struct HDLAYOUT {
    RECT* prc;
    WINDOWPOS* pwpos;
};

struct HDHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
};

struct NMHEADERW {
    NMHDR hdr;
    int iItem;
    int iButton;
    HDITEMW* pitem;
};
typedef NMHEADERW NMHEADER;
typedef NMHEADERW* LPNMHEADERW;
typedef NMHEADERW HD_NOTIFY;

#define Header_GetItemCount(h) device::ui::ctl::Send<int>((h), HDM_GETITEMCOUNT, 0, 0)
#define Header_InsertItem(h, i, phdi) \
    device::ui::ctl::Send<int>((h), HDM_INSERTITEMW, i, phdi)
#define Header_DeleteItem(h, i) device::ui::ctl::Send<BOOL>((h), HDM_DELETEITEM, (i), 0)
#define Header_GetItem(h, i, phdi) \
    device::ui::ctl::Send<BOOL>((h), HDM_GETITEMW, i, phdi)
#define Header_SetItem(h, i, phdi) \
    device::ui::ctl::Send<BOOL>((h), HDM_SETITEMW, i, phdi)
#define Header_GetItemRect(h, i, prc) \
    device::ui::ctl::Send<BOOL>((h), HDM_GETITEMRECT, i, prc)

namespace device::ui {
// Height a header gives itself for a font (null: the default font).
int HeaderHeightForFont(HFONT font);
} // namespace device::ui
