// The Today screen and the item's window: loading through the ordinal entry, the height the item
// reports, the once-a-minute repaint, the background it asks for, and the reload broadcast.

#include "TodayTestSupport.h"

#include "platform/system/Modules.h"
#include "platform/ui/Broadcast.h"

namespace {

using todaytest::InProgramFolder;
using todaytest::TodayTest;

class TodayHost : public TodayTest {};

TEST_F(TodayHost, LoadsTheItemThroughItsOrdinalEntryWithDefaultHeight) {
    SeedAll();
    StartScreen();
    const auto& item = m_screen->Items().at(0);
    EXPECT_EQ(item.name, L"Ondrelpane");
    WCHAR cls[64] = L"";
    GetClassNameW(Item(), cls, 64);
    EXPECT_STREQ(cls, L"JorvanaTodayClass");
    EXPECT_EQ(GetParent(Item()), m_screen->Window());
    // No settings: three lines and the strip, reported as 87 and kept while nothing changes.
    EXPECT_EQ(item.record->cyp, 87u);
    EXPECT_EQ(ItemHeight(), 87);
    RECT r{};
    GetClientRect(Item(), &r);
    EXPECT_EQ(r.right, 240);
    Paint();
    EXPECT_EQ(m_screen->QueryItems(), 0);
    EXPECT_EQ(ItemHeight(), 87);
    // The item's entry is found by ordinal only.
    EXPECT_EQ(GetProcAddressW(item.module, L"InitializeCustomItem"), nullptr);
    EXPECT_NE(GetProcAddressW(item.module, MAKEINTRESOURCEW(240)), nullptr);
    EXPECT_EQ(GetProcAddressW(item.module, MAKEINTRESOURCEW(241)), nullptr);
    EXPECT_FALSE(testsupport::SaveScreenshot("today-item").empty());
}

TEST_F(TodayHost, LineCountAndStripSetTheHeightAndChangesAreReportedOnce) {
    SeedAll();
    Write(L"Jorvana", L"todaynbcs", 5);
    Write(L"Jorvana", L"todayscur", 0);
    StartScreen();
    EXPECT_EQ(ItemHeight(), 110);
    EXPECT_EQ(m_screen->QueryItems(), 0);

    Write(L"Jorvana", L"todaynbcs", 3);
    Paint();
    EXPECT_EQ(m_screen->QueryItems(), 1);
    EXPECT_EQ(ItemHeight(), 66);
    EXPECT_EQ(m_screen->QueryItems(), 0);

    // The strip, once drawn, has its own measured height.
    Write(L"Jorvana", L"todayscur", 1);
    Paint();
    Paint();
    EXPECT_EQ(m_screen->QueryItems(), 1);
    int strip = ItemHeight() - 66;
    EXPECT_GT(strip, 15);
    EXPECT_LT(strip, 40);

    Write(L"Jorvana", L"todaynbcs", 0); // counts as one line
    Paint();
    m_screen->QueryItems();
    EXPECT_EQ(ItemHeight(), 22 + strip);
}

// Values of another shape than the program writes (a text, a single byte, two bytes, left by
// another writer) are damaged and read as missing, as the program reads them: the item keeps
// painting with the defaults, a damaged home city is the one the home location names, and the
// item writes nothing over them.
TEST_F(TodayHost, DamagedSettingsReadAsMissingAndTheHomeComesFromItsLocation) {
    SeedAll();
    Write(L"Jorvana", L"todaynbcs", 5);
    Write(L"Jorvana", L"todayscur", 0);
    StartScreen();
    EXPECT_EQ(ItemHeight(), 110);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
    const BYTE two[2] = {2, 0}, hidden[1] = {0};
    ASSERT_EQ(RegSetValueExW(key, L"todaynbcs", 0, REG_BINARY, two, 2), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"todayscur", 0, REG_BINARY, hidden, 1), ERROR_SUCCESS);
    RegCloseKey(key);
    Write(L"Jorvana\\wrldclk", L"clock", std::wstring(L"4"));
    Write(L"Jorvana", L"hlname", std::wstring(L"St. John's:Canada"));
    m_recorder->Clear();
    Paint();
    m_screen->QueryItems();
    EXPECT_GT(ItemHeight(), 66) << "three lines and the strip";
    EXPECT_TRUE(Drew(L"St. John's")) << "the home line";
    EXPECT_FALSE(Drew(L"Berlin")) << "not the first city";

