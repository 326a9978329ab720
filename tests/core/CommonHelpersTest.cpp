// Screen shape, colour, numeric entry, text fitting, combo sizing, clock hands, temperatures,
// the names message.
#include "core/CommonHelpers.h"
#include "core/CoreMessages.h"

#include "platform/framework/ListControls.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/ListControls.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WinUser.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>

namespace {

TEST(ScreenShape, SquareNot320AndLandscape) {
    struct Case {
        int w, h;
        bool square, landscape;
    } cases[] = {{240, 240, true, false}, {320, 320, false, false}, {240, 320, false, false},
                 {320, 240, false, true}, {480, 640, false, false}, {640, 480, false, true}};
    for (const Case& c : cases) {
        device::ui::SetScreenShape(c.w, c.h);
        EXPECT_EQ(IsSquareScreenNot320(), c.square) << c.w << "x" << c.h;
        EXPECT_EQ(IsLandscape(), c.landscape) << c.w << "x" << c.h;
    }
    // A rotation is seen at once.
    device::ui::SetScreenShape(240, 320);
    device::ui::RotateScreen();
    EXPECT_TRUE(IsLandscape());
    device::ui::SetScreenShape(240, 320);
}

TEST(ScreenShape, WorkAreaMetricsFollowTheScreen) {
    for (auto [w, h] : {std::pair{240, 320}, std::pair{320, 240}}) {
        device::ui::SetScreenShape(w, h);
        RECT area{};
        ASSERT_TRUE(SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0));
        const WorkAreaMetrics m = ReadWorkAreaMetrics();
        EXPECT_EQ(m.width, w);
        EXPECT_EQ(m.height, area.bottom - area.top);
        EXPECT_GT(m.menuHeight, 0);
        EXPECT_EQ(m.usableHeight, m.height - m.menuHeight - 26);
    }
    device::ui::SetScreenShape(240, 320);
}

TEST(ScaleColor, ClampsTheFactorAndTruncatesEachChannel) {
    EXPECT_EQ(ScaleColor(RGB(10, 200, 255), 1.5f), RGB(10, 200, 255));
    EXPECT_EQ(ScaleColor(RGB(10, 200, 255), -0.2f), RGB(0, 0, 0));
    EXPECT_EQ(ScaleColor(RGB(255, 255, 255), 0.5f), RGB(127, 127, 127));
    EXPECT_EQ(ScaleColor(RGB(255, 101, 3), 0.5f), RGB(127, 50, 1));
    // The top byte is dropped.
    EXPECT_EQ(ScaleColor(0xFF0000FFu, 1.0f), RGB(255, 0, 0));
}

TEST(NumericEntry, CharacterClasses) {
    EXPECT_EQ(IsNumericChar(L"7"), 1);
    EXPECT_EQ(IsNumericChar(L"e"), 2);
    EXPECT_EQ(IsNumericChar(L"E"), 0);
    EXPECT_EQ(IsNumericChar(L"."), 3);
    EXPECT_EQ(IsNumericChar(L"-"), 4);
    EXPECT_EQ(IsNumericChar(L""), 0);
    EXPECT_EQ(IsNumericChar(L"12"), 0);
    EXPECT_EQ(IsNumericChar(nullptr), 0);
}

TEST(NumericEntry, AcceptedTextsAndRejectionPositions) {
    int beeps = device::ui::BeepCount();
    int pos = -7;
    EXPECT_TRUE(IsNumericText(L"-12.5e3", pos));
    EXPECT_TRUE(IsNumericText(L"", pos));
    EXPECT_TRUE(IsNumericText(L"e.", pos));
    EXPECT_EQ(device::ui::BeepCount(), beeps);

    struct Case {
        const wchar_t* text;
        int position;
    } rejected[] = {
        {L"1-2", 1},   {L"1.2.3", 3}, {L"12a", 2}, {L"a1a", 0}, // first occurrence of the character
        {L"1e2e3", 3}, {L"--1", 1},   {L"1 2", 1}, {L"3.4.5.6", 3},
        {L"-12-", 3}, // the misplaced minus, never the leading one
    };
    for (const Case& c : rejected) {
        pos = -7;
        EXPECT_FALSE(IsNumericText(c.text, pos)) << c.text;
        EXPECT_EQ(pos, c.position) << c.text;
    }
    EXPECT_EQ(device::ui::BeepCount(), beeps + 9);
}

TEST(NumericEntry, ACommaIsTheDecimalPointOnlyWhereOneMayStand) {
    EXPECT_EQ(CommaTakenAsDecimalPoint(L"1234,5"), 4);
    EXPECT_EQ(CommaTakenAsDecimalPoint(L",5"), 0);
    EXPECT_EQ(CommaTakenAsDecimalPoint(L"1,2,3"), 1); // the first; the next is a second point
    EXPECT_EQ(CommaTakenAsDecimalPoint(L"1.5,"), -1);
    EXPECT_EQ(CommaTakenAsDecimalPoint(L"15"), -1);
    EXPECT_EQ(CommaTakenAsDecimalPoint(nullptr), -1);
}

