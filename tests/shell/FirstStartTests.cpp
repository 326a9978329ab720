// The first start as a whole: killed or met by a full device at any point it leaves all of its
// values or none (and the next start asks again), a device an older build left half done is
// finished at the next start, and the default clocks and places never repeat the home city.

#include "MainWindowTestSupport.h"

#include "clocks/StoredCityIndexes.h"
#include "core/CoreMessages.h"
#include "core/ShippedDefaults.h"
#include "core/WeatherDb.h"
#include "platform/system/DeviceDb.h"
#include "support/FileSizeLimit.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <set>

namespace shelltest {
namespace {

struct StoredValue {
    LPCWSTR key;
    LPCWSTR name;
};

// Every value a first start stores.
constexpr StoredValue kFirstStartValues[] = {
    {L"Jorvana\\wrldclk", L"clock"},    {L"Jorvana\\wrldclk", L"clock1"},   {L"Jorvana\\wrldclk", L"clock2"},
    {L"Jorvana\\wrldclk", L"clock3"},   {L"Jorvana\\wrldclk", L"clock4"},   {L"Jorvana\\wrldclk", L"syncltz"},
    {L"Jorvana\\map", L"mapclock"},     {L"Jorvana\\weather", L"wetp"},     {L"Jorvana\\weather", L"wetp2"},
    {L"Jorvana\\weather", L"wetp3"},    {L"Jorvana\\weather", L"wetp4"},    {L"Jorvana\\currencies", L"curp"},
    {L"Jorvana\\currencies", L"curp2"}, {L"Jorvana\\currencies", L"curp3"}, {L"Jorvana", L"hlname"},
};
constexpr int kFirstStartValueCount = static_cast<int>(std::size(kFirstStartValues));

// The main window telling a pipe when its home city has been answered.
class SignallingMainDlg : public TestMainDlg {
public:
    int signal = -1;

protected:
    void RunHomeCityDialog(int& cityIndex) override {
        TestMainDlg::RunHomeCityDialog(cityIndex);
        if (signal >= 0 && write(signal, "!", 1) != 1) _exit(3);
    }
};

class FirstStartTest : public MainWindowTest {
protected:
    // A new empty device with the small product installed and no home city chosen.
    void UseNewDevice() {
        m_dlg.reset();
        m_root = std::make_unique<testsupport::TempFolder>("jorvana-device-");
        device::UseRootFolder(m_root->Path());
        std::filesystem::create_directories(HostPath(kProgramFolder));
        InstallSmallProduct(false);
        // Lima (CityIndex 0) is no weather city yet: the first start adds it.
        WriteDeviceFile(InProgramFolder(L"weatcs\\Peru"), "Lima;PE0001\r\n>\r\n");
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        m_root.reset();
    }

    static int StoredValueCount() {
        int stored = 0;
        for (const StoredValue& v : kFirstStartValues) {
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, v.key, 0, 0, &key) != ERROR_SUCCESS) continue;
            DWORD size = 0;
            if (RegQueryValueExW(key, v.name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) ++stored;
            RegCloseKey(key);
        }
        return stored;
    }
    static bool WeatherStoreHolds(LPCWSTR name) {
        CWeatherDb weather;
        weather.Open();
        return weather.FindByName(name) != FALSE;
    }
    // A start of the main window answering the home city with city 0; how often it asked.
    int Start() {
        m_dlg = std::make_unique<TestMainDlg>();
        m_dlg->homeCityAnswer = 0;
        EXPECT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
        device::ui::PumpUntilIdle();
        const int asked = m_dlg->homeCityRuns;
        m_startFailed = m_dlg->m_bStartFailed;
        m_dlg.reset();
        return asked;
    }
    bool m_startFailed = false; // the last Start gave up on a fault (the program then fails)
    // After a first start that left all or none: the next start asks again exactly when it left
    // none, and then everything is stored.
    void ExpectTheNextStartCompletesIt(const std::string& trace) {
        const int stored = StoredValueCount();
        ASSERT_TRUE(stored == 0 || stored == kFirstStartValueCount) << stored << " values stored, " << trace;
        // The home city joins the weather store in the same transaction.
        EXPECT_EQ(WeatherStoreHolds(L"Lima"), stored != 0) << trace;
        EXPECT_EQ(Start(), stored == 0 ? 1 : 0) << trace;
        EXPECT_EQ(StoredValueCount(), kFirstStartValueCount) << trace;
        EXPECT_EQ(ReadString(L"Jorvana", L"hlname"), CString(L"Lima:Peru")) << trace;
    }
    static std::wstring Text(UINT id) { return std::wstring(static_cast<LPCWSTR>(LoadCoreString(id))); }
    // A new device with the shipped city, weather and currency lists, its city and weather
    // stores built.
    void UseShippedLists(CCitiesDb& cities, CWeatherDb& weather) {
        UseNewDevice();
        for (const char* name : {"cities.lst", "cities.wet", "weatcs", "currs.lst"})
            CopyShipped(name);
        cities.Open();
        weather.Open();
    }
    // The names of the four weather places.
    static std::vector<CString> PlaceNames(CWeatherDb& weather) {
        std::vector<CString> places;
        for (LPCWSTR place : {L"wetp", L"wetp2", L"wetp3", L"wetp4"})
            places.push_back(weather.GetName(static_cast<DWORD>(ReadDword(L"Jorvana\\weather", place))));
        return places;
    }

