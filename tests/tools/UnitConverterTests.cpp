// The unit converter: its tables read from the store (bounded, temperatures stepped over), the
// conversions by factor and by formula, value entry, the Edit menu, result scrolling, and what
// the window shows.

#include "ToolsTestSupport.h"
#include "core/BuiltInUnitTable.h"
#include "tools/UnitConverterDlg.h"
#include "tools/UnitTables.h"
#include "platform/framework/WindowDC.h"

#include <cmath>
#include <set>

namespace toolstest {
namespace {

std::set<std::wstring> BuiltInNames(const wchar_t* key) {
    std::set<std::wstring> names;
    for (const BuiltInUnit& u : BuiltInUnitTable)
        if (std::wstring(u.category) == key) names.insert(u.name);
    return names;
}

TEST(UnitArithmetic, FactorsMultiplyFirstAndTemperaturesGoThroughKelvin) {
    EXPECT_EQ(ConvertByFactor(1, L"1", L"1"), 1.0);
    EXPECT_DOUBLE_EQ(ConvertByFactor(3, L"0.3048", L"0.0254"), 36.0);
    // (value × from) / to: multiplied first, so a huge value overflows rather than shrinking.
    EXPECT_TRUE(std::isinf(ConvertByFactor(1e308, L"10", L"100")));
    EXPECT_EQ(ConvertByFactor(5, L"abc", L"2"), 0.0); // a factor that is no number reads as 0

    double r = 0;
    ASSERT_TRUE(ConvertTemperature(0, 1, 100, r));
    EXPECT_DOUBLE_EQ(r, 212);
    ASSERT_TRUE(ConvertTemperature(4, 0, 0, r));
    EXPECT_DOUBLE_EQ(r, -273.15);
    ASSERT_TRUE(ConvertTemperature(0, 3, 100, r));
    EXPECT_DOUBLE_EQ(r, 80);
    ASSERT_TRUE(ConvertTemperature(1, 2, 32, r));
    EXPECT_NEAR(r, 491.67, 1e-9);
    ASSERT_TRUE(ConvertTemperature(3, 4, 0, r));
    EXPECT_DOUBLE_EQ(r, 273.15);
    r = 42;
    EXPECT_FALSE(ConvertTemperature(0, 1, -300, r));
    EXPECT_FALSE(ConvertTemperature(2, 0, -0.5, r));
    EXPECT_EQ(r, 42); // untouched below absolute zero

    EXPECT_EQ(std::wstring(TemperatureUnitNames[0]), L"\u00B0C - Degree Celsius");
    EXPECT_EQ(std::wstring(TemperatureUnitNames[1]), L"\u00B0F - Degree Fahrenheit");
    EXPECT_EQ(std::wstring(TemperatureUnitNames[4]), L"K - Kelvin");
}

class ConverterTest : public ToolsTest {
protected:
    void SetUp() override {
        ToolsTest::SetUp();
        CreatePage();
        m_page.OpenTool(kToolConverter);
        conv = static_cast<CConverterDlg*>(m_page.GetTool(kToolConverter));
        ASSERT_TRUE(conv && conv->GetSafeHwnd());
    }
    void Choose(CComboBox& combo, int index) {
        combo.SetCurSel(index);
        conv->SendMessage(WM_COMMAND, MAKEWPARAM(combo.GetDlgCtrlID(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo.m_hWnd));
        Pump();
    }
    void ChooseUnit(CComboBox& combo, const wchar_t* name) {
        int index = combo.FindStringExact(-1, name);
        ASSERT_GE(index, 0) << name;
        Choose(combo, index);
    }
    void SetValue(const wchar_t* text) {
        conv->m_valueField.SetWindowText(text);
        Pump();
    }
    static std::wstring Text(CWnd& w) {
        CString text;
        w.GetWindowText(text);
        return std::wstring(text);
    }
    static std::wstring ClipboardText() {
        std::wstring text;
        if (!OpenClipboard(nullptr)) return text;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) text = static_cast<const wchar_t*>(data);
        CloseClipboard();
        return text;
    }

