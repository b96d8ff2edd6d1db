// pellaro-cli pins URL: the server's chain, its pins, the entry that applies and the verdict.
#include <iostream>

#include "cli_address.h"
#include "cli_command.h"
#include "net/pin_store.h"
#include "net/pin_validation.h"
#include "core/text.h"

namespace pellaro::cli {
namespace {

const char* VerdictText(PinVerdict verdict) {
    switch (verdict) {
        case PinVerdict::NotPinned: return "not pinned";
        case PinVerdict::Passed: return "pass";
        case PinVerdict::Failed: return "fail";
    }
    return "fail";
}

int Pins(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {"--dynamic"});
    if (!parsed.error.empty()) return UsageError("pins", parsed.error);
    if (parsed.operands.size() != 1) return UsageError("pins", "pins wants one URL");
    const bool dynamic = parsed.Has("--dynamic");
    const std::optional<CliAddress> address = ParseAddress(parsed.operands[0], {"https"});
    if (!address)
        return UsageError("pins", "'" + parsed.operands[0] + "' is not an https address (https://HOST[:PORT][/PATH])");
    const std::string& host = address->host;
    const int port = address->port ? address->port : 443;
    InstallDefaultPins();
    bool dynamicFailed = false;
    if (dynamic) {
        const PinListLoad load = LoadDynamicPins();
        dynamicFailed = !load.loaded;
        std::cout << "dynamic pins: " << (load.loaded ? "loaded" : "failed: " + load.error) << "\n";
    }
    const std::wstring wideHost = FromUtf8(host);
    const ChainInspection inspection = InspectServerChain(wideHost, port);
    if (!inspection.error.empty()) {
        std::cout << "error: " << inspection.error << "\n";
    }
    for (std::size_t i = 0; i < inspection.certificates.size(); ++i) {
        const CertificateSummary& cert = inspection.certificates[i];
        std::cout << "certificate " << i << ": " << ToUtf8(cert.subject) << "\n";
        std::cout << "  issuer: " << ToUtf8(cert.issuer) << "\n";
        std::cout << "  pin: sha256/" << cert.pin << "\n";
    }
    const std::optional<PinEntry> entry = FindPinEntry(wideHost);
    if (entry) {
        std::cout << "entry: " << ToUtf8(entry->scope) << "\n";
        for (const std::string& pin : entry->pins) std::cout << "  pin: sha256/" << pin << "\n";
    } else {
        std::cout << "entry: none\n";
    }
    std::cout << "chain: "
              << (inspection.chain.read ? (inspection.chain.wellFormed ? "well-formed" : "malformed") : "unread")
              << "\n";
    // No chain to judge: the server could not be reached, which says nothing about its pins.
    if (!inspection.chain.read) {
        std::cout << "verdict: unreachable\n";
        return kExitFailed;
    }
    const PinVerdict verdict = DecidePins(wideHost, inspection.chain);
    std::cout << "verdict: " << VerdictText(verdict) << "\n";
    return verdict == PinVerdict::Failed || dynamicFailed ? kExitFailed : kExitDone;
}

const CliCommand command("pins", "pins [--dynamic] URL",
                         "usage: pellaro-cli pins [--dynamic] URL\n"
                         "\n"
                         "Connects to the server of URL (https://HOST[:PORT][/PATH], port 443 by default)\n"
                         "and prints each certificate of its chain with its sha256 pin, the pin entry\n"
                         "that applies to the host, whether the chain is well-formed, and the verdict:\n"
                         "pass, fail, not pinned, or unreachable (no chain could be read: the line\n"
                         "error: says why). Nothing is sent to the server.\n"
                         "\n"
                         "  --dynamic  first load the pin list from the pin service, as the player does;\n"
                         "             when that fails, the built-in pins decide and the exit code is 1\n"
                         "\n"
                         "exit codes: 0 pass or not pinned, 1 the pins fail, the server is unreachable\n"
                         "or the pin list could not be loaded, 2 usage error\n",
                         Pins);

}  // namespace
}  // namespace pellaro::cli
