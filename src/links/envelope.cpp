#include "links/envelope.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "core/base64.h"
#include "platform/crypto.h"

namespace pellaro {
namespace {

char LowerAsciiChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Case-insensitive over the full length of both texts; no early exit on a
// differing character, so the time does not tell where the first one is.
bool SameHexIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    unsigned difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(LowerAsciiChar(a[i]) ^ LowerAsciiChar(b[i]));
    return difference == 0;
}

}  // namespace

std::string DecryptLinkField(std::string_view sealedField, std::string_view payloadKey) {
    const std::string jsonText = Base64Decode(sealedField);
    nlohmann::json envelope;
    try {
        envelope = nlohmann::json::parse(jsonText);
    } catch (...) {
        throw std::runtime_error("Failed to parse AES envelope JSON");
    }
    // Mutable access on purpose: a missing member reads as null, so the
    // library's own type errors name what was wrong.
    const std::string ivText = envelope["iv"].get<std::string>();
    const std::string valueText = envelope["value"].get<std::string>();
    const std::string macText = envelope.contains("mac") ? envelope["mac"].get<std::string>() : std::string();

    if (!macText.empty()) {
        const std::string expected = ToLowerHex(HmacSha256(payloadKey, ivText + valueText));
        if (!SameHexIgnoringCase(expected, macText))
            throw std::runtime_error("MAC verification failed \xE2\x80\x94 data may be tampered");
    }
    return AesCbcDecrypt(Base64Decode(valueText), payloadKey, Base64Decode(ivText));
}

std::string SealLinkField(std::string_view plaintext, std::string_view payloadKey, bool withMac) {
    const std::string iv = RandomBytes(16);
    const std::string ivText = Base64Encode(iv);
    const std::string valueText = Base64Encode(AesCbcEncrypt(plaintext, payloadKey, iv));
    nlohmann::json envelope = {{"iv", ivText}, {"value", valueText}};
    if (withMac) envelope["mac"] = ToLowerHex(HmacSha256(payloadKey, ivText + valueText));
    return Base64Encode(envelope.dump());
}

}  // namespace pellaro
