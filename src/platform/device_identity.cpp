#include "platform/device_identity.h"

#include <mutex>

#include "platform/device_identity_source.h"

namespace pellaro {
namespace {

constexpr std::chrono::milliseconds kQueryLimit{5000};

const MachineIdentity& Cached() {
    static std::once_flag once;
    static MachineIdentity identity;
    std::call_once(once, [] { identity = DeriveIdentity(QueryWithin(ReadMachineValues, kQueryLimit), Sha256Hex); });
    return identity;
}

}  // namespace

std::wstring DeviceIdentifier() { return Cached().device; }
std::wstring HardwareIdentifier() { return Cached().hardware; }

}  // namespace pellaro
