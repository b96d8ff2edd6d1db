// The real services of link resolution: the backend and a private client.
#include "links/link_resolution.h"

namespace pellaro {

LinkServices DefaultLinkServices() {
    LinkServices services;
    services.payloadKey = ProfilePayloadKey;
    services.getContentData = GetContentData;
    services.fetchPageScript = [](const std::wstring& url) {
        HttpClient client;
        client.DisablePinning();
        return client.Get(url);
    };
    return services;
}

LinkResult ResolveContentLink(const std::wstring& link) { return ResolveContentLink(link, DefaultLinkServices()); }

}  // namespace pellaro
