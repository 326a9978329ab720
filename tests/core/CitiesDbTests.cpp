// The city store: the record layout and CityIndex order, the getters' splitting at ":", and the
// import of cities.lst with its end markers, duplicates and every kind of bad file.

#include "CoreTestSupport.h"

#include "core/CitiesDb.h"
#include "core/ListFileReader.h"
#include "platform/system/DeviceDb.h"
#include "platform/system/Registry.h"
#include "resources/resource.h"
#include "support/FileSizeLimit.h"
#include "support/UserAction.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace {

using coretest::CoreTest;

const char* kHead = "title line;ignored\n";

// One cities.lst line: zone;name;country;lon;lat;offset;shift;sday;shour;eday;ehour
std::string Line(const std::string& name, const std::string& country, const std::string& offset = "1",
                 const std::string& rule = "0;0;0;0;0") {
    return "Zone/X;" + name + ";" + country + ";10;20;" + offset + ";" + rule + "\n";
}

class CitiesDb : public CoreTest {
protected:
    void WriteList(const std::string& bytes) {
        coretest::WriteFile(coretest::InProgramFolder(L"cities.lst"), bytes);
    }

    std::vector<std::wstring> Names(CCitiesDb& db) {
        std::vector<std::wstring> out;
        db.SeekFirst();
        while (!db.IsEOF() && out.size() < 50) {
            DWORD i = db.GetCurrentIndex();
            out.push_back(std::wstring(db.GetName(i)) + L"/" + std::wstring(db.GetCountry(i)));
        }
        return out;
    }

    static WORD Count() {
        CRecordDatabase raw;
        return raw.Open(kCitiesDbName) ? raw.GetRecordCount() : 0;
    }
};

TEST_F(CitiesDb, ImportBuildsRecordsInTheSharedLayout) {
    WriteList(std::string(kHead) + "2\n" + Line("Oslo", "Norway", "100", "1;88;2;298;3") +
              "Asia/Kolkata;Delhi;India;77.2;28.6;530;0;0;0;0;0\r\n");
    CCitiesDb db;
    db.Open();
    EXPECT_TRUE(MessageTexts().empty());
    ASSERT_EQ(Names(db), (std::vector<std::wstring>{L"Delhi/India", L"Oslo/Norway"}));
    EXPECT_EQ(std::wstring(db.GetLongitude(1)), L"10");
    EXPECT_EQ(std::wstring(db.GetLatitude(1)), L"20");
    EXPECT_EQ(std::wstring(db.GetUtcOffset(1)), L"100");
    EXPECT_EQ(std::wstring(db.GetDstRule(1)), L"1:88:2:298:3");
    EXPECT_EQ(std::wstring(db.GetDstRule(0)), L"0:0:0:0:0\r"); // the rest of the line as read
    EXPECT_EQ(std::wstring(db.GetUtcOffset(0)), L"530");

    // The Today plug-in reads positions 0 to 3: 101, 103, 108, 104.
    CCeDBDatabase raw;
    ASSERT_TRUE(raw.Open(kCitiesDbName));
    EXPECT_EQ(raw.GetDatabaseType(), kCitiesDbType);
    raw.SeekToIndex(1);
    CCeDBRecord rec;
    ASSERT_TRUE(raw.ReadCurrRecord(rec));
    ASSERT_EQ(rec.GetNumProps(), 4);
    EXPECT_STREQ(rec.GetPropFromIndex(0)->GetString(), L"Oslo:Norway");
    EXPECT_STREQ(rec.GetPropFromIndex(1)->GetString(), L"10:20");
    EXPECT_STREQ(rec.GetPropFromIndex(2)->GetString(), L"100");
    EXPECT_STREQ(rec.GetPropFromIndex(3)->GetString(), L"1:88:2:298:3");
}

TEST_F(CitiesDb, TheListsYearIsKeptWithTheStoreItWasBuiltFrom) {
    // Built from a list whose title names its year: every later opening reads it.
    WriteList("Jorvana city list;year 2026;tzdata 2025b\n1\n" + Line("Oslo", "Norway"));
    CCitiesDb built;
    built.Open();
    EXPECT_EQ(built.GetRulesYear(), 2026);
    WriteList(std::string(kHead) + "1\n" + Line("Bern", "CH")); // a list changed afterwards
    CCitiesDb opened;
    opened.Open();
    EXPECT_EQ(opened.GetRulesYear(), 2026);
    // A store built by an older program has no year; one built from a list without a year
    // (or with a year that is no year) neither.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRulesYearKey, 0, 0, &key), ERROR_SUCCESS);
    ::RegDeleteValueW(key, kRulesYearValue);
    ::RegCloseKey(key);
    CCitiesDb older;
    older.Open();
    EXPECT_EQ(older.GetRulesYear(), 0);
    for (const char* title : {"title line;ignored", "list;year 26", "list;year 2026x;", "list;years 2026"}) {
        CCeDBDatabase::Delete(kCitiesDbName);
        WriteList(std::string(title) + "\n1\n" + Line("Bern", "CH"));
        CCitiesDb db;
        db.Open();
        EXPECT_EQ(db.GetRulesYear(), 0) << title;
    }
}

