#pragma once
// libcurl + OpenSSL glue shared by the client and the host pre-check: the
// chain of a connection, and the pin check inside the TLS handshake.
#include <string>

#include <curl/curl.h>
#include <openssl/x509.h>

#include "net/pin_validation.h"

namespace pellaro {

// The outcome of the pin check done during one transfer's handshake.
struct HandshakeCheck {
    std::wstring host;
    bool pinned = false;         // the host has pins: the chain is checked in the handshake
    bool checked = false;        // a chain was presented and checked
    bool passed = false;
    ServerChain chain;
};

// Ordered chain from what the peer sent, with its pins and its structure checked.
ServerChain ChainFromPeer(STACK_OF(X509)* sent, X509* leaf, const std::wstring& host);
// The chain of the connection a transfer is using (empty, unread, when none).
ServerChain ChainOfTransfer(CURL* curl, const std::wstring& host);
// Sets the TLS options: normal verification, plus the pin check in the handshake
// when check->pinned. check must outlive the transfer.
void ConfigureTls(CURL* curl, HandshakeCheck* check);

}  // namespace pellaro
