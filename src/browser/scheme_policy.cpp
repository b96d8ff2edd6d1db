#include "browser/scheme_policy.h"

#include <string>

#include "core/text.h"
#include "core/url_host.h"

namespace pellaro {
namespace {

// The engine's built-in PDF viewer is an internal extension that loads its
// page and shared resources from these two origins.
constexpr std::wstring_view kPdfViewerExtension = L"mhjfbmdgcfjbbpaeojofohoefgiehjai";
constexpr std::wstring_view kEngineResources = L"resources";

bool IsPdfViewer(std::wstring_view address, const std::wstring& scheme) {
    if (scheme == L"chrome-extension") return UrlHost(address) == kPdfViewerExtension;
    if (scheme == L"chrome") return UrlHost(address) == kEngineResources;
    return false;
}

bool IsWebScheme(const std::wstring& scheme) { return scheme == L"http" || scheme == L"https"; }

// "about:blank" -> "blank", without a query or fragment.
std::wstring AboutPage(std::wstring_view address) {
    const std::wstring_view rest = address.substr(address.find(L':') + 1);
    return LowerUnits(rest.substr(0, rest.find_first_of(L"?#")));
}

}  // namespace

bool IsSchemeAllowedInBrowser(std::wstring_view address) {
    const std::wstring scheme = UrlScheme(address);
    if (scheme == L"http" || scheme == L"https" || scheme == L"ws" || scheme == L"wss" || scheme == L"data" ||
        scheme == L"about" || scheme == L"blob")
        return true;
    return IsPdfViewer(address, scheme);
}

bool IsNavigationSchemeAllowed(std::wstring_view address, NavigationPlace place, bool programPage) {
    const std::wstring scheme = UrlScheme(address);
    if (IsWebScheme(scheme)) return true;
    if (scheme == L"blob") return IsWebScheme(UrlScheme(address.substr(5)));
    if (scheme == L"about") {
        const std::wstring page = AboutPage(address);
        return page == L"blank" || (place == NavigationPlace::Frame && page == L"srcdoc");
    }
    if (scheme == L"data") return programPage || place == NavigationPlace::Frame;
    return IsPdfViewer(address, scheme);
}

}  // namespace pellaro
