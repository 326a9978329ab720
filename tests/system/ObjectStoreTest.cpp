#include "ObjectStoreTestSupport.h"
#include "platform/system/DeviceDb.h"

#include <cstring>

using storetest::Props;
using storetest::Str;
using ObjectStoreTest = storetest::StoreTest;

TEST_F(ObjectStoreTest, EmptyDatabaseHasNoRecordToSeekOrRead) {
    CEOID db = Create(L"jrvEmpty", {{101, 0}});
    ASSERT_NE(db, 0u);
    HANDLE h = Open(L"jrvEmpty");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Info(db).infDatabase.wNumRecords, 0);
    EXPECT_EQ(Info(db).wObjType, OBJTYPE_DATABASE);
    SetLastError(0);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    CEOID oid = 1;
    EXPECT_TRUE(Read(h, &oid).empty());
    EXPECT_EQ(oid, 0u);
    EXPECT_TRUE(Column(h, 101).empty());
}

TEST_F(ObjectStoreTest, CreatingAnExistingNameFailsAndChangesNothing) {
    CEOID db = Create(L"jrvCities", {{101, 0}, {103, 0}}, 12345);
    ASSERT_NE(db, 0u);
    EXPECT_EQ(Create(L"jrvCities", {{201, CEDB_SORT_CASEINSENSITIVE}}, 99), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(Create(L"JRVCITIES", {}, 99), 0u) << "database names ignore letter case";
    CEOIDINFO info = Info(db);
    EXPECT_EQ(info.infDatabase.dwDbaseType, 12345u);
    EXPECT_EQ(info.infDatabase.wNumSortOrder, 2);
    EXPECT_EQ(info.infDatabase.rgSortSpecs[0].propid, Str(101));
    EXPECT_EQ(info.infDatabase.rgSortSpecs[1].propid, Str(103));
    EXPECT_STREQ(info.infDatabase.szDbaseName, L"jrvCities");
}

TEST_F(ObjectStoreTest, NamesAreCheckedAgainstTheDeviceLimit) {
    std::wstring longest(CEDB_MAXDBASENAMELEN - 1, L'n');
    std::wstring tooLong(CEDB_MAXDBASENAMELEN, L'n');
    EXPECT_NE(Create(longest.c_str(), {}), 0u);
    EXPECT_EQ(Create(tooLong.c_str(), {}), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Create(L"", {}), 0u);
    EXPECT_EQ(CeCreateDatabase(nullptr, 0, 0, nullptr), 0u);
    EXPECT_EQ(Open(tooLong.c_str()), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Open(L"jrvMissing"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // A name array filled to the brim without a terminator is refused, not overrun.
    CEDBASEINFO info = {};
    info.dwFlags = CEDB_VALIDNAME;
    for (auto& c : info.szDbaseName)
        c = L'x';
    EXPECT_EQ(CeCreateDatabaseEx(nullptr, &info), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ObjectStoreTest, TraversalFollowsTheSortOrderTheHandleWasOpenedIn) {
    ASSERT_NE(Create(L"jrvWeather", {{201, 0}, {203, 0}}), 0u);
    HANDLE w = Open(L"jrvWeather");
    ASSERT_NE(w, INVALID_HANDLE_VALUE);
    ASSERT_NE(Add(w, {{201, L"Oslo"}, {203, L"3"}}), 0u);
    ASSERT_NE(Add(w, {{201, L"Berlin"}, {203, L"1"}}), 0u);
    ASSERT_NE(Add(w, {{201, L"Madrid"}, {203, L"2"}}), 0u);
    EXPECT_EQ(Column(w, 201), (std::vector<std::wstring>{L"Berlin", L"Madrid", L"Oslo"}));
    HANDLE byCode = Open(L"jrvWeather", 203);
    ASSERT_NE(byCode, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Column(byCode, 201), (std::vector<std::wstring>{L"Berlin", L"Madrid", L"Oslo"}));
    HANDLE byName = Open(L"jrvWeather", 201);
    EXPECT_EQ(Column(byName, 203), (std::vector<std::wstring>{L"1", L"2", L"3"}));
    EXPECT_EQ(Open(L"jrvWeather", 202), INVALID_HANDLE_VALUE) << "no sort order on that property";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // A database without sort orders is walked in creation order.
    ASSERT_NE(Create(L"plain", {}), 0u);
    HANDLE p = Open(L"plain");
    Add(p, {{1, L"z"}});
    Add(p, {{1, L"a"}});
    EXPECT_EQ(Column(p, 1), (std::vector<std::wstring>{L"z", L"a"}));
}

TEST_F(ObjectStoreTest, CaseRulesAndTieOrderOfTheSortOrders) {
    ASSERT_NE(Create(L"mixed", {{1, CEDB_SORT_CASEINSENSITIVE}, {2, 0}}), 0u);
    HANDLE h = Open(L"mixed");
    for (const wchar_t* k : {L"b", L"A", L"a", L"B", L"Z"})
        Add(h, {{1, k}, {2, k}});
    // Case-blind: equal keys keep creation order ("b" before "B", "A" before "a").
    EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"A", L"a", L"b", L"B", L"Z"}));
    HANDLE cs = Open(L"mixed", 2);
    EXPECT_EQ(Column(cs, 2), (std::vector<std::wstring>{L"A", L"B", L"Z", L"a", L"b"}));

    // Value seeks follow the case rule of the order they run in.
    DWORD index = 99;
    CEOID found = SeekValue(h, 1, L"B", &index);
    ASSERT_NE(found, 0u);
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(Read(h), (Props{{1, L"b"}, {2, L"b"}})) << "the first of the equal keys";
    EXPECT_NE(SeekValue(cs, 2, L"B", &index), 0u);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(SeekValue(cs, 2, L"z"), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}

TEST_F(ObjectStoreTest, CollationIsUtf16CodeUnitOrderWithLowerCasingForCaseBlindOrders) {
    ASSERT_NE(Create(L"units", {{1, 0}}), 0u);
    HANDLE h = Open(L"units");
    const std::wstring privateUse(1, static_cast<wchar_t>(0xE000));
    const std::wstring emoji(1, static_cast<wchar_t>(0x1F600));
    const std::wstring eAcute(1, static_cast<wchar_t>(0xE9));
    for (const auto& k : {privateUse, emoji, eAcute, std::wstring(L"z")})
        Add(h, {{1, k}});
    // A pair of surrogates (D83D DE00) sorts before the single unit E000.
    EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"z", eAcute, emoji, privateUse}));

    ASSERT_NE(Create(L"blind", {{1, CEDB_SORT_CASEINSENSITIVE}}), 0u);
    HANDLE b = Open(L"blind");
    const std::wstring eAcuteUpper(1, static_cast<wchar_t>(0xC9));
    Add(b, {{1, eAcuteUpper}});
    Add(b, {{1, L"Z"}});
    EXPECT_EQ(Column(b, 1), (std::vector<std::wstring>{L"Z", eAcuteUpper}));
    EXPECT_NE(SeekValue(b, 1, eAcute.c_str()), 0u) << "lower-casing applies beyond ASCII";
}

