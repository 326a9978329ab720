#pragma once
// What the city editor and reminders tests share: a device with a display and the program's
// path, a city list written to the device, a modal dialog run under a script, and the device's
// notifications read back.

#include "core/RegistryKey.h"
#include "platform/display/Display.h"
#include "platform/display/HeadlessTest.h"
#include "platform/framework/Dlg.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/Notifications.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/MessageBox.h"
#include "support/FreshDevice.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace clocktests {

class ClockDialogTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::display::Start();
        device::SetModuleDevicePath(L"\\Program Files\\Jorvana\\Jorvana.exe");
        ASSERT_TRUE(device::SetDeviceZone("UTC"));
        device::SetDeviceClock("2010-05-01T08:00:00Z");
        device::ui::ClearMessageBoxRecords();
    }
    void TearDown() override {
        device::ui::ClearMessageBoxRecords();
        device::SetDeviceClock("");
        device::SetModuleDevicePath(L"");
        FreshDevice::TearDown();
    }

    // One city: name, country, UTC offset, rule fields (five, ":"-separated, "0:0:0:0:0" none).
    struct City {
        std::string name;
        std::string country;
        std::string offset = "0";
        std::string rule = "0:0:0:0:0";
    };

    // The title line may name the year whose dates the rules' day numbers are ("...;year 2026").
    void WriteCities(const std::vector<City>& cities, const std::string& title = "title") {
        std::filesystem::path host;
        ASSERT_TRUE(device::ResolveDevicePath(L"\\Program Files\\Jorvana\\cities.lst", host));
        std::filesystem::create_directories(host.parent_path());
        std::ofstream out(host, std::ios::binary);
        out << title << "\n" << cities.size() << "\n";
        for (const auto& c : cities) {
            std::string rule = c.rule;
            for (char& ch : rule)
                if (ch == ':') ch = ';';
            out << "Zone/X;" << c.name << ";" << c.country << ";10;20;" << c.offset << ";" << rule << "\n";
        }
    }

    // Runs a modal dialog; once it is shown the script acts as the user (and must close it).
    // Returns how it closed.
    template <typename Dlg> static INT_PTR RunModal(Dlg& dlg, std::function<void(Dlg&)> script) {
        static std::function<void()> s_script;
        s_script = [&dlg, script] { script(dlg); };
        ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            auto* shown = dynamic_cast<Dlg*>(CWnd::FromHandlePermanent(::GetActiveWindow()));
            if (!shown || !shown->IsWindowVisible()) return; // shown at the modal loop's first idle moment
            ::KillTimer(nullptr, id);
            s_script();
        });
        return dlg.DoModal();
    }

    static std::vector<device::ui::MessageBoxRecord> Boxes() { return device::ui::MessageBoxRecords(); }
    // The texts of the message boxes shown so far, in order.
    static std::vector<std::wstring> BoxTexts() {
        std::vector<std::wstring> texts;
        for (const auto& box : device::ui::MessageBoxRecords()) texts.push_back(box.text);
        return texts;
    }

    CRegistryKey m_reg;
};

// One notification of the device as the service lays it out.
struct NotificationView {
    HANDLE handle = nullptr;
    std::wstring title;
    std::wstring text;
    DWORD flags = 0;
    DWORD type = 0;
    SYSTEMTIME start{};
};

inline std::vector<NotificationView> AllNotifications() {
    DWORD n = 0;
    ::CeGetUserNotificationHandles(nullptr, 0, &n);
    std::vector<HANDLE> handles(n);
    if (n) ::CeGetUserNotificationHandles(handles.data(), n, &n);
    std::vector<NotificationView> result;
    for (HANDLE h : handles) {
        DWORD needed = 0;
        ::CeGetUserNotification(h, 0, &needed, nullptr);
        std::vector<uint64_t> buffer(needed / 8 + 1);
        if (!::CeGetUserNotification(h, needed, &needed, reinterpret_cast<LPBYTE>(buffer.data()))) continue;
        auto* header = reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(buffer.data());
        NotificationView v;
        v.handle = h;
        v.type = header->pcent->dwType;
        v.start = header->pcent->stStartTime;
        if (header->pceun) {
            v.title = header->pceun->pwszDialogTitle ? header->pceun->pwszDialogTitle : L"";
            v.text = header->pceun->pwszDialogText ? header->pceun->pwszDialogText : L"";
            v.flags = header->pceun->ActionFlags;
        }
        result.push_back(v);
    }
    return result;
}

// "YYYY-MM-DD HH:MM:SS" of a SYSTEMTIME.
inline std::string Stamp(const SYSTEMTIME& st) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour,
                  st.wMinute, st.wSecond);
    return text;
}

} // namespace clocktests