TEST(NumericEntry, WholeNumbersAndBlankTexts) {
    const std::pair<const wchar_t*, double> read[] = {
        {L"12", 12.0}, {L" -2.5 ", -2.5}, {L"1e3\t", 1000.0}, {L"0", 0.0}, {L".5", 0.5}};
    for (const auto& [text, expected] : read) {
        double value = -7;
        EXPECT_TRUE(ReadWholeNumber(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const wchar_t* text : {L"", L"   ", L"abc", L"12abc", L"1 2", L"1e999", L"inf", L"nan", L"-"}) {
        double value = -7;
        EXPECT_FALSE(ReadWholeNumber(text, value)) << text;
        EXPECT_EQ(value, -7) << text << ": no number, the value stays";
    }
    double untouched = -7;
    EXPECT_FALSE(ReadWholeNumber(nullptr, untouched));
    // A number beyond what a double holds is told apart from text that is no number.
    for (const wchar_t* text : {L"1e400", L" 9e99999 "}) EXPECT_TRUE(IsTooLargeNumber(text)) << text;
    for (const wchar_t* text : std::initializer_list<const wchar_t*>{L"1e300", L"-1e400", L"inf", L"1e400x", L"", nullptr})
        EXPECT_FALSE(IsTooLargeNumber(text));
    for (const wchar_t* text : {L"1e-400", L" 5e-320 ", L"0.000001e-307"}) EXPECT_TRUE(IsTooSmallNumber(text)) << text;
    for (const wchar_t* text :
         std::initializer_list<const wchar_t*>{L"1e-300", L"0", L"0e-999", L"0x0p-5", L"-1e-400", L"1e-400x", L"abc", L"", nullptr})
        EXPECT_FALSE(IsTooSmallNumber(text)) << (text ? text : L"null");

    EXPECT_TRUE(IsBlankText(nullptr));
    EXPECT_TRUE(IsBlankText(L""));
    EXPECT_TRUE(IsBlankText(L" \t\r\n"));
    EXPECT_FALSE(IsBlankText(L"  x "));
}

TEST(FitText, DropsCharactersUntilTheTextIsNarrower) {
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -14;
    std::wcscpy(lf.lfFaceName, L"Arial");
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    auto width = [dc](const CString& t) {
        SIZE s{};
        GetTextExtentPoint32W(dc, t, t.GetLength(), &s);
        return static_cast<int>(s.cx);
    };
    CString text(L"Rio de Janeiro");
    ASSERT_GT(width(text), 40);
    EXPECT_EQ(FitTextToWidth(dc, text, width(text) + 1), text);
    // Exactly as wide as the whole text is not below the limit: one character goes.
    EXPECT_EQ(FitTextToWidth(dc, text, width(text)), text.Left(text.GetLength() - 1));
    CString fitted = FitTextToWidth(dc, text, 40);
    EXPECT_LT(width(fitted), 40);
    EXPECT_GE(width(text.Left(fitted.GetLength() + 1)), 40);
    EXPECT_EQ(FitTextToWidth(dc, text, 0), L"");
    EXPECT_EQ(FitTextToWidth(dc, text, -5), L"");
    EXPECT_EQ(FitTextToWidth(dc, L"", 50), L"");
    // With "...": whole when it fits, else cut to end in "..." inside the width.
    EXPECT_EQ(FitTextWithEllipsis(dc, text, width(text) + 1), text);
    const CString cut = FitTextWithEllipsis(dc, text, 60);
    EXPECT_EQ(cut.Right(3), L"...");
    EXPECT_LT(width(cut), 60);
    EXPECT_EQ(text.Find(cut.Left(cut.GetLength() - 3)), 0);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
}

TEST(ComboDropHeight, ShowsTheAskedNumberOfItems) {
    device::ui::SetScreenShape(240, 320);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 294, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND combo = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL,
                                 20, 30, 120, 100, parent, nullptr, nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
    int field = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    RECT client{};
    GetClientRect(combo, &client);
    ASSERT_GT(field, 0);

    AdjustComboDropHeight(combo, 8);
    RECT dropped{};
    ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)));
    EXPECT_EQ(dropped.bottom - dropped.top, field * 8 + client.bottom);
    EXPECT_EQ(dropped.right - dropped.left, 120);
    // The combo stays where it was in its parent.
    RECT window{};
    GetWindowRect(combo, &window);
    POINT origin{window.left, window.top};
    ScreenToClient(parent, &origin);
    EXPECT_EQ(origin.x, 20);
    EXPECT_EQ(origin.y, 30);
    // The framework's combo class reaches the same code.
    CComboBox box;
    box.Attach(combo);
    AdjustComboDropHeight(&box, 3);
    box.Detach();
    SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_EQ(dropped.bottom - dropped.top, field * 3 + client.bottom);
    AdjustComboDropHeight(static_cast<HWND>(nullptr), 8);
    AdjustComboDropHeight(static_cast<CComboBox*>(nullptr), 8);
    DestroyWindow(parent);
}

