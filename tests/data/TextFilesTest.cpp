// currs.lst, langs.dat, adrs.cfg, mapping.cfg and the server's rate table, each
// read by the rules of the code that reads it.
#include "ShippedFiles.h"
#include "core/ShippedDefaults.h"
#include "platform/base/CaseFold.h"
#include "platform/base/Utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

using namespace shippedtest;
namespace fs = std::filesystem;

namespace {

struct Currency {
    std::string code, name, rate;
};

std::vector<Currency> ReadCurrencies(bool* ranOut) {
    TokenReader in(ReadAll(DataDir() / "currs.lst"));
    int count = std::atoi(in.Next('\n').c_str());
    std::vector<Currency> list;
    for (int i = 0; i < count; ++i) {
        Currency c;
        c.code = in.Next('_');
        c.name = in.Next('_');
        c.rate = in.Next('#');
        list.push_back(c);
    }
    *ranOut = in.RanOut();
    return list;
}

std::vector<std::string> MappingLines() {
    TokenReader in(ReadAll(DataDir() / "mapping.cfg"));
    std::vector<std::string> lines;
    while (!in.AtEnd()) {
        std::string line = in.Next('\n');
        if (line.find('>') != std::string::npos) break;
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(CurrencyList, ParsesWithUniqueCodesNamesAndPositiveRates) {
    bool ranOut = false;
    std::vector<Currency> list = ReadCurrencies(&ranOut);
    EXPECT_FALSE(ranOut) << "the count names more entries than the file holds";
    EXPECT_GE(list.size(), 150u);
    std::set<std::string> codes;
    for (size_t i = 0; i < list.size(); ++i) {
        const Currency& c = list[i];
        SCOPED_TRACE(c.code);
        EXPECT_EQ(c.code.size(), 3u) << "nothing may stand between '#' and the next code";
        for (char ch : c.code) EXPECT_TRUE(ch >= 'A' && ch <= 'Z');
        EXPECT_TRUE(codes.insert(c.code).second) << "duplicate code";
        EXPECT_FALSE(c.name.empty());
        char* end = nullptr;
        double rate = std::strtod(c.rate.c_str(), &end);
        EXPECT_EQ(*end, '\0') << c.rate;
        EXPECT_GT(rate, 0.0);
        EXPECT_LT(c.rate.size(), 30u);
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(device::EqualNoCase(device::FromUtf8(list[j].name), device::FromUtf8(c.name)))
                << "the store keys currencies by name, letter case ignored";
    }
    std::map<std::string, double> byCode;
    for (const Currency& c : list) byCode[c.code] = std::strtod(c.rate.c_str(), nullptr);
    EXPECT_DOUBLE_EQ(byCode["USD"], 1.0);
    EXPECT_GT(byCode["EUR"], 1.0);
    EXPECT_LT(byCode["JPY"], 0.02);
}

TEST(CurrencyList, DefaultColumnsNameUsDollarEuroAndPound) {
    bool ranOut = false;
    std::vector<Currency> list = ReadCurrencies(&ranOut);
    std::sort(list.begin(), list.end(), [](const Currency& a, const Currency& b) {
        return device::CompareNoCase(device::FromUtf8(a.name), device::FromUtf8(b.name)) < 0;
    });
    ASSERT_EQ(shipped::kCurrencyCount, list.size());
    const char* expected[3] = {"USD", "EUR", "GBP"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_LT(shipped::kCurrency[i], list.size());
        EXPECT_EQ(list[shipped::kCurrency[i]].code, expected[i]);
    }
}

TEST(CurrencyList, ServerRateTableCoversEveryCurrency) {
    bool ranOut = false;
    std::set<std::string> listed;
    for (const Currency& c : ReadCurrencies(&ranOut)) listed.insert(c.code);
    TokenReader in(ReadAll(DataDir() / "feed" / "rates.txt"));
    std::set<std::string> served;
    bool dated = false;
    while (!in.AtEnd()) {
        std::string line = in.Next('\n');
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("date ", 0) == 0) {
            dated = line.size() == 15;
            continue;
        }
        std::vector<std::string> f = Split(line, '_');
        ASSERT_EQ(f.size(), 2u) << line;
        served.insert(f[0]);
    }
    EXPECT_TRUE(dated);
    EXPECT_EQ(served, listed);
}

TEST(LanguageList, EntryZeroIsTheProgramsOwnResources) {
    std::string text = TokenReader(ReadAll(DataDir() / "langs.dat")).Next('>');
    ASSERT_LT(text.size(), 1500u);
    // the start-up's lookup of the module name for language 0
    std::string rest = text.substr(text.find("0"));
    rest = rest.substr(0, rest.find('@'));
    EXPECT_EQ(rest.substr(rest.rfind(',') + 1), "none");
    std::vector<std::string> entries = Split(text, '@');
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries.back(), "");
    for (size_t i = 0; i + 1 < entries.size(); ++i) {
        std::vector<std::string> f = Split(entries[i], ',');
        ASSERT_EQ(f.size(), 3u) << entries[i];
        EXPECT_EQ(f[0], std::to_string(i));
    }
}

TEST(ServerAddress, IsAnHttpUrlOnLoopbackEndedByStar) {
    TokenReader in(ReadAll(DataDir() / "adrs.cfg"));
    std::string url = in.Next('*');
    EXPECT_FALSE(in.RanOut()) << "no '*' after the address";
    EXPECT_EQ(url.rfind("http://127.0.0.1:", 0), 0u) << url;
    std::string rest = url.substr(std::string("http://127.0.0.1:").size());
    size_t slash = rest.find('/');
    ASSERT_NE(slash, std::string::npos);
    int port = std::atoi(rest.substr(0, slash).c_str());
    EXPECT_TRUE(port > 1024 && port < 65536);
    EXPECT_EQ(url.find_first_of(" \r\n"), std::string::npos);
}

TEST(IconMapping, EveryCodeFindsItsOwnLineAndUnknownCodesGiveNa) {
    std::string mapping = ReadAll(DataDir() / "mapping.cfg");
    std::vector<std::string> lines = MappingLines();
    ASSERT_GE(lines.size(), 10u);
    int codes = 0;
    for (const std::string& raw : lines) {
        std::string line = raw;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t at = line.find('@');
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_EQ(line.find_first_of(" \t"), std::string::npos) << "the Today item splits at blanks";
        std::string icon = line.substr(0, at);
        for (const std::string& code : Split(line.substr(at + 1), ',')) {
            EXPECT_EQ(LookupImageMapping(mapping, code), icon) << code;
            ++codes;
        }
    }
    EXPECT_GE(codes, 14);
    EXPECT_EQ(LookupImageMapping(mapping, "N/A"), "na");
    EXPECT_EQ(LookupImageMapping(mapping, "-"), "na");
    EXPECT_EQ(LookupImageMapping(mapping, "W99"), "na");
    EXPECT_EQ(LookupImageMapping(mapping, "nothing like it"), "na");
}

TEST(IconMapping, EveryIconSetHoldsEveryMappedIcon) {
    std::vector<fs::path> sets;
    for (const auto& entry : fs::directory_iterator(DataDir()))
        if (entry.is_directory() && entry.path().filename().string().rfind("wiconset", 0) == 0)
            sets.push_back(entry.path());
    ASSERT_GE(sets.size(), 2u);
    for (const fs::path& set : sets) {
        for (std::string line : MappingLines()) {
            std::string icon = line.substr(0, line.find('@'));
            SCOPED_TRACE(set.filename().string() + "/" + icon);
            ImageSize size = BmpSize(ReadAll(set / (icon + ".bmp")));
            EXPECT_EQ(size.width, 32);
            EXPECT_EQ(size.height, 32);
            EXPECT_EQ(size.bits, 24);
        }
        EXPECT_TRUE(fs::exists(set / "na.bmp"));
    }
}
