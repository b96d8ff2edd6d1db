#pragma once
// The fixed words that pages post to the program, turned into window actions.
#include <string_view>

#include "links/content_descriptor.h"

namespace pellaro {

enum class HomeAction { None, Print, GoHome, GoBack, Reload, ToggleFullscreen };
enum class PlayerAction { None, Print, ToggleFullscreen, ShowOnce };

// Messages count only from a top document the program trusts: the page it
// wrote itself, or a committed http(s) document on a backend or allowed host,
// or on the site of the content item or of the academy's base address.
// `documentAddress` is the engine's committed address of the top document,
// never the one a page can rewrite.
bool BridgeAcceptsMessage(std::wstring_view documentAddress, bool programPage, const ContentDescriptor& content);

// "requestPrint" as a string, as a JSON string, or inside any JSON text.
bool IsPrintRequest(std::wstring_view message);

HomeAction HomeMessageAction(std::wstring_view message);
PlayerAction PlayerMessageAction(std::wstring_view message);

}  // namespace pellaro
