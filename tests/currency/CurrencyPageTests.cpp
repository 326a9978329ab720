// The Currencies page: start-up, conversion through the stored rates in every column, the
// numeric filter, up to ten lines with the back button, totals and cross rates, the remembered
// currencies, the skin, the tips box and the page's answers to the container.

#include "CurrencyPageSupport.h"

#include "core/ShippedDefaults.h"
#include "core/SkinFile.h"
#include "shell/AppMessages.h"
#include "support/StorageMessages.h"
#include "support/FileSizeLimit.h"
#include "support/Screenshots.h"
#include "core/CommonHelpers.h"
#include "core/CoreMessages.h"
#include "platform/framework/WindowDC.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using namespace currencytest;

TEST_F(CurrencyPageTest, StartsWithThreeEmptyLinesZeroTotalsAndTheRememberedCurrencies) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();

    EXPECT_EQ(page.GetLineCount(), 3);
    EXPECT_EQ(page.GetLastVisibleLine(), 2);
    for (int line = 0; line < 3; ++line)
        for (int column = 0; column < 3; ++column) {
            EXPECT_TRUE(page.GetAmountField(column, line)->IsWindowVisible());
            EXPECT_EQ(Field(column, line), L"");
        }
    for (int id : {IDC_CUR_TOTAL1, IDC_CUR_TOTAL2, IDC_CUR_TOTAL3}) EXPECT_EQ(Text(id), L"0.00");
    EXPECT_FALSE(page.GetDlgItem(IDC_CUR_BACK_LINE)->IsWindowEnabled());

    CComboBox& pair2 = Combo(IDC_CUR_PAIR2);
    ASSERT_EQ(pair2.GetCount(), 5);
    CString item;
    pair2.GetLBText(0, item);
    EXPECT_EQ(item, L"Australian Dollar - AUD");
    EXPECT_EQ(pair2.GetCurSel(), static_cast<int>(Gbp));
    EXPECT_EQ(Combo(IDC_CUR_PAIR1).GetCurSel(), static_cast<int>(Eur));

    // Cross rates with column 1 as base: one euro in pounds and in dollars.
    EXPECT_EQ(Combo(IDC_CUR_RATE_BASE).GetCurSel(), 0);
    EXPECT_EQ(Text(IDC_CUR_CODE1), L"GBP");
    EXPECT_EQ(Text(IDC_CUR_CODE2), L"USD");
    EXPECT_EQ(Text(IDC_CUR_RATE1), L"0.625000");
    EXPECT_EQ(Text(IDC_CUR_RATE2), L"1.250000");

    // A freshly seeded store was never updated.
    EXPECT_EQ(Text(IDC_CUR_LAST_UPDATE), L"Last update\n     Never ");
}

TEST_F(CurrencyPageTest, MissingOrOutOfRangeSelectionsFallBackAndAreStored) {
    std::vector<CurrencyListEntry> many;
    for (int i = 0; i < 200; ++i) {
        CString code, name, rate;
        code.Format(L"C%03d", i);
        name.Format(L"Currency %03d", i);
        rate.Format(L"%d", i + 1);
        many.push_back({code, name, rate});
    }
    SetList(many);
    CreatePage();
    // The defaults are the shipped list's places of the US dollar, the euro and the pound.
    const DWORD defaults[3] = {shipped::kCurrency[0], shipped::kCurrency[1], shipped::kCurrency[2]};
    EXPECT_EQ(Combo(IDC_CUR_PAIR1).GetCurSel(), static_cast<int>(defaults[0]));
    EXPECT_EQ(Combo(IDC_CUR_PAIR2).GetCurSel(), static_cast<int>(defaults[1]));
    EXPECT_EQ(Combo(IDC_CUR_PAIR3).GetCurSel(), static_cast<int>(defaults[2]));
    LONG status = 1;
    EXPECT_EQ(Selected(L"curp", &status), defaults[0]);
    EXPECT_EQ(status, CRegistryKey::kFound);
    EXPECT_EQ(Selected(L"curp2"), defaults[1]);
    EXPECT_EQ(Selected(L"curp3"), defaults[2]);
    EXPECT_DOUBLE_EQ(m_page->GetColumnRate(1), defaults[1] + 1.0);
}

