// Weather synchronisation against loopback feed servers: the request for every place and for
// one, the synchronisation dialog's states and what it leaves in the store, and the one-place
// synchronisation.

#include "WeatherTestSupport.h"

#include "core/HttpExchange.h"
#include "core/RegistryKey.h"
#include "platform/base/CodePage.h"
#include "platform/display/Display.h"
#include "platform/programs/feed-server/FeedServer.h"
#include "resources/resource.h"
#include "support/LoopbackTimeouts.h"
#include "support/FileSizeLimit.h"
#include "support/HostileFeedServers.h"
#include "support/ScriptedServer.h"
#include "support/Screenshots.h"
#include "support/UserAction.h"
#include "weather/SyncDlg.h"
#include "weather/WeatherSync.h"

#include <functional>
#include <memory>

namespace {

using testsupport::ScriptedReply;
using testsupport::ScriptedServer;
using weathertest::NumericForecast;
using weathertest::WeatherTest;
using weathertest::Wide;

class WeatherSyncTest : public WeatherTest {
protected:
    void SetUp() override {
        WeatherTest::SetUp();
        device::display::Start();
        SetHttpExchangeTimeouts(testsupport::LoopbackTimeouts());
        OpenPlaces({"France;Paris;A1", "Norway;Oslo;B2"});
    }
    void TearDown() override {
        SetHttpExchangeTimeouts(HttpExchangeTimeouts{});
        WeatherTest::TearDown();
    }
    void WriteAddress(const std::string& text) {
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"adrs.cfg"), text);
    }
    // The stand-in feed server with both places, its forecasts made on 21 June 2009, written into
    // adrs.cfg; null when it cannot start.
    std::unique_ptr<feedserver::FeedServer> StartStandInServer() {
        feedserver::FeedData data;
        data.places["A1"] = feedserver::Place{"A1", "Paris", "France", 48.9, 2.3, 12, 15, 8, 0.4};
        data.places["B2"] = feedserver::Place{"B2", "Oslo", "Norway", 59.9, 10.7, 6, 20, 7, 0.5};
        feedserver::FeedOptions options;
        options.today = feedserver::CivilDate{2009, 6, 21};
        auto server = std::make_unique<feedserver::FeedServer>(data, options);
        if (!server->Start()) return nullptr;
        WriteAddress(server->FeedUrl() + "*");
        return server;
    }

    struct DialogState {
        std::wstring caption, status, later;
        bool syncVisible = false;
    };
    static DialogState StateOf(CSyncDlg& dlg) {
        DialogState state;
        CString text;
        dlg.GetWindowText(text);
        state.caption = text.Str();
        dlg.m_status.GetWindowText(text);
        state.status = text.Str();
        dlg.m_laterButton.GetWindowText(text);
        state.later = text.Str();
        state.syncVisible = dlg.m_syncButton.IsWindowVisible();
        return state;
    }

    // Runs the dialog with the query of every place; the script acts as the user once it is up.
    std::wstring RunDialog(std::function<void(CSyncDlg&)> script) {
        static std::function<void(CSyncDlg&)> s_script;
        s_script = std::move(script);
        ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            auto* dlg = dynamic_cast<CSyncDlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
            if (!dlg || !dlg->IsWindowVisible()) return;
            ::KillTimer(nullptr, id);
            s_script(*dlg);
        });
        CString address;
        CString query = BuildWeatherQuery(m_store, 240, 268, address);
        CSyncDlg dlg;
        dlg.m_serverAddress = &address;
        dlg.m_query = query;
        dlg.DoModal();
        return dlg.m_reply.Str();
    }
    static void TapSync(CSyncDlg& dlg) {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_WEATHER_SYNC, BN_CLICKED), reinterpret_cast<LPARAM>(dlg.m_syncButton.m_hWnd));
    }
    // Runs the dialog, taps Sync, notes the state it then shows and closes it with OK.
    std::wstring SyncAndClose(DialogState& after) {
        return RunDialog([&](CSyncDlg& dlg) {
            TapSync(dlg);
            after = StateOf(dlg);
            dlg.SendMessage(WM_COMMAND, IDOK);
        });
    }
};

