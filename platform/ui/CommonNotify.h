#pragma once
// Notification codes every common control shares (sent through WM_NOTIFY with an NMHDR first).

#include "platform/ui/WinUser.h"

#include <type_traits>

#define NM_FIRST 0u
#define NM_OUTOFMEMORY (NM_FIRST - 1u)
#define NM_CLICK (NM_FIRST - 2u)
#define NM_DBLCLK (NM_FIRST - 3u)
#define NM_RETURN (NM_FIRST - 4u)
#define NM_RCLICK (NM_FIRST - 5u)
#define NM_RDBLCLK (NM_FIRST - 6u)
#define NM_SETFOCUS (NM_FIRST - 7u)
#define NM_KILLFOCUS (NM_FIRST - 8u)

// "No colour": the control paints nothing where this colour is asked for.
#ifndef CLR_NONE
#define CLR_NONE 0xFFFFFFFFu
#endif
#ifndef CLR_DEFAULT
#define CLR_DEFAULT 0xFF000000u
#endif

// The image lists of the common controls (ImageList_* functions of the controls library).
struct HIMAGELIST__;
typedef struct HIMAGELIST__* HIMAGELIST;

namespace device::ui::ctl {
// Sends a control message with any integer or pointer as parameters and result; what the
// controls' helper macros expand to (a discarded result draws no warning).
template <typename T>
inline intptr_t ToParam(T value) {
    if constexpr (std::is_null_pointer_v<T>) return 0;
    else if constexpr (std::is_pointer_v<T>) return reinterpret_cast<intptr_t>(value);
    else return static_cast<intptr_t>(value);
}
template <typename R, typename W, typename L>
inline R Send(HWND hwnd, UINT msg, W wParam, L lParam) {
    LRESULT r = SendMessageW(hwnd, msg, static_cast<WPARAM>(ToParam(wParam)), static_cast<LPARAM>(ToParam(lParam)));
    if constexpr (std::is_pointer_v<R>) return reinterpret_cast<R>(r);
    else return static_cast<R>(r);
}
} // namespace device::ui::ctl
