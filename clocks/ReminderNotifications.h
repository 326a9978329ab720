#pragma once
// The reminders' system notifications. Each clock (0 the home clock, 1-4 the city clocks) has one
// reminder: a wall-clock time and date in that clock's city. The program keeps no notification
// handles: a reminder's notification is found again by its dialog title, "Jorvana Reminder" for
// the home clock and "Jorvana Reminder1" to "Jorvana Reminder4" for the others. Arming a
// reminder converts its time from the city's zone into the device's local time and sets a timed
// notification (LED, vibration, dialog, repeated; no sound) that the system raises whether the
// program runs or not.
//
// Daylight saving: a reminder's time is read with the offset its city has at that time, not at
// the moment it is set, and it is handed to the service in the device's local time of that
// instant: the home city's wall time when the device's clock stands for the home city, else the
// time of the device's own zone.

#include "clocks/DstRule.h"
#include "core/CitiesDb.h"
#include "core/RegistryKey.h"
#include "platform/system/Notifications.h"

#include <ctime>

constexpr int kReminderCount = 5;
constexpr LPCWSTR kRemindersKey = L"Jorvana\\alarms";
extern const LPCWSTR kReminderTitles[kReminderCount];

// How the device's clock reads: the home city's wall time (its summer time while its window is
// open), or, with zone synchronisation, the time of the device's own zone.
struct ReminderHome {
    bool deviceZone = false;
    int standard = 0;   // the home city's standard HhmmOffset
    DstRuleFields rule; // its rule as its clock reads it (no daylight saving when not set)
};

// Action flags of a reminder's notification: LED, vibration, dialog, repeat.
constexpr DWORD kReminderActionFlags = PUN_LED | PUN_VIBRATE | PUN_DIALOG | PUN_REPEAT;
// Room for the dialog text, terminator included.
constexpr size_t kReminderTextCapacity = 1024;

// The handle of the first notification of the device whose dialog title is exactly title
// (letter case counts), whichever program set it; null when there is none. With dialogText,
// the found notification's dialog text is handed back (left as it was when none is found).
HANDLE FindReminderNotification(LPCWSTR title, CString* dialogText = nullptr);
// The same for the five reminder titles in one pass over the notifications: handles[k] is the
// first notification titled kReminderTitles[k], or null.
void FindReminderNotifications(HANDLE handles[kReminderCount]);

// Whether the device has raised the notification already: a reminder that went off (shown,
// and dismissed or not) is no longer armed.
bool ReminderHasGoneOff(HANDLE handle);
// FindReminderNotification, for a reminder still to go off: one that went off is over, and a
// clock's new city neither moves it nor sets it again.
HANDLE FindArmedReminderNotification(LPCWSTR title, CString* dialogText = nullptr);

// The leading decimal integer of a text (an optional sign, then digits); 0 when there is none.
int ParseLeadingInt(const CString& text);

// The home of the reminders: the home clock's city (clock under Jorvana\wrldclk, missing reads
// 0) and whether the device's zone gives its clock (syncltz not 0).
ReminderHome ReadReminderHome(CCitiesDb& db, CRegistryKey& reg);
// The home of the reminders for a given home city and zone synchronisation.
ReminderHome ReminderHomeOf(CCitiesDb& db, DWORD city, bool deviceZone);

// The device-local instant at which the city's clock shows hour:minute on day/month/year, each
// zone with its daylight saving of that instant. A time that the city's clocks show twice (when
// they go back) is the first, or the second while the first is already over and the second is
// still to come; one that they skip is moved forward with them. False for a time or
// date that does not exist or that the device cannot hold.
bool ReminderDueTime(CCitiesDb& db, DWORD city, const ReminderHome& home, int hour, int minute, int day, int month,
                     int year, SYSTEMTIME& instant);

// "City:  HHhMM, D/M/YYYY   ": the reminder's time and date as the city's clock shows them.
CString ReminderFirstLine(const CString& cityName, const CString& hoursText, const CString& minutesText, int day,
                          int month, int year);
// The first line, three line breaks and the description, cut to fit kReminderTextCapacity.
CString ReminderDialogText(const CString& firstLine, const CString& description);

// A reminder's texts as the reminders form stores them: "HH:MM" and "DD/MM/YYYY". The parts
// are read between the separators, so "7:5" and "5/3/2010" are understood too. False when a
// part is missing or not a number.
bool ParseReminderTime(const CString& time, int& hour, int& minute, CString* hoursText = nullptr,
                       CString* minutesText = nullptr);
bool ParseReminderDate(const CString& date, int& day, int& month, int& year);

// Arms reminder n (0-4) of the clock on city: sets its notification for the device-local
// instant of its time and date in that city, replacing the notification of the same title or
// registering a new one. Returns false, and leaves the notification as it was, when the texts
// do not give a real time and date or the service refuses.
bool ScheduleReminder(CCitiesDb& db, int n, DWORD city, const ReminderHome& home, const CString& time,
                      const CString& date, const CString& description);

// Sets reminder n again for its clock's (new) city, like ScheduleReminder, but only when its
// notification exists: a reminder that is not armed stays unarmed. Returns true when it was set.
// The texts are those stored for the reminder; they are read in the new city's zone.
bool MoveReminder(CCitiesDb& db, int n, DWORD city, const ReminderHome& home, const CString& time,
                  const CString& date, const CString& description);

// Whether a reminder can be armed for its time.
enum class ReminderTiming {
    Due,  // its notification goes off at its time (or the texts give no time: the form's
          // validation speaks for them)
    Past, // its time and date in its city are over (an earlier minute than the device's
          // current one): it would never go off
    // The device's clock goes back around it and shows its reading twice, and the reminder is
    // meant for the second showing (its first is over, or it is the device's second): the
    // service, which takes only the reading, would raise it at once or at the first showing.
    // Once the clock has gone back it can be armed.
    RepeatedReading,
};
ReminderTiming ReminderTimingOf(CCitiesDb& db, DWORD city, const ReminderHome& home, const CString& time,
                                const CString& date);
// True when the reminder's timing is Past.
bool ReminderIsPast(CCitiesDb& db, DWORD city, const ReminderHome& home, const CString& time, const CString& date);

// Disarms reminder n: removes the notification of its title when there is one.
void ClearReminder(int n);

// Sets each reminder still to go off again where the device-local instant its city's clock shows
// its time at has moved since it was set: a city that follows the machine's tzdata reads the
// tzdata of this start, which may have changed under the device since. A reminder that has gone
// off, whose texts give no time, that still names a city its clock has left (its move declined),
// or whose new instant the device's clock shows twice, is left as it is. Returns how many were
// set again.
int RefreshArmedReminders(CCitiesDb& db, CRegistryKey& reg);