TEST_F(CitiesDb, EndMarkersStopTheImport) {
    for (const char* marker :
         {";a;>;1;2;1;0;0;0;0;0\n", ";a;b;1;>;1;0;0;0;0;0\n", ";a;b;1;2;1;0;0;0;>;0\n"}) {
        CCeDBDatabase::Delete(kCitiesDbName);
        WriteList(std::string(kHead) + "9\n" + Line("Bern", "CH") + "Z" + marker + Line("Rome", "Italy"));
        CCitiesDb db;
        db.Open();
        EXPECT_EQ(Names(db), (std::vector<std::wstring>{L"Bern/CH"})) << marker;
    }
}

TEST_F(CitiesDb, DuplicateKeysAreSkippedButLetterCaseCounts) {
    WriteList(std::string(kHead) + "4\n" + Line("Paris", "France") + Line("Paris", "France", "9") +
              Line("PARIS", "France") + Line("Lyon", "France"));
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(Names(db), (std::vector<std::wstring>{L"Lyon/France", L"PARIS/France", L"Paris/France"}));
    EXPECT_EQ(std::wstring(db.GetUtcOffset(2)), L"1");
}

TEST_F(CitiesDb, CountNamingMoreLinesThanTheFileHoldsAddsNoJunk) {
    // Last line complete but without its line feed, then nothing: two cities, no empty record.
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    WriteList(std::string(kHead) + "40\n" + Line("Bern", "CH") + "Z;Rome;Italy;1;2;1;0;0;0;0;0");
    CCitiesDb db;
    db.Open();
    // Said once: the cities read before the end are the list.
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(MessageTexts()[0].rfind(L"Cities file damaged!", 0), 0u);
    EXPECT_EQ(Names(db), (std::vector<std::wstring>{L"Bern/CH", L"Rome/Italy"}));
    EXPECT_EQ(std::wstring(db.GetDstRule(1)), L"0:0:0:0:0");

    // A line cut inside its fields is no city.
    CCeDBDatabase::Delete(kCitiesDbName);
    WriteList(std::string(kHead) + "3\n" + Line("Bern", "CH") + "Z;Rome;Italy;1;2;1;0");
    CCitiesDb cut;
    cut.Open();
    EXPECT_EQ(Names(cut), (std::vector<std::wstring>{L"Bern/CH"}));
}

TEST_F(CitiesDb, BadFilesNeverCrashAndLeaveTheStoreEmpty) {
    const std::string binary("\x00\xff\x01;\n\x80\x7f;;\n\n\x00", 12);
    const std::string huge(3 * 1024 * 1024, ';');
    device::ui::ScriptMessageBoxAnswers({IDOK});
    for (const std::string& bytes :
         {std::string(), std::string(kHead), std::string(kHead) + "0\n" + Line("A", "B"),
          std::string(kHead) + "many\n" + Line("A", "B"), binary, huge}) {
        CCeDBDatabase::Delete(kCitiesDbName);
        WriteList(bytes);
        CCitiesDb db;
        db.Open();
        EXPECT_EQ(Count(), 0) << bytes.size();
    }
    // None yields a city: the list is reported as damaged, once however often a store opens.
    EXPECT_EQ(MessageTexts(),
              std::vector<std::wstring>{
                  L"Cities file damaged!\n\nNo city could be read from it. Please reinstall Jorvana."});
    // A huge count over a short file: only the lines there are.
    CCeDBDatabase::Delete(kCitiesDbName);
    device::ui::ScriptMessageBoxAnswers({IDOK});
    WriteList(std::string(kHead) + "2147483647999\n" + Line("A", "B"));
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(Count(), 1);
}

TEST_F(CitiesDb, MissingFileShowsTheMessageAtEveryOpenUntilBuilt) {
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    {
        CCitiesDb db;
        db.Open();
        CCitiesDb again;
        again.Open();
    }
    EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"Cities file not found\nDatabase not created!",
                                                         L"Cities file not found\nDatabase not created!"}));
    EXPECT_TRUE(CCeDBDatabase::Exists(kCitiesDbName));
    // A folder of that name is no file either.
    coretest::MakeFolder(coretest::InProgramFolder(L"cities.lst"));
    device::ui::ScriptMessageBoxAnswers({IDOK});
    CCitiesDb folder;
    folder.Open();
    EXPECT_EQ(MessageTexts().size(), 3u);
}

