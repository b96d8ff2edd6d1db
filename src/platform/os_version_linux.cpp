#include <cstdlib>

#include "platform/os_version.h"

namespace pellaro {

bool PlatformSupported() {
    return MapDesktopSession(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM")) >=
           10;
}

}  // namespace pellaro
