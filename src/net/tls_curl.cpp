#include "net/tls_curl.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include "core/base64.h"
#include "core/text.h"
#include "net/certificate_trust.h"
#include "net/test_root.h"
#include "platform/crypto.h"

namespace pellaro {
namespace {

std::string PinOf(X509* cert) {
    unsigned char* der = nullptr;
    const int length = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(cert), &der);
    if (length <= 0) return std::string();
    const std::string digest = Sha256(
        std::string_view(reinterpret_cast<const char*>(der), static_cast<size_t>(length)));
    OPENSSL_free(der);
    return digest.empty() ? std::string() : Base64Encode(digest);
}

// The issuer's common name, else its organisation: the simple display name.
std::wstring IssuerDisplayName(X509* cert) {
    X509_NAME* name = X509_get_issuer_name(cert);
    for (int nid : {NID_commonName, NID_organizationalUnitName, NID_organizationName}) {
        const int index = X509_NAME_get_index_by_NID(name, nid, -1);
        if (index < 0) continue;
        unsigned char* utf8 = nullptr;
        const int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index)));
        if (length < 0) continue;
        std::wstring text = FromUtf8(
            std::string_view(reinterpret_cast<const char*>(utf8), static_cast<size_t>(length)));
        OPENSSL_free(utf8);
        return text;
    }
    return std::wstring();
}

bool NamesHost(X509* leaf, const std::string& host) {
    if (X509_check_ip_asc(leaf, host.c_str(), 0) == 1) return true;
    return X509_check_host(leaf, host.data(), host.size(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS, nullptr) == 1;
}

#ifdef PELLARO_TEST_SEAMS
// Tests and the demo trust the reference backend's private root for hosts
// without pins through this variable; release builds do not contain this code.
const char* TestRootFile() {
    const char* file = std::getenv("PELLARO_TEST_CA_FILE");
    return file && *file ? file : nullptr;
}
#else
const char* TestRootFile() { return nullptr; }
#endif

void AddTestRoot(SSL_CTX* context) {
    if (const char* file = TestRootFile()) X509_STORE_load_file(SSL_CTX_get_cert_store(context), file);
}

int VerifyPinnedChain(X509_STORE_CTX* store, void* arg) {
    auto* check = static_cast<HandshakeCheck*>(arg);
    check->chain = ChainFromPeer(X509_STORE_CTX_get0_untrusted(store), X509_STORE_CTX_get0_cert(store), check->host);
    check->checked = true;
    check->passed = check->accepts(check->chain);
    if (!check->passed) X509_STORE_CTX_set_error(store, X509_V_ERR_APPLICATION_VERIFICATION);
    return check->passed ? 1 : 0;
}

CURLcode OnSslContext(CURL*, void* sslContext, void* arg) {
    auto* check = static_cast<HandshakeCheck*>(arg);
    auto* context = static_cast<SSL_CTX*>(sslContext);
    if (check->accepts) {
        SSL_CTX_set_cert_verify_callback(context, VerifyPinnedChain, check);
    } else {
        AddTestRoot(context);
    }
    return CURLE_OK;
}

}  // namespace

ServerChain ChainFromPeer(STACK_OF(X509) * sent, X509* leaf, const std::wstring& host) {
    ServerChain chain;
    if (!leaf) return chain;
    chain.read = true;
    std::vector<X509*> pool;
    for (int i = 0; sent && i < sk_X509_num(sent); ++i) pool.push_back(sk_X509_value(sent, i));

    // Follow issuer names from the leaf; the signature is checked below, so a
    // certificate that only claims an issuer breaks the chain's structure.
    std::vector<X509*> ordered{leaf};
    bool signaturesHold = true;
    while (ordered.size() <= pool.size() + 1) {
        X509* current = ordered.back();
        if (X509_check_issued(current, current) == X509_V_OK) break;  // self-issued: the top
        X509* issuer = nullptr;
        for (X509* candidate : pool) {
            if (candidate == current) continue;
            if (X509_NAME_cmp(X509_get_issuer_name(current), X509_get_subject_name(candidate)) == 0) {
                issuer = candidate;
                break;
            }
        }
        if (!issuer || std::find(ordered.begin(), ordered.end(), issuer) != ordered.end()) break;
        EVP_PKEY* key = X509_get0_pubkey(issuer);
        if (!key || X509_verify(current, key) != 1) signaturesHold = false;
        ordered.push_back(issuer);
    }
    for (X509* cert : ordered) chain.elements.push_back({PinOf(cert), IssuerDisplayName(cert)});
    chain.wellFormed = signaturesHold && NamesHost(leaf, ToUtf8(host));
    return chain;
}