TEST_F(CurrencyPageTest, SelectionPastAShorterListTakesTheFirstCurrency) {
    SelectColumns(Eur, 300, Usd);
    CCurrencyPanel& page = CreatePage();
    EXPECT_EQ(Combo(IDC_CUR_PAIR2).GetCurSel(), 0);
    EXPECT_EQ(Selected(L"curp2"), 0u);
    EXPECT_DOUBLE_EQ(page.GetColumnRate(1), 0.5);
}

TEST_F(CurrencyPageTest, TypingConvertsTheLineFromEveryColumnAndSumsTheTotals) {
    SelectColumns(Eur, Gbp, Usd); // rates 1.25, 2, 1
    CreatePage();

    Type(0, 0, L"2");
    EXPECT_EQ(Field(1, 0), L"1.25000000");
    EXPECT_EQ(Field(2, 0), L"2.50000000");

    Type(1, 1, L"4");
    EXPECT_EQ(Field(0, 1), L"6.40000000");
    EXPECT_EQ(Field(2, 1), L"8.00000000");

    Type(2, 2, L"-1");
    EXPECT_EQ(Field(0, 2), L"-0.80000000");
    EXPECT_EQ(Field(1, 2), L"-0.50000000");
    EXPECT_EQ(Field(0, 0), L"2"); // the other lines are left alone

    EXPECT_EQ(Text(IDC_CUR_TOTAL1), L"7.60");
    EXPECT_EQ(Text(IDC_CUR_TOTAL2), L"4.75");
    EXPECT_EQ(Text(IDC_CUR_TOTAL3), L"9.50");

    // Emptying a field empties its line; the totals drop.
    Type(1, 1, L"");
    EXPECT_EQ(Field(0, 1), L"");
    EXPECT_EQ(Field(2, 1), L"");
    EXPECT_EQ(Text(IDC_CUR_TOTAL1), L"1.20");
    EXPECT_EQ(Text(IDC_CUR_TOTAL3), L"1.50");
}

TEST_F(CurrencyPageTest, ZeroRateLeavesTheConvertedFieldEmpty) {
    SetList({{L"EUR", L"Euro", L"1.25"}, {L"XXX", L"Nothing", L"abc"}, {L"USD", L"US Dollar", L"1"}});
    SelectColumns(0, 1, 2);
    CreatePage();
    Type(0, 0, L"2");
    EXPECT_EQ(Field(1, 0), L"");
    EXPECT_EQ(Field(2, 0), L"2.50000000");
    EXPECT_EQ(Text(IDC_CUR_RATE1), L"");
    EXPECT_EQ(Text(IDC_CUR_TOTAL2), L"0.00");
}

TEST_F(CurrencyPageTest, AmountsBeyondANumberLeaveTheirFieldsEmptyAndTheTotalSaysSo) {
    SelectColumns(Eur, Gbp, Usd);
    CreatePage();
    Type(0, 0, L"1e999");
    EXPECT_EQ(Field(1, 0), L"");
    EXPECT_EQ(Text(IDC_CUR_TOTAL1), L"Too large");
    EXPECT_EQ(Text(IDC_CUR_TOTAL2), L"0.00");
    Type(0, 0, L"2");
    EXPECT_EQ(Text(IDC_CUR_TOTAL1), L"2.00");
}

// A total that loses digits to fit is rounded at its last digit shown, never cut; "Too large"
// only when no form fits (here: a cell of n characters).
TEST(CurrencyTotals, RoundedToTheDigitsThatFitAndTooLargeOnlyWhenNoneDoes) {
    auto shown = [](std::vector<CString> amounts, int n) {
        return std::wstring(FormatTotalToFit(amounts, [n](const CString& t) { return t.GetLength() <= n; }));
    };
    EXPECT_EQ(shown({L"5000000000", L"1.23"}, 13), L"5000000001.23");
    EXPECT_EQ(shown({L"3725005215.99"}, 13), L"3725005215.99");
    EXPECT_EQ(shown({L"3725005215.99"}, 12), L"3725005216.0");
    EXPECT_EQ(shown({L"3725005215.99"}, 10), L"3725005216");
    EXPECT_EQ(shown({L"3725005215.99"}, 7), L"3.725e9");
    EXPECT_EQ(shown({L"3725005215.99"}, 3), L"4e9");
    EXPECT_EQ(shown({L"3725005215.99"}, 2), L"Too large");
    EXPECT_EQ(shown({L"999999999.99"}, 11), L"1000000000");
    EXPECT_EQ(shown({L"-12345678901", L""}, 8), L"-1.23e10");
    EXPECT_EQ(shown({L"1e999"}, 40), L"Too large");
    // No more digits than a number holds true: none of the binary value's own.
    EXPECT_EQ(shown({L"37250052159876543"}, 40), L"3.72500521598765e16");
    EXPECT_EQ(shown({L"372500521598765.99"}, 40), L"372500521598766");
    EXPECT_EQ(shown({L"1000000000000000.01"}, 40), L"1000000000000000");
}

