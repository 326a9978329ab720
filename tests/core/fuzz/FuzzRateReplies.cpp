// libFuzzer target for the currency rate reply: the input is stored as a rate reply into a store
// of nine listed currencies, and every stored rate must be a valid one afterwards (see FuzzRates.h).
#include "FuzzRates.h"
#include "platform/base/CodePage.h"
#include "platform/ui/MessageBox.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzdevice::EnsureDevice();
    // The whole input, NUL bytes included, as the exchange hands a body over.
    const CString reply(device::WidenBytes(std::string_view(reinterpret_cast<const char*>(data), size)));
    fuzzrates::CheckRates(reply);
    device::ui::ClearMessageBoxRecords();
    return 0;
}
