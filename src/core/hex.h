#pragma once
// Bytes as hexadecimal text.
#include <string>
#include <string_view>

namespace pellaro {

// Two lower-case hex digits per byte, no separators.
std::string ToLowerHex(std::string_view bytes);

}  // namespace pellaro
