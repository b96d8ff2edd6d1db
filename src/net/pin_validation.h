#pragma once
// Pin validation of one server chain. The platform reads the chain (and checks
// that it is well formed: the leaf names the host, each certificate is signed
// by the next); the decision is portable.
#include <functional>
#include <string>
#include <vector>

#include "net/pin_store.h"

namespace pellaro {

struct ChainElement {
    std::string pin;          // Base64 SHA-256 of the DER SubjectPublicKeyInfo
    std::wstring issuerName;  // the issuer's simple display name
};

struct ServerChain {
    bool read = false;                   // a server certificate was available
    bool wellFormed = false;             // leaf names the host and each element is signed by the next
    std::vector<ChainElement> elements;  // server's certificate first, root last
};

// A row of the security-product exemption table.
struct SecurityProduct {
    std::wstring issuerMarker;
    std::vector<std::wstring> processNames;
    std::wstring signerMarker;
};

// The profile's table (empty when the profile gives none).
std::vector<SecurityProduct> SecurityProductTable();
// Platform: whether a running process of the product passes its signer check.
bool SecurityProductRunning(const SecurityProduct& product);

// True when one element's pin equals one of the entry's pins.
bool ChainMatchesPins(const std::vector<ChainElement>& chain, const PinEntry& entry);
// The exemption over one chain: the first issuer name containing a row's
// marker decides, through productCheck for that row.
bool SecurityProductExempts(const std::vector<ChainElement>& chain, const std::vector<SecurityProduct>& table,
                            const std::function<bool(const SecurityProduct&)>& productCheck);

enum class PinVerdict { NotPinned, Passed, Failed };

// Decides without any side effect: no entry or no pins -> NotPinned; a chain
// that is unread or malformed -> Failed; a pin match or an exemption -> Passed.
PinVerdict DecidePins(const std::wstring& host, const ServerChain& chain);
// DecidePins plus the connection-failure report for backend-domain hosts whose
// readable chain failed. True unless Failed.
bool ValidateServerChain(const std::wstring& host, const ServerChain& chain);
// Raises the connection-failure report when the host is a backend-domain host.
void ReportPinFailureFor(const std::wstring& host);

// Platform: the pin of one DER certificate's public key (empty when unreadable).
std::string SpkiPinOfCertificate(const std::string& der);

}  // namespace pellaro

namespace pellaro {

// One certificate as a server presented it, for support tools.
struct CertificateSummary {
    std::wstring subject;
    std::wstring issuer;
    std::string pin;
};

struct ChainInspection {
    std::string error;                             // empty when a chain was read
    std::vector<CertificateSummary> certificates;  // in chain order, server's first
    ServerChain chain;                             // as the pin validation sees it
};

// Platform: connects to host:port, reads the chain without judging it, and closes.
ChainInspection InspectServerChain(const std::wstring& host, int port);

}  // namespace pellaro

namespace pellaro {

// Whether a certificate's names (DNS names with an optional "*." first label,
// and IP addresses as text) name the host; case-insensitive.
bool CertificateNamesHost(const std::vector<std::wstring>& dnsNames, const std::vector<std::wstring>& ipAddresses,
                          const std::wstring& host);

}  // namespace pellaro
