#pragma once
// The rate check shared by the reply fuzzers: a currency store of nine listed currencies, the
// input stored into it as a rate reply, and what the stored rates must mean afterwards: every
// rate a valid one (finite, in range, as the converter reads it), a listed code's first valid
// rate of the reply stored, every other currency's rate as it was, and success only when a rate
// was stored.
#include "FuzzDevice.h"
#include "core/CurrenciesDb.h"
#include "currency/CurrencyLogic.h"
#include "currency/CurrencyPanel.h"
#include "platform/framework/CeDb.h"

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace fuzzrates {

inline void CheckRates(const CString& reply) {
    static const wchar_t* const kCodes[] = {L"USD", L"EUR", L"GBP", L"JPY", L"CHF", L"CAD", L"AUD", L"SEK", L"NOK"};
    static const wchar_t* const kBefore[] = {L"1", L"1.1655", L"1.34228", L"0.00675676", L"1.25",
                                             L"0.729927", L"0.653595", L"0.103627", L"9.80392e-02"};
    static std::vector<CurrencyListEntry> entries = [] {
        std::vector<CurrencyListEntry> list;
        for (const wchar_t* code : kCodes) list.push_back({code, CString(L"Currency ") + code, L"1"});
        return list;
    }();
    static std::vector<CurrencyListEntry*> list = [] {
        std::vector<CurrencyListEntry*> pointers;
        for (CurrencyListEntry& entry : entries) pointers.push_back(&entry);
        return pointers;
    }();

    CCeDBDatabase::Delete(kCurrenciesDbName);
    CCurrenciesDb store;
    store.Open();
    for (size_t i = 0; i < entries.size(); ++i) store.AddCurrency(entries[i].name, entries[i].code, kBefore[i]);

    std::vector<CString> rejected;
    const bool stored = StoreCurrencyReply(store, list.data(), static_cast<int>(list.size()), reply, &rejected);

    // The first valid rate of each listed code, as the reply gives them.
    std::map<std::wstring, CString> expected;
    for (const CurrencyFeedRecord& record : ParseCurrencyFeedReply(reply)) {
        FUZZ_CHECK(record.code.Find(L'#') < 0 && record.rate.Find(L'#') < 0);
        for (const wchar_t* code : kCodes)
            if (record.code == code && IsValidRate(record.rate) && !expected.count(code))
                expected[code] = record.rate;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        FUZZ_CHECK(store.FindByName(entries[i].name));
        const CString rate = store.GetRate(store.GetCurrentIndex());
        FUZZ_CHECK(IsValidRate(rate));
        const double value = ReadRate(rate);
        FUZZ_CHECK(std::isfinite(value) && value >= kMinRate && value <= kMaxRate);
        auto it = expected.find(kCodes[i]);
        FUZZ_CHECK(rate == (it != expected.end() ? it->second : CString(kBefore[i])));
    }
    FUZZ_CHECK(stored == !expected.empty());
    // A currency said to have kept its rate did keep it.
    for (const CString& name : rejected)
        for (size_t i = 0; i < entries.size(); ++i)
            if (name == entries[i].name) FUZZ_CHECK(!expected.count(kCodes[i]));
}

} // namespace fuzzrates
