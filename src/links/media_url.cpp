#include "links/media_url.h"

#include "core/build_constants.h"
#include "core/text.h"
#include "core/url_host.h"

namespace pellaro {
namespace {

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

std::wstring OriginParameter(const std::wstring& baseAddress) { return PercentEncode(baseAddress); }

std::wstring EmbedAddress(const std::wstring& address, std::wstring id, const std::wstring& baseAddress) {
    if (id.empty()) return address;
    while (!id.empty() && id.back() == L'/') id.pop_back();
    return WideConstant(ConstantKey::videoEmbedPrefix) + id + L"?origin=" + OriginParameter(baseAddress);
}

// The text from `from` up to the first of `stops` found after it (tried in
// order), or to the end.
std::wstring TakeUntil(const std::wstring& address, std::size_t from, std::initializer_list<wchar_t> stops) {
    for (wchar_t stop : stops) {
        const std::size_t end = address.find(stop, from);
        if (end != std::wstring::npos) return address.substr(from, end - from);
    }
    return address.substr(from);
}

}  // namespace

bool IsVideoSharingAddress(const std::wstring& address) {
    const std::wstring host = UrlHost(address);
    return HostIsOrUnder(host, WideConstant(ConstantKey::videoMainDomain)) ||
           HostIsOrUnder(host, WideConstant(ConstantKey::videoShortDomain));
}

bool IsMeetingAddress(const std::wstring& address) {
    return HostIsOrUnder(UrlHost(address), WideConstant(ConstantKey::meetingDomain));
}

std::wstring NormalizeVideoUrl(const std::wstring& address, const std::wstring& baseAddress) {
    // Markers are found in the lower-cased copy (same length); ids are cut
    // from the address itself and keep their case.
    const std::wstring lower = LowerUnits(address);

    const std::wstring shortMarker = WideConstant(ConstantKey::videoShortDomain) + L"/";
    if (const std::size_t at = lower.find(shortMarker); at != std::wstring::npos)
        return EmbedAddress(address, TakeUntil(address, at + shortMarker.size(), {L'?'}), baseAddress);

    if (Contains(lower, L"/embed/")) {
        if (Contains(address, L"origin=")) return address;
        return address + (Contains(address, L"?") ? L"&" : L"?") + L"origin=" + OriginParameter(baseAddress);
    }

    for (const std::wstring marker : {L"/shorts/", L"/live/"})
        if (const std::size_t at = lower.find(marker); at != std::wstring::npos)
            return EmbedAddress(address, TakeUntil(address, at + marker.size(), {L'/', L'?'}), baseAddress);

    if (const std::size_t at = lower.find(L"v="); at != std::wstring::npos)
        return EmbedAddress(address, TakeUntil(address, at + 2, {L'&'}), baseAddress);

    return address;
}

std::wstring PercentEncode(const std::wstring& text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::wstring out;
    for (unsigned char b : ToUtf8(text)) {
        const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                                b == '-' || b == '.' || b == '_' || b == '~';
        if (unreserved) {
            out += static_cast<wchar_t>(b);
        } else {
            out += L'%';
            out += static_cast<wchar_t>(kDigits[b >> 4]);
            out += static_cast<wchar_t>(kDigits[b & 0x0F]);
        }
    }
    return out;
}

}  // namespace pellaro
