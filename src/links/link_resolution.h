#pragma once
// Turns a content link (scheme, then three sealed fields separated by ":")
// into the content descriptor the player window shows.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "links/link_result.h"
#include "net/content_data.h"
#include "net/http_client.h"

namespace pellaro {

// What link resolution asks of the world; tests replace each part.
struct LinkServices {
    // The 32-byte payload key, assembled just before use; the caller wipes it.
    std::function<std::string()> payloadKey;
    // The backend's data for an item (the shared, pinned client).
    std::function<std::optional<ContentData>(const std::wstring& baseAddress, const std::string& contentLinkId,
                                             const std::string& linkKey, std::string* errorText, HttpFailure* failure)>
        getContentData;
    // The page script of a video-sharing item (a private client without pins).
    std::function<HttpResponse(const std::wstring& url)> fetchPageScript;
};

// The real services: the profile's payload key, GetContentData and a private
// HttpClient. Defined apart from the rest so tests with fakes need no network code.
LinkServices DefaultLinkServices();
// The profile's payload key alone (no network code).
std::string ProfilePayloadKey();

// The three opened fields of a link.
struct LinkFields {
    std::string linkKey;
    std::string contentLinkId;
    std::string baseAddress;
};

// Percent-decoding over UTF-8; "+" stays "+".
std::wstring UrlDecode(const std::wstring& link);

// Decoding, prefix removal and the ":" split; the fields are still sealed.
std::vector<std::wstring> SplitLink(const std::wstring& link);

// Everything up to the three opened fields. On failure errorCode holds the
// link error code. The payload key is wiped on every path. Never throws.
bool OpenLinkFields(const std::wstring& link, const std::function<std::string()>& payloadKey, LinkFields& fields,
                    std::string& errorCode);

// The reason of a backend that could not be reached: "unreachable_" and the
// client's failure text ("unreachable_curl connect failed: 7").
std::string UnreachableReason(const std::string& failureText);

// The descriptor of the link, or a link error: a server message, an
// unreachable backend, or a diagnostic reason (the link error code). Never throws.
LinkResult ResolveContentLink(const std::wstring& link, const LinkServices& services);
LinkResult ResolveContentLink(const std::wstring& link);

}  // namespace pellaro
