#include "platform/system/DeviceTime.h"
#include "platform/system/TzFile.h"
#include "support/TzdataFixture.h"
#include "system/TzFileZdumpTable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

using device::PosixTz;
using device::TzZone;

namespace {

// "YYYY-MM-DD HH:MM:SS" (UTC) to seconds since 1970.
int64_t Utc(const char* text) {
    int y, mo, d, h, mi, s;
    EXPECT_EQ(std::sscanf(text, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s), 6) << text;
    return device::DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

std::string LocalText(const TzZone& zone, int64_t utc) {
    struct tm tm {};
    if (!device::LocalFromUtc(zone, utc, &tm)) return "(out of range)";
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

// A zone of the carried tzdata: the same release on every machine.
std::shared_ptr<const TzZone> CarriedZone(const std::string& name) {
    std::string error;
    auto zone = TzZone::LoadFile(testsupport::CarriedTzdir() / name, &error);
    EXPECT_NE(zone, nullptr) << error;
    return zone;
}

// Builds TZif files for the malformed-input tests.
struct TzifBuilder {
    struct Type {
        int32_t off;
        uint8_t dst;
        uint8_t idx;
    };
    int version = 2;
    std::vector<int64_t> times;
    std::vector<uint8_t> idx;
    std::vector<Type> types{{3600, 0, 0}};
    std::string chars = std::string("CET\0CEST\0", 9);
    std::string footer = "\nCET-1CEST,M3.5.0,M10.5.0/3\n";

    static void Put32(std::vector<uint8_t>& out, uint32_t v) {
        for (int s = 24; s >= 0; s -= 8)
            out.push_back(static_cast<uint8_t>(v >> s));
    }
    void Block(std::vector<uint8_t>& out, int timeSize) const {
        const char magic[] = {'T', 'Z', 'i', 'f'};
        out.insert(out.end(), magic, magic + 4);
        out.push_back(version == 1 ? 0 : static_cast<uint8_t>('0' + version));
        out.insert(out.end(), 15, 0);
        for (uint32_t c : {0u, 0u, 0u, static_cast<uint32_t>(times.size()),
                           static_cast<uint32_t>(types.size()), static_cast<uint32_t>(chars.size())})
            Put32(out, c);
        for (int64_t t : times) {
            if (timeSize == 8) Put32(out, static_cast<uint32_t>(static_cast<uint64_t>(t) >> 32));
            Put32(out, static_cast<uint32_t>(t));
        }
        out.insert(out.end(), idx.begin(), idx.end());
        for (const auto& t : types) {
            Put32(out, static_cast<uint32_t>(t.off));
            out.push_back(t.dst);
            out.push_back(t.idx);
        }
        out.insert(out.end(), chars.begin(), chars.end());
    }
    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> out;
        Block(out, 4);
        if (version >= 2) {
            Block(out, 8);
            out.insert(out.end(), footer.begin(), footer.end());
        }
        return out;
    }
    std::shared_ptr<const TzZone> Parse(std::string* error = nullptr) const {
        auto bytes = Build();
        return TzZone::Parse(bytes.data(), bytes.size(), error);
    }
};

// A zone with two listed transitions in 2020 and the European rule after them.
TzifBuilder Paris2020() {
    TzifBuilder b;
    b.types = {{3600, 0, 0}, {7200, 1, 4}};
    b.times = {Utc("2020-03-29 01:00:00"), Utc("2020-10-25 01:00:00")};
    b.idx = {1, 0};
    return b;
}

} // namespace

// ---- Real tzdata against zdump ----

TEST(TzFileTest, TransitionsMatchZdump) {
    for (const auto& row : kZdumpRows) {
        SCOPED_TRACE(std::string(row.zone) + " " + row.utcBefore);
        auto zone = CarriedZone(row.zone);
        ASSERT_NE(zone, nullptr);
        const int64_t t = Utc(row.utcBefore);
        for (const auto& [instant, side] : {std::pair{t, row.before}, std::pair{t + 1, row.after}}) {
            const auto& type = zone->TypeAt(instant);
            EXPECT_EQ(type.utcOffset, side.offset);
            EXPECT_EQ(type.isDst ? 1 : 0, side.isDst);
            EXPECT_EQ(type.abbrev, side.abbrev);
            EXPECT_EQ(LocalText(*zone, instant), side.local);
        }
    }
}

TEST(TzFileTest, ZonesWithoutDaylightSavingKeepOneOffsetFrom2024To2030) {
    // zdump -v -c 2024,2031 lists no transition for either zone; their last ones are in the table.
    for (const auto& [name, offset, abbrev] :
         {std::tuple{"Asia/Kolkata", 19800, "IST"}, std::tuple{"America/Sao_Paulo", -10800, "-03"}}) {
        auto zone = CarriedZone(name);
        ASSERT_NE(zone, nullptr);
        EXPECT_TRUE(zone->ChangesBetween(Utc("2024-01-01 00:00:00"), Utc("2031-01-01 00:00:00")).empty())
            << name;
        for (int year = 2024; year <= 2030; ++year) {
            for (int month : {1, 4, 7, 10}) {
                const int64_t t = device::DaysFromCivil(year, month, 15) * 86400 + 43200;
                EXPECT_EQ(zone->TypeAt(t).utcOffset, offset) << name << " " << year << "-" << month;
                EXPECT_FALSE(zone->TypeAt(t).isDst);
                EXPECT_EQ(zone->TypeAt(t).abbrev, abbrev);
            }
        }
    }
}

TEST(TzFileTest, FarYearsComeFromTheFooterRule) {
    // The 2040 and 2100 rows of the zdump table lie past every listed transition.
    for (const char* name : {"Europe/Paris", "America/New_York", "Australia/Sydney", "Pacific/Chatham"}) {
        auto zone = CarriedZone(name);
        ASSERT_NE(zone, nullptr);
        ASSERT_NE(zone->Footer(), nullptr) << name;
        EXPECT_GE(zone->Version(), 2);
        ASSERT_TRUE(zone->LastTransition().has_value());
        EXPECT_LT(*zone->LastTransition(), Utc("2040-01-01 00:00:00")) << name;
    }
    auto paris = CarriedZone("Europe/Paris");
    const auto changes = paris->ChangesBetween(Utc("2100-01-01 00:00:00"), Utc("2101-01-01 00:00:00"));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_TRUE(changes[0].fromFooter);
    EXPECT_EQ(changes[0].at, Utc("2100-03-28 01:00:00"));
    EXPECT_EQ(changes[1].at, Utc("2100-10-31 01:00:00"));
    EXPECT_EQ(changes[0].after->abbrev, "CEST");
    EXPECT_EQ(changes[1].after->abbrev, "CET");
}

TEST(TzFileTest, ListedTransitionsAreFoundByBinarySearch) {
    auto zone = Paris2020().Parse();
    ASSERT_NE(zone, nullptr);
    EXPECT_EQ(zone->TransitionCount(), 2u);
    // Before the first transition the first type holds.
    EXPECT_EQ(zone->TypeAt(Utc("1900-01-01 00:00:00")).abbrev, "CET");
    EXPECT_EQ(zone->TypeAt(Utc("2020-03-29 00:59:59")).abbrev, "CET");
    EXPECT_EQ(zone->TypeAt(Utc("2020-03-29 01:00:00")).abbrev, "CEST");
    EXPECT_EQ(zone->TypeAt(Utc("2020-10-25 00:59:59")).abbrev, "CEST");
    // From the last transition on, the footer rule decides.
    EXPECT_EQ(zone->TypeAt(Utc("2020-10-25 01:00:00")).abbrev, "CET");
    EXPECT_EQ(zone->TypeAt(Utc("2021-07-01 00:00:00")).abbrev, "CEST");
    const auto changes = zone->ChangesBetween(Utc("2020-01-01 00:00:00"), Utc("2022-01-01 00:00:00"));
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_FALSE(changes[0].fromFooter);
    EXPECT_FALSE(changes[1].fromFooter);
    EXPECT_TRUE(changes[2].fromFooter);
    EXPECT_EQ(changes[2].at, Utc("2021-03-28 01:00:00"));
    EXPECT_EQ(changes[3].at, Utc("2021-10-31 01:00:00"));
}

TEST(TzFileTest, VersionOneFilesUseTheir32BitData) {
    TzifBuilder b = Paris2020();
    b.version = 1;
    auto zone = b.Parse();
    ASSERT_NE(zone, nullptr);
    EXPECT_EQ(zone->Version(), 1);
    EXPECT_EQ(zone->Footer(), nullptr);
    EXPECT_EQ(zone->TypeAt(Utc("2020-06-01 00:00:00")).utcOffset, 7200);
    // Without a footer the last listed type holds for ever.
    EXPECT_EQ(zone->TypeAt(Utc("2030-06-01 00:00:00")).utcOffset, 3600);
}

TEST(TzFileTest, AFooterThatCannotBeReadIsIgnored) {
    TzifBuilder b = Paris2020();
    b.footer = "\nnot a rule\n";
    auto zone = b.Parse();
    ASSERT_NE(zone, nullptr);
    EXPECT_EQ(zone->Footer(), nullptr);
    EXPECT_EQ(zone->TypeAt(Utc("2030-06-01 00:00:00")).abbrev, "CET");
}

TEST(TzFileTest, MalformedFilesAreRefusedWithAReason) {
    std::vector<std::pair<std::string, TzifBuilder>> cases;
    TzifBuilder b = Paris2020();
    b.idx = {1, 2};
    cases.push_back({"type index past the types", b});
    b = Paris2020();
    b.times = {Utc("2020-10-25 01:00:00"), Utc("2020-03-29 01:00:00")};
    cases.push_back({"times out of order", b});
    b = Paris2020();
    b.types.clear();
    b.times.clear();
    b.idx.clear();
    cases.push_back({"no types", b});
    b = Paris2020();
    b.types[1].idx = 40;
    cases.push_back({"abbreviation index past the characters", b});
    b = Paris2020();
    b.chars = "CETCEST";
    cases.push_back({"unterminated abbreviation", b});
    b = Paris2020();
    b.types[0].off = INT32_MIN;
    cases.push_back({"absurd offset", b});
    b = Paris2020();
    b.types[0].dst = 7;
    cases.push_back({"daylight flag not 0 or 1", b});
    b = Paris2020();
    b.footer = "\nCET-1CEST,M3.5.0,M10.5.0/3";
    cases.push_back({"footer without its closing newline", b});
    for (const auto& [what, builder] : cases) {
        std::string error;
        EXPECT_EQ(builder.Parse(&error), nullptr) << what;
        EXPECT_FALSE(error.empty()) << what;
    }
    const uint8_t notTzif[] = "This is not a zone file at all, just some words to fill 44 bytes.";
    std::string error;
    EXPECT_EQ(TzZone::Parse(notTzif, sizeof notTzif, &error), nullptr);
    EXPECT_EQ(error, "not a TZif file");
    EXPECT_EQ(TzZone::Parse(nullptr, 100, &error), nullptr);
}

TEST(TzFileTest, EveryTruncationOfARealFileIsRefusedOrComplete) {
    std::ifstream in(testsupport::CarriedTzdir() / "Australia/Sydney", std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 100u);
    // The footer is the last line; the data ends right before it.
    size_t footerStart = bytes.size() - 2;
    while (bytes[footerStart] != '\n')
        --footerStart;
    for (size_t n = 0; n < bytes.size(); ++n) {
        auto zone = TzZone::Parse(bytes.data(), n, nullptr);
        if (n == footerStart) {
            // Data complete and no footer at all: usable, without the rule.
            ASSERT_NE(zone, nullptr);
            EXPECT_EQ(zone->Footer(), nullptr);
        } else {
            EXPECT_EQ(zone, nullptr) << "prefix of " << n << " bytes";
        }
    }
}

TEST(TzFileTest, RandomlyDamagedFilesNeverCrash) {
    std::ifstream in(testsupport::CarriedTzdir() / "Europe/Paris", std::ios::binary);
    const std::vector<uint8_t> good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(good.empty());
    std::mt19937 rng(20260);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = good;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i)
            bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
        auto zone = TzZone::Parse(bytes.data(), bytes.size(), nullptr);
        if (!zone) continue;
        ++accepted;
        // Whatever was accepted answers every question.
        for (int64_t t : {INT64_MIN / 2, int64_t(-1), int64_t(0), Utc("2026-07-01 00:00:00"), INT64_MAX / 2})
            (void)zone->TypeAt(t);
        (void)zone->ChangesBetween(Utc("2026-01-01 00:00:00"), Utc("2027-01-01 00:00:00"));
    }
    EXPECT_GT(accepted, 0); // damage to transition times or padding leaves a usable file
}

