#pragma once
// The shipped per-year daylight-saving windows (dstyears.lst beside the program): reading the
// file and finding the windows of a city's rule. Header-only on the device layer's file calls,
// so that the program and the Today plug-in, which share no other code, read it alike.
//
// The file: a title line; the count of entries; one line per entry; a ">" line. An entry is
// "zones;shift;first year;last year" and then its windows, each "year:start day:start hour:end
// day:end hour" with both days counted from 1 January of that year (1 = 1 January; an end past
// the year's last day lies in the next year) and the hours in the zone's standard time, all
// ";"-separated. From 1 January of the first year to the end of the last year these windows,
// and only these, are open. A city's rule takes an entry's windows when its shift is the
// entry's and its window of the list's year is one of the entry's windows: a rule the user
// wrote otherwise keeps its own reading. A file that is missing, cut short or not of this form
// is not used at all: every rule then reads as it always did.

#include "core/DstMath.h"
#include "core/WholeFile.h"
#include "platform/system/DeviceFiles.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace dstmath {

using ScheduleList = std::vector<std::shared_ptr<const Schedule>>;

// The shipped file's name in the program folder.
constexpr wchar_t kScheduleFileName[] = L"dstyears.lst";
// Far more than the file holds (about a kilobyte): a larger file is not read.
constexpr unsigned long kScheduleFileCap = 64 * 1024;

namespace schedule_detail {

// The text between from and the next delimiter (or the end), and from moved past it.
inline std::string NextField(const std::string& text, size_t& from, char delimiter) {
    const size_t end = text.find(delimiter, from);
    std::string field = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
    from = end == std::string::npos ? text.size() : end + 1;
    return field;
}

// A whole field of an optional minus sign and one to five digits, within [low, high].
inline bool ReadNumber(const std::string& field, long low, long high, long& value) {
    size_t i = field.empty() || field[0] != '-' ? 0 : 1;
    if (i == field.size() || field.size() - i > 5) return false;
    for (size_t k = i; k < field.size(); ++k)
        if (field[k] < '0' || field[k] > '9') return false;
    value = std::strtol(field.c_str(), nullptr, 10);
    return value >= low && value <= high;
}

// One entry's line; false for anything not of the form.
inline bool ParseEntry(const std::string& line, Schedule& out) {
    size_t at = 0;
    NextField(line, at, ';'); // the zones: for the reader of the file
    long shift = 0, first = 0, last = 0;
    if (!ReadNumber(NextField(line, at, ';'), -24, 24, shift) || shift == 0) return false;
    if (!ReadNumber(NextField(line, at, ';'), 1601, 9999, first)) return false;
    if (!ReadNumber(NextField(line, at, ';'), first, 9999, last)) return false;
    out.firstYear = static_cast<int>(first);
    out.lastYear = static_cast<int>(last);
    while (at < line.size()) {
        const std::string window = NextField(line, at, ';');
        size_t w = 0;
        long year = 0, startDay = 0, startHour = 0, endDay = 0, endHour = 0;
        if (!ReadNumber(NextField(window, w, ':'), 1600, 9999, year) ||
            !ReadNumber(NextField(window, w, ':'), 1, 36600, startDay) ||
            !ReadNumber(NextField(window, w, ':'), 0, 23, startHour) ||
            !ReadNumber(NextField(window, w, ':'), 1, 36600, endDay) ||
            !ReadNumber(NextField(window, w, ':'), 0, 23, endHour) || w < window.size())
            return false;
        const long long start = Civil(year, 1, startDay, startHour);
        const long long end = Civil(year, 1, endDay, endHour);
        // In order and apart: each opens after the one before has closed.
        if (end <= start || (!out.windows.empty() && start < out.windows.back().end)) return false;
        out.windows.push_back({start, end, static_cast<int>(shift)});
    }
    return true;
}

} // namespace schedule_detail

// The entries of the file's text; empty for a text that is not wholly of the form.
inline ScheduleList ParseSchedules(const std::string& bytes) {
    std::string text = bytes;
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    size_t at = 0;
    schedule_detail::NextField(text, at, '\n'); // title
    long count = 0;
    if (!schedule_detail::ReadNumber(schedule_detail::NextField(text, at, '\n'), 0, 1000, count)) return {};
    ScheduleList list;
    for (long i = 0; i < count; ++i) {
        if (at >= text.size()) return {}; // cut short
        auto entry = std::make_shared<Schedule>();
        if (!schedule_detail::ParseEntry(schedule_detail::NextField(text, at, '\n'), *entry)) return {};
        list.push_back(std::move(entry));
    }
    // The end marker: a file without it was cut short.
    if (at >= text.size() || schedule_detail::NextField(text, at, '\n') != ">") return {};
    return list;
}

// The entries of the file at the device path; empty when it is missing, unreadable, too
// large or damaged.
inline ScheduleList LoadSchedules(const wchar_t* path) {
    std::string bytes;
    return ReadWholeDeviceFile(path, kScheduleFileCap, bytes) ? ParseSchedules(bytes) : ScheduleList{};
}

// The entry whose windows the rule follows: the same shift, and the rule's window of its own
// year (the list's year) one of the entry's windows; null when none is.
inline std::shared_ptr<const Schedule> FindSchedule(const ScheduleList& list, const Rule& rule) {
    if (!rule.hasDst || rule.year == 0 || list.empty()) return nullptr;
    Rule own = rule;
    own.schedule = nullptr;
    const Window window = WindowOfYear(own, rule.year);
    for (const std::shared_ptr<const Schedule>& entry : list) {
        if (!entry->Covers(rule.year)) continue;
        for (const Schedule::Span& span : entry->windows)
            if (span.shift == rule.shift && span.start == window.start && span.end == window.end) return entry;
    }
    return nullptr;
}

// The rule with the windows of its entry, when the list holds one.
inline void AttachSchedule(Rule& rule, const ScheduleList& list) {
    rule.schedule = FindSchedule(list, rule);
}

} // namespace dstmath
