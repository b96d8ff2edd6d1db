// BuildDiagnosticCode with the device identity double of this folder.
#include "diag/diagnostic_code.h"

#include <ctime>

#include <gtest/gtest.h>

#include "platform/device_identity.h"
#include "diag/diagnostic_record.h"
#include "core/text.h"

namespace pellaro {
namespace {

TEST(BuildDiagnosticCode, PacksNowTheDeviceAndTheReason) {
    const std::string reason = "JSON parse error | \xd8\xae\xd8\xb7\xd8\xa3";
    const std::int64_t before = std::time(nullptr);
    const std::string code = BuildDiagnosticCode(reason);
    const std::int64_t after = std::time(nullptr);

    const DecodedDiagnosticCode decoded = DecodeDiagnosticCode(code);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_GE(decoded.fields.time, before);
    EXPECT_LE(decoded.fields.time, after);
    EXPECT_EQ(decoded.fields.deviceId, ToUtf8(DeviceIdentifier()));
    EXPECT_EQ(decoded.fields.deviceId, "DOUBLE-DEVICE-\xc3\xa9\xd8\xb4");
    EXPECT_EQ(decoded.fields.reason, reason);
}

}  // namespace
}  // namespace pellaro
