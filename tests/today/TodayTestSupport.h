#pragma once
// Shared by the Today tests: a device with the product installed (the plug-in, mapping.cfg and
// the weather icons in "\Program Files\Jorvana", the install record and the Today item key),
// the program's stores and settings seeded through the program's own store classes, and the
// Today screen started headless with every drawing call recorded.

#include "core/CitiesDb.h"
#include "core/CurrenciesDb.h"
#include "core/RegistryKey.h"
#include "core/WeatherDb.h"
#include "platform/gdi/Recorder.h"
#include "platform/programs/today-host/TodayScreen.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/ProgramPath.h"
#include "platform/system/Registry.h"
#include "platform/ui/DeviceUi.h"
#include "support/DeviceFileAccess.h"
#include "support/Screenshots.h"
#include "support/WindowedDevice.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace todaytest {

using testsupport::InProgramFolder;
using testsupport::WriteDeviceFile;

// Six cities; CityIndex in this order: Berlin 0, Delhi 1, London 2, New York 3, St. John's 4,
// Tokyo 5. Rules: shift;start day;start hour;end day;end hour.
inline std::string CityList() {
    return "cities\n6\n"
           "Europe/Berlin;Berlin;Germany;13.4;52.5;1;1;87;2;298;3\n"
           "Asia/Kolkata;Delhi;India;77.2;28.6;530;0;0;0;0;0\n"
           "Europe/London;London;UK;0;51.5;0;1;87;1;298;2\n"
           "America/New_York;New York;USA;-74;40.7;-5;1;70;2;308;2\n"
           "America/St_Johns;St. John's;Canada;-52.7;47.6;-330;0;0;0;0;0\n"
           "Asia/Tokyo;Tokyo;Japan;139.7;35.7;900;0;0;0;0;0\n";
}

// Five forecast days of twelve fields each: condition, text, -, date, low, high, felt, wind
// direction, -, wind speed, humidity or pressure, visibility or rain.
inline std::wstring Forecast(int base) {
    static const wchar_t* kCodes[5] = {L"W01", L"W09", L"W04", L"N/A", L"W12"};
    std::wstring text;
    for (int d = 0; d < 5; ++d) {
        std::wstring day = std::to_wstring(d);
        std::wstring fields[12] = {kCodes[d], L"Text" + day, L"x", L"Day" + day, std::to_wstring(base + d),
                                   std::to_wstring(base + 10 + d), std::to_wstring(base + 8 + d), L"NW",
                                   L"x", std::to_wstring(10 + d), std::to_wstring(1000 + d), std::to_wstring(5 + d)};
        for (auto& f : fields) text += f + L"^";
    }
    return text;
}

class TodayTest : public testsupport::WindowedDevice {
protected:
    void SetUp() override {
        WindowedDevice::SetUp();
        ASSERT_TRUE(device::SetDeviceZone("UTC"));
        device::SetDeviceClock("2026-06-15T10:20:30Z");
        device::SetModuleDevicePath(InProgramFolder(L"Jorvana.exe"));
        namespace fs = std::filesystem;
        fs::path folder = testsupport::HostPath(testsupport::kProgramFolder);
        fs::create_directories(folder);
        fs::copy_file(ONDRELPANE_DLL, folder / "Ondrelpane.dll");
        fs::copy_file(fs::path(JORVANA_DATA_DIR) / "mapping.cfg", folder / "mapping.cfg");
        fs::copy(fs::path(JORVANA_DATA_DIR) / "wiconset", folder / "wiconset", fs::copy_options::recursive);
        Write(L"Software\\Microsoft\\Today\\Items\\Ondrelpane", L"DLL", InProgramFolder(L"Ondrelpane.dll"));
        Write(L"SOFTWARE\\Apps\\Quillmoor Jorvana", L"InstallDir", testsupport::kProgramFolder);
        m_recorder = std::make_shared<device::gdi::CallRecorder>();
        device::gdi::SetDefaultRecorder(m_recorder);
    }
    void TearDown() override {
        m_screen.reset();
        device::gdi::SetDefaultRecorder(nullptr);
        device::SetDeviceClock("");
        device::SetModuleDevicePath(L"");
        WindowedDevice::TearDown();
    }

    void Write(LPCWSTR key, LPCWSTR name, const std::wstring& text) {
        m_reg.WriteString(HKEY_LOCAL_MACHINE, key, name, text.c_str());
    }
    void Write(LPCWSTR key, LPCWSTR name, DWORD value) { m_reg.WriteDword(HKEY_LOCAL_MACHINE, key, name, value); }

