#pragma once
// The program's own synchronous HTTPS client: default headers, no proxy, no
// redirects, and trust decided by certificate pins. Failures are values.
#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/backend_host.h"

namespace pellaro {

// A response body larger than this ends the request with kBodyTooLargeError.
inline constexpr std::size_t kMaxResponseBodyBytes = 32u * 1024u * 1024u;
inline constexpr const char* kBodyTooLargeError = "Response body exceeds 32 MiB";
inline constexpr const char* kParseUrlError = "Failed to parse URL";
// Every request, its pre-flight included, ends by this long after it began:
// a server that answers slowly but steadily passes each per-operation time-out.
inline constexpr std::chrono::milliseconds kDefaultRequestDeadline{60000};
inline constexpr const char* kDeadlineError = "Request exceeded its overall deadline";

// 200 <= status <= 299.
bool IsOkStatus(int status);
// The header lines of one request, in order: the default headers (sorted by
// name) with the device headers put in for backend hosts (each only when
// non-empty), then "Content-Type: ..." when a content type is given.
std::vector<std::wstring> BuildHeaderLines(std::map<std::wstring, std::wstring> headers, const std::wstring& host,
                                           const std::wstring& contentType, const std::wstring& deviceId,
                                           const std::wstring& hardwareId);
std::string PreflightPinError(const std::wstring& host);
std::string PinError(const std::wstring& host);

// Why a request gave no 2xx answer. Callers decide on the kind and show the
// text in HttpResponse::error as it is.
enum class HttpFailure {
    None,       // a 2xx answer
    Status,     // an answer outside 200-299: status and body are filled, error is empty
    Transport,  // no connection, nothing sent, or no answer: the stack's own text
    Pins,       // a chain was received and failed its pins (the interception texts)
    Deadline,   // the overall deadline passed (kDeadlineError)
    Size,       // the body was larger than the bound (kBodyTooLargeError)
    Parse,      // the URL could not be split (kParseUrlError)
};

struct HttpResponse {
    int status = 0;     // 0 when no response was read
    std::string body;   // exactly as received
    bool ok = false;    // 200 <= status <= 299
    std::string error;  // empty on success and for Status, else the client's failure text
    HttpFailure failure = HttpFailure::None;
};

// What went wrong, in one line: the failure text, or "status N" for an answer
// outside 200-299; empty for a 2xx answer.
std::string FailureText(const HttpResponse& response);

class HttpTransport;

class HttpClient {
public:
    HttpClient();  // throws std::runtime_error when the session cannot be opened
    explicit HttpClient(std::unique_ptr<HttpTransport> transport);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // The process-wide client used for every backend call; never destroyed.
    static HttpClient& Shared();

    void SetHeader(const std::wstring& name, const std::wstring& value);
    void DisablePinning();
    // How long one request may take in all (kDefaultRequestDeadline unless set).
    void SetDeadline(std::chrono::milliseconds limit);

    HttpResponse Get(const std::wstring& url);
    HttpResponse Post(const std::wstring& url, const std::string& body, const std::wstring& contentType);
    HttpResponse Put(const std::wstring& url, const std::string& body, const std::wstring& contentType);
    HttpResponse Send(const std::wstring& verb, const std::wstring& url, const std::string& body,
                      const std::wstring& contentType);

    // Hosts whose pre-flight this client has done (for tests and diagnostics).
    bool PreflightDone(const std::wstring& host);

private:
    std::vector<std::wstring> HeaderLinesFor(const std::wstring& host, const std::wstring& contentType);
    void RecordPreflight(const std::wstring& host);

    std::unique_ptr<HttpTransport> transport_;
    std::mutex lock_;
    std::map<std::wstring, std::wstring> defaultHeaders_;
    std::set<std::wstring> preflightHosts_;
    bool pinningDisabled_ = false;
    std::chrono::milliseconds deadline_ = kDefaultRequestDeadline;
};

}  // namespace pellaro
