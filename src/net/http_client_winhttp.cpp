// WinHTTP transport of HttpClient: synchronous session, no proxy, no
// redirects, certificate errors ignored at the TLS layer and trust decided by
// the pins: in the handshake (before any request byte), in a pre-flight per
// host, and after every response.
#include <windows.h>
#include <winhttp.h>

#include <stdexcept>

#include "core/build_constants.h"
#include "net/http_client.h"
#include "net/pin_store.h"
#include "net/chain_winhttp.h"

namespace pellaro {

struct HttpClient::Session {
    HINTERNET handle = nullptr;
};

namespace {

// Per-request state for the sending-request callback.
struct HandshakeCheck {
    std::wstring host;
    bool pinned = false;
    bool refused = false;
};

void CALLBACK OnStatus(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    auto* check = reinterpret_cast<HandshakeCheck*>(context);
    if (!check || status != WINHTTP_CALLBACK_STATUS_SENDING_REQUEST || !check->pinned) return;
    // The TLS session is up and nothing is sent yet: a chain that fails its
    // pins cancels the request here.
    if (DecidePins(check->host, ChainOfRequest(request, check->host)) == PinVerdict::Failed) {
        check->refused = true;
        WinHttpCloseHandle(request);
    }
}

void WatchHandshake(HINTERNET request, HandshakeCheck* check) {
    if (!check->pinned) return;
    WinHttpSetStatusCallback(request, OnStatus, WINHTTP_CALLBACK_FLAG_SEND_REQUEST, 0);
}

void Close(HINTERNET& handle) {
    if (handle) WinHttpCloseHandle(handle);
    handle = nullptr;
}

}  // namespace

HttpClient::HttpClient() : session_(std::make_unique<Session>()) {
    const std::wstring agent = WideConstant(ConstantKey::userAgent);
    session_->handle = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session_->handle) throw std::runtime_error("WinHttpOpen failed");
    WinHttpSetTimeouts(session_->handle, 10000, 10000, 30000, 30000);
}

HttpClient::~HttpClient() {
    if (session_ && session_->handle) WinHttpCloseHandle(session_->handle);
}

HttpClient& HttpClient::Shared() {
    static HttpClient* shared = [] {
        auto* client = new HttpClient();
        WINHTTP_PROXY_INFO proxy = {};
        proxy.dwAccessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
        WinHttpSetOption(client->session_->handle, WINHTTP_OPTION_PROXY, &proxy, sizeof proxy);
        return client;
    }();
    return *shared;
}

HttpResponse HttpClient::Send(const std::wstring& verb, const std::wstring& url, const std::string& body,
                              const std::wstring& contentType) {
    HttpResponse response;
    wchar_t hostBuffer[256] = {};
    wchar_t pathBuffer[2048] = {};
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = hostBuffer;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = pathBuffer;
    parts.dwUrlPathLength = 2048;
    if (url.empty() || !WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) {
        response.error = kParseUrlError;
        return response;
    }
    const std::wstring host(hostBuffer);
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    const bool pinsApply = secure && !pinningDisabled_;
    const std::optional<PinEntry> entry = pinsApply ? FindPinEntry(host) : std::nullopt;
    HandshakeCheck check{host, entry && !entry->pins.empty()};

    if (pinsApply && !PreflightDone(host)) {
        HINTERNET connection = WinHttpConnect(session_->handle, host.c_str(), parts.nPort, 0);
        HINTERNET request = connection ? WinHttpOpenRequest(connection, L"HEAD", L"/", nullptr, WINHTTP_NO_REFERER,
                                                            WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE)
                                       : nullptr;
        if (request) {
            SetPinnedRequestOptions(request, false);
            HandshakeCheck preflight{host, check.pinned};
            WatchHandshake(request, &preflight);
            if (WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                                   reinterpret_cast<DWORD_PTR>(&preflight)) &&
                !preflight.refused)
                WinHttpReceiveResponse(request, nullptr);
            bool valid = false;
            if (preflight.refused) {
                request = nullptr;  // closed by the handshake check
                ReportPinFailureFor(host);
            } else {
                valid = ValidatePins(request, host);
            }
            Close(request);
            if (!valid) {
                Close(connection);
                response.error = PreflightPinError(host);
                return response;
            }
        }
        Close(connection);
        RecordPreflight(host);
    }

    HINTERNET connection = WinHttpConnect(session_->handle, host.c_str(), parts.nPort, 0);
    if (!connection) {
        response.error = "WinHttpConnect failed";
        return response;
    }
    HINTERNET request = WinHttpOpenRequest(connection, verb.c_str(), pathBuffer, nullptr, WINHTTP_NO_REFERER,
                                           WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0);
    if (!request) {
        Close(connection);
        response.error = "WinHttpOpenRequest failed";
        return response;
    }
    SetPinnedRequestOptions(request, true);
    // Hosts without pins (and clients with pinning off) keep the system's verification.
    if (!check.pinned) {
        DWORD strict = 0;
        WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &strict, sizeof strict);
    }
    for (const std::wstring& line : HeaderLinesFor(host, contentType))
        WinHttpAddRequestHeaders(request, line.c_str(), static_cast<DWORD>(line.size()),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
    WatchHandshake(request, &check);

    const DWORD length = static_cast<DWORD>(body.size());
    const BOOL sent = WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                         body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data()),
                                         length, length, reinterpret_cast<DWORD_PTR>(&check));
    const DWORD sendError = GetLastError();
    if (check.refused) {
        // Closed by the handshake check. Windows cancels the send there; Wine's
        // WinHTTP sends anyway, so the response is never read either way.
        Close(connection);
        ReportPinFailureFor(host);
        response.error = PinError(host);
        return response;
    }
    if (!sent) {
        Close(request);
        Close(connection);
        response.error = "WinHttpSendRequest failed: " + std::to_string(sendError);
        return response;
    }
    if (!WinHttpReceiveResponse(request, nullptr)) {
        const DWORD code = GetLastError();
        Close(request);
        Close(connection);
        response.error = "WinHttpReceiveResponse failed: " + std::to_string(code);
        return response;
    }
    if (pinsApply && !ValidatePins(request, host)) {
        Close(request);
        Close(connection);
        response.error = PinError(host);
        return response;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                        &status, &size, WINHTTP_NO_HEADER_INDEX);
    std::string received;
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available) || available == 0) break;
        if (received.size() + available > kMaxResponseBodyBytes) {
            Close(request);
            Close(connection);
            response.error = kBodyTooLargeError;
            return response;
        }
        std::string chunk(available + 1, '\0');
        DWORD read = 0;
        if (!WinHttpReadData(request, chunk.data(), available, &read)) break;
        received.append(chunk.data(), read);
    }
    response.status = static_cast<int>(status);
    response.body = std::move(received);
    response.ok = IsOkStatus(response.status);
    Close(request);
    Close(connection);
    return response;
}

}  // namespace pellaro
