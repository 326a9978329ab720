// Taps on the World Clocks page (city names, information buttons, sun icons), choosing a city
// for a clock and for home, the question whether a clock's reminder follows its new city, the
// reminder's notification moved, and a new home city joining the weather cities.

#include "ClockDialogsTestSupport.h"
#include "ClocksPageSupport.h"

#include "clocks/ReminderNotifications.h"
#include "platform/ui/MessageBox.h"
#include "support/CityListChoice.h"
#include "support/Screenshots.h"

#include <vector>

namespace {

using namespace clockstest;
using clocktests::AllNotifications;
using clocktests::NotificationView;
using clocktests::Stamp;
namespace ui = device::ui;
namespace dt = device::display::test;

TEST(ClockHitAreaTest, PortraitAndLandscapeAreasAreOpenRectangles) {
    ClockGeometry g; // 240 x 320 portrait: W 240, A 242, R 80, 2R' 161
    g.W = 240;
    g.A = 242;
    auto in = [](const RECT& r, int x, int y) { return ClockGeometry::InsideOpen(r, POINT{x, y}); };
    EXPECT_TRUE(in(g.InfoButtonArea(0), 230, 50));
    EXPECT_TRUE(in(g.SunIconArea(0), 230, 25));
    EXPECT_TRUE(in(g.InfoButtonArea(1), 110, 130));
    EXPECT_TRUE(in(g.SunIconArea(1), 90, 130));
    // The edges miss: x = W - 22 on the home "[i]", and its bottom y = R - 25.
    EXPECT_FALSE(in(g.InfoButtonArea(0), 218, 50));
    EXPECT_TRUE(in(g.InfoButtonArea(0), 219, 50));
    EXPECT_FALSE(in(g.InfoButtonArea(0), 230, 55));
    // Clocks 2 and 4 end at the right edge, 3 and 4 stand on the bottom band.
    EXPECT_TRUE(in(g.InfoButtonArea(4), 230, 210));
    EXPECT_TRUE(in(g.SunIconArea(3), 90, 210));

    // Landscape and square: the home icons stand 10 pixels lower, the city names' tap areas
    // start at R; the square shape keeps the landscape areas though its lists stand further left.
    g.shape = ClockScreenShape::Landscape;
    EXPECT_TRUE(in(g.InfoButtonArea(0), 230, 60));
    EXPECT_FALSE(in(g.InfoButtonArea(0), 230, 50 - 10));
    EXPECT_EQ(g.CityNameTapOrigin(0).y, 80 - 22); // with the home name, inside the home card
    EXPECT_EQ(g.CityNameTapOrigin(2).x, 120 + 80);
    const POINT landscape = g.CityNameTapOrigin(3);
    g.shape = ClockScreenShape::Square;
    EXPECT_EQ(g.CityNameTapOrigin(3).x, landscape.x);
    EXPECT_NE(g.ComboRect(3).left, landscape.x);
}

// A page that records which city information and forecasts its taps open.
class RecordingClocksPage : public CWorldClocksDlg {
public:
    using CWorldClocksDlg::CWorldClocksDlg;
    std::vector<std::wstring> opened;
    void ShowCityInfo(DWORD city, const CString& date) override {
        opened.push_back(L"info " + std::to_wstring(city) + L" " + std::wstring(date));
    }
    void ShowCityWeather(const CString& name, DWORD city) override {
        opened.push_back(L"weather " + std::to_wstring(city) + L" " + std::wstring(name));
    }
};

class ClockCityChoiceTest : public ClocksPageTest {
protected:
    void SetUp() override {
        ClocksPageTest::SetUp();
        ui::ClearMessageBoxRecords();
    }
    void TearDown() override {
        ui::ClearMessageBoxRecords();
        ClocksPageTest::TearDown();
    }
    void TapPage(int x, int y) {
        POINT p{x, y};
        m_page->ClientToScreen(&p);
        dt::Tap(p);
    }
    // Opens a clock's list with a tap on its city name. The device clock stands still in the
    // tests, so taps follow each other at different points lest two make a double tap.
    void OpenList(int clock) {
        RECT r = m_page->Geometry().ComboRect(clock);
        TapPage(r.left + 20 + 20 * (m_taps++ % 2), (r.top + r.bottom) / 2);
        ASSERT_TRUE(m_page->m_cityCombo[clock].GetDroppedState());
    }
    // A reminder set as the reminders dialog sets it, its texts stored under Jorvana\alarms.
    void SetReminder(int n, DWORD city, LPCWSTR time, LPCWSTR date, LPCWSTR desc) {
        const CString suffix = n ? CString(std::to_wstring(n).c_str()) : CString();
        CRegistryKey key;
        key.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, CString(L"clock") + suffix, time);
        key.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, CString(L"date") + suffix, date);
        key.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, CString(L"desc") + suffix, desc);
        ReminderHome home;
        home.deviceZone = m_page->m_syncLocalZone;
        home.standard = ReadLeadingInt(m_page->m_cities.GetUtcOffset(CWorldClocksDlg::s_clockCity[0]));
        home.rule = CityDstRule(m_page->m_cities, CWorldClocksDlg::s_clockCity[0]);
        ASSERT_TRUE(ScheduleReminder(m_page->m_cities, n, city, home, time, date, desc));
    }
    int m_taps = 0;
    static NotificationView Reminder(int n) {
        for (const NotificationView& v : AllNotifications())
            if (v.title == kReminderTitles[n]) return v;
        return {};
    }
};

