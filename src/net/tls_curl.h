#pragma once
// libcurl + OpenSSL glue shared by the client and the host pre-check: the
// chain of a connection, and the pin check inside the TLS handshake.
#include <functional>
#include <string>

#include <curl/curl.h>
#include <openssl/x509.h>

#include "net/pin_validation.h"

namespace pellaro {

// The pin check done during one transfer's handshake, and its outcome.
struct HandshakeCheck {
    std::wstring host;
    // Decides a presented chain in place of the normal verification; empty:
    // the normal verification decides.
    std::function<bool(const ServerChain&)> accepts{};
    bool checked = false;  // a chain was presented and checked
    bool passed = false;
    ServerChain chain{};
};

// Ordered chain from what the peer sent, with its pins and its structure checked.
ServerChain ChainFromPeer(STACK_OF(X509) * sent, X509* leaf, const std::wstring& host);
// The chain of the connection a transfer is using (empty, unread, when none).
ServerChain ChainOfTransfer(CURL* curl, const std::wstring& host);
// Sets the TLS options: normal verification, or check->accepts in the
// handshake when it is set. check must outlive the transfer.
void ConfigureTls(CURL* curl, HandshakeCheck* check);

}  // namespace pellaro
