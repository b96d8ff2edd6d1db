#include "diag/diagnostic_code.h"

#include <ctime>

#include "platform/device_identity.h"
#include "diag/diagnostic_record.h"
#include "core/text.h"

namespace pellaro {

std::string BuildDiagnosticCode(std::string_view reason) {
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    return EncodeDiagnosticCode(BuildDiagnosticRecord(now, ToUtf8(DeviceIdentifier()), reason));
}

}  // namespace pellaro
