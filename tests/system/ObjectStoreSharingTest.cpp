// Several handles, in one process or several, over the same database.
#include "ObjectStoreTestSupport.h"
#include "platform/system/DeviceDb.h"

#include <sys/wait.h>
#include <unistd.h>

using storetest::Props;
using storetest::Str;
using ObjectStoreSharingTest = storetest::StoreTest;

namespace {

// Runs fn in a child process on the same device root; its result is the child's exit code.
template <typename Fn> int InChild(Fn&& fn) {
    pid_t pid = fork();
    if (pid == 0) _exit(fn());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

CEOID CurrentAt(HANDLE h, DWORD& index) {
    return CeSeekDatabase(h, CEDB_SEEK_CURRENT, 0, &index);
}

} // namespace

TEST_F(ObjectStoreSharingTest, AnInsertThroughAnotherHandleShiftsLaterIndexes) {
    ASSERT_NE(Create(L"jrvCities", {{101, 0}}), 0u);
    HANDLE a = Open(L"jrvCities");
    HANDLE b = Open(L"jrvCities");
    Add(a, {{101, L"Berlin"}});
    CEOID oslo = Add(a, {{101, L"Oslo"}});
    DWORD index = 0;
    ASSERT_EQ(CeSeekDatabase(a, CEDB_SEEK_BEGINNING, 1, &index), oslo);

    CEOID madrid = Add(b, {{101, L"Madrid"}});
    ASSERT_NE(madrid, 0u);
    // a's cursor stays on Oslo, now one place further down.
    EXPECT_EQ(CurrentAt(a, index), oslo);
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(CeSeekDatabase(a, CEDB_SEEK_BEGINNING, 1, &index), madrid);
    EXPECT_EQ(Column(a, 101), (std::vector<std::wstring>{L"Berlin", L"Madrid", L"Oslo"}));
}

TEST_F(ObjectStoreSharingTest, ACursorAfterAReadMeetsRecordsInsertedBehindIt) {
    ASSERT_NE(Create(L"walk", {{1, 0}}), 0u);
    HANDLE a = Open(L"walk");
    HANDLE b = Open(L"walk");
    Add(a, {{1, L"a"}});
    Add(a, {{1, L"c"}});
    ASSERT_NE(CeSeekDatabase(a, CEDB_SEEK_BEGINNING, 0, nullptr), 0u);
    EXPECT_EQ(Read(a), (Props{{1, L"a"}})); // now just after "a"
    Add(b, {{1, L"b"}});
    DWORD index = 0;
    EXPECT_NE(CurrentAt(a, index), 0u);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(Read(a), (Props{{1, L"b"}}));
    EXPECT_EQ(Read(a), (Props{{1, L"c"}}));
}

TEST_F(ObjectStoreSharingTest, DeletingTheRecordUnderACursorMovesItToTheNextOne) {
    ASSERT_NE(Create(L"del", {{1, 0}}), 0u);
    HANDLE a = Open(L"del");
    HANDLE b = Open(L"del");
    Add(a, {{1, L"a"}});
    CEOID bRec = Add(a, {{1, L"b"}});
    CEOID cRec = Add(a, {{1, L"c"}});
    DWORD index = 0;
    ASSERT_EQ(CeSeekDatabase(a, CEDB_SEEK_BEGINNING, 1, &index), bRec);
    ASSERT_TRUE(CeDeleteRecord(b, bRec));
    EXPECT_EQ(CurrentAt(a, index), cRec);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(Read(a), (Props{{1, L"c"}}));

    // Deleting a record before the cursor moves its index down by one.
    ASSERT_EQ(CeSeekDatabase(a, CEDB_SEEK_BEGINNING, 1, &index), cRec);
    ASSERT_NE(CeSeekDatabase(b, CEDB_SEEK_BEGINNING, 0, nullptr), 0u);
    CEOID first = 0;
    Read(b, &first);
    ASSERT_TRUE(CeDeleteRecord(b, first));
    EXPECT_EQ(CurrentAt(a, index), cRec);
    EXPECT_EQ(index, 0u);
    // Deleting the last record under the cursor leaves it at the end.
    ASSERT_TRUE(CeDeleteRecord(b, cRec));
    EXPECT_EQ(CurrentAt(a, index), 0u);
}

TEST_F(ObjectStoreSharingTest, ACursorFollowsItsRecordWhenItsKeyIsRewritten) {
    ASSERT_NE(Create(L"move", {{1, 0}}), 0u);
    HANDLE a = Open(L"move");
    HANDLE b = Open(L"move");
    CEOID x = Add(a, {{1, L"a"}});
    Add(a, {{1, L"m"}});
    DWORD index = 0;
    ASSERT_EQ(CeSeekDatabase(a, CEDB_SEEK_BEGINNING, 0, &index), x);
    ASSERT_EQ(Write(b, x, {{1, L"z"}}), x);
    EXPECT_EQ(CurrentAt(a, index), x);
    EXPECT_EQ(index, 1u);
}

TEST_F(ObjectStoreSharingTest, TwoProcessesSeeEachOthersWrites) {
    CEOID db = Create(L"jrvCurrencies", {{401, CEDB_SORT_CASEINSENSITIVE}});
    ASSERT_NE(db, 0u);
    HANDLE h = Open(L"jrvCurrencies");
    CEOID euro = Add(h, {{401, L"Euro"}, {402, L"EUR"}});
    DWORD index = 0;
    ASSERT_EQ(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, &index), euro);

