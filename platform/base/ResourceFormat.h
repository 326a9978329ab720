#pragma once
// The layout of compiled resources: one table per module (the program, the plug-in, a language
// module), written by the resource compiler and read by the layer at run time. Every module
// exports its table through the function JorvanaResourceTable (see ResourceTable below).
//
// Table: "JRES", version, entry count, then entries {type, id, offset, size} sorted by type and
// id, then the data, each entry's data aligned to 4 bytes. Texts inside the data are stored as
// WCHAR (the layer's wide characters) so that a string resource can be handed out in place.
//
// Dialog and menu templates are our own self-delimiting records (they start with a magic word and
// their total size), so that a pointer to one can be handed to the dialog manager alone, as the
// device's indirect dialog calls expect.

#include "platform/base/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace device {

// Resource types, numbered as on the device (the device's RT_* names are these numbers).
enum ResourceType : uint32_t {
    kResBitmap = 2,
    kResMenu = 4,
    kResDialog = 5,
    kResString = 6,
    kResGroupIcon = 14,
    kResDialogInit = 240,
    kResToolbar = 241,
};

// What a module exports: its compiled table.
struct ResourceTable {
    const unsigned char* data;
    size_t size;
};

struct ResourceEntry {
    uint32_t type;
    uint32_t id;
    std::vector<uint8_t> data;
};

// Builds a table from entries (a later entry with the same type and id replaces an earlier one).
std::vector<uint8_t> BuildResourceTable(std::vector<ResourceEntry> entries);

// A checked view of a compiled table. Find gives the data of one resource, or nothing.
class ResourceView {
public:
    ResourceView() = default;
    // False for data that is not a well-formed table (every offset and size is checked).
    bool Open(const void* data, size_t size);
    bool Find(uint32_t type, uint32_t id, const uint8_t*& data, size_t& size) const;
    size_t Count() const { return m_count; }
    // The type and id of the index-th entry (entries are sorted by type and id).
    bool EntryAt(size_t index, uint32_t& type, uint32_t& id) const;

private:
    const uint8_t* m_base = nullptr;
    size_t m_size = 0;
    size_t m_count = 0;
};

// ---- Dialog templates ----

struct DialogItemTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::wstring className; // "BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX", or any class
    std::wstring text;      // "#123" for a resource id (icons of static controls)
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD menuId = 0; // 0: no menu
    std::wstring className;
    std::wstring caption;
    WORD pointSize = 0; // with DS_SETFONT
    WORD weight = 0;
    BYTE italic = 0;
    std::wstring faceName;
    std::vector<DialogItemTemplate> items;
};

std::vector<uint8_t> SerializeDialog(const DialogTemplate& dialog);
// Reads a record written by SerializeDialog, checking every length against maxSize (pass the
// resource size, or a generous bound for a bare template pointer). Nothing for malformed data.
std::optional<DialogTemplate> ParseDialog(const void* data, size_t maxSize);
// The total size a template record says it has (0 when the pointer does not hold one).
size_t DialogRecordSize(const void* data);

// ---- Menu templates ----

#define MF_STRING 0x0000u
#define MF_GRAYED 0x0001u
#define MF_DISABLED 0x0002u
#define MF_CHECKED 0x0008u
#define MF_POPUP 0x0010u
#define MF_MENUBARBREAK 0x0020u
#define MF_MENUBREAK 0x0040u
#define MF_SEPARATOR 0x0800u

struct MenuItemTemplate {
    UINT flags = 0; // MF_* above
    UINT id = 0;
    std::wstring text;
    std::vector<MenuItemTemplate> children; // for MF_POPUP
};

struct MenuTemplate {
    std::vector<MenuItemTemplate> items;
};

std::vector<uint8_t> SerializeMenu(const MenuTemplate& menu);
std::optional<MenuTemplate> ParseMenu(const void* data, size_t maxSize);

// ---- Initial items of dialog controls (combo and list boxes) ----

struct DialogInitItem {
    DWORD controlId = 0;
    std::wstring text;
};
std::vector<uint8_t> SerializeDialogInit(const std::vector<DialogInitItem>& items);
std::optional<std::vector<DialogInitItem>> ParseDialogInit(const void* data, size_t size);

// ---- Toolbars: button size and the command ids of the buttons (0 for a separator) ----

struct ToolbarTemplate {
    WORD width = 0;
    WORD height = 0;
    std::vector<WORD> ids;
};
std::vector<uint8_t> SerializeToolbar(const ToolbarTemplate& toolbar);
std::optional<ToolbarTemplate> ParseToolbar(const void* data, size_t size);

// ---- Icons: one image file (PNG or BMP) per size ----

std::vector<uint8_t> SerializeIconGroup(const std::vector<std::vector<uint8_t>>& images);
std::optional<std::vector<std::vector<uint8_t>>> ParseIconGroup(const void* data, size_t size);

// ---- Strings: the text followed by a null, as WCHAR ----

std::vector<uint8_t> SerializeString(const std::wstring& text);

} // namespace device
