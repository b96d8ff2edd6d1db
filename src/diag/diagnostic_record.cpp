#include "diag/diagnostic_record.h"

#include <charconv>

#include "core/build_constants.h"
#include "core/base64.h"
#include "core/secure_wipe.h"

namespace pellaro {
namespace {

constexpr std::string_view kHead = "ERRDIAG|v1|ts=";
constexpr std::string_view kDevice = "|mk=";
constexpr std::string_view kReason = "|reason=";
constexpr std::string_view kTail = "|END";

bool IsBase64Letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

// The shared decoder is lenient; support must know when a code was damaged.
bool IsCanonicalBase64(std::string_view text) {
    if (text.empty() || text.size() % 4 != 0) return false;
    std::size_t letters = text.size();
    while (letters > 0 && text[letters - 1] == '=') --letters;
    if (text.size() - letters > 2) return false;
    for (std::size_t i = 0; i < letters; ++i)
        if (!IsBase64Letter(text[i])) return false;
    return true;
}

}  // namespace

std::string BuildDiagnosticRecord(std::int64_t time, std::string_view deviceIdUtf8, std::string_view reason) {
    std::string record(kHead);
    record += std::to_string(time);
    record += kDevice;
    record += deviceIdUtf8;
    record += kReason;
    record += reason;
    record += kTail;
    return record;
}

std::string ScrambleDiagnosticBytes(std::string_view bytes, std::string_view key) {
    std::string out(bytes);
    if (key.empty()) return out;
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(out[i] ^ key[i % key.size()]);
    return out;
}

std::string EncodeDiagnosticCode(std::string_view record, std::string_view key) {
    std::string scrambled = ScrambleDiagnosticBytes(record, key);
    std::string code = Base64Encode(scrambled);
    SecureWipe(scrambled);
    return code;
}

std::string EncodeDiagnosticCode(std::string_view record) {
    std::string key = Constant(ConstantKey::diagnosticKey);
    std::string code = EncodeDiagnosticCode(record, key);
    SecureWipe(key);
    return code;
}

bool ParseDiagnosticRecord(std::string_view record, DiagnosticRecord& fields) {
    if (record.size() < kHead.size() + kTail.size() || !record.starts_with(kHead) || !record.ends_with(kTail))
        return false;
    const std::string_view body = record.substr(kHead.size(), record.size() - kHead.size() - kTail.size());
    const std::size_t deviceAt = body.find(kDevice);
    if (deviceAt == std::string_view::npos || deviceAt == 0) return false;
    const std::string_view time = body.substr(0, deviceAt);
    std::int64_t seconds = 0;
    const auto [end, ec] = std::from_chars(time.data(), time.data() + time.size(), seconds);
    if (ec != std::errc{} || end != time.data() + time.size()) return false;
    // The device identifier is ours and never holds "|reason="; the reason may.
    const std::size_t reasonAt = body.find(kReason, deviceAt + kDevice.size());
    if (reasonAt == std::string_view::npos) return false;
    fields.time = seconds;
    fields.deviceId = std::string(body.substr(deviceAt + kDevice.size(), reasonAt - deviceAt - kDevice.size()));
    fields.reason = std::string(body.substr(reasonAt + kReason.size()));
    return true;
}

DecodedDiagnosticCode DecodeDiagnosticCode(std::string_view code, std::string_view key) {
    DecodedDiagnosticCode result;
    if (!IsCanonicalBase64(code)) {
        result.error = "not a diagnostic code: the text is not Base64";
        return result;
    }
    std::string scrambled = Base64Decode(code);
    result.record = ScrambleDiagnosticBytes(scrambled, key);
    SecureWipe(scrambled);
    if (!ParseDiagnosticRecord(result.record, result.fields)) {
        result.record.clear();
        result.fields = {};
        result.error = "not a diagnostic code: it does not unscramble to an ERRDIAG v1 record";
        return result;
    }
    result.ok = true;
    return result;
}

DecodedDiagnosticCode DecodeDiagnosticCode(std::string_view code) {
    std::string key = Constant(ConstantKey::diagnosticKey);
    DecodedDiagnosticCode result = DecodeDiagnosticCode(code, key);
    SecureWipe(key);
    return result;
}

}  // namespace pellaro
