#pragma once
// The tzdata of the tests: the release the project carries (scripts/data/tzdata/tzdata.zi),
// compiled by the build into a zone folder that every test reads through TZDIR, and small
// made-up releases compiled with zic from a few lines of tzdata source.

#include "support/TempDevice.h"

#include <filesystem>
#include <memory>
#include <string>

namespace testsupport {

// The zone folder of the carried tzdata.
std::filesystem::path CarriedTzdir();

// Points TZDIR at the carried zone folder (the test programs start so; a test that pointed it
// elsewhere puts it back).
void UseCarriedTzdir();

// A temporary zone folder made by zic from tzdata source in the form of tzdata.zi, for example
//   "# version 2099a\nR E 1981 ma - Mar lastSu 1u 1 S\nZ Europe/Paris 1 E CE%sT 2027\n1 - CET\n",
// with the source kept beside the zones as tzdata.zi; removed with the object. A source zic
// refuses fails the test and gives a folder without zones.
std::unique_ptr<TempFolder> CompileZones(const std::string& source);

} // namespace testsupport
