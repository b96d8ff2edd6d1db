#pragma once
// Certificate pins: the process-wide store, lookup, validation hooks.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pellaro {

struct PinEntry {
    std::wstring scope;              // host or domain, matched case-insensitively
    std::vector<std::string> pins;   // Base64 SHA-256 of a SubjectPublicKeyInfo, no "sha256/" prefix
};

void InstallDefaultPins();
bool LoadDynamicPins();              // may throw; the caller logs and goes on
std::optional<PinEntry> FindPinEntry(const std::wstring& host);
// Cached per-host pre-check used by the browser's resource filter; false = block.
bool CheckHostPins(const std::wstring& host);

// Called by the pin validation when a backend-domain host fails its pins
// (the connection-failure notice); set by the program at start-up.
void SetPinFailureReporter(std::function<void(const std::wstring& host)> reporter);

}  // namespace pellaro
