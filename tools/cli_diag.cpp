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

int Decode(const std::string& code) {
    if (DecodeConnectionCode(code)) return 0;
    const DecodedDiagnosticCode decoded = DecodeDiagnosticCode(code);
    if (!decoded.ok) {
        std::cerr << "pellaro-cli diag decode: " << decoded.error << "\n";
        return 1;
    }
    std::cout << "ts=" << decoded.fields.time << "\n"
              << "utc=" << UtcText(decoded.fields.time) << "\n"
              << "mk=" << decoded.fields.deviceId << "\n"
              << "reason=" << decoded.fields.reason << "\n";
    return 0;
}

int Diag(const Args& args) {
    if (args.size() == 2 && args[0] == "decode") return Decode(args[1]);
    if (args.size() == 2 && args[0] == "encode") {
        std::cout << BuildDiagnosticCode(args[1]) << "\n";
        return 0;
    }
    std::cerr << "usage: pellaro-cli diag decode CODE | pellaro-cli diag encode REASON\n";
    return 2;
}

const CliCommand kDiag("diag", "diag decode CODE | diag encode REASON", Diag);

}  // namespace
}  // namespace pellaro::cli
