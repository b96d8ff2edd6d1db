#include "cli_address.h"

#include <string_view>

#include "core/text.h"

namespace pellaro::cli {
namespace {

constexpr std::string_view kLabelCharacters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_";

// Dot-separated labels of 1 to 63 characters, none starting or ending with
// "-"; one trailing dot allowed. IPv4 addresses are names of digits.
bool IsHostName(std::string_view name) {
    if (!name.empty() && name.back() == '.') name.remove_suffix(1);
    if (name.empty() || name.size() > 253) return false;
    for (;;) {
        const std::size_t dot = name.find('.');
        const std::string_view label = name.substr(0, dot);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
            label.find_first_not_of(kLabelCharacters) != std::string_view::npos)
            return false;
        if (dot == std::string_view::npos) return true;
        name.remove_prefix(dot + 1);
    }
}

bool IsIpv6Literal(std::string_view text) {
    return text.find(':') != std::string_view::npos &&
           text.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
}

}  // namespace

std::optional<CliAddress> ParseAddress(const std::string& text, std::initializer_list<const char*> schemes) {
    if (text.find_first_of(" \t\r\n\"<>\\") != std::string::npos) return std::nullopt;
    CliAddress address{"https", {}, 0};
    std::string rest = text;
    if (const auto end = rest.find("://"); end != std::string::npos) {
        address.scheme = LowerAscii(rest.substr(0, end));
        rest.erase(0, end + 3);
    } else if (rest.find("//") != std::string::npos) {
        return std::nullopt;
    }
    bool known = false;
    for (const char* scheme : schemes) known = known || address.scheme == scheme;
    if (!known) return std::nullopt;

    const std::string authority = rest.substr(0, rest.find_first_of("/?#"));
    if (authority.find('@') != std::string::npos) return std::nullopt;
    std::string portText;
    bool hasPort = false;
    bool bracketed = false;
    if (!authority.empty() && authority[0] == '[') {
        const auto close = authority.find(']');
        if (close == std::string::npos) return std::nullopt;
        address.host = authority.substr(1, close - 1);
        bracketed = true;
        const std::string after = authority.substr(close + 1);
        if (!after.empty() && after[0] != ':') return std::nullopt;
        hasPort = !after.empty();
        if (hasPort) portText = after.substr(1);
    } else {
        const auto colon = authority.find(':');
        address.host = authority.substr(0, colon);
        hasPort = colon != std::string::npos;
        if (hasPort) portText = authority.substr(colon + 1);
    }
    if (!(bracketed ? IsIpv6Literal(address.host) : IsHostName(address.host))) return std::nullopt;
    if (hasPort) {
        if (portText.empty() || portText.size() > 5 || portText.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        address.port = std::stoi(portText);
        if (address.port < 1 || address.port > 65535) return std::nullopt;
    }
    return address;
}

}  // namespace pellaro::cli
