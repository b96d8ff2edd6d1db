#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/device_identity_source.h"
#include "core/hex.h"
#include "core/text.h"
#include "platform/scoped_handles_win.h"

namespace pellaro {
namespace {

std::string MachineGuid() {
    ScopedRegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0, KEY_READ | KEY_WOW64_64KEY,
                      key.receive()) != ERROR_SUCCESS)
        return {};
    wchar_t buffer[128] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG rc = RegQueryValueExW(key.get(), L"MachineGuid", nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                     &bytes);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return {};
    return ToUtf8(std::wstring(buffer, bytes / sizeof(wchar_t)).c_str());
}

// The system UUID of the SMBIOS "system information" structure (type 1),
// as hex; empty when absent or unset (all zero or all 0xFF bytes).
std::string SmbiosSystemUuid() {
    constexpr DWORD kRawSmbios = 0x52534D42;  // 'RSMB'
    const UINT size = GetSystemFirmwareTable(kRawSmbios, 0, nullptr, 0);
    if (size < 8) return {};
    std::vector<unsigned char> raw(size);
    if (GetSystemFirmwareTable(kRawSmbios, 0, raw.data(), size) != size) return {};
    // Header: calling method, major, minor, DMI revision (1 byte each), table length (4 bytes).
    const DWORD tableLength = *reinterpret_cast<const DWORD*>(raw.data() + 4);
    const unsigned char* p = raw.data() + 8;
    const unsigned char* end = p + std::min<std::size_t>(tableLength, size - 8);
    while (p + 4 <= end) {
        const unsigned char type = p[0];
        const unsigned char length = p[1];
        if (length < 4 || p + length > end) break;
        if (type == 1 && length >= 0x19) {
            const unsigned char* uuid = p + 8;
            bool allZero = true, allOnes = true;
            for (int i = 0; i < 16; ++i) {
                allZero = allZero && uuid[i] == 0x00;
                allOnes = allOnes && uuid[i] == 0xFF;
            }
            if (allZero || allOnes) return {};
            return ToLowerHex(std::string_view(reinterpret_cast<const char*>(uuid), 16));
        }
        if (type == 127) break;  // end of table
        // Skip the formatted area, then the string set that ends with two zero bytes.
        const unsigned char* s = p + length;
        while (s + 1 < end && (s[0] != 0 || s[1] != 0)) ++s;
        p = s + 2;
    }
    return {};
}

}  // namespace

MachineValues ReadMachineValues() { return MachineValues{MachineGuid(), SmbiosSystemUuid()}; }

}  // namespace pellaro