// Amounts of 1 to 20 digits, with and without decimals, on every shape with the input panel
// down and up (a scroll bar then narrows the cells): each total, measured in the font its cell
// draws it with (9 pixels at least), fits inside the column lines; it is the whole "%.2f" value
// wherever that fits in some font and holds no more digits than a number does, else that value
// rounded at its last digit shown.
TEST_F(CurrencyPageTest, TotalsOfEveryLengthReadTrueInTheirCells) {
    SelectColumns(Eur, Gbp, Usd); // rates 1.25, 2, 1
    CCurrencyPanel& page = CreatePage();
    const std::wstring digits = L"37250052159876543210";
    int whole = 0, wholeSmaller = 0, rounded = 0;
    for (size_t length = 1; length <= digits.size(); ++length)
        for (const wchar_t* decimals : {L"", L".99"}) {
            Type(0, 0, (digits.substr(0, length) + decimals).c_str());
            for (SIZE shape : {SIZE{240, 320}, SIZE{320, 240}, SIZE{240, 240}, SIZE{320, 320}})
                for (bool panelUp : {false, true}) {
                    device::ui::SetScreenShape(shape.cx, shape.cy);
                    device::ui::SetSipUp(panelUp);
                    page.SendMessage(WM_SETTINGCHANGE, 0, 0);
                    for (int column = 0; column < 3; ++column) {
                        const double sum = ReadAmount(Field(column, 0));
                        CString full;
                        full.Format(L"%.2f", sum);
                        CWnd* cell = page.GetDlgItem(
                            std::array{IDC_CUR_TOTAL1, IDC_CUR_TOTAL2, IDC_CUR_TOTAL3}[column]);
                        CString text;
                        cell->GetWindowText(text);
                        const std::wstring where = std::wstring(text) + L" for " + std::wstring(full) +
                                                   L" on " + std::to_wstring(shape.cx) + L"x" +
                                                   std::to_wstring(shape.cy) + (panelUp ? L" panel up" : L"");
                        CFont* font = cell->GetFont();
                        LOGFONTW drawn{};
                        font->GetLogFont(&drawn);
                        EXPECT_GE(std::abs(drawn.lfHeight), 9) << where;
                        CClientDC dc(cell);
                        CRect room;
                        cell->GetClientRect(&room);
                        room.DeflateRect(kTotalMargin, 0);
                        CFont* old = dc.SelectObject(font);
                        EXPECT_LE(dc.GetTextExtent(text).cx, room.Width()) << where;
                        // Would the whole value fit in the smallest font?
                        LOGFONTW small = drawn;
                        small.lfHeight = 9;
                        CFont smallest;
                        smallest.CreateFontIndirect(&small);
                        dc.SelectObject(&smallest);
                        const bool wholeFits = dc.GetTextExtent(full).cx <= room.Width();
                        dc.SelectObject(old);
                        // Whole where it fits and claims no more significant digits than a number
                        // holds true (15).
                        const std::wstring f(full);
                        const bool holdsTrue = std::count_if(f.begin() + f.find_first_of(L"123456789"), f.end(),
                                                             [](wchar_t c) { return c >= L'0' && c <= L'9'; }) <= 15;
                        if (wholeFits && holdsTrue) {
                            EXPECT_EQ(text, full) << where;
                            ++(std::abs(drawn.lfHeight) < 13 ? wholeSmaller : whole);
                            continue;
                        }
                        ASSERT_NE(text, CString(L"Too large")) << where;
                        // The last digit shown is rounded: within half its unit of the sum (and the
                        // spacing of numbers that large).
                        const std::wstring t(text);
                        const size_t e = t.find(L'e'), point = t.find(L'.');
                        const int places = point == std::wstring::npos
                                               ? 0
                                               : static_cast<int>(std::min(e, t.size()) - point - 1);
                        const int power = e == std::wstring::npos ? 0 : std::stoi(t.substr(e + 1));
                        const double unit = std::pow(10.0, power - places);
                        EXPECT_LE(std::abs(ReadAmount(text) - sum), unit / 2 + 4e-16 * std::abs(sum))
                            << where;
                        ++rounded;
                    }
                }
        }
    device::ui::SetSipUp(false);
    device::ui::SetScreenShape(240, 320);
    EXPECT_GT(whole, 0);
    EXPECT_GT(wholeSmaller, 0);
    EXPECT_GT(rounded, 0);
}