    // Another process reads what this one wrote and adds a record sorting first.
    int code = InChild([] {
        CEOID oid = 0;
        HANDLE c = CeOpenDatabase(&oid, L"jrvCurrencies", 0, CEDB_AUTOINCREMENT, nullptr);
        if (c == INVALID_HANDLE_VALUE) return 10;
        CEPROPVAL v = {};
        v.propid = Str(401);
        v.val.lpwstr = const_cast<LPWSTR>(L"EURO");
        if (!CeSeekDatabase(c, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&v), nullptr))
            return 11;
        CEPROPVAL add[2] = {};
        add[0].propid = Str(401);
        add[0].val.lpwstr = const_cast<LPWSTR>(L"Dollar");
        add[1].propid = Str(402);
        add[1].val.lpwstr = const_cast<LPWSTR>(L"USD");
        if (!CeWriteRecordProps(c, 0, 2, add)) return 12;
        device::CloseObjectStoreHandle(c);
        return 0;
    });
    ASSERT_EQ(code, 0);
    EXPECT_EQ(CurrentAt(h, index), euro);
    EXPECT_EQ(index, 1u) << "the other process's record came before ours";
    EXPECT_EQ(Column(h, 402), (std::vector<std::wstring>{L"USD", L"EUR"}));
    EXPECT_EQ(Info(db).infDatabase.wNumRecords, 2);

    // And the other way round: this process deletes, the child's handle no longer finds it.
    ASSERT_TRUE(CeDeleteRecord(h, euro));
    code = InChild([] {
        HANDLE c = CeOpenDatabase(nullptr, L"jrvCurrencies", 0, CEDB_AUTOINCREMENT, nullptr);
        if (c == INVALID_HANDLE_VALUE) return 10;
        CEPROPVAL v = {};
        v.propid = Str(401);
        v.val.lpwstr = const_cast<LPWSTR>(L"euro");
        if (CeSeekDatabase(c, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&v), nullptr)) return 13;
        return CeSeekDatabase(c, CEDB_SEEK_END, 0, nullptr) ? 0 : 14;
    });
    EXPECT_EQ(code, 0);
}

