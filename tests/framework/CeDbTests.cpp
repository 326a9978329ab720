// The framework's database classes over a real device root: creating and opening in a sort
// order, seeking, the end flag with and without auto-advance, reading, writing and deleting the
// record under the cursor, database information and the last-modified time.

#include "platform/framework/CeDb.h"
#include "platform/system/Registry.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CEPROPID Str(WORD id) {
    return MAKELONG(CEVT_LPWSTR, id);
}

class CeDb : public testsupport::FreshDevice {
protected:
    // "items": sorted on 1 (case-insensitive) and 2; records (1, 2) = (B, x), (a, z), (C, y).
    void MakeItems() {
        SORTORDERSPEC sorts[2] = {{Str(1), CEDB_SORT_CASEINSENSITIVE}, {Str(2), 0}};
        CCeDBDatabase db;
        ASSERT_TRUE(db.Create(L"items", 77, 2, sorts));
        ASSERT_TRUE(db.Open(L"items"));
        for (auto [k, v] : {std::pair{L"B", L"x"}, {L"a", L"z"}, {L"C", L"y"}}) {
            CCeDBRecord rec;
            rec.AddProp(CCeDBProp(k, 1));
            rec.AddProp(CCeDBProp(v, 2));
            ASSERT_TRUE(db.AddRecord(rec));
        }
    }

    // Property 1 of every record, reading from the first with auto-advance.
    static std::vector<std::wstring> Walk(CCeDBDatabase& db, WORD id = 1) {
        std::vector<std::wstring> out;
        db.m_bAutoSeekNext = TRUE;
        CCeDBRecord rec;
        for (db.SeekFirst(); !db.IsEOF() && out.size() < 10;) {
            if (!db.ReadCurrRecord(rec)) break;
            const CCeDBProp* p = rec.GetPropFromIdent(id);
            out.push_back(p ? p->GetString() : L"?");
        }
        return out;
    }
};

TEST_F(CeDb, CreateRefusesATakenNameAndTellsTheInformation) {
    MakeItems();
    SORTORDERSPEC one = {Str(9), 0};
    CCeDBDatabase again;
    EXPECT_FALSE(again.Create(L"items", 1, 1, &one));
    CCeDBDatabase db;
    ASSERT_TRUE(db.Open(L"items"));
    EXPECT_EQ(db.GetRecordCount(), 3u);
    EXPECT_EQ(db.GetNumSortOrders(), 2);
    EXPECT_EQ(db.GetDatabaseType(), 77u);
    EXPECT_EQ(std::wstring(db.GetName()), L"items");
    EXPECT_FALSE(db.Open(L"missing"));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.GetRecordCount(), 0u);
}

TEST_F(CeDb, TraversesInTheFirstOrChosenSortOrder) {
    MakeItems();
    CCeDBDatabase db;
    ASSERT_TRUE(db.Open(L"items"));
    EXPECT_EQ(Walk(db), (std::vector<std::wstring>{L"a", L"B", L"C"}));
    CCeDBProp sort(L"", 2);
    ASSERT_TRUE(db.Open(L"items", &sort));
    EXPECT_EQ(Walk(db), (std::vector<std::wstring>{L"B", L"C", L"a"}));
    CCeDBProp unsorted(L"", 5);
    EXPECT_FALSE(db.Open(L"items", &unsorted));
}

