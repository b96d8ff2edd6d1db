#pragma once
// Addresses of the outside video-sharing and meeting services, and the
// rewrite of video-sharing addresses into their embed form.
#include <string>

namespace pellaro {

// The address's host (any case) is the video service's main or short-link
// domain or under one of them; the rest of the address does not count.
bool IsVideoSharingAddress(const std::wstring& address);
// The address's host (any case) is the meeting domain or one of its subdomains.
bool IsMeetingAddress(const std::wstring& address);
// The video service's embed address for a watch, short-link, shorts or live
// address, with the academy's base address as its origin.
std::wstring NormalizeVideoUrl(const std::wstring& address, const std::wstring& baseAddress);
// Letters, digits and "-._~" stay; every other UTF-8 byte becomes "%xx" (lower case).
std::wstring PercentEncode(const std::wstring& text);

}  // namespace pellaro
