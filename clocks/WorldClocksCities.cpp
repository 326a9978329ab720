// The World Clocks page's city choice: taps on the painted page (a clock's city name, its
// information button and its sun icon), the hidden city lists that a tap on a name opens, the
// new city of a clock or of the home clock, and the clocks' reminders following their cities.

#include "clocks/ClockCityInfo.h"
#include "clocks/ReminderNotifications.h"
#include "clocks/StoredCityIndexes.h"
#include "clocks/WorldClocksDlg.h"
#include "core/StorageFaults.h"
#include "core/TextFiles.h"
#include "core/WeatherPlaces.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/File.h"
#include "platform/framework/Time.h"
#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"
#include "resources/resource.h"
#include "shell/MainTabCtrl.h"
#include "shell/StartupFiles.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr LPCWSTR kReminderValueStems[3] = {L"clock", L"date", L"desc"};

// "clock", "date" or "desc" of reminder n: no suffix for the home clock, else its number.
CString ReminderValueName(int stem, int n) {
    CString name = kReminderValueStems[stem];
    if (n > 0) {
        CString number;
        number.Format(L"%d", n);
        name += number;
    }
    return name;
}

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// The part of a reminder's dialog text that names its city and date: up to and including the
// two characters after its first "/20" (the year), or its first line when it holds no such year.
CString ReminderCityAndDate(const CString& text) {
    const int year = text.Find(L"/20");
    if (year >= 0) return text.Left(year + 5 < text.GetLength() ? year + 5 : text.GetLength());
    const int lineEnd = text.Find(L'\n');
    CString line = lineEnd >= 0 ? text.Left(lineEnd) : text;
    line.TrimRight();
    return line;
}

} // namespace

CMainTabCtrl* CWorldClocksDlg::Container() const { return dynamic_cast<CMainTabCtrl*>(GetParent()); }

// [SECTION] Taps -------------------------------------------------------------------------------

void CWorldClocksDlg::OnLButtonDown(UINT nFlags, CPoint point) {
    CDialog::OnLButtonDown(nFlags, point);
    // A tap on the page while the Tools list stands over it puts the selection back first.
    if (CMainTabCtrl* container = Container(); container && container->IsToolsListShown()) container->FocusTab(0);

    const ClockGeometry g = Geometry();
    const POINT p{point.x, point.y};
    for (int n = 0; n < kClockCount; ++n) {
        CComboBox& combo = m_cityCombo[n];
        if (combo.m_hWnd) {
            RECT box{};
            combo.GetWindowRect(&box);
            const int cw = box.right - box.left, ch = box.bottom - box.top;
            POINT origin = g.CityNameTapOrigin(n);
            if (n == 0) origin.x = g.W - cw - 2;
            const RECT area{origin.x, origin.y, origin.x + cw, origin.y + ch};
            if (ClockGeometry::InsideOpen(area, p)) OpenCityList(n);
        }
        if (ClockGeometry::InsideOpen(g.InfoButtonArea(n), p)) ShowCityInfo(s_clockCity[n], m_dateText[n]);
        // The weather cities know a city by its name alone (not by the text its list shows).
        if (ClockGeometry::InsideOpen(g.SunIconArea(n), p)) ShowCityWeather(m_cities.GetName(s_clockCity[n]), s_clockCity[n]);
    }
}

void CWorldClocksDlg::OpenCityList(int clock) {
    CComboBox& combo = m_cityCombo[clock];
    if (combo.GetCount() == 0) {
        // The lists are narrower than many names: they open as wide as the widest.
        FillCityCombo(combo, m_cities);
        combo.SetCurSel(static_cast<int>(s_clockCity[clock]));
    }
    m_cityChoice[clock].Opened();
    // Shown before it takes the focus: a hidden control takes no keys.
    combo.ShowWindow(SW_SHOW);
    combo.SetFocus();
    combo.ShowDropDown(TRUE);
}

void CWorldClocksDlg::ShowCityInfo(DWORD cityIndex, const CString& dateText) {
    ShowClockCityInfo(this, m_cities, cityIndex, dateText, m_refHours, m_refMinutes);
}

void CWorldClocksDlg::ShowCityWeather(const CString& cityName, DWORD /*cityIndex*/) {
    // The forecast view finds the city by its name among the weather cities.
    ShowClockCityWeather(this, m_weatherCities, cityName, GetHomeLocationName());
}

// [SECTION] City lists -------------------------------------------------------------------------

// A move in the open list only highlights a city: the list's closing takes it (or not).
void CWorldClocksDlg::OnSelChangeCity(UINT id) {
    const int clock = static_cast<int>(id) - IDC_CLOCK_CITY0;
    if (m_cityCombo[clock].GetDroppedState()) {
        m_cityChoice[clock].Moved();
        return;
    }
    TakeCity(clock, m_cityCombo[clock].GetCurSel());
}

void CWorldClocksDlg::OnEditChangeCity(UINT id) {
    const int clock = static_cast<int>(id) - IDC_CLOCK_CITY0;
    m_cityChoice[clock].Typed(m_cityCombo[clock]);
}