    // The program's state: cities, clocks, weather places with forecasts, currencies.
    void SeedCities() {
        WriteDeviceFile(InProgramFolder(L"cities.lst"), CityList());
        CCitiesDb cities;
        cities.Open();
        Write(L"Jorvana\\wrldclk", L"clock", 0);
        Write(L"Jorvana\\wrldclk", L"clock1", 1);
        Write(L"Jorvana\\wrldclk", L"clock2", 2);
        Write(L"Jorvana\\wrldclk", L"clock3", 3);
        Write(L"Jorvana\\wrldclk", L"clock4", 5);
        Write(L"Jorvana\\wrldclk", L"syncltz", 1);
    }
    // cities.lst of the given lines, the store opened from it, the clocks (home first) on the
    // given positions and syncltz.
    void SeedClockCities(const std::vector<std::string>& lines, const std::vector<DWORD>& clocks,
                         DWORD syncltz) {
        std::string text = "cities\n" + std::to_string(lines.size()) + "\n";
        for (const auto& line : lines)
            text += line + "\n";
        WriteDeviceFile(InProgramFolder(L"cities.lst"), text);
        CCitiesDb().Open();
        const LPCWSTR names[] = {L"clock", L"clock1", L"clock2", L"clock3", L"clock4"};
        for (size_t i = 0; i < clocks.size() && i < 5; ++i)
            Write(L"Jorvana\\wrldclk", names[i], clocks[i]);
        Write(L"Jorvana\\wrldclk", L"syncltz", syncltz);
    }
    // date "dd/mm/yyyy" of each place's record; an empty date leaves the place without forecast.
    void SeedWeather(const std::wstring& berlin, const std::wstring& delhi, const std::wstring& london) {
        WriteDeviceFile(InProgramFolder(L"cities.wet"),
                        "3\nGermany;Berlin;GMXX0007\nIndia;Delhi;INXX0096\nUK;London;UKXX0085\n");
        CWeatherDb weather;
        weather.Open();
        if (!berlin.empty()) weather.UpdateCity(L"Berlin", L"GMXX0007", Forecast(10).c_str(), (berlin + L":Germany").c_str(), 1);
        if (!delhi.empty()) weather.UpdateCity(L"Delhi", L"INXX0096", Forecast(30).c_str(), (delhi + L":India").c_str(), 1);
        if (!london.empty()) weather.UpdateCity(L"London", L"UKXX0085", Forecast(0).c_str(), (london + L":UK").c_str(), 1);
        Write(L"Jorvana\\weather", L"icondir", InProgramFolder(L"wiconset\\"));
    }
    // Three currencies at positions 0 (CHF), 1 (EUR), 2 (USD); the rates updated now when asked.
    void SeedCurrencies(bool updated) {
        CurrencyListEntry chf{L"CHF", L"Franc", L"0.5"}, eur{L"EUR", L"Euro", L"1"}, usd{L"USD", L"US Dollar", L"0.8"};
        CurrencyListEntry* list[] = {&eur, &chf, &usd};
        CCurrenciesDb currencies;
        currencies.SetCurrencyList(list, 3);
        currencies.Open();
        if (updated) currencies.UpdateRate(L"Franc", L"CHF", L"0.5");
        Write(L"Jorvana\\currencies", L"curp", 1);
        Write(L"Jorvana\\currencies", L"curp2", 0);
        Write(L"Jorvana\\currencies", L"curp3", 2);
    }
    void SeedAll() {
        SeedCities();
        SeedWeather(L"15/06/2026", L"10/06/2026", L"12/06/2026");
        SeedCurrencies(true);
    }

    // The Today screen with the item loaded.
    void StartScreen() {
        m_screen = std::make_unique<today::CTodayScreen>();
        ASSERT_TRUE(m_screen->Create());
        ASSERT_EQ(m_screen->LoadItems(), 1);
        device::ui::PumpUntilIdle();
    }
    HWND Item() const { return m_screen->Items().at(0).record->hwndCustom; }
    int ItemHeight() const {
        RECT r = m_screen->ItemRect(0);
        return r.bottom - r.top;
    }
    // Repaints the item afresh and returns the texts it drew, in order.
    std::vector<std::wstring> Paint() {
        device::ui::PumpUntilIdle();
        m_recorder->Clear();
        InvalidateRect(Item(), nullptr, TRUE);
        UpdateWindow(Item());
        return Texts();
    }
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> out;
        for (auto& c : m_recorder->Calls())
            if (!c.text.empty()) out.push_back(c.text);
        return out;
    }
    bool Drew(const std::wstring& text, device::gdi::RecordedCall* call = nullptr) const {
        device::gdi::RecordedCall found;
        bool ok = m_recorder->FindText(text, found);
        if (ok && call) *call = found;
        return ok;
    }
    // A tap on the item at a point of its client area.
    void Tap(int x, int y) {
        POINT p{x, y};
        ClientToScreen(Item(), &p);
        device::ui::InjectStylus(device::ui::StylusAction::Down, p);
        device::ui::InjectStylus(device::ui::StylusAction::Up, p);
        device::ui::PumpUntilIdle();
    }

    CRegistryKey m_reg;
    std::shared_ptr<device::gdi::CallRecorder> m_recorder;
    std::unique_ptr<today::CTodayScreen> m_screen;
};

} // namespace todaytest
