#include <fstream>
#include <iterator>
#include <string>

#include "platform/device_identity_source.h"

namespace pellaro {
namespace {

std::string FirstReadable(std::initializer_list<const char*> paths) {
    for (const char* path : paths) {
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (text.find_first_not_of(" \t\r\n") != std::string::npos) return text;
    }
    return {};
}

}  // namespace

MachineValues ReadMachineValues() {
    MachineValues values;
    values.machine = FirstReadable({"/etc/machine-id", "/var/lib/dbus/machine-id"});
    // Readable by root only on most systems; the identifier then derives from the machine id.
    values.hardware = FirstReadable({"/sys/class/dmi/id/product_uuid", "/sys/class/dmi/id/board_serial"});
    return values;
}

}  // namespace pellaro
