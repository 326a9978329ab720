// The menu table: menus are lists of items kept under one lock, named by handles from the
// layer's shared handle values.

#include "platform/base/HandleValues.h"
#include "platform/system/Modules.h"
#include "platform/ui/MenuInternal.h"

#include <cwchar>
#include <functional>
#include <memory>
#include <unordered_map>

namespace device::ui::menus {
namespace {

struct Menu {
    bool popup = false;
    std::vector<Item> items;
};

struct Table {
    std::mutex lock;
    std::unordered_map<HMENU, std::unique_ptr<Menu>> menus;
};

Table& Menus() {
    static Table* t = new Table; // lives to the end of the process: menus may be destroyed late
    return *t;
}

constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT;
constexpr UINT kKindBits = MF_SEPARATOR | MF_POPUP | MFT_RADIOCHECK | MF_OWNERDRAW | MF_MENUBREAK | MF_MENUBARBREAK;
constexpr UINT kPositionEnd = 0xFFFFFFFFu;

// Lock held.
Menu* FindMenu(HMENU h) {
    auto it = Menus().menus.find(h);
    if (it == Menus().menus.end()) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return it->second.get();
}

HMENU NewMenu(bool popup) {
    HMENU h = reinterpret_cast<HMENU>(AllocateHandleValue());
    auto m = std::make_unique<Menu>();
    m->popup = popup;
    std::lock_guard lock(Menus().lock);
    Menus().menus.emplace(h, std::move(m));
    return h;
}

// Lock held: removes a menu and, recursively, the pop-ups it holds.
void DestroyLocked(HMENU h, int depth = 0) {
    auto it = Menus().menus.find(h);
    if (it == Menus().menus.end() || depth > 64) return;
    std::unique_ptr<Menu> m = std::move(it->second);
    Menus().menus.erase(it);
    for (const Item& item : m->items)
        if (item.popup) DestroyLocked(item.popup, depth + 1);
}

// Where an item lives: its menu and its index there.
struct Found {
    Menu* menu = nullptr;
    size_t index = 0;
};

// Lock held. By position in this menu, or by command in it and its pop-ups (depth first, the
// first match as the items are ordered).
Found Locate(HMENU h, UINT item, UINT flags, int depth = 0) {
    Menu* m = FindMenu(h);
    if (!m) return {};
    if (flags & MF_BYPOSITION) {
        if (item < m->items.size()) return {m, item};
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return {};
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        const Item& it = m->items[i];
        if (it.popup) {
            if (depth < 64 && Menus().menus.count(it.popup)) {
                Found inner = Locate(it.popup, item, flags, depth + 1);
                if (inner.menu) return inner;
            }
            // A pop-up item may also be named by its pop-up handle.
            if (reinterpret_cast<uintptr_t>(it.popup) == item) return {m, i};
        } else if (!(it.flags & MF_SEPARATOR) && it.id == item) {
            return {m, i};
        }
    }
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return {};
}

// Whether `inner` is `outer` or lies inside it (lock held); a pop-up must not hold itself.
bool Contains(HMENU outer, HMENU inner, int depth = 0) {
    if (outer == inner) return true;
    if (depth > 64) return true;
    auto it = Menus().menus.find(outer);
    if (it == Menus().menus.end()) return false;
    for (const Item& item : it->second->items)
        if (item.popup && Contains(item.popup, inner, depth + 1)) return true;
    return false;
}

// Builds an item from the flags of an insert or modify call (lock held); false for bad input.
bool MakeItem(HMENU owner, UINT flags, UINT_PTR newItem, LPCWSTR text, Item& out) {
    out = Item{};
    out.flags = flags & (kStateBits | kKindBits);
    if (flags & MF_SEPARATOR) {
        out.flags = MF_SEPARATOR;
        return true;
    }
    if (flags & MF_POPUP) {
        HMENU sub = reinterpret_cast<HMENU>(newItem);
        if (!Menus().menus.count(sub) || Contains(sub, owner)) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return false;
        }
        out.popup = sub;
        out.id = 0;
    } else {
        out.id = static_cast<UINT>(newItem & 0xFFFFFFFFu);
    }
    if (text && !IS_INTRESOURCE(text)) out.text = text;
    return true;
}

std::vector<Item>::iterator At(Menu* m, size_t i) { return m->items.begin() + static_cast<ptrdiff_t>(i); }

} // namespace

