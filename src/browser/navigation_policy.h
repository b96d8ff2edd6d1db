#pragma once
// Which addresses the browser windows may open, and what the home window learns
// from its own navigations. Free of the OS; both editions plug it into their host.
#include <string>
#include <string_view>
#include <vector>

#include "links/content_descriptor.h"

namespace pellaro {

// The host of an address as the browser connects to it (UrlHost): user info,
// port and trailing dots dropped, lower case; empty without "scheme://".
std::wstring ExtractHost(std::wstring_view address);
// Same host, one a subdomain of the other, or the same last two labels.
bool IsSameSite(std::wstring_view hostA, std::wstring_view hostB);
// Host equal to an allowed entry or under it at a "." boundary.
bool IsAllowedHost(std::wstring_view host);
// The profile's allowed-host suffixes, built once per process.
const std::vector<std::wstring>& AllowedHosts();

// The player window's check of one main-frame navigation: true = let it go.
bool PlayerNavigationAllowed(std::wstring_view target, const ContentDescriptor& content);

// The home window's observer: records the origin of an academy page as
// baseAddress (never the tenant chooser). Returns true when it changed.
bool ObserveHomeNavigation(std::wstring_view target, ContentDescriptor& content);

// Page permission requests: a few are granted outright, the rest get the
// browser's own default handling.
enum class PermissionKind { Microphone, Camera, Notifications, Geolocation, Other };
enum class PermissionAnswer { Allow, Default };
PermissionAnswer DecidePermission(PermissionKind kind);

}  // namespace pellaro
