#pragma once
// The rate check shared by the reply fuzzers: a currency store of nine listed currencies, a rate
// reply stored into it, and what the stored rates must mean afterwards, judged by properties of
// their own rather than by the program's rate check: every stored rate reads as a finite number
// in range, and one that changed is short enough for any reader to hold whole and reads as the
// same number as a record of its code in the reply; a code's last rate that is plainly sensible,
// or one after it, stays; a currency without a record keeps its rate, as does one said to have
// been refused; and the reply counts as an update exactly when it held a sensible rate of a
// listed code. Besides the input as it came, a reply built from the input of sensible rates only
// (some longer than a reader may take of a stored rate, codes repeated) must be stored with
// their whole values.
#include "FuzzDevice.h"
#include "core/CurrenciesDb.h"
#include "currency/CurrencyPanel.h"
#include "platform/framework/CeDb.h"

#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace fuzzrates {

inline constexpr const wchar_t* kCodes[] = {L"USD", L"EUR", L"GBP", L"JPY", L"CHF", L"CAD", L"AUD", L"SEK", L"NOK"};
inline constexpr const wchar_t* kBefore[] = {L"1", L"1.1655", L"1.34228", L"0.00675676", L"1.25",
                                             L"0.729927", L"0.653595", L"0.103627", L"9.80392e-02"};
inline constexpr size_t kCurrencyCount = sizeof(kCodes) / sizeof(kCodes[0]);
// The converter reads this many characters of a stored rate text.
inline constexpr size_t kReadChars = 29;

struct Record {
    std::wstring code, rate;
};

// The reply's records "code_rate#": a code runs from the last "#" before its "_"; a last record
// without its "#" is none.
inline std::vector<Record> Records(const std::wstring& reply) {
    std::vector<Record> records;
    size_t at = 0;
    for (;;) {
        const size_t underscore = reply.find(L'_', at);
        if (underscore == std::wstring::npos) break;
        const size_t hash = reply.find(L'#', underscore + 1);
        if (hash == std::wstring::npos) break;
        std::wstring code = reply.substr(at, underscore - at);
        const size_t inside = code.rfind(L'#');
        if (inside != std::wstring::npos) code = code.substr(inside + 1);
        records.push_back({code, reply.substr(underscore + 1, hash - underscore - 1)});
        at = hash + 1;
    }
    return records;
}

// A rate no check may refuse: a few digits with a few decimals, between a millionth and a million.
inline bool PlainlySensible(const std::wstring& rate) {
    const size_t point = rate.find(L'.');
    const std::wstring whole = rate.substr(0, point);
    const std::wstring fraction = point == std::wstring::npos ? std::wstring() : rate.substr(point + 1);
    auto digits = [](const std::wstring& t) { return t.find_first_not_of(L"0123456789") == std::wstring::npos; };
    if (whole.empty() || whole.size() > 6 || !digits(whole) || fraction.size() > 8 || !digits(fraction) ||
        (point != std::wstring::npos && fraction.empty()))
        return false;
    const double value = std::wcstod(rate.c_str(), nullptr);
    return value >= 1e-6 && value <= 1e6;
}

// The number a text starts with, as wcstod reads it.
inline double Value(const std::wstring& text) {
    return std::wcstod(text.c_str(), nullptr);
}

inline std::vector<CurrencyListEntry*>& List() {
    static std::vector<CurrencyListEntry> entries = [] {
        std::vector<CurrencyListEntry> list;
        for (const wchar_t* code : kCodes) list.push_back({code, CString(L"Currency ") + code, L"1"});
        return list;
    }();
    static std::vector<CurrencyListEntry*> pointers = [] {
        std::vector<CurrencyListEntry*> list;
        for (CurrencyListEntry& entry : entries) list.push_back(&entry);
        return list;
    }();
    return pointers;
}

// Stores the reply into a fresh store and checks the rates; returns each currency's stored rate.
inline std::vector<std::wstring> CheckRates(const CString& reply) {
    std::vector<CurrencyListEntry*>& list = List();
    CCeDBDatabase::Delete(kCurrenciesDbName);
    CCurrenciesDb store;
    store.Open();
    for (size_t i = 0; i < kCurrencyCount; ++i) store.AddCurrency(list[i]->name, kCodes[i], kBefore[i]);

    std::vector<CString> rejected;
    const bool stored = StoreCurrencyReply(store, list.data(), static_cast<int>(list.size()), reply, &rejected);

    const std::vector<Record> records = Records(reply.Str());
    std::vector<std::wstring> rates;
    bool anySensible = false, anyFromReply = false;
    for (size_t i = 0; i < kCurrencyCount; ++i) {
        FUZZ_CHECK(store.FindByName(list[i]->name));
        const std::wstring rate = store.GetRate(store.GetCurrentIndex()).Str();
        rates.push_back(rate);
        const double value = Value(rate.substr(0, kReadChars));
        FUZZ_CHECK(std::isfinite(value) && value >= 1e-9 && value <= 1e9);
        if (rate != kBefore[i]) FUZZ_CHECK(rate.size() <= 24);

        std::vector<std::wstring> ofCode;
        for (const Record& record : records)
            if (record.code == kCodes[i]) ofCode.push_back(record.rate);
        size_t from = ofCode.size(); // the last plainly sensible rate of the code
        for (size_t k = 0; k < ofCode.size(); ++k)
            if (PlainlySensible(ofCode[k])) from = k;
        bool fromReply = false, fromLast = from == ofCode.size();
        for (size_t k = 0; k < ofCode.size(); ++k) {
            if (Value(ofCode[k]) != value) continue;
            fromReply = true;
            if (k >= from) fromLast = true;
        }
        FUZZ_CHECK(rate == kBefore[i] || fromReply);
        FUZZ_CHECK(fromLast);
        anySensible = anySensible || from < ofCode.size();
        anyFromReply = anyFromReply || fromReply;
        for (const CString& name : rejected)
            if (name == list[i]->name) FUZZ_CHECK(rate == kBefore[i]);
    }
    if (anySensible) FUZZ_CHECK(stored);
    if (stored) FUZZ_CHECK(anyFromReply);
    return rates;
}

// Reads the input byte by byte, 0 once it is used up.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    unsigned Next() { return m_at < m_size ? m_data[m_at++] : 0u; }
    bool Left() const { return m_at < m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// A reply of sensible rates built from the input: every one is stored with its whole value, the
// last of a code staying.
inline void CheckSensibleRates(const uint8_t* data, size_t size) {
    Bytes bytes(data, size);
    std::wstring reply;
    std::wstring expected[kCurrencyCount];
    for (int n = 0; n < 12 && bytes.Left(); ++n) {
        const size_t currency = bytes.Next() % kCurrencyCount;
        std::wstring rate = std::to_wstring(1 + bytes.Next() % 999) + L"." + std::to_wstring(bytes.Next());
        // Now and then a rate longer than the converter reads of a stored one.
        if (bytes.Next() % 4 == 0) rate += std::wstring(kReadChars, L"0123456789"[bytes.Next() % 10]);
        reply += std::wstring(kCodes[currency]) + L"_" + rate + L"#";
        expected[currency] = rate;
    }
    const std::vector<std::wstring> rates = CheckRates(CString(reply.c_str()));
    for (size_t i = 0; i < kCurrencyCount; ++i)
        FUZZ_CHECK(expected[i].empty() ? rates[i] == kBefore[i] : Value(rates[i]) == Value(expected[i]));
}

} // namespace fuzzrates