TEST_F(ObjectStoreTest, DescendingAndUnknownValuesPlaceRecordsAsDocumented) {
    ASSERT_NE(Create(L"desc", {{1, CEDB_SORT_DESCENDING}, {2, CEDB_SORT_UNKNOWNFIRST}}), 0u);
    HANDLE h = Open(L"desc");
    Add(h, {{1, L"a"}, {2, L"x"}});
    Add(h, {{1, L"c"}});
    Add(h, {{2, L"y"}});
    Add(h, {{1, L"b"}, {2, L"w"}});
    EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"c", L"b", L"a", L"<none>"}));
    HANDLE u = Open(L"desc", 2);
    EXPECT_EQ(Column(u, 2), (std::vector<std::wstring>{L"<none>", L"w", L"x", L"y"}));
    EXPECT_EQ(Create(L"odd", {{1, CEDB_SORT_IGNORENONSPACE}}), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST_F(ObjectStoreTest, ValueSeekOnlyWorksOnTheCurrentSortProperty) {
    ASSERT_NE(Create(L"jrvCurrencies", {{401, 0}, {402, 0}}), 0u);
    HANDLE h = Open(L"jrvCurrencies");
    Add(h, {{401, L"Euro"}, {402, L"EUR"}});
    Add(h, {{401, L"Yen"}, {402, L"JPY"}});
    ASSERT_NE(SeekValue(h, 401, L"Yen"), 0u);
    EXPECT_EQ(SeekValue(h, 402, L"EUR"), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CEOID oid = 1;
    Read(h, &oid);
    EXPECT_EQ(oid, 0u) << "a failed seek leaves no record under the cursor";
    HANDLE byCode = Open(L"jrvCurrencies", 402);
    DWORD index = 9;
    EXPECT_NE(SeekValue(byCode, 402, L"JPY", &index), 0u);
    EXPECT_EQ(index, 1u);

    CEPROPVAL number = {};
    number.propid = MAKELONG(CEVT_I4, 402);
    EXPECT_EQ(
        CeSeekDatabase(byCode, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&number), nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(CeSeekDatabase(byCode, CEDB_SEEK_VALUEFIRSTEQUAL, 0, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ObjectStoreTest, OtherValueSeeksFindNeighbours) {
    ASSERT_NE(Create(L"near", {{1, 0}}), 0u);
    HANDLE h = Open(L"near");
    for (const wchar_t* k : {L"b", L"d", L"d", L"f"})
        Add(h, {{1, k}});
    CEPROPVAL v = {};
    v.propid = Str(1);
    v.val.lpwstr = const_cast<LPWSTR>(L"d");
    auto seek = [&](DWORD type) {
        DWORD index = 99;
        return CeSeekDatabase(h, type, reinterpret_cast<DWORD_PTR>(&v), &index) ? static_cast<int>(index)
                                                                                : -1;
    };
    EXPECT_EQ(seek(CEDB_SEEK_VALUESMALLER), 0);
    EXPECT_EQ(seek(CEDB_SEEK_VALUEGREATER), 3);
    EXPECT_EQ(seek(CEDB_SEEK_VALUEFIRSTEQUAL), 1);
    EXPECT_EQ(seek(CEDB_SEEK_VALUENEXTEQUAL), 2);
    EXPECT_EQ(seek(CEDB_SEEK_VALUENEXTEQUAL), -1);
    v.val.lpwstr = const_cast<LPWSTR>(L"a");
    EXPECT_EQ(seek(CEDB_SEEK_VALUESMALLER), -1);
}

TEST_F(ObjectStoreTest, SeeksByIndexOffsetEndAndObjectId) {
    ASSERT_NE(Create(L"seek", {{1, 0}}), 0u);
    HANDLE h = Open(L"seek", 0, 0); // no auto-advance: reads stay on the record
    std::vector<CEOID> ids;
    for (const wchar_t* k : {L"a", L"b", L"c", L"d"})
        ids.push_back(Add(h, {{1, k}}));
    DWORD index = 99;
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 2, &index), ids[2]);
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_CURRENT, static_cast<DWORD>(-1), &index), ids[1]);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_CURRENT, 2, &index), ids[3]);
    EXPECT_EQ(index, 3u);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_END, 0, &index), ids[3]);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_END, 3, &index), ids[0]);
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_CEOID, ids[2], &index), ids[2]);
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(Read(h), (Props{{1, L"c"}}));
    EXPECT_EQ(Read(h), (Props{{1, L"c"}})) << "without auto-advance the cursor stays";
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 4, nullptr), 0u);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_CEOID, 0xABCDEF, nullptr), 0u);
    EXPECT_EQ(CeSeekDatabase(h, 0x4000, 0, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST_F(ObjectStoreTest, AutoAdvanceReadingTheLastRecordLeavesTheCursorAtTheEnd) {
    ASSERT_NE(Create(L"one", {{1, 0}}), 0u);
    HANDLE h = Open(L"one");
    CEOID only = Add(h, {{1, L"solo"}});
    ASSERT_NE(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr), 0u);
    CEOID oid = 0;
    EXPECT_EQ(Read(h, &oid), (Props{{1, L"solo"}}));
    EXPECT_EQ(oid, only);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_CURRENT, 0, nullptr), 0u);
    Read(h, &oid);
    EXPECT_EQ(oid, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));

    Add(h, {{1, L"tail"}});
    ASSERT_NE(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 1, nullptr), 0u);
    EXPECT_EQ(Read(h), (Props{{1, L"tail"}}));
    Read(h, &oid);
    EXPECT_EQ(oid, 0u);
    // A fresh handle starts before the first record.
    HANDLE fresh = Open(L"one");
    EXPECT_EQ(Read(fresh), (Props{{1, L"solo"}}));
    EXPECT_EQ(Read(fresh), (Props{{1, L"tail"}}));
}

