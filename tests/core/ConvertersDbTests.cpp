// The converter-unit store and its built-in table: rows per category, a sample of names and
// factors as stored, the insertion order within a category, and the unit editor's operations.

#include "CoreTestSupport.h"

#include "core/BuiltInUnitTable.h"
#include "core/ConvertersDb.h"
#include "core/CoreMessages.h"
#include "core/RegistryKey.h"
#include "platform/ui/MessageBox.h"
#include "support/FileSizeLimit.h"

#include <cwchar>
#include <map>

namespace {

using coretest::CoreTest;

struct Unit {
    std::wstring category, name, factor;
};

class ConvertersDb : public CoreTest {
protected:
    static std::vector<Unit> All(CConvertersDb& db) {
        std::vector<Unit> out;
        db.SeekFirst();
        while (!db.IsEOF() && out.size() < 1000) {
            DWORD i = db.GetCurrentIndex();
            out.push_back({std::wstring(db.GetCategory(i)), std::wstring(db.GetUnitName(i)),
                           std::wstring(db.GetFactor(i))});
        }
        return out;
    }
    static std::vector<Unit> Named(const std::vector<Unit>& units, const std::wstring& name) {
        std::vector<Unit> out;
        for (const Unit& u : units)
            if (u.name == name) out.push_back(u);
        return out;
    }
};

TEST(BuiltInUnits, RowsPerCategoryAndFactorsReadAsNumbers) {
    std::map<std::wstring, int> rows;
    for (const BuiltInUnit& u : BuiltInUnitTable) {
        ++rows[u.category];
        if (std::wstring(u.category) == L"4") {
            EXPECT_STREQ(u.factor, L"-") << u.name;
            continue;
        }
        wchar_t* end = nullptr;
        double f = std::wcstod(u.factor, &end);
        EXPECT_EQ(*end, L'\0') << u.name;
        EXPECT_GT(f, 0.0) << u.name;
    }
    EXPECT_EQ(rows,
              (std::map<std::wstring, int>{
                  {L"0", 112}, {L"1", 16}, {L"2", 100}, {L"3", 13}, {L"4", 5}, {L"5", 81}, {L"6", 23}}));
    // Each category's rows follow each other.
    for (int i = 1; i < kBuiltInUnitCount; ++i)
        EXPECT_GE(std::wcscmp(BuiltInUnitTable[i].category, BuiltInUnitTable[i - 1].category), 0);
}

TEST(BuiltInUnits, CategoryNamesComeFromTheStringTable) {
    EXPECT_EQ(std::wstring(LoadCoreString(kUnitCategoryFirstString + 0)), L"Areas and Surfaces");
    EXPECT_EQ(std::wstring(LoadCoreString(kUnitCategoryFirstString + 6)), L"Weights and Mass");
}

TEST_F(ConvertersDb, FirstOpenStoresAllRowsAsWritten) {
    CConvertersDb db;
    db.Open();
    std::vector<Unit> units = All(db);
    ASSERT_EQ(units.size(), 350u);
    // Traversed by category.
    for (size_t i = 1; i < units.size(); ++i)
        EXPECT_LE(units[i - 1].category, units[i].category);

    auto yard = Named(units, L"Yard");
    ASSERT_EQ(yard.size(), 2u);
    EXPECT_EQ(yard[0].category, L"1");
    EXPECT_EQ(yard[0].factor, L"0.9144");
    EXPECT_EQ(yard[1].category, L"5");
    EXPECT_EQ(yard[1].factor, L"0.76455486121558441558441558441558");
    EXPECT_EQ(Named(units, L"Dram").size(), 2u);
    // Names and factors are kept exactly, spaces included.
    EXPECT_EQ(Named(units, L"acre ").at(0).factor, L"4046.8564224");
    EXPECT_EQ(Named(units, L"square league [nautical]").at(0).factor, L" 30869136");
    EXPECT_EQ(Named(units, L"zettapascal").at(0).factor, L"1.0e+21");
    EXPECT_EQ(Named(units, L"kph - kilometer/hour").at(0).factor, L"0.27777777777777777777777777777778");
    EXPECT_EQ(Named(units, L"\u00B5m\u00B2 - square micrometer").at(0).factor, L"0.000000000001");
    EXPECT_EQ(Named(units, L"K - Kelvin").at(0).factor, L"-");
    // Plainly wrong factors are stored corrected.
    EXPECT_EQ(Named(units, L"Pipe [UK]").at(0).factor, L"0.47733945");
    EXPECT_EQ(Named(units, L"board foot").at(0).factor, L"0.002359737216");
    EXPECT_EQ(Named(units, L"Quart [US, dry]").at(0).factor, L"0.00110122095");

    // The record layout: 301, 302, 303.
    CCeDBDatabase raw;
    ASSERT_TRUE(raw.Open(kConvertersDbName));
    EXPECT_EQ(raw.GetDatabaseType(), kConvertersDbType);
    raw.SeekFirst();
    CCeDBRecord rec;
    ASSERT_TRUE(raw.ReadCurrRecord(rec));
    ASSERT_EQ(rec.GetNumProps(), 3);
    EXPECT_EQ(rec.GetPropFromIndex(0)->GetID(), kUnitPropCategory);
    EXPECT_EQ(rec.GetPropFromIndex(2)->GetID(), kUnitPropFactor);
}

TEST_F(ConvertersDb, LastRowOfACategoryGoesInFirst) {
    CConvertersDb db;
    db.Open();
    std::vector<Unit> units = All(db);
    // Records with equal category keys keep the order they were added in.
    auto first = [&](const std::wstring& category) {
        for (const Unit& u : units)
            if (u.category == category) return u.name;
        return std::wstring();
    };
    EXPECT_EQ(first(L"0"), L"virgate");
    EXPECT_EQ(first(L"1"), L"Yard");
    EXPECT_EQ(first(L"4"), L"K - Kelvin");
    EXPECT_EQ(first(L"6"), L"Tonne");
    EXPECT_EQ(units[1].name, L"acre ");
    EXPECT_EQ(units[112].name, L"Yard");
    EXPECT_EQ(units[113].name, L"Cable (in)");
}

TEST_F(ConvertersDb, EditorOperations) {
    CConvertersDb db;
    db.Open();
    EXPECT_TRUE(db.AddUnit(L"1", L"Feet", L"0.3048"));
    EXPECT_TRUE(db.InsertUnit(L"1", L"Feet", L"0.3"));
    EXPECT_EQ(db.GetCurrentIndex(), 112u); // the first unit of category "1"
    std::vector<Unit> units = All(db);
    EXPECT_EQ(units.size(), 352u);
    EXPECT_EQ(Named(units, L"Feet").size(), 3u);

    // Update keeps the category whatever key is passed.
    db.UpdateUnit(112, L"6", L"Rope", L"7.5");
    EXPECT_EQ(std::wstring(db.GetCategory(112)), L"1");
    EXPECT_EQ(std::wstring(db.GetUnitName(112)), L"Rope");
    EXPECT_EQ(std::wstring(db.GetFactor(112)), L"7.5");
    db.UpdateUnit(5000, L"1", L"None", L"1");
    EXPECT_FALSE(db.DeleteAt(5000));
    EXPECT_EQ(std::wstring(db.GetUnitName(5000)), L"");
    EXPECT_TRUE(Named(All(db), L"None").empty());
}

// The units served from memory on a device that cannot store them are the stored ones, in the
// same order; a change first stores them, and is refused while it cannot.
TEST_F(ConvertersDb, ADeviceWithNoRoomServesTheBuiltInUnitsInTheStoresOrder) {
    auto rows = [](CConvertersDb& db) {
        std::vector<std::wstring> out;
        for (const Unit& u : All(db)) out.push_back(u.category + L"|" + u.name + L"|" + u.factor);
        return out;
    };
    CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", L"CurTab", 0);
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    CConvertersDb memory;
    std::vector<std::wstring> served;
    {
        testsupport::FileSizeLimit full(testsupport::RoomLeft(Root(), 0));
        memory.Open();
        ASSERT_TRUE(memory.ServedFromMemory());
        served = rows(memory);
        EXPECT_FALSE(memory.AddUnit(L"1", L"Verst", L"1066.8"));
    }
    EXPECT_EQ(device::ui::MessageBoxRecords().size(), 2u) << "not stored, then the refusal";
    CConvertersDb stored;
    stored.Open();
    EXPECT_FALSE(stored.ServedFromMemory());
    EXPECT_EQ(rows(stored), served);
    EXPECT_TRUE(memory.AddUnit(L"1", L"Verst", L"1066.8")) << "the store is there now";
    EXPECT_EQ(All(stored).size(), 351u);
}

// A store an older program filled holds the statute mile as 1609 m: the first opening corrects
// that row only while it is as the old program stored it, and never again afterwards.
TEST_F(ConvertersDb, TheOldStatuteMileIsCorrectedOnceAndUserEditsStay) {
    auto mile = [](CConvertersDb& db) { return Named(All(db), L"Statue Mile (Mile)"); };
    auto makeOld = [&](LPCWSTR factor) {
        CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", kUnitsRevisionValue, 0);
        CConvertersDb db;
        db.Open();
        for (DWORD i = 0; i < 350; ++i)
            if (db.GetUnitName(i) == L"Statue Mile (Mile)")
                db.UpdateUnit(i, L"1", L"Statue Mile (Mile)", factor);
        CRegistryKey().WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana", kUnitsRevisionValue, 0);
    };
    {
        CConvertersDb fresh;
        fresh.Open();
        ASSERT_EQ(mile(fresh).size(), 1u);
        EXPECT_EQ(mile(fresh)[0].factor, L"1609.344");
    }
    makeOld(L"1609");
    {
        // On a device with no room the correction waits, unsaid (nobody asked for it).
        device::ui::ClearMessageBoxRecords();
        device::ui::ScriptMessageBoxAnswers({IDOK});
        testsupport::FileSizeLimit full(testsupport::RoomLeft(Root(), 0));
        CConvertersDb db;
        db.Open();
        EXPECT_EQ(mile(db).at(0).factor, L"1609");
        EXPECT_TRUE(device::ui::MessageBoxRecords().empty());
    }
    {
        CConvertersDb db;
        db.Open();
        EXPECT_EQ(mile(db).at(0).factor, L"1609.344");
        EXPECT_EQ(All(db).size(), 350u);
        EXPECT_EQ(Named(All(db), L"Mile").at(0).factor, L"1609.344"); // the others as they were
        // The user sets the old factor again: it stays.
        for (DWORD i = 0; i < 350; ++i)
            if (db.GetUnitName(i) == L"Statue Mile (Mile)")
                db.UpdateUnit(i, L"1", L"Statue Mile (Mile)", L"1609");
    }
    {
        CConvertersDb db;
        db.Open();
        EXPECT_EQ(mile(db).at(0).factor, L"1609");
    }
    // A factor the user gave the old row before the correction is the user's.
    makeOld(L"1610");
    CConvertersDb db;
    db.Open();
    EXPECT_EQ(mile(db).at(0).factor, L"1610");
    EXPECT_EQ(CRegistryKey().ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana", kUnitsRevisionValue), kUnitsRevision);
}

TEST_F(ConvertersDb, EmptiedStoreIsFilledAgainButDeletionsOtherwiseStay) {
    CConvertersDb db;
    db.Open();
    ASSERT_TRUE(db.DeleteAt(0));
    CConvertersDb reopened;
    reopened.Open();
    EXPECT_EQ(All(reopened).size(), 349u);
    while (reopened.DeleteAt(0)) {
    }
    EXPECT_TRUE(All(reopened).empty());
    CConvertersDb refilled;
    refilled.Open();
    EXPECT_EQ(All(refilled).size(), 350u);
}

} // namespace