TEST_F(WeatherSyncTest, QueryListsEveryPlaceInStoreOrderAndReadsTheAddress) {
    // The store's order is the name order: Oslo before Paris.
    WriteAddress("http://feed.example/feed*ignored");
    CString address;
    CString query = BuildWeatherQuery(m_store, 240, 268, address);
    EXPECT_EQ(address, L"http://feed.example/feed");
    EXPECT_EQ(query.Left(25), L"jc=111&c='B2','A1'&os=win");
    EXPECT_NE(query.Find(L"&appver=1.0F2&home=&scrsize=240x320&wasize=240x268&'0'"), -1) << query.Str();
    EXPECT_EQ(query.Right(4), L"&'0'");

    EXPECT_EQ(BuildOnePlaceWeatherQuery(L"B2", 240, 268).Left(22), L"jc=111&c='B2'&os=wince");

    // An address file without "*" is the address as a whole; a missing one is created empty.
    WriteAddress("http://only.example/feed");
    BuildWeatherQuery(m_store, 240, 268, address);
    EXPECT_EQ(address, L"http://only.example/feed");
    std::filesystem::remove(testsupport::HostPath(testsupport::InProgramFolder(L"adrs.cfg")));
    BuildWeatherQuery(m_store, 240, 268, address);
    EXPECT_EQ(address, L"");
    EXPECT_TRUE(testsupport::DeviceFileExists(testsupport::InProgramFolder(L"adrs.cfg")));
}

TEST_F(WeatherSyncTest, QueryOfOnePlaceHasNoCommaAndOfNoPlaceNoCodes) {
    m_store.DeleteCity(L"Oslo");
    CString address;
    EXPECT_EQ(BuildWeatherQuery(m_store, 1, 2, address).Left(22), L"jc=111&c='A1'&os=wince");
    m_store.DeleteCity(L"Paris");
    EXPECT_EQ(BuildWeatherQuery(m_store, 1, 2, address).Left(18), L"jc=111&c=&os=wince");
}

TEST_F(WeatherSyncTest, LaterBeforeSyncSendsNothing) {
    ScriptedServer server;
    WriteAddress(server.Url("/feed") + "*");
    std::wstring reply = RunDialog([](CSyncDlg& dlg) {
        DialogState state = StateOf(dlg);
        EXPECT_EQ(state.caption, L"Weather Forecast");
        EXPECT_EQ(state.status, L"Check that your device is connected to Inernet ...");
        EXPECT_EQ(state.later, L"Later");
        EXPECT_TRUE(state.syncVisible);
        dlg.SendMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(reply, L"");
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(WeatherSyncTest, SyncWithTheStandInServerStoresEveryForecast) {
    auto standIn = StartStandInServer();
    ASSERT_TRUE(standIn);
    feedserver::FeedServer& server = *standIn;

    device::ui::ScriptMessageBoxAnswers({IDYES});
    DialogState after;
    std::wstring reply = RunDialog([&](CSyncDlg& dlg) {
        TapSync(dlg);
        after = StateOf(dlg);
        testsupport::SaveScreenshot("weather-sync-done");
        dlg.SendMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(reply, L"yes");
    EXPECT_EQ(after.status, L"Syncronisation complete!");
    EXPECT_EQ(after.caption, L"Done");
    EXPECT_EQ(after.later, L"Ok");
    EXPECT_FALSE(after.syncVisible);

    auto requests = server.Server().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].body.find("jc=111&c='B2','A1'&os=wince"), std::string::npos) << requests[0].body;

    auto rows = Records();
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& row : rows) {
        EXPECT_NE(row.find(L"|21/06/2009:"), std::wstring::npos) << row;
        size_t carets = std::count(row.begin(), row.end(), L'^');
        EXPECT_EQ(carets, 60u) << row;
        EXPECT_EQ(row.find(L'@'), std::wstring::npos);
    }
    EXPECT_EQ(rows[0].substr(0, 8), L"Oslo|B2|");
    EXPECT_EQ(rows[1].substr(rows[1].size() - 7), L":France");
}

// A reply that opens with the UTF-8 byte-order mark stores every record, the first one
// included, its texts read as UTF-8 (a CR LF after the last record); the same reply in
// Windows-1252 without the mark (LF), or with the mark before Windows-1252 bytes, reads the same. The mark
// alone is an empty reply: the synchronisation fails and nothing changes.
TEST_F(WeatherSyncTest, AByteOrderMarkIsNoPartOfTheReply) {
    ScriptedServer server;
    WriteAddress(server.Url("/feed") + "*");
    auto saying = [](std::string forecast, const std::string& condition) {
        for (size_t at; (at = forecast.find("Sunny")) != std::string::npos;)
            forecast.replace(at, 5, condition);
        return forecast;
    };
    const std::string oslo = NumericForecast("06/20/2009", 20, 10),
                      paris = NumericForecast("06/21/2009", 22, 12);
    auto reply = [&](const std::string& mark, const std::string& condition, const std::string& lineEnd) {
        return mark + "B2^" + saying(oslo, condition) + "@" + lineEnd + "A1^" + saying(paris, condition) + "@" + lineEnd;
    };
    const std::string bom = "\xEF\xBB\xBF", utf8 = "L\xC3\xA9ger", cp1252 = "L\xE9ger";
    for (const std::string& body :
         {reply(bom, utf8, "\r\n"), reply("", cp1252, "\n"), reply(bom, cp1252, "\r\n")}) {
        SCOPED_TRACE(body.substr(0, 8));
        ASSERT_FALSE(Records().empty());
        server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, body});
        device::ui::ScriptMessageBoxAnswers({IDYES});
        EXPECT_EQ(RunDialog([](CSyncDlg& dlg) {
                      TapSync(dlg);
                      dlg.SendMessage(WM_COMMAND, IDOK);
                  }),
                  L"yes");
        const auto rows = Records();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0], L"Oslo|B2|" + device::WidenBytes(saying(oslo, cp1252)) + L"|20/06/2009:Norway");
        EXPECT_EQ(rows[1], L"Paris|A1|" + device::WidenBytes(saying(paris, cp1252)) + L"|21/06/2009:France");
    }

    const auto before = Records();
    server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, bom});
    device::ui::ScriptMessageBoxAnswers({IDYES});
    DialogState after;
    EXPECT_EQ(SyncAndClose(after), L"no");
    EXPECT_EQ(after.status, L"Syncronisation failed!");
    EXPECT_EQ(Records(), before);
}