TEST_F(ObjectStoreTest, PropertiesComeBackInFirstWriteOrderEvenAfterUpdates) {
    ASSERT_NE(Create(L"jrvCities", {{101, 0}, {103, 0}, {108, 0}, {104, 0}}), 0u);
    HANDLE h = Open(L"jrvCities");
    CEOID rec = Add(h, {{101, L"Oslo:Norway"}, {103, L"10:59"}, {108, L"100"}, {104, L"0"}});
    ASSERT_NE(rec, 0u);
    ASSERT_EQ(Write(h, rec, {{104, L"1:88:2:298:3"}, {101, L"Oslo:Norge"}}), rec);
    ASSERT_EQ(Write(h, rec, {{150, L"new"}}), rec);
    CEPROPVAL del = {};
    del.propid = Str(103);
    del.wFlags = CEDB_PROPDELETE;
    ASSERT_EQ(CeWriteRecordProps(h, rec, 1, &del), rec);
    ASSERT_NE(CeSeekDatabase(h, CEDB_SEEK_CEOID, rec, nullptr), 0u);
    EXPECT_EQ(Read(h), (Props{{101, L"Oslo:Norge"}, {108, L"100"}, {104, L"1:88:2:298:3"}, {150, L"new"}}));

    // A list of identifiers comes back in the order asked, a missing one flagged.
    ASSERT_NE(CeSeekDatabase(h, CEDB_SEEK_CEOID, rec, nullptr), 0u);
    CEPROPID ids[2] = {Str(103), Str(108)};
    WORD count = 2;
    LPBYTE buffer = nullptr;
    DWORD size = 0;
    ASSERT_EQ(CeReadRecordProps(h, CEDB_ALLOWREALLOC, &count, ids, &buffer, &size), rec);
    ASSERT_EQ(count, 2);
    auto* vals = reinterpret_cast<CEPROPVAL*>(buffer);
    EXPECT_EQ(vals[0].propid, Str(103));
    EXPECT_EQ(vals[0].wFlags, CEDB_PROPNOTFOUND);
    EXPECT_EQ(vals[1].wFlags, 0);
    EXPECT_STREQ(vals[1].val.lpwstr, L"100");
    EXPECT_EQ(vals[1].wLenData, 4 * sizeof(WCHAR));
    EXPECT_EQ(LocalFree(buffer), nullptr);
}

