#include "core/url_host.h"

#include "core/text.h"

namespace pellaro {
namespace {

bool IsSchemeCharacter(wchar_t c, bool first) {
    const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    if (first) return letter;
    return letter || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

// Length of a valid scheme at the start of the address, 0 when there is none.
std::size_t SchemeLength(std::wstring_view address) {
    std::size_t i = 0;
    while (i < address.size() && IsSchemeCharacter(address[i], i == 0)) ++i;
    return i < address.size() && address[i] == L':' ? i : 0;
}

}  // namespace

std::wstring UrlScheme(std::wstring_view address) { return LowerUnits(address.substr(0, SchemeLength(address))); }

std::wstring NormalizeHost(std::wstring_view host) {
    while (!host.empty() && host.back() == L'.') host.remove_suffix(1);
    return LowerUnits(host);
}

std::wstring UrlHost(std::wstring_view address) {
    if (UrlScheme(address) == L"blob") address.remove_prefix(5);
    const std::size_t scheme = SchemeLength(address);
    if (scheme == 0 || address.substr(scheme, 3) != L"://") return {};
    std::wstring_view authority = address.substr(scheme + 3);
    // Browsers end the authority at "\" as well as at "/", "?" and "#".
    authority = authority.substr(0, authority.find_first_of(L"/?#\\"));
    if (const auto at = authority.rfind(L'@'); at != std::wstring_view::npos) authority.remove_prefix(at + 1);
    std::wstring_view host;
    if (!authority.empty() && authority.front() == L'[') {
        const auto close = authority.find(L']');
        if (close == std::wstring_view::npos) return {};
        host = authority.substr(0, close + 1);
        // Only an IPv6 literal may stand in brackets: hex digits, ":" and "." (embedded IPv4).
        for (const wchar_t c : host.substr(1, host.size() - 2)) {
            const bool hex = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
            if (!hex && c != L':' && c != L'.') return {};
        }
    } else {
        host = authority.substr(0, authority.find(L':'));
    }
    return NormalizeHost(host);
}

bool HostIsOrUnder(std::wstring_view host, std::wstring_view domain) {
    const std::wstring h = NormalizeHost(host);
    const std::wstring d = NormalizeHost(domain);
    if (d.empty() || h.size() < d.size()) return false;
    if (h == d) return true;
    return h.size() > d.size() && h.compare(h.size() - d.size(), d.size(), d) == 0 &&
           h[h.size() - d.size() - 1] == L'.';
}

}  // namespace pellaro
