// Menus: building and changing them, loading them from resources, and pop-up menus tracked with
// the stylus and keys.

#include "platform/gdi/Recorder.h"
#include "platform/ui/MenuLayout.h"
#include "platform/ui/Menus.h"

#include "MenuTestSupport.h"

#include <deque>
#include <functional>

using namespace menutest;

namespace {

class MenuTest : public uitest::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        device::ui::RegisterMenuAndViewerClasses();
    }
    void TearDown() override {
        device::gdi::SetDefaultRecorder(nullptr);
        UiTest::TearDown();
    }

    // Actions run one per WM_ENTERIDLE the owner hears while a menu is open.
    std::deque<std::function<void()>> m_idle;
    std::vector<UINT> m_events; // WM_INITMENUPOPUP and WM_ENTERIDLE, in order
    bool m_windowAtInit = true; // whether the menu window existed when WM_INITMENUPOPUP came
    std::function<void(HMENU)> m_onInit;

    void Script() {
        uitest::CurrentHandler() = [this](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
            if (msg == WM_INITMENUPOPUP) {
                m_events.push_back(msg);
                m_windowAtInit = device::ui::OpenPopupWindow() != nullptr;
                if (m_onInit) m_onInit(reinterpret_cast<HMENU>(wParam));
                result = 0;
                return true;
            }
            if (msg == WM_ENTERIDLE && wParam == MSGF_MENU) {
                m_events.push_back(msg);
                if (!m_idle.empty()) {
                    auto action = std::move(m_idle.front());
                    m_idle.pop_front();
                    action();
                } else {
                    EndMenu(); // nothing scripted: never leave a test hanging
                }
                result = 0;
                return true;
            }
            return false;
        };
    }

    HMENU TenItems() {
        HMENU m = CreatePopupMenu();
        for (UINT i = 1; i <= 10; ++i) AppendMenuW(m, MF_STRING, 100 + i, (L"Item " + std::to_wstring(i)).c_str());
        return m;
    }
};

std::vector<UINT> CommandsPosted(HWND hwnd) {
    std::vector<UINT> ids;
    for (const uitest::Logged& l : uitest::Matching(WM_COMMAND))
        if (l.hwnd == hwnd) ids.push_back(LOWORD(l.wParam));
    return ids;
}

} // namespace

// ---- Building and changing menus ----