TEST_F(ClockCityChoiceTest, EachIconTapOpensItsClocksCityAndEdgesMiss) {
    WriteStandardClocks(); // London, Berlin, Delhi, New York, Auckland
    auto& page = CreatePage<RecordingClocksPage>();
    const ClockGeometry g = page.Geometry();
    for (int n = 0; n < 5; ++n) {
        for (RECT r : {g.InfoButtonArea(n), g.SunIconArea(n)})
            TapPage((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    const DWORD cities[5] = {London, Berlin, Delhi, NewYork, Auckland};
    const wchar_t* names[5] = {L"London", L"Berlin", L"Delhi", L"New York", L"Auckland"};
    ASSERT_EQ(page.opened.size(), 10u);
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(page.opened[2 * n], L"info " + std::to_wstring(cities[n]) + L" " + std::wstring(page.m_dateText[n]));
        EXPECT_EQ(page.opened[2 * n + 1], L"weather " + std::to_wstring(cities[n]) + L" " + names[n]);
    }
    page.opened.clear();
    TapPage(218, 50); // the left edge of the home "[i]"
    TapPage(5, 5);    // the home clock's face
    EXPECT_TRUE(page.opened.empty());
    for (const CComboBox& combo : page.m_cityCombo) EXPECT_FALSE(combo.IsWindowVisible());
}

TEST_F(ClockCityChoiceTest, TapOnANameFillsItsListOnceAndDropsItDown) {
    WriteStandardClocks();
    auto& page = CreatePage();
    CComboBox& combo = page.m_cityCombo[1];
    EXPECT_EQ(combo.GetCount(), 0);
    TapPage(10, 150);
    ASSERT_EQ(combo.GetCount(), 6);
    EXPECT_TRUE(combo.IsWindowVisible());
    EXPECT_TRUE(combo.GetDroppedState());
    EXPECT_EQ(combo.GetCurSel(), static_cast<int>(Berlin));
    RECT r{};
    combo.GetWindowRect(&r);
    page.ScreenToClient(&r);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 140);
    EXPECT_EQ(r.right - r.left, 117);
    // The list opens as wide as its widest name plus a scroll bar and two edges.
    EXPECT_GT(combo.GetDroppedWidth(), ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXEDGE));
    // Laid out 20 pixels high, the list still opens eight rows deep: all six cities show.
    RECT dropped{};
    combo.GetDroppedControlRect(&dropped);
    EXPECT_GE(dropped.bottom - dropped.top, (r.bottom - r.top) + 6 * combo.GetItemHeight(0));
    EXPECT_FALSE(testsupport::SaveScreenshot("clocks-city-list-open").empty());

    dt::PressKey(VK_ESCAPE);
    EXPECT_FALSE(combo.IsWindowVisible());
    EXPECT_EQ(page.s_clockCity[1], static_cast<DWORD>(Berlin));
    TapPage(40, 150); // the second tap only opens it (away from the first: no double tap)

    EXPECT_EQ(combo.GetCount(), 6);
    EXPECT_TRUE(combo.GetDroppedState());
}

