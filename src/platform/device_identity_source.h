#pragma once
// The raw machine values behind the device and hardware identifiers, and the
// steps that turn them into identifiers. Platform files read the values.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace pellaro {

struct MachineValues {
    std::string machine;   // the installation's own id (MachineGuid, /etc/machine-id)
    std::string hardware;  // the board's id (SMBIOS / DMI product UUID or serial)
};

struct MachineIdentity {
    std::wstring device;
    std::wstring hardware;
};

// Reads the values from the system; may be slow. Empty members when unreadable.
MachineValues ReadMachineValues();
// Lower-case hex SHA-256 of the bytes; empty on failure.
std::string Sha256Hex(std::string_view data);

// Hashes the values into identifiers. No machine value: both empty. No hardware
// value: the hardware identifier is derived from the machine value instead.
MachineIdentity DeriveIdentity(const MachineValues& values,
                               const std::function<std::string(std::string_view)>& sha256Hex);

// Runs the query on a worker thread and waits at most `limit`; on time-out the
// result is empty and the worker finishes on its own.
MachineValues QueryWithin(std::function<MachineValues()> query, std::chrono::milliseconds limit);

}  // namespace pellaro
