#pragma once
// Shared by the main window tests: a device holding a small city list, weather list, currency
// list and the shipped default skin; a main window whose dialogs answer in place of a user;
// taps on its tabs.

#include "platform/ui/DeviceUi.h"
#include "platform/ui/Sip.h"
#include "resources/resource.h"
#include "shell/AppMessages.h"
#include "shell/MainDlg.h"
#include "ShellTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace shelltest {

inline std::filesystem::path ShippedData() { return JORVANA_DATA_DIR; }

// Closes the next modal dialog of type Dialog with OK once it is up, after handing it to check
// (which may fill it in as the user would).
template <class Dialog> void CloseNextDialog(std::function<void(Dialog&)> check) {
    static std::function<void(Dialog&)> s_check;
    s_check = std::move(check);
    ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        auto* dlg = dynamic_cast<Dialog*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
        // Up means on show: the timer may fire in a loop run while the dialog still initialises.
        if (!dlg || !dlg->IsWindowVisible()) return;
        ::KillTimer(nullptr, id);
        s_check(*dlg);
        dlg->SendMessage(WM_COMMAND, IDOK);
    });
}

// The main window with its modal dialogs replaced by recorded answers.
class TestMainDlg : public CMainDlg {
public:
    int homeCityAnswer = 0;
    int homeCityRuns = 0;
    std::vector<int> languageRuns;
    int todayRuns = 0;

    using CMainDlg::OnCommand;
    // A pop-up's items after the window's command update, as the user would see them.
    void UpdatePopup(CMenu* popup) { OnInitMenuPopup(popup, 0, FALSE); }

protected:
    void RunHomeCityDialog(int& cityIndex) override {
        ++homeCityRuns;
        cityIndex = homeCityAnswer;
    }
    void RunLanguageDialog(int initialSelection) override { languageRuns.push_back(initialSelection); }
    void RunTodayOptionsDialog() override { ++todayRuns; }
};

class MainWindowTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        device::ui::SetScreenShape(240, 320);
        CMainTabCtrl::s_nPendingTool = -1;
    }
    void TearDown() override {
        if (m_dlg && m_dlg->m_hWnd) m_dlg->DestroyWindow();
        m_dlg.reset();
        device::ui::PumpUntilIdle();
        ShellTest::TearDown();
    }

    // cities.lst with these "name;country" entries (the store sorts them by name).
    static void WriteCities(const std::vector<std::string>& cities) {
        std::string text = "rules\n" + std::to_string(cities.size()) + "\n";
        for (const auto& c : cities) text += "Zone/X;" + c + ";10;20;100;0;0;0;0;0\n";
        WriteDeviceFile(InProgramFolder(L"cities.lst"), text);
    }
    // cities.wet with these "country;name;code" entries.
    static void WriteWeatherCities(const std::vector<std::string>& places) {
        std::string text = std::to_string(places.size()) + "\n";
        for (const auto& p : places) text += p + "\r\n";
        WriteDeviceFile(InProgramFolder(L"cities.wet"), text);
    }
    static void CopyShipped(const std::string& name) {
        std::filesystem::path to = HostPath(InProgramFolder(std::wstring(name.begin(), name.end())));
        std::filesystem::create_directories(to.parent_path());
        std::filesystem::copy(ShippedData() / name, to,
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    }
    // A device with everything the main window reads, and the home city already chosen.
    static void InstallSmallProduct(bool homeCityChosen = true) {
        WriteCities({"Paris;France", "Oslo;Norway", "Lima;Peru"});
        WriteWeatherCities({"France;Paris;FR0001", "Norway;Oslo;NO0001"});
        WriteDeviceFile(InProgramFolder(L"currs.lst"), "2\r\nEUR_Euro_1.1#USD_US Dollar_1#");
        // The default skin with every folder and image it names, so that it validates.
        for (const char* name : {"default.skn", "toolbar", "Portrait", "Landscape", "Square", "wiconset", "worldmap.jpg"})
            CopyShipped(name);
        if (homeCityChosen) CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"clock", 0);
    }

    TestMainDlg& Open() {
        m_dlg = std::make_unique<TestMainDlg>();
        EXPECT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
        m_dlg->ShowWindow(SW_SHOW);
        device::ui::PumpUntilIdle();
        return *m_dlg;
    }

    // A tap in the middle of tab n.
    void TapTab(int n) {
        CRect item;
        ASSERT_TRUE(m_dlg->GetTabs().GetItemRect(n, &item));
        m_dlg->GetTabs().ClientToScreen(&item);
        POINT at{item.CenterPoint().x, item.CenterPoint().y};
        device::ui::InjectStylus(device::ui::StylusAction::Down, at);
        device::ui::InjectStylus(device::ui::StylusAction::Up, at);
        device::ui::PumpUntilIdle();
    }

    static long long ReadDword(LPCWSTR key, LPCWSTR name) {
        CRegistryKey reg;
        DWORD value = reg.ReadDword(HKEY_LOCAL_MACHINE, key, name);
        return reg.RegistryStatus == CRegistryKey::kFound ? static_cast<long long>(value) : -1;
    }
    static CString ReadString(LPCWSTR key, LPCWSTR name) {
        return CRegistryKey().ReadString(HKEY_LOCAL_MACHINE, key, name);
    }

    // The screen shapes the program is laid out for.
    static constexpr SIZE kShapes[4] = {{240, 320}, {320, 240}, {240, 240}, {320, 320}};

    // What the user sees of the work area: down to the input panel's top while it is up.
    static CRect VisibleDesktop() {
        SIPINFO info{};
        info.cbSize = sizeof(info);
        ::SipGetInfo(&info);
        return CRect(info.rcVisibleDesktop);
    }
    // A control can be seen in full inside its window and the visible desktop, or the window's
    // vertical scroll range can bring it there (a control taller than that room: each of its
    // edges). Scrolls the window to its top first, to measure from there.
    static ::testing::AssertionResult Reachable(CWnd* window, HWND control, const char* name) {
        window->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
        device::ui::PumpUntilIdle();
        CRect c, room;
        ::GetWindowRect(control, &c);
        window->GetClientRect(&room);
        window->ClientToScreen(&room);
        room.IntersectRect(&room, VisibleDesktop());
        int range = 0; // how far the content can move up
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE;
        // Only a shown scroll bar lets the user scroll.
        if ((window->GetStyle() & WS_VSCROLL) && window->GetScrollInfo(SB_VERT, &info)) range = std::max(0, info.nMax - info.nMin);
        // A list laid one pixel past the edge hides its own border there: that pixel is meant.
        const bool fitsAcross = c.left >= room.left - 1 && c.right <= room.right + 1;
        const int need = std::max(0, static_cast<int>(c.bottom - room.bottom)); // the least scroll
        const bool fitsDown = c.top >= room.top && need <= range &&
                              (c.Height() > room.Height() || need <= c.top - room.top);
        if (fitsAcross && fitsDown) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << name << " at (" << c.left << "," << c.top << ")-(" << c.right << ","
                                             << c.bottom << ") outside (" << room.left << "," << room.top << ")-("
                                             << room.right << "," << room.bottom << "), scroll range " << range;
    }

    std::unique_ptr<TestMainDlg> m_dlg;
};

} // namespace shelltest
