// The dynamic pin list: parse or throw; every entry kept has pins.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "net/pin_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto entries = pellaro::ParsePinList(std::string(reinterpret_cast<const char*>(data), size));
        for (const auto& entry : entries)
            if (entry.pins.empty()) __builtin_trap();
    } catch (const std::exception&) {
    }
    return 0;
}
