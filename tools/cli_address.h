#pragma once
// Addresses given on the command line: "[SCHEME://]HOST[:PORT][/PATH]".
#include <initializer_list>
#include <optional>
#include <string>

namespace pellaro::cli {

struct CliAddress {
    std::string scheme;  // lower case; "https" when none was given
    std::string host;    // an IPv6 literal without its brackets
    int port = 0;        // 0 when none was given
};

// Nothing when the text has white space or user info, a host that is not a
// host name (dot-separated labels of letters, digits, "-" and "_"), an IPv4
// address or a bracketed IPv6 literal, a bad port, a scheme that is not one
// of `schemes`, or "//" without "://" (a scheme that lost its colon).
std::optional<CliAddress> ParseAddress(const std::string& text, std::initializer_list<const char*> schemes);

}  // namespace pellaro::cli
