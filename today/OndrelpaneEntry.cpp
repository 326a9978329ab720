// The library's entries: DllMain makes and deletes the one item; the Today screen calls
// InitializeCustomItem, exported by ordinal 240 only, to get the item window.
#include "today/TodayItem.h"

#include "platform/system/Modules.h"
#include "resources/OndrelpaneResource.h"

#include <new>

extern "C" __attribute__((visibility("default"))) BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // Without the item the library still loads; its entry then makes no window.
        g_todayItem = new (std::nothrow) CTodayItem(instance, L"JorvanaTodayClass", L"JorvanaTodayWnd");
        if (g_todayItem) {
            g_todayItem->SetHeight(87);
            g_todayItem->LoadIcon(IDI_TODAY_GLOBE, 2, 5);
        }
        break;
    case DLL_PROCESS_DETACH:
        if (g_todayItem) {
            g_todayItem->UnregisterWindowClass();
            delete g_todayItem;
            g_todayItem = nullptr;
        }
        break;
    default:
        break;
    }
    return TRUE;
}

static HWND InitializeCustomItem(TODAYLISTITEM*, HWND parent) {
    if (!g_todayItem) return nullptr;
    g_todayItem->RegisterWindowClass(TodayItemWndProc); // a repeated registration fails harmlessly
    // A new window of a reloaded item starts from scratch.
    g_todayItem->m_window = nullptr;
    g_todayItem->Create(parent, WS_CHILD | WS_VISIBLE);
    g_todayItem->Refresh(TRUE);
    return g_todayItem->GetWindow();
}

DEVICE_EXPORT_ORDINALS({TODAY_INITIALIZE_ORDINAL, reinterpret_cast<void*>(&InitializeCustomItem)})
