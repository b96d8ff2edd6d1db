#pragma once
// Platform half of CheckHostPins: one HEAD request to the host on its own
// short-lived session with 3-second time-outs, validated by the pins.
#include <string>

namespace pellaro {

enum class HostProbe {
    SessionFailed,  // no session could be opened: allow, do not cache
    OpenFailed,     // no connection or request handle: allow, do not cache
    SendFailed,     // the request could not be sent: allow and cache
    NoResponse,     // sent, but no response: allow and cache
    Passed,         // the pins passed (or the host has none)
    Refused,        // the pins failed
};

HostProbe ProbeHostPins(const std::wstring& host, int port);

}  // namespace pellaro