TEST_F(CeDb, AutoAdvanceSetsTheEndFlagAfterTheLastRecord) {
    MakeItems();
    CCeDBDatabase db;
    ASSERT_TRUE(db.Open(L"items"));
    CCeDBRecord rec;
    // Without auto-advance the cursor stays on the record read.
    ASSERT_TRUE(db.SeekToIndex(2));
    ASSERT_TRUE(db.ReadCurrRecord(rec));
    EXPECT_FALSE(db.IsEOF());
    EXPECT_EQ(db.GetCurrIndex(), 2u);
    db.m_bAutoSeekNext = TRUE;
    ASSERT_TRUE(db.SeekToIndex(1));
    ASSERT_TRUE(db.ReadCurrRecord(rec));
    EXPECT_FALSE(db.IsEOF());
    EXPECT_EQ(db.GetCurrIndex(), 2u);
    ASSERT_TRUE(db.ReadCurrRecord(rec));
    EXPECT_STREQ(rec.GetPropFromIdent(1)->GetString(), L"C");
    EXPECT_TRUE(db.IsEOF());
    EXPECT_FALSE(db.ReadCurrRecord(rec));
    EXPECT_EQ(rec.GetNumProps(), 0);
    EXPECT_FALSE(db.SeekToIndex(3));
    EXPECT_TRUE(db.IsEOF());
    EXPECT_TRUE(db.SeekFirst());
    EXPECT_FALSE(db.IsEOF());
}

TEST_F(CeDb, ValueSeekOnlyOnTheSortPropertyUnderItsCaseRule) {
    MakeItems();
    CCeDBDatabase db;
    ASSERT_TRUE(db.Open(L"items"));
    EXPECT_TRUE(db.SeekValueFirstEqual(CCeDBProp(L"c", 1)));
    EXPECT_EQ(db.GetCurrIndex(), 2u);
    EXPECT_FALSE(db.SeekValueFirstEqual(CCeDBProp(L"y", 2)));
    EXPECT_TRUE(db.IsEOF());
    CCeDBProp sort(L"", 2);
    ASSERT_TRUE(db.Open(L"items", &sort));
    EXPECT_FALSE(db.SeekValueFirstEqual(CCeDBProp(L"Y", 2))); // this order is case-sensitive
    EXPECT_TRUE(db.SeekValueFirstEqual(CCeDBProp(L"y", 2)));
    EXPECT_EQ(db.GetCurrIndex(), 1u);
}

TEST_F(CeDb, RecordsKeepThePropertyOrderTheyWereWrittenIn) {
    SORTORDERSPEC sorts[2] = {{Str(20), 0}, {Str(10), 0}};
    CCeDBDatabase db;
    ASSERT_TRUE(db.Create(L"order", 0, 2, sorts));
    ASSERT_TRUE(db.Open(L"order"));
    CCeDBRecord rec;
    rec.AddProp(CCeDBProp(L"ten", 10));
    rec.AddProp(CCeDBProp(L"twenty", 20));
    ASSERT_TRUE(db.AddRecord(rec));
    // Rewriting one property keeps its place; a new one goes to the end.
    ASSERT_TRUE(db.SeekFirst());
    CCeDBRecord change;
    change.AddProp(CCeDBProp(L"TEN", 10));
    change.AddProp(CCeDBProp(L"thirty", 30));
    ASSERT_TRUE(db.WriteCurrRecord(change));
    ASSERT_TRUE(db.SeekFirst());
    CCeDBRecord back;
    ASSERT_TRUE(db.ReadCurrRecord(back));
    ASSERT_EQ(back.GetNumProps(), 3);
    EXPECT_EQ(back.GetPropFromIndex(0)->GetID(), 10);
    EXPECT_STREQ(back.GetPropFromIndex(0)->GetString(), L"TEN");
    EXPECT_EQ(back.GetPropFromIndex(1)->GetID(), 20);
    EXPECT_EQ(back.GetPropFromIndex(2)->GetID(), 30);
    EXPECT_EQ(back.GetPropFromIndex(3), nullptr);
    EXPECT_EQ(back.GetPropFromIdent(99), nullptr);
}

