#include "platform/ui/ShellFileInfo.h"

#include "platform/system/DeviceFiles.h"

#include <cwchar>

DWORD_PTR SHGetFileInfoW(LPCWSTR path, DWORD fileAttributes, SHFILEINFOW* info, UINT infoSize, UINT flags) {
    const UINT offered = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | SHGFI_DISPLAYNAME;
    if (!path || !info || infoSize < sizeof(SHFILEINFOW) || (flags & ~offered) || !(flags & SHGFI_SYSICONINDEX)) return 0;
    DWORD attributes = fileAttributes;
    if (!(flags & SHGFI_USEFILEATTRIBUTES)) {
        attributes = GetFileAttributesW(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    }
    *info = SHFILEINFOW{};
    info->iIcon = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? device::ui::kSystemIconFolder : device::ui::kSystemIconFile;
    info->dwAttributes = attributes;
    if (flags & SHGFI_DISPLAYNAME) {
        const wchar_t* name = std::wcsrchr(path, L'\\');
        name = name ? name + 1 : path;
        std::wcsncpy(info->szDisplayName, *name ? name : L"\\", MAX_PATH - 1);
    }
    return reinterpret_cast<DWORD_PTR>(device::ui::SystemSmallImageList());
}
