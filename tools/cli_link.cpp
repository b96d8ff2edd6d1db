// pellaro-cli link seal | open: makes content links the way the web site
// does, and opens them the way the player does.
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/app_record.h"
#include "cli_address.h"
#include "cli_command.h"
#include "links/envelope.h"
#include "links/link_resolution.h"
#include "core/secure_wipe.h"
#include "core/text.h"

namespace pellaro::cli {
namespace {

constexpr char kUsage[] =
    "link seal [--key-hex HEX] [--no-mac] LINKKEY CONTENTID BASEADDRESS | link open [--key-hex HEX] LINK";
constexpr char kHelp[] =
    "usage: pellaro-cli link seal [--key-hex HEX] [--no-mac] LINKKEY CONTENTID BASEADDRESS\n"
    "       pellaro-cli link open [--key-hex HEX] LINK\n"
    "\n"
    "seal  prints a Tovrelapp: link whose three fields are sealed envelopes, the way\n"
    "      the academy's web site makes them. BASEADDRESS is the backend's address:\n"
    "      https://HOST[:PORT][/PATH] (http:// too; HOST alone means https).\n"
    "open  opens a link's three fields the way the player does and prints them, one a\n"
    "      line: link key, content id, base address. A link that does not open prints\n"
    "      its link error code alone.\n"
    "\n"
    "  --key-hex HEX  the 32-byte payload key in hexadecimal (default: the build profile's)\n"
    "  --no-mac       seal without a MAC (as older links were made)\n"
    "\n"
    "exit codes: 0 done, 1 the link does not open (its code on standard output), 2 usage error\n";

int UsageError(const std::string& why) { return cli::UsageError("link", why); }

std::optional<std::string> BytesFromHex(const std::string& hex) {
    if (hex.empty() || hex.size() % 2 != 0) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const std::string pair = hex.substr(i, 2);
        if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
        out += static_cast<char>(std::stoi(pair, nullptr, 16));
    }
    return out;
}

struct Options {
    std::optional<std::string> key;  // from --key-hex; else the profile's key
    bool withMac = true;
    Args positional;
};

// Parses the options of one subcommand; returns an error text or empty.
std::string ParseOptions(const Args& args, bool allowNoMac, Options& options) {
    const ParsedArgs parsed = allowNoMac ? ParseArgs(args, {"--no-mac"}, {"--key-hex"})
                                         : ParseArgs(args, {}, {"--key-hex"});
    if (!parsed.error.empty()) return parsed.error;
    if (const std::string* hex = parsed.Value("--key-hex")) {
        options.key = BytesFromHex(*hex);
        if (!options.key) return "--key-hex wants an even number of hexadecimal digits";
    }
    options.withMac = !parsed.Has("--no-mac");
    options.positional = parsed.operands;
    return {};
}

std::string KeyFor(const Options& options) { return options.key ? *options.key : ProfilePayloadKey(); }

int Seal(const Args& args) {
    Options options;
    if (const std::string error = ParseOptions(args, true, options); !error.empty()) return UsageError(error);
    if (options.positional.size() != 3) return UsageError("seal wants LINKKEY CONTENTID BASEADDRESS");
    if (!ParseAddress(options.positional[2], {"https", "http"}))
        return UsageError("'" + options.positional[2] + "' is not a base address (https://HOST[:PORT][/PATH])");
    std::string key = KeyFor(options);
    try {
        std::string link = ToUtf8(App().schemeName) + ":";
        for (std::size_t i = 0; i < 3; ++i) {
            if (i) link += ':';
            link += SealLinkField(options.positional[i], key, options.withMac);
        }
        SecureWipe(key);
        std::cout << link << "\n";
        return kExitDone;
    } catch (const std::exception& e) {
        SecureWipe(key);
        std::cerr << "pellaro-cli link seal: " << e.what() << "\n";
        return kExitFailed;
    }
}

int Open(const Args& args) {
    Options options;
    if (const std::string error = ParseOptions(args, false, options); !error.empty()) return UsageError(error);
    if (options.positional.size() != 1) return UsageError("open wants one LINK");
    LinkFields fields;
    std::string errorCode;
    if (!OpenLinkFields(
            FromUtf8(options.positional[0]), [&] { return KeyFor(options); }, fields, errorCode)) {
        std::cout << errorCode << "\n";
        return kExitFailed;
    }
    std::cout << fields.linkKey << "\n" << fields.contentLinkId << "\n" << fields.baseAddress << "\n";
    return kExitDone;
}

const CliCommand kLink("link", kUsage, kHelp, [](const Args& args) {
    if (args.empty()) return UsageError("seal or open?");
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "seal") return Seal(rest);
    if (args[0] == "open") return Open(rest);
    return UsageError("unknown subcommand '" + args[0] + "'");
});

}  // namespace
}  // namespace pellaro::cli
