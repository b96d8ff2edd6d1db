// The security-product check with a test table: this test program plays the
// product's running executable.
#include <gtest/gtest.h>

#include "net/pin_validation.h"

namespace pellaro {
namespace {

TEST(SecurityProduct, FindsARunningExecutableOnlyWithItsSignerMark) {
#ifdef _WIN32
    // Test programs are not signed: WinVerifyTrust refuses them, so no exemption.
    EXPECT_FALSE(SecurityProductRunning({L"", {L"net_tests.exe"}, L""}));
#else
    EXPECT_TRUE(SecurityProductRunning({L"", {L"net_tests"}, L"/tests/unit/net"}));
    EXPECT_FALSE(SecurityProductRunning({L"", {L"net_tests"}, L"/no/such/vendor/"}));
#endif
    EXPECT_FALSE(SecurityProductRunning({L"", {L"no-such-product.exe", L"no-such-product"}, L""}));
    EXPECT_FALSE(SecurityProductRunning({L"", {}, L""}));
}

}  // namespace
}  // namespace pellaro
