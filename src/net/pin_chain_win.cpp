// Server chains through CryptoAPI; pins are SHA-256 digests of the SubjectPublicKeyInfo.
#include <windows.h>
#include <wincrypt.h>
#include <winhttp.h>

#include <vector>

#include "core/base64.h"
#include "net/chain_winhttp.h"
#include "platform/crypto.h"
#include "platform/scoped_handles_win.h"

namespace pellaro {
namespace {

std::string PinOf(PCCERT_CONTEXT cert) {
    LocalMemory<BYTE> encoded;
    DWORD length = 0;
    if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, &cert->pCertInfo->SubjectPublicKeyInfo,
                             CRYPT_ENCODE_ALLOC_FLAG, nullptr, encoded.receive(), &length) ||
        length == 0)
        return std::string();
    const std::string digest = Sha256(std::string_view(reinterpret_cast<const char*>(encoded.get()), length));
    return digest.empty() ? std::string() : Base64Encode(digest);
}

std::wstring DisplayName(PCCERT_CONTEXT cert, DWORD flags) {
    wchar_t name[512] = {};
    CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, flags, nullptr, name, 512);
    return name;
}

std::wstring AddressText(const CRYPT_DATA_BLOB& address) {
    if (address.cbData != 4) return std::wstring();  // IPv6 names are not used by the backends
    return std::to_wstring(address.pbData[0]) + L"." + std::to_wstring(address.pbData[1]) + L"." +
           std::to_wstring(address.pbData[2]) + L"." + std::to_wstring(address.pbData[3]);
}

// The leaf's subject alternative names; its common name when it has none.
bool LeafNamesHost(PCCERT_CONTEXT leaf, const std::wstring& host) {
    std::vector<std::wstring> dnsNames, addresses;
    const CERT_EXTENSION* extension = CertFindExtension(szOID_SUBJECT_ALT_NAME2, leaf->pCertInfo->cExtension,
                                                        leaf->pCertInfo->rgExtension);
    LocalMemory<CERT_ALT_NAME_INFO> names;
    DWORD size = 0;
    if (extension &&
        CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData, extension->Value.cbData,
                            CRYPT_DECODE_ALLOC_FLAG, nullptr, names.receive(), &size)) {
        for (DWORD i = 0; i < names.get()->cAltEntry; ++i) {
            const CERT_ALT_NAME_ENTRY& entry = names.get()->rgAltEntry[i];
            if (entry.dwAltNameChoice == CERT_ALT_NAME_DNS_NAME) dnsNames.push_back(entry.pwszDNSName);
            if (entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS) addresses.push_back(AddressText(entry.IPAddress));
        }
    } else {
        wchar_t name[512] = {};
        CertGetNameStringW(leaf, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(szOID_COMMON_NAME), name, 512);
        dnsNames.push_back(name);
    }
    return CertificateNamesHost(dnsNames, addresses, host);
}

// Leaf names the host and each element is signed by the next; anchor and
// dates are left to the pins.
bool WellFormed(PCCERT_CHAIN_CONTEXT chain, const std::wstring& host) {
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    if (simple->cElement == 0) return false;
    for (DWORD i = 0; i < simple->cElement; ++i)
        if (simple->rgpElement[i]->TrustStatus.dwErrorStatus & CERT_TRUST_IS_NOT_SIGNATURE_VALID) return false;
    return LeafNamesHost(simple->rgpElement[0]->pCertContext, host);
}

}  // namespace

void SetPinnedRequestOptions(HINTERNET request, bool withRedirectPolicy) {
    DWORD one = 1;
    WinHttpSetOption(request, 98, &one, sizeof one);
    DWORD disable = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &disable, sizeof disable);
    if (withRedirectPolicy) {
        DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
        WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
    }
    DWORD flags = 0x3300;
    WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
}

ServerChain ChainOfRequest(HINTERNET request, const std::wstring& host, std::vector<CertificateSummary>* summaries) {
    ServerChain result;
    ScopedCertificate cert;
    DWORD size = sizeof(PCCERT_CONTEXT);
    if (!WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, cert.receive(), &size) || !cert) return result;
    result.read = true;
    CERT_CHAIN_PARA para = {};
    para.cbSize = sizeof para;
    ScopedCertificateChain owned;
    if (CertGetCertificateChain(nullptr, cert.get(), nullptr, cert.get()->hCertStore, &para, 0, nullptr,
                                owned.receive()) &&
        owned && owned.get()->cChain > 0) {
        const PCCERT_CHAIN_CONTEXT chain = owned.get();
        const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
        for (DWORD i = 0; i < simple->cElement; ++i) {
            PCCERT_CONTEXT element = simple->rgpElement[i]->pCertContext;
            const std::string pin = PinOf(element);
            const std::wstring issuer = DisplayName(element, CERT_NAME_ISSUER_FLAG);
            result.elements.push_back({pin, issuer});
            if (summaries) summaries->push_back({DisplayName(element, 0), issuer, pin});
        }
        result.wellFormed = WellFormed(chain, host);
    }
    return result;
}

bool ValidatePins(HINTERNET request, const std::wstring& host) {
    return ValidateServerChain(host, ChainOfRequest(request, host));
}

std::string SpkiPinOfCertificate(const std::string& der) {
    const ScopedCertificate cert(CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size())));
    if (!cert) return std::string();
    return PinOf(cert.get());
}

ChainInspection InspectServerChain(const std::wstring& host, int port) {
    ChainInspection result;
    // Declared in opening order: each closes before the handle it was opened under.
    const ScopedInternet session(
        WinHttpOpen(L"pellaro-cli", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        result.error = "WinHttpOpen failed";
        return result;
    }
    WinHttpSetTimeouts(session.get(), 10000, 10000, 30000, 30000);
    const ScopedInternet connection(WinHttpConnect(session.get(), host.c_str(), static_cast<INTERNET_PORT>(port), 0));
    if (!connection) {
        result.error = "WinHttpConnect failed";
        return result;
    }
    const ScopedInternet request(WinHttpOpenRequest(connection.get(), L"HEAD", L"/", nullptr, WINHTTP_NO_REFERER,
                                                    WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
    if (!request) {
        result.error = "WinHttpOpenRequest failed";
        return result;
    }
    SetPinnedRequestOptions(request.get(), false);
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        result.error = "WinHttpSendRequest failed: " + std::to_string(GetLastError());
    else WinHttpReceiveResponse(request.get(), nullptr);
    result.chain = ChainOfRequest(request.get(), host, &result.certificates);
    if (result.chain.read) result.error.clear();
    else if (result.error.empty()) result.error = "no certificate";
    return result;
}

}  // namespace pellaro
