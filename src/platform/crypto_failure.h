#pragma once
// The failures of the crypto primitives, named for what failed, and the one
// table of their texts. Both back ends raise these; the texts end up in link
// error codes, so they stay the same in both editions.
namespace pellaro {

enum class CryptoFailure {
    CipherProvider,    // the AES algorithm is not available
    CipherMode,        // CBC mode cannot be set
    CipherKey,         // the key cannot be made (wrong length, refused)
    DecryptSizeQuery,  // decryption refused before any output (bad IV or length)
    Decrypt,           // decryption failed (bad padding, wrong key)
    EncryptSizeQuery,
    Encrypt,
    MacProvider,  // HMAC-SHA256 is not available
    MacKey,
    MacData,
    MacFinish,
    Random,
};

const char* CryptoFailureText(CryptoFailure failure);
// Throws std::runtime_error with the failure's text.
[[noreturn]] void ThrowCryptoFailure(CryptoFailure failure);

}  // namespace pellaro
