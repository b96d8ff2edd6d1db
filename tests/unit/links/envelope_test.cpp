#include "links/envelope.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "test_support.h"

namespace pellaro {
namespace {

using namespace pellaro::testing;
using nlohmann::json;

const char kMacFailed[] = "MAC verification failed \xE2\x80\x94 data may be tampered";

std::string FailureOf(const std::string& sealed) {
    try {
        const std::string plain = DecryptLinkField(sealed, TestKey());
        return "(opened: " + plain + ")";
    } catch (const std::exception& e) {
        return e.what();
    }
}

TEST(Envelope, SealedFieldsOpenWithAndWithoutMac) {
    for (const std::string plain : {"lk-123", "https://api.tovrel.localhost/", "\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A"}) {
        EXPECT_EQ(DecryptLinkField(SealLinkField(plain, TestKey()), TestKey()), plain);
        EXPECT_EQ(DecryptLinkField(SealLinkField(plain, TestKey(), false), TestKey()), plain);
    }
}

TEST(Envelope, EmptyPlaintextOpensToEmptyText) { EXPECT_EQ(DecryptLinkField(SealedWithMac(""), TestKey()), ""); }

TEST(Envelope, MissingOrEmptyMacSkipsTheCheck) {
    const EnvelopeParts parts = Encrypt("item");
    EXPECT_EQ(DecryptLinkField(Sealed({{"iv", parts.iv}, {"value", parts.value}}), TestKey()), "item");
    EXPECT_EQ(DecryptLinkField(Sealed({{"iv", parts.iv}, {"value", parts.value}, {"mac", ""}}), TestKey()), "item");
}

TEST(Envelope, WebSiteStyleEnvelopesOpen) {
    // Escaped slashes, members in another order, an extra "tag" member.
    const std::string iv(16, '\xff');  // Base64 "/////////////////////w=="
    const std::string ivText = Base64Encode(iv);
    const std::string valueText = Base64Encode(AesCbcEncrypt("content-7", TestKey(), iv));
    auto escapeSlashes = [](std::string s) {
        for (std::size_t at = 0; (at = s.find('/', at)) != std::string::npos; at += 2) s.replace(at, 1, "\\/");
        return s;
    };
    const std::string jsonText = "{\"iv\":\"" + escapeSlashes(ivText) + "\",\"value\":\"" + escapeSlashes(valueText) +
                                 "\",\"mac\":\"" + MacOf(ivText, valueText) + "\",\"tag\":\"\"}";
    ASSERT_NE(jsonText.find("\\/"), std::string::npos);
    EXPECT_EQ(DecryptLinkField(Base64Encode(jsonText), TestKey()), "content-7");
}

TEST(Envelope, MacIsComparedWithoutCaseOverItsFullLength) {
    const EnvelopeParts parts = Encrypt("item");
    std::string mac = MacOf(parts.iv, parts.value);
    std::string upper = mac;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(DecryptLinkField(Sealed({{"iv", parts.iv}, {"value", parts.value}, {"mac", upper}}), TestKey()), "item");

    std::string changed = mac;
    changed[10] = changed[10] == '0' ? '1' : '0';
    const std::string refused[] = {changed, mac + "0", mac.substr(0, 63), upper + " "};
    for (const std::string& bad : refused)
        EXPECT_EQ(FailureOf(Sealed({{"iv", parts.iv}, {"value", parts.value}, {"mac", bad}})), kMacFailed) << bad;
}

TEST(Envelope, MacIsCheckedBeforeAnyDecryption) {
    // The IV is unusable, yet the wrong MAC is what is reported.
    const EnvelopeParts parts = Encrypt("item");
    const std::string shortIv = Base64Encode("short");
    EXPECT_EQ(FailureOf(Sealed({{"iv", shortIv}, {"value", parts.value}, {"mac", std::string(64, 'a')}})), kMacFailed);
    EXPECT_EQ(FailureOf(Sealed({{"iv", shortIv}, {"value", parts.value}})), "BCryptDecrypt (size query) failed");
}

TEST(Envelope, MacCoversTheBase64TextsAsTheyStand) {
    // Without its "==" the IV decodes to the same bytes, but the MAC differs.
    const EnvelopeParts parts = Encrypt("item");
    ASSERT_EQ(parts.iv.substr(parts.iv.size() - 2), "==");
    const std::string bareIv = parts.iv.substr(0, parts.iv.size() - 2);
    EXPECT_EQ(FailureOf(Sealed({{"iv", bareIv}, {"value", parts.value}, {"mac", MacOf(parts.iv, parts.value)}})),
              kMacFailed);
    EXPECT_EQ(DecryptLinkField(Sealed({{"iv", bareIv}, {"value", parts.value}, {"mac", MacOf(bareIv, parts.value)}}),
                               TestKey()),
              "item");
}

TEST(Envelope, EveryFailureHasItsText) {
    const EnvelopeParts parts = Encrypt("item");
    const std::string sealed = SealedWithMac("item");
    const std::string badPadding = Base64Encode(
        AesCbcEncrypt(std::string(16, '\x42'), TestKey(), std::string(16, '\x5a')).substr(0, 16));
    const struct {
        const char* name;
        std::string sealed;
        std::string text;
    } cases[] = {
        {"empty field", "", "Failed to parse AES envelope JSON"},
        {"not JSON", Base64Encode("iv=1&value=2"), "Failed to parse AES envelope JSON"},
        {"cut at a space", sealed.substr(0, 20) + " " + sealed.substr(20), "Failed to parse AES envelope JSON"},
        {"array", Base64Encode("[]"),
         "[json.exception.type_error.305] cannot use operator[] with a string argument with array"},
        {"number", Base64Encode("5"),
         "[json.exception.type_error.305] cannot use operator[] with a string argument with number"},
        {"empty object", Base64Encode("{}"), "[json.exception.type_error.302] type must be string, but is null"},
        {"iv a number", Sealed({{"iv", 1}, {"value", parts.value}}),
         "[json.exception.type_error.302] type must be string, but is number"},
        {"value missing", Sealed({{"iv", parts.iv}}),
         "[json.exception.type_error.302] type must be string, but is null"},
        {"mac not text", Sealed({{"iv", parts.iv}, {"value", parts.value}, {"mac", json::array()}}),
         "[json.exception.type_error.302] type must be string, but is array"},
        {"wrong mac", Sealed({{"iv", parts.iv}, {"value", parts.value}, {"mac", std::string(64, '0')}}), kMacFailed},
        {"iv of 15 bytes", Sealed({{"iv", Base64Encode(std::string(15, 'i'))}, {"value", parts.value}}),
         "BCryptDecrypt (size query) failed"},
        {"partial block", Sealed({{"iv", parts.iv}, {"value", Base64Encode(std::string(17, 'c'))}}),
         "BCryptDecrypt (size query) failed"},
        {"bad padding", Sealed({{"iv", parts.iv}, {"value", badPadding}}), "BCryptDecrypt failed"},
    };
    for (const auto& c : cases) EXPECT_EQ(FailureOf(c.sealed), c.text) << c.name;
}

TEST(Envelope, WrongKeyIsRefusedByTheMac) {
    const std::string otherKey(32, '\x07');
    try {
        DecryptLinkField(SealedWithMac("item"), otherKey);
        FAIL() << "opened with the wrong key";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), kMacFailed);
    }
}

TEST(Envelope, ToLowerHexWritesTwoDigitsPerByte) {
    EXPECT_EQ(ToLowerHex(""), "");
    EXPECT_EQ(ToLowerHex(std::string("\x00\x0f\xa0\xff", 4)), "000fa0ff");
}

}  // namespace
}  // namespace pellaro