TEST_F(CitiesDb, AnExistingStoreNeverReadsTheFileAgain) {
    WriteList(std::string(kHead) + "1\n" + Line("Bern", "CH"));
    CCitiesDb first;
    first.Open();
    WriteList(std::string(kHead) + "1\n" + Line("Rome", "Italy"));
    CCitiesDb second;
    second.Open();
    EXPECT_EQ(Names(second), (std::vector<std::wstring>{L"Bern/CH"}));
}

TEST_F(CitiesDb, AddFindDeleteAndCityIndexShifts) {
    WriteList(std::string(kHead) + "2\n" + Line("Oslo", "Norway") + Line("Rome", "Italy"));
    CCitiesDb db;
    db.Open();
    EXPECT_TRUE(db.AddCity(L"Athens:Greece", L"23.7:37.9", L"1:88:3:298:4", L"200"));
    EXPECT_EQ(db.GetCurrentIndex(), 0u);
    EXPECT_EQ(std::wstring(db.GetName(2)), L"Rome");
    EXPECT_EQ(std::wstring(db.GetUtcOffset(0)), L"200");
    EXPECT_EQ(std::wstring(db.GetDstRule(0)), L"1:88:3:298:4");
    EXPECT_FALSE(db.AddCity(L"Athens:Greece", L"", L"", L""));
    EXPECT_TRUE(db.FindCity(L"Rome:Italy"));
    EXPECT_EQ(db.GetCurrentIndex(), 2u);
    EXPECT_FALSE(db.FindCity(L"rome:italy"));
    // A name with ":" splits at the first one; a text without ":" is all country.
    EXPECT_TRUE(db.AddCity(L"Ho:Chi:Vietnam", L"nocolon", L"0", L"7"));
    const DWORD ho = db.GetCurrentIndex();
    EXPECT_EQ(ho, 1u);
    EXPECT_EQ(std::wstring(db.GetName(ho)), L"Ho");
    EXPECT_EQ(std::wstring(db.GetCountry(ho)), L"Chi:Vietnam");
    EXPECT_EQ(std::wstring(db.GetLongitude(ho)), L"");
    EXPECT_EQ(std::wstring(db.GetLatitude(ho)), L"nocolon");
    EXPECT_TRUE(db.DeleteAt(ho));
    EXPECT_EQ(std::wstring(db.GetName(ho)), L"Oslo");
    EXPECT_FALSE(db.DeleteAt(3));
    EXPECT_EQ(std::wstring(db.GetName(3)), L"");
    EXPECT_EQ(std::wstring(db.GetCountry(3)), L"");
}

TEST_F(CitiesDb, ShippedListBuildsTwelveHundredCities) {
    std::filesystem::path shipped = std::filesystem::path(JORVANA_DATA_DIR) / "cities.lst";
    std::filesystem::copy_file(shipped, coretest::HostPath(coretest::InProgramFolder(L"cities.lst")));
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(Count(), 1200);
    EXPECT_TRUE(db.FindCity(L"Zurich:Switzerland"));
    DWORD i = db.GetCurrentIndex();
    EXPECT_EQ(std::wstring(db.GetDstRule(i)), L"1:87:2:304:2"); // 28 March - 31 October 2027
}

} // namespace

namespace {

// A cities.lst of n made-up cities.
std::string ManyCities(int n) {
    std::string text = std::string(kHead) + std::to_string(n) + "\n";
    for (int i = 0; i < n; ++i)
        text += Line("City" + std::to_string(100000 + i), "Land");
    return text;
}

} // namespace

TEST_F(CitiesDb, ImportOnAFullDeviceIsUndoneReportedAndDoneAgainAtTheNextOpening) {
    WriteList(ManyCities(3000));
    CRecordDatabase other; // the device database in use, as at any start
    const WORD idents[CRecordDatabase::kMaxProps] = {1, 2, 3, 4};
    other.Create(L"other", 1, 1, idents, 0);
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    {
        testsupport::FileSizeLimit full(testsupport::RoomForAFewPages(Root()));
        CCitiesDb db;
        db.Open();
        EXPECT_EQ(db.GetRecordCount(), 0);
        CCitiesDb again; // a second store meets the same fault: said once
        again.Open();
    }
    EXPECT_EQ(MessageTexts(),
              std::vector<std::wstring>{L"The device's storage is full!\n\nNothing was saved; the data stay as they were. "
                                        L"Make room on the device, then try again."});
    // Nothing of the import was kept, not even the empty store: the next opening imports all.
    EXPECT_FALSE(CCeDBDatabase::Exists(kCitiesDbName));
    CCitiesDb later;
    later.Open();
    EXPECT_EQ(later.GetRecordCount(), 3000);
    EXPECT_EQ(MessageTexts().size(), 1u);
}

