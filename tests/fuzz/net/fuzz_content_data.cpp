// The content-data answer: any body must parse or throw, never crash.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "net/content_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        pellaro::ParseContentData(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const std::exception&) {
    }
    return 0;
}
