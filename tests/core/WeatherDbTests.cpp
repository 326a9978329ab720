// The weather-city store: the import of cities.wet (carriage returns, duplicates, short and bad
// files), the record layout the Today plug-in reads, lookups by name and by code in the two
// orders, updates and deletes.

#include "CoreTestSupport.h"

#include "core/WeatherDb.h"
#include "platform/system/DeviceDb.h"
#include "support/FileSizeLimit.h"

#include <algorithm>
#include <filesystem>

namespace {

using coretest::CoreTest;

class WeatherDb : public CoreTest {
protected:
    void WriteList(const std::string& bytes) {
        coretest::WriteFile(coretest::InProgramFolder(L"cities.wet"), bytes);
    }

    std::vector<std::wstring> Names(CWeatherDb& db) {
        std::vector<std::wstring> out;
        db.SeekFirst();
        while (!db.IsEOF() && out.size() < 50)
            out.push_back(std::wstring(db.GetName(db.GetCurrentIndex())));
        return out;
    }
};

TEST_F(WeatherDb, ImportSeedsPlacesWithoutForecast) {
    WriteList("3\r\nNorway;Oslo;NO0001\r\nGhana;Accra;GH0001\nItaly;Rome;IT\r07\n");
    CWeatherDb db;
    db.Open();
    EXPECT_TRUE(MessageTexts().empty());
    ASSERT_EQ(Names(db), (std::vector<std::wstring>{L"Accra", L"Oslo", L"Rome"}));
    EXPECT_EQ(std::wstring(db.GetCode(0)), L"GH0001"); // no carriage return: stored whole
    EXPECT_EQ(std::wstring(db.GetCode(1)), L"NO0001");
    EXPECT_EQ(std::wstring(db.GetCode(2)), L"IT\r0"); // a carriage return anywhere: last character off
    EXPECT_EQ(std::wstring(db.GetForecast(1)), L"");
    EXPECT_EQ(std::wstring(db.GetUpdateDate(1)), L"01/01/2000");
    EXPECT_EQ(std::wstring(db.GetCountry(1)), L"Norway");
    EXPECT_EQ(db.GetRecordCount(), 3);

    // Positions 2 and 3 are what the Today plug-in reads: 201, 202, 203, 204 in that order.
    CCeDBDatabase raw;
    CCeDBProp sort(L"", kWeatherPropName);
    ASSERT_TRUE(raw.Open(kWeatherDbName, &sort));
    EXPECT_EQ(raw.GetDatabaseType(), kWeatherDbType);
    ASSERT_TRUE(raw.SeekValueFirstEqual(CCeDBProp(L"Oslo", kWeatherPropName)));
    CCeDBRecord rec;
    ASSERT_TRUE(raw.ReadCurrRecord(rec));
    ASSERT_EQ(rec.GetNumProps(), 4);
    EXPECT_EQ(rec.GetPropFromIndex(1)->GetID(), kWeatherPropCode);
    EXPECT_STREQ(rec.GetPropFromIndex(2)->GetString(), L"");
    EXPECT_STREQ(rec.GetPropFromIndex(3)->GetString(), L"01/01/2000:Norway");
}

TEST_F(WeatherDb, DuplicatesSkippedShortAndBadFilesAddNoJunk) {
    // A list that ends before its count is reported; each such box is answered.
    device::ui::ScriptMessageBoxAnswers(std::vector<int>(8, IDOK));
    WriteList("9\nA;Paris;FR1\nB;Paris;FR2\nC;paris;FR3\nD;Lyon");
    CWeatherDb db;
    db.Open();
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(MessageTexts()[0].rfind(L"Weather cities file damaged!", 0), 0u);
    EXPECT_EQ(Names(db), (std::vector<std::wstring>{L"Paris", L"paris"}));
    EXPECT_EQ(std::wstring(db.GetCode(0)), L"FR1");

    const std::string binary("\x00\x01\xff;\x80;\n\n;", 9);
    for (const std::string& bytes : {std::string(), std::string("x\nA;B;C\n"), std::string("0\nA;B;C\n"),
                                     std::string("5\n\n\n\n"), binary, std::string(2 * 1024 * 1024, 'A')}) {
        CCeDBDatabase::Delete(kWeatherDbName);
        WriteList(bytes);
        CWeatherDb bad;
        bad.Open();
        EXPECT_EQ(bad.GetRecordCount(), 0) << bytes.size();
    }
    // The last line may lack its line feed.
    CCeDBDatabase::Delete(kWeatherDbName);
    WriteList("2\nA;Bern;CH1");
    CWeatherDb last;
    last.Open();
    EXPECT_EQ(Names(last), (std::vector<std::wstring>{L"Bern"}));
    EXPECT_EQ(std::wstring(last.GetCode(0)), L"CH1");
}

TEST_F(WeatherDb, MissingFileShowsTheMessageAndLeavesAnEmptyStore) {
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    CWeatherDb db;
    db.Open();
    CWeatherDb again;
    again.Open();
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::wstring>{L"Weather cities File not found\nEmpty database created!",
                                         L"Weather cities File not found\nEmpty database created!"}));
    EXPECT_TRUE(CCeDBDatabase::Exists(kWeatherDbName));
    EXPECT_EQ(db.GetRecordCount(), 0);
    // A place added since (the home city at the first start) does not make the store built:
    // the list is looked for again, and once it is there its places join the added one.
    EXPECT_TRUE(db.AddCity(L"Oslo", L"NO1", L"", L"01/01/2000:Norway"));
    device::ui::ScriptMessageBoxAnswers({IDOK});
    CWeatherDb third;
    third.Open();
    EXPECT_EQ(MessageTexts().size(), 3u);
    WriteList("2\nNorway;Oslo;NO0001\nGhana;Accra;GH0001\n");
    CWeatherDb fourth;
    fourth.Open();
    EXPECT_EQ(Names(fourth), (std::vector<std::wstring>{L"Accra", L"Oslo"}));
    EXPECT_EQ(std::wstring(fourth.GetCode(1)), L"NO1"); // the added place stays as it was
    // Built now: the file is never read again.
    WriteList("1\nPeru;Lima;PE0001\n");
    CWeatherDb fifth;
    fifth.Open();
    EXPECT_EQ(fifth.GetRecordCount(), 2);
    EXPECT_EQ(MessageTexts().size(), 3u);
}

