// The version answer and the version text: never throw, never crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/version_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const pellaro::VersionInfo info = pellaro::DecideVersion(4.12, text);
    if (info.isRequired && !info.hasUpdate) __builtin_trap();  // required only with an update
    pellaro::ParseVersionNumber(text);
    return 0;
}
