// peghelp.exe: the device's help viewer. "peghelp file:<name>" shows \Windows\<name>.
#include "platform/base/Utf8.h"
#include "platform/display/DeviceProgram.h"
#include "platform/programs/peghelp/HelpViewer.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    int exitCode = 0;
    if (!device::display::StartDeviceProgram({"peghelp", false}, exitCode)) return exitCode;
    // The device hands a program its command line whole; the layer split it at blanks.
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    helpviewer::CHelpWindow help;
    if (!help.Create(device::FromUtf8(line))) {
        std::fprintf(stderr, "peghelp: the help window could not be made\n");
        return 1;
    }
    help.RunMessageLoop();
    return 0;
}