void CWorldClocksDlg::OnKillFocusCity(UINT id) { LeaveCityList(static_cast<int>(id) - IDC_CLOCK_CITY0, true); }

void CWorldClocksDlg::OnCloseUpCity(UINT id) { LeaveCityList(static_cast<int>(id) - IDC_CLOCK_CITY0, false); }

// Return or a tap on an item: the highlighted city is taken once the list has closed.
void CWorldClocksDlg::OnSelEndOkCity(UINT id) { m_cityChoice[static_cast<int>(id) - IDC_CLOCK_CITY0].Picked(); }

bool CWorldClocksDlg::TakeCity(int clock, int city) {
    if (city < 0 || city == static_cast<int>(s_clockCity[clock])) return true;
    m_cityCombo[clock].SetCurSel(city);
    if (clock == 0)
        ChooseHomeCity();
    else
        ChooseCity(clock);
    return s_clockCity[clock] == static_cast<DWORD>(city);
}

void CWorldClocksDlg::LeaveCityList(int clock, bool killFocus) {
    CComboBox& combo = m_cityCombo[clock];
    // The city the user picked or typed, never one a cancel left highlighted; whatever happens,
    // the list shows the clock's city again (a city that could not be stored is not the clock's).
    const DWORD before = s_clockCity[clock];
    const bool stored = TakeCity(clock, m_cityChoice[clock].Take(combo));
    combo.SetCurSel(static_cast<int>(s_clockCity[clock]));
    if (killFocus) combo.ShowDropDown(FALSE);
    combo.ShowWindow(SW_HIDE);
    // Clock 1 asks about its reminder each time its list closes, but not right after a city
    // that could not be stored: nothing moved.
    if (!killFocus && clock == 1 && stored) OfferReminderMove(1, s_clockCity[clock] != before);
}

void CWorldClocksDlg::ChooseCity(int clock) {
    const int selected = m_cityCombo[clock].GetCurSel();
    if (selected < 0) return;
    // The clock shows a city only once it is stored; a failed write (said by the registry
    // helper) leaves the list, the zone and the name on the stored city, and no reminder to move.
    if (!m_registry.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, kClockValueNames[clock], static_cast<DWORD>(selected))) {
        m_cityCombo[clock].SetCurSel(static_cast<int>(s_clockCity[clock]));
        return;
    }
    s_clockCity[clock] = static_cast<DWORD>(selected);
    LoadOneClockZone(clock, CTime::GetCurrentTime().GetYear());
    m_fullRepaint = 1;
    if (clock >= 2) OfferReminderMove(clock, true);
}

void CWorldClocksDlg::OfferReminderMove(int clock, bool moved) {
    CString text;
    if (!FindArmedReminderNotification(kReminderTitles[clock], &text)) return;
    const int colon = text.Find(L':');
    const CString reminderCity = colon >= 0 ? text.Left(colon) : text;
    const CString newCity = m_cities.GetName(s_clockCity[clock]);
    // A reminder names its city by name alone: one of a name other cities have too is asked
    // about whenever the clock moved, as it may be the other city of that name.
    const CString shown = CityListLabel(m_cities, s_clockCity[clock]);
    if (reminderCity == newCity && !(moved && shown != newCity)) return;

    const CString cityAndDate = ReminderCityAndDate(text);
    const int dateColon = cityAndDate.Find(L':');
    const CString question = LoadText(IDS_MOVE_REMINDER_LEAD) + cityAndDate + LoadText(IDS_MOVE_REMINDER_TO) + shown +
                             (dateColon >= 0 ? cityAndDate.Mid(dateColon) : CString());
    if (MessageBox(question, LoadText(IDS_MOVE_REMINDER_CAPTION), MB_YESNO | MB_ICONQUESTION) == IDYES)
        RescheduleReminders(clock);
}

void CWorldClocksDlg::ChooseHomeCity() {
    const int selected = m_cityCombo[0].GetCurSel();
    if (selected < 0) return;
    const DWORD city = static_cast<DWORD>(selected);

    HANDLE reminders[kReminderCount] = {};
    FindReminderNotifications(reminders);
    const bool moveReminders =
        std::any_of(std::begin(reminders), std::end(reminders), [](HANDLE h) { return h && !ReminderHasGoneOff(h); });
    const HomeWeatherPlace place = FindHomeWeatherPlace(city);

    // The home city, its name, its reminders and its weather place land together or not at all:
    // a home name or a place position that does not fit the stored home city would name another.
    BOOL shifted[4] = {FALSE, FALSE, FALSE, FALSE};
    bool refused = false;
    const bool stored = StoreWritesAllOrNothing([&] {
        return m_registry.WriteDword(HKEY_LOCAL_MACHINE, kClocksKey, kClockValueNames[0], city) &&
               m_registry.WriteString(HKEY_LOCAL_MACHINE, L"Jorvana", L"hlname",
                                      m_cities.GetName(city) + L":" + m_cities.GetCountry(city)) &&
               (!moveReminders || StoreReminderMoves(0, refused)) && (place.code.IsEmpty() || AddWeatherPlace(place, shifted));
    });
    if (stored) {
        s_clockCity[0] = city;
        if (!m_syncLocalZone) {
            // The device's clock now stands for the new city; the city clocks' windows are
            // tested against the new reference, as the ticker does when the reference moves.
            ComputeHomeZone(m_refHours, m_refMinutes);
            LoadClockZones(s_clockCity[0], s_clockCity[1], s_clockCity[2], s_clockCity[3], s_clockCity[4]);
        } else
            LoadOneClockZone(0, CTime::GetCurrentTime().GetYear()); // the device keeps being the reference
        m_fullRepaint = 1;
    } else {
        m_cityCombo[0].SetCurSel(static_cast<int>(s_clockCity[0])); // the home clock keeps its stored city
    }
    if (stored && moveReminders) TellReminderMoved(refused);
    place.Complain();
    if (CMainTabCtrl* container = Container(); stored && container)
        container->ShiftWeatherPlaces(shifted[0], shifted[1], shifted[2], shifted[3]);
}

