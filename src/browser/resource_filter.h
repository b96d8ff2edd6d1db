#pragma once
// What happens to each request a page makes: the pin pre-check that may block
// it, and the headers it carries. Both editions translate their engine's
// request into a WebRequest, run these decisions and copy the result back.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "links/content_descriptor.h"

namespace pellaro {

using HeaderList = std::vector<std::pair<std::wstring, std::wstring>>;

// One request as the filter sees it.
struct WebRequest {
    std::wstring address;  // as received
    HeaderList headers;    // headers set by the filter, in order
    bool blocked = false;  // answer with BlockedResponse instead of sending it

    // Sets a header, replacing an earlier one of the same name (case-insensitive).
    void SetHeader(std::wstring_view name, std::wstring_view value);
    std::optional<std::wstring> Header(std::wstring_view name) const;
};

// The synthetic answer for a blocked request.
struct BlockedResponse {
    static constexpr int status = 403;
    static constexpr const wchar_t* reason = L"Blocked";
    static constexpr const wchar_t* headers = L"Content-Type: text/plain";
};

// The outside services the filter relies on; the program binds the real ones
// (DefaultFilterServices), tests and benchmarks bind their own.
struct FilterServices {
    std::function<bool(const std::wstring& host)> checkHostPins;      // false = block
    std::function<void(const std::wstring& host)> reportBlockedHost;  // shows the notice, must not block
    std::function<std::wstring()> deviceIdentifier;
    std::function<std::wstring()> hardwareIdentifier;
    // The engine met a certificate it does not trust: whether to accept it
    // (AcceptRefusedCertificate: only a pinned host whose pins pass).
    std::function<bool(const std::wstring& host)> trustPinnedHost;
};

// Host of an "https://" or "wss://" address for the pin check (UrlHost);
// empty for every other address.
std::wstring PinCheckHost(std::wstring_view address);
// True when the address's host is a backend domain or under one; text in the
// path, query or user info does not count.
bool IsBackendAddress(std::wstring_view address);
// True when the lower-case address matches one of the second pair's patterns.
bool WantsSecondIdentityPair(std::wstring_view lowerAddress);

// True when a redirect from one address to the next may be followed as the
// engine does it, keeping the headers of the first hop: every identity header
// the filter gave `from` would be given to `to` as well. False when following
// it would carry identity to a host the filter does not give it to; the
// target must then be requested afresh (or not at all).
bool RedirectKeepsIdentity(std::wstring_view from, std::wstring_view to);

// Runs for every request of both windows. Returns false when the request was
// blocked (the window's own callback must then not run): a scheme the browser
// never loads (silently), or a host failing its pins (reported).
bool FilterRequest(WebRequest& request, const FilterServices& services);

// The window callbacks that run after FilterRequest lets a request through.
void AddPlayerReferer(WebRequest& request, const ContentDescriptor& content);
void AddHomeHeaders(WebRequest& request);

// Headers for a top-level navigation the program starts itself; nullopt when
// the address is not a backend address (plain navigation).
std::optional<HeaderList> NavigationHeaders(std::wstring_view address, const FilterServices& services);

}  // namespace pellaro
