// libFuzzer target for news.htm: the input is the page the HTML viewer opens from the program
// folder, laid out in a viewer the size of the News tool's.
#include "FuzzDevice.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DeviceUi.h"
#include "platform/ui/HtmlView.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzdevice::EnsureDevice();
    static HWND viewer = [] {
        FUZZ_CHECK(InitHTMLControl(nullptr));
        HWND window = CreateWindowExW(0, DISPLAYCLASS, L"", WS_VISIBLE, 0, 0, 240, 216, nullptr, nullptr, nullptr,
                                      nullptr);
        FUZZ_CHECK(window);
        return window;
    }();
    fuzzdevice::Write(L"\\Program Files\\Jorvana\\news.htm", data, size);
    SendMessageW(viewer, DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(L"file://\\Program Files\\Jorvana\\news.htm"));
    device::ui::PumpUntilIdle();
    device::ui::HtmlViewState state;
    FUZZ_CHECK(device::ui::GetHtmlViewState(viewer, state) && state.documentHeight >= 0);
    // Scrolled to its end and back, as the stylus would.
    SendMessageW(viewer, WM_VSCROLL, SB_BOTTOM, 0);
    SendMessageW(viewer, WM_VSCROLL, SB_TOP, 0);
    device::ui::PumpUntilIdle();
    return 0;
}