    CConverterDlg* conv = nullptr;
};

TEST_F(ConverterTest, TablesHoldEachCategoryOfTheStoreAndTheListsFollowTheCategory) {
    for (int c : {0, 1, 2, 3, 5, 6}) {
        wchar_t key[2] = {static_cast<wchar_t>(L'0' + c), 0};
        std::set<std::wstring> expected = BuiltInNames(key), shown;
        UnitTable* table = UnitTableOfCategory(c);
        ASSERT_NE(table, nullptr);
        for (int i = 0; i < table->count; ++i) shown.insert(std::wstring(table->entries[i].name));
        EXPECT_EQ(shown, expected) << "category " << c;
    }
    EXPECT_EQ(UnitTableOfCategory(kTemperatureCategory), nullptr);

    // Choosing a category: both lists on its first unit, the result equal to the value.
    SetValue(L"7.5");
    Choose(conv->m_category, 5);
    EXPECT_EQ(conv->m_fromList.GetCount(), UnitTableOfCategory(5)->count);
    EXPECT_EQ(conv->m_fromList.GetCurSel(), 0);
    EXPECT_EQ(conv->m_toList.GetCurSel(), 0);
    EXPECT_EQ(Text(conv->m_resultField), L"7.5");
    Choose(conv->m_category, kTemperatureCategory);
    ASSERT_EQ(conv->m_toList.GetCount(), 5);
    CString name;
    conv->m_toList.GetLBText(1, name);
    EXPECT_EQ(std::wstring(name), L"\u00B0F - Degree Fahrenheit");
}

TEST_F(ConverterTest, ConvertsByFactorAndByFormula) {
    Choose(conv->m_category, 1);
    ChooseUnit(conv->m_fromList, L"Feet");
    ChooseUnit(conv->m_toList, L"Inch");
    SetValue(L"2");
    EXPECT_EQ(Text(conv->m_resultField), L"24");
    EXPECT_DOUBLE_EQ(conv->m_resultValue, 24);
    ChooseUnit(conv->m_fromList, L"Statue Mile (Mile)");
    ChooseUnit(conv->m_toList, L"m - Meter");
    SetValue(L"1000");
    EXPECT_EQ(Text(conv->m_resultField), L"1609344"); // a statute mile is 1609.344 m

    Choose(conv->m_category, kTemperatureCategory);
    Choose(conv->m_fromList, 0);
    Choose(conv->m_toList, 1);
    SetValue(L"100");
    EXPECT_EQ(Text(conv->m_resultField), L"212");
    Choose(conv->m_fromList, 4);
    Choose(conv->m_toList, 0);
    SetValue(L"0");
    EXPECT_EQ(Text(conv->m_resultField), L"-273.15");

    // Below absolute zero: the message, "0" shown, the result value kept.
    device::ui::ScriptMessageBoxAnswers({IDOK});
    Choose(conv->m_fromList, 0);
    SetValue(L"25");
    SetValue(L"-300");
    ASSERT_EQ(device::ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(device::ui::MessageBoxRecords()[0].text, L"Below absolute zero");
    EXPECT_EQ(Text(conv->m_resultField), L"0");
    EXPECT_DOUBLE_EQ(conv->m_resultValue, 25); // the last good result
}

TEST_F(ConverterTest, AResultNoNumberHoldsSaysSoAndTheNextOneShowsAgain) {
    Choose(conv->m_category, 1);
    ChooseUnit(conv->m_fromList, L"Feet");
    ChooseUnit(conv->m_toList, L"Inch");
    SetValue(L"1e308"); // the value fits, twelve times it does not
    EXPECT_EQ(Text(conv->m_resultField), L"Too large");
    SetValue(L"1e999");
    EXPECT_EQ(Text(conv->m_resultField), L"Too large");
    Choose(conv->m_category, kTemperatureCategory); // the value itself, in the first unit
    EXPECT_EQ(Text(conv->m_resultField), L"Too large");
    SetValue(L"1e999");
    EXPECT_EQ(Text(conv->m_resultField), L"Too large");
    SetValue(L"3");
    EXPECT_EQ(Text(conv->m_resultField), L"3");
}

TEST_F(ConverterTest, ValueFieldKeepsOnlyNumbersAndResetsOnClearAndShow) {
    conv->m_valueField.SetFocus();
    conv->m_valueField.SetWindowText(L"");
    Pump();
    EXPECT_FALSE(conv->UndoAnnounced);
    int beeps = device::ui::BeepCount();
    device::display::test::TypeKeys(L"-1x.5e3.");
    EXPECT_EQ(Text(conv->m_valueField), L"-1.5e3");
    EXPECT_EQ(device::ui::BeepCount() - beeps, 2);
    EXPECT_EQ(Text(conv->m_resultField), L"-1500"); // first unit to itself
    EXPECT_TRUE(conv->UndoAnnounced);               // the user changed the value

    conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_CLEAR, BN_CLICKED),
                      reinterpret_cast<LPARAM>(conv->m_clearButton.m_hWnd));
    EXPECT_EQ(Text(conv->m_valueField), L"0");
    EXPECT_EQ(Text(conv->m_resultField), L"0");

