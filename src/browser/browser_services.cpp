#include "browser/browser_services.h"

#include <mutex>
#include <thread>

#include "platform/device_identity.h"
#include "diag/connection_failure.h"
#include "net/certificate_trust.h"
#include "net/pin_store.h"
#include "platform/debug_log.h"
#include "core/text.h"

namespace pellaro {
namespace {

std::mutex g_reporterLock;
std::function<void(const std::wstring&)> g_reporter = ReportBlockedHost;

void ReportOnItsOwnThread(const std::wstring& host) {
    std::function<void(const std::wstring&)> reporter;
    {
        std::lock_guard guard(g_reporterLock);
        reporter = g_reporter;
    }
    DebugLine("Blocked request to " + ToUtf8(host) + ": pins failed");
    if (reporter) std::thread([reporter, host] { reporter(host); }).detach();
}

}  // namespace

void SetBlockedHostReporter(std::function<void(const std::wstring& host)> reporter) {
    std::lock_guard guard(g_reporterLock);
    g_reporter = std::move(reporter);
}

FilterServices DefaultFilterServices(int pinPort) {
    FilterServices services;
    services.checkHostPins = [pinPort](const std::wstring& host) { return CheckHostPinsOnPort(host, pinPort); };
    services.reportBlockedHost = ReportOnItsOwnThread;
    services.deviceIdentifier = DeviceIdentifier;
    services.hardwareIdentifier = HardwareIdentifier;
    services.trustPinnedHost = [pinPort](const std::wstring& host) {
        return AcceptRefusedCertificate(host, [pinPort](const std::wstring& h) { return CheckHostPinsOnPort(h, pinPort); });
    };
    return services;
}

}  // namespace pellaro
