// Settings of another type or size than the program reads (text for a number, a number for a
// text, a number of the wrong size): the home city is taken back from the home location or asked
// again, the others are named to the user once, and nothing is written over them before that.

#include "MainWindowTestSupport.h"

#include "clocks/WorldClocksDlg.h"
#include "core/CoreMessages.h"

#include <chrono>
#include <cstdint>
#include <thread>

namespace shelltest {
namespace {

class DamagedSettingsTest : public MainWindowTest {
protected:
    // The three damaged shapes: a text where a number belongs, a number of two bytes, eight
    // bytes of another type.
    struct Shape {
        const char* name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    static std::vector<Shape> Shapes() {
        const wchar_t text[] = L"1";
        const BYTE* t = reinterpret_cast<const BYTE*>(text);
        return {{"text", REG_SZ, std::vector<BYTE>(t, t + sizeof(text))},
                {"two bytes", REG_DWORD, {1, 0}},
                {"eight bytes", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0}}};
    }
    static void SetRaw(LPCWSTR path, LPCWSTR name, DWORD type, const std::vector<BYTE>& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size())), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static DWORD RawType(LPCWSTR path, LPCWSTR name) {
        HKEY key = nullptr;
        DWORD type = REG_NONE, size = 0;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return REG_NONE;
        RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
        RegCloseKey(key);
        return type;
    }
    CString HomeClockCity() {
        auto* clocks = dynamic_cast<CWorldClocksDlg*>(m_dlg->GetTabs().GetPage(0));
        return clocks ? clocks->GetClockCityName(0) : CString();
    }
    void Close() {
        m_dlg->DestroyWindow();
        m_dlg.reset();
        device::ui::PumpUntilIdle();
    }
    static std::wstring Text(UINT id) { return std::wstring(static_cast<LPCWSTR>(LoadCoreString(id))); }
    // The damage is told from a timer once the window is painted: the messages up to then.
    std::vector<std::wstring> ToldOnceIdle() {
        for (int i = 0; i < 200 && MessageTexts().empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            device::ui::PumpUntilIdle();
        }
        return MessageTexts();
    }
};

// Cities: Lima 0, Oslo 1, Paris 2.
TEST_F(DamagedSettingsTest, TheHomeCityComesBackFromTheHomeLocationOrIsAskedForAgain) {
    InstallSmallProduct();
    Open();
    Close();
    const long long clock3 = ReadDword(L"Jorvana\\wrldclk", L"clock3");
    for (const Shape& shape : Shapes()) {
        SetRaw(L"Jorvana\\wrldclk", L"clock", shape.type, shape.bytes);
        CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname", L"Oslo:Norway");
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
        TestMainDlg& dlg = Open();
        EXPECT_EQ(dlg.homeCityRuns, 0) << shape.name;
        EXPECT_EQ(HomeClockCity(), L"Oslo") << shape.name;
        EXPECT_TRUE(ToldOnceIdle().empty()) << shape.name << ": nothing was lost";
        Close();
        EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock"), 1) << shape.name;

        // The location damaged too: the user chooses again, and both are stored.
        SetRaw(L"Jorvana\\wrldclk", L"clock", shape.type, shape.bytes);
        SetRaw(L"Jorvana", L"hlname", REG_DWORD, {1, 0, 0, 0});
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
        m_dlg = std::make_unique<TestMainDlg>();
        m_dlg->homeCityAnswer = 2;
        ASSERT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
        device::ui::PumpUntilIdle();
        EXPECT_EQ(m_dlg->homeCityRuns, 1) << shape.name;
        EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{Text(IDS_HOME_CITY_DAMAGED)}) << shape.name;
        EXPECT_EQ(HomeClockCity(), L"Paris") << shape.name;
        Close();
        EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock"), 2) << shape.name;
        EXPECT_EQ(ReadString(L"Jorvana", L"hlname"), L"Paris:France") << shape.name;
        // The other settings stay the user's, not a first start's.
        EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock3"), clock3) << shape.name;
    }
}

// A damaged setting of the clocks, the weather and the currencies: each is read as missing (its
// starting value shown), the user is told once, naming them all, and the start writes nothing
// over them.
TEST_F(DamagedSettingsTest, OtherSettingsAreToldOnceAndNotWrittenOverAtTheStart) {
    InstallSmallProduct();
    Open();
    Close();
    const std::vector<Shape> shapes = Shapes();
    SetRaw(L"Jorvana\\wrldclk", L"clock2", shapes[0].type, shapes[0].bytes);
    SetRaw(L"Jorvana\\weather", L"wetp3", shapes[2].type, shapes[2].bytes);
    SetRaw(L"Jorvana\\currencies", L"curp2", shapes[1].type, shapes[1].bytes);
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    Open();
    const std::vector<std::wstring> told = ToldOnceIdle();
    ASSERT_EQ(told.size(), 1u);
    for (LPCWSTR named : {L"World Clocks: clock2", L"Weather: wetp3", L"Currencies: curp2"})
        EXPECT_NE(told[0].find(named), std::wstring::npos) << std::string(told[0].begin(), told[0].end());
    EXPECT_EQ(RawType(L"Jorvana\\wrldclk", L"clock2"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(RawType(L"Jorvana\\weather", L"wetp3"), static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(RawType(L"Jorvana\\currencies", L"curp2"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(ReadDword(L"Jorvana\\currencies", L"curp2"), -1) << "still two bytes";
    auto* clocks = dynamic_cast<CWorldClocksDlg*>(m_dlg->GetTabs().GetPage(0));
    ASSERT_NE(clocks, nullptr);
    EXPECT_FALSE(clocks->GetClockCityName(2).IsEmpty()) << "its starting city";
    // Read again by their pages: not told again.
    TapTab(1);
    TapTab(3);
    EXPECT_EQ(MessageTexts().size(), 1u);
}

} // namespace
} // namespace shelltest