TEST_F(ObjectStoreSharingTest, AHandleOpenBeforeAForkSeesTheChildsInsertAtItsNextSeek) {
    ASSERT_NE(Create(L"order", {{1, 0}}), 0u);
    HANDLE h = Open(L"order");
    Add(h, {{1, L"b"}});
    CEOID d = Add(h, {{1, L"d"}});
    DWORD index = 0;
    ASSERT_EQ(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 1, &index), d);
    int code = InChild([h] {
        // The inherited handle works in the child too.
        CEPROPVAL v = {};
        v.propid = Str(1);
        v.val.lpwstr = const_cast<LPWSTR>(L"a");
        return CeWriteRecordProps(h, 0, 1, &v) ? 0 : 1;
    });
    ASSERT_EQ(code, 0);
    EXPECT_EQ(CurrentAt(h, index), d);
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"a", L"b", L"d"}));
}

// Reads answered from this process's cache still see what another process changed since.
TEST_F(ObjectStoreSharingTest, ARecordReadBeforeAnotherProcessRewritesItReadsAnew) {
    ASSERT_NE(Create(L"cached", {{1, 0}}), 0u);
    HANDLE h = Open(L"cached");
    CEOID rec = Add(h, {{1, L"a"}, {2, L"old"}});
    ASSERT_EQ(Column(h, 2), (std::vector<std::wstring>{L"old"}));
    ASSERT_EQ(Column(h, 2), (std::vector<std::wstring>{L"old"})); // now from the cache
    // The child rewrites it inside a read transaction it opened: a write joining a read counts.
    int code = InChild([h, rec] {
        bool ok = device::DeviceDb::Get()->Read([&](sqlite3*) {
            CEPROPVAL v = {};
            v.propid = Str(2);
            v.val.lpwstr = const_cast<LPWSTR>(L"new");
            return CeWriteRecordProps(h, rec, 1, &v) != 0;
        });
        return ok ? 0 : 1;
    });
    ASSERT_EQ(code, 0);
    EXPECT_EQ(Column(h, 2), (std::vector<std::wstring>{L"new"}));
}

// What a rolled-back transaction wrote is not kept by the cache either.
TEST_F(ObjectStoreSharingTest, RecordsOfARolledBackTransactionAreNotSeen) {
    CEOID db = Create(L"undone", {{1, 0}});
    ASSERT_NE(db, 0u);
    HANDLE h = Open(L"undone");
    Add(h, {{1, L"kept"}});
    ASSERT_EQ(Column(h, 1), (std::vector<std::wstring>{L"kept"}));
    bool committed = device::DeviceDb::Get()->Write([&](sqlite3*) {
        EXPECT_NE(Add(h, {{1, L"gone"}}), 0u);
        EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"gone", L"kept"})); // seen inside it
        return false;
    });
    EXPECT_FALSE(committed);
    EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"kept"}));
    EXPECT_EQ(Info(db).infDatabase.wNumRecords, 1);
}

// A write right after a rolled-back transaction, with no read between, takes the version the
// rolled-back write had: what was kept of that write must not come back with it.
TEST_F(ObjectStoreSharingTest, AWriteAfterARolledBackTransactionDoesNotBringItsRecordsBack) {
    CEOID db = Create(L"redone", {{1, 0}});
    ASSERT_NE(db, 0u);
    HANDLE h = Open(L"redone");
    Add(h, {{1, L"kept"}});
    ASSERT_EQ(Column(h, 1), (std::vector<std::wstring>{L"kept"}));
    bool committed = device::DeviceDb::Get()->Write([&](sqlite3*) {
        EXPECT_NE(Add(h, {{1, L"gone"}}), 0u);
        EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"gone", L"kept"}));
        return false;
    });
    EXPECT_FALSE(committed);
    Add(h, {{1, L"later"}});
    EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"kept", L"later"}));
    EXPECT_EQ(Info(db).infDatabase.wNumRecords, 2);
}

