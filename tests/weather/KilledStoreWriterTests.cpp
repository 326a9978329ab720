// Store writers killed at random points: a process that imports the city list or stores a
// weather reply is killed (SIGKILL) again and again while it writes, and each time the device
// store holds the content of before or the whole new content, and opens without a message.

#include "WeatherTestSupport.h"

#include "core/CitiesDb.h"
#include "platform/framework/CeDb.h"
#include "weather/ForecastText.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>

namespace {

using weathertest::Forecast;
using weathertest::WeatherTest;

class KilledStoreWriterTest : public WeatherTest {
protected:
    // Runs work in a child process over and over and kills it after a random pause, rounds
    // times; check looks at the store each time the writer is gone.
    void KillWhileWriting(int rounds, const std::function<void()>& work, const std::function<void(int)>& check) {
        std::mt19937 random(11);
        for (int round = 0; round < rounds; ++round) {
            const pid_t writer = fork();
            ASSERT_GE(writer, 0);
            if (writer == 0) {
                for (;;) work();
            }
            usleep(static_cast<useconds_t>(random() % 60000));
            kill(writer, SIGKILL);
            waitpid(writer, nullptr, 0);
            check(round);
            if (HasFatalFailure()) return;
        }
    }
    static void InstallShipped(const wchar_t* name) {
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(name), ShippedText(name));
    }
    static std::string ShippedText(const wchar_t* name) {
        std::ifstream in(std::filesystem::path(JORVANA_DATA_DIR) / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

TEST_F(KilledStoreWriterTest, CityListImportLeavesNoCitiesOrAllOfThem) {
    InstallShipped(L"cities.lst");
    CCitiesDb reference;
    reference.Open();
    CCeDBDatabase counter;
    ASSERT_TRUE(counter.Open(kCitiesDbName));
    const WORD all = counter.GetRecordCount();
    counter.Close();
    ASSERT_GT(all, 1000);
    const CString first = reference.GetName(0), last = reference.GetName(all - 1);
    ASSERT_TRUE(CCeDBDatabase::Delete(kCitiesDbName));

    KillWhileWriting(
        25,
        [] {
            CCeDBDatabase::Delete(kCitiesDbName);
            CCitiesDb cities;
            cities.Open();
        },
        [&](int round) {
            CCeDBDatabase db;
            const WORD count = db.Open(kCitiesDbName) ? db.GetRecordCount() : 0;
            db.Close();
            // No store or an empty one (the next start imports the list), or every city.
            ASSERT_TRUE(count == 0 || count == all) << "round " << round << ": " << count << " cities";
            CCitiesDb cities;
            cities.Open();
            EXPECT_EQ(cities.GetName(0), first) << round;
            EXPECT_EQ(cities.GetName(all - 1), last) << round;
            EXPECT_TRUE(device::ui::MessageBoxRecords().empty()) << round;
        });
}

TEST_F(KilledStoreWriterTest, WeatherSyncLeavesTheOldForecastsOrAllTheNewOnes) {
    InstallShipped(L"cities.wet");
    m_store.Open();
    const WORD places = m_store.GetRecordCount();
    ASSERT_GT(places, 300);
    // Two replies that give every place a forecast, each of its own date.
    std::wstring replies[2];
    const char* dates[2] = {"01/02/2009", "03/04/2009"};
    for (DWORD i = 0; i < places; ++i) {
        const std::wstring code = m_store.GetCode(i).Str();
        for (int r = 0; r < 2; ++r) replies[r] += code + L"^" + weathertest::Wide(Forecast(dates[r])) + L"@";
    }

    int calls = 0;
    KillWhileWriting(
        25,
        [&] {
            CWeatherDb store;
            store.Open();
            StoreWeatherReply(store, CString(replies[calls++ % 2]));
        },
        [&](int round) {
            CWeatherDb store;
            store.Open();
            ASSERT_EQ(store.GetRecordCount(), places) << round;
            std::set<std::wstring> dated;
            for (DWORD i = 0; i < places; ++i) dated.insert(store.GetUpdateDate(i).Str());
            // Before the first reply every place has none; after it, all have one reply's date.
            EXPECT_EQ(dated.size(), 1u) << "round " << round << ": " << dated.size() << " different dates";
            EXPECT_TRUE(device::ui::MessageBoxRecords().empty()) << round;
        });
}

} // namespace