    Write(L"Jorvana", L"hlname", std::wstring(L"Nowhere:Atlantis"));
    m_recorder->Clear();
    Paint();
    EXPECT_TRUE(Drew(L"Berlin")) << "a location that names no city: the first";
    WCHAR text[8] = L"";
    DWORD size = sizeof(text), type = 0;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", 0, 0, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, L"clock", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << "left as it was";
}

TEST_F(TodayHost, QueriesRepaintOnlyInTheFirstSecondsOfAMinute) {
    SeedAll();
    StartScreen();
    device::SetDeviceClock("2026-06-15T10:21:01Z");
    m_recorder->Clear();
    EXPECT_EQ(m_screen->QueryItems(), 0);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(Drew(L"12:21")); // Berlin, summer time

    device::SetDeviceClock("2026-06-15T10:22:30Z");
    m_recorder->Clear();
    EXPECT_EQ(m_screen->QueryItems(), 0);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(Texts().empty());

    // A query without a record changes nothing and keeps a pending height.
    Write(L"Jorvana", L"todaynbcs", 2);
    Paint();
    EXPECT_EQ(SendMessageW(Item(), WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, 0), FALSE);
    EXPECT_EQ(m_screen->QueryItems(), 1);
}

TEST_F(TodayHost, BackgroundComesFromTheScreenAndEraseAlwaysSucceeds) {
    SeedAll();
    StartScreen();
    HDC dc = GetDC(Item());
    EXPECT_EQ(SendMessageW(Item(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    ReleaseDC(Item(), dc);
    device::ui::PumpUntilIdle();
    // A pixel of the item's area without text shows the screen's gradient at that height.
    POINT p{236, 60};
    ClientToScreen(Item(), &p);
    POINT inScreen = p;
    ScreenToClient(m_screen->Window(), &inScreen);
    RECT client{};
    GetClientRect(m_screen->Window(), &client);
    COLORREF expected = today::CTodayScreen::BackgroundAt(inScreen.y, client.bottom);
    COLORREF seen = 0;
    device::ui::WithFramebuffer([&](const device::gdi::Bitmap& fb) { seen = device::gdi::ToColorRef(fb.Get(p.x, p.y)); });
    EXPECT_EQ(seen, expected);
}

TEST_F(TodayHost, ReloadBroadcastMakesANewWindowAndRemovalUnloadsTheLibrary) {
    SeedAll();
    StartScreen();
    HWND first = Item();
    HMODULE module = m_screen->Items().at(0).module;
    device::ui::BroadcastMessage(WM_SETTINGCHANGE, 0xF2, 0, device::ui::BroadcastKind::Send, 2000);
    device::ui::PumpUntilIdle();
    ASSERT_EQ(m_screen->Items().size(), 1u);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(Item()));
    EXPECT_EQ(m_screen->Items().at(0).module, module); // the library stayed loaded
    EXPECT_EQ(ItemHeight(), 87);

    WNDCLASSW wc{};
    EXPECT_TRUE(GetClassInfoW(module, L"JorvanaTodayClass", &wc));
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Today\\Items\\Ondrelpane");
    device::ui::BroadcastMessage(WM_SETTINGCHANGE, 0xF2, 0, device::ui::BroadcastKind::Send, 2000);
    device::ui::PumpUntilIdle();
    EXPECT_TRUE(m_screen->Items().empty());
    // Detached: the library unregistered its class.
    EXPECT_EQ(GetModuleHandleW(L"Ondrelpane.dll"), nullptr);
    EXPECT_FALSE(GetClassInfoW(module, L"JorvanaTodayClass", &wc));
}

TEST_F(TodayHost, ALibraryWithoutTheEntryIsLeftOut) {
    SeedAll();
    namespace fs = std::filesystem;
    fs::copy_file(testsupport::HostPath(InProgramFolder(L"Ondrelpane.dll")),
                  testsupport::HostPath(InProgramFolder(L"copy.dll")));
    Write(L"Software\\Microsoft\\Today\\Items\\Broken", L"DLL", InProgramFolder(L"missing.dll"));
    Write(L"Software\\Microsoft\\Today\\Items\\Broken", L"Order", 1);
    m_screen = std::make_unique<today::CTodayScreen>();
    ASSERT_TRUE(m_screen->Create());
    EXPECT_EQ(m_screen->LoadItems(), 1);
    EXPECT_EQ(m_screen->Items().at(0).name, L"Ondrelpane");
}

} // namespace
