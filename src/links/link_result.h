#pragma once
// The outcome of resolving a content link: the descriptor, or why it failed.
#include <optional>
#include <string>

#include "links/content_descriptor.h"

namespace pellaro {

enum class LinkErrorKind {
    ServerMessage,  // the backend refused the item: its message is shown as it is
    Unreachable,    // the backend could not be reached or did not answer in time:
                    // the student is told so; the text is the diagnostic reason
    Diagnostic,     // anything else: the text becomes a diagnostic code's reason
};

struct LinkError {
    LinkErrorKind kind = LinkErrorKind::Diagnostic;
    std::string text;  // UTF-8: the server's message, or the link error code

    // The link error code as support tools print it ("server:" + message for
    // server messages).
    std::string Code() const { return kind == LinkErrorKind::ServerMessage ? "server:" + text : text; }
};

struct LinkResult {
    // Complete on success; after a failure, what was filled before it
    // (the base address is set before the backend is asked).
    ContentDescriptor content;
    std::optional<LinkError> error;

    bool Resolved() const { return !error.has_value(); }
};

}  // namespace pellaro
