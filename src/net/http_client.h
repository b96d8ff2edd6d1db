#pragma once
// The program's own synchronous HTTPS client: default headers, no proxy, no
// redirects, and trust decided by certificate pins. Failures are values.
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace pellaro {

struct HttpResponse {
    int status = 0;        // 0 when no response was read
    std::string body;      // exactly as received
    bool ok = false;       // 200 <= status <= 299
    std::string error;     // empty on success, else the client's failure text
};

class HttpClient {
public:
    HttpClient();          // throws std::runtime_error when the session cannot be opened
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // The process-wide client used for every backend call; never destroyed.
    static HttpClient& Shared();

    void SetHeader(const std::wstring& name, const std::wstring& value);
    void DisablePinning();

    HttpResponse Get(const std::wstring& url);
    HttpResponse Post(const std::wstring& url, const std::string& body, const std::wstring& contentType);
    HttpResponse Put(const std::wstring& url, const std::string& body, const std::wstring& contentType);
    HttpResponse Send(const std::wstring& verb, const std::wstring& url, const std::string& body,
                      const std::wstring& contentType);

private:
    struct Session;  // the platform's session (WinHTTP session, or a libcurl handle)
    std::unique_ptr<Session> session_;
    std::mutex lock_;
    std::map<std::wstring, std::wstring> defaultHeaders_;
    std::set<std::wstring> preflightHosts_;
    bool pinningDisabled_ = false;
};

}  // namespace pellaro
