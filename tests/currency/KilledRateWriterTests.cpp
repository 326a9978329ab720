// A rate update killed (SIGKILL) at random points while it writes: each time the currency store
// holds the rates of before or every rate of the reply, never some of each.

#include "currency/CurrencyPanel.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

class KilledRateWriterTest : public testsupport::FreshDevice {};

TEST_F(KilledRateWriterTest, RateUpdateLeavesTheOldRatesOrAllTheNewOnes) {
    // Many currencies, so that a reply takes long enough to be cut in the middle.
    std::vector<CurrencyListEntry> entries;
    for (int i = 0; i < 400; ++i) {
        wchar_t code[8];
        swprintf(code, 8, L"C%03d", i);
        entries.push_back({code, CString(L"Currency ") + code, L"1"});
    }
    std::vector<CurrencyListEntry*> list;
    for (CurrencyListEntry& e : entries) list.push_back(&e);
    const int count = static_cast<int>(list.size());
    {
        CCurrenciesDb seed;
        seed.SetCurrencyList(list.data(), count);
        seed.Open();
    }
    // Two replies, each giving every currency the same rate of its own.
    const wchar_t* rates[2] = {L"2.5", L"7.25"};
    CString replies[2];
    for (int r = 0; r < 2; ++r)
        for (const CurrencyListEntry& e : entries) replies[r] += e.code + L"_" + rates[r] + L"#";

    std::mt19937 random(5);
    for (int round = 0; round < 25; ++round) {
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (int call = 0;; ++call) {
                CCurrenciesDb store;
                store.SetCurrencyList(list.data(), count);
                store.Open();
                StoreCurrencyReply(store, list.data(), count, replies[call % 2]);
            }
        }
        usleep(static_cast<useconds_t>(random() % 60000));
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);

        CCurrenciesDb store;
        store.SetCurrencyList(list.data(), count);
        store.Open();
        std::set<std::wstring> seen;
        for (DWORD i = 0; i < static_cast<DWORD>(count); ++i) seen.insert(store.GetRate(i).Str());
        // "1" before the first reply landed, then one reply's rate for every currency.
        ASSERT_EQ(seen.size(), 1u) << "round " << round << ": " << seen.size() << " different rates";
    }
}

TEST_F(KilledRateWriterTest, ReplyStoresOnlyListedStoredCurrencies) {
    std::vector<CurrencyListEntry> entries = {{L"USD", L"US Dollar", L"1"}, {L"EUR", L"Euro", L"1.25"}};
    std::vector<CurrencyListEntry*> list = {&entries[0], &entries[1]};
    CCurrenciesDb store;
    store.SetCurrencyList(list.data(), 2);
    store.Open();
    EXPECT_FALSE(StoreCurrencyReply(store, list.data(), 2, L"XYZ_9#"));
    EXPECT_TRUE(StoreCurrencyReply(store, list.data(), 2, L"XYZ_9#EUR_1.5#"));
    ASSERT_TRUE(store.FindByName(L"Euro"));
    EXPECT_EQ(store.GetRate(store.GetCurrentIndex()), L"1.5");
}

} // namespace
