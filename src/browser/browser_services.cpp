#include "browser/browser_services.h"

#include <thread>

#include "platform/device_identity.h"
#include "net/certificate_trust.h"
#include "net/pin_store.h"
#include "platform/debug_log.h"
#include "core/text.h"

namespace pellaro {

FilterServices DefaultFilterServices(std::function<void(const std::wstring& host)> blockedHostNotice, int pinPort) {
    FilterServices services;
    services.checkHostPins = [pinPort](const std::wstring& host) { return CheckHostPinsOnPort(host, pinPort); };
    services.reportBlockedHost = [notice = std::move(blockedHostNotice)](const std::wstring& host) {
        DebugLine("Blocked request to " + ToUtf8(host) + ": pins failed");
        if (notice) std::thread([notice, host] { notice(host); }).detach();
    };
    services.deviceIdentifier = DeviceIdentifier;
    services.hardwareIdentifier = HardwareIdentifier;
    services.trustPinnedHost = [pinPort](const std::wstring& host) {
        return AcceptRefusedCertificate(host,
                                        [pinPort](const std::wstring& h) { return CheckHostPinsOnPort(h, pinPort); });
    };
    return services;
}

}  // namespace pellaro
