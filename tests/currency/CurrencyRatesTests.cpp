// The rate update: the reply's records, the last-update date, and "Update All" against a
// scripted feed server: rates stored and lines reconverted, or a failure leaving all as it was.

#include "CurrencyPageSupport.h"

#include "core/CurrenciesDb.h"
#include "core/HttpExchange.h"
#include "platform/system/DeviceTime.h"
#include "support/LoopbackTimeouts.h"
#include "support/FileSizeLimit.h"
#include "support/HostileFeedServers.h"
#include "support/ScriptedServer.h"

namespace {

using namespace currencytest;
using testsupport::ScriptedReply;
using testsupport::ScriptedServer;

std::vector<std::pair<std::wstring, std::wstring>> Records(LPCWSTR reply) {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    for (const CurrencyFeedRecord& r : ParseCurrencyFeedReply(reply)) out.emplace_back(r.code.Str(), r.rate.Str());
    return out;
}

TEST(CurrencyFeedReply, RecordsFollowOneAnotherAndAnUnfinishedLastOneIsDropped) {
    using R = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(Records(L"EUR_1.1#USD_1#"), (R{{L"EUR", L"1.1"}, {L"USD", L"1"}}));
    EXPECT_EQ(Records(L"EUR_1.2#USD_1"), (R{{L"EUR", L"1.2"}}));
    // Line ends between records are no part of a code.
    EXPECT_EQ(Records(L"\r\nEUR_1.2#\r\nUSD_1#\nGBP_2#\n"), (R{{L"EUR", L"1.2"}, {L"USD", L"1"}, {L"GBP", L"2"}}));
    EXPECT_EQ(Records(L"EUR_x_y#"), (R{{L"EUR", L"x_y"}}));
    EXPECT_TRUE(Records(L"no records here#").empty());
    EXPECT_TRUE(Records(L"").empty());
}

TEST(CurrencyUpdateDate, DateWithoutLeadingZerosAndTheNeverCases) {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 7;
    t.wDay = 5;
    t.wHour = 23;
    FILETIME stamp{};
    ASSERT_TRUE(::SystemTimeToFileTime(&t, &stamp));
    EXPECT_EQ(FormatUpdateDate(stamp), L"5/7/2026");
    EXPECT_FALSE(IsNeverUpdated(stamp, 2026));
    EXPECT_TRUE(IsNeverUpdated(stamp, 2025)); // a date in a later year than the device's
    EXPECT_TRUE(IsNeverUpdated(FILETIME{}, 2026));
    t.wYear = 1800;
    ASSERT_TRUE(::SystemTimeToFileTime(&t, &stamp));
    EXPECT_TRUE(IsNeverUpdated(stamp, 2026));
}

class CurrencyUpdateTest : public CurrencyPageTest {
protected:
    void SetUp() override {
        CurrencyPageTest::SetUp();
        SetHttpExchangeTimeouts(testsupport::LoopbackTimeouts());
        SelectColumns(Eur, Gbp, Usd);
    }
    void TearDown() override {
        SetHttpExchangeTimeouts(HttpExchangeTimeouts{});
        CurrencyPageTest::TearDown();
    }
    void UseServer(const std::string& url) {
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"adrs.cfg"), url + "*");
    }
    // "Update All" with the connection confirmed and every later box answered OK.
    std::vector<device::ui::MessageBoxRecord> UpdateAll() {
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK});
        m_page->OnUpdateAll();
        device::display::test::PumpUntilIdle();
        auto boxes = device::ui::MessageBoxRecords();
        if (!boxes.empty() && boxes.front().caption == L"Confirmation") boxes.erase(boxes.begin());
        return boxes;
    }
    CString StoredRate(LPCWSTR name) {
        CCurrenciesDb store;
        store.Open();
        store.SeekFirst();
        while (!store.IsEOF()) {
            DWORD index = store.GetCurrentIndex();
            if (store.GetName(index) == name) return store.GetRate(index);
        }
        return L"?";
    }
};

