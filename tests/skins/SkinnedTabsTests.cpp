// The main window on the shipped data, on the three screen shapes, in the default and the Night
// skin: every tab's page takes the chosen skin's colours and images. The weather places hold
// the forecasts a synchronisation with the stand-in feed server stores, and the five-day view of
// the first one is opened. The screenshots it leaves are the pictures of the README
// (scripts/data/readme_pictures.py).
#include "SkinsTestSupport.h"
#include "core/ShippedDefaults.h"
#include "platform/programs/feed-server/Forecast.h"
#include "platform/system/DeviceTime.h"
#include "shell/MainDlg.h"
#include "support/Screenshots.h"
#include "weather/ForecastText.h"
#include "weather/WeatherPanel.h"

#include <gtest/gtest.h>

using namespace skinstest;

namespace {

// The main window without the first start's dialogs: the home city is the first city.
class QuietMainDlg : public CMainDlg {
protected:
    void RunHomeCityDialog(int& cityIndex) override { cityIndex = 0; }
    void RunLanguageDialog(int) override {}
    void RunTodayOptionsDialog() override {}
};

class SkinnedTabsTest : public SkinsTest {
protected:
    void SetUp() override {
        SkinsTest::SetUp();
        // The whole shipped data folder, as the installer lays it out.
        std::filesystem::copy(kData, HostPath(kProgramFolder),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
        // London as the home city, and every page's tips already seen
        CRegistryKey registry;
        registry.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"clock", shipped::kClockCity[2]);
        for (LPCWSTR tip : {L"clktip", L"maptip"}) registry.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", tip, 1);
        registry.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"weattip", 2);
        device::ui::ScriptMessageBoxAnswers(std::vector<int>(40, IDOK));
        SyncForecasts();
    }

    // What a synchronisation stores: the stand-in feed server's reply for every weather place,
    // from today on.
    static void SyncForecasts() {
        std::string error;
        auto feed = feedserver::LoadFeedData((std::filesystem::path(kData) / "feed").string(), error);
        ASSERT_TRUE(feed) << error;
        std::vector<std::string> codes;
        for (auto& [code, place] : feed->places)
            codes.push_back(code);
        SYSTEMTIME now{};
        ::GetSystemTime(&now);
        const std::string reply = feedserver::WeatherReply(
            codes, feed->places, feedserver::CivilDate{now.wYear, now.wMonth, now.wDay});
        CWeatherDb store;
        store.Open();
        ASSERT_TRUE(::StoreWeatherReply(store, CString(std::wstring(reply.begin(), reply.end()).c_str())));
    }

    static void Tap(POINT at) {
        device::ui::InjectStylus(device::ui::StylusAction::Down, at);
        device::ui::InjectStylus(device::ui::StylusAction::Up, at);
        device::ui::PumpUntilIdle();
    }

    // The brightness (sum of the three channels) of every other pixel of the page area of each
    // tab, with a screenshot of each named after the skin, the shape and the tab.
    std::vector<std::vector<int>> TabPixels(const std::string& skin, const std::string& shape) {
        QuietMainDlg dlg;
        EXPECT_TRUE(dlg.Create(IDD_MAIN, nullptr));
        dlg.ShowWindow(SW_SHOW);
        device::ui::PumpUntilIdle();
        std::vector<std::vector<int>> tabs;
        for (int tab = 0; tab < dlg.GetTabs().GetItemCount(); ++tab) {
            CRect item;
            EXPECT_TRUE(dlg.GetTabs().GetItemRect(tab, &item));
            dlg.GetTabs().ClientToScreen(&item);
            Tap(POINT{item.CenterPoint().x, item.CenterPoint().y});
            testsupport::SaveScreenshot(skin + "-" + shape + "-tab" + std::to_string(tab));
            std::unique_ptr<device::gdi::Bitmap> screen = device::ui::CopyScreen();
            CRect page;
            dlg.GetClientRect(&page);
            dlg.ClientToScreen(&page);
            page.top = item.bottom; // the page under the tab strip
            std::vector<int> pixels;
            for (int y = page.top; y < page.bottom; y += 2)
                for (int x = page.left; x < page.right; x += 2) {
                    const uint32_t rgb = screen->Get(x, y);
                    pixels.push_back(static_cast<int>((rgb >> 16 & 0xFF) + (rgb >> 8 & 0xFF) + (rgb & 0xFF)));
                }
            tabs.push_back(pixels);
            if (tab == 1) FiveDayView(dlg, skin + "-" + shape + "-forecast");
        }
        dlg.DestroyWindow();
        device::ui::PumpUntilIdle();
        return tabs;
    }

    // The first place's "More ..." (what a tap on it runs) opens its five-day view: a screenshot
    // of it, then OK. The place shows a synchronised forecast, so the view opens, not a message.
    void FiveDayView(CMainDlg& dlg, const std::string& shot) {
        auto* weather = dynamic_cast<CWeatherPanel*>(dlg.GetTabs().GetPage(1));
        ASSERT_TRUE(weather);
        static std::string s_shot;
        static bool s_seen;
        s_shot = shot;
        s_seen = false;
        ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            auto* view = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
            if (!view || !view->IsWindowVisible() || !view->ContinueModal()) return;
            ::KillTimer(nullptr, id);
            s_seen = true;
            device::ui::PumpUntilIdle();
            testsupport::SaveScreenshot(s_shot);
            view->EndDialog(IDOK);
        });
        weather->More(0);
        EXPECT_TRUE(s_seen) << "the five-day view did not open";
    }
};

} // namespace

TEST_F(SkinnedTabsTest, EveryTabTakesTheNightSkinOnEveryShape) {
    const struct {
        const char* name;
        int width, height;
    } shapes[] = {{"portrait", 240, 320}, {"landscape", 320, 240}, {"square", 240, 240}};
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.name);
        device::ui::SetScreenShape(shape.width, shape.height);
        WriteSkinRegistry(L"default");
        const std::vector<std::vector<int>> day = TabPixels("default", shape.name);
        WriteSkinRegistry(InProgramFolder(L"night.skn").c_str());
        const std::vector<std::vector<int>> night = TabPixels("night", shape.name);
        ASSERT_EQ(day.size(), 5u);
        ASSERT_EQ(night.size(), day.size());
        for (size_t tab = 0; tab < day.size(); ++tab) {
            ASSERT_EQ(night[tab].size(), day[tab].size());
            ASSERT_FALSE(day[tab].empty());
            // a good part of the page is darker in the Night skin (lists and fields stay white)
            size_t darker = 0;
            for (size_t i = 0; i < day[tab].size(); ++i) darker += night[tab][i] + 90 < day[tab][i];
            EXPECT_GT(darker * 5, day[tab].size()) << "tab " << tab << " kept the default colours";
        }
    }
    EXPECT_EQ(ReadSkinRegistry(), CString(InProgramFolder(L"night.skn").c_str())) << "the Night skin was not refused";
}
