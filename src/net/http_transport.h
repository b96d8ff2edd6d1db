#pragma once
// The few primitives the request sequence of HttpClient runs over. Each
// edition implements them on its HTTP stack (libcurl, WinHTTP): open, send,
// read status and body, and hand over the server's chain. What is sent, what
// counts as done and what fails is decided by the sequence (http_client.cpp).
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/pin_validation.h"

namespace pellaro {

// A URL as the platform splits it.
struct RequestTarget {
    std::wstring url;   // as given
    std::wstring host;  // as it stands in the URL
    int port = 0;
    std::wstring path;    // path and query
    bool secure = false;  // https
};

// Answers whether a chain presented in the TLS handshake may carry the
// request; empty when the platform's own verification decides.
using HandshakeCheckFn = std::function<bool(const ServerChain&)>;

using Deadline = std::chrono::steady_clock::time_point;

// One HEAD "/" request to the host that shows the server's chain.
struct PreflightAttempt {
    bool refused = false;         // the handshake check refused the chain
    bool deadlinePassed = false;  // ended because the request's deadline passed
    // The stack's text when the HEAD could not be opened, connect, be sent or
    // get an answer (as an exchange would word it); empty when it was answered.
    std::string error;
    ServerChain chain;  // the chain the server presented (unread when none)
};

struct ExchangeRequest {
    std::wstring verb;
    std::vector<std::wstring> headerLines;  // "Name: value", in order
    std::string_view body;                  // stays valid for the exchange
    Deadline deadline = Deadline::max();    // the exchange ends with deadlinePassed once it is reached
    bool hasContentType = false;
    HandshakeCheckFn handshakeCheck;
    // Runs once when the response has arrived, before its status and body are
    // read; false stops the exchange. Empty: no check.
    std::function<bool(const ServerChain&)> responseCheck;
    // Takes each piece of the body; false stops reading.
    std::function<bool(std::string_view)> bodyChunk;
};

struct ExchangeResult {
    bool refused = false;         // the handshake check refused the chain; the request was not carried
    bool deadlinePassed = false;  // ended because the deadline passed; error is then empty
    std::string error;            // the platform's text for a transport failure; empty otherwise
    int status = 0;               // 0 when no status was read
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    // False when the URL cannot be split.
    virtual bool Split(const std::wstring& url, RequestTarget& target) = 0;
    virtual PreflightAttempt Preflight(const RequestTarget& target, const HandshakeCheckFn& handshakeCheck,
                                       Deadline deadline) = 0;
    virtual ExchangeResult Exchange(const RequestTarget& target, const ExchangeRequest& request) = 0;
};

enum class SessionKind { Private, Shared };

// Platform: the session of one client; throws std::runtime_error when it
// cannot be opened.
std::unique_ptr<HttpTransport> OpenHttpTransport(SessionKind kind);

}  // namespace pellaro
