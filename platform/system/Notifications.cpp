// The user-notification store over device.db.
//
// Table ce_notification: one row per notification; the trigger's two SYSTEMTIMEs are kept as
// 16-byte blobs (eight little-endian WORDs) so that they come back exactly as set, and the
// start time also as "due" ticks for the due query. Null texts stay null (NULL columns).

#include "platform/system/Notifications.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceDb.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <string>

using device::DeviceDb;
using device::Statement;

namespace {

const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS ce_notification(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    trigger_size INTEGER NOT NULL,
    type INTEGER NOT NULL,
    event INTEGER NOT NULL,
    application TEXT,
    arguments TEXT,
    start BLOB NOT NULL,
    finish BLOB NOT NULL,
    due INTEGER NOT NULL,
    has_user INTEGER NOT NULL,
    actions INTEGER NOT NULL,
    title TEXT,
    body TEXT,
    sound TEXT,
    max_sound INTEGER NOT NULL,
    reserved INTEGER NOT NULL,
    raised INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS ce_notification_due ON ce_notification(raised, due);
)";

// The size of the trigger record on the device itself (32-bit pointers).
constexpr DWORD kDeviceTriggerSize = 52;
constexpr DWORD kKnownActions = PUN_LED | PUN_VIBRATE | PUN_DIALOG | PUN_SOUND | PUN_REPEAT;

SYSTEMTIME UnpackTime(const std::vector<uint8_t>& in);

// The columns of the table that came after its first layout, and whether the table is there.
struct Layout {
    bool exists = false, hasDue = false, hasRaised = false;
    bool NeedsUpgrade() const { return exists && !(hasDue && hasRaised); }
};

Layout ReadLayout(sqlite3* h) {
    Layout layout;
    Statement s(h, "PRAGMA table_info(ce_notification)");
    while (s.Step()) {
        layout.exists = true;
        std::string column = s.Text(1);
        if (column == "due") layout.hasDue = true;
        if (column == "raised") layout.hasRaised = true;
    }
    return layout;
}

// A table written by an earlier version of the store may lack the columns added since (the due
// ticks, the raised mark): they are added, and the due ticks computed from the start times, so
// its notifications are kept and raised like the others. A start time that is no date is due at
// once rather than never.
bool UpgradeOldLayout(sqlite3* h) {
    const Layout layout = ReadLayout(h);
    if (!layout.NeedsUpgrade()) return true; // another process did it meanwhile
    if (!layout.hasRaised &&
        !Statement(h, "ALTER TABLE ce_notification ADD COLUMN raised INTEGER NOT NULL DEFAULT 0").Run())
        return false;
    if (layout.hasDue) return true;
    if (!Statement(h, "ALTER TABLE ce_notification ADD COLUMN due INTEGER NOT NULL DEFAULT 0").Run()) return false;
    std::vector<std::pair<int64_t, uint64_t>> dues;
    {
        Statement s(h, "SELECT id, start FROM ce_notification");
        while (s.Step()) {
            uint64_t due = 0;
            if (!device::SystemTimeTicks(UnpackTime(s.Blob(1)), due)) due = 0;
            dues.emplace_back(s.Int(0), due);
        }
    }
    for (auto [id, due] : dues)
        if (!Statement(h, "UPDATE ce_notification SET due=? WHERE id=?")
                 .Bind(1, static_cast<int64_t>(due))
                 .Bind(2, id)
                 .Run())
            return false;
    return true;
}

DeviceDb* Db() {
    DeviceDb* db = DeviceDb::Get();
    if (!db) return nullptr;
    // device.db may come from an earlier version: looked at once for each connection (once the
    // table has this layout, nothing gives it the old one again).
    static std::atomic<uint64_t> checked{0};
    static std::atomic<uint64_t> checkedRollbacks{0}; // a rollback may take new tables with it
    if (checked.load(std::memory_order_acquire) != db->Serial() ||
        checkedRollbacks.load(std::memory_order_acquire) != db->Rollbacks()) {
        const uint64_t rollbacks = db->Rollbacks();
        bool upgrade = false;
        db->Read([&](sqlite3* h) {
            upgrade = ReadLayout(h).NeedsUpgrade();
            return true;
        });
        if (upgrade && !db->Write([](sqlite3* h) { return UpgradeOldLayout(h); })) return nullptr;
        if (!db->EnsureSchema(device::StorePart::Notifications, kSchema)) return nullptr;
        checkedRollbacks.store(rollbacks, std::memory_order_release);
        checked.store(db->Serial(), std::memory_order_release);
    }
    return db;
}

HANDLE HandleOf(int64_t id) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>((id << 2) | 2));
}