TEST_F(CurrencyPageTest, FilterRemovesTheCharacterThatBreaksTheNumber) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    const int beeps = device::ui::BeepCount();
    Type(0, 0, L"1.2.");
    EXPECT_EQ(Field(0, 0), L"1.2");
    int start = -1, end = -1;
    page.GetAmountField(0, 0)->GetSel(start, end);
    EXPECT_EQ(start, 3);
    EXPECT_EQ(end, 3);
    EXPECT_EQ(Field(1, 0), L"0.75000000"); // converted from what stayed

    Type(1, 1, L"12-");
    EXPECT_EQ(Field(1, 1), L"12");
    Type(2, 1, L"3x");
    EXPECT_EQ(Field(2, 1), L"3");
    EXPECT_GE(device::ui::BeepCount(), beeps + 3);
    Type(2, 2, L"1e5");
    EXPECT_EQ(Field(2, 2), L"1e5");
}

TEST_F(CurrencyPageTest, ACommaTypedForTheDecimalPointIsThatPoint) {
    SelectColumns(Eur, Gbp, Usd); // rates 1.25, 2, 1
    CCurrencyPanel& page = CreatePage();
    page.GetAmountField(0, 0)->SetFocus();
    device::ui::InjectText(L"1234,5");
    device::display::test::PumpUntilIdle();
    EXPECT_EQ(Field(0, 0), L"1234.5");
    EXPECT_EQ(Field(1, 0), L"771.56250000"); // 1234.5 x 1.25 / 2, not 12345's
    EXPECT_EQ(Field(2, 0), L"1543.12500000");

    // Typed in the middle, the caret stays where the comma went in; a second separator is
    // refused as a second point is.
    CEdit& field = *page.GetAmountField(1, 1);
    field.SetFocus();
    device::ui::InjectText(L"25");
    device::display::test::PumpUntilIdle();
    field.SetSel(1, 1);
    device::ui::InjectText(L",");
    device::display::test::PumpUntilIdle();
    EXPECT_EQ(Field(1, 1), L"2.5");
    int start = -1, end = -1;
    field.GetSel(start, end);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 2);
    const int beeps = device::ui::BeepCount();
    field.SetSel(3, 3);
    device::ui::InjectText(L",");
    device::display::test::PumpUntilIdle();
    EXPECT_EQ(Field(1, 1), L"2.5");
    EXPECT_EQ(device::ui::BeepCount(), beeps + 1);
    EXPECT_EQ(Field(0, 1), L"4.00000000");
}

TEST_F(CurrencyPageTest, AMinusTypedAfterANegativeAmountGoesAndTheAmountStaysNegative) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    page.GetAmountField(0, 0)->SetFocus();
    device::ui::InjectText(L"-12-");
    device::display::test::PumpUntilIdle();
    EXPECT_EQ(Field(0, 0), L"-12");
    EXPECT_EQ(Field(1, 0), L"-7.50000000"); // converted from -12, not from +12
}