TEST_F(WeatherDb, CodeOrderLookupsAndUpdates) {
    WriteList("3\nNorway;Oslo;B2\nGhana;Accra;C3\nItaly;Rome;A1\n");
    CWeatherDb db;
    db.Open();
    EXPECT_FALSE(db.FindByCode(L"A1")); // only in the code order
    db.ReopenSorted(1);
    EXPECT_EQ(std::wstring(db.GetName(0)), L"Rome");
    EXPECT_TRUE(db.FindByCode(L"C3"));
    EXPECT_EQ(db.GetCurrentIndex(), 2u);
    db.UpdateCity(L"Accra", L"C3", L"forecast^text", L"24/12/2026:Ghana", 2);
    db.UpdateCity(L"Nowhere", L"Z9", L"x", L"y", 2);
    db.ReopenSorted(-1);
    EXPECT_EQ(std::wstring(db.GetName(0)), L"Accra");
    EXPECT_EQ(std::wstring(db.GetForecast(0)), L"forecast^text");
    EXPECT_EQ(std::wstring(db.GetUpdateDate(0)), L"24/12/2026");
    EXPECT_EQ(db.GetRecordCount(), 3);
    // By name; the key is rewritten too, so the place can move.
    db.UpdateCity(L"Oslo", L"B2", L"f", L"no colon", 1);
    EXPECT_EQ(std::wstring(db.GetUpdateDate(1)), L"");
    EXPECT_EQ(std::wstring(db.GetCountry(1)), L"no colon");
}