// The row id behind a handle; 0 for a value that cannot be one.
int64_t IdOf(HANDLE h) {
    auto v = reinterpret_cast<uintptr_t>(h);
    if ((v & 3) != 2) return 0;
    return static_cast<int64_t>(v >> 2);
}

std::vector<uint8_t> PackTime(const SYSTEMTIME& st) {
    const WORD fields[8] = {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                            st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
    std::vector<uint8_t> out;
    for (WORD f : fields) {
        out.push_back(static_cast<uint8_t>(f & 0xFF));
        out.push_back(static_cast<uint8_t>(f >> 8));
    }
    return out;
}

SYSTEMTIME UnpackTime(const std::vector<uint8_t>& in) {
    WORD fields[8] = {};
    for (size_t i = 0; i < 8 && 2 * i + 1 < in.size(); ++i)
        fields[i] = static_cast<WORD>(in[2 * i] | (in[2 * i + 1] << 8));
    SYSTEMTIME st;
    st.wYear = fields[0];
    st.wMonth = fields[1];
    st.wDayOfWeek = fields[2];
    st.wDay = fields[3];
    st.wHour = fields[4];
    st.wMinute = fields[5];
    st.wSecond = fields[6];
    st.wMilliseconds = fields[7];
    return st;
}

bool TextOk(const WCHAR* s) {
    return !s || std::wcslen(s) <= kMaxNotificationText;
}

void BindText(Statement& s, int index, const WCHAR* text) {
    if (text)
        s.Bind(index, std::wstring_view(text));
    else
        s.BindNull(index);
}

// Checks a trigger and user part; the error on refusal.
bool Validate(const CE_NOTIFICATION_TRIGGER* t, const CE_USER_NOTIFICATION* u, uint64_t& due, DWORD& error) {
    error = ERROR_INVALID_PARAMETER;
    if (!t) return false;
    if (t->dwSize != sizeof(CE_NOTIFICATION_TRIGGER) && t->dwSize != kDeviceTriggerSize) return false;
    if (t->dwType != CNT_TIME) {
        error = t->dwType >= CNT_EVENT && t->dwType <= CNT_CLASSICTIME ? ERROR_NOT_SUPPORTED
                                                                       : ERROR_INVALID_PARAMETER;
        return false;
    }
    if (!device::SystemTimeTicks(t->stStartTime, due)) return false;
    if (!u && !t->lpszApplication) return false; // nothing would happen
    if (!TextOk(t->lpszApplication) || !TextOk(t->lpszArguments)) return false;
    if (u) {
        if (u->ActionFlags & ~kKnownActions) return false;
        if (!TextOk(u->pwszDialogTitle) || !TextOk(u->pwszDialogText) || !TextOk(u->pwszSound)) return false;
    }
    error = 0;
    return true;
}

// Binds the 15 stored fields from parameter 1 on.
void BindFields(Statement& s, const CE_NOTIFICATION_TRIGGER* t, const CE_USER_NOTIFICATION* u, uint64_t due) {
    s.Bind(1, static_cast<int64_t>(t->dwSize)).Bind(2, static_cast<int64_t>(t->dwType));
    s.Bind(3, static_cast<int64_t>(t->dwEvent));
    BindText(s, 4, t->lpszApplication);
    BindText(s, 5, t->lpszArguments);
    auto start = PackTime(t->stStartTime);
    auto finish = PackTime(t->stEndTime);
    s.BindBlob(6, start.data(), start.size()).BindBlob(7, finish.data(), finish.size());
    s.Bind(8, static_cast<int64_t>(due)).Bind(9, static_cast<int64_t>(u ? 1 : 0));
    s.Bind(10, static_cast<int64_t>(u ? u->ActionFlags : 0));
    BindText(s, 11, u ? u->pwszDialogTitle : nullptr);
    BindText(s, 12, u ? u->pwszDialogText : nullptr);
    BindText(s, 13, u ? u->pwszSound : nullptr);
    s.Bind(14, static_cast<int64_t>(u ? u->nMaxSound : 0))
        .Bind(15, static_cast<int64_t>(u ? u->dwReserved : 0));
}

// Runs fn in a transaction; the error it leaves (ERROR_BADDB when device.db failed) is set as
// the last error on failure.
template <typename Fn> bool Run(bool write, Fn&& fn) {
    DeviceDb* db = Db();
    if (!db) {
        SetLastError(ERROR_BADDB);
        return false;
    }
    DWORD error = 0;
    auto body = [&](sqlite3* h) { return fn(h, error); };
    bool ok = write ? db->Write(body) : db->Read(body);
    if (!ok) SetLastError(error ? error : ERROR_BADDB);
    return ok;
}

constexpr size_t Align(size_t n) {
    return (n + 7) & ~static_cast<size_t>(7);
}

} // namespace

