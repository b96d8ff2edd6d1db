#include "net/content_data.h"

#include <climits>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "core/build_constants.h"
#include "platform/device_identity.h"
#include "net/http_client.h"
#include "core/text.h"

namespace pellaro {

std::wstring NormalizeBaseUrl(const std::wstring& address) {
    std::wstring text = address;
    while (!text.empty() && (text.back() == L'/' || text.back() == L'\\')) text.pop_back();
    if (text.empty()) return text;
    if (text.size() > 2 && text.find(L"://") != std::wstring::npos) return text;
    return L"https://" + text;
}

std::string FormEncode(const std::string& value) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : value) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string BuildContentForm(const std::string& linkKey, const std::string& contentLinkId) {
    return Constant(ConstantKey::contentFormPrefix) + FormEncode(linkKey) +
           Constant(ConstantKey::contentFormSeparator) + FormEncode(contentLinkId);
}

ContentData ParseContentData(const std::string& body) {
    const nlohmann::json response = nlohmann::json::parse(body);
    const std::string wrapKey = Constant(ConstantKey::contentWrapKey);
    const nlohmann::json& item = response.is_object() && response.contains(wrapKey) && response.at(wrapKey).is_object()
                                     ? response.at(wrapKey)
                                     : response;
    const auto text = [&](ConstantKey key, const std::string& fallback) {
        const std::string name = Constant(key);
        if (!item.is_object() || !item.contains(name) || item.at(name).is_null()) return fallback;
        return item.at(name).get<std::string>();
    };
    ContentData data;
    data.type = text(ConstantKey::contentMemberType, "video");
    data.url = text(ConstantKey::contentMemberUrl, "");
    data.videoUrl = text(ConstantKey::contentMemberVideoUrl, "");
    data.text = text(ConstantKey::contentMemberText, "");
    const std::string numberName = Constant(ConstantKey::contentMemberNumber);
    if (item.is_object() && item.contains(numberName) && !item.at(numberName).is_null()) {
        const nlohmann::json& number = item.at(numberName);
        // The library's conversion of a number int cannot hold is undefined: such an answer is unreadable.
        if (number.is_number() && !(number.get<double>() > INT_MIN - 1.0 && number.get<double>() < INT_MAX + 1.0))
            throw std::out_of_range("item number out of range");
        data.number = number.get<int>();
    }
    return data;
}

std::optional<ContentData> GetContentData(const std::wstring& baseAddress, const std::string& contentLinkId,
                                          const std::string& linkKey, std::string* errorText, HttpFailure* failure) {
    if (failure) *failure = HttpFailure::None;
    try {
        const std::wstring url = NormalizeBaseUrl(baseAddress) + WideConstant(ConstantKey::contentDataPath);
        HttpClient& client = HttpClient::Shared();
        client.SetHeader(WideConstant(ConstantKey::contentDeviceHeaderName), DeviceIdentifier());
        client.SetHeader(WideConstant(ConstantKey::contentHardwareHeaderName), HardwareIdentifier());
        client.SetHeader(WideConstant(ConstantKey::contentClientHeaderName),
                         WideConstant(ConstantKey::contentClientHeaderValue));
        const HttpResponse response = client.Put(url, BuildContentForm(linkKey, contentLinkId),
                                                 L"application/x-www-form-urlencoded");
        if (!response.ok) {
            if (failure) *failure = response.failure;
            if (errorText) {
                const nlohmann::json body = nlohmann::json::parse(response.body, nullptr, false);
                if (!body.is_discarded() && body.is_object() && body.contains("message")) {
                    *errorText = body.at("message").get<std::string>();
                }
                if (errorText->empty() && response.failure != HttpFailure::Status) *errorText = response.error;
            }
            return std::nullopt;
        }
        return ParseContentData(response.body);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace pellaro
