// CRecordDatabase over a real device: creation modes, the traversal and sort-order rules,
// reads that advance the cursor, the iteration pattern, adds with their duplicate test, updates,
// deletes and the last-modified time, and the layout other deliverables read with raw calls.

#include "core/RecordDatabase.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WORD kIds[4] = {11, 12, 13, 0};

class RecordDatabase : public testsupport::FreshDevice {
protected:
    void Make(int mode, WORD sortOrders = 3) {
        CRecordDatabase().Create(L"recs", 4242, sortOrders, kIds, mode);
    }

    static bool Add(CRecordDatabase& db, LPCWSTR a, LPCWSTR b, LPCWSTR c, int key = 0) {
        const CString texts[4] = {a, b, c, L"ignored"};
        return db.AddRecord(kIds, texts, key);
    }

    // Property id at every index, by the iteration pattern every caller uses.
    static std::vector<std::wstring> Iterate(CRecordDatabase& db, WORD id) {
        std::vector<std::wstring> out;
        db.SeekFirst();
        while (!db.IsEOF() && out.size() < 20) {
            DWORD i = db.GetCurrentIndex();
            out.push_back(std::wstring(db.ReadStringAt(i, id)));
        }
        return out;
    }
};

TEST_F(RecordDatabase, CreationModesSetTheCaseRuleOfTheFirstOrderOnly) {
    for (int mode : {0, 1, 2}) {
        CCeDBDatabase::Delete(L"recs");
        Make(mode);
        CRecordDatabase db;
        ASSERT_TRUE(db.Open(L"recs")) << mode;
        EXPECT_EQ(db.GetPropertyCount(), 3);
        EXPECT_TRUE(Add(db, L"Key", L"Val", L"1"));
        EXPECT_EQ(Add(db, L"KEY", L"val", L"2"), mode != 2) << mode;
        db.Close();
        ASSERT_TRUE(db.OpenSorted(L"recs", 12));
        db.SeekFirst();
        EXPECT_FALSE(db.SeekValue(12, L"VAL")) << mode; // other orders stay case-sensitive
        EXPECT_TRUE(db.SeekValue(12, L"Val")) << mode;
    }
    CCeDBDatabase::Delete(L"recs");
    Make(3);
    CRecordDatabase db;
    EXPECT_FALSE(db.Open(L"recs"));
    EXPECT_FALSE(CCeDBDatabase::Exists(L"recs"));
}

TEST_F(RecordDatabase, CreatingAnExistingDatabaseChangesNothing) {
    Make(1);
    CRecordDatabase db;
    ASSERT_TRUE(db.Open(L"recs"));
    ASSERT_TRUE(Add(db, L"a", L"b", L"c"));
    const WORD other[4] = {50, 0, 0, 0};
    db.Create(L"recs", 1, 1, other, 0);
    EXPECT_EQ(db.GetRecordCount(), 1);
    EXPECT_EQ(db.GetPropertyCount(), 3);
    EXPECT_EQ(std::wstring(db.ReadStringAt(0, 12)), L"b");
}

TEST_F(RecordDatabase, EmptyStore) {
    Make(1);
    CRecordDatabase db;
    ASSERT_TRUE(db.Open(L"recs"));
    EXPECT_EQ(db.GetRecordCount(), 0);
    db.SeekFirst();
    EXPECT_TRUE(db.IsEOF());
    EXPECT_TRUE(Iterate(db, 11).empty());
    EXPECT_EQ(std::wstring(db.ReadStringAt(0, 11)), L"");
    EXPECT_FALSE(db.DeleteAt(0));
    EXPECT_FALSE(db.DeleteByValue(11, L"x"));
    EXPECT_FALSE(db.FindByKey(kIds, L"x", 0));
}

