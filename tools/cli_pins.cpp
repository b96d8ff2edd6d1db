// pellaro-cli pins URL: the server's chain, its pins, the entry that applies and the verdict.
#include <iostream>

#include "cli_command.h"
#include "net/pin_store.h"
#include "net/pin_validation.h"
#include "core/text.h"

namespace pellaro::cli {
namespace {

bool SplitHostPort(const std::string& url, std::string& host, int& port) {
    std::string rest = url;
    const std::string scheme = "https://";
    if (LowerAscii(rest.substr(0, scheme.size())) == scheme) rest.erase(0, scheme.size());
    rest = rest.substr(0, rest.find_first_of("/?#"));
    port = 443;
    const auto colon = rest.rfind(':');
    if (colon != std::string::npos && rest.find(']') == std::string::npos) {
        try {
            port = std::stoi(rest.substr(colon + 1));
        } catch (const std::exception&) {
            return false;
        }
        rest.erase(colon);
    }
    host = rest;
    return !host.empty() && port > 0 && port < 65536;
}

const char* VerdictText(PinVerdict verdict) {
    switch (verdict) {
        case PinVerdict::NotPinned: return "not pinned";
        case PinVerdict::Passed: return "pass";
        case PinVerdict::Failed: return "fail";
    }
    return "fail";
}

int Pins(const Args& args) {
    bool dynamic = false;
    std::string url;
    for (const std::string& arg : args) {
        if (arg == "--dynamic") dynamic = true;
        else url = arg;
    }
    std::string host;
    int port = 0;
    if (url.empty() || !SplitHostPort(url, host, port)) {
        std::cerr << "usage: pellaro-cli pins [--dynamic] URL\n";
        return 2;
    }
    InstallDefaultPins();
    if (dynamic) std::cout << "dynamic pins: " << (LoadDynamicPins() ? "loaded" : "failed") << "\n";
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
    std::cout << "chain: " << (inspection.chain.read ? (inspection.chain.wellFormed ? "well-formed" : "malformed") : "unread")
              << "\n";
    const PinVerdict verdict = DecidePins(wideHost, inspection.chain);
    std::cout << "verdict: " << VerdictText(verdict) << "\n";
    return verdict == PinVerdict::Failed ? 1 : 0;
}

const CliCommand command("pins", "pins [--dynamic] URL", Pins);

}  // namespace
}  // namespace pellaro::cli