TEST_F(CurrencyPageTest, TenLinesAtMostAndTheBackButtonStepsTheWindow) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    for (int press = 0; press < 7; ++press) page.OnAddLine();
    EXPECT_EQ(page.GetLineCount(), 10);
    EXPECT_EQ(page.GetLastVisibleLine(), 9);
    for (int line = 0; line < 10; ++line)
        EXPECT_EQ(page.GetAmountField(0, line)->IsWindowVisible() != FALSE, line >= 7) << line;
    // Lines 8 to 10 in the three rows, the newest at the bottom with the focus.
    CRect bottom;
    page.GetAmountField(1, 9)->GetWindowRect(&bottom);
    page.ScreenToClient(&bottom);
    EXPECT_EQ(bottom.top, 63);
    EXPECT_EQ(bottom.left, 240 / 3 + 1);
    EXPECT_EQ(CWnd::GetFocus()->m_hWnd, page.GetAmountField(0, 9)->m_hWnd);
    EXPECT_TRUE(page.GetDlgItem(IDC_CUR_BACK_LINE)->IsWindowEnabled());

    device::ui::ScriptMessageBoxAnswers({IDOK});
    page.OnAddLine();
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Max. of lines reached!");
    EXPECT_FALSE(page.GetDlgItem(IDC_CUR_ADD_LINE)->IsWindowEnabled());
    EXPECT_EQ(page.GetLineCount(), 10);

    // Back to the start: lines already made are shown again, not made anew.
    for (int press = 0; press < 6; ++press) page.OnBackLine();
    EXPECT_EQ(page.GetLastVisibleLine(), 3);
    EXPECT_TRUE(page.GetDlgItem(IDC_CUR_ADD_LINE)->IsWindowEnabled());
    page.OnBackLine();
    EXPECT_EQ(page.GetLastVisibleLine(), 2);
    EXPECT_FALSE(page.GetDlgItem(IDC_CUR_BACK_LINE)->IsWindowEnabled());
    for (int line = 0; line < 10; ++line)
        EXPECT_EQ(page.GetAmountField(2, line)->IsWindowVisible() != FALSE, line <= 2) << line;
    page.OnBackLine(); // only disables itself
    EXPECT_EQ(page.GetLastVisibleLine(), 2);
    page.OnAddLine();
    EXPECT_EQ(page.GetLineCount(), 10);
    EXPECT_EQ(page.GetLastVisibleLine(), 3);
}

TEST_F(CurrencyPageTest, HiddenLinesCountAreClearedAndFollowANewCurrency) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    Type(1, 0, L"10"); // 10 GBP
    for (int press = 0; press < 3; ++press) page.OnAddLine();
    Type(1, 5, L"1");
    ASSERT_FALSE(page.GetAmountField(1, 0)->IsWindowVisible());
    EXPECT_EQ(Text(IDC_CUR_TOTAL2), L"11.00");
    EXPECT_EQ(Text(IDC_CUR_TOTAL3), L"22.00");

    // Column 2 becomes yen: its amounts stay, columns 1 and 3 follow, hidden line included.
    Combo(IDC_CUR_PAIR2).SetCurSel(Jpy);
    page.OnSelChangePair2();
    EXPECT_EQ(Selected(L"curp2"), static_cast<DWORD>(Jpy));
    EXPECT_EQ(Field(1, 0), L"10");
    EXPECT_EQ(Field(2, 0), L"0.10000000");
    EXPECT_EQ(Field(0, 0), L"0.08000000");
    EXPECT_EQ(Field(2, 5), L"0.01000000");
    EXPECT_EQ(Text(IDC_CUR_TOTAL3), L"0.11");
    EXPECT_EQ(CWnd::GetFocus()->m_hWnd, Combo(IDC_CUR_PAIR2).m_hWnd);
    EXPECT_EQ(Text(IDC_CUR_CODE1), L"JPY"); // the cross rates start again from column 1

    // Cross rates from column 3: one dollar in euros and in yen.
    Combo(IDC_CUR_RATE_BASE).SetCurSel(2);
    page.OnSelChangeRateBase();
    EXPECT_EQ(Text(IDC_CUR_CODE1), L"EUR");
    EXPECT_EQ(Text(IDC_CUR_CODE2), L"JPY");
    EXPECT_EQ(Text(IDC_CUR_RATE1), L"0.800000");
    EXPECT_EQ(Text(IDC_CUR_RATE2), L"100.000000");

    page.OnClearAll();
    for (int line = 0; line < page.GetLineCount(); ++line)
        for (int column = 0; column < 3; ++column) EXPECT_EQ(Field(column, line), L"");
    for (int id : {IDC_CUR_TOTAL1, IDC_CUR_TOTAL2, IDC_CUR_TOTAL3}) EXPECT_EQ(Text(id), L"0.00");
    EXPECT_EQ(page.GetLastVisibleLine(), 5);
}

