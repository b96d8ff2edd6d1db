// OpenSSL EVP behind the crypto interface. Each failure is raised as the
// CryptoFailure of the equivalent step.
#include "platform/crypto.h"

#include <memory>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include "platform/crypto_failure.h"

namespace pellaro {
namespace {

constexpr std::size_t kBlock = 16;

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
struct MacFree {
    void operator()(EVP_MAC* mac) const { EVP_MAC_free(mac); }
};
struct MacCtxFree {
    void operator()(EVP_MAC_CTX* ctx) const { EVP_MAC_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

const unsigned char* Bytes(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// CNG accepts exactly these key sizes for AES; so do we.
const EVP_CIPHER* CipherForKey(std::size_t keySize) {
    switch (keySize) {
        case 16: return EVP_aes_128_cbc();
        case 24: return EVP_aes_192_cbc();
        case 32: return EVP_aes_256_cbc();
        default: return nullptr;
    }
}

// Opens the cipher context in the same stages as the CNG provider, key and IV checks.
CipherCtx OpenCipher(std::string_view key, std::string_view iv, bool encrypt, CryptoFailure sizeQuery) {
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx) ThrowCryptoFailure(CryptoFailure::CipherProvider);
    const EVP_CIPHER* cipher = CipherForKey(key.size());
    if (!cipher) ThrowCryptoFailure(CryptoFailure::CipherKey);
    if (iv.size() != kBlock) ThrowCryptoFailure(sizeQuery);
    if (EVP_CipherInit_ex(ctx.get(), cipher, nullptr, Bytes(key), Bytes(iv), encrypt ? 1 : 0) != 1)
        ThrowCryptoFailure(CryptoFailure::CipherKey);
    if (EVP_CIPHER_CTX_set_padding(ctx.get(), 1) != 1) ThrowCryptoFailure(CryptoFailure::CipherMode);
    return ctx;
}

}  // namespace

std::string AesCbcDecrypt(std::string_view ciphertext, std::string_view key, std::string_view iv) {
    CipherCtx ctx = OpenCipher(key, iv, false, CryptoFailure::DecryptSizeQuery);
    // CNG refuses a ciphertext that is not whole blocks before it produces anything.
    if (ciphertext.size() % kBlock != 0) ThrowCryptoFailure(CryptoFailure::DecryptSizeQuery);
    std::string out(ciphertext.size() + kBlock, '\0');
    int written = 0;
    int tail = 0;
    auto* buffer = reinterpret_cast<unsigned char*>(out.data());
    if (EVP_DecryptUpdate(ctx.get(), buffer, &written, Bytes(ciphertext), static_cast<int>(ciphertext.size())) != 1 ||
        EVP_DecryptFinal_ex(ctx.get(), buffer + written, &tail) != 1)
        ThrowCryptoFailure(CryptoFailure::Decrypt);
    out.resize(static_cast<std::size_t>(written) + static_cast<std::size_t>(tail));
    return out;
}

std::string AesCbcEncrypt(std::string_view plaintext, std::string_view key, std::string_view iv) {
    CipherCtx ctx = OpenCipher(key, iv, true, CryptoFailure::EncryptSizeQuery);
    std::string out(plaintext.size() + kBlock, '\0');
    int written = 0;
    int tail = 0;
    auto* buffer = reinterpret_cast<unsigned char*>(out.data());
    if (EVP_EncryptUpdate(ctx.get(), buffer, &written, Bytes(plaintext), static_cast<int>(plaintext.size())) != 1 ||
        EVP_EncryptFinal_ex(ctx.get(), buffer + written, &tail) != 1)
        ThrowCryptoFailure(CryptoFailure::Encrypt);
    out.resize(static_cast<std::size_t>(written) + static_cast<std::size_t>(tail));
    return out;
}

std::string HmacSha256(std::string_view key, std::string_view data) {
    std::unique_ptr<EVP_MAC, MacFree> mac(EVP_MAC_fetch(nullptr, "HMAC", nullptr));
    if (!mac) ThrowCryptoFailure(CryptoFailure::MacProvider);
    std::unique_ptr<EVP_MAC_CTX, MacCtxFree> ctx(EVP_MAC_CTX_new(mac.get()));
    if (!ctx) ThrowCryptoFailure(CryptoFailure::MacProvider);
    char digestName[] = "SHA256";
    const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digestName, 0),
                                 OSSL_PARAM_construct_end()};
    // An empty key is a valid HMAC key; OpenSSL wants a non-null pointer for it.
    static const unsigned char kNoKey = 0;
    const unsigned char* keyBytes = key.empty() ? &kNoKey : Bytes(key);
    if (EVP_MAC_init(ctx.get(), keyBytes, key.size(), params) != 1) ThrowCryptoFailure(CryptoFailure::MacKey);
    if (EVP_MAC_update(ctx.get(), Bytes(data), data.size()) != 1) ThrowCryptoFailure(CryptoFailure::MacData);
    std::string digest(EVP_MAX_MD_SIZE, '\0');
    std::size_t length = 0;
    if (EVP_MAC_final(ctx.get(), reinterpret_cast<unsigned char*>(digest.data()), &length, digest.size()) != 1)
        ThrowCryptoFailure(CryptoFailure::MacFinish);
    digest.resize(length);
    return digest;
}

std::string Sha256(std::string_view data) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha256(), nullptr) != 1) return std::string();
    return std::string(reinterpret_cast<const char*>(digest), length);
}

std::string RandomBytes(std::size_t count) {
    std::string out(count, '\0');
    if (count > 0 && RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(count)) != 1)
        ThrowCryptoFailure(CryptoFailure::Random);
    return out;
}

}  // namespace pellaro