TEST_F(CurrencyUpdateTest, UpdateStoresTheRatesReconvertsAndShowsTheDate) {
    ScriptedServer server;
    server.Script("/rates", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "XXX_5#EUR_1.5#GBP_3#USD_1"});
    UseServer(server.Url("/rates"));
    CCurrencyPanel& page = CreatePage();
    EXPECT_EQ(page.GetServerAddress(), CString(server.Url("/rates").c_str()));
    Type(0, 1, L"2"); // 2 EUR

    EXPECT_TRUE(UpdateAll().empty());
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].body.find("&jc=110&os=wince"), std::string::npos);
    EXPECT_NE(requests[0].body.find("&appver=1.0F2&home="), std::string::npos);
    EXPECT_NE(requests[0].body.find("&scrsize=240x320&wasize=240x294"), std::string::npos);
    EXPECT_EQ(requests[0].body.find("'0'"), std::string::npos);

    // The unknown code is skipped, the unfinished USD record dropped.
    EXPECT_EQ(StoredRate(L"Euro"), L"1.5");
    EXPECT_EQ(StoredRate(L"Pound Sterling"), L"3");
    EXPECT_EQ(StoredRate(L"US Dollar"), L"1");
    EXPECT_DOUBLE_EQ(page.GetColumnRate(0), 1.5);
    EXPECT_EQ(Field(1, 1), L"1.00000000");
    EXPECT_EQ(Field(2, 1), L"3.00000000");
    EXPECT_EQ(Text(IDC_CUR_TOTAL3), L"3.00");
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), L"Last update\n 15/7/2026 ");

    // A second update the same day leaves the label as it is.
    page.GetDlgItem(IDC_CUR_LAST_UPDATE)->SetWindowText(L"kept");
    EXPECT_TRUE(UpdateAll().empty());
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), L"kept");
}

// A reply that opens with the UTF-8 byte-order mark stores every rate, the first one included,
// with CR LF or LF after the last record; the mark alone is an empty reply: the update fails and
// every rate stays.
TEST_F(CurrencyUpdateTest, AByteOrderMarkIsNoPartOfTheReply) {
    ScriptedServer server;
    UseServer(server.Url("/rates"));
    CreatePage();
    for (const char* end : {"\r\n", "\n"}) {
        server.Script("/rates", ScriptedReply{200,
                                              {{"ServerMSG", "1000 Completed"}},
                                              std::string("\xEF\xBB\xBF") + "EUR_1.5#GBP_3#USD_0.5#" + end});
        EXPECT_TRUE(UpdateAll().empty());
        EXPECT_EQ(StoredRate(L"Euro"), L"1.5");
        EXPECT_EQ(StoredRate(L"Pound Sterling"), L"3");
        EXPECT_EQ(StoredRate(L"US Dollar"), L"0.5");
    }
    server.Script("/rates", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "\xEF\xBB\xBF"});
    auto boxes = UpdateAll();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Syncronisation failed");
    EXPECT_EQ(StoredRate(L"Euro"), L"1.5");
    EXPECT_EQ(StoredRate(L"US Dollar"), L"0.5");
}

// Valid rates that the full device cannot take: the storage fault is said, in one message and
// not as a failed synchronisation, and the rates, lines and label stay as they were.
TEST_F(CurrencyUpdateTest, RatesAFullDeviceCannotTakeAreSaidAsSuchAndChangeNothing) {
    ScriptedServer server;
    server.Script("/rates", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, "EUR_1.5#GBP_3#"});
    UseServer(server.Url("/rates"));
    CCurrencyPanel& page = CreatePage();
    Type(0, 0, L"2");
    const CString label = Text(IDC_CUR_LAST_UPDATE);
    std::vector<device::ui::MessageBoxRecord> boxes;
    {
        testsupport::FileSizeLimit full(8);
        boxes = UpdateAll();
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"The device's storage is full!\n\nNothing was saved; the data stay as they were. "
                             L"Make room on the device, then try again.");
    EXPECT_EQ(StoredRate(L"Euro"), L"1.25");
    EXPECT_DOUBLE_EQ(page.GetColumnRate(0), 1.25);
    EXPECT_EQ(Field(1, 0), L"1.25000000");
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), label);
}

TEST_F(CurrencyUpdateTest, FailingServerLeavesRatesLinesAndLabel) {
    ScriptedServer server;
    server.Script("/rates", ScriptedReply{500, {}, "EUR_9#"});
    UseServer(server.Url("/rates"));
    CCurrencyPanel& page = CreatePage();
    Type(0, 0, L"2");
    const CString label = Text(IDC_CUR_LAST_UPDATE);

    auto boxes = UpdateAll();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, L"Syncronisation failed");
    EXPECT_EQ(StoredRate(L"Euro"), L"1.25");
    EXPECT_DOUBLE_EQ(page.GetColumnRate(0), 1.25);
    EXPECT_EQ(Field(1, 0), L"1.25000000");
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), label);
}