ServerChain ChainOfTransfer(CURL* curl, const std::wstring& host) {
    curl_tlssessioninfo* info = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_TLS_SSL_PTR, &info) != CURLE_OK || !info ||
        info->backend != CURLSSLBACKEND_OPENSSL || !info->internals)
        return ServerChain();
    SSL* ssl = static_cast<SSL*>(info->internals);
    STACK_OF(X509)* sent = SSL_get_peer_cert_chain(ssl);
    X509* leaf = SSL_get0_peer_certificate(ssl);
    return ChainFromPeer(sent, leaf, host);
}

void ConfigureTls(CURL* curl, HandshakeCheck* check) {
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    // Every new connection makes a full handshake, so its chain is always checked.
    curl_easy_setopt(curl, CURLOPT_SSL_SESSIONID_CACHE, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, OnSslContext);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, check);
}

std::string SpkiPinOfCertificate(const std::string& der) {
    const unsigned char* cursor = reinterpret_cast<const unsigned char*>(der.data());
    X509* cert = d2i_X509(nullptr, &cursor, static_cast<long>(der.size()));
    if (!cert) return std::string();
    std::string pin = PinOf(cert);
    X509_free(cert);
    return pin;
}

}  // namespace pellaro

namespace pellaro {
namespace {

std::wstring NameText(X509_NAME* name) {
    BIO* bio = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    std::wstring text = FromUtf8(std::string_view(data, static_cast<size_t>(length)));
    BIO_free(bio);
    return text;
}

struct Inspecting {
    std::wstring host;
    ChainInspection* result;
};

// Records the chain as sent and accepts it: the tool reports, it does not judge here.
int RecordChain(X509_STORE_CTX* store, void* arg) {
    auto* inspecting = static_cast<Inspecting*>(arg);
    STACK_OF(X509)* sent = X509_STORE_CTX_get0_untrusted(store);
    for (int i = 0; sent && i < sk_X509_num(sent); ++i) {
        X509* cert = sk_X509_value(sent, i);
        inspecting->result->certificates.push_back(
            {NameText(X509_get_subject_name(cert)), NameText(X509_get_issuer_name(cert)), PinOf(cert)});
    }
    inspecting->result->chain = ChainFromPeer(sent, X509_STORE_CTX_get0_cert(store), inspecting->host);
    return 1;
}

CURLcode ReadOnly(CURL*, void* sslContext, void* arg) {
    SSL_CTX_set_cert_verify_callback(static_cast<SSL_CTX*>(sslContext), RecordChain, arg);
    return CURLE_OK;
}

}  // namespace

ChainInspection InspectServerChain(const std::wstring& host, int port) {
    ChainInspection result;
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.error = "curl_easy_init failed";
        return result;
    }
    const std::string url = "https://" + ToUtf8(host) + ":" + std::to_string(port) + "/";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 10000L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    Inspecting inspecting{host, &result};
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, ReadOnly);
    curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &inspecting);
    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) {
        result.error = "curl connect failed: " + std::to_string(static_cast<unsigned>(code));
    } else if (result.certificates.empty()) {
        result.error = "no certificate";
    }
    curl_easy_cleanup(curl);
    return result;
}

}  // namespace pellaro

namespace pellaro {

bool ChainTrustedByTestRoot(const std::vector<std::string>& derChain, const std::wstring& host) {
    const char* file = TestRootFile();
    if (!file || derChain.empty() || PinsDecideTrust(host)) return false;
    std::vector<X509*> certificates;
    for (const std::string& der : derChain) {
        const unsigned char* cursor = reinterpret_cast<const unsigned char*>(der.data());
        certificates.push_back(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
    }
    X509_STORE* store = X509_STORE_new();
    STACK_OF(X509)* untrusted = sk_X509_new_null();
    X509_STORE_CTX* context = X509_STORE_CTX_new();
    bool trusted = false;
    const bool readable = std::find(certificates.begin(), certificates.end(), nullptr) == certificates.end();
    if (readable && store && untrusted && context && X509_STORE_load_file(store, file) == 1) {
        for (std::size_t i = 1; i < certificates.size(); ++i) sk_X509_push(untrusted, certificates[i]);
        if (X509_STORE_CTX_init(context, store, certificates[0], untrusted) == 1) {
            X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(context);
            const std::string name = ToUtf8(host);
            if (X509_VERIFY_PARAM_set1_ip_asc(param, name.c_str()) != 1)
                X509_VERIFY_PARAM_set1_host(param, name.data(), name.size());
            trusted = X509_verify_cert(context) == 1;
        }
    }
    X509_STORE_CTX_free(context);
    sk_X509_free(untrusted);  // the certificates are freed below
    X509_STORE_free(store);
    for (X509* certificate : certificates) X509_free(certificate);
    return trusted;
}

}  // namespace pellaro