// ---- POSIX rules ----

TEST(TzFileTest, PosixRulesParse) {
    auto paris = PosixTz::Parse("CET-1CEST,M3.5.0,M10.5.0/3");
    ASSERT_TRUE(paris);
    EXPECT_EQ(paris->Standard().utcOffset, 3600);
    EXPECT_EQ(paris->Daylight().utcOffset, 7200); // one hour more when not written
    EXPECT_EQ(paris->Start().month, 3);
    EXPECT_EQ(paris->Start().week, 5);
    EXPECT_EQ(paris->Start().time, 7200);
    EXPECT_EQ(paris->End().time, 3 * 3600);

    auto chatham = PosixTz::Parse("<+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45");
    ASSERT_TRUE(chatham);
    EXPECT_EQ(chatham->Standard().utcOffset, 45900);
    EXPECT_EQ(chatham->Standard().abbrev, "+1245");
    EXPECT_EQ(chatham->Daylight().utcOffset, 49500);
    EXPECT_EQ(chatham->Start().time, 2 * 3600 + 45 * 60);

    auto kolkata = PosixTz::Parse("IST-5:30");
    ASSERT_TRUE(kolkata);
    EXPECT_FALSE(kolkata->HasDaylight());
    EXPECT_EQ(kolkata->Standard().utcOffset, 19800);

    auto dstOffset = PosixTz::Parse("AAA+3BBB+1:30:15,J60,300/-4");
    ASSERT_TRUE(dstOffset);
    EXPECT_EQ(dstOffset->Daylight().utcOffset, -(3600 + 1800 + 15));
    EXPECT_EQ(dstOffset->Start().kind, PosixTz::RuleDate::JulianNoLeap);
    EXPECT_EQ(dstOffset->End().kind, PosixTz::RuleDate::ZeroBasedDay);
    EXPECT_EQ(dstOffset->End().time, -4 * 3600);

    for (const char* bad : {"", "CET", "CE-1", "CET-25", "CET-1CEST,M3.5.0", "CET-1CEST,M13.5.0,M10.5.0",
                            "CET-1CEST,M3.6.0,M10.5.0", "CET-1CEST,M3.5.7,M10.5.0", "CET-1CEST,J0,J365",
                            "CET-1CEST,J366,J1", "CET-1CEST,366,1", "CET-1CEST,M3.5.0/168,M10.5.0", "<+1>-1",
                            "<+01-1", "CET-1:60", "CET-1CEST,M3.5.0,M10.5.0/3 trailing"}) {
        EXPECT_FALSE(PosixTz::Parse(bad)) << bad;
    }
}