    SetValue(L"12");
    conv->SendMessage(WM_APP_LEAVE_TOOL);
    m_page.OpenTool(kToolConverter);
    EXPECT_EQ(Text(conv->m_valueField), L"0");
    EXPECT_EQ(Text(conv->m_resultField), L"0");

    // An emptied field becomes "0" when it loses the focus.
    conv->m_valueField.SetFocus();
    conv->m_valueField.SetWindowText(L"");
    conv->m_category.SetFocus();
    Pump();
    EXPECT_EQ(Text(conv->m_valueField), L"0");
}

TEST_F(ConverterTest, ACommaTypedForTheDecimalPointIsThatPoint) {
    Choose(conv->m_category, 1);
    ChooseUnit(conv->m_fromList, L"Feet");
    ChooseUnit(conv->m_toList, L"Inch");
    conv->m_valueField.SetFocus();
    conv->m_valueField.SetWindowText(L"");
    Pump();
    device::display::test::TypeKeys(L"1,5,");
    EXPECT_EQ(Text(conv->m_valueField), L"1.5"); // the second separator refused
    EXPECT_EQ(Text(conv->m_resultField), L"18");
    EXPECT_TRUE(conv->UndoAnnounced);
}

TEST_F(ConverterTest, EditMenuWorksOnTheWholeValue) {
    SetValue(L"42.5");
    EXPECT_EQ(conv->SendMessage(WM_APP_EDIT_COPY), 1);
    EXPECT_EQ(ClipboardText(), L"42.5");
    EXPECT_EQ(conv->SendMessage(WM_APP_EDIT_CUT), 1);
    EXPECT_EQ(Text(conv->m_valueField), L"0");
    EXPECT_EQ(Text(conv->m_resultField), L"0");
    SetValue(L"7");
    EXPECT_EQ(conv->SendMessage(WM_APP_EDIT_PASTE), 1);
    Pump();
    EXPECT_EQ(Text(conv->m_valueField), L"42.5");
    EXPECT_EQ(Text(conv->m_resultField), L"42.5");
    EXPECT_EQ(conv->SendMessage(WM_APP_EDIT_SELECT_ALL), 1);
    DWORD start = 0, end = 0;
    conv->m_valueField.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 4u);
}

