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

// The item's own site, as far as trust goes (the message bridge, page
// permissions): the same site as the item's address; when the item sits on a
// shared host of the allowed list (a CDN or storage service anyone can publish
// on), only its own host and the hosts under it. False without an item.
bool IsItemSite(std::wstring_view host, const ContentDescriptor& content);

// Page permission requests, by the address (origin) of the page or frame that
// asks: microphone, camera and notifications for an http(s) page on a backend
// host, the meeting service or the item's own site; every other request is
// refused outright, never left to a prompt.
enum class PermissionKind { Microphone, Camera, Notifications, Geolocation, Other };
enum class PermissionAnswer { Allow, Deny };
PermissionAnswer DecidePermission(PermissionKind kind, std::wstring_view requestingAddress,
                                  const ContentDescriptor& content);

}  // namespace pellaro
