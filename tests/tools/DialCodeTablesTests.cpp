// The fixed code tables: their sizes, the rows the tool is known by, the trailing-blank rules the
// Find box relies on, and the orders the tool shows before any sort.

#include "tools/DialCodeTables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::wstring S(const CString& text) { return std::wstring(static_cast<LPCWSTR>(text)); }

TEST(DialCodeTables, TellingRowsStandWhereTheyBelong) {
    const DialingCodeRow* dial = DialingCodeTable();
    struct Expected {
        int row;
        const wchar_t *country, *code, *offset;
    };
    for (const Expected& e : {Expected{1, L"Afghanistan", L"93", L"+4.5"}, {9, L"Antigua and Barbuda", L"1 268 ", L"-4"},
                              {25, L"Bermuda", L"1 +441 or 809 ", L"-4"}, {47, L"Cocos Islands ", L"672 ", L"+x"},
                              {102, L"India ", L"91 ", L"+5.5"}, {165, L"Norfolk Island ", L"672 ", L"+11.5"},
                              {227, L"United Kingdom ", L"44 ", L"+0"}, {228, L"United States ", L"1 ", L"-6"},
                              {231, L"Uzbekistan ", L"7", L"+5"}}) {
        SCOPED_TRACE(e.row);
        EXPECT_EQ(S(dial[e.row - 1].country), e.country);
        EXPECT_EQ(S(dial[e.row - 1].code), e.code);
        EXPECT_EQ(S(dial[e.row - 1].offset), e.offset);
    }
    EXPECT_EQ(S(dial[kDialingCodeRowCount - 1].country), L"Zimbabwe ");

    const AreaCodeRow* area = AreaCodeTable();
    EXPECT_EQ(S(area[0].region), L"Ohio(OH)");
    EXPECT_EQ(S(area[0].city), L"Akron");
    EXPECT_EQ(S(area[0].code), L"+330");
    EXPECT_EQ(S(area[104].region), L"Hawaii(HI)");
    EXPECT_EQ(S(area[104].city), L"Hawaii");
    EXPECT_EQ(S(area[252].region), L"District of Columbia(DC)");
    EXPECT_EQ(S(area[252].code), L"+202");
    EXPECT_EQ(S(area[258].region), L"Wyoming(WY)");
    // The repeated Dallas row is kept.
    EXPECT_EQ(S(area[59].city), L"Dallas");
    EXPECT_EQ(S(area[60].city), L"Dallas");
    EXPECT_EQ(S(area[59].code), S(area[60].code));
}

TEST(DialCodeTables, DialingTextsFollowTheBlankAndOffsetRules) {
    const DialingCodeRow* dial = DialingCodeTable();
    std::set<std::wstring> names, withoutBlank, codesWithoutBlank;
    const std::set<std::wstring> allowedOffsets = {
        L"+0",  L"+1",  L"+2",  L"+3",  L"+4",  L"+5",   L"+6",   L"+7",   L"+8",  L"+9", L"+10", L"+11", L"+12",
        L"+13", L"+3.5", L"+4.5", L"+5.5", L"+6.5", L"+9.5", L"+11.5", L"-1",  L"-2",  L"-3", L"-4",  L"-5",  L"-6",
        L"-10", L"-11", L"+x"};
    int unknownOffsets = 0;
    for (int i = 0; i < kDialingCodeRowCount; ++i) {
        const std::wstring country = S(dial[i].country), code = S(dial[i].code), offset = S(dial[i].offset);
        SCOPED_TRACE(country);
        EXPECT_TRUE(names.insert(country).second) << "a country occurs twice";
        EXPECT_LE(country.size(), 31u);
        EXPECT_LE(code.size(), 14u);
        if (country.back() != L' ') withoutBlank.insert(country);
        if (code.back() != L' ') codesWithoutBlank.insert(country);
        EXPECT_TRUE(allowedOffsets.count(offset)) << offset;
        if (offset == L"+x") ++unknownOffsets;
        // From "Ethiopia " on, only the two "C." names lack the blank.
        if (i >= 68 && country != L"Indonesia C." && country != L"Mexico C.") {
            EXPECT_EQ(country.back(), L' ');
        }
    }
    EXPECT_EQ(withoutBlank.size(), 65u);
    EXPECT_EQ(codesWithoutBlank,
              (std::set<std::wstring>{L"Afghanistan", L"Albania", L"Australia", L"Barbados", L"Equatorial Guinea",
                                      L"Fyrom (Macedonia) ", L"Palestinian Territories ", L"Uzbekistan "}));
    EXPECT_EQ(unknownOffsets, 4);
}

TEST(DialCodeTables, AreaRowsAreOrderedByCityWithFiftyOneRegions) {
    const AreaCodeRow* area = AreaCodeTable();
    std::set<std::wstring> regions;
    for (int i = 0; i < kAreaCodeRowCount; ++i) {
        const std::wstring region = S(area[i].region), city = S(area[i].city), code = S(area[i].code);
        SCOPED_TRACE(city);
        regions.insert(region);
        ASSERT_GE(region.size(), 5u);
        EXPECT_EQ(region.substr(region.size() - 4, 1), L"(");
        EXPECT_EQ(region.back(), L')');
        EXPECT_EQ(code.size(), 4u);
        EXPECT_EQ(code[0], L'+');
        EXPECT_NE(city.front(), L' ');
        EXPECT_NE(city.back(), L' ');
        if (i > 0) {
            CString before = area[i - 1].city, here = area[i].city;
            EXPECT_LE(before.MakeLower().Compare(here.MakeLower()), 0);
        }
    }
    EXPECT_EQ(regions.size(), 51u);
}

} // namespace
