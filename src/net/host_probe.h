#pragma once
// Platform half of CheckHostPins: one HEAD request to the host on its own
// short-lived session with 3-second time-outs, validated by the pins.
#include <string>

namespace pellaro {

// Only Passed is remembered. A probe that did not complete says nothing
// about the pins: the browser's request goes on (and meets the same network
// trouble), and the next request asks again.
enum class HostProbe {
    SessionFailed,  // no session could be opened
    OpenFailed,     // no connection or request handle
    SendFailed,     // the request could not be sent (no connection, no handshake)
    NoResponse,     // sent, but no response
    Passed,         // the pins passed (or the host has none)
    Refused,        // a received chain failed the pins
};

HostProbe ProbeHostPins(const std::wstring& host, int port);

}  // namespace pellaro
