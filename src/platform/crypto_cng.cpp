// Windows CNG behind the crypto interface. Every call opens its own handles;
// their owners close them on every path.
#include "platform/crypto.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "platform/crypto_failure.h"
#include "platform/scoped_handles_win.h"

namespace pellaro {
namespace {

PUCHAR Mutable(std::string_view s) { return reinterpret_cast<PUCHAR>(const_cast<char*>(s.data())); }

struct AesKey {
    ScopedCngAlgorithm algorithm;
    ScopedCngKey key;  // declared last: destroyed before its provider is closed
};

// Opens "AES" in CBC mode and makes the key; throws with the step's text.
AesKey OpenAesKey(std::string_view key) {
    AesKey aes;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(aes.algorithm.receive(), BCRYPT_AES_ALGORITHM, nullptr, 0)))
        ThrowCryptoFailure(CryptoFailure::CipherProvider);
    if (!BCRYPT_SUCCESS(BCryptSetProperty(aes.algorithm.get(), BCRYPT_CHAINING_MODE,
                                          reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC)),
                                          sizeof(BCRYPT_CHAIN_MODE_CBC), 0)))
        ThrowCryptoFailure(CryptoFailure::CipherMode);
    if (!BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(aes.algorithm.get(), aes.key.receive(), nullptr, 0, Mutable(key),
                                                   static_cast<ULONG>(key.size()), 0)))
        ThrowCryptoFailure(CryptoFailure::CipherKey);
    return aes;
}

using CngCipherCall = NTSTATUS(WINAPI*)(BCRYPT_KEY_HANDLE, PUCHAR, ULONG, VOID*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG*,
                                        ULONG);

// The size query, then the real call into a zero-filled buffer, each with a
// fresh copy of the IV (CNG updates the IV buffer in place).
std::string RunCipher(CngCipherCall call, std::string_view input, std::string_view key, std::string_view iv,
                      CryptoFailure sizeQuery, CryptoFailure failure) {
    const AesKey aes = OpenAesKey(key);
    const BCRYPT_KEY_HANDLE keyHandle = aes.key.get();
    std::vector<UCHAR> ivScratch(iv.begin(), iv.end());
    // Windows refuses an IV that is not one block at the size query; some
    // CNG implementations (Wine) only fail later, so the length is checked here.
    DWORD blockLength = 0;
    ULONG got = 0;
    const bool blockKnown = BCRYPT_SUCCESS(BCryptGetProperty(
        keyHandle, BCRYPT_BLOCK_LENGTH, reinterpret_cast<PUCHAR>(&blockLength), sizeof(blockLength), &got, 0));
    ULONG size = 0;
    if ((blockKnown && iv.size() != blockLength) ||
        !BCRYPT_SUCCESS(call(keyHandle, Mutable(input), static_cast<ULONG>(input.size()), nullptr, ivScratch.data(),
                             static_cast<ULONG>(ivScratch.size()), nullptr, 0, &size, BCRYPT_BLOCK_PADDING)))
        ThrowCryptoFailure(sizeQuery);
    std::string out(size, '\0');
    ivScratch.assign(iv.begin(), iv.end());
    ULONG written = 0;
    // A one-byte stand-in keeps the output pointer non-null when the reported size is zero.
    UCHAR empty = 0;
    PUCHAR outBytes = out.empty() ? &empty : reinterpret_cast<PUCHAR>(out.data());
    const NTSTATUS status = call(keyHandle, Mutable(input), static_cast<ULONG>(input.size()), nullptr, ivScratch.data(),
                                 static_cast<ULONG>(ivScratch.size()), outBytes, static_cast<ULONG>(out.size()),
                                 &written, BCRYPT_BLOCK_PADDING);
    if (!BCRYPT_SUCCESS(status)) ThrowCryptoFailure(failure);
    out.resize(written);
    return out;
}

}  // namespace

std::string AesCbcDecrypt(std::string_view ciphertext, std::string_view key, std::string_view iv) {
    return RunCipher(BCryptDecrypt, ciphertext, key, iv, CryptoFailure::DecryptSizeQuery, CryptoFailure::Decrypt);
}

std::string AesCbcEncrypt(std::string_view plaintext, std::string_view key, std::string_view iv) {
    return RunCipher(BCryptEncrypt, plaintext, key, iv, CryptoFailure::EncryptSizeQuery, CryptoFailure::Encrypt);
}

std::string HmacSha256(std::string_view key, std::string_view data) {
    ScopedCngAlgorithm alg;
    if (!BCRYPT_SUCCESS(
            BCryptOpenAlgorithmProvider(alg.receive(), BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG)))
        ThrowCryptoFailure(CryptoFailure::MacProvider);
    DWORD digestLength = 32;
    ULONG got = 0;
    BCryptGetProperty(alg.get(), BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&digestLength), sizeof(digestLength),
                      &got, 0);
    ScopedCngHash hash;
    if (!BCRYPT_SUCCESS(
            BCryptCreateHash(alg.get(), hash.receive(), nullptr, 0, Mutable(key), static_cast<ULONG>(key.size()), 0)))
        ThrowCryptoFailure(CryptoFailure::MacKey);
    if (!BCRYPT_SUCCESS(BCryptHashData(hash.get(), Mutable(data), static_cast<ULONG>(data.size()), 0)))
        ThrowCryptoFailure(CryptoFailure::MacData);
    std::string digest(digestLength, '\0');
    if (!BCRYPT_SUCCESS(BCryptFinishHash(hash.get(), reinterpret_cast<PUCHAR>(digest.data()), digestLength, 0)))
        ThrowCryptoFailure(CryptoFailure::MacFinish);
    return digest;
}

std::string Sha256(std::string_view data) {
    ScopedCngAlgorithm alg;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(alg.receive(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return std::string();
    DWORD digestLength = 0;
    ULONG got = 0;
    ScopedCngHash hash;
    if (!BCRYPT_SUCCESS(BCryptGetProperty(alg.get(), BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&digestLength),
                                          sizeof(digestLength), &got, 0)) ||
        !BCRYPT_SUCCESS(BCryptCreateHash(alg.get(), hash.receive(), nullptr, 0, nullptr, 0, 0)))
        return std::string();
    std::string digest(digestLength, '\0');
    if (!BCRYPT_SUCCESS(BCryptHashData(hash.get(), Mutable(data), static_cast<ULONG>(data.size()), 0)) ||
        !BCRYPT_SUCCESS(BCryptFinishHash(hash.get(), reinterpret_cast<PUCHAR>(digest.data()), digestLength, 0)))
        return std::string();
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
