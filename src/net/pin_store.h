#pragma once
// Certificate pins: the process-wide store, lookup, validation hooks.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pellaro {

struct PinEntry {
    std::wstring scope;             // host or domain, matched case-insensitively
    std::vector<std::string> pins;  // Base64 SHA-256 of a SubjectPublicKeyInfo, no "sha256/" prefix
};

// A pin-list download: loaded (the store replaced), or why not (the store untouched).
struct PinListLoad {
    bool loaded = false;
    std::string error;  // the request's failure text, "status N", or why the list is unreadable
    explicit operator bool() const { return loaded; }
};

void InstallDefaultPins();
PinListLoad LoadDynamicPins();  // may throw; the caller logs and goes on
std::optional<PinEntry> FindPinEntry(const std::wstring& host);
// Cached per-host pre-check used by the browser's resource filter; false = block.
// The host is normalised first (case, trailing dots).
bool CheckHostPins(const std::wstring& host);

// Called by the pin validation when a backend-domain host fails its pins
// (the connection-failure notice); set by the program at start-up.
void SetPinFailureReporter(std::function<void(const std::wstring& host)> reporter);

// The built-in entry: the backend domain and its four pins.
PinEntry DefaultPinEntry();
// Whole-list replacement and a copy of the list (the store is never edited in place).
void ReplacePinStore(std::vector<PinEntry> entries);
std::vector<PinEntry> PinStoreSnapshot();
// LoadDynamicPins against another address (the built-in one has no port).
PinListLoad LoadDynamicPinsFrom(const std::wstring& url);
// The default entry followed by the backend's entries; throws on a malformed list.
std::vector<PinEntry> ParsePinList(const std::string& body);

// True when the host is the backend's domain or a subdomain of it.
bool IsBackendDomainHost(const std::wstring& host);

// CheckHostPins on another port (the browser always uses 443), and the cache.
bool CheckHostPinsOnPort(const std::wstring& host, int port);
void ClearHostPinCache();

}  // namespace pellaro