    std::unique_ptr<testsupport::TempFolder> m_root;
};

// SIGKILL at random moments: while the stores are built and the window is made, and in the few
// milliseconds after the home city is answered, when the first start's values are written. How
// long those writes take depends on the machine and its load at that moment, so the span the
// kills after the answer fall in follows what the kills meet: it narrows after a kill that came
// too late to undo anything and widens after one that came before the commit, and the rounds go
// on until kills have fallen on both sides of it.
TEST_F(FirstStartTest, AStartKilledAtAnyPointLeavesAllOrNoneOfItsValues) {
    std::mt19937 random(7);
    int completed = 0, undone = 0;
    long window = 5000; // microseconds after the answer; measured in round 0
    for (int round = 0; round < 17 || ((completed == 0 || undone == 0) && round < 80); ++round) {
        const std::string trace = "round " + std::to_string(round);
        UseNewDevice();
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            SignallingMainDlg dlg;
            dlg.signal = ready[1];
            dlg.Create(IDD_MAIN, nullptr);
            if (write(ready[1], "d", 1) != 1) _exit(3); // the first start is through
            device::ui::PumpUntilIdle();
            _exit(0);
        }
        close(ready[1]);
        bool afterTheAnswer = false;
        if (round == 0) {
            // How long the writes after the answer take on this machine now (a loaded machine or
            // a sanitizer build takes longer): the kills start within one and a half times it.
            char answered = 0, done = 0;
            ASSERT_EQ(read(ready[0], &answered, 1), 1) << trace;
            const auto answeredAt = std::chrono::steady_clock::now();
            ASSERT_EQ(read(ready[0], &done, 1), 1) << trace;
            const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - answeredAt);
            window = std::max<long>(1000, static_cast<long>(took.count() * 3 / 2));
        } else if (round % 3 == 0) {
            usleep(static_cast<useconds_t>(random() % 40000));
        } else {
            char answered = 0;
            ASSERT_EQ(read(ready[0], &answered, 1), 1) << trace;
            usleep(static_cast<useconds_t>(random() % window));
            afterTheAnswer = true;
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        close(ready[0]);
        if (round > 0) {
            const bool kept = StoredValueCount() != 0;
            (kept ? completed : undone) += 1;
            if (afterTheAnswer) window = kept ? std::max<long>(200, window * 2 / 3) : window * 3 / 2;
        }
        ExpectTheNextStartCompletesIt(trace);
    }
    // The kills fell on both sides of the commit.
    EXPECT_GT(completed, 0);
    EXPECT_GT(undone, 0);
}

// A device whose storage ends a little further on at each try: the first start fails at every
// point of its writes until it fits, each time storing nothing, saying so and ending.
TEST_F(FirstStartTest, ADeviceThatFillsUpPartWayKeepsNothingOfTheFirstStartAndSaysSo) {
    int refused = 0;
    for (rlim_t more = 0;; more += 4096) {
        const std::string trace = "room for " + std::to_string(more) + " bytes more";
        ASSERT_LT(more, 256u * 1024) << "the first start never fitted";
        UseNewDevice();
        {
            // The stores are built; the first start's own writes are what the device has no room for.
            CCitiesDb cities;
            cities.Open();
            CWeatherDb weather;
            weather.Open();
        }
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers(std::vector<int>(8, IDOK));
        int asked = 0;
        {
            testsupport::FileSizeLimit full(testsupport::RoomForAFewPages(m_root->Path()) - 16 * 1024 + more);
            asked = Start();
        }
        ASSERT_EQ(asked, 1) << trace;
        if (StoredValueCount() == kFirstStartValueCount) break;
        ++refused;
        // Said once, in the first start's own words (never that nothing was saved), and the
        // window ended before its pages could store defaults of their own.
        EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{Text(IDS_FIRST_START_NOT_STORED)}) << trace;
        EXPECT_TRUE(m_startFailed) << trace;
        ExpectTheNextStartCompletesIt(trace);
        EXPECT_FALSE(m_startFailed) << trace;
    }
    EXPECT_GT(refused, 0);
}

