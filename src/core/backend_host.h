#pragma once
// Which hosts belong to the academy's backend: the only hosts that may see the
// device identity (browser filter, program navigations, the print fetch).
#include <string_view>

namespace pellaro {

// True when the host is one of the backend domains or under one of them.
bool IsBackendHost(std::wstring_view host);

}  // namespace pellaro