TEST_F(ObjectStoreTest, ReadBuffersAreSizedGrownOrRefused) {
    ASSERT_NE(Create(L"buf", {{1, 0}}), 0u);
    HANDLE h = Open(L"buf");
    CEOID first = Add(h, {{1, L"first"}, {2, L"x"}});
    Add(h, {{1, L"second"}});
    const DWORD need = 2 * sizeof(CEPROPVAL) + (6 + 2) * sizeof(WCHAR);

    WORD count = 0;
    LPBYTE none = nullptr;
    DWORD size = 0;
    EXPECT_EQ(CeReadRecordProps(h, 0, &count, nullptr, &none, &size), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, need);

    std::vector<BYTE> small(need - 1);
    LPBYTE p = small.data();
    size = static_cast<DWORD>(small.size());
    EXPECT_EQ(CeReadRecordProps(h, 0, &count, nullptr, &p, &size), 0u);
    EXPECT_EQ(size, need);

    // The refused reads left the cursor where it was: the caller's own buffer gets "first".
    std::vector<BYTE> room(need + 64);
    p = room.data();
    size = static_cast<DWORD>(room.size());
    EXPECT_EQ(CeReadRecordProps(h, 0, &count, nullptr, &p, &size), first);
    EXPECT_EQ(p, room.data());
    EXPECT_EQ(size, room.size()) << "a large enough buffer keeps its size";
    EXPECT_STREQ(reinterpret_cast<CEPROPVAL*>(p)[0].val.lpwstr, L"first");

    // Growing a LocalAlloc block; the caller frees it with LocalFree.
    LPBYTE grown = static_cast<LPBYTE>(LocalAlloc(LPTR, 4));
    size = 4;
    EXPECT_NE(CeReadRecordProps(h, CEDB_ALLOWREALLOC, &count, nullptr, &grown, &size), 0u);
    EXPECT_EQ(size, sizeof(CEPROPVAL) + 7 * sizeof(WCHAR));
    EXPECT_EQ(LocalSize(grown), size);
    EXPECT_STREQ(reinterpret_cast<CEPROPVAL*>(grown)[0].val.lpwstr, L"second");
    EXPECT_EQ(LocalFree(grown), nullptr);

    // A buffer that is not a LocalAlloc block is never handed to the allocator.
    ASSERT_NE(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr), 0u);
    BYTE stack[8];
    p = stack;
    size = sizeof(stack);
    EXPECT_EQ(CeReadRecordProps(h, CEDB_ALLOWREALLOC, &count, nullptr, &p, &size), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(LocalFree(stack), static_cast<HLOCAL>(stack));
    EXPECT_EQ(LocalFree(nullptr), nullptr);
    EXPECT_EQ(CeReadRecordProps(h, 0, nullptr, nullptr, &p, &size), 0u);
    EXPECT_EQ(
        CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &count, nullptr, &none, &size, reinterpret_cast<HANDLE>(8)),
        0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST_F(ObjectStoreTest, OnlyStringPropertiesAreStored) {
    ASSERT_NE(Create(L"typed", {{1, 0}}), 0u);
    HANDLE h = Open(L"typed");
    CEPROPVAL vals[2] = {};
    vals[0].propid = Str(1);
    vals[0].val.lpwstr = const_cast<LPWSTR>(L"ok");
    vals[1].propid = MAKELONG(CEVT_I4, 2);
    vals[1].val.lVal = 5;
    EXPECT_EQ(CeWriteRecordProps(h, 0, 2, vals), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    vals[1].propid = Str(2);
    vals[1].val.lpwstr = nullptr;
    EXPECT_EQ(CeWriteRecordProps(h, 0, 2, vals), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CeWriteRecordProps(h, 0, 0, vals), 0u);
    CEOID db = 0;
    HANDLE again = CeOpenDatabase(&db, L"typed", 0, 0, nullptr);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Info(db).infDatabase.wNumRecords, 0) << "a refused write writes nothing";
    device::CloseObjectStoreHandle(again);

    SORTORDERSPEC numeric = {static_cast<CEPROPID>(MAKELONG(CEVT_I4, 1)), 0};
    EXPECT_EQ(CeCreateDatabase(L"numeric", 0, 1, &numeric), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST_F(ObjectStoreTest, LastModifiedFollowsWritesAndExplicitSets) {
    device::SetDeviceClock("2026-01-02T03:04:05Z");
    CEOID db = Create(L"stamp", {{1, 0}});
    ASSERT_NE(db, 0u);
    EXPECT_EQ(Modified(db), At("2026-01-02T03:04:05Z"));
    HANDLE h = Open(L"stamp");
    device::SetDeviceClock("2026-02-01T00:00:00Z");
    CEOID rec = Add(h, {{1, L"a"}});
    EXPECT_EQ(Modified(db), At("2026-02-01T00:00:00Z"));

    CEDBASEINFO set = {};
    set.dwFlags = CEDB_VALIDMODTIME;
    ASSERT_TRUE(CeSetDatabaseInfo(db, &set));
    EXPECT_EQ(Modified(db), 0u) << "set to zero, it stays zero until a write";
    EXPECT_EQ(Read(h), (Props{{1, L"a"}}));
    EXPECT_EQ(Modified(db), 0u) << "reads do not touch it";

    device::SetDeviceClock("2026-03-01T12:00:00Z");
    ASSERT_EQ(Write(h, rec, {{1, L"b"}}), rec);
    EXPECT_EQ(Modified(db), At("2026-03-01T12:00:00Z"));

    set.ftLastModified = {0x12345678u, 0x01D00000u};
    ASSERT_TRUE(CeSetDatabaseInfoEx(nullptr, db, &set));
    EXPECT_EQ(Info(db).infDatabase.ftLastModified.dwLowDateTime, 0x12345678u);
    device::SetDeviceClock("2026-04-01T00:00:00Z");
    ASSERT_TRUE(CeDeleteRecord(h, rec));
    EXPECT_EQ(Modified(db), At("2026-04-01T00:00:00Z")) << "a delete is a write";
}

// Inside one transaction the last write decides the time: the last record write's "now", or a
// time set after it.
TEST_F(ObjectStoreTest, LastModifiedOfSeveralWritesInOneTransaction) {
    CEOID db = Create(L"stamped", {{1, 0}});
    ASSERT_NE(db, 0u);
    HANDLE h = Open(L"stamped");
    ASSERT_TRUE(device::DeviceDb::Get()->Write([&](sqlite3*) {
        device::SetDeviceClock("2026-05-01T00:00:00Z");
        Add(h, {{1, L"a"}});
        device::SetDeviceClock("2026-05-02T00:00:00Z");
        Add(h, {{1, L"b"}});
        EXPECT_EQ(Modified(db), At("2026-05-02T00:00:00Z")) << "seen inside it";
        return true;
    }));
    EXPECT_EQ(Modified(db), At("2026-05-02T00:00:00Z"));

    CEDBASEINFO set = {};
    set.dwFlags = CEDB_VALIDMODTIME;
    set.ftLastModified = {0x12345678u, 0x01D00000u};
    ASSERT_TRUE(device::DeviceDb::Get()->Write([&](sqlite3*) {
        Add(h, {{1, L"c"}});
        Add(h, {{1, L"d"}});
        return CeSetDatabaseInfo(db, &set) != FALSE;
    }));
    EXPECT_EQ(Info(db).infDatabase.ftLastModified.dwLowDateTime, 0x12345678u);
    EXPECT_EQ(Info(db).infDatabase.ftLastModified.dwHighDateTime, 0x01D00000u);
    EXPECT_EQ(Info(db).infDatabase.wNumRecords, 4);
}

TEST_F(ObjectStoreTest, SetDatabaseInfoRenamesRetypesAndResorts) {
    CEOID db = Create(L"old", {{1, 0}});
    CEOID other = Create(L"taken", {});
    ASSERT_NE(other, 0u);
    HANDLE h = Open(L"old");
    Add(h, {{1, L"b"}, {2, L"1"}});
    Add(h, {{1, L"a"}, {2, L"2"}});
    CEDBASEINFO set = {};
    set.dwFlags = CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC;
    std::wcscpy(set.szDbaseName, L"Taken");
    set.dwDbaseType = 42;
    set.wNumSortOrder = 1;
    set.rgSortSpecs[0] = {Str(2), 0};
    EXPECT_FALSE(CeSetDatabaseInfo(db, &set));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    std::wcscpy(set.szDbaseName, L"renamed");
    ASSERT_TRUE(CeSetDatabaseInfo(db, &set));
    CEOIDINFO info = Info(db);
    EXPECT_STREQ(info.infDatabase.szDbaseName, L"renamed");
    EXPECT_EQ(info.infDatabase.dwDbaseType, 42u);
    EXPECT_EQ(Open(L"old"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"a", L"b"})) << "an open handle keeps its order";
    HANDLE fresh = Open(L"renamed");
    EXPECT_EQ(Column(fresh, 1), (std::vector<std::wstring>{L"b", L"a"}));
    EXPECT_FALSE(CeSetDatabaseInfo(0xFFFFF, &set));
}

TEST_F(ObjectStoreTest, UnknownHandlesAndObjectsAreErrorsNotCrashes) {
    HANDLE bogus = reinterpret_cast<HANDLE>(0x1234);
    WORD count = 0;
    LPBYTE buffer = nullptr;
    DWORD size = 0;
    EXPECT_EQ(CeSeekDatabase(bogus, CEDB_SEEK_BEGINNING, 0, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(CeReadRecordProps(bogus, CEDB_ALLOWREALLOC, &count, nullptr, &buffer, &size), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(Add(bogus, {{1, L"x"}}), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CeDeleteRecord(bogus, 5));
    EXPECT_FALSE(device::CloseObjectStoreHandle(bogus));
    EXPECT_FALSE(device::CloseObjectStoreHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(CeFindNextDatabase(bogus), 0u);

    CEOIDINFO info;
    EXPECT_FALSE(CeOidGetInfo(0x7777, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(CeOidGetInfo(1, nullptr));
    EXPECT_FALSE(CeDeleteDatabase(0));
    EXPECT_FALSE(CeDeleteDatabase(0x7777));

    CEGUID volume;
    CREATE_INVALIDGUID(&volume);
    EXPECT_EQ(CeOpenDatabaseEx(&volume, nullptr, L"x", 0, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // A record of another database is not this handle's to write or delete.
    ASSERT_NE(Create(L"mine", {}), 0u);
    ASSERT_NE(Create(L"yours", {}), 0u);
    HANDLE mine = Open(L"mine");
    HANDLE yours = Open(L"yours");
    CEOID theirs = Add(yours, {{1, L"t"}});
    EXPECT_EQ(Write(mine, theirs, {{1, L"hijack"}}), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(CeDeleteRecord(mine, theirs));
    EXPECT_EQ(Read(yours), (Props{{1, L"t"}}));

    HANDLE h = Open(L"mine");
    EXPECT_TRUE(device::CloseObjectStoreHandle(h));
    EXPECT_FALSE(device::CloseObjectStoreHandle(h));
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr), 0u);
}

TEST_F(ObjectStoreTest, DeletingADatabaseLikeTheSetupLibraryDoes) {
    CEOID db = Create(L"jrvConverters", {{301, 0}});
    HANDLE reader = Open(L"jrvConverters");
    Add(reader, {{301, L"0"}});
    // Open by name only to learn the id, close at once, delete by id.
    CEOID oid = 0;
    HANDLE h = CeOpenDatabase(&oid, L"jrvConverters", 0, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(oid, db);
    EXPECT_TRUE(device::CloseObjectStoreHandle(h));
    EXPECT_TRUE(CeDeleteDatabase(oid));
    EXPECT_FALSE(CeDeleteDatabase(oid));
    CEOIDINFO info;
    EXPECT_FALSE(CeOidGetInfo(db, &info));
    EXPECT_EQ(CeSeekDatabase(reader, CEDB_SEEK_BEGINNING, 0, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // A missing store: the open fails, the id stays 0 and the delete fails.
    oid = 0;
    EXPECT_EQ(CeOpenDatabase(&oid, L"jrvConverters", 0, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CeDeleteDatabase(oid));
    // The name is free again; ids are never reused.
    CEOID again = Create(L"jrvConverters", {{301, 0}});
    EXPECT_NE(again, 0u);
    EXPECT_NE(again, db);
    EXPECT_TRUE(Column(Open(L"jrvConverters"), 301).empty());
}

TEST_F(ObjectStoreTest, ObjectInformationOpenByIdAndEnumeration) {
    CEOID a = Create(L"a", {{1, 0}}, 5);
    CEOID b = Create(L"b", {}, 6);
    CEOID c = Create(L"c", {}, 5);
    CEOID byId = a;
    HANDLE h = CeOpenDatabase(&byId, nullptr, 0, CEDB_AUTOINCREMENT, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    m_open.push_back(h);
    CEOID rec = Add(h, {{1, L"abc"}});
    Add(h, {{1, L"de"}});
    CEOIDINFO info = Info(rec);
    EXPECT_EQ(info.wObjType, OBJTYPE_RECORD);
    EXPECT_EQ(info.infRecord.oidParent, a);
    info = Info(a);
    EXPECT_EQ(info.infDatabase.wNumRecords, 2);
    EXPECT_EQ(info.infDatabase.dwSize, (4 + 3) * sizeof(WCHAR));
    CEOIDINFOEX ex = {};
    ASSERT_TRUE(CeOidGetInfoEx2(nullptr, a, &ex));
    EXPECT_EQ(ex.infDatabase.dwNumRecords, 2u);
    EXPECT_EQ(ex.infDatabase.rgSortSpecs[0].rgPropID[0], Str(1));

    HANDLE e = CeFindFirstDatabase(5);
    ASSERT_NE(e, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CeFindNextDatabase(e), a);
    ASSERT_TRUE(CeDeleteDatabase(c));
    EXPECT_EQ(CeFindNextDatabase(e), 0u) << "a database deleted meanwhile is passed over";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(device::CloseObjectStoreHandle(e));
    HANDLE all = CeFindFirstDatabaseEx(nullptr, 0);
    EXPECT_EQ(CeFindNextDatabase(all), a);
    EXPECT_EQ(CeFindNextDatabase(all), b);
    EXPECT_EQ(CeFindNextDatabase(all), 0u);
    device::CloseObjectStoreHandle(all);
}

TEST_F(ObjectStoreTest, ExtendedCallsCreateAndOpenBySortOrder) {
    CEDBASEINFOEX info = {};
    info.wVersion = CEDBASEINFOEX_VERSION;
    info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC;
    std::wcscpy(info.szDbaseName, L"jrvWeather");
    info.dwDbaseType = 23456;
    info.wNumSortOrder = 2;
    for (int i = 0; i < 2; ++i) {
        info.rgSortSpecs[i].wVersion = SORTORDERSPECEX_VERSION;
        info.rgSortSpecs[i].wNumProps = 1;
    }
    info.rgSortSpecs[0].rgPropID[0] = Str(201);
    info.rgSortSpecs[1].rgPropID[0] = Str(204);
    info.rgSortSpecs[1].rgdwFlags[0] = CEDB_SORT_CASEINSENSITIVE;
    CEGUID volume;
    CREATE_SYSTEMGUID(&volume);
    CEOID db = CeCreateDatabaseEx2(&volume, &info);
    ASSERT_NE(db, 0u);
    EXPECT_EQ(Info(db).infDatabase.dwDbaseType, 23456u);

    SORTORDERSPECEX wanted = info.rgSortSpecs[1];
    CEOID oid = 0;
    HANDLE h = CeOpenDatabaseEx2(&volume, &oid, L"jrvWeather", &wanted, CEDB_AUTOINCREMENT, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    m_open.push_back(h);
    EXPECT_EQ(oid, db);
    Add(h, {{201, L"a"}, {204, L"Z"}});
    Add(h, {{201, L"b"}, {204, L"y"}});
    EXPECT_EQ(Column(h, 201), (std::vector<std::wstring>{L"b", L"a"})) << "case-blind on 204: y before Z";

    wanted.rgdwFlags[0] = 0; // no such sort order: 204 is case-blind here
    EXPECT_EQ(CeOpenDatabaseEx2(nullptr, &oid, L"jrvWeather", &wanted, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    wanted.wNumProps = 2;
    EXPECT_EQ(CeOpenDatabaseEx2(nullptr, &oid, L"jrvWeather", &wanted, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    info.rgSortSpecs[0].wNumProps = 2;
    std::wcscpy(info.szDbaseName, L"compound");
    EXPECT_EQ(CeCreateDatabaseEx2(nullptr, &info), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST_F(ObjectStoreTest, DatabaseSizeFollowsRewritesAndDeletes) {
    CEOID db = Create(L"size", {{1, 0}});
    HANDLE h = Open(L"size");
    CEOID rec = Add(h, {{1, L"abc"}, {2, L"de"}});
    EXPECT_EQ(Info(db).infDatabase.dwSize, (4 + 3) * sizeof(WCHAR));
    ASSERT_EQ(Write(h, rec, {{1, L"a"}, {3, L"wxyz"}}), rec);
    EXPECT_EQ(Info(db).infDatabase.dwSize, (2 + 3 + 5) * sizeof(WCHAR));
    CEOID other = Add(h, {{1, L"q"}});
    ASSERT_TRUE(CeDeleteRecord(h, rec));
    EXPECT_EQ(Info(db).infDatabase.dwSize, 2 * sizeof(WCHAR));
    EXPECT_EQ(Info(db).infDatabase.wNumRecords, 1);
    EXPECT_FALSE(CeDeleteRecord(h, rec)) << "already gone";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Info(other).infRecord.oidParent, db);
}
