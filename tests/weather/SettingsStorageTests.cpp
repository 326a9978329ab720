// The Weather page's and the forecast view's settings on a device that cannot store them: the
// storage fault is said once, the stored value stays and the screen keeps showing it; with room
// the same change is stored and shows.

#include "WeatherPageSupport.h"

#include "core/CoreMessages.h"
#include "support/StorageMessages.h"
#include "support/FileSizeLimit.h"
#include "support/UserAction.h"
#include "weather/CitySelectDlg.h"
#include "weather/ForecastDlg.h"

#include <algorithm>

namespace {

using namespace weathertest;
using Shown = std::vector<std::wstring>;

class SettingsStorageTest : public WeatherPageTest {
public:
    static std::wstring On(CWnd& button) { return button.IsWindowEnabled() ? L"enabled" : L"disabled"; }

    // What the screen shows of each setting.
    // The unit buttons, which of them wears the marked colours, and two converted texts.
    Shown Units() {
        CWeatherPanel& page = *m_page;
        const bool fahrenheitMarked =
            page.m_fahrenheitButton.GetColor(CIconButton::BTNST_COLOR_BK_OUT) == page.m_celsiusBack;
        return {L"°F " + On(page.m_fahrenheitButton), L"°C " + On(page.m_celsiusButton),
                fahrenheitMarked ? L"°F marked" : L"°C marked", page.m_placeDays[1].tempTexts[0].Str(),
                page.m_placeDays[2].tempTexts[0].Str()};
    }
    // Place 2 as the paint names it, and whether its forecast is shown.
    Shown Place2() {
        device::display::test::PumpUntilIdle();
        return {m_page->m_placeNames[1].Str(), m_page->m_placeHasData[1] ? L"forecast" : L"tap to sync"};
    }
    Shown View() { return {m_view->m_dayByDay ? L"day by day" : L"overview"}; }

    // The user's changes.
    void Click(CIconButton& button, UINT id) {
        m_page->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button.m_hWnd));
    }
    void ClickFahrenheit() { Click(m_page->m_fahrenheitButton, IDC_WEATHER_FAHRENHEIT); }
    void ClickCelsius() { Click(m_page->m_celsiusButton, IDC_WEATHER_CELSIUS); }
    void ChooseRomeForPlace2() {
        WhenDialogUp<CCitySelectDlg>([](CCitySelectDlg& dlg) {
            dlg.m_list.SetCurSel(dlg.m_list.FindString(-1, L"Rome"));
            dlg.EndDialog(IDOK);
        });
        m_page->ChooseCity(1);
    }
    void ShowDayByDay() { m_view->SendMessage(WM_COMMAND, ID_FORECAST_DAY_BY_DAY, 0); }
    void ShowOverview() { m_view->SendMessage(WM_COMMAND, ID_FORECAST_OVERVIEW, 0); }

    // Runs body in the forecast view of place 2 (Oslo), opened by its "More ...".
    void InForecastView(const std::function<void()>& body) {
        WhenDialogUp<CForecastDlg>([this, body](CForecastDlg& dlg) {
            m_view = &dlg;
            body();
            m_view = nullptr;
            dlg.EndDialog(IDOK);
        });
        m_page->More(1);
    }

    CForecastDlg* m_view = nullptr;
};

TEST_F(SettingsStorageTest, ASettingTheDeviceCannotStoreLeavesTheScreenAsStored) {
    using T = SettingsStorageTest;
    struct Change {
        const char* name;
        LPCWSTR key, value;
        DWORD stored, chosen;
        void (T::*act)();
        Shown (T::*shown)();
        Shown shownStored, shownChosen;
        bool inForecastView;
    };
    const Shown celsius = {L"°F enabled", L"°C disabled", L"°C marked", L"25°/18°", L"-5°/-12°"};
    const Shown fahrenheit = {L"°F disabled", L"°C enabled", L"°F marked", L"77°/64°", L"23°/10°"};
    const Shown oslo = {L"Oslo", L"forecast"}, rome = {L"Rome", L"tap to sync"};
    const Shown overview = {L"overview"}, dayByDay = {L"day by day"};
    const LPCWSTR program = L"Jorvana", weather = L"Jorvana\\weather";
    const Change changes[] = {
        {"°F chosen", program, L"fara", 0, 1, &T::ClickFahrenheit, &T::Units, celsius, fahrenheit, false},
        {"°C chosen", program, L"fara", 1, 0, &T::ClickCelsius, &T::Units, fahrenheit, celsius, false},
        {"a city for place 2", weather, L"wetp2", 1, 3, &T::ChooseRomeForPlace2, &T::Place2, oslo, rome,
         false},
        {"the day-by-day view", weather, L"daybyday", 0, 1, &T::ShowDayByDay, &T::View, overview, dayByDay,
         true},
        {"the overview", weather, L"daybyday", 1, 0, &T::ShowOverview, &T::View, dayByDay, overview, true},
    };
    OpenFourPlaces();
    for (const Change& c : changes) {
        CRegistryKey registry;
        registry.WriteDword(HKEY_LOCAL_MACHINE, c.key, c.value, c.stored);
        WritePlaces(0, 1, 2, 3);
        CreatePage();
        testsupport::StartUserAction();
        device::ui::ClearMessageBoxRecords();
        auto check = [&] {
            ASSERT_EQ((this->*c.shown)(), c.shownStored) << c.name;
            device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
            {
                testsupport::FileSizeLimit full(8);
                (this->*c.act)();
            }
            EXPECT_EQ(testsupport::StorageMessagesShown(), 1u) << c.name;
            EXPECT_EQ(registry.ReadDword(HKEY_LOCAL_MACHINE, c.key, c.value), c.stored) << c.name;
            EXPECT_EQ((this->*c.shown)(), c.shownStored) << c.name << ", on a full device";

            device::ui::ClearMessageBoxRecords();
            (this->*c.act)();
            EXPECT_EQ(testsupport::StorageMessagesShown(), 0u) << c.name;
            EXPECT_EQ(registry.ReadDword(HKEY_LOCAL_MACHINE, c.key, c.value), c.chosen) << c.name;
            EXPECT_EQ((this->*c.shown)(), c.shownChosen) << c.name << ", with room";
        };
        if (c.inForecastView)
            InForecastView(check);
        else
            check();
        DestroyPage();
        m_parent.DestroyWindow();
    }
}

} // namespace
