#pragma once
// Which identity headers an address may carry. An engine that follows a
// redirect keeps the headers the filter set on the first request; before the
// request to the new address leaves, every identity header it is not entitled
// to must go.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellaro {

// Both identity pairs' names, in the profile's order.
const std::vector<std::wstring>& IdentityHeaderNames();

// Whether the identity header `name` may go to `address`: the first pair only
// to backend hosts; the second also to addresses matching its patterns.
bool IdentityHeaderAllowed(std::wstring_view name, std::wstring_view address);

// The identity headers `present` reports on a request for `address` that must
// be removed before it is sent.
std::vector<std::wstring> StrayIdentityHeaders(std::wstring_view address,
                                               const std::function<bool(const std::wstring& name)>& present);

}  // namespace pellaro
