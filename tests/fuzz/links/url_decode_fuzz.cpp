#include <cstdlib>
#include <string_view>

#include "links/link_resolution.h"
#include "core/text.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::wstring link = pellaro::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::wstring decoded = pellaro::UrlDecode(link);
    // Decoding never lengthens the text: at most one unit per input byte.
    if (decoded.size() > pellaro::ToUtf8(link).size()) std::abort();
    return 0;
}