Snapshot Take(HMENU menu) {
    std::lock_guard lock(Menus().lock);
    Snapshot s;
    auto it = Menus().menus.find(menu);
    if (it == Menus().menus.end()) return s;
    s.valid = true;
    s.items = it->second->items;
    return s;
}

std::wstring DisplayText(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&') {
            if (i + 1 < text.size() && text[i + 1] == L'&') {
                out += L'&';
                ++i;
            }
            continue;
        }
        if (text[i] == L'\t') break; // accelerator texts are not shown on the device
        out += text[i];
    }
    return out;
}

namespace {

HMENU BuildFromTemplate(const std::vector<MenuItemTemplate>& items, bool popup, int depth) {
    HMENU h = NewMenu(popup);
    for (const MenuItemTemplate& t : items) {
        if ((t.flags & MF_POPUP) && depth < 16) {
            HMENU sub = BuildFromTemplate(t.children, true, depth + 1);
            AppendMenuW(h, (t.flags & ~MF_POPUP) | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), t.text.c_str());
        } else if (t.flags & MF_SEPARATOR) {
            AppendMenuW(h, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(h, t.flags & ~MF_POPUP, t.id, t.text.c_str());
        }
    }
    return h;
}

} // namespace
} // namespace device::ui::menus

using namespace device::ui::menus;

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name) {
    DWORD id = 0;
    if (!name) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (IS_INTRESOURCE(name)) {
        id = static_cast<DWORD>(reinterpret_cast<uintptr_t>(name));
    } else if (name[0] == L'#') {
        id = static_cast<DWORD>(std::wcstoul(name + 1, nullptr, 10));
    } else {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    HMODULE module = instance ? instance : device::ResourceModule();
    const void* data = nullptr;
    size_t size = 0;
    if (!device::FindResourceData(module, device::kResMenu, id, data, size)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    std::optional<device::MenuTemplate> t = device::ParseMenu(data, size);
    if (!t) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return BuildFromTemplate(t->items, false, 0);
}

BOOL DestroyMenu(HMENU menu) {
    std::lock_guard lock(Menus().lock);
    if (!FindMenu(menu)) return FALSE;
    // A menu destroyed while an item of another menu still names it: that item loses its pop-up.
    for (auto& [h, m] : Menus().menus)
        for (Item& item : m->items)
            if (item.popup == menu) item.popup = nullptr;
    DestroyLocked(menu);
    return TRUE;
}

BOOL IsMenu(HMENU menu) {
    std::lock_guard lock(Menus().lock);
    return Menus().menus.count(menu) ? TRUE : FALSE;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR newItem, LPCWSTR text) {
    return InsertMenuW(menu, kPositionEnd, flags | MF_BYPOSITION, newItem, text);
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR newItem, LPCWSTR text) {
    std::lock_guard lock(Menus().lock);
    Menu* m = FindMenu(menu);
    if (!m) return FALSE;
    Item item;
    if (!MakeItem(menu, flags, newItem, text, item)) return FALSE;
    if ((flags & MF_BYPOSITION) || position == kPositionEnd) {
        size_t at = position >= m->items.size() ? m->items.size() : position;
        m->items.insert(At(m, at), std::move(item));
        return TRUE;
    }
    Found f = Locate(menu, position, flags);
    if (!f.menu) return FALSE;
    f.menu->items.insert(At(f.menu, f.index), std::move(item));
    return TRUE;
}

BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR newItem, LPCWSTR text) {
    std::lock_guard lock(Menus().lock);
    Found f = Locate(menu, position, flags);
    if (!f.menu) return FALSE;
    Item item;
    if (!MakeItem(menu, flags, newItem, text, item)) return FALSE;
    Item& old = f.menu->items[f.index];
    if (old.popup && old.popup != item.popup) DestroyLocked(old.popup);
    old = std::move(item);
    return TRUE;
}

namespace {
BOOL Remove(HMENU menu, UINT position, UINT flags, bool destroy) {
    std::lock_guard lock(Menus().lock);
    Found f = Locate(menu, position, flags);
    if (!f.menu) return FALSE;
    HMENU popup = f.menu->items[f.index].popup;
    f.menu->items.erase(At(f.menu, f.index));
    if (destroy && popup) DestroyLocked(popup);
    return TRUE;
}
} // namespace

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, false); }
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, true); }

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
    std::lock_guard lock(Menus().lock);
    Found f = Locate(menu, item, check);
    if (!f.menu) return 0xFFFFFFFFu;
    Item& it = f.menu->items[f.index];
    DWORD previous = it.flags & MF_CHECKED;
    it.flags = (it.flags & ~MF_CHECKED) | (check & MF_CHECKED);
    return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    std::lock_guard lock(Menus().lock);
    Found f = Locate(menu, item, enable);
    if (!f.menu) return static_cast<BOOL>(-1);
    Item& it = f.menu->items[f.index];
    BOOL previous = static_cast<BOOL>(it.flags & (MF_GRAYED | MF_DISABLED));
    it.flags = (it.flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return previous;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
    std::lock_guard lock(Menus().lock);
    if (flags & MF_BYPOSITION) {
        Menu* m = FindMenu(menu);
        if (!m) return FALSE;
        if (first > last || last >= m->items.size() || check < first || check > last) {
            SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
            return FALSE;
        }
        for (UINT i = first; i <= last; ++i) {
            Item& it = m->items[i];
            if (it.flags & MF_SEPARATOR) continue;
            it.flags &= ~MF_CHECKED;
            if (i == check) it.flags |= MF_CHECKED | MFT_RADIOCHECK;
        }
        return TRUE;
    }
    // By command: the range is of command ids, within the menu that holds `check`.
    Found f = Locate(menu, check, MF_BYCOMMAND);
    if (!f.menu || check < first || check > last) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    for (Item& it : f.menu->items) {
        if ((it.flags & MF_SEPARATOR) || it.popup || it.id < first || it.id > last) continue;
        it.flags &= ~MF_CHECKED;
        if (it.id == check) it.flags |= MF_CHECKED | MFT_RADIOCHECK;
    }
    return TRUE;
}