bool device::SystemTimeTicks(const SYSTEMTIME& st, uint64_t& ticks) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12) return false;
    int y = st.wYear;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    int monthDays = kDays[st.wMonth - 1] + (st.wMonth == 2 && leap ? 1 : 0);
    if (st.wDay < 1 || st.wDay > monthDays || st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59 ||
        st.wMilliseconds > 999)
        return false;
    // Days since 1601-01-01 (proleptic Gregorian), by the civil-from-days method.
    int m = st.wMonth;
    int yy = y - (m <= 2 ? 1 : 0);
    int era = yy / 400;
    int yoe = yy - era * 400;
    int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + st.wDay - 1;
    int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    int64_t daysFrom0000 = static_cast<int64_t>(era) * 146097 + doe; // days since 0000-03-01
    constexpr int64_t kDays1601 = 584694;                            // 1601-01-01 on that scale
    int64_t days = daysFrom0000 - kDays1601;
    int64_t seconds = ((days * 24 + st.wHour) * 60 + st.wMinute) * 60 + st.wSecond;
    ticks = static_cast<uint64_t>(seconds) * 10000000ull + static_cast<uint64_t>(st.wMilliseconds) * 10000ull;
    return true;
}

HANDLE CeSetUserNotificationEx(HANDLE hNotification, CE_NOTIFICATION_TRIGGER* pcnt,
                               CE_USER_NOTIFICATION* pceun) {
    uint64_t due = 0;
    DWORD error = 0;
    if (!Validate(pcnt, pceun, due, error)) {
        SetLastError(error);
        return nullptr;
    }
    int64_t id = 0;
    if (hNotification) {
        id = IdOf(hNotification);
        if (!id) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
    }
    bool ok = Run(true, [&](sqlite3* h, DWORD& err) {
        if (id) {
            Statement s(h, "UPDATE ce_notification SET trigger_size=?1, type=?2, event=?3, application=?4, "
                           "arguments=?5, start=?6, finish=?7, due=?8, has_user=?9, actions=?10, title=?11, "
                           "body=?12, sound=?13, max_sound=?14, reserved=?15, raised=0 WHERE id=?16");
            BindFields(s, pcnt, pceun, due);
            s.Bind(16, id);
            if (!s.Run()) return false;
            if (sqlite3_changes(h) == 0) {
                err = ERROR_INVALID_HANDLE;
                return false;
            }
            return true;
        }
        Statement s(h,
                    "INSERT INTO ce_notification(trigger_size, type, event, application, arguments, start, "
                    "finish, due, has_user, actions, title, body, sound, max_sound, reserved) "
                    "VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,?15)");
        BindFields(s, pcnt, pceun, due);
        if (!s.Run()) return false;
        id = sqlite3_last_insert_rowid(h);
        return true;
    });
    return ok ? HandleOf(id) : nullptr;
}

