#pragma once
// Shared fixtures of the link tests: a fixed key and hand-made envelopes.
#include <string>

#include <nlohmann/json.hpp>

#include "core/base64.h"
#include "platform/crypto.h"
#include "links/envelope.h"

namespace pellaro::testing {

inline std::string BytesFromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

inline const std::string& TestKey() {
    static const std::string key = BytesFromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    return key;
}

// The Base64 texts of one envelope before it is put together.
struct EnvelopeParts {
    std::string iv;
    std::string value;
};

inline EnvelopeParts Encrypt(const std::string& plaintext, const std::string& key = TestKey()) {
    const std::string iv(16, '\x5a');
    return {Base64Encode(iv), Base64Encode(AesCbcEncrypt(plaintext, key, iv))};
}

inline std::string MacOf(const std::string& ivText, const std::string& valueText, const std::string& key = TestKey()) {
    return ToLowerHex(HmacSha256(key, ivText + valueText));
}

// Base64 of the JSON text, as a link carries it.
inline std::string Sealed(const nlohmann::json& envelope) { return Base64Encode(envelope.dump()); }

inline std::string SealedWithMac(const std::string& plaintext) {
    const EnvelopeParts parts = Encrypt(plaintext);
    return Sealed({{"iv", parts.iv}, {"value", parts.value}, {"mac", MacOf(parts.iv, parts.value)}});
}

}  // namespace pellaro::testing
