#pragma once
// Which address schemes the browser windows may load at all, in any frame or
// request. With web security off, a page could otherwise read the user's
// files through a file: frame; only what the program itself uses may load.
#include <string_view>

namespace pellaro {

// http(s), ws(s), data, blob and about, plus the engine's own PDF viewer.
bool IsSchemeAllowedInBrowser(std::wstring_view address);

}  // namespace pellaro