void CWorldClocksDlg::HomeWeatherPlace::Complain() const {
    if (damaged) AfxMessageBox(IDS_COUNTRY_CITIES_FILE_DAMAGED, MB_OK);
    if (openError) {
        CFileException failure(CFileException::OsErrorToException(openError), openError, path);
        failure.ReportError();
    }
}

CWorldClocksDlg::HomeWeatherPlace CWorldClocksDlg::FindHomeWeatherPlace(DWORD cityIndex) {
    HomeWeatherPlace place;
    place.name = m_cities.GetName(cityIndex);
    place.country = m_cities.GetCountry(cityIndex);
    // The country names a file inside the weatcs folder, never a path out of it.
    if (place.name.IsEmpty() || place.country.IsEmpty() || !IsNameInsideFolder(place.country)) return place;
    // A city the weather cities hold already stays where it is.
    if (m_weatherCities.FindByName(place.name)) return place;

    place.path = GetShippedFilePath(L"weatcs\\" + place.country);
    CTextFileHandle file(OpenTextFile(place.path, TextFileKind::CountryCities, &place.damaged));
    if (!file) {
        if (!place.damaged) place.openError = static_cast<LONG>(::GetLastError());
        return place;
    }
    CWaitCursor wait;
    CString code;
    if (FindCountryWeatherCode(file.Get(), place.name, code, &place.damaged)) place.code = code;
    return place;
}

bool CWorldClocksDlg::AddWeatherPlace(const HomeWeatherPlace& place, BOOL shifted[4]) {
    return AddWeatherCityKeepingPlaces(m_weatherCities, m_registry, place.name, place.code, place.country, shifted);
}

// [SECTION] Reminders --------------------------------------------------------------------------

void CWorldClocksDlg::RescheduleReminders(int clock) {
    // Said saved only once the moved notification and the texts are both stored.
    bool refused = false;
    if (StoreWritesAllOrNothing([&] { return StoreReminderMoves(clock, refused); })) TellReminderMoved(refused);
}

void CWorldClocksDlg::TellReminderMoved(bool refused) {
    MessageBox(LoadText(refused ? IDS_REMINDER_MOVE_REPEATED_READING : IDS_REMINDERS_SAVED), nullptr,
               refused ? MB_OK | MB_ICONEXCLAMATION : MB_OK);
}

bool CWorldClocksDlg::StoreReminderMoves(int clock, bool& refused) {
    refused = false;
    if (clock < 0 || clock >= kClockCount) return true;
    CString* const texts[3] = {m_reminderTime, m_reminderDate, m_reminderDescription};
    for (int n = 0; n < kClockCount; ++n)
        for (int stem = 0; stem < 3; ++stem)
            texts[stem][n] = m_registry.ReadString(HKEY_LOCAL_MACHINE, kRemindersKey, ReminderValueName(stem, n));

    int32_t cities[kClockCount] = {};
    ReadClockCityIndexes(m_registry, cities);
    // The device's clock stands for the home city, or with zone synchronisation for its own zone.
    const ReminderHome home = ReminderHomeOf(m_cities, static_cast<DWORD>(cities[0]), m_syncLocalZone);

    // Only this clock's reminder moves, and only when its notification is set; texts that do
    // not give a real time and date leave it as it was. In the new city its time may fall on the
    // second showing of an hour the device's clock repeats, which the notification (set by the
    // reading alone) would raise an hour early: it is then left as it was, and the user told.
    const DWORD city = static_cast<DWORD>(cities[clock]);
    refused = FindArmedReminderNotification(kReminderTitles[clock]) &&
              ReminderTimingOf(m_cities, city, home, m_reminderTime[clock], m_reminderDate[clock]) ==
                  ReminderTiming::RepeatedReading;
    if (!refused)
        MoveReminder(m_cities, clock, city, home, m_reminderTime[clock], m_reminderDate[clock],
                     m_reminderDescription[clock]);

    for (int n = 0; n < kClockCount; ++n)
        for (int stem = 0; stem < 3; ++stem)
            if (!m_registry.WriteString(HKEY_LOCAL_MACHINE, kRemindersKey, ReminderValueName(stem, n), texts[stem][n]))
                return false;
    return true;
}
