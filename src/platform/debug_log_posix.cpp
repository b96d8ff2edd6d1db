#include "platform/debug_log.h"

#include <cstdio>
#include <string>

namespace pellaro {

void PlatformDebugLine(std::string_view line) {
    std::string out(line);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}

}  // namespace pellaro