TEST_F(CurrencyUpdateTest, AReplyWithoutARateIsAFailureThatChangesNothing) {
    ScriptedServer server;
    UseServer(server.Url("/rates"));
    CCurrencyPanel& page = CreatePage();
    Type(0, 0, L"2");
    const CString label = Text(IDC_CUR_LAST_UPDATE);
    for (const char* body : {"<html><body><p>Maintenance</p></body></html>\r\n", "EUR_1.5"}) {
        server.Script("/rates", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, body});
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDYES, IDOK, IDOK});
        CWnd* button = page.GetDlgItem(IDC_CUR_UPDATE_ALL);
        page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CUR_UPDATE_ALL, BN_CLICKED), reinterpret_cast<LPARAM>(button->m_hWnd));
        device::display::test::PumpUntilIdle();
        auto boxes = device::ui::MessageBoxRecords();
        ASSERT_FALSE(boxes.empty()) << body;
        EXPECT_EQ(boxes.back().text, L"Syncronisation failed") << body;
    }
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(StoredRate(L"Euro"), L"1.25");
    EXPECT_EQ(Field(1, 0), L"1.25000000");
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), label);
}

TEST_F(CurrencyUpdateTest, MissingAddressFileIsCreatedAndTheUpdateFails) {
    CCurrencyPanel& page = CreatePage();
    EXPECT_TRUE(testsupport::DeviceFileExists(testsupport::InProgramFolder(L"adrs.cfg")));
    EXPECT_EQ(page.GetServerAddress(), L"");
    auto boxes = UpdateAll();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, L"Syncronisation failed");
    EXPECT_EQ(StoredRate(L"Euro"), L"1.25");
}

TEST_F(CurrencyUpdateTest, RatesStoredElsewhereReachTheLabelAndTheLines) {
    CCurrencyPanel& page = CreatePage();
    Type(2, 0, L"3"); // 3 USD
    CCurrenciesDb other;
    other.Open();
    other.UpdateRate(L"Euro", L"EUR", L"1.5");
    page.ShowLastUpdate();
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), L"Last update\n 15/7/2026 ");
    // Reconverted from column 1, whose amount stays.
    EXPECT_EQ(Field(0, 0), L"2.40000000");
    EXPECT_EQ(Field(2, 0), L"3.60000000");
}

// Rates that are no number, or none a converter can use: each is skipped and its currency keeps
// its rate; a reply of such rates only is a failure that leaves the date as it was.
TEST_F(CurrencyUpdateTest, InvalidRatesAreSkippedAndTheirCurrenciesKeepTheirRates) {
    ScriptedServer server;
    UseServer(server.Url("/rates"));
    CreatePage();
    Type(0, 0, L"2"); // 2 EUR
    const CString label = Text(IDC_CUR_LAST_UPDATE);
    const std::wstring kept = L"\n\nTheir rates stored before were kept.";
    const std::pair<std::string, std::wstring> replies[] = {
        {"USD_-1#EUR_nan#GBP_1e308#JPY_0#CHF_inf#CAD_#AUD_1e-320#SEK_0x10#NOK_  3#",
         L"US Dollar, Euro, Pound Sterling, Yen, Australian Dollar"},
        {"EUR_0#GBP_-2#", L"Euro, Pound Sterling"},
        {"EUR_" + std::string(5000, '7') + "#", L"Euro"},
        {"EUR_1.5 x#GBP_1,5#USD_+ 1#JPY_1e#AUD_.#",
         L"Euro, Pound Sterling, US Dollar, Yen, Australian Dollar"},
        {"EUR_+-1.5#GBP_1.5.2#USD_++1#JPY_ #", L"Euro, Pound Sterling, US Dollar, Yen"},
    };
    for (const auto& [reply, names] : replies) {
        server.Script("/rates", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, reply});
        auto boxes = UpdateAll();
        ASSERT_EQ(boxes.size(), 2u) << reply;
        EXPECT_EQ(boxes[0].text, L"The server sent rates that are not valid for: " + names + kept);
        EXPECT_EQ(boxes[1].text, L"Syncronisation failed");
        EXPECT_EQ(StoredRate(L"Euro"), L"1.25");
        EXPECT_EQ(StoredRate(L"Pound Sterling"), L"2");
        EXPECT_EQ(StoredRate(L"US Dollar"), L"1");
        EXPECT_EQ(Field(1, 0), L"1.25000000");
        EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), label);
    }

    // Good rates beside bad ones are stored, the last valid one of a code given twice wins, and
    // the date moves.
    server.Script("/rates", ScriptedReply{200, {{"ServerMSG", "1000 Completed"}},
                                          "EUR_nan#GBP_bad#GBP_2.5#USD_1e-320#EUR_3#EUR_1.6e+00#GBP_8#GBP_oops#"});
    auto boxes = UpdateAll();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"The server sent rates that are not valid for: US Dollar" + kept);
    EXPECT_EQ(StoredRate(L"Euro"), L"1.6");
    EXPECT_EQ(StoredRate(L"Pound Sterling"), L"8");
    EXPECT_EQ(StoredRate(L"US Dollar"), L"1");
    EXPECT_EQ(Field(1, 0), L"0.40000000");
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), L"Last update\n 15/7/2026 ");
}

