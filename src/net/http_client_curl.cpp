// libcurl transport of HttpClient: one easy handle per client (connections are
// reused), no proxy, no redirects; the chain is handed to the request
// sequence in the TLS handshake and again when the response arrives.
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <stdexcept>

#include "core/build_constants.h"
#include "core/text.h"
#include "net/http_transport.h"
#include "net/tls_curl.h"

namespace pellaro {
namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Per-transfer state for the header and body callbacks.
struct Transfer {
    CURL* curl = nullptr;
    const RequestTarget* target = nullptr;
    const ExchangeRequest* request = nullptr;
    bool responseSeen = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* arg) {
    auto* transfer = static_cast<Transfer*>(arg);
    const size_t bytes = size * count;
    return transfer->request->bodyChunk(std::string_view(data, bytes)) ? bytes : 0;
}

size_t OnHeader(char*, size_t size, size_t count, void* arg) {
    auto* transfer = static_cast<Transfer*>(arg);
    if (!transfer->responseSeen) {
        transfer->responseSeen = true;
        const auto& check = transfer->request->responseCheck;
        if (check && !check(ChainOfTransfer(transfer->curl, transfer->target->host))) return 0;  // body not read
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

// The whole transfer ends at the deadline (at least 1 ms from now: 0 means none to curl).
void LimitTo(CURL* curl, Deadline deadline) {
    if (deadline == Deadline::max()) return;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(std::max<long long>(1, left.count())));
}

// curl counts whole milliseconds on a clock of its own: a time-out a hair
// before the deadline is the deadline's.
bool DeadlinePassed(CURLcode code, Deadline deadline) {
    return code == CURLE_OPERATION_TIMEDOUT &&
           std::chrono::steady_clock::now() + std::chrono::milliseconds(20) >= deadline;
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

class CurlTransport final : public HttpTransport {
public:
    CurlTransport() {
        GlobalInit();
        curl_ = curl_easy_init();
        if (!curl_) throw std::runtime_error("curl_easy_init failed");
    }
    ~CurlTransport() override { curl_easy_cleanup(curl_); }

    bool Split(const std::wstring& url, RequestTarget& target) override {
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
            target.url = url;
            target.secure = schemeText == "https";
            target.host = FromUtf8(host);
            target.port = std::atoi(port);
        }
        curl_free(scheme);
        curl_free(host);
        curl_free(port);
        curl_url_cleanup(handle);
        return ok;
    }

    PreflightAttempt Preflight(const RequestTarget& target, const HandshakeCheckFn& handshakeCheck,
                               Deadline deadline) override {
        std::lock_guard guard(transfer_);
        curl_easy_reset(curl_);
        CommonOptions(curl_);
        HandshakeCheck check{target.host, handshakeCheck};
        ConfigureTls(curl_, &check);
        const std::string url = "https://" + ToUtf8(target.host) + ":" + std::to_string(target.port) + "/";
        curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
        curl_slist* none = curl_slist_append(nullptr, "Accept:");
        curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, none);
        LimitTo(curl_, deadline);
        const CURLcode code = curl_easy_perform(curl_);
        curl_slist_free_all(none);
        PreflightAttempt attempt;
        attempt.deadlinePassed = DeadlinePassed(code, deadline);
        attempt.refused = check.checked && !check.passed;
        if (code != CURLE_OK && !attempt.deadlinePassed && !attempt.refused) attempt.error = TransferError(curl_, code);
        attempt.chain = std::move(check.chain);
        return attempt;
    }

    ExchangeResult Exchange(const RequestTarget& target, const ExchangeRequest& request) override {
        std::lock_guard guard(transfer_);
        curl_easy_reset(curl_);
        CommonOptions(curl_);
        HandshakeCheck check{target.host, request.handshakeCheck};
        ConfigureTls(curl_, &check);
        const std::string url = ToUtf8(target.url);
        curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());

        const std::string method = ToUtf8(request.verb);
        if (method == "GET") {
            curl_easy_setopt(curl_, CURLOPT_HTTPGET, 1L);
        } else if (method == "HEAD") {
            curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
        } else {
            curl_easy_setopt(curl_, CURLOPT_CUSTOMREQUEST, method.c_str());
        }
        if (!request.body.empty() || method == "POST" || method == "PUT") {
            curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
            curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, request.body.data());
        }

        // Only the program's own headers: no Accept, no Expect, no implicit Content-Type.
        curl_slist* headers = nullptr;
        for (const std::wstring& line : request.headerLines) headers = curl_slist_append(headers, ToUtf8(line).c_str());
        headers = curl_slist_append(headers, "Accept:");
        headers = curl_slist_append(headers, "Expect:");
        if (!request.hasContentType) headers = curl_slist_append(headers, "Content-Type:");
        curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers);

        Transfer transfer{curl_, &target, &request};
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, OnBody);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, OnHeader);
        curl_easy_setopt(curl_, CURLOPT_HEADERDATA, &transfer);

        LimitTo(curl_, request.deadline);
        const CURLcode code = curl_easy_perform(curl_);
        curl_slist_free_all(headers);

        ExchangeResult result;
        result.refused = check.checked && !check.passed;
        if (DeadlinePassed(code, request.deadline)) {
            result.deadlinePassed = true;
        } else if (code != CURLE_OK) {
            result.error = TransferError(curl_, code);
        } else {
            long status = 0;
            curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);
            result.status = static_cast<int>(status);
        }
        return result;
    }

private:
    CURL* curl_ = nullptr;
    std::mutex transfer_;  // one easy handle carries one transfer at a time
};

std::unique_ptr<HttpTransport> OpenHttpTransport(SessionKind) {
    // No proxy is set on every transfer, so the shared session needs nothing more.
    return std::make_unique<CurlTransport>();
}

}  // namespace pellaro
