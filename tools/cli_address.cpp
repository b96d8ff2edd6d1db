#include "cli_address.h"

#include "core/text.h"

namespace pellaro::cli {

std::optional<CliAddress> ParseAddress(const std::string& text, std::initializer_list<const char*> schemes) {
    if (text.find_first_of(" \t\r\n\"<>\\") != std::string::npos) return std::nullopt;
    CliAddress address{"https", {}, 0};
    std::string rest = text;
    if (const auto end = rest.find("://"); end != std::string::npos) {
        address.scheme = LowerAscii(rest.substr(0, end));
        rest.erase(0, end + 3);
    }
    bool known = false;
    for (const char* scheme : schemes) known = known || address.scheme == scheme;
    if (!known) return std::nullopt;

    const std::string authority = rest.substr(0, rest.find_first_of("/?#"));
    if (authority.find('@') != std::string::npos) return std::nullopt;
    std::string portText;
    bool hasPort = false;
    if (!authority.empty() && authority[0] == '[') {
        const auto close = authority.find(']');
        if (close == std::string::npos) return std::nullopt;
        address.host = authority.substr(1, close - 1);
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
    if (address.host.empty() || address.host.find_first_of("[]") != std::string::npos) return std::nullopt;
    if (hasPort) {
        if (portText.empty() || portText.size() > 5 || portText.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        address.port = std::stoi(portText);
        if (address.port < 1 || address.port > 65535) return std::nullopt;
    }
    return address;
}

}  // namespace pellaro::cli