HMENU GetSubMenu(HMENU menu, int position) {
    std::lock_guard lock(Menus().lock);
    Menu* m = FindMenu(menu);
    if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return nullptr;
    return m->items[static_cast<size_t>(position)].popup;
}

int GetMenuItemCount(HMENU menu) {
    std::lock_guard lock(Menus().lock);
    Menu* m = FindMenu(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
    std::lock_guard lock(Menus().lock);
    Menu* m = FindMenu(menu);
    if (!m || position < 0 || static_cast<size_t>(position) >= m->items.size()) return 0xFFFFFFFFu;
    const Item& it = m->items[static_cast<size_t>(position)];
    if (it.popup) return 0xFFFFFFFFu;
    return it.id;
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int count, UINT flags) {
    std::lock_guard lock(Menus().lock);
    Found f = Locate(menu, item, flags);
    if (!f.menu) return 0;
    const std::wstring& text = f.menu->items[f.index].text;
    if (!buffer) return static_cast<int>(text.size());
    if (count <= 0) return 0;
    size_t n = std::min(text.size(), static_cast<size_t>(count - 1));
    std::wmemcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    std::lock_guard lock(Menus().lock);
    Found f = Locate(menu, item, flags);
    if (!f.menu) return 0xFFFFFFFFu;
    const Item& it = f.menu->items[f.index];
    UINT state = it.flags & (kStateBits | MF_SEPARATOR | MF_POPUP | MFT_RADIOCHECK | MF_OWNERDRAW);
    if (it.popup) {
        auto sub = Menus().menus.find(it.popup);
        UINT count = sub == Menus().menus.end() ? 0u : static_cast<UINT>(std::min<size_t>(sub->second->items.size(), 255));
        state = (count << 8) | (state & 0xFFu) | MF_POPUP;
    }
    return state;
}
