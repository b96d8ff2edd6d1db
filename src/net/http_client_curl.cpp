// libcurl transport of HttpClient: one easy handle per client (connections are
// reused), no proxy, no redirects, the pins checked in the TLS handshake and
// again on every response.
#include <curl/curl.h>

#include <mutex>
#include <stdexcept>

#include "core/build_constants.h"
#include "net/tls_curl.h"
#include "net/http_client.h"
#include "net/pin_store.h"
#include "core/text.h"

namespace pellaro {

struct HttpClient::Session {
    CURL* curl = nullptr;
    std::mutex transfer;  // one easy handle carries one transfer at a time
};

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct UrlParts {
    bool secure = false;
    std::wstring host;
    std::string port;
};

bool SplitUrl(const std::wstring& url, UrlParts& parts) {
    CURLU* handle = curl_url();
    if (!handle) return false;
    bool ok = curl_url_set(handle, CURLUPART_URL, ToUtf8(url).c_str(), 0) == CURLUE_OK;
    char* scheme = nullptr;
    char* host = nullptr;
    char* port = nullptr;
    ok = ok && curl_url_get(handle, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
         curl_url_get(handle, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
         curl_url_get(handle, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK;
    if (ok) {
        const std::string schemeText = LowerAscii(scheme);
        ok = schemeText == "https" || schemeText == "http";
        parts.secure = schemeText == "https";
        parts.host = FromUtf8(host);
        parts.port = port;
    }
    curl_free(scheme);
    curl_free(host);
    curl_free(port);
    curl_url_cleanup(handle);
    return ok;
}

struct Transfer {
    CURL* curl = nullptr;
    std::string body;
    bool tooLarge = false;
    bool checkOnResponse = false;  // the post-response pin check
    bool responseChecked = false;
    bool responseRefused = false;
    std::wstring host;
};

size_t OnBody(char* data, size_t size, size_t count, void* arg) {
    auto* transfer = static_cast<Transfer*>(arg);
    const size_t bytes = size * count;
    if (transfer->body.size() + bytes > kMaxResponseBodyBytes) {
        transfer->tooLarge = true;
        return 0;
    }
    transfer->body.append(data, bytes);
    return bytes;
}

size_t OnHeader(char*, size_t size, size_t count, void* arg) {
    auto* transfer = static_cast<Transfer*>(arg);
    if (transfer->checkOnResponse && !transfer->responseChecked) {
        transfer->responseChecked = true;
        if (!ValidateServerChain(transfer->host, ChainOfTransfer(transfer->curl, transfer->host))) {
            transfer->responseRefused = true;
            return 0;  // the body is not read
        }
    }
    return size * count;
}

void CommonOptions(CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    const std::string agent = Constant(ConstantKey::userAgent);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());  // curl copies it
    // Resolve 10 s + connect 10 s; send and receive may stall at most 30 s.
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 20000L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 30L);
}

// The failure text of a transfer, named after the stage it reached.
std::string TransferError(CURL* curl, CURLcode code) {
    const std::string number = std::to_string(static_cast<unsigned>(code));
    if (code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_CONNECT) return "curl connect failed: " + number;
    long requestBytes = 0;
    curl_easy_getinfo(curl, CURLINFO_REQUEST_SIZE, &requestBytes);
    if (requestBytes == 0) return "curl send failed: " + number;
    return "curl receive failed: " + number;
}

}  // namespace

HttpClient::HttpClient() : session_(std::make_unique<Session>()) {
    GlobalInit();
    session_->curl = curl_easy_init();
    if (!session_->curl) throw std::runtime_error("curl_easy_init failed");
}

HttpClient::~HttpClient() {
    if (session_ && session_->curl) curl_easy_cleanup(session_->curl);
}

HttpClient& HttpClient::Shared() {
    static HttpClient* shared = new HttpClient();  // never destroyed; no proxy is set per transfer
    return *shared;
}

HttpResponse HttpClient::Send(const std::wstring& verb, const std::wstring& url, const std::string& body,
                              const std::wstring& contentType) {
    HttpResponse response;
    UrlParts parts;
    if (!SplitUrl(url, parts)) {
        response.error = kParseUrlError;
        return response;
    }
    const bool pinsApply = parts.secure && !pinningDisabled_;
    const std::optional<PinEntry> entry = pinsApply ? FindPinEntry(parts.host) : std::nullopt;
    const bool pinned = entry && !entry->pins.empty();

    std::lock_guard transferGuard(session_->transfer);
    CURL* curl = session_->curl;

    if (pinsApply && !PreflightDone(parts.host)) {
        curl_easy_reset(curl);
        CommonOptions(curl);
        HandshakeCheck check{parts.host, pinned};
        ConfigureTls(curl, &check);
        const std::string target = "https://" + ToUtf8(parts.host) + ":" + parts.port + "/";
        curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        curl_slist* none = curl_slist_append(nullptr, "Accept:");
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, none);
        curl_easy_perform(curl);
        curl_slist_free_all(none);
        if (pinned && !(check.checked && check.passed)) {
            if (check.checked) ReportPinFailureFor(parts.host);
            response.error = PreflightPinError(parts.host);
            return response;
        }
        RecordPreflight(parts.host);
    }

    curl_easy_reset(curl);
    CommonOptions(curl);
    HandshakeCheck check{parts.host, pinned};
    ConfigureTls(curl, &check);
    const std::string target = ToUtf8(url);
    curl_easy_setopt(curl, CURLOPT_URL, target.c_str());

    const std::string method = ToUtf8(verb);
    if (method == "GET") {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    } else if (method == "HEAD") {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    } else {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    if (!body.empty() || method == "POST" || method == "PUT") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    }

    // Only the program's own headers: no Accept, no Expect, no implicit Content-Type.
    curl_slist* headers = nullptr;
    for (const std::wstring& line : HeaderLinesFor(parts.host, contentType))
        headers = curl_slist_append(headers, ToUtf8(line).c_str());
    headers = curl_slist_append(headers, "Accept:");
    headers = curl_slist_append(headers, "Expect:");
    if (contentType.empty()) headers = curl_slist_append(headers, "Content-Type:");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);

    Transfer transfer;
    transfer.curl = curl;
    transfer.host = parts.host;
    transfer.checkOnResponse = pinsApply;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);

    const CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(headers);

    if (check.checked && !check.passed) {
        ReportPinFailureFor(parts.host);
        response.error = PinError(parts.host);
        return response;
    }
    if (transfer.responseRefused) {
        response.error = PinError(parts.host);
        return response;
    }
    if (transfer.tooLarge) {
        response.error = kBodyTooLargeError;
        return response;
    }
    if (code != CURLE_OK) {
        response.error = TransferError(curl, code);
        return response;
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    response.status = static_cast<int>(status);
    response.body = std::move(transfer.body);
    response.ok = IsOkStatus(response.status);
    return response;
}

}  // namespace pellaro