TEST_F(CitiesDb, EndlessHugeAndOtherNonRegularListsAreDamagedAndNeverRead) {
    const std::filesystem::path list = coretest::HostPath(coretest::InProgramFolder(L"cities.lst"));
    auto endless = [&] { std::filesystem::create_symlink("/dev/zero", list); };
    auto pipe = [&] { ASSERT_EQ(mkfifo(list.c_str(), 0644), 0); };
    auto huge = [&] { // 20 MB: a sparse file, far past what any city list holds
        WriteList(std::string(kHead) + "1\n" + Line("Bern", "CH"));
        std::filesystem::resize_file(list, 20u * 1024 * 1024);
    };
    for (const std::function<void()>& make :
         {std::function<void()>(endless), std::function<void()>(pipe), std::function<void()>(huge)}) {
        std::filesystem::remove(list);
        make();
        device::DeviceDb::Close(); // a new start: the message is said again
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK});
        CCitiesDb db;
        db.Open();
        EXPECT_EQ(Count(), 0);
        EXPECT_EQ(MessageTexts(),
                  std::vector<std::wstring>{
                      L"Cities file damaged!\n\nNo city could be read from it. Please reinstall Jorvana."});
    }
}

TEST_F(CitiesDb, LinesNamingNoTextAreLeftOutAndReported) {
    // UTF-16 and symbol bytes in the name fields: those lines are no cities; the others stay.
    device::ui::ScriptMessageBoxAnswers({IDOK});
    WriteList(std::string(kHead) + "3\n" + Line("Bern", "CH") + Line(std::string("B\0e\0r\0n\0", 8), "CH") +
              Line("\x9b\x88RL\xfbz\xd9,\xae\xa7\xfd\x8eS", "X"));
    CCitiesDb db;
    db.Open();
    EXPECT_EQ(Names(db), (std::vector<std::wstring>{L"Bern/CH"}));
    ASSERT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(MessageTexts()[0].rfind(L"Cities file damaged!\n\nOnly the cities", 0), 0u);
    // Accented letters and the punctuation of real names are text.
    EXPECT_TRUE(IsTextName(L"S\u00e3o Paulo"));
    EXPECT_TRUE(IsTextName(L"St. John's (Nfld.)"));
    EXPECT_TRUE(IsTextName(L"\u017dilina"));
    EXPECT_FALSE(IsTextName(L""));
    EXPECT_FALSE(IsTextName(L"Ab\u00aec"));
    EXPECT_FALSE(IsTextName(L"A\tB"));
}

TEST_F(CitiesDb, WritesOnAFullDeviceKeepTheOldDataAndSaySoOncePerUserAction) {
    WriteList(ManyCities(2));
    CCitiesDb db;
    db.Open();
    const std::string big(200 * 1024, 'x'); // a record far larger than the room left
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    {
        testsupport::FileSizeLimit full(testsupport::RoomForAFewPages(Root()));
        EXPECT_FALSE(db.AddCity(L"Big:Land", CString(big.c_str()), L"0:0:0:0:0", L"100"));
        EXPECT_FALSE(db.AddCity(L"Bigger:Land", CString(big.c_str()), L"0:0:0:0:0", L"100"));
    }
    EXPECT_EQ(MessageTexts().size(), 1u);
    EXPECT_EQ(Count(), 2);
    EXPECT_TRUE(db.AddCity(L"Small:Land", L"1:2", L"0:0:0:0:0", L"100"));
    {
        // Still the same action: said already.
        testsupport::FileSizeLimit full(testsupport::RoomForAFewPages(Root()));
        EXPECT_FALSE(db.AddCity(L"Big:Land", CString(big.c_str()), L"0:0:0:0:0", L"100"));
    }
    EXPECT_EQ(MessageTexts().size(), 1u);
    // The next action that fails is told again, whether or not a write went through between.
    testsupport::StartUserAction();
    {
        testsupport::FileSizeLimit full(testsupport::RoomForAFewPages(Root()));
        EXPECT_FALSE(db.AddCity(L"Big:Land", CString(big.c_str()), L"0:0:0:0:0", L"100"));
    }
    EXPECT_EQ(MessageTexts().size(), 2u);
    EXPECT_EQ(MessageTexts()[1].rfind(L"The device's storage is full", 0), 0u);
    EXPECT_EQ(Count(), 3);
}
