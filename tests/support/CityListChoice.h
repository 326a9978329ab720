#pragma once
// Shared by the tests of the city lists of the clocks and the map: the shipped city list (with
// its cities of one name) in the program folder, and the user's typing and taps in an open list.

#include "core/CitiesDb.h"
#include "platform/display/HeadlessTest.h"
#include "platform/framework/ListControls.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DeviceUi.h"
#include "support/DeviceFileAccess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace testsupport {

// The shipped cities.lst in the program folder, for the store the next page builds.
inline void PlaceShippedCityList() {
    std::filesystem::copy_file(std::filesystem::path(JORVANA_DATA_DIR) / "cities.lst",
                               HostPath(InProgramFolder(L"cities.lst")),
                               std::filesystem::copy_options::overwrite_existing);
}

// The CityIndex of every city whose name the city before it has too (the second of a pair).
inline std::vector<DWORD> SecondsOfDoubledNames(CCitiesDb& cities) {
    std::vector<DWORD> seconds;
    for (DWORD i = 1; i < cities.GetRecordCount(); ++i)
        if (cities.GetName(i) == cities.GetName(i - 1)) seconds.push_back(i);
    return seconds;
}

// Text typed over the whole field of a combo whose list is open.
inline void TypeInCombo(CComboBox& combo, const CString& text) {
    combo.SetEditSel(0, -1);
    device::ui::InjectText(text.GetString());
    device::display::test::PumpUntilIdle();
}

// A tap on item i of the open drop-down list, scrolled into view first (at the top; taps on
// neighbouring items fall on different points, lest two make a double tap).
inline void TapListItem(int i) {
    HWND list = nullptr;
    for (HWND h = ::GetTopWindow(nullptr); h && !list; h = ::GetWindow(h, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        ::GetClassNameW(h, name, 32);
        if (std::wstring(name) == WC_COMBOLBOXW && ::IsWindowVisible(h)) list = h;
    }
    ASSERT_NE(list, nullptr) << "no open list";
    ::SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(i), 0);
    RECT r{};
    ASSERT_NE(::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)), LB_ERR);
    POINT p{10 + 20 * (i % 2), (r.top + r.bottom) / 2};
    ::ClientToScreen(list, &p);
    device::display::test::Tap(p);
}

} // namespace testsupport
