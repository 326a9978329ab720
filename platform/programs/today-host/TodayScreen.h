#pragma once
// The device's Today screen: a full-work-area window that shows the Today items listed in the
// registry (Software\Microsoft\Today\Items\<name>, values "DLL" the library's device path,
// "Order" its place, "Enabled" 0 to leave it out), one below the other in their order.
//
// It loads each item library, calls its entry exported by ordinal 240 with the item's record
// and itself as parent, and asks every item whether it wants a refresh at once and then every
// few seconds (WM_TODAYCUSTOM_QUERYREFRESHCACHE); an item that answers TRUE has set its height
// and the items are laid out again. Items ask it for the text colour (TODAYM_GETCOLOR) and for
// the background behind them (TODAYM_DRAWWATERMARK). WM_SETTINGCHANGE with wParam 0xF2
// destroys every item window and loads the items again; a library no longer listed is unloaded.

#include "platform/ui/Today.h"

#include <memory>
#include <string>
#include <vector>

namespace today {

class CTodayScreen {
public:
    // How often the items are asked whether they want a refresh.
    static constexpr UINT kQueryIntervalMs = 2000;
    static constexpr UINT_PTR kQueryTimer = 1;
    static constexpr COLORREF kTextColor = RGB(0, 0, 0);

    CTodayScreen() = default;
    ~CTodayScreen();
    CTodayScreen(const CTodayScreen&) = delete;
    CTodayScreen& operator=(const CTodayScreen&) = delete;

    // Makes the screen's window over the work area and starts the query timer.
    bool Create();
    HWND Window() const { return m_window; }

    // Loads every enabled item of the registry, in order; returns how many made a window.
    int LoadItems();
    // Destroys the item windows and frees their libraries.
    void UnloadItems();
    // Asks every item for a refresh (as the timer does); lays the items out again when one
    // reported a new height. Returns how many answered TRUE.
    int QueryItems();

    struct Item {
        std::wstring name;
        DWORD order = 0;
        HMODULE module = nullptr;
        std::unique_ptr<TODAYLISTITEM> record; // stays put: items keep pointers to it
    };
    const std::vector<Item>& Items() const { return m_items; }
    // The item's rectangle in the screen window, or an empty one.
    RECT ItemRect(size_t index) const;

    // The background colour at a row of the screen window (a soft vertical gradient).
    static COLORREF BackgroundAt(int y, int height);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Layout();
    void PaintBackground(HDC dc, const RECT& rect, int offsetY) const;

    HWND m_window = nullptr;
    std::vector<Item> m_items;
};

} // namespace today
