#include "links/link_resolution.h"

#include <algorithm>
#include <cwctype>
#include <exception>
#include <sstream>
#include <vector>

#include "core/app_record.h"
#include "core/build_constants.h"
#include "links/envelope.h"
#include "links/media_url.h"
#include "platform/debug_log.h"
#include "core/secure_wipe.h"
#include "core/text.h"

namespace pellaro {
namespace {

// Wipes the assembled payload key however the scope is left.
class KeyHolder {
public:
    explicit KeyHolder(std::string key) : key_(std::move(key)) {}
    ~KeyHolder() { SecureWipe(key_); }
    KeyHolder(const KeyHolder&) = delete;
    KeyHolder& operator=(const KeyHolder&) = delete;
    const std::string& get() const { return key_; }

private:
    std::string key_;
};

template <typename Text>
void TrimTrailingSlashes(Text& text) {
    while (!text.empty() && (text.back() == '/' || text.back() == '\\')) text.pop_back();
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

void FailWith(std::string& errorCode, std::string code, std::string_view logLine) {
    errorCode = std::move(code);
    DebugLine(logLine);
}

// The boundary where every exception of the operation becomes a link error code.
template <typename Body>
bool CatchingExceptions(std::string& errorCode, Body&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        errorCode = std::string("exception_") + e.what();
        DebugLine(std::string("ParseSchemeArgs exception: ") + e.what());
    } catch (...) {
        errorCode = "unknown_exception";
        DebugLine("ParseSchemeArgs unknown exception");
    }
    return false;
}

void FillFromContentData(const ContentData& data, const LinkServices& services, ContentDescriptor& content) {
    const bool shownAsPage = data.type == "video" || data.type == "zoom" || data.type == "zoom_url" ||
                             IsMeetingAddress(FromUtf8(data.url));
    content.contentType = shownAsPage ? L"url_direct" : FromUtf8(data.type);
    content.watermarkText = FromUtf8(data.text);
    content.itemNumber = data.number;

    const std::wstring videoUrl = FromUtf8(data.videoUrl);
    if (!IsVideoSharingAddress(videoUrl)) {
        content.contentUrl = FromUtf8(data.url);
        return;
    }
    content.contentUrl = NormalizeVideoUrl(videoUrl, content.baseAddress);
    content.contentType = L"url_direct";
    // Best effort: the video plays without its page script.
    try {
        const HttpResponse response = services.fetchPageScript(WideConstant(ConstantKey::pageScriptUrl) +
                                                               std::to_wstring(content.itemNumber));
        if (response.ok) content.pageScript = FromUtf8(response.body);
    } catch (...) {
        DebugLine("ParseSchemeArgs: page script request failed");
    }
}

}  // namespace

std::string UnreachableReason(const std::string& failureText) { return "unreachable_" + failureText; }

std::string ProfilePayloadKey() { return Constant(ConstantKey::payloadKey); }

std::wstring UrlDecode(const std::wstring& link) {
    const std::string bytes = ToUtf8(link);
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && i + 2 < bytes.size()) {
            // Read the way a hex stream extraction does: white space skipped,
            // a sign accepted, reading stops at the first non-hex character.
            std::istringstream pair(bytes.substr(i + 1, 2));
            int value = 0;
            if (pair >> std::hex >> value) {
                out += static_cast<char>(value & 0xFF);
                i += 2;
                continue;
            }
        }
        out += bytes[i];
    }
    return FromUtf8(out);
}