TEST_F(ClockCityChoiceTest, ChoosingACityStoresItAndWorksOutItsZone) {
    WriteStandardClocks();
    auto& page = CreatePage();
    OpenList(3); // New York
    dt::PressKey(VK_DOWN);
    EXPECT_EQ(page.s_clockCity[3], static_cast<DWORD>(NewYork)); // only highlighted while the list is open
    dt::PressKey(VK_RETURN);
    EXPECT_EQ(page.s_clockCity[3], static_cast<DWORD>(StJohns));
    EXPECT_EQ(ReadClock(L"clock3"), static_cast<DWORD>(StJohns));
    EXPECT_EQ(page.m_zone[3], -230); // -330 with its summer hour in July
    EXPECT_EQ(page.m_fullRepaint, 1);
    EXPECT_FALSE(page.m_cityCombo[3].IsWindowVisible());
    page.SendMessage(WM_TIMER);
    EXPECT_STREQ(page.m_timeText[3].Left(5), L"06:50"); // -2:30 against London +1 at 10:20
    EXPECT_FALSE(testsupport::SaveScreenshot("clocks-city-chosen").empty());
    EXPECT_TRUE(ui::MessageBoxRecords().empty()); // no reminder: no question

    // A typed name that is not in the list restores the clock's city when the list is left;
    // the typed name of another city chooses that city.
    OpenList(2);
    page.m_cityCombo[2].SetWindowText(L"Nowhere");
    page.SetFocus();
    dt::PumpUntilIdle();
    CString text;
    page.m_cityCombo[2].GetWindowText(text);
    EXPECT_STREQ(text, L"Delhi");
    EXPECT_EQ(page.s_clockCity[2], static_cast<DWORD>(Delhi));
    EXPECT_FALSE(page.m_cityCombo[2].IsWindowVisible());
    OpenList(2);
    page.m_cityCombo[2].SetWindowText(L"Auckland");
    page.SetFocus();
    dt::PumpUntilIdle();
    EXPECT_EQ(page.s_clockCity[2], static_cast<DWORD>(Auckland));
    EXPECT_EQ(ReadClock(L"clock2"), static_cast<DWORD>(Auckland));
    EXPECT_EQ(page.m_zone[2], 12); // its southern summer is not open in July
}

// Escape, or a tap beside the list, after moves in any clock's open list keeps the clock's city:
// nothing is stored, nothing is asked, the list closes.
TEST_F(ClockCityChoiceTest, ACancelledListKeepsEveryClocksCity) {
    WriteStandardClocks();
    auto& page = CreatePage();
    SetReminder(2, Delhi, L"09:00", L"10/05/2027", L"Meet");
    const DWORD cities[5] = {London, Berlin, Delhi, NewYork, Auckland};
    const LPCWSTR values[5] = {L"clock", L"clock1", L"clock2", L"clock3", L"clock4"};
    ui::ScriptMessageBoxAnswers({IDNO}); // clock 1 asks whenever its list closes: not about a city
    for (int n = 0; n < 5; ++n) {
        for (bool escape : {true, false}) {
            OpenList(n);
            dt::PressKey(VK_DOWN);
            dt::PressKey(VK_DOWN);
            if (escape) {
                dt::PressKey(VK_ESCAPE);
            } else {
                RECT r = page.Geometry().InfoButtonArea(n == 0 ? 4 : 0);
                TapPage(r.left - 30, r.top); // beside the list: the list takes the tap
            }
            EXPECT_FALSE(page.m_cityCombo[n].IsWindowVisible()) << n;
            EXPECT_EQ(page.s_clockCity[n], cities[n]) << n << escape;
            EXPECT_EQ(ReadClock(values[n]), cities[n]) << n << escape;
            CString text;
            page.m_cityCombo[n].GetWindowText(text);
            EXPECT_EQ(text, page.m_cities.GetName(cities[n])) << n << escape;
        }
    }
    EXPECT_TRUE(ui::MessageBoxRecords().empty());
}