TEST_F(WeatherDb, AddIgnoresTheForecastAndDeleteShiftsPositions) {
    WriteList("2\nNorway;Oslo;B2\nItaly;Rome;A1\n");
    CWeatherDb db;
    db.Open();
    EXPECT_TRUE(db.AddCity(L"Bern", L"CH1", L"some forecast", L"01/01/2000:Switzerland"));
    EXPECT_TRUE(db.FindByName(L"Bern"));
    EXPECT_EQ(db.GetCurrentIndex(), 0u);
    EXPECT_EQ(std::wstring(db.GetForecast(0)), L"");
    EXPECT_FALSE(db.AddCity(L"Bern", L"CH2", L"", L""));
    EXPECT_TRUE(db.DeleteCity(L"Bern"));
    EXPECT_FALSE(db.DeleteCity(L"Bern"));
    EXPECT_EQ(std::wstring(db.GetName(0)), L"Oslo");
    EXPECT_EQ(std::wstring(db.GetName(7)), L"");
}

} // namespace

namespace {

class WeatherDbFaults : public WeatherDb {};

TEST_F(WeatherDbFaults, ImportOnAFullDeviceLeavesNoStoreForTheHomeCityToSettleIn) {
    std::string list = "2000\n";
    for (int i = 0; i < 2000; ++i)
        list += "Land;Place" + std::to_string(100000 + i) + ";XX" + std::to_string(i) + "\r\n";
    WriteList(list);
    CRecordDatabase other; // the device database in use, as at any start
    const WORD idents[CRecordDatabase::kMaxProps] = {1, 2, 3, 4};
    other.Create(L"other", 1, 1, idents, 0);
    device::ui::ScriptMessageBoxAnswers({IDOK});
    {
        testsupport::FileSizeLimit full(testsupport::RoomForAFewPages(Root()));
        CWeatherDb db;
        db.Open();
        // The first start then adds the home city: with no store it finds no room either.
        EXPECT_FALSE(db.AddCity(L"Home", L"HO0001", L"", L"01/01/2000:Land"));
    }
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(MessageTexts()[0].rfind(L"The device's storage is full", 0), 0u);
    // Once there is room, the next opening imports every place.
    CWeatherDb later;
    later.Open();
    EXPECT_EQ(later.GetRecordCount(), 2000);
    EXPECT_FALSE(later.FindByName(L"Home"));
}

TEST_F(WeatherDbFaults, BinaryOrEmptyListsShowNoGarbagePlaces) {
    // Names of symbol bytes are left out; a list that yields none is said once per start.
    device::ui::ScriptMessageBoxAnswers({IDOK});
    WriteList("3\nLand;\x9b\x88RL\xfbz\xd9,\xae\xa7\xfd\x8eS;X1\nLand;Oslo;NO1\n\x01\x02;Bad;X2\n");
    CWeatherDb db;
    db.Open();
    EXPECT_EQ(Names(db), std::vector<std::wstring>{L"Oslo"});
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(MessageTexts()[0].rfind(L"Weather cities file damaged!\n\nOnly", 0), 0u);

    for (const std::string& bytes : {std::string(),
                                     std::string("\xff\xfe"
                                                 "3\0\n\0",
                                                 6),
                                     std::string("12\nno separators\n")}) {
        CCeDBDatabase::Delete(kWeatherDbName);
        device::DeviceDb::Close(); // a new start
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK});
        WriteList(bytes);
        CWeatherDb empty;
        empty.Open();
        EXPECT_EQ(empty.GetRecordCount(), 0) << bytes;
        EXPECT_EQ(MessageTexts(),
                  std::vector<std::wstring>{L"Weather cities file damaged!\n\nNo city could be read "
                                            L"from it. Please reinstall Jorvana."})
            << bytes;
    }
}

} // namespace
