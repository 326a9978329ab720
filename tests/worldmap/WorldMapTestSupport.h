#pragma once
// Shared by the world map tests: a fresh device with a fixed clock and zone, the program in
// "\Program Files\Jorvana" and a small city list.

#include "core/CitiesDb.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/MessageBox.h"
#include "support/DeviceFileAccess.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace worldmaptest {

class WorldMapTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::ReloadDeviceZone();
        ASSERT_TRUE(device::SetDeviceZone("UTC"));
        device::SetModuleDevicePath(testsupport::InProgramFolder(L"Jorvana.exe"));
        testsupport::MakeFolder(testsupport::kProgramFolder);
        device::ui::ClearMessageBoxRecords();
    }
    void TearDown() override {
        device::ui::ClearMessageBoxRecords();
        device::SetModuleDevicePath(L"");
        device::SetDeviceClock("");
        device::ReloadDeviceZone();
        FreshDevice::TearDown();
    }

    // cities.lst lines "name;country;lon;lat;offset;shift;startDay;startHour;endDay;endHour",
    // then the store opened from it.
    void OpenCities(const std::vector<std::string>& lines) {
        std::string text = "Cities\n" + std::to_string(lines.size()) + "\n";
        int n = 0;
        for (const auto& line : lines) text += std::to_string(++n) + ";" + line + "\n";
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.lst"), text);
        m_cities.Open();
    }
    DWORD IndexOf(LPCWSTR nameCountry) {
        EXPECT_TRUE(m_cities.FindCity(nameCountry)) << nameCountry;
        return m_cities.GetCurrentIndex();
    }

    // A device local time.
    static time_t Local(int year, int month, int day, int hour, int minute = 0) {
        struct tm fields {};
        fields.tm_year = year - 1900;
        fields.tm_mon = month - 1;
        fields.tm_mday = day;
        fields.tm_hour = hour;
        fields.tm_min = minute;
        fields.tm_isdst = -1;
        return device::DeviceMktime(&fields);
    }

    CCitiesDb m_cities;
};

} // namespace worldmaptest
