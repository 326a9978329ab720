// A device program that runs one feed exchange with the server its command line names, as the
// program's synchronisation runs it (the connection confirmed with Yes): exit status 0 when a
// body came back, 3 when the exchange failed or was given up.
#include "core/HttpExchange.h"
#include "platform/base/Utf8.h"
#include "platform/display/DeviceProgram.h"
#include "platform/ui/MessageBox.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    int exitCode = 0;
    if (!device::display::StartDeviceProgram({"feed-exchange-child", false}, exitCode)) return exitCode;
    device::ui::ScriptMessageBoxAnswers({IDYES});
    const CString body = HttpExchange(CString(device::FromUtf8(argv[1]).c_str()), L"jc=110", nullptr);
    return body.IsEmpty() ? 3 : 0;
}
