#pragma once
// Conversions between the layer's wide text and the UTF-8 kept in device.db and host file names.
// Characters that cannot be encoded (lone surrogates, values past U+10FFFF) become U+FFFD.

#include <string>
#include <string_view>

namespace device {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

} // namespace device
