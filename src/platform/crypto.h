#pragma once
// The few cryptographic primitives the program needs. Bytes travel as
// std::string. Every failure throws std::runtime_error with the text of its
// CryptoFailure, the same in both editions.
#include <cstddef>
#include <string>
#include <string_view>

namespace pellaro {

// AES-CBC with PKCS#7 padding removal; the key length (16, 24 or 32 bytes)
// picks AES-128/192/256. The IV must be one block (16 bytes).
std::string AesCbcDecrypt(std::string_view ciphertext, std::string_view key, std::string_view iv);

// AES-CBC with PKCS#7 padding; used to seal link fields (tools and tests).
std::string AesCbcEncrypt(std::string_view plaintext, std::string_view key, std::string_view iv);

// 32-byte HMAC-SHA256 digest.
std::string HmacSha256(std::string_view key, std::string_view data);

// 32-byte SHA-256 digest; empty when the platform cannot compute it.
std::string Sha256(std::string_view data);

// Bytes from the system's cryptographic random generator.
std::string RandomBytes(std::size_t count);

}  // namespace pellaro