// Reading chosen properties: in the order asked, one the record lacks marked not found, and the
// cursor moving on as a whole read moves it.
TEST_F(CeDb, ReadingChosenPropertiesKeepsTheirOrderAndAdvances) {
    MakeItems();
    CCeDBDatabase db;
    ASSERT_TRUE(db.Open(L"items"));
    db.m_bAutoSeekNext = TRUE;
    ASSERT_TRUE(db.SeekFirst());
    const WORD ids[3] = {2, 9, 1};
    CCeDBRecord rec;
    ASSERT_TRUE(db.ReadCurrProps(rec, ids, 3));
    ASSERT_EQ(rec.GetNumProps(), 3);
    EXPECT_STREQ(rec.GetPropFromIndex(0)->GetString(), L"z");
    EXPECT_FALSE(rec.GetPropFromIndex(1)->IsFound());
    EXPECT_EQ(rec.GetPropFromIdent(9), nullptr);
    EXPECT_STREQ(rec.GetPropFromIndex(2)->GetString(), L"a");
    EXPECT_EQ(db.GetCurrIndex(), 1u);
    ASSERT_TRUE(db.ReadCurrProps(rec, ids + 2, 1));
    EXPECT_STREQ(rec.GetPropFromIdent(1)->GetString(), L"B");
    ASSERT_TRUE(db.ReadCurrProps(rec, ids + 2, 1));
    EXPECT_STREQ(rec.GetPropFromIdent(1)->GetString(), L"C");
    EXPECT_TRUE(db.IsEOF());
    EXPECT_FALSE(db.ReadCurrProps(rec, ids, 0));
}

TEST_F(CeDb, WritesGoToTheRecordReadEvenAfterTheCursorMovedOn) {
    MakeItems();
    CCeDBDatabase db;
    ASSERT_TRUE(db.Open(L"items"));
    db.m_bAutoSeekNext = TRUE;
    CCeDBRecord rec;
    ASSERT_TRUE(db.SeekToIndex(0));
    ASSERT_TRUE(db.ReadCurrRecord(rec)); // "a"; the cursor is now on "B"
    CCeDBRecord change;
    change.AddProp(CCeDBProp(L"w", 2));
    ASSERT_TRUE(db.WriteCurrRecord(change));
    CCeDBProp sort(L"", 2);
    CCeDBDatabase bySecond;
    ASSERT_TRUE(bySecond.Open(L"items", &sort));
    EXPECT_EQ(Walk(bySecond), (std::vector<std::wstring>{L"a", L"B", L"C"})); // w < x < y
}

TEST_F(CeDb, DeleteCurrentRecordAndDatabase) {
    MakeItems();
    CCeDBDatabase db;
    ASSERT_TRUE(db.Open(L"items"));
    EXPECT_FALSE(db.DeleteCurrRecord()); // nothing sought yet
    ASSERT_TRUE(db.SeekToIndex(1));
    EXPECT_TRUE(db.DeleteCurrRecord());
    EXPECT_FALSE(db.DeleteCurrRecord());
    EXPECT_EQ(Walk(db), (std::vector<std::wstring>{L"a", L"C"}));

    // Another object deleting the database leaves this one failing, not crashing.
    EXPECT_TRUE(CCeDBDatabase::Delete(L"items"));
    EXPECT_FALSE(CCeDBDatabase::Exists(L"items"));
    EXPECT_FALSE(db.SeekFirst());
    EXPECT_TRUE(db.IsEOF());
    CCeDBRecord rec;
    EXPECT_FALSE(db.ReadCurrRecord(rec));
    EXPECT_EQ(db.GetRecordCount(), 0u);
    EXPECT_FALSE(CCeDBDatabase::Delete(L"items"));
}

TEST_F(CeDb, LastModifiedCanBeSetAndMovesWithTheNextWrite) {
    MakeItems();
    CCeDBDatabase db;
    ASSERT_TRUE(db.Open(L"items"));
    ASSERT_TRUE(db.SetLastModified(FILETIME{}));
    FILETIME ft{1, 1};
    ASSERT_TRUE(db.GetLastModified(ft));
    EXPECT_EQ(ft.dwLowDateTime, 0u);
    EXPECT_EQ(ft.dwHighDateTime, 0u);
    CCeDBRecord rec;
    rec.AddProp(CCeDBProp(L"D", 1));
    ASSERT_TRUE(db.AddRecord(rec));
    ASSERT_TRUE(db.GetLastModified(ft));
    EXPECT_NE(ft.dwHighDateTime, 0u);
}

