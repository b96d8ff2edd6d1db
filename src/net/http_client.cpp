// The request sequence both editions share: headers, the pre-flight and its
// bookkeeping, the pin checks before and after the response, the body limit
// and the failure texts. The platform's transport only carries it out.
#include "net/http_client.h"

#include <optional>

#include "core/build_constants.h"
#include "core/text.h"
#include "net/certificate_trust.h"
#include "net/http_transport.h"
#include "net/pin_validation.h"
#include "platform/device_identity.h"

namespace pellaro {

bool IsOkStatus(int status) { return static_cast<unsigned>(status - 200) < 100u; }

std::vector<std::wstring> BuildHeaderLines(std::map<std::wstring, std::wstring> headers, const std::wstring& host,
                                           const std::wstring& contentType, const std::wstring& deviceId,
                                           const std::wstring& hardwareId) {
    if (IsBackendHost(host)) {
        if (!deviceId.empty()) headers[WideConstant(ConstantKey::clientDeviceHeaderName)] = deviceId;
        if (!hardwareId.empty()) headers[WideConstant(ConstantKey::clientHardwareHeaderName)] = hardwareId;
    }
    std::vector<std::wstring> lines;
    lines.reserve(headers.size() + 1);
    for (const auto& [name, value] : headers) lines.push_back(name + L": " + value);
    if (!contentType.empty()) lines.push_back(L"Content-Type: " + contentType);
    return lines;
}

std::string PreflightPinError(const std::wstring& host) {
    return "Pre-flight SSL Pin validation FAILED for " + ToUtf8(host) + ". MITM Attack Prevented!";
}

std::string PinError(const std::wstring& host) { return "SSL Pin validation FAILED for " + ToUtf8(host); }

namespace {

HttpResponse Failed(HttpFailure failure, std::string error) {
    HttpResponse response;
    response.failure = failure;
    response.error = std::move(error);
    return response;
}

// How a pre-flight ends the request, if it does. Only a chain that was
// received and failed its pins is an interception. A pre-flight that met no
// chain because it could not connect, send or get an answer ends with the
// stack's own text, like any other request, and is tried again by the next
// request. A chain that passed has done the pre-flight's work, whatever the
// HEAD met afterwards: the request itself tells its own story.
std::optional<HttpResponse> PreflightFailure(const std::wstring& host, const PreflightAttempt& attempt) {
    if (attempt.deadlinePassed) return Failed(HttpFailure::Deadline, kDeadlineError);
    const bool chainFailed = attempt.chain.read && DecidePins(host, attempt.chain) == PinVerdict::Failed;
    if (attempt.refused || chainFailed) {
        ReportPinFailureFor(host);
        return Failed(HttpFailure::Pins, PreflightPinError(host));
    }
    if (attempt.chain.read) return std::nullopt;
    if (!attempt.error.empty()) return Failed(HttpFailure::Transport, attempt.error);
    // Answered, but no chain could be read: a pinned host fails (without a notice).
    if (DecidePins(host, attempt.chain) == PinVerdict::Failed)
        return Failed(HttpFailure::Pins, PreflightPinError(host));
    return std::nullopt;
}

}  // namespace

std::string FailureText(const HttpResponse& response) {
    if (response.failure == HttpFailure::Status) return "status " + std::to_string(response.status);
    return response.error;
}

HttpClient::HttpClient() : HttpClient(OpenHttpTransport(SessionKind::Private)) {}

HttpClient::HttpClient(std::unique_ptr<HttpTransport> transport) : transport_(std::move(transport)) {}

HttpClient::~HttpClient() = default;

HttpClient& HttpClient::Shared() {
    static HttpClient* shared = new HttpClient(OpenHttpTransport(SessionKind::Shared));  // never destroyed
    return *shared;
}

void HttpClient::SetHeader(const std::wstring& name, const std::wstring& value) {
    std::lock_guard guard(lock_);
    defaultHeaders_[name] = value;
}

void HttpClient::DisablePinning() { pinningDisabled_ = true; }

void HttpClient::SetDeadline(std::chrono::milliseconds limit) {
    std::lock_guard guard(lock_);
    deadline_ = limit;
}

HttpResponse HttpClient::Get(const std::wstring& url) { return Send(L"GET", url, std::string(), std::wstring()); }

HttpResponse HttpClient::Post(const std::wstring& url, const std::string& body, const std::wstring& contentType) {
    return Send(L"POST", url, body, contentType);
}

HttpResponse HttpClient::Put(const std::wstring& url, const std::string& body, const std::wstring& contentType) {
    return Send(L"PUT", url, body, contentType);
}

bool HttpClient::PreflightDone(const std::wstring& host) {
    std::lock_guard guard(lock_);
    return preflightHosts_.count(host) != 0;
}

void HttpClient::RecordPreflight(const std::wstring& host) {
    std::lock_guard guard(lock_);
    preflightHosts_.insert(host);
}

std::vector<std::wstring> HttpClient::HeaderLinesFor(const std::wstring& host, const std::wstring& contentType) {
    std::map<std::wstring, std::wstring> headers;
    {
        std::lock_guard guard(lock_);
        headers = defaultHeaders_;
    }
    // Only backend hosts need the identity; computing it may take a while.
    std::wstring deviceId, hardwareId;
    if (IsBackendHost(host)) {
        deviceId = DeviceIdentifier();
        hardwareId = HardwareIdentifier();
    }
    return BuildHeaderLines(std::move(headers), host, contentType, deviceId, hardwareId);
}

HttpResponse HttpClient::Send(const std::wstring& verb, const std::wstring& url, const std::string& body,
                              const std::wstring& contentType) {
    Deadline deadline;
    {
        std::lock_guard guard(lock_);
        deadline = std::chrono::steady_clock::now() + deadline_;
    }
    RequestTarget target;
    if (!transport_->Split(url, target)) return Failed(HttpFailure::Parse, kParseUrlError);
    const std::wstring host = target.host;
    const bool pinsApply = target.secure && !pinningDisabled_;
    // A pinned host's chain is checked in the handshake, before any request byte.
    HandshakeCheckFn handshakeCheck;
    if (pinsApply && PinsDecideTrust(host))
        handshakeCheck = [host](const ServerChain& chain) { return DecidePins(host, chain) != PinVerdict::Failed; };

    if (pinsApply && !PreflightDone(host)) {
        const PreflightAttempt preflight = transport_->Preflight(target, handshakeCheck, deadline);
        if (std::optional<HttpResponse> failed = PreflightFailure(host, preflight)) return *failed;
        RecordPreflight(host);
    }

    ExchangeRequest request;
    request.verb = verb;
    request.headerLines = HeaderLinesFor(host, contentType);
    request.body = body;
    request.hasContentType = !contentType.empty();
    request.handshakeCheck = handshakeCheck;
    request.deadline = deadline;
    bool responseRefused = false;
    bool tooLarge = false;
    std::string received;
    if (pinsApply) {
        request.responseCheck = [&](const ServerChain& chain) {
            responseRefused = !ValidateServerChain(host, chain);
            return !responseRefused;  // a refused response's body is not read
        };
    }
    request.bodyChunk = [&](std::string_view chunk) {
        if (received.size() + chunk.size() > kMaxResponseBodyBytes) {
            tooLarge = true;
            return false;
        }
        received.append(chunk);
        return true;
    };

    const ExchangeResult result = transport_->Exchange(target, request);
    if (result.refused) {
        ReportPinFailureFor(host);
        return Failed(HttpFailure::Pins, PinError(host));
    }
    if (responseRefused) return Failed(HttpFailure::Pins, PinError(host));
    if (tooLarge) return Failed(HttpFailure::Size, kBodyTooLargeError);
    if (result.deadlinePassed) return Failed(HttpFailure::Deadline, kDeadlineError);
    if (!result.error.empty()) return Failed(HttpFailure::Transport, result.error);
    HttpResponse response;
    response.status = result.status;
    response.body = std::move(received);
    response.ok = IsOkStatus(response.status);
    response.failure = response.ok ? HttpFailure::None : HttpFailure::Status;
    return response;
}

}  // namespace pellaro
