#pragma once
// The real outside services of the request filter: the pin pre-check, the
// blocked-host notice and the machine identifiers.
#include "browser/resource_filter.h"

namespace pellaro {

// Pins checked on `pinPort` (443 in the program; tests give the backend's port).
FilterServices DefaultFilterServices(int pinPort = 443);

// Where the blocked-host notice goes: ReportBlockedHost unless replaced (tests).
// Each call runs on its own detached thread, so the filter never waits for it.
void SetBlockedHostReporter(std::function<void(const std::wstring& host)> reporter);

}  // namespace pellaro
