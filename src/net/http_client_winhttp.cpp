// WinHTTP transport of HttpClient: synchronous session, no proxy, no
// redirects. Certificate errors are ignored at the TLS layer only for a
// request whose chain the sequence checks in the handshake; every other
// request keeps the system's verification.
#include <windows.h>
#include <winhttp.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "core/build_constants.h"
#include "net/chain_winhttp.h"
#include "net/http_transport.h"
#include "platform/scoped_handles_win.h"

namespace pellaro {
namespace {

using SessionHandle = std::shared_ptr<void>;  // closed when the last request under it has ended

// One request run on a thread of its own, so that the caller can leave at the
// deadline. Closing the request handle ends a pending call on Windows; Wine's
// WinHTTP finishes its call first, so the caller never waits for the thread:
// everything the thread touches is owned here, and the caller's callbacks run
// only under the lock while the caller still waits.
struct Job {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    bool abandoned = false;
    ScopedInternet request;  // the open request, so the caller can close it at the deadline

    SessionHandle session;
    RequestTarget target;
    std::string body;
    ExchangeRequest spec;  // body points into the copy above
    HandshakeCheckFn handshakeCheck;
    bool refused = false;  // the handshake check refused the chain

    // Runs fn under the lock unless the caller has left; false when it has.
    template <typename Fn>
    bool WhileWaited(Fn&& fn) {
        std::lock_guard guard(lock);
        if (abandoned) return false;
        return fn();
    }
    void CloseRequest() {
        std::lock_guard guard(lock);
        request.reset();
    }
};

void CALLBACK OnStatus(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    auto* job = reinterpret_cast<Job*>(context);
    if (!job || status != WINHTTP_CALLBACK_STATUS_SENDING_REQUEST || !job->handshakeCheck) return;
    // The TLS session is up and nothing is sent yet: a refused chain cancels the request here.
    std::lock_guard guard(job->lock);
    if (job->abandoned || job->handshakeCheck(ChainOfRequest(request, job->target.host))) return;
    job->refused = true;
    job->request.reset();
}

// Certificate errors left to the handshake check when there is one; the
// system's verification otherwise.
void SetTrust(HINTERNET request, const Job& job) {
    if (job.handshakeCheck) {
        WinHttpSetStatusCallback(request, OnStatus, WINHTTP_CALLBACK_FLAG_SEND_REQUEST, 0);
    } else {
        DWORD strict = 0;
        WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &strict, sizeof strict);
    }
}

// Starts work(job) on its own thread and waits for it until the deadline.
// False when the deadline came first: the request is closed and the thread left to end by itself.
bool RunUntil(const std::shared_ptr<Job>& job, Deadline deadline, void (*work)(Job&)) {
    std::thread([job, work] {
        work(*job);
        job->CloseRequest();
        std::lock_guard guard(job->lock);
        job->done = true;
        job->ended.notify_all();
    }).detach();
    ScopedInternet late;  // closed outside the lock: a status callback may be waiting for it
    std::unique_lock guard(job->lock);
    if (job->ended.wait_until(guard, deadline, [&] { return job->done; })) return true;
    job->abandoned = true;
    late = std::move(job->request);
    guard.unlock();
    return false;
}

HINTERNET Open(Job& job, HINTERNET connection, const wchar_t* verb, const wchar_t* path, DWORD flags) {
    HINTERNET request = WinHttpOpenRequest(connection, verb, path, nullptr, WINHTTP_NO_REFERER,
                                           WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
    std::lock_guard guard(job.lock);
    job.request.reset(request);
    return request;
}

// What the pre-flight thread leaves for the caller.
struct PreflightJob : Job {
    PreflightAttempt attempt;
};

void RunPreflight(Job& base) {
    auto& job = static_cast<PreflightJob&>(base);
    PreflightAttempt& attempt = job.attempt;
    const ScopedInternet connection(
        WinHttpConnect(job.session.get(), job.target.host.c_str(), static_cast<INTERNET_PORT>(job.target.port), 0));
    if (!connection) {
        attempt.error = "WinHttpConnect failed";
        return;
    }
    HINTERNET request = Open(job, connection.get(), L"HEAD", L"/", WINHTTP_FLAG_SECURE);
    if (!request) {
        attempt.error = "WinHttpOpenRequest failed";
        return;
    }
    SetPinnedRequestOptions(request, false);
    if (job.handshakeCheck) WinHttpSetStatusCallback(request, OnStatus, WINHTTP_CALLBACK_FLAG_SEND_REQUEST, 0);
    std::string failure;
    if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                            reinterpret_cast<DWORD_PTR>(&job))) {
        failure = "WinHttpSendRequest failed: " + std::to_string(GetLastError());
    } else if (!job.refused && !WinHttpReceiveResponse(request, nullptr)) {
        failure = "WinHttpReceiveResponse failed: " + std::to_string(GetLastError());
    }
    job.WhileWaited([&] {
        attempt.refused = job.refused;
        if (!job.refused) {
            attempt.chain = ChainOfRequest(request, job.target.host);
            attempt.error = failure;
        }
        return true;
    });
    job.CloseRequest();  // before its connection
}

