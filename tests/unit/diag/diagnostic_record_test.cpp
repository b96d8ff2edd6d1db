#include "diag/diagnostic_record.h"

#include <gtest/gtest.h>

#include "core/build_constants.h"
#include "core/base64.h"

namespace pellaro {
namespace {

constexpr std::string_view kKey = "0123456789abcdef";

TEST(DiagnosticRecord, JoinsTheFieldsWithoutEscaping) {
    EXPECT_EQ(BuildDiagnosticRecord(1700000000, "ab12", "decrypt: bad mac"),
              "ERRDIAG|v1|ts=1700000000|mk=ab12|reason=decrypt: bad mac|END");
    EXPECT_EQ(BuildDiagnosticRecord(-5, "d|e", "a|b"), "ERRDIAG|v1|ts=-5|mk=d|e|reason=a|b|END");
    // Past 2038: 64-bit seconds.
    EXPECT_EQ(BuildDiagnosticRecord(4102444800LL, "", ""), "ERRDIAG|v1|ts=4102444800|mk=|reason=|END");
}

TEST(DiagnosticRecord, ScrambleCyclesTheKeyAndUndoesItself) {
    const std::string bytes = "ABCDEFGHIJKLMNOPQRST";  // 20 bytes: the key wraps at 16
    const std::string scrambled = ScrambleDiagnosticBytes(bytes, kKey);
    ASSERT_EQ(scrambled.size(), bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(static_cast<char>(scrambled[i] ^ kKey[i % 16]), bytes[i]) << i;
    EXPECT_EQ(ScrambleDiagnosticBytes(scrambled, kKey), bytes);
}

TEST(DiagnosticCode, MatchesAKnownVector) {
    // XOR with the key, then standard Base64 with padding.
    EXPECT_EQ(EncodeDiagnosticCode("ERRDIAG|v1|ts=0|mk=|reason=|END", kKey),
              "dWNgd310cUtOCB0WEFlVGl1aD09GUFdEV1dcHiYqIQ==");
}

TEST(DiagnosticCode, SameInputsGiveTheSameCode) {
    const std::string record = BuildDiagnosticRecord(1700000000, "dev", "reason");
    EXPECT_EQ(EncodeDiagnosticCode(record, kKey), EncodeDiagnosticCode(record, kKey));
    EXPECT_NE(EncodeDiagnosticCode(record, kKey),
              EncodeDiagnosticCode(BuildDiagnosticRecord(1700000001, "dev", "reason"), kKey));
}

TEST(DiagnosticCode, DecodesBackToItsFields) {
    struct Case {
        std::int64_t time;
        std::string device;
        std::string reason;
    };
    const Case cases[] = {
        {1700000000, "0f1e2d3c", "ParseSchemeArgs failed: less than 3 parts after split"},
        {1, "dev", "a|b|END"},                            // "|" kept, even "|END"
        {2, "dev", "x|reason=y"},                         // a second "|reason=" belongs to the reason
        {3, "dev", "\xd9\x81\xd8\xb4\xd9\x84 \xc3\xbc"},  // UTF-8 bytes travel unchanged
        {-7, "", ""},
    };
    for (const Case& c : cases) {
        const std::string record = BuildDiagnosticRecord(c.time, c.device, c.reason);
        const std::string code = EncodeDiagnosticCode(record, kKey);
        for (char ch : code) EXPECT_TRUE(static_cast<unsigned char>(ch) < 0x80) << code;
        const DecodedDiagnosticCode decoded = DecodeDiagnosticCode(code, kKey);
        ASSERT_TRUE(decoded.ok) << decoded.error;
        EXPECT_EQ(decoded.record, record);
        EXPECT_EQ(decoded.fields.time, c.time);
        EXPECT_EQ(decoded.fields.deviceId, c.device);
        EXPECT_EQ(decoded.fields.reason, c.reason);
    }
}

TEST(DiagnosticCode, RefusesWhatIsNotACode) {
    const std::string notRecord = EncodeDiagnosticCode("hello, support", kKey);
    const std::string badTime = EncodeDiagnosticCode("ERRDIAG|v1|ts=12x|mk=a|reason=b|END", kKey);
    const std::string noEnd = EncodeDiagnosticCode("ERRDIAG|v1|ts=12|mk=a|reason=b|EN", kKey);
    const std::string good = EncodeDiagnosticCode(BuildDiagnosticRecord(9, "m", "r"), kKey);
    struct Case {
        std::string code;
        std::string_view key;
        std::string_view why;
    };
    const Case cases[] = {
        {"", kKey, "not Base64"},
        {"SSL_api.example.com", kKey, "not Base64"},
        {"QUJD", kKey, "ERRDIAG"},  // Base64, but not a record
        {good.substr(0, good.size() - 4), kKey, "ERRDIAG"},
        {good + "=", kKey, "not Base64"},
        {notRecord, kKey, "ERRDIAG"},
        {badTime, kKey, "ERRDIAG"},
        {noEnd, kKey, "ERRDIAG"},
        {good, "fedcba9876543210", "ERRDIAG"},  // another key
    };
    for (const Case& c : cases) {
        const DecodedDiagnosticCode decoded = DecodeDiagnosticCode(c.code, c.key);
        EXPECT_FALSE(decoded.ok) << c.code;
        EXPECT_NE(decoded.error.find(c.why), std::string::npos) << c.code << ": " << decoded.error;
        EXPECT_TRUE(decoded.record.empty());
    }
}

TEST(DiagnosticCode, UsesTheProfileKeyByDefault) {
    const std::string key = Constant(ConstantKey::diagnosticKey);
    ASSERT_EQ(key.size(), 16u);
    const std::string record = BuildDiagnosticRecord(42, "m", "r");
    EXPECT_EQ(EncodeDiagnosticCode(record), EncodeDiagnosticCode(record, key));
    EXPECT_TRUE(DecodeDiagnosticCode(EncodeDiagnosticCode(record)).ok);
}

}  // namespace
}  // namespace pellaro
