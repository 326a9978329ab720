// libFuzzer target for the currency rate reply: the input is stored as a rate reply into a store
// of nine listed currencies, and so is a reply of sensible rates built from it; the stored rates
// must then mean what FuzzRates.h says.
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
    fuzzrates::CheckSensibleRates(data, size);
    device::ui::ClearMessageBoxRecords();
    return 0;
}