// Rate texts as wcstod reads them, however long, signed or blank-padded: each is read whole and
// stored as a short text that reads back as the same number, so the converter (which reads 29
// characters of a stored rate) and the Today item (which reads it whole) both convert by it.
TEST_F(CurrencyUpdateTest, LongSignedOrPaddedRatesAreStoredWithTheirWholeValue) {
    ScriptedServer server;
    UseServer(server.Url("/rates"));
    CCurrencyPanel& page = CreatePage();
    Type(0, 0, L"2"); // 2 EUR at 1.25
    const char* const rates[] = {
        "7.4349442379182156133828996282527e-1",                    // 36 characters
        "6.1349693251533742331288343558282e-05",                   // 37
        "0.74349442379182156133828996282527881040892193308550185", // 56, no exponent
        " +1.2500000000000000000000000000000000001 ",              // a sign, blanks around
        "\t2.5 ",
        "+.5e+0",
        "0.000000000000000000000000000000000000000000012345e45", // 53, the exponent after 29
    };
    for (const char* rate : rates) {
        server.Script(
            "/rates",
            ScriptedReply{200, {{"ServerMSG", "1000 Completed"}}, std::string("GBP_") + rate + "#"});
        EXPECT_TRUE(UpdateAll().empty()) << rate;
        const double value = std::strtod(rate, nullptr);
        const CString stored = StoredRate(L"Pound Sterling");
        EXPECT_LE(stored.GetLength(), 24) << rate;
        EXPECT_EQ(std::wcstod(stored, nullptr), value) << rate << " stored as " << std::wstring(stored);
        EXPECT_EQ(page.GetColumnRate(1), value) << rate;
        CString converted;
        converted.Format(L"%.8f", 2 * 1.25 / value);
        EXPECT_EQ(Field(1, 0), converted) << rate;
    }
}

// A store that holds a rate no converter can use (written before rates were checked) converts
// nothing from or to it: no nan, no inf, no "-0".
TEST_F(CurrencyUpdateTest, AStoredRateThatIsNoNumberConvertsNothing) {
    CCurrencyPanel& page = CreatePage();
    Type(2, 0, L"3"); // 3 USD
    for (LPCWSTR bad : {L"-1", L"nan", L"inf", L"1e308", L"0"}) {
        CCurrenciesDb other;
        other.Open();
        other.UpdateRate(L"Euro", L"EUR", bad);
        page.ShowLastUpdate();
        // The euro column's amount stays; the others, converted from it, stay empty.
        EXPECT_EQ(page.GetColumnRate(0), 0.0) << bad;
        EXPECT_EQ(Field(0, 0), L"2.40000000") << bad;
        EXPECT_EQ(Field(1, 0), L"") << bad;
        EXPECT_EQ(Field(2, 0), L"") << bad;
    }
}

// Servers that stall or lie: each update ends with the exchange's one message (if any) and the
// failure, and the rates, lines and date stay as they were.
TEST_F(CurrencyUpdateTest, StallingOrLyingServersEndWithOneFailureAndChangeNothing) {
    testsupport::HostileFeedServers servers("EUR_9#GBP_9#USD_9#");
    SetHttpExchangeTimeouts(testsupport::HostileFeedServers::Timeouts());
    CreatePage();
    Type(0, 0, L"2");
    const CString label = Text(IDC_CUR_LAST_UPDATE);
    for (const auto& server : servers.Cases()) {
        UseServer(server.url);
        std::vector<std::wstring> boxes;
        for (const auto& box : UpdateAll()) boxes.push_back(box.text);
        std::vector<std::wstring> expected;
        if (!server.message.empty()) expected.push_back(server.message);
        expected.push_back(L"Syncronisation failed");
        EXPECT_EQ(boxes, expected) << server.name;
        EXPECT_EQ(StoredRate(L"Euro"), L"1.25") << server.name;
        EXPECT_EQ(Field(1, 0), L"1.25000000") << server.name;
        EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), label) << server.name;
    }
    EXPECT_GT(servers.TrickledBytes(), 0u);
    EXPECT_LT(servers.TrickledBytes(), 20u);
}

} // namespace
