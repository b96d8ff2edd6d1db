// Addresses from pages: host extraction, the player's rule chain, the home
// observer, the scheme rules, permissions, the bridge and the request filter
// must cope with any text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "links/content_descriptor.h"
#include "browser/message_bridge.h"
#include "browser/navigation_policy.h"
#include "browser/resource_filter.h"
#include "browser/scheme_policy.h"
#include "core/text.h"
#include "core/url_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const auto split = raw.find('\n');
    const std::wstring target = pellaro::FromUtf8(raw.substr(0, split));
    const std::wstring other = split == std::string::npos ? std::wstring() : pellaro::FromUtf8(raw.substr(split + 1));

    const std::wstring host = pellaro::ExtractHost(target);
    // A ":" only inside an IPv6 literal, which holds nothing but hex digits, ":" and ".".
    const bool literal = host.size() >= 2 && host.front() == L'[' && host.back() == L']' &&
                         host.find_first_not_of(L"0123456789abcdef:.", 1) == host.size() - 1;
    if (host.find(L'/') != std::wstring::npos || (host.find(L':') != std::wstring::npos && !literal)) __builtin_trap();
    (void)pellaro::IsSameSite(host, pellaro::ExtractHost(other));
    (void)pellaro::IsAllowedHost(host);

    pellaro::ContentDescriptor content;
    content.contentUrl = other;
    content.baseAddress = other;
    content.contentType = (size % 2) ? L"video" : L"pdf";
    (void)pellaro::PlayerNavigationAllowed(target, content);
    if (pellaro::ObserveHomeNavigation(target, content) && content.baseAddress.find(L"://") == std::wstring::npos)
        __builtin_trap();

    // A window's navigation is never allowed where a frame's is not; only web schemes pass.
    const bool window = pellaro::IsNavigationSchemeAllowed(target, pellaro::NavigationPlace::Window);
    if (window && !pellaro::IsNavigationSchemeAllowed(target, pellaro::NavigationPlace::Frame)) __builtin_trap();
    const std::wstring scheme = pellaro::UrlScheme(target);
    if (window && scheme != L"http" && scheme != L"https" && scheme != L"blob" && scheme != L"about" &&
        scheme != L"chrome-extension" && scheme != L"chrome")
        __builtin_trap();
    const bool trusted = pellaro::BridgeAcceptsMessage(target, false, content);
    if (trusted && scheme != L"http" && scheme != L"https") __builtin_trap();
    const auto answer = pellaro::DecidePermission(pellaro::PermissionKind::Camera, target, content);
    if (answer == pellaro::PermissionAnswer::Allow && scheme != L"http" && scheme != L"https") __builtin_trap();
    if (pellaro::DecidePermission(pellaro::PermissionKind::Geolocation, target, content) !=
        pellaro::PermissionAnswer::Deny)
        __builtin_trap();

    pellaro::FilterServices services;
    services.checkHostPins = [](const std::wstring& h) { return h.size() % 3 != 0; };
    services.deviceIdentifier = [] { return std::wstring(L"d"); };
    services.hardwareIdentifier = [] { return std::wstring(L"h"); };
    pellaro::WebRequest request{target, {}, false};
    if (pellaro::FilterRequest(request, services)) pellaro::AddPlayerReferer(request, content);
    (void)pellaro::NavigationHeaders(target, services);
    return 0;
}
