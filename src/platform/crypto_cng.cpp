// Windows CNG behind the crypto interface. Every call opens its own handles
// and closes them on every path before it returns or throws.
#include "platform/crypto.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "platform/crypto_failure.h"

namespace pellaro {
namespace {

PUCHAR Mutable(std::string_view s) { return reinterpret_cast<PUCHAR>(const_cast<char*>(s.data())); }

// Opens "AES" in CBC mode and makes the key; throws with the step's text.
void OpenAesKey(std::string_view key, BCRYPT_ALG_HANDLE& alg, BCRYPT_KEY_HANDLE& keyHandle) {
    alg = nullptr;
    keyHandle = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&alg, BCRYPT_AES_ALGORITHM, nullptr, 0)))
        ThrowCryptoFailure(CryptoFailure::CipherProvider);
    if (!BCRYPT_SUCCESS(BCryptSetProperty(alg, BCRYPT_CHAINING_MODE,
                                          reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC)),
                                          sizeof(BCRYPT_CHAIN_MODE_CBC), 0))) {
        BCryptCloseAlgorithmProvider(alg, 0);
        ThrowCryptoFailure(CryptoFailure::CipherMode);
    }
    if (!BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(alg, &keyHandle, nullptr, 0, Mutable(key),
                                                   static_cast<ULONG>(key.size()), 0))) {
        BCryptCloseAlgorithmProvider(alg, 0);
        ThrowCryptoFailure(CryptoFailure::CipherKey);
    }
}

void CloseAesKey(BCRYPT_ALG_HANDLE alg, BCRYPT_KEY_HANDLE keyHandle) {
    BCryptDestroyKey(keyHandle);
    BCryptCloseAlgorithmProvider(alg, 0);
}

using CngCipherCall = NTSTATUS(WINAPI*)(BCRYPT_KEY_HANDLE, PUCHAR, ULONG, VOID*, PUCHAR, ULONG, PUCHAR, ULONG,
                                        ULONG*, ULONG);

// The size query, then the real call into a zero-filled buffer, each with a
// fresh copy of the IV (CNG updates the IV buffer in place).
std::string RunCipher(CngCipherCall call, std::string_view input, std::string_view key, std::string_view iv,
                      CryptoFailure sizeQuery, CryptoFailure failure) {
    BCRYPT_ALG_HANDLE alg;
    BCRYPT_KEY_HANDLE keyHandle;
    OpenAesKey(key, alg, keyHandle);
    std::vector<UCHAR> ivScratch(iv.begin(), iv.end());
    // Windows refuses an IV that is not one block at the size query; some
    // CNG implementations (Wine) only fail later, so the length is checked here.
    DWORD blockLength = 0;
    ULONG got = 0;
    const bool blockKnown = BCRYPT_SUCCESS(BCryptGetProperty(keyHandle, BCRYPT_BLOCK_LENGTH,
                                                             reinterpret_cast<PUCHAR>(&blockLength),
                                                             sizeof(blockLength), &got, 0));
    ULONG size = 0;
    if ((blockKnown && iv.size() != blockLength) ||
        !BCRYPT_SUCCESS(call(keyHandle, Mutable(input), static_cast<ULONG>(input.size()), nullptr, ivScratch.data(),
                             static_cast<ULONG>(ivScratch.size()), nullptr, 0, &size, BCRYPT_BLOCK_PADDING))) {
        CloseAesKey(alg, keyHandle);
        ThrowCryptoFailure(sizeQuery);
    }
    std::string out(size, '\0');
    ivScratch.assign(iv.begin(), iv.end());
    ULONG written = 0;
    // A one-byte stand-in keeps the output pointer non-null when the reported size is zero.
    UCHAR empty = 0;
    PUCHAR outBytes = out.empty() ? &empty : reinterpret_cast<PUCHAR>(out.data());
    const NTSTATUS status = call(keyHandle, Mutable(input), static_cast<ULONG>(input.size()), nullptr,
                                 ivScratch.data(), static_cast<ULONG>(ivScratch.size()), outBytes,
                                 static_cast<ULONG>(out.size()), &written, BCRYPT_BLOCK_PADDING);
    CloseAesKey(alg, keyHandle);
    if (!BCRYPT_SUCCESS(status)) ThrowCryptoFailure(failure);
    out.resize(written);
    return out;
}

}  // namespace

std::string AesCbcDecrypt(std::string_view ciphertext, std::string_view key, std::string_view iv) {
    return RunCipher(BCryptDecrypt, ciphertext, key, iv, CryptoFailure::DecryptSizeQuery,
                     CryptoFailure::Decrypt);
}

std::string AesCbcEncrypt(std::string_view plaintext, std::string_view key, std::string_view iv) {
    return RunCipher(BCryptEncrypt, plaintext, key, iv, CryptoFailure::EncryptSizeQuery,
                     CryptoFailure::Encrypt);
}

std::string HmacSha256(std::string_view key, std::string_view data) {
    BCRYPT_ALG_HANDLE alg = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&alg, BCRYPT_SHA256_ALGORITHM, nullptr,
                                                    BCRYPT_ALG_HANDLE_HMAC_FLAG)))
        ThrowCryptoFailure(CryptoFailure::MacProvider);
    DWORD digestLength = 32;
    ULONG got = 0;
    BCryptGetProperty(alg, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&digestLength), sizeof(digestLength), &got, 0);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(alg, &hash, nullptr, 0, Mutable(key), static_cast<ULONG>(key.size()), 0))) {
        BCryptCloseAlgorithmProvider(alg, 0);
        ThrowCryptoFailure(CryptoFailure::MacKey);
    }
    if (!BCRYPT_SUCCESS(BCryptHashData(hash, Mutable(data), static_cast<ULONG>(data.size()), 0))) {
        BCryptDestroyHash(hash);
        BCryptCloseAlgorithmProvider(alg, 0);
        ThrowCryptoFailure(CryptoFailure::MacData);
    }
    std::string digest(digestLength, '\0');
    const NTSTATUS status = BCryptFinishHash(hash, reinterpret_cast<PUCHAR>(digest.data()), digestLength, 0);
    BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(alg, 0);
    if (!BCRYPT_SUCCESS(status)) ThrowCryptoFailure(CryptoFailure::MacFinish);
    return digest;
}

std::string Sha256(std::string_view data) {
    BCRYPT_ALG_HANDLE alg = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&alg, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return std::string();
    DWORD digestLength = 0;
    ULONG got = 0;
    std::string digest;
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (BCRYPT_SUCCESS(BCryptGetProperty(alg, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&digestLength),
                                         sizeof(digestLength), &got, 0)) &&
        BCRYPT_SUCCESS(BCryptCreateHash(alg, &hash, nullptr, 0, nullptr, 0, 0))) {
        std::string out(digestLength, '\0');
        if (BCRYPT_SUCCESS(BCryptHashData(hash, Mutable(data), static_cast<ULONG>(data.size()), 0)) &&
            BCRYPT_SUCCESS(BCryptFinishHash(hash, reinterpret_cast<PUCHAR>(out.data()), digestLength, 0)))
            digest = std::move(out);
        BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(alg, 0);
    return digest;
}

std::string RandomBytes(std::size_t count) {
    std::string out(count, '\0');
    if (count > 0 && !BCRYPT_SUCCESS(BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(out.data()),
                                                      static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        ThrowCryptoFailure(CryptoFailure::Random);
    return out;
}

}  // namespace pellaro