TEST(TzFileTest, PosixRuleDatesInEachForm) {
    // Jn never counts 29 February; n does.
    PosixTz::RuleDate j60{PosixTz::RuleDate::JulianNoLeap, 60, 0, 0, 0};
    EXPECT_EQ(PosixTz::YearDay(j60, 2027), 59); // 1 March
    EXPECT_EQ(PosixTz::YearDay(j60, 2028), 60); // 1 March of a leap year
    PosixTz::RuleDate n59{PosixTz::RuleDate::ZeroBasedDay, 59, 0, 0, 0};
    EXPECT_EQ(PosixTz::YearDay(n59, 2028), 59); // 29 February
    EXPECT_EQ(PosixTz::YearDay(n59, 2027), 59); // 1 March
    // Week 5 is the last such weekday, even in a month that has only four of them.
    PosixTz::RuleDate lastSunFeb{PosixTz::RuleDate::MonthWeekDay, 0, 5, 2, 0};
    EXPECT_EQ(PosixTz::YearDay(lastSunFeb, 2026), 31 + 22 - 1); // 22 February 2026
    PosixTz::RuleDate secondSunMar{PosixTz::RuleDate::MonthWeekDay, 0, 2, 3, 0};
    EXPECT_EQ(PosixTz::YearDay(secondSunMar, 2024), 31 + 29 + 10 - 1); // 10 March 2024
}

