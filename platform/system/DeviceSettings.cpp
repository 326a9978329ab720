#include "platform/system/DeviceSettings.h"
#include "platform/system/DeviceDb.h"

namespace device {
namespace {

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS device_setting(name TEXT PRIMARY KEY, value TEXT NOT NULL)";

DeviceDb* SettingsDb() {
    DeviceDb* db = DeviceDb::Get();
    if (!db || !db->EnsureSchema(device::StorePart::Settings, kSchema)) return nullptr;
    return db;
}

} // namespace

std::optional<std::string> ReadDeviceSetting(std::string_view name) {
    DeviceDb* db = SettingsDb();
    if (!db) return std::nullopt;
    std::optional<std::string> value;
    db->Read([&](sqlite3* h) {
        Statement s(h, "SELECT value FROM device_setting WHERE name = ?");
        s.Bind(1, name);
        if (s.Step()) value = s.Text(0);
        return s.Ok();
    });
    return value;
}

bool WriteDeviceSetting(std::string_view name, std::string_view value) {
    DeviceDb* db = SettingsDb();
    if (!db) return false;
    return db->Write([&](sqlite3* h) {
        Statement s(h, "INSERT INTO device_setting(name, value) VALUES(?, ?) "
                       "ON CONFLICT(name) DO UPDATE SET value = excluded.value");
        s.Bind(1, name).Bind(2, value);
        return s.Run();
    });
}

} // namespace device
