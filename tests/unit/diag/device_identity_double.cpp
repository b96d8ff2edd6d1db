// Test double: a fixed device identity for binaries built before (or without)
// the machine query. Non-ASCII on purpose, to show the UTF-8 conversion.
#include "platform/device_identity.h"

namespace pellaro {

std::wstring DeviceIdentifier() { return L"DOUBLE-DEVICE-\u00e9\u0634"; }
std::wstring HardwareIdentifier() { return L"DOUBLE-HARDWARE"; }

}  // namespace pellaro
