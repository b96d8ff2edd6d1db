#pragma once
// Whether the backend offers or requires a newer version.
#include <string>

namespace pellaro {

struct VersionInfo {
    bool hasUpdate = false;
    bool isRequired = false;
    std::wstring link;
    // Why no answer could be read (the request's failure text, "status N", or
    // what is wrong with the body); empty when it was read.
    std::string error;
};

// Never throws; any failure gives the empty result (no update) with its error.
VersionInfo CheckVersion(double currentVersion, const std::wstring& baseAddress);
// The address CheckVersion asks: the built-in version address for an empty
// base address, else the base address with the version path.
std::wstring VersionCheckAddress(const std::wstring& baseAddress);

}  // namespace pellaro

#include <optional>

namespace pellaro {

// String to double as the C++ library's std::stod reads it (leading white
// space skipped, the longest decimal prefix taken), independent of the locale;
// none when no number can be read or it is out of range.
std::optional<double> ParseVersionNumber(const std::string& text);
// The running version for CheckVersion: the version text's number, or 3.0.
double CurrentVersionNumber(const std::wstring& versionText);
// The decision on one 2xx answer body (never throws); an unreadable body gives
// no update and its error.
VersionInfo DecideVersion(double currentVersion, const std::string& body);

}  // namespace pellaro
