#pragma once
// Sealed link fields: Base64 of a JSON envelope {"iv", "value", "mac"} holding
// an AES-256-CBC ciphertext and an HMAC-SHA256 over the Base64 texts.
#include <string>
#include <string_view>

#include "core/hex.h"  // ToLowerHex, for the MAC texts

namespace pellaro {

// Opens one sealed field with the payload key. Throws std::runtime_error with
// a fixed text, or lets the JSON library's type errors (302, 305) through.
// The result may be empty.
std::string DecryptLinkField(std::string_view sealedField, std::string_view payloadKey);

// Seals plaintext the way the web site does: a random IV, AES-256-CBC, and
// (unless withMac is false) a lower-case hex MAC over the "iv" and "value" texts.
std::string SealLinkField(std::string_view plaintext, std::string_view payloadKey, bool withMac = true);

}  // namespace pellaro