TEST_F(ConverterTest, LongResultScrollsByTheArrows) {
    Choose(conv->m_category, 1);
    ChooseUnit(conv->m_fromList, L"cm - Centimeter");
    ChooseUnit(conv->m_toList, L"Feet");
    SetValue(L"1");
    std::wstring full = Text(conv->m_resultField);
    ASSERT_EQ(full, L"0.0328083989501312");
    ASSERT_EQ(std::wstring(conv->ResultText), full);
    testsupport::SaveScreenshot("unit-converter");

    // The forward arrow's box, in the portrait layout, on the screen.
    auto tapAt = [&](POINT icon) {
        POINT p{icon.x + 8, icon.y + 8};
        conv->ClientToScreen(&p);
        device::display::test::Tap(p);
    };
    CConverterDlg::ResultArrows arrows = conv->GetResultArrows();
    tapAt(arrows.forward);
    EXPECT_EQ(conv->ResultScrollOffset, 1);
    EXPECT_EQ(Text(conv->m_resultField), full.substr(1));
    tapAt(arrows.forward);
    tapAt(arrows.forward);
    tapAt(arrows.forward); // the last 15 characters are showing: no further
    EXPECT_EQ(conv->ResultScrollOffset, 3);
    EXPECT_EQ(Text(conv->m_resultField), full.substr(3));
    tapAt(arrows.back);
    EXPECT_EQ(conv->ResultScrollOffset, 2);
    // A new conversion starts again from the first character.
    SetValue(L"2");
    EXPECT_EQ(conv->ResultScrollOffset, 0);
    EXPECT_EQ(Text(conv->m_resultField), L"0.0656167979002625");
}

TEST_F(ConverterTest, ACategoryWithoutUnitsShowsNoResult) {
    CConvertersDb db;
    db.Open();
    for (DWORD i = 0;;) { // every speed unit goes
        const CString key = db.GetCategory(i);
        if (key.IsEmpty()) break;
        if (key == L"3") ASSERT_TRUE(db.DeleteAt(i));
        else ++i;
    }
    conv->ReloadUnits();
    Choose(conv->m_category, 1);
    SetValue(L"12");
    ASSERT_EQ(Text(conv->m_resultField), L"12");
    Choose(conv->m_category, 3);
    EXPECT_EQ(conv->m_fromList.GetCount(), 0);
    EXPECT_EQ(Text(conv->m_resultField), L"");
    SetValue(L"7");
    EXPECT_EQ(Text(conv->m_resultField), L"");
    conv->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONVERTER_CLEAR, BN_CLICKED),
                      reinterpret_cast<LPARAM>(conv->m_clearButton.m_hWnd));
    EXPECT_EQ(Text(conv->m_resultField), L"");
    EXPECT_TRUE(conv->ResultText.IsEmpty());
}

// The Night skin's dark page: the result arrows must still stand out from what is around them.
TEST_F(ConverterTest, ResultArrowsContrastWithTheNightSkin) {
    Install(L"night.skn");
    Install(L"Night\\Portrait\\convert.jpg");
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, kToolsRegistryKey, L"skin", InProgramFolder(L"night.skn").c_str());
    device::ui::SetSipUp(false);
    conv->ApplySkin();
    conv->Invalidate(TRUE);
    SetValue(L"0.0123456789012345678");
    ASSERT_GT(conv->ResultText.GetLength(), 15);
    CConverterDlg::ResultArrows arrows = conv->GetResultArrows();
    POINT forward{arrows.forward.x + 8, arrows.forward.y + 8};
    conv->ClientToScreen(&forward);
    device::display::test::Tap(forward); // both arrows show
    Pump();
    ASSERT_EQ(conv->ResultScrollOffset, 1);
    std::unique_ptr<device::gdi::Bitmap> screen = device::ui::CopyScreen();
    ASSERT_TRUE(screen);
    CRect frame; // the result field's white frame, which the arrows' boxes touch
    conv->m_resultFrame.GetWindowRect(&frame);
    for (POINT at : {arrows.forward, arrows.back}) {
        conv->ClientToScreen(&at);
        double darkest = 1, lightest = 0;
        for (int y = std::max<int>(at.y, frame.bottom); y < at.y + 16; ++y)
            for (int x = at.x; x < at.x + 16; ++x) {
                const uint32_t p = screen->Get(x, y);
                const double l = (0.0722 * (p & 0xFF) + 0.7152 * ((p >> 8) & 0xFF) + 0.2126 * ((p >> 16) & 0xFF)) / 255;
                darkest = std::min(darkest, l), lightest = std::max(lightest, l);
            }
        EXPECT_GE((lightest + 0.05) / (darkest + 0.05), 3.0) << "arrow at " << at.x << "," << at.y;
    }
    testsupport::SaveScreenshot("unit-converter-night");
}

