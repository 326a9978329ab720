#pragma once
// The tzdata of the tests: the release the project carries (scripts/data/tzdata/tzdata.zi),
// compiled by the build into a zone folder that every test reads through TZDIR, and small
// made-up releases compiled with zic from a few lines of tzdata source, and TZDIR pointed at such
// a folder for a while.

#include "support/TempDevice.h"

#include <filesystem>
#include <memory>
#include <optional>
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

// Two made-up releases a device is started on one after the other, and a city list made from the
// first (rules of 2026), for the tests of cities that follow the machine's tzdata:
//  - Test/Dropping (Dropville, Keepville): +1, summer time from the last Sunday of March to the
//    last of October at 01:00 UTC; the second release drops it from 2027;
//  - Test/Gaining (Gainville): -8 without summer time; the second gains it from 2027 (second
//    Sunday of March to first of November, 02:00);
//  - Test/Hour (Hourville): +2, its clocks go forward on the last Sunday of March at 02:00
//    standard time in the first release, at 03:00 in the second (back at 03:00 and 04:00);
//  - Test/Forever (Foreverville): -8 with summer time; the second release keeps it on its
//    summer time for good from 14 March 2027.
inline constexpr const char* kFirstRelease = R"(# version 2026x
Rule	EU	1981	max	-	Mar	lastSun	1:00u	1:00	S
Rule	EU	1996	max	-	Oct	lastSun	1:00u	0	-
Zone	Test/Dropping	1:00	EU	CE%sT
Zone	Test/Gaining	-8:00	-	PST
Rule	Hr	1997	max	-	Mar	lastSun	2:00s	1:00	S
Rule	Hr	1997	max	-	Oct	lastSun	3:00s	0	-
Zone	Test/Hour	2:00	Hr	EE%sT
Rule	US	2007	max	-	Mar	Sun>=8	2:00	1:00	D
Rule	US	2007	max	-	Nov	Sun>=1	2:00	0	S
Zone	Test/Forever	-8:00	US	P%sT
)";
inline constexpr const char* kSecondRelease = R"(# version 2027y
Rule	EU	1981	2026	-	Mar	lastSun	1:00u	1:00	S
Rule	EU	1996	2026	-	Oct	lastSun	1:00u	0	-
Zone	Test/Dropping	1:00	EU	CE%sT
Rule	Pac	2027	max	-	Mar	Sun>=8	2:00	1:00	D
Rule	Pac	2027	max	-	Nov	Sun>=1	2:00	0	S
Zone	Test/Gaining	-8:00	Pac	P%sT
Rule	Hr	1997	max	-	Mar	lastSun	3:00s	1:00	S
Rule	Hr	1997	max	-	Oct	lastSun	4:00s	0	-
Zone	Test/Hour	2:00	Hr	EE%sT
Rule	US	2007	max	-	Mar	Sun>=8	2:00	1:00	D
Rule	US	2007	max	-	Nov	Sun>=1	2:00	0	S
Zone	Test/Forever	-8:00	US	P%sT	2027 Mar 14 2:00
			-7:00	-	MST
)";
// The list made from the first release; its title names the release. CityIndex in this order.
enum FollowedCity : unsigned { Dropville = 0, Foreverville = 1, Gainville = 2, Hourville = 3, Keepville = 4 };
inline constexpr const char* kFirstReleaseList =
    "Jorvana city list;year 2026;tzdata 2026x;fields: zone;name;country;longitude;latitude;offset;shift;"
    "start day;start hour;end day;end hour\n5\n"
    "Test/Dropping;Dropville;Testland;2;48;1;1;88;2;298;2\n"
    "Test/Forever;Foreverville;Testland;-120;50;-8;1;67;2;305;1\n"
    "Test/Gaining;Gainville;Testland;-123;49;-8;0;0;0;0;0\n"
    "Test/Hour;Hourville;Testland;28;47;2;1;88;2;298;3\n"
    "Test/Dropping;Keepville;Testland;2;48;1;1;88;2;298;2\n";

// TZDIR at a folder (unset for an empty path) for the life of the object, then as it was; the
// device's own zone is read again both times, as a program started then would read it.
class ScopedTzdir {
public:
    explicit ScopedTzdir(const std::filesystem::path& folder);
    ~ScopedTzdir();
    ScopedTzdir(const ScopedTzdir&) = delete;
    ScopedTzdir& operator=(const ScopedTzdir&) = delete;

private:
    std::optional<std::string> m_previous;
};

} // namespace testsupport
