#include "core/base64.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

TEST(Base64, EncodesWithPadding) {
    const std::pair<std::string, std::string> cases[] = {{"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
                                                         {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"\xff\xfe", "//4="}};
    for (const auto& [plain, encoded] : cases) {
        EXPECT_EQ(Base64Encode(plain), encoded) << plain;
        EXPECT_EQ(Base64Decode(encoded), plain) << encoded;
    }
}

TEST(Base64, DecodingStopsQuietlyAtTheFirstForeignCharacter) {
    const std::pair<std::string, std::string> cases[] = {
        {"Zm9v YmFy", "foo"},   // a space ends the walk
        {"Zm9v\nYmFy", "foo"},  // so does a line break
        {"Zm8=Zm9v", "fo"},     // and the first "="
        {"Zm9vY", "foo"},       // one character of a group gives no byte
        {"Zm9vYm", "foob"},     // two give one
        {"Zm9vYmF", "fooba"},   // three give two
        {"-_", ""},             // the URL-safe alphabet is foreign here
    };
    for (const auto& [encoded, plain] : cases) EXPECT_EQ(Base64Decode(encoded), plain) << encoded;
}

}  // namespace
}  // namespace pellaro
