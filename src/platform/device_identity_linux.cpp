#include <openssl/evp.h>

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

std::string Sha256Hex(std::string_view data) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(data.data(), data.size(), digest, &size, EVP_sha256(), nullptr) != 1) return {};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 0xF];
    }
    return hex;
}

}  // namespace pellaro
