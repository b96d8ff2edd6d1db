#pragma once
// The fixed words that pages post to the program, turned into window actions.
#include <cstddef>
#include <string_view>

#include "links/content_descriptor.h"

namespace pellaro {

enum class HomeAction { None, Print, GoHome, GoBack, Reload, ToggleFullscreen };
enum class PlayerAction { None, Print, ToggleFullscreen, ShowOnce };

// Messages count only from a top document the program trusts: the page it
// wrote itself, or a committed http(s) document on a backend host or on the
// item's own site (IsItemSite). Hosts the player may merely visit (the CDN and
// storage services of the allowed list) are not trusted: anyone can publish
// there. `documentAddress` is the engine's committed address of the top
// document, never the one a page can rewrite.
bool BridgeAcceptsMessage(std::wstring_view documentAddress, bool programPage, const ContentDescriptor& content);

// The words pages post are a few characters long; a message longer than this
// (in UTF-16 code units, as both engines count a page's string) is ignored
// unread, so a page cannot make the program scan or keep large texts.
inline constexpr std::size_t kWebMessageLimit = 64 * 1024;
inline bool IsWebMessageWithinLimit(std::size_t utf16Units) { return utf16Units <= kWebMessageLimit; }

// "requestPrint" as a string, as a JSON string, or inside any JSON text.
bool IsPrintRequest(std::wstring_view message);

HomeAction HomeMessageAction(std::wstring_view message);
PlayerAction PlayerMessageAction(std::wstring_view message);

}  // namespace pellaro