TEST(TzFileTest, PosixRuleTimesBeyondOneDay) {
    // Nuuk: daylight time starts at -1:00 on the last Sunday of March (zdump: 2024-03-31 01:00 UTC).
    auto nuuk = PosixTz::Parse("<-02>2<-01>,M3.5.0/-1,M10.5.0/0");
    ASSERT_TRUE(nuuk);
    EXPECT_EQ(nuuk->StartUtc(2024), Utc("2024-03-31 01:00:00"));
    EXPECT_EQ(nuuk->EndUtc(2024), Utc("2024-10-27 01:00:00"));
    // Jerusalem: 26:00 on the fourth Thursday of March (zdump: 2024-03-29 00:00 UTC).
    auto jerusalem = PosixTz::Parse("IST-2IDT,M3.4.4/26,M10.5.0");
    ASSERT_TRUE(jerusalem);
    EXPECT_EQ(jerusalem->StartUtc(2024), Utc("2024-03-29 00:00:00"));
    EXPECT_EQ(jerusalem->EndUtc(2024), Utc("2024-10-26 23:00:00"));
    EXPECT_EQ(jerusalem->TypeAt(Utc("2024-03-28 23:59:59")).abbrev, "IST");
    EXPECT_EQ(jerusalem->TypeAt(Utc("2024-03-29 00:00:00")).abbrev, "IDT");
}

