#pragma once
// The two machine values sent to the backend and written into diagnostic codes.
#include <string>

namespace pellaro {

// Computed together, once per process (thread-safe); the slow system query
// waits at most 5000 ms. Empty when the machine value cannot be read.
std::wstring DeviceIdentifier();
std::wstring HardwareIdentifier();

}  // namespace pellaro
