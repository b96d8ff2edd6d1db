#pragma once
// The real outside services of the request filter: the pin pre-check, the
// blocked-host notice and the machine identifiers.
#include <functional>
#include <string>

#include "browser/resource_filter.h"

namespace pellaro {

// Pins checked on `pinPort` (443 in the program; tests give the backend's port).
// A blocked host is logged and handed to `blockedHostNotice` on a detached
// thread of its own, so the filter never waits for it.
FilterServices DefaultFilterServices(std::function<void(const std::wstring& host)> blockedHostNotice,
                                     int pinPort = 443);

}  // namespace pellaro
