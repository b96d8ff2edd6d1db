#include "platform/debug_log.h"

#include <windows.h>

#include <string>

namespace pellaro {

void PlatformDebugLine(std::string_view line) {
    const std::string text(line);
    OutputDebugStringA(text.c_str());
    OutputDebugStringA("\n");
}

}  // namespace pellaro
