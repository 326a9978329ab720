#pragma once
// The device's user notifications: timed notifications (a dialog, the LED, vibration, a sound)
// kept in device.db, so they outlive the program that set them and every device process sees
// the same list. The window manager raises the due ones; this file keeps them and answers
// "which are due and not yet raised", handing each to exactly one asker even when several
// processes ask at once.
//
// A notification handle is the notification's identity in the store, the same in every process
// ((row id << 2) | 2, so it never equals a handle of the layer's per-process tables). It is not
// closed; CeClearUserNotification removes the notification.
//
// The trigger's start time is the device's LOCAL time, stored as given (all eight fields, the
// day of the week included) and compared with a local "now" by the due query; later changes of
// the zone do not move it. Only CNT_TIME triggers are kept.
//
// Failures return NULL / FALSE and set GetLastError:
//   ERROR_INVALID_PARAMETER   a missing record, a trigger size other than the device's, an
//                             impossible start time, unknown action flags, a text over
//                             kMaxNotificationText characters, no action at all
//   ERROR_NOT_SUPPORTED       a trigger type other than CNT_TIME
//   ERROR_INVALID_HANDLE      no notification with that handle
//   ERROR_INSUFFICIENT_BUFFER a buffer too small (the size needed is returned)
//   ERROR_BADDB               device.db cannot be used

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <vector>

#define CNT_EVENT 1
#define CNT_TIME 2
#define CNT_PERIOD 3
#define CNT_CLASSICTIME 4

#define PUN_LED 1
#define PUN_VIBRATE 2
#define PUN_DIALOG 4
#define PUN_SOUND 8
#define PUN_REPEAT 16

// CE_NOTIFICATION_INFO_HEADER::dwStatus: the notification has been raised.
#define CNS_SIGNALLED 1

struct CE_USER_NOTIFICATION {
    DWORD ActionFlags;
    WCHAR* pwszDialogTitle;
    WCHAR* pwszDialogText;
    WCHAR* pwszSound;
    DWORD nMaxSound;
    DWORD dwReserved;
};
typedef CE_USER_NOTIFICATION* PCE_USER_NOTIFICATION;

struct CE_NOTIFICATION_TRIGGER {
    DWORD dwSize; // sizeof(CE_NOTIFICATION_TRIGGER), or 52, the size of the record on the device
    DWORD dwType;
    DWORD dwEvent;
    WCHAR* lpszApplication;
    WCHAR* lpszArguments;
    SYSTEMTIME stStartTime; // local time
    SYSTEMTIME stEndTime;   // kept, unused by a CNT_TIME trigger
};
typedef CE_NOTIFICATION_TRIGGER* PCE_NOTIFICATION_TRIGGER;

// What CeGetUserNotification lays out in the caller's buffer: this header, then the trigger and
// the user part it points to, then their texts; every pointer points into the same buffer.
struct CE_NOTIFICATION_INFO_HEADER {
    HANDLE hNotification;
    DWORD dwStatus; // CNS_SIGNALLED once raised
    CE_NOTIFICATION_TRIGGER* pcent;
    CE_USER_NOTIFICATION* pceun; // null when the notification has no user part
};
typedef CE_NOTIFICATION_INFO_HEADER* PCE_NOTIFICATION_INFO_HEADER;

// The longest title, text, sound, application or arguments kept, in characters.
constexpr size_t kMaxNotificationText = 32767;

// Registers a new notification (hNotification null) or replaces the trigger and contents of an
// existing one, which then counts as not yet raised. pceun may be null only when the trigger
// names an application. Returns the handle, or NULL.
HANDLE CeSetUserNotificationEx(HANDLE hNotification, CE_NOTIFICATION_TRIGGER* pcnt,
                               CE_USER_NOTIFICATION* pceun);

// Removes a notification.
BOOL CeClearUserNotification(HANDLE hNotification);

// The handles of every notification of the device, oldest first. *pcHandlesNeeded receives
// their number; when cHandles is smaller (a null array counts as 0) nothing is copied and the
// call fails with ERROR_INSUFFICIENT_BUFFER, except that a device without notifications succeeds.
BOOL CeGetUserNotificationHandles(HANDLE* rghNotifications, DWORD cHandles, LPDWORD pcHandlesNeeded);

// Lays out one notification in pBuffer (see CE_NOTIFICATION_INFO_HEADER). *pcBytesNeeded
// receives the size needed; a smaller (or null) buffer fails with ERROR_INSUFFICIENT_BUFFER.
BOOL CeGetUserNotification(HANDLE hNotification, UINT cBufferSize, LPDWORD pcBytesNeeded, LPBYTE pBuffer);

namespace device {

// 100-ns intervals since 1601-01-01 of a calendar date and time taken as it stands (no zone);
// false for an impossible date or time. The day of the week is ignored.
bool SystemTimeTicks(const SYSTEMTIME& st, uint64_t& ticks);

// The notifications whose start time is at or before localNow and that are not yet raised,
// oldest first, without marking them.
std::vector<HANDLE> DueNotifications(uint64_t localNowTicks);

// Marks one notification raised; true only for the caller that changed it from not raised, so
// two processes never raise the same notification.
bool MarkNotificationRaised(HANDLE hNotification);

// Takes the due notifications and marks them raised in one transaction: each due notification
// is returned to exactly one caller, whichever process asks.
std::vector<HANDLE> TakeDueNotifications(uint64_t localNowTicks);
std::vector<HANDLE> TakeDueNotifications(const SYSTEMTIME& localNow);

// One notification as CeGetUserNotification lays it out, in storage aligned for the header and
// owned by the copy; Header() is null when the notification cannot be read.
class NotificationCopy {
public:
    explicit NotificationCopy(HANDLE hNotification);
    const CE_NOTIFICATION_INFO_HEADER* Header() const {
        return m_storage.empty() ? nullptr : reinterpret_cast<const CE_NOTIFICATION_INFO_HEADER*>(m_storage.data());
    }
    // The user part (null when there is none or the notification cannot be read).
    const CE_USER_NOTIFICATION* User() const { return Header() ? Header()->pceun : nullptr; }

private:
    std::vector<uint64_t> m_storage;
};

} // namespace device
