// Settings found damaged: noted by the settings helper, told to the user once, kept until then.
#include "core/DamagedSettings.h"

#include "core/CoreMessages.h"
#include "core/RegistryKey.h"
#include "platform/system/DeviceDb.h"
#include "platform/ui/DeviceProgram.h"
#include "platform/ui/WinUser.h"
#include "resources/resource.h"

#include <mutex>
#include <string>
#include <vector>

namespace {

struct DamagedSetting {
    std::wstring path, name;
    bool told = false; // told to the user, or mended by its reader
};

std::mutex g_mutex;
std::vector<DamagedSetting> g_damaged;
HWND g_teller = nullptr;
bool g_posted = false;
uint64_t g_connection = 0; // the device connection the notes are of

// The notes are of one device: a device opened afresh (a new root) starts without any.
void FollowDeviceLocked() {
    device::DeviceDb* db = device::DeviceDb::Get();
    const uint64_t connection = db ? db->Serial() : 0;
    if (connection == g_connection) return;
    g_connection = connection;
    g_damaged.clear();
}

// Key paths and value names are matched as the registry matches them: letter case aside.
bool SameText(const std::wstring& a, LPCWSTR b) {
    return b && CString(a.c_str()).CompareNoCase(b) == 0;
}

DamagedSetting* Find(LPCWSTR path, LPCWSTR name) {
    FollowDeviceLocked();
    for (DamagedSetting& d : g_damaged)
        if (SameText(d.path, path) && SameText(d.name, name)) return &d;
    return nullptr;
}

// Asks the teller to tell, once for all that waits; called with the lock held.
void PostLocked() {
    if (g_posted || !g_teller || !::IsWindow(g_teller)) return;
    for (const DamagedSetting& d : g_damaged)
        if (!d.told) {
            g_posted = ::PostMessageW(g_teller, WM_APP_TELL_DAMAGED_SETTINGS, 0, 0) != FALSE;
            return;
        }
}

// The screen a key's settings belong to, as the user knows it.
CString KeyLabel(const std::wstring& path) {
    struct Label {
        LPCWSTR path;
        UINT id;
    };
    static const Label kLabels[] = {{L"Jorvana\\wrldclk", IDS_TITLE_WORLD_CLOCKS}, {L"Jorvana\\map", IDS_TITLE_WORLD_MAP},
                                    {L"Jorvana\\weather", IDS_TITLE_WEATHER},      {L"Jorvana\\currencies", IDS_TITLE_CURRENCIES},
                                    {L"Jorvana\\alarms", IDS_SETTINGS_REMINDERS}};
    for (const Label& label : kLabels)
        if (SameText(path, label.path)) {
            const CString text = LoadCoreString(label.id);
            if (!text.IsEmpty()) return text;
        }
    return CString(path.c_str());
}

} // namespace

void NoteDamagedSetting(LPCWSTR path, LPCWSTR name) {
    std::lock_guard lock(g_mutex);
    if (Find(path, name)) return;
    g_damaged.push_back({path ? path : L"", name ? name : L""});
    PostLocked();
}

bool DamagedSettingUntold(LPCWSTR path, LPCWSTR name) {
    std::lock_guard lock(g_mutex);
    const DamagedSetting* d = Find(path, name);
    return d && !d->told;
}

void SettingDamageHandled(LPCWSTR path, LPCWSTR name) {
    std::lock_guard lock(g_mutex);
    if (DamagedSetting* d = Find(path, name)) d->told = true;
}

void SetDamagedSettingsTeller(HWND window) {
    std::lock_guard lock(g_mutex);
    g_teller = window;
    g_posted = false;
    PostLocked();
}

void TellDamagedSettings(HWND owner) {
    std::vector<DamagedSetting> told;
    std::vector<CString> names;
    {
        // Named and marked told in one pass, so that damage noted meanwhile (by another thread)
        // is either named here or left for the next message.
        std::lock_guard lock(g_mutex);
        g_posted = false;
        // A program that ends shows nothing more: what it did not tell stays as it was.
        if (device::ui::IsProgramEnding()) return;
        FollowDeviceLocked();
        for (DamagedSetting& d : g_damaged)
            if (!d.told) {
                d.told = true; // told from here on: what the message names may be written again
                told.push_back(d);
                names.push_back(KeyLabel(d.path) + L": " + d.name.c_str());
            }
    }
    if (names.empty()) return;
    ShowNamesMessage(owner, IDS_SETTINGS_DAMAGED, names);
    // The user knows now: the damaged values go, so that they read as missing and take their
    // starting values as any missing value does, instead of being told again at every start
    // (a value no screen writes again would otherwise stay damaged for good).
    for (const DamagedSetting& d : told) CRegistryKey::DeleteValue(HKEY_LOCAL_MACHINE, d.path.c_str(), d.name.c_str());
}