// A walk reads the records ahead of it in batches; one rewritten elsewhere after its batch was
// read comes back as it now is.
TEST_F(ObjectStoreSharingTest, ARecordReadAheadInAWalkAndRewrittenElsewhereReadsAnew) {
    ASSERT_NE(Create(L"walked", {{1, 0}}), 0u);
    HANDLE h = Open(L"walked");
    std::vector<CEOID> ids;
    std::vector<std::wstring> expected;
    for (int i = 0; i < 40; ++i) {
        wchar_t key[8];
        swprintf(key, 8, L"k%02d", i);
        ids.push_back(Add(h, {{1, key}, {2, L"old"}}));
        expected.push_back(i == 10 ? L"new" : L"old");
    }
    ASSERT_TRUE(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr));
    std::vector<std::wstring> seen;
    for (int i = 0; i < 40; ++i) {
        Props p = Read(h);
        seen.push_back(p.size() == 2 ? p[1].second : L"<none>");
        if (i == 0) {
            CEOID rec = ids[10];
            ASSERT_EQ(InChild([h, rec] { return Write(h, rec, {{2, L"new"}}) ? 0 : 1; }), 0);
        }
    }
    EXPECT_EQ(seen, expected);
}

// Inside one transaction the store knows the ids it hands out; after a rolled-back one it reads
// them again, so ids it hands out later never meet those another process hands out.
TEST_F(ObjectStoreSharingTest, IdsHandedOutAfterARolledBackTransactionStayUnique) {
    ASSERT_NE(Create(L"counted", {{1, 0}}), 0u);
    HANDLE h = Open(L"counted");
    ASSERT_NE(Add(h, {{1, L"a"}}), 0u);
    EXPECT_FALSE(device::DeviceDb::Get()->Write([&](sqlite3*) {
        EXPECT_NE(Add(h, {{1, L"gone1"}}), 0u);
        EXPECT_NE(Add(h, {{1, L"gone2"}}), 0u);
        return false;
    }));
    std::vector<CEOID> ids;
    EXPECT_TRUE(device::DeviceDb::Get()->Write([&](sqlite3*) {
        ids.push_back(Add(h, {{1, L"b"}}));
        ids.push_back(Add(h, {{1, L"c"}}));
        return true;
    }));
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_NE(ids[0], 0u);
    EXPECT_EQ(ids[1], ids[0] + 1);
    ASSERT_EQ(InChild([h] { return Add(h, {{1, L"d"}}) ? 0 : 1; }), 0);
    EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    CEOID found = SeekValue(h, 1, L"d");
    EXPECT_NE(found, 0u);
    EXPECT_NE(found, ids[0]);
    EXPECT_NE(found, ids[1]);
}

// The version and the next record id a transaction raises many times are written at its commit:
// another process then goes on from them, and this process sees what that one wrote.
TEST_F(ObjectStoreSharingTest, VersionAndIdsRaisedInATransactionAreWhatOthersSeeAfterIt) {
    CEOID db = Create(L"batched", {{1, 0}});
    ASSERT_NE(db, 0u);
    HANDLE h = Open(L"batched");
    ASSERT_NE(Add(h, {{1, L"a"}}), 0u);
    auto version = [db] {
        int64_t v = 0;
        device::DeviceDb::Get()->Read([&](sqlite3* s) {
            device::Statement q(s, "SELECT version FROM ce_database WHERE oid=?");
            if (q.Bind(1, static_cast<int64_t>(db)).Step()) v = q.Int(0);
            return true;
        });
        return v;
    };
    const int64_t before = version();
    std::vector<CEOID> ids;
    ASSERT_TRUE(device::DeviceDb::Get()->Write([&](sqlite3*) {
        for (const wchar_t* key : {L"b", L"c", L"d"}) ids.push_back(Add(h, {{1, key}}));
        return true;
    }));
    EXPECT_EQ(version(), before + 3);
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids[2], ids[0] + 2);
    const CEOID last = ids[2];
    ASSERT_EQ(InChild([h, last] {
                  CEOID e = Add(h, {{1, L"e"}});
                  return e > last ? 0 : 1;
              }),
              0);
    EXPECT_EQ(Column(h, 1), (std::vector<std::wstring>{L"a", L"b", L"c", L"d", L"e"}));
    EXPECT_EQ(Info(db).infDatabase.wNumRecords, 5);
}
