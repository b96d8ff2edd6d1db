// The whole resolution with a fake backend: whatever the link, it ends with
// success or with exactly one code of the link error table.
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/app_record.h"
#include "fuzz_key.h"
#include "links/link_resolution.h"
#include "platform/debug_log.h"
#include "core/text.h"

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool IsLinkErrorCode(const std::string& code) {
    return code == "decrypt_failed_empty_strings" || code == "api_content_data_failed" || code == "unknown_exception" ||
           code == "split_failed_parts_0" || code == "split_failed_parts_1" || code == "split_failed_parts_2" ||
           StartsWith(code, "server:") || StartsWith(code, "exception_");
}

pellaro::LinkServices FakeServices() {
    pellaro::LinkServices services;
    services.payloadKey = pellaro::fuzz::FuzzKey;
    // The opened fields steer the fake backend, so fuzzing reaches every branch.
    services.getContentData = [](const std::wstring&, const std::string& contentLinkId, const std::string& linkKey,
                                 std::string* errorText, pellaro::HttpFailure*) -> std::optional<pellaro::ContentData> {
        if (contentLinkId == "refuse") {
            *errorText = linkKey;
            return std::nullopt;
        }
        return pellaro::ContentData{contentLinkId, linkKey, linkKey, linkKey, static_cast<int>(linkKey.size())};
    };
    services.fetchPageScript = [](const std::wstring& url) {
        return pellaro::HttpResponse{200, pellaro::ToUtf8(url), true, ""};
    };
    return services;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const pellaro::LinkServices services = FakeServices();
    static const bool quiet = (pellaro::SetDebugSink([](std::string_view) {}), true);
    (void)quiet;
    const std::wstring link = pellaro::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    const pellaro::LinkResult result = pellaro::ResolveContentLink(link, services);
    const bool ok = result.Resolved();
    const std::string code = ok ? "unknown_error" : result.error->Code();
    const pellaro::ContentDescriptor& content = result.content;
    if (ok ? code != "unknown_error" : !IsLinkErrorCode(code)) std::abort();
    if (ok && content.contentUrl.empty() && content.contentType.empty()) std::abort();
    return 0;
}
