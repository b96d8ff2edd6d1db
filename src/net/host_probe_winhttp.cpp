// CheckHostPins' own WinHTTP session: HEAD / on the host, 3-second time-outs.
#include <windows.h>
#include <winhttp.h>

#include "net/host_probe.h"
#include "net/chain_winhttp.h"
#include "platform/scoped_handles_win.h"

namespace pellaro {

HostProbe ProbeHostPins(const std::wstring& host, int port) {
    // Declared in opening order: each closes before the handle it was opened under.
    const ScopedInternet session(WinHttpOpen(
        L"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 "
        L"Safari/537.36 Edg/120.0.0.0",
        WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return HostProbe::SessionFailed;
    WinHttpSetTimeouts(session.get(), 3000, 3000, 3000, 3000);
    const ScopedInternet connection(WinHttpConnect(session.get(), host.c_str(), static_cast<INTERNET_PORT>(port), 0));
    const ScopedInternet request(connection
                                     ? WinHttpOpenRequest(connection.get(), L"HEAD", L"/", nullptr, WINHTTP_NO_REFERER,
                                                          WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE)
                                     : nullptr);
    if (!request) return HostProbe::OpenFailed;
    SetPinnedRequestOptions(request.get(), false);
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return HostProbe::SendFailed;
    if (!WinHttpReceiveResponse(request.get(), nullptr)) return HostProbe::NoResponse;
    return ValidatePins(request.get(), host) ? HostProbe::Passed : HostProbe::Refused;
}

}  // namespace pellaro