// Each city of a name that two cities of the shipped list share is chosen by keys, by a tap on
// its item and by typing its list's text (the name and the country); the name alone typed takes
// the first of that name. The list and the page name the city with its country.
TEST_F(ClockCityChoiceTest, EachCityOfADoubledNameIsChosenByKeysTapsAndTyping) {
    testsupport::PlaceShippedCityList();
    WriteClockSettings(0, 1, 2, 3, 4);
    auto& page = CreatePage();
    CComboBox& combo = page.m_cityCombo[2];
    const std::vector<DWORD> seconds = testsupport::SecondsOfDoubledNames(page.m_cities);
    EXPECT_EQ(seconds.size(), 14u);
    for (DWORD second : seconds) {
        const DWORD first = second - 1;
        const CString name = page.m_cities.GetName(second);
        SCOPED_TRACE(std::wstring(name.GetString()));
        const CString label = name + L" (" + page.m_cities.GetCountry(second) + L")";
        OpenList(2);
        testsupport::TypeInCombo(combo, name);
        EXPECT_EQ(combo.GetCurSel(), static_cast<int>(first));
        dt::PressKey(VK_DOWN);
        dt::PressKey(VK_RETURN);
        EXPECT_EQ(page.s_clockCity[2], second);
        EXPECT_EQ(ReadClock(L"clock2"), second);
        EXPECT_EQ(page.GetClockCityName(2), label);

        OpenList(2);
        testsupport::TypeInCombo(combo, name);
        dt::PressKey(VK_RETURN);
        EXPECT_EQ(ReadClock(L"clock2"), first);
        EXPECT_EQ(page.GetClockCityName(2), name + L" (" + page.m_cities.GetCountry(first) + L")");

        OpenList(2);
        testsupport::TypeInCombo(combo, label);
        dt::PressKey(VK_RETURN);
        EXPECT_EQ(ReadClock(L"clock2"), second);

        OpenList(2);
        testsupport::TapListItem(static_cast<int>(first));
        EXPECT_EQ(ReadClock(L"clock2"), first);
        OpenList(2);
        testsupport::TapListItem(static_cast<int>(second));
        EXPECT_EQ(ReadClock(L"clock2"), second);
        if (name == L"Sydney") {
            EXPECT_EQ(page.m_zone[2], -3); // Canada's, in summer time in July
        }
    }
}

