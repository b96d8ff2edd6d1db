#pragma once
// The diagnostic record that a failed run hands to support, and its scrambled
// Base64 form (the diagnostic code). Portable: no clock, no device query.
#include <cstdint>
#include <string>
#include <string_view>

namespace pellaro {

struct DiagnosticRecord {
    std::int64_t time = 0;  // seconds since 1970-01-01 UTC
    std::string deviceId;   // UTF-8
    std::string reason;     // UTF-8, taken as it is ("|" included)
};

// "ERRDIAG|v1|ts=<time>|mk=<device>|reason=<reason>|END"; nothing is escaped.
std::string BuildDiagnosticRecord(std::int64_t time, std::string_view deviceIdUtf8, std::string_view reason);

// Byte i XOR key byte (i mod key length); its own inverse. An empty key leaves
// the bytes unchanged.
std::string ScrambleDiagnosticBytes(std::string_view bytes, std::string_view key);

// Base64 of the scrambled record, with the given 16-byte key / the profile's key.
std::string EncodeDiagnosticCode(std::string_view record, std::string_view key);
std::string EncodeDiagnosticCode(std::string_view record);

struct DecodedDiagnosticCode {
    bool ok = false;
    std::string error;   // why the code was refused, when !ok
    std::string record;  // the unscrambled record text, when ok
    DiagnosticRecord fields;
};

// Strict reverse of EncodeDiagnosticCode: the text must be canonical Base64 and
// unscramble to a whole record.
DecodedDiagnosticCode DecodeDiagnosticCode(std::string_view code, std::string_view key);
DecodedDiagnosticCode DecodeDiagnosticCode(std::string_view code);

// Splits a plain record into its fields; false when it is not such a record.
bool ParseDiagnosticRecord(std::string_view record, DiagnosticRecord& fields);

}  // namespace pellaro