// The body as the response's framing promised it; an early end is a read failure.
std::string ReadBody(Job& job, HINTERNET request) {
    DWORD expected = 0;
    DWORD size = sizeof expected;
    const bool hasLength = job.spec.verb != L"HEAD" &&
                           WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                                               WINHTTP_HEADER_NAME_BY_INDEX, &expected, &size, WINHTTP_NO_HEADER_INDEX);
    unsigned long long received = 0;
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available))
            return "WinHttpQueryDataAvailable failed: " + std::to_string(GetLastError());
        if (available == 0) break;
        std::string chunk(available + 1, '\0');
        DWORD read = 0;
        if (!WinHttpReadData(request, chunk.data(), available, &read))
            return "WinHttpReadData failed: " + std::to_string(GetLastError());
        received += read;
        if (!job.WhileWaited([&] { return job.spec.bodyChunk(std::string_view(chunk.data(), read)); })) return {};
    }
    if (hasLength && received < expected)
        return "WinHttpReadData failed: " + std::to_string(ERROR_WINHTTP_CONNECTION_ERROR);
    return {};
}

struct ExchangeJob : Job {
    ExchangeResult result;
};

void RunExchange(Job& base) {
    auto& job = static_cast<ExchangeJob&>(base);
    ExchangeResult& result = job.result;
    const RequestTarget& target = job.target;
    const ExchangeRequest& spec = job.spec;
    const ScopedInternet connection(
        WinHttpConnect(job.session.get(), target.host.c_str(), static_cast<INTERNET_PORT>(target.port), 0));
    if (!connection) {
        result.error = "WinHttpConnect failed";
        return;
    }
    HINTERNET request = Open(job, connection.get(), spec.verb.c_str(), target.path.c_str(),
                             target.secure ? WINHTTP_FLAG_SECURE : 0);
    if (!request) {
        result.error = "WinHttpOpenRequest failed";
        return;
    }
    SetPinnedRequestOptions(request, true);
    SetTrust(request, job);
    for (const std::wstring& line : spec.headerLines)
        WinHttpAddRequestHeaders(request, line.c_str(), static_cast<DWORD>(line.size()),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);

    const DWORD length = static_cast<DWORD>(spec.body.size());
    const BOOL sent = WinHttpSendRequest(
        request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
        spec.body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(spec.body.data()), length, length,
        reinterpret_cast<DWORD_PTR>(&job));
    const DWORD sendError = GetLastError();
    if (job.refused) {
        // Closed by the handshake check. Windows cancels the send there; Wine's
        // WinHTTP sends anyway, so the response is never read either way.
        result.refused = true;
    } else if (!sent) {
        result.error = "WinHttpSendRequest failed: " + std::to_string(sendError);
    } else if (!WinHttpReceiveResponse(request, nullptr)) {
        result.error = "WinHttpReceiveResponse failed: " + std::to_string(GetLastError());
    } else if (!spec.responseCheck ||
               job.WhileWaited([&] { return spec.responseCheck(ChainOfRequest(request, target.host)); })) {
        DWORD status = 0;
        DWORD size = sizeof status;
        WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
        result.status = static_cast<int>(status);
        result.error = ReadBody(job, request);
    }
    job.CloseRequest();  // before its connection
}

class WinHttpTransport final : public HttpTransport {
public:
    explicit WinHttpTransport(SessionKind kind) {
        const std::wstring agent = WideConstant(ConstantKey::userAgent);
        HINTERNET session = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                        WINHTTP_NO_PROXY_BYPASS, 0);
        if (!session) throw std::runtime_error("WinHttpOpen failed");
        session_ = SessionHandle(session, handle_traits::Internet::Close);
        WinHttpSetTimeouts(session, 10000, 10000, 30000, 30000);
        if (kind == SessionKind::Shared) {
            WINHTTP_PROXY_INFO proxy = {};
            proxy.dwAccessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
            WinHttpSetOption(session, WINHTTP_OPTION_PROXY, &proxy, sizeof proxy);
        }
    }

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

    PreflightAttempt Preflight(const RequestTarget& target, const HandshakeCheckFn& handshakeCheck,
                               Deadline deadline) override {
        auto job = std::make_shared<PreflightJob>();
        job->session = session_;
        job->target = target;
        job->handshakeCheck = handshakeCheck;
        if (RunUntil(job, deadline, RunPreflight)) return job->attempt;
        PreflightAttempt late;
        late.deadlinePassed = true;
        return late;
    }

    ExchangeResult Exchange(const RequestTarget& target, const ExchangeRequest& spec) override {
        auto job = std::make_shared<ExchangeJob>();
        job->session = session_;
        job->target = target;
        job->body = std::string(spec.body);
        job->spec = spec;
        job->spec.body = job->body;
        job->handshakeCheck = spec.handshakeCheck;
        if (RunUntil(job, spec.deadline, RunExchange)) return job->result;
        ExchangeResult late;
        late.deadlinePassed = true;
        return late;
    }

private:
    SessionHandle session_;
};

}  // namespace

std::unique_ptr<HttpTransport> OpenHttpTransport(SessionKind kind) { return std::make_unique<WinHttpTransport>(kind); }

}  // namespace pellaro
