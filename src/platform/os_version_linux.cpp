#include <cstdlib>

#include "platform/os_version.h"

namespace pellaro {

int OsVersionNumber() {
    return MapDesktopSession(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM"));
}

}  // namespace pellaro
