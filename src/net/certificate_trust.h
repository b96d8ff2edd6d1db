#pragma once
// Who decides whether a server's certificate is trusted. A host with pins is
// trusted by its pins alone: the platform's certificate errors are ignored for
// it and the pins checked instead. Every other host, and every request of a
// client with pinning off, keeps the platform's own verification.
#include <functional>
#include <string>

namespace pellaro {

// True when the host has a pin entry with at least one pin.
bool PinsDecideTrust(const std::wstring& host);

// A certificate the platform's verification refused is accepted only for a
// host whose pins decide, and only when pinsPass(host) says they pass.
bool AcceptRefusedCertificate(const std::wstring& host, const std::function<bool(const std::wstring&)>& pinsPass);

}  // namespace pellaro
