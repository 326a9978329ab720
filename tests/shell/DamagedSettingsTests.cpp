// Settings of another type or size than the program reads: the home city is taken back from the
// home location or asked for again, the others are named to the user once, and nothing is
// written over them before that.

#include "MainWindowTestSupport.h"

#include "clocks/WorldClocksDlg.h"
#include "core/CoreMessages.h"
#include "support/FileSizeLimit.h"

#include <chrono>
#include <cstdint>
#include <thread>

namespace shelltest {
namespace {

class DamagedSettingsTest : public MainWindowTest {
protected:
    static void SetRaw(LPCWSTR path, LPCWSTR name, DWORD type, std::vector<BYTE> bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static bool ValueExists(LPCWSTR path, LPCWSTR name) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return false;
        const bool found = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        RegCloseKey(key);
        return found;
    }
    // A start answering the home city with city; the home clock's city.
    // Ends the window (which writes its settings) before a test changes them.
    void Close() {
        if (m_dlg && m_dlg->m_hWnd) m_dlg->DestroyWindow();
        m_dlg.reset();
        device::ui::PumpUntilIdle();
    }
    CString Start(int city = 0) {
        Close();
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
        m_dlg = std::make_unique<TestMainDlg>();
        m_dlg->homeCityAnswer = city;
        EXPECT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
        device::ui::PumpUntilIdle();
        auto* clocks = dynamic_cast<CWorldClocksDlg*>(m_dlg->GetTabs().GetPage(0));
        return clocks ? clocks->GetClockCityName(0) : CString();
    }
    // The damage is told from a timer once the window is painted: the messages up to then.
    std::vector<std::wstring> ToldOnceIdle() {
        for (int i = 0; i < 200 && MessageTexts().empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            device::ui::PumpUntilIdle();
        }
        return MessageTexts();
    }
};

// Cities: Lima 0, Oslo 1, Paris 2. A text, two bytes, eight bytes of another type.
TEST_F(DamagedSettingsTest, TheHomeCityComesBackFromTheHomeLocationOrIsAskedForAgain) {
    InstallSmallProduct();
    Start();
    Close();
    const long long clock3 = ReadDword(L"Jorvana\\wrldclk", L"clock3");
    const std::pair<DWORD, std::vector<BYTE>> shapes[] = {
        {REG_SZ, {'1', 0, 0, 0}}, {REG_DWORD, {1, 0}}, {REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}}};
    for (const auto& [type, bytes] : shapes) {
        Close();
        SetRaw(L"Jorvana\\wrldclk", L"clock", type, bytes);
        CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname", L"Oslo:Norway");
        EXPECT_EQ(Start(), L"Oslo") << type;
        EXPECT_EQ(m_dlg->homeCityRuns, 0) << type;
        EXPECT_TRUE(ToldOnceIdle().empty()) << type << ": nothing was lost";
        EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock"), 1) << type;

        // The location damaged too: the user chooses again, and both are stored.
        Close();
        SetRaw(L"Jorvana\\wrldclk", L"clock", type, bytes);
        SetRaw(L"Jorvana", L"hlname", REG_DWORD, {1, 0, 0, 0});
        EXPECT_EQ(Start(2), L"Paris") << type;
        EXPECT_EQ(m_dlg->homeCityRuns, 1) << type;
        EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{std::wstring(LoadCoreString(IDS_HOME_CITY_DAMAGED))});
        Close();
        EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock"), 2) << type;
        EXPECT_EQ(ReadString(L"Jorvana", L"hlname"), L"Paris:France") << type;
        EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock3"), clock3) << "not a first start's";
    }
}

// A home city taken back from the home location on a device that has no room to store it: the
// window ends with the storage message of a start, not the first start's promise to ask for the
// home city (the next start takes it back again without asking).
TEST_F(DamagedSettingsTest, AHomeCityTakenBackThatCannotBeStoredPromisesNoQuestion) {
    InstallSmallProduct();
    Start();
    Close();
    SetRaw(L"Jorvana\\wrldclk", L"clock", REG_SZ, {'1', 0, 0, 0});
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname", L"Oslo:Norway");
    {
        testsupport::FileSizeLimit full(testsupport::RoomLeft(Root(), 0));
        Start();
    }
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{std::wstring(LoadCoreString(IDS_STORAGE_FULL))});
    EXPECT_FALSE(m_dlg->m_hWnd && m_dlg->IsWindowVisible()) << "the window ended";
    EXPECT_EQ(Start(), L"Oslo");
    EXPECT_EQ(m_dlg->homeCityRuns, 0);
}

// A damaged setting of the clocks, the weather and the currencies: each reads as missing (its
// starting value shows), the user is told once, naming them all, and the start writes nothing
// over them.
TEST_F(DamagedSettingsTest, OtherSettingsAreToldOnceAndNotWrittenOverAtTheStart) {
    InstallSmallProduct();
    Start();
    Close();
    SetRaw(L"Jorvana\\wrldclk", L"clock2", REG_SZ, {'P', 0, 0, 0});
    SetRaw(L"Jorvana\\weather", L"wetp3", REG_BINARY, {1, 0, 0, 0});
    SetRaw(L"Jorvana\\currencies", L"curp2", REG_DWORD, {1, 0});
    Start();
    const std::vector<std::wstring> told = ToldOnceIdle();
    ASSERT_EQ(told.size(), 1u);
    for (LPCWSTR named : {L"World Clocks: clock2", L"Weather: wetp3", L"Currencies: curp2"})
        EXPECT_NE(told[0].find(named), std::wstring::npos) << std::string(told[0].begin(), told[0].end());
    for (auto [key, name] : {std::pair{L"Jorvana\\wrldclk", L"clock2"}, {L"Jorvana\\weather", L"wetp3"},
                             {L"Jorvana\\currencies", L"curp2"}})
        EXPECT_FALSE(ValueExists(key, name)) << "told, then removed to read as missing from now on";
    auto* clocks = dynamic_cast<CWorldClocksDlg*>(m_dlg->GetTabs().GetPage(0));
    ASSERT_NE(clocks, nullptr);
    EXPECT_FALSE(clocks->GetClockCityName(2).IsEmpty()) << "its starting city";
    TapTab(1);
    TapTab(3);
    EXPECT_EQ(MessageTexts().size(), 1u) << "read again by their pages, not told again";
    Start();
    EXPECT_TRUE(ToldOnceIdle().empty()) << "not told again at the next start";
}

} // namespace
} // namespace shelltest
