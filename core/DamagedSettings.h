#pragma once
// Settings found damaged: a registry value that is there but is not what its reader reads (a
// text where a number is read, a number where a text is read, a number of another size). The
// settings helper (CRegistryKey) notes each as it meets it and reads it as missing; the user is
// told once which settings were damaged and that Jorvana uses their starting values, and until
// the user has been told nothing is written over a damaged value. A reader that mends the value
// another way (asks the user again, or takes it from what the store still holds) marks it
// handled: it is left out of the message and written as usual.

#include "platform/base/WinTypes.h"

// The message the telling window receives when damaged settings wait to be told (posted, so
// that the user is told once the program is idle, never from inside a store transaction or a
// paint).
constexpr UINT WM_APP_TELL_DAMAGED_SETTINGS = 0x80C0;

// Called by the settings helper for every damaged value it reads.
void NoteDamagedSetting(LPCWSTR path, LPCWSTR name);
// The value was found damaged and the user has not been told yet: nothing may replace it.
bool DamagedSettingUntold(LPCWSTR path, LPCWSTR name);
// The reader mends the value itself: it is not told, and may be written.
void SettingDamageHandled(LPCWSTR path, LPCWSTR name);

// The window that tells the user (the main window, which handles WM_APP_TELL_DAMAGED_SETTINGS
// by calling TellDamagedSettings); null when it goes. Damage already noted is posted to it.
void SetDamagedSettingsTeller(HWND window);
// Shows one message naming every damaged setting not told yet ("World Clocks: clock1"), owned by
// owner.
void TellDamagedSettings(HWND owner);
