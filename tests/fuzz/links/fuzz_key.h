#pragma once
// The payload key of the fuzz corpus (seeds were sealed with it).
#include <string>

namespace pellaro::fuzz {

inline std::string FuzzKey() {
    return std::string(
        "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f"
        "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f",
        32);
}

}  // namespace pellaro::fuzz
