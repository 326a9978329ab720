// The device's clipboard: one owner opens it at a time; each format holds one LocalAlloc block
// that the clipboard owns from SetClipboardData until it is emptied or replaced.

#include "platform/ui/Controls.h"
#include "platform/system/ObjectStore.h"

#include <cstring>
#include <map>

namespace {

void FreeAll(struct ClipboardState& c);

struct ClipboardState {
    // What is still on the clipboard when the process ends goes with it.
    ~ClipboardState() { FreeAll(*this); }
    bool open = false;
    HWND opener = nullptr;
    HWND owner = nullptr;
    std::map<UINT, HANDLE> data;
};

std::mutex g_lock;
ClipboardState g_clip;

void FreeAll(ClipboardState& c) {
    for (auto& [format, block] : c.data) LocalFree(block);
    c.data.clear();
}

} // namespace

BOOL OpenClipboard(HWND owner) {
    std::lock_guard lock(g_lock);
    if (g_clip.open) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    g_clip.open = true;
    g_clip.opener = owner;
    return TRUE;
}

BOOL CloseClipboard() {
    std::lock_guard lock(g_lock);
    if (!g_clip.open) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    g_clip.open = false;
    g_clip.opener = nullptr;
    return TRUE;
}

BOOL EmptyClipboard() {
    std::lock_guard lock(g_lock);
    if (!g_clip.open) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    FreeAll(g_clip);
    g_clip.owner = g_clip.opener;
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
    // Only blocks the clipboard can own and free are taken.
    if (!data || LocalSize(data) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::lock_guard lock(g_lock);
    if (!g_clip.open) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    auto it = g_clip.data.find(format);
    if (it != g_clip.data.end() && it->second != data) LocalFree(it->second);
    g_clip.data[format] = data;
    return data;
}

HANDLE GetClipboardData(UINT format) {
    std::lock_guard lock(g_lock);
    if (!g_clip.open) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    auto it = g_clip.data.find(format);
    return it == g_clip.data.end() ? nullptr : it->second;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    std::lock_guard lock(g_lock);
    return g_clip.data.count(format) ? TRUE : FALSE;
}

HWND GetClipboardOwner() {
    std::lock_guard lock(g_lock);
    return g_clip.owner;
}

bool device::ui::SetClipboardText(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(WCHAR);
    HANDLE block = LocalAlloc(LMEM_FIXED, bytes);
    bool ok = false;
    if (block) {
        std::memcpy(block, text.c_str(), bytes);
        ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!ok) LocalFree(block);
    }
    CloseClipboard();
    return ok;
}

bool device::ui::GetClipboardText(std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    bool ok = false;
    if (block) {
        // Read no further than the block, whether or not the writer ended the text.
        size_t chars = LocalSize(block) / sizeof(WCHAR);
        const auto* p = static_cast<const WCHAR*>(block);
        size_t n = 0;
        while (n < chars && p[n]) ++n;
        text.assign(p, n);
        ok = true;
    }
    CloseClipboard();
    return ok;
}
