#pragma once
// Shared by the weather tests: a fresh device with the program in "\Program Files\Jorvana", a
// weather store seeded from a small cities.wet, and forecast texts built field by field.

#include "core/WeatherDb.h"
#include "platform/gdi/Recorder.h"
#include "platform/ui/WinUser.h"
#include "platform/system/DeviceClock.h"
#include "platform/system/DeviceTime.h"
#include "platform/system/ProgramPath.h"
#include "platform/ui/MessageBox.h"
#include "support/DeviceFileAccess.h"
#include "support/FreshDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace weathertest {

// A forecast of count fields "d<day>f<field>", each closed by "^", day 0's date field ending
// with date (MM/DD/YYYY).
inline std::string Forecast(const std::string& date, int count = 60) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i == 2) {
            text += "Monday ";
            text += date;
        } else {
            text += 'd';
            text += std::to_string(i / 12);
            text += 'f';
            text += std::to_string(i % 12);
        }
        text += "^";
    }
    return text;
}

// The MM/DD/YYYY date days after date (MM/DD/YYYY).
inline std::string DaysAfter(const std::string& date, int days) {
    std::tm t{};
    t.tm_mon = std::stoi(date.substr(0, 2)) - 1;
    t.tm_mday = std::stoi(date.substr(3, 2)) + days;
    t.tm_year = std::stoi(date.substr(6, 4)) - 1900;
    t.tm_hour = 12;
    const time_t at = timegm(&t);
    std::tm out{};
    gmtime_r(&at, &out);
    char text[40];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", out.tm_mon + 1, out.tm_mday, out.tm_year + 1900);
    return text;
}

// A forecast the store takes: day k has the high high + k and the low low + k, condition code
// W01 (sunny), and the date date + k days (date MM/DD/YYYY).
inline std::string NumericForecast(const std::string& date, int high, int low) {
    std::string text;
    for (int day = 0; day < 5; ++day) {
        const std::string fields[12] = {"W01", "Sunny", "Day " + DaysAfter(date, day), "10:00", std::to_string(low + day),
                                        std::to_string(high + day), "20", "N", "x", "10", day == 0 ? "1000" : "60", "10"};
        for (const auto& f : fields) text += f + "^";
    }
    return text;
}

// The width of a recorded text call in the font it was drawn with.
inline int DrawnWidth(const device::gdi::RecordedCall& call) {
    HFONT font = ::CreateFontW(call.fontHeight, 0, 0, 0, call.fontWeight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                               ANTIALIASED_QUALITY, 0, call.fontFace.c_str());
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(dc, call.text.c_str(), static_cast<int>(call.text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(font);
    return size.cx;
}

class WeatherTest : public testsupport::FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        device::ReloadDeviceZone();
        ASSERT_TRUE(device::SetDeviceZone("UTC"));
        device::SetDeviceClock("2009-06-21T10:00:00Z");
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

    // cities.wet lines "country;name;code", then the store opened from it.
    void OpenPlaces(const std::vector<std::string>& lines) {
        std::string text = std::to_string(lines.size()) + "\n";
        for (const auto& line : lines) text += line + "\n";
        testsupport::WriteDeviceFile(testsupport::InProgramFolder(L"cities.wet"), text);
        m_store.Open();
    }
    // Every record as "name|code|forecast|date:country", in the store's normal order.
    std::vector<std::wstring> Records() {
        CWeatherDb reader;
        reader.Open();
        std::vector<std::wstring> rows;
        for (DWORD i = 0; i < reader.GetRecordCount(); ++i) {
            std::wstring row = reader.GetName(i).Str() + L"|" + reader.GetCode(i).Str() + L"|" +
                               reader.GetForecast(i).Str() + L"|" + reader.GetUpdateDate(i).Str() + L":" +
                               reader.GetCountry(i).Str();
            rows.push_back(row);
        }
        return rows;
    }

    CWeatherDb m_store;
};

inline std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

} // namespace weathertest
