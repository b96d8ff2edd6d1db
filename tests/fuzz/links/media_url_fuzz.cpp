#include <cstdlib>
#include <string_view>

#include "core/app_record.h"
#include "links/media_url.h"
#include "links/player_page.h"
#include "core/text.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::wstring address = pellaro::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    pellaro::App().content.baseAddress = L"https://www.tovrel.localhost";
    const std::wstring normalized = pellaro::NormalizeVideoUrl(address);
    if (normalized.empty() && !address.empty()) std::abort();
    (void)pellaro::IsVideoSharingAddress(address);
    (void)pellaro::IsMeetingAddress(address);
    // Escaped text has no character left that could end an attribute or a tag.
    const std::wstring escaped = pellaro::HtmlEscape(address);
    if (escaped.find_first_of(L"<>\"'") != std::wstring::npos) std::abort();
    return 0;
}
