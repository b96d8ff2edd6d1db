#pragma once
// The diagnostic code of this machine, now.
#include <string>
#include <string_view>

namespace pellaro {

// The record of the current time (64-bit seconds), this device's identifier in
// UTF-8 and the reason, scrambled with the profile's diagnostic key, in Base64.
std::string BuildDiagnosticCode(std::string_view reason);

}  // namespace pellaro
