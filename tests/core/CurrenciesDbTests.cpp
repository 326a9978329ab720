// The currency store: building from the owner's list (letter case of names ignored), the zero
// time stamp and the WM_SETTINGCHANGE 0xF2 sent to top-level windows once it is built, rate
// updates and the record layout the Today plug-in reads.

#include "CoreTestSupport.h"

#include "core/CurrenciesDb.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "platform/ui/Broadcast.h"
#include "platform/ui/WinUser.h"

namespace {

using coretest::CoreTest;

std::vector<WPARAM> g_settingChanges;

class CurrenciesDb : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        g_settingChanges.clear();
        WNDCLASSW wc{};
        wc.lpszClassName = L"CurrencyListener";
        wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (msg == WM_SETTINGCHANGE) g_settingChanges.push_back(wParam);
            return DefWindowProcW(h, msg, wParam, lParam);
        };
        RegisterClassW(&wc);
        m_listener = CreateWindowExW(0, L"CurrencyListener", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr);
        ASSERT_TRUE(m_listener);
    }
    void TearDown() override {
        DestroyWindow(m_listener);
        device::ui::StopBroadcastListener();
        device::SetDeviceClock("");
        CoreTest::TearDown();
    }

    void Hand(CCurrenciesDb& db) {
        m_pointers.clear();
        for (auto& e : m_entries)
            m_pointers.push_back(&e);
        db.SetCurrencyList(m_pointers.data(), static_cast<int>(m_pointers.size()));
    }

    std::vector<CurrencyListEntry> m_entries{{L"USD", L"US Dollar", L"1.0"},
                                             {L"EUR", L"Euro", L"0.92"},
                                             {L"XEU", L"EURO", L"9.99"},
                                             {L"GBP", L"british pound", L"0.79"}};
    std::vector<CurrencyListEntry*> m_pointers;
    HWND m_listener = nullptr;
};

TEST_F(CurrenciesDb, BuildsFromTheListIgnoringLetterCaseAndBroadcastsOnce) {
    CCurrenciesDb db;
    Hand(db);
    db.Open();
    EXPECT_EQ(g_settingChanges, (std::vector<WPARAM>{0xF2}));
    std::vector<std::wstring> names;
    db.SeekFirst();
    while (!db.IsEOF() && names.size() < 10)
        names.push_back(std::wstring(db.GetName(db.GetCurrentIndex())));
    // Name order ignores letter case; "EURO" came after "Euro" and was not stored.
    EXPECT_EQ(names, (std::vector<std::wstring>{L"british pound", L"Euro", L"US Dollar"}));
    EXPECT_EQ(std::wstring(db.GetCode(1)), L"EUR");
    EXPECT_EQ(std::wstring(db.GetRate(1)), L"0.92");
    FILETIME t = db.GetLastModified();
    EXPECT_EQ(t.dwHighDateTime | t.dwLowDateTime, 0u);

    // The Today plug-in reads code and rate at positions 1 and 2.
    CCeDBDatabase raw;
    ASSERT_TRUE(raw.Open(kCurrenciesDbName));
    EXPECT_EQ(raw.GetDatabaseType(), kCurrenciesDbType);
    raw.SeekToIndex(2);
    CCeDBRecord rec;
    ASSERT_TRUE(raw.ReadCurrRecord(rec));
    ASSERT_EQ(rec.GetNumProps(), 3);
    EXPECT_STREQ(rec.GetPropFromIndex(1)->GetString(), L"USD");
    EXPECT_STREQ(rec.GetPropFromIndex(2)->GetString(), L"1.0");

    // An existing store: the list is not read and nothing is sent.
    CCurrenciesDb second;
    std::vector<CurrencyListEntry*> none{nullptr};
    second.SetCurrencyList(none.data(), 1);
    second.Open();
    EXPECT_EQ(g_settingChanges.size(), 1u);
    EXPECT_EQ(std::wstring(second.GetName(0)), L"british pound");
}

TEST_F(CurrenciesDb, EmptyListLeavesAnEmptyStoreTriedAgainNextTime) {
    CCurrenciesDb db;
    db.SetCurrencyList(nullptr, 0);
    db.Open();
    EXPECT_EQ(g_settingChanges.size(), 1u);
    db.SeekFirst();
    EXPECT_TRUE(db.IsEOF());
    CCurrenciesDb again;
    Hand(again);
    again.Open();
    EXPECT_EQ(g_settingChanges.size(), 2u);
    EXPECT_EQ(std::wstring(again.GetName(2)), L"US Dollar");
}

TEST_F(CurrenciesDb, UpdateRateFindsTheNameInAnyCaseAndStampsTheTime) {
    CCurrenciesDb db;
    Hand(db);
    db.Open();
    device::SetDeviceClock("2026-03-04T05:06:07Z");
    EXPECT_TRUE(db.FindByName(L"EURO"));
    EXPECT_EQ(db.GetCurrentIndex(), 1u);
    db.UpdateRate(L"euro", L"EUR", L"0.95");
    EXPECT_EQ(std::wstring(db.GetRate(1)), L"0.95");
    EXPECT_EQ(std::wstring(db.GetName(1)), L"euro"); // the key is rewritten as passed
    FILETIME t = db.GetLastModified();
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&t, &st));
    EXPECT_EQ(st.wYear, 2026);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wDay, 4);
    db.UpdateRate(L"Yen", L"JPY", L"150");
    EXPECT_FALSE(db.FindByName(L"Yen"));
    EXPECT_FALSE(db.AddCurrency(L"US DOLLAR", L"X", L"1"));
    EXPECT_TRUE(db.AddCurrency(L"Yen", L"JPY", L"150"));
    EXPECT_EQ(std::wstring(db.GetCode(9)), L"");
}

} // namespace
