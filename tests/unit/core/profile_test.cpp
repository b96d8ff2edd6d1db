#include "core/app_record.h"
#include "core/build_constants.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

TEST(Profile, AssemblesConstantsFromScrambledTables) {
    EXPECT_EQ(Constant(ConstantKey::payloadKey).size(), 32u);
    EXPECT_EQ(Constant(ConstantKey::diagnosticKey).size(), 16u);
    EXPECT_EQ(ConstantList(ConstantKey::allowedHosts).size(), 39u);
    EXPECT_FALSE(WideConstant(ConstantKey::homeAddress).empty());
}

TEST(AppRecord, StartsWithTheProductIdentityAndAnEmptyDescriptor) {
    const AppRecord& app = App();
    EXPECT_EQ(app.displayName, L"Tovrel Academy");
    EXPECT_EQ(app.schemeName, L"Tovrelapp");
    EXPECT_EQ(app.versionText, L"4.12.0");
    EXPECT_FALSE(app.companyName.empty());
    EXPECT_TRUE(app.content.contentUrl.empty());
    EXPECT_EQ(app.content.itemNumber, 1);
}

}  // namespace
}  // namespace pellaro
