// TEST DOUBLE: fixed machine values so the network tests link and can see the
// identity headers without the real device identity.
#include "app/device_identity.h"

namespace pellaro {

std::wstring DeviceIdentifier() { return L"test-device-id"; }
std::wstring HardwareIdentifier() { return L"test-hardware-id"; }

}  // namespace pellaro
