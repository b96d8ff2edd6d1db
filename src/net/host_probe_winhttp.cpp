// CheckHostPins' own WinHTTP session: HEAD / on the host, 3-second time-outs.
#include <windows.h>
#include <winhttp.h>

#include "net/host_probe.h"
#include "net/chain_winhttp.h"

namespace pellaro {

HostProbe ProbeHostPins(const std::wstring& host, int port) {
    HINTERNET session = WinHttpOpen(
        L"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0.0.0 "
        L"Safari/537.36 Edg/120.0.0.0",
        WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) return HostProbe::SessionFailed;
    WinHttpSetTimeouts(session, 3000, 3000, 3000, 3000);
    HINTERNET connection = WinHttpConnect(session, host.c_str(), static_cast<INTERNET_PORT>(port), 0);
    HINTERNET request = connection ? WinHttpOpenRequest(connection, L"HEAD", L"/", nullptr, WINHTTP_NO_REFERER,
                                                        WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE)
                                   : nullptr;
    HostProbe result = HostProbe::OpenFailed;
    if (request) {
        SetPinnedRequestOptions(request, false);
        if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
            result = HostProbe::SendFailed;
        } else if (!WinHttpReceiveResponse(request, nullptr)) {
            result = HostProbe::NoResponse;
        } else {
            result = ValidatePins(request, host) ? HostProbe::Passed : HostProbe::Refused;
        }
        WinHttpCloseHandle(request);
    }
    if (connection) WinHttpCloseHandle(connection);
    WinHttpCloseHandle(session);
    return result;
}

}  // namespace pellaro
