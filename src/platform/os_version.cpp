#include "platform/os_version.h"

#include <string_view>

namespace pellaro {

int MapOsVersion(unsigned major, unsigned minor, unsigned build) {
    if (major > 9) return build > 21999 ? 11 : 10;
    if (major == 6) return minor < 2 ? 7 : 8;
    return -1;
}

int MapDesktopSession(const char* x11Display, const char* waylandDisplay, const char* qtPlatform) {
    auto set = [](const char* v) { return v != nullptr && *v != '\0'; };
    if (set(x11Display) || set(waylandDisplay)) return 10;
    if (set(qtPlatform) && std::string_view(qtPlatform).starts_with("offscreen")) return 10;
    return -1;
}

}  // namespace pellaro