std::vector<std::wstring> SplitLink(const std::wstring& link) {
    std::wstring text = UrlDecode(link);
    for (wchar_t& c : text)
        if (c == L' ') c = L'+';

    // Found as in a lower-cased copy (unit by unit), without making the copy.
    const std::wstring prefix = LowerUnits(App().schemeName) + L":";
    const auto at = std::search(text.begin(), text.end(), prefix.begin(), prefix.end(),
                                [](wchar_t unit, wchar_t lower) {
                                    return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(unit))) == lower;
                                });
    if (at != text.end()) text.erase(text.begin(), at + static_cast<std::ptrdiff_t>(prefix.size()));

    TrimTrailingSlashes(text);
    const std::size_t start = text.find_first_not_of(L"/\\");
    text = start == std::wstring::npos ? std::wstring() : text.substr(start);

    // Line-reader semantics: "a::b" gives three fields, a final ":" adds none.
    std::vector<std::wstring> fields;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find(L':', start);
        if (end == std::wstring::npos) {
            fields.push_back(text.substr(start));
            break;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

bool OpenLinkFields(const std::wstring& link, const std::function<std::string()>& payloadKey, LinkFields& fields,
                    std::string& errorCode) {
    errorCode = "unknown_error";
    return CatchingExceptions(errorCode, [&] {
        DebugLine("ParseSchemeArgs called with payload length: " + std::to_string(Utf16Length(link)));
        const std::vector<std::wstring> parts = SplitLink(link);
        if (parts.size() < 3) {
            FailWith(errorCode, "split_failed_parts_" + std::to_string(parts.size()),
                     "ParseSchemeArgs failed: less than 3 parts after split");
            return false;
        }
        const KeyHolder key(payloadKey());
        fields.linkKey = DecryptLinkField(ToUtf8(parts[0]), key.get());
        fields.contentLinkId = DecryptLinkField(ToUtf8(parts[1]), key.get());
        fields.baseAddress = DecryptLinkField(ToUtf8(parts[2]), key.get());
        if (fields.linkKey.empty() || fields.contentLinkId.empty() || fields.baseAddress.empty()) {
            FailWith(errorCode, "decrypt_failed_empty_strings",
                     "ParseSchemeArgs failed: one of the parts decrypted to empty string");
            return false;
        }
        return true;
    });
}

LinkResult ResolveContentLink(const std::wstring& link, const LinkServices& services) {
    LinkResult result;
    LinkFields fields;
    std::string errorCode;
    if (!OpenLinkFields(link, services.payloadKey, fields, errorCode)) {
        result.error = LinkError{LinkErrorKind::Diagnostic, std::move(errorCode)};
        return result;
    }
    std::optional<LinkError> backendError;  // a refusal, or no answer at all
    const bool resolved = CatchingExceptions(errorCode, [&] {
        ContentDescriptor& content = result.content;
        DebugLine("Decrypted OK. Domain: " + fields.baseAddress);
        TrimTrailingSlashes(fields.baseAddress);
        content.baseAddress = FromUtf8(fields.baseAddress);

        const std::wstring contentLinkId = FromUtf8(fields.contentLinkId);
        if (StartsWith(contentLinkId, L"http://") || StartsWith(contentLinkId, L"https://")) {
            content.contentUrl = contentLinkId;
            content.contentType = L"url_direct";
            content.watermarkText.clear();
            content.itemNumber = 0;
            DebugLine("ParseSchemeArgs: contentLinkId is a direct URL. Skipping GetContentData.");
        } else {
            std::string errorText;
            HttpFailure failure = HttpFailure::None;
            const std::optional<ContentData> data = services.getContentData(content.baseAddress, fields.contentLinkId,
                                                                            fields.linkKey, &errorText, &failure);
            if (!data) {
                if (failure == HttpFailure::Transport || failure == HttpFailure::Deadline) {
                    DebugLine("GetContentData: the backend could not be reached: " + errorText);
                    backendError = LinkError{LinkErrorKind::Unreachable, UnreachableReason(errorText)};
                } else if (errorText.empty()) {
                    errorCode = "api_content_data_failed";
                } else {
                    backendError = LinkError{LinkErrorKind::ServerMessage, std::move(errorText)};
                }
                DebugLine("ParseSchemeArgs failed: GetContentData returned empty value");
                return false;
            }
            FillFromContentData(*data, services, content);
        }
        DebugLine("ParseSchemeArgs succeeded");
        return true;
    });
    if (!resolved) result.error = backendError ? *backendError : LinkError{LinkErrorKind::Diagnostic, errorCode};
    return result;
}

}  // namespace pellaro
