#pragma once
// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks).
#include <string>
#include <string_view>

namespace pellaro {

std::string Base64Encode(std::string_view bytes);

// Lenient: stops without error at the first "=" or at the first character
// outside the alphabet; an unfinished group of k characters yields k - 1 bytes.
std::string Base64Decode(std::string_view text);

}  // namespace pellaro