TEST(TzFileTest, PosixRuleSouthernAndAllYearDaylight) {
    auto sydney = PosixTz::Parse("AEST-10AEDT,M10.1.0,M4.1.0/3");
    ASSERT_TRUE(sydney);
    EXPECT_TRUE(sydney->TypeAt(Utc("2035-01-15 00:00:00")).isDst);
    EXPECT_FALSE(sydney->TypeAt(Utc("2035-07-15 00:00:00")).isDst);
    EXPECT_TRUE(sydney->TypeAt(Utc("2035-12-31 23:00:00")).isDst);
    // Daylight time from 1 January 00:00 to 31 December 25:00: no moment of standard time.
    auto allYear = PosixTz::Parse("EST5EDT,0/0,J365/25");
    ASSERT_TRUE(allYear);
    for (const char* t :
         {"2030-01-01 05:00:00", "2030-06-01 00:00:00", "2030-12-31 23:59:59", "2031-01-01 05:00:00"})
        EXPECT_TRUE(allYear->TypeAt(Utc(t)).isDst) << t;
    // A daylight name without dates takes the second Sunday of March to the first of November.
    auto noDates = PosixTz::Parse("EST5EDT");
    ASSERT_TRUE(noDates);
    EXPECT_EQ(noDates->StartUtc(2024), Utc("2024-03-10 07:00:00"));
    EXPECT_EQ(noDates->EndUtc(2024), Utc("2024-11-03 06:00:00"));
}
