#include "platform/crypto.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "links/envelope.h"
#include "test_support.h"

namespace pellaro {
namespace {

using testing::BytesFromHex;

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Crypto, AesCbcMatchesTheKnownAnswerVector) {
    // AES-256-CBC, first block of the published test vector.
    const std::string key = BytesFromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
    const std::string iv = BytesFromHex("000102030405060708090a0b0c0d0e0f");
    const std::string plain = BytesFromHex("6bc1bee22e409f96e93d7e117393172a");
    const std::string cipher = AesCbcEncrypt(plain, key, iv);
    ASSERT_EQ(cipher.size(), 32u);  // one block of data, one of padding
    EXPECT_EQ(ToLowerHex(cipher.substr(0, 16)), "f58c4c04d6e5f1ba779eabfb5f7bfbd6");
    EXPECT_EQ(AesCbcDecrypt(cipher, key, iv), plain);
}

TEST(Crypto, AesCbcRoundTripsEveryKeySizeAndLength) {
    const std::string iv(16, '\x01');
    for (std::size_t keySize : {16u, 24u, 32u})
        for (std::size_t length : {0u, 1u, 15u, 16u, 17u, 100u}) {
            const std::string key(keySize, '\x42');
            const std::string plain(length, 'p');
            const std::string cipher = AesCbcEncrypt(plain, key, iv);
            EXPECT_EQ(cipher.size(), (length / 16 + 1) * 16);
            EXPECT_EQ(AesCbcDecrypt(cipher, key, iv), plain) << keySize << "/" << length;
        }
}

TEST(Crypto, AesCbcFailuresCarryTheStepTexts) {
    const std::string key(32, 'k');
    const std::string iv(16, 'i');
    const std::string good = AesCbcEncrypt("hello", key, iv);
    // A block whose last byte cannot be PKCS#7 padding, whatever the key.
    std::string badPadding = AesCbcEncrypt(std::string(16, '\x42'), key, iv).substr(0, 16);
    struct Case {
        const char* name;
        std::string ciphertext, key, iv;
        const char* text;
    } cases[] = {
        {"short key", good, std::string(31, 'k'), iv, "BCryptGenerateSymmetricKey failed"},
        {"short iv", good, key, std::string(15, 'i'), "BCryptDecrypt (size query) failed"},
        {"long iv", good, key, std::string(17, 'i'), "BCryptDecrypt (size query) failed"},
        {"partial block", AesCbcEncrypt(std::string(20, 'x'), key, iv).substr(0, 17), key, iv,
         "BCryptDecrypt (size query) failed"},
        {"bad padding", badPadding, key, iv, "BCryptDecrypt failed"},
        {"no block at all", "", key, iv, "BCryptDecrypt failed"},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf([&] { AesCbcDecrypt(c.ciphertext, c.key, c.iv); }), c.text) << c.name;
    EXPECT_EQ(ErrorOf([&] { AesCbcEncrypt("x", key, "short"); }), "BCryptEncrypt (size query) failed");
}

TEST(Crypto, HmacSha256MatchesTheKnownAnswerVectors) {
    EXPECT_EQ(ToLowerHex(HmacSha256("Jefe", "what do ya want for nothing?")),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(ToLowerHex(HmacSha256(std::string(20, '\x0b'), "Hi There")),
              "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    EXPECT_EQ(ToLowerHex(HmacSha256("", "")), "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad");
}

TEST(Crypto, RandomBytesHaveTheAskedLengthAndDiffer) {
    EXPECT_EQ(RandomBytes(0).size(), 0u);
    const std::string a = RandomBytes(16), b = RandomBytes(16);
    EXPECT_EQ(a.size(), 16u);
    EXPECT_NE(a, b);
}

}  // namespace
}  // namespace pellaro
