#pragma once
// Whether the backend offers or requires a newer version.
#include <string>

namespace pellaro {

struct VersionInfo {
    bool hasUpdate = false;
    bool isRequired = false;
    std::wstring link;
};

// Never throws; any failure gives the empty result (no update).
VersionInfo CheckVersion(double currentVersion, const std::wstring& baseAddress);

}  // namespace pellaro
