#pragma once
// The backend's data for one content item.
#include <optional>
#include <string>

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
// *errorText (when given) receives the server's message or the transport error.
std::optional<ContentData> GetContentData(const std::wstring& baseAddress, const std::string& contentLinkId,
                                          const std::string& linkKey, std::string* errorText);

}  // namespace pellaro