// A currency the full device cannot store is not taken: the storage fault is said once and the
// column, its amounts and the cross rates stay on the stored currency; with room it is taken.
TEST_F(CurrencyPageTest, ACurrencyTheDeviceCannotStoreLeavesTheColumnOnTheStoredOne) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    Type(1, 0, L"10"); // 10 GBP
    Combo(IDC_CUR_RATE_BASE).SetCurSel(2);
    page.OnSelChangeRateBase();
    // Column 2's currency, line 1's amounts, column 3's total and the second cross rate.
    auto shown = [&] {
        std::vector<std::wstring> texts{std::to_wstring(Combo(IDC_CUR_PAIR2).GetCurSel())};
        for (const CString& text : {Field(0, 0), Field(1, 0), Field(2, 0), Text(IDC_CUR_TOTAL3),
                                    Text(IDC_CUR_CODE2), Text(IDC_CUR_RATE2)})
            texts.push_back(text.Str());
        return texts;
    };
    const std::vector<std::wstring> stored = shown();
    ASSERT_EQ(stored[3], L"20.00000000");

    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    {
        testsupport::FileSizeLimit full(8);
        Combo(IDC_CUR_PAIR2).SetCurSel(Jpy);
        page.OnSelChangePair2();
    }
    EXPECT_EQ(testsupport::StorageMessagesShown(), 1u);
    EXPECT_EQ(Selected(L"curp2"), static_cast<DWORD>(Gbp));
    EXPECT_EQ(shown(), stored);

    device::ui::ClearMessageBoxRecords();
    Combo(IDC_CUR_PAIR2).SetCurSel(Jpy);
    page.OnSelChangePair2();
    EXPECT_EQ(testsupport::StorageMessagesShown(), 0u);
    EXPECT_EQ(Selected(L"curp2"), static_cast<DWORD>(Jpy));
    const std::vector<std::wstring> chosen{
        std::to_wstring(Jpy), L"0.08000000", L"10", L"0.10000000", L"0.10", L"USD", L"1.250000"};
    EXPECT_EQ(shown(), chosen);
}

// With an amount typed, a column's open list is browsed without a change: arrows and letters move
// its highlight, nothing converts and nothing is stored until Return takes the highlighted
// currency; Escape leaves the column as it was. On the closed list each arrow is a choice.
TEST_F(CurrencyPageTest, AnOpenListIsBrowsedAndOnlyReturnTakesItsCurrency) {
    using device::display::test::PressKey;
    SelectColumns(Eur, Gbp, Usd);
    CreatePage();
    Type(0, 0, L"10"); // 10 EUR
    // Column 1's stored currency, what it converted to, and its code first in the cross rates.
    auto shown = [&] {
        CString base;
        Combo(IDC_CUR_RATE_BASE).GetLBText(0, base);
        return std::vector<std::wstring>{std::to_wstring(Selected(L"curp")), Field(1, 0).Str(), Field(2, 0).Str(),
                                         Text(IDC_CUR_TOTAL3).Str(), base.Str()};
    };
    const std::vector<std::wstring> euros{std::to_wstring(Eur), L"6.25000000", L"12.50000000", L"12.50", L"EUR"};
    ASSERT_EQ(shown(), euros);
    CComboBox& column1 = Combo(IDC_CUR_PAIR1);
    column1.SetFocus();
    PressKey(VK_F4);
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    EXPECT_TRUE(column1.GetDroppedState());
    EXPECT_EQ(column1.GetCurSel(), static_cast<int>(Usd));
    EXPECT_EQ(shown(), euros);
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(column1.GetDroppedState());
    EXPECT_EQ(column1.GetCurSel(), static_cast<int>(Eur));
    EXPECT_EQ(shown(), euros);
    PressKey(VK_F4);
    PressKey(VK_DOWN);
    m_page->GetAmountField(2, 1)->SetFocus(); // the focus moves on: no choice either
    device::display::test::PumpUntilIdle();
    EXPECT_FALSE(column1.GetDroppedState());
    EXPECT_EQ(CWnd::GetFocus()->m_hWnd, m_page->GetAmountField(2, 1)->m_hWnd);
    EXPECT_EQ(column1.GetCurSel(), static_cast<int>(Eur));
    EXPECT_EQ(shown(), euros);
    column1.SetFocus();

    PressKey(VK_F4);
    PressKey(VK_DOWN);
    device::ui::InjectText(L"u"); // typed search in the open list: US Dollar
    device::display::test::PumpUntilIdle();
    EXPECT_EQ(column1.GetCurSel(), static_cast<int>(Usd));
    EXPECT_EQ(shown(), euros);
    PressKey(VK_RETURN);
    EXPECT_FALSE(column1.GetDroppedState());
    EXPECT_EQ(shown(), (std::vector<std::wstring>{std::to_wstring(Usd), L"5.00000000", L"10.00000000", L"10.00", L"USD"}));
    EXPECT_EQ(Field(0, 0), L"10");
    EXPECT_EQ(CWnd::GetFocus()->m_hWnd, column1.m_hWnd);

    PressKey(VK_DOWN); // closed: Yen at once
    EXPECT_EQ(shown(), (std::vector<std::wstring>{std::to_wstring(Jpy), L"0.05000000", L"0.10000000", L"0.10", L"JPY"}));
}

