#include "browser/scheme_policy.h"

#include <string>

#include "core/url_host.h"

namespace pellaro {
namespace {

// The engine's built-in PDF viewer is an internal extension that loads its
// page and shared resources from these two origins.
constexpr std::wstring_view kPdfViewerExtension = L"mhjfbmdgcfjbbpaeojofohoefgiehjai";
constexpr std::wstring_view kEngineResources = L"resources";

}  // namespace

bool IsSchemeAllowedInBrowser(std::wstring_view address) {
    const std::wstring scheme = UrlScheme(address);
    if (scheme == L"http" || scheme == L"https" || scheme == L"ws" || scheme == L"wss" || scheme == L"data" ||
        scheme == L"about" || scheme == L"blob")
        return true;
    if (scheme == L"chrome-extension") return UrlHost(address) == kPdfViewerExtension;
    if (scheme == L"chrome") return UrlHost(address) == kEngineResources;
    return false;
}

}  // namespace pellaro
