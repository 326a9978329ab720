// The carried tzdata's zone folder and made-up zone folders compiled with zic.
#include "support/TzdataFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

namespace testsupport {

std::filesystem::path CarriedTzdir() { return JORVANA_CARRIED_TZDIR; }

void UseCarriedTzdir() { setenv("TZDIR", JORVANA_CARRIED_TZDIR, 1); }

std::unique_ptr<TempFolder> CompileZones(const std::string& source) {
    auto folder = std::make_unique<TempFolder>("jorvana-zones-");
    const std::filesystem::path zi = folder->Path() / "tzdata.zi";
    std::ofstream(zi) << source;
    const std::string command =
        std::string("'") + JORVANA_ZIC + "' -d '" + folder->Path().string() + "' '" + zi.string() + "' 2>&1";
    std::string output;
    int status = -1;
    if (FILE* zic = popen(command.c_str(), "r")) {
        std::array<char, 256> chunk;
        while (fgets(chunk.data(), chunk.size(), zic)) output += chunk.data();
        status = pclose(zic);
    }
    if (status != 0) ADD_FAILURE() << "zic refused the zones (" << status << "): " << output;
    return folder;
}

} // namespace testsupport
