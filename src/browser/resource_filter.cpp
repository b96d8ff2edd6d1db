#include "browser/resource_filter.h"

#include "browser/scheme_policy.h"
#include "core/backend_host.h"
#include "core/build_constants.h"
#include "core/text.h"
#include "core/url_host.h"
#include "links/media_url.h"

namespace pellaro {
namespace {

bool EndsWith(std::wstring_view text, std::wstring_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool Contains(std::wstring_view text, std::wstring_view part) {
    return !part.empty() && text.find(part) != std::wstring_view::npos;
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && LowerUnits(a) == LowerUnits(b);
}

std::wstring ListItem(const std::vector<std::wstring>& list, std::size_t i) {
    return i < list.size() ? list[i] : std::wstring();
}

// Profile values read once; every request of both windows uses them.
struct FilterConstants {
    std::wstring requestHeaderName = WideConstant(ConstantKey::requestHeaderName);
    std::wstring requestHeaderValue = WideConstant(ConstantKey::requestHeaderValue);
    std::vector<std::wstring> pairOne = WideConstantList(ConstantKey::identityPairOneNames);
    std::vector<std::wstring> pairTwo = WideConstantList(ConstantKey::identityPairTwoNames);
    std::wstring suffix6 = LowerUnits(WideConstant(ConstantKey::identityPatternSuffix6));
    std::wstring suffix9 = LowerUnits(WideConstant(ConstantKey::identityPatternSuffix9));
    std::wstring marker = LowerUnits(WideConstant(ConstantKey::identityPatternMarker));
    std::wstring suffix20 = LowerUnits(WideConstant(ConstantKey::identityPatternSuffix20));
    std::vector<std::wstring> homeNames = WideConstantList(ConstantKey::homeHeaderNames);
    std::wstring homeValue = WideConstant(ConstantKey::homeHeaderValue);
};

const FilterConstants& Constants() {
    static const FilterConstants constants;
    return constants;
}

void SetIfPresent(WebRequest& request, const std::wstring& name, const std::wstring& value) {
    if (!name.empty() && !value.empty()) request.SetHeader(name, value);
}

void AddPair(WebRequest& request, const std::vector<std::wstring>& names, const std::wstring& device,
             const std::wstring& hardware) {
    SetIfPresent(request, ListItem(names, 0), device);
    SetIfPresent(request, ListItem(names, 1), hardware);
}

std::wstring Call(const std::function<std::wstring()>& f) { return f ? f() : std::wstring(); }

}  // namespace

void WebRequest::SetHeader(std::wstring_view name, std::wstring_view value) {
    for (auto& [existing, existingValue] : headers) {
        if (SameNameIgnoringCase(existing, name)) {
            existingValue = value;
            return;
        }
    }
    headers.emplace_back(name, value);
}

std::optional<std::wstring> WebRequest::Header(std::wstring_view name) const {
    for (const auto& [existing, value] : headers)
        if (SameNameIgnoringCase(existing, name)) return value;
    return std::nullopt;
}

std::wstring PinCheckHost(std::wstring_view address) {
    const std::wstring scheme = UrlScheme(address);
    if (scheme != L"https" && scheme != L"wss") return {};
    return UrlHost(address);
}

bool IsBackendAddress(std::wstring_view address) { return IsBackendHost(UrlHost(address)); }

bool WantsSecondIdentityPair(std::wstring_view lower) {
    const FilterConstants& c = Constants();
    return (lower.size() > 5 && !c.suffix6.empty() && EndsWith(lower, c.suffix6)) ||
           (lower.size() > 8 && !c.suffix9.empty() && EndsWith(lower, c.suffix9)) || Contains(lower, c.marker) ||
           (lower.size() >= 20 && !c.suffix20.empty() && EndsWith(lower, c.suffix20));
}

bool RedirectKeepsIdentity(std::wstring_view from, std::wstring_view to) {
    if (IsBackendAddress(from) && !IsBackendAddress(to)) return false;
    return !WantsSecondIdentityPair(LowerUnits(from)) || WantsSecondIdentityPair(LowerUnits(to));
}

bool FilterRequest(WebRequest& request, const FilterServices& services) {
    const FilterConstants& c = Constants();
    request.SetHeader(c.requestHeaderName, c.requestHeaderValue);

    if (!IsSchemeAllowedInBrowser(request.address)) {
        request.blocked = true;
        return false;
    }

    const std::wstring lower = LowerUnits(request.address);
    const std::wstring host = PinCheckHost(request.address);
    if (!host.empty() && services.checkHostPins && !services.checkHostPins(host)) {
        request.blocked = true;
        if (services.reportBlockedHost) services.reportBlockedHost(host);
        return false;
    }

    const bool pairOne = IsBackendAddress(request.address);
    const bool pairTwo = WantsSecondIdentityPair(lower);
    if (pairOne || pairTwo) {
        const std::wstring device = Call(services.deviceIdentifier);
        const std::wstring hardware = Call(services.hardwareIdentifier);
        if (pairOne) AddPair(request, c.pairOne, device, hardware);
        if (pairTwo) AddPair(request, c.pairTwo, device, hardware);
    }
    return true;
}

void AddPlayerReferer(WebRequest& request, const ContentDescriptor& content) {
    if (!IsVideoSharingAddress(request.address)) return;
    std::wstring referer = content.baseAddress;
    if (!referer.empty() && referer.back() == L'/') referer.pop_back();
    if (!referer.empty()) request.SetHeader(L"Referer", referer);
}

void AddHomeHeaders(WebRequest& request) {
    const FilterConstants& c = Constants();
    for (const auto& name : c.homeNames) SetIfPresent(request, name, c.homeValue);
}

std::optional<HeaderList> NavigationHeaders(std::wstring_view address, const FilterServices& services) {
    if (!IsBackendAddress(address)) return std::nullopt;
    const FilterConstants& c = Constants();
    WebRequest request{std::wstring(address), {}, false};
    request.SetHeader(c.requestHeaderName, c.requestHeaderValue);
    const std::wstring device = Call(services.deviceIdentifier);
    const std::wstring hardware = Call(services.hardwareIdentifier);
    AddPair(request, c.pairOne, device, hardware);
    AddPair(request, c.pairTwo, device, hardware);
    return request.headers;
}

}  // namespace pellaro
