#include <cstdlib>
#include <string_view>

#include "core/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string bytes = pellaro::Base64Decode(text);
    if (bytes.size() > size / 4 * 3 + 2) std::abort();
    // What was decoded survives an encode-decode round trip.
    if (pellaro::Base64Decode(pellaro::Base64Encode(bytes)) != bytes) std::abort();
    return 0;
}
