#pragma once
// Non-release builds only: the reference backend's private root, named by
// PELLARO_TEST_CA_FILE, is trusted for hosts without pins, by the program's
// own client (tls_curl.cpp) and, through this, by the browser engine. Release
// builds contain no such trust: there this always says no. Linux edition.
#include <string>
#include <vector>

namespace pellaro {

// Whether a chain the engine refused (DER, the server's certificate first)
// leads to the test root and names the host, which has no pins.
bool ChainTrustedByTestRoot(const std::vector<std::string>& derChain, const std::wstring& host);

}  // namespace pellaro