// A device whose clock is a week ahead of the server's: the forecasts are stored as they came, the
// synchronisation is done, and the user reads that the dates disagree and which one is likely
// wrong, once for Sync All and once for one place.
TEST_F(WeatherSyncTest, ADeviceClockAWeekOffStoresTheForecastsAndNamesBothDates) {
    auto standIn = StartStandInServer();
    ASSERT_TRUE(standIn);
    device::SetDeviceClock("2009-06-28T10:00:00Z");
    const std::wstring message = L"The forecasts received are for 21/06/2009, but the device's date is 28/06/2009."
                                 L"\n\nThe device's date is probably wrong: please check its date and time.";

    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK});
    DialogState after;
    EXPECT_EQ(SyncAndClose(after), L"yes");
    EXPECT_EQ(after.status, L"Syncronisation complete!");
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, message);
    for (const auto& row : Records()) EXPECT_NE(row.find(L"|21/06/2009:"), std::wstring::npos) << row;

    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK});
    EXPECT_TRUE(SyncWeatherPlace(m_store, L"Paris", 240, 268, nullptr));
    boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, message);
}

TEST_F(WeatherSyncTest, FailedSyncCanBeRetried) {
    ScriptedServer server;
    server.Script("/feed", ScriptedReply{503, {}, "down"});
    WriteAddress(server.Url("/feed") + "*");
    std::string paris = NumericForecast("06/21/2009", 20, 10);

    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDYES});
    DialogState failed;
    DialogState done;
    std::wstring reply = RunDialog([&](CSyncDlg& dlg) {
        TapSync(dlg);
        failed = StateOf(dlg);
        EXPECT_EQ(dlg.m_reply, L"no");
        testsupport::SaveScreenshot("weather-sync-failed");
        server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "A1^" + paris + "@\r\n"});
        TapSync(dlg);
        done = StateOf(dlg);
        dlg.SendMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(failed.status, L"Syncronisation failed!");
    EXPECT_EQ(failed.caption, L"Retry ?");
    EXPECT_TRUE(failed.syncVisible);
    EXPECT_EQ(failed.later, L"Later");
    EXPECT_EQ(done.status, L"Syncronisation complete!");
    EXPECT_EQ(reply, L"yes");
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(Records()[1], L"Paris|A1|" + Wide(paris) + L"|21/06/2009:France");
}

