#include "net/certificate_trust.h"

#include "net/pin_store.h"

namespace pellaro {

bool PinsDecideTrust(const std::wstring& host) {
    const std::optional<PinEntry> entry = FindPinEntry(host);
    return entry && !entry->pins.empty();
}

bool AcceptRefusedCertificate(const std::wstring& host, const std::function<bool(const std::wstring&)>& pinsPass) {
    return PinsDecideTrust(host) && pinsPass && pinsPass(host);
}

}  // namespace pellaro