TEST_F(CeDb, CurrentIndexFollowsWritesThroughOtherObjects) {
    MakeItems();
    CCeDBDatabase db, other;
    ASSERT_TRUE(db.Open(L"items"));
    ASSERT_TRUE(other.Open(L"items"));
    ASSERT_TRUE(db.SeekToIndex(1)); // "B"
    EXPECT_EQ(db.GetCurrIndex(), 1u);
    CCeDBRecord rec;
    rec.AddProp(CCeDBProp(L"0", 1));
    ASSERT_TRUE(other.AddRecord(rec));
    EXPECT_EQ(db.GetCurrIndex(), 2u); // still on "B", now after "0" and "a"
    ASSERT_TRUE(other.SeekFirst());
    ASSERT_TRUE(other.DeleteCurrRecord());
    ASSERT_TRUE(other.SeekFirst());
    ASSERT_TRUE(other.DeleteCurrRecord());
    EXPECT_EQ(db.GetCurrIndex(), 0u);
}

TEST_F(CeDb, OneTransactionKeepsEveryWriteAndNests) {
    MakeItems();
    CCeDBDatabase db;
    ASSERT_TRUE(db.Open(L"items"));
    DWORD countInside = 0;
    EXPECT_TRUE(CCeDBDatabase::InOneTransaction(TRUE, [&] {
        for (LPCWSTR k : {L"D", L"E"}) {
            CCeDBRecord rec;
            rec.AddProp(CCeDBProp(k, 1));
            db.AddRecord(rec);
        }
        CCeDBDatabase::InOneTransaction(FALSE, [&] { countInside = db.GetRecordCount(); });
    }));
    EXPECT_EQ(countInside, 5u);
    CCeDBDatabase fresh;
    ASSERT_TRUE(fresh.Open(L"items"));
    EXPECT_EQ(Walk(fresh), (std::vector<std::wstring>{L"a", L"B", L"C", L"D", L"E"}));
}

// A record and a registry value written together: both land, or a false return (from the
// outermost scope or one joined to it) leaves neither, and reads after it see what was before.
TEST_F(CeDb, AllOrNothingGroupsRecordAndRegistryWrites) {
    MakeItems();
    CCeDBDatabase db;
    ASSERT_TRUE(db.Open(L"items"));
    auto setValue = [](DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Test", 0, nullptr, 0, 0, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegSetValueExW(key, L"v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    };
    auto value = [] {
        HKEY key = nullptr;
        DWORD v = 0, size = sizeof v;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Test", 0, 0, &key) != ERROR_SUCCESS) return DWORD(0);
        RegQueryValueExW(key, L"v", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
        RegCloseKey(key);
        return v;
    };
    auto addAndSet = [&](LPCWSTR k, DWORD v) {
        CCeDBRecord rec;
        rec.AddProp(CCeDBProp(k, 1));
        db.AddRecord(rec);
        setValue(v);
    };
    setValue(1);
    DWORD inside = 0;
    EXPECT_FALSE(CCeDBDatabase::AllOrNothing([&] {
        addAndSet(L"D", 2);
        inside = value();
        return false;
    }));
    EXPECT_EQ(inside, 2u);
    EXPECT_EQ(value(), 1u);
    EXPECT_FALSE(CCeDBDatabase::InOneTransaction(TRUE, [&] {
        CCeDBDatabase::AllOrNothing([&] {
            addAndSet(L"E", 3);
            return false;
        });
    }));
    EXPECT_EQ(value(), 1u);
    EXPECT_EQ(Walk(db), (std::vector<std::wstring>{L"a", L"B", L"C"}));
    EXPECT_TRUE(CCeDBDatabase::AllOrNothing([&] {
        addAndSet(L"F", 4);
        return true;
    }));
    EXPECT_EQ(value(), 4u);
    EXPECT_EQ(Walk(db), (std::vector<std::wstring>{L"a", L"B", L"C", L"F"}));
}

} // namespace
