#pragma once
// The host of an address as a browser connects to it, and host matching.
// Every rule that trusts an address by its host uses these, so a host can
// never be read differently by two rules.
#include <string>
#include <string_view>

namespace pellaro {

// The scheme in lower case ("https"), empty when the address has none.
std::wstring UrlScheme(std::wstring_view address);

// The host of an address of the form scheme://authority/...: a leading
// "blob:" dropped, user info, port and trailing dots dropped, an IPv6 literal
// kept with its brackets (anything else in brackets is no host), lower case. Empty when there is no such authority.
std::wstring UrlHost(std::wstring_view address);

// A host compared as one: lower case, trailing dots dropped.
std::wstring NormalizeHost(std::wstring_view host);

// True when host is domain or a subdomain of it (a "." boundary before it).
// Both are normalised first; an empty domain matches nothing.
bool HostIsOrUnder(std::wstring_view host, std::wstring_view domain);

}  // namespace pellaro
