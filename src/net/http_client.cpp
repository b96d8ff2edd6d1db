#include "net/http_client.h"

#include "core/build_constants.h"
#include "platform/device_identity.h"
#include "core/text.h"

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

void HttpClient::SetHeader(const std::wstring& name, const std::wstring& value) {
    std::lock_guard guard(lock_);
    defaultHeaders_[name] = value;
}

void HttpClient::DisablePinning() { pinningDisabled_ = true; }

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

}  // namespace pellaro
