// pellaro-cli diag: reads a diagnostic code back into its record, or makes one.
#include <chrono>
#include <cstdio>
#include <iostream>

#include "cli_command.h"
#include "diag/diagnostic_code.h"
#include "diag/diagnostic_record.h"

namespace pellaro::cli {
namespace {

std::string UtcText(std::int64_t seconds) {
    using namespace std::chrono;
    const sys_seconds at{std::chrono::seconds(seconds)};
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss time{at - day};
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

// Connection-failure notices show their code in the clear: a prefix and the host.
bool DecodeConnectionCode(const std::string& code) {
    for (const char* prefix : {"SSL_", "MITM_PIN_"}) {
        const std::string p(prefix);
        if (code.size() > p.size() && code.compare(0, p.size(), p) == 0) {
            std::cout << "kind=" << (p == "SSL_" ? "pin validation failed" : "blocked by the browser filter") << "\n"
                      << "host=" << code.substr(p.size()) << "\n";
            return true;
        }
    }
    return false;
}

// A code as pasted: white space and line breaks (a mail client's wrapping,
// a stray space) are no part of it.
std::string WithoutWhiteSpace(const std::string& pasted) {
    std::string code;
    for (const char c : pasted)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\v' && c != '\f') code += c;
    return code;
}

int Decode(const std::string& pasted) {
    const std::string code = WithoutWhiteSpace(pasted);
    if (DecodeConnectionCode(code)) return kExitDone;
    const DecodedDiagnosticCode decoded = DecodeDiagnosticCode(code);
    if (!decoded.ok) {
        std::cerr << "pellaro-cli diag decode: " << decoded.error << "\n";
        return kExitFailed;
    }
    std::cout << "ts=" << decoded.fields.time << "\n"
              << "utc=" << UtcText(decoded.fields.time) << "\n"
              << "mk=" << decoded.fields.deviceId << "\n"
              << "reason=" << decoded.fields.reason << "\n";
    return kExitDone;
}

int Diag(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {});
    if (!parsed.error.empty()) return UsageError("diag", parsed.error);
    const Args& operands = parsed.operands;
    if (operands.empty()) return UsageError("diag", "decode or encode?");
    if (operands[0] != "decode" && operands[0] != "encode")
        return UsageError("diag", "unknown subcommand '" + operands[0] + "'");
    if (operands.size() != 2)
        return UsageError("diag", operands[0] + (operands[0] == "decode" ? " wants one CODE" : " wants one REASON"));
    if (operands[0] == "decode") return Decode(operands[1]);
    std::cout << BuildDiagnosticCode(operands[1]) << "\n";
    return kExitDone;
}

const CliCommand kDiag("diag", "diag decode CODE | diag encode REASON",
                       "usage: pellaro-cli diag decode CODE\n"
                       "       pellaro-cli diag encode REASON\n"
                       "\n"
                       "decode  reads a diagnostic code (as a student copies it from the player's\n"
                       "        dialog) back into its record: ts, utc, mk (device identifier), reason.\n"
                       "        White space and line breaks in CODE are left out.\n"
                       "        The connection codes SSL_<host> and MITM_PIN_<host> give kind and host.\n"
                       "encode  makes the code the player would show for REASON on this machine now.\n"
                       "\n"
                       "A REASON or CODE that starts with \"-\" goes after \"--\".\n"
                       "exit codes: 0 done, 1 the code does not decode (why on standard error), 2 usage error\n",
                       Diag);

}  // namespace
}  // namespace pellaro::cli
