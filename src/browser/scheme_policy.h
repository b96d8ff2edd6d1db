#pragma once
// Which address schemes the browser windows may load at all, in any frame or
// request. With web security off, a page could otherwise read the user's
// files through a file: frame; only what the program itself uses may load.
#include <string_view>

namespace pellaro {

// Requests: http(s), ws(s), data, blob and about, plus the engine's own PDF viewer.
bool IsSchemeAllowedInBrowser(std::wstring_view address);

// Where a navigation takes place: the window's own document (new windows and
// external-scheme launches count as such) or a frame inside it.
enum class NavigationPlace { Window, Frame };

// Navigations: http and https (also as blob: of an http(s) page), about:blank
// and the engine's PDF viewer. A frame may also hold about:srcdoc and data:,
// content its page has already. `programPage` is the page the program writes
// itself, which the engine reports as data: or about:blank. Everything else
// (file:, filesystem:, view-source:, engine pages, other programs' schemes)
// never navigates.
bool IsNavigationSchemeAllowed(std::wstring_view address, NavigationPlace place, bool programPage = false);

}  // namespace pellaro