TEST_F(MenuTest, ItemsAreFoundByCommandOrPositionAndReportTheirState) {
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuW(popup, MF_STRING, 10, L"Ten"));
    ASSERT_TRUE(AppendMenuW(popup, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuW(popup, MF_STRING | MF_GRAYED, 30, L"Thirty"));
    ASSERT_TRUE(InsertMenuW(popup, 30, MF_BYCOMMAND | MF_STRING, 20, L"Twenty")); // before 30
    ASSERT_TRUE(InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING, 5, L"Five"));
    ASSERT_TRUE(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"&File"));

    EXPECT_EQ(GetMenuItemCount(popup), 5);
    EXPECT_EQ(GetMenuItemID(popup, 0), 5u);
    EXPECT_EQ(GetMenuItemID(popup, 1), 10u);
    EXPECT_EQ(GetMenuItemID(popup, 2), 0u); // separator
    EXPECT_EQ(GetMenuItemID(popup, 3), 20u);
    EXPECT_EQ(GetMenuItemID(popup, 4), 30u);
    EXPECT_EQ(GetMenuItemID(bar, 0), 0xFFFFFFFFu); // a pop-up item has no command
    EXPECT_EQ(GetSubMenu(bar, 0), popup);
    EXPECT_EQ(GetSubMenu(popup, 0), nullptr);

    // By command, the search goes into pop-ups.
    EXPECT_EQ(ItemText(bar, 20, MF_BYCOMMAND), L"Twenty");
    EXPECT_EQ(ItemText(bar, 0, MF_BYPOSITION), L"&File");
    EXPECT_EQ(GetMenuStringW(popup, 20, nullptr, 0, MF_BYCOMMAND), 6);
    WCHAR small[4];
    EXPECT_EQ(GetMenuStringW(popup, 20, small, 4, MF_BYCOMMAND), 3);
    EXPECT_STREQ(small, L"Twe");

    EXPECT_EQ(GetMenuState(bar, 30, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(GetMenuState(popup, 2, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION), (5u << 8) | MF_POPUP);
    DestroyMenu(bar);
}

TEST_F(MenuTest, CheckEnableAndRadioReturnThePreviousState) {
    HMENU m = CreatePopupMenu();
    for (UINT id = 1; id <= 4; ++id) AppendMenuW(m, MF_STRING, id, L"x");

    EXPECT_EQ(CheckMenuItem(m, 2, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(m, 2, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(m, 1, MF_BYPOSITION | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(GetMenuState(m, 2, MF_BYCOMMAND) & MF_CHECKED, 0u);

    EXPECT_EQ(EnableMenuItem(m, 3, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
    EXPECT_EQ(EnableMenuItem(m, 3, MF_BYCOMMAND | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
    EXPECT_EQ(GetMenuState(m, 3, MF_BYCOMMAND), static_cast<UINT>(MF_ENABLED));

    ASSERT_TRUE(CheckMenuRadioItem(m, 1, 4, 3, MF_BYCOMMAND));
    EXPECT_TRUE(GetMenuState(m, 3, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(m, 3, MF_BYCOMMAND) & MFT_RADIOCHECK);
    ASSERT_TRUE(CheckMenuRadioItem(m, 0, 3, 0, MF_BYPOSITION));
    EXPECT_TRUE(GetMenuState(m, 1, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(m, 3, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(CheckMenuRadioItem(m, 0, 9, 1, MF_BYPOSITION)); // range past the end
    DestroyMenu(m);
}

TEST_F(MenuTest, ModifyRenamesAndGreysAnItemKeepingItsCommand) {
    HMENU m = CreatePopupMenu();
    AppendMenuW(m, MF_STRING, 32874, L"Time&&Date");
    AppendMenuW(m, MF_STRING, 32875, L"City Information");
    ASSERT_TRUE(ModifyMenuW(m, 32874, MF_BYCOMMAND | MF_STRING | MF_GRAYED, 32874, L"Paris Mon 10:42"));
    EXPECT_EQ(ItemText(m, 0, MF_BYPOSITION), L"Paris Mon 10:42");
    EXPECT_EQ(GetMenuItemID(m, 0), 32874u);
    EXPECT_EQ(GetMenuState(m, 32874, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(GetMenuItemCount(m), 2);
    ASSERT_TRUE(ModifyMenuW(m, 1, MF_BYPOSITION | MF_STRING, 77, L"Other"));
    EXPECT_EQ(GetMenuItemID(m, 1), 77u);
    DestroyMenu(m);
}

TEST_F(MenuTest, RemoveKeepsThePopupAliveDeleteAndDestroyFreeIt) {
    HMENU bar = CreateMenu();
    HMENU a = CreatePopupMenu(), b = CreatePopupMenu(), inner = CreatePopupMenu();
    AppendMenuW(inner, MF_STRING, 9, L"nine");
    AppendMenuW(b, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), L"inner");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(a), L"A");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(b), L"B");

    ASSERT_TRUE(RemoveMenu(bar, 0, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(a));
    EXPECT_EQ(GetMenuItemCount(bar), 1);
    ASSERT_TRUE(DeleteMenu(bar, 9, MF_BYCOMMAND)); // found inside b's pop-up
    EXPECT_EQ(GetMenuItemCount(inner), 0);

    ASSERT_TRUE(DestroyMenu(bar)); // takes b and inner along
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(b));
    EXPECT_FALSE(IsMenu(inner));
    EXPECT_TRUE(IsMenu(a));
    DestroyMenu(a);
}

TEST_F(MenuTest, UnknownMenusAndItemsFailWithDefinedResults) {
    HMENU m = CreatePopupMenu();
    AppendMenuW(m, MF_STRING, 1, L"one");
    HMENU bogus = reinterpret_cast<HMENU>(static_cast<uintptr_t>(0xBAD0));

    EXPECT_EQ(CheckMenuItem(m, 99, MF_BYCOMMAND | MF_CHECKED), 0xFFFFFFFFu);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));
    EXPECT_EQ(EnableMenuItem(m, 5, MF_BYPOSITION | MF_GRAYED), -1);
    EXPECT_EQ(GetMenuState(m, 99, MF_BYCOMMAND), 0xFFFFFFFFu);
    EXPECT_EQ(GetMenuStringW(m, 99, nullptr, 0, MF_BYCOMMAND), 0);
    EXPECT_FALSE(ModifyMenuW(m, 99, MF_BYCOMMAND, 99, L"x"));
    EXPECT_FALSE(RemoveMenu(m, 3, MF_BYPOSITION));
    EXPECT_FALSE(InsertMenuW(m, 99, MF_BYCOMMAND, 2, L"x"));
    EXPECT_EQ(GetMenuItemCount(m), 1);

    EXPECT_EQ(GetMenuItemCount(bogus), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
    EXPECT_FALSE(AppendMenuW(bogus, MF_STRING, 1, L"x"));
    EXPECT_FALSE(DestroyMenu(bogus));
    EXPECT_EQ(GetSubMenu(bogus, 0), nullptr);
    EXPECT_EQ(GetMenuItemID(m, -1), 0xFFFFFFFFu);

    // A pop-up cannot hold itself, directly or through another pop-up.
    HMENU inner = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), L"inner"));
    EXPECT_FALSE(AppendMenuW(inner, MF_POPUP, reinterpret_cast<UINT_PTR>(m), L"loop"));
    EXPECT_FALSE(AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(m), L"self"));
    EXPECT_FALSE(AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(bogus), L"none"));
    DestroyMenu(m);
}

// ---- Menus from resources ----

TEST_F(MenuTest, LoadMenuBuildsPopupsItemsAndStatesFromTheTemplate) {
    HMODULE module = TestModule();
    ASSERT_NE(module, nullptr);
    HMENU m = LoadMenuW(module, MAKEINTRESOURCEW(161));
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(GetMenuItemCount(m), 3);
    EXPECT_EQ(ItemText(m, 1, MF_BYPOSITION), L" Delete ");
    HMENU del = GetSubMenu(m, 1);
    ASSERT_NE(del, nullptr);
    EXPECT_EQ(GetMenuItemCount(del), 5);
    EXPECT_EQ(GetMenuItemID(del, 3), 0u);
    EXPECT_EQ(GetMenuState(del, 3, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(ItemText(m, 32836, MF_BYCOMMAND), L"All Items");
    DestroyMenu(m);

    HMENU states = LoadMenuW(module, L"#500");
    ASSERT_NE(states, nullptr);
    EXPECT_EQ(GetMenuState(states, 501, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(GetMenuState(states, 502, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(GetMenuState(states, 503, MF_BYCOMMAND), 0u);
    DestroyMenu(states);

    HMENU city = LoadMenuW(module, MAKEINTRESOURCEW(342));
    ASSERT_NE(city, nullptr);
    EXPECT_EQ(ItemText(GetSubMenu(city, 0), 0, MF_BYPOSITION), L"Time&&Date");
    DestroyMenu(city);
}

TEST_F(MenuTest, LoadMenuOfAMissingResourceFails) {
    HMODULE module = TestModule();
    EXPECT_EQ(LoadMenuW(module, MAKEINTRESOURCEW(4242)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadMenuW(module, L"NoSuchName"), nullptr);
    EXPECT_EQ(LoadMenuW(module, nullptr), nullptr);
}

TEST_F(MenuTest, DisplayTextDropsMnemonicMarksAndKeepsDoubledAmpersands) {
    EXPECT_EQ(device::ui::menus::DisplayText(L"Time&&Date"), L"Time&Date");
    EXPECT_EQ(device::ui::menus::DisplayText(L"&File"), L"File");
    EXPECT_EQ(device::ui::menus::DisplayText(L"Open\tCtrl+O"), L"Open");
    EXPECT_EQ(device::ui::menus::DisplayText(L"trailing&"), L"trailing");
}

// ---- Pop-up menus ----

TEST_F(MenuTest, OwnerHearsInitMenuPopupBeforeTheMenuShowsAndThePickComesBack) {
    HWND owner = Top(0, 26, 240, 268);
    HMENU m = TenItems();
    Script();
    bool visibleAtIdle = false;
    m_idle.push_back([&] {
        HWND w = device::ui::OpenPopupWindow();
        visibleAtIdle = w && IsWindowVisible(w);
        Tap(PopupItem(2));
    });
    UINT picked = TrackPopupMenu(m, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, 30, 60, 0, owner, nullptr);
    EXPECT_EQ(picked, 103u);
    ASSERT_GE(m_events.size(), 2u);
    EXPECT_EQ(m_events[0], static_cast<UINT>(WM_INITMENUPOPUP));
    EXPECT_FALSE(m_windowAtInit);
    EXPECT_TRUE(visibleAtIdle);
    EXPECT_EQ(device::ui::OpenPopupWindow(), nullptr); // gone when the call returns
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(CommandsPosted(owner).empty()); // TPM_RETURNCMD: no WM_COMMAND
    DestroyMenu(m);
}

TEST_F(MenuTest, WithoutReturnCmdThePickIsPostedAsWmCommand) {
    HWND owner = Top(0, 26, 240, 268);
    HMENU m = TenItems();
    Script();
    m_idle.push_back([&] { Tap(PopupItem(0)); });
    EXPECT_TRUE(TrackPopupMenu(m, TPM_LEFTALIGN | TPM_TOPALIGN, 10, 40, 0, owner, nullptr));
    device::ui::PumpUntilIdle();
    EXPECT_EQ(CommandsPosted(owner), std::vector<UINT>{101u});
    DestroyMenu(m);
}

TEST_F(MenuTest, ATapOutsideDismissesWithoutACommand) {
    HWND owner = Top(0, 26, 240, 268);
    HMENU m = TenItems();
    Script();
    m_idle.push_back([&] { Tap(POINT{230, 280}); });
    EXPECT_FALSE(TrackPopupMenu(m, TPM_LEFTALIGN | TPM_TOPALIGN, 10, 40, 0, owner, nullptr));
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(CommandsPosted(owner).empty());
    // The dismissing tap is not passed on to the window under it.
    EXPECT_TRUE(uitest::MessagesOf(owner, {WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());
    DestroyMenu(m);
}

TEST_F(MenuTest, GreyedItemsAndSeparatorsCannotBePicked) {
    HWND owner = Top(0, 26, 240, 268);
    HMENU m = CreatePopupMenu();
    AppendMenuW(m, MF_STRING | MF_GRAYED, 1, L"Greyed");
    AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(m, MF_STRING, 3, L"Fine");
    Script();
    bool stillOpen = false;
    m_idle.push_back([&] { Tap(PopupItem(0)); });
    m_idle.push_back([&] {
        stillOpen = device::ui::OpenPopupWindow() != nullptr;
        Tap(PopupItem(1));
    });
    m_idle.push_back([&] { Tap(PopupItem(2)); });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 40, 0, owner, nullptr), 3);
    EXPECT_TRUE(stillOpen);
    DestroyMenu(m);
}

TEST_F(MenuTest, KeysMoveTheHighlightAndPickOrCancel) {
    HWND owner = Top(0, 26, 240, 268);
    HMENU m = CreatePopupMenu();
    AppendMenuW(m, MF_STRING, 1, L"One");
    AppendMenuW(m, MF_STRING | MF_GRAYED, 2, L"Two");
    AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(m, MF_STRING, 4, L"Four");
    SetFocus(owner);
    Script();
    m_idle.push_back([&] {
        device::ui::InjectKey(VK_DOWN, true);
        device::ui::InjectKey(VK_DOWN, false);
        device::ui::InjectKey(VK_DOWN, true); // skips the greyed item and the separator
        device::ui::InjectKey(VK_DOWN, false);
        device::ui::InjectKey(VK_RETURN, true);
        device::ui::InjectKey(VK_RETURN, false);
    });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 40, 0, owner, nullptr), 4);
    // Keys went to the menu, not to the focused window.
    EXPECT_TRUE(uitest::MessagesOf(owner, {WM_KEYDOWN, WM_CHAR}).empty());

    m_idle.push_back([&] {
        device::ui::InjectKey(VK_ESCAPE, true);
        device::ui::InjectKey(VK_ESCAPE, false);
    });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 40, 0, owner, nullptr), 0);

    // Up with nothing highlighted goes to the last item, and wraps from the first to the last.
    AppendMenuW(m, MF_STRING, 5, L"Five");
    for (int ups : {1, 4}) {
        m_idle.push_back([&, ups] {
            for (int k = 0; k < ups; ++k) {
                device::ui::InjectKey(VK_UP, true);
                device::ui::InjectKey(VK_UP, false);
            }
            device::ui::InjectKey(VK_RETURN, true);
            device::ui::InjectKey(VK_RETURN, false);
        });
        EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 40, 0, owner, nullptr), 5u) << ups << " ups";
    }
    DestroyMenu(m);
}

TEST_F(MenuTest, AlignmentFlagsPlaceTheMenuAndTheScreenEdgeKeepsItWhole) {
    HWND owner = Top(0, 26, 240, 268);
    HMENU m = TenItems();
    Script();
    RECT placed{};
    auto capture = [&] {
        GetWindowRect(device::ui::OpenPopupWindow(), &placed);
        EndMenu();
    };
    m_idle.push_back(capture);
    TrackPopupMenu(m, TPM_LEFTALIGN | TPM_TOPALIGN, 20, 50, 0, owner, nullptr);
    EXPECT_EQ(placed.left, 20);
    EXPECT_EQ(placed.top, 50);
    int height = placed.bottom - placed.top;
    EXPECT_EQ(height, 10 * device::ui::menus::kItemHeight + 2);

    m_idle.push_back(capture);
    TrackPopupMenu(m, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, 200, 290, 0, owner, nullptr);
    EXPECT_EQ(placed.right, 200);
    EXPECT_EQ(placed.bottom, 290);

    m_idle.push_back(capture);
    TrackPopupMenu(m, TPM_LEFTALIGN | TPM_TOPALIGN, 230, 300, 0, owner, nullptr);
    EXPECT_EQ(placed.right, 240);
    EXPECT_EQ(placed.bottom, 320);
    DestroyMenu(m);
}

TEST_F(MenuTest, ASecondPopupWhileOneIsOpenFails) {
    HWND owner = Top(0, 26, 240, 268);
    HMENU m = TenItems(), other = TenItems();
    Script();
    BOOL nested = TRUE;
    DWORD error = 0;
    m_idle.push_back([&] {
        nested = TrackPopupMenu(other, TPM_RETURNCMD, 0, 0, 0, owner, nullptr);
        error = GetLastError();
        Tap(PopupItem(4));
    });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 40, 0, owner, nullptr), 105);
    EXPECT_EQ(nested, FALSE);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_POPUP_ALREADY_ACTIVE));
    EXPECT_FALSE(TrackPopupMenu(reinterpret_cast<HMENU>(static_cast<uintptr_t>(0xBAD0)), 0, 0, 0, 0, owner, nullptr));
    EXPECT_FALSE(TrackPopupMenu(m, 0, 0, 0, 0, reinterpret_cast<HWND>(static_cast<uintptr_t>(0xBAD0)), nullptr));
    DestroyMenu(m);
    DestroyMenu(other);
}

TEST_F(MenuTest, ChangesMadeInInitMenuPopupAreDrawnChecksGreyAndNewTexts) {
    HWND owner = Top(0, 26, 240, 268);
    HMENU loaded = LoadMenuW(TestModule(), MAKEINTRESOURCEW(342));
    HMENU popup = GetSubMenu(loaded, 0);
    ASSERT_NE(popup, nullptr);
    auto recorder = std::make_shared<device::gdi::CallRecorder>();
    device::gdi::SetDefaultRecorder(recorder);
    Script();
    m_onInit = [](HMENU menu) {
        ModifyMenuW(menu, 32874, MF_BYCOMMAND | MF_STRING | MF_GRAYED, 32874, L"Paris 10:42");
        CheckMenuItem(menu, 32876, MF_BYCOMMAND | MF_CHECKED);
    };
    COLORREF pickedBackground = CLR_INVALID;
    m_idle.push_back([&] {
        // The highlighted item (stylus held down on it) is drawn in the selection colour.
        RECT item{};
        ASSERT_TRUE(device::ui::OpenPopupItemRect(1, item));
        device::ui::InjectStylus(device::ui::StylusAction::Down, Centre(item));
        device::ui::PumpUntilIdle();
        pickedBackground = Pixel(item.right - 3, item.top + 2);
        Screenshot("menu-popup-city");
        device::ui::InjectStylus(device::ui::StylusAction::Up, POINT{235, 300});
        device::ui::PumpUntilIdle();
        Tap(POINT{235, 300});
    });
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, 20, 60, 0, owner, nullptr);
    device::gdi::SetDefaultRecorder(nullptr);

    device::gdi::RecordedCall call;
    ASSERT_TRUE(recorder->FindText(L"Paris 10:42", call));
    EXPECT_EQ(call.textColour, GetSysColor(COLOR_GRAYTEXT));
    ASSERT_TRUE(recorder->FindText(L"Weather Forecast", call));
    EXPECT_EQ(call.textColour, GetSysColor(COLOR_MENUTEXT));
    // The check mark: lines drawn in the check margin of the third row.
    int checkLines = 0;
    for (const auto& c : recorder->Calls("LineTo"))
        if (!c.points.empty() && c.points.back().x < device::ui::menus::kCheckMargin &&
            c.points.back().y > 2 * device::ui::menus::kItemHeight)
            ++checkLines;
    EXPECT_GT(checkLines, 0);
    EXPECT_EQ(pickedBackground, GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(GetMenuState(popup, 32876, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    DestroyMenu(loaded);
}

TEST_F(MenuTest, ThePopupWindowGoesAwayWhenItsOwnerIsDestroyed) {
    HWND owner = Top(0, 26, 240, 268);
    HMENU m = TenItems();
    Script();
    m_idle.push_back([&] { DestroyWindow(owner); });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 40, 0, owner, nullptr), 0);
    EXPECT_EQ(device::ui::OpenPopupWindow(), nullptr);
    DestroyMenu(m);
}

// ---- Menu bars ----

TEST_F(MenuTest, TwoMenuBarsOnOneWindowShowOneAtATimeAlongTheBottom) {
    HWND owner = Top(0, 26, 240, 268);
    HMODULE module = TestModule();
    HWND clocks = CommandBar_Create(module, owner, 1);
    HWND menu = CommandBar_Create(module, owner, 1);
    ASSERT_TRUE(clocks && menu);
    ASSERT_TRUE(CommandBar_InsertMenubar(clocks, module, 193, 0));
    ASSERT_TRUE(CommandBar_InsertMenubar(clocks, module, 216, 0xFFFF));
    ASSERT_TRUE(CommandBar_InsertMenubar(menu, module, 216, 0));
    EXPECT_FALSE(CommandBar_InsertMenubar(menu, module, 4242, 0)); // no such menu: the bar stays as it is
    EXPECT_EQ(SendMessageW(menu, TB_BUTTONCOUNT, 0, 0), 1);

    EXPECT_EQ(CommandBar_Height(clocks), GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(GetSystemMetrics(SM_CYMENU), 26);
    RECT bar, client;
    GetWindowRect(clocks, &bar);
    GetClientRect(owner, &client);
    MapWindowPoints(owner, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(bar.right - bar.left, client.right - client.left);

    CommandBar_Show(menu, FALSE);
    EXPECT_TRUE(CommandBar_IsVisible(clocks));
    EXPECT_FALSE(CommandBar_IsVisible(menu));
    // The clocks bar's own menu first, then menu 216 after it.
    RECT options{}, menuEntry{};
    ASSERT_TRUE(device::ui::CommandBarEntryRect(clocks, 0, -1, options));
    ASSERT_TRUE(device::ui::CommandBarEntryRect(clocks, 1, -1, menuEntry));
    EXPECT_LT(options.left, menuEntry.left);

    CommandBar_Show(clocks, FALSE);
    CommandBar_Show(menu, TRUE);
    device::ui::PumpUntilIdle();
    EXPECT_FALSE(CommandBar_IsVisible(clocks));
    EXPECT_TRUE(CommandBar_IsVisible(menu));
    RECT entry{};
    ASSERT_TRUE(device::ui::CommandBarEntryRect(menu, 0, -1, entry));
    MapWindowPoints(menu, nullptr, reinterpret_cast<POINT*>(&entry), 2);
    EXPECT_EQ(WindowFromPoint(Centre(entry)), menu);
}

TEST_F(MenuTest, ATapOnABarEntryOpensItsPopupUpwardAfterInitMenuPopupAndThePickReachesTheWindow) {
    HWND owner = Top(0, 26, 240, 268);
    HMODULE module = TestModule();
    HWND bar = CommandBar_Create(module, owner, 1);
    ASSERT_TRUE(CommandBar_InsertMenubar(bar, module, 193, 0));
    ASSERT_TRUE(CommandBar_InsertMenubar(bar, module, 216, 0xFFFF));
    device::ui::PumpUntilIdle();
    Script();
    m_onInit = [](HMENU popup) { CheckMenuItem(popup, 32878, MF_BYCOMMAND | MF_CHECKED); };
    RECT barRect{}, popupRect{};
    GetWindowRect(bar, &barRect);
    COLORREF entryWhileOpen = CLR_INVALID;
    m_idle.push_back([&] {
        GetWindowRect(device::ui::OpenPopupWindow(), &popupRect);
        device::ui::PumpUntilIdle();
        entryWhileOpen = Pixel(barRect.left + 2, barRect.bottom - 3); // the entry stays pressed
        Screenshot("menubar-with-popup");
        Tap(PopupItem(0));
    });
    RECT entry{};
    ASSERT_TRUE(device::ui::CommandBarEntryRect(bar, 0, -1, entry));
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&entry), 2);
    Tap(Centre(entry));
    device::ui::PumpUntilIdle();

    ASSERT_FALSE(m_events.empty());
    EXPECT_EQ(m_events[0], static_cast<UINT>(WM_INITMENUPOPUP));
    EXPECT_FALSE(m_windowAtInit);
    EXPECT_EQ(popupRect.bottom, barRect.top); // opens upward from the bar
    EXPECT_EQ(popupRect.left, entry.left);
    EXPECT_EQ(entryWhileOpen, GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(CommandsPosted(owner), std::vector<UINT>{32878u});
    EXPECT_TRUE(GetMenuState(CommandBar_GetMenu(bar, 0), 32878, MF_BYCOMMAND) & MF_CHECKED);
}

// With the input panel up, a menu opened from the bar lies over the panel: its items there are
// drawn and take the taps (the panel types no key there); once it closes the panel shows there again.
TEST_F(MenuTest, APopupOpenedWhileThePanelIsUpLiesOverThePanel) {
    device::ui::SetSipUp(true);
    HWND owner = Top(0, 26, 240, 294);
    HMODULE module = TestModule();
    HWND bar = CommandBar_Create(module, owner, 1);
    ASSERT_TRUE(CommandBar_InsertMenubar(bar, module, 216, 0));
    device::ui::PumpUntilIdle();
    Script();
    const RECT panel = device::ui::SipRect();
    // The panel as it is drawn before the menu opens, over the whole lower half of the screen.
    std::vector<COLORREF> panelBefore;
    for (int y = panel.top; y < panel.bottom; ++y) panelBefore.push_back(Pixel(100, y));
    HWND popup = nullptr, hit = nullptr;
    POINT exitItem{}, background{};
    RECT popupRect{};
    COLORREF drawn = CLR_INVALID;
    m_idle.push_back([&] {
        popup = device::ui::OpenPopupWindow();
        GetWindowRect(popup, &popupRect);
        const int last = GetMenuItemCount(GetSubMenu(CommandBar_GetMenu(bar, 0), 0)) - 1; // Exit
        RECT item{};
        ASSERT_TRUE(device::ui::OpenPopupItemRect(last, item));
        exitItem = Centre(item);
        background = POINT{item.left + 3, item.top + 2};
        device::ui::PumpUntilIdle();
        hit = WindowFromPoint(exitItem);
        drawn = Pixel(background.x, background.y);
        Screenshot("menu-over-panel");
        Tap(exitItem);
    });
    RECT entry{};
    ASSERT_TRUE(device::ui::CommandBarEntryRect(bar, 0, -1, entry));
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&entry), 2);
    Tap(Centre(entry));
    device::ui::PumpUntilIdle();

    ASSERT_TRUE(PtInRect(&panel, exitItem)) << "the lowest item lies where the panel is";
    EXPECT_EQ(hit, popup);
    EXPECT_EQ(drawn, GetSysColor(COLOR_MENU));
    EXPECT_EQ(CommandsPosted(owner), std::vector<UINT>{32862u});
    ASSERT_TRUE(popupRect.left < 100 && popupRect.right > 100 && popupRect.bottom > panel.top) << "the menu lay there";
    std::vector<COLORREF> panelAfter;
    for (int y = panel.top; y < panel.bottom; ++y) panelAfter.push_back(Pixel(100, y));
    EXPECT_EQ(panelAfter, panelBefore) << "the panel is drawn again where the menu was";
    device::ui::SetSipUp(false);
}

TEST_F(MenuTest, TheBitmapButtonAndTheOkAdornmentSendTheirCommands) {
    HWND owner = Top(0, 26, 240, 268);
    HMODULE module = TestModule();
    HWND bar = CommandBar_Create(module, owner, 1);
    ASSERT_TRUE(CommandBar_InsertMenubar(bar, module, 216, 0));
    int first = CommandBar_AddBitmap(bar, module, 143, 1, 16, 15);
    ASSERT_EQ(first, 0);
    EXPECT_EQ(CommandBar_AddBitmap(bar, module, 4242, 1, 16, 15), -1);
    TBBUTTON back{};
    back.iBitmap = first;
    back.idCommand = 32795;
    back.fsState = TBSTATE_ENABLED;
    back.fsStyle = TBSTYLE_BUTTON;
    ASSERT_TRUE(CommandBar_AddButtons(bar, 1, &back));
    ASSERT_TRUE(CommandBar_AddAdornments(bar, CMDBAR_OK, 0));
    EXPECT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 3); // menu, button, OK: no close box
    device::ui::PumpUntilIdle();

    auto tapItem = [&](int index) {
        RECT r{};
        ASSERT_TRUE(SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)));
        MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
        Tap(Centre(r));
    };
    tapItem(1);
    SendMessageW(bar, TB_ENABLEBUTTON, 32795, FALSE);
    tapItem(1); // a disabled button sends nothing
    tapItem(2);
    EXPECT_EQ(CommandsPosted(owner), (std::vector<UINT>{32795u, 1u})); // 1: IDOK
    EXPECT_TRUE(uitest::MessagesOf(owner, {WM_CLOSE}).empty());
}
