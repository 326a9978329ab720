#pragma once
// The clock table made from tzdata by scripts/data/gen_dst_table.py (tests/clocks/DstChangeTable.txt):
// for each shipped city with a daylight-saving rule as the home city on a device in its zone,
// instants around each clock change of the list's year and the years after it, and what four
// clock cities read there.

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

struct DstTableRow {
    std::wstring home; // name ":" country
    std::string zone;  // the device's zone, the home city's
    std::string instant;
    std::string texts[4]; // "HH:MM:SS DD/MM" of each clock city
};

struct DstTable {
    std::vector<std::wstring> clockCities; // name ":" country of the four clock cities
    std::vector<DstTableRow> rows;
};

inline std::vector<std::string> SplitTableLine(const std::string& line, char sep) {
    std::vector<std::string> parts;
    std::stringstream in(line);
    std::string part;
    while (std::getline(in, part, sep)) parts.push_back(part);
    return parts;
}

inline DstTable ReadDstTable(const std::string& path) {
    auto widen = [](const std::string& s) { return std::wstring(s.begin(), s.end()); };
    std::ifstream in(path);
    DstTable table;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("# device zone", 0) == 0) {
            // "...time and date of A:a, B:b, C:c, D:d."
            std::string list = line.substr(line.find(" of ") + 4);
            list.pop_back();
            for (const std::string& city : SplitTableLine(list, ','))
                table.clockCities.push_back(widen(city.substr(city.find_first_not_of(' '))));
        }
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = SplitTableLine(line, ';');
        if (f.size() != 7) continue;
        table.rows.push_back(DstTableRow{widen(f[0]), f[1], f[2], {f[3], f[4], f[5], f[6]}});
    }
    return table;
}

} // namespace testsupport