// No room for the city store, or for the weather store once the cities are in: no empty home city
// dialog and no first start without its places, but the storage message, then the first start's
// own that the program closes; the next start (a new process, with room) asks.
TEST_F(FirstStartTest, ADeviceTooFullForAStoreEndsBeforeTheHomeCityDialog) {
    for (const bool citiesFit : {false, true}) {
        SCOPED_TRACE(citiesFit ? "weather store" : "city store");
        UseNewDevice();
        std::vector<std::string> towns{"Lima;Peru"}, places;
        for (int i = 0; i < 300; ++i) {
            towns.push_back("Town" + std::to_string(100 + i) + ";Peru");
            places.push_back("Peru;Town" + std::to_string(100 + i) + ";PE" + std::to_string(100 + i));
        }
        if (citiesFit) {
            WriteWeatherCities(places);
            CCitiesDb cities;
            cities.Open();
        } else {
            WriteCities(towns);
            CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"lang", 0); // the device store exists
        }
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK, IDOK, IDOK});
        int asked = 0;
        {
            testsupport::FileSizeLimit full(testsupport::RoomForAFewPages(m_root->Path()));
            asked = Start();
        }
        EXPECT_EQ(asked, 0);
        EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{Text(IDS_STORAGE_WRITE_FAILED),
                                                             Text(IDS_FIRST_START_NOT_SET_UP)}));
        EXPECT_TRUE(m_startFailed);
        EXPECT_EQ(StoredValueCount(), 0);
        device::DeviceDb::Close(); // the next start is a new process, with a connection of its own
        EXPECT_EQ(Start(), 1);
        EXPECT_EQ(StoredValueCount(), kFirstStartValueCount);
    }
}

TEST_F(FirstStartTest, AHalfDoneDeviceIsFinishedFromTheStoredHomeCity) {
    // What an older build killed half-way left: the home city Aba (CityIndex 0) and the map
    // marked, Aba added to the weather store before every shipped place, and a clock the user
    // has moved since.
    CCitiesDb cities;
    CWeatherDb weather;
    UseShippedLists(cities, weather);
    ASSERT_TRUE(weather.AddCity(cities.GetName(0), L"NG0001", L"", L"01/01/2000:Nigeria"));
    CRegistryKey reg;
    reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"clock", 0);
    reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\map", L"mapclock", 0);
    reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\wrldclk", L"clock2", 1);
    EXPECT_EQ(Start(), 0);
    EXPECT_EQ(StoredValueCount(), kFirstStartValueCount);
    EXPECT_EQ(ReadString(L"Jorvana", L"hlname"), CString(L"Aba:Nigeria"));
    EXPECT_EQ(PlaceNames(weather), (std::vector<CString>{L"Aba", L"London", L"New York", L"Tokyo"}));
    EXPECT_EQ(ReadDword(L"Jorvana\\wrldclk", L"clock2"), 1);              // what was stored stays
    EXPECT_EQ(weather.GetRecordCount(), shipped::kWeatherPlaceCount + 1); // Aba once
}

// With the shipped lists: each default clock city and weather place as the home city, and a
// home city the first start adds to the weather store before the shipped places.
TEST_F(FirstStartTest, TheDefaultClocksAndPlacesAreFourOtherCitiesWhateverTheHomeCity) {
    CCitiesDb cities;
    CWeatherDb weather;
    UseShippedLists(cities, weather);
    std::set<DWORD> homes;
    for (unsigned long city : shipped::kClockCity)
        homes.insert(city);
    homes.insert(shipped::kSpareClockCity);
    for (unsigned long place : {shipped::kWeatherPlace[0], shipped::kWeatherPlace[1],
                                shipped::kWeatherPlace[2], shipped::kSpareWeatherPlace}) {
        ASSERT_TRUE(cities.FindCity(weather.GetName(place) + L":" + weather.GetCountry(place)));
        homes.insert(cities.GetCurrentIndex());
    }
    homes.insert(0); // Aba, no weather place of the shipped list
    ASSERT_FALSE(weather.FindByName(cities.GetName(0)));
    for (const DWORD home : homes) {
        const CString name = cities.GetName(home);
        SCOPED_TRACE(name.GetString());
        for (LPCWSTR key :
             {L"Jorvana\\wrldclk", L"Jorvana\\map", L"Jorvana\\weather", L"Jorvana\\currencies"})
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
        m_dlg = std::make_unique<TestMainDlg>();
        m_dlg->homeCityAnswer = static_cast<int>(home);
        ASSERT_TRUE(m_dlg->Create(IDD_MAIN, nullptr));
        m_dlg.reset();

        std::set<CString> clockCities{name};
        for (int i = 1; i < kClockCount; ++i)
            clockCities.insert(
                cities.GetName(static_cast<DWORD>(ReadDword(L"Jorvana\\wrldclk", kClockValueNames[i]))));
        EXPECT_EQ(clockCities.size(), 5u);
        const std::vector<CString> places = PlaceNames(weather);
        EXPECT_EQ(places[0], name);
        EXPECT_EQ(std::set<CString>(places.begin(), places.end()).size(), 4u);
        for (const CString& place : places)
            EXPECT_FALSE(place.IsEmpty());
        if (home == 0) weather.DeleteCity(name); // the shipped places back where they stand in the list
    }
}

} // namespace
} // namespace shelltest
