#pragma once
// WinHTTP + CryptoAPI glue shared by the client, the host pre-check and the
// chain inspection: the server chain of an open request.
#include <windows.h>
#include <winhttp.h>

#include <string>
#include <vector>

#include "net/pin_validation.h"

namespace pellaro {

// The options every request and pre-flight gets: option 98, no redirects, and
// certificate errors left to the pins (security flags 0x3300).
void SetPinnedRequestOptions(HINTERNET request, bool withRedirectPolicy);
// The chain of the request's server certificate, as the pin validation sees it;
// with `summaries`, each certificate's names and pin as well, server's first.
ServerChain ChainOfRequest(HINTERNET request, const std::wstring& host,
                           std::vector<CertificateSummary>* summaries = nullptr);
// ValidatePins on an open request: the chain, the decision and the notice.
bool ValidatePins(HINTERNET request, const std::wstring& host);

}  // namespace pellaro
