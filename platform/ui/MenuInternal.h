#pragma once
// The menu table shared by the menu calls, the pop-up window and the command bar.

#include "platform/ui/Menus.h"

#include <mutex>
#include <string>
#include <vector>

namespace device::ui::menus {

struct Item {
    UINT flags = 0; // state and kind: MF_GRAYED, MF_DISABLED, MF_CHECKED, MFT_RADIOCHECK, MF_SEPARATOR, MF_POPUP
    UINT id = 0;
    HMENU popup = nullptr;
    std::wstring text;
};

// A copy of one menu's items (taken under the table's lock, used without it).
struct Snapshot {
    bool valid = false;
    std::vector<Item> items;
};
Snapshot Take(HMENU menu);

// Whether an item can be picked: a string item neither grayed nor disabled.
inline bool Pickable(const Item& item) {
    return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_POPUP));
}

// The text an item shows: "&&" becomes "&", a single "&" (a mnemonic mark) is dropped.
std::wstring DisplayText(const std::wstring& text);

} // namespace device::ui::menus
