#include "core/backend_host.h"

#include <string>
#include <vector>

#include "core/build_constants.h"
#include "core/url_host.h"

namespace pellaro {

bool IsBackendHost(std::wstring_view host) {
    static const std::vector<std::wstring> domains = WideConstantList(ConstantKey::backendHostMarkers);
    for (const auto& domain : domains)
        if (HostIsOrUnder(host, domain)) return true;
    return false;
}

}  // namespace pellaro