// A valid reply that the full device cannot take: Sync All and the one-place sync say the
// storage fault (the one-place sync not as a failed synchronisation) and keep the forecasts.
TEST_F(WeatherSyncTest, AReplyAFullDeviceCannotTakeIsSaidAsSuchAndKeepsTheForecasts) {
    ScriptedServer server;
    const std::string paris = NumericForecast("06/21/2009", 20, 10);
    server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "A1^" + paris + "@"});
    WriteAddress(server.Url("/feed") + "*");
    const auto before = Records();
    const std::wstring full = L"The device's storage is full!\n\nNothing was saved; the data stay as they were. "
                              L"Make room on the device, then try again.";
    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK, IDOK});
    DialogState failed;
    const std::wstring reply = RunDialog([&](CSyncDlg& dlg) {
        {
            testsupport::FileSizeLimit limit(8);
            TapSync(dlg);
        }
        failed = StateOf(dlg);
        dlg.SendMessage(WM_COMMAND, IDOK);
    });
    EXPECT_EQ(reply, L"no");
    EXPECT_EQ(failed.status, L"Syncronisation failed!");
    EXPECT_EQ(device::ui::MessageBoxRecords().back().text, full);
    EXPECT_EQ(Records(), before);

    testsupport::StartUserAction(); // a tap on the place
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK});
    {
        testsupport::FileSizeLimit limit(8);
        EXPECT_FALSE(SyncWeatherPlace(m_store, L"Paris", 240, 268, nullptr));
    }
    const auto boxes = device::ui::MessageBoxRecords();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, full);
    for (const auto& box : boxes)
        EXPECT_NE(box.text, L"Syncronisation failed");
    EXPECT_EQ(Records(), before);
}

TEST_F(WeatherSyncTest, OnePlaceStoresTheRecordOfItsOwnCodeOnly) {
    ScriptedServer server;
    std::string paris = NumericForecast("06/20/2009", 20, 10);
    server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "ZZ^" + NumericForecast("06/21/2009", 1, 0) + "@A1^" + paris + "@"});
    WriteAddress(server.Url("/feed") + "*");
    device::ui::ScriptMessageBoxAnswers({IDYES});
    EXPECT_TRUE(SyncWeatherPlace(m_store, L"Paris", 240, 268, nullptr));
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].body.find("jc=111&c='A1'&os=wince"), std::string::npos) << requests[0].body;
    // Another city listed first is passed over; the place keeps its code.
    EXPECT_EQ(Records()[1], L"Paris|A1|" + Wide(paris) + L"|20/06/2009:France");

    // A reply of other cities only is a failed synchronisation that writes nothing.
    auto before = Records();
    server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "ZZ^" + NumericForecast("06/21/2009", 1, 0) + "@"});
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK});
    EXPECT_FALSE(SyncWeatherPlace(m_store, L"Oslo", 240, 268, nullptr));
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, L"Syncronisation failed");
    EXPECT_EQ(Records(), before);
}

// On a device whose storage filled up before its first synchronisation, the connection prompt
// names the connection and its provider as on any other: the device's registry held the provider
// from the start, it is not left to the first exchange to write.
TEST_F(WeatherSyncTest, TheConnectionPromptNamesTheProviderOnAFullDevice) {
    ScriptedServer server;
    WriteAddress(server.Url("/feed") + "*");
    CRegistryKey().ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname"); // the device's registry in use
    {
        testsupport::FileSizeLimit full(testsupport::RoomLeft(Root(), 0));
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDNO, IDOK, IDOK});
        EXPECT_FALSE(SyncWeatherPlace(m_store, L"Paris", 240, 268, nullptr));
    }
    const auto boxes = device::ui::MessageBoxRecords();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, L"The connection <Host Network: Host Network> will be used.");
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(WeatherSyncTest, OnePlaceFailuresSayThatTheySyncFailedAndWriteNothing) {
    ScriptedServer server;
    WriteAddress(server.Url("/feed") + "*");
    auto before = Records();
    for (const std::string& body : {std::string("A1^no end"), std::string("nothing here\r\n")}) {
        server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, body});
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDYES, IDOK});
        EXPECT_FALSE(SyncWeatherPlace(m_store, L"Oslo", 240, 268, nullptr)) << body;
        auto boxes = device::ui::MessageBoxRecords();
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back().text, L"Syncronisation failed") << body;
    }
    // No server at all: the exchange's own message, then the failure.
    WriteAddress("http://127.0.0.1:" + std::to_string(testsupport::ClosedPort()) + "/feed*");
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK});
    EXPECT_FALSE(SyncWeatherPlace(m_store, L"Oslo", 240, 268, nullptr));
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_GE(boxes.size(), 3u);
    EXPECT_EQ(boxes.back().text, L"Syncronisation failed");
    EXPECT_EQ(Records(), before);
}

