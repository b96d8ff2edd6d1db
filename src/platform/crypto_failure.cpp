#include "platform/crypto_failure.h"

#include <stdexcept>

namespace pellaro {

const char* CryptoFailureText(CryptoFailure failure) {
    // The first edition's texts, kept because support reads them in link error codes.
    switch (failure) {
        case CryptoFailure::CipherProvider: return "BCryptOpenAlgorithmProvider failed";
        case CryptoFailure::CipherMode: return "BCryptSetProperty CBC failed";
        case CryptoFailure::CipherKey: return "BCryptGenerateSymmetricKey failed";
        case CryptoFailure::DecryptSizeQuery: return "BCryptDecrypt (size query) failed";
        case CryptoFailure::Decrypt: return "BCryptDecrypt failed";
        case CryptoFailure::EncryptSizeQuery: return "BCryptEncrypt (size query) failed";
        case CryptoFailure::Encrypt: return "BCryptEncrypt failed";
        case CryptoFailure::MacProvider: return "BCryptOpenAlgorithmProvider HMAC failed";
        case CryptoFailure::MacKey: return "BCryptCreateHash failed";
        case CryptoFailure::MacData: return "BCryptHashData failed";
        case CryptoFailure::MacFinish: return "BCryptFinishHash failed";
        case CryptoFailure::Random: return "BCryptGenRandom failed";
    }
    return "crypto failure";
}

void ThrowCryptoFailure(CryptoFailure failure) { throw std::runtime_error(CryptoFailureText(failure)); }

}  // namespace pellaro