TEST_F(RecordDatabase, IterationVisitsEveryIndexOnceInTheOpenOrder) {
    Make(1);
    CRecordDatabase db;
    ASSERT_TRUE(db.Open(L"recs"));
    ASSERT_TRUE(Add(db, L"b", L"3", L"x"));
    ASSERT_TRUE(Add(db, L"c", L"1", L"y"));
    ASSERT_TRUE(Add(db, L"a", L"2", L"z"));
    EXPECT_EQ(Iterate(db, 11), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    db.Close();
    ASSERT_TRUE(db.OpenSorted(L"recs", 12));
    EXPECT_EQ(Iterate(db, 11), (std::vector<std::wstring>{L"c", L"a", L"b"}));
    EXPECT_EQ(std::wstring(db.ReadStringAt(1, 13)), L"z");
}

TEST_F(RecordDatabase, ReadingTheLastRecordSetsTheEndFlag) {
    Make(1);
    CRecordDatabase db;
    ASSERT_TRUE(db.Open(L"recs"));
    ASSERT_TRUE(Add(db, L"only", L"1", L"2"));
    EXPECT_EQ(std::wstring(db.ReadStringAt(0, 11)), L"only");
    EXPECT_TRUE(db.IsEOF());
    ASSERT_TRUE(Add(db, L"zz", L"1", L"2"));
    EXPECT_EQ(std::wstring(db.ReadStringAt(0, 11)), L"only");
    EXPECT_FALSE(db.IsEOF());
    EXPECT_EQ(db.GetCurrentIndex(), 1u);
    EXPECT_EQ(std::wstring(db.ReadStringAt(1, 11)), L"zz");
    EXPECT_TRUE(db.IsEOF());
    // No record, or no such property: "".
    EXPECT_EQ(std::wstring(db.ReadStringAt(2, 11)), L"");
    EXPECT_EQ(std::wstring(db.ReadStringAt(0, 99)), L"");
}

TEST_F(RecordDatabase, AddRecordWritesThePropertyCountInArrayOrder) {
    Make(1);
    CRecordDatabase db;
    ASSERT_TRUE(db.Open(L"recs"));
    ASSERT_TRUE(Add(db, L"k", L"v", L"w"));
    // Read back raw, as the Today plug-in does: three properties, by position.
    CCeDBDatabase raw;
    ASSERT_TRUE(raw.Open(L"recs"));
    ASSERT_TRUE(raw.SeekFirst());
    CCeDBRecord rec;
    ASSERT_TRUE(raw.ReadCurrRecord(rec));
    ASSERT_EQ(rec.GetNumProps(), 3);
    EXPECT_EQ(rec.GetPropFromIndex(0)->GetID(), 11);
    EXPECT_STREQ(rec.GetPropFromIndex(1)->GetString(), L"v");
    EXPECT_EQ(rec.GetPropFromIndex(2)->GetID(), 13);
    // A key position past the record's properties is refused.
    EXPECT_FALSE(Add(db, L"n", L"v", L"w", 3));
    EXPECT_EQ(db.GetRecordCount(), 1);
}

TEST_F(RecordDatabase, AddRecordLeavesTheCursorOnTheNewRecord) {
    Make(1);
    CRecordDatabase db;
    ASSERT_TRUE(db.Open(L"recs"));
    ASSERT_TRUE(Add(db, L"m", L"1", L"1"));
    ASSERT_TRUE(Add(db, L"t", L"1", L"1"));
    ASSERT_TRUE(Add(db, L"p", L"1", L"1"));
    EXPECT_EQ(db.GetCurrentIndex(), 1u);
    ASSERT_TRUE(Add(db, L"a", L"1", L"1"));
    EXPECT_EQ(db.GetCurrentIndex(), 0u);
    EXPECT_EQ(std::wstring(db.ReadStringAt(3, 11)), L"t"); // moved up by one
    EXPECT_FALSE(Add(db, L"p", L"2", L"2"));
    EXPECT_EQ(db.GetRecordCount(), 4);
}

TEST_F(RecordDatabase, DuplicateTestOnlyWorksWhenSortedOnTheKey) {
    Make(0);
    CRecordDatabase db;
    ASSERT_TRUE(db.OpenSorted(L"recs", 11));
    ASSERT_TRUE(Add(db, L"cat", L"same", L"1", 1));
    EXPECT_TRUE(Add(db, L"cat", L"same", L"2", 1));
    EXPECT_EQ(db.GetRecordCount(), 2);
    // The cursor ends on the first record of the new record's first property.
    EXPECT_EQ(db.GetCurrentIndex(), 0u);
    EXPECT_FALSE(db.SeekValue(12, L"same"));
}

TEST_F(RecordDatabase, UpdateAtWritesFromTheKeyOrAfterIt) {
    Make(1);
    CRecordDatabase db;
    ASSERT_TRUE(db.Open(L"recs"));
    ASSERT_TRUE(Add(db, L"b", L"1", L"1"));
    ASSERT_TRUE(Add(db, L"c", L"2", L"2"));
    const CString texts[4] = {L"a", L"new", L"vals", L""};
    db.UpdateAt(1, kIds, texts, FALSE);
    EXPECT_EQ(Iterate(db, 11), (std::vector<std::wstring>{L"b", L"c"}));
    EXPECT_EQ(std::wstring(db.ReadStringAt(1, 12)), L"new");
    db.UpdateAt(1, kIds, texts, TRUE); // the key changes: the record moves to index 0
    EXPECT_EQ(Iterate(db, 11), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(std::wstring(db.ReadStringAt(0, 13)), L"vals");
    db.UpdateAt(5, kIds, texts, TRUE);
    EXPECT_EQ(db.GetRecordCount(), 2);
    // Properties keep their places in the record.
    CCeDBDatabase raw;
    ASSERT_TRUE(raw.Open(L"recs"));
    raw.SeekFirst();
    CCeDBRecord rec;
    ASSERT_TRUE(raw.ReadCurrRecord(rec));
    ASSERT_EQ(rec.GetNumProps(), 3);
    EXPECT_STREQ(rec.GetPropFromIndex(0)->GetString(), L"a");
    EXPECT_STREQ(rec.GetPropFromIndex(2)->GetString(), L"vals");
}

TEST_F(RecordDatabase, DeletesShiftLaterIndexes) {
    Make(1);
    CRecordDatabase db;
    ASSERT_TRUE(db.Open(L"recs"));
    for (LPCWSTR k : {L"a", L"b", L"c", L"d"})
        ASSERT_TRUE(Add(db, k, L"1", L"1"));
    EXPECT_TRUE(db.DeleteAt(1));
    EXPECT_EQ(Iterate(db, 11), (std::vector<std::wstring>{L"a", L"c", L"d"}));
    EXPECT_TRUE(db.DeleteByValue(11, L"d"));
    EXPECT_FALSE(db.DeleteByValue(11, L"d"));
    EXPECT_FALSE(db.DeleteByValue(12, L"1")); // not the sort property
    EXPECT_FALSE(db.DeleteAt(2));
    EXPECT_EQ(Iterate(db, 11), (std::vector<std::wstring>{L"a", L"c"}));
}

TEST_F(RecordDatabase, FindByKeySeeksFromTheStartOnTheKeyPosition) {
    Make(1);
    CRecordDatabase db;
    ASSERT_TRUE(db.Open(L"recs"));
    for (LPCWSTR k : {L"a", L"b", L"c"})
        ASSERT_TRUE(Add(db, k, L"1", L"1"));
    db.ReadStringAt(2, 11); // cursor past the end
    EXPECT_TRUE(db.FindByKey(kIds, L"b", 0));
    EXPECT_EQ(db.GetCurrentIndex(), 1u);
    EXPECT_FALSE(db.FindByKey(kIds, L"B", 0));
    EXPECT_FALSE(db.FindByKey(kIds, L"1", 1));
}

TEST_F(RecordDatabase, LastModifiedTime) {
    Make(1);
    CRecordDatabase db;
    ASSERT_TRUE(db.Open(L"recs"));
    db.SetLastModified(FILETIME{});
    FILETIME t = db.GetLastModified();
    EXPECT_EQ(t.dwHighDateTime | t.dwLowDateTime, 0u);
    ASSERT_TRUE(Add(db, L"a", L"1", L"1"));
    EXPECT_NE(db.GetLastModified().dwHighDateTime, 0u);
    FILETIME set{1234, 5678};
    db.SetLastModified(set);
    EXPECT_EQ(db.GetLastModified().dwLowDateTime, 1234u);
    EXPECT_EQ(db.GetLastModified().dwHighDateTime, 5678u);
}

TEST_F(RecordDatabase, SeesOtherObjectsWritesAndSurvivesDeletion) {
    Make(1);
    CRecordDatabase mine, theirs;
    ASSERT_TRUE(mine.Open(L"recs"));
    ASSERT_TRUE(theirs.Open(L"recs"));
    ASSERT_TRUE(Add(theirs, L"b", L"1", L"1"));
    EXPECT_EQ(std::wstring(mine.ReadStringAt(0, 11)), L"b");
    ASSERT_TRUE(Add(theirs, L"a", L"1", L"1"));
    EXPECT_EQ(std::wstring(mine.ReadStringAt(0, 11)), L"a");
    ASSERT_TRUE(CCeDBDatabase::Delete(L"recs"));
    EXPECT_EQ(std::wstring(mine.ReadStringAt(0, 11)), L"");
    EXPECT_EQ(mine.GetRecordCount(), 0);
    EXPECT_FALSE(Add(mine, L"c", L"1", L"1"));
    mine.SeekFirst();
    EXPECT_TRUE(mine.IsEOF());
}

} // namespace
