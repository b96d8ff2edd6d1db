#pragma once
// The backend's data for one content item.
#include <optional>
#include <string>

#include "net/http_client.h"

namespace pellaro {

struct ContentData {
    std::string type = "video";
    std::string url;
    std::string videoUrl;
    std::string text;
    int number = 1;
};

// Strips trailing "/" and "\", prefixes "https://" when no "://" is present.
std::wstring NormalizeBaseUrl(const std::wstring& address);

// Asks the backend (shared client, pins apply). Never throws; on failure
// *errorText (when given) receives the server's message or the client's
// failure text, and *failure (when given) the request's kind of failure
// (None when an answer came but could not be read).
std::optional<ContentData> GetContentData(const std::wstring& baseAddress, const std::string& contentLinkId,
                                          const std::string& linkKey, std::string* errorText,
                                          HttpFailure* failure = nullptr);

}  // namespace pellaro

namespace pellaro {

// The form body: both values percent-encoded (RFC 3986 unreserved kept).
std::string BuildContentForm(const std::string& linkKey, const std::string& contentLinkId);
std::string FormEncode(const std::string& value);
// Reads a 2xx answer; throws on a body that is not JSON or a member of the wrong type.
ContentData ParseContentData(const std::string& body);

}  // namespace pellaro
