#include "browser/navigation_policy.h"

#include "core/backend_host.h"
#include "core/build_constants.h"
#include "links/media_url.h"
#include "core/text.h"
#include "core/url_host.h"

namespace pellaro {
namespace {

bool EndsWith(std::wstring_view text, std::wstring_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool StartsWith(std::wstring_view text, std::wstring_view head) {
    return text.size() >= head.size() && text.substr(0, head.size()) == head;
}

bool Contains(std::wstring_view text, std::wstring_view part) {
    return !part.empty() && text.find(part) != std::wstring_view::npos;
}

// Strict subdomain: longer and ending with "." + parent.
bool IsUnder(std::wstring_view host, std::wstring_view parent) {
    return host.size() > parent.size() && EndsWith(host, parent) && host[host.size() - parent.size() - 1] == L'.';
}

// The last two labels, or the whole host with fewer than two dots.
std::wstring_view RegistrablePart(std::wstring_view host) {
    const auto last = host.rfind(L'.');
    if (last == std::wstring_view::npos || last == 0) return host;
    const auto second = host.rfind(L'.', last - 1);
    if (second == std::wstring_view::npos) return host;
    return host.substr(second + 1);
}

std::wstring_view CutQueryAndFragment(std::wstring_view address) {
    return address.substr(0, address.find_first_of(L"?#"));
}

const std::vector<std::vector<std::wstring>>& CdnFamilies() {
    static const std::vector<std::vector<std::wstring>> families{WideConstantList(ConstantKey::cdnFamilyBunny),
                                                                 WideConstantList(ConstantKey::cdnFamilySecond)};
    return families;
}

bool ContainsAny(std::wstring_view host, const std::vector<std::wstring>& markers) {
    for (const auto& marker : markers)
        if (Contains(host, marker)) return true;
    return false;
}

}  // namespace

std::wstring ExtractHost(std::wstring_view address) { return UrlHost(address); }

bool IsSameSite(std::wstring_view a, std::wstring_view b) {
    if (a.empty() || b.empty()) return false;
    if (a == b || IsUnder(a, b) || IsUnder(b, a)) return true;
    return RegistrablePart(a) == RegistrablePart(b);
}

const std::vector<std::wstring>& AllowedHosts() {
    static const std::vector<std::wstring> hosts = WideConstantList(ConstantKey::allowedHosts);
    return hosts;
}

bool IsAllowedHost(std::wstring_view host) {
    if (host.empty()) return false;
    for (const auto& entry : AllowedHosts())
        if (host == entry || IsUnder(host, entry)) return true;
    return false;
}

bool PlayerNavigationAllowed(std::wstring_view target, const ContentDescriptor& content) {
    if (target == L"about:blank") return true;

    const std::wstring_view cutContent = CutQueryAndFragment(content.contentUrl);
    const std::wstring_view cutTarget = CutQueryAndFragment(target);
    if (cutContent == cutTarget) return true;

    const std::wstring contentHost = ExtractHost(content.contentUrl);
    const std::wstring targetHost = ExtractHost(target);
    const std::wstring baseHost = ExtractHost(content.baseAddress);

    const std::wstring contentCut(cutContent), targetCut(cutTarget);
    if ((IsMeetingAddress(contentCut) && IsMeetingAddress(targetCut)) ||
        (IsVideoSharingAddress(contentCut) && IsVideoSharingAddress(targetCut)))
        return true;

    if (IsSameSite(baseHost, targetHost) || IsSameSite(contentHost, targetHost)) return true;

    if (StartsWith(cutTarget, std::wstring(cutContent) + L"/")) return true;

    if (IsAllowedHost(targetHost)) return true;

    const ContentKind kind = content.contentType.Kind();
    if (kind == ContentKind::Page || kind == ContentKind::Video) {
        for (const auto& family : CdnFamilies())
            if (ContainsAny(contentHost, family) && ContainsAny(targetHost, family)) return true;
    }
    return false;
}

bool ObserveHomeNavigation(std::wstring_view target, ContentDescriptor& content) {
    const std::wstring lower = LowerUnits(target);
    if (Contains(lower, L"select-tenants")) return false;
    if (!StartsWith(lower, L"https://") && !StartsWith(lower, L"http://")) return false;

    const auto scheme = target.find(L"://");
    const auto slash = target.find(L'/', scheme + 3);
    const std::wstring origin(target.substr(0, slash));
    if (origin.empty() || origin == content.baseAddress) return false;
    content.baseAddress = origin;
    return true;
}

bool IsItemSite(std::wstring_view host, const ContentDescriptor& content) {
    const std::wstring itemHost = ExtractHost(content.contentUrl);
    if (host.empty() || itemHost.empty()) return false;
    if (IsAllowedHost(itemHost)) return host == itemHost || IsUnder(host, itemHost);
    return IsSameSite(host, itemHost);
}

PermissionAnswer DecidePermission(PermissionKind kind, std::wstring_view requestingAddress,
                                  const ContentDescriptor& content) {
    if (kind != PermissionKind::Microphone && kind != PermissionKind::Camera && kind != PermissionKind::Notifications)
        return PermissionAnswer::Deny;
    const std::wstring scheme = UrlScheme(requestingAddress);
    if (scheme != L"https" && scheme != L"http") return PermissionAnswer::Deny;
    const std::wstring host = ExtractHost(requestingAddress);
    const bool trusted = IsBackendHost(host) || IsMeetingAddress(std::wstring(requestingAddress)) ||
                         IsItemSite(host, content);
    return trusted ? PermissionAnswer::Allow : PermissionAnswer::Deny;
}

}  // namespace pellaro
