// WinHTTP transport of HttpClient: synchronous session, no proxy, no
// redirects. Certificate errors are ignored at the TLS layer only for a
// request whose chain the sequence checks in the handshake; every other
// request keeps the system's verification.
#include <windows.h>
#include <winhttp.h>

#include <stdexcept>

#include "core/build_constants.h"
#include "net/chain_winhttp.h"
#include "net/http_transport.h"

namespace pellaro {
namespace {

// Per-request state for the sending-request callback.
struct HandshakeWatch {
    const std::wstring* host = nullptr;
    const HandshakeCheckFn* check = nullptr;
    bool refused = false;
};

void CALLBACK OnStatus(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    auto* watch = reinterpret_cast<HandshakeWatch*>(context);
    if (!watch || status != WINHTTP_CALLBACK_STATUS_SENDING_REQUEST || !*watch->check) return;
    // The TLS session is up and nothing is sent yet: a refused chain cancels the request here.
    if (!(*watch->check)(ChainOfRequest(request, *watch->host))) {
        watch->refused = true;
        WinHttpCloseHandle(request);
    }
}

// Certificate errors left to the handshake check when there is one; the
// system's verification otherwise.
void SetTrust(HINTERNET request, HandshakeWatch& watch) {
    if (*watch.check) {
        WinHttpSetStatusCallback(request, OnStatus, WINHTTP_CALLBACK_FLAG_SEND_REQUEST, 0);
    } else {
        DWORD strict = 0;
        WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &strict, sizeof strict);
    }
}

void Close(HINTERNET& handle) {
    if (handle) WinHttpCloseHandle(handle);
    handle = nullptr;
}

class WinHttpTransport final : public HttpTransport {
public:
    explicit WinHttpTransport(SessionKind kind) {
        const std::wstring agent = WideConstant(ConstantKey::userAgent);
        session_ = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0);
        if (!session_) throw std::runtime_error("WinHttpOpen failed");
        WinHttpSetTimeouts(session_, 10000, 10000, 30000, 30000);
        if (kind == SessionKind::Shared) {
            WINHTTP_PROXY_INFO proxy = {};
            proxy.dwAccessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
            WinHttpSetOption(session_, WINHTTP_OPTION_PROXY, &proxy, sizeof proxy);
        }
    }
    ~WinHttpTransport() override { WinHttpCloseHandle(session_); }

    bool Split(const std::wstring& url, RequestTarget& target) override {
        wchar_t hostBuffer[256] = {};
        wchar_t pathBuffer[2048] = {};
        URL_COMPONENTS parts = {};
        parts.dwStructSize = sizeof parts;
        parts.lpszHostName = hostBuffer;
        parts.dwHostNameLength = 256;
        parts.lpszUrlPath = pathBuffer;
        parts.dwUrlPathLength = 2048;
        if (url.empty() || !WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return false;
        target.url = url;
        target.host = hostBuffer;
        target.port = parts.nPort;
        target.path = pathBuffer;
        target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
        return true;
    }

    PreflightAttempt Preflight(const RequestTarget& target, const HandshakeCheckFn& handshakeCheck) override {
        PreflightAttempt attempt;
        HINTERNET connection = WinHttpConnect(session_, target.host.c_str(), Port(target), 0);
        HINTERNET request = connection ? WinHttpOpenRequest(connection, L"HEAD", L"/", nullptr, WINHTTP_NO_REFERER,
                                                            WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE)
                                       : nullptr;
        if (request) {
            attempt.sent = true;
            SetPinnedRequestOptions(request, false);
            HandshakeWatch watch{&target.host, &handshakeCheck};
            if (handshakeCheck) WinHttpSetStatusCallback(request, OnStatus, WINHTTP_CALLBACK_FLAG_SEND_REQUEST, 0);
            if (WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                                   reinterpret_cast<DWORD_PTR>(&watch)) &&
                !watch.refused)
                WinHttpReceiveResponse(request, nullptr);
            if (watch.refused) {
                request = nullptr;  // closed by the handshake check
                attempt.refused = true;
            } else {
                attempt.chain = ChainOfRequest(request, target.host);
            }
            Close(request);
        }
        Close(connection);
        return attempt;
    }

    ExchangeResult Exchange(const RequestTarget& target, const ExchangeRequest& spec) override {
        ExchangeResult result;
        HINTERNET connection = WinHttpConnect(session_, target.host.c_str(), Port(target), 0);
        if (!connection) {
            result.error = "WinHttpConnect failed";
            return result;
        }
        HINTERNET request = WinHttpOpenRequest(connection, spec.verb.c_str(), target.path.c_str(), nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               target.secure ? WINHTTP_FLAG_SECURE : 0);
        if (!request) {
            Close(connection);
            result.error = "WinHttpOpenRequest failed";
            return result;
        }
        SetPinnedRequestOptions(request, true);
        HandshakeWatch watch{&target.host, &spec.handshakeCheck};
        SetTrust(request, watch);
        for (const std::wstring& line : spec.headerLines)
            WinHttpAddRequestHeaders(request, line.c_str(), static_cast<DWORD>(line.size()),
                                     WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);

        const DWORD length = static_cast<DWORD>(spec.body.size());
        const BOOL sent = WinHttpSendRequest(
            request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
            spec.body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(spec.body.data()), length, length,
            reinterpret_cast<DWORD_PTR>(&watch));
        const DWORD sendError = GetLastError();
        if (watch.refused) {
            // Closed by the handshake check. Windows cancels the send there; Wine's
            // WinHTTP sends anyway, so the response is never read either way.
            Close(connection);
            result.refused = true;
            return result;
        }
        if (!sent) {
            result.error = "WinHttpSendRequest failed: " + std::to_string(sendError);
        } else if (!WinHttpReceiveResponse(request, nullptr)) {
            result.error = "WinHttpReceiveResponse failed: " + std::to_string(GetLastError());
        } else if (!spec.responseCheck || spec.responseCheck(ChainOfRequest(request, target.host))) {
            DWORD status = 0;
            DWORD size = sizeof status;
            WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
            result.status = static_cast<int>(status);
            ReadBody(request, spec);
        }
        Close(request);
        Close(connection);
        return result;
    }

private:
    static INTERNET_PORT Port(const RequestTarget& target) { return static_cast<INTERNET_PORT>(target.port); }

    static void ReadBody(HINTERNET request, const ExchangeRequest& spec) {
        for (;;) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(request, &available) || available == 0) return;
            std::string chunk(available + 1, '\0');
            DWORD read = 0;
            if (!WinHttpReadData(request, chunk.data(), available, &read)) return;
            if (!spec.bodyChunk(std::string_view(chunk.data(), read))) return;
        }
    }

    HINTERNET session_ = nullptr;
};

}  // namespace

std::unique_ptr<HttpTransport> OpenHttpTransport(SessionKind kind) { return std::make_unique<WinHttpTransport>(kind); }

}  // namespace pellaro
