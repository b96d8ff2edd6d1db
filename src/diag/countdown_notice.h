#pragma once
// The top-most exit countdown notice that precedes the HTML dialog.
#include <string>

namespace pellaro {

// Shows the notice on the calling (GUI) thread and runs its own event loop for
// `seconds` seconds, or until the window is closed. Returns false, having shown
// nothing, when the window cannot be created.
bool RunCountdownNotice(const std::wstring& title, const std::wstring& message, const std::wstring& arabicMessage,
                        const std::wstring& code, int seconds);

}  // namespace pellaro
