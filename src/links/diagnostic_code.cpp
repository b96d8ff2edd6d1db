#include "links/diagnostic_code.h"

#include <ctime>

#include "app/device_identity.h"
#include "links/diagnostic_record.h"
#include "platform/text.h"

namespace pellaro {

std::string BuildDiagnosticCode(std::string_view reason) {
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    return EncodeDiagnosticCode(BuildDiagnosticRecord(now, ToUtf8(DeviceIdentifier()), reason));
}

}  // namespace pellaro