TEST_F(CurrencyPageTest, EnterKeepsThePageAndTheHideMessageHidesIt) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    page.SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(::IsWindow(page.m_hWnd));
    EXPECT_TRUE(page.IsWindowVisible());
    EXPECT_EQ(page.SendMessage(WM_APP_HIDE_PAGE), 1);
    EXPECT_FALSE(page.IsWindowVisible());
}

TEST_F(CurrencyPageTest, TipsBoxStandsCentredOnTheAvailableHeightUntilHidden) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    page.PlaceTipsBox();
    device::display::test::PumpUntilIdle();
    CRect frame = PlaceOf(IDC_CUR_TIPS_FRAME);
    const int available = 294 - ::GetSystemMetrics(SM_CYMENU) - 26;
    EXPECT_TRUE(page.GetDlgItem(IDC_CUR_TIPS_FRAME)->IsWindowVisible());
    EXPECT_EQ(frame.Width(), 240 - 20);
    EXPECT_EQ(frame.left, 120 - frame.Width() / 2);
    EXPECT_EQ(frame.bottom, available + 3);
    EXPECT_EQ(Text(IDC_CUR_TIPS_HIDE), L"Hide");
    testsupport::SaveScreenshot("currency-tips");
    page.OnTipsOk();
    for (int id : {IDC_CUR_TIPS_FRAME, IDC_CUR_TIPS_TEXT, IDC_CUR_TIPS_HIDE})
        EXPECT_FALSE(page.GetDlgItem(id)->IsWindowVisible());
}

TEST_F(CurrencyPageTest, SkinColoursAreTakenAndAnUnreadableSkinFallsBack) {
    SelectColumns(Eur, Gbp, Usd);
    CCurrencyPanel& page = CreatePage();
    EXPECT_EQ(page.m_crPanel, RGB(206, 222, 236)); // the shipped default skin
    EXPECT_EQ(page.m_crBack, RGB(234, 242, 249));

    testsupport::WriteDeviceFile(L"\\My Documents\\red.skn",
                                 "[Currency]\r\nSumC@1002003\r\nPanC@255000000\r\n>*<");
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\My Documents\\red.skn");
    page.ApplySkin();
    EXPECT_EQ(page.m_crSum, RGB(1, 2, 3));
    EXPECT_EQ(page.m_crPanel, RGB(255, 0, 0));
    EXPECT_EQ(page.m_crUpdate, RGB(0, 0, 0)); // a missing key reads black

    // A chosen skin that is gone, and no default either: both messages, colours kept.
    CRegistryKey().WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin", L"\\My Documents\\gone.skn");
    std::filesystem::remove(testsupport::HostPath(testsupport::InProgramFolder(L"default.skn")));
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    page.ApplySkin();
    auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"Skin File corrupted or not found!\n\nDefault skin will be used.");
    EXPECT_EQ(boxes[1].text, L"Default Skin file corrupted or not found!\n\nPlease reinstall Default skin.");
    EXPECT_EQ(CRegistryKey().ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"skin"), L"default");
    EXPECT_EQ(page.m_crPanel, RGB(255, 0, 0));
}

} // namespace
