#include "net/version_check.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include <nlohmann/json.hpp>

#include "core/build_constants.h"
#include "net/content_data.h"
#include "net/http_client.h"
#include "core/text.h"

namespace pellaro {

std::optional<double> ParseVersionNumber(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    bool negative = false;
    if (first != last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
        if (first != last && (*first == '+' || *first == '-')) return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc() || end == first) return std::nullopt;
    return negative ? -value : value;
}

double CurrentVersionNumber(const std::wstring& versionText) {
    return ParseVersionNumber(ToUtf8(versionText)).value_or(3.0);
}

VersionInfo DecideVersion(double currentVersion, const std::string& body) {
    VersionInfo info;
    const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
    if (answer.is_discarded()) {
        info.error = "the answer is not JSON";
        return info;
    }
    if (!answer.is_object() || !answer.contains("version")) {
        info.error = "the answer has no version";
        return info;
    }
    const nlohmann::json& version = answer.at("version");
    double remote = 0;
    if (version.is_number()) {
        remote = version.get<double>();
    } else if (version.is_string()) {
        remote = ParseVersionNumber(version.get<std::string>()).value_or(0.0);
    }
    info.hasUpdate = currentVersion < remote;
    if (!info.hasUpdate) return info;
    if (answer.contains("is_required")) {
        const nlohmann::json& required = answer.at("is_required");
        if (required.is_number_integer()) {
            info.isRequired = required.get<long long>() == 1;
        } else if (required.is_number_float()) {
            const double value = required.get<double>();
            info.isRequired = std::isfinite(value) && std::trunc(value) == 1.0;
        } else if (required.is_string()) {
            info.isRequired = required.get<std::string>() == "1";
        }
    }
    if (answer.contains("link") && answer.at("link").is_string())
        info.link = FromUtf8(answer.at("link").get<std::string>());
    return info;
}

VersionInfo CheckVersion(double currentVersion, const std::wstring& baseAddress) {
    VersionInfo failed;
    try {
        const HttpResponse response = HttpClient::Shared().Get(VersionCheckAddress(baseAddress));
        if (response.ok) return DecideVersion(currentVersion, response.body);
        failed.error = FailureText(response);
    } catch (const std::exception& e) {
        failed.error = e.what();
    }
    return failed;
}

std::wstring VersionCheckAddress(const std::wstring& baseAddress) {
    const std::wstring base = NormalizeBaseUrl(baseAddress);
    return base.empty() ? WideConstant(ConstantKey::versionUrl) : base + WideConstant(ConstantKey::versionPath);
}

}  // namespace pellaro
