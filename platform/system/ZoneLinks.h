#pragma once
// tzdata's links between zone names: an old or alternative name (America/Godthab, Asia/Rangoon,
// Europe/Kiev, UTC) stands for a zone of another name (America/Nuuk, Asia/Yangon, Europe/Kyiv,
// Etc/UTC). Read from the system tzdata of the zone folder (TZDIR or /usr/share/zoneinfo).

#include <map>
#include <string>

namespace device {

// Every link of the system tzdata: link name -> the zone it names, chains followed. Taken from
// the "L" lines of the folder's tzdata.zi; empty when the folder holds none.
const std::map<std::string, std::string>& ZoneLinks();

// The zone a name stands for: a link's zone; a name whose zone file is a symbolic link to
// another file of the folder, that file's name; else the name itself. Two names read the same
// clock when this gives the same text for both.
std::string CanonicalZoneName(const std::string& name);

} // namespace device
