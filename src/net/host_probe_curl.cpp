// CheckHostPins' own short session: a HEAD to the host, 3-second time-outs.
#include <curl/curl.h>

#include "net/tls_curl.h"
#include "net/host_probe.h"
#include "net/certificate_trust.h"
#include "net/pin_store.h"
#include "core/text.h"

namespace pellaro {

HostProbe ProbeHostPins(const std::wstring& host, int port) {
    CURL* curl = curl_easy_init();
    if (!curl) return HostProbe::SessionFailed;
    HandshakeCheck check{host};
    if (PinsDecideTrust(host))
        check.accepts = [&host](const ServerChain& chain) { return DecidePins(host, chain) != PinVerdict::Failed; };
    const std::string url = "https://" + ToUtf8(host) + ":" + std::to_string(port) + "/";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT,
                     "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
                     "Chrome/120.0.0.0 Safari/537.36 Edg/120.0.0.0");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 6000L);  // resolve 3 s + connect 3 s
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 3L);
    ConfigureTls(curl, &check);
    const CURLcode code = curl_easy_perform(curl);
    long requestBytes = 0;
    curl_easy_getinfo(curl, CURLINFO_REQUEST_SIZE, &requestBytes);
    curl_easy_cleanup(curl);

    if (check.checked && !check.passed) {
        ReportPinFailureFor(host);
        return HostProbe::Refused;
    }
    if (code == CURLE_OK) return check.accepts && !check.checked ? HostProbe::Refused : HostProbe::Passed;
    return requestBytes == 0 ? HostProbe::SendFailed : HostProbe::NoResponse;
}

}  // namespace pellaro