TEST_F(ConverterTest, ReloadShowsStoreChangesAndKeepsEachTableWithinItsSize) {
    CConvertersDb db;
    db.Open();
    db.InsertUnit(L"1", L"Verst", L"1066.8");
    for (int i = 0; i < 160; ++i) {
        CString name;
        name.Format(L"zz pressure %03d", i);
        db.InsertUnit(L"2", name, L"1");
    }
    // One temperature record less than the five the store is seeded with.
    db.SeekFirst();
    for (DWORD i = 0;; ++i) {
        if (db.GetCategory(i) == L"4") {
            ASSERT_TRUE(db.DeleteAt(i));
            break;
        }
        ASSERT_FALSE(db.IsEOF());
    }
    Choose(conv->m_category, 1);
    conv->ReloadUnits();
    EXPECT_GE(conv->m_fromList.FindStringExact(-1, L"Verst"), 0);
    EXPECT_EQ(UnitTableOfCategory(2)->count, kUnitTableSize);
    // The categories after the full one and after the temperatures still hold their own units.
    for (int c : {3, 5, 6}) {
        wchar_t key[2] = {static_cast<wchar_t>(L'0' + c), 0};
        std::set<std::wstring> expected = BuiltInNames(key), shown;
        for (int i = 0; i < UnitTableOfCategory(c)->count; ++i)
            shown.insert(std::wstring(UnitTableOfCategory(c)->entries[i].name));
        EXPECT_EQ(shown, expected) << "category " << c;
    }
}

} // namespace
} // namespace toolstest

namespace toolstest {
namespace {

TEST_F(ConverterTest, RotationLaysTheToolOutAgainAndKeepsItOpen) {
    device::ui::SetSipUp(false);
    Pump();
    testsupport::SaveScreenshot("unit-converter-portrait");
    CRect clear;
    conv->m_clearButton.GetWindowRect(&clear);
    conv->ScreenToClient(&clear);
    EXPECT_EQ(clear.TopLeft(), CPoint(240 - 83, 170));
    // Both buttons lie above the bottom band.
    for (CIconButton* button : {&conv->m_clearButton, &conv->m_editUnitsButton}) {
        CRect r;
        button->GetWindowRect(&r);
        EXPECT_EQ(CWnd::WindowFromPoint(r.CenterPoint())->GetSafeHwnd(), button->GetSafeHwnd());
    }

    device::display::test::Rotate(); // 320 x 240: not portrait
    RECT area = device::ui::WorkArea();
    ASSERT_EQ(area.right - area.left, 320);
    conv->m_clearButton.GetWindowRect(&clear);
    conv->ScreenToClient(&clear);
    EXPECT_EQ(clear.TopLeft(), CPoint(320 - 83, 142));
    CRect band;
    conv->m_bottomBand.GetWindowRect(&band);
    conv->ScreenToClient(&band);
    EXPECT_EQ(band, CRect(0, 137, 320, 167));
    CRect field;
    conv->m_valueField.GetWindowRect(&field);
    conv->ScreenToClient(&field);
    EXPECT_EQ(field.TopLeft(), CPoint((320 - 235) / 2 + 4, 60));
    // The Tools page stays hidden under the open tool and lays itself out for the new width.
    EXPECT_TRUE(conv->IsWindowVisible());
    EXPECT_FALSE(m_page.IsWindowVisible());
    CRect list;
    m_page.m_list.GetWindowRect(&list);
    EXPECT_EQ(list.Width(), 320);
    testsupport::SaveScreenshot("unit-converter-landscape");
    device::display::test::Rotate();
}

} // namespace
} // namespace toolstest

