#pragma once
// The reminders' system notifications. Each clock (0 the home clock, 1-4 the city clocks) has one
// reminder: a wall-clock time and date in that clock's city. The program keeps no notification
// handles: a reminder's notification is found again by its dialog title, "Jorvana Reminder" for
// the home clock and "Jorvana Reminder1" to "Jorvana Reminder4" for the others. Arming a
// reminder converts its time from the city's zone into the device's local time and sets a timed
// notification (LED, vibration, dialog, repeated; no sound) that the system raises whether the
// program runs or not.
//
// Daylight saving: a city's offset for now includes its rule's shift while the rule's window of
// the device's current year is open. The window itself is worked out by the clocks page's rule
// evaluation; callers hand it in as a DstShiftQuery.

#include "clocks/DstRule.h"
#include "core/CitiesDb.h"
#include "core/RegistryKey.h"
#include "platform/system/Notifications.h"

#include <ctime>
#include <functional>

constexpr int kReminderCount = 5;
constexpr LPCWSTR kRemindersKey = L"Jorvana\\alarms";
extern const LPCWSTR kReminderTitles[kReminderCount];

// The shift in hours that a city's daylight-saving rule adds at a local time of the device: the
// rule's shift while t lies inside the rule's window for the given year, 0 outside it and for a
// rule without daylight saving.
using DstShiftQuery = std::function<int(const CString& rule, int year, time_t localTime)>;

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

// The leading decimal integer of a text (an optional sign, then digits); 0 when there is none.
int ParseLeadingInt(const CString& text);

// The cities' own daylight-saving rules as a DstShiftQuery: the rule's shift while t lies in the
// window that matters for t (a southern summer that opened the year before included).
DstShiftQuery CityRuleDstShift();

// The home reference of the reminders: the home clock's city (clock under Jorvana\wrldclk,
// missing reads 0) with its daylight saving when the device's local time now lies in its window,
// as hours and minutes of the same sign.
void ReminderHomeReference(CCitiesDb& db, CRegistryKey& reg, const DstShiftQuery& dst, int& hours, int& minutes);

// The city's offset now: its standard offset, plus its shift when the city's current standard
// time (read against the home reference) lies in its rule's window of the device's year.
int ReminderCityZoneNow(CCitiesDb& db, DWORD city, int refHours, int refMinutes, const DstShiftQuery& dst);

// The device-local instant at which a city at cityZone shows hour:minute on day/month/year,
// the device's local clock standing for the home reference. False for a time or date that does
// not exist (hours 0-23, minutes 0-59, a real calendar day) or that the device cannot hold.
bool ComputeReminderInstant(int hour, int minute, int day, int month, int year, int refHours, int refMinutes,
                            int cityZone, SYSTEMTIME& instant);

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
bool ScheduleReminder(CCitiesDb& db, int n, DWORD city, int refHours, int refMinutes, const CString& time,
                      const CString& date, const CString& description, const DstShiftQuery& dst);

// Sets reminder n again for its clock's (new) city, like ScheduleReminder, but only when its
// notification exists: a reminder that is not armed stays unarmed. Returns true when it was set.
// The texts are those stored for the reminder; they are read in the new city's zone.
bool MoveReminder(CCitiesDb& db, int n, DWORD city, int refHours, int refMinutes, const CString& time,
                  const CString& date, const CString& description, const DstShiftQuery& dst);

// True when a reminder's time and date in its city are already over (an earlier minute than
// the device's current one): such a reminder would never go off. Texts that do not give a
// real time and date are not past (the form's validation speaks for them).
bool ReminderIsPast(CCitiesDb& db, DWORD city, int refHours, int refMinutes, const CString& time,
                    const CString& date, const DstShiftQuery& dst);

// Disarms reminder n: removes the notification of its title when there is one.
void ClearReminder(int n);