BOOL CeClearUserNotification(HANDLE hNotification) {
    int64_t id = IdOf(hNotification);
    if (!id) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return Run(true, [&](sqlite3* h, DWORD& err) {
        if (!Statement(h, "DELETE FROM ce_notification WHERE id=?").Bind(1, id).Run()) return false;
        if (sqlite3_changes(h) == 0) {
            err = ERROR_INVALID_HANDLE;
            return false;
        }
        return true;
    });
}

BOOL CeGetUserNotificationHandles(HANDLE* rghNotifications, DWORD cHandles, LPDWORD pcHandlesNeeded) {
    if (!pcHandlesNeeded) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<int64_t> ids;
    if (!Run(false, [&](sqlite3* h, DWORD&) {
            Statement s(h, "SELECT id FROM ce_notification ORDER BY id");
            while (s.Step())
                ids.push_back(s.Int(0));
            return s.Error() == SQLITE_OK;
        }))
        return FALSE;
    *pcHandlesNeeded = static_cast<DWORD>(ids.size());
    if (!rghNotifications) cHandles = 0;
    if (cHandles < ids.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    for (size_t i = 0; i < ids.size(); ++i)
        rghNotifications[i] = HandleOf(ids[i]);
    return TRUE;
}

BOOL CeGetUserNotification(HANDLE hNotification, UINT cBufferSize, LPDWORD pcBytesNeeded, LPBYTE pBuffer) {
    int64_t id = IdOf(hNotification);
    if (!id) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    struct Row {
        CE_NOTIFICATION_TRIGGER trigger{};
        CE_USER_NOTIFICATION user{};
        bool hasUser = false;
        bool raised = false;
        std::optional<std::wstring> texts[5]; // application, arguments, title, body, sound
    } row;
    if (!Run(false, [&](sqlite3* h, DWORD& err) {
            Statement s(h,
                        "SELECT trigger_size, type, event, application, arguments, start, finish, has_user, "
                        "actions, title, body, sound, max_sound, reserved, raised FROM ce_notification "
                        "WHERE id=?");
            if (!s.Bind(1, id).Step()) {
                err = s.Error() == SQLITE_OK ? ERROR_INVALID_HANDLE : 0;
                return false;
            }
            row.trigger.dwSize = static_cast<DWORD>(s.Int(0));
            row.trigger.dwType = static_cast<DWORD>(s.Int(1));
            row.trigger.dwEvent = static_cast<DWORD>(s.Int(2));
            row.trigger.stStartTime = UnpackTime(s.Blob(5));
            row.trigger.stEndTime = UnpackTime(s.Blob(6));
            row.hasUser = s.Int(7) != 0;
            row.user.ActionFlags = static_cast<DWORD>(s.Int(8));
            row.user.nMaxSound = static_cast<DWORD>(s.Int(12));
            row.user.dwReserved = static_cast<DWORD>(s.Int(13));
            row.raised = s.Int(14) != 0;
            const int cols[5] = {3, 4, 9, 10, 11};
            for (int i = 0; i < 5; ++i)
                if (!s.IsNull(cols[i])) row.texts[i] = s.WText(cols[i]);
            return true;
        }))
        return FALSE;

    const size_t headerAt = 0;
    const size_t triggerAt = Align(headerAt + sizeof(CE_NOTIFICATION_INFO_HEADER));
    const size_t userAt = Align(triggerAt + sizeof(CE_NOTIFICATION_TRIGGER));
    size_t textAt = row.hasUser ? Align(userAt + sizeof(CE_USER_NOTIFICATION)) : userAt;
    size_t need = textAt;
    for (const auto& t : row.texts)
        if (t) need += (t->size() + 1) * sizeof(WCHAR);
    if (pcBytesNeeded) *pcBytesNeeded = static_cast<DWORD>(need);
    if (!pBuffer || cBufferSize < need) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memset(pBuffer, 0, need);
    WCHAR* text = reinterpret_cast<WCHAR*>(pBuffer + textAt);
    WCHAR* placed[5] = {};
    for (int i = 0; i < 5; ++i) {
        if (!row.texts[i]) continue;
        std::wmemcpy(text, row.texts[i]->c_str(), row.texts[i]->size() + 1);
        placed[i] = text;
        text += row.texts[i]->size() + 1;
    }
    auto* trigger = reinterpret_cast<CE_NOTIFICATION_TRIGGER*>(pBuffer + triggerAt);
    *trigger = row.trigger;
    trigger->lpszApplication = placed[0];
    trigger->lpszArguments = placed[1];
    CE_USER_NOTIFICATION* user = nullptr;
    if (row.hasUser) {
        user = reinterpret_cast<CE_USER_NOTIFICATION*>(pBuffer + userAt);
        *user = row.user;
        user->pwszDialogTitle = placed[2];
        user->pwszDialogText = placed[3];
        user->pwszSound = placed[4];
    }
    auto* header = reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(pBuffer + headerAt);
    header->hNotification = HandleOf(id);
    header->dwStatus = row.raised ? CNS_SIGNALLED : 0;
    header->pcent = trigger;
    header->pceun = user;
    return TRUE;
}

device::NotificationCopy::NotificationCopy(HANDLE hNotification) {
    DWORD need = 0;
    CeGetUserNotification(hNotification, 0, &need, nullptr);
    if (need < sizeof(CE_NOTIFICATION_INFO_HEADER)) return;
    m_storage.resize((need + sizeof(uint64_t) - 1) / sizeof(uint64_t));
    if (!CeGetUserNotification(hNotification, need, &need, reinterpret_cast<LPBYTE>(m_storage.data())))
        m_storage.clear();
}

std::vector<HANDLE> device::DueNotifications(uint64_t localNowTicks) {
    std::vector<HANDLE> due;
    Run(false, [&](sqlite3* h, DWORD&) {
        Statement s(h, "SELECT id FROM ce_notification WHERE raised=0 AND due<=? ORDER BY id");
        s.Bind(1, static_cast<int64_t>(localNowTicks));
        while (s.Step())
            due.push_back(HandleOf(s.Int(0)));
        return s.Error() == SQLITE_OK;
    });
    return due;
}

bool device::MarkNotificationRaised(HANDLE hNotification) {
    int64_t id = IdOf(hNotification);
    if (!id) return false;
    bool changed = false;
    Run(true, [&](sqlite3* h, DWORD&) {
        if (!Statement(h, "UPDATE ce_notification SET raised=1 WHERE id=? AND raised=0").Bind(1, id).Run())
            return false;
        changed = sqlite3_changes(h) > 0;
        return true;
    });
    return changed;
}

std::vector<HANDLE> device::TakeDueNotifications(uint64_t localNowTicks) {
    std::vector<HANDLE> taken;
    bool ok = Run(true, [&](sqlite3* h, DWORD&) {
        taken.clear();
        Statement s(h, "UPDATE ce_notification SET raised=1 WHERE raised=0 AND due<=? RETURNING id");
        s.Bind(1, static_cast<int64_t>(localNowTicks));
        std::vector<int64_t> ids;
        while (s.Step())
            ids.push_back(s.Int(0));
        if (s.Error() != SQLITE_OK) return false;
        std::sort(ids.begin(), ids.end());
        for (int64_t id : ids)
            taken.push_back(HandleOf(id));
        return true;
    });
    if (!ok) taken.clear();
    return taken;
}

std::vector<HANDLE> device::TakeDueNotifications(const SYSTEMTIME& localNow) {
    uint64_t ticks = 0;
    if (!SystemTimeTicks(localNow, ticks)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    return TakeDueNotifications(ticks);
}