namespace toolstest {
namespace {

// The converter on every shape, the panel down and up.
class ConverterShapesTest : public ToolsTest {
protected:
    void TearDown() override {
        device::ui::SetSipUp(false);
        device::ui::SetScreenShape(240, 320);
        ToolsTest::TearDown();
    }
    // The result field shows the first fifteen characters of its text whole, measured in its own
    // font between its margins.
    static void ExpectFifteenShow(CEdit& field) {
        CString text;
        field.GetWindowText(text);
        text = text.Left(15);
        CClientDC dc(&field);
        CFont* old = dc.SelectObject(field.GetFont());
        const int need = dc.GetTextExtent(text).cx;
        dc.SelectObject(old);
        CRect client;
        field.GetClientRect(&client);
        const DWORD margins = static_cast<DWORD>(field.SendMessage(EM_GETMARGINS));
        EXPECT_LE(need, client.Width() - LOWORD(margins) - HIWORD(margins)) << std::wstring(text);
    }
    // A unit list opened: five rows at least, beside its field, inside the work area and above
    // the panel if it is still up, on the side with more room when it shows fewer rows than it
    // was sized for; closed, the tool is as it was.
    void ExpectRoomyList(CComboBox& list) {
        CRect before;
        list.GetWindowRect(&before);
        const bool panel = device::ui::IsSipUp();
        list.ShowDropDown(TRUE);
        Pump();
        HWND popup = nullptr;
        for (HWND h = ::GetTopWindow(nullptr); h && !popup; h = ::GetWindow(h, GW_HWNDNEXT)) {
            wchar_t name[32] = {};
            ::GetClassNameW(h, name, 32);
            if (CString(name).CompareNoCase(L"ComboLBox") == 0 && ::IsWindowVisible(h)) popup = h;
        }
        ASSERT_TRUE(popup);
        CRect shown, field;
        ::GetWindowRect(popup, &shown);
        list.GetWindowRect(&field);
        const int rows = (shown.Height() - 2) / list.GetItemHeight(0);
        EXPECT_GE(rows, 5);
        RECT visible = device::ui::WorkArea();
        if (device::ui::IsSipUp()) visible.bottom = device::ui::SipRect().top;
        EXPECT_GE(shown.top, visible.top);
        EXPECT_LE(shown.bottom, visible.bottom);
        const bool below = shown.top >= field.bottom;
        EXPECT_TRUE(below || shown.bottom <= field.top);
        if (rows < 8) {
            EXPECT_EQ(below, visible.bottom - field.bottom >= field.top - visible.top) << "opened on the side with less room";
        }
        list.ShowDropDown(FALSE);
        Pump();
        CRect after;
        list.GetWindowRect(&after);
        EXPECT_EQ(after, before) << "the content returns where it was";
        EXPECT_EQ(device::ui::IsSipUp(), panel);
    }
};

TEST_F(ConverterShapesTest, ResultShowsFifteenCharactersAndTheUnitListsOpenWithRoom) {
    for (SIZE shape : {SIZE{240, 320}, SIZE{320, 240}, SIZE{240, 240}, SIZE{320, 320}}) {
        SCOPED_TRACE(std::to_string(shape.cx) + "x" + std::to_string(shape.cy));
        device::ui::SetScreenShape(shape.cx, shape.cy);
        CreatePage();
        m_page.OpenTool(kToolConverter);
        auto* conv = static_cast<CConverterDlg*>(m_page.GetTool(kToolConverter));
        ASSERT_TRUE(conv && conv->GetSafeHwnd());
        for (bool up : {false, true}) {
            SCOPED_TRACE(up ? "panel up" : "panel down");
            device::ui::SetSipUp(up);
            Pump();
            // Digits, the exponent and its sign are among the widest characters of a result.
            conv->m_valueField.SetWindowText(L"1.23456789012345e123");
            Pump();
            const std::wstring full(conv->ResultText);
            ASSERT_EQ(full, L"1.23456789012345e+123");
            ExpectFifteenShow(conv->m_resultField);
            for (size_t step = 0; step < full.size(); ++step) conv->ScrollResultForward();
            CString shown;
            conv->m_resultField.GetWindowText(shown);
            EXPECT_EQ(std::wstring(shown), full.substr(full.size() - 15)); // the last character too
            ExpectFifteenShow(conv->m_resultField);
            ExpectRoomyList(conv->m_fromList);
            ExpectRoomyList(conv->m_toList);
        }
        device::ui::SetSipUp(false);
        m_page.DestroyWindow();
        m_main.DestroyWindow();
        Pump();
    }
}

} // namespace
} // namespace toolstest