TEST(ClockGeometry, AnglesAndHandEnds) {
    EXPECT_EQ(MinutesToAngle(15), 0.0);
    EXPECT_DOUBLE_EQ(MinutesToAngle(0), -15 * 0.10471966666666666);
    uint64_t bits = 0;
    double step = MinutesToAngle(16);
    std::memcpy(&bits, &step, sizeof bits);
    EXPECT_EQ(bits, 0x3FBACEE87794D3A8ull);

    RECT rect{0, 0, 101, 81}; // half sizes truncate to 50 and 40
    POINT c{60, 50};
    POINT p = ClockHandEnd(15, 1.0, c, rect);
    EXPECT_EQ(p.x, 110);
    EXPECT_EQ(p.y, 50);
    // Straight up: -40 + 0.5 truncates toward zero to -39.
    p = ClockHandEnd(0, 1.0, c, rect);
    EXPECT_EQ(p.x, 60);
    EXPECT_EQ(p.y, 11);
    p = ClockHandEnd(30, 0.5, c, rect); // down, half length
    EXPECT_EQ(p.x, 60);
    EXPECT_EQ(p.y, 70);
    p = ClockHandEnd(45, 1.0, c, rect); // nine o'clock, the same truncation
    EXPECT_EQ(p.x, 11);
    EXPECT_EQ(p.y, 50);
}

TEST(ClockGeometry, HandKinds) {
    RECT rect{0, 0, 200, 200};
    POINT c{100, 100};
    POINT pts[4] = {};
    DrawAnalogClock(0, 0, c, rect, pts); // hour hand straight up
    EXPECT_EQ(pts[0].x, 100);
    EXPECT_EQ(pts[0].y, 100);
    EXPECT_EQ(pts[1].x, 100);
    EXPECT_EQ(pts[1].y, 100 - 64); // 0.65 of 100, truncated toward the centre
    EXPECT_EQ(pts[2].y, pts[1].y);
    EXPECT_EQ(pts[3].x, 100 - 4); // side point a quarter turn back, at 0.05
    EXPECT_EQ(pts[3].y, 100);
    DrawAnalogClock(15, 1, c, rect, pts);
    EXPECT_EQ(pts[1].x, 185);
    POINT line[4] = {{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}};
    DrawAnalogClock(30, 2, c, rect, line);
    EXPECT_EQ(line[1].y, 185);
    EXPECT_EQ(line[2].x, -1); // two points only
    DrawAnalogClock(30, 9, c, rect, pts);
    EXPECT_EQ(pts[1].x, 100);
    EXPECT_EQ(pts[1].y, 100);
}

TEST(Temperature, ThroughKelvin) {
    EXPECT_DOUBLE_EQ(CelsiusToFahrenheit(0), 32.0);
    EXPECT_DOUBLE_EQ(CelsiusToFahrenheit(-40), -40.0);
    EXPECT_NEAR(FahrenheitToCelsius(212), 100.0, 1e-9);
    EXPECT_NEAR(FahrenheitToCelsius(32), 0.0, 1e-9);
    // The detour through 273.15 shows in the last bits.
    EXPECT_EQ(CelsiusToFahrenheit(0.1), ((0.1 + 273.15) - 273.15) * 1.8 + 32);
    EXPECT_NE(CelsiusToFahrenheit(0.1), 0.1 * 1.8 + 32);
}

} // namespace

// A names message lists the names in order, the first eight only, warning-captioned as the program.
TEST(CoreMessages, NamesMessageListsAtMostEightNames) {
    device::ui::ClearMessageBoxRecords();
    device::ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    ShowNamesMessage(nullptr, IDS_RATES_NOT_VALID, {L"Euro", L"Yen"});
    std::vector<CString> places;
    for (int i = 1; i <= 9; ++i)
        places.push_back(CString(L"P") + CString(std::to_wstring(i)));
    ShowNamesMessage(nullptr, IDS_FORECASTS_NOT_VALID, places);
    const auto boxes = device::ui::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(
        boxes[0].text,
        L"The server sent rates that are not valid for: Euro, Yen\n\nTheir rates stored before were kept.");
    EXPECT_EQ(boxes[0].caption, L"Jorvana");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(boxes[1].text,
              L"The server sent forecasts that are not valid for: P1, P2, P3, P4, P5, P6, P7, P8, ..."
              L"\n\nTheir forecasts stored before were kept.");
}
