// A diagnostic code as support pastes it: decoding must never crash, and what
// decodes must survive a rebuild.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "diag/diagnostic_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::string_view kKey = "0123456789abcdef";
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const pellaro::DecodedDiagnosticCode decoded = pellaro::DecodeDiagnosticCode(input, kKey);
    if (decoded.ok) {
        const auto again = pellaro::DecodeDiagnosticCode(pellaro::EncodeDiagnosticCode(decoded.record, kKey), kKey);
        if (!again.ok || again.record != decoded.record) std::abort();
    }

    pellaro::DiagnosticRecord fields;
    if (pellaro::ParseDiagnosticRecord(input, fields)) {
        pellaro::DiagnosticRecord rebuilt;
        if (!pellaro::ParseDiagnosticRecord(pellaro::BuildDiagnosticRecord(fields.time, fields.deviceId, fields.reason),
                                            rebuilt) ||
            rebuilt.time != fields.time || rebuilt.deviceId != fields.deviceId || rebuilt.reason != fields.reason)
            std::abort();
    }
    return 0;
}