// Replies whose records are whole but are no forecasts: Sync All and the one-place sync say which
// places were refused, end in failure, and every place keeps the forecast it had.
TEST_F(WeatherSyncTest, RecordsThatAreNoForecastAreRefusedAndTheSyncFails) {
    ScriptedServer server;
    WriteAddress(server.Url("/feed") + "*");
    const std::string paris = NumericForecast("06/21/2009", 20, 10);
    m_store.UpdateCity(L"Paris", L"A1", Wide(paris).c_str(), L"21/06/2009:France", 1);
    const auto before = Records();
    std::string badDate = paris;
    badDate.replace(badDate.find("06/21/2009"), 10, "99/99/9999");
    std::string cut = paris;
    cut.replace(cut.find("Sunny"), 5, std::string("Sun\0ny", 6));
    const std::wstring kept = L"\n\nTheir forecasts stored before were kept.";
    for (const std::string& forecast : {std::string(60, '^'), badDate, cut}) {
        server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}},
                                             "A1^" + forecast + "@B2^" + forecast + "@"});
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDYES, IDOK});
        DialogState after;
        std::wstring reply = SyncAndClose(after);
        EXPECT_EQ(reply, L"no");
        EXPECT_EQ(after.status, L"Syncronisation failed!");
        auto boxes = device::ui::MessageBoxRecords();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[1].text, L"The server sent forecasts that are not valid for: Paris, Oslo" + kept);
        EXPECT_EQ(Records(), before);

        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK});
        EXPECT_FALSE(SyncWeatherPlace(m_store, L"Paris", 240, 268, nullptr));
        boxes = device::ui::MessageBoxRecords();
        ASSERT_EQ(boxes.size(), 3u);
        EXPECT_EQ(boxes[1].text, L"The server sent forecasts that are not valid for: Paris" + kept);
        EXPECT_EQ(boxes[2].text, L"Syncronisation failed");
        EXPECT_EQ(Records(), before);
    }
    // A valid forecast beside a refused one is stored, the refused place named, and the sync done.
    const std::string oslo = NumericForecast("06/22/2009", 5, 1);
    server.Script("/feed", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "A1^" + badDate + "@B2^" + oslo + "@"});
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDYES, IDOK});
    EXPECT_EQ(RunDialog([&](CSyncDlg& dlg) {
                  TapSync(dlg);
                  dlg.SendMessage(WM_COMMAND, IDOK);
              }),
              L"yes");
    EXPECT_EQ(device::ui::MessageBoxRecords().back().text,
              L"The server sent forecasts that are not valid for: Paris" + kept);
    EXPECT_EQ(Records()[0], L"Oslo|B2|" + Wide(oslo) + L"|22/06/2009:Norway");
    EXPECT_EQ(Records()[1], before[1]);
}

// Servers that stall or lie: each exchange ends on its own time-out or rule, the user sees the
// exchange's one message (if any) and the failure, and the stored forecasts stay as they were.
TEST_F(WeatherSyncTest, StallingOrLyingServersEndWithOneFailureAndWriteNothing) {
    testsupport::HostileFeedServers servers("A1^" + NumericForecast("06/21/2009", 20, 10) + "@");
    SetHttpExchangeTimeouts(testsupport::HostileFeedServers::Timeouts());
    const auto before = Records();
    for (const auto& server : servers.Cases()) {
        WriteAddress(server.url + "*");
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK});
        EXPECT_FALSE(SyncWeatherPlace(m_store, L"Paris", 240, 268, nullptr)) << server.name;
        std::vector<std::wstring> boxes;
        for (const auto& box : device::ui::MessageBoxRecords())
            if (box.caption != L"Confirmation") boxes.push_back(box.text);
        std::vector<std::wstring> expected;
        if (!server.message.empty()) expected.push_back(server.message);
        expected.push_back(L"Syncronisation failed");
        EXPECT_EQ(boxes, expected) << server.name;
        EXPECT_EQ(Records(), before) << server.name;
    }
    // The trickle was cut off after a few of its bytes, long before its whole reply.
    EXPECT_GT(servers.TrickledBytes(), 0u);
    EXPECT_LT(servers.TrickledBytes(), 20u);
}

} // namespace