// A reminder names its city by name: moved to the other city of that name, the clock asks
// whether its reminder follows, naming the new city with its country.
TEST_F(ClockCityChoiceTest, AReminderIsOfferedTheOtherCityOfItsName) {
    testsupport::PlaceShippedCityList();
    CCitiesDb cities;
    cities.Open();
    ASSERT_TRUE(cities.FindCity(L"Sydney:Australia"));
    const DWORD australia = cities.GetCurrentIndex();
    WriteClockSettings(0, 1, australia, 3, 4);
    CreatePage();
    SetReminder(2, australia, L"09:00", L"10/05/2027", L"Meet");
    ui::ScriptMessageBoxAnswers({IDNO});
    OpenList(2);
    dt::PressKey(VK_DOWN); // Sydney (Canada)
    dt::PressKey(VK_RETURN);
    ASSERT_EQ(ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(ui::MessageBoxRecords()[0].text, L"Sydney:  09h00, 10/5/2027\n\nTo:\n\nSydney (Canada):  09h00, 10/5/2027");
}

// A reminder that went off is over: a new city for its clock offers no move and does not set
// it again.
TEST_F(ClockCityChoiceTest, AReminderThatWentOffIsNeitherOfferedAMoveNorSetAgain) {
    WriteStandardClocks();
    CreatePage();
    SetReminder(2, Delhi, L"09:00", L"10/05/2027", L"Meet"); // 04:30 device time
    device::SetDeviceClock("2027-05-10T05:00:00Z");
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    ASSERT_EQ(device::TakeDueNotifications(now).size(), 1u); // the device raises it
    ui::ClearMessageBoxRecords();
    ui::ScriptMessageBoxAnswers({IDYES, IDOK});
    OpenList(2);
    dt::PressKey(VK_DOWN); // London
    dt::PressKey(VK_RETURN);
    EXPECT_TRUE(ui::MessageBoxRecords().empty());
    HANDLE reminder = FindReminderNotification(kReminderTitles[2]);
    ASSERT_NE(reminder, nullptr);
    EXPECT_TRUE(ReminderHasGoneOff(reminder)) << "not armed again";
    EXPECT_EQ(Reminder(2).text.rfind(L"Delhi", 0), 0u);
}

TEST_F(ClockCityChoiceTest, ReminderFollowsItsClockWhenTheUserAgrees) {
    WriteStandardClocks();
    CreatePage();
    // Home reference London +1 (July). Delhi 09:00 is 04:30 device time.
    SetReminder(2, Delhi, L"09:00", L"10/05/2027", L"Meet");
    SetReminder(1, Berlin, L"07:15", L"01/06/2027", L"Call");
    const NotificationView reminder1 = Reminder(1);
    ASSERT_EQ(Stamp(Reminder(2).start), "2027-05-10 04:30:00");

    // Declined: nothing moves.
    ui::ScriptMessageBoxAnswers({IDNO});
    OpenList(2);
    dt::PressKey(VK_DOWN); // London
    dt::PressKey(VK_RETURN);
    ASSERT_EQ(ui::MessageBoxRecords().size(), 1u);
    const ui::MessageBoxRecord question = ui::MessageBoxRecords()[0];
    EXPECT_EQ(question.caption, L"Update");
    EXPECT_EQ(question.text, L"Delhi:  09h00, 10/5/2027\n\nTo:\n\nLondon:  09h00, 10/5/2027");
    EXPECT_EQ(question.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(Stamp(Reminder(2).start), "2027-05-10 04:30:00");

    // Agreed: the notification is set for London's 09:00, naming London; the texts stay.
    ui::ClearMessageBoxRecords();
    ui::ScriptMessageBoxAnswers({IDYES, IDOK});
    OpenList(2);
    dt::PressKey(VK_DOWN); // New York
    dt::PressKey(VK_RETURN);
    ASSERT_EQ(ui::MessageBoxRecords().size(), 2u);
    EXPECT_EQ(ui::MessageBoxRecords()[0].text, L"Delhi:  09h00, 10/5/2027\n\nTo:\n\nNew York:  09h00, 10/5/2027");
    EXPECT_EQ(ui::MessageBoxRecords()[1].text, L"Reminders settings saved...");
    const NotificationView moved = Reminder(2);
    EXPECT_EQ(Stamp(moved.start), "2027-05-10 14:00:00"); // New York -4 against London +1
    EXPECT_EQ(moved.text, L"New York:  09h00, 10/5/2027   \n\n\nMeet");
    CRegistryKey key;
    EXPECT_STREQ(key.ReadString(HKEY_LOCAL_MACHINE, kRemindersKey, L"clock2"), L"09:00");
    EXPECT_STREQ(key.ReadString(HKEY_LOCAL_MACHINE, kRemindersKey, L"date2"), L"10/05/2027");
    // Another clock's reminder is not touched; the values that were missing now exist, empty.
    EXPECT_EQ(Stamp(Reminder(1).start), Stamp(reminder1.start));
    EXPECT_STREQ(key.ReadString(HKEY_LOCAL_MACHINE, kRemindersKey, L"desc4"), L"");
    EXPECT_EQ(key.RegistryStatus, CRegistryKey::kFound);

    // The city that the reminder already names asks nothing.
    ui::ClearMessageBoxRecords();
    ui::ScriptMessageBoxAnswers({IDNO});
    OpenList(2);
    dt::PressKey(VK_UP); // London
    dt::PressKey(VK_RETURN);
    OpenList(2);
    dt::PressKey(VK_DOWN); // New York again: the reminder names it
    dt::PressKey(VK_RETURN);
    EXPECT_EQ(ui::MessageBoxRecords().size(), 1u); // only the London question
}

TEST_F(ClockCityChoiceTest, ClockOneAsksWhenItsListClosesAndAgainAfterADecline) {
    WriteStandardClocks();
    auto& page = CreatePage();
    SetReminder(1, Berlin, L"23:30", L"31/12/2027", L"Year end");
    OpenList(1);
    // A question now would take this answer, which fits no question's buttons, and be recorded.
    ui::ScriptMessageBoxAnswers({IDCANCEL});
    dt::PressKey(VK_DOWN); // Delhi: no question while the list is open
    EXPECT_TRUE(ui::MessageBoxRecords().empty());
    ui::ClearMessageBoxRecords();
    ui::ScriptMessageBoxAnswers({IDNO});
    dt::PressKey(VK_RETURN);
    EXPECT_EQ(page.s_clockCity[1], static_cast<DWORD>(Delhi));
    ASSERT_EQ(ui::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(ui::MessageBoxRecords()[0].text, L"Berlin:  23h30, 31/12/2027\n\nTo:\n\nDelhi:  23h30, 31/12/2027");

    // Opening and closing it without a change asks again; a yes moves it across the year end.
    ui::ScriptMessageBoxAnswers({IDYES, IDOK});
    OpenList(1);
    dt::PressKey(VK_ESCAPE);
    ASSERT_EQ(ui::MessageBoxRecords().size(), 3u);
    // Delhi 23:30 is 18:00 in London, whose clocks are back on winter time by then (the device
    // stands for London, in summer time now).
    EXPECT_EQ(Stamp(Reminder(1).start), "2027-12-31 18:00:00");
    EXPECT_EQ(Reminder(1).text.substr(0, 26), L"Delhi:  23h30, 31/12/2027 ");
}

// A reminder whose time, read in its clock's new city, is the second showing of an hour the
// device's clock repeats (the notification, set by the reading alone, would go off at the first)
// does not move: it stays as it was, and the user is told why instead of "saved".
TEST_F(ClockCityChoiceTest, AReminderThatWouldFallOnARepeatedReadingStaysAndSaysWhy) {
    WriteStandardClocks();
    auto& page = CreatePage();
    // On the day London's clocks go back, the device (London) shows one hour twice; Delhi,
    // without daylight saving, shows that hour's second showing at a reading of its own.
    const ReminderHome home = ReminderHomeOf(page.m_cities, London, false);
    CString date, time;
    for (int day = 20; day <= 31 && date.IsEmpty(); ++day)
        for (int hour = 0; hour < 24 && date.IsEmpty(); ++hour) {
            CString d, t;
            d.Format(L"%02d/10/2026", day);
            t.Format(L"%02d:00", hour);
            if (ReminderTimingOf(page.m_cities, Delhi, home, t, d) == ReminderTiming::RepeatedReading) {
                date = d;
                time = t;
            }
        }
    ASSERT_FALSE(date.IsEmpty()) << "no October day on which London's clocks go back";
    SetReminder(3, NewYork, time, date, L"Fly");
    const NotificationView before = Reminder(3);

    ui::ScriptMessageBoxAnswers({IDNO, IDYES, IDOK});
    OpenList(3);
    dt::PressKey(VK_UP); // London: declined
    dt::PressKey(VK_RETURN);
    OpenList(3);
    dt::PressKey(VK_UP); // Delhi: agreed, but there the time is a repeated reading
    dt::PressKey(VK_RETURN);
    ASSERT_EQ(ui::MessageBoxRecords().size(), 3u);
    CString refusal;
    refusal.LoadString(IDS_REMINDER_MOVE_REPEATED_READING);
    EXPECT_EQ(ui::MessageBoxRecords()[2].text, refusal.Str());
    EXPECT_EQ(Stamp(Reminder(3).start), Stamp(before.start));
    EXPECT_EQ(Reminder(3).text, before.text);

    // Once the device's clock has gone back, the move is made.
    int d = 0, m = 0, y = 0, h = 0, mi = 0;
    ASSERT_TRUE(ParseReminderDate(date, d, m, y) && ParseReminderTime(time, h, mi));
    char now[32];
    // Delhi is 5h30 ahead: its h:00 is (h-6):30 UTC, and (h-6):10 is after London's change.
    std::snprintf(now, sizeof(now), "2026-10-%02dT%02d:10:00Z", d, h - 6);
    device::SetDeviceClock(now);
    ui::ClearMessageBoxRecords();
    ui::ScriptMessageBoxAnswers({IDNO, IDYES, IDOK});
    OpenList(3);
    dt::PressKey(VK_DOWN); // London: declined
    dt::PressKey(VK_RETURN);
    OpenList(3);
    dt::PressKey(VK_UP); // Delhi
    dt::PressKey(VK_RETURN);
    ASSERT_EQ(ui::MessageBoxRecords().size(), 3u);
    EXPECT_EQ(ui::MessageBoxRecords()[2].text, L"Reminders settings saved...");
    char due[32];
    std::snprintf(due, sizeof(due), "2026-10-%02d %02d:30:00", d, h - 6); // the second showing
    EXPECT_EQ(Stamp(Reminder(3).start), due);
    EXPECT_EQ(Reminder(3).text.substr(0, 25), (L"Delhi:  " + std::wstring(time.Left(2)) + L"h00, " +
                                               std::to_wstring(d) + L"/10/2026 ").substr(0, 25));
}

class HomeCityChoiceTest : public ClockCityChoiceTest {
protected:
    void SetUp() override {
        ClockCityChoiceTest::SetUp();
        CWeatherDb weather;
        weather.Open();
        weather.DeleteCity(L"Nowhere"); // the page fixture's one place
        for (LPCWSTR name : {L"Amsterdam", L"Berlin", L"Paris", L"Zurich"})
            weather.AddCity(name, L"X", L"", L"01/01/2000:Somewhere");
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"weatcs\\USA"),
                                     "Boston;USMA0046\r\nNew York;USNY0996\r\n>\r\nYork;NOTME\r\n");
        const DWORD places[4] = {0, 2, 3, 1};
        const LPCWSTR names[4] = {L"wetp", L"wetp2", L"wetp3", L"wetp4"};
        for (int i = 0; i < 4; ++i) m_reg.WriteDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", names[i], places[i]);
    }
    DWORD Place(LPCWSTR name) { return m_reg.ReadDword(HKEY_LOCAL_MACHINE, L"Jorvana\\weather", name); }
    CRegistryKey m_reg;
};

TEST_F(HomeCityChoiceTest, NewHomeCityJoinsTheWeatherCitiesAndShiftsThePlaces) {
    WriteStandardClocks(); // home London, no zone synchronisation
    auto& page = CreatePage();
    OpenList(0);
    dt::PressKey(VK_DOWN); // New York
    dt::PressKey(VK_RETURN);
    EXPECT_EQ(page.s_clockCity[0], static_cast<DWORD>(NewYork));
    EXPECT_EQ(ReadClock(L"clock"), static_cast<DWORD>(NewYork));
    EXPECT_EQ(page.m_refHours, -4); // the device's clock now stands for New York's summer time
    EXPECT_STREQ(m_reg.ReadString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname"), L"New York:USA");
    EXPECT_TRUE(ui::MessageBoxRecords().empty()); // no reminders: nothing moved, nothing said

    CWeatherDb weather;
    weather.Open();
    ASSERT_TRUE(weather.FindByName(L"New York"));
    const DWORD position = weather.GetCurrentIndex();
    EXPECT_EQ(position, 2u);
    EXPECT_STREQ(weather.GetCode(position), L"USNY0996"); // without the carriage return
    EXPECT_STREQ(weather.GetUpdateDate(position) + L":" + weather.GetCountry(position), L"01/01/2000:USA");
    EXPECT_EQ(Place(L"wetp"), 0u);
    EXPECT_EQ(Place(L"wetp2"), 3u);
    EXPECT_EQ(Place(L"wetp3"), 4u);
    EXPECT_EQ(Place(L"wetp4"), 1u);
    // The next tick shows the city clocks against New York: Berlin (+2) is 6 hours ahead.
    page.SendMessage(WM_TIMER);
    EXPECT_STREQ(page.m_timeText[1].Left(5), L"16:20");
    EXPECT_STREQ(page.m_timeText[0].Left(5), L"10:20");
    EXPECT_FALSE(testsupport::SaveScreenshot("clocks-home-city-chosen").empty());

    // Choosing London and New York again: New York is known already, no place moves again.
    ui::ScriptMessageBoxAnswers({IDOK});
    OpenList(0);
    dt::PressKey(VK_UP);
    dt::PressKey(VK_RETURN);
    OpenList(0);
    dt::PressKey(VK_DOWN);
    dt::PressKey(VK_RETURN);
    EXPECT_EQ(weather.GetRecordCount(), 5);
    EXPECT_EQ(Place(L"wetp2"), 3u);
    EXPECT_EQ(ui::MessageBoxRecords().size(), 1u); // London's country file is missing: reported once
}

TEST_F(HomeCityChoiceTest, HomeReminderMovesWithoutAQuestionAndAMissingCountryFileIsReported) {
    WriteStandardClocks(1); // the device's own zone (UTC) is the reference
    auto& page = CreatePage();
    SetReminder(0, London, L"09:00", L"10/05/2027", L"Home");
    SetReminder(3, NewYork, L"09:00", L"10/05/2027", L"Away");
    ASSERT_EQ(Stamp(Reminder(0).start), "2027-05-10 08:00:00");
    const std::string away = Stamp(Reminder(3).start);

    ui::ScriptMessageBoxAnswers({IDOK, IDOK});
    OpenList(0);
    dt::PressKey(VK_UP); // Delhi (India): no country file
    dt::PressKey(VK_RETURN);
    EXPECT_EQ(page.s_clockCity[0], static_cast<DWORD>(Delhi));
    EXPECT_EQ(page.m_zone[0], 530);
    EXPECT_EQ(page.m_refHours, 0); // the device stays the reference
    ASSERT_EQ(ui::MessageBoxRecords().size(), 2u);
    EXPECT_EQ(ui::MessageBoxRecords()[0].text, L"Reminders settings saved...");
    EXPECT_EQ(ui::MessageBoxRecords()[1].type & MB_ICONEXCLAMATION, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(Stamp(Reminder(0).start), "2027-05-10 03:30:00");
    EXPECT_EQ(Reminder(0).text.substr(0, 7), L"Delhi: ");
    EXPECT_EQ(Stamp(Reminder(3).start), away);
    CWeatherDb weather;
    weather.Open();
    EXPECT_EQ(weather.GetRecordCount(), 4);
    EXPECT_EQ(Place(L"wetp2"), 2u);
}

} // namespace
